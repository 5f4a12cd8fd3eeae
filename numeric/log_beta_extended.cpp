// log_beta_extended: ln B(a, b) = ln Gamma(a) + ln Gamma(b) - ln Gamma(a + b)
// for a, b > 0, returned in extended precision.
//
// The log-space beta routines subtract ln B(a, b) from terms of the same
// size, (a-1) ln x + (b-1) ln(1-x), to get log densities of order one; the
// double log_beta is good to a unit of its largest intermediate, q ln p,
// which for shapes of some thousands is 1e-12 absolute and would stand
// whole in ln I_x(a, b) near the centre.  Carried in extended precision
// (64-bit significand) the same formula keeps 2^-11 of that error.
//
// With p = max(a, b), q = min(a, b), s = p + q (exact in extended):
//   p < 15   the three log-gammas in extended precision
//            (log_gamma_extended): all are below 40 there, and a shape near
//            0 (ln Gamma(q) ~ -ln q) keeps the digits the double log_beta
//            loses to its 1e-15 absolute error.
//   p >= 15  as log_beta, by Stirling's formula for the two large arguments
//              ln Gamma(p) - ln Gamma(s) = (s - 1/2) ln(1 - q/s) - q ln p + q
//                                          + lgamma_corr(p) - lgamma_corr(s),
//            with ln(1 - u), u = q/s, from log_one_minus_extended, which
//            keeps the relative accuracy of a small u; and ln Gamma(q) by
//            Stirling's formula in extended precision for q >= 15,
//            log_gamma_extended below.
//
// No check of the domain: the callers have checked a, b > 0.

#include "numeric/log_extended.h"

#include "numeric/constants.h"
#include "numeric/elementary.h"
#include "numeric/primitives.h"

long double log_beta_extended(double a, double b)
{
    double p = a > b ? a : b;
    double q = a > b ? b : a;
    if (p < stirling_from)
        return log_gamma_extended(p) + log_gamma_extended(q)
             - log_gamma_extended(static_cast<long double>(p) + q);
    long double s = static_cast<long double>(p) + q;
    long double log_gamma_q = q < stirling_from
        ? log_gamma_extended(q)
        : (q - 0.5L) * elem_ln_table_ext(q) - q + ln_sqrt_2pi_ext + lgamma_corr(q);
    long double difference = (s - 0.5L) * log_one_minus_extended(q / s) - q * elem_ln_table_ext(p) + q
                           + (static_cast<long double>(lgamma_corr(p)) - lgamma_corr(p + q));
    return difference + log_gamma_q;
}
