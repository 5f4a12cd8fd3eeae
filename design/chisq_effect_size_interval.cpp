// chisq_ncp_solve, chisq_ncp_interval and chisq_effect_size_interval: the
// noncentral chi-square inversion on plain doubles, the confidence interval
// for the noncentrality behind an observed chi-square (the
// confidence-interval transformation of Steiger 2004, Psychological
// Methods 9, 164-182, as ncp_interval applies it to F), and the effect
// sizes that are monotone maps of it:
//
//     RMSEA = sqrt(lambda / (df (N - 1)))      (Steiger and Lind 1980;
//                                               Browne and Cudeck 1993),
//     w = phi = sqrt(lambda / N),  V = sqrt(lambda / (N (min(r, c) - 1)))
//                                              (Cohen 1988, ch. 7; Cramer 1946).
//
// P(X <= chi2; df, lambda) falls from its central value as lambda grows, so
// the lambda with P = 1 - alpha is the lower limit and the one with
// P = alpha the upper; where the central probability is already below a
// limit's probability the limit is 0.

#include "design/design.h"

#include <cmath>
#include <limits>

#include "fnonct/fnonct_solve.h"
#include "ncx2/ncx2.h"

namespace {

constexpr double not_a_number = std::numeric_limits<double>::quiet_NaN();

// One limit: the root of P(X <= chi2; df, lambda) = p, or 0 where p
// exceeds the central probability.  The probability is given in the tail
// that keeps it exact: p itself for p <= 1/2, else its complement q.
fnonct_outcome limit_at(double chi2, double df, double p, double q, double* limit)
{
    double lambda;
    int32_t status = p <= 0.5 ? ncx2_ncp(chi2, df, p, ncx2_lower_tail, &lambda, nullptr)
                              : ncx2_ncp(chi2, df, q, ncx2_upper_tail, &lambda, nullptr);
    if (status == ncx2_ncp_found) {
        *limit = lambda;
        return fnonct_ok;
    }
    if (status == ncx2_ncp_no_root) {
        *limit = 0.0;
        return fnonct_ok;
    }
    *limit = not_a_number;
    return fnonct_failed;
}

bool whole_at_least_2(double v) { return v >= 2.0 && v <= 2147483647.0 && std::floor(v) == v; }

// sqrt(lambda / scale), +inf for an infinite limit.
double root_of(double lambda, double scale) { return std::sqrt(lambda / scale); }

}  // namespace

int32_t chisq_ncp_solve(double x, double df, double p, double* lambda)
{
    *lambda = not_a_number;
    if (std::isnan(x) || std::isnan(df) || std::isnan(p))
        return fnonct_missing;
    double root;
    switch (ncx2_ncp(x, df, p, ncx2_lower_tail, &root, nullptr)) {
    case ncx2_ncp_found:
        *lambda = root;
        return fnonct_ok;
    case ncx2_ncp_no_root:
        return fnonct_no_root;
    case ncx2_ncp_failed:
        return fnonct_failed;
    default:
        return fnonct_invalid;
    }
}

int32_t chisq_ncp_interval(double chi2, double df, double confidence, int32_t alternative,
                           double* lower, double* upper)
{
    *lower = not_a_number;
    *upper = not_a_number;
    if (std::isnan(chi2) || std::isnan(df) || std::isnan(confidence))
        return fnonct_missing;
    double alpha;
    if (!(chi2 >= 0.0) || !(df > 0x1p-10 && df <= 2147483647.0)
        || !confidence_tail_area(confidence, alternative, &alpha))
        return fnonct_invalid;
    double lo = 0.0;
    double hi = std::numeric_limits<double>::infinity();
    if (alternative != ncp_less && limit_at(chi2, df, 1.0 - alpha, alpha, &lo) != fnonct_ok)
        return fnonct_failed;
    if (alternative != ncp_greater && limit_at(chi2, df, alpha, 1.0 - alpha, &hi) != fnonct_ok)
        return fnonct_failed;
    *lower = lo;
    *upper = hi;
    return fnonct_ok;
}

int32_t chisq_effect_size_interval(double chi2, double df, double n, double rows, double cols,
                                   double confidence, int32_t alternative, int32_t convention,
                                   chisq_effect_interval* interval)
{
    chisq_effect_interval& r = *interval;
    r = chisq_effect_interval{not_a_number, not_a_number, not_a_number, not_a_number,
                              not_a_number, not_a_number, not_a_number, not_a_number,
                              not_a_number, not_a_number, not_a_number, not_a_number};
    const double infinity = std::numeric_limits<double>::infinity();
    if (convention != rmsea_n_minus_1 && convention != rmsea_n)
        return fnonct_invalid;
    double rmsea_n_used = convention == rmsea_n_minus_1 ? n - 1.0 : n;
    if (!std::isnan(n) && !(rmsea_n_used > 0.0 && n < infinity))
        return fnonct_invalid;
    bool table = !std::isnan(rows) || !std::isnan(cols);
    if (table && (!whole_at_least_2(rows) || !whole_at_least_2(cols) || std::isnan(n)))
        return fnonct_invalid;
    int32_t outcome = chisq_ncp_interval(chi2, df, confidence, alternative, &r.lambda_lower,
                                         &r.lambda_upper);
    if (outcome != fnonct_ok)
        return outcome;
    r.lambda_estimate = chi2 > df ? chi2 - df : 0.0;
    if (std::isnan(n))
        return outcome;
    const double lambdas[] = {r.lambda_estimate, r.lambda_lower, r.lambda_upper};
    double* rmsea[] = {&r.rmsea_estimate, &r.rmsea_lower, &r.rmsea_upper};
    double* w[] = {&r.w_estimate, &r.w_lower, &r.w_upper};
    double* v[] = {&r.v_estimate, &r.v_lower, &r.v_upper};
    double v_scale = table ? n * ((rows < cols ? rows : cols) - 1.0) : not_a_number;
    for (int i = 0; i < 3; ++i) {
        *rmsea[i] = root_of(lambdas[i], df * rmsea_n_used);
        *w[i] = root_of(lambdas[i], n);
        if (table)
            *v[i] = root_of(lambdas[i], v_scale);
    }
    return outcome;
}
