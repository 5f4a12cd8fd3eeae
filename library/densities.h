// Log densities and the logs of the normal tails, for the log-space
// distribution routines.  Each returns a status (0 success, 1 no value) and
// delivers its value through the out pointers.
#pragma once

#include <cstdint>

// ln of the Beta(a, b) density at x:
//     (a - 1) ln x + (b - 1) ln(1 - x) - ln B(a, b).
// 1 (out untouched) for x outside [0, 1] or a, b <= 0.  At an end point
// where the log density is infinite, *out is the host's missing value.
int32_t beta_log_density(double x, double a, double b, double* out);

// ln of the standard gamma density at x: (a - 1) ln x - x - ln Gamma(a).
// 1 for x < 0 or a <= 0; the host's missing value at x = 0 unless a = 1.
int32_t gamma_log_density(double x, double a, double* out);

// ln Phi(z), ln Phi(-z) and ln phi(z) of the standard normal law.  1 only
// when the Mills ratio fails (not for finite z).
int32_t normal_log_tails(double z, double* lower, double* upper, double* log_density);

// The Mills ratio Phi(-z)/phi(z) (used for z >= 0).  1 when its continued
// fraction has not converged within its step limit (*out is then the last
// approximant).
int32_t mills_ratio(double z, double* out);
