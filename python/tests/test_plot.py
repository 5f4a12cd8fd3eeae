"""plot_power and plot_confidence_curve: the points drawn are the package's
own values (read back from the lines), the marks sit where the design and
the interval put them, the pictures render to PNG with Matplotlib's Agg,
and the package imports and computes without Matplotlib.

With KELBRANT_PLOT_DIR set, the pictures are written there (the images of
docs/ are made so: KELBRANT_PLOT_DIR=docs/images)."""
import os
import subprocess
import sys

import numpy as np
import pytest

import kelbrant

matplotlib = pytest.importorskip("matplotlib")
matplotlib.use("Agg")
import matplotlib.pyplot as plt  # noqa: E402

PNG_SIGNATURE = b"\x89PNG\r\n\x1a\n"


@pytest.fixture
def figure():
    fig, ax = plt.subplots(figsize=(6.4, 4.0), dpi=80)
    yield fig, ax
    plt.close(fig)


def save(fig, name, tmp_path, documented=True):
    """Render to PNG in tmp_path, or for the pictures the documents show in
    KELBRANT_PLOT_DIR when set."""
    folder = (documented and os.environ.get("KELBRANT_PLOT_DIR")) or str(tmp_path)
    path = os.path.join(folder, name)
    fig.savefig(path)
    with open(path, "rb") as f:
        assert f.read(8) == PNG_SIGNATURE
    return path


def drawn(ax):
    """The effects' power lines (labelled "f = ..." or "f² = ...") and the
    sample sizes' points."""
    curves = [line for line in ax.lines if line.get_label().startswith(("f = ", "f² = "))]
    points = [line for line in ax.lines if line.get_marker() == "o"]
    return curves, points


def horizontal_at(ax, y):
    return [line for line in ax.lines if np.array_equal(line.get_ydata(), [y, y])]


def test_power_against_group_size_is_the_packages_own(figure, tmp_path):
    fig, ax = figure
    sizes = np.arange(2, 101)
    effects = [0.1, 0.25, 0.4]
    assert kelbrant.plot_power(groups=4, effects=effects, sizes=sizes, ax=ax) is ax
    curves, points = drawn(ax)
    assert [line.get_label() for line in curves] == ["f = 0.1", "f = 0.25", "f = 0.4"]
    for line, f in zip(curves, effects):
        assert np.array_equal(line.get_xdata(), sizes)
        assert np.array_equal(line.get_ydata(), kelbrant.anova_power(4, sizes, f, 0.05))
    # The smallest whole sizes for power 0.8: n = 274 for f = 0.1 lies off
    # the axis; 45 (the four-group example of the command line) and 19 on it.
    needed = kelbrant.anova_sample_size(4, np.array(effects), 0.05, 0.8)
    assert needed[1] == 45
    assert [line.get_xdata()[0] for line in points] == [needed[1], needed[2]]
    for line, f in zip(points, effects[1:]):
        n = line.get_xdata()[0]
        assert line.get_ydata()[0] == kelbrant.anova_power(4, n, f, 0.05) >= 0.8
        assert kelbrant.anova_power(4, n - 1, f, 0.05) < 0.8
    assert horizontal_at(ax, 0.8) and horizontal_at(ax, 0.05)
    save(fig, "power_curve.png", tmp_path)


def test_power_of_the_regression_form_with_its_defaults(figure, tmp_path):
    fig, ax = figure
    kelbrant.plot_power(u=3, alpha=0.01, power=0.9, ax=ax)
    curves, points = drawn(ax)
    # Cohen's small, medium and large f2; every whole v from 1 to 1.25
    # times the largest size the target needs.
    needed = kelbrant.f2_sample_size(3, np.array([0.02, 0.15, 0.35]), 0.01, 0.9)
    for line, f2 in zip(curves, (0.02, 0.15, 0.35)):
        v = line.get_xdata()
        assert v[0] == 1 and v[-1] == np.ceil(1.25 * needed.max()) and np.all(np.diff(v) == 1)
        assert np.array_equal(line.get_ydata(), kelbrant.f2_power(3, v, f2, 0.01))
    assert len(points) == 3
    assert horizontal_at(ax, 0.9) and horizontal_at(ax, 0.01)
    save(fig, "power_curve_regression.png", tmp_path, documented=False)


def test_power_draws_a_new_figure_without_ax():
    ax = kelbrant.plot_power(groups=3, effects=0.25, sizes=[5, 10, 20])
    try:
        assert ax.figure is not None and len(drawn(ax)[0]) == 1
    finally:
        plt.close(ax.figure)


@pytest.mark.parametrize("kwargs", [{}, {"groups": 3, "u": 2}], ids=["no design", "two designs"])
def test_power_takes_one_design(kwargs):
    with pytest.raises(TypeError, match="groups= .* or u="):
        kelbrant.plot_power(**kwargs)


