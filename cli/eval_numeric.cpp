// `kelbrant eval` rows for the numeric primitives, the incomplete beta and
// noncentral F routines and the noncentrality search.

#include "cli/eval_table.h"
#include "fnonct/fnonct.h"
#include "fnonct/fnonct_solve.h"
#include "ncf/ncf.h"
#include "numeric/primitives.h"

namespace {

void run_exp_fast(const double* a, int, double* out) { out[0] = exp_fast(a[0]); }
void run_pow_real(const double* a, int, double* out) { out[0] = pow_real(a[0], a[1]); }
void run_log1p_rel(const double* a, int, double* out) { out[0] = log1p_rel(a[0]); }
void run_log_gamma(const double* a, int, double* out) { out[0] = log_gamma(a[0]); }
void run_lgamma_corr(const double* a, int, double* out) { out[0] = lgamma_corr(a[0]); }
void run_erf_value(const double* a, int, double* out) { out[0] = erf_value(a[0]); }
void run_erfc_value(const double* a, int, double* out) { out[0] = erfc_value(a[0]); }
void run_normal_cdf(const double* a, int, double* out) { out[0] = normal_cdf(a[0]); }
void run_log_beta(const double* a, int, double* out) { out[0] = log_beta(a[0], a[1]); }

void run_scale_exponent(const double* a, int, double* out)
{
    int32_t exponent;
    out[0] = scale_exponent(a[0], &exponent);
    out[1] = exponent;
}

void run_beta_inc(const double* a, int, double* out)
{
    out[0] = beta_inc(a[0], a[1], a[2], &out[1], &out[2]);
}

void run_ncf_cdf(const double* a, int, double* out)
{
    out[0] = ncf_cdf(a[0], a[1], a[2], a[3], &out[1]);
}

void run_fnonct_search(const double* a, int, double* out)
{
    out[0] = fnonct_search(a[0], a[1], a[2], a[3], &out[1]);
}

void run_fnonct_solve(const double* a, int, double* out)
{
    out[0] = fnonct_solve(a[0], a[1], a[2], a[3], &out[1]);
}

void run_ncp_interval(const double* a, int count, double* out)
{
    const double confidence = count > 3 ? a[3] : 0.95;
    const double alternative = count > 4 ? a[4] : 0.0;  // ncp_two_sided
    out[0] = ncp_interval(a[0], a[1], a[2], confidence, eval_selector(alternative), &out[1],
                          &out[2]);
}

}  // namespace

const eval_routine eval_numeric_routines[] = {
    {"exp_fast", "x", 1, 1, {{"value", false}}, run_exp_fast, "e^x"},
    {"pow_real", "x y", 2, 2, {{"value", false}}, run_pow_real, "x^y for a real base x"},
    {"log1p_rel", "x", 1, 1, {{"value", false}}, run_log1p_rel, "ln(1 + x)"},
    {"log_gamma", "x", 1, 1, {{"value", false}}, run_log_gamma, "ln Gamma(x)"},
    {"lgamma_corr", "x", 1, 1, {{"value", false}}, run_lgamma_corr,
     "Stirling remainder of ln Gamma(x)"},
    {"erf_value", "x", 1, 1, {{"value", false}}, run_erf_value, "erf(x)"},
    {"erfc_value", "x", 1, 1, {{"value", false}}, run_erfc_value, "erfc(x)"},
    {"normal_cdf", "x", 1, 1, {{"value", false}}, run_normal_cdf,
     "standard normal distribution function"},
    {"log_beta", "a b", 2, 2, {{"value", false}}, run_log_beta, "ln B(a, b)"},
    {"scale_exponent", "v", 1, 1, {{"mantissa", false}, {"exponent", true}}, run_scale_exponent,
     "v = mantissa * 2^exponent, 0.5 <= |mantissa| < 1"},
    {"beta_inc", "x a b", 3, 3, {{"status", true}, {"value", false}, {"density", false}},
     run_beta_inc, "regularized incomplete beta I_x(a, b) and the beta density",
     "0 success; 1 a shape above 2147483647 (nothing written); -1 outside the domain or no convergence (value -1, density 0)"},
    {"ncf_cdf", "x df1 df2 ncp", 4, 4, {{"status", true}, {"value", false}}, run_ncf_cdf,
     "noncentral F distribution function P(F' <= x)",
     "0 success; 1 outside the domain, or the Poisson sum did not converge within its step limit"},
    {"fnonct_search", "x df1 df2 p", 4, 4, {{"status", true}, {"value", false}},
     run_fnonct_search, "noncentrality lambda with ncf_cdf(x, df1, df2, lambda) = p",
     "0 lambda found; 1 no lambda gives p (p above the central probability, x = 0 included, or arguments outside the search domain); 2 a root exists but the search did not reach it"},
    {"fnonct_solve", "x df1 df2 p", 4, 4, {{"outcome", true}, {"value", false}},
     run_fnonct_solve,
     "lambda, outcome 0 ok, 1 missing, 2 invalid, 3 no root, 4 search failed",
     "0 lambda found; 1 an argument is missing (NaN); 2 an argument is out of its domain; 3 no lambda gives p (p above the central probability); 4 a root exists but the search did not reach it"},
    {"ncp_interval", "f df1 df2 [confidence [alternative]]", 3, 5,
     {{"outcome", true}, {"lower", false}, {"upper", false}}, run_ncp_interval,
     "confidence limits for lambda; alternative 0 two-sided, 1 less, 2 greater",
     "0 both limits found; 1 an argument is missing; 2 an argument is out of its domain (f >= 0, df1 > 0, df2 > 0, 0 < confidence < 1, alternative 0, 1 or 2); 4 a search failed although its root exists"},
    {nullptr, nullptr, 0, 0, {}, nullptr, nullptr},
};
