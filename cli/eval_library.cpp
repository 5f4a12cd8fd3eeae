// `kelbrant eval` rows for the further distribution routines of the numeric
// library.  Rows may take optional trailing arguments (shown in brackets in
// `arguments`, e.g. "x a [tolerance]"); the adapter receives the count given
// and supplies the defaults itself.

#include <cmath>

#include "cli/eval_table.h"
#include "library/bessel.h"
#include "library/beta_log.h"
#include "library/densities.h"
#include "library/distributions.h"
#include "library/gamma.h"
#include "library/ncf_log.h"
#include "library/ncf_log_density.h"
#include "library/noncentral_f.h"
#include "library/quantiles.h"

namespace {

void run_inverse_gaussian_cdf(const double* a, int, double* out)
{
    out[0] = inverse_gaussian_cdf(a[0], a[1]);
}

void run_gamma_inc(const double* a, int, double* out)
{
    out[0] = gamma_inc(a[0], a[1], &out[1], &out[2], &out[3]);
}

// An omitted tolerance is 0, which the routine raises to its floor.  The
// outputs start as NaN and the method as -1 (no method), so what the
// routine leaves alone prints as nan.
void run_gamma_inc_log(const double* a, int count, double* out)
{
    gamma_log_record record{};
    record.x = a[0];
    record.shape = a[1];
    record.log_lower = record.log_upper = record.log_density = std::nan("");
    record.tolerance = count > 2 ? a[2] : 0.0;
    record.method = -1;
    out[0] = gamma_inc_log(&record);
    out[1] = record.log_lower;
    out[2] = record.log_upper;
    out[3] = record.log_density;
    if (record.method != -1)
        out[4] = record.method;
}

void run_beta_log_density(const double* a, int, double* out)
{
    out[0] = beta_log_density(a[0], a[1], a[2], &out[1]);
}

void run_gamma_log_density(const double* a, int, double* out)
{
    out[0] = gamma_log_density(a[0], a[1], &out[1]);
}

void run_normal_log_tails(const double* a, int, double* out)
{
    out[0] = normal_log_tails(a[0], &out[1], &out[2], &out[3]);
}

void run_mills_ratio(const double* a, int, double* out) { out[0] = mills_ratio(a[0], &out[1]); }

// The log-space incomplete beta ratio and the noncentral F log density.
// As for gamma_inc_log, an omitted tolerance is 0 and the outputs start as
// NaN so that what the routine leaves alone prints as nan.
void run_beta_inc_log(const double* a, int count, double* out)
{
    beta_log_record record{};
    record.x = a[0];
    record.a = a[1];
    record.b = a[2];
    record.log_lower = record.log_upper = record.log_density = std::nan("");
    record.tolerance = count > 3 ? a[3] : 0.0;
    out[0] = beta_inc_log(&record);
    out[1] = record.log_lower;
    out[2] = record.log_upper;
    out[3] = record.log_density;
}

void run_ncf_log_density(const double* a, int, double* out)
{
    out[0] = ncf_log_density(a[0], a[1], a[2], a[3], &out[1]);
}


void run_bessel_i(const double* a, int, double* out)
{
    bessel_record record{};
    record.z = a[0];
    record.order = a[1];
    record.form = eval_selector(a[2]);
    out[0] = bessel_i(&record);
    out[1] = record.result;
}

// Omitted requests are 3 (both probabilities and the density), an omitted
// tolerance 0.  The small-lower-tail flag starts at -1, so that the central
// and end-point paths, which leave it alone, print nan there.
void run_ncf_log_probs(const double* a, int count, double* out)
{
    ncf_log_record record{};
    record.x = a[0];
    record.n1 = a[1];
    record.n2 = a[2];
    record.lambda = a[3];
    record.requests = count > 4 ? eval_selector(a[4]) : 3;
    record.tolerance = count > 5 ? a[5] : 0.0;
    record.log_lower = record.log_upper = record.log_density = std::nan("");
    record.small_lower_tail = -1;
    out[0] = ncf_log_probs(&record);
    out[1] = record.log_lower;
    out[2] = record.log_upper;
    out[3] = record.log_density;
    if (record.small_lower_tail != -1)
        out[4] = record.small_lower_tail;
}

// The quantiles take the tail as 0 (lower, the default) or 1 (upper); any
// other value reaches the routine, which rejects it.
int32_t tail_argument(const double* a, int count, int index)
{
    if (count <= index)
        return quantile_lower_tail;
    return a[index] == 0.0 ? quantile_lower_tail : a[index] == 1.0 ? quantile_upper_tail : -1;
}

void run_beta_inc_inverse(const double* a, int count, double* out)
{
    out[0] = beta_inc_inverse(a[0], tail_argument(a, count, 3), a[1], a[2], &out[1], &out[2]);
}

void run_f_quantile(const double* a, int count, double* out)
{
    out[0] = f_quantile(a[0], tail_argument(a, count, 3), a[1], a[2], &out[1]);
}

void run_ncf_probabilities(const double* a, int, double* out)
{
    ncf_values v;
    out[0] = ncf_probabilities(a[0], a[1], a[2], a[3], ncf_want_all, &v);
    out[1] = v.lower;
    out[2] = v.upper;
    out[3] = v.log_lower;
    out[4] = v.log_upper;
    out[5] = v.density;
    out[6] = v.log_density;
}

void run_ncf_quantile(const double* a, int count, double* out)
{
    out[0] = ncf_quantile(a[0], tail_argument(a, count, 4), a[1], a[2], a[3], &out[1]);
}

}  // namespace

