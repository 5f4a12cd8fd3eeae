// halley_root: the root of a decreasing function g by Halley's method,
// safeguarded by a bracket, stopping on the predicted size of the next
// change rather than on a confirming evaluation.
//
// Step.  From t with g, g' < 0, g'' the Newton step is dn = -g/g' and
// Halley's step (Halley 1694; Traub 1964, Iterative Methods for the
// Solution of Equations, sec. 5.2)
//
//     d = dn / (1 + c),   c = dn g'' / (2 g'),
//
// which converges cubically: with e the distance to the root,
//
//     e - d = (g''^2/(4 g'^2) - g'''/(6 g')) e^3 + O(e^4).
//
// Where |c| > 1/2 the local quadratic model is too coarse to trust its
// correction and the Newton step is taken.
//
// Stopping.  The error left after the step is predicted from the same
// derivatives: E = ((g''/(2g'))^2 + |g'''/(6g')|) |d|^3, each part taken
// in magnitude so that no cancellation between them hides a large one.
// Where E is below half a unit in the last place of t + d, and |c| is at
// most 2^-8 (d well inside the range where the expansion holds), t + d is
// the root and no further evaluation confirms it.  From a start within a
// few percent, two evaluations suffice: the first step leaves an error of
// order 1e-6 relative, the second's prediction is then below 1e-16.
// Where the function's rounding hides its sign (|g| at most the noise the
// caller states), the step from t is as far as any evaluation can say, and
// t + d is returned as well, provided the step's own predicted error lies
// within what that noise leaves of the root, noise / |g'|: a noise as large
// as g itself, as for a tail near the rounding of the sum it is formed
// from, would otherwise end the iteration on an extrapolation far from the
// root (a root 11% off was reported found at p = 1 - 1.1e-11, where the
// complement of P was 1e-15 at the third sample).  A provisional sample (a
// cheaper, less accurate evaluation the caller offers for a start far off)
// only steers its step: neither test is made on it, nor does it narrow the
// bracket.
//
// Safeguard.  Every evaluation narrows a bracket (lo, hi): g > 0 at lo,
// g < 0 at hi, hi infinite until a negative g is seen.  A step that leaves
// the bracket, or a slope that is not negative and finite, is replaced:
// by bisection once hi is known, else by growth to 16t + 1 (the root lies
// above t), and the growth from t is never more than that.  The iteration
// ends when the bracket is a few units in the last place wide (its middle
// is the root, unless g jumps across it: an evaluation at fault, reported
// as not converged), when t would pass the ceiling (no root below it), or
// after halley_evaluation_limit evaluations.
//
// On the whole line (halley_root_line) neither end is known at the start:
// while no positive g has been seen the growth runs down, by the mirror
// image of the step up, and the tests measure t against max(|t|, scale)
// so that a root near 0 is found to an absolute rather than a relative
// precision; a point where g cannot be evaluated is replaced by the midpoint
// between it and the last point that could be (the bounded form reports
// the failure to its caller, which has another route).
//
// What it relies on: g's derivatives are those of the function it
// evaluates.  A wrong derivative misplaces the steps, and where the
// predicted error is small the root with them; the bracket and the jump
// test catch a g that is not continuous, not one whose derivatives
// disagree with it.

#include "numeric/halley_root.h"

#include "numeric/elementary.h"

namespace {

// Evaluations before the iteration gives up: Halley's steps need two to
// four from an ordinary start; bisection alone narrows a bracket of 2^40
// to a unit in the last place of 1 in 92 halvings, and growth reaches 2^40
// from 1 in 10 passes.
constexpr int32_t halley_evaluation_limit = 120;

// On the whole line: growth from 1 reaches 1e308 in 256 passes (a quantile
// of the heavy tails of small degrees of freedom, t^-df, lies that far out),
// and the bisections and Halley's steps after it need far fewer.
constexpr int32_t line_evaluation_limit = 400;

// Largest Halley correction |c| trusted at all, and largest at which the
// predicted error decides convergence.
constexpr double correction_limit = 0.5;
constexpr double asymptotic_limit = 0x1p-8;

// The predicted error that counts as converged, relative to the root:
// half a unit in the last place.
constexpr double converged_error = 0x1p-53;

// On the whole line the prediction is trusted over steps of at most 1/16
// of max(|t|, scale): a long step across a flat stretch (the far left of a
// tail, where every derivative is tiny) says nothing of the function where
// it lands.
constexpr double trusted_step = 0x1p-4;

// A bracket this wide relative to its upper end is closed: two units in
// the last place.
constexpr double closed_bracket = 0x1p-51;

// At a closed bracket the smaller |g| of its ends may be this many times
// the noise plus the slope times the width, or g has jumped (a
// discontinuity of the function, not a root).
constexpr double jump_allowance = 4.0;

// Growth of t while no negative g has been seen: at most 16t + 1 (from a
// start that failed to approach the root, as at the heavy-tail band, 3.4
// sums a root against 3.6 with 4t + 1).
constexpr double growth_factor = 16.0;

}  // namespace

