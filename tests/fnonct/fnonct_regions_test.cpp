// fnonct_search over the regions where FNONCT is judged: ordinary designs,
// large degrees of freedom and noncentralities up to 1e6, small degrees of
// freedom, numerators of 1e-6 to 2^-10 degrees of freedom, far tails of p, the heavy-tail band where x' rounds to 1, and
// wide numerators (df1 from 1e4 to 1e7).
// Every row has a root; each must be found, to a relative error of at most
// 1e-12 kappa, kappa = |p / (lam dP/dlam)| the condition number of lam in p
// (an error of 1e-12 relative in p moves lam by 1e-12 kappa relative), with
// a floor of two units in the last place of lam for its own rounding.
//
// The large designs (and the wide ones, numerators of 1e4 to 1e7 degrees
// of freedom) meet the same bound because the distribution function forms
// their start terms without double roundings of ln B(a + k, b) and ln k!
// (units of 3.6e-12 at k = 3500), and the incomplete beta ratio of large
// shapes runs its fraction to the end, with the density by Stirling's form,
// instead of a normal approximation.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "fnonct/fnonct.h"
#include "support/reference_table.h"

namespace {

struct fnonct_region_row {
    double x, df1, df2, p, lambda, kappa;
};

#include "data/fnonct_regions.inc"

constexpr double conditioned_tolerance = 1e-12;  // times kappa
constexpr double rounding_floor = 0x1p-52;       // two units in the last place

struct region {
    const char* name;
    const fnonct_region_row* rows;
    size_t count;
    double tolerance;  // times kappa
};

#define REGION(name, tolerance) \
    {#name, fnonct_##name##_rows, sizeof fnonct_##name##_rows / sizeof fnonct_##name##_rows[0], tolerance}

const region regions[] = {
    REGION(ordinary, conditioned_tolerance), REGION(large, conditioned_tolerance),
    REGION(small, conditioned_tolerance),    REGION(tiny, conditioned_tolerance),
    REGION(tails, conditioned_tolerance),
    REGION(heavy, conditioned_tolerance),    REGION(wide, conditioned_tolerance),
};

// One driver loop per region: the rows not found, and the worst error in
// units of the row's tolerance, with the relative error of lam beside it.
TEST(FnonctRegions, EveryRootFoundWithinItsConditionNumber)
{
    for (const region& g : regions) {
        worst_row worst, worst_lambda;
        size_t missed = 0, second_route = 0;
        for (size_t i = 0; i < g.count; ++i) {
            const fnonct_region_row& r = g.rows[i];
            double lambda = -1.0;
            fnonct_search_trace t;
            int32_t status = fnonct_search_traced(r.x, r.df1, r.df2, r.p, &lambda, &t);
            EXPECT_EQ(status, fnonct_search_found)
                << g.name << " row " << i << ": " << r.x << ", " << r.df1 << ", " << r.df2 << ", " << r.p;
            if (status != fnonct_search_found) {
                ++missed;
                continue;
            }
            if (t.log_calls > 0)
                ++second_route;
            double error = relative_error(lambda, r.lambda);
            note_error(&worst, error / (g.tolerance * r.kappa + rounding_floor), i);
            note_error(&worst_lambda, error, i);
        }
        const fnonct_region_row& w = g.rows[worst.row];
        std::printf("%s: %zu rows, %zu not found, %zu by the second route; worst error %.3g of its "
                    "tolerance at (%g, %g, %g, %.17g), kappa %.3g; worst relative error of lambda "
                    "%.3g\n",
                    g.name, g.count, missed, second_route, worst.error, w.x, w.df1, w.df2, w.p,
                    w.kappa, worst_lambda.error);
        EXPECT_LE(worst.error, 1.0) << g.name;
    }
}

}  // namespace
