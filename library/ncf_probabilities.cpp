// ncf_probabilities: P(F' <= x), Q = P(F' > x), ln P, ln Q, the density f(x)
// and ln f(x) of the noncentral F law with df1, df2 degrees of freedom and
// noncentrality ncp, each on request,
//
//     P = sum_(j>=0) e^-lam lam^j / j! I_x'(df1/2 + j, df2/2),  lam = ncp/2,
//     x' = df1 x / (df1 x + df2),
//
// answered wherever the value exists in double (or, for the logarithms,
// wherever the log does), by the one of the module's routines that holds
// it to full relative precision there.
//
// Method.  A tail probability near 1 carries no digits of its complement,
// so each output is taken from a routine that forms it, or its smaller
// companion, directly:
//
// 1. ncf_cdf, the direct Poisson sum, gives P to full relative precision
//    far into the lower tail and is the cheapest route.  Where P <= 1/2 it
//    answers all four probabilities: Q = 1 - P and ln Q = ln(1 - P) lose
//    nothing, and ln P is the log of that P while it is a normal double (a
//    subnormal P has lost digits).  Where P > 1/2 it gives P alone (its
//    absolute error is that of the sum, a few units of 2^-53).
// 2. What is still missing comes from the log-space routines, which keep
//    the smaller tail in logarithms, far below the double range, and form
//    the larger as ln(1 - e^w) = log1p(-e^w): ncf_log_tails, the sum from
//    the Poisson mode (Poisson means to 5e6), and where it fails
//    ncf_log_probs (its summation, or the integration of the numerator's
//    noncentral chi-square density against the gamma tail of the
//    denominator).  P = e^(ln P) and Q = e^(ln Q) from there.  ncf_cdf
//    fails where its step limit (Poisson means beyond a few thousand) or
//    the range of its start terms stops it; this route answers there, e.g.
//    P = 0.491696 at x = 44.0582, df1 = 464.569, df2 = 511.026,
//    ncp = 20005.4.
// 3. Where the log-space routines fail too (degrees of freedom at or below
//    their floor of 2^-10) but ncf_cdf gave P > 1/2, Q = 1 - P is kept only
//    where it is at least 1/16: its relative error is then at most 16 times
//    P's absolute one.  A smaller Q would be a rounding residue; it fails.
// 4. Large designs (df1 or df2 of 1e4 and more) take all four from the
//    log-space routines, whose start ratio is a continued fraction in
//    extended precision, and which give the smaller tail in logarithms
//    where ncf_cdf has only P.  Where ncf_cdf answers too, the two are
//    compared on P, and a disagreement beyond 1e-9 of the smaller tail
//    plus ncf_cdf's own absolute error (1e-11: a fault of one of them, not
//    a rounding) fails the probabilities rather than give either.  The
//    absolute allowance matters where the smaller tail is the upper one:
//    ncf_cdf's P near 1 knows Q only to its own rounding, and at
//    Q = 1.05e-9 (x = 1.41834, df1 = 3.2845e6, df2 = 662.06, ncp = 0.0473)
//    a relative test alone failed a design both routines hold exactly.
//
// The density is e^(ln f) from ncf_log_density (Poisson mixture of beta
// densities summed about its largest term).
//
// The support's ends: at and below x = 0, P = 0 and Q = 1; below 0 the
// density is 0, and at x = 0 it is the limit of the Poisson index 0 term,
// e^(-ncp/2) times the central F density there: +inf for df1 < 2,
// e^(-ncp/2) for df1 = 2 (the central F(2, df2) density at 0 is 1), 0
// above.  At x = +inf, P = 1, Q = 0 and the density is 0.
//
// Accuracy.  ln P and ln Q are those of the routine that answers; P and Q
// taken as e^w add the rounding of w to their relative error, at most
// |w| 2^-53 (7.9e-14 at the bottom of the double range).  Against mpmath
// over 106 rows (tests/library/ncf_probabilities_test.cpp: df to 1e7, ncp
// to 5e4, logs to -1.8e4): P and ln P within 2.0e-13 (ncf_cdf's own error,
// at x = 0.476, df1 = 25, df2 = 7, ncp = 400), Q within 8e-14, ln Q within
// 2.5e-13 plus 2^-52 |ln Q|; the density within 2e-13 plus 2^-49 |ln f|,
// and 3.2e-12 at df1 = 1e7 (ncf_log_density's own).

#include "library/noncentral_f.h"

#include <limits>

#include "library/ncf_log.h"
#include "library/ncf_log_density.h"
#include "ncf/ncf.h"
#include "numeric/constants.h"
#include "numeric/elementary.h"
#include "numeric/primitives.h"

namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();
constexpr double not_a_number = std::numeric_limits<double>::quiet_NaN();

// The smallest complement 1 - P kept when P > 1/2 comes from ncf_cdf alone
// (step 3 of the method): 1/16.
constexpr double min_kept_complement = 0x1p-4;

// Degrees of freedom from which a design counts as large (step 4 of the
// method): 1e4.
constexpr double large_degrees = 1e4;

// The disagreement of ncf_cdf's P with the log-space routines beyond which
// a large design fails: 1e-9 of the smaller tail, relative, plus 1e-11
// absolute, ten times ncf_cdf's largest absolute error on its reference
// tables (3e-12, Poisson means of 250 and more).  Either is far above a
// rounding and far below a fault.
constexpr double max_disagreement = 1e-9;
constexpr double cdf_absolute_error = 1e-11;

constexpr int32_t probability_requests =
    ncf_want_lower | ncf_want_upper | ncf_want_log_lower | ncf_want_log_upper;
constexpr int32_t density_requests = ncf_want_density | ncf_want_log_density;

