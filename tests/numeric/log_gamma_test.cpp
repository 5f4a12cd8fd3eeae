// log_gamma: accuracy against mpmath (tests/reference/gen_numeric.py), the
// exact zeros at 1 and 2 and the window about them, exact cases of the
// reduction, and the answer outside the domain.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "numeric/primitives.h"
#include "support/reference_check.h"

namespace {

const reference_1 log_gamma_rows[] = {
#include "data/numeric_log_gamma.inc"
};

// 2e-15 of max(1, |ln Gamma(x)|), below 30 and in Stirling's range.
constexpr double log_gamma_tolerance = 2e-15;

}  // namespace

TEST(LogGamma, Accuracy)
{
    check_table("log_gamma", "of max(1, |ln Gamma|)", log_gamma_rows,
                [](const reference_1& r) { return log_gamma(r.x); },
                [](const reference_1& r, double got) {
                    double scale = std::fmax(1.0, std::fabs(r.hi));
                    return row_verdict{reference_absolute_error(got, r.hi, r.rel) / scale, log_gamma_tolerance};
                });
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
