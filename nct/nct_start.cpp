// nct_normal_deviate: the standard normal deviate z with Phi(-z) = q for a
// tail 0 < q <= 1/2 given by its log, and nct_normal_mean_shift, the normal
// approximation of the noncentral t that starts the inversions.
//
// z: Abramowitz and Stegun 26.2.23 (|error| < 4.5e-4) from sqrt(-2 ln q),
// refined by two Newton steps on ln Phi(-z) = ln q (each step squares the
// relative error; the library's normal_log_tails keeps them exact in the far
// tail).
//
// The approximation (Johnson, Kotz and Balakrishnan 1995, eq. 31.26, after
// Jennett and Welch 1939): T (1 - 1/(4 df)) - delta is about normal with
// variance 1 + T^2/(2 df), so P(T <= t) ~ Phi((t (1 - 1/(4 df)) - delta) /
// sqrt(1 + t^2/(2 df))).

#include "nct/nct_detail.h"

#include "library/densities.h"
#include "numeric/constants.h"
#include "numeric/elementary.h"
#include "numeric/normal_quantile_rational.h"
#include "numeric/primitives.h"

namespace {

constexpr int32_t refinements = 2;

}  // namespace

double nct_normal_deviate(double log_q)
{
    double r = elem_sqrt(-2.0 * log_q);
    double z = r - normal_quantile_rational(r);
    for (int32_t i = 0; i < refinements; ++i) {
        double lower, upper, log_phi;
        if (normal_log_tails(z, &lower, &upper, &log_phi) != 0)
            break;
        // d ln Phi(-z)/dz = -phi(z)/Phi(-z).
        double ratio = exp_fast(log_phi - upper);
        z += (upper - log_q) / ratio;
    }
    return z;
}
