// erfc_value: accuracy against mpmath (tests/reference/gen_numeric.py) and
// the subnormal tail just before the underflow bound.

#include <gtest/gtest.h>

#include <cfloat>

#include "numeric/primitives.h"
#include "support/numeric_bounds.h"
#include "support/reference_check.h"

namespace {

const reference_1 erfc_rows[] = {
#include "data/numeric_erfc.inc"
};

}  // namespace

TEST(ErfcValue, Accuracy)
{
    check_table("erfc_value", "relative", erfc_rows,
                [](const reference_1& r) { return erfc_value(r.x); },
                [](const reference_1& r, double got) {
                    return row_verdict{reference_relative_error(got, r.hi, r.rel), erfc_tolerance(r.x)};
                });
}

TEST(ErfcValue, SubnormalTailBeforeTheUnderflowBound)
{
    // -26.6^2 = -707.56 is still above the bound: erfc is subnormal.
    double tail = erfc_value(26.6);
    EXPECT_GT(tail, 0.0);
    EXPECT_LT(tail, DBL_MIN);
    EXPECT_NEAR(tail, 1.0885e-309, 0.0002e-309);
}
