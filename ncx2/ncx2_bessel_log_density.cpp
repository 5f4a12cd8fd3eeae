// ncx2_bessel_log_density: ln of the noncentral chi-square density by its
// Bessel form (Johnson, Kotz and Balakrishnan 1995, 29.4),
//
//     f(x) = (1/2) e^(-(x+ncp)/2) (x/ncp)^(nu/2) I_nu(sqrt(ncp x)),   nu = df/2 - 1,
//
// for arguments z = sqrt(ncp x) of at least 2^16, where the Poisson series
// of ncx2_log_density would sum some 20 sqrt(j*) terms about an index j*
// near z/2 (beyond 2^31 it cannot index them).  I_nu comes in logarithms
// from bessel_i (Hankel's expansion or Debye's, good to 1e-12 relative or
// better at such arguments).  For df < 2 the order is negative, and
// I_(-mu)(z) = I_mu(z) + (2/pi) sin(mu pi) K_mu(z) differs from I_mu(z) by
// about e^(-2z) relative (A&S 9.6.2, 9.7.1-2), nothing at z >= 2^16: the
// order is taken as |nu|.
//
// Each of the three logarithms is held to 2^-53 of itself; -(x + ncp)/2
// and ln I_nu(z), the two largest, are of the order of x/2 and z <= x + ncp,
// so ln f is good to a few units of 2^-53 (x + ncp) absolute, what a
// rounding of x or ncp itself moves it by.

#include "ncx2/ncx2_detail.h"

#include "library/bessel.h"
#include "numeric/elementary.h"

namespace {

// The smallest argument taken, 2^16: beyond it e^(-2z) is far below 2^-64.
constexpr double smallest_argument = 0x1p16;

}  // namespace

int32_t ncx2_bessel_log_density(double x, double df, double ncp, double* out)
{
    const double z = elem_sqrt(ncp) * elem_sqrt(x);
    if (!(z >= smallest_argument && z <= max_double))
        return 1;
    const double nu = 0.5 * df - 1.0;
    bessel_record r{};
    r.z = z;
    r.order = elem_abs(nu);
    r.form = bessel_form_log;
    if (bessel_i(&r) != 0)
        return 1;
    const long double log_ratio = static_cast<long double>(elem_ln(x)) - elem_ln(ncp);
    *out = static_cast<double>(-0.5L * (static_cast<long double>(x) + ncp)
                               + 0.5L * nu * log_ratio + r.result - elem_ln2_ext);
    return 0;
}
