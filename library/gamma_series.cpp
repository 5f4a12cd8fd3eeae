// gamma_series: the power series of the lower incomplete gamma function,
//
//     gamma(a, x) = x^a e^(-x) sum_(i>=0) x^i / (a (a+1) ... (a+i)),
//
// (Abramowitz and Stegun 6.5.29), returned as the ratio to the density,
// R = x S with S = 1/a + x/(a (a+1)) + ...  All terms are positive; the
// ratio of successive terms is x/(a + i), below 1 from the first term on
// the lower side x <= a where the series is used.
//
// The sum stops when the last term t is at most `tolerance` times S.  Near
// x = a the terms fall like e^(-i^2/(2a)) against a sum of some
// sqrt(pi a/2) first terms, so reaching 5.6e-16 of the sum takes about
// sqrt(62 a) terms: 788 at a = 10^4, 2424 at a = 10^5.  The caller's
// max_terms bounds the loop, and a sum that has not met the test fails.

#include "library/gamma_methods.h"

int32_t gamma_series(double x, double a, double tolerance, int32_t max_terms, double* out)
{
    double t = 1.0 / a;
    double s = t;
    for (int32_t i = 0;; ++i) {
        if (t / s <= tolerance) {
            *out = x * s;
            return 0;
        }
        if (i >= max_terms)
            return 1;
        t = t * x / (a + (i + 1));
        s += t;
    }
}
