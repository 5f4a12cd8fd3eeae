// 2^t for an extended t, the step that exp_fast and pow_real share.
//
// Split form: n = floor(t), f = t - n (exact, 0 <= f < 1), g = (2^f - 1) + 1
// with 2^f - 1 taken directly (F2XM1 on x86, accurate for small f rather than
// 2^f minus 1), and 2^t = g * 2^n by an exact scaling.  Flooring rather than
// rounding to nearest keeps f non-negative, the range F2XM1 is most exact on.
//
// Power form: for -1 < t < 1 the fraction needs no split and 2^t = (2^t - 1)
// + 1 directly; otherwise the split form.  pow_real uses the power form,
// exp_fast the split form alone.
//
// t, f and g stay in the extended format, with the x87 at 64-bit precision
// whatever the caller set (elem_extended_begin); the result is rounded to a double
// once, at the end (twice only when it is subnormal: once to the 64-bit
// significand by the scaling's range, once to the double).
#pragma once

#include "numeric/elementary.h"

// |n| beyond this leaves nothing of g * 2^n in the extended format (whose
// exponents end near +-16400), so clamping n there changes no result.  It
// keeps the scaling defined for any t a finite product can produce.
constexpr long double exp2_scale_limit = 20000.0L;

inline double exp2_split(long double t)
{
    uint16_t precision = elem_extended_begin();
    t = elem_extended_fence(t);
    long double n = elem_floor_ext(t);
    long double f = t - n;
    long double g = elem_exp2m1_ext(f) + 1.0L;
    if (!(n <= exp2_scale_limit))  // NaN too: g is NaN then and stays so
        n = exp2_scale_limit;
    else if (n < -exp2_scale_limit)
        n = -exp2_scale_limit;
    double r = static_cast<double>(elem_scale2_ext(g, n));
    elem_extended_end(precision);
    return r;
}

inline double exp2_power(long double t)
{
    if (t > -1.0L && t < 1.0L) {
        uint16_t precision = elem_extended_begin();
        long double g = elem_exp2m1_ext(elem_extended_fence(t)) + 1.0L;
        double r = static_cast<double>(elem_extended_fence(g));
        elem_extended_end(precision);
        return r;
    }
    return exp2_split(t);
}
