// gamma_log_density: ln of the standard gamma density,
//
//     ln f(x) = (a - 1) ln x - x - ln Gamma(a),   x >= 0, a > 0.
//
// Near the mode of a large shape (a >= 10, |x/a - 1| <= 0.3) the three
// terms are large and nearly cancel.  There Stirling's series is taken out
// of ln Gamma(a) = (a - 1/2) ln a - a + ln sqrt(2 pi) + lgamma_corr(a), and
// the large parts combine analytically:
//
//     ln f(x) = (a - 1) ln(x/a) - ln(a)/2 + (a - x) - lgamma_corr(a) - ln sqrt(2 pi),
//
// whose terms are each of the size of the result or of x - a, so no digits
// cancel.  Elsewhere the direct form.
//
// At x = 0 the density is 1 for a = 1 (ln = 0) and 0 or unbounded otherwise;
// the infinite logarithm is the host's missing value (status 0).

#include "library/densities.h"

#include "numeric/constants.h"
#include "numeric/elementary.h"
#include "numeric/host_link.h"
#include "numeric/primitives.h"

namespace {

// Shapes from here on, within a relative 0.3 of the mode, take the Stirling
// form.
constexpr double stirling_min_shape = 10.0;
constexpr double stirling_band = 0.3;

}  // namespace

int32_t gamma_log_density(double x, double a, double* out)
{
    if (!(x >= 0.0 && a > 0.0))
        return 1;
    if (x == 0.0) {
        if (a == 1.0)
            *out = 0.0;
        else
            host_missing_value(out);
        return 0;
    }
    if (a >= stirling_min_shape && elem_abs(x / a - 1.0) <= stirling_band) {
        *out = (a - 1.0) * elem_ln(x / a) - 0.5 * elem_ln(a) + (a - x) - lgamma_corr(a)
               - ln_sqrt_2pi;
    } else {
        *out = (a - 1.0) * elem_ln(x) - x - log_gamma(a);
    }
    return 0;
}
