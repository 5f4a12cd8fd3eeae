"""Pictures of a design and of an observed F: the power of the F test against
the sample size for several effect sizes, and the confidence curve of the
noncentrality.

Every plotted value is the package's own (anova_power, f2_power, the sample
sizes, ncf_cdf, ncp_interval); the drawing is Matplotlib's, imported when a
picture is asked for, so that the package needs no Matplotlib otherwise.
"""
import numpy as np

from kelbrant import _core

# Cohen's (1988) small, medium and large effects: f for the analysis of
# variance (ch. 8), f2 for the regression form (ch. 9).
_COHEN_F = (0.1, 0.25, 0.4)
_COHEN_F2 = (0.02, 0.15, 0.35)
# Without sizes, the axis runs from the smallest size of the design to this
# multiple of the largest size that reaches the target power...
_SIZE_MARGIN = 1.25
# ...or to this size when no effect reaches the target on the whole range.
_SIZE_FALLBACK = 100
# The points of a confidence curve drawn without ncp.
_CURVE_POINTS = 201


def _axes(ax):
    if ax is not None:
        return ax
    import matplotlib.pyplot as plt
    return plt.subplots()[1]


def _design(groups, u):
    """The design's power and sample-size ufuncs, its first argument, the
    names of its size and effect, and its smallest size."""
    if (groups is None) == (u is None):
        raise TypeError("plot_power takes groups= (one-way analysis of variance) or u= "
                        "(regression), one of them")
    if groups is not None:
        return (_core.anova_power, _core.anova_sample_size, float(groups),
                "n per group", "f", _COHEN_F, 2.0)
    return (_core.f2_power, _core.f2_sample_size, float(u),
            "denominator degrees of freedom v", "f\u00b2", _COHEN_F2, 1.0)


def plot_power(*, groups=None, u=None, effects=None, sizes=None, alpha=0.05, power=0.8,
               ax=None):
    """Draw the power of the level-alpha F test against the sample size, one
    line per effect size, with the target power and alpha marked.

    groups=k: the one-way analysis of variance of k groups, sizes n per
    group, effects Cohen's f (lambda = k n f^2).  u=u: the regression form
    with u numerator degrees of freedom, sizes the denominator degrees of
    freedom v, effects f2 (lambda = f2 (u + v + 1)).  Give one of them.

    effects: the effect sizes, one line each (default Cohen's small, medium
    and large: f 0.1, 0.25, 0.4, or f2 0.02, 0.15, 0.35).  sizes: the sizes
    on the horizontal axis (default every whole size from the smallest, 2
    or 1, to 1.25 times the largest size the effects need for the target
    power).  A dashed line marks the target power, a dotted one alpha (the
    power with no effect), and a point on each line the smallest whole size
    that reaches the target (anova_sample_size, f2_sample_size), where it
    lies on the axis.  A size outside the design's domain leaves a gap; an
    effect with no power at any size (an effect, alpha or number of groups
    out of its domain) is a ValueError.

    Returns the Axes drawn on (ax, or a new figure's).  Each effect's line,
    labelled "f = 0.25" (or "f² = 0.15"), carries its sizes and powers:
    line.get_xdata(), line.get_ydata().
    """
    power_of, size_of, first, size_name, effect_name, cohen, smallest = _design(groups, u)
    if not 0.0 < power < 1.0:
        raise ValueError("power must lie between 0 and 1, not %r" % (power,))
    effects = np.atleast_1d(np.asarray(cohen if effects is None else effects, dtype=float))
    needed = size_of(first, effects, alpha, power)
    if sizes is None:
        reached = needed[np.isfinite(needed)]
        top = np.ceil(_SIZE_MARGIN * reached.max()) if reached.size else _SIZE_FALLBACK
        sizes = np.arange(smallest, max(top, smallest + 1.0) + 1.0)
    sizes = np.asarray(sizes, dtype=float)

    powers = [power_of(first, sizes, effect, alpha) for effect in effects]
    for effect, power_line in zip(effects, powers):
        if np.all(np.isnan(power_line)):
            raise ValueError("no power at any size for %s = %r, alpha = %r: the design is out "
                             "of its domain" % (effect_name, effect, alpha))

    ax = _axes(ax)
    for effect, size, power_line in zip(effects, needed, powers):
        line, = ax.plot(sizes, power_line, label="%s = %g" % (effect_name, effect))
        if np.isfinite(size) and sizes.min() <= size <= sizes.max():
            ax.plot([size], [power_of(first, size, effect, alpha)], "o",
                    color=line.get_color(), label="_%s = %g needs %g" % (effect_name, effect, size))
    ax.axhline(power, linestyle="--", color="0.4", linewidth=1, label="target power %g" % power)
    ax.axhline(alpha, linestyle=":", color="0.4", linewidth=1, label="alpha %g" % alpha)
    ax.set_xlabel(size_name)
    ax.set_ylabel("power")
    ax.set_ylim(0.0, 1.0)
    ax.set_title("power of the F test at alpha = %g; target %g" % (alpha, power))
    ax.legend(loc="center right")
    return ax


