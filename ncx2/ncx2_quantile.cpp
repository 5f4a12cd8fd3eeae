// ncx2_quantile: the x with P(X <= x; df, ncp) = p, or P(X > x) = p.
//
// Newton's method in u = ln x (the quantiles span many decades) on the
// logarithm of the smaller tail,
//
//     lower-tail probability p <= 1/2:  h(u) = ln P(e^u) - ln p,
//     otherwise:                        h(u) = ln q - ln Q(e^u),   q = 1 - p,
//
// both increasing, with h'(u) = x f(x)/P or x f(x)/Q (ncx2_log_tails and
// ncx2_log_density), inside a bracket of points with h < 0 and h > 0; a
// step that leaves it is replaced by its midpoint, or, with an end still
// open, by a move of ln 4.  The start is the Wilson-Hilferty cube root
// (A&S 26.4.17) of Patnaik's two-moment approximation X ~ c chi2_nu,
// c = (df + 2 ncp)/(df + ncp), nu = (df + ncp)^2/(df + 2 ncp) (Patnaik 1949,
// Biometrika 36, 202-232), with the deviate of A&S 26.2.23.  It stops when
// the predicted change of u is at most 4 units of 2^-52, or when |h| is at
// the rounding of the tail itself.  A quantile below the smallest normal
// double, 2^-1022, is reported as 0.

#include "ncx2/ncx2.h"

#include <cmath>
#include <limits>

#include "ncx2/ncx2_detail.h"
#include "numeric/constants.h"
#include "numeric/elementary.h"
#include "numeric/normal_quantile_rational.h"
#include "numeric/primitives.h"

namespace {

// Newton from the Wilson-Hilferty start needs some four to six steps; the
// bisections of a bracket of ln x from -745 to 710 to 2^-50 take about 60.
constexpr int32_t step_limit = 150;

constexpr double step_tolerance = 4.0 * 0x1p-52;
constexpr double rounding_units = 4.0;
// A Newton step shorter than this fraction of the bracket, taken while |h|
// exceeds 1, gives way to a bisection.
constexpr double slow_step_fraction = 1.0 / 64.0;

// The move of u while an end of the bracket is open: ln 4.
constexpr double open_move = 1.3862943611198906;

}  // namespace

int32_t ncx2_quantile(double p, int32_t tail, double df, double ncp, double* x)
{
    const double inf = std::numeric_limits<double>::infinity();
    *x = std::numeric_limits<double>::quiet_NaN();
    if (!(p >= 0.0 && p <= 1.0) || !ncx2_parameters_valid(df, ncp)
        || (tail != ncx2_lower_tail && tail != ncx2_upper_tail))
        return 1;
    double p_lower = tail == ncx2_lower_tail ? p : 1.0 - p;
    if (p == 0.0 || p == 1.0) {
        *x = (tail == ncx2_lower_tail) == (p == 0.0) ? 0.0 : inf;
        return 0;
    }
    double log_p = tail == ncx2_lower_tail ? elem_ln(p) : log1p_rel(-p);
    double log_q = tail == ncx2_upper_tail ? elem_ln(p) : log1p_rel(-p);
    bool upper = log_q < log_p;
    double target = upper ? log_q : log_p;

    // The start.
    double r = elem_sqrt(-2.0 * target);
    double z = r - normal_quantile_rational(r);
    if (!upper)
        z = -z;
    double c = (df + 2.0 * ncp) / (df + ncp);
    double nu = (df + ncp) / c;
    double w = 1.0 - 2.0 / (9.0 * nu) + z * elem_sqrt(2.0 / (9.0 * nu));
    double start = w > 0.0 ? c * nu * w * w * w : 1e-3 * (df + ncp) * p_lower;
    double u = elem_ln(start > 0.0 ? start : 1e-300);

    double lo = -inf, hi = inf;
    const double rounding = rounding_units * 0x1p-53 * (1.0 + elem_abs(target));
    for (int32_t step = 0; step < step_limit; ++step) {
        double point = exp_fast(u);
        double log_lower, log_upper, log_density;
        if (ncx2_log_tails(point, df, ncp, &log_lower, &log_upper) != 0
            || ncx2_log_density(point, df, ncp, &log_density) != 0)
            return 1;
        double h = upper ? target - log_upper : log_lower - target;
        double slope = exp_fast(u + log_density - (upper ? log_upper : log_lower));
        if (h == 0.0) {
            *x = point;
            return 0;
        }
        if (h < 0.0)
            lo = u;
        else
            hi = u;
        double next = slope > 0.0 && slope < inf ? u - h / slope : std::nan("");
        if (next == next && (elem_abs(next - u) <= step_tolerance * (1.0 + elem_abs(u))
                             || elem_abs(h) <= rounding)) {
            *x = exp_fast(next);
            return 0;
        }
        if (next == u || hi - lo <= step_tolerance * (1.0 + elem_abs(u))) {
            // The tail's rounding holds h away from 0: u is as good as any.
            *x = point;
            return 0;
        }
        // A step outside the bracket, or one that would take many more to
        // cross it while h is still far from 0 (h grows like e^u far above
        // the quantile, where Newton's steps in u shrink to nothing), is
        // replaced by the bracket's midpoint.
        bool slow = lo > -inf && hi < inf && elem_abs(h) > 1.0
                    && elem_abs(next - u) < slow_step_fraction * (hi - lo);
        if (!(next > lo && next < hi) || slow) {
            if (lo > -inf && hi < inf)
                next = 0.5 * (lo + hi);
            else
                next = hi < inf ? hi - open_move : lo + open_move;
        }
        if (next < log_min_normal) {
            // Below the normal range (df far below 1 puts mass p within
            // e^-800 of 0): a quantile below 2^-1022 is flushed to 0.
            double tiny = min_normal, ll, lu;
            if (ncx2_log_tails(tiny, df, ncp, &ll, &lu) != 0)
                return 1;
            if ((upper ? target - lu : ll - target) >= 0.0) {
                *x = 0.0;
                return 0;
            }
            next = log_min_normal;
            if (lo >= next)
                return 1;
        }
        if (next > log_max_double)
            return 1;
        u = next;
    }
    return 1;
}
