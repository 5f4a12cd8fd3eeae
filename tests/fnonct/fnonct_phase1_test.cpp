// The closed-form starts of the library's solver: fnonct_normal_start
// (Newton's method in v = (df1 + lam)^(-1/3) on the cube-root normal
// approximation, its cube roots taken from the bits) and
// fnonct_heavy_tail_start (the power law of the upper tail), against the
// roots of the reference regions, and at the ends of the double range.

#include <gtest/gtest.h>

#include <cmath>

#include "fnonct/fnonct_detail.h"
#include "ncf/ncf.h"

namespace {

struct fnonct_region_row {
    double x, df1, df2, p, lambda, kappa;
};

#include "data/fnonct_regions.inc"

// B = 2 ln(P0/p), the lower bound of the root the solver passes.
double lower_bound(double p0, double p) { return 2.0 * std::log(p0 / p); }

// Where the approximation has a root, the start lies near the root of the
// distribution function itself; a wrong gap, slope or cube root throws it
// off by far more than the approximation's own error.  Ordinary designs:
// within 25% in nine rows of ten; large ones within 1%.
TEST(FnonctNormalStart, NearTheRootWhereTheApproximationHolds)
{
    struct region {
        const char* name;
        const fnonct_region_row* rows;
        size_t count;
        double tolerance;  // relative, for nine rows of ten
    };
    const region regions[] = {
        {"ordinary", fnonct_ordinary_rows, sizeof fnonct_ordinary_rows / sizeof fnonct_ordinary_rows[0], 0.25},
        {"large", fnonct_large_rows, sizeof fnonct_large_rows / sizeof fnonct_large_rows[0], 0.01},
    };
    for (const region& g : regions) {
        size_t near = 0;
        for (size_t i = 0; i < g.count; ++i) {
            const fnonct_region_row& r = g.rows[i];
            double p0;
            ASSERT_EQ(ncf_cdf(r.x, r.df1, r.df2, 0.0, &p0), 0) << g.name << " row " << i;
            const double bound = lower_bound(p0, r.p);
            const double start = fnonct_normal_start(r.x, r.df1, r.df2, r.p, bound);
            ASSERT_TRUE(start == 0.0 || (start >= bound && start <= fnonct_start_ceiling))
                << g.name << " row " << i << ": " << start;
            if (std::fabs(start / r.lambda - 1.0) <= g.tolerance)
                ++near;
        }
        EXPECT_GE(10 * near, 9 * g.count) << g.name << ": " << near << " of " << g.count;
    }
}

// Arguments at the ends of the double range, where the cube roots leave
// their bit-level first guess for logarithms and x df1 would overflow: the
// start stays finite, at or above B, at most the ceiling (or 0: no root of
// the approximation above B).
TEST(FnonctNormalStart, InsideItsBoundsAtTheEndsOfTheRange)
{
    struct range_case {
        double x, df1, df2, p, bound;
    };
    const range_case cases[] = {
        {1e300, 1e10, 5.0, 0.5, 1.0},     {1e300, 3.0, 1e300, 0.01, 10.0},
        {1e-300, 3.0, 10.0, 0.5, 1e-10},  {4.9e-324, 1e-300, 1e-300, 0.5, 1e-300},
        {2.0, 1e-300, 10.0, 0.3, 0.5},    {2.0, 1.5e308, 10.0, 0.3, 0.5},
        {1e154, 1e154, 2.0, 1e-300, 1e3}, {3.0, 4.0, 20.0, 1.0 - 1e-16, 1e-9},
        {1e-291, 2.0, 10.0, 0.5, 1e-3},
    };
    for (const range_case& c : cases) {
        const double start = fnonct_normal_start(c.x, c.df1, c.df2, c.p, c.bound);
        EXPECT_TRUE(start == 0.0 || (start >= c.bound && start <= fnonct_start_ceiling))
            << c.x << ", " << c.df1 << ", " << c.df2 << ", " << c.p << ": " << start;
    }
}

// The heavy-tail band (df2 below 2, x' rounding to 1): the normal
// approximation has no root there, and the power law
// Q(lam)/Q(0) = (1 + lam/df1)^(df2/2) starts within a factor 2.2 of the
// root for every numerator of 1 degree of freedom or more; below 1, and for
// denominators of 2 or more, it gives way to max(B, 1).
TEST(FnonctHeavyTailStart, WithinAFactorOfTheRootOnTheHeavyTailBand)
{
    const size_t n = sizeof fnonct_heavy_rows / sizeof fnonct_heavy_rows[0];
    size_t checked = 0;
    for (size_t i = 0; i < n; ++i) {
        const fnonct_region_row& r = fnonct_heavy_rows[i];
        double p0;
        ASSERT_EQ(ncf_cdf(r.x, r.df1, r.df2, 0.0, &p0), 0) << "row " << i;
        const double bound = lower_bound(p0, r.p);
        const double start = fnonct_heavy_tail_start(r.df1, r.df2, r.p, p0, bound);
        if (r.df1 < 1.0) {
            EXPECT_EQ(start, bound >= 1.0 ? bound : 1.0) << "row " << i;
            continue;
        }
        ++checked;
        EXPECT_LE(std::fabs(std::log(start / r.lambda)), std::log(2.2)) << "row " << i;
    }
    EXPECT_GT(checked, 0u);
    EXPECT_EQ(fnonct_heavy_tail_start(5.0, 2.0, 0.9, 0.5, 0.3), 1.0);   // df2 = 2
    EXPECT_EQ(fnonct_heavy_tail_start(5.0, 0.2, 0.95, 0.9, 4.0), 4.0);  // p above P0
}

}  // namespace
