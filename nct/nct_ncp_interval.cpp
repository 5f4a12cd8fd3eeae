// nct_ncp_interval: the confidence interval for the noncentrality of an
// observed t, by inverting the noncentral t distribution in delta at t
// (Steiger and Fouladi 1997, in Harlow, Mulaik and Steiger (eds.), What If
// There Were No Significance Tests?, 221-257): P(T <= t; delta) falls from
// 1 to 0 in delta, so the delta that leaves alpha above t is the lower limit
// and the one that leaves alpha below it the upper.  Each limit is asked of
// nct_ncp in the tail where alpha is the probability, so that a small alpha
// keeps its digits.

#include "nct/nct.h"

#include <limits>

int32_t nct_ncp_interval(double t, double df, double confidence, int32_t alternative,
                         double* lower, double* upper)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    *lower = nan;
    *upper = nan;
    double alpha;
    if (!confidence_tail_area(confidence, alternative, &alpha))
        return nct_invalid;
    double lo = -infinity, hi = infinity;
    if (alternative != nct_less) {
        int32_t status = nct_ncp(t, df, alpha, nct_upper_tail, &lo);
        if (status != nct_ok)
            return status;
    }
    if (alternative != nct_greater) {
        int32_t status = nct_ncp(t, df, alpha, nct_lower_tail, &hi);
        if (status != nct_ok)
            return status;
    }
    *lower = lo;
    *upper = hi;
    return nct_ok;
}
