// ln Gamma(x) for x > 0.
//
// Method:
//   x == 1 or 2 (within eps_53)  0 exactly.
//   x >= 15  Stirling's formula, ((x - 1/2) ln x - x) + ln sqrt(2 pi) plus the
//            remainder series of lgamma_corr (six Bernoulli terms).
//   x < 15   the recurrence Gamma(z + 1) = z Gamma(z) brings z = x into
//            [1, 2] while collecting the factor f with Gamma(x) = f Gamma(z):
//            one division for x < 1, up to 13 multiplications for x > 2.
//            Then ln Gamma(x) = ln f + ln Gamma(z), where ln Gamma(z) is a
//            rational approximation about the nearer zero of ln Gamma,
//            log_gamma_1p(z - 1).
// Half-integers skip the rational step: z is 1.5 and ln Gamma(1.5) is a
// stored constant, so ln Gamma(n + 1/2) is as exact as ln f.
//
// The rounding of f grows with the number of multiplications, but each loses
// at most half an ulp relative; below 15 the error stays within 2e-15 of
// max(1, |ln Gamma(x)|).
//
// Deviation: for x at or below 2^-1024 the factor f = 1/x overflows to
// infinity and ln f with it, although ln Gamma(x) is finite (at most about
// 744.44).  There z = 1 + x rounds to 1, where the rational part is 0, so the
// result is ln f = -ln x, which is taken directly.  Every larger x keeps the
// reduction above unchanged.
//
// Outside the domain (x <= 0 or NaN) the result is -99.0, an ordinary value
// that no caller tests for: the distribution routines check their arguments
// first.

#include "numeric/constants.h"
#include "numeric/elementary.h"
#include "numeric/primitives.h"

// ln Gamma(3/2) = ln(sqrt(pi) / 2), as stored.
constexpr double lgamma_at_1_5 = -0.12078223763524522;

// 2^-1024: at and below it 1/x overflows.
constexpr double lgamma_reciprocal_overflow = 5.562684646268003e-309;

double log_gamma(double x)
{
    if (!(x > 0.0))
        return -99.0;
    if (elem_abs(x - 1.0) < eps_53 || elem_abs(x - 2.0) < eps_53)
        return 0.0;
    if (x <= lgamma_reciprocal_overflow)
        return -elem_ln(x);
    if (x >= stirling_from)
        return ((x - 0.5) * elem_ln(x) - x) + ln_sqrt_2pi + lgamma_corr(x);

    // Reduction to [1, 2]: the first loop runs at most once (x > 0) and the
    // second at most 13 times (x < 15), so neither needs a further cap.
    double z = x;
    double f = 1.0;
    while (z < 1.0) {
        f /= z;
        z += 1.0;
    }
    while (z > 2.0) {
        z -= 1.0;
        f *= z;
    }

    double fraction = x - static_cast<double>(static_cast<int32_t>(x));
    if (elem_abs(fraction - 0.5) < eps_53)
        return elem_ln(f) + lgamma_at_1_5;

    // z - 1 is exact (1 <= z <= 2).
    return elem_ln(f) + log_gamma_1p(z - 1.0);
}
