// normal_log_tails: accuracy against the mpmath table of
// tests/reference/gen_densities.py, the centre and the far tails.

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <iterator>
#include <limits>

#include "library/densities.h"
#include "support/output_check.h"

namespace {

struct tails_row {
    double z;
    double lower_hi, lower_rel, upper_hi, upper_rel, density_hi, density_rel;
};

const tails_row tails_rows[] = {
#include "data/densities_normal_tails.inc"
};

constexpr double nan_value = std::numeric_limits<double>::quiet_NaN();

}  // namespace

TEST(NormalLogTails, Accuracy)
{
    double lower[std::size(tails_rows)], upper[std::size(tails_rows)],
        density[std::size(tails_rows)];
    for (std::size_t i = 0; i < std::size(tails_rows); ++i)
        ASSERT_EQ(normal_log_tails(tails_rows[i].z, &lower[i], &upper[i], &density[i]), 0);
    auto index = [](const tails_row& r) { return static_cast<std::size_t>(&r - tails_rows); };
    check_output("normal_log_tails lower", "(log error)", tails_rows, [&](const tails_row& r) {
        double got = lower[index(r)];
        return output_check{got, r.lower_hi, reference_log_error(got, r.lower_hi, r.lower_rel),
                            1e-12, describe_arguments("z", r.z)};
    });
    check_output("normal_log_tails upper", "(log error)", tails_rows, [&](const tails_row& r) {
        double got = upper[index(r)];
        return output_check{got, r.upper_hi, reference_log_error(got, r.upper_hi, r.upper_rel),
                            1e-12, describe_arguments("z", r.z)};
    });
    check_output("normal_log_tails density", "(log error)", tails_rows, [&](const tails_row& r) {
        double got = density[index(r)];
        return output_check{got, r.density_hi,
                            reference_log_error(got, r.density_hi, r.density_rel), 1e-12,
                            describe_arguments("z", r.z)};
    });
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
