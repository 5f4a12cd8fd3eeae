// ncx2_tails: P(X <= x) and P(X > x) of the noncentral chi-square
// distribution, each formed directly (the smaller is not a complement) and
// to full relative accuracy down to the subnormal range (a tail below
// e^-745 is 0).
//
// On the ordinary designs both tails are the forward sum from the Poisson
// index 0 in double (ncx2_direct_sum): with a = df/2, y = x/2, h = ncp/2,
//
//     P = sum_j p_j P(a + j, y),   Q = sum_j p_j Q(a + j, y),
//
// each a sum of positive terms, the gamma terms formed for this one point
// and the weights summed once, without the slopes the inversion steps on.
// Its cost is one gamma log density, e^-h and some max(y - a, 0) + 9 sqrt(y)
// gamma terms and h + 9 sqrt(h) weights (about 0.27 us on
// bench/chisq_grid.csv), against a gamma ratio at the Poisson mode, two log
// densities and the sum in logarithms for the other route.
//
// Elsewhere (a Poisson mean above 150, a first gamma term below e^-300, a
// lower tail too small for the terms' range) they are the exponentials of
// ncx2_log_tails' logarithms, which hold their relative accuracy far below
// the double range.

#include "ncx2/ncx2.h"

#include "ncx2/ncx2_detail.h"
#include "numeric/constants.h"

namespace {

// The least lower tail the forward sum's gamma tails are first formed for:
// a smaller one has them extended and the weights summed again, a larger
// one costs nothing more.
constexpr double expected_lower_floor = 0x1p-4;

}  // namespace

int32_t ncx2_tails(double x, double df, double ncp, double* lower, double* upper)
{
    if (x > 0.0 && x <= max_double && ncx2_parameters_valid(df, ncp)) {
        const int32_t both = ncx2_direct_lower | ncx2_direct_upper;
        ncx2_direct_point point;
        ncx2_direct_moments m;
        if (ncx2_direct_prepare(x, df, expected_lower_floor, both, &point) == 0 && point.valid
            && ncx2_direct_sum(&point, ncp, both, &m) == 0) {
            *lower = m.lower;
            *upper = m.upper;
            return 0;
        }
    }
    double log_lower, log_upper;
    int32_t status = ncx2_log_tails(x, df, ncp, &log_lower, &log_upper);
    *lower = status == 0 ? ncx2_exp_tail(log_lower) : log_lower;
    *upper = status == 0 ? ncx2_exp_tail(log_upper) : log_upper;
    return status;
}
