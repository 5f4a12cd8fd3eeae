// The two noncentrality searches over the regions where FNONCT is judged:
// the evaluate callback's (fnonct_search) and the library's
// (fnonct_halley_search, behind fnonct_solve).  Ordinary designs,
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
#include "fnonct/fnonct_detail.h"
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

// The row's tolerance on lam, relative.
double row_tolerance(const region& g, const fnonct_region_row& r)
{
    return g.tolerance * r.kappa + rounding_floor;
}

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
            note_error(&worst, error / row_tolerance(g, r), i);
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

// The library's solver on the same rows and to the same bound, and held to
// the callback's search: the two agree within the sum of their bounds.
// Beside the errors, the Halley evaluations per root (one Poisson sum
// each) and the rows that needed the log-space sum or the bracketed
// fallback.
TEST(FnonctRegions, LibrarySolverWithinItsConditionNumberAndBesideTheCallback)
{
    for (const region& g : regions) {
        worst_row worst, apart;
        size_t missed = 0, log_route = 0, fallback = 0;
        double evaluations = 0.0;
        for (size_t i = 0; i < g.count; ++i) {
            const fnonct_region_row& r = g.rows[i];
            double lambda = -1.0, callback = -1.0;
            fnonct_halley_trace t;
            int32_t status = fnonct_halley_search(r.x, r.df1, r.df2, r.p, &lambda, &t);
            EXPECT_EQ(status, fnonct_search_found)
                << g.name << " row " << i << ": " << r.x << ", " << r.df1 << ", " << r.df2 << ", " << r.p;
            if (status != fnonct_search_found) {
                ++missed;
                continue;
            }
            evaluations += t.evaluations;
            log_route += t.log_sums > 0;
            fallback += t.fallback_calls > 0;
            note_error(&worst, relative_error(lambda, r.lambda) / row_tolerance(g, r), i);
            if (fnonct_search(r.x, r.df1, r.df2, r.p, &callback) == fnonct_search_found)
                note_error(&apart, relative_error(lambda, callback) / (2.0 * row_tolerance(g, r)), i);
        }
        const fnonct_region_row& w = g.rows[worst.row];
        std::printf("%s: %zu rows, %zu not found, %.2f Halley evaluations a root, %zu by the log-space "
                    "sum, %zu by the fallback; worst error %.3g of its tolerance at (%g, %g, %g, "
                    "%.17g); apart from the callback's by at most %.3g of both tolerances\n",
                    g.name, g.count, missed, evaluations / g.count, log_route, fallback, worst.error,
                    w.x, w.df1, w.df2, w.p, apart.error);
        EXPECT_LE(worst.error, 1.0) << g.name;
        EXPECT_LE(apart.error, 1.0) << g.name;
    }
}

}  // namespace
