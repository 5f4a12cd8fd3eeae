// beta_log_density_stirling: ln of the Beta(a, b) density at x for two
// shapes of stirling_from (15) or more, in extended precision, free of the
// cancellation of its terms:
//
//     ln(x^(a-1) y^(b-1) / B(a, b))
//         = -a D(x/x0 - 1) - b D(y/y0 - 1) + (1/2) ln(a b/(2 pi c))
//           - (d(a) + d(b) - d(c)) - ln x - ln y,
//
// y = 1 - x, c = a + b, x0 = a/c, y0 = b/c, D(t) = t - ln(1 + t) >= 0 and
// d the Stirling remainder lgamma_corr.  It is Stirling's formula for the
// three log-gammas of ln B(a, b) with the large terms a ln(x/x0) and
// b ln(y/y0) gathered: the linear terms a (x/x0 - 1) and b (y/y0 - 1)
// cancel exactly, since x + y = 1.  The direct sum (a-1) ln x +
// (b-1) ln(1-x) - ln B(a, b) has terms of size a + b that cancel to a log
// density of order one near the mode; even at the 64-bit significand the
// logarithms' last bits leave 3e-12 of it at shapes of 5e6, where this
// form keeps some 1e-15.
//
// t_x = x/x0 - 1 and t_y = y/y0 - 1 = -(a/b) t_x are formed from the
// smaller of x and y, which carries the digits (the other may be a
// rounded complement): t_x = (x c - a)/a when x <= y, else t_y =
// (y c - b)/b first.  ln(1 + t_x) = ln x + ln c - ln a and ln(1 + t_y) =
// ln y + ln c - ln b come from the logarithms the caller holds.
//
// D(t) for |t| <= 1/2: with s = t/(2 + t), ln(1 + t) = 2 atanh(s) and
// t - 2s = s t, so
//     D(t) = s t - 2 s^3 (1/3 + s^2/5 + s^4/7 + ...),
// free of the cancellation of t against ln(1 + t); |s| <= 1/3, so 18 terms
// reach 2^-64 relative.  Outside, t - ln(1 + t) loses at most a digit.
//
// No check of the domain: the callers have checked 0 < x < 1 and both
// shapes.  Callers run it inside a stretch at 64-bit precision.

#include "numeric/log_extended.h"

#include <cstdint>

#include "numeric/elementary.h"
#include "numeric/primitives.h"

namespace {

// Terms of the atanh series of D(t): s^(2k+3)/(2k+3) for k < log_remainder_terms.
constexpr int32_t log_remainder_terms = 18;

// D(t) = t - ln(1 + t), t > -1, with ln(1 + t) given (the caller forms it
// from logarithms it holds, since 1 + t itself may have lost its digits
// when t is near -1).
long double log_remainder(long double t, long double log_one_plus_t)
{
    if (t < -0.5L || t > 0.5L)
        return t - log_one_plus_t;
    long double s = t / (2.0L + t);
    long double s2 = s * s;
    long double sum = 0.0L;
    for (int32_t k = log_remainder_terms - 1; k >= 0; --k)
        sum = sum * s2 + 1.0L / static_cast<long double>(2 * k + 3);
    return s * t - 2.0L * s * s2 * sum;
}

}  // namespace

long double beta_log_density_stirling(double x, double y, long double ln_x, long double ln_y,
                                      double a, double b)
{
    long double c = static_cast<long double>(a) + b;
    long double tx, ty;
    if (x <= y) {
        tx = (x * c - a) / a;
        ty = -tx * a / b;
    } else {
        ty = (y * c - b) / b;
        tx = -ty * b / a;
    }
    long double ln_a = elem_ln_table_ext(a), ln_b = elem_ln_table_ext(b);
    long double ln_c = elem_ln_fyl2x_ext(c);
    long double stirling = lgamma_corr(a) + lgamma_corr(b) - lgamma_corr(a + b);
    return -static_cast<long double>(a) * log_remainder(tx, ln_x + ln_c - ln_a)
         - static_cast<long double>(b) * log_remainder(ty, ln_y + ln_c - ln_b)
         + 0.5L * (ln_a + ln_b - ln_c) - ln_sqrt_2pi_ext - stirling - ln_x - ln_y;
}
