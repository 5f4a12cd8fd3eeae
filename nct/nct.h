// The noncentral t distribution, T = (Z + delta)/sqrt(V/df) with Z standard
// normal and V chi-square on df degrees of freedom, independent: its
// distribution function and density, their logarithms, the inversion in the
// noncentrality and the quantile.  The building blocks (one evaluation with
// the slope in delta, the series and the integral) are in nct/nct_detail.h.
//
// Domain of every routine: t and delta any doubles (t = +-inf gives the
// limits), 0 < df <= 4294967294 or df = +inf (the normal law N(delta, 1)).
#pragma once

#include <cstdint>

#include "numeric/confidence_tail.h"

// Statuses.
constexpr int32_t nct_ok = 0;
constexpr int32_t nct_invalid = 1;  // an argument outside its domain, or NaN
constexpr int32_t nct_failed = 2;   // no method settled (outputs NaN)

// Which tail a probability measures.
constexpr int32_t nct_lower_tail = 0;  // P(T <= t)
constexpr int32_t nct_upper_tail = 1;  // P(T > t)

// P(T <= t) into *lower and P(T > t) into *upper, each to full relative
// precision (neither is formed as 1 minus the other where it is the smaller).
int32_t nct_cdf(double t, double df, double delta, double* lower, double* upper);

// ln P(T <= t) and ln P(T > t), finite far below the double range; ln 0 is
// -inf (only at t = -inf or +inf).
int32_t nct_log_cdf(double t, double df, double delta, double* log_lower, double* log_upper);

// The density at t, and its logarithm (-inf where the density is 0).
int32_t nct_density(double t, double df, double delta, double* density);
int32_t nct_log_density(double t, double df, double delta, double* log_density);

// The noncentrality delta with P(T <= t; df, delta) = p (tail nct_lower_tail)
// or P(T > t; df, delta) = p (nct_upper_tail), for 0 < p < 1 and finite t:
// P(T <= t) falls from 1 to 0 as delta runs over the reals, so there is one
// root for every such p.  *delta is NaN unless nct_ok.
int32_t nct_ncp(double t, double df, double p, int32_t tail, double* delta);

// The quantile: the t with P(T <= t) = p (or P(T > t) = p), 0 <= p <= 1
// (p = 0 and 1 give -inf and +inf).  *t is NaN unless nct_ok.
int32_t nct_quantile(double p, int32_t tail, double df, double delta, double* t);

// Which side of an interval nct_ncp_interval bounds (the codes of
// ncp_interval's alternatives).
constexpr int32_t nct_two_sided = confidence_two_sided;  // both limits, (1 - confidence)/2 in each tail
constexpr int32_t nct_less = confidence_less;        // an upper limit alone: delta <= upper, lower = -inf
constexpr int32_t nct_greater = confidence_greater;  // a lower limit alone: delta >= lower, upper = +inf

// The confidence interval for delta from an observed t (Steiger and Fouladi
// 1997): the lower limit solves P(T > t; lower) = alpha and the upper
// P(T <= t; upper) = alpha, alpha = (1 - confidence)/2 for two sides and
// 1 - confidence for one.  0 < confidence < 1, t finite.  Both limits are
// NaN unless nct_ok.
int32_t nct_ncp_interval(double t, double df, double confidence, int32_t alternative,
                         double* lower, double* upper);

// Hedges' correction J(df) = Gamma(df/2) / (sqrt(df/2) Gamma((df - 1)/2))
// for df > 1 (NaN otherwise), without overflow for any df: g = J d is
// unbiased for the standardized mean difference (Hedges 1981).
double hedges_correction(double df);
