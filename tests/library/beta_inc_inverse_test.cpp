// beta_inc_inverse and f_quantile: the inverse incomplete beta ratio in both
// tails and the F quantile, against mpmath.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>

#include "library/quantiles.h"
#include "support/reference_table.h"

namespace {

struct inverse_reference {
    double prob;
    double tail;  // 0 lower, 1 upper
    double a, b;
    double x, x_rel, y, y_rel;
    double kappa, kappa_rel;
};

const inverse_reference inverse_rows[] = {
#include "data/beta_inc_inverse.inc"
};

constexpr double not_a_number = std::numeric_limits<double>::quiet_NaN();
constexpr double min_normal = 0x1p-1022;

// The error allowed for z (x or y) of a row: 1e-14 relative, widened by the
// conditioning kappa = |d ln z / d ln prob| times 2^-52 (two units of
// 2^-53: the rounding of the probability itself moves the root by kappa
// units, and no evaluation of the tail can place it more closely).  Below
// the normal range the results are subnormal and only absolute accuracy is
// meaningful.
double allowed_error(double kappa) { return 1e-14 + 0x1p-52 * kappa; }

// The error of got against the reference hi (1 + rel), in units of the
// allowed error.
double scaled_error(double got, double hi, double rel, double kappa)
{
    long double want = static_cast<long double>(hi) * (1.0L + rel);
    if (std::fabs(hi) < min_normal)
        return std::fabs(static_cast<double>(got - want)) / (1e-14 * min_normal);
    long double err = std::fabs((static_cast<long double>(got) - want) / want);
    return static_cast<double>(err) / allowed_error(kappa);
}

void describe(const inverse_reference& r)
{
    std::printf("prob %.17g tail %g a %.17g b %.17g: x %.17g y %.17g kappa %.3g\n", r.prob,
                r.tail, r.a, r.b, r.x, r.y, r.kappa);
}

}  // namespace

// One loop over the mpmath table: x and y = 1 - x, each to its relative
// error; the worst row is reported.
TEST(BetaIncInverse, AgreesWithMpmath)
{
    worst_row worst_x, worst_y;
    // The plain relative error of the smaller of x and y, apart for rows of
    // kappa <= 1 and above, for the record.
    worst_row plain_conditioned, plain_other;
    size_t rows = sizeof inverse_rows / sizeof inverse_rows[0];
    for (size_t i = 0; i < rows; ++i) {
        const inverse_reference& r = inverse_rows[i];
        double x, y;
        int32_t status = beta_inc_inverse(r.prob, static_cast<int32_t>(r.tail), r.a, r.b, &x, &y);
        if (status != quantile_ok) {
            describe(r);
            ADD_FAILURE() << "status " << status << " at row " << i;
            continue;
        }
        note_error(&worst_x, scaled_error(x, r.x, r.x_rel, r.kappa), i);
        note_error(&worst_y, scaled_error(y, r.y, r.y_rel, r.kappa), i);
        if (r.x >= min_normal && r.y >= min_normal)
            note_error(r.kappa <= 1.0 ? &plain_conditioned : &plain_other,
                       r.x < r.y ? relative_error(x, r.x) : relative_error(y, r.y), i);
    }
    std::printf("worst relative error %.3g (row %zu) for kappa <= 1, %.3g (row %zu) above\n",
                plain_conditioned.error, plain_conditioned.row, plain_other.error,
                plain_other.row);
    for (const worst_row* w : {&worst_x, &worst_y}) {
        const inverse_reference& r = inverse_rows[w->row];
        if (!(w->error <= 1.0))
            describe(r);
        EXPECT_LE(w->error, 1.0) << (w == &worst_x ? "x" : "y") << " at row " << w->row
                                 << ", in units of the allowed error";
    }
}

// The reduction to the smaller of x and y: asking for the lower tail of
// (a, b) and for the upper tail of (b, a) is the same question with x and y
// exchanged, and a probability above 1/2 the same as its complement in the
// other tail (1 - prob is exact above 1/2); the answers agree bit for bit.
TEST(BetaIncInverse, TailsAndShapesExchange)
{
    const double shapes[][2] = {{2.5, 10.0}, {0.001, 0.5}, {1e3, 1e3}, {37.0, 1e5}};
    const double probs[] = {1e-200, 0.01, 0.3, 0.5, 0.75, 0.999};
    for (const auto& s : shapes) {
        for (double p : probs) {
            double x1, y1, x2, y2, x3, y3;
            ASSERT_EQ(beta_inc_inverse(p, quantile_lower_tail, s[0], s[1], &x1, &y1), quantile_ok);
            ASSERT_EQ(beta_inc_inverse(p, quantile_upper_tail, s[1], s[0], &x2, &y2), quantile_ok);
            ASSERT_EQ(beta_inc_inverse(1.0 - p, quantile_upper_tail, s[0], s[1], &x3, &y3),
                      quantile_ok);
            EXPECT_EQ(x1, y2) << p << " " << s[0] << " " << s[1];
            EXPECT_EQ(y1, x2) << p << " " << s[0] << " " << s[1];
            if (p > 0.5) {  // 1 - p is exact: the same question
                EXPECT_EQ(x1, x3) << p << " " << s[0] << " " << s[1];
                EXPECT_EQ(y1, y3) << p << " " << s[0] << " " << s[1];
            }
        }
    }
}

