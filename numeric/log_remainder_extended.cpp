// log_remainder_extended: D(t) = t - ln(1 + t) >= 0 for t > -1, in extended
// precision, free of the cancellation of t against ln(1 + t) near t = 0.
// It is the exponent of Stirling-type forms of densities with large shapes
// (a D(x/a - 1) for the gamma law, a D(t_x) + b D(t_y) for the beta law).
//
// For |t| <= 1/2: with s = t/(2 + t), ln(1 + t) = 2 atanh(s) and
// t - 2s = s t, so
//     D(t) = s t - 2 s^3 (1/3 + s^2/5 + s^4/7 + ...);
// |s| <= 1/3, so 18 terms reach 2^-64 relative.  Outside, t - ln(1 + t)
// from the caller's ln(1 + t) (which the caller forms from logarithms it
// holds, since 1 + t itself may have lost its digits when t is near -1)
// loses at most a digit.
//
// Callers run it inside a stretch at 64-bit precision.

#include <cstdint>

#include "numeric/log_extended.h"

namespace {

// Terms of the atanh series: s^(2k+3)/(2k+3) for k < log_remainder_terms.
constexpr int32_t log_remainder_terms = 18;

// The series holds for |t| up to this.
constexpr long double series_bound = 0.5L;

}  // namespace

long double log_remainder_extended(long double t, long double log_one_plus_t)
{
    if (t < -series_bound || t > series_bound)
        return t - log_one_plus_t;
    long double s = t / (2.0L + t);
    long double s2 = s * s;
    long double sum = 0.0L;
    for (int32_t k = log_remainder_terms - 1; k >= 0; --k)
        sum = sum * s2 + 1.0L / static_cast<long double>(2 * k + 3);
    return s * t - 2.0L * s * s2 * sum;
}
