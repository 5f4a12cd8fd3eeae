// nct_ncp: the noncentrality delta with P(T <= t; df, delta) = p (or
// P(T > t) = p), the inversion behind the confidence interval for a
// standardized mean difference (Steiger and Fouladi 1997; Cumming and Finch
// 2001).
//
// P(T <= t; delta) = E[Phi(t S - delta)] falls strictly from 1 to 0 as delta
// runs over the reals, so every 0 < p < 1 has one root.  The iteration works
// on the smaller tail, target q = min(p, 1 - p) (1 - p is exact for p >= 1/2),
// and on its logarithm, g(delta) = ln T(delta) - ln q, T the tail that q
// measures: ln T is nearly linear in delta far out, where T itself spans
// hundreds of orders of magnitude.  Each step is one evaluation
// (nct_evaluate), which gives T, its slope and its curvature in delta from
// the same sum, hence g, g' = T'/T and g'' = T''/T - g'^2, and Halley's step
//
//     step = -2 g g' / (2 g'^2 - g g''),
//
// (Newton's where Halley's denominator is not safely positive).  The signs of
// g bracket the root; a step that leaves the bracket is replaced by its
// midpoint (or, while the bracket is open on one side, by a step doubling).
// The iteration stops when the step is below 2^-20 of max(1, |delta|): a
// Halley step's error is of the order of the cube of the last (2^-60), a
// Newton step's of the square, so the step is taken and the root returned
// without a further evaluation.  Where Newton's step was taken the stop
// needs 2^-30.
//
// Start: the normal approximation of nct_start.cpp solved for delta,
// delta0 = t (1 - 1/(4 df)) -/+ z sqrt(1 + t^2/(2 df)), z the normal deviate
// of q: about 1e-3 off for df of some tens, so that two or three evaluations
// find most roots (below df = 1, -/+z).  A trial point where the evaluation
// fails is pulled back halfway to the last one that evaluated.

#include "nct/nct.h"

#include <limits>

#include "nct/nct_detail.h"
#include "numeric/constants.h"
#include "numeric/elementary.h"
#include "numeric/primitives.h"

namespace {

constexpr double not_a_number = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();

// Evaluations per root: the safeguards halve a bracket of any width in
// doubles within some 2100 steps, but a step doubling from the start
// reaches any root in 11; 200 leaves room for both.
constexpr int32_t max_evaluations = 200;

constexpr double halley_stop = 0x1p-20;
constexpr double newton_stop = 0x1p-30;

// The largest |delta| searched: beyond it the noncentral t is a normal law
// to far below the tails' rounding.
constexpr double max_delta = 1e150;

}  // namespace

int32_t nct_ncp_traced(double t, double df, double p, int32_t tail, double* delta,
                       int32_t* evaluations)
{
    *delta = not_a_number;
    *evaluations = 0;
    if (!(t - t == 0.0 && df > 0.0 && (df <= nct_max_df || df == infinity) && p > 0.0 && p < 1.0)
        || !(tail == nct_lower_tail || tail == nct_upper_tail))
        return nct_invalid;
    // Work on the smaller tail: lower = whether q is a lower-tail probability.
    bool lower = tail == nct_lower_tail;
    double q = p;
    if (p > 0.5) {
        q = 1.0 - p;
        lower = !lower;
    }
    const double log_q = elem_ln(q);
    double z = nct_normal_deviate(log_q);  // Phi(-z) = q
    double c = df == infinity ? 1.0 : 1.0 - 0.25 / df;
    double spread = df == infinity ? 1.0 : elem_sqrt(1.0 + t * t / (2.0 * df));
    // lower: P(T <= t) = q small means t lies below delta, delta = c t + z spread.
    double d = lower ? c * t + z * spread : c * t - z * spread;
    // Below df = 1 the approximation means nothing (c turns negative at
    // df = 1/4): start from the normal deviate itself.
    if (df < 1.0)
        d = lower ? z : -z;

    // The bracket: g > 0 means T too large; the lower tail falls in delta
    // (delta too small), the upper rises (delta too large).
    // Every step evaluates at the same (t, df): its point is formed once.
    nct_point point;
    nct_point_prepare(t, df, &point);
    double lo = -infinity, hi = infinity;
    bool have_good = false;
    double good = 0.0;  // the last point that evaluated
    for (int32_t n = 0; n < max_evaluations; ++n) {
        nct_evaluation e;
        if (nct_evaluate_at(&point, d, &e) != 0) {
            // A step that went where no method settles (far out in both
            // tails) is pulled back halfway to the last point that did.
            if (!have_good)
                return nct_failed;
            d = 0.5 * (d + good);
            ++*evaluations;
            continue;
        }
        have_good = true;
        good = d;
        ++*evaluations;
        double log_t = lower ? e.log_lower : e.log_upper;
        double g = log_t - log_q;
        if (g == 0.0) {
            *delta = d;
            return nct_ok;
        }
        bool too_small = lower ? g > 0.0 : g < 0.0;
        if (too_small)
            lo = d;
        else
            hi = d;
        // g' and g'' of ln T.
        double ratio = e.log_slope - log_t;
        double g1 = 0.0, g2 = 0.0;
        bool usable = ratio < log_max_double && e.log_slope > -max_double;
        if (usable) {
            double r = exp_fast(ratio);
            g1 = lower ? -r : r;
            g2 = (lower ? 1.0 : -1.0) * e.curvature * r - g1 * g1;
        }
        double step;
        bool halley = false;
        if (usable && g1 != 0.0) {
            double denominator = 2.0 * g1 * g1 - g * g2;
            if (denominator > g1 * g1) {
                step = -2.0 * g * g1 / denominator;
                halley = true;
            } else {
                step = -g / g1;
            }
        } else {
            step = too_small ? 1.0 + elem_abs(d) : -(1.0 + elem_abs(d));
        }
        double scale = elem_abs(d) > 1.0 ? elem_abs(d) : 1.0;
        // A step below the stop is taken whatever the bracket says: near the
        // root it may round onto an end of the bracket.
        if (elem_abs(step) <= (halley ? halley_stop : newton_stop) * scale) {
            *delta = d + step;
            return nct_ok;
        }
        double next = d + step;
        if (!(next > lo && next < hi)) {
            if (lo > -infinity && hi < infinity)
                next = 0.5 * (lo + hi);
            else
                next = too_small ? d + 2.0 * (1.0 + elem_abs(d)) : d - 2.0 * (1.0 + elem_abs(d));
            halley = false;
            step = max_double;
        }
        if (lo > -infinity && hi < infinity && hi - lo <= 0x1p-52 * scale) {
            *delta = next;
            return nct_ok;
        }
        if (!(elem_abs(next) <= max_delta))
            return nct_failed;
        d = next;
    }
    return nct_failed;
}

int32_t nct_ncp(double t, double df, double p, int32_t tail, double* delta)
{
    int32_t evaluations;
    return nct_ncp_traced(t, df, p, tail, delta, &evaluations);
}
