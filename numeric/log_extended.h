// Logarithms in extended precision for the routines whose terms are far
// larger than their results (the log-space routines, and the incomplete
// beta ratio's density at large shapes).  They compute in the extended format
// as the x87 stands: callers run them inside a stretch at 64-bit precision
// (elem_extended_begin).
#pragma once

// ln sqrt(2 pi) to the extended format.
constexpr long double ln_sqrt_2pi_ext = 0.9189385332046727417803297364056176398614L;

// ln B(a, b) for a, b > 0 in extended precision (no domain check): log
// densities of large shapes subtract it from terms of its own size.
long double log_beta_extended(double a, double b);

// ln Gamma(x) for x > 0 in extended precision (no domain check), good to
// about 1e-18 absolute below 30.
long double log_gamma_extended(long double x);

// ln(1 - u) for 0 <= u < 1 in extended precision, accurate relative to a
// small u.
long double log_one_minus_extended(long double u);

// D(t) = t - ln(1 + t) for t > -1 in extended precision, accurate relative
// to D near t = 0; ln(1 + t), as the caller holds it, is used only for
// |t| > 1/2.
long double log_remainder_extended(long double t, long double log_one_plus_t);

// ln of the Beta(a, b) density at 0 < x < 1 in extended precision (no
// domain check): its terms are of the size of the shapes.
long double beta_log_density_extended(double x, double a, double b);

// ln of the Beta(a, b) density at 0 < x < 1 for a, b >= stirling_from, by
// Stirling's form without the cancellation of its terms (no domain check);
// y = 1 - x, the smaller of x and y carrying the digits, and their logs
// ln_x and ln_y as the caller holds them.
long double beta_log_density_stirling(double x, double y, long double ln_x, long double ln_y,
                                      double a, double b);
