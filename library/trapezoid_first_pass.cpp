// trapezoid_first_pass: the first trapezoidal sum, on the grid of spacing
// h0 = `next_step` around the centre, with the adaptive stop on both sides.
//
// Centre conversion (adaptive only).  The caller gives the centre x0 in x.
// The node variable of the half-line kind is s = x - a, so c = x0 - a; a
// centre at or below a has no such s and falls back on the multiplier h0.
// For the bounded kind s = (x - a)/(b - x), and c = (x0 - a)/(b - x0);
// a centre within a relative 2^-26.5 (1.053671212772351e-08, the square root
// of 2^-53) of b would give a meaningless huge multiplier, and a negative c
// no node at all, so both take the midpoint multiplier c = 1.  On the
// whole line c = x0.  The converted value replaces `centre`.
//
// The centre value must stand clear of the bottom of the double range,
// |f(c)| >= (1/eps) / DBL_MAX: the adaptive stop and the end-point test
// compare terms with eps times the sum, and a zero centre would leave them
// nothing to compare with.  So an integrand that vanishes at the centre
// fails the integration.
//
// The sum: T = h0 (f(c) + sum over both sides); the bounded kind multiplies
// it by b - a once.  `reference` follows the magnitude of the sum for the
// end-point test of the nodes (plus the exponent E when scaling is on).

#include "library/quadrature.h"

#include "numeric/constants.h"
#include "numeric/elementary.h"
#include "numeric/primitives.h"

// sqrt(2^-53): a bounded centre this close to b (relatively) counts as b.
constexpr double centre_at_upper_end = 1.053671212772351e-08;

int32_t trapezoid_first_pass(int32_t adaptive, quadrature_state* state)
{
    state->step = state->next_step;

    if (adaptive != 0) {
        double x0 = state->centre;
        double a = state->lower;
        double b = state->upper;
        double c;
        if (state->kind == quadrature_bounded) {
            state->width = b - a;
            if (elem_abs(x0 - b) < elem_abs(b) * centre_at_upper_end) {
                c = 1.0;
            } else {
                c = (x0 - a) / (b - x0);
                if (!(c >= 0.0))
                    c = 1.0;
            }
        } else if (state->kind == quadrature_half_line) {
            c = x0 - a;
            if (!(c > 0.0))
                c = state->initial_step;
        } else {
            c = x0;
        }
        state->centre = c;
    }

    double node = state->centre;
    if (trapezoid_node(&state->result, &node, 1.0, state) != 0)
        return 1;
    if (state->scaling != 0)
        state->sum_exponent = state->exponent;
    if (elem_abs(state->result) < (1.0 / state->tolerance) / max_double || state->abort != 0)
        return 1;

    double scale_offset = state->scaling != 0 ? static_cast<double>(state->exponent) : 0.0;
    state->sum = 0.0;
    state->reference = 1.0 + scale_offset;

    bool whole_line = state->kind == quadrature_whole_line;
    double up_step = whole_line ? state->step : exp_fast(state->step);
    double up_start = whole_line ? state->next_step : exp_fast(state->next_step);
    if (trapezoid_side_sum(adaptive, &state->count_up, up_step, up_start, state) != 0)
        return 1;
    scale_offset = state->scaling != 0 ? static_cast<double>(state->exponent) : 0.0;
    state->reference = state->sum + scale_offset;
    if (state->abort != 0)
        return 1;

    double down_step = whole_line ? -state->step : exp_fast(-state->step);
    double down_start = whole_line ? -state->next_step : exp_fast(-state->next_step);
    if (trapezoid_side_sum(adaptive, &state->count_down, down_step, down_start, state) != 0
        || state->abort != 0)
        return 1;

    state->result = (state->sum + state->result) * state->next_step;
    scale_offset = state->scaling != 0 ? static_cast<double>(state->exponent) : 0.0;
    state->reference = state->result + scale_offset;
    if (state->kind == quadrature_bounded)
        state->result *= state->upper - state->lower;
    return 0;
}
