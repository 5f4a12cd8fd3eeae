// The log density of the noncentral F distribution.
#pragma once

#include <cstdint>

// ln f(x) of the noncentral F law with n1 and n2 degrees of freedom and
// noncentrality lambda, for x >= 0.  0 on success (*out is the host's
// missing value where the log density is infinite, as at x = 0 with
// n1 != 2); 1 for an argument outside the domain, a failing beta or gamma
// log density, a largest term beyond k = 2^31, or a Poisson sum that needs
// more than max(1001, 40 sqrt(k0)) terms (k0 the index of the largest).
int32_t ncf_log_density(double x, double n1, double n2, double lambda, double* out);
