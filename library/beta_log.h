// The regularized incomplete beta ratio in logarithms.
#pragma once

#include <cstdint>

// The record beta_inc_log works on; the caller owns it.
struct beta_log_record {
    double x;                // in: 0 <= x <= 1; on return the working argument x~
    double a;                // in: first shape; on return the working shape p
    double b;                // in: second shape; on return the working shape q
    double log_lower;        // out: ln I_x(a, b)
    double log_upper;        // out: ln(1 - I_x(a, b))
    double log_density;      // out: ln of the Beta(a, b) density at x
    double tolerance;        // in/out: relative tolerance, raised to at least 2^-54
    double fraction;         // working: the fraction's value, then ln I on the working side
    double argument_copy;    // working: the caller's x
    double complement;       // working: 1 - x~
    double unshifted_shape;  // working: p before the raise by one
    double shape_sum;        // working: a + b
    int32_t shifted;         // working: 1 when p was raised by one
    int32_t exchanged;       // working: 1 when the working side is the complement
};

// ln I_x(a, b), ln(1 - I_x(a, b)) and the log density into the record.
// 0 on success; 1 for a shape above 2147483647, x outside [0, 1], a or
// b <= 0 (or NaN), an end point whose density is not finite, or a fraction
// that has not converged where the normal approximation does not apply.
int32_t beta_inc_log(beta_log_record* record);

// How beta_inc_log reached its answer, for the tests.
constexpr int32_t beta_log_path_none = 0;       // failure
constexpr int32_t beta_log_path_end_point = 1;  // x = 0 or x = 1
constexpr int32_t beta_log_path_fraction = 2;   // continued fraction converged
constexpr int32_t beta_log_path_normal = 3;     // cube-root normal approximation

struct beta_log_trace {
    int32_t path;   // one of beta_log_path_*
    int32_t steps;  // continued-fraction steps taken
};

// beta_inc_log, filling *trace (which may be null) as well.
int32_t beta_inc_log_traced(beta_log_record* record, beta_log_trace* trace);

// ln B(a, b) for a, b > 0 in extended precision (no domain check): the log
// densities of large shapes subtract it from terms of its own size.
long double log_beta_extended(double a, double b);

// ln(1 - u) for 0 <= u < 1 in extended precision, accurate relative to a
// small u.
long double log_one_minus_extended(long double u);