@pytest.mark.parametrize("kwargs", [
    {"groups": 1, "effects": 0.25},
    {"groups": 4, "effects": [0.25, -0.1]},
    {"u": 3, "effects": 0.15, "alpha": 1.5},
    {"u": 3, "power": 1.5},
], ids=["one group", "a negative effect", "alpha above 1", "target above 1"])
def test_power_of_a_design_out_of_its_domain_is_an_error(kwargs):
    with pytest.raises(ValueError, match="out of its domain|between 0 and 1"):
        kelbrant.plot_power(sizes=[5, 10], **kwargs)


def test_sizes_out_of_the_domain_leave_a_gap(figure):
    fig, ax = figure
    kelbrant.plot_power(groups=4, effects=0.25, sizes=[1, 2, 3], ax=ax)
    power = drawn(ax)[0][0].get_ydata()
    assert np.isnan(power[0]) and np.array_equal(power[1:], kelbrant.anova_power(4, [2, 3], 0.25, 0.05))


def test_confidence_curve_is_the_distribution_function(figure, tmp_path):
    fig, ax = figure
    assert kelbrant.plot_confidence_curve(4.2, 3, 40, ax=ax) is ax
    lower, upper = kelbrant.ncp_interval(4.2, 3, 40, 0.95)
    curve = ax.lines[0]
    lam = curve.get_xdata()
    assert lam[0] == 0 and lam[-1] == 1.5 * upper and len(lam) == 201
    assert np.array_equal(curve.get_ydata(), kelbrant.ncf_cdf(4.2, 3, 40, lam))
    verticals = [line.get_xdata()[0] for line in ax.lines[1:]
                 if line.get_xdata()[0] == line.get_xdata()[1]]
    assert verticals == [lower, upper]
    # The curve crosses the tails at the limits, to the search's tolerance.
    assert horizontal_at(ax, 0.975) and horizontal_at(ax, 0.5 * (1 - 0.95))
    assert abs(kelbrant.ncf_cdf(4.2, 3, 40, lower) - 0.975) < 1e-7
    assert abs(kelbrant.ncf_cdf(4.2, 3, 40, upper) - 0.025) < 1e-7
    save(fig, "confidence_curve.png", tmp_path)


@pytest.mark.parametrize("f, alternative, limits, tails", [
    # The central probability at F = 2 on (3, 10) is below 0.975: the lower
    # limit is 0 and gets no line.
    (2.0, "two-sided", 1, (0.975, 0.025)),
    (4.2, "less", 1, (0.05,)),
    (4.2, "greater", 1, (0.95,)),
], ids=["lower limit 0", "upper bound alone", "lower bound alone"])
def test_confidence_curve_marks_the_limits_that_exist(figure, f, alternative, limits, tails):
    fig, ax = figure
    df2 = 10 if f == 2.0 else 40
    kelbrant.plot_confidence_curve(f, 3, df2, alternative=alternative, ax=ax)
    verticals = [line for line in ax.lines[1:] if line.get_xdata()[0] == line.get_xdata()[1]]
    horizontals = [line.get_ydata()[0] for line in ax.lines[1:]
                   if line.get_ydata()[0] == line.get_ydata()[1]]
    assert len(verticals) == limits
    assert np.allclose(horizontals, tails, rtol=1e-15)
    lam = ax.lines[0].get_xdata()
    assert np.all(np.isfinite(lam)) and lam[-1] > 0


def test_confidence_curve_on_given_noncentralities(figure):
    fig, ax = figure
    lam = np.array([0.0, 1.0, 10.0, 100.0])
    kelbrant.plot_confidence_curve(4.2, 3, 40, confidence=0.9, ncp=lam, ax=ax)
    assert np.array_equal(ax.lines[0].get_ydata(), kelbrant.ncf_cdf(4.2, 3, 40, lam))


@pytest.mark.parametrize("args, kwargs, error", [
    ((-1.0, 3, 40), {}, ValueError),
    ((4.2, 3, 40), {"confidence": 1.5}, ValueError),
    ((4.2, 3, 40), {"alternative": "both"}, ValueError),
], ids=["negative F", "confidence above 1", "unknown alternative"])
def test_confidence_curve_errors(args, kwargs, error):
    with pytest.raises(error):
        kelbrant.plot_confidence_curve(*args, **kwargs)


def test_the_package_needs_no_matplotlib():
    # Matplotlib made unimportable: the package imports and computes, and a
    # picture asked for raises ImportError.
    code = ("import sys; sys.modules['matplotlib'] = None\n"
            "import kelbrant\n"
            "assert kelbrant.anova_power(4, 45, 0.25, 0.05) > 0.8\n"
            "try:\n"
            "    kelbrant.plot_power(groups=4)\n"
            "except ImportError:\n"
            "    print('ImportError')\n")
    out = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True)
    assert out.returncode == 0, out.stderr
    assert out.stdout.strip() == "ImportError"
