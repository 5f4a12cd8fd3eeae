"""The noncentral t family: the ufuncs against the committed mpmath tables
(tests/data/nct.inc, t_power.inc), SciPy's argument order, the intervals
for the noncentrality and for Cohen's d, and the t tests' design."""
import numpy as np
import pytest

import kelbrant
from reference_tables import read

NCT = read("nct")
TABLES = [name for name in NCT if name.startswith("nct_") and name != "nct_ncp_rows"]


def reference(rows, column):
    return rows[:, column] * (1 + rows[:, column + 1])


@pytest.mark.parametrize("table", TABLES)
def test_log_tails_and_density_against_mpmath(table):
    rows = NCT[table]
    t, df, delta = rows[:, 0], rows[:, 1], rows[:, 2]
    # The error of a log is the relative error of the tail; the tables'
    # rows are within 1e-12 kappa in the C++ suite, here a plain 1e-9 of
    # max(1, |log|) suffices to catch a wrong wiring.
    for ufunc, column in ((kelbrant.nct_logcdf, 3), (kelbrant.nct_logsf, 5),
                          (kelbrant.nct_logpdf, 9)):
        want = reference(rows, column)
        got = ufunc(t, df, delta)
        np.testing.assert_allclose((got - want) / np.maximum(1, abs(want)), 0, atol=1e-9)


def test_probabilities_and_quantiles_invert():
    x = np.array([-3.0, 0.0, 1.5, 40.0])
    p = kelbrant.nct_cdf(x, 10.0, 2.0)
    q = kelbrant.nct_sf(x, 10.0, 2.0)
    np.testing.assert_allclose(p + q, 1.0, rtol=1e-15)
    # ppf where p keeps the digits of its tail (near 1 only isf does).
    keep = (p > 0) & (p < 0.9)
    np.testing.assert_allclose(kelbrant.nct_ppf(p[keep], 10.0, 2.0), x[keep], rtol=1e-12, atol=1e-13)
    np.testing.assert_allclose(kelbrant.nct_isf(q, 10.0, 2.0), x, rtol=1e-12, atol=1e-13)
    assert kelbrant.nct_ppf(0.0, 5.0, 1.0) == -np.inf and kelbrant.nct_isf(0.0, 5.0, 1.0) == np.inf


def test_ncp_inverts_the_cdf_and_reports_why_not():
    rows = NCT["nct_ncp_rows"]
    got = kelbrant.nct_ncp(rows[:, 0], rows[:, 1], rows[:, 2])
    np.testing.assert_allclose(got, reference(rows, 3), rtol=1e-12, atol=1e-12)
    assert kelbrant.nct_ncp_status(1.0, 5.0, 0.3) == kelbrant.NCT_OK
    assert np.isnan(kelbrant.nct_ncp(1.0, 5.0, 1.0))
    assert kelbrant.nct_ncp_status([1.0, np.nan], 5.0, [1.0, 0.5]).tolist() == [
        kelbrant.NCT_INVALID, kelbrant.NCT_INVALID]


def test_interval_limits_solve_their_equations():
    for alternative, conf in (("two-sided", 0.95), ("less", 0.9), ("greater", 0.9)):
        lower, upper = kelbrant.nct_ncp_interval(2.5, 20.0, conf, alternative)
        alpha = (1 - conf) / (2 if alternative == "two-sided" else 1)
        if alternative != "less":
            assert kelbrant.nct_sf(2.5, 20.0, lower) == pytest.approx(alpha, rel=1e-12)
        else:
            assert lower == -np.inf
        if alternative != "greater":
            assert kelbrant.nct_cdf(2.5, 20.0, upper) == pytest.approx(alpha, rel=1e-12)
        else:
            assert upper == np.inf
    with pytest.raises(ValueError):
        kelbrant.nct_ncp_interval(2.5, 20.0, 0.95, "both")


def test_cohens_d_scales_the_noncentrality():
    lower, upper = kelbrant.nct_ncp_interval(2.5, 20.0)
    one = kelbrant.cohens_d_interval(2.5, 21)
    assert one.d == pytest.approx(2.5 / np.sqrt(21), rel=1e-15)
    assert (one.d_lower, one.d_upper) == pytest.approx((lower / np.sqrt(21), upper / np.sqrt(21)),
                                                       rel=1e-15)
    two = kelbrant.cohens_d_interval(2.5, 12, 10)
    factor = np.sqrt(1 / 12 + 1 / 10)
    l2, u2 = kelbrant.nct_ncp_interval(2.5, 20.0)
    assert (two.d_lower, two.d_upper) == pytest.approx((l2 * factor, u2 * factor), rel=1e-15)
    # Hedges' J(20) by mpmath: Gamma(10) / (sqrt(10) Gamma(9.5)).
    assert two.g / two.d == pytest.approx(0.96194453374074873, rel=1e-15)
    assert np.isnan(kelbrant.cohens_d_interval(2.5, 1).d_lower)


def test_t_test_power_against_mpmath_and_pwr():
    rows = read("t_power")["t_power_rows"]
    types = {0: "one-sample", 1: "two-sample", 2: "paired"}
    alternatives = {0: "two-sided", 1: "less", 2: "greater"}
    for ty, alt, n1, n2, d, alpha, power, rel, pwr in rows:
        if ty == 3:
            got = kelbrant.t_test_power(n1, d, alpha, alternative=alternatives[alt], n2=n2)
        else:
            got = kelbrant.t_test_power(n1, d, alpha, types[ty], alternatives[alt])
        assert got == pytest.approx(power * (1 + rel), rel=1e-12)
        assert got == pytest.approx(pwr, rel=1e-6)  # pwr's own accuracy


def test_sample_size_is_the_smallest_reaching_the_power():
    n, achieved = kelbrant.t_test_sample_size(0.5, 0.8)
    assert n == 64 and achieved >= 0.8
    assert kelbrant.t_test_power(63, 0.5) < 0.8
    n2, achieved = kelbrant.t_test_sample_size(0.6, 0.4, n1=10)
    assert achieved >= 0.4 and kelbrant.t_test_power(10, 0.6, n2=n2 - 1) < 0.4
    assert np.isnan(kelbrant.t_test_sample_size(0.6, 0.5, n1=10)[0])  # unreachable
