// bessel_i_debye_log: ln I_mu(z) by Debye's uniform asymptotic expansion in
// the order (Abramowitz and Stegun 9.7.7, DLMF 10.41.3),
//
//     I_mu(mu w) ~ e^(mu eta) / sqrt(2 pi mu s) * sum_(k>=0) u_k(t) / mu^k,
//     s = sqrt(1 + w^2),  eta = s + ln(w / (1 + s)),  t = 1/s,
//
// so that ln I_mu(z) = mu eta - 1/2 ln(2 pi mu s) + ln S, w = z/mu, with
// S = 1 + sum_(k=1..11) u_k(t)/mu^k.  u_k are Debye's polynomials (table in
// bessel_debye_table.h); u_k(t) = t^k P_k(t^2) with P_k of degree k, and the
// term k is formed as P_k(t^2) (t/mu)^k, P_k summed over accumulated powers
// of t^2.  The expansion is uniform in w: its error after u_11 is of the
// order of u_12(t)/mu^12, which for mu >= 35 lies below 1e-17 relative for
// every t in (0, 1].
//
// mu eta is the large part of the result and carries its accuracy: w, s and
// eta are formed in extended precision (s by one Newton step on the double
// square root), so that the rounding of w = z/mu, which an eta of slope s/w
// would magnify by mu, does not reach the result.  The length is fixed: 11
// terms, no loop on a tolerance.

#include "library/bessel.h"
#include "library/bessel_debye_table.h"

#include "numeric/elementary.h"

namespace {

constexpr double two_pi = 6.283185307179586;

__attribute__((noinline)) double debye_log_extended(double z, double mu)
{
    long double w = static_cast<long double>(z) / mu;
    long double w2p1 = w * w + 1.0L;
    double s0 = elem_sqrt(static_cast<double>(w2p1));
    long double s = s0 + (w2p1 - static_cast<long double>(s0) * s0) / (2.0L * s0);
    long double eta = s + elem_ln_fyl2x_ext(w / (1.0L + s));
    long double t = 1.0L / s;
    long double t2 = t * t;
    long double t_over_mu = t / mu;

    long double sum = 1.0L;
    long double factor = 1.0L;  // (t/mu)^k
    int index = 0;
    for (int k = 1; k <= debye_order; ++k) {
        factor *= t_over_mu;
        long double poly = 0.0L;
        long double power = 1.0L;  // t^(2j)
        for (int j = 0; j <= k; ++j) {
            poly += debye_coefficients[index++] * power;
            power *= t2;
        }
        sum += poly * factor;
    }
    long double r = mu * eta + elem_ln_fyl2x_ext(sum) - 0.5L * elem_ln_fyl2x_ext(two_pi * mu * s);
    return static_cast<double>(r);
}

}  // namespace

double bessel_i_debye_log(bessel_record* record)
{
    uint16_t precision = elem_extended_begin();
    double r = debye_log_extended(record->z, record->method_order);
    elem_extended_end(precision);
    return r;
}
