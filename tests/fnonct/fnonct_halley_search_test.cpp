// fnonct_halley_search: the library's noncentrality solver against the
// high-precision roots of tests/data/fnonct.inc, and its outcomes where
// the callback's search differs.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "fnonct/fnonct.h"
#include "fnonct/fnonct_detail.h"
#include "ncf/ncf.h"
#include "support/reference_table.h"

namespace {

struct fnonct_reference {
    double x, df1, df2, p, lambda, slope;
};

#include "data/fnonct.inc"

// The accuracy bound of the reference tables: 1e-12 kappa relative, kappa =
// |p / (lam dP/dlam)|, with a floor of two units in the last place.
constexpr double conditioned_tolerance = 1e-12;
constexpr double rounding_floor = 0x1p-52;

TEST(FnonctHalleySearch, AgreesWithHighPrecisionRoots)
{
    worst_row worst;
    double evaluations = 0.0;
    const size_t n = sizeof fnonct_rows / sizeof fnonct_rows[0];
    for (size_t i = 0; i < n; ++i) {
        const fnonct_reference& r = fnonct_rows[i];
        double lambda;
        fnonct_halley_trace t;
        ASSERT_EQ(fnonct_halley_search(r.x, r.df1, r.df2, r.p, &lambda, &t), fnonct_search_found)
            << "row " << i;
        double kappa = std::fabs(r.p / (r.lambda * r.slope));
        note_error(&worst,
                   relative_error(lambda, r.lambda) / (conditioned_tolerance * kappa + rounding_floor),
                   i);
        evaluations += t.evaluations;
        EXPECT_EQ(t.fallback_calls, 0) << "row " << i;
    }
    const fnonct_reference& w = fnonct_rows[worst.row];
    std::printf("fnonct_halley_search: %zu rows, worst error %.3g of its tolerance at (%g, %g, %g, "
                "%g); %.2f Halley evaluations (Poisson sums) a root\n",
                n, worst.error, w.x, w.df1, w.df2, w.p, evaluations / n);
    EXPECT_LE(worst.error, 1.0);
}

struct outcome_case {
    const char* what;
    double x, df1, df2, p;
    int32_t status;
};

const outcome_case outcome_cases[] = {
    {"x = 0: P0 = 0", 0.0, 3.0, 10.0, 0.5, fnonct_search_no_root},
    {"p above P0 = 0.309", 0.5, 3.0, 10.0, 0.9, fnonct_search_no_root},
    {"x so small that every p lies above", 1e-9, 3.0, 10.0, 0.01, fnonct_search_no_root},
    {"p = 1", 2.0, 3.0, 10.0, 1.0, fnonct_search_no_root},
    // The callback's search takes p up to 0.9999999 alone; the root exists
    // (P0 = 1 - 1.1e-12) and is found.
    {"p above the callback's limit", 1000.0, 3.0, 10.0, 0.99999995, fnonct_search_found},
    {"upper tail of 1e-11", 1000.0, 3.0, 10.0, 1.0 - 1e-11, fnonct_search_found},
    // From a start far below (0.11 against the root 18.7359071702, mpmath),
    // the third sample's upper tail 1 - P was some 1e-15, below P's
    // rounding: its noise hid g = 9.6, and the step from there was once
    // taken for the root (20.83, where 1 - P = 5.3e-11).
    {"upper tail of 1.1e-11 through a sample below P's rounding", 217989.69115916319,
     0.00058072131446527584, 669.21448148973593, 0.99999999998856104, fnonct_search_found},
    // The start's 1 - P (4.6e-16) lay at P's rounding, whose noise (32)
    // covered g = 7.2: its step (77.7, where 1 - P = 2.7e-12) was once
    // returned after one sum; the log-space sum resolves such tails.
    {"upper tail of 6.2e-13 from a start at P's rounding", 1643125.0020945675,
     0.00014950363438294033, 53682.776403914431, 0.9999999999993785, fnonct_search_found},
    // P0 itself: the root 0, without an iteration.
    {"p = P0", 2.0, 3.0, 10.0, -1.0, fnonct_search_found},
};

TEST(FnonctHalleySearch, Outcomes)
{
    for (const outcome_case& c : outcome_cases) {
        SCOPED_TRACE(c.what);
        double p = c.p;
        if (p < 0.0) {
            ASSERT_EQ(ncf_cdf(c.x, c.df1, c.df2, 0.0, &p), 0);
        }
        double lambda = -1.0;
        fnonct_halley_trace t;
        ASSERT_EQ(fnonct_halley_search(c.x, c.df1, c.df2, p, &lambda, &t), c.status);
        if (c.status != fnonct_search_found)
            continue;
        if (c.p < 0.0) {
            EXPECT_EQ(lambda, 0.0);
            EXPECT_EQ(t.evaluations, 0);
            continue;
        }
        // The upper tail 1 - P at the root, to the rounding of P near 1.
        double at;
        ASSERT_EQ(ncf_cdf(c.x, c.df1, c.df2, lambda, &at), 0);
        EXPECT_NEAR(1.0 - at, 1.0 - p, 8e-16);
    }
}

}  // namespace
