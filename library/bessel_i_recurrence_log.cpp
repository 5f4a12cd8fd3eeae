// bessel_i_recurrence_log: ln I_nu(z) by the backward three-term recurrence
// (Abramowitz and Stegun 9.6.26)
//
//     I_(mu-1)(z) = (2 mu / z) I_mu(z) + I_(mu+1)(z),
//
// run from the start orders m + f + 1 and m + f (m = start_count, f the
// fractional part of nu) down to n + f = nu, n = order_integer.  Downward,
// every term is a sum of two positive ones, so the recurrence is stable: no
// cancellation, and the relative error of the start values carries through
// unchanged apart from a rounding per step.
//
// The start values come in as logarithms (upper_start at m + f + 1,
// lower_start at m + f).  Both are divided by e^base, base the larger of
// the two, so one is exactly 1; the values then grow as the order falls,
// and whenever the newest passes 2^512 it is split by scale_exponent into
// m 2^e, the pair is divided by 2^e and e ln 2 goes into base.  The result
// is ln(I_nu / e^base) + base.  The coefficient 2 mu / z is formed afresh at
// every order from (k + f) (2/z) rather than by repeated subtraction of 2/z,
// which would gather one rounding per step.  The number of steps is m - n:
// at most 35 from Debye's start, about (z/2)^2 + 1 from the series'.

#include "library/bessel.h"

#include "numeric/constants.h"
#include "numeric/elementary.h"
#include "numeric/primitives.h"

namespace {

// Just below 2^512: past it the newest value is rescaled, far below
// overflow even after the next multiplication by 2 mu / z.
constexpr double rescale_threshold = below_2_512;

constexpr long double ln_2 = 0.6931471805599453094172321214581765680755L;

__attribute__((noinline)) double recurrence_log_extended(const bessel_record* record)
{
    double upper = record->upper_start;
    double lower = record->lower_start;
    long double base = upper > lower ? upper : lower;
    double hi = exp_fast(static_cast<double>(upper - base));  // I_(k+f+1) / e^base
    double lo = exp_fast(static_cast<double>(lower - base));  // I_(k+f) / e^base
    double f = record->order_fraction;
    double two_over_z = record->two_over_z;
    // Each pass lowers k by one, from start_count to order_integer.
    for (int32_t k = record->start_count; k > record->order_integer; --k) {
        double c = (k + f) * two_over_z;
        double next = c * lo + hi;
        hi = lo;
        lo = next;
        if (next > rescale_threshold) {
            int32_t e;
            lo = scale_exponent(next, &e);
            hi = elem_scale2(hi, -e);
            base += e * ln_2;
        }
    }
    return static_cast<double>(elem_ln_table_ext(lo) + base);
}

}  // namespace

double bessel_i_recurrence_log(bessel_record* record)
{
    uint16_t precision = elem_extended_begin();
    double r = recurrence_log_extended(record);
    elem_extended_end(precision);
    return r;
}
