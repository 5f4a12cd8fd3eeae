// log1p_rel, log_gamma, log_beta: exact values, the exactness window about
// 1 and 2, out-of-domain answers and the symmetry of log_beta.  Accuracy
// over whole ranges is in accuracy_test.cpp.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "numeric/primitives.h"

TEST(Log1pRel, ZeroIsExact)
{
    EXPECT_EQ(log1p_rel(0.0), 0.0);
}

TEST(LogGamma, ExactZerosAtOneAndTwo)
{
    EXPECT_EQ(log_gamma(1.0), 0.0);
    EXPECT_EQ(log_gamma(2.0), 0.0);
    // 1 - 2^-53 lies inside the window |x - 1| < 1.110223024625157e-16 ...
    EXPECT_EQ(log_gamma(std::nextafter(1.0, 0.0)), 0.0);
    // ... 1 + 2^-52 and 2 - 2^-52 outside: ln Gamma there is about -psi(x) ulp.
    double above_one = log_gamma(std::nextafter(1.0, 2.0));
    EXPECT_LT(above_one, 0.0);
    EXPECT_NEAR(above_one, -0.5772156649015329 * 2.220446049250313e-16, 1e-31);
    double below_two = log_gamma(std::nextafter(2.0, 0.0));
    EXPECT_LT(below_two, 0.0);
    EXPECT_NEAR(below_two, -0.42278433509846713 * 2.220446049250313e-16, 1e-31);
}

TEST(LogGamma, ExactCasesOfTheReduction)
{
    // ln Gamma(3) = ln 2: the reduction stops at z = 2, where the rational
    // part is exactly 0.
    EXPECT_EQ(log_gamma(3.0), std::log(2.0));
    // ln Gamma(1/2) = ln sqrt(pi) through the half-integer shortcut (f = 2).
    EXPECT_NEAR(log_gamma(0.5), 0.5723649429247001, 2e-16);
}

TEST(LogGamma, OutsideTheDomain)
{
    const double outside[] = {0.0, -0.0, -1.0, -0.5, -1e300, -INFINITY,
                              std::numeric_limits<double>::quiet_NaN()};
    for (double x : outside)
        EXPECT_EQ(log_gamma(x), -99.0) << x;
}

TEST(LogBeta, ExactValuesAndDomain)
{
    EXPECT_EQ(log_beta(1.0, 1.0), 0.0);
    EXPECT_NEAR(log_beta(2.0, 3.0), -2.4849066497880004, 5e-16);  // ln(1/12)

    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double outside[][2] = {{0.0, 1.0}, {2.0, -1.0}, {-1.0, -1.0}, {1.0, 0.0},
                                 {nan, 1.0}, {1.0, nan},  {-0.0, 3.0}};
    for (const auto& ab : outside)
        EXPECT_EQ(log_beta(ab[0], ab[1]), 99.0) << ab[0] << ", " << ab[1];
}

TEST(LogBeta, SymmetricBitForBit)
{
    // Both forms: three log-gammas below 15 (14.99 + 14.99 near 30 included),
    // the Stirling difference from p = 15 up.
    const double pairs[][2] = {{0.5, 2.5},  {14.99, 14.99}, {14.99, 14.98}, {15.0, 0.5},
                               {15.0, 14.999999}, {1e-300, 7.25}, {1e10, 1e-10},
                               {3e5, 2.75e5}, {100.5, 37.0}};
    for (const auto& ab : pairs) {
        double forward = log_beta(ab[0], ab[1]);
        double backward = log_beta(ab[1], ab[0]);
        EXPECT_EQ(std::memcmp(&forward, &backward, sizeof forward), 0)
            << ab[0] << ", " << ab[1] << ": " << forward << " vs " << backward;
    }
}
