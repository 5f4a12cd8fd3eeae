// ncx2_log_tails and ncx2_tails: both tails, in logs and in linear terms,
// against the mpmath tables, one loop per table, 1e-12 kappa; the end
// points, the domain, the central case against the incomplete gamma, the
// subnormal range and the forward sum's boundary.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>

#include "library/gamma.h"
#include "ncx2/ncx2.h"
#include "support/ncx2_tables.h"

namespace {

constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double nan_value = std::numeric_limits<double>::quiet_NaN();

// Both logs of each row within 1e-12 kappa, kappa the smaller tail's
// condition number in x and ncp.
TEST(Ncx2LogTails, ReferenceTables)
{
    ncx2_check_tables("ncx2_log_tails", [](const ncx2_row& r) {
        double lower, upper;
        if (ncx2_log_tails(r.x, r.df, r.ncp, &lower, &upper) != 0)
            return std::nan("");
        return std::fmax(ncx2_log_error(lower, r.log_lower_hi, r.log_lower_rel),
                         ncx2_log_error(upper, r.log_upper_hi, r.log_upper_rel))
               / (ncx2_table_tolerance * r.kappa_tail);
    });
}

TEST(Ncx2LogTails, EndPoints)
{
    double lower, upper;
    ASSERT_EQ(ncx2_log_tails(0.0, 3.0, 2.0, &lower, &upper), 0);
    EXPECT_EQ(lower, -inf);
    EXPECT_EQ(upper, 0.0);
    ASSERT_EQ(ncx2_log_tails(-1.0, 3.0, 2.0, &lower, &upper), 0);
    EXPECT_EQ(lower, -inf);
    ASSERT_EQ(ncx2_log_tails(inf, 3.0, 2.0, &lower, &upper), 0);
    EXPECT_EQ(lower, 0.0);
    EXPECT_EQ(upper, -inf);
    // Far above the bulk: the upper tail far below any double, both kept.
    ASSERT_EQ(ncx2_log_tails(1e6, 3.0, 2.0, &lower, &upper), 0);
    EXPECT_EQ(lower, 0.0);
    EXPECT_LT(upper, -4.9e5);
    // At the largest double: the upper tail some e^(-x/2), by the Bessel
    // form (the value is a row of the far-regions table).
    ASSERT_EQ(ncx2_log_tails(1.7976931348623157e308, 3.0, 2.0, &lower, &upper), 0);
    EXPECT_EQ(lower, 0.0);
    EXPECT_NEAR(upper / -0x1p1023, 1.0, 1e-15);
}

TEST(Ncx2LogTails, Domain)
{
    struct bad {
        double x, df, ncp;
    };
    const bad cases[] = {
        {nan_value, 3.0, 2.0},      {1.0, nan_value, 2.0}, {1.0, 3.0, nan_value},
        {1.0, 0.0, 2.0},            {1.0, 0x1p-10, 2.0},   {1.0, -1.0, 2.0},
        {1.0, 2147483648.0, 2.0},   {1.0, inf, 2.0},       {1.0, 3.0, -1e-300},
        {1.0, 3.0, 1.0000001e7},    {1.0, 3.0, inf},
    };
    for (const bad& c : cases) {
        double lower = 0.0, upper = 0.0;
        EXPECT_EQ(ncx2_log_tails(c.x, c.df, c.ncp, &lower, &upper), 1)
            << c.x << " " << c.df << " " << c.ncp;
        EXPECT_TRUE(std::isnan(lower) && std::isnan(upper));
    }
    double lower, upper;
    EXPECT_EQ(ncx2_log_tails(1.0, 0x1.0000000000001p-10, 1e6, &lower, &upper), 0);
}

// ncp = 0 is the central law: P(df/2, x/2) itself.
TEST(Ncx2LogTails, CentralIsTheIncompleteGamma)
{
    const double points[][2] = {{0.5, 1.0}, {3.84, 1.0}, {10.0, 10.0}, {300.0, 200.0}};
    for (const auto& pt : points) {
        gamma_log_record r{};
        r.x = 0.5 * pt[0];
        r.shape = 0.5 * pt[1];
        ASSERT_EQ(gamma_inc_log(&r), 0);
        double lower, upper;
        ASSERT_EQ(ncx2_log_tails(pt[0], pt[1], 0.0, &lower, &upper), 0);
        EXPECT_NEAR(lower, r.log_lower, 1e-14 * (1.0 + std::fabs(lower)));
        EXPECT_NEAR(upper, r.log_upper, 1e-14 * (1.0 + std::fabs(upper)));
    }
}

// Both linear tails of each row within 1e-12 kappa, relative (the forward
// sum on the ordinary rows, the exponentials of the logs beyond it); a
// reference below the normal range is measured against 2^-1022, where
// the subnormal spacing is the only accuracy left.
TEST(Ncx2Tails, ReferenceTables)
{
    ncx2_check_tables("ncx2_tails", [](const ncx2_row& r) {
        double lower, upper;
        if (ncx2_tails(r.x, r.df, r.ncp, &lower, &upper) != 0)
            return std::nan("");
        auto error = [](double got, double log_hi, double log_rel) {
            long double want = std::exp(static_cast<long double>(log_hi) * (1.0L + log_rel));
            long double size = want > 0x1p-1022L ? want : 0x1p-1022L;
            return static_cast<double>(std::fabs(got - want) / size);
        };
        return std::fmax(error(lower, r.log_lower_hi, r.log_lower_rel),
                         error(upper, r.log_upper_hi, r.log_upper_rel))
               / (ncx2_table_tolerance * r.kappa_tail);
    });
}

// The end points, a tail in the subnormal range (P(X <= 1; 5, 1500) =
// e^-723.7, the smaller not a complement), the boundary of the forward
// sum's Poisson means (ncp = 300 by it, just above by the logs: the two
// agree), NaN on failure.
TEST(Ncx2Tails, EndPointsSubnormalsAndFailures)
{
    double p, q;
    ASSERT_EQ(ncx2_tails(0.0, 3.0, 2.0, &p, &q), 0);
    EXPECT_EQ(p, 0.0);
    EXPECT_EQ(q, 1.0);
    ASSERT_EQ(ncx2_tails(inf, 3.0, 2.0, &p, &q), 0);
    EXPECT_EQ(p, 1.0);
    EXPECT_EQ(q, 0.0);
    ASSERT_EQ(ncx2_tails(1.0, 5.0, 1500.0, &p, &q), 0);
    EXPECT_GT(p, 0.0);
    EXPECT_LT(p, 1e-310);
    EXPECT_EQ(q, 1.0);
    double p_at, q_at, p_above, q_above;
    ASSERT_EQ(ncx2_tails(320.0, 10.0, 300.0, &p_at, &q_at), 0);
    ASSERT_EQ(ncx2_tails(320.0, 10.0, std::nextafter(300.0, inf), &p_above, &q_above), 0);
    EXPECT_NEAR(p_at, p_above, 1e-14 * p_at);
    EXPECT_NEAR(q_at, q_above, 1e-14 * q_at);
    EXPECT_EQ(ncx2_tails(1.0, -5.0, 1.0, &p, &q), 1);
    EXPECT_TRUE(std::isnan(p) && std::isnan(q));
    EXPECT_EQ(ncx2_tails(nan_value, 5.0, 1.0, &p, &q), 1);
    EXPECT_TRUE(std::isnan(p) && std::isnan(q));
}

}  // namespace
