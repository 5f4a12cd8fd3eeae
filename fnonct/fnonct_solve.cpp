// fnonct_solve and ncp_interval: FNONCT on plain doubles, and the confidence
// interval for the noncentrality that statisticians compute with it.
//
// fnonct_solve applies the evaluate callback's rules in the same order
// (missing, then the domains, then a search) to arguments that come as
// doubles, NaN standing for the missing value, and tells the search's two
// failures apart: no root (p above the central probability P0) and a search
// that did not reach a root that exists.  Its search is the library's own,
// fnonct_halley_search (one Poisson sum per Halley step, every 0 < p < 1),
// not the callback's: the two agree within the accuracy bound of the
// reference tables, 1e-12 kappa, not bit for bit.
//
// ncp_interval inverts the noncentral F distribution in lambda at the
// observed f, the confidence-interval transformation of Steiger (2004,
// Psychological Methods 9, 164-182): P(F' <= f; lambda) falls from P0 at
// lambda = 0 towards 0, so the lambda with P = 1 - alpha is the lower limit
// and the one with P = alpha the upper.  Where P0 is already below a
// limit's probability, every lambda >= 0 puts f further into that tail than
// required and the limit is 0.

#include "fnonct/fnonct_solve.h"

#include <cmath>
#include <limits>

#include "fnonct/fnonct.h"
#include "fnonct/fnonct_detail.h"

namespace {

constexpr double not_a_number = std::numeric_limits<double>::quiet_NaN();

// One limit: the root of ncf_cdf(f, df1, df2, lambda) = p, or 0 where p
// exceeds the central probability.
fnonct_outcome ncp_limit(double f, double df1, double df2, double p, double* limit)
{
    double lambda;
    switch (fnonct_halley_search(f, df1, df2, p, &lambda, nullptr)) {
    case fnonct_search_found:
        *limit = lambda;
        return fnonct_ok;
    case fnonct_search_no_root:
        *limit = 0.0;
        return fnonct_ok;
    default:
        *limit = not_a_number;
        return fnonct_failed;
    }
}

}  // namespace

int32_t fnonct_argument_out_of_domain(double x, double df1, double df2, double p)
{
    if (!(x >= 0.0))
        return 1;
    if (!(df1 > 0.0))
        return 2;
    if (!(df2 > 0.0))
        return 3;
    if (!(p > 0.0 && p < 1.0))
        return 4;
    return 0;
}

fnonct_outcome fnonct_solve(double x, double df1, double df2, double p, double* lambda)
{
    *lambda = not_a_number;
    if (std::isnan(x) || std::isnan(df1) || std::isnan(df2) || std::isnan(p))
        return fnonct_missing;
    if (fnonct_argument_out_of_domain(x, df1, df2, p) != 0)
        return fnonct_invalid;
    double root;
    switch (fnonct_halley_search(x, df1, df2, p, &root, nullptr)) {
    case fnonct_search_found:
        *lambda = root;
        return fnonct_ok;
    case fnonct_search_no_root:
        return fnonct_no_root;
    default:
        return fnonct_failed;
    }
}

fnonct_outcome ncp_interval(double f, double df1, double df2, double confidence,
                            int32_t alternative, double* lower, double* upper)
{
    *lower = not_a_number;
    *upper = not_a_number;
    if (std::isnan(f) || std::isnan(df1) || std::isnan(df2) || std::isnan(confidence))
        return fnonct_missing;
    // The lower limit's probability is formed as 1 - alpha, the upper's as alpha.
    double alpha;
    if (fnonct_argument_out_of_domain(f, df1, df2, confidence) != 0
        || !confidence_tail_area(confidence, alternative, &alpha))
        return fnonct_invalid;
    double lo = 0.0;
    double hi = std::numeric_limits<double>::infinity();
    if (alternative != ncp_less && ncp_limit(f, df1, df2, 1.0 - alpha, &lo) != fnonct_ok)
        return fnonct_failed;
    if (alternative != ncp_greater && ncp_limit(f, df1, df2, alpha, &hi) != fnonct_ok)
        return fnonct_failed;
    *lower = lo;
    *upper = hi;
    return fnonct_ok;
}
