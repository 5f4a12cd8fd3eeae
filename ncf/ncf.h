// The noncentral F distribution function and the incomplete beta function
// beneath it: the routines for every caller.  The prepared evaluation the
// noncentrality search uses is in ncf/ncf_prepared.h; the building blocks the
// log-space routines share, and the traces the tests and the benchmark read,
// are in ncf/ncf_detail.h.
#pragma once

#include <cstdint>

// Regularized incomplete beta ratio I_x(a, b) into *w and the beta density
// at x into *w1.  Status 0 on success, 1 for a shape above 2147483647 (nothing
// written), -1 for a domain failure or no convergence (w = -1, w1 = 0).
int32_t beta_inc(double x, double a, double b, double* w, double* w1);

// P(F' <= x) of the noncentral F distribution with df1, df2 degrees of
// freedom and noncentrality ncp into *out.  Status 0 on success, 1 on failure.
int32_t ncf_cdf(double x, double df1, double df2, double ncp, double* out);
