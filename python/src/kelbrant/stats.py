"""kelbrant.stats: the package's distributions as scipy.stats objects.

Each object is an instance of a scipy.stats.rv_continuous subclass whose
methods call kelbrant's ufuncs, so that code written for a SciPy
distribution takes ours unchanged: ``kelbrant.stats.ncf(dfn, dfd, nc)``
freezes like ``scipy.stats.ncf``, with cdf, sf, logcdf, logsf, pdf, logpdf,
ppf, isf, mean, var, std, interval, moment, rvs, fit and the rest, loc and
scale as SciPy gives them.  SciPy supplies the generic machinery (argument
checks, broadcasting, loc and scale, numerical higher moments); the values
are kelbrant's.

This module needs SciPy; ``import kelbrant`` does not (kelbrant.stats is
imported on first use).

A further family is a subclass of ``_kelbrant_continuous`` naming its
ufuncs in ``_ufuncs`` and its closed-form moments in ``_stats``, and one
instance; it is listed in ``__all__``.
"""
import math

import numpy as np
from scipy import stats as _scipy_stats

from kelbrant import _core

__all__ = ["ncf"]


class _kelbrant_continuous(_scipy_stats.rv_continuous):
    """An rv_continuous whose distribution functions are kelbrant ufuncs.

    ``_ufuncs`` maps each of SciPy's private methods (_cdf, _sf, _logcdf,
    _logsf, _pdf, _logpdf, _ppf, _isf) to the ufunc that computes it from
    (x or q, *shapes) in SciPy's order.
    """

    _ufuncs = {}


def _calling_ufunc(name):
    def method(self, x, *shapes):
        return self._ufuncs[name](x, *shapes)
    method.__name__ = name
    return method


for _name in ("_cdf", "_sf", "_logcdf", "_logsf", "_pdf", "_logpdf", "_ppf", "_isf"):
    setattr(_kelbrant_continuous, _name, _calling_ufunc(_name))
del _name


class ncf_gen(_kelbrant_continuous):
    r"""The noncentral F distribution with dfn and dfd degrees of freedom and
    noncentrality nc, kelbrant's numerics behind SciPy's interface (shapes
    and their order as ``scipy.stats.ncf``).

    The probabilities keep their relative precision in both tails far below
    the double range (logcdf, logsf), the quantiles take either tail (isf
    of 1e-300 loses nothing), and nc may reach 1e6.  rvs draws with
    ``numpy.random.Generator.noncentral_f`` (or RandomState's).

    Moments from their closed forms, for dfd > 2 and dfd > 4:

        mean = dfd (dfn + nc) / (dfn (dfd - 2)),
        var  = 2 (dfd / dfn)^2 ((dfn + nc)^2 + (dfn + 2 nc)(dfd - 2))
               / ((dfd - 2)^2 (dfd - 4)),

    and NaN below, as SciPy gives them; the raw moments E[F'^n] (and so
    skewness and kurtosis) from those of the noncentral chi-square
    numerator and the central denominator, NaN for dfd <= 2n.
    """

    _ufuncs = {"_cdf": _core.ncf_cdf, "_sf": _core.ncf_sf, "_logcdf": _core.ncf_logcdf,
               "_logsf": _core.ncf_logsf, "_pdf": _core.ncf_pdf, "_logpdf": _core.ncf_logpdf,
               "_ppf": _core.ncf_ppf, "_isf": _core.ncf_isf}

    def _argcheck(self, dfn, dfd, nc):
        return (dfn > 0) & (dfd > 0) & (nc >= 0) & np.isfinite(dfn) & np.isfinite(dfd) \
            & np.isfinite(nc)

    def _rvs(self, dfn, dfd, nc, size=None, random_state=None):
        return random_state.noncentral_f(dfn, dfd, nc, size)

    def _stats(self, dfn, dfd, nc, moments="mv"):
        dfn, dfd, nc = np.asarray(dfn, float), np.asarray(dfd, float), np.asarray(nc, float)
        with np.errstate(divide="ignore", invalid="ignore"):
            mean = np.where(dfd <= 2, np.nan, dfd / (dfd - 2) * (dfn + nc) / dfn)
            var = np.where(dfd <= 4, np.nan,
                           2 * (dfd / dfn) ** 2 * ((dfn + nc) ** 2 + (dfn + 2 * nc) * (dfd - 2))
                           / ((dfd - 2) ** 2 * (dfd - 4)))
        return mean, var, None, None

    def _munp(self, n, dfn, dfd, nc):
        # E[F'^n] = (dfd/dfn)^n E[X^n] E[Y^-n] for the independent numerator
        # X ~ chi'^2(dfn, nc) and denominator Y ~ chi^2(dfd): the raw moments
        # of X by their recurrence
        #     E[X^k] = 2^(k-1) (k-1)! (dfn + k nc)
        #              + sum_(j=1)^(k-1) (k-1)! 2^(j-1) / (k-j)! (dfn + j nc) E[X^(k-j)],
        # and E[Y^-n] = 1 / prod_(i=1)^n (dfd - 2i), finite for dfd > 2n.
        n = int(n)
        dfn, dfd, nc = np.asarray(dfn, float), np.asarray(dfd, float), np.asarray(nc, float)
        raw = [np.ones_like(dfn + dfd + nc)]
        for k in range(1, n + 1):
            total = 2.0 ** (k - 1) * math.factorial(k - 1) * (dfn + k * nc)
            for j in range(1, k):
                total = total + (math.factorial(k - 1) * 2.0 ** (j - 1) / math.factorial(k - j)
                                 * (dfn + j * nc) * raw[k - j])
            raw.append(total)
        inverse = np.ones_like(dfd)
        for i in range(1, n + 1):
            inverse = inverse * (dfd - 2.0 * i)
        with np.errstate(divide="ignore", invalid="ignore"):
            return np.where(dfd > 2 * n, (dfd / dfn) ** n * raw[n] / inverse, np.nan)


ncf = ncf_gen(a=0.0, name="ncf", shapes="dfn, dfd, nc")
