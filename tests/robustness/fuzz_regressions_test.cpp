// Faults fuzzing found, each a case of its own (the inputs are in
// fuzz/corpus/*/crash-*): arguments far outside ordinary use, where an
// intermediate overflowed or lost every digit.  The references come from
// tests/reference/gen_robustness.py (mpmath); the tolerances sit beside each
// table and say how accurate the routine is out there.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>

#include "fnonct/fnonct.h"
#include "fnonct/fnonct_detail.h"
#include "ncf/ncf.h"
#include "numeric/primitives.h"

namespace {

#include "data/robustness.inc"

double relative(double got, double want) { return std::fabs(got - want) / std::fabs(want); }

template <size_t columns, size_t rows, typename F>
void check_table(const char* name, const double (&table)[rows][columns], double tolerance, F routine)
{
    double worst = 0.0;
    size_t worst_row = 0;
    for (size_t i = 0; i < rows; ++i) {
        const double e = relative(routine(table[i]), table[i][columns - 1]);
        if (!(e <= worst)) {
            worst = e;
            worst_row = i;
        }
    }
    EXPECT_LE(worst, tolerance) << name << ": worst row " << worst_row;
    std::printf("%s: worst relative error %.3g (row %zu)\n", name, worst, worst_row);
}

}  // namespace

// 1/x overflowed for x <= 2^-1024, and ln Gamma with it; log_beta of two
// such shapes came out inf - inf.  ln Gamma(x) = -ln x - gamma x + ... there,
// as exact as the logarithm.
constexpr double log_gamma_tolerance = 4e-16;
// Three logarithms near 745 cancel to near 745: a few of their ulps.
constexpr double log_beta_tolerance = 1e-15;

TEST(FuzzRegressions, LogGammaAndLogBetaOfSubnormalArguments)
{
    check_table("log_gamma", log_gamma_cases, log_gamma_tolerance,
                [](const double* r) { return log_gamma(r[0]); });
    check_table("log_beta", log_beta_cases, log_beta_tolerance,
                [](const double* r) { return log_beta(r[0], r[1]); });
}

// Shapes below 1 are raised by one and corrected by dividing by the shape;
// the raised shape minus 1 kept none of a shape below 2^-53 (a division by
// 0) and few of one below 1e-8.  Out there ln B(a, b) is the difference of
// logarithms near 530, so the density, and the ratio, keep about 13 digits.
constexpr double beta_inc_tiny_shape_tolerance = 1e-12;

TEST(FuzzRegressions, IncompleteBetaOfTinyShapes)
{
    check_table("beta_inc", beta_inc_cases, beta_inc_tiny_shape_tolerance, [](const double* r) {
        double w = -2.0, w1;
        EXPECT_EQ(beta_inc(r[0], r[1], r[2], &w, &w1), 0);
        return w;
    });
}

// Degrees of freedom near 2^-767: (a + b) - 1 + 1 was 0 and the backward
// step divided by it.  A beta argument near 2^-1033: its reciprocal
// overflowed in double and made the backward terms infinite.
constexpr double ncf_cdf_extreme_tolerance = 1e-12;

TEST(FuzzRegressions, NoncentralFWithExtremeDegreesOfFreedom)
{
    check_table("ncf_cdf", ncf_cdf_cases, ncf_cdf_extreme_tolerance, [](const double* r) {
        double p = -2.0;
        EXPECT_EQ(ncf_cdf(r[0], r[1], r[2], r[3], &p), 0);
        return p;
    });
}

TEST(FuzzRegressions, ExponentialOfInfinitiesIsItsLimit)
{
    // t - floor(t) was inf - inf for an infinite exponent.
    const double inf = std::numeric_limits<double>::infinity();
    EXPECT_EQ(exp_fast(-inf), 0.0);
    EXPECT_EQ(exp_fast(inf), inf);
    EXPECT_EQ(pow_real(2.0, -inf), 0.0);
    EXPECT_EQ(pow_real(0.5, inf), 0.0);
    EXPECT_EQ(pow_real(2.0, inf), inf);
    EXPECT_TRUE(std::isnan(exp_fast(std::numeric_limits<double>::quiet_NaN())));
}

TEST(FuzzRegressions, SearchNeverReportsANegativeRoot)
{
    // x' rounds to 1, and with 1 - x' rebuilt from it the derivative of the
    // distribution function vanished and a Newton step divided by 0; the
    // pass converged on -inf.  With y' carried the derivative is there: the
    // shapes are so small that P(lam) = e^(-lam/2) (I_0 = 1, I_1 = 1 - y'^b
    // = 2.5e-268), and the root is -2 ln p, to 1e-12 kappa with kappa =
    // |p / (lam dP/dlam)| = 2/lam here.
    double lam = 0.0;
    const double p = 0x1.fffff8a501a4p-1;
    EXPECT_EQ(fnonct_search(0x1.06727fdffc06p+853, 0x1.008007a030021p-1019, 0x1.000000000d6p-895, p,
                            &lam),
              fnonct_search_found);
    const double root = -2.0 * std::log(p);
    EXPECT_LE(std::fabs(lam / root - 1.0), 1e-12 * 2.0 / root);
}

namespace {

// Degrees of freedom far below 1, where the search's answers had P far from
// p: they fail now (both lie below the 2^-20 the log-space route accepts).
struct wrong_root_case {
    const char* cause;
    double x, df1, df2, p;
};

const wrong_root_case wrong_root_cases[] = {
    // df = 1e-47: every term j >= 1 is of the size of df2, and the log-space
    // sum stopped before its largest term at j = 0: lam = 152.6 with
    // P(lam) = 1e-63 for p = 1.75e-47.
    {"last backward term missed", 0x1.fp+0, 0x1.63636363636p-156, 0x1.fe03636363636p-156,
     0x1.6363636363636p-156},
    // df = 1e-265: P(lam) falls to a floor of 1e-266, above p = 2.8e-308;
    // successive Newton passes saw that floor and stopped at lam = 2769.
    {"plateau of P above p", 0x1.e848p+19, 0x1.90923p-879, 0x1.9090909090909p-879,
     0x1.4000000003fp-1022},
};

TEST(FuzzRegressions, NoRootReportedFarFromP)
{
    for (const wrong_root_case& c : wrong_root_cases) {
        double lam = -1.0;
        SCOPED_TRACE(c.cause);
        EXPECT_NE(fnonct_search(c.x, c.df1, c.df2, c.p, &lam), fnonct_search_found) << lam;
        // The library's solver: at df = 1e-47 the prepared sum's P jumps
        // where the missed term comes and goes, and Halley's bracket closed
        // on the jump (P = 4e-34 for p = 1.5e-47) before it checked g there.
        EXPECT_NE(fnonct_halley_search(c.x, c.df1, c.df2, c.p, &lam, nullptr), fnonct_search_found)
            << lam;
    }
}

}  // namespace

TEST(FuzzRegressions, SubnormalShapesAreNotRetriedOnTheOtherSide)
{
    // The incomplete beta's retry of its fraction on the other side, given
    // shapes far below 2^-11, gave I = 0 where the ratio is 1 to double
    // precision, and the noncentral F summed it to -0.393 with status 0.
    // Such shapes fail, as they always did.
    double w = -2.0, w1 = -2.0;
    EXPECT_NE(beta_inc(1e-60, 7.9e-311, 8e-251, &w, &w1), 0) << w;
    double p = -2.0;
    EXPECT_NE(ncf_cdf(0x1p+0, 0x0.01d1f2ef8f359p-1022, 0x1.24fp-830, 0x1.0000000604p+0, &p), 0)
        << p;
}
