// fnonct_search: the noncentrality at which the noncentral F distribution
// function takes a given value.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "fnonct/fnonct.h"
#include "ncf/ncf.h"
#include "support/reference_table.h"

namespace {

struct fnonct_reference {
    double x, df1, df2, p, lambda, slope;
};

#include "data/fnonct.inc"

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

// Relative agreement with values quoted to six significant digits.
constexpr double quoted = 2e-6;

TEST(FnonctSearch, CentralStartBelowOneRunsTwoFalsePositionPasses)
{
    double lambda = -1.0;
    fnonct_search_trace t;
    ASSERT_EQ(fnonct_search_traced(2.0, 3.0, 10.0, 0.5, &lambda, &t), 0);
    EXPECT_LE(relative_error(lambda, 3.55910), quoted);
    EXPECT_LE(relative_error(t.central, 0.821993), quoted);
    EXPECT_LE(relative_error(t.bound, 0.99425), quoted * 10);
    EXPECT_EQ(t.start, 1.0);  // B < 1
    EXPECT_EQ(t.phase1_passes, 2);
    EXPECT_LE(relative_error(t.first_step, 2.85396), quoted);
    EXPECT_LE(relative_error(t.phase2_start, 3.40818), quoted);
    EXPECT_EQ(t.phase2_passes, 4);
    EXPECT_EQ(t.cdf_calls, 1 + 2 * 4);
}

TEST(FnonctSearch, BoundIsTheStartWhenAboveOne)
{
    double lambda = -1.0;
    fnonct_search_trace t;
    ASSERT_EQ(fnonct_search_traced(1.5, 2.0, 20.0, 0.1, &lambda, &t), 0);
    EXPECT_LE(relative_error(t.bound, 4.03730), quoted);
    EXPECT_EQ(t.start, t.bound);
    EXPECT_LE(relative_error(lambda, 7.88582), quoted);
}

TEST(FnonctSearch, SevenFalsePositionPasses)
{
    double lambda = -1.0;
    fnonct_search_trace t;
    ASSERT_EQ(fnonct_search_traced(10.0, 4.0, 30.0, 0.05, &lambda, &t), 0);
    EXPECT_LE(relative_error(lambda, 67.3592), quoted);
    EXPECT_EQ(t.phase1_passes, 7);
}

// The first false-position step lands below B: phase 2 starts from lam_0.
TEST(FnonctSearch, FirstStepBelowTheBoundKeepsTheStart)
{
    double lambda = -1.0;
    fnonct_search_trace t;
    ASSERT_EQ(fnonct_search_traced(0.5, 1.0, 5.0, 0.05, &lambda, &t), 0);
    EXPECT_EQ(t.phase1_passes, 1);
    EXPECT_LT(t.first_step, t.bound);
    EXPECT_EQ(t.phase2_start, t.start);
}

TEST(FnonctSearch, CentralProbabilityGivesZeroWithoutIteration)
{
    double p0;
    ASSERT_EQ(ncf_cdf(2.0, 3.0, 10.0, 0.0, &p0), 0);
    double lambda = -1.0;
    fnonct_search_trace t;
    ASSERT_EQ(fnonct_search_traced(2.0, 3.0, 10.0, p0, &lambda, &t), 0);
    EXPECT_EQ(lambda, 0.0);
    EXPECT_EQ(t.cdf_calls, 1);
    EXPECT_EQ(t.phase1_passes, 0);
    EXPECT_EQ(t.phase2_passes, 0);
}

// Failures: the argument checks (no distribution function call), and p above
// the central probability (one call).
struct failure_case {
    const char* cause;
    double x, df1, df2, p;
    int32_t cdf_calls;
};

const failure_case failure_cases[] = {
    {"x = 0", 0.0, 3.0, 10.0, 0.5, 0},
    {"x = -0", -0.0, 3.0, 10.0, 0.5, 0},
    {"x < 0", -1.0, 3.0, 10.0, 0.5, 0},
    {"df1 = 0", 2.0, 0.0, 10.0, 0.5, 0},
    {"df2 = 0", 2.0, 3.0, 0.0, 0.5, 0},
    {"p = 0", 2.0, 3.0, 10.0, 0.0, 0},
    {"p above 0.9999999, below P0", 1000.0, 3.0, 10.0, 0.99999995, 0},
    {"NaN x", nan, 3.0, 10.0, 0.5, 0},
    {"NaN df1", 2.0, nan, 10.0, 0.5, 0},
    {"NaN df2", 2.0, 3.0, nan, 0.5, 0},
    {"NaN p", 2.0, 3.0, 10.0, nan, 0},
    {"p above the central probability 0.309", 0.5, 3.0, 10.0, 0.9, 1},
    {"x so small that every p lies above", 1e-9, 3.0, 10.0, 0.01, 1},
};

TEST(FnonctSearch, Failures)
{
    for (const failure_case& c : failure_cases) {
        double lambda = -1.0;
        fnonct_search_trace t;
        SCOPED_TRACE(c.cause);
        // Above the search's upper limit a root exists (P0 = 1 - 1.1e-12),
        // which the search reports as its own failure, not as no root.
        int32_t expected = c.p > 0.9999999 ? fnonct_search_failed : fnonct_search_no_root;
        EXPECT_EQ(fnonct_search_traced(c.x, c.df1, c.df2, c.p, &lambda, &t), expected);
        EXPECT_EQ(t.cdf_calls, c.cdf_calls);
    }
}

// p = 0.9999999 itself passes the limit: the search runs, here with the
// central probability 1 - 1.1e-12 above it.
TEST(FnonctSearch, UpperLimitOfPIsIncluded)
{
    double lambda = -1.0;
    fnonct_search_trace t;
    EXPECT_EQ(fnonct_search_traced(1000.0, 3.0, 10.0, 0.9999999, &lambda, &t), 0);
    EXPECT_GT(t.cdf_calls, 1);
    double p;
    ASSERT_EQ(ncf_cdf(1000.0, 3.0, 10.0, lambda, &p), 0);
    EXPECT_LE(std::fabs(p - 0.9999999), 1e-7 * 0.9999999);
}

// A numerator of 1e-6 degrees of freedom puts the false-position iteration
// on a long geometric climb (about 1300 passes to its own exit); the pass
// limit hands the current lam to phase 2 instead.
TEST(FnonctSearch, FalsePositionPassLimit)
{
    double lambda;
    fnonct_search_trace t;
    fnonct_search_traced(1e8, 1e-6, 0.01, 1e-12, &lambda, &t);
    EXPECT_EQ(t.phase1_passes, fnonct_phase1_pass_limit);
    EXPECT_GE(t.phase2_passes, 1);
    EXPECT_GT(t.phase2_start, t.start);
}

// The search stops when two successive Newton passes see probabilities
// within 1e-7 p; its answer is one Newton step past that pass.  The bound
// it guarantees is on the probability: |lam - lam*| |dP/dlam| <= 1e-7 p, so
// the relative error of lam may reach 1e-7 p / (lam* |dP/dlam|).  The worst
// row is reported in that measure, and the relative error of lam beside it.
TEST(FnonctSearch, AgreesWithHighPrecisionRoots)
{
    constexpr double tolerance = 1e-7;  // |lam - lam*| |dP/dlam| / p
    worst_row worst, worst_lambda;
    double calls = 0.0;
    const size_t n = sizeof fnonct_rows / sizeof fnonct_rows[0];
    for (size_t i = 0; i < n; ++i) {
        const fnonct_reference& r = fnonct_rows[i];
        double lambda;
        fnonct_search_trace t;
        ASSERT_EQ(fnonct_search_traced(r.x, r.df1, r.df2, r.p, &lambda, &t), 0) << "row " << i;
        note_error(&worst, std::fabs(lambda - r.lambda) * std::fabs(r.slope) / r.p, i);
        note_error(&worst_lambda, relative_error(lambda, r.lambda), i);
        calls += t.cdf_calls;
    }
    const fnonct_reference& w = fnonct_rows[worst.row];
    const fnonct_reference& wl = fnonct_rows[worst_lambda.row];
    std::printf("fnonct_search: %zu rows, worst probability error %.3g p at (%g, %g, %g, %g) against %.3g; "
                "worst relative lambda error %.3g at (%g, %g, %g, %g); %.2f ncf_cdf calls per search\n",
                n, worst.error, w.x, w.df1, w.df2, w.p, tolerance, worst_lambda.error, wl.x, wl.df1, wl.df2,
                wl.p, calls / n);
    EXPECT_LE(worst.error, tolerance);
}

}  // namespace
