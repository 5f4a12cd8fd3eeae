// beta_inc_log: ln I_x(a, b), ln(1 - I_x(a, b)) and the log density on the
// beta log record.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>

#include "library/beta_log.h"
#include "support/reference_table.h"

namespace {

struct beta_log_reference {
    double x, a, b, log_lower, log_upper, log_density;
};

#include "data/beta_log.inc"

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double tolerance_floor = 5.551115123125785e-16;

// A record with the inputs set and every output a sentinel, so that a field
// the routine leaves alone is seen.
beta_log_record make_record(double x, double a, double b, double tolerance = 0.0)
{
    beta_log_record r{};
    r.x = x;
    r.a = a;
    r.b = b;
    r.log_lower = r.log_upper = r.log_density = -7.0;
    r.tolerance = tolerance;
    r.shifted = r.exchanged = -1;
    return r;
}

// Worked cases: the side chosen, the shift, the working values the record
// holds on return, and both logs against closed forms: for integer shapes
// I_x(2, 3) = 6 x^2 (1-x)^2 + 4 x^3 (1-x) + x^4 and its complement
// I_(1-x)(3, 2) = 4 u^3 (1-u) + u^4 (u = 1-x); I_x(1/2, 1/2) =
// (2/pi) asin(sqrt x); 1 - I_x(3, 1/2) = I_u(1/2, 3) = sqrt(u) (1 + x/2 +
// 3 x^2/8).  Each side is written out without a subtraction from 1.
TEST(BetaIncLog, SideShiftAndWorkingValues)
{
    struct worked_case {
        double x, a, b;
        double lower, upper;  // I_x(a, b), 1 - I_x(a, b)
        int32_t exchanged, shifted;
        double work_x, work_p, work_q;
    };
    const double s01 = std::sqrt(0.1);
    const worked_case cases[] = {
        // 2 + 2 sqrt(4/5) = 3.79 >= 2 and 5 >= 5: the fraction runs on x.
        {0.5, 2.0, 2.0, 0.5, 0.5, 0, 0, 0.5, 2.0, 2.0},
        {0.3, 2.0, 3.0, 0.3483, 0.6517, 0, 0, 0.3, 2.0, 3.0},
        // Above the mean: the fraction runs on the complement (0.1, 3, 2).
        {0.9, 2.0, 3.0, 0.9963, 0.0037, 1, 0, 1.0 - 0.9, 3.0, 2.0},
        // The first shape below one is raised to 1.5.
        {0.5, 0.5, 0.5, 0.5, 0.5, 0, 1, 0.5, 1.5, 0.5},
        {0.25, 0.5, 0.5, 1.0 / 3.0, 2.0 / 3.0, 0, 1, 0.25, 1.5, 0.5},
        // Exchanged and shifted: the fraction on (0.1, 1.5, 3).
        {0.9, 3.0, 0.5, 1.0 - s01 * 1.75375, s01 * 1.75375, 1, 1, 1.0 - 0.9, 1.5, 3.0},
    };
    for (const worked_case& c : cases) {
        beta_log_record r = make_record(c.x, c.a, c.b);
        ASSERT_EQ(beta_inc_log(&r), 0) << c.x << ", " << c.a << ", " << c.b;
        EXPECT_NEAR(r.log_lower, std::log(c.lower), 1e-13 * std::fabs(std::log(c.lower)))
            << c.x << ", " << c.a << ", " << c.b;
        EXPECT_NEAR(r.log_upper, std::log(c.upper), 1e-13 * std::fabs(std::log(c.upper)))
            << c.x << ", " << c.a << ", " << c.b;
        EXPECT_EQ(r.exchanged, c.exchanged);
        EXPECT_EQ(r.shifted, c.shifted);
        EXPECT_EQ(r.x, c.work_x);
        EXPECT_EQ(r.a, c.work_p);
        EXPECT_EQ(r.b, c.work_q);
        EXPECT_EQ(r.argument_copy, c.x);
        EXPECT_EQ(r.shape_sum, c.a + c.b);
        EXPECT_EQ(r.complement, c.exchanged ? c.x : 1.0 - c.x);
        if (c.shifted) {
            EXPECT_EQ(r.unshifted_shape, c.work_p - 1.0);
        }
        // The fraction field ends as the log of the working side.
        EXPECT_EQ(r.fraction, c.exchanged ? r.log_upper : r.log_lower);
    }
}

TEST(BetaIncLog, EndPoints)
{
    beta_log_record r = make_record(0.0, 1.0, 3.0);
    ASSERT_EQ(beta_inc_log(&r), 0);
    EXPECT_EQ(r.log_lower, -1.7976931348623157e308);
    EXPECT_EQ(r.log_upper, 0.0);
    EXPECT_EQ(r.log_density, std::log(3.0));

    r = make_record(1.0, 2.5, 1.0);
    ASSERT_EQ(beta_inc_log(&r), 0);
    EXPECT_EQ(r.log_lower, 0.0);
    EXPECT_EQ(r.log_upper, -1.7976931348623157e308);
    EXPECT_NEAR(r.log_density, std::log(2.5), 1e-16);

    // An end point where the density is zero or unbounded has no log.
    const double infinite[][3] = {{0.0, 2.0, 3.0}, {0.0, 0.5, 1.0}, {1.0, 1.0, 2.0}, {1.0, 3.0, 0.5}};
    for (const auto& c : infinite) {
        r = make_record(c[0], c[1], c[2]);
        EXPECT_EQ(beta_inc_log(&r), 1) << c[0] << ", " << c[1] << ", " << c[2];
        EXPECT_EQ(r.log_lower, -7.0);
        EXPECT_EQ(r.log_density, -7.0);
    }
}

TEST(BetaIncLog, FailuresLeaveTheOutputsAlone)
{
    const double args[][3] = {
        {0.5, 3000000000.0, 1.0}, {0.5, 1.0, 2147483648.0},
        {1.5, 2.0, 3.0}, {-1e-300, 2.0, 3.0}, {0.5, 0.0, 3.0}, {0.5, 2.0, -2.0},
        {nan, 2.0, 3.0}, {0.5, nan, 3.0}, {0.5, 2.0, nan},
        // No convergence in 199 steps, shapes too small for the normal
        // approximation: a tiny first shape puts x above the mean, and the
        // fraction on the complement (x' = 0.999) crawls.
        {0.001, 1e-5, 10.0}, {0.0005, 1e-5, 30.0},
    };
    for (const auto& a : args) {
        beta_log_record r = make_record(a[0], a[1], a[2]);
        EXPECT_EQ(beta_inc_log(&r), 1) << a[0] << ", " << a[1] << ", " << a[2];
        EXPECT_EQ(r.log_lower, -7.0);
        EXPECT_EQ(r.log_upper, -7.0);
    }
}

TEST(BetaIncLog, ToleranceRaisedToItsFloorAndShown)
{
    for (double t : {0.0, 1e-20, -1.0, nan}) {
        beta_log_record r = make_record(0.3, 2.0, 3.0, t);
        ASSERT_EQ(beta_inc_log(&r), 0);
        EXPECT_EQ(r.tolerance, tolerance_floor) << t;
    }
    // A coarser tolerance is kept and gives a coarser ratio: the fraction
    // stops once a step changes it by less than the tolerance.
    const double x = 0.45, a = 40.0, b = 50.0;
    beta_log_record fine = make_record(x, a, b);
    beta_log_record coarse = make_record(x, a, b, 1e-4);
    ASSERT_EQ(beta_inc_log(&fine), 0);
    ASSERT_EQ(beta_inc_log(&coarse), 0);
    EXPECT_EQ(coarse.tolerance, 1e-4);
    EXPECT_NE(coarse.log_lower, fine.log_lower);
    EXPECT_NEAR(coarse.log_lower, fine.log_lower, 1e-4);
}

// Error bound of a log.  Both logs come from W = ln x' + L + ln(V/p), whose
// terms are each rounded: the log density L is a sum of terms up to
// M = |ln B(a, b)| + |(a-1) ln x| + |(b-1) ln(1-x)| in size, so W carries an
// absolute error of some units of 1e-16 M (ln B from log_beta is the
// largest: 5e-12 absolute at a = b = 4000, where M = 11000) besides the 1e-12 relative of the
// fraction and the logarithms.  The other log, log1p(-e^W), receives W's
// absolute error scaled by e^W / (1 - e^W); its relative error is then at
// most W's absolute error when e^W is small.
double magnitude(const beta_log_reference& r)
{
    return std::fabs(std::lgamma(r.a) + std::lgamma(r.b) - std::lgamma(r.a + r.b))
         + std::fabs((r.a - 1.0) * std::log(r.x)) + std::fabs((r.b - 1.0) * std::log1p(-r.x));
}

// Error in units of the bound 1e-12 |want| + 1e-15 M.
double scaled_error(double got, double want, double m)
{
    if (got == want)
        return 0.0;
    return std::fabs(got - want) / (1e-12 * std::fabs(want) + 1e-15 * m);
}

// Every row of a table within the bound, the worst of each log reported.
void check_against_table(const beta_log_reference* rows, size_t n, const char* table)
{
    worst_row worst_lower, worst_upper, worst_density;
    for (size_t i = 0; i < n; ++i) {
        const beta_log_reference& ref = rows[i];
        beta_log_record r = make_record(ref.x, ref.a, ref.b);
        ASSERT_EQ(beta_inc_log(&r), 0) << table << " row " << i;
        const double m = magnitude(ref);
        note_error(&worst_lower, scaled_error(r.log_lower, ref.log_lower, m), i);
        note_error(&worst_upper, scaled_error(r.log_upper, ref.log_upper, m), i);
        note_error(&worst_density, scaled_error(r.log_density, ref.log_density, m), i);
    }
    const worst_row* worst[] = {&worst_lower, &worst_upper, &worst_density};
    const char* names[] = {"ln I", "ln(1 - I)", "ln density"};
    for (int k = 0; k < 3; ++k) {
        const beta_log_reference& w = rows[worst[k]->row];
        std::printf("beta_inc_log, %s: %zu rows; worst %s at (%.17g, %g, %g): %.3g of the bound\n",
                    table, n, names[k], w.x, w.a, w.b, worst[k]->error);
        EXPECT_LE(worst[k]->error, 1.0) << table << ": " << names[k];
    }
}

TEST(BetaIncLog, AgreesWithHighPrecisionReference)
{
    check_against_table(beta_log_rows, sizeof beta_log_rows / sizeof beta_log_rows[0],
                        "fraction rows");
}

// Shapes of 3e4 and more, where near the mean the fraction runs past 199
// steps (to 260 at shapes of 1e5 and 530 at 1e6), to the same bound.
TEST(BetaIncLog, LargeShapesAgreeWithHighPrecisionReference)
{
    check_against_table(beta_log_large_rows,
                        sizeof beta_log_large_rows / sizeof beta_log_large_rows[0], "large shapes");
}

// Deep in a tail the ratio itself is far below the smallest double, and the
// log still carries 1e-12 relative (rows of the table above reach
// ln I = -2e5).  Here the lower tail, and the upper one reached through the
// exchange, against the start of the series
//     I_u(p, q) = u^p (1-u)^q / (p B(p, q)) (1 + (p+q) u/(p+1) + O(u^2)),
// u = x or 1 - x; B(3, 40) = 2 / (40 41 42).
TEST(BetaIncLog, TailsBeyondTheDoubleRange)
{
    const double log_b = std::log(2.0 / (40.0 * 41.0 * 42.0));
    struct tail_case {
        double x, a, b;
        bool upper;  // the small side is 1 - I
    };
    const tail_case cases[] = {{1e-30, 40.0, 3.0, false}, {1.0 - 0x1p-40, 3.0, 40.0, true}};
    for (const tail_case& c : cases) {
        beta_log_record r = make_record(c.x, c.a, c.b);
        ASSERT_EQ(beta_inc_log(&r), 0) << c.x;
        const double u = c.upper ? 1.0 - c.x : c.x;
        const double p = c.upper ? c.b : c.a, q = c.upper ? c.a : c.b;
        const double series = p * std::log(u) + q * std::log1p(-u) - std::log(p) - log_b
                            + std::log1p((p + q) * u / (p + 1.0));
        const double small = c.upper ? r.log_upper : r.log_lower;
        const double large = c.upper ? r.log_lower : r.log_upper;
        EXPECT_LT(small, -1100.0);
        EXPECT_NEAR(small, series, 1e-12 * std::fabs(series)) << c.x;
        EXPECT_EQ(large, 0.0) << c.x;  // -(small side), far below the double range
        EXPECT_EQ(r.exchanged, c.upper ? 1 : 0);
    }
}

}  // namespace
