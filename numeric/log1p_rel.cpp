// ln(1 + x), to within 3e-16 relative when |x| <= 1/32.
//
// For |x| <= 1/32 the logarithm goes through u = x / (1 + x/2), since
//   ln(1 + x) = 2 artanh(u / 2) = u + u^3/12 + u^5/80 + u^7/448 + ...,
// and the series after u^3/12 is folded into a [1/1] rational function of
// v = u^2, close to the Pade approximant (1/12 + (1/80 - 5/336) v) /
// (1 - (5/28) v) but with coefficients tuned for |u| < 1/32.  The leading
// term u carries the value and the correction is below u^3/12, so only the
// roundings of 1 + x/2 and of the division are of size 2^-53 |x|.
// For |x| > 1/32, 1 + x is formed and its logarithm taken directly.  The
// rounding of the sum (up to 2^-53 (1 + x)) is an absolute error of up to
// 2^-53 in ln(1 + x): relative 2^-53 / |ln(1 + x)|, some 3.5e-15 (16 ulps)
// just past 1/32 and falling as |x| grows.
//
// No check: the caller keeps x above -1.

#include "numeric/elementary.h"
#include "numeric/primitives.h"

// The ratio form's coefficients in v = u^2, lowest power first.  The first
// numerator coefficient is 1/12 as fitted, 0.08333333333333427, not the
// double nearest to 1/12.
constexpr double log1p_numerator[] = {0.08333333333333427, -0.0023812878804825234};
constexpr double log1p_denominator[] = {1.0, -0.178575454351365};

// |x| up to this uses the ratio form (the bound itself included).
constexpr double log1p_small_bound = 0.03125;

double log1p_rel(double x)
{
    if (x > log1p_small_bound || x < -log1p_small_bound)
        return elem_ln(1.0 + x);
    double u = x / (1.0 + 0.5 * x);
    double v = u * u;
    return u + u * u * u * (log1p_numerator[0] + log1p_numerator[1] * v)
                   / (log1p_denominator[0] + log1p_denominator[1] * v);
}
