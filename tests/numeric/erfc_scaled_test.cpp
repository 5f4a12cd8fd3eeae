// erfc_scaled: e^(y^2) erfc(y) against mpmath (tests/reference/gen_numeric.py)
// over Cody's three ranges, their boundaries, and far into the asymptotic
// range where erfc itself underflows.

#include <gtest/gtest.h>

#include "numeric/primitives.h"
#include "support/reference_check.h"

namespace {

const reference_1 erfc_scaled_rows[] = {
#include "data/numeric_erfc_scaled.inc"
};

// A few units in the last place: the rationals' own error, with no
// exponential's rounding of y^2 to grow with y.
constexpr double erfc_scaled_tolerance = 1e-15;

}  // namespace

TEST(ErfcScaled, Accuracy)
{
    check_table("erfc_scaled", "relative", erfc_scaled_rows,
                [](const reference_1& r) { return erfc_scaled(r.x); },
                [](const reference_1& r, double got) {
                    return row_verdict{reference_relative_error(got, r.hi, r.rel), erfc_scaled_tolerance};
                });
}
