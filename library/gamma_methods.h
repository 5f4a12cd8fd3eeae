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

// Which method forms R: the tolerance and limits of the caller, and the
// shape from which a lower tail (x at or below the centre) takes the lower
// fraction instead of the series.
struct gamma_method_limits {
    double large_shape;             // lower fraction from this shape on
    double tolerance;               // relative tolerance of every method
    int32_t series_terms;           // max_terms of gamma_series
    int32_t fraction_last_counter;  // last_counter of both fractions
};

// R for the lower tail (lower nonzero) or the upper one: the lower fraction
// for a >= large_shape, else the series, below; Legendre's fraction above.
// The method used (gamma_method_series, _lower_fraction or _upper_fraction)
// into *method, and the method's status returned.
int32_t gamma_ratio(double x, double a, int32_t lower, const gamma_method_limits* limits,
                    int32_t* method, double* out);

// ln P(a, x) and ln Q(a, x) by Temme's uniform asymptotic expansion, for a
// large shape (a >= 100) and |x/a - 1| at most 0.3.  0, or 1 when
// the Mills ratio fails (outputs untouched).
int32_t gamma_uniform_log(double x, double a, double* log_lower, double* log_upper);

// Q(a, x) for 0 < a < 1 and 0 < x <= 1, formed directly (not as 1 - P).
double gamma_upper_small_shape(double x, double a);

// Whether x lies in the centre band of the shape a,
//     |x - a| <= 0.02 a + 0.7 sqrt(a),
// where, for a large shape, the cube-root approximation replaces the series
// (which would need some sqrt(62 a) terms there) and the fractions.
constexpr double gamma_centre_band_relative = 0.02;
constexpr double gamma_centre_band_sqrt = 0.7;
inline bool gamma_centre_band(double x, double a)
{
    return elem_abs(x - a)
           <= gamma_centre_band_relative * a + gamma_centre_band_sqrt * elem_sqrt(a);
}

// The cube-root variable of the Wilson-Hilferty approximation:
//     z = sqrt(9a) ((x/a)^(1/3) - (1 - 1/(9a))),
// nearly standard normal for a gamma variable of large shape a.
inline double gamma_cube_root_variable(double x, double a)
{
    double s = 9.0 * a;
    return elem_sqrt(s) * (pow_real(x / a, 0.3333333333333333) - (1.0 - 1.0 / s));
}
