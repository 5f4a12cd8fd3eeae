// t_test_power: the power of the level-alpha t test against noncentrality
// delta, as pwr.t.test computes it,
//
//     greater:    P(T > t_crit),                 P(T0 > t_crit) = alpha,
//     less:       P(T <= -t_crit),
//     two-sided:  P(T > t_crit) + P(T <= -t_crit),  P(T0 > t_crit) = alpha/2,
//
// T noncentral t with delta, T0 central t on the same degrees of freedom.
// The critical value is the central quantile taken in its upper tail
// (nct_quantile at delta = 0), and each tail of the noncentral law comes to
// full relative precision from nct_cdf: a power near 1 is not 1 minus a
// rounded lower tail.

#include "design/design.h"

#include <limits>

#include "nct/nct.h"

design_outcome t_test_power(double df, double delta, double alpha, int32_t alternative,
                            double* power)
{
    *power = std::numeric_limits<double>::quiet_NaN();
    if (!(df > 0.0 && df <= 4294967294.0) || !(delta - delta == 0.0)
        || !(alpha > 0.0 && alpha < 1.0)
        || !(alternative == t_test_two_sided || alternative == t_test_less
             || alternative == t_test_greater))
        return design_invalid;
    double tail = alternative == t_test_two_sided ? 0.5 * alpha : alpha;
    double t_crit;
    if (nct_quantile(tail, nct_upper_tail, df, 0.0, &t_crit) != nct_ok)
        return design_failed;
    double lower, upper, total = 0.0;
    if (alternative != t_test_less) {
        if (nct_cdf(t_crit, df, delta, &lower, &upper) != nct_ok)
            return design_failed;
        total += upper;
    }
    if (alternative != t_test_greater) {
        if (nct_cdf(-t_crit, df, delta, &lower, &upper) != nct_ok)
            return design_failed;
        total += lower;
    }
    *power = total;
    return design_ok;
}
