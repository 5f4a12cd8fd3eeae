// cohens_d_interval: the confidence interval for the standardized mean
// difference from an observed t (Steiger and Fouladi 1997; Cumming and
// Finch 2001, Educational and Psychological Measurement 61, 532-574).  The
// limits for delta (nct_ncp_interval) map to d by the design's factor,
//
//     one sample or pairs:  d = delta / sqrt(n),                 df = n - 1,
//     two groups:           d = delta sqrt(1/n1 + 1/n2),         df = n1 + n2 - 2,
//
// and to Hedges' g by J(df) (Hedges 1981), each map increasing in delta.

#include "design/design.h"

#include <cmath>
#include <limits>

#include "nct/nct.h"

design_outcome cohens_d_interval(double t, double df, double n1, double n2, double confidence,
                                 int32_t alternative, d_interval* interval)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    *interval = d_interval{nan, nan, nan, nan, nan, nan, nan, nan, nan};
    bool no_sizes = std::isnan(n1), one_sample = std::isnan(n2);
    bool sizes = no_sizes ? one_sample
                          : n1 > 0.0 && std::isfinite(n1)
                                && (one_sample || (n2 > 0.0 && std::isfinite(n2)));
    if (!sizes || !std::isfinite(t) || !(df > 0.0))
        return design_invalid;
    double factor = no_sizes     ? std::nan("")
                  : one_sample ? 1.0 / std::sqrt(n1)
                               : std::sqrt(1.0 / n1 + 1.0 / n2);
    double lower, upper;
    int32_t status = nct_ncp_interval(t, df, confidence, alternative, &lower, &upper);
    if (status == nct_invalid)
        return design_invalid;
    if (status != nct_ok)
        return design_failed;
    double j = hedges_correction(df);
    d_interval& r = *interval;
    r.df = df;
    r.delta_lower = lower;
    r.delta_upper = upper;
    r.d = t * factor;
    r.d_lower = lower * factor;
    r.d_upper = upper * factor;
    r.g = j * r.d;
    r.g_lower = j * r.d_lower;
    r.g_upper = j * r.d_upper;
    return design_ok;
}
