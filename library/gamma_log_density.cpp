// gamma_log_density: ln of the standard gamma density,
//
//     ln f(x) = (a - 1) ln x - x - ln Gamma(a),   x >= 0, a > 0.
//
// For a large shape (a >= 10) the three terms are large and, near the mode,
// nearly cancel.  Stirling's series is taken out
// of ln Gamma(a) = (a - 1/2) ln a - a + ln sqrt(2 pi) + lgamma_corr(a), and
// the large parts combine analytically:
//
//     ln f(x) = (a - 1) ln(x/a) - ln(a)/2 + (a - x) - lgamma_corr(a) - ln sqrt(2 pi),
//
// whose terms are each of the size of the result or of x - a, so no digits
// cancel.  What remains is the logarithm ln(x/a), whose absolute error the
// factor a - 1 magnifies.  Within |x/a - 1| <= 0.3 it is taken as ln(1 + delta) with
// delta = (x - a)/a, x - a being exact (x and a within a factor 2), and
// carried at the 64-bit significand with Kahan's correction for the
// rounding of u = 1 + delta:
//     ln(1 + delta) = ln(u) * delta / (u - 1)     (u - 1 exact),
// so that its error is a few units of 2^-64 relative to ln(x/a) itself.
// The first two terms, (a - 1) ln(x/a) + (a - x), are summed at the same
// precision, and the result is within a few ulps (plus some 1e-19 a |delta|
// absolute) for every shape.  Outside the band the same form holds with
// ln(x/a) = ln x - ln a at the 64-bit significand: the two large terms
// then cancel at most to a seventh of their size (at x/a = 1.3, where
// (a - 1) ln(x/a) + (a - x) is -0.038 a against 0.26 a), so the result
// keeps some 1e-18 of a relative, where the direct form would be left with
// 2^-53 |ln Gamma(a)| (1e-14 at a = 500, x = 1.5 a).  Below a = 10 the
// direct form, whose error is that of its terms, about
// 2^-53 (|(a - 1) ln x| + x + ln Gamma(a)) absolute.
//
// At x = 0 the density is 1 for a = 1 (ln = 0) and 0 or unbounded otherwise;
// the infinite logarithm is the host's missing value (status 0).

#include "library/densities.h"

#include "numeric/constants.h"
#include "numeric/elementary.h"
#include "numeric/host_link.h"
#include "numeric/primitives.h"

namespace {

// Shapes from here on take the Stirling form; within a relative 0.3 of the
// mode with ln(x/a) from the rounding-corrected ln(1 + delta).
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
    if (a >= stirling_min_shape) {
        bool band = elem_abs(x / a - 1.0) <= stirling_band;
        uint16_t saved = elem_extended_begin();
        long double delta = static_cast<long double>(x - a) / static_cast<long double>(a);
        elem_extended_hold(delta);
        long double u = 1.0L + delta;
        long double log_ratio;
        if (!band)
            log_ratio = elem_ln_table_ext(x) - elem_ln_table_ext(a);
        else
            log_ratio = u == 1.0L ? delta : elem_ln_fyl2x_ext(u) * (delta / (u - 1.0L));
        long double sum = static_cast<long double>(a - 1.0) * log_ratio
                          + static_cast<long double>(a - x) - 0.5L * elem_ln_table_ext(a)
                          - static_cast<long double>(lgamma_corr(a))
                          - static_cast<long double>(ln_sqrt_2pi);
        elem_extended_hold(sum);
        elem_extended_end(saved);
        *out = static_cast<double>(sum);
    } else {
        *out = (a - 1.0) * elem_ln(x) - x - log_gamma(a);
    }
    return 0;
}
