// gamma_ratio: the ratio R of an incomplete gamma function to the density
// of the same shape, by the method that suits the position of x, for
// gamma_inc and gamma_inc_log alike:
//
//   lower tail, a >= large_shape:  the lower-tail continued fraction, which
//                                  needs far fewer steps than the series
//                                  well below the centre of a large shape;
//   lower tail otherwise:          the power series (A&S 6.5.29);
//   upper tail:                    Legendre's continued fraction (A&S 6.5.31).
//
// The callers differ in their tolerance, their limits and the shape from
// which the lower fraction takes over, which come in the limits record.

#include "library/gamma.h"
#include "library/gamma_methods.h"

int32_t gamma_ratio(double x, double a, int32_t lower, const gamma_method_limits* limits,
                    int32_t* method, double* out)
{
    double tol = limits->tolerance;
    int32_t last = limits->fraction_last_counter;
    if (a >= limits->large_shape && lower) {
        *method = gamma_method_lower_fraction;
        return gamma_lower_fraction(x, a, tol, last, out);
    }
    if (lower) {
        *method = gamma_method_series;
        return gamma_series(x, a, tol, limits->series_terms, out);
    }
    *method = gamma_method_upper_fraction;
    return gamma_upper_fraction(x, a, tol, last, out);
}
