// The methods shared by gamma_inc and gamma_inc_log (internal to the
// library).  Each forms the ratio R of an incomplete gamma function to the
// density x^(a-1) e^(-x)/Gamma(a) of the same shape:
//
//     series, lower fraction:  R = P(a, x) Gamma(a) / (x^(a-1) e^(-x))
//     upper fraction:          R = Q(a, x) Gamma(a) / (x^(a-1) e^(-x))
//
// The two callers differ only in their tolerance and in their limits (one
// term or step fewer in the log-space routine), so both are parameters.
// Each returns 0 with R in *out, or 1 when the tolerance was not met within
// the limit (*out untouched).
#pragma once

#include <cstdint>

#include "numeric/elementary.h"
#include "numeric/primitives.h"

// Power series  R = x sum_(i>=0) x^i / (a (a+1) ... (a+i)); at most
// max_terms terms after the first.
int32_t gamma_series(double x, double a, double tolerance, int32_t max_terms, double* out);

// Continued fraction of the lower tail (for large a, x well below a); its
// step counter runs from 2 to last_counter.
int32_t gamma_lower_fraction(double x, double a, double tolerance, int32_t last_counter,
                             double* out);

// Legendre's continued fraction of the upper tail, scaled by 1/x; its step
// counter runs from 0 to last_counter.
int32_t gamma_upper_fraction(double x, double a, double tolerance, int32_t last_counter,
                             double* out);

// The cube-root variable of the Wilson-Hilferty approximation:
//     z = sqrt(9a) ((x/a)^(1/3) - (1 - 1/(9a))),
// nearly standard normal for a gamma variable of large shape a.
inline double gamma_cube_root_variable(double x, double a)
{
    double s = 9.0 * a;
    return elem_sqrt(s) * (pow_real(x / a, 0.3333333333333333) - (1.0 - 1.0 / s));
}
