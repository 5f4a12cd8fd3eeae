// kelbrant._core: the module's numerics as NumPy universal functions.
//
// Every ufunc has one loop, float64 in and float64 (or int32 for a status)
// out, so NumPy converts what it can to float64 and raises its own TypeError
// for the rest, broadcasts, honours out= and returns scalars for scalars.
// The element functions below only fill the core routine's arguments or
// record and read back its answer: a failing status becomes NaN, and the
// values the core writes for ln 0 and ln(+inf) (-+1.7976931348623157e308,
// and bessel_log_zero in the Bessel log form) become -inf and +inf.
//
// Each loop runs without the GIL, whatever the array size, and leaves the
// floating-point exception flags as it found them: the core reaches its
// answers through intermediate overflows, underflows and NaN tests that are
// no concern of the caller's, who learns of a missing answer from the NaN
// (and from the status ufuncs), not from a NumPy warning.

#define PY_SSIZE_T_CLEAN
#include <Python.h>

#define NPY_NO_DEPRECATED_API NPY_1_7_API_VERSION
#include <numpy/arrayobject.h>
#include <numpy/ufuncobject.h>

#include <cfenv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "design/design.h"
#include "fnonct/fnonct_solve.h"
#include "library/bessel.h"
#include "library/beta_log.h"
#include "library/densities.h"
#include "library/distributions.h"
#include "library/gamma.h"
#include "library/noncentral_f.h"
#include "library/quantiles.h"
#include "nct/nct.h"
#include "nct/nct_detail.h"
#include "ncx2/ncx2.h"
#include "numeric/constants.h"

