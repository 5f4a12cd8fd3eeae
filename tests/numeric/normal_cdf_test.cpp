// normal_cdf: accuracy against mpmath (tests/reference/gen_numeric.py),
// exact values and the tails.

#include <gtest/gtest.h>

#include <cmath>

#include "numeric/primitives.h"
#include "support/numeric_bounds.h"
#include "support/reference_check.h"

namespace {

const reference_1 normal_cdf_rows[] = {
#include "data/numeric_normal_cdf.inc"
};

// Below 0 it is erfc(y) / 2 with y = -x (1/sqrt 2).  The argument carries the
// rounding of the product (2^-53) and of the stored 1/sqrt 2 (6.8e-17),
// together d = 1.8e-16 relative, which moves erfc by 2 y^2 d = x^2 d relative
// on top of erfc's own bound at y.  Above 0 it is (1 + erf) / 2, in [1/2, 1]
// and within a few units of the last place.
constexpr double one_over_sqrt_2_rounding = 6.8e-17;
double normal_cdf_tolerance(double x)
{
    if (x > 0.0)
        return 4.0 * unit_roundoff;
    double d = unit_roundoff + one_over_sqrt_2_rounding;
    return erfc_tolerance(-x / std::sqrt(2.0)) + x * x * d;
}

}  // namespace

TEST(NormalCdf, Accuracy)
{
    check_table("normal_cdf", "relative", normal_cdf_rows,
                [](const reference_1& r) { return normal_cdf(r.x); },
                [](const reference_1& r, double got) {
                    return row_verdict{reference_relative_error(got, r.hi, r.rel), normal_cdf_tolerance(r.x)};
                });
}

TEST(NormalCdf, ExactValuesAndTails)
{
    EXPECT_EQ(normal_cdf(0.0), 0.5);
    EXPECT_EQ(normal_cdf(-0.0), 0.5);
    EXPECT_EQ(normal_cdf(-40.0), 0.0);
    EXPECT_EQ(normal_cdf(40.0), 1.0);
    EXPECT_NEAR(normal_cdf(-1.959963984540054), 0.025, 0.025 * 1e-15);
    // The lower tail keeps relative accuracy far out (from erfc, not 1 - erf).
    EXPECT_NEAR(normal_cdf(-20.0) / 2.7536241186062337e-89, 1.0, 1e-13);
}
