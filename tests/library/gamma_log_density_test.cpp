// gamma_log_density: accuracy against the mpmath table of
// tests/reference/gen_densities.py, the value at x = 0 (finite, or the host's
// missing value), and arguments out of the domain.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "library/densities.h"
#include "support/missing_value.h"
#include "support/output_check.h"

namespace {

struct row_2 {
    double x, a;
    double hi, rel;
};

const row_2 gamma_rows[] = {
#include "data/densities_gamma.inc"
};

constexpr double nan_value = std::numeric_limits<double>::quiet_NaN();

constexpr double untouched = -12345.0;

using GammaLogDensity = signalling_missing_value;

}  // namespace

TEST_F(GammaLogDensity, Accuracy)
{
    check_output("gamma_log_density", "(log error)", gamma_rows, [](const row_2& r) {
        double got = 0.0;
        EXPECT_EQ(gamma_log_density(r.x, r.a, &got), 0);
        return output_check{got, r.hi, reference_log_error(got, r.hi, r.rel), 1e-12,
                            describe_arguments("x, a", r.x, r.a)};
    });
}

TEST_F(GammaLogDensity, AtZero)
{
    double out = untouched;
    ASSERT_EQ(gamma_log_density(0.0, 1.0, &out), 0);
    EXPECT_EQ(out, 0.0);
    for (double a : {2.0, 0.5}) {
        out = untouched;
        ASSERT_EQ(gamma_log_density(0.0, a, &out), 0);
        EXPECT_EQ(bits_of(out), signalling_missing_bits) << a;
    }
}

TEST_F(GammaLogDensity, OutsideTheDomainNothingIsWritten)
{
    const double gamma_args[][2] = {{-1e-300, 2}, {1, 0}, {1, -2}, {nan_value, 2}, {1, nan_value}};
    for (const auto& a : gamma_args) {
        double out = untouched;
        EXPECT_EQ(gamma_log_density(a[0], a[1], &out), 1) << a[0] << " " << a[1];
        EXPECT_EQ(out, untouched);
    }
}