namespace {

constexpr double not_a_number = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();
// The log-space routines write max_double for ln(+inf) and -max_double for
// ln 0.
double log_value(double v)
{
    if (v == max_double)
        return infinity;
    if (v == -max_double)
        return -infinity;
    return v;
}

// ---- element functions: one per ufunc, on the loop's inputs in order ----

double fnonct_value(const double* a)
{
    double lambda;
    fnonct_solve(a[0], a[1], a[2], a[3], &lambda);
    return lambda;
}

int32_t fnonct_status_value(const double* a)
{
    double lambda;
    return fnonct_solve(a[0], a[1], a[2], a[3], &lambda);
}

// The noncentral F law's outputs, one a ufunc, from ncf_probabilities; NaN
// where it has no answer.
template <int32_t Request, double ncf_values::*Field>
double ncf_output(const double* a)
{
    ncf_values v;
    ncf_probabilities(a[0], a[1], a[2], a[3], Request, &v);
    return v.*Field;
}

double ncf_cdf_value(const double* a) { return ncf_output<ncf_want_lower, &ncf_values::lower>(a); }
double ncf_sf_value(const double* a) { return ncf_output<ncf_want_upper, &ncf_values::upper>(a); }
double ncf_logcdf_value(const double* a)
{
    return ncf_output<ncf_want_log_lower, &ncf_values::log_lower>(a);
}
double ncf_logsf_value(const double* a)
{
    return ncf_output<ncf_want_log_upper, &ncf_values::log_upper>(a);
}
double ncf_pdf_value(const double* a)
{
    return ncf_output<ncf_want_density, &ncf_values::density>(a);
}
double ncf_logpdf_value(const double* a)
{
    return ncf_output<ncf_want_log_density, &ncf_values::log_density>(a);
}

// The noncentral F quantile in either tail, SciPy's order (q, dfn, dfd, nc).
template <int32_t Tail>
double ncf_quantile_value(const double* a)
{
    double x;
    return ncf_quantile(a[0], Tail, a[1], a[2], a[3], &x) == quantile_ok ? x : not_a_number;
}

// Incomplete gamma in logs, arguments in SciPy's order (a, x).
bool gamma_log(const double* a, gamma_log_record* r)
{
    *r = gamma_log_record{};
    r->shape = a[0];
    r->x = a[1];
    r->tolerance = 0.0;
    return gamma_inc_log(r) == 0;
}

double log_gammainc_value(const double* a)
{
    gamma_log_record r;
    return gamma_log(a, &r) ? log_value(r.log_lower) : not_a_number;
}

double log_gammaincc_value(const double* a)
{
    gamma_log_record r;
    return gamma_log(a, &r) ? log_value(r.log_upper) : not_a_number;
}

// Incomplete beta in logs, arguments in SciPy's order (a, b, x).
bool beta_log(const double* a, beta_log_record* r)
{
    *r = beta_log_record{};
    r->a = a[0];
    r->b = a[1];
    r->x = a[2];
    r->tolerance = 0.0;
    return beta_inc_log(r) == 0;
}

double log_betainc_value(const double* a)
{
    beta_log_record r;
    return beta_log(a, &r) ? log_value(r.log_lower) : not_a_number;
}

double log_betaincc_value(const double* a)
{
    beta_log_record r;
    return beta_log(a, &r) ? log_value(r.log_upper) : not_a_number;
}

// Densities: (x, a, b) and (x, a) as scipy.stats orders them.  At an end
// point where the density is 0 or infinite the core gives its missing
// value, a NaN.
double beta_logpdf_value(const double* a)
{
    double v;
    return beta_log_density(a[0], a[1], a[2], &v) == 0 ? v : not_a_number;
}

double gamma_logpdf_value(const double* a)
{
    double v;
    return gamma_log_density(a[0], a[1], &v) == 0 ? v : not_a_number;
}

double norm_logcdf_value(const double* a)
{
    double lower, upper, density;
    return normal_log_tails(a[0], &lower, &upper, &density) == 0 ? lower : not_a_number;
}

double norm_logsf_value(const double* a)
{
    double lower, upper, density;
    return normal_log_tails(a[0], &lower, &upper, &density) == 0 ? upper : not_a_number;
}

double mills_ratio_value(const double* a)
{
    double m;
    return mills_ratio(a[0], &m) == 0 ? m : not_a_number;
}

// The routine takes its arguments unchecked; outside x >= 0, shape >= 0
// there is no distribution.
double invgauss_cdf_value(const double* a)
{
    if (!(a[0] >= 0.0 && a[1] >= 0.0))
        return not_a_number;
    return inverse_gaussian_cdf(a[0], a[1]);
}

// I_v(z) in one form, arguments in SciPy's order (v, z).
double bessel_value(const double* a, int32_t form)
{
    bessel_record r{};
    r.order = a[0];
    r.z = a[1];
    r.form = form;
    if (bessel_i(&r) == 0)
        return form == bessel_form_log && r.result == bessel_log_zero ? -infinity : r.result;
    if (form == bessel_form_log)
        return not_a_number;
    // The error flag stands either for a value beyond the double range (the
    // result then stays a logarithm) or for an unreliable or absent one.  The
    // log form, which never overflows, raises the flag only for the latter.
    bessel_record log_form{};
    log_form.order = a[0];
    log_form.z = a[1];
    log_form.form = bessel_form_log;
    return bessel_i(&log_form) == 0 ? infinity : not_a_number;
}

double iv_value(const double* a) { return bessel_value(a, bessel_form_plain); }
double ive_value(const double* a) { return bessel_value(a, bessel_form_scaled); }
double log_iv_value(const double* a) { return bessel_value(a, bessel_form_log); }

// The central F quantile in either tail and the inverse incomplete beta
// ratio, SciPy's argument order (betaincinv(a, b, y)).
double f_quantile_value(const double* a, int32_t tail)
{
    double f;
    return f_quantile(a[0], tail, a[1], a[2], &f) == quantile_ok ? f : not_a_number;
}

double f_ppf_value(const double* a) { return f_quantile_value(a, quantile_lower_tail); }
double f_isf_value(const double* a) { return f_quantile_value(a, quantile_upper_tail); }

double betaincinv_value(const double* a, int32_t tail)
{
    double x, y;
    return beta_inc_inverse(a[2], tail, a[0], a[1], &x, &y) == quantile_ok ? x : not_a_number;
}

double betaincinv_lower(const double* a) { return betaincinv_value(a, quantile_lower_tail); }
double betainccinv_upper(const double* a) { return betaincinv_value(a, quantile_upper_tail); }

// Power of the F test, the designs' powers and their smallest whole sizes;
// NaN where the design has no answer.
double f_test_power_value(const double* a)
{
    double power;
    return f_test_power(a[0], a[1], a[2], a[3], &power) == design_ok ? power : not_a_number;
}

double f2_power_value(const double* a)
{
    f2_design d{a[0], a[1], a[2], a[3], not_a_number, 0.0};
    return solve_f2_design(&d) == design_ok ? d.power : not_a_number;
}

double anova_power_value(const double* a)
{
    anova_design d{a[0], a[1], a[2], a[3], not_a_number, 0.0};
    return solve_anova_design(&d) == design_ok ? d.power : not_a_number;
}

double f2_sample_size_value(const double* a)
{
    f2_design d{a[0], not_a_number, a[1], a[2], a[3], 0.0};
    return solve_f2_design(&d) == design_ok ? d.v : not_a_number;
}

double anova_sample_size_value(const double* a)
{
    anova_design d{a[0], not_a_number, a[1], a[2], a[3], 0.0};
    return solve_anova_design(&d) == design_ok ? d.n : not_a_number;
}

// The noncentral chi-square, SciPy's argument order (x, df, nc), and its
// quantiles (q, df, nc).
double ncx2_tail_value(const double* a, bool upper, bool log_form)
{
    double lower, upper_tail;
    int32_t status = log_form ? ncx2_log_tails(a[0], a[1], a[2], &lower, &upper_tail)
                              : ncx2_tails(a[0], a[1], a[2], &lower, &upper_tail);
    return status == 0 ? (upper ? upper_tail : lower) : not_a_number;
}

double ncx2_cdf_value(const double* a) { return ncx2_tail_value(a, false, false); }
double ncx2_sf_value(const double* a) { return ncx2_tail_value(a, true, false); }
double ncx2_logcdf_value(const double* a) { return ncx2_tail_value(a, false, true); }
double ncx2_logsf_value(const double* a) { return ncx2_tail_value(a, true, true); }

double ncx2_logpdf_value(const double* a)
{
    double v;
    return ncx2_log_density(a[0], a[1], a[2], &v) == 0 ? v : not_a_number;
}

double ncx2_pdf_value(const double* a)
{
    double v = ncx2_logpdf_value(a);
    return v == infinity ? infinity : v < -745.2 ? 0.0 : std::exp(v);
}

double ncx2_quantile_value(const double* a, int32_t tail)
{
    double x;
    return ncx2_quantile(a[0], tail, a[1], a[2], &x) == 0 ? x : not_a_number;
}

double ncx2_ppf_value(const double* a) { return ncx2_quantile_value(a, ncx2_lower_tail); }
double ncx2_isf_value(const double* a) { return ncx2_quantile_value(a, ncx2_upper_tail); }

double ncx2_ncp_value(const double* a)
{
    double lambda;
    chisq_ncp_solve(a[0], a[1], a[2], &lambda);
    return lambda;
}

int32_t ncx2_ncp_status_value(const double* a)
{
    double lambda;
    return chisq_ncp_solve(a[0], a[1], a[2], &lambda);
}

// The chi-square test's power and sample size, pwr.chisq.test's design.
double chisq_test_power_value(const double* a)
{
    chisq_design d{a[0], a[1], a[2], a[3], not_a_number, 0.0};
    return solve_chisq_design(&d) == design_ok ? d.power : not_a_number;
}

double chisq_test_sample_size_value(const double* a)
{
    chisq_design d{a[0], not_a_number, a[1], a[2], a[3], 0.0};
    return solve_chisq_design(&d) == design_ok ? d.n : not_a_number;
}

// For the tests: whether the thread running a loop holds the GIL.
int32_t gil_held_value(const double*) { return PyGILState_Check(); }

// ---- loops ----

// Runs the loop body without the GIL and with the caller's floating-point
// exception flags restored afterwards.
struct loop_guard {
    std::fexcept_t flags;
    PyThreadState* saved = nullptr;
    loop_guard()
    {
        std::fegetexceptflag(&flags, FE_ALL_EXCEPT);
        if (PyGILState_Check())
            saved = PyEval_SaveThread();
    }
    ~loop_guard()
    {
        std::fesetexceptflag(&flags, FE_ALL_EXCEPT);
        if (saved != nullptr)
            PyEval_RestoreThread(saved);
    }
};

// nin float64 inputs, one output of type Out.  Values are copied in and out
// byte-wise, so that no alignment is assumed of the arrays.
template <int nin, typename Out, Out (*element)(const double*)>
void elementwise(char** args, npy_intp const* dimensions, npy_intp const* steps, void*)
{
    char* p[nin + 1];
    std::memcpy(p, args, sizeof p);
    const npy_intp n = dimensions[0];
    loop_guard guard;
    double in[nin];
    for (npy_intp i = 0; i < n; ++i) {
        for (int k = 0; k < nin; ++k) {
            std::memcpy(&in[k], p[k], sizeof(double));
            p[k] += steps[k];
        }
        const Out out = element(in);
        std::memcpy(p[nin], &out, sizeof out);
        p[nin] += steps[nin];
    }
}

// nin float64 inputs, nout float64 outputs and an int32 status: row(in,
// data, out) fills out and gives the status, data being the loop's own
// (an alternative or a design code).
template <int nin, int nout, int32_t (*row)(const double*, int32_t, double*)>
void row_loop(char** args, npy_intp const* dimensions, npy_intp const* steps, void* data)
{
    const auto code = static_cast<int32_t>(reinterpret_cast<intptr_t>(data));
    char* p[nin + nout + 1];
    std::memcpy(p, args, sizeof p);
    const npy_intp n = dimensions[0];
    loop_guard guard;
    double in[nin];
    double out[nout];
    for (npy_intp i = 0; i < n; ++i) {
        for (int k = 0; k < nin; ++k)
            std::memcpy(&in[k], p[k], sizeof(double));
        const int32_t status = row(in, code, out);
        for (int k = 0; k < nout; ++k)
            std::memcpy(p[nin + k], &out[k], sizeof(double));
        std::memcpy(p[nin + nout], &status, sizeof status);
        for (int k = 0; k < nin + nout + 1; ++k)
            p[k] += steps[k];
    }
}

// ncp_interval: (f, df1, df2, confidence) -> (lower, upper, outcome).
int32_t ncp_interval_row(const double* in, int32_t alternative, double* out)
{
    return ncp_interval(in[0], in[1], in[2], in[3], alternative, &out[0], &out[1]);
}

// The noncentral t in SciPy's order (x, df, nc), and its quantiles (q, df,
// nc); NaN unless nct_ok.
double nct_tail_value(const double* a, bool upper, bool log_form)
{
    double lower, upper_tail;
    int32_t status = log_form ? nct_log_cdf(a[0], a[1], a[2], &lower, &upper_tail)
                              : nct_cdf(a[0], a[1], a[2], &lower, &upper_tail);
    return status == nct_ok ? (upper ? upper_tail : lower) : not_a_number;
}

double nct_cdf_value(const double* a) { return nct_tail_value(a, false, false); }
double nct_sf_value(const double* a) { return nct_tail_value(a, true, false); }
double nct_logcdf_value(const double* a) { return nct_tail_value(a, false, true); }
double nct_logsf_value(const double* a) { return nct_tail_value(a, true, true); }

double nct_pdf_value(const double* a)
{
    double f;
    return nct_density(a[0], a[1], a[2], &f) == nct_ok ? f : not_a_number;
}

double nct_logpdf_value(const double* a)
{
    double f;
    return nct_log_density(a[0], a[1], a[2], &f) == nct_ok ? f : not_a_number;
}

double nct_quantile_value(const double* a, int32_t tail)
{
    double t;
    return nct_quantile(a[0], tail, a[1], a[2], &t) == nct_ok ? t : not_a_number;
}

double nct_ppf_value(const double* a) { return nct_quantile_value(a, nct_lower_tail); }
double nct_isf_value(const double* a) { return nct_quantile_value(a, nct_upper_tail); }

double nct_ncp_value(const double* a)
{
    double delta;
    nct_ncp(a[0], a[1], a[2], nct_lower_tail, &delta);
    return delta;
}

// The distribution functions nct_ncp evaluated for the root (for bench/).
double nct_ncp_evaluations_value(const double* a)
{
    double delta;
    int32_t evaluations;
    nct_ncp_traced(a[0], a[1], a[2], nct_lower_tail, &delta, &evaluations);
    return evaluations;
}

int32_t nct_ncp_status_value(const double* a)
{
    double delta;
    return nct_ncp(a[0], a[1], a[2], nct_lower_tail, &delta);
}

// (t, df, confidence) -> (lower, upper, status).
int32_t nct_interval_row(const double* in, int32_t alternative, double* out)
{
    return nct_ncp_interval(in[0], in[1], in[2], alternative, &out[0], &out[1]);
}

// (t, df, n1, n2, confidence) -> (d, d_lower, d_upper, g, g_lower, g_upper,
// outcome).
int32_t d_interval_row(const double* in, int32_t alternative, double* out)
{
    d_interval r;
    const int32_t outcome = cohens_d_interval(in[0], in[1], in[2], in[3], in[4], alternative, &r);
    const double values[6] = {r.d, r.d_lower, r.d_upper, r.g, r.g_lower, r.g_upper};
    std::memcpy(out, values, sizeof values);
    return outcome;
}

// The t tests' design: (n, d, alpha, power) with one NaN -> (n, d, alpha,
// power, achieved, outcome); code = type * 3 + alternative.  n2 of unequal
// groups when type is 3: then the inputs are (n1, n2, d, alpha, power).
int32_t t_design_row(const double* in, int32_t code, double* out)
{
    const int32_t type = code / 3, alternative = code % 3;
    t2n_design t{alternative, in[0], in[1], in[2], in[3], in[4], not_a_number};
    int32_t outcome;
    if (type == 3) {
        outcome = solve_t2n_design(&t);
    } else {
        t_design one{type, alternative, in[1], in[2], in[3], in[4], not_a_number};
        outcome = solve_t_design(&one);
        t.n2 = one.n;
        t.d = one.d;
        t.alpha = one.alpha;
        t.power = one.power;
        t.achieved = one.achieved;
    }
    const double values[5] = {t.n2, t.d, t.alpha, t.power, t.achieved};
    std::memcpy(out, values, sizeof values);
    return outcome;
}

// The chi-square intervals: (chi2, df, n, rows, cols, confidence,
// alternative, convention, quantity) -> (lower, upper, outcome), quantity 0
// lambda, 1 RMSEA, 2 w, 3 Cramer's V (the package's wrappers fill the
// selectors).
int32_t chisq_interval_row(const double* in, int32_t, double* out)
{
    chisq_effect_interval r;
    const int32_t alternative = in[6] >= 0.0 && in[6] <= 2.0 ? static_cast<int32_t>(in[6]) : -1;
    const int32_t convention = in[7] >= 0.0 && in[7] <= 1.0 ? static_cast<int32_t>(in[7]) : -1;
    const int32_t outcome = chisq_effect_size_interval(in[0], in[1], in[2], in[3], in[4], in[5],
                                                       alternative, convention, &r);
    const double limits[][2] = {{r.lambda_lower, r.lambda_upper},
                                {r.rmsea_lower, r.rmsea_upper},
                                {r.w_lower, r.w_upper},
                                {r.v_lower, r.v_upper}};
    const int quantity = in[8] >= 0.0 && in[8] <= 3.0 ? static_cast<int>(in[8]) : 0;
    out[0] = limits[quantity][0];
    out[1] = limits[quantity][1];
    return outcome;
}

// ---- the ufunc table ----

struct ufunc_entry {
    const char* name;
    int nin;
    int nout;
    PyUFuncGenericFunction loop[1];
    void* data[1];
    char types[16];
    const char* doc;
};

constexpr char d = NPY_DOUBLE;
constexpr char i32 = NPY_INT32;

#define KELBRANT_LOOP(nin, out, element) {&elementwise<nin, out, element>}

ufunc_entry ufuncs[] = {
    {"fnonct", 4, 1, KELBRANT_LOOP(4, double, fnonct_value), {nullptr}, {d, d, d, d, d},
     "fnonct(x, df1, df2, p): the noncentrality lambda >= 0 at which the noncentral F\n"
     "distribution function with df1 and df2 degrees of freedom takes the value p at x;\n"
     "NaN where there is none (fnonct_status says why)."},
    {"fnonct_status", 4, 1, KELBRANT_LOOP(4, int32_t, fnonct_status_value), {nullptr},
     {d, d, d, d, i32},
     "fnonct_status(x, df1, df2, p): why fnonct has or has not an answer, as int32:\n"
     "FNONCT_OK 0, FNONCT_MISSING 1 (a NaN argument), FNONCT_INVALID 2 (x < 0,\n"
     "df1 <= 0, df2 <= 0 or p outside (0, 1)), FNONCT_NO_ROOT 3 (p above the central\n"
     "probability), FNONCT_FAILED 4 (a root exists but the search did not reach it)."},
    {"ncf_cdf", 4, 1, KELBRANT_LOOP(4, double, ncf_cdf_value), {nullptr}, {d, d, d, d, d},
     "ncf_cdf(x, dfn, dfd, nc): P(F' <= x) of the noncentral F distribution (0 below\n"
     "the support); NaN for NaN or out-of-domain arguments and where no routine answers."},
    {"ncf_sf", 4, 1, KELBRANT_LOOP(4, double, ncf_sf_value), {nullptr}, {d, d, d, d, d},
     "ncf_sf(x, dfn, dfd, nc): P(F' > x), to full relative precision far into the upper\n"
     "tail (never formed as 1 - ncf_cdf)."},
    {"ncf_logcdf", 4, 1, KELBRANT_LOOP(4, double, ncf_logcdf_value), {nullptr}, {d, d, d, d, d},
     "ncf_logcdf(x, dfn, dfd, nc): ln P(F' <= x), finite far below the double range."},
    {"ncf_logsf", 4, 1, KELBRANT_LOOP(4, double, ncf_logsf_value), {nullptr}, {d, d, d, d, d},
     "ncf_logsf(x, dfn, dfd, nc): ln P(F' > x), finite far below the double range."},
    {"ncf_pdf", 4, 1, KELBRANT_LOOP(4, double, ncf_pdf_value), {nullptr}, {d, d, d, d, d},
     "ncf_pdf(x, dfn, dfd, nc): the noncentral F density at x (0 outside the support;\n"
     "at x = 0 +inf for dfn < 2, e^(-nc/2) for dfn = 2, 0 above)."},
    {"ncf_logpdf", 4, 1, KELBRANT_LOOP(4, double, ncf_logpdf_value), {nullptr}, {d, d, d, d, d},
     "ncf_logpdf(x, dfn, dfd, nc): ln of the noncentral F density at x."},
    {"ncf_ppf", 4, 1, KELBRANT_LOOP(4, double, ncf_quantile_value<quantile_lower_tail>),
     {nullptr}, {d, d, d, d, d},
     "ncf_ppf(q, dfn, dfd, nc): the noncentral F quantile, the x with P(F' <= x) = q."},
    {"ncf_isf", 4, 1, KELBRANT_LOOP(4, double, ncf_quantile_value<quantile_upper_tail>),
     {nullptr}, {d, d, d, d, d},
     "ncf_isf(q, dfn, dfd, nc): the upper-tail noncentral F quantile, P(F' > x) = q, exact\n"
     "for q far below 1e-16."},
    {"log_gammainc", 2, 1, KELBRANT_LOOP(2, double, log_gammainc_value), {nullptr}, {d, d, d},
     "log_gammainc(a, x): ln P(a, x), the regularized lower incomplete gamma function."},
    {"log_gammaincc", 2, 1, KELBRANT_LOOP(2, double, log_gammaincc_value), {nullptr}, {d, d, d},
     "log_gammaincc(a, x): ln Q(a, x), the regularized upper incomplete gamma function."},
    {"log_betainc", 3, 1, KELBRANT_LOOP(3, double, log_betainc_value), {nullptr}, {d, d, d, d},
     "log_betainc(a, b, x): ln I_x(a, b), the regularized incomplete beta function."},
    {"log_betaincc", 3, 1, KELBRANT_LOOP(3, double, log_betaincc_value), {nullptr}, {d, d, d, d},
     "log_betaincc(a, b, x): ln(1 - I_x(a, b))."},
    {"beta_logpdf", 3, 1, KELBRANT_LOOP(3, double, beta_logpdf_value), {nullptr}, {d, d, d, d},
     "beta_logpdf(x, a, b): ln of the Beta(a, b) density at x; NaN where it is infinite."},
    {"gamma_logpdf", 2, 1, KELBRANT_LOOP(2, double, gamma_logpdf_value), {nullptr}, {d, d, d},
     "gamma_logpdf(x, a): ln of the standard gamma density x^(a-1) e^-x / Gamma(a);\n"
     "NaN at x = 0 unless a = 1."},
    {"norm_logcdf", 1, 1, KELBRANT_LOOP(1, double, norm_logcdf_value), {nullptr}, {d, d},
     "norm_logcdf(z): ln Phi(z) of the standard normal law."},
    {"norm_logsf", 1, 1, KELBRANT_LOOP(1, double, norm_logsf_value), {nullptr}, {d, d},
     "norm_logsf(z): ln Phi(-z) of the standard normal law."},
    {"mills_ratio", 1, 1, KELBRANT_LOOP(1, double, mills_ratio_value), {nullptr}, {d, d},
     "mills_ratio(z): the Mills ratio Phi(-z)/phi(z)."},
    {"invgauss_cdf", 2, 1, KELBRANT_LOOP(2, double, invgauss_cdf_value), {nullptr}, {d, d, d},
     "invgauss_cdf(x, shape): distribution function of the inverse Gaussian law with\n"
     "mean 1 and the given shape."},
    {"iv", 2, 1, KELBRANT_LOOP(2, double, iv_value), {nullptr}, {d, d, d},
     "iv(v, z): the modified Bessel function I_v(z), v >= 0, z >= 0; +inf beyond the\n"
     "double range."},
    {"ive", 2, 1, KELBRANT_LOOP(2, double, ive_value), {nullptr}, {d, d, d},
     "ive(v, z): e^-z I_v(z), v >= 0, z >= 0."},
    {"log_iv", 2, 1, KELBRANT_LOOP(2, double, log_iv_value), {nullptr}, {d, d, d},
     "log_iv(v, z): ln I_v(z), v >= 0, z >= 0, finite far beyond the double range of I."},
    {"f_ppf", 3, 1, KELBRANT_LOOP(3, double, f_ppf_value), {nullptr}, {d, d, d, d},
     "f_ppf(q, dfn, dfd): the central F quantile, P(F <= f) = q."},
    {"f_isf", 3, 1, KELBRANT_LOOP(3, double, f_isf_value), {nullptr}, {d, d, d, d},
     "f_isf(q, dfn, dfd): the upper-tail central F quantile, P(F > f) = q, exact for\n"
     "q far below 1e-16."},
    {"betaincinv", 3, 1, KELBRANT_LOOP(3, double, betaincinv_lower), {nullptr}, {d, d, d, d},
     "betaincinv(a, b, y): the x with I_x(a, b) = y."},
    {"betainccinv", 3, 1, KELBRANT_LOOP(3, double, betainccinv_upper), {nullptr}, {d, d, d, d},
     "betainccinv(a, b, y): the x with 1 - I_x(a, b) = y."},
    {"f_test_power", 4, 1, KELBRANT_LOOP(4, double, f_test_power_value), {nullptr},
     {d, d, d, d, d},
     "f_test_power(dfn, dfd, nc, alpha): the power P(F' > F_crit) of the level-alpha F\n"
     "test against noncentrality nc."},
    {"f2_power", 4, 1, KELBRANT_LOOP(4, double, f2_power_value), {nullptr}, {d, d, d, d, d},
     "f2_power(u, v, f2, alpha): the power of the regression form's F test, u and v\n"
     "degrees of freedom, lambda = f2 (u + v + 1)."},
    {"anova_power", 4, 1, KELBRANT_LOOP(4, double, anova_power_value), {nullptr},
     {d, d, d, d, d},
     "anova_power(k, n, f, alpha): the power of the one-way analysis of variance of k\n"
     "groups of n, lambda = k n f^2."},
    {"f2_sample_size", 4, 1, KELBRANT_LOOP(4, double, f2_sample_size_value), {nullptr},
     {d, d, d, d, d},
     "f2_sample_size(u, f2, alpha, power): the smallest whole denominator degrees of\n"
     "freedom v whose power reaches power (lambda = f2 (u + v + 1)); NaN where none."},
    {"anova_sample_size", 4, 1, KELBRANT_LOOP(4, double, anova_sample_size_value), {nullptr},
     {d, d, d, d, d},
     "anova_sample_size(k, f, alpha, power): the smallest whole group size n of a\n"
     "one-way analysis of variance of k groups (lambda = k n f^2) whose power\n"
     "reaches power; NaN where none."},
    {"_ncp_interval_two_sided", 4, 3, {&row_loop<4, 2, ncp_interval_row>},
     {reinterpret_cast<void*>(intptr_t{ncp_two_sided})}, {d, d, d, d, d, d, i32},
     "(f, df1, df2, confidence) -> (lower, upper, outcome), two-sided."},
    {"_ncp_interval_less", 4, 3, {&row_loop<4, 2, ncp_interval_row>},
     {reinterpret_cast<void*>(intptr_t{ncp_less})}, {d, d, d, d, d, d, i32},
     "(f, df1, df2, confidence) -> (0, upper, outcome)."},
    {"_ncp_interval_greater", 4, 3, {&row_loop<4, 2, ncp_interval_row>},
     {reinterpret_cast<void*>(intptr_t{ncp_greater})}, {d, d, d, d, d, d, i32},
     "(f, df1, df2, confidence) -> (lower, inf, outcome)."},
    {"nct_cdf", 3, 1, KELBRANT_LOOP(3, double, nct_cdf_value), {nullptr}, {d, d, d, d},
     "nct_cdf(x, df, nc): P(T <= x) of the noncentral t distribution (SciPy's nct.cdf)."},
    {"nct_sf", 3, 1, KELBRANT_LOOP(3, double, nct_sf_value), {nullptr}, {d, d, d, d},
     "nct_sf(x, df, nc): P(T > x), exact where it is small (not 1 - cdf)."},
    {"nct_logcdf", 3, 1, KELBRANT_LOOP(3, double, nct_logcdf_value), {nullptr}, {d, d, d, d},
     "nct_logcdf(x, df, nc): ln P(T <= x), finite far below the double range."},
    {"nct_logsf", 3, 1, KELBRANT_LOOP(3, double, nct_logsf_value), {nullptr}, {d, d, d, d},
     "nct_logsf(x, df, nc): ln P(T > x), finite far below the double range."},
    {"nct_pdf", 3, 1, KELBRANT_LOOP(3, double, nct_pdf_value), {nullptr}, {d, d, d, d},
     "nct_pdf(x, df, nc): the noncentral t density at x."},
    {"nct_logpdf", 3, 1, KELBRANT_LOOP(3, double, nct_logpdf_value), {nullptr}, {d, d, d, d},
     "nct_logpdf(x, df, nc): ln of the noncentral t density at x."},
    {"nct_ppf", 3, 1, KELBRANT_LOOP(3, double, nct_ppf_value), {nullptr}, {d, d, d, d},
     "nct_ppf(q, df, nc): the x with P(T <= x) = q."},
    {"nct_isf", 3, 1, KELBRANT_LOOP(3, double, nct_isf_value), {nullptr}, {d, d, d, d},
     "nct_isf(q, df, nc): the x with P(T > x) = q, exact for q far below 1e-16."},
    {"nct_ncp", 3, 1, KELBRANT_LOOP(3, double, nct_ncp_value), {nullptr}, {d, d, d, d},
     "nct_ncp(t, df, p): the noncentrality nc with nct_cdf(t, df, nc) = p (one for every\n"
     "0 < p < 1); NaN where there is none (nct_ncp_status says why)."},
    {"_nct_ncp_evaluations", 3, 1, KELBRANT_LOOP(3, double, nct_ncp_evaluations_value), {nullptr},
     {d, d, d, d}, "_nct_ncp_evaluations(t, df, p): evaluations nct_ncp took (for bench/)."},
    {"nct_ncp_status", 3, 1, KELBRANT_LOOP(3, int32_t, nct_ncp_status_value), {nullptr},
     {d, d, d, i32},
     "nct_ncp_status(t, df, p): NCT_OK 0, NCT_INVALID 1 (NaN or an argument out of its\n"
     "domain: t finite, df > 0, 0 < p < 1), NCT_FAILED 2 (the inversion failed)."},
    {"_nct_interval_two_sided", 3, 3, {&row_loop<3, 2, nct_interval_row>},
     {reinterpret_cast<void*>(intptr_t{nct_two_sided})}, {d, d, d, d, d, i32},
     "(t, df, confidence) -> (lower, upper, status)."},
    {"_d_interval_two_sided", 5, 7, {&row_loop<5, 6, d_interval_row>},
     {reinterpret_cast<void*>(intptr_t{nct_two_sided})}, {d, d, d, d, d, d, d, d, d, d, d, i32},
     "(t, df, n1, n2, confidence) -> (d, lower, upper, g, lower, upper, outcome)."},
    {"_nct_interval_less", 3, 3, {&row_loop<3, 2, nct_interval_row>},
     {reinterpret_cast<void*>(intptr_t{nct_less})}, {d, d, d, d, d, i32},
     "(t, df, confidence) -> (lower, upper, status)."},
    {"_d_interval_less", 5, 7, {&row_loop<5, 6, d_interval_row>},
     {reinterpret_cast<void*>(intptr_t{nct_less})}, {d, d, d, d, d, d, d, d, d, d, d, i32},
     "(t, df, n1, n2, confidence) -> (d, lower, upper, g, lower, upper, outcome)."},
    {"_nct_interval_greater", 3, 3, {&row_loop<3, 2, nct_interval_row>},
     {reinterpret_cast<void*>(intptr_t{nct_greater})}, {d, d, d, d, d, i32},
     "(t, df, confidence) -> (lower, upper, status)."},
    {"_d_interval_greater", 5, 7, {&row_loop<5, 6, d_interval_row>},
     {reinterpret_cast<void*>(intptr_t{nct_greater})}, {d, d, d, d, d, d, d, d, d, d, d, i32},
     "(t, df, n1, n2, confidence) -> (d, lower, upper, g, lower, upper, outcome)."},
    {"_t_design_0", 5, 6, {&row_loop<5, 5, t_design_row>}, {reinterpret_cast<void*>(intptr_t{0})},
     {d, d, d, d, d, d, d, d, d, d, i32}, "(n1, n, d, alpha, power) -> (n, d, alpha, power, achieved, outcome)."},
    {"_t_design_1", 5, 6, {&row_loop<5, 5, t_design_row>}, {reinterpret_cast<void*>(intptr_t{1})},
     {d, d, d, d, d, d, d, d, d, d, i32}, "(n1, n, d, alpha, power) -> (n, d, alpha, power, achieved, outcome)."},
    {"_t_design_2", 5, 6, {&row_loop<5, 5, t_design_row>}, {reinterpret_cast<void*>(intptr_t{2})},
     {d, d, d, d, d, d, d, d, d, d, i32}, "(n1, n, d, alpha, power) -> (n, d, alpha, power, achieved, outcome)."},
    {"_t_design_3", 5, 6, {&row_loop<5, 5, t_design_row>}, {reinterpret_cast<void*>(intptr_t{3})},
     {d, d, d, d, d, d, d, d, d, d, i32}, "(n1, n, d, alpha, power) -> (n, d, alpha, power, achieved, outcome)."},
    {"_t_design_4", 5, 6, {&row_loop<5, 5, t_design_row>}, {reinterpret_cast<void*>(intptr_t{4})},
     {d, d, d, d, d, d, d, d, d, d, i32}, "(n1, n, d, alpha, power) -> (n, d, alpha, power, achieved, outcome)."},
    {"_t_design_5", 5, 6, {&row_loop<5, 5, t_design_row>}, {reinterpret_cast<void*>(intptr_t{5})},
     {d, d, d, d, d, d, d, d, d, d, i32}, "(n1, n, d, alpha, power) -> (n, d, alpha, power, achieved, outcome)."},
    {"_t_design_6", 5, 6, {&row_loop<5, 5, t_design_row>}, {reinterpret_cast<void*>(intptr_t{6})},
     {d, d, d, d, d, d, d, d, d, d, i32}, "(n1, n, d, alpha, power) -> (n, d, alpha, power, achieved, outcome)."},
    {"_t_design_7", 5, 6, {&row_loop<5, 5, t_design_row>}, {reinterpret_cast<void*>(intptr_t{7})},
     {d, d, d, d, d, d, d, d, d, d, i32}, "(n1, n, d, alpha, power) -> (n, d, alpha, power, achieved, outcome)."},
    {"_t_design_8", 5, 6, {&row_loop<5, 5, t_design_row>}, {reinterpret_cast<void*>(intptr_t{8})},
     {d, d, d, d, d, d, d, d, d, d, i32}, "(n1, n, d, alpha, power) -> (n, d, alpha, power, achieved, outcome)."},
    {"_t_design_9", 5, 6, {&row_loop<5, 5, t_design_row>}, {reinterpret_cast<void*>(intptr_t{9})},
     {d, d, d, d, d, d, d, d, d, d, i32}, "(n1, n, d, alpha, power) -> (n, d, alpha, power, achieved, outcome)."},
    {"_t_design_10", 5, 6, {&row_loop<5, 5, t_design_row>}, {reinterpret_cast<void*>(intptr_t{10})},
     {d, d, d, d, d, d, d, d, d, d, i32}, "(n1, n, d, alpha, power) -> (n, d, alpha, power, achieved, outcome)."},
    {"_t_design_11", 5, 6, {&row_loop<5, 5, t_design_row>}, {reinterpret_cast<void*>(intptr_t{11})},
     {d, d, d, d, d, d, d, d, d, d, i32}, "(n1, n, d, alpha, power) -> (n, d, alpha, power, achieved, outcome)."},
    {"ncx2_cdf", 3, 1, KELBRANT_LOOP(3, double, ncx2_cdf_value), {nullptr}, {d, d, d, d},
     "ncx2_cdf(x, df, nc): P(X <= x) of the noncentral chi-square distribution."},
    {"ncx2_sf", 3, 1, KELBRANT_LOOP(3, double, ncx2_sf_value), {nullptr}, {d, d, d, d},
     "ncx2_sf(x, df, nc): P(X > x), formed directly (not as 1 - cdf)."},
    {"ncx2_logcdf", 3, 1, KELBRANT_LOOP(3, double, ncx2_logcdf_value), {nullptr}, {d, d, d, d},
     "ncx2_logcdf(x, df, nc): ln P(X <= x), finite far below the double range."},
    {"ncx2_logsf", 3, 1, KELBRANT_LOOP(3, double, ncx2_logsf_value), {nullptr}, {d, d, d, d},
     "ncx2_logsf(x, df, nc): ln P(X > x), finite far below the double range."},
    {"ncx2_pdf", 3, 1, KELBRANT_LOOP(3, double, ncx2_pdf_value), {nullptr}, {d, d, d, d},
     "ncx2_pdf(x, df, nc): the noncentral chi-square density at x."},
    {"ncx2_logpdf", 3, 1, KELBRANT_LOOP(3, double, ncx2_logpdf_value), {nullptr}, {d, d, d, d},
     "ncx2_logpdf(x, df, nc): ln of the noncentral chi-square density at x."},
    {"ncx2_ppf", 3, 1, KELBRANT_LOOP(3, double, ncx2_ppf_value), {nullptr}, {d, d, d, d},
     "ncx2_ppf(q, df, nc): the quantile, P(X <= x) = q."},
    {"ncx2_isf", 3, 1, KELBRANT_LOOP(3, double, ncx2_isf_value), {nullptr}, {d, d, d, d},
     "ncx2_isf(q, df, nc): the upper-tail quantile, P(X > x) = q, exact for q far below\n"
     "1e-16."},
    {"ncx2_ncp", 3, 1, KELBRANT_LOOP(3, double, ncx2_ncp_value), {nullptr}, {d, d, d, d},
     "ncx2_ncp(x, df, p): the noncentrality nc >= 0 with ncx2_cdf(x, df, nc) = p; NaN\n"
     "where there is none (ncx2_ncp_status says why)."},
    {"ncx2_ncp_status", 3, 1, KELBRANT_LOOP(3, int32_t, ncx2_ncp_status_value), {nullptr},
     {d, d, d, i32},
     "ncx2_ncp_status(x, df, p): FNONCT_OK, FNONCT_MISSING (a NaN), FNONCT_INVALID\n"
     "(x < 0, df outside (2^-10, 2147483647], p outside (0, 1)), FNONCT_NO_ROOT (p\n"
     "above the central probability) or FNONCT_FAILED, as int32."},
    {"chisq_test_power", 4, 1, KELBRANT_LOOP(4, double, chisq_test_power_value), {nullptr},
     {d, d, d, d, d},
     "chisq_test_power(w, n, df, alpha): the power of the level-alpha chi-square test\n"
     "with effect size w and sample size n (nc = n w^2), as pwr.chisq.test."},
    {"chisq_test_sample_size", 4, 1, KELBRANT_LOOP(4, double, chisq_test_sample_size_value),
     {nullptr}, {d, d, d, d, d},
     "chisq_test_sample_size(w, df, alpha, power): the sample size n (a real number, as\n"
     "pwr.chisq.test gives it) at which the test reaches power; NaN where none."},
    {"_chisq_interval", 9, 3, {&row_loop<9, 2, chisq_interval_row>}, {nullptr},
     {d, d, d, d, d, d, d, d, d, d, d, i32},
     "(chi2, df, n, rows, cols, confidence, alternative, convention, quantity)\n"
     "-> (lower, upper, outcome)."},
    {"_gil_held_in_loop", 1, 1, KELBRANT_LOOP(1, int32_t, gil_held_value), {nullptr}, {d, i32},
     "_gil_held_in_loop(x): 1 where the loop ran holding the GIL (for the tests)."},
};

#undef KELBRANT_LOOP

struct module_constant {
    const char* name;
    long value;
};

const module_constant constants[] = {
    {"FNONCT_OK", fnonct_ok},
    {"FNONCT_MISSING", fnonct_missing},
    {"FNONCT_INVALID", fnonct_invalid},
    {"FNONCT_NO_ROOT", fnonct_no_root},
    {"FNONCT_FAILED", fnonct_failed},
    {"NCT_OK", nct_ok},
    {"NCT_INVALID", nct_invalid},
    {"NCT_FAILED", nct_failed},
};

PyModuleDef core_module = {
    PyModuleDef_HEAD_INIT, "kelbrant._core",
    "The module's numerics as NumPy ufuncs; use the kelbrant package.", -1,
    nullptr, nullptr, nullptr, nullptr, nullptr,
};

}  // namespace

PyMODINIT_FUNC PyInit__core(void)
{
    import_array();
    import_umath();
    PyObject* module = PyModule_Create(&core_module);
    if (module == nullptr)
        return nullptr;
    for (ufunc_entry& u : ufuncs) {
        PyObject* f = PyUFunc_FromFuncAndData(u.loop, u.data, u.types, 1, u.nin, u.nout,
                                              PyUFunc_None, u.name, u.doc, 0);
        if (f == nullptr || PyModule_AddObject(module, u.name, f) < 0) {
            Py_XDECREF(f);
            Py_DECREF(module);
            return nullptr;
        }
    }
    for (const module_constant& c : constants) {
        if (PyModule_AddIntConstant(module, c.name, c.value) < 0) {
            Py_DECREF(module);
            return nullptr;
        }
    }
    return module;
}
