// The chi-square statistic's intervals (noncentrality, RMSEA, w, Cramer's
// V), the chi-square test's power and its design, against mpmath
// (tests/reference/gen_chisq_power.py) and against the equations the limits
// solve.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>

#include "design/design.h"
#include "fnonct/fnonct_solve.h"
#include "ncx2/ncx2.h"
#include "support/reference_table.h"

namespace {

constexpr double not_a_number = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();

struct chisq_power_reference {
    double w, n, df, alpha;
    double x_crit, x_crit_rel, power, power_rel;
};

const chisq_power_reference power_rows[] = {
#define CHISQ_POWER_ROWS
#include "data/chisq_power.inc"
#undef CHISQ_POWER_ROWS
};

struct chisq_size_reference {
    double w, df, alpha, target, n, n_rel;
};

const chisq_size_reference size_rows[] = {
#include "data/chisq_power.inc"
};

double lower_tail(double x, double df, double lambda)
{
    double p, q;
    EXPECT_EQ(ncx2_tails(x, df, lambda, &p, &q), 0);
    return p;
}

}  // namespace

TEST(ChisqTestPower, AgreesWithMpmath)
{
    worst_row worst;
    size_t rows = sizeof power_rows / sizeof power_rows[0];
    for (size_t i = 0; i < rows; ++i) {
        const chisq_power_reference& r = power_rows[i];
        double power;
        ASSERT_EQ(chisq_test_power(r.df, r.n * r.w * r.w, r.alpha, &power), design_ok) << i;
        double want = r.power + r.power * r.power_rel;
        double e = relative_error(power, want);
        EXPECT_LE(e, 1e-12) << "row " << i << ": power " << power << ", want " << want;
        note_error(&worst, e, i);
        // The design solver gives the same power.
        chisq_design d{r.w, r.n, r.df, r.alpha, not_a_number, 0.0};
        ASSERT_EQ(solve_chisq_design(&d), design_ok);
        EXPECT_EQ(d.power, power);
    }
    std::printf("[  worst   ] chisq_test_power over %zu rows: %.3g relative (row %zu)\n", rows,
                worst.error, worst.row);
}

TEST(ChisqDesign, SampleSizeEffectAndLevelSolveThePower)
{
    for (const chisq_size_reference& r : size_rows) {
        chisq_design d{r.w, not_a_number, r.df, r.alpha, r.target, 0.0};
        ASSERT_EQ(solve_chisq_design(&d), design_ok);
        double want = r.n + r.n * r.n_rel;
        // The search stops at a bracket 2^-45 wide in ln n.
        EXPECT_LE(relative_error(d.n, want), 1e-12) << d.n << " against " << want;
        EXPECT_EQ(d.achieved, r.target);
        // w and alpha back from the size found.
        chisq_design e{not_a_number, want, r.df, r.alpha, r.target, 0.0};
        ASSERT_EQ(solve_chisq_design(&e), design_ok);
        EXPECT_NEAR(e.w, r.w, 1e-12 * r.w);
        chisq_design a{r.w, want, r.df, not_a_number, r.target, 0.0};
        ASSERT_EQ(solve_chisq_design(&a), design_ok);
        EXPECT_NEAR(a.alpha, r.alpha, 1e-11 * r.alpha);
    }
}

TEST(ChisqDesign, Outcomes)
{
    struct outcome_case {
        chisq_design d;
        design_outcome want;
    };
    const outcome_case cases[] = {
        {{0.3, not_a_number, 3.0, 0.05, 0.05, 0.0}, design_unreachable},  // power at alpha
        {{0.3, not_a_number, 3.0, not_a_number, 0.8, 0.0}, design_invalid},  // two unknowns
        {{0.3, 100.0, 3.0, 0.05, 0.8, 0.0}, design_invalid},                 // none
        {{-0.1, 100.0, 3.0, 0.05, not_a_number, 0.0}, design_invalid},
        {{0.3, 100.0, 0.0, 0.05, not_a_number, 0.0}, design_invalid},
        {{0.3, 100.0, 3.0, 1.0, not_a_number, 0.0}, design_invalid},
    };
    for (const outcome_case& c : cases) {
        chisq_design d = c.d;
        EXPECT_EQ(solve_chisq_design(&d), c.want) << d.w << " " << d.n << " " << d.alpha;
    }
    // An enormous effect: the noncentrality capped at the routine's range,
    // where the power is 1.
    chisq_design big{1e6, 1e6, 3.0, 0.05, not_a_number, 0.0};
    ASSERT_EQ(solve_chisq_design(&big), design_ok);
    EXPECT_EQ(big.power, 1.0);
}

