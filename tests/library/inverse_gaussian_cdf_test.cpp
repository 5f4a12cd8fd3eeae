// inverse_gaussian_cdf: accuracy against the mpmath table of
// tests/reference/gen_densities.py, and the values that are exact.

#include <gtest/gtest.h>

#include <cmath>

#include "library/distributions.h"
#include "support/output_check.h"

namespace {

struct row_2 {
    double x, a;
    double hi, rel;
};

const row_2 inverse_gaussian_rows[] = {
#include "data/densities_inverse_gaussian.inc"
};

constexpr double eps = 1.1102230246251565e-16;  // 2^-53

}  // namespace

// Both terms are exponentials of quantities of size lambda: the second
// e^(2 lambda - t^2) with t^2 = lambda (x + 1/x + 2)/2, the first through
// erfc of y^2 = lambda (x + 1/x - 2)/2.  Their roundings, some eps
// (2 lambda + t^2) absolute in the exponent, bound the relative error
// beyond 1e-13 for large lambda (2e-12 at lambda = 10^3, x = 1).
TEST(InverseGaussianCdf, Accuracy)
{
    check_output("inverse_gaussian_cdf", "relative", inverse_gaussian_rows, [](const row_2& r) {
        double got = inverse_gaussian_cdf(r.x, r.a);
        double t2 = r.a * (r.x + 1 / r.x + 2) / 2;
        double tolerance = 1e-13 + 4 * eps * (2 * r.a + t2);
        return output_check{got, r.hi, reference_relative_error(got, r.hi, r.rel), tolerance,
                            describe_arguments("x, lambda", r.x, r.a)};
    });
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
