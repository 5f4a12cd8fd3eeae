// ncf_log_tails: ln P(F' <= x) and ln P(F' > x) by the Poisson summation
// from the mode, where ncf_cdf stops: the heavy-tail band, start terms below
// the double range, Poisson means beyond its step limit.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>

#include "library/ncf_log.h"
#include "ncf/ncf_prepared.h"
#include "support/reference_table.h"

namespace {

struct ncf_tails_row {
    double x, df1, df2, ncp, log_lower, rel_lower, log_upper, rel_upper;
};
struct beta_other_side_row {
    double x, a, b, w, rel;
};

#include "data/ncf_tails.inc"

// The error of a log: absolute 2e-14 (a relative 2e-14 in the probability)
// plus a unit of rounding of the log itself, 2^-52 |ln|, for logs of
// probabilities far below the double range.
double log_tolerance(double reference)
{
    return 2e-14 + 0x1p-52 * std::fabs(reference);
}

double log_error(double got, double hi, double rel)
{
    return std::fabs((got - hi) - hi * rel);
}

TEST(NcfLogTails, AgreesWithHighPrecisionTails)
{
    worst_row worst;
    const size_t n = sizeof ncf_tails_rows / sizeof ncf_tails_rows[0];
    for (size_t i = 0; i < n; ++i) {
        const ncf_tails_row& r = ncf_tails_rows[i];
        double lower = 1.0, upper = 1.0;
        ASSERT_EQ(ncf_log_tails(r.x, r.df1, r.df2, r.ncp, &lower, &upper), 0) << "row " << i;
        note_error(&worst, log_error(lower, r.log_lower, r.rel_lower) / log_tolerance(r.log_lower), i);
        note_error(&worst, log_error(upper, r.log_upper, r.rel_upper) / log_tolerance(r.log_upper), i);
    }
    const ncf_tails_row& w = ncf_tails_rows[worst.row];
    std::printf("ncf_log_tails: %zu rows, worst error %.3g of its tolerance at (%g, %g, %g, %g)\n", n,
                worst.error, w.x, w.df1, w.df2, w.ncp);
    EXPECT_LE(worst.error, 1.0);
}

TEST(NcfLogTails, Failures)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double args[][4] = {
        {0.0, 3.0, 10.0, 5.0},  {-1.0, 3.0, 10.0, 5.0}, {1.0, 0.0, 10.0, 5.0},
        {1.0, 3.0, -1.0, 5.0},  {1.0, 3.0, 10.0, -1.0}, {nan, 3.0, 10.0, 5.0},
        {1.0, 3e9, 10.0, 5.0},  {1.0, 3.0, 10.0, 2e7},  // Poisson mean above 5e6
        {1.0, 0x1p-20, 10.0, 5.0}, {1.0, 3.0, 0x1p-20, 5.0},  // degrees of freedom at 2^-20
    };
    for (const auto& a : args) {
        double lower = 7.0, upper = 8.0;
        EXPECT_EQ(ncf_log_tails(a[0], a[1], a[2], a[3], &lower, &upper), 1)
            << a[0] << ", " << a[1] << ", " << a[2] << ", " << a[3];
    }
}

}  // namespace

// ncf_log_tails_slopes: the derivatives from the log-space sum agree with
// those of the prepared sum (ncf_cdf_slopes_at, held to mpmath's descent in
// tests/ncf/ncf_cdf_test.cpp) where both answer, across Poisson means from
// 0.5 to 2000 (the log-space sum starts from the mode, the prepared one
// from 1.16 lam: different terms, the same derivatives).
TEST(NcfLogTailsSlopes, AgreeWithThePreparedSum)
{
    struct slope_case {
        double x, df1, df2, ncp;
    };
    const slope_case cases[] = {
        {2.0, 3.0, 10.0, 1.0},   {2.0, 3.0, 10.0, 3.5591}, {4.0, 2.0, 2.0, 30.0},
        {0.5, 10.0, 3.0, 100.0}, {999.0, 10.0, 10.0, 2000.0}, {50.0, 10.0, 10.0, 4000.0},
        {1.5, 20.0, 200.0, 12.0},
    };
    for (const slope_case& c : cases) {
        SCOPED_TRACE(c.ncp);
        ncf_cdf_point point;
        ncf_cdf_prepare(c.x, c.df1, c.df2, &point);
        double p, log_lower, log_upper;
        ncf_cdf_slopes direct;
        ncf_log_slopes logs;
        ASSERT_EQ(ncf_cdf_slopes_at(&point, c.ncp, &p, &direct), 0);
        ASSERT_EQ(ncf_log_tails_slopes(c.x, c.df1, c.df2, c.ncp, &log_lower, &log_upper, &logs,
                                       ncf_log_sum_extended, nullptr),
                  0);
        EXPECT_NEAR(std::exp(logs.log_descent) / direct.descent, 1.0, 1e-13);
        EXPECT_NEAR(logs.curvature, direct.curvature, 1e-10 * std::fabs(direct.curvature) + 1e-14);
        EXPECT_NEAR(logs.torsion, direct.torsion, 1e-8 * std::fabs(direct.torsion) + 1e-13);
    }
    double log_lower, log_upper;
    ncf_log_slopes logs;
    EXPECT_NE(ncf_log_tails_slopes(2.0, 3.0, 10.0, 0.0, &log_lower, &log_upper, &logs,
                                       ncf_log_sum_extended, nullptr), 0);
}

// The provisional sum (in doubles) beside the extended one, from Poisson
// means of some thousands to 4e5: its tails within 1e-10 of theirs
// relative (it carries some 1e-12 of rounding through its steps), its
// derivatives as close; and where its terms leave the double range (x' of
// 1/6 with 1163 backward steps, each multiplying the beta term by about 5)
// it gives the extended sum's own answer.
TEST(NcfLogTailsSlopes, ProvisionalSumSteersBesideTheExtendedOne)
{
    struct slope_case {
        double x, df1, df2, ncp;
    };
    const slope_case cases[] = {
        {79281.0, 5.12, 84318.5, 404403.0}, {1893.02, 527.98, 65.9, 769582.0},
        {41046.1, 7.49, 127.3, 272581.0},   {1201.0, 5.0, 100.0, 6000.0},
        {2500.0, 4.0, 50000.0, 10412.0},
    };
    for (const slope_case& c : cases) {
        SCOPED_TRACE(c.ncp);
        double lower, upper, fast_lower, fast_upper;
        ncf_log_slopes exact, fast;
        ASSERT_EQ(ncf_log_tails_slopes(c.x, c.df1, c.df2, c.ncp, &lower, &upper, &exact,
                                       ncf_log_sum_extended, nullptr), 0);
        ASSERT_EQ(ncf_log_tails_slopes(c.x, c.df1, c.df2, c.ncp, &fast_lower, &fast_upper, &fast,
                                       ncf_log_sum_double, nullptr),
                  0);
        EXPECT_NEAR(fast_lower, lower, 1e-10 * std::fabs(lower));
        EXPECT_NEAR(fast_upper, upper, 1e-10 * std::fabs(upper));
        EXPECT_NEAR(fast.log_descent, exact.log_descent, 1e-10);
        EXPECT_NEAR(fast.curvature, exact.curvature, 1e-8 * std::fabs(exact.curvature));
        EXPECT_NEAR(fast.torsion, exact.torsion, 1e-6 * std::fabs(exact.torsion));
    }
}
