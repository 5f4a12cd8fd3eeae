// ncx2_log_density: ln of the noncentral chi-square density,
//
//     f(x) = (1/2) sum_(j>=0) p_j g(y; a + j),   p_j = e^-h h^j / j!,
//
// with a = df/2, y = x/2, h = ncp/2 and g(y; s) = y^(s-1) e^-y / Gamma(s)
// the standard gamma density: the Poisson series of the Bessel form
// (1/2) e^(-(x+ncp)/2) (x/ncp)^(df/4 - 1/2) I_(df/2-1)(sqrt(ncp x))
// (Johnson, Kotz and Balakrishnan 1995, 29.4), every term positive.
//
// The terms t_j = p_j g(y; a + j) are log-concave in j, with
//     t_(j+1)/t_j = h y / ((j + 1)(a + j)),
// so they rise to the index j* where (j* + 1)(a + j*) = h y and fall on
// either side.  The sum starts at j* with t = 1 and runs outward in both
// directions in extended precision until a term is below 2^-64 of the sum;
// ln t_(j*) is the sum of two gamma log densities (shape j* + 1 at h, and
// a + j* at y), each in Stirling's form near its mode, so that the density
// keeps its relative accuracy far below the double range.  No term exceeds
// the first, so the sum needs no rescaling.  Beyond j* = 2^31 - 1 (x of
// 1e19 and more) the density is its Bessel form itself
// (ncx2_bessel_log_density).

#include "ncx2/ncx2.h"

#include <cmath>
#include <limits>

#include "library/densities.h"
#include "ncx2/ncx2_detail.h"
#include "numeric/constants.h"
#include "numeric/elementary.h"

namespace {

// The relative size of the last term kept, 2^-64 of the sum.
constexpr long double term_tolerance = 0x1p-64L;

// Steps: the terms about j* fall like a normal of variance about j*/2 (or
// h), so 9 sqrt(2 j*) terms each side reach 2^-64; 100 sqrt(j* + 1) + 1000
// leave ample room.
constexpr double steps_per_root = 100.0;
constexpr double base_steps = 1000.0;

constexpr double ln_half = -0.6931471805599453;

int32_t density_extended(double y, double a, double h, double* out)
{
    double root = elem_sqrt((a - 1.0) * (a - 1.0) + 4.0 * h * y);
    double peak = elem_floor(0.5 * (root - (a + 1.0))) + 1.0;
    if (!(peak >= 0.0) || h == 0.0)
        peak = 0.0;
    if (!(peak <= int32_max_double))  // beyond the indices: the Bessel form
        return ncx2_bessel_log_density(2.0 * y, 2.0 * a, 2.0 * h, out);
    double log_weight = 0.0, log_gamma_term;
    if (h > 0.0 && gamma_log_density(h, peak + 1.0, &log_weight) != 0)
        return 1;
    if (gamma_log_density(y, a + peak, &log_gamma_term) != 0)
        return 1;
    const long double hy = static_cast<long double>(h) * y;
    const long double al = a;
    int32_t limit = static_cast<int32_t>(base_steps + steps_per_root * elem_sqrt(peak + 1.0));
    long double sum = 1, t = 1;
    long double j = peak;
    int32_t n = 0;
    for (; j > 0 && n < limit; ++n) {  // t_(j-1) = t_j j (a + j - 1)/(h y)
        t = t * (j * (al + (j - 1))) / hy;
        sum = sum + t;
        j = j - 1;
        if (t <= sum * term_tolerance)
            break;
    }
    bool settled = n < limit;
    t = 1;
    j = peak;
    if (h > 0.0) {
        int32_t m = 0;
        for (; m < limit; ++m) {  // t_(j+1) = t_j h y / ((j + 1)(a + j))
            t = t * hy / ((j + 1) * (al + j));
            sum = sum + t;
            j = j + 1;
            if (t <= sum * term_tolerance)
                break;
        }
        settled = settled && m < limit;
    }
    if (!settled)
        return 1;
    *out = static_cast<double>(static_cast<long double>(log_weight) + log_gamma_term
                               + elem_ln_fyl2x_ext(sum) + ln_half);
    return 0;
}

}  // namespace

int32_t ncx2_log_density(double x, double df, double ncp, double* out)
{
    const double infinity = std::numeric_limits<double>::infinity();
    *out = std::numeric_limits<double>::quiet_NaN();
    if (std::isnan(x) || !ncx2_parameters_valid(df, ncp))
        return 1;
    if (x < 0.0 || x == infinity) {
        *out = -infinity;
        return 0;
    }
    if (x == 0.0) {
        *out = df < 2.0 ? infinity : df == 2.0 ? ln_half - 0.5 * ncp : -infinity;
        return 0;
    }
    uint16_t precision = elem_extended_begin();
    int32_t status = density_extended(0.5 * x, 0.5 * df, 0.5 * ncp, out);
    elem_extended_end(precision);
    return status;
}
