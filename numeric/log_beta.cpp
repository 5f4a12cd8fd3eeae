// ln B(a, b) = ln Gamma(a) + ln Gamma(b) - ln Gamma(a + b) for a, b > 0.
//
// With p = max(a, b), q = min(a, b) and s = p + q:
//   p < 15   the three log-gammas directly, (lnG(p) + lnG(q)) - lnG(s).
//   p >= 15  p and s are both in Stirling's range, and their log-gammas,
//            large and nearly equal, cancel.  Stirling's formula for each
//            gives the difference without the cancellation:
//              lnG(p) - lnG(s) = (s - 1/2) ln(p/s) - q ln p + q
//                                + lgamma_corr(p) - lgamma_corr(s),
//            with ln(p/s) = ln(1 - q/s) from log1p_rel, accurate when q is
//            small against p.
// Ordering the arguments first makes the result exactly symmetric.
//
// Outside the domain (a <= 0, b <= 0 or either NaN) the result is 99.0, an
// ordinary value that no caller tests for.

#include "numeric/constants.h"
#include "numeric/elementary.h"
#include "numeric/primitives.h"

double log_beta(double a, double b)
{
    if (!(a > 0.0))
        return 99.0;
    if (!(b > 0.0))
        return 99.0;
    double p = a;
    double q = b;
    if (b > a) {
        p = b;
        q = a;
    }
    double s = p + q;

    if (p < stirling_from)
        return (log_gamma(p) + log_gamma(q)) - log_gamma(s);

    double l = log1p_rel(-q / s);
    double t = ((s - 0.5) * l - q * elem_ln(p)) + q;
    return ((t + log_gamma(q)) + lgamma_corr(p)) - lgamma_corr(s);
}
