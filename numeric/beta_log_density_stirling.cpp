// beta_log_density_stirling: ln of the Beta(a, b) density at x for two
// shapes of stirling_from (15) or more, in extended precision, free of the
// cancellation of its terms:
//
//     ln(x^(a-1) y^(b-1) / B(a, b))
//         = -a D(x/x0 - 1) - b D(y/y0 - 1) + (1/2) ln(a b/(2 pi c))
//           - (d(a) + d(b) - d(c)) - ln x - ln y,
//
// y = 1 - x, c = a + b, x0 = a/c, y0 = b/c, D(t) = t - ln(1 + t) >= 0 and
// d the Stirling remainder lgamma_corr (D is log_remainder_extended).  It is Stirling's formula for the
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
// No check of the domain: the callers have checked 0 < x < 1 and both
// shapes.  Callers run it inside a stretch at 64-bit precision.

#include "numeric/log_extended.h"

#include <cstdint>

#include "numeric/elementary.h"
#include "numeric/primitives.h"

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
    return -static_cast<long double>(a) * log_remainder_extended(tx, ln_x + ln_c - ln_a)
         - static_cast<long double>(b) * log_remainder_extended(ty, ln_y + ln_c - ln_b)
         + 0.5L * (ln_a + ln_b - ln_c) - ln_sqrt_2pi_ext - stirling - ln_x - ln_y;
}
