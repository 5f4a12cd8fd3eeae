// nct_cdf and nct_log_cdf: both tails of the noncentral t distribution, in
// probabilities and in logarithms, from one evaluation (nct_evaluate).  The
// smaller tail is computed, the larger is its complement formed in
// logarithms, so each is exact relative to itself.

#include "nct/nct.h"

#include <limits>

#include "nct/nct_detail.h"
#include "numeric/constants.h"
#include "numeric/primitives.h"

namespace {

constexpr double not_a_number = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();

bool valid(double t, double df, double delta)
{
    return t == t && df > 0.0 && (df <= nct_max_df || df == infinity) && delta - delta == 0.0;
}


}  // namespace

int32_t nct_log_cdf(double t, double df, double delta, double* log_lower, double* log_upper)
{
    *log_lower = not_a_number;
    *log_upper = not_a_number;
    if (!valid(t, df, delta))
        return nct_invalid;
    nct_evaluation e;
    if (nct_evaluate(t, df, delta, &e) != 0)
        return nct_failed;
    *log_lower = e.log_lower <= -max_double ? -infinity : e.log_lower;
    *log_upper = e.log_upper <= -max_double ? -infinity : e.log_upper;
    return nct_ok;
}

int32_t nct_cdf(double t, double df, double delta, double* lower, double* upper)
{
    double log_lower, log_upper;
    int32_t status = nct_log_cdf(t, df, delta, &log_lower, &log_upper);
    *lower = status == nct_ok ? nct_exp_of_log(log_lower) : not_a_number;
    *upper = status == nct_ok ? nct_exp_of_log(log_upper) : not_a_number;
    return status;
}
