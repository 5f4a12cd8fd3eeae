// exp_fast and pow_real: exact cases, the ends of the double range, parity
// of negative bases, and independence from the caller's x87 precision.

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdint>

#include "numeric/constants.h"
#include "numeric/primitives.h"

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

TEST(PowReal, ExactCases)
{
    struct power_case {
        double x, y, expected;
    };
    const power_case cases[] = {
        {2.0, 10.0, 1024.0},
        {4.0, 0.5, 2.0},  // t = 1 exactly: split form with f = 0
        {2.0, -1.0, 0.5},
        {-2.0, 3.0, -8.0},
        {-2.0, 2.0, 4.0},
        {-2.0, -1.0, -0.5},
        {-0.5, 3.0, -0.125},
        {-1.0, 2147483647.0, -1.0},  // both ends of the 32-bit range
        {-1.0, -2147483648.0, 1.0},
        {2.0, -1074.0, 4.9406564584124654e-324},  // smallest subnormal, exact
        {2.0, 1023.0, 8.98846567431158e307},
        {2.0, 1024.0, INFINITY},
        {-2.0, 1025.0, -INFINITY},  // overflow keeps the parity sign
        {-2.0, 1024.0, INFINITY},
        {0.5, 1100.0, 0.0},
        {0.0, 3.0, 0.0},
        {-0.0, 3.0, 0.0},
        {0.0, 1e-300, 0.0},
    };
    for (const power_case& c : cases) {
        double got = pow_real(c.x, c.y);
        EXPECT_EQ(got, c.expected) << "pow_real(" << c.x << ", " << c.y << ")";
        EXPECT_EQ(std::signbit(got), std::signbit(c.expected)) << "pow_real(" << c.x << ", " << c.y << ")";
    }
}

TEST(PowReal, ZeroExponentGivesOne)
{
    // For a negative base, k = 0 counts as even.
    const double bases[] = {3.7, 1e-300, 1e300, DBL_MIN, -5.0, -1e-300, -1e300, 1.0, -1.0};
    for (double x : bases) {
        EXPECT_EQ(pow_real(x, 0.0), 1.0) << x;
        EXPECT_EQ(pow_real(x, -0.0), 1.0) << x;
    }
}

#if defined(__GNUC__) && (defined(__i386__) || defined(__x86_64__))

// A host may leave the x87 precision control at 53 bits (the Windows
// default); the extended steps must not depend on it, and the caller's
// control word must come back unchanged.
static uint16_t x87_control_word()
{
    uint16_t cw;
    __asm__ volatile("fnstcw %0" : "=m"(cw));
    return cw;
}

static void x87_set_control_word(uint16_t cw) { __asm__ volatile("fldcw %0" : : "m"(cw)); }

TEST(ExpPow, IndependentOfHostPrecisionControl)
{
    const double exps[] = {-708.0, -600.123456789, -1.5, 0.3, 1.0, 345.678, 709.5};
    const double pows[][2] = {{0.99999999999999833, -2.2052757741657539e+17},
                              {1.0000001, 6.5e9},
                              {3.0, 640.25},
                              {-7.5, 301.0},
                              {10.0, -307.5}};
    double exp_extended[7], pow_extended[5];
    for (int i = 0; i < 7; ++i)
        exp_extended[i] = exp_fast(exps[i]);
    for (int i = 0; i < 5; ++i)
        pow_extended[i] = pow_real(pows[i][0], pows[i][1]);

    uint16_t saved = x87_control_word();
    uint16_t double_precision = static_cast<uint16_t>((saved & ~0x0300) | 0x0200);
    x87_set_control_word(double_precision);
    double exp_double[7], pow_double[5];
    for (int i = 0; i < 7; ++i)
        exp_double[i] = exp_fast(exps[i]);
    for (int i = 0; i < 5; ++i)
        pow_double[i] = pow_real(pows[i][0], pows[i][1]);
    uint16_t after = x87_control_word();
    x87_set_control_word(saved);

    EXPECT_EQ(after, double_precision) << "the caller's control word must come back";
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(exp_double[i], exp_extended[i]) << "exp_fast(" << exps[i] << ")";
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(pow_double[i], pow_extended[i]) << "pow_real(" << pows[i][0] << ", " << pows[i][1] << ")";
}

#endif
