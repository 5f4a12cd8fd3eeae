"""The package against the committed mpmath tables of tests/data, with the
tolerances the C++ suites hold the core routines to: what is checked here is
that each ufunc hands its arguments to the right routine in the right order
and that the package's own build computes what the module computes."""
import math

import numpy as np
import pytest

import kelbrant
from reference_tables import read, worst

EPS = 2.0 ** -53


def relative_error(got, want):
    return np.where(want == 0, np.abs(got), np.abs(got - want) / np.abs(np.where(want == 0, 1, want)))


def reference_relative_error(got, hi, rel):
    """Relative error against hi (1 + rel)."""
    return np.abs((got - hi) / hi - rel)


def reference_log_error(got, hi, rel):
    """Error of a logarithm against hi (1 + rel): relative where |log| >= 1,
    absolute below."""
    return np.abs((got - hi) - rel * hi) / np.maximum(1.0, np.abs(hi))


def test_fnonct_solves_the_equation_to_the_search_tolerance():
    # The search stops when two successive probabilities agree to 1e-7 p, so
    # its guarantee is on the probability: |lam - lam*| |dP/dlam| <= 1e-7 p.
    x, df1, df2, p, root, slope = read("fnonct")["fnonct_rows"].T
    lam = kelbrant.fnonct(x, df1, df2, p)
    assert (kelbrant.fnonct_status(x, df1, df2, p) == kelbrant.FNONCT_OK).all()
    worst("fnonct", np.abs(lam - root) * np.abs(slope) / p, 1e-7, (x, df1, df2, p))


@pytest.mark.parametrize("table, tolerance", [
    ("ncf_cdf_rows", 2.5e-13),           # df1 1..20, df2 5..200, ncp 0..200
    ("ncf_cdf_large_rows", 3e-12),       # ncp 500..5000
    ("ncf_cdf_extended_rows", 3e-12),    # first Poisson terms below the double range
])
def test_ncf_cdf(table, tolerance):
    x, df1, df2, ncp, p = read("ncf_cdf")[table].T
    worst(table, relative_error(kelbrant.ncf_cdf(x, df1, df2, ncp), p), tolerance,
          (x, df1, df2, ncp))


@pytest.mark.parametrize("table, density", [
    ("ncf_log_central_rows", True),
    ("ncf_log_summation_rows", True),
    # At lambda = 10000 the density's Poisson sum needs more terms than it
    # may take: the probabilities alone.
    ("ncf_log_integration_rows", False),
    ("ncf_log_fallback_rows", True),
])
def test_ncf_log_probabilities_and_density(table, density):
    # 1e-12 relative in every log, the far tails included.
    x, n1, n2, lam, lower, upper, dens = read("ncf_log")[table].T
    args = (x, n1, n2, lam)
    worst(table + " logcdf", relative_error(kelbrant.ncf_logcdf(*args), lower), 1e-12, args)
    worst(table + " logsf", relative_error(kelbrant.ncf_logsf(*args), upper), 1e-12, args)
    if density:
        worst(table + " logpdf", relative_error(kelbrant.ncf_logpdf(*args), dens), 1e-12, args)


def test_ncf_logpdf():
    tables = read("ncf_log")
    x, n1, n2, lam, dens = tables["ncf_log_density_rows"].T
    worst("ncf_log_density_rows", relative_error(kelbrant.ncf_logpdf(x, n1, n2, lam), dens),
          1e-12, (x, n1, n2, lam))
    # The mixture table: 1e-12 relative in the log or 1e-13 absolute (1e-13
    # relative in the density, where the log is near 0).
    x, n1, n2, lam, dens = read("ncf_density")["ncf_density_rows"].T
    d = np.abs(kelbrant.ncf_logpdf(x, n1, n2, lam) - dens)
    worst("ncf_density_rows", np.minimum(d / (1e-12 * np.abs(dens)), d / 1e-13), 1.0,
          (x, n1, n2, lam))


