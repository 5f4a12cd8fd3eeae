// The noncentral t distribution against mpmath (tests/reference/gen_nct.py,
// each reference computed by the series and by a quadrature): both tails,
// the slope in delta and the density, one driver loop per table, and the
// inversion in delta and the quantile in t on the same rows.
//
// Tolerance 1e-12 kappa (tests/support/nct_tables.h).  The root delta of the
// inversion is measured relative to max(1, |delta|) (absolute near 0) with
// kappa = T/(max(1, |delta|) (-dT/d delta)), and the quantile likewise with
// T/(max(1, |t|) f).

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>

#include "nct/nct.h"
#include "nct/nct_detail.h"
#include "support/nct_tables.h"

namespace {

#include "data/nct.inc"

constexpr double tolerance = 1e-12;

struct worst {
    double ratio = 0.0;
    size_t row = 0;
    void note(double error, double allowed, size_t i)
    {
        double q = error / allowed;
        if (!(q <= ratio)) {
            ratio = q;
            row = i;
        }
    }
};

template <size_t N>
void print_worst(const char* table, const char* what, const worst& w, const nct_row (&rows)[N])
{
    const nct_row& r = rows[w.row];
    std::printf("[  worst   ] %s %s over %zu rows: %.3g of 1e-12 kappa at (t %.17g, df %.17g, "
                "delta %.17g)\n", table, what, N, w.ratio, r.t, r.df, r.delta);
}

// Every row of one table: tails, slope and density, then the inversions.
template <size_t N>
void check_table(const char* table, const nct_row (&rows)[N])
{
    worst tails, slope, density, ncp, quantile;
    int32_t most_evaluations = 0;
    for (size_t i = 0; i < N; ++i) {
        const nct_row& r = rows[i];
        nct_kappa k = nct_kappa_of(r);
        nct_evaluation e;
        ASSERT_EQ(nct_evaluate(r.t, r.df, r.delta, &e), 0) << table << " row " << i;
        double el = nct_log_error(e.log_lower, r.lp, r.lp_rel), eu = nct_log_error(e.log_upper, r.lq, r.lq_rel);
        double es = nct_log_error(e.log_slope, r.ls, r.ls_rel), ef = nct_log_error(e.log_density, r.lf, r.lf_rel);
        EXPECT_LE(el, tolerance * k.lower) << table << " ln P at row " << i;
        EXPECT_LE(eu, tolerance * k.upper) << table << " ln Q at row " << i;
        EXPECT_LE(es, tolerance * k.both) << table << " slope at row " << i;
        EXPECT_LE(ef, tolerance * k.both) << table << " density at row " << i;
        tails.note(el, tolerance * k.lower, i);
        tails.note(eu, tolerance * k.upper, i);
        slope.note(es, tolerance * k.both, i);
        density.note(ef, tolerance * k.both, i);

        // The inversions on the smaller tail, where it is a normal double.
        bool lower = r.lp < r.lq;
        double log_small = lower ? r.lp : r.lq;
        if (log_small < std::log(0x1p-1022))
            continue;
        double p = std::exp(log_small);
        int32_t tail = lower ? nct_lower_tail : nct_upper_tail;
        double d, x;
        int32_t evaluations;
        ASSERT_EQ(nct_ncp_traced(r.t, r.df, p, tail, &d, &evaluations), nct_ok)
            << table << " ncp at row " << i;
        if (evaluations > most_evaluations)
            most_evaluations = evaluations;
        double scale = std::fmax(1.0, std::fabs(r.delta));
        double kd = std::fmax(1.0, std::exp(log_small - r.ls) / scale);
        double ed = std::fabs(d - r.delta) / scale;
        EXPECT_LE(ed, tolerance * kd) << table << " ncp at row " << i << ": got " << d;
        ncp.note(ed, tolerance * kd, i);

        ASSERT_EQ(nct_quantile(p, tail, r.df, r.delta, &x), nct_ok) << table << " quantile at row " << i;
        double st = std::fmax(1.0, std::fabs(r.t));
        double kt = std::fmax(1.0, std::exp(log_small - r.lf) / st);
        double et = std::fabs(x - r.t) / st;
        EXPECT_LE(et, tolerance * kt) << table << " quantile at row " << i << ": got " << x;
        quantile.note(et, tolerance * kt, i);
    }
    print_worst(table, "tails", tails, rows);
    print_worst(table, "slope", slope, rows);
    print_worst(table, "density", density, rows);
    print_worst(table, "ncp", ncp, rows);
    print_worst(table, "quantile", quantile, rows);
    std::printf("[  evals   ] %s: at most %d evaluations per root of nct_ncp\n", table, most_evaluations);
}

TEST(NctCdf, Ordinary) { check_table("ordinary", nct_ordinary_rows); }
TEST(NctCdf, LargeDelta) { check_table("large delta", nct_large_delta_rows); }
TEST(NctCdf, LargeDf) { check_table("large df", nct_large_df_rows); }
TEST(NctCdf, SmallDf) { check_table("small df", nct_small_df_rows); }
TEST(NctCdf, FarTails) { check_table("far tails", nct_far_tail_rows); }
TEST(NctCdf, OppositeSigns) { check_table("opposite signs", nct_opposite_sign_rows); }
TEST(NctCdf, NamedCases) { check_table("named cases", nct_named_rows); }
// Small df with large delta and t: the chi scale's integrand is a plateau
// ending in the normal tail's edge of width 1/delta.
TEST(NctCdf, SmallDfEdge) { check_table("small df edge", nct_small_df_edge_rows); }

TEST(NctNcp, IntervalLimitsOtherToolsMiss)
{
    for (const nct_ncp_row& r : nct_ncp_rows) {
        double d;
        ASSERT_EQ(nct_ncp(r.t, r.df, r.p, nct_lower_tail, &d), nct_ok) << r.t << ", " << r.df;
        double want = r.delta + r.delta * r.rel;
        EXPECT_NEAR(d, want, 1e-12 * std::fmax(1.0, std::fabs(want))) << r.t << ", " << r.df << ", " << r.p;
        // The upper tail at 1 - p names the same root.
        double u;
        ASSERT_EQ(nct_ncp(r.t, r.df, 1.0 - r.p, nct_upper_tail, &u), nct_ok);
        EXPECT_NEAR(u, want, 1e-12 * std::fmax(1.0, std::fabs(want)));
    }
}

TEST(NctCdf, ClosedForms)
{
    // t = 0: P = Phi(-delta); delta = 0: the central t, P(T <= 1; 1) = 3/4
    // (the Cauchy law); df = inf: the normal law.
    double lower, upper;
    ASSERT_EQ(nct_cdf(0.0, 7.0, 1.5, &lower, &upper), nct_ok);
    EXPECT_NEAR(lower, 0.066807201268858057, 4e-16 * lower);
    ASSERT_EQ(nct_cdf(1.0, 1.0, 0.0, &lower, &upper), nct_ok);
    EXPECT_NEAR(lower, 0.75, 1e-16);
    EXPECT_NEAR(upper, 0.25, 1e-16);
    ASSERT_EQ(nct_cdf(-1.0, 1.0, 0.0, &lower, &upper), nct_ok);
    EXPECT_NEAR(lower, 0.25, 1e-16);
    const double inf = std::numeric_limits<double>::infinity();
    ASSERT_EQ(nct_cdf(2.0, inf, 1.0, &lower, &upper), nct_ok);
    EXPECT_NEAR(lower, 0.84134474606854293, 4e-16 * lower);
    ASSERT_EQ(nct_cdf(inf, 3.0, 1.0, &lower, &upper), nct_ok);
    EXPECT_EQ(lower, 1.0);
    EXPECT_EQ(upper, 0.0);
    double log_lower, log_upper;
    ASSERT_EQ(nct_log_cdf(-inf, 3.0, 1.0, &log_lower, &log_upper), nct_ok);
    EXPECT_EQ(log_lower, -inf);
    EXPECT_EQ(log_upper, 0.0);
    // The Cauchy density at 0: 1/pi.
    double f;
    ASSERT_EQ(nct_density(0.0, 1.0, 0.0, &f), nct_ok);
    EXPECT_NEAR(f, 0.31830988618379067, 1e-16);
}

TEST(NctCdf, Domain)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    const double bad[][3] = {
        {nan, 3.0, 1.0}, {1.0, nan, 1.0}, {1.0, 3.0, nan}, {1.0, 0.0, 1.0}, {1.0, -2.0, 1.0},
        {1.0, 3.0, inf}, {1.0, 5e9, 1.0},
    };
    for (const auto& a : bad) {
        double lower = 0.0, upper = 0.0, f = 0.0;
        EXPECT_EQ(nct_cdf(a[0], a[1], a[2], &lower, &upper), nct_invalid) << a[0] << " " << a[1] << " " << a[2];
        EXPECT_TRUE(std::isnan(lower) && std::isnan(upper));
        EXPECT_EQ(nct_density(a[0], a[1], a[2], &f), nct_invalid);
        EXPECT_TRUE(std::isnan(f));
    }
    double d;
    const double bad_ncp[][3] = {{1.0, 3.0, 0.0}, {1.0, 3.0, 1.0}, {inf, 3.0, 0.5}, {1.0, 3.0, nan}};
    for (const auto& a : bad_ncp) {
        EXPECT_EQ(nct_ncp(a[0], a[1], a[2], nct_lower_tail, &d), nct_invalid);
        EXPECT_TRUE(std::isnan(d));
    }
    EXPECT_EQ(nct_ncp(1.0, 3.0, 0.5, 7, &d), nct_invalid);
    double t;
    EXPECT_EQ(nct_quantile(1.5, nct_lower_tail, 3.0, 1.0, &t), nct_invalid);
    ASSERT_EQ(nct_quantile(0.0, nct_lower_tail, 3.0, 1.0, &t), nct_ok);
    EXPECT_EQ(t, -inf);
    ASSERT_EQ(nct_quantile(0.0, nct_upper_tail, 3.0, 1.0, &t), nct_ok);
    EXPECT_EQ(t, inf);
}

}  // namespace

// Heavy tails of small df: the first Halley step from the normal start goes
// where no method settles (the evaluation fails), and is pulled back toward
// the start until one does; the root then holds P to the target.
TEST(NctNcp, StepsWhereNoMethodSettlesArePulledBack)
{
    struct hard_case {
        double t, df, p;
        int32_t tail;
    };
    const hard_case cases[] = {
        {-531.45659731520118, 0.14684555708486263, 4.5225979863804936e-12, nct_upper_tail},
        {648.23743380869712, 0.17905636460861085, 1.7711626891535805e-30, nct_lower_tail},
    };
    for (const hard_case& c : cases) {
        double d;
        ASSERT_EQ(nct_ncp(c.t, c.df, c.p, c.tail, &d), nct_ok) << c.t << ", " << c.df;
        nct_evaluation e;
        ASSERT_EQ(nct_evaluate(c.t, c.df, d, &e), 0);
        double log_tail = c.tail == nct_lower_tail ? e.log_lower : e.log_upper;
        double kappa = std::fmax(1.0, std::fabs(d) * std::exp(e.log_slope - log_tail));
        EXPECT_LE(std::fabs(log_tail - std::log(c.p)), 1e-12 * kappa) << c.t << ", " << c.df;
    }
}
