// The noncentrality search's reference roots by region (mpmath:
// P(x; lambda) = p for the double p, with kappa = |p/(lambda dP/dlambda)|,
// tests/reference/gen_fnonct_regions.py), and the list of the regions for
// tests that drive one loop over all of them.
#pragma once

#include <cstddef>

struct fnonct_region_row {
    double x, df1, df2, p, lambda, kappa;
};
#include "data/fnonct_regions.inc"

struct fnonct_region {
    const char* name;
    const fnonct_region_row* rows;
    size_t n;
};

#define FNONCT_REGION(name) {#name, fnonct_##name##_rows, sizeof fnonct_##name##_rows / sizeof fnonct_##name##_rows[0]}
static const fnonct_region fnonct_regions[] = {
    FNONCT_REGION(ordinary), FNONCT_REGION(large), FNONCT_REGION(small), FNONCT_REGION(tiny),
    FNONCT_REGION(tails),    FNONCT_REGION(heavy), FNONCT_REGION(wide),
};
#undef FNONCT_REGION
