// ncf_log_tails: ln P(F' <= x) and ln P(F' > x) by the Poisson summation
// from the mode, where ncf_cdf stops: the heavy-tail band, start terms below
// the double range, Poisson means beyond its step limit.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>

#include "library/ncf_log.h"
#include "ncf/ncf_prepared.h"
#include "support/fnonct_regions.h"
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

// The sums on the reference roots lam* of the noncentrality tables
// (P(x; lam*) = p for the double p, mpmath at 40 digits): the extended
// sum's smaller tail is p itself (or 1 - p) within 1e-12 relative, the
// bound the root search is held to; the double sum's within 2^-42 of the
// extended one's, the allowance the search gives its rounding (twice the
// largest difference measured); the provisional sum's, to 2^-30, within
// 1e-8.  Every region, so every kind of design the search meets: where
// the double terms leave the range the extended sum answers.
TEST(NcfLogTailsSlopes, SumsMeetTheReferenceRoots)
{
    const struct {
        int32_t kind;
        double tolerance;
    } kinds[] = {{ncf_log_sum_extended, 1e-12},
                 {ncf_log_sum_double, 0x1p-42},
                 {ncf_log_sum_provisional, 1e-8}};
    for (const auto& k : kinds) {
        for (const fnonct_region& g : fnonct_regions) {
            worst_row worst;
            size_t answered = 0;
            for (size_t i = 0; i < g.n; ++i) {
                const fnonct_region_row& r = g.rows[i];
                double lower, upper, ext_lower, ext_upper;
                ncf_log_slopes slopes;
                if (!(r.lambda > 0.0)
                    || ncf_log_tails_slopes(r.x, r.df1, r.df2, r.lambda, &ext_lower, &ext_upper,
                                            &slopes, ncf_log_sum_extended, nullptr)
                           != 0)
                    continue;
                ASSERT_EQ(ncf_log_tails_slopes(r.x, r.df1, r.df2, r.lambda, &lower, &upper,
                                               &slopes, k.kind, nullptr),
                          0)
                    << g.name << " row " << i;
                ++answered;
                const bool upper_tail = r.p > 0.5;
                const double got = upper_tail ? upper : lower;
                const double want = k.kind != ncf_log_sum_extended ? (upper_tail ? ext_upper : ext_lower)
                                  : upper_tail                     ? std::log1p(-r.p)
                                                                   : std::log(r.p);
                note_error(&worst,
                           std::fabs(got - want) / (k.tolerance + 0x1p-52 * std::fabs(want)), i);
            }
            const fnonct_region_row& w = g.rows[worst.row];
            std::printf("ncf_log_tails_slopes kind %d, %s: %zu of %zu rows, worst %.3g of "
                        "tolerance at (%g, %g, %g, lam %g)\n",
                        static_cast<int>(k.kind), g.name, answered, g.n, worst.error, w.x, w.df1,
                        w.df2, w.lambda);
            EXPECT_LE(worst.error, 1.0) << g.name;
            EXPECT_GT(answered, g.n / 2) << g.name;
        }
    }
}

// The derivatives of the double sum beside the extended one, from Poisson
// means of some thousands to 4e5 (the search's steps take them); and
// where the double terms leave the range (x' of 1/6 with 1163 backward
// steps, each multiplying the beta term by about 5) the extended sum's
// own answer.  An unknown sum kind is refused.
TEST(NcfLogTailsSlopes, DoubleSumDerivativesBesideTheExtendedOnes)
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
                                       ncf_log_sum_extended, nullptr),
                  0);
        ASSERT_EQ(ncf_log_tails_slopes(c.x, c.df1, c.df2, c.ncp, &fast_lower, &fast_upper, &fast,
                                       ncf_log_sum_double, nullptr),
                  0);
        EXPECT_NEAR(fast_lower, lower, 0x1p-42 + 0x1p-52 * std::fabs(lower));
        EXPECT_NEAR(fast_upper, upper, 0x1p-42 + 0x1p-52 * std::fabs(upper));
        EXPECT_NEAR(fast.log_descent, exact.log_descent, 1e-12);
        EXPECT_NEAR(fast.curvature, exact.curvature, 1e-8 * std::fabs(exact.curvature));
        EXPECT_NEAR(fast.torsion, exact.torsion, 1e-6 * std::fabs(exact.torsion));
    }
    double lower, upper;
    ncf_log_slopes slopes;
    EXPECT_EQ(ncf_log_tails_slopes(2500.0, 4.0, 50000.0, 10412.0, &lower, &upper, &slopes, 3,
                                   nullptr),
              1);
}

// A kept start: reused while the Poisson mode stays within a quarter of the
// weights' standard deviation of the one it was chosen at (a root search's
// next step), with the tails and derivatives of a fresh start; chosen
// afresh beyond that, and for another distribution.
TEST(NcfLogTailsSlopes, KeptStartServesNearbyNoncentralities)
{
    const double x = 1693.41, df1 = 286.97, df2 = 12.7, ncp = 290830.0;
    // sqrt(ncp/2) = 381: a quarter of it is 95 indices, 190 in ncp.
    const struct {
        double x, ncp;
        bool reused;
    } steps[] = {{x, ncp, false},         {x, ncp + 29.0, true},  {x, ncp - 150.0, true},
                 {x, ncp + 400.0, false}, {x * 1.01, ncp + 400.0, false}};
    ncf_log_start start;
    for (const auto& s : steps) {
        SCOPED_TRACE(s.ncp);
        const ncf_log_start before = start;
        double lower, upper, fresh_lower, fresh_upper;
        ncf_log_slopes kept, fresh;
        ASSERT_EQ(ncf_log_tails_slopes(s.x, df1, df2, s.ncp, &lower, &upper, &kept,
                                       ncf_log_sum_double, &start),
                  0);
        EXPECT_EQ(start.k == before.k && start.x == before.x, s.reused);
        ASSERT_EQ(ncf_log_tails_slopes(s.x, df1, df2, s.ncp, &fresh_lower, &fresh_upper, &fresh,
                                       ncf_log_sum_double, nullptr),
                  0);
        EXPECT_NEAR(lower, fresh_lower, 0x1p-42 + 0x1p-52 * std::fabs(fresh_lower));
        EXPECT_NEAR(upper, fresh_upper, 0x1p-42 + 0x1p-52 * std::fabs(fresh_upper));
        EXPECT_NEAR(kept.log_descent, fresh.log_descent, 1e-12);
    }
}
