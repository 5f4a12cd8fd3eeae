// beta_log_density_extended: ln of the Beta(a, b) density at 0 < x < 1 in
// extended precision,
//
//     (a - 1) ln x + (b - 1) ln(1 - x) - ln B(a, b),
//
// for beta_log_density and beta_inc_log.  For large shapes the three terms
// are of size a + b and cancel to a log density of order one near the mode;
// in doubles their roundings (and log_beta's, a unit of q ln p) left up to
// 2.6e-11 of it at shapes of 10^5 to 10^6.  Carried at the 64-bit
// significand, with ln(1 - x) from log_one_minus_extended (1 - x exact, or
// the series for small x) and ln B from log_beta_extended, they keep some
// 2^-64 (a + b) ln(a + b) absolute.
//
// No check of the domain: the callers have handled the end points and
// checked a, b > 0.  Callers run it inside a stretch at 64-bit precision.

#include "numeric/log_extended.h"

#include "numeric/elementary.h"

long double beta_log_density_extended(double x, double a, double b)
{
    return (a - 1.0L) * elem_ln_table_ext(x) + (b - 1.0L) * log_one_minus_extended(x)
           - log_beta_extended(a, b);
}