def test_log_gammainc_and_gammaincc():
    # 1e-12 of the log; after the shift of a shape below 1 the upper tail is
    # a difference that loses digits like 1/a: 8 eps (1 + x)/a more in ln Q.
    x, a, p_hi, p_rel, q_hi, q_rel, _, _ = read("gamma_inc_log")[""].T
    worst("log_gammainc", reference_log_error(kelbrant.log_gammainc(a, x), p_hi, p_rel),
          1e-12, (a, x))
    allowance = np.where(a < 1, 8 * EPS * (1 + x) / a, 0.0) / np.maximum(1.0, np.abs(q_hi))
    worst("log_gammaincc", reference_log_error(kelbrant.log_gammaincc(a, x), q_hi, q_rel),
          1e-12 + allowance, (a, x))


def test_log_betainc_and_betaincc():
    # 1e-12 of the log plus 1e-15 of the magnitude M of the terms its log
    # density is formed from (ln B(a, b), (a-1) ln x, (b-1) ln(1-x)).
    x, a, b, lower, upper, _ = read("beta_log")["beta_log_rows"].T
    m = np.array([abs(math.lgamma(p) + math.lgamma(q) - math.lgamma(p + q)) for p, q in zip(a, b)]) \
        + np.abs((a - 1) * np.log(x)) + np.abs((b - 1) * np.log1p(-x))
    for name, got, want in (("log_betainc", kelbrant.log_betainc(a, b, x), lower),
                            ("log_betaincc", kelbrant.log_betaincc(a, b, x), upper)):
        worst(name, np.abs(got - want), 1e-12 * np.abs(want) + 1e-15 * m, (a, b, x))


@pytest.mark.parametrize("table, value_tolerance", [
    ("bessel_series_rows", 1e-13),
    ("bessel_hankel_rows", 1e-12),   # stops at a term of 1e-12 of the sum
    ("bessel_debye_rows", 1e-13),
    ("bessel_recurrence_debye_rows", 1e-13),
    ("bessel_recurrence_series_rows", 1e-13),
])
def test_bessel_forms(table, value_tolerance):
    # ln I to 1e-12; I and e^-z I to the method's tolerance plus the
    # rounding of ln I carried into its exponential.  The table holds 0 for
    # a value outside the normal double range: beyond the top iv is +inf.
    z, nu, log_i, scaled, plain = read("bessel_i")[table].T
    worst(table + " log_iv", relative_error(kelbrant.log_iv(nu, z), log_i), 1e-12, (nu, z))
    bound = value_tolerance + 2.0 ** -52 * np.abs(log_i)
    for name, got, want in (("ive", kelbrant.ive(nu, z), scaled), ("iv", kelbrant.iv(nu, z), plain)):
        inside = want != 0
        worst(table + " " + name, relative_error(got[inside], want[inside]), bound[inside],
              (nu[inside], z[inside]))
    beyond = log_i > math.log(np.finfo(np.float64).max)
    assert (kelbrant.iv(nu[beyond], z[beyond]) == np.inf).all()


def test_beta_and_gamma_log_densities():
    # The beta log density cancels terms of size
    # T = |(a-1) ln x| + |(b-1) ln(1-x)| + min(a, b) |ln max(a, b)|:
    # 4 eps T absolute, or 1e-12 of the log where that is larger.
    x, a, b, hi, rel = read("densities_beta")[""].T
    terms = np.abs((a - 1) * np.log(x)) + np.abs((b - 1) * np.log1p(-x)) \
        + np.minimum(a, b) * np.abs(np.log(np.maximum(a, b)))
    worst("beta_logpdf", reference_log_error(kelbrant.beta_logpdf(x, a, b), hi, rel),
          np.maximum(1e-12, 4 * EPS * terms / np.maximum(1.0, np.abs(hi))), (x, a, b))
    x, a, hi, rel = read("densities_gamma")[""].T
    worst("gamma_logpdf", reference_log_error(kelbrant.gamma_logpdf(x, a), hi, rel), 1e-12, (x, a))


