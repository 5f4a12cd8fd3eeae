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

    def _cdf(self, x, *shapes):
        return self._ufuncs["_cdf"](x, *shapes)

    def _sf(self, x, *shapes):
        return self._ufuncs["_sf"](x, *shapes)

    def _logcdf(self, x, *shapes):
        return self._ufuncs["_logcdf"](x, *shapes)

    def _logsf(self, x, *shapes):
        return self._ufuncs["_logsf"](x, *shapes)

    def _pdf(self, x, *shapes):
        return self._ufuncs["_pdf"](x, *shapes)

    def _logpdf(self, x, *shapes):
        return self._ufuncs["_logpdf"](x, *shapes)

    def _ppf(self, q, *shapes):
        return self._ufuncs["_ppf"](q, *shapes)

    def _isf(self, q, *shapes):
        return self._ufuncs["_isf"](q, *shapes)


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

    and inf below, as SciPy gives them; skewness and kurtosis by SciPy's
    generic numerical moments.
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
            mean = np.where(dfd <= 2, np.inf, dfd / (dfd - 2) * (dfn + nc) / dfn)
            var = np.where(dfd <= 4, np.inf,
                           2 * (dfd / dfn) ** 2 * ((dfn + nc) ** 2 + (dfn + 2 * nc) * (dfd - 2))
                           / ((dfd - 2) ** 2 * (dfd - 4)))
        return mean, var, None, None


ncf = ncf_gen(a=0.0, name="ncf", shapes="dfn, dfd, nc")
