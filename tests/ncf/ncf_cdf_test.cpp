// ncf_cdf: the noncentral F distribution function.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <cstdio>

#include "ncf/ncf.h"
#include "ncf/ncf_detail.h"
#include "ncf/ncf_prepared.h"
#include "support/reference_table.h"

namespace {

struct ncf_cdf_reference {
    double x, df1, df2, ncp, p;
};

#include "data/ncf_cdf.inc"

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

// Worked values with the start index and, where known, the step count.
struct worked_case {
    double x, df1, df2, ncp;
    double p, tolerance;  // relative, from the digits quoted
    int32_t start_index;  // -1: the central case, no Poisson sum
    int32_t steps;        // -1: not pinned
};

const worked_case worked_cases[] = {
    {1.0, 3.0, 3.0, 0.0, 0.5, 1e-15, -1, 0},
    {2.0, 4.0, 4.0, 1.5, 0.634578415836, 1e-11, 0, -1},  // 1.16 lam < 1: no backward step
    {2.0, 4.0, 4.0, 1.8, 0.614604746047, 1e-11, 1, -1},
    {2.0, 3.0, 10.0, 5.0, 0.396106078892, 1e-11, 2, -1},
    {4.0, 2.0, 2.0, 30.0, 0.0398296546943, 1e-11, 17, -1},
    {0.5, 10.0, 3.0, 100.0, 2.93912865586e-09, 1e-11, 57, -1},
    {999.0, 10.0, 10.0, 2000.0, 0.9962005365, 1e-10, 1160, 524},
    {50.0, 10.0, 10.0, 5000.0, 1.1410388295e-16, 1e-10, 2900, 941},
};

TEST(NcfCdf, WorkedValues)
{
    for (const worked_case& c : worked_cases) {
        double out = -1.0;
        ncf_cdf_trace trace;
        SCOPED_TRACE(testing::Message() << "x = " << c.x << ", df1 = " << c.df1 << ", df2 = " << c.df2
                                        << ", ncp = " << c.ncp);
        ASSERT_EQ(ncf_cdf_traced(c.x, c.df1, c.df2, c.ncp, &out, &trace), 0);
        EXPECT_LE(relative_error(out, c.p), c.tolerance) << out;
        EXPECT_EQ(trace.start_index, c.start_index);
        if (c.steps >= 0) {
            EXPECT_EQ(trace.steps, c.steps);
        }
        EXPECT_EQ(trace.extended_loop, 0);
    }
}

TEST(NcfCdf, ZeroIsZeroForEveryValidShape)
{
    const double args[][3] = {{3.0, 3.0, 0.0}, {0.5, 200.0, 10.0}, {10.0, 10.0, 1e6}, {2.0, 5.0, 4e9}};
    for (const auto& a : args) {
        for (double x : {0.0, -0.0}) {
            double out = 7.0;
            EXPECT_EQ(ncf_cdf(x, a[0], a[1], a[2], &out), 0);
            EXPECT_EQ(out, 0.0);
        }
    }
}

// Every failure returns 1; out is 0 except after the step limit, where it
// holds the partial sum (itself 0 where the start weight or term lay below
// the double range and the scaled sum's partial D is no double).
struct failure_case {
    const char* cause;
    double x, df1, df2, ncp;
    int32_t start_index;  // -1: failed before the start index was formed
    int32_t steps;
    int32_t extended;     // the sum ran in extended precision
    int32_t partial;      // 1: the partial sum left in out is positive
};

const failure_case failure_cases[] = {
    {"df1 = 0", 1.0, 0.0, 3.0, 1.0, -1, 0, 0, 0},
    {"df1 < 0", 1.0, -2.0, 3.0, 1.0, -1, 0, 0, 0},
    {"df2 = 0", 1.0, 3.0, 0.0, 1.0, -1, 0, 0, 0},
    {"ncp < 0", 1.0, 3.0, 3.0, -1.0, -1, 0, 0, 0},
    {"x < 0", -1.0, 3.0, 3.0, 1.0, -1, 0, 0, 0},
    {"NaN x", nan, 3.0, 3.0, 1.0, -1, 0, 0, 0},
    {"NaN df1", 1.0, nan, 3.0, 1.0, -1, 0, 0, 0},
    {"NaN df2", 1.0, 3.0, nan, 1.0, -1, 0, 0, 0},
    {"NaN ncp", 1.0, 3.0, 3.0, nan, -1, 0, 0, 0},
    {"central shape above the bound", 1.0, 3.0, 5e9, 0.0, -1, 0, 0, 0},
    {"start index out of range", 1.0, 10.0, 10.0, 3702558013.0, -1, 0, 0, 0},
    // Start terms below the double range run the scaled sum, which meets
    // the step limit here as the direct sum would.
    {"start beta term below the double range, step limit", 1.0, 10.0, 10.0, 100000.0, 57999, 1000, 1, 0},
    {"start weight below the double range, step limit", 999.0, 10.0, 10.0, 116000.0, 67280, 1000, 1, 1},
    {"start index at the bound: a + k above the shape bound", 1.0, 10.0, 10.0, 3702558012.0, 2147483646, 0, 0, 0},
    // From k = 1.16 lam the backward direction must cross about 0.16 lam
    // indices to reach the Poisson mode: with lam = 10000 that exceeds 1000.
    {"step limit: mode out of reach", 999.0, 10.0, 10.0, 20000.0, 11600, 1000, 0, 1},
    // Start weight e^-706.09 times a start beta term of about e^-60: the
    // first terms lie below the double range, yet they are nonzero and the
    // sum runs on.  Stopping on the first term (0 in double) and returning
    // I_k alone would be wrong.
    {"step limit: first terms below the double range", 999.0, 10.0, 10.0, 115000.0, 66700, 1000, 1, 1},
    // x near the largest double with a subnormal df1 (found by fuzz_ncf): the
    // scaled sum's first step came out NaN, once returned with status 0.
    {"a sum that turns NaN", 0x1.0000000012p+1007, 0x0.00000000002e9p-1022, 0x1.86a600000006p+16,
     0x1.86a00001affp+16, 58000, 1, 1, 0},
};

TEST(NcfCdf, Failures)
{
    for (const failure_case& c : failure_cases) {
        double out = 7.0;
        ncf_cdf_trace trace;
        SCOPED_TRACE(c.cause);
        EXPECT_EQ(ncf_cdf_traced(c.x, c.df1, c.df2, c.ncp, &out, &trace), 1);
        EXPECT_EQ(trace.start_index, c.start_index);
        EXPECT_EQ(trace.steps, c.steps);
        EXPECT_EQ(trace.extended_loop, c.extended);
        if (c.steps < 1000)
            EXPECT_EQ(out, 0.0);
        else if (c.partial)
            EXPECT_GT(out, 0.0);
        else
            EXPECT_EQ(out, 0.0);
    }
}

// Each table with its tolerance.  log_gamma(k + 1) and log_beta(a + k, b)
// arrive as doubles, so the start weight and term carry one rounding of
// numbers of size k ln k: ln 117! = 440 has units in the last place of
// 5.7e-14, ln 2901! = 20200 of 3.6e-12.
struct ncf_table {
    const char* name;
    const ncf_cdf_reference* rows;
    size_t count;
    double tolerance;   // relative
    int32_t extended;   // the sum is expected in extended precision
};

#define NCF_TABLE(rows, tolerance, extended) \
    {#rows, rows, sizeof rows / sizeof rows[0], tolerance, extended}

const ncf_table tables[] = {
    NCF_TABLE(ncf_cdf_rows, 2.5e-13, 0),           // df1 1..20, df2 5..200, ncp 0..200
    NCF_TABLE(ncf_cdf_large_rows, 3e-12, 0),       // ncp 500..5000
    NCF_TABLE(ncf_cdf_extended_rows, 3e-12, 1),    // first terms below the double range
    // df1 1e6..1e7 beside df2 10..200: x' rounds near 1 and y' carries it.
    // ln x' of the rounded x' left up to 6.2e-10 (df1 = 1e7, df2 = 150),
    // the direct log density of I_k 6.4e-13; now 2.2e-14 (df2 = 10).
    NCF_TABLE(ncf_cdf_wide_rows, 5e-14, 0),
};

TEST(NcfCdf, AgreesWithHighPrecisionReference)
{
    for (const ncf_table& t : tables) {
        worst_row worst;
        for (size_t i = 0; i < t.count; ++i) {
            const ncf_cdf_reference& r = t.rows[i];
            double out;
            ncf_cdf_trace trace;
            ASSERT_EQ(ncf_cdf_traced(r.x, r.df1, r.df2, r.ncp, &out, &trace), 0)
                << t.name << " row " << i;
            EXPECT_EQ(trace.extended_loop, t.extended) << t.name << " row " << i;
            note_error(&worst, relative_error(out, r.p), i);
        }
        const ncf_cdf_reference& w = t.rows[worst.row];
        std::printf("%s: %zu rows, worst rel %.3g at (%g, %g, %g, %g) against %.3g\n", t.name, t.count,
                    worst.error, w.x, w.df1, w.df2, w.ncp, t.tolerance);
        EXPECT_LE(worst.error, t.tolerance) << t.name;
    }
}

}  // namespace

namespace {

struct ncf_tails_row {
    double x, df1, df2, ncp, log_lower, rel_lower, log_upper, rel_upper;
};
struct beta_other_side_row {
    double x, a, b, w, rel;
};

#include "data/ncf_tails.inc"

// The heavy-tail band, where x' = df1 x / (df1 x + df2) rounds to 1: the
// complement y' formed directly must reach the incomplete beta ratio (1 - x'
// rebuilt from x' made the central case 1 exactly and the derivative in lam
// vanish).  Start terms below the double range (x' tiny, or P near e^-440
// and e^-529) are summed scaled and answer; only the rows beyond the step
// limit (Poisson means of 3000 and more) fail, and ncf_log_tails serves
// them.
TEST(NcfCdf, HeavyTailsAndTheRowsBeyondReach)
{
    worst_row worst;
    size_t answered = 0;
    const size_t n = sizeof ncf_tails_rows / sizeof ncf_tails_rows[0];
    for (size_t i = 0; i < n; ++i) {
        const ncf_tails_row& r = ncf_tails_rows[i];
        double out;
        ncf_cdf_trace trace;
        int32_t status = ncf_cdf_traced(r.x, r.df1, r.df2, r.ncp, &out, &trace);
        if (status != 0) {
            EXPECT_EQ(trace.steps, 1000) << "row " << i;
            EXPECT_GE(r.ncp, 6000.0) << "row " << i;
            continue;
        }
        ++answered;
        double want = std::exp(r.log_lower) * (1.0 + r.rel_lower * r.log_lower);
        note_error(&worst, relative_error(out, want), i);
    }
    const ncf_tails_row& w = ncf_tails_rows[worst.row];
    std::printf("ncf_cdf on the tails rows: %zu of %zu answered, worst rel %.3g at (%g, %g, %g, %g)\n",
                answered, n, worst.error, w.x, w.df1, w.df2, w.ncp);
    EXPECT_LE(worst.error, 1e-13);
}

}  // namespace

// ncf_cdf_slopes_at: P and its derivatives in the noncentrality from one
// sum.  The descent -dP/dncp against mpmath's at the roots of
// tests/data/fnonct.inc (gen_fnonct.py), P against the row's p (the root
// is rounded to a double: P may differ from p by |dP/dncp| times half its
// unit in the last place, beside the 6e-14 relative that the start terms,
// formed as ncf_cdf forms them with ln B(a + k, b) and ln k! rounded to
// doubles, and the incomplete beta ratio leave in P on these rows; ncf_cdf
// itself is up to 4.7e-14 off there), and the second
// and third derivatives against central differences of the descent itself
// at ncp (1 +- 1e-4): they are the same sum's moments, so the differences
// test the algebra that turns moments into derivatives.

namespace {

struct fnonct_reference {
    double x, df1, df2, p, lambda, slope;
};

#include "data/fnonct.inc"

double descent_at(const fnonct_reference& r, double ncp, ncf_cdf_slopes* s)
{
    ncf_cdf_point point;
    ncf_cdf_prepare(r.x, r.df1, r.df2, &point);
    double p;
    EXPECT_EQ(ncf_cdf_slopes_at(&point, ncp, &p, s), 0);
    return s->descent;
}

}  // namespace

TEST(NcfCdfSlopes, AgreeWithHighPrecisionSlopesAndDifferences)
{
    worst_row descent, probability, curvature, torsion;
    const size_t n = sizeof fnonct_rows / sizeof fnonct_rows[0];
    for (size_t i = 0; i < n; ++i) {
        const fnonct_reference& r = fnonct_rows[i];
        ncf_cdf_point point;
        ncf_cdf_prepare(r.x, r.df1, r.df2, &point);
        double p;
        ncf_cdf_slopes s;
        ASSERT_EQ(ncf_cdf_slopes_at(&point, r.lambda, &p, &s), 0) << "row " << i;
        note_error(&descent, relative_error(s.descent, -r.slope), i);
        const double rounding = std::fabs(r.slope) * r.lambda * 0x1p-53 / r.p;
        note_error(&probability, relative_error(p, r.p) / (6e-14 + rounding), i);
        const double h = 1e-4 * r.lambda;
        ncf_cdf_slopes below, above;
        const double d_below = descent_at(r, r.lambda - h, &below);
        const double d_above = descent_at(r, r.lambda + h, &above);
        // d2P/dncp2 = -d(descent)/dncp; d3P/dncp3 = -d2(descent)/dncp2.
        const double second = -(d_above - d_below) / (2.0 * h);
        const double third = -(d_above - 2.0 * s.descent + d_below) / (h * h);
        note_error(&curvature, relative_error(s.curvature * s.descent, second), i);
        note_error(&torsion, std::fabs(s.torsion * s.descent - third)
                                 / (std::fabs(third) + std::fabs(second) / r.lambda), i);
    }
    std::printf("ncf_cdf_slopes_at over %zu roots: descent within %.3g of mpmath's, P within %.3g "
                "of its allowance from p; second derivative within %.3g, third within %.3g of the "
                "differences\n",
                n, descent.error, probability.error, curvature.error, torsion.error);
    EXPECT_LE(descent.error, 1e-13);
    EXPECT_LE(probability.error, 1.0);
    // Central differences of step 1e-4 ncp: truncation about 1e-8 relative,
    // rounding about 1e-16 / 1e-4 for the second and 1e-16 / 1e-8 for the third.
    EXPECT_LE(curvature.error, 1e-6);
    EXPECT_LE(torsion.error, 1e-4);
}
