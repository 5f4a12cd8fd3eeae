// The R package's entry points: each converts R vectors, recycles them by
// R's rules (the longest length; none when any is empty) and calls the
// module's own routines element by element.  No numerics of their own: the
// routines choose their methods and give the support's ends themselves.
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

#include "design/design.h"
#include "fnonct/fnonct_solve.h"
#include "library/noncentral_f.h"
#include "library/quantiles.h"
#include "ncx2/ncx2.h"
#include "nct/nct.h"
#include "numeric/elementary.h"

namespace {

// The arguments of one call, recycled.
struct recycled {
    int count;            // number of arguments
    const double* v[6];   // their data
    R_xlen_t length[6];
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

// The two warnings, raised after the loop: parameters out of their domain
// (base R's wording), and elements the routines could not answer.
void warn_after(int invalid, int failed, const char* routine)
{
    if (invalid > 0)
        Rf_warning("NaNs produced");
    if (failed > 0)
        Rf_warning("%s: no value for %d element(s); NaN returned", routine, failed);
}

// The probability and tail a quantile routine is given for R's p,
// lower.tail and log.p, as R's own quantile functions read them: on the
// log scale a p above -ln 2 is given as the other tail's -expm1(p), so
// that a log probability near 0 (a probability near 1) loses nothing.
// False for a p outside [0, 1] (or above 0 on the log scale).
bool quantile_probability(double p, int lower_tail, int log_p, double* prob, int32_t* tail)
{
    bool lower = lower_tail != 0;
    if (log_p) {
        if (p > 0.0)
            return false;
        if (p > -static_cast<double>(elem_ln2_ext)) {
            *prob = -std::expm1(p);
            lower = !lower;
        } else {
            *prob = std::exp(p);
        }
    } else {
        if (!(p >= 0.0 && p <= 1.0))
            return false;
        *prob = p;
    }
    *tail = lower ? quantile_lower_tail : quantile_upper_tail;
    return true;
}

// A routine's value over recycled arguments: element(r, i, &out[i]) gives
// the status of element i, 0 for a value, 1 for arguments outside the
// domain (NaN with R's "NaNs produced" warning), anything else for no
// answer (NaN with a warning of its own).  The quantiles',
// ncf_probabilities', the noncentral t's and the designs' statuses have
// these values.
template <typename Element>
SEXP status_vector(std::initializer_list<SEXP> args, const char* name, Element element)
{
    recycled r = recycle(args);
    SEXP result = PROTECT(Rf_allocVector(REALSXP, r.n));
    double* out = REAL(result);
    int invalid = 0, failed = 0;
    for (R_xlen_t i = 0; i < r.n; ++i) {
        if (missing_element(r, i, &out[i]))
            continue;
        int32_t status = element(r, i, &out[i]);
        if (status != 0) {
            out[i] = R_NaN;
            ++(status == 1 ? invalid : failed);
        }
    }
    warn_after(invalid, failed, name);
    UNPROTECT(1);
    return result;
}

static_assert(quantile_ok == 0 && quantile_invalid == 1 && ncf_values_ok == 0
                  && ncf_values_invalid == 1 && nct_ok == 0 && nct_invalid == 1
                  && design_ok == 0 && design_invalid == 1,
              "status_vector reads 0 as a value and 1 as outside the domain");

// A quantile over recycled (p, parameters...): quantile(prob, tail,
// element, &x) gives the routine's status; p is read by R's quantile
// conventions first.
template <typename Quantile>
SEXP quantile_vector(std::initializer_list<SEXP> args, SEXP lower_tail, SEXP log_p,
                     const char* name, Quantile quantile)
{
    int lower = Rf_asLogical(lower_tail), log_scale = Rf_asLogical(log_p);
    return status_vector(args, name, [&](const recycled& r, R_xlen_t i, double* x) {
        double prob;
        int32_t tail;
        if (!quantile_probability(r.at(0, i), lower, log_scale, &prob, &tail))
            return quantile_invalid;
        return quantile(prob, tail, r, i, x);
    });
}

// Columns of a routine's answers over recycled arguments:
// list(column 1, ..., column m, status).  row(element, values, &status)
// fills the m values and the status code and tells whether the values
// stand; where they do not the element's columns are NA.
template <int m, typename Row>
SEXP columns_list(std::initializer_list<SEXP> args, Row row)
{
    recycled r = recycle(args);
    SEXP result = PROTECT(Rf_allocVector(VECSXP, m + 1));
    double* column[m];
    for (int k = 0; k < m; ++k) {
        SET_VECTOR_ELT(result, k, Rf_allocVector(REALSXP, r.n));
        column[k] = REAL(VECTOR_ELT(result, k));
    }
    SET_VECTOR_ELT(result, m, Rf_allocVector(INTSXP, r.n));
    int* status = INTEGER(VECTOR_ELT(result, m));
    for (R_xlen_t i = 0; i < r.n; ++i) {
        double values[m];
        int code;
        bool ok = row(r, i, values, &code);
        for (int k = 0; k < m; ++k)
            column[k][i] = ok ? values[k] : NA_REAL;
        status[i] = code;
    }
    UNPROTECT(1);
    return result;
}

// The smallest whole sample size of a design over recycled arguments:
// list(size, achieved power, status), status the design_outcome code (NA
// for an element with a missing argument, whose size and power are NA).
// solve(element, &size, &achieved) gives the outcome.
template <typename Solve>
SEXP size_list(std::initializer_list<SEXP> args, Solve solve)
{
    return columns_list<2>(args, [&](const recycled& r, R_xlen_t i, double* values, int* code) {
        double missing;
        if (missing_element(r, i, &missing)) {
            *code = NA_INTEGER;
            return false;
        }
        design_outcome outcome = solve(r, i, &values[0], &values[1]);
        *code = outcome;
        return outcome == design_ok;
    });
}

// One output of ncf_probabilities over recycled (x, df1, df2, ncp).
SEXP ncf_vector(SEXP x, SEXP df1, SEXP df2, SEXP ncp, int32_t request,
                double ncf_values::*field, const char* name)
{
    return status_vector({x, df1, df2, ncp}, name, [&](const recycled& r, R_xlen_t i, double* out) {
        ncf_values v;
        int32_t status = ncf_probabilities(r.at(0, i), r.at(1, i), r.at(2, i), r.at(3, i), request, &v);
        *out = v.*field;
        return status;
    });
}

constexpr double unknown = std::numeric_limits<double>::quiet_NaN();

// The noncentral chi-square's parameters: finite df > 0 and ncp >= 0 (the
// routines' own range, df in (2^-10, 2147483647] and ncp <= 1e7, is theirs
// to reject: NaN with the "no value" warning).
bool valid_chisq_parameters(double df, double ncp)
{
    return df > 0.0 && ncp >= 0.0 && std::isfinite(df) && std::isfinite(ncp);
}

// The noncentral chi-square quantile in f_quantile's shape: (prob, tail,
// df, ncp).
int32_t ncx2_quantile_of(double prob, int32_t tail, double df, double ncp, double* x)
{
    if (!valid_chisq_parameters(df, ncp))
        return quantile_invalid;
    return ncx2_quantile(prob, tail, df, ncp, x) == 0 ? quantile_ok : quantile_not_converged;
}

}  // namespace

extern "C" {

// fnonct(x, df1, df2, p): list(lambda, status), status the fnonct_outcome
// code of every element (lambda is NA unless it is fnonct_ok).
SEXP kelbrant_fnonct(SEXP x, SEXP df1, SEXP df2, SEXP p)
{
    return columns_list<1>({x, df1, df2, p}, [](const recycled& r, R_xlen_t i, double* root, int* code) {
        fnonct_outcome outcome = fnonct_solve(r.at(0, i), r.at(1, i), r.at(2, i), r.at(3, i), root);
        *code = outcome;
        return outcome == fnonct_ok;
    });
}

// pncf(q, df1, df2, ncp, lower.tail, log.p).
SEXP kelbrant_pncf(SEXP q, SEXP df1, SEXP df2, SEXP ncp, SEXP lower_tail, SEXP log_p)
{
    bool lower = Rf_asLogical(lower_tail) != 0, log_scale = Rf_asLogical(log_p) != 0;
    if (lower)
        return log_scale ? ncf_vector(q, df1, df2, ncp, ncf_want_log_lower, &ncf_values::log_lower, "pncf")
                         : ncf_vector(q, df1, df2, ncp, ncf_want_lower, &ncf_values::lower, "pncf");
    return log_scale ? ncf_vector(q, df1, df2, ncp, ncf_want_log_upper, &ncf_values::log_upper, "pncf")
                     : ncf_vector(q, df1, df2, ncp, ncf_want_upper, &ncf_values::upper, "pncf");
}

// dncf(x, df1, df2, ncp, log).
SEXP kelbrant_dncf(SEXP x, SEXP df1, SEXP df2, SEXP ncp, SEXP log_d)
{
    if (Rf_asLogical(log_d))
        return ncf_vector(x, df1, df2, ncp, ncf_want_log_density, &ncf_values::log_density, "dncf");
    return ncf_vector(x, df1, df2, ncp, ncf_want_density, &ncf_values::density, "dncf");
}

// ncp_ci(f, df1, df2, conf.level, alternative): list(lower, upper, status),
// alternative the ncp_alternative code.
SEXP kelbrant_ncp_ci(SEXP f, SEXP df1, SEXP df2, SEXP confidence, SEXP alternative)
{
    int32_t side = Rf_asInteger(alternative);
    return columns_list<2>({f, df1, df2, confidence},
                           [side](const recycled& r, R_xlen_t i, double* limits, int* code) {
                               fnonct_outcome outcome =
                                   ncp_interval(r.at(0, i), r.at(1, i), r.at(2, i), r.at(3, i),
                                                side, &limits[0], &limits[1]);
                               *code = outcome;
                               return outcome == fnonct_ok;
                           });
}

// qf_exact(p, df1, df2, lower.tail, log.p): the central F quantile.
SEXP kelbrant_qf(SEXP p, SEXP df1, SEXP df2, SEXP lower_tail, SEXP log_p)
{
    return quantile_vector({p, df1, df2}, lower_tail, log_p, "qf_exact",
                           [](double prob, int32_t tail, const recycled& r, R_xlen_t i, double* x) {
                               return f_quantile(prob, tail, r.at(1, i), r.at(2, i), x);
                           });
}

// qbeta_exact(p, shape1, shape2, lower.tail, log.p): the inverse of the
// regularized incomplete beta ratio.
SEXP kelbrant_qbeta(SEXP p, SEXP shape1, SEXP shape2, SEXP lower_tail, SEXP log_p)
{
    return quantile_vector({p, shape1, shape2}, lower_tail, log_p, "qbeta_exact",
                           [](double prob, int32_t tail, const recycled& r, R_xlen_t i, double* x) {
                               double y;
                               return beta_inc_inverse(prob, tail, r.at(1, i), r.at(2, i), x, &y);
                           });
}

// qncf(p, df1, df2, ncp, lower.tail, log.p): the noncentral F quantile.
SEXP kelbrant_qncf(SEXP p, SEXP df1, SEXP df2, SEXP ncp, SEXP lower_tail, SEXP log_p)
{
    return quantile_vector({p, df1, df2, ncp}, lower_tail, log_p, "qncf",
                           [](double prob, int32_t tail, const recycled& r, R_xlen_t i, double* x) {
                               return ncf_quantile(prob, tail, r.at(1, i), r.at(2, i), r.at(3, i), x);
                           });
}

// power_f_test(df1, df2, ncp, sig.level).
SEXP kelbrant_power_f_test(SEXP df1, SEXP df2, SEXP ncp, SEXP alpha)
{
    return status_vector({df1, df2, ncp, alpha}, "power_f_test",
                        [](const recycled& r, R_xlen_t i, double* power) {
                            return f_test_power(r.at(0, i), r.at(1, i), r.at(2, i), r.at(3, i),
                                                power);
                        });
}

// power_f2(u, v, f2, sig.level).
SEXP kelbrant_power_f2(SEXP u, SEXP v, SEXP f2, SEXP alpha)
{
    return status_vector({u, v, f2, alpha}, "power_f2",
                        [](const recycled& r, R_xlen_t i, double* power) {
                            f2_design d{r.at(0, i), r.at(1, i), r.at(2, i), r.at(3, i), unknown,
                                        0.0};
                            design_outcome outcome = solve_f2_design(&d);
                            *power = d.power;
                            return outcome;
                        });
}

// power_anova(k, n, f, sig.level).
SEXP kelbrant_power_anova(SEXP k, SEXP n, SEXP f, SEXP alpha)
{
    return status_vector({k, n, f, alpha}, "power_anova",
                        [](const recycled& r, R_xlen_t i, double* power) {
                            anova_design d{r.at(0, i), r.at(1, i), r.at(2, i), r.at(3, i),
                                           unknown, 0.0};
                            design_outcome outcome = solve_anova_design(&d);
                            *power = d.power;
                            return outcome;
                        });
}

// sample_size_f2(u, f2, power, sig.level): list(v, achieved power, status).
SEXP kelbrant_sample_size_f2(SEXP u, SEXP f2, SEXP power, SEXP alpha)
{
    return size_list({u, f2, power, alpha},
                     [](const recycled& r, R_xlen_t i, double* v, double* achieved) {
                         f2_design d{r.at(0, i), unknown, r.at(1, i), r.at(3, i), r.at(2, i),
                                     0.0};
                         design_outcome outcome = solve_f2_design(&d);
                         *v = d.v;
                         *achieved = d.achieved;
                         return outcome;
                     });
}

// sample_size_anova(k, f, power, sig.level): list(n, achieved power, status).
SEXP kelbrant_sample_size_anova(SEXP k, SEXP f, SEXP power, SEXP alpha)
{
    return size_list({k, f, power, alpha},
                     [](const recycled& r, R_xlen_t i, double* n, double* achieved) {
                         anova_design d{r.at(0, i), unknown, r.at(1, i), r.at(3, i), r.at(2, i),
                                        0.0};
                         design_outcome outcome = solve_anova_design(&d);
                         *n = d.n;
                         *achieved = d.achieved;
                         return outcome;
                     });
}

// pnct(q, df, ncp, lower.tail, log.p): both tails of nct_log_cdf, each to
// its own relative precision; df = Inf is the normal law.
SEXP kelbrant_pnct(SEXP q, SEXP df, SEXP ncp, SEXP lower_tail, SEXP log_p)
{
    int lower = Rf_asLogical(lower_tail), log_scale = Rf_asLogical(log_p);
    return status_vector({q, df, ncp}, "pnct", [&](const recycled& r, R_xlen_t i, double* out) {
        double log_lower, log_upper;
        int32_t status = nct_log_cdf(r.at(0, i), r.at(1, i), r.at(2, i), &log_lower, &log_upper);
        double w = lower ? log_lower : log_upper;
        *out = log_scale ? w : std::exp(w);
        return status;
    });
}

// dnct(x, df, ncp, log).
SEXP kelbrant_dnct(SEXP x, SEXP df, SEXP ncp, SEXP log_d)
{
    int log_scale = Rf_asLogical(log_d);
    return status_vector({x, df, ncp}, "dnct", [&](const recycled& r, R_xlen_t i, double* out) {
        double w;
        int32_t status = nct_log_density(r.at(0, i), r.at(1, i), r.at(2, i), &w);
        *out = log_scale ? w : std::exp(w);
        return status;
    });
}

// qnct(p, df, ncp, lower.tail, log.p).
SEXP kelbrant_qnct(SEXP p, SEXP df, SEXP ncp, SEXP lower_tail, SEXP log_p)
{
    return quantile_vector({p, df, ncp}, lower_tail, log_p, "qnct",
                           [](double prob, int32_t tail, const recycled& r, R_xlen_t i, double* x) {
                               return nct_quantile(prob, tail, r.at(1, i), r.at(2, i), x);
                           });
}

// nct_ncp(t, df, p, lower.tail): delta, NaN with a warning where there is none.
SEXP kelbrant_nct_ncp(SEXP t, SEXP df, SEXP p, SEXP lower_tail)
{
    int32_t tail = Rf_asLogical(lower_tail) ? nct_lower_tail : nct_upper_tail;
    return status_vector({t, df, p}, "nct_ncp", [tail](const recycled& r, R_xlen_t i, double* out) {
        return nct_ncp(r.at(0, i), r.at(1, i), r.at(2, i), tail, out);
    });
}

// cohens_d_ci(t, df, n1, n2, conf.level, alternative): list(delta lower,
// delta upper, d, d lower, d upper, g, g lower, g upper, status).
SEXP kelbrant_d_ci(SEXP t, SEXP df, SEXP n1, SEXP n2, SEXP confidence, SEXP alternative)
{
    int32_t side = Rf_asInteger(alternative);
    return columns_list<8>({t, df, n1, n2, confidence},
                           [side](const recycled& r, R_xlen_t i, double* values, int* code) {
                               if (ISNA(r.at(0, i)) || ISNA(r.at(1, i)) || ISNA(r.at(4, i))) {
                                   *code = NA_INTEGER;
                                   return false;
                               }
                               d_interval v;
                               design_outcome outcome =
                                   cohens_d_interval(r.at(0, i), r.at(1, i), r.at(2, i),
                                                     r.at(3, i), r.at(4, i), side, &v);
                               const double all[8] = {v.delta_lower, v.delta_upper, v.d,
                                                      v.d_lower, v.d_upper, v.g, v.g_lower,
                                                      v.g_upper};
                               for (int k = 0; k < 8; ++k)
                                   values[k] = all[k];
                               *code = outcome;
                               return outcome == design_ok;
                           });
}

// power_t_test(n, n2, d, sig.level, type, alternative): type 0 one sample,
// 1 two samples, 2 pairs (pwr.t.test; n2 is not read), 3 two groups of n
// and n2 (pwr.t2n.test).
SEXP kelbrant_power_t(SEXP n, SEXP n2, SEXP d, SEXP alpha, SEXP type, SEXP alternative)
{
    int32_t kind = Rf_asInteger(type), side = Rf_asInteger(alternative);
    return status_vector({n, n2, d, alpha}, "power_t_test",
                        [kind, side](const recycled& r, R_xlen_t i, double* power) {
                            design_outcome outcome;
                            if (kind == 3) {
                                t2n_design t{side, r.at(0, i), r.at(1, i), r.at(2, i), r.at(3, i),
                                             unknown, 0.0};
                                outcome = solve_t2n_design(&t);
                                *power = t.power;
                            } else {
                                t_design t{kind, side, r.at(0, i), r.at(2, i), r.at(3, i),
                                           unknown, 0.0};
                                outcome = solve_t_design(&t);
                                *power = t.power;
                            }
                            return outcome;
                        });
}

// sample_size_t_test(n1, d, power, sig.level, type, alternative):
// list(n, achieved power, status); type 3 asks for n2 of two groups with
// n1 given (n1 is not read otherwise).
SEXP kelbrant_sample_size_t(SEXP n1, SEXP d, SEXP power, SEXP alpha, SEXP type, SEXP alternative)
{
    int32_t kind = Rf_asInteger(type), side = Rf_asInteger(alternative);
    return size_list({d, power, alpha, n1},
                     [kind, side](const recycled& r, R_xlen_t i, double* n, double* achieved) {
                         design_outcome outcome;
                         if (kind == 3) {
                             t2n_design t{side, r.at(3, i), unknown, r.at(0, i), r.at(2, i),
                                          r.at(1, i), 0.0};
                             outcome = solve_t2n_design(&t);
                             *n = t.n2;
                             *achieved = t.achieved;
                         } else {
                             t_design t{kind, side, unknown, r.at(0, i), r.at(2, i), r.at(1, i),
                                        0.0};
                             outcome = solve_t_design(&t);
                             *n = t.n;
                             *achieved = t.achieved;
                         }
                         return outcome;
                     });
}

// pnchisq(q, df, ncp, lower.tail, log.p): both tails from the log-space
// sum, each formed directly.
SEXP kelbrant_pnchisq(SEXP q, SEXP df, SEXP ncp, SEXP lower_tail, SEXP log_p)
{
    int lower = Rf_asLogical(lower_tail), log_scale = Rf_asLogical(log_p);
    return status_vector({q, df, ncp}, "pnchisq", [&](const recycled& r, R_xlen_t i, double* out) {
        double log_lower, log_upper;
        if (!valid_chisq_parameters(r.at(1, i), r.at(2, i)))
            return 1;
        if (ncx2_log_tails(r.at(0, i), r.at(1, i), r.at(2, i), &log_lower, &log_upper) != 0)
            return 2;
        double w = lower ? log_lower : log_upper;
        *out = log_scale ? w : std::exp(w);
        return 0;
    });
}

// dnchisq(x, df, ncp, log).
SEXP kelbrant_dnchisq(SEXP x, SEXP df, SEXP ncp, SEXP log_d)
{
    int log_scale = Rf_asLogical(log_d);
    return status_vector({x, df, ncp}, "dnchisq", [&](const recycled& r, R_xlen_t i, double* out) {
        double w;
        if (!valid_chisq_parameters(r.at(1, i), r.at(2, i)))
            return 1;
        if (ncx2_log_density(r.at(0, i), r.at(1, i), r.at(2, i), &w) != 0)
            return 2;
        *out = log_scale ? w : std::exp(w);
        return 0;
    });
}

// qnchisq(p, df, ncp, lower.tail, log.p).
SEXP kelbrant_qnchisq(SEXP p, SEXP df, SEXP ncp, SEXP lower_tail, SEXP log_p)
{
    return quantile_vector({p, df, ncp}, lower_tail, log_p, "qnchisq",
                           [](double prob, int32_t tail, const recycled& r, R_xlen_t i, double* x) {
                               return ncx2_quantile_of(prob, tail, r.at(1, i), r.at(2, i), x);
                           });
}

// nchisq_ncp(x, df, p): list(lambda, status), status the fnonct_outcome code.
SEXP kelbrant_nchisq_ncp(SEXP x, SEXP df, SEXP p)
{
    return columns_list<1>({x, df, p}, [](const recycled& r, R_xlen_t i, double* root, int* code) {
        int32_t outcome = chisq_ncp_solve(r.at(0, i), r.at(1, i), r.at(2, i), root);
        *code = outcome;
        return outcome == fnonct_ok;
    });
}

// The chi-square intervals: (chisq, df, n, nrow, ncol, conf.level) with the
// alternative, the RMSEA divisor and the quantity (0 lambda, 1 RMSEA, 2 w,
// 3 Cramer's V): list(estimate, lower, upper, status).
SEXP kelbrant_chisq_ci(SEXP chisq, SEXP df, SEXP n, SEXP rows, SEXP cols, SEXP confidence,
                       SEXP alternative, SEXP divisor, SEXP quantity)
{
    int32_t side = Rf_asInteger(alternative), convention = Rf_asInteger(divisor);
    int which = Rf_asInteger(quantity);
    return columns_list<3>({chisq, df, n, rows, cols, confidence},
                           [=](const recycled& r, R_xlen_t i, double* values, int* code) {
                               chisq_effect_interval e;
                               int32_t outcome = chisq_effect_size_interval(
                                   r.at(0, i), r.at(1, i), r.at(2, i), r.at(3, i), r.at(4, i),
                                   r.at(5, i), side, convention, &e);
                               const double all[][3] = {
                                   {e.lambda_estimate, e.lambda_lower, e.lambda_upper},
                                   {e.rmsea_estimate, e.rmsea_lower, e.rmsea_upper},
                                   {e.w_estimate, e.w_lower, e.w_upper},
                                   {e.v_estimate, e.v_lower, e.v_upper}};
                               *code = outcome;
                               if (!(outcome == fnonct_ok && which >= 0 && which <= 3))
                                   return false;
                               for (int k = 0; k < 3; ++k)
                                   values[k] = all[which][k];
                               return true;
                           });
}

// power_chisq_test(w, n, df, sig.level).
SEXP kelbrant_power_chisq_test(SEXP w, SEXP n, SEXP df, SEXP alpha)
{
    return status_vector({w, n, df, alpha}, "power_chisq_test",
                        [](const recycled& r, R_xlen_t i, double* power) {
                            chisq_design d{r.at(0, i), r.at(1, i), r.at(2, i), r.at(3, i),
                                           unknown, 0.0};
                            design_outcome outcome = solve_chisq_design(&d);
                            *power = d.power;
                            return outcome;
                        });
}

// sample_size_chisq_test(w, df, power, sig.level): list(n, power, status).
SEXP kelbrant_sample_size_chisq_test(SEXP w, SEXP df, SEXP power, SEXP alpha)
{
    return size_list({w, df, power, alpha},
                     [](const recycled& r, R_xlen_t i, double* n, double* achieved) {
                         chisq_design d{r.at(0, i), unknown, r.at(1, i), r.at(3, i), r.at(2, i),
                                        0.0};
                         design_outcome outcome = solve_chisq_design(&d);
                         *n = d.n;
                         *achieved = d.achieved;
                         return outcome;
                     });
}

static const R_CallMethodDef call_methods[] = {
    {"kelbrant_pnchisq", reinterpret_cast<DL_FUNC>(&kelbrant_pnchisq), 5},
    {"kelbrant_dnchisq", reinterpret_cast<DL_FUNC>(&kelbrant_dnchisq), 4},
    {"kelbrant_qnchisq", reinterpret_cast<DL_FUNC>(&kelbrant_qnchisq), 5},
    {"kelbrant_nchisq_ncp", reinterpret_cast<DL_FUNC>(&kelbrant_nchisq_ncp), 3},
    {"kelbrant_chisq_ci", reinterpret_cast<DL_FUNC>(&kelbrant_chisq_ci), 9},
    {"kelbrant_power_chisq_test", reinterpret_cast<DL_FUNC>(&kelbrant_power_chisq_test), 4},
    {"kelbrant_sample_size_chisq_test",
     reinterpret_cast<DL_FUNC>(&kelbrant_sample_size_chisq_test), 4},
    {"kelbrant_fnonct", reinterpret_cast<DL_FUNC>(&kelbrant_fnonct), 4},
    {"kelbrant_pncf", reinterpret_cast<DL_FUNC>(&kelbrant_pncf), 6},
    {"kelbrant_dncf", reinterpret_cast<DL_FUNC>(&kelbrant_dncf), 5},
    {"kelbrant_qncf", reinterpret_cast<DL_FUNC>(&kelbrant_qncf), 6},
    {"kelbrant_ncp_ci", reinterpret_cast<DL_FUNC>(&kelbrant_ncp_ci), 5},
    {"kelbrant_qf", reinterpret_cast<DL_FUNC>(&kelbrant_qf), 5},
    {"kelbrant_qbeta", reinterpret_cast<DL_FUNC>(&kelbrant_qbeta), 5},
    {"kelbrant_power_f_test", reinterpret_cast<DL_FUNC>(&kelbrant_power_f_test), 4},
    {"kelbrant_power_f2", reinterpret_cast<DL_FUNC>(&kelbrant_power_f2), 4},
    {"kelbrant_power_anova", reinterpret_cast<DL_FUNC>(&kelbrant_power_anova), 4},
    {"kelbrant_sample_size_f2", reinterpret_cast<DL_FUNC>(&kelbrant_sample_size_f2), 4},
    {"kelbrant_sample_size_anova", reinterpret_cast<DL_FUNC>(&kelbrant_sample_size_anova), 4},
    {"kelbrant_pnct", reinterpret_cast<DL_FUNC>(&kelbrant_pnct), 5},
    {"kelbrant_dnct", reinterpret_cast<DL_FUNC>(&kelbrant_dnct), 4},
    {"kelbrant_qnct", reinterpret_cast<DL_FUNC>(&kelbrant_qnct), 5},
    {"kelbrant_nct_ncp", reinterpret_cast<DL_FUNC>(&kelbrant_nct_ncp), 4},
    {"kelbrant_d_ci", reinterpret_cast<DL_FUNC>(&kelbrant_d_ci), 6},
    {"kelbrant_power_t", reinterpret_cast<DL_FUNC>(&kelbrant_power_t), 6},
    {"kelbrant_sample_size_t", reinterpret_cast<DL_FUNC>(&kelbrant_sample_size_t), 6},
    {nullptr, nullptr, 0},
};

void R_init_kelbrant(DllInfo* info)
{
    R_registerRoutines(info, nullptr, call_methods, nullptr, nullptr);
    R_useDynamicSymbols(info, FALSE);
    R_forceSymbols(info, TRUE);
}

}  // extern "C"
