// The t tests' study design: the power against mpmath (with R pwr's value
// beside it in the table), each unknown solved and put back, and the
// interval for Cohen's d and Hedges' g from an observed t.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>

#include "design/design.h"
#include "nct/nct.h"

namespace {

struct t_power_row {
    int32_t type, alternative;
    double n1, n2, d, alpha, power, rel, pwr;
};

#include "data/t_power.inc"

const double nan = std::numeric_limits<double>::quiet_NaN();

design_outcome power_of(const t_power_row& r, double* power)
{
    if (r.type == 3) {
        t2n_design d{r.alternative, r.n1, r.n2, r.d, r.alpha, nan, 0.0};
        design_outcome o = solve_t2n_design(&d);
        *power = d.power;
        return o;
    }
    t_design d{r.type, r.alternative, r.n1, r.d, r.alpha, nan, 0.0};
    design_outcome o = solve_t_design(&d);
    *power = d.power;
    return o;
}

TEST(TTestPower, AgreesWithMpmath)
{
    double worst = 0.0, worst_pwr = 0.0;
    size_t at = 0;
    for (size_t i = 0; i < sizeof t_power_rows / sizeof t_power_rows[0]; ++i) {
        const t_power_row& r = t_power_rows[i];
        double power;
        ASSERT_EQ(power_of(r, &power), design_ok) << "row " << i;
        double want = r.power + r.power * r.rel;
        double e = std::fabs(power - want) / want;
        EXPECT_LE(e, 1e-12) << "row " << i << ": got " << power << ", mpmath " << want;
        if (e > worst) {
            worst = e;
            at = i;
        }
        worst_pwr = std::fmax(worst_pwr, std::fabs(r.pwr - want) / want);
    }
    std::printf("[  worst   ] t test power: %.3g relative at row %zu (R pwr: %.3g)\n", worst, at,
                worst_pwr);
}

// Every unknown solved from the others reproduces the design: the size is
// the smallest whole size reaching the power, the effect and the level give
// the power back.
TEST(TTestPower, EachUnknownSolvedAndPutBack)
{
    for (size_t i = 0; i < sizeof t_power_rows / sizeof t_power_rows[0]; ++i) {
        const t_power_row& r = t_power_rows[i];
        if (r.type == 3)
            continue;
        // A target a little below the design's power: its own size reaches it.
        double power = r.power * (1.0 - 1e-9);
        if (power <= r.alpha || power > 0.999)
            continue;
        t_design n{r.type, r.alternative, nan, r.d, r.alpha, power, 0.0};
        ASSERT_EQ(solve_t_design(&n), design_ok) << "row " << i;
        EXPECT_LE(n.n, r.n1) << "row " << i;
        EXPECT_GE(n.achieved, power * (1.0 - 1e-12)) << "row " << i;
        if (n.n > 2.0) {
            t_design below{r.type, r.alternative, n.n - 1.0, r.d, r.alpha, nan, 0.0};
            ASSERT_EQ(solve_t_design(&below), design_ok);
            EXPECT_LT(below.power, power) << "row " << i;
        }
        t_design d{r.type, r.alternative, r.n1, nan, r.alpha, power, 0.0};
        ASSERT_EQ(solve_t_design(&d), design_ok) << "row " << i;
        double want_d = r.alternative == t_test_two_sided ? std::fabs(r.d) : r.d;
        EXPECT_NEAR(d.d, want_d, 1e-6 * std::fabs(want_d)) << "row " << i;
        t_design a{r.type, r.alternative, r.n1, r.d, nan, power, 0.0};
        ASSERT_EQ(solve_t_design(&a), design_ok) << "row " << i;
        EXPECT_NEAR(a.alpha, r.alpha, 1e-6 * r.alpha) << "row " << i;
    }
    // Unequal groups: either size may be the unknown.  (With n1 = 10 and
    // d = 0.6 the power tends to 0.47 as n2 grows: 0.4 is reachable.)
    t2n_design n2{t_test_two_sided, 10.0, nan, 0.6, 0.05, 0.4, 0.0};
    ASSERT_EQ(solve_t2n_design(&n2), design_ok);
    t2n_design n1{t_test_two_sided, nan, 10.0, 0.6, 0.05, 0.4, 0.0};
    ASSERT_EQ(solve_t2n_design(&n1), design_ok);
    EXPECT_EQ(n1.n1, n2.n2);
    EXPECT_GE(n2.achieved, 0.4);
    t2n_design far{t_test_two_sided, 10.0, nan, 0.6, 0.05, 0.5, 0.0};
    EXPECT_EQ(solve_t2n_design(&far), design_unreachable);
}

TEST(TTestPower, Unreachable)
{
    // A power at or below the level is unreachable; so is a size beyond the
    // largest degrees of freedom for a vanishing effect.
    t_design d{t_test_one_sample, t_test_greater, nan, 0.5, 0.05, 0.04, 0.0};
    EXPECT_EQ(solve_t_design(&d), design_unreachable);
    t_design two{t_test_one_sample, t_test_greater, nan, 0.5, nan, 0.8, 0.0};
    EXPECT_EQ(solve_t_design(&two), design_invalid);
    t_design kind{7, t_test_greater, 10.0, 0.5, 0.05, nan, 0.0};
    EXPECT_EQ(solve_t_design(&kind), design_invalid);
}

TEST(CohensDInterval, FromTheNoncentralityLimits)
{
    // t = 55 from one sample of 1e6 + 1 (df = 1e6): the limits for delta
    // are those of nct_ncp (53.0385..., 56.9614...; other tools give
    // [48.4, 63.5]), scaled by 1/sqrt(n).
    d_interval r;
    ASSERT_EQ(cohens_d_interval(55.0, 1e6, 1e6 + 1.0, nan, 0.95, t_test_two_sided, &r), design_ok);
    double lo, hi;
    ASSERT_EQ(nct_ncp_interval(55.0, 1e6, 0.95, nct_two_sided, &lo, &hi), nct_ok);
    EXPECT_EQ(r.df, 1e6);
    EXPECT_DOUBLE_EQ(r.d_lower, lo / std::sqrt(1e6 + 1.0));
    EXPECT_DOUBLE_EQ(r.d_upper, hi / std::sqrt(1e6 + 1.0));
    EXPECT_LT(r.d_lower, r.d);
    EXPECT_GT(r.d_upper, r.d);
    EXPECT_NEAR(r.g / r.d, 0.99999924999978124993, 1e-15);
    // Two groups of 12 and 15, one-sided.
    ASSERT_EQ(cohens_d_interval(2.1, 25.0, 12.0, 15.0, 0.9, t_test_greater, &r), design_ok);
    EXPECT_EQ(r.df, 25.0);
    EXPECT_TRUE(std::isinf(r.d_upper) && r.d_upper > 0);
    EXPECT_NEAR(r.d, 2.1 * std::sqrt(1.0 / 12 + 1.0 / 15), 1e-15);
    EXPECT_EQ(cohens_d_interval(2.1, 0.0, 1.0, nan, 0.9, t_test_greater, &r), design_invalid);
    EXPECT_EQ(cohens_d_interval(2.1, 3.0, nan, 4.0, 0.9, t_test_greater, &r), design_invalid);
    EXPECT_EQ(cohens_d_interval(2.1, 9.0, 10.0, nan, 1.0, t_test_greater, &r), design_invalid);
}

TEST(HedgesCorrection, AgainstMpmath)
{
    // Gamma(df/2) / (sqrt(df/2) Gamma((df - 1)/2)) by mpmath at 80 digits
    // (its log gammas of 5e14 need them); within 4 units in the last place.
    const double rows[][2] = {
        {1.5, 0.39027621886917630695}, {2.0, 0.56418958354775628695},
        {10.0, 0.92274560805308710336}, {1e6, 0.99999924999978124993},
        {1e15, 0.99999999999999925},
    };
    for (const auto& r : rows)
        EXPECT_NEAR(hedges_correction(r[0]), r[1], 0x1p-51 * r[1]) << r[0];
    EXPECT_TRUE(std::isnan(hedges_correction(1.0)));
}

}  // namespace
