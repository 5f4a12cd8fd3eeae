// ncf_quantile: the x with P(F' <= x; df1, df2, ncp) = p (or P(F' > x) = q)
// for the noncentral F law, by safeguarded Halley steps on the
// probabilities of ncf_probabilities.
//
// Start.  Patnaik's approximation (Patnaik 1949, Biometrika 36, 202-232)
// takes the noncentral chi-square numerator as a scaled central one,
// chi'^2(df1, lam) ~ rho chi^2(nu), rho = (df1 + 2 lam)/(df1 + lam),
// nu = (df1 + lam)^2/(df1 + 2 lam), which makes F' ~ c F(nu, df2) with
// c = (df1 + lam)/df1: the start is c times the central F quantile
// (f_quantile) at nu, df2 in the same tail.
//
// Iteration.  With T the tail asked for (P, or Q where the upper tail is
// given, or where p > 1/2: then q = 1 - p, exact), g(x) = s (T(x) - t),
// s = +1 for P and -1 for Q, rises with x and g' = f, the density.  Both T and f
// keep their relative precision far into the tails (ncf_probabilities), so
// T - t carries the digits of t = 1e-300 whole.  Halley's step
//     dx = -(g/f) / (1 - (g/f) (f'/f)/2)
// (Press et al., Numerical Recipes, 3rd ed., 9.4) takes f'/f from the
// density of the Patnaik law, (nu/2 - 1)/x - ((nu + df2)/2) m/(1 + m x),
// m = nu/(c df2): the exact f'/f has no cheap form, and the approximation
// only refines a Newton step, which alone converges quadratically.  The
// step falls back on Newton's where the correction is not within a factor
// of two.  Every evaluation narrows a bracket [lo, hi] on the sign of g;
// a step that leaves it, or, once it is finite, does not halve the step
// before it (rtsafe's rule, Numerical Recipes 9.4), is replaced by
// bisection (geometric once lo > 0, doubling while hi is +inf).  The iteration stops when a step or
// the bracket falls to 2^-51 of x: the rounding of T, some units of 2^-53
// relative, moves the root by that times the condition number
// kappa = |t/(x f(x))|, below which no iteration resolves it.  A quantile
// beyond the largest double fails (quantile_not_converged, x NaN) rather than
// answering with the last finite point of the doubling.

#include "library/noncentral_f.h"

#include <limits>

#include "library/quantiles.h"
#include "numeric/elementary.h"

namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();

// Evaluations: from Patnaik's start the Halley steps take a few (4 at
// p = 0.5, df1 = 3, df2 = 10, ncp = 5); a geometric bisection of any
// bracket of positive doubles to 2^-51 of x about 61.  Doubling or halving, a factor
// of 2 an evaluation, runs only where the density has no Newton step.
constexpr int32_t step_limit = 300;

// The relative step or bracket at which the iteration stops: 2^-51.
constexpr double relative_stop = 0x1p-51;

// The largest degrees of freedom f_quantile takes (df/2 a beta shape).
constexpr double max_degrees = 4294967294.0;

}  // namespace

int32_t ncf_quantile(double prob, int32_t tail, double df1, double df2, double ncp, double* x)
{
    *x = std::numeric_limits<double>::quiet_NaN();
    if (!(df1 > 0.0 && df1 <= max_degrees) || !(df2 > 0.0 && df2 <= max_degrees)
        || !(ncp >= 0.0 && ncp < infinity) || !(prob >= 0.0 && prob <= 1.0)
        || (tail != quantile_lower_tail && tail != quantile_upper_tail))
        return quantile_invalid;
    if (ncp == 0.0)
        return f_quantile(prob, tail, df1, df2, x);
    bool upper = tail == quantile_upper_tail;
    double t = prob;
    if (!upper && prob > 0.5) {
        upper = true;
        t = 1.0 - prob;  // exact for prob >= 1/2
    }
    if (t == 0.0) {
        *x = upper ? infinity : 0.0;
        return quantile_ok;
    }
    if (t == 1.0) {
        *x = upper ? 0.0 : infinity;
        return quantile_ok;
    }

    const double c = (df1 + ncp) / df1;
    const double nu = (df1 + ncp) * ((df1 + ncp) / (df1 + 2.0 * ncp));
    const double m = nu / (c * df2);
    double f0;
    double start = 1.0;
    if (f_quantile(t, upper ? quantile_upper_tail : quantile_lower_tail, nu, df2, &f0) == quantile_ok
        && f0 > 0.0 && c * f0 < infinity)
        start = c * f0;

    const int32_t requests = (upper ? ncf_want_upper : ncf_want_lower) | ncf_want_density;
    const double s = upper ? -1.0 : 1.0;
    double lo = 0.0, hi = infinity;
    double v = start, previous_step = infinity;
    for (int32_t n = 0; n < step_limit; ++n) {
        ncf_values values;
        if (ncf_probabilities(v, df1, df2, ncp, requests, &values) != ncf_values_ok)
            return quantile_not_converged;
        double g = s * ((upper ? values.upper : values.lower) - t);
        if (g == 0.0) {
            *x = v;
            return quantile_ok;
        }
        if (g < 0.0)
            lo = v;
        else
            hi = v;
        double next;
        double f = values.density;
        bool newton = f > 0.0 && f < infinity;
        if (newton) {
            double ratio = g / f;
            double slope = (0.5 * nu - 1.0) / v - 0.5 * (nu + df2) * m / (1.0 + m * v);
            double denominator = 1.0 - 0.5 * ratio * slope;
            double step = denominator > 0.5 && denominator < 2.0 ? ratio / denominator : ratio;
            next = v - step;
            if (elem_abs(step) <= relative_stop * v) {
                *x = next > lo && next < hi ? next : v;
                return quantile_ok;
            }
            newton = next > lo && next < hi
                     && (hi == infinity || lo == 0.0 || elem_abs(step) <= 0.5 * previous_step);
            if (newton)
                previous_step = elem_abs(step);
        }
        if (!newton) {
            if (hi == infinity)
                next = 2.0 * (lo > v ? lo : v);
            else if (lo == 0.0)
                next = 0.5 * hi;
            else
                next = elem_sqrt(lo) * elem_sqrt(hi);
            previous_step = elem_abs(next - v);
        }
        // Doubling past the largest double: the quantile lies beyond the
        // double range (df1 = df2 = 1e-5, ncp = 5 puts the median near
        // 1e(10^5)), and no finite x answers.
        if (!(next < infinity))
            return quantile_not_converged;
        if (elem_abs(next - v) <= relative_stop * next
            || (hi < infinity && hi - lo <= relative_stop * hi)) {
            *x = next > lo && next < hi ? next : v;
            return quantile_ok;
        }
        v = next;
    }
    return quantile_not_converged;
}
