// The noncentral chi-square distribution with df degrees of freedom and
// noncentrality ncp,
//
//     P(X <= x; df, ncp) = sum_(j>=0) e^(-ncp/2) (ncp/2)^j / j! P(df/2 + j, x/2),
//
// the Poisson mixture of regularized incomplete gamma functions: its two
// tails, their logarithms, its density, its quantile in x, and its
// inversion in the noncentrality.  The routines for every caller; the
// building blocks they share, and what the tests read, are in
// ncx2/ncx2_detail.h.
#pragma once

#include <cstdint>

// The smallest degrees of freedom taken (excluded), 2^-10: below it the
// start shape's lower tail P(df/2, y) is 1 to within rounding for every y
// above the smallest double, and nothing is left to compute.
constexpr double ncx2_min_degrees = 0x1p-10;
// The largest: 2^31 - 1, so that df/2 + j stays a shape of the gamma
// routines with an exact integer part.
constexpr double ncx2_max_degrees = 2147483647.0;
// The largest noncentrality, 1e7 (Poisson mean 5e6): the sum from the mode
// takes some 200 sqrt(ncp/2) steps about the mode; where x lies far from
// the bulk the smaller tail is summed about the peak of its terms instead,
// some 20 sqrt of its index, or beyond an index of 2^30 (x beyond the bulk,
// ncp x/4 above about 1e18) taken from the Bessel form of the density.
constexpr double ncx2_max_noncentrality = 1e7;

// ln P(X <= x) and ln P(X > x), each to full relative accuracy, far below
// the double range of the probabilities themselves.  x <= 0 gives -inf and
// 0, x = +inf gives 0 and -inf.  0 on success; 1 for NaN, df outside
// (ncx2_min_degrees, ncx2_max_degrees], ncp outside [0,
// ncx2_max_noncentrality], or a sum that did not settle (outputs NaN).
int32_t ncx2_log_tails(double x, double df, double ncp, double* log_lower, double* log_upper);

// P(X <= x) and P(X > x), each formed directly (the smaller one is not a
// complement), as ncx2_log_tails; a tail below the double range is 0.
int32_t ncx2_tails(double x, double df, double ncp, double* lower, double* upper);

// ln of the density at x:
//     f(x) = (1/2) sum_j e^(-ncp/2) (ncp/2)^j / j! g(x/2; df/2 + j),
// g the standard gamma density.  At x = 0: +inf for df < 2,
// ln(1/2) - ncp/2 for df = 2, -inf for df > 2; -inf for x < 0 and x = +inf.
// Domain and statuses as ncx2_log_tails.
int32_t ncx2_log_density(double x, double df, double ncp, double* out);

// The statuses of the inversion in the noncentrality.
enum ncx2_ncp_status : int32_t {
    ncx2_ncp_found = 0,    // lambda in *result
    ncx2_ncp_no_root = 1,  // p above P(X <= x; df, 0) (x = 0 included): no lambda >= 0 gives it
    ncx2_ncp_failed = 2,   // a root exists but was not reached
    ncx2_ncp_invalid = 3,  // NaN, x < 0, df outside its range, p outside (0, 1), an unknown tail
};

// Which tail a probability measures.
constexpr int32_t ncx2_lower_tail = 0;  // P(X <= x)
constexpr int32_t ncx2_upper_tail = 1;  // P(X > x)

// The noncentrality lambda >= 0 with P(X <= x; df, lambda) = p (tail =
// ncx2_lower_tail) or P(X > x; df, lambda) = p (ncx2_upper_tail; so that
// 1 - p near 1 stays exact), x >= 0, 0 < p < 1.  A root exists exactly
// when the lower-tail probability is at most its central value; roots
// beyond ncx2_max_noncentrality are failures.  Returns a ncx2_ncp_status;
// *result is NaN unless ncx2_ncp_found.  *sums (may be null) receives the
// number of distribution evaluations, the central one included.
int32_t ncx2_ncp(double x, double df, double p, int32_t tail, double* result, int32_t* sums);

// The x >= 0 with P(X <= x) = p (tail = ncx2_lower_tail) or P(X > x) = p
// (ncx2_upper_tail), 0 <= p <= 1; p = 0 and 1 give 0 and +inf, and a
// quantile below 2^-1022 (a df far below 1) is flushed to 0.  0 on
// success; 1 for an invalid argument or an iteration that did not settle
// (*x is then NaN).
int32_t ncx2_quantile(double p, int32_t tail, double df, double ncp, double* x);
