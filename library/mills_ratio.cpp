// mills_ratio: the Mills ratio of the standard normal law,
//
//     m(z) = Phi(-z) / phi(z) = e^(z^2/2) integral from z to inf of e^(-t^2/2) dt.
//
// Below z = 5 it is formed directly: 1/phi(z) = e^(z^2/2 + ln sqrt(2 pi))
// times Phi(-z) from normal_cdf, whose lower tail keeps its relative
// accuracy there.  For z < -10, Phi(-z) is 1 to double precision and the
// factor is left out.
//
// From z = 5 on, Laplace's continued fraction
//
//     m(z) = 1/(z + 1/(z + 2/(z + 3/(z + ...)))),
//
// rewritten with y = 1/z as
//
//     m = y/(1 + y^2/(1 + 2y^2/(1 + 3y^2/(1 + ...)))),
//
// whose partial numerators k y^2 are positive, so that the approximants
// alternate about m and close in on it; it is run by the forward
// recurrences A_k = A_(k-1) + k y^2 A_(k-2) (and B_k alike) from
// A_(-1) = 0, A_0 = y, B_(-1) = 1, B_0 = 1.  With y^2 <= 1/25 the
// numerators stay below 100/25 and the recurrences below 5^100, far from
// overflow, so no rescaling is needed.  The fraction stops when two
// successive approximants agree to 5.6e-16 relative; at z = 5 it needs some
// 35 steps, fewer further out.

#include "library/densities.h"

#include "numeric/constants.h"
#include "numeric/elementary.h"
#include "numeric/primitives.h"

namespace {

// From here on Laplace's continued fraction.
constexpr double fraction_from = 5.0;
// Below here Phi(-z) rounds to 1.
constexpr double phi_is_one_below = -10.0;
// Relative agreement of two approximants that ends the fraction,
// 5.551115123125785e-16.
constexpr double fraction_tolerance = min_relative_tolerance;
// Step limit of the fraction; it converges in well under half of it at
// z = 5, the slowest point it is used at.
constexpr int32_t mills_itrmax = 100;

}  // namespace

int32_t mills_ratio(double z, double* out)
{
    if (z < fraction_from) {
        double m = exp_fast(0.5 * z * z + ln_sqrt_2pi);
        if (z >= phi_is_one_below)
            m *= normal_cdf(-z);
        *out = m;
        return 0;
    }

    double y = 1.0 / z;
    double y2 = y * y;
    double a_prev = 0.0, a = y;
    double b_prev = 1.0, b = 1.0;
    double f = y;
    for (int32_t k = 1; k <= mills_itrmax; ++k) {
        double c = k * y2;
        double a_new = a + c * a_prev;
        double b_new = b + c * b_prev;
        double f_new = a_new / b_new;
        a_prev = a;
        a = a_new;
        b_prev = b;
        b = b_new;
        if (elem_abs(f_new - f) <= fraction_tolerance * f_new) {
            *out = f_new;
            return 0;
        }
        f = f_new;
    }
    *out = f;
    return 1;
}
