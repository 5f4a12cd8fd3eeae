// chisq_test_power: the power of the level-alpha chi-square test,
//
//     power = P(X > x_crit; df, lambda),   P(X0 > x_crit; df) = alpha,
//
// X noncentral chi-square with noncentrality lambda, X0 central.  The
// critical value is the central quantile taken in the upper tail directly
// (ncx2_quantile at lambda = 0), so alpha = 1e-300 keeps its digits, and
// the power is the upper tail in logarithms (ncx2_log_tails) exponentiated
// once: no 1 - P(X <= x_crit) that would cancel when the power is near 1.

#include "design/design.h"

#include <limits>

#include "ncx2/ncx2.h"
#include "ncx2/ncx2_detail.h"

design_outcome chisq_test_power(double df, double lambda, double alpha, double* power)
{
    *power = std::numeric_limits<double>::quiet_NaN();
    if (!ncx2_parameters_valid(df, lambda) || !(alpha > 0.0 && alpha < 1.0))
        return design_invalid;
    double x_crit, log_lower, log_upper;
    if (ncx2_quantile(alpha, ncx2_upper_tail, df, 0.0, &x_crit) != 0
        || ncx2_log_tails(x_crit, df, lambda, &log_lower, &log_upper) != 0)
        return design_failed;
    *power = ncx2_exp_tail(log_upper);
    return design_ok;
}
