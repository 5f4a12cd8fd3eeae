// nct_density and nct_log_density: the density of the noncentral t
// distribution, f(t) = E[S phi(t S - delta)], from the evaluation that gives
// the tails (nct_evaluate): the series' (1/t) sum_m pi_m (m + 1/2) u_m for
// t > 0 and delta >= 0, the integral's own sum elsewhere.

#include "nct/nct.h"

#include <limits>

#include "nct/nct_detail.h"
#include "numeric/constants.h"
#include "numeric/primitives.h"

namespace {

constexpr double not_a_number = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();

}  // namespace

int32_t nct_log_density(double t, double df, double delta, double* log_density)
{
    *log_density = not_a_number;
    if (!(t == t && df > 0.0 && (df <= nct_max_df || df == infinity) && delta - delta == 0.0))
        return nct_invalid;
    nct_evaluation e;
    if (nct_evaluate(t, df, delta, &e) != 0)
        return nct_failed;
    *log_density = e.log_density <= -max_double ? -infinity : e.log_density;
    return nct_ok;
}

int32_t nct_density(double t, double df, double delta, double* density)
{
    double w;
    int32_t status = nct_log_density(t, df, delta, &w);
    *density = status != nct_ok ? not_a_number : nct_exp_of_log(w);
    return status;
}