def plot_confidence_curve(f, df1, df2, *, confidence=0.95, alternative="two-sided", ncp=None,
                          ax=None):
    """Draw the confidence curve of an observed F: the distribution function
    P(F' <= f; df1, df2, lambda) against the noncentrality lambda, with the
    confidence interval for lambda marked.

    The interval (ncp_interval, Steiger 2004) collects the lambda at which
    the curve lies within the tails drawn as dashed lines, alpha =
    1 - confidence: two-sided between alpha/2 and 1 - alpha/2; 'less' (the
    upper bound alone) above alpha; 'greater' (the lower bound alone) below
    1 - alpha.  Each finite, nonzero limit is a dotted vertical line where
    the curve crosses its tail (a limit is 0 where the curve starts inside
    the tail).

    ncp: the lambda on the horizontal axis (default 201 points from 0 to
    1.5 times the upper limit).  Returns the Axes drawn on; its first line
    carries the curve: line.get_xdata() the lambda, line.get_ydata() the
    probabilities, ncf_cdf's own.
    """
    from kelbrant import ncp_interval

    lower, upper = (float(v) for v in ncp_interval(f, df1, df2, confidence, alternative))
    if np.isnan(lower):
        raise ValueError("no confidence interval for f = %r, df1 = %r, df2 = %r, confidence = %r"
                         % (f, df1, df2, confidence))
    if ncp is None:
        top = upper if np.isfinite(upper) and upper > 0.0 else max(lower, 1.0)
        ncp = np.linspace(0.0, 1.5 * top, _CURVE_POINTS)
    ncp = np.asarray(ncp, dtype=float)
    alpha = 1.0 - confidence
    tails = {"two-sided": (1.0 - alpha / 2.0, alpha / 2.0),
             "less": (None, alpha),
             "greater": (1.0 - alpha, None)}[alternative]

    ax = _axes(ax)
    ax.plot(ncp, _core.ncf_cdf(f, df1, df2, ncp), label="P(F\u2032 \u2264 %g; \u03bb)" % f)
    for tail, limit in zip(tails, (lower, upper)):
        if tail is None:
            continue
        ax.axhline(tail, linestyle="--", color="0.4", linewidth=1, label="_tail %g" % tail)
        if np.isfinite(limit) and limit > 0.0:
            ax.axvline(limit, linestyle=":", color="C3", linewidth=1,
                       label="_limit %.6g" % limit)
    ax.set_xlabel("noncentrality \u03bb")
    ax.set_ylabel("P(F\u2032 \u2264 f)")
    ax.set_ylim(0.0, 1.0)
    ax.set_title("F = %g on (%g, %g): %g%% interval for \u03bb [%.4g, %.4g]"
                 % (f, df1, df2, 100.0 * confidence, lower, upper))
    ax.legend(loc="center right")
    return ax
