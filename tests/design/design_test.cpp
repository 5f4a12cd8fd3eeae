// Study design: the power of the F test, the sample sizes, effect sizes and
// levels solved from it, and the effect-size intervals, against mpmath.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>

#include "design/design.h"
#include "fnonct/fnonct_solve.h"
#include "library/quantiles.h"
#include "support/reference_table.h"

namespace {

constexpr double not_a_number = std::numeric_limits<double>::quiet_NaN();

struct power_reference {
    double df1, df2, lambda, alpha;
    double f_crit, f_crit_rel, power, power_rel;
};

const power_reference power_rows[] = {
#define POWER_ROWS
#include "data/power.inc"
#undef POWER_ROWS
};

struct size_reference {
    double kind;  // 0 regression (u, f2), 1 analysis of variance (k, f)
    double first, effect, alpha, target, size;
    double power_at, power_at_rel, power_below, power_below_rel;
};

const size_reference size_rows[] = {
#include "data/power.inc"
};

struct interval_reference {
    double f, df1, df2, n, level, alternative;
    double lower, lower_rel, upper, upper_rel;
};

const interval_reference interval_rows[] = {
#include "data/effect_interval.inc"
};

}  // namespace

// The critical value and the power over designs from 0.5 to 1000 degrees of
// freedom, lambda 0 to 200 and alpha 0.2 to 1e-10, worst row reported.
TEST(FTestPower, AgreesWithMpmath)
{
    worst_row worst_crit, worst_power;
    size_t rows = sizeof power_rows / sizeof power_rows[0];
    for (size_t i = 0; i < rows; ++i) {
        const power_reference& r = power_rows[i];
        double f_crit, power;
        ASSERT_EQ(f_quantile(r.alpha, quantile_upper_tail, r.df1, r.df2, &f_crit), quantile_ok);
        ASSERT_EQ(f_test_power(r.df1, r.df2, r.lambda, r.alpha, &power), design_ok) << i;
        note_error(&worst_crit, relative_error(f_crit, r.f_crit), i);
        note_error(&worst_power, relative_error(power, r.power), i);
    }
    std::printf("F_crit worst %.3g (row %zu), power worst %.3g (row %zu)\n", worst_crit.error,
                worst_crit.row, worst_power.error, worst_power.row);
    EXPECT_LE(worst_crit.error, 1e-14) << "row " << worst_crit.row;
    EXPECT_LE(worst_power.error, 1e-12) << "row " << worst_power.row;
}

// The smallest whole sizes of the mpmath search, and the power they reach.
TEST(SolveDesigns, SampleSizesAgreeWithMpmath)
{
    for (const size_reference& r : size_rows) {
        double size, achieved;
        design_outcome outcome;
        if (r.kind == 0.0) {
            f2_design d{r.first, not_a_number, r.effect, r.alpha, r.target, 0.0};
            outcome = solve_f2_design(&d);
            size = d.v;
            achieved = d.achieved;
        } else {
            anova_design d{r.first, not_a_number, r.effect, r.alpha, r.target, 0.0};
            outcome = solve_anova_design(&d);
            size = d.n;
            achieved = d.achieved;
        }
        ASSERT_EQ(outcome, design_ok) << r.kind << " " << r.first << " " << r.effect;
        EXPECT_EQ(size, r.size) << r.kind << " " << r.first << " " << r.effect << " " << r.alpha
                                << " " << r.target;
        EXPECT_NEAR(achieved, r.power_at, 1e-12 * r.power_at);
    }
}

// Each unknown solved and put back: the power of the design found is the
// target (to the root search's 2^-45 in the unknown), and the power found
// directly is the one asked for by the other solves.
TEST(SolveDesigns, EffectSizeAndLevelRoundTrip)
{
    struct case_row {
        double first, size, effect, alpha;
    };
    const case_row regression[] = {{3, 73, 0.15, 0.05}, {1, 20, 0.5, 0.01}, {10, 500, 0.02, 1e-4}};
    for (const case_row& c : regression) {
        f2_design d{c.first, c.size, c.effect, c.alpha, not_a_number, 0.0};
        ASSERT_EQ(solve_f2_design(&d), design_ok);
        const double power = d.power;
        f2_design e{c.first, c.size, not_a_number, c.alpha, power, 0.0};
        ASSERT_EQ(solve_f2_design(&e), design_ok);
        EXPECT_NEAR(e.f2, c.effect, 1e-11 * c.effect);
        f2_design l{c.first, c.size, c.effect, not_a_number, power, 0.0};
        ASSERT_EQ(solve_f2_design(&l), design_ok);
        EXPECT_NEAR(l.alpha, c.alpha, 1e-11 * c.alpha);
    }
    const case_row anova[] = {{4, 45, 0.25, 0.05}, {2, 10, 1.0, 0.05}, {6, 200, 0.1, 0.001}};
    for (const case_row& c : anova) {
        anova_design d{c.first, c.size, c.effect, c.alpha, not_a_number, 0.0};
        ASSERT_EQ(solve_anova_design(&d), design_ok);
        anova_design e{c.first, c.size, not_a_number, c.alpha, d.power, 0.0};
        ASSERT_EQ(solve_anova_design(&e), design_ok);
        EXPECT_NEAR(e.f, c.effect, 1e-11 * c.effect);
        anova_design l{c.first, c.size, c.effect, not_a_number, d.power, 0.0};
        ASSERT_EQ(solve_anova_design(&l), design_ok);
        EXPECT_NEAR(l.alpha, c.alpha, 1e-11 * c.alpha);
    }
}

