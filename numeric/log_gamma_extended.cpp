// log_gamma_extended: ln Gamma(x) for x > 0 in extended precision, x itself
// an extended value (a sum of two shapes, exact there).
//
// Stirling's formula with its remainder,
//     ln Gamma(z) = (z - 1/2) ln z - z + ln sqrt(2 pi) + lgamma_corr(z),
// taken at z = x + n >= 30, n the smallest whole number that gets there,
// and the recurrence Gamma(x) = Gamma(x + n) / (x (x+1) ... (x+n-1)) below:
//     ln Gamma(x) = ln Gamma(x + n) - ln(x (x+1) ... (x+n-1)).
// At z >= 30 the first term lgamma_corr omits, 7/1092 z^-13, is below
// 4e-22, and the sum of Stirling's terms (some 70 in size) is carried to
// the 64-bit significand, so the result is good to a few units of 2^-64
// relative to its largest term: about 1e-18 absolute for x below 30, where
// the double log_gamma is good to 1e-15.  The shift x + k and the product
// are exact or within a unit of 2^-64 each (at most 30 factors, none above
// 30, so the product stays far inside the range).  Larger x take Stirling's
// formula directly.
//
// No check of the domain: the callers have checked x > 0.

#include "numeric/log_extended.h"

#include "numeric/elementary.h"
#include "numeric/primitives.h"

namespace {

// Where Stirling's formula is taken: its omitted term is 4e-22 from here on.
constexpr double stirling_shifted_from = 30.0;

}  // namespace

long double log_gamma_extended(long double x)
{
    long double z = x;  // x + n, exact for the shifts taken
    long double product = 1.0L;
    while (z < stirling_shifted_from) {
        product *= z;
        z += 1.0L;
    }
    long double stirling = (z - 0.5L) * elem_ln_fyl2x_ext(z) - z + ln_sqrt_2pi_ext
                         + lgamma_corr(static_cast<double>(z));
    return product == 1.0L ? stirling : stirling - elem_ln_fyl2x_ext(product);
}