// The limits solve their equations; a limit without a root is 0; the
// one-sided intervals.
TEST(ChisqNcpInterval, LimitsSolveTheirEquations)
{
    struct case_row {
        double chi2, df, level;
        int32_t alternative;
        double lower_p, upper_p;  // the probability each limit solves, or its value
    };
    const case_row cases[] = {
        {208.94, 80.0, 0.9, ncp_two_sided, 0.95, 0.05},
        {1e5, 10.0, 0.95, ncp_two_sided, 0.975, 0.025},
        {3.0, 5.0, 0.95, ncp_two_sided, 0.0, 0.025},  // below the central 0.975 quantile
        {0.5, 5.0, 0.95, ncp_two_sided, 0.0, 0.0},    // below the 0.025 quantile too
        {0.0, 5.0, 0.95, ncp_two_sided, 0.0, 0.0},
        {30.0, 10.0, 0.95, ncp_less, 0.0, 0.05},
        {30.0, 10.0, 0.95, ncp_greater, 0.95, infinity},
    };
    for (const case_row& c : cases) {
        double lower, upper;
        ASSERT_EQ(chisq_ncp_interval(c.chi2, c.df, c.level, c.alternative, &lower, &upper),
                  fnonct_ok);
        const double limits[] = {lower, upper};
        const double probs[] = {c.lower_p, c.upper_p};
        for (int i = 0; i < 2; ++i) {
            if (probs[i] == 0.0 || probs[i] == infinity) {
                EXPECT_EQ(limits[i], probs[i]) << c.chi2 << " " << c.df << " limit " << i;
            } else {
                EXPECT_NEAR(lower_tail(c.chi2, c.df, limits[i]), probs[i], 1e-13 * probs[i])
                    << c.chi2 << " " << c.df << " limit " << i;
            }
        }
    }
}

// effectsize 0.8.3's rows: a zero-width interval at its search bound for
// chi2 = 1e5 on 10 df, and an upper limit off in the fifth digit at 208.94
// on 80 df (90%); the truths from tests/reference/gen_ncx2_ncp.py's rows.
TEST(ChisqNcpInterval, EffectSizePackageRows)
{
    double lower, upper;
    ASSERT_EQ(chisq_ncp_interval(1e5, 10.0, 0.95, ncp_two_sided, &lower, &upper), fnonct_ok);
    EXPECT_NEAR(lower, 98755.279328058, 1e-9 * lower);
    EXPECT_NEAR(upper, 101234.40367483, 1e-9 * upper);
    ASSERT_EQ(chisq_ncp_interval(208.94, 80.0, 0.9, ncp_two_sided, &lower, &upper), fnonct_ok);
    EXPECT_NEAR(upper, 175.5917233, 1e-7);
}

