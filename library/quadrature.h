// The exponential-substitution trapezoidal integrator: its state record, the
// integrand callback, and its four routines (one per file).
//
// The caller owns the record (usually a local), fills the fields marked
// "caller" below, and reads `result` back.  The integrator works on the
// record in place and keeps nothing of its own, so integrations are
// reentrant as long as each has its own record and its integrand is
// reentrant.
#pragma once

#include <cstdint>

#include "numeric/constants.h"

// f(x) into *out; 0 for success, nonzero for failure.  With exponent
// scaling on, the integrand stores f(x) / B^E, E the state's `exponent`,
// which it may raise first (it reaches the state through its context); it
// may also set `abort` or change `boundary_status`.
typedef int32_t (*integrand_callback)(double x, void* context, double* out);

// Interval kinds (`kind`).
constexpr int32_t quadrature_whole_line = 1;  // (-inf, inf), t = c + k h, x = t
constexpr int32_t quadrature_half_line = 2;   // [a, inf), s = c e^(k h), x = a + s
constexpr int32_t quadrature_bounded = 3;     // [a, b], s = c e^(k h), x = (a + b s)/(1 + s)

struct quadrature_state {
    double sum;             // integrator: weighted values of the current pass
    double tolerance;       // caller: relative tolerance eps
    double tail_tolerance;  // integrator: eps * 0.33333333333333
    double last_value;      // integrator: weighted value of the latest node
    double reference;       // integrator: magnitude for the end-point test
    double lower;           // caller: a (half-line and bounded kinds)
    double upper;           // caller: b (bounded kind)
    double width;           // integrator: b - a (bounded kind)
    double result;          // integrator: current estimate; the answer
    int32_t count_down;     // integrator: nodes on the side of decreasing t
    int32_t count_up;       // integrator: nodes on the side of increasing t
    int32_t abort;          // caller 0; integrator or integrand: failed
    int32_t boundary_status;  // caller: status for a non-negligible end point
    double centre;          // caller x0; first pass: the converted centre
    double initial_step;    // caller: h0; half-line fallback multiplier
    double step;            // integrator: spacing of the current grid
    double next_step;       // integrator: spacing of the next grid
    int32_t max_halvings;   // caller: step halvings allowed
    int32_t halvings;       // integrator: halvings done
    int32_t kind;           // caller: 1 whole line, 2 half-line, 3 bounded
    int32_t relative_only;  // caller: nonzero for a purely relative test
    double last_change;     // integrator: relative change at the last halving
    double scale_base;      // caller: base B of the exponent scaling
    double inv_log_base;    // integrator: 1 / ln B
    int32_t sum_exponent;   // caller, then integrator: E_s of sum and result
    int32_t exponent;       // caller, then integrand: E of the values, B^E
    int32_t scaling;        // caller: nonzero turns exponent scaling on
    void* context;          // caller: handed to the integrand
    integrand_callback integrand;  // caller
};

// Magnitude beyond which a running sum or a node variable counts as
// overflowing (the double just below 2^512); it also seeds the "previous"
// values that no first comparison can pass.
constexpr double quadrature_huge = below_2_512;

// Integrates state->integrand over the interval of state->kind.  0 with the
// integral in *out and in `result` (divided by B^E, E the final `exponent`,
// when scaling is on); 1 on failure, `result` then being of no use.
int32_t trapezoid_integrate(quadrature_state* state, double* out);

// First pass: converts the centre (when adaptive), evaluates the centre node
// and walks both sides until the terms become negligible.  0 or 1.
int32_t trapezoid_first_pass(int32_t adaptive, quadrature_state* state);

// Walks one side of the centre, adding the weighted values to `sum`.  The
// first node lies start_factor from the centre (added on the whole line,
// multiplied otherwise), each further node step_factor beyond the previous
// one.  Adaptive: stops once three successive terms are negligible and
// stores the number of nodes in *count; otherwise evaluates *count + 1
// nodes.  0 or 1.
int32_t trapezoid_side_sum(int32_t adaptive, int32_t* count, double step_factor,
                           double start_factor, quadrature_state* state);

// Evaluates the weighted integrand at the node *node into *out and advances
// the node by step_factor.  0, 1, or `boundary_status` for an end point
// reached while the previous term is not negligible.
int32_t trapezoid_node(double* out, double* node, double step_factor, quadrature_state* state);

// Sets up *state for a half-line integral [lower, inf) by a purely relative
// test, exponent-scaled to base e from exponents below any the integrand
// reaches, a non-negligible end point failing it; the integral is then
// result * e^E, E the final `exponent`.
void quadrature_log_scaled(quadrature_state* state, double lower, double centre,
                           double initial_step, double tolerance, int32_t max_halvings,
                           integrand_callback integrand, void* context);
