// ncf_log_tails_quadrature: the log tails and derivatives for large Poisson
// means by the trapezoidal rule over the summed-by-parts index.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "library/ncf_log.h"
#include "support/fnonct_regions.h"
#include "support/reference_table.h"

namespace {

// The reference roots of the noncentrality search (mpmath: P(x; lambda) = p
// with kappa = |p/(lambda dP/dlambda)|).  At the root the tail's log is
// ln p (or ln(1 - p)) to within the rounding of lambda, 2^-53/kappa; an
// error e in ln T moves the root by e kappa relative, which the search
// must keep within 1e-12.

TEST(NcfLogTailsQuadrature, MeetsTheReferenceRootsWithinAPartInATrillionOfKappa)
{
    const struct {
        const char* name;
        const fnonct_region_row* rows;
        size_t n;
    } regions[] = {{"large", fnonct_large_rows, sizeof fnonct_large_rows / sizeof fnonct_large_rows[0]},
                   {"tails", fnonct_tails_rows, sizeof fnonct_tails_rows / sizeof fnonct_tails_rows[0]},
                   {"wide", fnonct_wide_rows, sizeof fnonct_wide_rows / sizeof fnonct_wide_rows[0]},
                   {"heavy", fnonct_heavy_rows, sizeof fnonct_heavy_rows / sizeof fnonct_heavy_rows[0]}};
    size_t answered = 0;
    for (const auto& g : regions) {
        worst_row worst;
        size_t here = 0;
        for (size_t i = 0; i < g.n; ++i) {
            const fnonct_region_row& r = g.rows[i];
            double lower, upper;
            ncf_log_slopes s;
            if (!(r.lambda > 0.0)
                || ncf_log_tails_quadrature(r.x, r.df1, r.df2, r.lambda, &lower, &upper, &s) != 0)
                continue;
            ++here;
            const bool upper_tail = r.p > 0.5;
            const double got = upper_tail ? upper : lower;
            const double want = upper_tail ? std::log1p(-r.p) : std::log(r.p);
            note_error(&worst, std::fabs(got - want) * r.kappa / 1e-12, i);
        }
        const fnonct_region_row& w = g.rows[worst.row];
        std::printf("ncf_log_tails_quadrature, %s: %zu of %zu rows, worst %.3g of 1e-12 kappa at "
                    "(%g, %g, %g, lam %g)\n",
                    g.name, here, g.n, worst.error, w.x, w.df1, w.df2, w.lambda);
        EXPECT_LE(worst.error, 1.0) << g.name;
        answered += here;
    }
    EXPECT_GT(answered, 0u);
}

// Beside the extended Poisson sum from the mode (ncf_log_tails_slopes) at
// Poisson means of 5e4 to 5e6, with narrow beta terms (df2 from 1000): both
// tails within 1e-12 absolute in the log (plus 2^-52 of it), the descent
// likewise, curvature and torsion within 1e-9 of their scale (their
// moments cancel near the centre, where the search takes them only to
// steer).
TEST(NcfLogTailsQuadrature, AgreesWithThePoissonSum)
{
    const struct {
        double df1, df2;
    } shapes[] = {{100.0, 1000.0}, {3.0, 1e5}, {1e4, 1e4}, {1e6, 1e6}};
    worst_row tails, slopes;
    size_t n = 0, answered = 0;
    for (const auto& d : shapes) {
        for (double ncp : {1e5, 1e6, 1e7}) {
            const double mean = (d.df1 + ncp) / d.df1;
            const double sd = std::sqrt(2.0 * (d.df1 + 2.0 * ncp)) / d.df1;
            for (double z : {-30.0, -5.0, 0.0, 5.0, 30.0}) {
                const double x = mean + z * sd;
                ++n;
                double l1, u1, l2, u2;
                ncf_log_slopes s1, s2;
                ASSERT_EQ(ncf_log_tails_slopes(x, d.df1, d.df2, ncp, &l1, &u1, &s1,
                                               ncf_log_sum_extended, nullptr),
                          0);
                if (ncf_log_tails_quadrature(x, d.df1, d.df2, ncp, &l2, &u2, &s2) != 0)
                    continue;
                ++answered;
                for (auto [got, want] : {std::pair{l2, l1}, {u2, u1}, {s2.log_descent, s1.log_descent}})
                    note_error(&tails, std::fabs(got - want) / (1e-12 + 0x1p-52 * std::fabs(want)), n);
                const double cs = std::fabs(s1.curvature) + std::sqrt(std::fabs(s1.torsion));
                note_error(&slopes, std::fabs(s2.curvature - s1.curvature) / (1e-9 * cs), n);
                note_error(&slopes, std::fabs(s2.torsion - s1.torsion) / (1e-9 * cs * cs), n);
            }
        }
    }
    std::printf("ncf_log_tails_quadrature beside the sum: %zu of %zu points, worst %.3g (tails) and "
                "%.3g (curvature, torsion) of tolerance\n",
                answered, n, tails.error, slopes.error);
    EXPECT_LE(tails.error, 1.0);
    EXPECT_LE(slopes.error, 1.0);
    EXPECT_GT(answered, n / 2);
}

// Refusals, where the Poisson sum must serve: ncp <= 0 or outside the
// arguments, a small Poisson mean (the summands are not negligible at
// index 0 or narrower than the aliasing limit).
TEST(NcfLogTailsQuadrature, Refusals)
{
    const double args[][4] = {{2.0, 5.0, 10.0, 0.0},   {2.0, 5.0, 10.0, -1.0}, {0.0, 5.0, 10.0, 1e6},
                              {2.0, 0.0, 10.0, 1e6},   {2.0, 5.0, 0.0, 1e6},   {1.5, 5.0, 1000.0, 10.0},
                              {1e-30, 5.0, 1000.0, 1e6}};
    for (const auto& a : args) {
        double lower = 1.0, upper = 1.0;
        ncf_log_slopes s;
        EXPECT_EQ(ncf_log_tails_quadrature(a[0], a[1], a[2], a[3], &lower, &upper, &s), 1)
            << a[0] << " " << a[1] << " " << a[2] << " " << a[3];
    }
}

}  // namespace
