// quadrature_log_scaled: the integrator's record set up for a half-line
// integral [a, inf) whose logarithm is wanted far beyond the double range.
//
// The test between passes is purely relative, and the integrand's values
// are scaled by powers of e (B = e, so that ln I = ln(result) + E with E
// the final `exponent`).  Both exponents start below any the integrand can
// reach, so its first value sets them: E_s at -100000, E at the least
// 32-bit integer but one.  A non-negligible end point fails the
// integration (boundary status 1).
//
// The caller gives what differs between integrals: the tolerance, the
// centre and first step of the substitution, the halvings allowed, and the
// integrand with its context.

#include "library/quadrature.h"

namespace {

constexpr double scale_base_e = 2.718281828459045;
constexpr int32_t start_sum_exponent = -100000;
constexpr int32_t start_exponent = -2147483647;

}  // namespace

void quadrature_log_scaled(quadrature_state* state, double lower, double centre,
                           double initial_step, double tolerance, int32_t max_halvings,
                           integrand_callback integrand, void* context)
{
    *state = quadrature_state{};
    state->tolerance = tolerance;
    state->lower = lower;
    state->centre = centre;
    state->initial_step = initial_step;
    state->max_halvings = max_halvings;
    state->kind = quadrature_half_line;
    state->relative_only = 1;
    state->scale_base = scale_base_e;
    state->scaling = 1;
    state->sum_exponent = start_sum_exponent;
    state->exponent = start_exponent;
    state->boundary_status = 1;
    state->abort = 0;
    state->context = context;
    state->integrand = integrand;
}
