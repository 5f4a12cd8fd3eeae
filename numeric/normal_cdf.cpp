// Phi(x), the standard normal distribution function, from the error
// functions: Phi(x) = (1 + erf(x / sqrt 2)) / 2 = erfc(-x / sqrt 2) / 2.
//
// x > 0 takes the erf form, x <= 0 the erfc form, so that the lower tail
// comes from erfc and keeps its relative accuracy until it underflows (near
// x = -37.5); in the upper tail Phi rounds to 1 anyway.  The halving is an
// exact scaling.

#include "numeric/constants.h"
#include "numeric/primitives.h"

double normal_cdf(double x)
{
    if (x > 0.0)
        return (erf_value(x * one_over_sqrt_2) + 1.0) * 0.5;
    return erfc_value(-x * one_over_sqrt_2) * 0.5;
}
