// FNONCT for callers that hold plain doubles rather than the host's argument
// list (the command line's classification, the Python and R packages), and
// the confidence interval for the noncentrality built on it.
#pragma once

#include <cstdint>

#include "numeric/confidence_tail.h"

// What one FNONCT question came to.  The codes are stable: the bindings hand
// them to their users.
enum fnonct_outcome : int32_t {
    fnonct_ok = 0,       // lambda found
    fnonct_missing = 1,  // an argument is NaN
    fnonct_invalid = 2,  // an argument is out of its domain
    fnonct_no_root = 3,  // no lambda gives p at x: p above the central probability
    fnonct_failed = 4,   // a root exists but the search did not reach it
};

// The argument (1 = x, 2 = df1, 3 = df2, 4 = p) that fails its domain first,
// or 0: x >= 0 (so 0 and -0 pass), df1 > 0, df2 > 0, 0 < p < 1.  NaN fails
// every domain.
int32_t fnonct_argument_out_of_domain(double x, double df1, double df2, double p);

// The noncentrality lambda >= 0 with ncf_cdf(x, df1, df2, lambda) = p into
// *lambda, by the evaluate callback's rules: NaN anywhere is missing, then
// the domains in argument order, then a noncentrality search, the
// library's own (fnonct_halley_search, fnonct/fnonct_detail.h: every
// 0 < p < 1, within 1e-12 kappa of the reference tables' roots, not the
// callback's bits).  *lambda is NaN unless the outcome is fnonct_ok.
fnonct_outcome fnonct_solve(double x, double df1, double df2, double p, double* lambda);

// Which side of the interval ncp_interval bounds.
enum ncp_alternative : int32_t {
    ncp_two_sided = confidence_two_sided,  // lower and upper limit, (1 - confidence)/2 in each tail
    ncp_less = confidence_less,            // an upper limit alone: lambda <= upper, lower = 0
    ncp_greater = confidence_greater,      // a lower limit alone: lambda >= lower, upper = +inf
};

// The confidence interval for lambda from an observed f (Steiger 2004): the
// lower limit solves ncf_cdf(f, df1, df2, lower) = 1 - alpha_low and the upper
// ncf_cdf(f, df1, df2, upper) = alpha_high, where each tail's alpha is
// (1 - confidence)/2 for two sides and 1 - confidence for one.  A limit whose
// equation has no root (the probability exceeds the central one) is 0.
// Returns fnonct_missing or fnonct_invalid for the arguments (f >= 0,
// df1 > 0, df2 > 0, 0 < confidence < 1, a known alternative), fnonct_failed
// when either search failed although its root exists, else fnonct_ok; both
// limits are NaN unless the outcome is fnonct_ok.
fnonct_outcome ncp_interval(double f, double df1, double df2, double confidence,
                            int32_t alternative, double* lower, double* upper);
