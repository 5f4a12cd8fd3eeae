// gamma_upper_small_shape: Q(a, x) for a shape 0 < a < 1 and 0 < x <= 1,
// formed directly rather than as 1 - P, which loses all the digits of Q
// as a -> 0 (Q(a, x) ~ a E1(x) while P -> 1).  From the series of the lower
// incomplete gamma function,
//
//     P(a, x) = x^a/Gamma(1 + a) (1 + a T),  T = sum_(k>=1) (-x)^k/(k! (a + k)),
//
// so that, with y = a ln x - ln Gamma(1 + a) and x^a/Gamma(1 + a) = e^y,
//
//     Q(a, x) = -(e^y - 1) - e^y a T
//
// (Gautschi 1979; DiDonato and Morris 1986, section 3).  ln Gamma(1 + a)
// comes from log_gamma_1p, exact relative to its size, and e^y - 1 from
// 2^f - 1 with f = y log2 e in extended precision (|y| is at most 0.122
// above and any size below, where 1 - e^y cancels nothing), so that both
// terms are accurate relative to their own size, which is some a |ln x|
// and a x.  They cancel only where ln x is near -gamma - Ein(x): at x = 1
// the sum a E1(1) = 0.219 a is 3.6 times smaller than its terms, a few
// units in the last place lost.  Beyond x = 1 the cancellation grows (27
// times at x = 2), and Legendre's continued fraction on a itself takes over.
//
// T: the terms fall like x^k/(k k!) and |T| >= x/2 for x <= 1, so the
// 20th term, 2/(20 20!) of the sum at most, is below 2^-64 of it.

#include "library/gamma_methods.h"

#include "numeric/constants.h"
#include "numeric/elementary.h"
#include "numeric/primitives.h"

namespace {

// Terms of T, all summed: from the 20th on each is below 2^-64 |T| for
// x <= 1; four more for margin.
constexpr int32_t series_terms = 24;

}  // namespace

double gamma_upper_small_shape(double x, double a)
{
    double series = 0.0;
    double term = 1.0;
    for (int32_t k = 1; k <= series_terms; ++k) {
        term *= -x / k;
        series += term / (a + k);
    }
    double y = a * elem_ln(x) - log_gamma_1p(a);
    double power = exp_fast(y);  // x^a/Gamma(1 + a)
    uint16_t saved = elem_extended_begin();
    long double f = static_cast<long double>(y) * elem_log2_e_ext;
    elem_extended_hold(f);
    long double minus_one = f >= -1.0L ? elem_exp2m1_ext(f) : static_cast<long double>(power) - 1.0L;
    long double q = -minus_one - static_cast<long double>(power) * a * series;
    elem_extended_hold(q);
    elem_extended_end(saved);
    return static_cast<double>(q);
}