TEST(ChisqEffectSizeInterval, MapsOfLambdaWithTheEstimateInside)
{
    chisq_effect_interval r;
    ASSERT_EQ(chisq_effect_size_interval(208.94, 80.0, 500.0, 9.0, 11.0, 0.9, ncp_two_sided,
                                         rmsea_n_minus_1, &r),
              fnonct_ok);
    EXPECT_EQ(r.lambda_estimate, 208.94 - 80.0);
    const double lambdas[] = {r.lambda_estimate, r.lambda_lower, r.lambda_upper};
    const double rmsea[] = {r.rmsea_estimate, r.rmsea_lower, r.rmsea_upper};
    const double w[] = {r.w_estimate, r.w_lower, r.w_upper};
    const double v[] = {r.v_estimate, r.v_lower, r.v_upper};
    for (int i = 0; i < 3; ++i) {
        EXPECT_DOUBLE_EQ(rmsea[i], std::sqrt(lambdas[i] / (80.0 * 499.0)));
        EXPECT_DOUBLE_EQ(w[i], std::sqrt(lambdas[i] / 500.0));
        EXPECT_DOUBLE_EQ(v[i], std::sqrt(lambdas[i] / (500.0 * 8.0)));
    }
    // The estimate lies inside (effectsize reported V = 0.18 with [0.05, 0.16]).
    EXPECT_GT(r.v_estimate, r.v_lower);
    EXPECT_LT(r.v_estimate, r.v_upper);

    // The N convention of the RMSEA.
    chisq_effect_interval n_form;
    ASSERT_EQ(chisq_effect_size_interval(208.94, 80.0, 500.0, not_a_number, not_a_number, 0.9,
                                         ncp_two_sided, rmsea_n, &n_form),
              fnonct_ok);
    EXPECT_DOUBLE_EQ(n_form.rmsea_upper, std::sqrt(r.lambda_upper / (80.0 * 500.0)));
    EXPECT_TRUE(std::isnan(n_form.v_lower));

    // A statistic below its df: the estimate 0, the lower limit 0 (its
    // equation, P = 0.95, lies above the central 0.21), the upper positive.
    ASSERT_EQ(chisq_effect_size_interval(70.0, 80.0, 500.0, not_a_number, not_a_number, 0.9,
                                         ncp_two_sided, rmsea_n_minus_1, &r),
              fnonct_ok);
    EXPECT_EQ(r.rmsea_estimate, 0.0);
    EXPECT_EQ(r.rmsea_lower, 0.0);
    EXPECT_GT(r.rmsea_upper, 0.0);
    // A one-sided lower bound: the upper limit infinite in every map.
    ASSERT_EQ(chisq_effect_size_interval(208.94, 80.0, 500.0, 9.0, 11.0, 0.95, ncp_greater,
                                         rmsea_n_minus_1, &r),
              fnonct_ok);
    EXPECT_EQ(r.v_upper, infinity);
    EXPECT_EQ(r.rmsea_upper, infinity);
}

TEST(ChisqEffectSizeInterval, Outcomes)
{
    struct bad_case {
        double chi2, df, n, rows, cols, level;
        int32_t convention;
        int32_t want;
    };
    const bad_case cases[] = {
        {not_a_number, 80.0, 500.0, not_a_number, not_a_number, 0.9, 0, fnonct_missing},
        {-1.0, 80.0, 500.0, not_a_number, not_a_number, 0.9, 0, fnonct_invalid},
        {208.94, 0.0, 500.0, not_a_number, not_a_number, 0.9, 0, fnonct_invalid},
        {208.94, 80.0, 1.0, not_a_number, not_a_number, 0.9, 0, fnonct_invalid},  // N - 1 = 0
        {208.94, 80.0, 500.0, 2.5, 11.0, 0.9, 0, fnonct_invalid},
        {208.94, 80.0, 500.0, 1.0, 11.0, 0.9, 0, fnonct_invalid},
        {208.94, 80.0, not_a_number, 9.0, 11.0, 0.9, 0, fnonct_invalid},  // a table needs N
        {208.94, 80.0, 500.0, not_a_number, not_a_number, 1.0, 0, fnonct_invalid},
        {208.94, 80.0, 500.0, not_a_number, not_a_number, 0.9, 7, fnonct_invalid},
    };
    for (const bad_case& c : cases) {
        chisq_effect_interval r;
        EXPECT_EQ(chisq_effect_size_interval(c.chi2, c.df, c.n, c.rows, c.cols, c.level,
                                             ncp_two_sided, c.convention, &r),
                  c.want)
            << c.chi2 << " " << c.df << " " << c.n << " " << c.rows;
        EXPECT_TRUE(std::isnan(r.lambda_lower) && std::isnan(r.rmsea_upper));
    }
    chisq_effect_interval r;
    EXPECT_EQ(chisq_effect_size_interval(208.94, 80.0, 1.0, not_a_number, not_a_number, 0.9,
                                         ncp_two_sided, rmsea_n, &r),
              fnonct_ok);
}
