// ncx2_ncp: the noncentrality against the mpmath roots
// (tests/reference/gen_ncx2_ncp.py) to 1e-12 kappa, the sums it takes, the
// noncentralities of the distribution's reference tables given back from
// their tails, and its outcomes.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>

#include "ncx2/ncx2.h"
#include "support/ncx2_tables.h"

namespace {

struct ncp_row {
    double x, df, p, tail;
    double lambda, lambda_rel;
    double kappa, kappa_rel;
};

const ncp_row ncp_rows[] = {
#include "data/ncx2_ncp.inc"
};

constexpr double inf = std::numeric_limits<double>::infinity();

TEST(Ncx2Ncp, ReferenceTable)
{
    double worst = 0.0;
    size_t worst_row = 0, roots = 0;
    int32_t most_sums = 0;
    long total_sums = 0;
    const size_t n = sizeof ncp_rows / sizeof ncp_rows[0];
    for (size_t i = 0; i < n; ++i) {
        const ncp_row& r = ncp_rows[i];
        double lambda;
        int32_t sums;
        int32_t tail = r.tail == 0.0 ? ncx2_lower_tail : ncx2_upper_tail;
        int32_t status = ncx2_ncp(r.x, r.df, r.p, tail, &lambda, &sums);
        if (r.lambda < 0.0) {
            EXPECT_EQ(status, ncx2_ncp_no_root) << "row " << i;
            EXPECT_TRUE(std::isnan(lambda));
            continue;
        }
        ASSERT_EQ(status, ncx2_ncp_found) << "row " << i << ": " << r.x << " " << r.df << " "
                                          << r.p << " tail " << r.tail;
        long double want = static_cast<long double>(r.lambda) * (1.0L + r.lambda_rel);
        double e = static_cast<double>(std::fabs(lambda - want) / want) / (1e-12 * r.kappa);
        EXPECT_LE(e, 1.0) << "row " << i << ": x " << r.x << " df " << r.df << " p " << r.p
                          << ": lambda " << lambda << " want " << r.lambda;
        if (!(e <= worst)) {
            worst = e;
            worst_row = i;
        }
        ++roots;
        total_sums += sums;
        if (sums > most_sums)
            most_sums = sums;
    }
    const ncp_row& w = ncp_rows[worst_row];
    std::printf("[  worst   ] ncx2_ncp over %zu rows: x %.17g df %.17g p %.17g, %.3g of 1e-12"
                " kappa (kappa %.3g); sums per root %.2f mean, %d most (the central one"
                " included)\n",
                n, w.x, w.df, w.p, worst, w.kappa, double(total_sums) / roots, most_sums);
}

// Every row of the distribution's reference tables with ncp > 0 is a root:
// its smaller tail T, given in its own tail, gives back ncp to 1e-12 of
// the root's condition number kappa = max(1, T/(ncp |dT/dncp|)), with
// |dT/dncp| = f(x; df + 2, ncp) (the density with two more degrees of
// freedom, from ncx2_log_density: it scales the allowance, the root it is
// held to is the table's).  Tails below the normal range are left out
// (their doubles carry fewer digits).
TEST(Ncx2Ncp, InvertsTheReferenceTables)
{
    ncx2_check_tables("ncx2_ncp", [](const ncx2_row& r) {
        bool lower = r.log_lower_hi < r.log_upper_hi;
        double log_t = lower ? r.log_lower_hi : r.log_upper_hi;
        if (r.ncp == 0.0 || log_t < -708.3964185)
            return -1.0;
        double lambda, log_slope;
        if (ncx2_ncp(r.x, r.df, std::exp(log_t), lower ? ncx2_lower_tail : ncx2_upper_tail,
                     &lambda, nullptr)
                != ncx2_ncp_found
            || ncx2_log_density(r.x, r.df + 2.0, r.ncp, &log_slope) != 0)
            return std::nan("");
        double kappa = std::exp(log_t - log_slope - std::log(r.ncp));
        double allowed = ncx2_table_tolerance * (kappa > 1.0 ? kappa : 1.0);
        return std::fabs(lambda - r.ncp) / r.ncp / allowed;
    });
}

TEST(Ncx2Ncp, Outcomes)
{
    struct case_row {
        double x, df, p;
        int32_t tail, want;
    };
    const case_row cases[] = {
        {10.0, 3.0, 0.99, ncx2_lower_tail, ncx2_ncp_no_root},  // P0 = 0.981
        {0.0, 3.0, 0.5, ncx2_lower_tail, ncx2_ncp_no_root},
        {inf, 3.0, 0.5, ncx2_lower_tail, ncx2_ncp_no_root},
        {-1.0, 3.0, 0.5, ncx2_lower_tail, ncx2_ncp_invalid},
        {std::nan(""), 3.0, 0.5, ncx2_lower_tail, ncx2_ncp_invalid},
        {10.0, 0.0, 0.5, ncx2_lower_tail, ncx2_ncp_invalid},
        {10.0, 3.0, 0.0, ncx2_lower_tail, ncx2_ncp_invalid},
        {10.0, 3.0, 1.0, ncx2_lower_tail, ncx2_ncp_invalid},
        {10.0, 3.0, 0.5, 2, ncx2_ncp_invalid},
        // The root lies beyond the largest noncentrality searched.
        {2e7, 3.0, 1e-10, ncx2_lower_tail, ncx2_ncp_failed},
    };
    for (const case_row& c : cases) {
        double lambda = 0.0;
        EXPECT_EQ(ncx2_ncp(c.x, c.df, c.p, c.tail, &lambda, nullptr), c.want)
            << c.x << " " << c.df << " " << c.p;
        EXPECT_TRUE(std::isnan(lambda));
    }
    // p just below the central probability: a root near 0 (B = 2 ln(P0/p)).
    double p0, q0, lambda;
    ASSERT_EQ(ncx2_tails(10.0, 3.0, 0.0, &p0, &q0), 0);
    ASSERT_EQ(ncx2_ncp(10.0, 3.0, p0 * (1.0 - 1e-14), ncx2_lower_tail, &lambda, nullptr),
              ncx2_ncp_found);
    EXPECT_LT(lambda, 1e-11);
}

// Points whose start terms lie below the forward sum's range (y near 715,
// 2565), with far lower-tail targets: the central slope is far below the
// double range, so that Halley's step from 0 is infinite and must give way
// to the approximation's start (it once took the step, clamped to 1e7, and
// failed there).  Each root is found, and the lower tail there (from
// ncx2_log_tails, held to the tables) gives back p.
TEST(Ncx2Ncp, FarTargetsBeyondTheForwardSum)
{
    const double rows[][3] = {{1429.618203180243, 2.3679232503811818, 9.1424196535322e-72},
                              {1414.5955756055555, 0.022281675701024507, 2.4668036543793828e-24},
                              {5130.5741021193189, 1838.2014014014924, 2.8012795104065353e-05}};
    for (const auto& r : rows) {
        double lambda, lower, upper;
        ASSERT_EQ(ncx2_ncp(r[0], r[1], r[2], ncx2_lower_tail, &lambda, nullptr), ncx2_ncp_found)
            << r[0] << " " << r[1] << " " << r[2];
        ASSERT_EQ(ncx2_log_tails(r[0], r[1], lambda, &lower, &upper), 0);
        EXPECT_NEAR(lower, std::log(r[2]), 1e-12 * std::fabs(std::log(r[2])));
    }
}

// The two tails name the same root: P(X > x) = 1 - p given directly keeps
// a p of 1 - 1e-20 that the lower tail cannot hold.
TEST(Ncx2Ncp, UpperTailGivenDirectly)
{
    double lower_form, upper_form;
    ASSERT_EQ(ncx2_ncp(30.0, 5.0, 0.25, ncx2_lower_tail, &lower_form, nullptr), ncx2_ncp_found);
    ASSERT_EQ(ncx2_ncp(30.0, 5.0, 0.75, ncx2_upper_tail, &upper_form, nullptr), ncx2_ncp_found);
    EXPECT_NEAR(lower_form, upper_form, 1e-14 * lower_form);
    double lambda, p, q;
    ASSERT_EQ(ncx2_ncp(5.0, 2.0, 1e-20, ncx2_upper_tail, &lambda, nullptr), ncx2_ncp_no_root);
    ASSERT_EQ(ncx2_ncp(200.0, 2.0, 1e-20, ncx2_upper_tail, &lambda, nullptr), ncx2_ncp_found);
    ASSERT_EQ(ncx2_tails(200.0, 2.0, lambda, &p, &q), 0);
    EXPECT_NEAR(q, 1e-20, 1e-32);
}

}  // namespace
