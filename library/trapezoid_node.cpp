// trapezoid_node: one node of the exponential-substitution trapezoidal rule.
//
// The node variable is t on the whole line and s = c e^(k h) on the other
// kinds; the integrand is evaluated at x(s) and weighted by dx/dt:
//
//     whole line   x = t                  weight 1
//     half-line    x = a + s              weight s
//     bounded      x = (a + b s)/(1 + s)  weight s/(1 + s)^2  (the factor
//                                          b - a is applied to the sum)
//
// After the evaluation the node advances to the next one of its side
// (t + step_factor, or s * step_factor).
//
// End points.  Far out on a side, x rounds to an end of the interval (s
// below half an ulp of a, or s so large that x rounds to b), where the
// integrand may be singular and must not be called.  The node then counts
// as a zero term, provided the previous term was already negligible against
// the reference magnitude (|last| <= eps |reference|); otherwise the sum
// has not died away before the end point and the node fails with the
// caller's `boundary_status`, which a caller may set to 0 to accept it.
// An unknown kind takes the same path.
//
// A node variable beyond 2^512 fails: its side has run far past any
// integrand that decays.

#include "library/quadrature.h"

#include "numeric/elementary.h"

int32_t trapezoid_node(double* out, double* node, double step_factor, quadrature_state* state)
{
    double value = 0.0;
    double f = 0.0;
    int32_t status = 0;
    bool end_point = false;
    double s = *node;

    if (state->kind == quadrature_whole_line) {
        status = state->integrand(s, state->context, &value);
        *node = s + step_factor;
    } else if (state->kind == quadrature_half_line) {
        double x = state->lower + s;
        if (x == state->lower) {
            end_point = true;
        } else {
            status = state->integrand(x, state->context, &f);
            // After an abort the value is of no account: the side sum fails
            // on the abort flag next.
            if (state->abort == 0)
                value = s * f;
            *node = s * step_factor;
        }
    } else if (state->kind == quadrature_bounded) {
        double q = s + 1.0;
        double x = (state->upper * s + state->lower) / q;
        if (x == state->lower || x == state->upper) {
            end_point = true;
        } else {
            status = state->integrand(x, state->context, &f);
            if (state->abort == 0)
                value = s / q / q * f;
            *node = s * step_factor;
        }
    } else {
        end_point = true;
    }

    if (end_point) {
        *out = 0.0;
        if (!(elem_abs(state->last_value)
              <= elem_abs(state->reference) * state->tolerance))
            return state->boundary_status;
    }
    if (*node > quadrature_huge || status != 0)
        return 1;
    state->last_value = value;
    *out = value;
    return 0;
}
