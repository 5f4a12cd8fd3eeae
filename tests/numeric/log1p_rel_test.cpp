// log1p_rel: accuracy against mpmath (tests/reference/gen_numeric.py) and
// the exact zero.

#include <gtest/gtest.h>

#include <cmath>

#include "numeric/primitives.h"
#include "support/numeric_bounds.h"
#include "support/reference_check.h"

namespace {

const reference_1 log1p_rows[] = {
#include "data/numeric_log1p.inc"
};

// 3e-16 relative on |x| <= 1/32 (the ratio form).  Beyond, the sum 1 + x is
// rounded (by up to 2^-53 (1 + x)) before the logarithm, an absolute error of
// up to 2^-53 in ln(1 + x): relative 2^-53 / |ln(1 + x)|, some 3.5e-15 just
// past 1/32, on top of the logarithm's own rounding.
double log1p_tolerance(double x)
{
    if (std::fabs(x) <= 0.03125)
        return 3e-16;
    return 2.0 * unit_roundoff + unit_roundoff / std::fabs(std::log1p(x));
}

}  // namespace

TEST(Log1pRel, Accuracy)
{
    check_table("log1p_rel", "relative", log1p_rows,
                [](const reference_1& r) { return log1p_rel(r.x); },
                [](const reference_1& r, double got) {
                    return row_verdict{reference_relative_error(got, r.hi, r.rel), log1p_tolerance(r.x)};
                });
}

TEST(Log1pRel, ZeroIsExact)
{
    EXPECT_EQ(log1p_rel(0.0), 0.0);
}
