// mills_ratio: accuracy against the mpmath table of
// tests/reference/gen_densities.py, and the meeting of the closed form and the
// continued fraction at 5.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "library/densities.h"
#include "support/output_check.h"

namespace {

struct row_1 {
    double x;
    double hi, rel;
};

const row_1 mills_rows[] = {
#include "data/densities_mills.inc"
};

constexpr double nan_value = std::numeric_limits<double>::quiet_NaN();

constexpr double untouched = -12345.0;

}  // namespace

TEST(MillsRatio, Accuracy)
{
    check_output("mills_ratio", "relative", mills_rows, [](const row_1& r) {
        double got = 0.0;
        EXPECT_EQ(mills_ratio(r.x, &got), 0);
        return output_check{got, r.hi, reference_relative_error(got, r.hi, r.rel), 1e-13,
                            describe_arguments("z", r.x)};
    });
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
