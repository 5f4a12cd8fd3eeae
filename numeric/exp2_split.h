// 2^t for an extended t: pow_real's step, and exp_fast's outside the normal
// range of results (subnormal results, overflow, NaN).
//
// Split form: n = floor(t), f = t - n (exact, 0 <= f < 1), g = (2^f - 1) + 1
// with 2^f - 1 taken directly (F2XM1 on x86, accurate for small f rather than
// 2^f minus 1), and 2^t = g * 2^n by an exact scaling.  Flooring rather than
// rounding to nearest keeps f non-negative.
//
// Power form: for -1 < t < 1 the argument needs no split and 2^t = (2^t - 1)
// + 1 directly; otherwise the split form.  pow_real uses the power form,
// exp_fast the split form alone.
//
// Both return the extended value; the caller rounds it to a double once (the
// scaling is exact in the extended range, so a subnormal double result is
// the only one rounded twice).  The caller also runs them inside an extended
// stretch (elem_extended_begin): t - n and the sum (2^f - 1) + 1 carry up to
// 64 significant bits, and at the 53-bit precision some hosts leave in force
// f alone would lose up to 2^-54, the result a good part of an ulp.
#pragma once

#include "numeric/elementary.h"

// |n| beyond this leaves nothing of g * 2^n in the extended format (whose
// exponents end near +-16400), so clamping t there changes no result.  It
// keeps the scaling defined for any t a finite product can produce.
constexpr long double exp2_scale_limit = 20000.0L;

inline long double exp2_split_ext(long double t)
{
    // t itself is clamped, not only n: for an infinite t the fraction t - n
    // would be inf - inf, a NaN, where the limits 0 and +inf are meant.  A NaN
    // t fails both tests and stays NaN.
    if (t > exp2_scale_limit)
        t = exp2_scale_limit;
    else if (t < -exp2_scale_limit)
        t = -exp2_scale_limit;
    long double n = elem_floor_ext(t);
    long double f = t - n;
    long double g = elem_exp2m1_ext(f) + 1.0L;
    return elem_scale2_ext(g, n);
}

inline long double exp2_power_ext(long double t)
{
    if (t > -1.0L && t < 1.0L)
        return elem_exp2m1_ext(t) + 1.0L;
    return exp2_split_ext(t);
}
