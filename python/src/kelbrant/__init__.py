"""kelbrant: the noncentrality of the noncentral F distribution (FNONCT) and
the module's log-space distribution functions, as NumPy ufuncs.

The noncentral F law as SciPy names it (ncf_cdf, ncf_sf, ncf_logcdf,
ncf_logsf, ncf_pdf, ncf_logpdf, ncf_ppf, ncf_isf; arguments x, dfn, dfd,
nc) is there, and as a scipy.stats distribution object in kelbrant.stats
(which alone needs SciPy).  The central F quantile (f_ppf, f_isf) and the
inverse incomplete beta ratio (betaincinv, betainccinv), the power of the F
test (f_test_power), of its two designs (f2_power, anova_power) and their
smallest whole sample sizes (f2_sample_size, anova_sample_size) are there
too, with pictures of them (plot_power, plot_confidence_curve; Matplotlib,
imported when drawn).  The
noncentral chi-square family (ncx2_cdf ... ncx2_isf, ncx2_ncp and its
intervals: ncx2_ncp_interval, rmsea_interval, cohens_w_interval,
cramers_v_interval; chisq_test_power, chisq_test_sample_size) sits beside
them.

Every function but the intervals (ncp_interval, ncx2_ncp_interval,
rmsea_interval, cohens_w_interval, cramers_v_interval and the _status
functions beside them) and the pictures is a numpy.ufunc
over float64: it broadcasts, takes out=, gives scalars for scalars and runs
without the GIL, so that threads and Dask workers call it in parallel.
Where there is no answer the value is NaN; fnonct_status tells why,
elementwise.
"""

from kelbrant._core import (  # noqa: F401
    FNONCT_FAILED,
    FNONCT_INVALID,
    FNONCT_MISSING,
    FNONCT_NO_ROOT,
    FNONCT_OK,
    anova_power,
    anova_sample_size,
    beta_logpdf,
    betainccinv,
    chisq_test_power,
    chisq_test_sample_size,
    betaincinv,
    f2_power,
    f2_sample_size,
    f_isf,
    f_ppf,
    f_test_power,
    fnonct,
    fnonct_status,
    gamma_logpdf,
    invgauss_cdf,
    iv,
    ive,
    log_betainc,
    log_betaincc,
    log_gammainc,
    log_gammaincc,
    log_iv,
    mills_ratio,
    ncf_cdf,
    ncf_isf,
    ncf_logcdf,
    ncf_logpdf,
    ncf_logsf,
    ncx2_cdf,
    ncx2_isf,
    ncx2_logcdf,
    ncx2_logpdf,
    ncx2_logsf,
    ncx2_ncp,
    ncx2_ncp_status,
    ncx2_pdf,
    ncx2_ppf,
    ncx2_sf,
    ncf_pdf,
    ncf_ppf,
    ncf_sf,
    norm_logcdf,
    norm_logsf,
)
from kelbrant import _core
from kelbrant.plot import plot_confidence_curve, plot_power  # noqa: F401

__version__ = "0.1.0"


def __getattr__(name):
    # kelbrant.stats imports SciPy: loaded on first use, so that the package
    # itself needs NumPy alone.
    if name == "stats":
        import importlib
        return importlib.import_module("kelbrant.stats")
    raise AttributeError("module 'kelbrant' has no attribute %r" % name)

_INTERVAL = {
    "two-sided": _core._ncp_interval_two_sided,
    "less": _core._ncp_interval_less,
    "greater": _core._ncp_interval_greater,
}


def _interval_ufunc(alternative):
    try:
        return _INTERVAL[alternative]
    except (KeyError, TypeError):
        raise ValueError("alternative must be one of %s, not %r"
                         % (", ".join(repr(k) for k in _INTERVAL), alternative)) from None


def ncp_interval(f, df1, df2, confidence=0.95, alternative="two-sided"):
    """Confidence interval (lower, upper) for the noncentrality lambda of the
    noncentral F distribution from an observed F statistic f with df1 and
    df2 degrees of freedom (Steiger 2004).

    alternative='two-sided' puts (1 - confidence)/2 in each tail: the lower
    limit solves ncf_cdf(f, df1, df2, lower) = 1 - alpha, the upper
    ncf_cdf(f, df1, df2, upper) = alpha.  A limit whose equation has no
    root is 0 (both are 0 when neither has).  'less' gives the upper bound
    alone (lower = 0), 'greater' the lower bound alone (upper = inf), each
    with 1 - confidence in its tail.  Both limits are NaN for NaN or
    out-of-domain arguments (f >= 0, df1 > 0, df2 > 0, 0 < confidence < 1)
    and where a search failed; ncp_interval_status says which.

    The arguments broadcast; the limits are arrays of their common shape
    (float64 scalars for scalar arguments).
    """
    lower, upper, _ = _interval_ufunc(alternative)(f, df1, df2, confidence)
    return lower, upper


def ncp_interval_status(f, df1, df2, confidence=0.95, alternative="two-sided"):
    """Elementwise outcome of ncp_interval, as int32: FNONCT_OK,
    FNONCT_MISSING (a NaN argument), FNONCT_INVALID (an argument out of its
    domain) or FNONCT_FAILED (a search did not reach a root that exists)."""
    return _interval_ufunc(alternative)(f, df1, df2, confidence)[2]


_ALTERNATIVE = {"two-sided": 0, "less": 1, "greater": 2}
_DIVISOR = {"n-1": 0, "n": 1}
_NAN = float("nan")


