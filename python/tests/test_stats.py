"""kelbrant.stats.ncf against SciPy's own generic distribution checks
(the equivalents of scipy/stats/tests/common_tests.py: support, edge
support, cdf(ppf(q)) = q, sf(isf(q)) = q, sf = 1 - cdf, the logs against
the values, the pdf against the derivative of the cdf, the moments against
numerical integration, rvs against the cdf), on a few parameter sets, and
the package without SciPy."""
import subprocess
import sys

import numpy as np
import pytest

scipy_stats = pytest.importorskip("scipy.stats")
from scipy import integrate  # noqa: E402

import kelbrant  # noqa: E402
from kelbrant.stats import ncf  # noqa: E402

# (dfn, dfd, nc): ordinary, a heavy tail (no variance), large noncentrality
# beyond the direct sum's step limit, small degrees of freedom.
PARAMETERS = [(3.0, 10.0, 5.0), (5.0, 3.5, 1.0), (20.0, 200.0, 20005.4), (0.5, 30.0, 2.0)]
IDS = ["ordinary", "heavy-tail", "large-nc", "small-df"]
QUANTILES = np.array([0.001, 0.1, 0.5, 0.9, 0.999])


@pytest.mark.parametrize("args", PARAMETERS, ids=IDS)
def test_support_and_its_edges(args):
    assert ncf.support(*args) == (0.0, np.inf)
    assert ncf.cdf(0.0, *args) == 0.0 and ncf.cdf(np.inf, *args) == 1.0
    assert ncf.sf(0.0, *args) == 1.0 and ncf.sf(np.inf, *args) == 0.0
    assert ncf.ppf(0.0, *args) == 0.0 and ncf.ppf(1.0, *args) == np.inf
    assert ncf.isf(0.0, *args) == np.inf and ncf.isf(1.0, *args) == 0.0
    assert np.isnan(ncf.ppf([-0.1, 1.1], *args)).all()


@pytest.mark.parametrize("args", PARAMETERS, ids=IDS)
def test_cdf_ppf_and_sf_isf_invert(args):
    np.testing.assert_allclose(ncf.cdf(ncf.ppf(QUANTILES, *args), *args), QUANTILES,
                               rtol=1e-12, atol=0)
    np.testing.assert_allclose(ncf.sf(ncf.isf(QUANTILES, *args), *args), QUANTILES,
                               rtol=1e-12, atol=0)
    x = ncf.ppf(QUANTILES, *args)
    np.testing.assert_allclose(ncf.ppf(ncf.cdf(x, *args), *args), x, rtol=1e-11)


@pytest.mark.parametrize("args", PARAMETERS, ids=IDS)
def test_sf_cdf_and_the_logs(args):
    x = ncf.ppf(QUANTILES, *args)
    np.testing.assert_allclose(ncf.sf(x, *args), 1.0 - ncf.cdf(x, *args), rtol=0, atol=1e-14)
    np.testing.assert_allclose(ncf.logcdf(x, *args), np.log(ncf.cdf(x, *args)), rtol=1e-13)
    np.testing.assert_allclose(ncf.logsf(x, *args), np.log(ncf.sf(x, *args)), rtol=1e-13)
    np.testing.assert_allclose(ncf.logpdf(x, *args), np.log(ncf.pdf(x, *args)), rtol=1e-13)


@pytest.mark.parametrize("args", PARAMETERS, ids=IDS)
def test_pdf_is_the_derivative_of_the_cdf(args):
    x = ncf.ppf(np.array([0.1, 0.5, 0.9]), *args)
    h = 1e-5 * x
    slope = (ncf.cdf(x + h, *args) - ncf.cdf(x - h, *args)) / (2 * h)
    np.testing.assert_allclose(ncf.pdf(x, *args), slope, rtol=1e-6)


@pytest.mark.parametrize("args", PARAMETERS, ids=IDS)
def test_moments_against_numerical_integration(args):
    dfn, dfd, nc = args
    mean, var = ncf.stats(*args, moments="mv")
    if dfd <= 4:
        assert np.isnan(var) and (dfd > 2) == np.isfinite(mean)
        return
    lo, hi = ncf.ppf(1e-14, *args), ncf.isf(1e-14, *args)
    m1 = integrate.quad(lambda t: t * ncf.pdf(t, *args), lo, hi, epsrel=1e-12, limit=200)[0]
    m2 = integrate.quad(lambda t: (t - m1) ** 2 * ncf.pdf(t, *args), lo, hi, epsrel=1e-12,
                        limit=200)[0]
    np.testing.assert_allclose([mean, var], [m1, m2], rtol=1e-7)
    # SciPy's own expect (quad over the pdf) and the frozen object agree.
    frozen = ncf(*args)
    np.testing.assert_allclose(frozen.expect(lambda t: t), mean, rtol=1e-7)
    assert frozen.mean() == mean and frozen.var() == var and frozen.std() == np.sqrt(var)


