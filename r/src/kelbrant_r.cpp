// The R package's entry points: each converts R vectors, recycles them by
// R's rules (the longest length; none when any is empty) and calls the
// module's own routines element by element.  No numerics of their own
// beyond choosing which routine answers and R's conventions at the edges
// of the support (P = 0 below it, 1 at +Inf).
//
// R's missing values: an NA argument gives NA, any other NaN gives NaN, as
// R's own distribution functions do.  The R functions have already made
// every argument a double vector.

#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <limits>

#define R_NO_REMAP
#include <R.h>
#include <Rinternals.h>
#include <R_ext/Rdynload.h>

#include "fnonct/fnonct_solve.h"
#include "library/ncf_log.h"
#include "library/ncf_log_density.h"
#include "ncf/ncf.h"

namespace {

constexpr double max_double = std::numeric_limits<double>::max();
constexpr double infinity = std::numeric_limits<double>::infinity();

// The arguments of one call, recycled.
struct recycled {
    int count;            // number of arguments
    const double* v[4];   // their data
    R_xlen_t length[4];
    R_xlen_t n;           // the result's length

    double at(int k, R_xlen_t i) const { return v[k][i % length[k]]; }
};

recycled recycle(std::initializer_list<SEXP> args)
{
    recycled r{};
    r.n = 0;
    bool empty = false;
    for (SEXP a : args) {
        r.v[r.count] = REAL(a);
        r.length[r.count] = XLENGTH(a);
        if (r.length[r.count] == 0)
            empty = true;
        if (r.length[r.count] > r.n)
            r.n = r.length[r.count];
        ++r.count;
    }
    if (empty)
        r.n = 0;
    return r;
}

// Whether element i has a missing argument: *out is then NA if any of its
// arguments is NA, else NaN.
bool missing_element(const recycled& r, R_xlen_t i, double* out)
{
    bool nan = false;
    for (int k = 0; k < r.count; ++k) {
        double v = r.at(k, i);
        if (ISNA(v)) {
            *out = NA_REAL;
            return true;
        }
        if (std::isnan(v))
            nan = true;
    }
    if (nan)
        *out = R_NaN;
    return nan;
}

// Degrees of freedom and noncentrality the routines accept: finite,
// df > 0, ncp >= 0.
bool valid_parameters(double df1, double df2, double ncp)
{
    return df1 > 0.0 && df2 > 0.0 && ncp >= 0.0 && df1 < infinity && df2 < infinity
           && ncp < infinity;
}

// The two warnings, raised after the loop: parameters out of their domain
// (base R's wording), and elements the routines could not answer.
void warn_after(int invalid, int failed, const char* routine)
{
    if (invalid > 0)
        Rf_warning("NaNs produced");
    if (failed > 0)
        Rf_warning("%s: no value for %d element(s); NaN returned", routine, failed);
}

// ln P(F' <= q) and ln P(F' > q) of ncf_log_probs, its -DBL_MAX for ln 0
// read as -Inf.  Status 0 on success.
int32_t log_tails(double q, double df1, double df2, double ncp, double* log_lower,
                  double* log_upper)
{
    ncf_log_record record{};
    record.x = q;
    record.n1 = df1;
    record.n2 = df2;
    record.lambda = ncp;
    record.requests = ncf_log_want_probabilities;
    record.tolerance = 0.0;  // raised to the routine's floor
    int32_t status = ncf_log_probs(&record);
    if (status != 0)
        return status;
    *log_lower = record.log_lower == -max_double ? -infinity : record.log_lower;
    *log_upper = record.log_upper == -max_double ? -infinity : record.log_upper;
    return 0;
}

// One element of pncf for 0 < q < Inf.  The lower tail as a plain
// probability comes from ncf_cdf, the module's own distribution function,
// which keeps its relative accuracy far into the lower tail; so does the
// upper one where P <= 1/2 (1 - P then loses nothing).  The other cases,
// the log scale, and any point where ncf_cdf fails (its start terms below
// the double range) come from ncf_log_probs, whose logs stay finite far
// beyond the double range.  NaN when neither answers.
double ncf_probability(double q, double df1, double df2, double ncp, int lower_tail, int log_p)
{
    double p;
    bool direct = ncf_cdf(q, df1, df2, ncp, &p) == 0 && p >= 0.0 && p <= 1.0;
    if (direct && !log_p && (lower_tail || p <= 0.5))
        return lower_tail ? p : 1.0 - p;
    double log_lower, log_upper;
    if (log_tails(q, df1, df2, ncp, &log_lower, &log_upper) == 0) {
        double w = lower_tail ? log_lower : log_upper;
        return log_p ? w : std::exp(w);
    }
    if (!direct)
        return R_NaN;
    if (lower_tail)
        return log_p ? std::log(p) : p;
    return log_p ? std::log1p(-p) : 1.0 - p;
}

}  // namespace

