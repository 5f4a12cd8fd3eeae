// The searches of the design solvers.
//
// design_increasing_root: the bracket is widened from a start by factors of
// 16 until it holds the root, then narrowed by false position with the
// Illinois modification (Dowell and Jarratt 1971), in ln t since the
// unknowns (an effect size, a level) span decades, with a
// bisection whenever the interpolated point leaves the bracket.  The
// Illinois halving of the retained end's residual keeps the convergence
// superlinear where plain false position would stall on a convex power
// curve.  It stops when the bracket is 2^-45 relative in t, well below
// any figure a design is quoted to, or at the step limit.
//
// design_smallest_whole: doubling from the lower end until the power
// reaches the target (or the upper end fails it), then bisection on whole
// numbers between the last size below the target and the first at or
// above it: about 2 log2(t) evaluations.

#include "design/design_search.h"

#include "numeric/elementary.h"
#include "numeric/primitives.h"

namespace {

// The bracket's width in ln t (its relative width in t) at which the root
// is returned.
constexpr double root_tolerance = 0x1p-45;

// The factor by which the bracket is widened from the start.
constexpr double bracket_factor = 16.0;

// Steps of the root search: the Illinois method converges in about ten from
// a bracket of ln 16 = 2.8 in ln t; a bisection alone needs
// log2(2.8 / 2^-45) = 47, so 200 leaves room for both.
constexpr int32_t root_step_limit = 200;

}  // namespace

design_outcome design_increasing_root(design_power_of power, const void* context, double target,
                                      double start, double lo, double hi, double* t)
{
    // The bracket [below, above] with power(below) < target <= power(above).
    double below = start, above = start, p_below, p_above;
    design_outcome outcome = power(context, start, &p_above);
    if (outcome != design_ok)
        return outcome;
    p_below = p_above;
    while (p_above < target) {
        if (above >= hi)
            return design_unreachable;
        below = above;
        p_below = p_above;
        above = above * bracket_factor > hi ? hi : above * bracket_factor;
        outcome = power(context, above, &p_above);
        if (outcome != design_ok)
            return outcome;
    }
    while (p_below >= target) {
        if (below <= lo)
            return design_unreachable;
        above = below;
        p_above = p_below;
        below = below / bracket_factor < lo ? lo : below / bracket_factor;
        outcome = power(context, below, &p_below);
        if (outcome != design_ok)
            return outcome;
    }
    if (p_above == target) {
        *t = above;
        return design_ok;
    }

    // Illinois false position in s = ln t.
    double a = elem_ln(below), b = elem_ln(above);
    double fa = p_below - target, fb = p_above - target;
    int32_t side = 0;
    for (int32_t step = 0; step < root_step_limit; ++step) {
        double c = (a * fb - b * fa) / (fb - fa);
        if (!(c > a && c < b))
            c = 0.5 * (a + b);
        double tc = exp_fast(c);
        double pc;
        outcome = power(context, tc, &pc);
        if (outcome != design_ok)
            return outcome;
        double fc = pc - target;
        if (fc == 0.0) {
            *t = tc;
            return design_ok;
        }
        if (fc < 0.0) {
            a = c;
            fa = fc;
            if (side == -1)
                fb *= 0.5;
            side = -1;
        } else {
            b = c;
            fb = fc;
            if (side == 1)
                fa *= 0.5;
            side = 1;
        }
        if (b - a <= root_tolerance) {
            *t = exp_fast(fb <= -fa ? b : a);
            return design_ok;
        }
    }
    return design_failed;
}

design_outcome design_smallest_whole(design_power_of power, const void* context, double target,
                                     double lo, double hi, double* t, double* achieved)
{
    double below = lo - 1.0;  // largest size known to fall short (lo - 1: none yet)
    double m = lo, pm;
    for (;;) {
        design_outcome outcome = power(context, m, &pm);
        if (outcome != design_ok)
            return outcome;
        if (pm >= target)
            break;
        if (m >= hi)
            return design_unreachable;
        below = m;
        m = 2.0 * m > hi ? hi : 2.0 * m;
    }
    // power(below) < target <= power(m), below < m (or m = lo).
    double above = m, p_above = pm;
    while (above - below > 1.0) {
        double mid = elem_floor(0.5 * (below + above));
        double pmid;
        design_outcome outcome = power(context, mid, &pmid);
        if (outcome != design_ok)
            return outcome;
        if (pmid >= target) {
            above = mid;
            p_above = pmid;
        } else {
            below = mid;
        }
    }
    *t = above;
    *achieved = p_above;
    return design_ok;
}
