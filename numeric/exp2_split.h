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
// t, f and g stay in the extended format; the result is rounded to a double
// once, at the end (twice only when it is subnormal: once to the 64-bit
// significand by the scaling's range, once to the double).
#pragma once

#include "numeric/elementary.h"

// |n| beyond this leaves nothing of g * 2^n in the extended format (whose
// exponents end near +-16400), so clamping n there changes no result.  It
// keeps the scaling defined for any t a finite product can produce.
constexpr long double exp2_scale_limit = 20000.0L;

// The split form; the caller runs it at 64-bit precision.
inline long double exp2_split_ext(long double t)
{
    long double n = elem_floor_ext(t);
    long double f = t - n;
    long double g = elem_exp2m1_ext(f) + 1.0L;
    if (!(n <= exp2_scale_limit))  // NaN too: g is NaN then and stays so
        n = exp2_scale_limit;
    else if (n < -exp2_scale_limit)
        n = -exp2_scale_limit;
    return elem_scale2_ext(g, n);
}

// 2^t by the split form, rounded to a double.  The fraction t - n and the
// sum (2^f - 1) + 1 have up to 64 significant bits, so they are formed at
// 64-bit precision whatever the host set (at 53 bits f alone would lose up
// to 2^-54 and the result a good part of an ulp).
inline double exp2_split(long double t)
{
    uint16_t saved = elem_extended_begin();
    elem_extended_hold(t);
    long double r = exp2_split_ext(t);
    elem_extended_hold(r);
    elem_extended_end(saved);
    return static_cast<double>(r);
}

// 2^t by the power form, rounded to a double (precision as for exp2_split).
inline double exp2_power(long double t)
{
    uint16_t saved = elem_extended_begin();
    elem_extended_hold(t);
    long double r = t > -1.0L && t < 1.0L ? elem_exp2m1_ext(t) + 1.0L : exp2_split_ext(t);
    elem_extended_hold(r);
    elem_extended_end(saved);
    return static_cast<double>(r);
}
