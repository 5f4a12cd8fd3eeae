// gamma_inc_log: domain, x = 0, the tolerance floor, the method chosen at
// the stated boundaries (seen in the record's method field, which the
// asymptotic expansion and the integration leave alone), the integration
// taking over beyond the series' term limit, and the shape left as given.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "library/gamma.h"

namespace {

constexpr double nan_value = std::numeric_limits<double>::quiet_NaN();
constexpr double max_double = 1.7976931348623157e308;
constexpr int32_t no_method = -7;  // what the caller left in the field

gamma_log_record run(double x, double a, double tolerance = 0.0)
{
    gamma_log_record r{};
    r.x = x;
    r.shape = a;
    r.tolerance = tolerance;
    r.method = no_method;
    r.log_lower = r.log_upper = r.log_density = nan_value;
    int32_t status = gamma_inc_log(&r);
    r.work = status;  // the status, for the tables below
    return r;
}

}  // namespace

TEST(GammaIncLog, Domain)
{
    const double bad[][2] = {{1.0, 1e-9}, {1.0, 0.0}, {1.0, -1.0}, {-1.0, 2.0},
                             {nan_value, 2.0}, {1.0, nan_value}};
    for (const auto& b : bad)
        EXPECT_EQ(run(b[0], b[1]).work, 1.0) << b[0] << " " << b[1];

    // 2e-9 is inside the domain (shifted to 1 + 2e-9).
    gamma_log_record r = run(1.0, 2e-9);
    EXPECT_EQ(r.work, 0.0);
    EXPECT_EQ(r.shape, 2e-9);
    EXPECT_LT(r.log_lower, 0.0);
    EXPECT_LT(r.log_upper, -20.0);  // Q(2e-9, 1) = 2e-9 E1(1) = 4.4e-10
}

TEST(GammaIncLog, AtZero)
{
    struct zero_case {
        double a, log_density;
    };
    const zero_case cases[] = {{2.0, -max_double}, {0.5, max_double}, {1.0, 0.0}};
    for (const zero_case& c : cases) {
        gamma_log_record r = run(0.0, c.a);
        EXPECT_EQ(r.work, 0.0) << c.a;
        EXPECT_EQ(r.log_lower, -max_double) << c.a;
        EXPECT_EQ(r.log_upper, 0.0) << c.a;
        EXPECT_EQ(r.log_density, c.log_density) << c.a;
    }
}

TEST(GammaIncLog, ToleranceFloor)
{
    EXPECT_EQ(run(3.0, 2.0, 0.0).tolerance, 5.551115123125785e-16);
    EXPECT_EQ(run(3.0, 2.0, nan_value).tolerance, 5.551115123125785e-16);
    EXPECT_EQ(run(3.0, 2.0, 1e-10).tolerance, 1e-10);
    // A looser tolerance still gives the tail to about that accuracy:
    // ln Q(2, 3) = ln(4 e^-3) = ln 4 - 3.
    EXPECT_NEAR(run(3.0, 2.0, 1e-10).log_upper, std::log(4.0) - 3.0, 1e-9);
}

TEST(GammaIncLog, MethodAtTheBoundaries)
{
    struct method_case {
        const char* what;
        double x, a;
        int32_t method;
    };
    const method_case cases[] = {
        {"x = 100 a: asymptotic expansion", 300.0, 3.0, no_method},
        {"x just below 100 a: upper-tail fraction", std::nextafter(300.0, 0.0), 3.0, 3},
        {"x = 100 a with a < 0.5: main path", 40.0, 0.4, 3},
        {"x = 100 a with a = 0.5: asymptotic expansion", 50.0, 0.5, no_method},
        {"x below a: series", 3.0, 5.0, 0},
        {"x = a: series", 5.0, 5.0, 0},
        {"x just above a: upper-tail fraction", std::nextafter(5.0, 6.0), 5.0, 3},
        {"x <= 1 above a: series", 1.0, 0.5, 0},
        {"a = 1e7, x = a: centre approximation", 1e7, 1e7, 2},
        {"a = 1e7, x = 1.1 a: upper-tail fraction", 1.1e7, 1e7, 3},
        {"a = 1e7, x = 0.9 a: lower-tail fraction", 0.9e7, 1e7, 4},
        {"a = 1e5 at the centre: beyond the series' 919 terms, integration", 1e5, 1e5,
         no_method},
    };
    for (const method_case& c : cases) {
        gamma_log_record r = run(c.x, c.a);
        EXPECT_EQ(r.work, 0.0) << c.what;
        EXPECT_EQ(r.method, c.method) << c.what;
        EXPECT_EQ(r.shape, c.a) << c.what;
        EXPECT_LE(r.log_lower, 0.0) << c.what;
        EXPECT_LE(r.log_upper, 0.0) << c.what;
    }
}

TEST(GammaIncLog, ShapeLeftAsGivenOnEveryPath)
{
    // Shifted shapes on the series side, the fraction side, the asymptotic
    // expansion and the integration.
    const double cases[][2] = {{0.2, 0.3}, {3.0, 0.3}, {200.0, 0.7}, {1e5, 1e5}, {0.0, 0.3}};
    for (const auto& c : cases) {
        gamma_log_record r = run(c[0], c[1]);
        EXPECT_EQ(r.work, 0.0) << c[0] << " " << c[1];
        EXPECT_EQ(r.shape, c[1]) << c[0] << " " << c[1];
    }
}

TEST(GammaIncLog, FarBelowTheSmallestDouble)
{
    // ln Q(10, 2000) = 9 ln 2000 - 2000 - ln 9! + ln(1 + 9/2000 + ...):
    // -1944.3891974568222 (mpmath gammainc at mp.dps = 50).
    gamma_log_record r = run(2000.0, 10.0);
    ASSERT_EQ(r.work, 0.0);
    EXPECT_NEAR(r.log_upper, -1944.3891974568222, 1e-12 * 1944.4);
    EXPECT_EQ(r.log_lower, 0.0);
}
