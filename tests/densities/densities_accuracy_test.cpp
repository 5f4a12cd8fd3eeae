// Accuracy of the log densities, the normal log tails, the Mills ratio and
// the inverse Gaussian distribution function against the mpmath tables of
// tests/reference/gen_densities.py.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "library/densities.h"
#include "library/distributions.h"
#include "support/output_check.h"

namespace {

struct row_1 {
    double x;
    double hi, rel;
};
struct row_2 {
    double x, a;
    double hi, rel;
};
struct row_3 {
    double x, a, b;
    double hi, rel;
};
struct tails_row {
    double z;
    double lower_hi, lower_rel, upper_hi, upper_rel, density_hi, density_rel;
};

const row_3 beta_rows[] = {
#include "data/densities_beta.inc"
};
const row_2 gamma_rows[] = {
#include "data/densities_gamma.inc"
};
const tails_row tails_rows[] = {
#include "data/densities_normal_tails.inc"
};
const row_1 mills_rows[] = {
#include "data/densities_mills.inc"
};
const row_2 inverse_gaussian_rows[] = {
#include "data/densities_inverse_gaussian.inc"
};

constexpr double eps = 1.1102230246251565e-16;  // 2^-53

}  // namespace

// The log density is a sum of terms that cancel for large shapes near the
// mode, (a-1) ln x + (b-1) ln(1-x) against ln B(a, b) (about -13866 each at
// a = b = 10^4, x = 1/2, around a result of 4.7), and ln B itself is formed
// from terms up to min(a, b) ln max(a, b).  The error is a few roundings of
// those terms, 4 eps T absolute with T = |(a-1) ln x| + |(b-1) ln(1-x)| +
// min(a, b) |ln max(a, b)|, or 1e-12 of the log where that is larger.
TEST(DensitiesAccuracy, BetaLogDensity)
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

TEST(DensitiesAccuracy, GammaLogDensity)
{
    check_output("gamma_log_density", "(log error)", gamma_rows, [](const row_2& r) {
        double got = 0.0;
        EXPECT_EQ(gamma_log_density(r.x, r.a, &got), 0);
        return output_check{got, r.hi, reference_log_error(got, r.hi, r.rel), 1e-12,
                            describe_arguments("x, a", r.x, r.a)};
    });
}

TEST(DensitiesAccuracy, NormalLogTails)
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

TEST(DensitiesAccuracy, MillsRatio)
{
    check_output("mills_ratio", "relative", mills_rows, [](const row_1& r) {
        double got = 0.0;
        EXPECT_EQ(mills_ratio(r.x, &got), 0);
        return output_check{got, r.hi, reference_relative_error(got, r.hi, r.rel), 1e-13,
                            describe_arguments("z", r.x)};
    });
}

// Both terms are exponentials of quantities of size lambda: the second
// e^(2 lambda - t^2) with t^2 = lambda (x + 1/x + 2)/2, the first through
// erfc of y^2 = lambda (x + 1/x - 2)/2.  Their roundings, some eps
// (2 lambda + t^2) absolute in the exponent, bound the relative error
// beyond 1e-13 for large lambda (2e-12 at lambda = 10^3, x = 1).
TEST(DensitiesAccuracy, InverseGaussianCdf)
{
    check_output("inverse_gaussian_cdf", "relative", inverse_gaussian_rows, [](const row_2& r) {
        double got = inverse_gaussian_cdf(r.x, r.a);
        double t2 = r.a * (r.x + 1 / r.x + 2) / 2;
        double tolerance = 1e-13 + 4 * eps * (2 * r.a + t2);
        return output_check{got, r.hi, reference_relative_error(got, r.hi, r.rel), tolerance,
                            describe_arguments("x, lambda", r.x, r.a)};
    });
}