namespace {

// Where a search may go: the bounded form's lower end (g > 0 there) and
// ceiling, or the whole line; and the magnitude below which its tests are
// absolute rather than relative.
struct search_range {
    double lower;    // -inf on the whole line
    double ceiling;  // the bound of t, or of |t| on the whole line
    double scale;    // 0 for the bounded form
    int32_t limit;   // evaluations
    bool retreat;    // a failed evaluation pulls back toward the last good one
};

// Growth away from t while one end of the bracket is unknown, by
// (growth_factor - 1)|t| + 1: up to 16t + 1 from t >= 0 (the bounded form's
// step, formed as it always was), down to its mirror image.
double grown_up(double t)
{
    return t >= 0.0 ? growth_factor * t + 1.0 : (2.0 - growth_factor) * t + 1.0;
}

double grown_down(double t) { return -grown_up(-t); }

// max(|t|, scale): the size against which the tests measure t.
double size_of(double t, double scale)
{
    double a = elem_abs(t);
    return a > scale ? a : scale;
}

int32_t search(halley_function g, void* context, double start, const search_range& range,
               double* root, halley_trace* trace)
{
    halley_trace local{};
    halley_trace& tr = trace != nullptr ? *trace : local;
    tr = halley_trace{};
    const double infinity = __builtin_inf();
    double lo = range.lower, hi = infinity;
    double g_lo = infinity, g_hi = -infinity;  // g at lo and hi (unknown at the start)
    double t = start;
    bool have_good = false;
    double good = 0.0;  // the last point that evaluated
    for (int32_t n = 0; n < range.limit; ++n) {
        halley_sample s;
        ++tr.evaluations;
        if (g(context, t, &s) != 0 || !(s.g == s.g)) {
            // On the whole line a step that went where the function cannot
            // be evaluated (far out in a tail) is pulled back halfway to the
            // last point that could.
            if (range.retreat && have_good) {
                ++tr.safeguarded;
                t = good + 0.5 * (t - good);
                continue;
            }
            *root = t;
            return halley_evaluation_failed;
        }
        have_good = true;
        good = t;
        const bool decisive = s.provisional == 0;
        if (decisive && s.g == 0.0) {
            *root = t;
            return halley_converged;
        }
        if (decisive && s.g > 0.0) {
            lo = t;
            g_lo = s.g;
        } else if (decisive) {
            hi = t;
            g_hi = s.g;
        }

        double next = __builtin_nan("");
        if (s.g1 < 0.0 && s.g1 > -infinity) {
            const double dn = -s.g / s.g1;
            const double half_ratio = s.g2 / (2.0 * s.g1);
            const double c = dn * half_ratio;
            const double d = elem_abs(c) <= correction_limit ? dn / (1.0 + c) : dn;
            next = t + d;
            const bool inside = decisive && next >= lo && next <= hi;
            const double ad = elem_abs(d);
            const double predicted =
                (half_ratio * half_ratio + elem_abs(s.g3 / (6.0 * s.g1))) * ad * ad * ad;
            if (inside && elem_abs(s.g) <= s.noise && elem_abs(c) <= correction_limit
                && predicted <= s.noise / -s.g1) {
                *root = next;
                return halley_converged;
            }
            const double size = size_of(next, range.scale);
            const bool trusted = range.scale == 0.0 || ad <= trusted_step * size;
            if (inside && trusted && elem_abs(c) <= asymptotic_limit
                && predicted <= converged_error * size) {
                *root = next;
                return halley_converged;
            }
        }
        // Safeguard: keep the next point inside the bracket and the growth
        // from t bounded.
        const double up = grown_up(t), down = grown_down(t);
        if (!(next > lo && next < hi)) {
            ++tr.safeguarded;
            if (hi < infinity && lo > -infinity)
                next = lo + 0.5 * (hi - lo);
            else
                next = hi < infinity ? down : up;
        } else if (hi == infinity && next > up) {
            ++tr.safeguarded;
            next = up;
        } else if (lo == -infinity && next < down) {
            ++tr.safeguarded;
            next = down;
        }
        const double width_scale = size_of(elem_abs(lo) > elem_abs(hi) ? lo : hi, range.scale);
        if (decisive && hi < infinity && lo > -infinity && hi - lo <= closed_bracket * width_scale) {
            // A root, unless g jumps across the bracket: its smaller end
            // must lie within a few times what the slope and the noise
            // allow over the bracket's width.
            *root = lo + 0.5 * (hi - lo);
            double least = elem_abs(g_lo) < elem_abs(g_hi) ? elem_abs(g_lo) : elem_abs(g_hi);
            double allowed = jump_allowance * (s.noise + elem_abs(s.g1) * (hi - lo));
            return least <= allowed ? halley_converged : halley_not_converged;
        }
        if (!(next <= range.ceiling && next >= -range.ceiling)) {
            *root = t;
            return halley_not_converged;
        }
        t = next;
    }
    *root = t;
    return halley_not_converged;
}

}  // namespace

int32_t halley_root(halley_function g, void* context, double start, double lower, double ceiling,
                    double* root, halley_trace* trace)
{
    return search(g, context, start, search_range{lower, ceiling, 0.0, halley_evaluation_limit, false}, root, trace);
}

int32_t halley_root_line(halley_function g, void* context, double start, double scale,
                         double ceiling, double* root, halley_trace* trace)
{
    return search(g, context, start, search_range{-__builtin_inf(), ceiling, scale, line_evaluation_limit, true}, root, trace);
}
