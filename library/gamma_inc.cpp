// gamma_inc: the regularized incomplete gamma functions P(a, x) and
// Q(a, x) = 1 - P(a, x), and the gamma density x^(a-1) e^(-x)/Gamma(a).
//
// One of P and Q is formed directly, the other as its complement, so that
// the smaller keeps its relative accuracy:
//
//   x <= a or x <= 1:  P by the power series (A&S 6.5.29); for a >= 10000
//                      well below the centre, by the lower-tail continued
//                      fraction instead, which needs far fewer steps there;
//   otherwise:         Q by Legendre's continued fraction (A&S 6.5.31);
//   a >= 10000 and |x - a| <= 0.02 a + 0.7 sqrt(a):
//                      the corrected cube-root approximation below.
//
// Series and fractions give the ratio R of the function to the density;
// the value is e^(ln R + d) with the log density d from gamma_log_density
// (Stirling form near the mode of a large shape), so that neither factor
// overflows on its own.
//
// Shapes below 1.  The series and fractions lose accuracy for a < 1 (the
// kernel is singular at 0), so they work on a' = a + 1 and step back with
//     P(a, x) = P(a+1, x) + x^a e^(-x)/Gamma(a+1),
//     Q(a, x) = Q(a+1, x) - x^a e^(-x)/Gamma(a+1),
// the added term being the density of shape a + 1; the density of shape a
// is then that density times a/x (with the caller's a, not (a + 1) - 1,
// which keeps only the digits of a that survive the addition of 1).
//
// Centre of a large shape.  The Wilson-Hilferty variable
//     z = sqrt(9a) ((x/a)^(1/3) - (1 - 1/(9a)))
// is nearly standard normal; Temme's uniform expansion, cut after its
// first correction, gives
//     Q = Phi(-z) - phi(z) (A - B)/(9a)  (z > 0),  P = Phi(z) + phi(z) (A - B)/(9a)  (z <= 0),
//     A = z (z^2/3 - 1)/4,   B = (7 - (z^2 + 4) z^2) / (15 sqrt(9a)),
// where the neglected terms are of order 1/a^(3/2).  The smaller of P and Q
// is kept and the larger formed again as its complement.
//
// Limits: 920 series terms (enough for x = a just below 10000, where
// 788 are needed), 399 steps of the lower-tail fraction, 401 of the
// upper-tail fraction.  A method that does not converge fails the routine.
// Results are clamped to [0, 1].

#include "library/gamma.h"

#include "library/densities.h"
#include "library/gamma_methods.h"
#include "numeric/constants.h"
#include "numeric/elementary.h"
#include "numeric/primitives.h"

namespace {

constexpr double tolerance = min_relative_tolerance;
constexpr int32_t series_terms = 920;
constexpr int32_t fraction_last_counter = 400;

// From this shape on, the centre approximation and the lower-tail fraction.
constexpr double large_shape = 10000.0;
constexpr gamma_method_limits limits = {large_shape, tolerance, series_terms,
                                        fraction_last_counter};

constexpr double one_third = 0.3333333333333333;
constexpr double one_over_sqrt_2pi = 0.3989422804014327;

int32_t fail(double* p, double* q, double* density)
{
    *p = -2.0;
    *q = -2.0;
    *density = 0.0;
    return 1;
}

// Q or P (the smaller) near the centre of a large shape; true for P.
bool centre_approximation(double x, double a, double* value)
{
    double s = 9.0 * a;
    double root_s = elem_sqrt(s);
    double z = gamma_cube_root_variable(x, a);
    double z2 = z * z;
    double phi = exp_fast(-0.5 * z2) * one_over_sqrt_2pi;
    double corr_a = (z2 * one_third - 1.0) * z * 0.25;
    double corr_b = (7.0 - (z2 + 4.0) * z2) / (15.0 * root_s);
    double c = phi * (corr_a - corr_b) / s;
    double n = normal_cdf(-elem_abs(z));
    double p, q;
    if (z > 0.0) {
        q = n - c;
        p = 1.0 - q;
    } else {
        p = n + c;
        q = 1.0 - p;
    }
    bool lower = p < q;
    *value = lower ? p : q;
    return lower;
}

}  // namespace

int32_t gamma_inc(double x, double a, double* p, double* q, double* density)
{
    if (!(a >= 0.0 && x >= 0.0))
        return fail(p, q, density);
    if (a == 0.0) {
        *p = 1.0;
        *q = 0.0;
        *density = 0.0;
        return 0;
    }
    if (x == 0.0) {
        *p = 0.0;
        *q = 1.0;
        *density = a == 1.0 ? 1.0 : (a < 1.0 ? max_double : 0.0);
        return 0;
    }

    bool shifted = a < 1.0;
    double ap = shifted ? a + 1.0 : a;
    double d;
    gamma_log_density(x, ap, &d);
    bool lower = x <= ap || x <= 1.0;

    double value;
    double e;
    if (ap >= large_shape && gamma_centre_band(x, ap)) {
        lower = centre_approximation(x, ap, &value);
        e = exp_fast(d);
    } else {
        double r;
        int32_t method;
        if (gamma_ratio(x, ap, lower, &limits, &method, &r) != 0)
            return fail(p, q, density);

        value = exp_fast(elem_ln(r) + d);
        e = d < -log_max_double ? 0.0 : (d > log_max_double ? max_double : exp_fast(d));
        if (shifted) {
            value = lower ? value + e : value - e;
            e = e * a / x;
        }
    }

    if (value > 1.0)
        value = 1.0;
    else if (!(value >= 0.0))
        value = 0.0;
    *density = e;
    if (lower) {
        *p = value;
        *q = 1.0 - value;
    } else {
        *q = value;
        *p = 1.0 - value;
    }
    return 0;
}
