// nct_series_forward: the method of ordinary designs.  Where it answers, its
// tails, slope and density hold 1e-12 kappa against mpmath (the rows of
// tests/data/nct.inc, tests/support/nct_tables.h); and it does answer on
// every ordinary design whose t and delta share a sign, and on the designs
// of opposite signs whose smaller tail is at least 1/100 (the limits of 95%
// and 98% intervals), so that none of them falls to the slower methods.

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstdio>

#include "nct/nct_detail.h"
#include "support/nct_tables.h"

namespace {

#include "data/nct.inc"

constexpr double tolerance = 1e-12;

// The smaller tail above which a design of opposite signs must be answered:
// its chains cancel by about 1/(4 T) = 25 there, well inside the series'
// limit of 2^6.
constexpr double served_tail = 0.01;

template <std::size_t N>
void check_rows(const char* table, const nct_row (&rows)[N], bool must_serve_one_sign)
{
    double worst = 0.0;
    int32_t served = 0;
    for (std::size_t i = 0; i < N; ++i) {
        const nct_row& r = rows[i];
        // The frame of the series: t > 0, the sign of delta then free.
        const bool flip = r.t < 0.0;
        const double delta = flip ? -r.delta : r.delta;
        nct_point point;
        nct_point_prepare(r.t, r.df, &point);
        nct_evaluation e;
        const int32_t status = nct_series_forward(&point, delta, &e);
        const bool one_sign = delta >= 0.0;
        const double small = std::exp(std::fmin(r.lp, r.lq));
        if ((one_sign && must_serve_one_sign) || (!one_sign && small >= served_tail)) {
            EXPECT_EQ(status, 0) << table << " row " << i << " (t " << r.t << ", df " << r.df
                                 << ", delta " << r.delta << ")";
        }
        if (status != 0)
            continue;
        ++served;
        const double lower = flip ? e.log_upper : e.log_lower, upper = flip ? e.log_lower : e.log_upper;
        const nct_kappa k = nct_kappa_of(r);
        const double errors[] = {
            nct_log_error(lower, r.lp, r.lp_rel) / k.lower, nct_log_error(upper, r.lq, r.lq_rel) / k.upper,
            nct_log_error(e.log_slope, r.ls, r.ls_rel) / k.both,
            nct_log_error(e.log_density, r.lf, r.lf_rel) / k.both,
        };
        for (double error : errors) {
            EXPECT_LE(error, tolerance) << table << " row " << i;
            worst = std::fmax(worst, error);
        }
    }
    std::printf("[  worst   ] %s: the forward series answered %d of %zu rows, worst %.3g of 1e-12 kappa\n",
                table, served, N, worst / tolerance);
}

}  // namespace

TEST(NctSeriesForward, OrdinaryDesigns) { check_rows("ordinary", nct_ordinary_rows, true); }
TEST(NctSeriesForward, OppositeSigns) { check_rows("opposite signs", nct_opposite_sign_rows, true); }
TEST(NctSeriesForward, OtherRegionsWhereItAnswers)
{
    check_rows("large df", nct_large_df_rows, false);
    check_rows("small df", nct_small_df_rows, false);
    check_rows("far tails", nct_far_tail_rows, false);
}