def test_normal_log_tails_and_mills_ratio():
    z, l_hi, l_rel, u_hi, u_rel, _, _ = read("densities_normal_tails")[""].T
    worst("norm_logcdf", reference_log_error(kelbrant.norm_logcdf(z), l_hi, l_rel), 1e-12, (z,))
    worst("norm_logsf", reference_log_error(kelbrant.norm_logsf(z), u_hi, u_rel), 1e-12, (z,))
    z, hi, rel = read("densities_mills")[""].T
    worst("mills_ratio", reference_relative_error(kelbrant.mills_ratio(z), hi, rel), 1e-13, (z,))


def test_invgauss_cdf():
    # Exponentials of quantities of size lambda: their roundings,
    # 4 eps (2 lambda + t^2) with t^2 = lambda (x + 1/x + 2)/2, beyond 1e-13.
    x, lam, hi, rel = read("densities_inverse_gaussian")[""].T
    got = kelbrant.invgauss_cdf(x, lam)
    err = np.where(hi == 0, np.where(got == 0, 0.0, np.inf),
                   reference_relative_error(got, np.where(hi == 0, 1, hi), rel))
    worst("invgauss_cdf", err, 1e-13 + 4 * EPS * (2 * lam + lam * (x + 1 / x + 2) / 2), (x, lam))


def test_ncf_probabilities_and_density():
    # Tolerances those of the C++ suite (tests/library/ncf_probabilities_test.cpp):
    # 2.5e-13 plus the rounding of the log, 2^-52 |w|; the density's log
    # 2^-49 |w|, and 5e-12 from df1 + df2 = 1e6 on.
    x, df1, df2, nc, lp, rlp, lq, rlq, lf, rlf = read("ncf_probabilities")[""].T
    args = (x, df1, df2, nc)
    wide = np.where(df1 + df2 >= 1e6, 5e-12, 0.0)
    for name, ufunc, hi, rel, unit in [("logcdf", kelbrant.ncf_logcdf, lp, rlp, 2.0 ** -52),
                                       ("logsf", kelbrant.ncf_logsf, lq, rlq, 2.0 ** -52),
                                       ("logpdf", kelbrant.ncf_logpdf, lf, rlf, 2.0 ** -49)]:
        bound = 2.5e-13 + unit * np.abs(hi) + (wide if name == "logpdf" else 0.0)
        worst("ncf_" + name, np.abs((ufunc(*args) - hi) - rel * hi), bound, args)
    for name, ufunc, hi, unit in [("cdf", kelbrant.ncf_cdf, lp, 2.0 ** -52),
                                  ("sf", kelbrant.ncf_sf, lq, 2.0 ** -52),
                                  ("pdf", kelbrant.ncf_pdf, lf, 2.0 ** -49)]:
        normal = hi > -708.0  # the value a normal double
        want = np.exp(hi[normal])
        bound = (2.5e-13 + unit * np.abs(hi[normal]) + 4 * EPS
                 + (wide[normal] if name == "pdf" else 0.0))
        worst("ncf_" + name, relative_error(ufunc(*args)[normal], want), bound,
              tuple(a[normal] for a in args))


def test_ncf_quantiles():
    # 1e-13 plus the condition's share, kappa 2.5e-13, as in the C++ suite.
    p, tail, df1, df2, nc, kappa, x, rel = read("ncf_quantile")[""].T
    lower = tail == 0
    got = np.where(lower, kelbrant.ncf_ppf(p, df1, df2, nc), kelbrant.ncf_isf(p, df1, df2, nc))
    worst("ncf_ppf and ncf_isf", reference_relative_error(got, x, rel), 1e-13 + 2.5e-13 * kappa,
          (p, tail, df1, df2, nc))
