// trapezoid_integrate: integral of a caller's function by the trapezoidal
// rule after an exponential substitution,
//
//     whole line  (-inf, inf):  x = t,                       dx = dt
//     half-line   [a, inf):     x = a + e^t,                 dx = e^t dt
//     bounded     [a, b]:       x = (a + b e^t)/(1 + e^t),   dx = (b - a) e^t/(1 + e^t)^2 dt
//
// with the nodes t = t0 + k h (s = e^t = c e^(k h)).  For an integrand
// analytic in a strip around the real axis and decaying at both ends of the
// t line, the trapezoidal rule converges geometrically in 1/h (its error is
// of order e^(-2 pi d / h), d the half-width of the strip), so halving the
// step roughly squares the error: when two successive estimates agree to
// sqrt(eps), the newer one is good to about eps.
//
// Passes.  The first pass (trapezoid_first_pass) sums on the grid of
// spacing h0 outward from the centre until the terms die away, recording
// how many nodes each side took.  Each later pass halves the step: it adds
// the midpoints of the old grid, reusing the old node counts doubled
// instead of testing each term, and forms T(h/2) = (T(h) + h M(h)) / 2, M
// the midpoint sum.  The passes stop when
//     |T(h/2) - T(h)| < sqrt(eps) |T(h/2)|    (or < eps, absolute, unless
//                                             the test is purely relative).
//
// Exponent scaling.  An integrand whose values leave the double range may
// return f(x)/B^E and raise E as it goes (see trapezoid_side_sum); the
// estimates are then compared as logarithms to base B, ln|T|/ln B + E, and
// the answer is T scaled by B^-E, E the final `exponent`.
//
// Limits: `max_halvings` halvings (the first comparison never passes, so
// there is always at least one), and at most 32767 accumulated nodes on
// either side before another halving is added, which bounds the work of a
// pass at 2 * 32767 + 1 nodes per side.  The first pass takes at most 10001
// nodes per side.

#include "library/quadrature.h"

#include "numeric/elementary.h"
#include "numeric/primitives.h"

namespace {

// Node budget of each side in the first pass, before the adaptive stop.
constexpr int32_t first_pass_nodes = 10000;

// Largest accumulated node count of a side that may still be refined.
constexpr int32_t refine_node_limit = 32767;

// The adaptive stop compares three terms with a third of eps (fourteen
// threes: the factor is part of the rule's tuning, not exactly 1/3).
constexpr double tail_fraction = 0.33333333333333;

// The estimate compared between passes: T, or log_B |T| + E when scaling.
double estimate(const quadrature_state* state)
{
    if (state->scaling == 0)
        return state->result;
    return elem_ln(elem_abs(state->result)) * state->inv_log_base
           + static_cast<double>(state->exponent);
}

}  // namespace

int32_t trapezoid_integrate(quadrature_state* state, double* out)
{
    state->result = 0.0;
    state->last_value = 0.0;
    state->reference = 0.0;
    state->count_down = first_pass_nodes;
    state->count_up = first_pass_nodes;
    state->tail_tolerance = state->tolerance * tail_fraction;
    double r = elem_sqrt(state->tolerance);
    if (state->scaling != 0)
        state->inv_log_base = 1.0 / elem_ln(state->scale_base);
    state->next_step = state->initial_step;

    if (trapezoid_first_pass(1, state) != 0)
        return 1;

    double prev = quadrature_huge;
    state->next_step = state->step * 0.5;
    state->halvings = 0;
    int32_t down = state->count_down;
    int32_t up = state->count_up;
    double cur = estimate(state);
    bool whole_line = state->kind == quadrature_whole_line;

    for (;;) {
        double threshold = elem_abs(cur * r);
        if (state->relative_only == 0 && threshold < state->tolerance)
            threshold = state->tolerance;
        if (elem_abs(prev - cur) < threshold) {
            *out = state->result;
            return 0;
        }

        state->halvings += 1;
        if (state->halvings > state->max_halvings || state->abort != 0)
            return 1;

        state->sum = 0.0;
        double up_start = whole_line ? state->next_step : exp_fast(state->next_step);
        double up_step = whole_line ? state->step : exp_fast(state->step);
        if (trapezoid_side_sum(0, &up, up_step, up_start, state) != 0 || state->abort != 0)
            return 1;
        double down_start = whole_line ? -state->next_step : exp_fast(-state->next_step);
        double down_step = whole_line ? -state->step : exp_fast(-state->step);
        if (trapezoid_side_sum(0, &down, down_step, down_start, state) != 0 || state->abort != 0)
            return 1;

        state->sum *= state->step;
        if (state->kind == quadrature_bounded)
            state->sum *= state->width;
        prev = cur;
        state->result = (state->sum + state->result) * 0.5;
        cur = estimate(state);

        state->step = state->next_step;
        state->next_step *= 0.5;
        up *= 2;
        down *= 2;

        if (state->count_down > refine_node_limit || state->count_up > refine_node_limit)
            return 1;
        state->count_down += down;
        state->count_up += up;

        state->last_change = elem_abs(prev - cur) / elem_abs(cur);
    }
}
