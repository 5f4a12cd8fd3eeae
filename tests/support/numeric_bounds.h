// Accuracy bounds that more than one test of the numeric primitives uses.
#pragma once

#include <cmath>

constexpr double unit_roundoff = 0x1p-53;  // 1.1102230246251565e-16

// erfc_value: 2e-15 relative up to |x| = 4.  Beyond 4, e^(-x^2) is taken of the
// rounded x^2 in one call: a rounding of x^2 (up to 2^-53 x^2) becomes a
// relative error of e^(-x^2), so the bound grows by x^2 2^-53 (7.5e-14 at 26).
// For x < 0, erfc = 2 - erfc(|x|) is close to 2 and as accurate as erf.
inline double erfc_tolerance(double x)
{
    if (x <= 4.0)
        return 2e-15;
    return 2e-15 + x * x * unit_roundoff;
}