const eval_routine eval_library_routines[] = {
    {"inverse_gaussian_cdf", "x lambda", 2, 2, {{"value", false}}, run_inverse_gaussian_cdf,
     "inverse Gaussian (mean 1, shape lambda) distribution function"},
    {"gamma_inc", "x a", 2, 2,
     {{"status", true}, {"p", false}, {"q", false}, {"density", false}}, run_gamma_inc,
     "regularized incomplete gamma P(a, x), Q(a, x) and the gamma density",
     "0 success; 1 a negative or NaN argument, or a method that did not converge (p = q = -2, density 0)"},
    {"gamma_inc_log", "x a [tolerance]", 2, 3,
     {{"status", true},
      {"log_lower", false},
      {"log_upper", false},
      {"log_density", false},
      {"method", true}},
     run_gamma_inc_log, "ln P(a, x), ln Q(a, x), ln gamma density; method 0/2/3/4",
     "0 success; 1 failure: an argument outside the domain, or no method converged (the outputs are not to be used)"},
    {"beta_log_density", "x a b", 3, 3, {{"status", true}, {"value", false}},
     run_beta_log_density, "ln of the Beta(a, b) density at x",
     "0 success; 1 x outside [0, 1] or a, b <= 0 (value untouched)"},
    {"gamma_log_density", "x a", 2, 2, {{"status", true}, {"value", false}},
     run_gamma_log_density, "ln of the gamma density x^(a-1) e^(-x) / Gamma(a)",
     "0 success; 1 x < 0 or a <= 0"},
    {"normal_log_tails", "z", 1, 1,
     {{"status", true}, {"log_lower", false}, {"log_upper", false}, {"log_density", false}},
     run_normal_log_tails, "ln Phi(z), ln Phi(-z), ln phi(z)",
     "0 success; 1 the Mills ratio failed (never for a finite z)"},
    {"mills_ratio", "z", 1, 1, {{"status", true}, {"value", false}}, run_mills_ratio,
     "Mills ratio Phi(-z) / phi(z)",
     "0 success; 1 the continued fraction did not converge within its step limit (value is the last approximant)"},
    {"beta_inc_log", "x a b [tolerance]", 3, 4,
     {{"status", true}, {"log_lower", false}, {"log_upper", false}, {"log_density", false}},
     run_beta_inc_log, "ln I_x(a, b), ln(1 - I_x(a, b)), ln Beta(a, b) density",
     "0 success; 1 a shape above 2147483647, x outside [0, 1], a or b <= 0 or NaN, an end point where the density is not finite, or a fraction that did not converge where the normal approximation does not apply"},
    {"ncf_log_density", "x n1 n2 lambda", 4, 4, {{"status", true}, {"value", false}},
     run_ncf_log_density, "ln of the noncentral F density at x",
     "0 success; 1 an argument outside the domain, a failing beta or gamma log density, or a Poisson sum that needs more than max(1001, 40 sqrt(k0)) terms (k0 the largest term's index)"},
    {"bessel_i", "z order form", 3, 3, {{"error", true}, {"value", false}}, run_bessel_i,
     "modified Bessel I_nu(z); form 0 plain, 1 e^-z I, 2 ln I",
     "0 success; 1 nu < 0, z < 0 or NaN, an unknown form, a plain or scaled value that would overflow (value stays ln I), or a series short of its tolerance"},
    {"ncf_log_probs", "x n1 n2 lambda [requests [tolerance]]", 4, 6,
     {{"status", true},
      {"log_lower", false},
      {"log_upper", false},
      {"log_density", false},
      {"small_lower_tail", true}},
     run_ncf_log_probs, "ln P(F' <= x), ln P(F' > x), ln density; requests 1 probs, 2 density",
     "0 success; 1 failure: an argument outside the domain, or neither the summation nor the integration met its tolerance"},
    {"beta_inc_inverse", "p a b [tail]", 3, 4,
     {{"status", true}, {"x", false}, {"y", false}}, run_beta_inc_inverse,
     "x and y = 1 - x with I_x(a, b) = p (tail 1: upper)",
     "0 success; 1 an argument outside its domain; 2 the iteration reached its step limit"},
    {"f_quantile", "p df1 df2 [tail]", 3, 4, {{"status", true}, {"f", false}}, run_f_quantile,
     "central F quantile: P(F <= f) = p (tail 1: upper)",
     "0 success; 1 an argument outside its domain; 2 the iteration reached its step limit"},
    {"ncf_probabilities", "x df1 df2 ncp", 4, 4,
     {{"status", true},
      {"p", false},
      {"q", false},
      {"log_p", false},
      {"log_q", false},
      {"density", false},
      {"log_density", false}},
     run_ncf_probabilities, "noncentral F P(F' <= x), P(F' > x), their logs, density and its log",
     "0 success; 1 an argument outside the domain (df1, df2 > 0 and ncp >= 0 finite, x not NaN); 2 some output has no answer (it prints nan)"},
    {"ncf_quantile", "p df1 df2 ncp [tail]", 4, 5, {{"status", true}, {"x", false}},
     run_ncf_quantile, "noncentral F quantile: P(F' <= x) = p (tail 1: upper)",
     "0 success; 1 an argument outside its domain; 2 the iteration reached its step limit or the probabilities had no answer"},
    {nullptr, nullptr, 0, 0, {}, nullptr, nullptr},
};
