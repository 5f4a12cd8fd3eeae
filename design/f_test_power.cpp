// f_test_power: the power of the level-alpha F test,
//
//     power = P(F' > F_crit; df1, df2, lambda),   P(F > F_crit; df1, df2) = alpha,
//
// F' noncentral F with noncentrality lambda, F central.  The critical value
// is the central quantile taken in the upper tail directly (f_quantile), so
// alpha = 1e-300 keeps its digits, and the power is the upper tail of the
// noncentral law in logarithms (ncf_log_probs), exponentiated once: no
// 1 - P(F' <= F_crit) that would cancel when the power is near 1, and the
// integration of that routine serves the large lambda of big designs.
// At lambda = 0 the power is alpha to the accuracy of the quantile.

#include "design/design.h"

#include <limits>

#include "library/ncf_log.h"
#include "library/quantiles.h"
#include "numeric/constants.h"
#include "numeric/primitives.h"

design_outcome f_test_power(double df1, double df2, double lambda, double alpha, double* power)
{
    *power = std::numeric_limits<double>::quiet_NaN();
    if (!(df1 > design_df_floor && df1 <= design_df_bound)
        || !(df2 > design_df_floor && df2 <= design_df_bound)
        || !(lambda >= 0.0 && lambda <= max_double) || !(alpha > 0.0 && alpha < 1.0))
        return design_invalid;
    double f_crit;
    if (f_quantile(alpha, quantile_upper_tail, df1, df2, &f_crit) != quantile_ok)
        return design_failed;
    ncf_log_record record{};
    record.x = f_crit;
    record.n1 = df1;
    record.n2 = df2;
    record.lambda = lambda;
    record.tolerance = 0.0;
    record.requests = ncf_log_want_probabilities;
    if (ncf_log_probs(&record) != 0)
        return design_failed;
    *power = record.log_upper < log_min_normal ? 0.0 : exp_fast(record.log_upper);
    return design_ok;
}
