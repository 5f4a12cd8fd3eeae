// log_one_minus_extended: ln(1 - u) for 0 <= u < 1 in extended precision.
//
// For u >= 1/32 the logarithm of 1 - u directly: for a double u that
// difference is exact in the 64-bit significand.  Below, the series
//
//     ln(1 - u) = 2 artanh(-w) = -2 (w + w^3/3 + w^5/5 + ...),  w = u/(2 - u),
//
// keeps the relative accuracy of a small u: w <= 1/63, the terms fall by
// w^2 < 2.6e-4 each, and seven of them reach 2^-64 of the first.
//
// The log-space beta routines multiply ln(1 - x) by shapes of up to 2^31,
// which would magnify the last bit of a double logarithm past the result's
// own accuracy.

#include "numeric/log_extended.h"

#include "numeric/elementary.h"

namespace {

// Below this u, ln(1 - u) comes from the series.
constexpr long double series_below = 0.03125L;

// Terms of the artanh series: w^(2k+1)/(2k+1) for k < series_terms.
constexpr int series_terms = 7;

}  // namespace

long double log_one_minus_extended(long double u)
{
    if (u >= series_below)
        return elem_ln_fyl2x_ext(1.0L - u);
    long double w = u / (2.0L - u);
    long double w2 = w * w;
    long double sum = 0.0L;
    long double power = w;
    for (int k = 0; k < series_terms; ++k) {
        sum += power / (2 * k + 1);
        power *= w2;
    }
    return -2.0L * sum;
}
