// normal_log_tails: the logarithms of both standard normal tails and of
// the density,
//
//     lower = ln Phi(z),   upper = ln Phi(-z),   log density = ln phi(z)
//           = -z^2/2 - ln sqrt(2 pi),
//
// kept finite far beyond the underflow of the tails themselves.
//
// The smaller tail, Phi(-|z|), is formed in log space:
//   |z| < 5:   ln(erfc(|z|/sqrt 2) / 2), the tail itself being a normal
//              double well above the bottom of the range;
//   |z| >= 5:  ln m(|z|) + ln phi(z), m the Mills ratio from Laplace's
//              continued fraction, since Phi(-|z|) = m(|z|) phi(z); this
//              stays exact where Phi(-|z|) itself underflows (|z| > 38).
// The larger tail is its complement, ln(1 - Phi(-|z|)) = log1p(-e^v).  Once
// the small tail is below 2^-53 this is -Phi(-|z|) itself, tiny but not
// zero (-7.6e-24 at |z| = 10); it turns subnormal below 2^-1022 (|z| beyond
// about 37.5) and is -0 only where e^v underflows to 0, v below
// ln 2^-1075 = -745.13 (|z| beyond about 38.5).  z = 0 takes the lower
// branch: both tails are ln 0.5.

#include "library/densities.h"
#include "library/log_complement.h"

#include "numeric/constants.h"
#include "numeric/elementary.h"
#include "numeric/primitives.h"

namespace {

// From |z| = 5 on, the small tail goes through the Mills ratio.
constexpr double mills_from = 5.0;
}  // namespace

int32_t normal_log_tails(double z, double* lower, double* upper, double* log_density)
{
    double ld = -0.5 * z * z - ln_sqrt_2pi;
    *log_density = ld;

    double magnitude = elem_abs(z);
    double v;
    if (magnitude < mills_from) {
        v = elem_ln(erfc_value(magnitude * one_over_sqrt_2) * 0.5);
    } else {
        double m;
        if (mills_ratio(magnitude, &m) != 0)
            return 1;
        v = elem_ln(m) + ld;
    }

    if (z > 0.0) {
        *upper = v;
        *lower = log_complement(v);
    } else {
        *lower = v;
        *upper = log_complement(v);
    }
    return 0;
}
