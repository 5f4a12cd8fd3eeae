"""The central F quantile, the inverse incomplete beta ratio, the power of
the F test and the smallest sample sizes, against the committed mpmath
tables (tests/data/beta_inc_inverse.inc, power.inc) that the C++ suites
use."""
import os
import re

import numpy as np

import kelbrant
from reference_tables import DATA, read


def test_betaincinv_against_mpmath_where_well_conditioned():
    rows = read("beta_inc_inverse")[""]
    prob, tail, a, b, x, x_rel, y, y_rel, kappa = rows[:, :9].T
    keep = (kappa <= 1.0) & (x > 1e-300) & (y > 1e-300) & (x < 0.5)
    prob, tail, a, b, x, x_rel = prob[keep], tail[keep], a[keep], b[keep], x[keep], x_rel[keep]
    got = np.where(tail == 0, kelbrant.betaincinv(a, b, prob), kelbrant.betainccinv(a, b, prob))
    want = x * (1.0 + x_rel)
    assert np.max(np.abs(got - want) / want) < 1e-14


def test_f_quantiles_in_both_tails():
    assert abs(kelbrant.f_ppf(0.95, 3, 10) - 3.7082648190468435) < 1e-14 * 3.71
    # P(F > f) = 1/(1 + f) at (2, 2): the upper tail 1e-300 gives f = 1e300 - 1.
    assert abs(kelbrant.f_isf(1e-300, 2, 2) - 1e300) < 1e-14 * 1e300
    assert np.isnan(kelbrant.f_ppf(0.5, 0.0, 10))
    f = kelbrant.f_isf(np.array([0.05, 0.01]), 3, np.array([[10.0], [40.0]]))
    assert f.shape == (2, 2)


def _power_table():
    """The power rows and the sample-size rows of power.inc."""
    power, sizes, current = [], [], None
    with open(os.path.join(DATA, "power.inc")) as f:
        for line in f:
            if line.startswith("#ifdef"):
                current = power
            elif line.startswith("#else"):
                current = sizes
            elif line.startswith("{"):
                current.append([float(v) for v in re.findall(r"[-+0-9.eE]+|INFINITY", line)])
    return np.array(power), np.array(sizes)


def test_power_and_sample_sizes_against_mpmath():
    power, sizes = _power_table()
    df1, df2, lam, alpha = power[:, :4].T
    want = power[:, 6]
    got = kelbrant.f_test_power(df1, df2, lam, alpha)
    assert np.max(np.abs(got - want) / want) < 1e-12
    kind, first, effect, alpha, target, size = sizes[:, :6].T
    got = np.where(kind == 0, kelbrant.f2_sample_size(first, effect, alpha, target),
                   kelbrant.anova_sample_size(first, effect, alpha, target))
    assert np.array_equal(got, size)
    # No answer: a power at or below alpha.
    assert np.isnan(kelbrant.f2_sample_size(3, 0.15, 0.05, 0.04))


def test_design_powers_against_mpmath():
    # The powers at each smallest size and one below it, in both forms.
    _, sizes = _power_table()
    kind, first, effect, alpha, _, size, at, _, below = sizes[:, :9].T

    def design_power(n):
        return np.where(kind == 0, kelbrant.f2_power(first, n, effect, alpha),
                        kelbrant.anova_power(first, n, effect, alpha))

    for n, want in ((size, at), (size - 1, below)):
        defined = (kind == 0) | (n > 1)
        got = design_power(n)
        assert np.max(np.abs(got[defined] - want[defined]) / want[defined]) < 1e-12
        assert np.all(np.isnan(got[~defined]))
    # Out of the domain: one group, n = 1, a negative effect, alpha = 1.
    assert np.all(np.isnan([kelbrant.anova_power(1, 10, 0.25, 0.05),
                            kelbrant.anova_power(4, 1, 0.25, 0.05),
                            kelbrant.f2_power(3, 10, -0.1, 0.05),
                            kelbrant.f2_power(3, 10, 0.15, 1.0)]))

