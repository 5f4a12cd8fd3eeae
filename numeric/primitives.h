// The numeric primitives shared by every distribution routine.  Plain
// functions of doubles; each is defined in the file of its own name.
#pragma once

#include <cstdint>

// e^x to within 0.51 units in the last place over the normal range of
// results (x from log_min_normal to log_max_double) by Tang's table-driven
// reduction (steps of ln 2/128, 2^(j/128) from exp_table.h); beyond it
// (subnormal results, overflow, NaN) by the x87 split form of 2^(x log2 e)
// of exp2_split.h.  No range checks: results beyond the double
// range overflow to +inf or underflow to a subnormal or 0.
double exp_fast(double x);

// x^y for a real base.  A power with no real value (negative base with an
// exponent that is not a 32-bit integer, zero base with y <= 0) is reported
// through the host's math-error service, which does not return.
double pow_real(double x, double y);

// ln(1 + x), accurate for small x.  No check of x > -1.
double log1p_rel(double x);

// ln Gamma(x) for x > 0; -99.0 for x <= 0 or NaN.
double log_gamma(double x);

// ln Gamma(1 + w) for 0 <= w <= 1, accurate relative to its size for small w
// (no rounding of 1 + w).  No check of w.
double log_gamma_1p(double w);

// ln B(a, b) for a, b > 0; 99.0 outside that domain.  Symmetric in a and b.
double log_beta(double a, double b);

// Stirling remainder ln Gamma(x) - ((x - 0.5) ln x - x + ln sqrt(2 pi)), x large.
double lgamma_corr(double x);

// erf(x) (mode 0) or erfc(x) (any other mode) into *out.
void erf_erfc_eval(double x, double* out, int32_t mode);
double erf_value(double x);
double erfc_value(double x);
// e^(y^2) erfc(y) for y >= 0 (numeric/erfc_scaled.cpp).
double erfc_scaled(double y);

// Standard normal distribution function.
double normal_cdf(double x);

// Split v into m * 2^e with 0.5 <= |m| < 1 (m = v, e = 0 for v = 0), exactly.
double scale_exponent(double v, int32_t* e);
