// scale_exponent: v = m 2^e exactly with 0.5 <= |m| < 1, subnormals included.

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>

#include "numeric/primitives.h"

namespace {

struct split_case {
    double v, m;
    int32_t e;
};

const split_case split_cases[] = {
    {1.0, 0.5, 1},
    {-3.0, -0.75, 2},
    {0.1, 0.8, -3},
    {0.5, 0.5, 0},
    {0.75, 0.75, 0},
    {DBL_MAX, 0.99999999999999989, 1024},
    {-DBL_MAX, -0.99999999999999989, 1024},
    {DBL_MIN, 0.5, -1021},                       // smallest normal
    {4.9406564584124654e-324, 0.5, -1073},       // smallest subnormal
    {-4.9406564584124654e-324, -0.5, -1073},
    {2.2250738585072009e-308, 0.99999999999999978, -1022},  // largest subnormal
};

TEST(ScaleExponent, SplitsIntoMantissaAndExponent)
{
    for (const split_case& c : split_cases) {
        int32_t e = 12345;
        double m = scale_exponent(c.v, &e);
        EXPECT_EQ(m, c.m) << "v = " << c.v;
        EXPECT_EQ(e, c.e) << "v = " << c.v;
    }
}

TEST(ScaleExponent, ZeroKeepsItsSign)
{
    for (double v : {0.0, -0.0}) {
        int32_t e = 7;
        double m = scale_exponent(v, &e);
        EXPECT_EQ(e, 0);
        EXPECT_EQ(m, 0.0);
        EXPECT_EQ(std::signbit(m), std::signbit(v));
    }
}

// Exact reconstruction across the whole exponent range, normal and
// subnormal, checked against the C library's frexp.
TEST(ScaleExponent, ReconstructsExactlyOverTheRange)
{
    const double mantissas[] = {1.0, 1.9999999999999998, 1.2345678901234567, 1.5};
    for (int32_t p = -1074; p <= 1023; ++p) {
        for (double s : mantissas) {
            double v = std::ldexp(s, p);
            if (v == 0.0 || std::isinf(v))
                continue;
            for (double sign : {1.0, -1.0}) {
                int32_t e;
                double m = scale_exponent(sign * v, &e);
                ASSERT_GE(std::fabs(m), 0.5) << sign * v;
                ASSERT_LT(std::fabs(m), 1.0) << sign * v;
                ASSERT_EQ(std::ldexp(m, e), sign * v) << "p = " << p;
                int ce;
                ASSERT_EQ(m, std::frexp(sign * v, &ce));
                ASSERT_EQ(e, ce);
            }
        }
    }
}

}  // namespace
