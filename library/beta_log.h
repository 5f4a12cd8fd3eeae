// The incomplete beta ratio in log space,
//
//     ln I_x(a, b),   ln(1 - I_x(a, b)),   ln of the Beta(a, b) density at x,
//
// on a record the caller owns.
#pragma once

#include <cstdint>

// The beta log record; fields in this order.
struct beta_log_record {
    double x;                // in: 0 <= x <= 1; the working argument x~ on return
    double a;                // in: first shape; the working shape p on return
    double b;                // in: second shape; the working shape q on return
    double log_lower;        // out: ln I_x(a, b)
    double log_upper;        // out: ln(1 - I_x(a, b))
    double log_density;      // out: ln of the Beta(a, b) density at x
    double tolerance;        // in/out: relative tolerance of the continued
                             // fraction, raised to at least 5.551115123125785e-16
    double fraction;         // working: the fraction's value, then the log
                             // result of the working side
    double argument_copy;    // working: the caller's x
    double complement;       // working: 1 - x~
    double unshifted_shape;  // working: p before its raise by one
    double shape_sum;        // working: a + b
    int32_t shifted;         // working: 1 when p was raised by one
    int32_t exchanged;       // working: 1 when the working side is the complement
};

// ln I_x(a, b), ln(1 - I_x(a, b)) and the log density into the record.
// 0 on success; 1 for a shape above 2147483647, x outside [0, 1], a or
// b <= 0 (or NaN), an end point where the density is not finite (x = 0 with
// a != 1, x = 1 with b != 1), or a fraction that did not converge (within
// 199 steps, or 20000 for one shape above 5000 with the other above 100).
int32_t beta_inc_log(beta_log_record* record);
