// The two continued fractions of the incomplete gamma functions, returned
// as ratios R to the density x^(a-1) e^(-x)/Gamma(a) (see gamma_methods.h).
//
// Upper tail: Legendre's continued fraction (Abramowitz and Stegun 6.5.31),
//
//     Gamma(a, x) = x^a e^(-x) (1/(x + (1-a)/(1 + 1/(x + (2-a)/(1 + 2/(x + ...)))))),
//
// divided through by x:  R = 1/(1 + c_1/(1 + c_2/(1 + c_3/(1 + ...)))) with
//     c_(2j-1) = (j - a)/x,   c_(2j) = j/x.
// It converges quickly for x above a (and above 1), where it is used.
//
// Lower tail: the continued fraction
//
//     gamma(a, x) = x^a e^(-x) / (a - a x/(a+1 + x/(a+2 - (a+1) x/(a+3 + 2x/(a+4 - ...)))))
//
// brought to unit partial denominators,
//     R = r/(1 - x/(a+1) / (1 + c_1/(1 + c_2/(1 + ...)))),    r = x/a,
// with c_j = x/(a+j) * k/(a+j+1) for an even step counter (k counting
// those steps) and -x/(a+j) * (a+k)/(a+j+1) for an odd one.  For large a
// and x well below a its approximants settle in a few tens of steps where
// the power series would need thousands of terms.
//
// Both are run by the forward recurrences A_j = A_(j-1) + c_j A_(j-2),
// B_j = B_(j-1) + c_j B_(j-2), f_j = A_j/B_j, and stop when
// |f_j - f_(j-1)| < tolerance f_j.  The recurrences grow or shrink
// geometrically; whenever the older numerator leaves about [2^-511, 2^512]
// all four values are divided by the power of two of its exponent
// (scale_exponent), exactly, which leaves the approximants unchanged.

#include "library/gamma_methods.h"

#include "numeric/constants.h"
#include "numeric/primitives.h"

namespace {

// The window of |A_(j-1)| outside which the recurrences are rescaled.
constexpr double rescale_above = below_2_512;      // just below 2^512
constexpr double rescale_below = 1.491668147e-154;         // about 2^-511

struct recurrence {
    double a_prev, a, b_prev, b;
    double f;
};

// One step with partial numerator c.  true when the new approximant agrees
// with the previous one to `tolerance`; otherwise shifts and rescales.
bool fraction_step(recurrence* r, double c, double tolerance)
{
    double a_new = r->a + c * r->a_prev;
    double b_new = r->b + c * r->b_prev;
    double f_new = a_new / b_new;
    if (elem_abs(f_new - r->f) < tolerance * f_new) {
        r->f = f_new;
        return true;
    }
    r->a_prev = r->a;
    r->a = a_new;
    r->b_prev = r->b;
    r->b = b_new;
    r->f = f_new;
    double size = elem_abs(r->a_prev);
    if (size > rescale_above || size < rescale_below) {
        int32_t e;
        r->a_prev = scale_exponent(r->a_prev, &e);
        r->a = elem_scale2(r->a, -e);
        r->b_prev = elem_scale2(r->b_prev, -e);
        r->b = elem_scale2(r->b, -e);
    }
    return false;
}

}  // namespace

int32_t gamma_lower_fraction(double x, double a, double tolerance, int32_t last_counter,
                             double* out)
{
    double r0 = x / a;
    double b0 = 1.0 - x / (a + 1.0);
    recurrence r{r0, r0, 1.0, b0, r0 / b0};
    int32_t k = 0;
    // Step counter n from 2: the first two partial numerators sit in the
    // starting values.
    for (int32_t n = 2, j = 1; n <= last_counter; ++n, ++j) {
        double w = x / (a + j);
        double c;
        if (n % 2 == 0) {
            k += 1;
            c = w * k / (a + j + 1.0);
        } else {
            c = -w * (k + a) / (a + j + 1.0);
        }
        if (fraction_step(&r, c, tolerance)) {
            *out = r.f;
            return 0;
        }
    }
    return 1;
}

int32_t gamma_upper_fraction(double x, double a, double tolerance, int32_t last_counter,
                             double* out)
{
    recurrence r{0.0, 1.0, 1.0, 1.0, 1.0};
    for (int32_t n = 0; n <= last_counter; ++n) {
        double c = n % 2 == 0 ? (n / 2 + 1 - a) / x : ((n + 1) / 2) / x;
        if (fraction_step(&r, c, tolerance)) {
            *out = r.f;
            return 0;
        }
    }
    return 1;
}
