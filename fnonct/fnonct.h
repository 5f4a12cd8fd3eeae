// FNONCT: the noncentrality search and the host's evaluate callback.
#pragma once

#include <cstdint>

// The noncentrality lambda >= 0 with ncf_cdf(x, df1, df2, lambda) = p into
// *result.  Status 0 on success, 1 on failure (then *result is not to be used).
int32_t fnonct_search(double x, double df1, double df2, double p, double* result);

// The evaluate callback the host calls for every FNONCT(x, df1, df2, p).
// Returns 0 (lambda in *result), 120833 (an argument is missing) or 120836 (an
// argument is out of its domain, or no lambda exists); on failure *result
// holds the host's missing value.
int32_t fnonct_evaluate(void* argument_list, double* result);
