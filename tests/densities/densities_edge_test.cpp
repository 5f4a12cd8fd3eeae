// The log densities, normal log tails, Mills ratio and inverse Gaussian
// distribution function at their end points, out of their domains and at
// the switches between their forms.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "host/host.h"
#include "library/densities.h"
#include "library/distributions.h"
#include "module/host_services.h"

namespace {

constexpr double nan_value = std::numeric_limits<double>::quiet_NaN();
constexpr double untouched = -12345.0;

// A signalling NaN as the host's missing value: it must arrive bit for bit.
constexpr uint64_t missing_bits = 0x7FF4000000000BADULL;

class LogDensityEnds : public ::testing::Test {
protected:
    void SetUp() override
    {
        host_reset();
        host_vector_store(host_vector_address());
        host_set_missing_value(missing_bits);
    }
    void TearDown() override
    {
        host_reset();
        host_vector_store(nullptr);
    }
};

uint64_t bits_of(double v)
{
    uint64_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

}  // namespace

TEST_F(LogDensityEnds, BetaEndPoints)
{
    // Finite end values: the density is b at x = 0 when a = 1, a at x = 1
    // when b = 1; every other end value is 0 or unbounded, whose log is the
    // missing value (status 0).
    struct end_case {
        double x, a, b;
        bool missing;
        double value;
    };
    const end_case cases[] = {
        {0.0, 1.0, 3.0, false, std::log(3.0)},
        {0.0, 2.0, 3.0, true, 0},
        {0.0, 0.5, 3.0, true, 0},
        {1.0, 3.0, 1.0, false, std::log(3.0)},
        {1.0, 3.0, 2.0, true, 0},
        {1.0, 1.0, 0.5, true, 0},
        {0.0, 1.0, 1.0, false, 0.0},
    };
    for (const end_case& c : cases) {
        double out = untouched;
        ASSERT_EQ(beta_log_density(c.x, c.a, c.b, &out), 0) << c.x << " " << c.a << " " << c.b;
        if (c.missing)
            EXPECT_EQ(bits_of(out), missing_bits) << c.x << " " << c.a << " " << c.b;
        else
            EXPECT_NEAR(out, c.value, 4e-16) << c.x << " " << c.a << " " << c.b;
    }
}

TEST_F(LogDensityEnds, GammaAtZero)
{
    double out = untouched;
    ASSERT_EQ(gamma_log_density(0.0, 1.0, &out), 0);
    EXPECT_EQ(out, 0.0);
    for (double a : {2.0, 0.5}) {
        out = untouched;
        ASSERT_EQ(gamma_log_density(0.0, a, &out), 0);
        EXPECT_EQ(bits_of(out), missing_bits) << a;
    }
}

TEST(LogDensities, OutsideTheDomainNothingIsWritten)
{
    const double beta_args[][3] = {
        {-0.1, 2, 3}, {1.1, 2, 3}, {0.5, 0, 3}, {0.5, 2, -1}, {nan_value, 2, 3}, {0.5, nan_value, 3},
    };
    for (const auto& a : beta_args) {
        double out = untouched;
        EXPECT_EQ(beta_log_density(a[0], a[1], a[2], &out), 1) << a[0] << " " << a[1] << " " << a[2];
        EXPECT_EQ(out, untouched);
    }
    const double gamma_args[][2] = {{-1e-300, 2}, {1, 0}, {1, -2}, {nan_value, 2}, {1, nan_value}};
    for (const auto& a : gamma_args) {
        double out = untouched;
        EXPECT_EQ(gamma_log_density(a[0], a[1], &out), 1) << a[0] << " " << a[1];
        EXPECT_EQ(out, untouched);
    }
}

TEST(NormalLogTails, CentreAndFarTails)
{
    double lower, upper, density;
    ASSERT_EQ(normal_log_tails(0.0, &lower, &upper, &density), 0);
    EXPECT_EQ(lower, upper);
    EXPECT_NEAR(lower, -0.69314718055994531, 1e-16);

    // Far out the larger tail is ln(1 - e^-804.6), which is -0.
    ASSERT_EQ(normal_log_tails(40.0, &lower, &upper, &density), 0);
    EXPECT_EQ(lower, 0.0);
    EXPECT_NEAR(upper, -804.60844201375390, 1e-12);
    ASSERT_EQ(normal_log_tails(-40.0, &lower, &upper, &density), 0);
    EXPECT_EQ(upper, 0.0);
    EXPECT_NEAR(lower, -804.60844201375390, 1e-12);

    EXPECT_EQ(normal_log_tails(nan_value, &lower, &upper, &density), 1);
}

TEST(MillsRatio, ClosedFormAndFractionMeetAtFive)
{
    // The closed form just below 5 and Laplace's fraction at 5 agree with
    // the smooth function: m(5) - m(4.99) is about -m'(5) * 0.01, with
    // m'(z) = z m(z) - 1.
    double below, at;
    ASSERT_EQ(mills_ratio(4.99, &below), 0);
    ASSERT_EQ(mills_ratio(5.0, &at), 0);
    EXPECT_NEAR(at, 0.19280810471531576, 1e-16);  // mpmath
    double slope = 5.0 * at - 1.0;
    EXPECT_NEAR(below - at, -slope * 0.01, 1e-6);

    // A fraction that never settles (NaN) stops at its step limit.
    double m = untouched;
    EXPECT_EQ(mills_ratio(nan_value, &m), 1);
    EXPECT_TRUE(std::isnan(m));
}

TEST(InverseGaussianCdf, ExactValues)
{
    struct exact_case {
        double x, lambda, value;
    };
    const exact_case cases[] = {
        {0.0, 5.0, 0.0},     // F(0) = 0 whatever lambda
        {0.0, 0.0, 0.0},
        {2.0, 0.0, 1.0},     // Phi(0) + erfc(0)/2
        {0.5, 0.0, 1.0},
        {4.0, 1000.0, 1.0},  // tail term below the normal range: exactly 0
        {0.25, 1000.0, 0.0}, // both terms underflow
    };
    for (const exact_case& c : cases)
        EXPECT_EQ(inverse_gaussian_cdf(c.x, c.lambda), c.value) << c.x << " " << c.lambda;

    // x = 1: the first term is Phi(0) = 1/2 exactly, the second
    // e^(2 lambda) erfc(sqrt(2 lambda))/2.
    EXPECT_NEAR(inverse_gaussian_cdf(1.0, 2.0) - 0.5, std::exp(4.0) * std::erfc(2.0) / 2, 4e-16);
}
