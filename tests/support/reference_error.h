// Errors against a reference given as hi * (1 + rel): hi the double nearest
// the exact value, rel the remainder relative to hi, which pins the
// reference to far below one unit in the last place.  (A reference given as
// one double is measured by relative_error in reference_table.h.)
#pragma once

#include <algorithm>
#include <cmath>

// |got - ref| / |ref|; exact agreement needed for ref = 0.
inline double reference_relative_error(double got, double hi, double rel)
{
    if (hi == 0.0)
        return got == 0.0 ? 0.0 : INFINITY;
    return std::fabs((got - hi) / hi - rel);
}

// |got - ref|.
inline double reference_absolute_error(double got, double hi, double rel)
{
    return std::fabs((got - hi) - rel * hi);
}

// |got - ref| in units of the last place of hi (formed without the
// remainder underflowing near the bottom of the range).
inline double reference_ulp_error(double got, double hi, double rel)
{
    double magnitude = std::fabs(hi);
    double ulp = std::nextafter(magnitude, INFINITY) - magnitude;
    return std::fabs((got - hi) / ulp - rel * (hi / ulp));
}

// Error of a logarithm: relative to the log where |log| >= 1, absolute
// below (a log near 0 is a probability near 1, whose own relative error is
// the absolute error of its log).
inline double reference_log_error(double got, double hi, double rel)
{
    return std::fabs((got - hi) - rel * hi) / std::max(1.0, std::fabs(hi));
}
