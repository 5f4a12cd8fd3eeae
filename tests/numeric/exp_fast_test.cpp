// exp_fast: accuracy against mpmath (tests/reference/gen_numeric.py), exact
// cases, the ends of the double range, and independence from the caller's
// x87 precision.

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>

#include "numeric/constants.h"
#include "numeric/primitives.h"
#include "support/reference_check.h"
#include "support/x87_control.h"

namespace {

const reference_1 exp_rows[] = {
#include "data/numeric_exp.inc"
};

// Over the normal range of results, x from log_min_normal to log_max_double:
// the table reduction keeps everything but the last rounding below 0.01
// units in the last place, and the power of two scales exactly (in two steps
// beyond |x| = 708).
constexpr double exp_tolerance_ulps = 0.51;

}  // namespace

TEST(ExpFast, Accuracy)
{
    check_table("exp_fast", "ulp", exp_rows, [](const reference_1& r) { return exp_fast(r.x); },
                [](const reference_1& r, double got) {
                    return row_verdict{reference_ulp_error(got, r.hi, r.rel), exp_tolerance_ulps};
                });
}

TEST(ExpFast, ExactAndRangeEnds)
{
    EXPECT_EQ(exp_fast(0.0), 1.0);
    EXPECT_EQ(exp_fast(-0.0), 1.0);

    // The callers' bounds: the top stays finite, the bottom stays normal.
    double top = exp_fast(log_max_double);
    EXPECT_TRUE(std::isfinite(top));
    EXPECT_GT(top, 1.79769313486e308);
    double bottom = exp_fast(log_min_normal);
    EXPECT_GE(bottom, DBL_MIN);
    EXPECT_NEAR(bottom, 2.2250739e-308, 1e-315);

    // Beyond them, no report: overflow to +inf, gradual underflow to 0, also
    // for exponents far outside any scaling range.
    EXPECT_EQ(exp_fast(710.0), INFINITY);
    EXPECT_EQ(exp_fast(1e300), INFINITY);
    double subnormal = exp_fast(-740.0);
    EXPECT_GT(subnormal, 0.0);
    EXPECT_LT(subnormal, DBL_MIN);
    EXPECT_EQ(exp_fast(-746.0), 0.0);
    EXPECT_EQ(exp_fast(-1e300), 0.0);
}

#if KELBRANT_X87

// A host may leave the x87 precision control at 53 bits (the Windows
// default); the extended steps must not depend on it, and the caller's
// control word must come back unchanged.
TEST(ExpFast, IndependentOfHostPrecisionControl)
{
    const double xs[] = {-708.0, -600.123456789, -1.5, 0.3, 1.0, 345.678, 709.5};
    double extended[7];
    for (int i = 0; i < 7; ++i)
        extended[i] = exp_fast(xs[i]);

    uint16_t saved = control_word();
    uint16_t double_precision = static_cast<uint16_t>((saved & ~precision_mask) | precision_53);
    set_control_word(double_precision);
    double rounded[7];
    for (int i = 0; i < 7; ++i)
        rounded[i] = exp_fast(xs[i]);
    uint16_t after = control_word();
    set_control_word(saved);

    EXPECT_EQ(after, double_precision) << "the caller's control word must come back";
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(rounded[i], extended[i]) << "exp_fast(" << xs[i] << ")";
}

#endif
