// beta_log_density: accuracy against the mpmath table of
// tests/reference/gen_densities.py, the end points (finite values, or the
// host's missing value for a log of 0 or of infinity), and arguments out of
// the domain.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>

#include "library/densities.h"
#include "support/missing_value.h"
#include "support/output_check.h"

namespace {

struct row_3 {
    double x, a, b;
    double hi, rel;
};

const row_3 beta_rows[] = {
#include "data/densities_beta.inc"
};

constexpr double eps = 1.1102230246251565e-16;  // 2^-53

constexpr double nan_value = std::numeric_limits<double>::quiet_NaN();

constexpr double untouched = -12345.0;

using BetaLogDensity = signalling_missing_value;

}  // namespace

// The log density is a sum of terms that cancel for large shapes near the
// mode, (a-1) ln x + (b-1) ln(1-x) against ln B(a, b) (about -13866 each at
// a = b = 10^4, x = 1/2, around a result of 4.7), and ln B itself is formed
// from terms up to min(a, b) ln max(a, b).  The error is a few roundings of
// those terms, 4 eps T absolute with T = |(a-1) ln x| + |(b-1) ln(1-x)| +
// min(a, b) |ln max(a, b)|, or 1e-12 of the log where that is larger.
TEST_F(BetaLogDensity, Accuracy)
{
    check_output("beta_log_density", "(log error)", beta_rows, [](const row_3& r) {
        double got = 0.0;
        EXPECT_EQ(beta_log_density(r.x, r.a, r.b, &got), 0);
        double terms = std::fabs((r.a - 1) * std::log(r.x)) + std::fabs((r.b - 1) * std::log1p(-r.x))
                       + std::min(r.a, r.b) * std::fabs(std::log(std::max(r.a, r.b)));
        double tolerance = std::max(1e-12, 4 * eps * terms / std::max(1.0, std::fabs(r.hi)));
        return output_check{got, r.hi, reference_log_error(got, r.hi, r.rel), tolerance,
                            describe_arguments("x, a, b", r.x, r.a, r.b)};
    });
}

TEST_F(BetaLogDensity, EndPoints)
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
            EXPECT_EQ(bits_of(out), signalling_missing_bits) << c.x << " " << c.a << " " << c.b;
        else
            EXPECT_NEAR(out, c.value, 4e-16) << c.x << " " << c.a << " " << c.b;
    }
}

TEST_F(BetaLogDensity, OutsideTheDomainNothingIsWritten)
{
    const double beta_args[][3] = {
        {-0.1, 2, 3}, {1.1, 2, 3}, {0.5, 0, 3}, {0.5, 2, -1}, {nan_value, 2, 3}, {0.5, nan_value, 3},
    };
    for (const auto& a : beta_args) {
        double out = untouched;
        EXPECT_EQ(beta_log_density(a[0], a[1], a[2], &out), 1) << a[0] << " " << a[1] << " " << a[2];
        EXPECT_EQ(out, untouched);
    }
}
