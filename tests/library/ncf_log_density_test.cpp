// ncf_log_density: ln of the noncentral F density, a Poisson mixture of
// beta densities summed about its largest term.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>

#include "host/host.h"
#include "library/ncf_log_density.h"
#include "module/host_services.h"
#include "support/reference_table.h"

namespace {

struct ncf_density_reference {
    double x, n1, n2, lambda, log_density;
};

#include "data/ncf_density.inc"

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

uint64_t bits_of(double v)
{
    uint64_t b;
    std::memcpy(&b, &v, sizeof b);
    return b;
}

// Each row must meet 1e-12 relative in the log or 1e-13 absolute in it
// (1e-13 relative in the density, the bound that matters where the log is
// near zero); the error is reported in units of the looser of the two.
template <size_t N>
void check_table(const char* name, const ncf_density_reference (&rows)[N])
{
    worst_row worst;
    for (size_t i = 0; i < N; ++i) {
        const ncf_density_reference& r = rows[i];
        double got = -7.0;
        ASSERT_EQ(ncf_log_density(r.x, r.n1, r.n2, r.lambda, &got), 0) << name << " row " << i;
        const double d = std::fabs(got - r.log_density);
        note_error(&worst, std::fmin(d / (1e-12 * std::fabs(r.log_density)), d / 1e-13), i);
    }
    const ncf_density_reference& w = rows[worst.row];
    std::printf("%s: %zu rows; worst at (%.17g, %.17g, %.17g, %.17g): %.3g of the bound\n", name,
                N, w.x, w.n1, w.n2, w.lambda, worst.error);
    EXPECT_LE(worst.error, 1.0) << name;
}

TEST(NcfLogDensity, AgreesWithHighPrecisionReference)
{
    check_table("ncf_log_density", ncf_density_rows);
}

// Noncentralities from 10^4 to 10^7: the walks about the largest term need
// up to some 17 sqrt(k0) terms, past the thousand that suffice below, and
// the largest term's parts are of size k0 (they once failed above lambda =
// 9000, and left 3e-12 of the log at lambda = 11877).
TEST(NcfLogDensity, LargeNoncentrality)
{
    check_table("ncf_log_density large lambda", ncf_density_large_rows);
}

// At x = 0 only n1 = 2 has a finite density: the central F(2, n2) density
// there is 1, and with noncentrality only the k = 0 term of the mixture is
// left, e^(-lambda/2).
TEST(NcfLogDensity, OriginWithTwoNumeratorDegrees)
{
    const double cases[][2] = {{5.0, 0.0}, {1.0, 0.0}, {5.0, 0.5}, {5.0, 3.0}, {0.7, 40.0}, {300.0, 900.0}};
    for (const auto& c : cases) {
        double got = -7.0;
        ASSERT_EQ(ncf_log_density(0.0, 2.0, c[0], c[1], &got), 0) << c[0] << ", " << c[1];
        EXPECT_NEAR(got, -0.5 * c[1], 1e-15 * (1.0 + c[1])) << c[0] << ", " << c[1];
    }
}

// Elsewhere at x = 0 the log density is infinite and the result is the
// host's missing value with status 0: first the quiet NaN used while no host
// vector is installed, then the host's own pattern, bit for bit.
TEST(NcfLogDensity, OriginOtherwiseGivesTheMissingValue)
{
    const double cases[][3] = {{4.0, 5.0, 3.0}, {4.0, 5.0, 0.0}, {1.0, 10.0, 2.0}, {7.0, 2.0, 0.0}};
    host_vector_store(nullptr);
    for (const auto& c : cases) {
        double got = -7.0;
        EXPECT_EQ(ncf_log_density(0.0, c[0], c[1], c[2], &got), 0) << c[0];
        EXPECT_TRUE(std::isnan(got)) << c[0];
    }

    constexpr uint64_t pattern = 0x7FF4000000000BADULL;
    host_reset();
    host_vector_store(host_vector_address());
    host_set_missing_value(pattern);
    for (const auto& c : cases) {
        double got = -7.0;
        EXPECT_EQ(ncf_log_density(0.0, c[0], c[1], c[2], &got), 0) << c[0];
        EXPECT_EQ(bits_of(got), pattern) << c[0] << ", " << c[2];
    }
    host_reset();
    host_vector_store(nullptr);
}

TEST(NcfLogDensity, DomainFailuresLeaveTheOutputAlone)
{
    const double args[][4] = {
        {-1e-300, 3.0, 10.0, 2.0}, {1.0, 0.0, 10.0, 2.0}, {1.0, -3.0, 10.0, 2.0},
        {1.0, 3.0, 0.0, 2.0},      {1.0, 3.0, 10.0, -1e-300},
        {nan, 3.0, 10.0, 2.0},     {1.0, nan, 10.0, 2.0}, {1.0, 3.0, nan, 2.0}, {1.0, 3.0, 10.0, nan},
    };
    for (const auto& a : args) {
        double got = -7.0;
        EXPECT_EQ(ncf_log_density(a[0], a[1], a[2], a[3], &got), 1)
            << a[0] << ", " << a[1] << ", " << a[2] << ", " << a[3];
        EXPECT_EQ(got, -7.0);
    }
}

// The sum about a largest term near k = 1500 (mpmath's Poisson mixture at
// mp.dps = 40 gives -7.0419415411990942); a largest term placed wrongly
// leaves ratios that overflow.
TEST(NcfLogDensity, SumAboutTheLargestTerm)
{
    double got = -7.0;
    EXPECT_EQ(ncf_log_density(1000.0, 3.0, 10.0, 3000.0, &got), 0);
    EXPECT_NEAR(got, -7.0419415411990942, 1e-12 * 7.04);
}

}  // namespace
