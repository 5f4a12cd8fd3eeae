// ncx2_log_tails: ln P(X <= x) and ln P(X > x) of the noncentral
// chi-square distribution, by the Poisson sum from the mode (ncx2_evaluate),
// with the end points x <= 0 and x = +inf answered directly.

#include "ncx2/ncx2.h"

#include <cmath>
#include <limits>

#include "ncx2/ncx2_detail.h"

int32_t ncx2_log_tails(double x, double df, double ncp, double* log_lower, double* log_upper)
{
    const double infinity = std::numeric_limits<double>::infinity();
    *log_lower = *log_upper = std::numeric_limits<double>::quiet_NaN();
    if (std::isnan(x) || !ncx2_parameters_valid(df, ncp))
        return 1;
    if (x <= 0.0 || x == infinity) {
        *log_lower = x <= 0.0 ? -infinity : 0.0;
        *log_upper = x <= 0.0 ? 0.0 : -infinity;
        return 0;
    }
    ncx2_evaluation e;
    if (ncx2_evaluate(x, df, ncp, &e) != 0)
        return 1;
    *log_lower = e.log_lower;
    *log_upper = e.log_upper;
    return 0;
}