extern "C" {

// fnonct(x, df1, df2, p): list(lambda, status), status the fnonct_outcome
// code of every element (lambda is NA unless it is fnonct_ok).
SEXP kelbrant_fnonct(SEXP x, SEXP df1, SEXP df2, SEXP p)
{
    recycled r = recycle({x, df1, df2, p});
    SEXP lambda = PROTECT(Rf_allocVector(REALSXP, r.n));
    SEXP status = PROTECT(Rf_allocVector(INTSXP, r.n));
    double* out = REAL(lambda);
    int* code = INTEGER(status);
    for (R_xlen_t i = 0; i < r.n; ++i) {
        double root;
        fnonct_outcome outcome = fnonct_solve(r.at(0, i), r.at(1, i), r.at(2, i), r.at(3, i), &root);
        out[i] = outcome == fnonct_ok ? root : NA_REAL;
        code[i] = outcome;
    }
    SEXP result = PROTECT(Rf_allocVector(VECSXP, 2));
    SET_VECTOR_ELT(result, 0, lambda);
    SET_VECTOR_ELT(result, 1, status);
    UNPROTECT(3);
    return result;
}

// pncf(q, df1, df2, ncp, lower.tail, log.p).
SEXP kelbrant_pncf(SEXP q, SEXP df1, SEXP df2, SEXP ncp, SEXP lower_tail, SEXP log_p)
{
    recycled r = recycle({q, df1, df2, ncp});
    int lower = Rf_asLogical(lower_tail), log_scale = Rf_asLogical(log_p);
    SEXP result = PROTECT(Rf_allocVector(REALSXP, r.n));
    double* out = REAL(result);
    int invalid = 0, failed = 0;
    for (R_xlen_t i = 0; i < r.n; ++i) {
        if (missing_element(r, i, &out[i]))
            continue;
        double x = r.at(0, i), n1 = r.at(1, i), n2 = r.at(2, i), lambda = r.at(3, i);
        if (!valid_parameters(n1, n2, lambda)) {
            out[i] = R_NaN;
            ++invalid;
        } else if (x <= 0.0 || x == infinity) {
            // Below the support P = 0, at +Inf P = 1.
            bool all_below = (x <= 0.0) == (lower != 0);
            out[i] = log_scale ? (all_below ? -infinity : 0.0) : (all_below ? 0.0 : 1.0);
        } else {
            out[i] = ncf_probability(x, n1, n2, lambda, lower, log_scale);
            if (std::isnan(out[i]))
                ++failed;
        }
    }
    warn_after(invalid, failed, "pncf");
    UNPROTECT(1);
    return result;
}

// dncf(x, df1, df2, ncp, log): the log density of ncf_log_density, and the
// density at 0 from the limits ncf_log_probs states (+Inf for df1 < 2,
// e^(-ncp/2) for df1 = 2, 0 above).
SEXP kelbrant_dncf(SEXP x, SEXP df1, SEXP df2, SEXP ncp, SEXP log_d)
{
    recycled r = recycle({x, df1, df2, ncp});
    int log_scale = Rf_asLogical(log_d);
    SEXP result = PROTECT(Rf_allocVector(REALSXP, r.n));
    double* out = REAL(result);
    int invalid = 0, failed = 0;
    for (R_xlen_t i = 0; i < r.n; ++i) {
        if (missing_element(r, i, &out[i]))
            continue;
        double t = r.at(0, i), n1 = r.at(1, i), n2 = r.at(2, i), lambda = r.at(3, i);
        double w;
        if (!valid_parameters(n1, n2, lambda)) {
            out[i] = R_NaN;
            ++invalid;
            continue;
        }
        if (t < 0.0 || t == infinity)
            w = -infinity;
        else if (t == 0.0)
            w = n1 < 2.0 ? infinity : n1 == 2.0 ? -0.5 * lambda : -infinity;
        else if (ncf_log_density(t, n1, n2, lambda, &w) != 0 || std::isnan(w)) {
            out[i] = R_NaN;
            ++failed;
            continue;
        }
        out[i] = log_scale ? w : std::exp(w);
    }
    warn_after(invalid, failed, "dncf");
    UNPROTECT(1);
    return result;
}

// ncp_ci(f, df1, df2, conf.level, alternative): list(lower, upper, status),
// alternative the ncp_alternative code.
SEXP kelbrant_ncp_ci(SEXP f, SEXP df1, SEXP df2, SEXP confidence, SEXP alternative)
{
    recycled r = recycle({f, df1, df2, confidence});
    int32_t side = Rf_asInteger(alternative);
    SEXP lower = PROTECT(Rf_allocVector(REALSXP, r.n));
    SEXP upper = PROTECT(Rf_allocVector(REALSXP, r.n));
    SEXP status = PROTECT(Rf_allocVector(INTSXP, r.n));
    for (R_xlen_t i = 0; i < r.n; ++i) {
        double lo, hi;
        fnonct_outcome outcome = ncp_interval(r.at(0, i), r.at(1, i), r.at(2, i), r.at(3, i),
                                              side, &lo, &hi);
        bool ok = outcome == fnonct_ok;
        REAL(lower)[i] = ok ? lo : NA_REAL;
        REAL(upper)[i] = ok ? hi : NA_REAL;
        INTEGER(status)[i] = outcome;
    }
    SEXP result = PROTECT(Rf_allocVector(VECSXP, 3));
    SET_VECTOR_ELT(result, 0, lower);
    SET_VECTOR_ELT(result, 1, upper);
    SET_VECTOR_ELT(result, 2, status);
    UNPROTECT(4);
    return result;
}

static const R_CallMethodDef call_methods[] = {
    {"kelbrant_fnonct", reinterpret_cast<DL_FUNC>(&kelbrant_fnonct), 4},
    {"kelbrant_pncf", reinterpret_cast<DL_FUNC>(&kelbrant_pncf), 6},
    {"kelbrant_dncf", reinterpret_cast<DL_FUNC>(&kelbrant_dncf), 5},
    {"kelbrant_ncp_ci", reinterpret_cast<DL_FUNC>(&kelbrant_ncp_ci), 5},
    {nullptr, nullptr, 0},
};

void R_init_kelbrant(DllInfo* info)
{
    R_registerRoutines(info, nullptr, call_methods, nullptr, nullptr);
    R_useDynamicSymbols(info, FALSE);
    R_forceSymbols(info, TRUE);
}

}  // extern "C"