// Requests without an answer and arguments outside their domains.
TEST(SolveDesigns, ImpossibleRequestsAndDomains)
{
    double power;
    // No effect: the power is the level.
    ASSERT_EQ(f_test_power(3, 40, 0.0, 0.05, &power), design_ok);
    EXPECT_NEAR(power, 0.05, 1e-15);
    EXPECT_EQ(f_test_power(0.0, 40, 1.0, 0.05, &power), design_invalid);
    EXPECT_TRUE(std::isnan(power));
    EXPECT_EQ(f_test_power(3, 40, -1.0, 0.05, &power), design_invalid);
    EXPECT_EQ(f_test_power(3, 40, 1.0, 1.0, &power), design_invalid);

    struct f2_case {
        f2_design d;
        design_outcome outcome;
    };
    const double nan = not_a_number;
    const f2_case f2_cases[] = {
        {{3, nan, 0.15, 0.05, 0.04, 0}, design_unreachable},   // power below alpha
        {{3, 10, nan, 0.05, 0.05, 0}, design_unreachable},     // power equal to alpha
        {{3, nan, 0.0, 0.05, 0.8, 0}, design_unreachable},     // no effect, no size
        {{3, nan, nan, 0.05, 0.8, 0}, design_invalid},         // two unknowns
        {{3, 10, 0.15, 0.05, 0.8, 0}, design_invalid},         // no unknown
        {{nan, 10, 0.15, 0.05, nan, 0}, design_invalid},       // u unknown
        {{3, nan, 0.15, 0.05, 1.0, 0}, design_invalid},        // power 1
        {{3, -1, 0.15, 0.05, nan, 0}, design_invalid},         // negative v
    };
    for (const f2_case& c : f2_cases) {
        f2_design d = c.d;
        EXPECT_EQ(solve_f2_design(&d), c.outcome)
            << d.u << " " << d.v << " " << d.f2 << " " << d.alpha << " " << d.power;
    }
    anova_design a{2.5, 10, 0.25, 0.05, nan, 0};  // groups not whole
    EXPECT_EQ(solve_anova_design(&a), design_invalid);
    anova_design b{4, 1, 0.25, 0.05, nan, 0};  // one per group: no df2
    EXPECT_EQ(solve_anova_design(&b), design_invalid);
    anova_design c{4, nan, 0.25, 0.05, 0.8, 0};  // the smallest n of two is 2 or more
    ASSERT_EQ(solve_anova_design(&c), design_ok);
    EXPECT_EQ(c.n, 45.0);
}

// Intervals for lambda and the effect sizes; the first row is the README's
// worked example.  The limits carry the noncentrality search's accuracy.
TEST(EffectSizeInterval, AgreesWithMpmath)
{
    worst_row worst;
    size_t rows = sizeof interval_rows / sizeof interval_rows[0];
    for (size_t i = 0; i < rows; ++i) {
        const interval_reference& r = interval_rows[i];
        effect_interval e;
        ASSERT_EQ(effect_size_interval(r.f, r.df1, r.df2, r.n, r.level,
                                       static_cast<int32_t>(r.alternative), &e),
                  fnonct_ok)
            << i;
        note_error(&worst, relative_error(e.lambda_lower, r.lower), i);
        if (std::isinf(r.upper))
            EXPECT_TRUE(std::isinf(e.lambda_upper) && e.eta2_upper == 1.0) << i;
        else
            note_error(&worst, relative_error(e.lambda_upper, r.upper), i);
        EXPECT_EQ(e.f2_lower, e.lambda_lower / r.n);
        EXPECT_EQ(e.eta2_lower, e.lambda_lower / (e.lambda_lower + r.n));
    }
    std::printf("lambda limits worst %.3g (row %zu)\n", worst.error, worst.row);
    EXPECT_LE(worst.error, 1e-9) << "row " << worst.row;

    effect_interval e;
    EXPECT_EQ(effect_size_interval(4.2, 3, 40, not_a_number, 0.95, ncp_two_sided, &e), fnonct_ok);
    EXPECT_TRUE(std::isnan(e.f2_lower) && std::isnan(e.eta2_upper));
    EXPECT_EQ(effect_size_interval(4.2, 3, 40, 0.0, 0.95, ncp_two_sided, &e), fnonct_invalid);
    EXPECT_EQ(effect_size_interval(4.2, 3, 40, 44, 1.0, ncp_two_sided, &e), fnonct_invalid);
    EXPECT_EQ(effect_size_interval(not_a_number, 3, 40, 44, 0.95, ncp_two_sided, &e),
              fnonct_missing);
}
