// erfc_scaled: e^(y^2) erfc(y) for y >= 0, the scaled complementary error
// function, from the same three ranges of Cody's approximation as
// erf_erfc_eval with the factor e^(-y^2) left out:
//
//   y <= 0.46875       e^(y^2) erfc(y), erfc from erf_erfc_eval (no
//                      cancellation: erfc(y) >= 0.5 there);
//   0.46875 < y <= 4   C(y)/D(y) (erfc_middle.h);
//   4 < y              (1/sqrt(pi) - R(1/y^2))/y (erfc_asymptotic.h), for
//                      every y: nothing underflows, and it falls as
//                      1/(y sqrt(pi)).
//
// The normal tail follows without an exponential of its own wherever the
// caller has one: Phi(-z) = phi(z) sqrt(pi/2) erfc_scaled(z/sqrt 2), the
// Mills ratio being sqrt(pi/2) erfc_scaled(z/sqrt 2).  Relative accuracy
// that of Cody's rationals (a few units in the last place): the scaled
// function varies slowly (its log derivative in y is at most 2/sqrt(pi)
// in size), so the rounding of y costs nothing either.

#include "numeric/constants.h"
#include "numeric/erfc_asymptotic.h"
#include "numeric/erfc_middle.h"
#include "numeric/primitives.h"

double erfc_scaled(double y)
{
    if (y > erf_middle_bound)
        return (one_over_sqrt_pi - erfc_asymptotic_ratio(1.0 / (y * y))) / y;
    if (y > erf_small_bound) {
        double numerator, denominator;
        erfc_middle_terms(y, &numerator, &denominator);
        return numerator / denominator;
    }
    return exp_fast(y * y) * erfc_value(y);
}
