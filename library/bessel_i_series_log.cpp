// bessel_i_series_log: ln I_mu(z) by the ascending power series
// (Abramowitz and Stegun 9.6.10),
//
//     I_mu(z) = (z/2)^mu / Gamma(mu + 1) * (1 + S),
//     S = sum_(k>=1) ((z/2)^2)^k / (k! (mu + 1)(mu + 2)...(mu + k)),
//
// taken as ln I = L0 + ln(1 + S) with the prefactor L0 = ln((z/2)^mu /
// Gamma(mu + 1)) in logarithms, so that neither factor overflows.
//
// The prefactor: for mu < 15, L0 = mu ln(z/2) - ln Gamma(mu + 1).  From 15
// on, Stirling's formula for Gamma(mu + 1) is folded into the power, so that
// mu ln(z/2) and ln Gamma(mu + 1), both of order mu ln mu, never meet:
//
//     L0 = (mu + 1/2)(ln((z/2)/(mu + 1)) + 1) - 1/2 (ln(z/2) - 1)
//          - ln sqrt(2 pi) - lgamma_corr(mu + 1),
//
// formed in extended precision.
//
// The terms t_k = t_(k-1) (z/2)^2 / ((mu + k) k) are summed until the last
// one falls to 1.1e-17 (S + |L0|): below a tenth of a unit of the result
// ln I = L0 + ln(1 + S), or of S itself when L0 is 0.  bessel_i uses the
// series only where (z/2)^2 < mu + 1 or z < 2, where the terms fall at
// least like 1/k! and some twenty terms suffice; the recurrence starts it
// where (z/2)^2 <= mu - 1.  At most 100 terms are added; unless the test
// was met within 98, the record's error flag is raised.

#include "library/bessel.h"

#include "numeric/constants.h"
#include "numeric/elementary.h"
#include "numeric/primitives.h"

namespace {

// The stopping tolerance relative to S + |L0|: a tenth of eps_53,
// 0x1.999999999999dp-57, three units in the last place above 2^-53 / 10.
constexpr double series_tolerance = 1.110223024625157e-17;

// itrmax: the series adds at most 100 terms.  Where bessel_i calls it, term
// k is below ((z/2)^2)^k / (k! (mu+1)^k) with (z/2)^2 / (mu+1) < 1 or z < 2,
// under 1e-17 relative by k = 25.
constexpr int32_t term_limit = 100;

// The tolerance must be met with at most this many terms added.
constexpr int32_t terms_trusted = 98;

__attribute__((noinline)) double series_log_extended(double half_z, double half_z_squared,
                                                      double mu, int32_t* error)
{
    long double l0;
    if (mu < stirling_from) {
        l0 = mu * elem_ln_table_ext(half_z) - log_gamma(mu + 1.0);
    } else {
        long double mu1 = static_cast<long double>(mu) + 1.0L;
        l0 = (mu + 0.5L) * (elem_ln_fyl2x_ext(half_z / mu1) + 1.0L)
             - 0.5L * (elem_ln_table_ext(half_z) - 1.0L) - ln_sqrt_2pi - lgamma_corr(mu + 1.0);
    }
    long double magnitude = l0 < 0 ? -l0 : l0;

    double t = 1.0;
    double sum = 0.0;
    int32_t added = 0;
    bool met = false;
    for (int32_t i = 1; i <= term_limit; ++i) {
        if (elem_abs(t) <= (sum + magnitude) * series_tolerance) {
            met = true;
            break;
        }
        t = t * half_z_squared / ((i + mu) * i);
        sum += t;
        added = i;
    }
    if (!met || added > terms_trusted)
        *error = 1;
    return static_cast<double>(l0 + log1p_rel(sum));
}

}  // namespace

double bessel_i_series_log(bessel_record* record)
{
    uint16_t precision = elem_extended_begin();
    double r = series_log_extended(record->half_z, record->half_z_squared, record->method_order,
                                   &record->error);
    elem_extended_end(precision);
    return r;
}
