// ncx2_far_evaluate: the window about the terms' peak against the sum from
// the mode where both apply, and the window against the Bessel-form series
// on either side of the peak index 2^30 where one takes over from the
// other.  Its values far from the bulk are rows of the far-regions table
// (ncx2_log_tails_test.cpp, ncx2_log_density_test.cpp).

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "ncx2/ncx2.h"
#include "ncx2/ncx2_detail.h"
#include "numeric/elementary.h"
#include "support/ncx2_tables.h"

namespace {

int32_t far_evaluate(double x, double df, double ncp, ncx2_evaluation* e)
{
    uint16_t saved = elem_extended_begin();
    int32_t status = ncx2_far_evaluate(x, df, ncp, e);
    elem_extended_end(saved);
    return status;
}

// From 8 to 40 standard deviations from the mean, short of the far
// regions, both sums apply: the smaller tail, the slope and the ratios of
// the higher derivatives' sums agree to 1e-12 of their size (the larger of
// 1 and the logarithm's).
TEST(Ncx2FarTail, MeetsTheSumFromTheMode)
{
    struct point {
        double df, ncp, deviations;  // x = mean + deviations sd
    };
    const point points[] = {
        {3.0, 2000.0, 12.0},      {3.0, 2000.0, -12.0},    {0.3, 2.4e6, 20.0},
        {0.3, 2.4e6, -20.0},      {69.0, 2.46e6, -8.0},    {1000.0, 5000.0, 30.0},
        {1000.0, 5000.0, -30.0},  {10.0, 8e6, -30.0},      {10.0, 8e6, 30.0},
        {1e5, 100.0, 25.0},       {0.5, 50.0, 40.0},
    };
    for (const point& pt : points) {
        const double mean = pt.df + pt.ncp, sd = std::sqrt(2.0 * (pt.df + 2.0 * pt.ncp));
        const double x = mean + pt.deviations * sd;
        const double peak = ncx2_peak_index(0.5 * pt.df, 0.5 * x, 0.5 * pt.ncp);
        ASSERT_FALSE(ncx2_far_from_mode(peak, 0.5 * pt.ncp)) << x << " " << pt.df << " " << pt.ncp;
        ncx2_evaluation mode, far;
        ASSERT_EQ(ncx2_evaluate(x, pt.df, pt.ncp, &mode), 0);
        ASSERT_EQ(far_evaluate(x, pt.df, pt.ncp, &far), 0) << x << " " << pt.df << " " << pt.ncp;
        const bool lower = mode.log_lower < mode.log_upper;
        const double want = lower ? mode.log_lower : mode.log_upper;
        const double got = lower ? far.log_lower : far.log_upper;
        EXPECT_NEAR(got, want, 1e-12 * std::fmax(1.0, std::fabs(want)))
            << x << " " << pt.df << " " << pt.ncp;
        EXPECT_NEAR(far.log_slope, mode.log_slope, 1e-12 * std::fmax(1.0, std::fabs(mode.log_slope)))
            << x << " " << pt.df << " " << pt.ncp;
        EXPECT_NEAR(far.curvature_ratio, mode.curvature_ratio, 1e-12 * mode.curvature_ratio)
            << x << " " << pt.df << " " << pt.ncp;
        EXPECT_NEAR(far.torsion_ratio, mode.torsion_ratio, 1e-12 * mode.torsion_ratio)
            << x << " " << pt.df << " " << pt.ncp;
    }
}

// About j* = 2^30 (ncp = 1e7: x near 4.6e11) the window gives way to the
// Bessel-form series.  For df = 3 the series' terms are q^m (1 + O(m^2/z)),
// q = sqrt(ncp/x) (the Bessel functions of half-integer order,
// I_(-1/2)(z)/I_(1/2)(z) = coth z), so ln Q - ln f = ln 2 - ln(1 - q), f the
// density by its own Poisson series, on both sides.  Q and f are some
// e^(-2.3e11), so the difference keeps 1e-5 of its digits; a lost or
// doubled term (q = 4.7e-3) or a wrong factor would show.
TEST(Ncx2FarTail, BesselSeriesMeetsTheWindow)
{
    const double df = 3.0, ncp = 1e7, h = 0.5 * ncp;
    for (double scale : {0.999, 1.001}) {
        const double peak = scale * 0x1p30;
        const double x = 2.0 * peak * (0.5 * df + peak) / h;  // (j* + 1)(a + j*) = h y, nearly
        double lower, upper, log_density;
        ASSERT_EQ(ncx2_log_tails(x, df, ncp, &lower, &upper), 0) << x;
        ASSERT_EQ(ncx2_log_density(x, df, ncp, &log_density), 0) << x;
        EXPECT_NEAR(upper - log_density, std::log(2.0) - std::log1p(-std::sqrt(ncp / x)), 1e-4)
            << x;
    }
}

// The condition numbers of the far rows are of the order of |ln T| (x/2
// beyond the bulk, ncp/2 below it), so the tables' 1e-12 kappa allows an
// error of 1e-12 |ln T|.  The logs are held tighter here: within 1e-15 of
// max(1, |ln T|), the smaller tail and the density alike, some eight times
// the worst error measured (2.5e-16).
TEST(Ncx2FarTail, FarRegionsToTheDoublesDigits)
{
    const ncx2_table* far = nullptr;
    for (std::size_t t = 0; t < ncx2_table_count; ++t)
        if (std::strcmp(ncx2_tables[t].name, "far regions") == 0)
            far = &ncx2_tables[t];
    ASSERT_NE(far, nullptr);
    for (std::size_t i = 0; i < far->size; ++i) {
        const ncx2_row& r = far->rows[i];
        double lower, upper, log_density;
        ASSERT_EQ(ncx2_log_tails(r.x, r.df, r.ncp, &lower, &upper), 0) << "row " << i;
        ASSERT_EQ(ncx2_log_density(r.x, r.df, r.ncp, &log_density), 0) << "row " << i;
        const bool lower_smaller = r.log_lower_hi < r.log_upper_hi;
        const double hi = lower_smaller ? r.log_lower_hi : r.log_upper_hi;
        const double rel = lower_smaller ? r.log_lower_rel : r.log_upper_rel;
        const double got = lower_smaller ? lower : upper;
        EXPECT_LE(ncx2_log_error(got, hi, rel) / std::fmax(1.0, std::fabs(hi)), 1e-15)
            << "row " << i << ": x " << r.x << " df " << r.df << " ncp " << r.ncp;
        EXPECT_LE(ncx2_log_error(log_density, r.log_density_hi, r.log_density_rel)
                      / std::fmax(1.0, std::fabs(r.log_density_hi)),
                  1e-15)
            << "row " << i << ": x " << r.x << " df " << r.df << " ncp " << r.ncp;
    }
}

}  // namespace
