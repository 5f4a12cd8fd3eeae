"""The noncentral chi-square family: the ufuncs against the committed mpmath
tables (SciPy's argument order x, df, nc), the inversion and its statuses,
the interval functions and the chi-square test's design."""
import math

import numpy as np
import pytest

import kelbrant
from reference_tables import read

TABLES = ["ncx2_ordinary", "ncx2_large_ncp", "ncx2_small_df", "ncx2_far_tails", "ncx2_rmsea"]


def log_error(got, hi, rel):
    """As the C++ tests measure a log: |dL| where |L| >= 1, |dL|/|L| below."""
    want = hi + hi * rel
    d = np.abs(got - want)
    size = np.abs(want)
    return np.where(got == hi, 0.0, np.where(size < 1, d / np.maximum(size, 1e-308), d))


@pytest.mark.parametrize("name", TABLES)
def test_log_tails_and_density_against_mpmath(name):
    rows = read(name)[""]
    x, df, nc = rows[:, 0], rows[:, 1], rows[:, 2]
    kappa_tail, kappa_density = rows[:, 9], rows[:, 11]
    for got, col, kappa in ((kelbrant.ncx2_logcdf(x, df, nc), 3, kappa_tail),
                            (kelbrant.ncx2_logsf(x, df, nc), 5, kappa_tail),
                            (kelbrant.ncx2_logpdf(x, df, nc), 7, kappa_density)):
        e = log_error(got, rows[:, col], rows[:, col + 1]) / (1e-12 * kappa)
        assert np.all(e <= 1), (name, col, rows[np.argmax(e), :3], e.max())


def test_plain_tails_formed_directly():
    # P(X > 1500; 10, 10) = e^-625.8: the upper tail is not 1 - cdf.
    sf = kelbrant.ncx2_sf(1500.0, 10.0, 10.0)
    assert sf == pytest.approx(math.exp(-625.80399119399706535), rel=1e-13)
    assert kelbrant.ncx2_cdf(1500.0, 10.0, 10.0) == 1.0
    assert kelbrant.ncx2_cdf(0.0, 3.0, 2.0) == 0.0 and kelbrant.ncx2_sf(np.inf, 3.0, 2.0) == 0.0
    assert kelbrant.ncx2_pdf(0.0, 1.0, 3.0) == np.inf
    assert math.isnan(kelbrant.ncx2_cdf(1.0, -1.0, 2.0))


def test_ufunc_semantics():
    x = np.linspace(0.5, 20, 12).reshape(3, 4)
    out = kelbrant.ncx2_cdf(x, 3.0, np.array([1.0, 2.0, 3.0, 4.0]))
    assert out.shape == (3, 4)
    assert type(kelbrant.ncx2_cdf(5.0, 3.0, 2.0)) is np.float64
    buffer = np.empty((3, 4))
    kelbrant.ncx2_logsf(x, 3.0, 2.0, out=buffer)
    assert np.all(buffer == kelbrant.ncx2_logsf(x, 3.0, 2.0))


def test_quantiles_invert_the_tails():
    q = np.array([1e-300, 1e-10, 0.05, 0.5, 0.95])
    x = kelbrant.ncx2_ppf(q, 5.0, 10.0)
    np.testing.assert_allclose(kelbrant.ncx2_cdf(x, 5.0, 10.0), q, rtol=1e-12)
    x = kelbrant.ncx2_isf(q, 5.0, 10.0)
    np.testing.assert_allclose(kelbrant.ncx2_sf(x, 5.0, 10.0), q, rtol=1e-12)
    assert kelbrant.ncx2_ppf(0.0, 5.0, 1.0) == 0.0 and kelbrant.ncx2_ppf(1.0, 5.0, 1.0) == np.inf


def test_ncp_against_mpmath_and_statuses():
    rows = read("ncx2_ncp")[""]
    lower = rows[rows[:, 3] == 0]
    x, df, p, lam, lam_rel, kappa = (lower[:, i] for i in (0, 1, 2, 4, 5, 6))
    got = kelbrant.ncx2_ncp(x, df, p)
    status = kelbrant.ncx2_ncp_status(x, df, p)
    root = lam >= 0
    assert np.all(status[root] == kelbrant.FNONCT_OK)
    assert np.all(status[~root] == kelbrant.FNONCT_NO_ROOT) and np.all(np.isnan(got[~root]))
    want = lam[root] * (1 + lam_rel[root])
    e = np.abs(got[root] - want) / want / (1e-12 * kappa[root])
    assert np.all(e <= 1), (lower[root][np.argmax(e)], e.max())
    codes = kelbrant.ncx2_ncp_status([np.nan, -1.0, 10.0, 10.0], [3.0, 3.0, 0.0, 3.0],
                                     [0.5, 0.5, 0.5, 1.0])
    assert list(codes) == [kelbrant.FNONCT_MISSING] + [kelbrant.FNONCT_INVALID] * 3


def test_intervals():
    # effectsize 0.8.3 gives [110000, 110000] here.
    lower, upper = kelbrant.ncx2_ncp_interval(1e5, 10)
    assert lower == pytest.approx(98755.279328058, rel=1e-9)
    assert upper == pytest.approx(101234.40367483, rel=1e-9)
    lo, hi = kelbrant.ncx2_ncp_interval(208.94, 80, 0.9)
    rl, rh = kelbrant.rmsea_interval(208.94, 80, 500)
    assert (rl, rh) == pytest.approx((math.sqrt(lo / (80 * 499)), math.sqrt(hi / (80 * 499))),
                                     rel=1e-15)
    rl_n, _ = kelbrant.rmsea_interval(208.94, 80, 500, divisor="n")
    assert rl_n == pytest.approx(math.sqrt(lo / (80 * 500)), rel=1e-15)
    vl, vh = kelbrant.cramers_v_interval(208.94, 500, 9, 11, confidence=0.9)
    assert (vl, vh) == pytest.approx((math.sqrt(lo / 4000), math.sqrt(hi / 4000)), rel=1e-15)
    estimate = math.sqrt((208.94 - 80) / 4000)
    assert vl < estimate < vh
    wl, wh = kelbrant.cohens_w_interval(30.0, 10, 200, alternative="greater")
    assert wh == np.inf and wl > 0
    assert kelbrant.ncx2_ncp_interval_status(-1.0, 3) == kelbrant.FNONCT_INVALID
    assert np.isnan(kelbrant.cramers_v_interval(10.0, 100, 2.5, 3)[0])
    with pytest.raises(ValueError):
        kelbrant.rmsea_interval(10.0, 3, 100, divisor="n-2")
    with pytest.raises(ValueError):
        kelbrant.ncx2_ncp_interval(10.0, 3, alternative="both")


def test_chisq_test_design_matches_pwr():
    # pwr.chisq.test(w = 0.3, N = 100, df = 3)$power = 0.7112536 and
    # pwr.chisq.test(w = 0.3, df = 3, power = 0.8)$N = 121.1396 (uniroot).
    assert kelbrant.chisq_test_power(0.3, 100, 3, 0.05) == pytest.approx(0.7112536, abs=5e-8)
    n = kelbrant.chisq_test_sample_size(0.3, 3, 0.05, 0.8)
    assert n == pytest.approx(121.1396, abs=5e-5)
    assert kelbrant.chisq_test_power(0.3, n, 3, 0.05) == pytest.approx(0.8, rel=1e-13)
    assert math.isnan(kelbrant.chisq_test_sample_size(0.3, 3, 0.05, 0.04))
