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
imported when drawn).

Every function but ncp_interval and ncp_interval_status is a numpy.ufunc
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


__all__ = [
    "FNONCT_FAILED", "FNONCT_INVALID", "FNONCT_MISSING", "FNONCT_NO_ROOT", "FNONCT_OK",
    "anova_power", "anova_sample_size", "beta_logpdf", "betainccinv", "betaincinv", "f2_power",
    "f2_sample_size", "f_isf",
    "f_ppf", "f_test_power", "fnonct", "fnonct_status", "gamma_logpdf", "invgauss_cdf", "iv", "ive",
    "log_betainc", "log_betaincc", "log_gammainc", "log_gammaincc", "log_iv", "mills_ratio",
    "ncf_cdf", "ncf_isf", "ncf_logcdf", "ncf_logpdf", "ncf_logsf", "ncf_pdf", "ncf_ppf", "ncf_sf",
    "ncp_interval", "ncp_interval_status",
    "norm_logcdf", "norm_logsf", "plot_confidence_curve", "plot_power",
]
