// effect_size_interval: the confidence intervals for the noncentrality of
// an observed F and for the effect sizes that are monotone maps of it
// (Steiger 2004, Psychological Methods 9, 164-182):
//
//     f2 = lambda / n,        eta2 = lambda / (lambda + n),
//
// n the total sample size.  Each map increases in lambda, so the limits
// for lambda map to the limits of the effect size: an infinite upper limit
// (a one-sided lower bound) gives f2 = inf and eta2 = 1.

#include "design/design.h"

#include <cmath>
#include <limits>

#include "fnonct/fnonct_solve.h"

int32_t effect_size_interval(double f, double df1, double df2, double n, double confidence,
                             int32_t alternative, effect_interval* interval)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    *interval = effect_interval{nan, nan, nan, nan, nan, nan};
    if (!std::isnan(n) && !(n > 0.0 && n < std::numeric_limits<double>::infinity()))
        return fnonct_invalid;
    fnonct_outcome outcome = ncp_interval(f, df1, df2, confidence, alternative,
                                          &interval->lambda_lower, &interval->lambda_upper);
    if (outcome != fnonct_ok || std::isnan(n))
        return outcome;
    const double limits[] = {interval->lambda_lower, interval->lambda_upper};
    double* f2[] = {&interval->f2_lower, &interval->f2_upper};
    double* eta2[] = {&interval->eta2_lower, &interval->eta2_upper};
    for (int i = 0; i < 2; ++i) {
        *f2[i] = limits[i] / n;
        *eta2[i] = std::isinf(limits[i]) ? 1.0 : limits[i] / (limits[i] + n);
    }
    return outcome;
}