// End points, closed forms and the domain.
TEST(BetaIncInverse, EndPointsClosedFormsAndDomain)
{
    double x, y;
    ASSERT_EQ(beta_inc_inverse(0.0, quantile_lower_tail, 2.0, 3.0, &x, &y), quantile_ok);
    EXPECT_EQ(x, 0.0);
    EXPECT_EQ(y, 1.0);
    ASSERT_EQ(beta_inc_inverse(0.0, quantile_upper_tail, 2.0, 3.0, &x, &y), quantile_ok);
    EXPECT_EQ(x, 1.0);
    EXPECT_EQ(y, 0.0);
    ASSERT_EQ(beta_inc_inverse(1.0, quantile_lower_tail, 2.0, 3.0, &x, &y), quantile_ok);
    EXPECT_EQ(x, 1.0);
    // I_x(1, 1) = x; I_x(a, 1) = x^a; 1 - I_x(1, b) = (1 - x)^b; I_x(1/2, 1/2) =
    // (2/pi) asin(sqrt x).
    ASSERT_EQ(beta_inc_inverse(0.3, quantile_lower_tail, 1.0, 1.0, &x, &y), quantile_ok);
    EXPECT_NEAR(x, 0.3, 1e-16);
    ASSERT_EQ(beta_inc_inverse(0.125, quantile_lower_tail, 3.0, 1.0, &x, &y), quantile_ok);
    EXPECT_NEAR(x, 0.5, 1e-16);
    ASSERT_EQ(beta_inc_inverse(1e-300, quantile_upper_tail, 1.0, 2.0, &x, &y), quantile_ok);
    EXPECT_NEAR(y, 1e-150, 1e-164);
    EXPECT_EQ(x, 1.0);
    ASSERT_EQ(beta_inc_inverse(0.5, quantile_lower_tail, 0.5, 0.5, &x, &y), quantile_ok);
    EXPECT_NEAR(x, 0.5, 1e-15);

    struct bad_case {
        double prob;
        int32_t tail;
        double a, b;
    };
    const bad_case bad[] = {
        {not_a_number, 0, 2.0, 3.0},  {-1e-300, 0, 2.0, 3.0},   {1.0 + 0x1p-52, 0, 2.0, 3.0},
        {0.5, 0, 0.0, 3.0},  {0.5, 0, 2.0, -1.0},      {0.5, 0, 2147483648.0, 3.0},
        {0.5, 0, 2.0, not_a_number},  {0.5, 2, 2.0, 3.0},       {0.5, -1, 2.0, 3.0},
    };
    for (const bad_case& c : bad) {
        x = y = 0.0;
        EXPECT_EQ(beta_inc_inverse(c.prob, c.tail, c.a, c.b, &x, &y), quantile_invalid)
            << c.prob << " " << c.tail << " " << c.a << " " << c.b;
        EXPECT_TRUE(std::isnan(x) && std::isnan(y));
    }
}

// The F quantile: f = (b/a) x/y from the beta rows (the reference formed
// from the mpmath x and y in extended precision), and the values of the
// F tables.
TEST(FQuantile, AgreesWithBetaReferenceAndTables)
{
    worst_row worst;
    size_t rows = sizeof inverse_rows / sizeof inverse_rows[0];
    for (size_t i = 0; i < rows; ++i) {
        const inverse_reference& r = inverse_rows[i];
        if (r.x < min_normal || r.y < min_normal || r.a > 2147483647.0 / 2
            || r.b > 2147483647.0 / 2)
            continue;
        long double x = static_cast<long double>(r.x) * (1.0L + r.x_rel);
        long double y = static_cast<long double>(r.y) * (1.0L + r.y_rel);
        long double want = (x / y) * (static_cast<long double>(r.b) / r.a);
        if (!(want < 1e308L))
            continue;
        double f;
        ASSERT_EQ(f_quantile(r.prob, static_cast<int32_t>(r.tail), 2.0 * r.a, 2.0 * r.b, &f), quantile_ok) << i;
        double err = static_cast<double>(std::fabs((f - want) / want));
        note_error(&worst, err / (allowed_error(r.kappa) + 4.0 * 0x1p-53), i);
    }
    EXPECT_LE(worst.error, 1.0) << "row " << worst.row;

    // P(F <= f) = 0.95 at (3, 10) and 0.99 at (1, 1): f = 3.7082648190468435,
    // 4052.180695476829 (mpmath).  At df1 = df2 = 2, P(F > f) = 1/(1 + f):
    // the upper tail 1e-300 gives f = 1e300 - 1.
    struct known {
        double prob;
        int32_t tail;
        double df1, df2, f;
        double tolerance;
    };
    const known cases[] = {
        {0.95, quantile_lower_tail, 3.0, 10.0, 3.7082648190468435, 1e-14},
        {0.01, quantile_upper_tail, 1.0, 1.0, 4052.180695476829, 1e-13},
        {1e-300, quantile_upper_tail, 2.0, 2.0, 1e300, 1e-14},
        {0.5, quantile_lower_tail, 7.0, 7.0, 1.0, 1e-15},
    };
    for (const known& c : cases) {
        double f;
        ASSERT_EQ(f_quantile(c.prob, c.tail, c.df1, c.df2, &f), quantile_ok);
        EXPECT_NEAR(f, c.f, c.tolerance * c.f) << c.prob << " " << c.df1 << " " << c.df2;
    }
    double f;
    ASSERT_EQ(f_quantile(1.0, quantile_lower_tail, 3.0, 10.0, &f), quantile_ok);
    EXPECT_EQ(f, std::numeric_limits<double>::infinity());
    ASSERT_EQ(f_quantile(0.0, quantile_lower_tail, 3.0, 10.0, &f), quantile_ok);
    EXPECT_EQ(f, 0.0);
    EXPECT_EQ(f_quantile(0.5, quantile_lower_tail, 0.0, 10.0, &f), quantile_invalid);
    EXPECT_TRUE(std::isnan(f));
    EXPECT_EQ(f_quantile(0.5, quantile_lower_tail, 3.0, 4294967296.0, &f), quantile_invalid);
}
