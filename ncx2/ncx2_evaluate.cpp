// ncx2_evaluate: both log tails of the noncentral chi-square distribution at
// one point, and the derivatives in the noncentrality, from one Poisson sum
// started at the Poisson mode.
//
// With a = df/2, y = x/2, h = ncp/2 and the mode k = floor(h),
//
//     P = P_k + D,   Q = Q_k - D,   D = sum_j p_j (P_j - P_k)
//
// (ncx2_poisson_sum.cpp).  Started at the mode, neither tail cancels: the
// weights put about half their mass on each side of k (the Poisson median
// lies within [h - ln 2, h + 1/3]), and P_j decreases in j, so
// P >= P_k sum_(j<=k) p_j and Q >= Q_k sum_(j>=k) p_j, each at least about
// 0.4 P_k or 0.4 Q_k: a rounding of D relative to |D| costs each tail at
// most about 2.5 times that, relative.  P_k and Q_k come in logarithms
// (ncx2_gamma_log_tails), the start weight ln p_k as the gamma log density
// of shape k + 1 at h and the start term ln u_k as that of shape a + k + 1 at
// y (gamma_log_density, Stirling's form near the mode), so that
// neither their range nor that of the tails limits the sum.  Of the two
// tails the smaller is kept and the larger formed as ln(1 - e^w).
//
// The sum's step limit allows, beyond some 200 sqrt(h) steps about the mode,
// the walk from the mode to the index j* where the terms peak
// (ncx2_peak_index), which the tails reach where y lies away from a + h.
// Where that walk is long (ncx2_far_from_mode: the smaller tail below some
// e^-100) the smaller tail is summed about j* instead (ncx2_far_evaluate).

#include "ncx2/ncx2_detail.h"

#include <cmath>
#include <limits>

#include "library/densities.h"
#include "ncx2/ncx2.h"
#include "numeric/constants.h"
#include "numeric/elementary.h"
#include "numeric/primitives.h"

namespace {

// Steps the sum may take beyond the walk to the peak: about 2 x 9 sqrt(h)
// each side of the mode reach 2^-53; 100 sqrt of the larger of h and j*,
// plus 1000 for small means, leave ample room.
constexpr double steps_per_root = 100.0;
constexpr double base_steps = 1000.0;

// The most steps one sum takes, 3e6 (some 0.3 s at most), a guard: short
// of the far regions the walk is at most 24 sqrt(max(h, j*)) + 200, and
// the limit some 3e5 at the largest Poisson mean.
constexpr double max_steps = 3e6;

// ln 2^8192, one rescaling of the sum.
constexpr long double rescale_log = 8192 * elem_ln2_ext;

constexpr double ln_2 = 0.6931471805599453;

// ln(e^u + sign e^v) about the larger of u and v; NaN where it cancels to 0
// or below.
double log_add(double u, long double v, double sign)
{
    long double m = u > v ? u : v;
    long double sum = std::exp(static_cast<long double>(u) - m) + sign * std::exp(v - m);
    if (!(sum > 0))
        return std::numeric_limits<double>::quiet_NaN();
    return static_cast<double>(elem_ln_fyl2x_ext(sum) + m);
}

int32_t evaluate_extended(double x, double df, double ncp, ncx2_evaluation* out,
                          ncx2_start* start)
{
    const double a = 0.5 * df, y = 0.5 * x, h = 0.5 * ncp;
    const double peak = ncx2_peak_index(a, y, h);
    if (h > 0.0 && ncx2_far_from_mode(peak, h))
        return ncx2_far_evaluate(x, df, ncp, out);
    const int32_t k = static_cast<int32_t>(h);
    const double s = a + k;
    if (start->k != k) {
        start->k = -1;
        if (ncx2_gamma_log_tails(y, s, &start->log_p, &start->log_q) != 0)
            return 1;
        // ln u_k: u_k = y^s e^-y / Gamma(s + 1) is the gamma density of
        // shape s + 1 at y.
        if (gamma_log_density(y, s + 1.0, &start->log_term) != 0)
            return 1;
        start->k = k;
    }
    const double log_p = start->log_p, log_q = start->log_q, log_term = start->log_term;

    double lower, upper;
    if (h == 0.0) {
        lower = log_p;
        upper = log_q;
        out->log_slope = log_term - ln_2;
        out->curvature_ratio = y / (s + 1.0);
        out->torsion_ratio = out->curvature_ratio * (y / (s + 2.0));
        out->steps = 0;
    } else {
        double log_weight;
        if (gamma_log_density(h, k + 1.0, &log_weight) != 0)
            return 1;
        double walk = elem_abs(peak - k);
        double limit = walk + base_steps + steps_per_root * elem_sqrt(peak > h ? peak : h);
        if (!(limit <= max_steps))
            return 1;
        ncx2_sum sum;
        if (ncx2_sum_differences(a, y, h, k, static_cast<int32_t>(limit), &sum) != 0)
            return 1;
        long double log_scale = static_cast<long double>(log_weight) + log_term + sum.scale * rescale_log;
        if (sum.difference == 0) {
            lower = log_p;
            upper = log_q;
        } else {
            long double d = sum.difference;
            long double log_d = log_scale + elem_ln_fyl2x_ext(d < 0 ? -d : d);
            double sign = d > 0 ? 1.0 : -1.0;
            lower = log_add(log_p, log_d, sign);
            upper = log_add(log_q, log_d, -sign);
        }
        out->log_slope = static_cast<double>(log_scale + elem_ln_fyl2x_ext(sum.slope)) - ln_2;
        out->curvature_ratio = static_cast<double>(sum.curvature / sum.slope);
        out->torsion_ratio = static_cast<double>(sum.torsion / sum.slope);
        out->steps = sum.steps;
    }
    if (lower < upper) {
        if (!(lower <= 0.0))
            return 1;
        out->log_lower = lower;
        out->log_upper = ncx2_log_complement(lower);
    } else {
        if (!(upper <= 0.0))
            return 1;
        out->log_upper = upper;
        out->log_lower = ncx2_log_complement(upper);
    }
    return 0;
}

}  // namespace

bool ncx2_parameters_valid(double df, double ncp)
{
    return df > ncx2_min_degrees && df <= ncx2_max_degrees && ncp >= 0.0
           && ncp <= ncx2_max_noncentrality;
}

int32_t ncx2_evaluate(double x, double df, double ncp, ncx2_evaluation* out, ncx2_start* start)
{
    if (!ncx2_parameters_valid(df, ncp) || !(x > 0.0 && x <= max_double))
        return 1;
    ncx2_start local{-1, 0.0, 0.0, 0.0};
    uint16_t precision = elem_extended_begin();
    int32_t status = evaluate_extended(x, df, ncp, out, start != nullptr ? start : &local);
    elem_extended_end(precision);
    return status;
}
