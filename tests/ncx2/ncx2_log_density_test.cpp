// ncx2_log_density: against the mpmath tables, one loop per table, 1e-12
// kappa; the values at x = 0 for df below, at and above 2, and the domain.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>

#include "ncx2/ncx2.h"
#include "support/ncx2_tables.h"

namespace {

constexpr double inf = std::numeric_limits<double>::infinity();

TEST(Ncx2LogDensity, ReferenceTables)
{
    ncx2_check_tables("ncx2_log_density", [](const ncx2_row& r) {
        double got;
        if (ncx2_log_density(r.x, r.df, r.ncp, &got) != 0)
            return std::nan("");
        return ncx2_log_error(got, r.log_density_hi, r.log_density_rel)
               / (ncx2_table_tolerance * r.kappa_density);
    });
}

TEST(Ncx2LogDensity, EndPointsAndDomain)
{
    struct end_case {
        double x, df, ncp, want;
    };
    const end_case cases[] = {
        {0.0, 1.0, 3.0, inf},          {0.0, 2.0, 3.0, -0.6931471805599453 - 1.5},
        {0.0, 2.5, 3.0, -inf},         {-1.0, 3.0, 1.0, -inf},
        {inf, 3.0, 1.0, -inf},
    };
    for (const end_case& c : cases) {
        double got;
        ASSERT_EQ(ncx2_log_density(c.x, c.df, c.ncp, &got), 0) << c.x << " " << c.df;
        EXPECT_EQ(got, c.want) << c.x << " " << c.df;
    }
    double got;
    EXPECT_EQ(ncx2_log_density(1.0, 0.0, 1.0, &got), 1);
    EXPECT_TRUE(std::isnan(got));
    EXPECT_EQ(ncx2_log_density(std::nan(""), 3.0, 1.0, &got), 1);
    EXPECT_EQ(ncx2_log_density(1.0, 3.0, -1.0, &got), 1);
}

}  // namespace
