// The noncentral t quantile far out in its heavy tails, where the tail
// beyond t falls as |t|^-df and small p at small df put the quantile at
// 1e11 to 1e253 (tests/reference/gen_nct.py, tests/data/nct_quantile.inc: the
// root of an integral over the normal, checked by a series in a/t^2), and
// the p below the tail at the largest double, where no double is the
// quantile and the status says so.
//
// Tolerance 1e-12 max(1, kappa) relative to |t|, kappa = T/(|t| f), as the
// quantiles of the other tables (nct_cdf_test.cpp).

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "nct/nct.h"
#include "support/nct_tables.h"

namespace {

#include "data/nct_quantile.inc"

constexpr double tolerance = 1e-12;

TEST(NctQuantile, FarInTheHeavyTails)
{
    double worst = 0.0;
    size_t worst_row = 0;
    size_t n = sizeof(nct_far_quantile_rows) / sizeof(nct_far_quantile_rows[0]);
    for (size_t i = 0; i < n; ++i) {
        const nct_far_quantile_row& r = nct_far_quantile_rows[i];
        int32_t tail = r.tail == 0 ? nct_lower_tail : nct_upper_tail;
        double t;
        ASSERT_EQ(nct_quantile(r.p, tail, r.df, r.delta, &t), nct_ok) << "row " << i;
        double want = r.t + r.t * r.rel;
        double error = std::fabs(t - want) / std::fabs(want);
        double allowed = tolerance * std::fmax(1.0, r.kappa);
        EXPECT_LE(error, allowed) << "row " << i << ": got " << t << ", want " << want;
        if (error / allowed > worst) {
            worst = error / allowed;
            worst_row = i;
        }
    }
    const nct_far_quantile_row& r = nct_far_quantile_rows[worst_row];
    std::printf("[  worst   ] far quantiles over %zu rows: %.3g of 1e-12 kappa at (p %.17g, tail %d, "
                "df %.17g, delta %.17g)\n", n, worst, r.p, r.tail, r.df, r.delta);
}

// p below the tail at the largest double: ln P(T > 1.8e308) is about -191
// at df = 0.27, delta = 65.5 and about -508 at df = 0.72, delta = 142.4
// (mpmath, the moments of the normal), so no double is the quantile.
TEST(NctQuantile, NoDoubleBeyondTheLargest)
{
    struct absent {
        double p;
        int32_t tail;
        double df, delta;
    };
    const absent cases[] = {
        {2.9814225208609106e-136, nct_upper_tail, 0.27060632830620834, 65.50312193759231},
        {3.611111963626949e-230, nct_upper_tail, 0.7206353173953084, 142.36206553299905},
        {4.045362123324819e-235, nct_lower_tail, 0.7115145590720139, -51.21153772212824},
    };
    for (const absent& c : cases) {
        double t = 0.0;
        EXPECT_EQ(nct_quantile(c.p, c.tail, c.df, c.delta, &t), nct_failed) << c.p << ", " << c.df;
        EXPECT_TRUE(std::isnan(t));
    }
}

}  // namespace
