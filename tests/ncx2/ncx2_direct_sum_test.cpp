// ncx2_direct_sum: the forward sum from index 0 against the mpmath tables
// where it serves, one loop per table, 1e-12 kappa; the rows it must serve
// (the ordinary designs), its extensions (terms for weights beyond them, a
// lower tail below the floor), and what it declines.

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstdio>
#include <string>

#include "ncx2/ncx2.h"
#include "ncx2/ncx2_detail.h"
#include "support/ncx2_tables.h"

namespace {

constexpr int32_t both = ncx2_direct_lower | ncx2_direct_upper;

// The point is large (its terms and tails): one per test, not per call.
ncx2_direct_point point;

// Both tails from a point prepared for both, the floor at the row's own
// lower tail (as the inversion sets it at its target), each within 1e-12
// kappa of the table's.  Rows outside the sum's domain are left out; the
// ordinary table lies inside it, every row.
TEST(Ncx2DirectSum, ReferenceTables)
{
    for (std::size_t t = 0; t < ncx2_table_count; ++t) {
        const ncx2_table& table = ncx2_tables[t];
        std::size_t served = 0;
        double worst = 0.0;
        for (std::size_t i = 0; i < table.size; ++i) {
            const ncx2_row& r = table.rows[i];
            ncx2_direct_moments m;
            ASSERT_EQ(ncx2_direct_prepare(r.x, r.df, std::exp(r.log_lower_hi), both, &point), 0);
            if (ncx2_direct_sum(&point, r.ncp, both, &m) != 0)
                continue;
            ++served;
            double e = std::fmax(ncx2_tail_error(m.lower, r.log_lower_hi, r.log_lower_rel),
                                 ncx2_tail_error(m.upper, r.log_upper_hi, r.log_upper_rel))
                       / (ncx2_table_tolerance * r.kappa_tail);
            EXPECT_LE(e, 1.0) << table.name << " row " << i << ": x " << r.x << " df " << r.df
                              << " ncp " << r.ncp;
            worst = std::fmax(worst, e);
        }
        if (std::string(table.name) == "ordinary") {
            EXPECT_EQ(served, table.size);
        }
        std::printf("[  worst   ] ncx2_direct_sum, %s: %zu of %zu rows served, %.3g of the"
                    " allowance\n",
                    table.name, served, table.size, worst);
    }
}

// The slopes agree with the sum from the mode (its own tests hold it and
// the inversion's roots to the tables): E_0/2 = -dP/dncp and the ratios
// E_1/E_0, E_2/E_0 behind the second and third derivatives.
TEST(Ncx2DirectSum, SlopesMatchTheSumFromTheMode)
{
    const double rows[][3] = {{5.0, 3.0, 2.0}, {100.0, 10.0, 50.0}, {27.4041, 15.067, 1.171},
                              {0.5, 0.01, 0.3}, {250.0, 100.0, 150.0}};
    for (const auto& r : rows) {
        ncx2_direct_moments m;
        ncx2_evaluation e;
        ASSERT_EQ(ncx2_direct_prepare(r[0], r[1], 1e-3, both, &point), 0);
        ASSERT_EQ(ncx2_direct_sum(&point, r[2], both | ncx2_direct_slopes, &m), 0);
        ASSERT_EQ(ncx2_evaluate(r[0], r[1], r[2], &e), 0);
        EXPECT_NEAR(std::log(0.5 * m.slope), e.log_slope, 1e-14 * (1.0 + std::fabs(e.log_slope)));
        EXPECT_NEAR(m.curvature / m.slope, e.curvature_ratio, 1e-13 * e.curvature_ratio);
        EXPECT_NEAR(m.torsion / m.slope, e.torsion_ratio, 1e-13 * e.torsion_ratio);
    }
}

// Terms formed for P_0 alone, then a Poisson mean whose weights reach far
// beyond them (y = 0.5, h = 30: the terms end near j = 17, the weights
// near j = 80), and a floor far above the lower tail it meets (P = 3e-14
// against 0.5): both extend the terms, and the tails still match the sum
// from the mode.  Where 2^-53 of the lower tail lies below the terms'
// range (h = 100 at the same point, P = 4e-36), the sum declines.
TEST(Ncx2DirectSum, ExtendsItsTerms)
{
    const double rows[][4] = {{1.0, 2.0, 60.0, 0.5}, {20.0, 10.0, 150.0, 0.5}};
    for (const auto& r : rows) {
        ncx2_direct_moments m;
        double lower, upper;
        ASSERT_EQ(ncx2_direct_prepare(r[0], r[1], r[3], both, &point), 0);
        const int32_t formed = point.filled;
        ASSERT_EQ(ncx2_direct_sum(&point, r[2], both, &m), 0);
        EXPECT_GT(point.filled, formed) << r[0] << " " << r[1] << " " << r[2];
        ASSERT_EQ(ncx2_log_tails(r[0], r[1], r[2], &lower, &upper), 0);
        EXPECT_NEAR(std::log(m.lower), lower, 1e-13 * std::fabs(lower));
        EXPECT_NEAR(std::log(m.upper), upper, 1e-13);
    }
    ncx2_direct_moments m;
    ASSERT_EQ(ncx2_direct_prepare(1.0, 2.0, 0.5, both, &point), 0);
    EXPECT_EQ(ncx2_direct_sum(&point, 200.0, both, &m), 1);
}

// What the sum declines, for the sum from the mode to take: a Poisson mean
// above 150, a tail the point was not prepared for, a start term below
// e^-300 (x far above a small df), a point outside the domain.
TEST(Ncx2DirectSum, Declines)
{
    ncx2_direct_moments m;
    ASSERT_EQ(ncx2_direct_prepare(100.0, 10.0, 0.5, ncx2_direct_upper, &point), 0);
    ASSERT_EQ(point.valid, 1);
    EXPECT_EQ(ncx2_direct_sum(&point, 300.5, ncx2_direct_upper, &m), 1);
    EXPECT_EQ(ncx2_direct_sum(&point, 10.0, ncx2_direct_lower, &m), 1);
    EXPECT_EQ(ncx2_direct_sum(&point, 10.0, ncx2_direct_upper, &m), 0);
    ASSERT_EQ(ncx2_direct_prepare(700.0, 1.0, 0.5, both, &point), 0);
    EXPECT_EQ(point.valid, 0);
    EXPECT_EQ(ncx2_direct_sum(&point, 1.0, both, &m), 1);
    EXPECT_EQ(ncx2_direct_prepare(-1.0, 1.0, 0.5, both, &point), 1);
    EXPECT_EQ(ncx2_direct_prepare(1.0, 0.0, 0.5, both, &point), 1);
    EXPECT_EQ(ncx2_direct_prepare(std::nan(""), 1.0, 0.5, both, &point), 1);
}

}  // namespace
