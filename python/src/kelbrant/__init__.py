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

The noncentral t family: nct_cdf, nct_sf, nct_logcdf, nct_logsf, nct_pdf,
nct_logpdf, nct_ppf, nct_isf (SciPy's nct order: x, df, nc), the inversion in
the noncentrality nct_ncp (with nct_ncp_status), its interval
nct_ncp_interval, the intervals for Cohen's d and Hedges' g
(cohens_d_interval), and the t tests' power and sample size (t_test_power,
t_test_sample_size, as R's pwr.t.test has them).

The noncentral chi-square family: ncx2_cdf, ncx2_sf, ncx2_logcdf,
ncx2_logsf, ncx2_pdf, ncx2_logpdf, ncx2_ppf, ncx2_isf (SciPy's ncx2 order:
x, df, nc), ncx2_ncp (with ncx2_ncp_status) and its intervals
(ncx2_ncp_interval, rmsea_interval, cohens_w_interval, cramers_v_interval),
and the chi-square test's power and sample size (chisq_test_power,
chisq_test_sample_size, as R's pwr.chisq.test has them).

Every function but the interval, design and picture functions is a numpy.ufunc
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
    NCT_FAILED,
    NCT_INVALID,
    NCT_OK,
    nct_cdf,
    nct_isf,
    nct_logcdf,
    nct_logpdf,
    nct_logsf,
    nct_ncp,
    nct_ncp_status,
    nct_pdf,
    nct_ppf,
    nct_sf,
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


_ALTERNATIVES = {"two-sided": 0, "less": 1, "greater": 2}
_TYPES = {"one-sample": 0, "two-sample": 1, "paired": 2}


def _choice(table, name, value):
    try:
        return table[value]
    except (KeyError, TypeError):
        raise ValueError("%s must be one of %s, not %r"
                         % (name, ", ".join(repr(k) for k in table), value)) from None


_ALT_NAMES = {0: "two_sided", 1: "less", 2: "greater"}


def nct_ncp_interval(t, df, confidence=0.95, alternative="two-sided"):
    """Confidence interval (lower, upper) for the noncentrality of the
    noncentral t distribution from an observed t with df degrees of freedom
    (Steiger and Fouladi 1997): the lower limit solves nct_sf(t, df, lower)
    = alpha, the upper nct_cdf(t, df, upper) = alpha, alpha = (1 -
    confidence)/2 for 'two-sided' and 1 - confidence for one side ('less':
    (-inf, upper], 'greater': [lower, inf)).  NaN for NaN or out-of-domain
    arguments; the arguments broadcast."""
    code = _choice(_ALTERNATIVES, "alternative", alternative)
    lower, upper, _ = getattr(_core, "_nct_interval_" + _ALT_NAMES[code])(t, df, confidence)
    return lower, upper


class DInterval(tuple):
    """(d, d_lower, d_upper, g, g_lower, g_upper): Cohen's d and Hedges' g
    with their confidence limits, each an array (or float64 scalar)."""
    __slots__ = ()
    _fields = ("d", "d_lower", "d_upper", "g", "g_lower", "g_upper")

    def __new__(cls, values):
        return tuple.__new__(cls, values)

    def __repr__(self):
        return "DInterval(%s)" % ", ".join("%s=%r" % p for p in zip(self._fields, self))


for _i, _name in enumerate(DInterval._fields):
    setattr(DInterval, _name, property(lambda self, _i=_i: self[_i]))


def cohens_d_interval(t, n1, n2=None, df=None, confidence=0.95, alternative="two-sided"):
    """Cohen's d and Hedges' g with their confidence intervals from an
    observed t: one sample or paired differences of n1 (n2 None; d = delta
    / sqrt(n1), df = n1 - 1 unless given) or two groups of n1 and n2 (d =
    delta sqrt(1/n1 + 1/n2), df = n1 + n2 - 2 unless given), the limits of
    delta from nct_ncp_interval.  g = J(df) d with Hedges' J(df) =
    Gamma(df/2) / (sqrt(df/2) Gamma((df - 1)/2)).  Returns a DInterval of
    arrays (NaN where an argument is out of its domain)."""
    import numpy as np
    code = _choice(_ALTERNATIVES, "alternative", alternative)
    n2v = np.nan if n2 is None else n2
    if df is None:
        df = np.subtract(n1, 1.0) if n2 is None else np.add(n1, n2v) - 2.0
    out = getattr(_core, "_d_interval_" + _ALT_NAMES[code])(t, df, n1, n2v, confidence)
    return DInterval(out[:6])


def _t_design(n, d, alpha, power, type, alternative, n2=None):
    import numpy as np
    alt = _choice(_ALTERNATIVES, "alternative", alternative)
    if n2 is not None:
        return getattr(_core, "_t_design_%d" % (9 + alt))(n, n2, d, alpha, power)
    ty = _choice(_TYPES, "type", type)
    return getattr(_core, "_t_design_%d" % (3 * ty + alt))(np.nan, n, d, alpha, power)


def t_test_power(n, d, alpha=0.05, type="two-sample", alternative="two-sided", n2=None):
    """Power of the t test as pwr.t.test has it: n observations (one-sample),
    pairs (paired) or per group (two-sample), or two groups of n and n2
    (pwr.t2n.test), effect size d (|d| for two sides), level alpha.  NaN
    where an argument is out of its domain; the arguments broadcast."""
    return _t_design(n, d, alpha, float("nan"), type, alternative, n2)[3]


def t_test_sample_size(d, power, alpha=0.05, type="two-sample", alternative="two-sided", n1=None):
    """The smallest whole sample size whose t test reaches the power: n
    (per group for two-sample), or n2 of two groups with the given n1.
    Returns (n, achieved power); NaN where no size up to 2147483647 does."""
    nan = float("nan")
    if n1 is not None:
        out = _t_design(n1, d, alpha, power, type, alternative, n2=nan)
    else:
        out = _t_design(nan, d, alpha, power, type, alternative)
    return out[0], out[4]


_DIVISOR = {"n-1": 0, "n": 1}
_NAN = float("nan")


def _chisq(chi2, df, n, rows, cols, confidence, alternative, divisor, quantity):
    return _core._chisq_interval(chi2, df, n, rows, cols, confidence,
                                 _choice(_ALTERNATIVES, "alternative", alternative),
                                 _choice(_DIVISOR, "divisor", divisor), quantity)


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
    "anova_power", "anova_sample_size", "beta_logpdf", "betainccinv", "betaincinv", "f2_power",
    "f2_sample_size", "f_isf",
    "f_ppf", "f_test_power", "fnonct", "fnonct_status", "gamma_logpdf", "invgauss_cdf", "iv", "ive",
    "log_betainc", "log_betaincc", "log_gammainc", "log_gammaincc", "log_iv", "mills_ratio",
    "ncf_cdf", "ncf_isf", "ncf_logcdf", "ncf_logpdf", "ncf_logsf", "ncf_pdf", "ncf_ppf", "ncf_sf",
    "ncp_interval", "ncp_interval_status",
    "norm_logcdf", "norm_logsf", "plot_confidence_curve", "plot_power",
    "NCT_FAILED", "NCT_INVALID", "NCT_OK", "nct_cdf", "nct_sf", "nct_logcdf", "nct_logsf",
    "nct_pdf", "nct_logpdf", "nct_ppf", "nct_isf", "nct_ncp", "nct_ncp_status",
    "nct_ncp_interval", "cohens_d_interval", "DInterval", "t_test_power", "t_test_sample_size",
    "chisq_test_power", "chisq_test_sample_size", "cohens_w_interval", "cramers_v_interval",
    "ncx2_cdf", "ncx2_isf", "ncx2_logcdf", "ncx2_logpdf", "ncx2_logsf", "ncx2_ncp",
    "ncx2_ncp_interval", "ncx2_ncp_interval_status", "ncx2_ncp_status", "ncx2_pdf", "ncx2_ppf",
    "ncx2_sf", "rmsea_interval",
]
