// trapezoid_side_sum: the trapezoidal terms on one side of the centre.
//
// Nodes: the first lies start_factor from the centre c (c + start_factor on
// the whole line, c * start_factor otherwise), each further one step_factor
// beyond the previous.  In a refinement pass the start factor is half the
// old spacing, so the nodes are exactly the midpoints of the previous grid.
//
// Adaptive stop (first pass only): the side ends once three successive
// terms together are at most a third of eps times the running sum,
//     |v_i| + |v_(i-1)| + |v_(i-2)| <= (eps/3) |sum|,
// and the number of nodes it took is stored in *count for later passes.  The
// two remembered magnitudes start just below 2^512, so the stop cannot fire
// before the third node.  A fixed-count side evaluates *count + 1 nodes,
// which carries the refined grid half a spacing past the old one.  The cap
// is the caller's count (10000 in the first pass, at most 2 * 32767 + 1
// later).
//
// Exponent scaling.  When the integrand has raised the exponent E above the
// exponent E_s of the sum, the sum, the previous pass's result and the two
// remembered magnitudes are multiplied by B^-(E - E_s), so that everything
// refers to the integrand's current scale; the estimate changes by rounding
// only.  A power is thus taken only when the exponent rises, not per node.
//
// A running sum beyond 2^512 sets `abort`: the terms are not decaying.

#include "library/quadrature.h"

#include "numeric/elementary.h"
#include "numeric/primitives.h"

int32_t trapezoid_side_sum(int32_t adaptive, int32_t* count, double step_factor,
                           double start_factor, quadrature_state* state)
{
    double node = state->kind == quadrature_whole_line ? state->centre + start_factor
                                                       : state->centre * start_factor;
    double m1 = quadrature_huge;
    double m2 = quadrature_huge;
    if (*count < 0)
        return 0;

    for (int32_t i = 1;; ++i) {
        double value;
        if (trapezoid_node(&value, &node, step_factor, state) != 0)
            return 1;
        if (state->abort != 0)
            return 1;

        if (state->scaling != 0 && state->exponent != state->sum_exponent) {
            double rise = static_cast<double>(state->exponent)
                          - static_cast<double>(state->sum_exponent);
            double g = pow_real(state->scale_base, -rise);
            state->sum *= g;
            state->result *= g;
            m1 *= g;
            m2 *= g;
            state->sum_exponent = state->exponent;
        }

        state->sum += value;

        if (adaptive != 0) {
            double older = m1;
            double old = m2;
            m1 = m2;
            m2 = elem_abs(value);
            if (elem_abs(value) + older + old <= elem_abs(state->tail_tolerance * state->sum)) {
                *count = i;
                return 0;
            }
        }

        if (elem_abs(state->sum) > quadrature_huge) {
            state->abort = 1;
            return 1;
        }
        if (i > *count)
            return 0;
    }
}
