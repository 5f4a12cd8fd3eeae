// nct_quantile: the t with P(T <= t; df, delta) = p (or P(T > t) = p).
//
// As nct_ncp, on the smaller tail and its logarithm, g(t) = ln T(t) - ln q,
// with the derivative g' = +-f(t)/T from the same evaluation (the density
// comes with the tails), by Newton's method inside the bracket its signs
// make, stopping when the step falls below 2^-30 of max(1, |t|): the next
// error would be of the order of its square.  A step that leaves the bracket
// is replaced by the midpoint, or by a doubling while the bracket is open:
// for small df the tails are heavy (P(T > t) ~ t^-df) and the quantile may
// lie far out.
//
// Start: the normal approximation of nct_start.cpp solved for t, the root of
// (c t - delta)^2 = z^2 (1 + t^2/(2 df)), c = 1 - 1/(4 df), on the side of
// delta/c that the tail asks for; delta -/+ z where it has none.

#include "nct/nct.h"

#include <limits>

#include "nct/nct_detail.h"
#include "numeric/constants.h"
#include "numeric/elementary.h"
#include "numeric/primitives.h"

namespace {

constexpr double not_a_number = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();

// Evaluations per quantile: doublings reach 1e300 in about 1000 steps of
// t -> 3t + 2 from 1 (fewer in practice), bisection of the bracket then
// about 64 per binade; 2000 covers both.
constexpr int32_t max_evaluations = 2000;
constexpr double newton_stop = 0x1p-30;

}  // namespace

int32_t nct_quantile(double p, int32_t tail, double df, double delta, double* t)
{
    *t = not_a_number;
    if (!(p >= 0.0 && p <= 1.0 && df > 0.0 && (df <= nct_max_df || df == infinity)
          && delta - delta == 0.0)
        || !(tail == nct_lower_tail || tail == nct_upper_tail))
        return nct_invalid;
    bool lower = tail == nct_lower_tail;
    if (p == 0.0 || p == 1.0) {
        *t = (p == 0.0) == lower ? -infinity : infinity;
        return nct_ok;
    }
    double q = p;
    if (p > 0.5) {
        q = 1.0 - p;
        lower = !lower;
    }
    const double log_q = elem_ln(q);
    double z = nct_normal_deviate(log_q);
    double c = df == infinity ? 1.0 : 1.0 - 0.25 / df;
    double h = df == infinity ? 0.0 : 0.5 / df;
    double a = c * c - z * z * h, b = -2.0 * c * delta, cc = delta * delta - z * z;
    double disc = b * b - 4.0 * a * cc;
    double x = lower ? delta - z : delta + z;
    if (a > 0.0 && disc >= 0.0) {
        double root = elem_sqrt(disc);
        x = lower ? (-b - root) / (2.0 * a) : (-b + root) / (2.0 * a);
    }

    double lo = -infinity, hi = infinity;
    for (int32_t n = 0; n < max_evaluations; ++n) {
        nct_evaluation e;
        if (nct_evaluate(x, df, delta, &e) != 0)
            return nct_failed;
        double log_t = lower ? e.log_lower : e.log_upper;
        double g = log_t - log_q;
        if (g == 0.0) {
            *t = x;
            return nct_ok;
        }
        // P rises in t: the lower tail too large means t too large.
        bool too_large = lower ? g > 0.0 : g < 0.0;
        if (too_large)
            hi = x;
        else
            lo = x;
        double ratio = e.log_density - log_t;
        double step = max_double;
        if (ratio < log_max_double && e.log_density > -max_double) {
            double g1 = (lower ? 1.0 : -1.0) * exp_fast(ratio);
            step = -g / g1;
        }
        double scale = elem_abs(x) > 1.0 ? elem_abs(x) : 1.0;
        // A step below the stop is taken whatever the bracket says: near the
        // root it may round onto an end of the bracket.
        if (elem_abs(step) <= newton_stop * scale) {
            *t = x + step;
            return nct_ok;
        }
        double next = x + step;
        if (!(next > lo && next < hi)) {
            if (lo > -infinity && hi < infinity)
                next = 0.5 * (lo + hi);
            else
                next = too_large ? x - 2.0 * (1.0 + elem_abs(x)) : x + 2.0 * (1.0 + elem_abs(x));
            step = max_double;
        }
        if (lo > -infinity && hi < infinity && hi - lo <= 0x1p-52 * scale) {
            *t = next;
            return nct_ok;
        }
        if (!(next - next == 0.0))
            return nct_failed;
        x = next;
    }
    return nct_failed;
}
