// `kelbrant eval` rows for the noncentral t family (nct/) and the t tests'
// study design (design/).  Selectors (a tail, an alternative) arrive as
// doubles and go through eval_selector.

#include <cmath>

#include "cli/eval_table.h"
#include "design/design.h"
#include "nct/nct.h"

namespace {

void run_nct_cdf(const double* a, int, double* out)
{
    out[0] = nct_cdf(a[0], a[1], a[2], &out[1], &out[2]);
}

void run_nct_log_cdf(const double* a, int, double* out)
{
    out[0] = nct_log_cdf(a[0], a[1], a[2], &out[1], &out[2]);
}

void run_nct_density(const double* a, int, double* out)
{
    out[0] = nct_density(a[0], a[1], a[2], &out[1]);
}

void run_nct_log_density(const double* a, int, double* out)
{
    out[0] = nct_log_density(a[0], a[1], a[2], &out[1]);
}

void run_nct_ncp(const double* a, int count, double* out)
{
    int32_t tail = count > 3 ? eval_selector(a[3]) : nct_lower_tail;
    out[0] = nct_ncp(a[0], a[1], a[2], tail, &out[1]);
}

void run_nct_quantile(const double* a, int count, double* out)
{
    int32_t tail = count > 3 ? eval_selector(a[3]) : nct_lower_tail;
    out[0] = nct_quantile(a[0], tail, a[1], a[2], &out[1]);
}

void run_nct_ncp_interval(const double* a, int count, double* out)
{
    double confidence = count > 2 ? a[2] : 0.95;
    int32_t alternative = count > 3 ? eval_selector(a[3]) : nct_two_sided;
    out[0] = nct_ncp_interval(a[0], a[1], confidence, alternative, &out[1], &out[2]);
}

void run_hedges_correction(const double* a, int, double* out)
{
    out[0] = hedges_correction(a[0]);
}

void run_t_test_power(const double* a, int count, double* out)
{
    int32_t alternative = count > 3 ? eval_selector(a[3]) : t_test_two_sided;
    out[0] = t_test_power(a[0], a[1], a[2], alternative, &out[1]);
}

const char nct_statuses[] =
    "0 success; 1 an argument outside its domain (t NaN, df <= 0 or above 4294967294 and finite, "
    "delta not finite); 2 no method settled (outputs NaN)";

}  // namespace

const eval_routine eval_nct_routines[] = {
    {"nct_cdf", "t df delta", 3, 3, {{"status", true}, {"lower", false}, {"upper", false}},
     run_nct_cdf, "noncentral t: P(T <= t) and P(T > t)", nct_statuses},
    {"nct_log_cdf", "t df delta", 3, 3,
     {{"status", true}, {"log_lower", false}, {"log_upper", false}}, run_nct_log_cdf,
     "noncentral t: ln P(T <= t) and ln P(T > t)", nct_statuses},
    {"nct_density", "t df delta", 3, 3, {{"status", true}, {"value", false}}, run_nct_density,
     "noncentral t density at t", nct_statuses},
    {"nct_log_density", "t df delta", 3, 3, {{"status", true}, {"value", false}},
     run_nct_log_density, "ln of the noncentral t density at t", nct_statuses},
    {"nct_ncp", "t df p [tail]", 3, 4, {{"status", true}, {"delta", false}}, run_nct_ncp,
     "noncentrality delta with P(T <= t) = p (tail 1: P(T > t) = p)",
     "0 success; 1 an argument outside its domain (t finite, 0 < p < 1, tail 0 or 1); 2 the "
     "inversion failed"},
    {"nct_quantile", "p df delta [tail]", 3, 4, {{"status", true}, {"t", false}},
     run_nct_quantile, "noncentral t quantile: P(T <= t) = p (tail 1: upper)",
     "0 success; 1 an argument outside its domain (0 <= p <= 1, tail 0 or 1); 2 the iteration "
     "failed"},
    {"nct_ncp_interval", "t df [confidence [alternative]]", 2, 4,
     {{"status", true}, {"lower", false}, {"upper", false}}, run_nct_ncp_interval,
     "interval for delta from t; alternative 0 two-sided, 1 less, 2 greater",
     "0 success; 1 an argument outside its domain; 2 an inversion failed"},
    {"hedges_correction", "df", 1, 1, {{"value", false}}, run_hedges_correction,
     "Hedges' J(df) = Gamma(df/2) / (sqrt(df/2) Gamma((df-1)/2)); NaN for df <= 1"},
    {"t_test_power", "df delta alpha [alternative]", 3, 4, {{"outcome", true}, {"power", false}},
     run_t_test_power, "power of the t test; alternative 0 two-sided, 1 less, 2 greater",
     "0 success; 1 an argument outside its domain; 3 a distribution routine failed"},
    {nullptr, nullptr, 0, 0, {}, nullptr, nullptr},
};
