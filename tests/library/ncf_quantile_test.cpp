// ncf_quantile: the noncentral F quantile in x against mpmath (both tails,
// upper tails to 1e-295, lambda to 1e6, df 1e-2 to 1e7), the end points and
// the domain.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>

#include "library/noncentral_f.h"
#include "library/quantiles.h"
#include "support/reference_table.h"

namespace {

struct ncf_quantile_row {
    double p, tail, df1, df2, ncp, kappa, x, rel;
};

const ncf_quantile_row ncf_quantile_rows[] = {
#include "data/ncf_quantile.inc"
};

constexpr double infinity = std::numeric_limits<double>::infinity();
constexpr double nan = std::numeric_limits<double>::quiet_NaN();

// 1e-13 relative, plus the condition's share: a relative error of the
// probabilities (2.5e-13 at most, ncf_probabilities_test) moves x by kappa
// times as much.
double tolerance(const ncf_quantile_row& r)
{
    return 1e-13 + 2.5e-13 * r.kappa;
}

int32_t tail_of(double t)
{
    return t == 0.0 ? quantile_lower_tail : quantile_upper_tail;
}

TEST(NcfQuantile, AgreesWithMpmath)
{
    worst_row worst;
    const size_t n = sizeof ncf_quantile_rows / sizeof ncf_quantile_rows[0];
    for (size_t i = 0; i < n; ++i) {
        const ncf_quantile_row& r = ncf_quantile_rows[i];
        double x;
        ASSERT_EQ(ncf_quantile(r.p, tail_of(r.tail), r.df1, r.df2, r.ncp, &x), quantile_ok)
            << "row " << i;
        double error = std::fabs((x - r.x) / r.x - r.rel);
        note_error(&worst, error / tolerance(r), i);
    }
    const ncf_quantile_row& w = ncf_quantile_rows[worst.row];
    std::printf("ncf_quantile: %zu rows, worst %.3g of the tolerance at p = %.17g, tail %g, "
                "(%.17g, %.17g, %.17g), kappa %.3g\n",
                n, worst.error, w.p, w.tail, w.df1, w.df2, w.ncp, w.kappa);
    EXPECT_LE(worst.error, 1.0);
}

// The lower tail p and the upper tail 1 - p give the same x where 1 - p is
// exact, and the quantile inverts the probabilities it iterates on.
TEST(NcfQuantile, TailsAgreeAndInvert)
{
    const double designs[][3] = {{3.0, 10.0, 5.0}, {0.5, 4.0, 100.0}, {20.0, 1e4, 3e4}};
    for (const auto& d : designs) {
        for (double p : {0.01, 0.25, 0.5, 0.75, 0.999}) {
            double lower, upper;
            ASSERT_EQ(ncf_quantile(p, quantile_lower_tail, d[0], d[1], d[2], &lower), quantile_ok);
            ASSERT_EQ(ncf_quantile(1.0 - p, quantile_upper_tail, d[0], d[1], d[2], &upper),
                      quantile_ok);
            EXPECT_NEAR(lower, upper, 1e-12 * lower) << "p = " << p;
            ncf_values v;
            ASSERT_EQ(ncf_probabilities(lower, d[0], d[1], d[2], ncf_want_lower | ncf_want_density,
                                        &v),
                      ncf_values_ok);
            EXPECT_NEAR(v.lower, p, 1e-13) << "p = " << p;
        }
    }
}

TEST(NcfQuantile, EndPoints)
{
    struct end_case {
        double p;
        int32_t tail;
        double want;
    };
    const end_case cases[] = {{0.0, quantile_lower_tail, 0.0},
                              {1.0, quantile_lower_tail, infinity},
                              {0.0, quantile_upper_tail, infinity},
                              {1.0, quantile_upper_tail, 0.0}};
    for (const end_case& c : cases) {
        for (double ncp : {0.0, 7.0}) {
            double x;
            ASSERT_EQ(ncf_quantile(c.p, c.tail, 3.0, 10.0, ncp, &x), quantile_ok);
            EXPECT_EQ(x, c.want) << "p = " << c.p << ", tail " << c.tail << ", ncp " << ncp;
        }
    }
    // ncp = 0 is the central F quantile.
    double x, f;
    ASSERT_EQ(ncf_quantile(0.3, quantile_upper_tail, 3.0, 10.0, 0.0, &x), quantile_ok);
    ASSERT_EQ(f_quantile(0.3, quantile_upper_tail, 3.0, 10.0, &f), quantile_ok);
    EXPECT_EQ(x, f);
}

TEST(NcfQuantile, OutsideTheDomain)
{
    struct bad_case {
        double p;
        int32_t tail;
        double df1, df2, ncp;
    };
    const bad_case cases[] = {
        {nan, quantile_lower_tail, 3.0, 10.0, 5.0}, {-0.1, quantile_lower_tail, 3.0, 10.0, 5.0},
        {1.5, quantile_upper_tail, 3.0, 10.0, 5.0}, {0.5, 2, 3.0, 10.0, 5.0},
        {0.5, quantile_lower_tail, 0.0, 10.0, 5.0}, {0.5, quantile_lower_tail, 3.0, -1.0, 5.0},
        {0.5, quantile_lower_tail, 3.0, 10.0, -1.0}, {0.5, quantile_lower_tail, 3.0, 10.0, infinity},
        {0.5, quantile_lower_tail, infinity, 10.0, 5.0}, {0.5, quantile_lower_tail, 3.0, nan, 5.0},
    };
    for (const bad_case& c : cases) {
        double x = 0.0;
        EXPECT_EQ(ncf_quantile(c.p, c.tail, c.df1, c.df2, c.ncp, &x), quantile_invalid);
        EXPECT_TRUE(std::isnan(x));
    }
}

// Degrees of freedom of 1e-5 put most of the law beyond the largest double
// (P(F' <= 1.8e308; 1e-5, 1e-5, 5) is about 0.044): a quantile there has no
// double to answer with and fails, where the doubling once stopped at the
// last finite point and called it the root.
TEST(NcfQuantile, BeyondTheDoubleRangeFails)
{
    const double largest = std::numeric_limits<double>::max();
    ncf_values at_largest;
    ASSERT_EQ(ncf_probabilities(largest, 1e-5, 1e-5, 5.0, ncf_want_lower, &at_largest), ncf_values_ok);
    for (double p : {0.1, 0.5, 0.9}) {
        ASSERT_LT(at_largest.lower, p);
        double x = 0.0;
        EXPECT_EQ(ncf_quantile(p, quantile_lower_tail, 1e-5, 1e-5, 5.0, &x), quantile_not_converged) << p;
        EXPECT_TRUE(std::isnan(x)) << p;
        EXPECT_EQ(ncf_quantile(1.0 - p, quantile_upper_tail, 1e-5, 1e-5, 5.0, &x), quantile_not_converged) << p;
    }
}

}  // namespace