def test_moments_as_scipy_gives_them():
    # SciPy's own mean, variance and skewness (Boost's closed forms): the
    # same values, and NaN where a moment does not exist (dfd <= 2, 4, 6).
    for args in [(3.0, 10.0, 5.0), (5.0, 30.0, 20.0), (0.5, 9.0, 2.0), (3.0, 7.0, 1.0),
                 (3.0, 5.0, 2.0), (3.0, 3.0, 2.0), (3.0, 2.0, 1.0), (3.0, 1.5, 0.0)]:
        ours = np.array(ncf.stats(*args, moments="mvs"), dtype=float)
        theirs = np.array(scipy_stats.ncf.stats(*args, moments="mvs"), dtype=float)
        np.testing.assert_allclose(ours, theirs, rtol=1e-10, equal_nan=True, err_msg=str(args))


def test_excess_kurtosis_against_numerical_integration():
    # SciPy 1.10's ncf gives the kurtosis where it means its excess (3 more),
    # the fault Boost's noncentral t had (boostorg/math#800); the fourth
    # central moment by quadrature decides.
    args = (3.0, 10.0, 5.0)
    mean, var, _, excess = ncf.stats(*args, moments="mvsk")
    m4 = integrate.quad(lambda t: (t - mean) ** 4 * ncf.pdf(t, *args), 0, np.inf, limit=500,
                        epsrel=1e-12)[0]
    np.testing.assert_allclose(excess, m4 / var ** 2 - 3, rtol=1e-8)
    assert np.isnan(ncf.stats(3.0, 8.0, 5.0, moments="k"))


def test_rvs_draws_from_the_distribution():
    args = (3.0, 10.0, 5.0)
    sample = ncf.rvs(*args, size=4000, random_state=np.random.default_rng(20261211))
    assert sample.shape == (4000,) and (sample >= 0).all()
    assert scipy_stats.kstest(sample, ncf(*args).cdf).pvalue > 0.01
    # The same seed, the same draws; RandomState works too.
    again = ncf.rvs(*args, size=4000, random_state=np.random.default_rng(20261211))
    np.testing.assert_array_equal(sample, again)
    assert ncf.rvs(*args, size=3, random_state=np.random.RandomState(1)).shape == (3,)


def test_frozen_interval_loc_scale_and_bad_shapes():
    frozen = ncf(3.0, 10.0, 5.0, loc=1.0, scale=2.0)
    lo, hi = frozen.interval(0.9)
    np.testing.assert_allclose(frozen.cdf([lo, hi]), [0.05, 0.95], rtol=1e-12)
    np.testing.assert_allclose(lo, 1.0 + 2.0 * kelbrant.ncf_ppf(0.05, 3.0, 10.0, 5.0), rtol=1e-15)
    for bad in [(0.0, 10.0, 5.0), (3.0, -1.0, 5.0), (3.0, 10.0, -1.0), (3.0, np.inf, 5.0)]:
        assert np.isnan(ncf.cdf(1.0, *bad))


def test_the_object_calls_the_ufuncs():
    x, args = np.array([0.5, 2.0, 9.0]), (3.0, 10.0, 5.0)
    for method, ufunc in [(ncf.cdf, kelbrant.ncf_cdf), (ncf.sf, kelbrant.ncf_sf),
                          (ncf.logcdf, kelbrant.ncf_logcdf), (ncf.logsf, kelbrant.ncf_logsf),
                          (ncf.pdf, kelbrant.ncf_pdf), (ncf.logpdf, kelbrant.ncf_logpdf)]:
        np.testing.assert_array_equal(method(x, *args), ufunc(x, *args))
    q = np.array([1e-300, 0.3, 0.7])
    np.testing.assert_array_equal(ncf.isf(q, *args), kelbrant.ncf_isf(q, *args))
    np.testing.assert_array_equal(ncf.ppf(q, *args), kelbrant.ncf_ppf(q, *args))


def test_kelbrant_imports_without_scipy():
    # SciPy made unimportable: the package and its ufuncs work, kelbrant.stats
    # alone raises ImportError.
    code = ("import sys; sys.modules['scipy'] = None\n"
            "import kelbrant\n"
            "assert abs(kelbrant.ncf_cdf(2.0, 3.0, 10.0, 5.0) - 0.396106078892) < 1e-11\n"
            "try:\n"
            "    kelbrant.stats\n"
            "except ImportError:\n"
            "    print('no scipy')\n")
    out = subprocess.run([sys.executable, "-c", code], capture_output=True, text=True, check=True)
    assert out.stdout.strip() == "no scipy", out.stderr
