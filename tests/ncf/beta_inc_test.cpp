// beta_inc: the regularized incomplete beta ratio and the beta density.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "ncf/ncf.h"
#include "ncf/ncf_detail.h"
#include "support/reference_table.h"

namespace {

struct beta_inc_reference {
    double x, a, b, w, dens;
};

struct beta_inc_complement_reference {
    double x, y, a, b, w, upper, dens;
};

#include "data/beta_inc.inc"

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

// The worked cases: exact values (polynomial ratios for integer shapes) or
// the digits quoted for them, the path and, where fixed, the step count.
struct worked_case {
    double x, a, b;
    double w, w1;
    double tolerance_w, tolerance_w1;  // relative
    int32_t path;
    int32_t steps;  // -1: not pinned
    int32_t swapped;
};

const worked_case worked_cases[] = {
    // End points, whatever the shapes.
    {0.0, 0.5, 3.0, 0.0, 0.0, 0.0, 0.0, beta_inc_path_end_point, 0, 0},
    {1.0, 7.0, 0.2, 1.0, 0.0, 0.0, 0.0, beta_inc_path_end_point, 0, 0},
    // Continued fraction; orientation by the two tests.
    {0.3, 2.0, 3.0, 0.3483, 1.764, 1e-14, 1e-14, beta_inc_path_fraction, 3, 0},
    {0.4, 2.0, 3.0, 0.5248, 1.728, 1e-14, 1e-14, beta_inc_path_fraction, -1, 0},  // 5 < 4.4 fails
    {0.5, 2.0, 3.0, 0.6875, 1.5, 1e-14, 1e-14, beta_inc_path_fraction, -1, 1},    // 5 < 5.5
    {0.6, 3.0, 1.0, 0.216, 1.08, 1e-14, 1e-14, beta_inc_path_fraction, -1, 0},    // 6 < 6 fails; c_1 = 0
    {0.9, 7.0, 3.0, 0.947027862, 1.33923132, 1e-14, 1e-14, beta_inc_path_fraction, -1, 1},
    // First shape below 1: raised by one and corrected; I = 1/2, dens = 2/pi.
    {0.5, 0.5, 0.5, 0.5, 0.63661977236758134, 1e-14, 1e-14, beta_inc_path_fraction, 11, 0},
    // Density below the double range: 0 below the mean, 1 above.
    {0.5, 6000.0, 90.0, 0.0, 0.0, 0.0, 0.0, beta_inc_path_tiny_density, 0, 0},
    {0.5, 90.0, 6000.0, 1.0, 0.0, 0.0, 0.0, beta_inc_path_tiny_density, 0, 0},
    // The largest shape the bound lets through.
    {0.5, 2147483647.0, 1.0, 0.0, 0.0, 0.0, 0.0, beta_inc_path_tiny_density, 0, 0},
    // Both shapes large: the fraction runs past 199 steps (I = 1/2 by
    // symmetry at x = 1/2, a = b; the others from ncf_mp.incomplete_beta at
    // 40 digits, where the normal approximation gave 0.3886487164 and
    // 0.4643650764).  The densities are quoted to five digits.
    {0.5, 100000.0, 100000.0, 0.5, 356.82, 2e-13, 2e-5, beta_inc_path_fraction, 258, 0},
    {0.4999, 1000000.0, 1000000.0, 0.38864871786232204, 1084.13, 1e-12, 2e-5, beta_inc_path_fraction, -1, 0},
    {0.4999, 100000.0, 100000.0, 0.46436508135202443, 355.40, 2e-13, 2e-5, beta_inc_path_fraction, -1, 0},
};

TEST(BetaInc, WorkedCases)
{
    for (const worked_case& c : worked_cases) {
        double w = -9.0, w1 = -9.0;
        beta_inc_trace trace;
        SCOPED_TRACE(testing::Message() << "x = " << c.x << ", a = " << c.a << ", b = " << c.b);
        ASSERT_EQ(beta_inc_traced(c.x, c.a, c.b, &w, &w1, &trace), 0);
        EXPECT_LE(relative_error(w, c.w), c.tolerance_w) << w;
        EXPECT_LE(relative_error(w1, c.w1), c.tolerance_w1) << w1;
        EXPECT_EQ(trace.path, c.path);
        if (c.steps >= 0) {
            EXPECT_EQ(trace.steps, c.steps);
        }
        if (c.path == beta_inc_path_fraction) {
            EXPECT_EQ(trace.swapped, c.swapped);
        }
    }
}

TEST(BetaInc, ShiftIsTakenForAFirstShapeBelowOne)
{
    beta_inc_trace trace;
    double w, w1;
    ASSERT_EQ(beta_inc_traced(0.5, 0.5, 0.5, &w, &w1, &trace), 0);
    EXPECT_EQ(trace.shifted, 1);
    // Swapped, the first shape of the fraction is b.
    ASSERT_EQ(beta_inc_traced(0.95, 2.0, 0.4, &w, &w1, &trace), 0);
    EXPECT_EQ(trace.swapped, 1);
    EXPECT_EQ(trace.shifted, 1);
}

TEST(BetaInc, ShapeAboveTheBoundWritesNothing)
{
    const double shapes[][2] = {{3000000000.0, 1.0}, {1.0, 3000000000.0}, {2147483648.0, 2.0}};
    for (const auto& s : shapes) {
        double w = 7.0, w1 = 8.0;
        EXPECT_EQ(beta_inc(0.5, s[0], s[1], &w, &w1), 1) << s[0] << ", " << s[1];
        EXPECT_EQ(w, 7.0);
        EXPECT_EQ(w1, 8.0);
    }
    // The shape bound comes before the domain: x out of range does not matter.
    double w = 7.0, w1 = 8.0;
    EXPECT_EQ(beta_inc(1.5, 3000000000.0, 1.0, &w, &w1), 1);
}

TEST(BetaInc, DomainFailures)
{
    const double args[][3] = {
        {1.5, 2.0, 3.0}, {-0.1, 2.0, 3.0}, {-1e-300, 2.0, 3.0},
        {0.5, 0.0, 3.0}, {0.5, -1.0, 3.0}, {0.5, 2.0, 0.0}, {0.5, 2.0, -2.0},
        {nan, 2.0, 3.0}, {0.5, nan, 3.0}, {0.5, 2.0, nan},
    };
    for (const auto& a : args) {
        double w = 7.0, w1 = 8.0;
        EXPECT_EQ(beta_inc(a[0], a[1], a[2], &w, &w1), -1) << a[0] << ", " << a[1] << ", " << a[2];
        EXPECT_EQ(w, -1.0);
        EXPECT_EQ(w1, 0.0);
    }
}

// A tiny first shape with x a little above its mean: the orientation tests
// put the fraction on the side where x' lies near 1 and it crawls past 199
// steps; the shapes are not large enough for the long fraction, and the
// other side, where it converges at once, answers.
struct ncf_tails_row {
    double x, df1, df2, ncp, log_lower, rel_lower, log_upper, rel_upper;
};
struct beta_other_side_row {
    double x, a, b, w, rel;
};

#include "data/ncf_tails.inc"

// Rows the fraction answers on the lower side (swapped 0), against mpmath.
// The shift's correction divides by the first shape as passed, and the log
// density carries |ln B(a, b)| (11.5 at a = 1e-5, b = 30; 575 for the tiny
// second shapes below): 2e-13 as for the fraction rows of the table.
template <size_t n>
void check_lower_side_rows(const beta_other_side_row (&rows)[n])
{
    for (const beta_other_side_row& r : rows) {
        double w = 7.0, w1 = 8.0;
        beta_inc_trace trace;
        SCOPED_TRACE(testing::Message() << r.x << ", " << r.a << ", " << r.b);
        ASSERT_EQ(beta_inc_traced(r.x, r.a, r.b, &w, &w1, &trace), 0);
        EXPECT_EQ(trace.path, beta_inc_path_fraction);
        EXPECT_EQ(trace.swapped, 0);
        EXPECT_LE(relative_error(w, r.w * (1.0 + r.rel)), 2e-13) << w;
    }
}

TEST(BetaInc, TheOtherSideAnswersWhereTheFractionCrawls)
{
    check_lower_side_rows(beta_other_side_rows);
}

// Tiny second shapes: the orientation tests swap at an x far below the mean
// (x = 0.722 with a = 2.75e-27, b = 1.75e-250), where the swapped ratio lies
// within the rounding of its log density of 1 and 1 - ratio kept no digit
// of I (2.7e-14 for 6.4e-224).  The lower side gives I directly.
TEST(BetaInc, TinyShapesGiveTheSmallTailDirectly)
{
    check_lower_side_rows(beta_cancellation_rows);
}

// The density is e^L with L a sum of terms of size up to
// M = |ln B(a, b)| + |(a-1) ln x| + |(b-1) ln(1-x)|, each rounded to double,
// so its relative error grows with M (one unit in the last place of
// ln B(4000, 4000) is 1e-12).  The ratio inherits that error and, when it is
// formed as 1 - I on the swapped side while small, the cancellation of that
// difference (1e-13 for I_0.7(3.7, 0.05) = 0.0089).
double fraction_tolerance(const beta_inc_reference& r)
{
    double m = std::fabs(std::lgamma(r.a) + std::lgamma(r.b) - std::lgamma(r.a + r.b))
             + std::fabs((r.a - 1.0) * std::log(r.x)) + std::fabs((r.b - 1.0) * std::log1p(-r.x));
    return 2e-13 + 1e-15 * m;
}

TEST(BetaInc, AgreesWithHighPrecisionReference)
{
    worst_row worst_w, worst_dens;  // error divided by the row's tolerance
    const size_t n = sizeof beta_inc_rows / sizeof beta_inc_rows[0];
    for (size_t i = 0; i < n; ++i) {
        const beta_inc_reference& r = beta_inc_rows[i];
        double w, w1;
        ASSERT_EQ(beta_inc(r.x, r.a, r.b, &w, &w1), 0) << "row " << i;
        double tolerance = fraction_tolerance(r);
        note_error(&worst_w, relative_error(w, r.w) / tolerance, i);
        note_error(&worst_dens, relative_error(w1, r.dens) / tolerance, i);
    }
    const beta_inc_reference& rw = beta_inc_rows[worst_w.row];
    const beta_inc_reference& rd = beta_inc_rows[worst_dens.row];
    std::printf("beta_inc: %zu rows; worst I at (%g, %g, %g): %.3g of tolerance %.3g; "
                "worst density at (%g, %g, %g): %.3g of tolerance %.3g\n",
                n, rw.x, rw.a, rw.b, worst_w.error, fraction_tolerance(rw),
                rd.x, rd.a, rd.b, worst_dens.error, fraction_tolerance(rd));
    EXPECT_LE(worst_w.error, 1.0);
    EXPECT_LE(worst_dens.error, 1.0);
}

// Large shapes, where near the mean the fraction runs past 199 steps.  The
// ratio is judged relative to the smaller tail, min(I, 1 - I): on the
// swapped side I is formed as 1 - (the smaller tail), so that is the
// accuracy it carries.  The density comes from Stirling's form and is
// exact to some 1e-15 (2.5e-14 measured); the ratio carries the
// fraction's rounding over its steps, 4.1e-13 measured at a = b = 5e6 (835
// steps).  The direct log density of these shapes gave 2.8e-10, and the
// complement 1 - (1 - x) handed to the fraction 5.3e-12.
constexpr double large_tolerance_w = 1e-12;     // relative to the smaller tail
constexpr double large_tolerance_dens = 1e-13;  // relative

TEST(BetaInc, LargeShapesAgreeWithHighPrecisionReference)
{
    worst_row worst_w, worst_dens;
    const size_t n = sizeof beta_inc_large_rows / sizeof beta_inc_large_rows[0];
    for (size_t i = 0; i < n; ++i) {
        const beta_inc_reference& r = beta_inc_large_rows[i];
        double w, w1;
        ASSERT_EQ(beta_inc(r.x, r.a, r.b, &w, &w1), 0) << "row " << i;
        double smaller_tail = std::fmin(r.w, 1.0 - r.w);
        if (smaller_tail > 0.0)
            note_error(&worst_w, std::fabs(w - r.w) / smaller_tail, i);
        note_error(&worst_dens, relative_error(w1, r.dens), i);
    }
    const beta_inc_reference& rw = beta_inc_large_rows[worst_w.row];
    const beta_inc_reference& rd = beta_inc_large_rows[worst_dens.row];
    std::printf("beta_inc, large shapes: %zu rows; worst I %.3g at (%.12g, %g, %g), tolerance "
                "%.3g; worst density %.3g at (%.12g, %g, %g), tolerance %.3g\n",
                n, worst_w.error, rw.x, rw.a, rw.b, large_tolerance_w,
                worst_dens.error, rd.x, rd.a, rd.b, large_tolerance_dens);
    EXPECT_LE(worst_w.error, large_tolerance_w);
    EXPECT_LE(worst_dens.error, large_tolerance_dens);
}

// The complement given, as the noncentral F forms it where x' rounds near
// 1: y carries the point and x is only the double nearest 1 - y, up to half
// an ulp (1.1e-16) away.  With a first shape of 5e6 ln x of that double
// moved the density by 5.5e-10, and the fraction's r = (1 - x)/x the point
// by 8e-11 of a standard deviation; from y both are exact.  The second
// shapes of 15 to 100 take the density by Stirling's form
// (beta_stirling_shapes), where the direct sum left 3.5e-13.  I is judged
// relative to the smaller tail, the one the fraction forms, beside the half
// unit of I's own rounding near 1; measured 2.6e-14 where the density is
// the direct sum (second shapes of 2.5 and 10), 3e-15 by Stirling's form.
constexpr double complement_tolerance = 5e-14;

TEST(BetaInc, ComplementGivenCarriesThePoint)
{
    worst_row worst_w, worst_dens;
    const size_t n = sizeof beta_inc_complement_rows / sizeof beta_inc_complement_rows[0];
    for (size_t i = 0; i < n; ++i) {
        const beta_inc_complement_reference& r = beta_inc_complement_rows[i];
        double w, w1;
        ASSERT_EQ(beta_inc_given_logs(r.x, r.y, r.a, r.b, nullptr, &w, &w1, nullptr), 0) << "row " << i;
        double beyond_rounding = std::fmax(0.0, std::fabs(w - r.w) - 0x1p-53 * r.w);
        note_error(&worst_w, beyond_rounding / std::fmin(r.w, r.upper), i);
        note_error(&worst_dens, relative_error(w1, r.dens), i);
    }
    const beta_inc_complement_reference& rw = beta_inc_complement_rows[worst_w.row];
    const beta_inc_complement_reference& rd = beta_inc_complement_rows[worst_dens.row];
    std::printf("beta_inc, complement given: %zu rows; worst I %.3g at (y = %.12g, %g, %g), worst "
                "density %.3g at (y = %.12g, %g, %g); tolerance %.3g\n",
                n, worst_w.error, rw.y, rw.a, rw.b, worst_dens.error, rd.y, rd.a, rd.b,
                complement_tolerance);
    EXPECT_LE(worst_w.error, complement_tolerance);
    EXPECT_LE(worst_dens.error, complement_tolerance);
}

}  // namespace
