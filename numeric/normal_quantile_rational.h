// The rational part of Abramowitz and Stegun 26.2.23, the upper-tail normal
// quantile: for 0 < q <= 1/2 and t = sqrt(-2 ln q),
//
//     z_q = t - (c0 + c1 t + c2 t^2) / (1 + d1 t + d2 t^2 + d3 t^3),
//
// with |error| < 4.5e-4.  Its users: the noncentrality search (the normal
// quantile of p) and the start of the incomplete beta inverse (a deviate
// from the log of a tail probability, where t is formed without q itself).
#pragma once

// Numerator coefficients c0, c1, c2 and denominator coefficients d1, d2, d3
// (the denominator's constant term is 1), lowest power first.
constexpr double normal_quantile_num[] = {2.515517, 0.802853, 0.010328};
constexpr double normal_quantile_den[] = {1.432788, 0.189269, 0.001308};

// (c0 + c1 t + c2 t^2) / (1 + d1 t + d2 t^2 + d3 t^3), so that z_q = t - R.
inline double normal_quantile_rational(double t)
{
    return (normal_quantile_num[0] + normal_quantile_num[1] * t + normal_quantile_num[2] * t * t)
         / (1.0 + normal_quantile_den[0] * t + normal_quantile_den[1] * t * t
            + normal_quantile_den[2] * t * t * t);
}