// e^w for w <= 0, 0 at w = -inf (exp_fast checks nothing).
double exp_of_log(double w)
{
    return w == -infinity ? 0.0 : exp_fast(w);
}

// The log-space routines' -DBL_MAX for ln 0 read as -inf.
double log_value(double w)
{
    return w == -max_double ? -infinity : w;
}

// ln P and ln Q from the log-space routines: the sum from the Poisson mode,
// else ncf_log_probs.  False when neither answers.
bool log_tails(double x, double df1, double df2, double ncp, double* log_lower,
               double* log_upper)
{
    if (ncf_log_tails(x, df1, df2, ncp, log_lower, log_upper) == 0)
        return true;
    ncf_log_record record{};
    record.x = x;
    record.n1 = df1;
    record.n2 = df2;
    record.lambda = ncp;
    record.requests = ncf_log_want_probabilities;
    record.tolerance = 0.0;  // raised to the routine's floor
    if (ncf_log_probs(&record) != 0)
        return false;
    *log_lower = log_value(record.log_lower);
    *log_upper = log_value(record.log_upper);
    return *log_lower <= 0.0 && *log_upper <= 0.0;
}

// The four probabilities from the log-space routines, for a large design
// (step 4 of the method).  None where they fail or ncf_cdf contradicts them.
void large_design_probabilities(double x, double df1, double df2, double ncp, ncf_values* out)
{
    double log_lower, log_upper;
    if (!log_tails(x, df1, df2, ncp, &log_lower, &log_upper))
        return;
    double lower = exp_of_log(log_lower), upper = exp_of_log(log_upper);
    double p;
    if (ncf_cdf(x, df1, df2, ncp, &p) == 0 && p >= 0.0 && p <= 1.0) {
        double smaller = lower < upper ? lower : upper;
        if (elem_abs(p - lower) > max_disagreement * smaller + cdf_absolute_error)
            return;
    }
    out->lower = lower;
    out->upper = upper;
    out->log_lower = log_lower;
    out->log_upper = log_upper;
}

// The four probabilities for 0 < x < inf.
void interior_probabilities(double x, double df1, double df2, double ncp, int32_t requests,
                            ncf_values* out)
{
    if (df1 >= large_degrees || df2 >= large_degrees) {
        large_design_probabilities(x, df1, df2, ncp, out);
        return;
    }
    double p;
    bool direct = ncf_cdf(x, df1, df2, ncp, &p) == 0 && p >= 0.0 && p <= 1.0;
    if (direct) {
        out->lower = p;
        if (p <= 0.5) {
            out->upper = 1.0 - p;
            out->log_upper = log1p_rel(-p);
            if (p >= min_normal)
                out->log_lower = elem_ln(p);
        }
    }
    bool missing = ((requests & ncf_want_upper) && out->upper != out->upper)
                   || ((requests & ncf_want_log_lower) && out->log_lower != out->log_lower)
                   || ((requests & ncf_want_log_upper) && out->log_upper != out->log_upper)
                   || ((requests & ncf_want_lower) && !direct);
    if (!missing)
        return;
    double log_lower, log_upper;
    if (log_tails(x, df1, df2, ncp, &log_lower, &log_upper)) {
        if (!direct)
            out->lower = exp_of_log(log_lower);
        if (out->log_lower != out->log_lower)
            out->log_lower = log_lower;
        if (out->log_upper != out->log_upper) {
            out->log_upper = log_upper;
            out->upper = exp_of_log(log_upper);
        }
    } else if (direct && p > 0.5 && 1.0 - p >= min_kept_complement) {
        out->upper = 1.0 - p;
        out->log_upper = elem_ln(1.0 - p);
        out->log_lower = log1p_rel(-(1.0 - p));
    }
}

// f(x) and ln f(x) for x >= 0 finite.
void interior_density(double x, double df1, double df2, double ncp, ncf_values* out)
{
    double w;
    if (x == 0.0)
        w = df1 < 2.0 ? infinity : df1 == 2.0 ? -0.5 * ncp : -infinity;
    else if (ncf_log_density(x, df1, df2, ncp, &w) != 0 || w != w)
        return;
    out->log_density = w;
    out->density = w == infinity ? infinity : exp_of_log(w);
}

}  // namespace

int32_t ncf_probabilities(double x, double df1, double df2, double ncp, int32_t requests,
                          ncf_values* out)
{
    *out = ncf_values{not_a_number, not_a_number, not_a_number,
                      not_a_number, not_a_number, not_a_number};
    if (!(df1 > 0.0 && df1 < infinity) || !(df2 > 0.0 && df2 < infinity)
        || !(ncp >= 0.0 && ncp < infinity) || x != x)
        return ncf_values_invalid;

    if (requests & probability_requests) {
        if (x <= 0.0 || x == infinity) {
            bool below = x <= 0.0;
            out->lower = below ? 0.0 : 1.0;
            out->upper = below ? 1.0 : 0.0;
            out->log_lower = below ? -infinity : 0.0;
            out->log_upper = below ? 0.0 : -infinity;
        } else {
            interior_probabilities(x, df1, df2, ncp, requests, out);
        }
    }
    if (requests & density_requests) {
        if (x < 0.0 || x == infinity) {
            out->density = 0.0;
            out->log_density = -infinity;
        } else {
            interior_density(x, df1, df2, ncp, out);
        }
    }

    double* field[] = {&out->lower,     &out->upper,   &out->log_lower,
                             &out->log_upper, &out->density, &out->log_density};
    int32_t status = ncf_values_ok;
    for (int32_t i = 0; i < 6; ++i) {
        if (!(requests & (1 << i)))
            *field[i] = not_a_number;
        else if (*field[i] != *field[i])
            status = ncf_values_failed;
    }
    return status;
}
