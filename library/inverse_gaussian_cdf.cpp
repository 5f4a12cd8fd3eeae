// inverse_gaussian_cdf: the distribution function of the inverse Gaussian
// (Wald) law with mean 1 and shape lambda,
//
//     F(x; lambda) = Phi(sqrt(lambda) (sqrt(x) - 1/sqrt(x)))
//                  + e^(2 lambda) Phi(-sqrt(lambda) (sqrt(x) + 1/sqrt(x)))
//
// (J. J. Shuster, J. Amer. Statist. Assoc. 63 (1968) 1514-1516).
//
// The second term is e^(2 lambda) erfc(t)/2 with
// t = sqrt(lambda) (sqrt(x) + 1/sqrt(x)) / sqrt(2) >= sqrt(2 lambda).  For
// large lambda the factor e^(2 lambda) overflows while erfc(t) underflows,
// although their product is modest.  So from t > 4 on, erfc is taken in
// Cody's asymptotic form,
//     erfc(t) = (e^(-t^2)/t) (1/sqrt(pi) - R(1/t^2)),
// and the two exponentials are folded into one, e^(2 lambda - t^2), whose
// exponent is -lambda (sqrt(x) - 1/sqrt(x))^2 / 2 <= 0.  Below the normal
// range (exponent < ln 2^-1022) the term is taken as 0.  For t <= 4,
// lambda <= 8 and e^(2 lambda) is harmless.
//
// No checks: the caller passes x >= 0 and lambda >= 0.  F(0) = 0.

#include "library/distributions.h"

#include "numeric/constants.h"
#include "numeric/elementary.h"
#include "numeric/erfc_asymptotic.h"
#include "numeric/primitives.h"

namespace {

// Above this t, the asymptotic form of erfc (the boundary of Cody's
// asymptotic range).
constexpr double asymptotic_from = 4.0;

}  // namespace

double inverse_gaussian_cdf(double x, double lambda)
{
    if (x == 0.0)
        return 0.0;
    double r = elem_sqrt(x);
    double l = elem_sqrt(lambda);
    double t = l * (1.0 / r + r) * one_over_sqrt_2;

    double v;
    if (t <= asymptotic_from) {
        v = elem_scale2(exp_fast(2.0 * lambda) * erfc_value(t), -1);
    } else {
        double w = 2.0 * lambda - t * t;
        if (w < log_min_normal)
            v = 0.0;
        else
            v = exp_fast(w) / t * (one_over_sqrt_pi - erfc_asymptotic_ratio(1.0 / (t * t))) * 0.5;
    }
    return v + normal_cdf(l * (r - 1.0 / r));
}
