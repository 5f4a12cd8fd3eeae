// Quantiles of the central beta and F laws: the inverse of the regularized
// incomplete beta ratio in either tail, and the F quantile built on it.
#pragma once

#include <cstdint>

// Which tail a probability measures.
constexpr int32_t quantile_lower_tail = 0;  // P(X <= x)
constexpr int32_t quantile_upper_tail = 1;  // P(X > x)

// Statuses of the quantiles.
constexpr int32_t quantile_ok = 0;
constexpr int32_t quantile_invalid = 1;        // an argument outside its domain (or NaN)
constexpr int32_t quantile_not_converged = 2;  // the iteration reached its step limit

// The x in [0, 1] with I_x(a, b) = prob (tail = quantile_lower_tail) or
// 1 - I_x(a, b) = prob (tail = quantile_upper_tail), into *x, and 1 - x
// into *y, each carried to full relative precision (the smaller of the two
// is the one iterated).  Giving the upper tail directly keeps a probability
// such as 1 - 1e-300 exact.  Domain: 0 <= prob <= 1, 0 < a, b <= 2147483647;
// prob = 0 and prob = 1 give the end points.  On a status other than
// quantile_ok, *x and *y are NaN.
int32_t beta_inc_inverse(double prob, int32_t tail, double a, double b, double* x, double* y);

// The F quantile: the f >= 0 with P(F <= f) = prob (or P(F > f) = prob for
// the upper tail) for the central F law with df1 and df2 degrees of
// freedom, 0 < df1, df2 <= 4294967294 (so that df/2 is a beta shape).
// f = (df2/df1) x/y from the beta quantile x, y = 1 - x at df1/2, df2/2;
// +inf at prob = 1 (lower) or 0 (upper).  Statuses as beta_inc_inverse;
// *f is NaN unless quantile_ok.
int32_t f_quantile(double prob, int32_t tail, double df1, double df2, double* f);
