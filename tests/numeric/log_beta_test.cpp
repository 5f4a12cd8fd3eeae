// log_beta: accuracy against mpmath (tests/reference/gen_numeric.py), exact
// values, the answer outside the domain, and symmetry bit for bit.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "numeric/primitives.h"
#include "support/reference_check.h"

namespace {

const reference_2 log_beta_rows[] = {
#include "data/numeric_log_beta.inc"
};

// 2e-15 of max(1, |ln B|, |ln Gamma(a + b)|).  The three-term form (a, b < 15)
// subtracts ln Gamma(a + b), up to 71, so its absolute error scales with that
// term rather than with the result; the large form avoids the cancellation.
double log_beta_scale(double a, double b, double reference)
{
    return std::fmax(1.0, std::fmax(std::fabs(reference), std::fabs(std::lgamma(a + b))));
}
constexpr double log_beta_tolerance = 2e-15;

}  // namespace

TEST(LogBeta, Accuracy)
{
    check_table("log_beta", "of max(1, |ln B|, |ln Gamma(a+b)|)", log_beta_rows,
                [](const reference_2& r) { return log_beta(r.a, r.b); },
                [](const reference_2& r, double got) {
                    double scale = log_beta_scale(r.a, r.b, r.hi);
                    return row_verdict{reference_absolute_error(got, r.hi, r.rel) / scale, log_beta_tolerance};
                });
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
