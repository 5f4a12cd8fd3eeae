// ncx2_quantile: the quantile of the reference tables' probabilities gives
// back their x, in both tails, to 1e-12 of the quantile's conditioning
// T/(x f); the end points and the domain.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>

#include "ncx2/ncx2.h"
#include "ncx2/ncx2_tables.h"

namespace {

TEST(Ncx2Quantile, InvertsTheReferenceTables)
{
    for (std::size_t t = 0; t < ncx2_table_count; ++t) {
        const ncx2_table& table = ncx2_tables[t];
        double worst = 0.0;
        std::size_t worst_row = 0;
        for (std::size_t i = 0; i < table.size; ++i) {
            const ncx2_row& r = table.rows[i];
            // The smaller tail, given in its own tail so that it is exact.
            bool lower = r.log_lower_hi < r.log_upper_hi;
            double log_t = lower ? r.log_lower_hi : r.log_upper_hi;
            if (log_t < -745.0)
                continue;  // the probability itself is below the double range
            double prob = std::exp(log_t);
            double x;
            ASSERT_EQ(ncx2_quantile(prob, lower ? ncx2_lower_tail : ncx2_upper_tail, r.df, r.ncp,
                                    &x),
                      0)
                << table.name << " row " << i << ": " << prob << " " << r.df << " " << r.ncp;
            // The rounding of exp moves the quantile by 2^-53 T/(x f).
            double conditioning = std::exp(log_t - std::log(r.x) - r.log_density_hi);
            double allowed = 1e-12 * (conditioning > 1.0 ? conditioning : 1.0);
            double e = std::fabs(x - r.x) / r.x / allowed;
            EXPECT_LE(e, 1.0) << table.name << " row " << i << ": x " << x << " want " << r.x;
            if (!(e <= worst)) {
                worst = e;
                worst_row = i;
            }
        }
        const ncx2_row& w = table.rows[worst_row];
        std::printf("[  worst   ] %s: x %.17g df %.17g ncp %.17g, %.3g of the allowance\n",
                    table.name, w.x, w.df, w.ncp, worst);
    }
}

TEST(Ncx2Quantile, EndPointsAndDomain)
{
    double x;
    ASSERT_EQ(ncx2_quantile(0.0, ncx2_lower_tail, 3.0, 2.0, &x), 0);
    EXPECT_EQ(x, 0.0);
    ASSERT_EQ(ncx2_quantile(1.0, ncx2_lower_tail, 3.0, 2.0, &x), 0);
    EXPECT_EQ(x, std::numeric_limits<double>::infinity());
    ASSERT_EQ(ncx2_quantile(0.0, ncx2_upper_tail, 3.0, 2.0, &x), 0);
    EXPECT_EQ(x, std::numeric_limits<double>::infinity());
    // df far below 1: mass 0.01 within e^-800 of 0, flushed to 0.
    ASSERT_EQ(ncx2_quantile(0.01, ncx2_lower_tail, 0.01, 0.5, &x), 0);
    EXPECT_EQ(x, 0.0);
    EXPECT_EQ(ncx2_quantile(1.5, ncx2_lower_tail, 3.0, 2.0, &x), 1);
    EXPECT_TRUE(std::isnan(x));
    EXPECT_EQ(ncx2_quantile(0.5, 2, 3.0, 2.0, &x), 1);
    EXPECT_EQ(ncx2_quantile(0.5, ncx2_lower_tail, -3.0, 2.0, &x), 1);
    EXPECT_EQ(ncx2_quantile(std::nan(""), ncx2_lower_tail, 3.0, 2.0, &x), 1);
}

}  // namespace