def _selector(table, name, value):
    try:
        return table[value]
    except (KeyError, TypeError):
        raise ValueError("%s must be one of %s, not %r"
                         % (name, ", ".join(repr(k) for k in table), value)) from None


def _chisq(chi2, df, n, rows, cols, confidence, alternative, divisor, quantity):
    return _core._chisq_interval(chi2, df, n, rows, cols, confidence,
                                 _selector(_ALTERNATIVE, "alternative", alternative),
                                 _selector(_DIVISOR, "divisor", divisor), quantity)


def ncx2_ncp_interval(x, df, confidence=0.95, alternative="two-sided"):
    """Confidence interval (lower, upper) for the noncentrality of the
    noncentral chi-square distribution behind an observed statistic x on df
    degrees of freedom (Steiger 2004): the lower limit solves
    ncx2_cdf(x, df, lower) = 1 - alpha, the upper ncx2_cdf(x, df, upper) =
    alpha, alpha = (1 - confidence)/2 for 'two-sided' and 1 - confidence for
    'less' (lower = 0) and 'greater' (upper = inf).  A limit whose equation
    has no root is 0.  NaN for NaN or out-of-domain arguments (x >= 0,
    2^-10 < df <= 2147483647, 0 < confidence < 1) and where a search failed;
    ncx2_ncp_interval_status says which.  The arguments broadcast."""
    lower, upper, _ = _chisq(x, df, _NAN, _NAN, _NAN, confidence, alternative, "n-1", 0)
    return lower, upper


def ncx2_ncp_interval_status(x, df, confidence=0.95, alternative="two-sided"):
    """Elementwise outcome of ncx2_ncp_interval, as int32 (FNONCT_OK,
    FNONCT_MISSING, FNONCT_INVALID or FNONCT_FAILED)."""
    return _chisq(x, df, _NAN, _NAN, _NAN, confidence, alternative, "n-1", 0)[2]


def rmsea_interval(chi2, df, n, confidence=0.90, alternative="two-sided", divisor="n-1"):
    """Confidence interval (lower, upper) for the RMSEA of a model with
    statistic chi2 on df degrees of freedom and sample size n (Steiger and
    Lind 1980; Browne and Cudeck 1993): sqrt(lambda / (df (n - 1))) at the
    limits of ncx2_ncp_interval.  divisor='n' divides by df n instead, as
    some programs do.  The customary level is 90%.  The estimate that goes
    with it is sqrt(max(chi2 - df, 0) / (df (n - 1))).  NaN where the
    interval has none (n <= 1, or n <= 0 with divisor 'n', and as
    ncx2_ncp_interval)."""
    lower, upper, _ = _chisq(chi2, df, n, _NAN, _NAN, confidence, alternative, divisor, 1)
    return lower, upper


def cohens_w_interval(chi2, df, n, confidence=0.95, alternative="two-sided"):
    """Confidence interval (lower, upper) for Cohen's w = phi =
    sqrt(lambda / n) behind a chi-square statistic on df degrees of freedom
    from n observations; the estimate is sqrt(max(chi2 - df, 0) / n)."""
    lower, upper, _ = _chisq(chi2, df, n, _NAN, _NAN, confidence, alternative, "n-1", 2)
    return lower, upper


def cramers_v_interval(chi2, n, rows, cols, confidence=0.95, alternative="two-sided"):
    """Confidence interval (lower, upper) for Cramer's V =
    sqrt(lambda / (n (min(rows, cols) - 1))) of a rows x cols table of n
    observations with Pearson statistic chi2, on (rows - 1)(cols - 1)
    degrees of freedom.  The estimate inside it is
    sqrt(max(chi2 - df, 0) / (n (min(rows, cols) - 1))); the conventional
    sqrt(chi2 / (n (min - 1))) overstates V by the df and can lie outside
    the interval.  NaN for rows or cols that are not whole numbers of at
    least 2, and as ncx2_ncp_interval."""
    import numpy as np
    df = (np.asarray(rows, dtype=float) - 1) * (np.asarray(cols, dtype=float) - 1)
    lower, upper, _ = _chisq(chi2, df, n, rows, cols, confidence, alternative, "n-1", 3)
    return lower, upper


__all__ = [
    "FNONCT_FAILED", "FNONCT_INVALID", "FNONCT_MISSING", "FNONCT_NO_ROOT", "FNONCT_OK",
    "anova_power", "anova_sample_size", "beta_logpdf", "betainccinv", "betaincinv",
    "chisq_test_power", "chisq_test_sample_size", "cohens_w_interval", "cramers_v_interval",
    "f2_power", "f2_sample_size", "f_isf", "f_ppf", "f_test_power", "fnonct", "fnonct_status",
    "gamma_logpdf", "invgauss_cdf", "iv", "ive", "log_betainc", "log_betaincc", "log_gammainc",
    "log_gammaincc", "log_iv", "mills_ratio", "ncf_cdf", "ncf_isf", "ncf_logcdf", "ncf_logpdf",
    "ncf_logsf", "ncf_pdf", "ncf_ppf", "ncf_sf", "ncp_interval", "ncp_interval_status", "ncx2_cdf",
    "ncx2_isf", "ncx2_logcdf", "ncx2_logpdf", "ncx2_logsf", "ncx2_ncp", "ncx2_ncp_interval",
    "ncx2_ncp_interval_status", "ncx2_ncp_status", "ncx2_pdf", "ncx2_ppf", "ncx2_sf",
    "norm_logcdf", "norm_logsf", "plot_confidence_curve", "plot_power", "rmsea_interval",
]
