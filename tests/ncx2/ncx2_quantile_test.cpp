// ncx2_quantile: the quantile of the reference tables' probabilities gives
// back their x, in both tails, to 1e-12 of the quantile's conditioning
// T/(x f); the end points and the domain.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>

#include "ncx2/ncx2.h"
#include "support/ncx2_tables.h"

namespace {

TEST(Ncx2Quantile, InvertsTheReferenceTables)
{
    ncx2_check_tables("ncx2_quantile", [](const ncx2_row& r) {
        // The smaller tail, given in its own tail so that it is exact.
        bool lower = r.log_lower_hi < r.log_upper_hi;
        double log_t = lower ? r.log_lower_hi : r.log_upper_hi;
        if (log_t < -708.3964185)
            return -1.0;  // the probability itself is subnormal, of fewer digits
        double x;
        if (ncx2_quantile(std::exp(log_t), lower ? ncx2_lower_tail : ncx2_upper_tail, r.df,
                          r.ncp, &x)
            != 0)
            return std::nan("");
        // The rounding of exp moves the quantile by 2^-53 T/(x f).
        double conditioning = std::exp(log_t - std::log(r.x) - r.log_density_hi);
        double allowed = 1e-12 * (conditioning > 1.0 ? conditioning : 1.0);
        return std::fabs(x - r.x) / r.x / allowed;
    });
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
