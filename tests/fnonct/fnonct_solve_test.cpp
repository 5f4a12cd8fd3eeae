// fnonct_solve and ncp_interval: the outcomes told apart, and the interval's
// limits against the roots of the mpmath table and the README's example.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "fnonct/fnonct.h"
#include "fnonct/fnonct_solve.h"

namespace {

constexpr double no_value = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();

struct solve_case {
    const char* what;
    double x, df1, df2, p;
    fnonct_outcome outcome;
};

const solve_case solve_cases[] = {
    {"a root", 2.0, 3.0, 10.0, 0.5, fnonct_ok},
    {"NaN x", no_value, 3.0, 10.0, 0.5, fnonct_missing},
    {"NaN p", 2.0, 3.0, 10.0, no_value, fnonct_missing},
    {"x < 0", -1.0, 3.0, 10.0, 0.5, fnonct_invalid},
    {"df1 = 0", 2.0, 0.0, 10.0, 0.5, fnonct_invalid},
    {"df2 = -infinity", 2.0, 3.0, -infinity, 0.5, fnonct_invalid},
    {"p = 1", 2.0, 3.0, 10.0, 1.0, fnonct_invalid},
    {"x = 0: P0 = 0", 0.0, 3.0, 10.0, 0.5, fnonct_no_root},
    {"p above P0 = 0.309", 0.5, 3.0, 10.0, 0.9, fnonct_no_root},
    // The callback's search stops at p = 0.9999999; the library's does not.
    {"p above the callback's limit, below P0", 1000.0, 3.0, 10.0, 0.99999995, fnonct_ok},
};

}  // namespace

TEST(FnonctSolve, Outcomes)
{
    for (const solve_case& c : solve_cases) {
        SCOPED_TRACE(c.what);
        double lambda = -1.0;
        EXPECT_EQ(fnonct_solve(c.x, c.df1, c.df2, c.p, &lambda), c.outcome);
        EXPECT_EQ(std::isnan(lambda), c.outcome != fnonct_ok);
    }
}

// fnonct_solve answers by the library's solver, not the callback's search:
// the two agree within the accuracy bound of the reference tables (1e-12
// kappa; kappa = 4.7 here), not bit for bit.
TEST(FnonctSolve, AgreesWithTheCallbacksSearch)
{
    double a, b;
    ASSERT_EQ(fnonct_solve(2.0, 3.0, 10.0, 0.5, &a), fnonct_ok);
    ASSERT_EQ(fnonct_search(2.0, 3.0, 10.0, 0.5, &b), fnonct_search_found);
    EXPECT_NEAR(a, b, 2 * 4.7e-12 * b);
}

// The README's worked example: F = 4.2 on (3, 40) at 95%.  The limits solve
// P = 0.975 and P = 0.5 (1 - 0.95) = 0.025 + 2.2e-17 (the representation
// error of 0.95 carried through); the roots of those, by mpmath at 40
// digits (tests/reference/ncf_mp.py, noncentrality_root), are
// 0.69036155904722889548 and 29.343036676276359965, and the limits lie
// within 1e-12 kappa of them, kappa = 61.5 and 0.175.  (Both are nearer
// than that: the distribution function's own error of some 1e-14 is what
// is left.)
TEST(NcpInterval, WorkedExample)
{
    double lower, upper;
    ASSERT_EQ(ncp_interval(4.2, 3.0, 40.0, 0.95, ncp_two_sided, &lower, &upper), fnonct_ok);
    EXPECT_NEAR(lower, 0.6903615590472289, 1e-12 * 61.5 * 0.6903615590472289);
    EXPECT_NEAR(upper, 29.34303667627636, 1e-12 * 0.175 * 29.34303667627636);
}

struct interval_case {
    const char* what;
    double f, df1, df2, confidence;
    int32_t alternative;
    double lower_p, upper_p;  // the probabilities the limits solve; NaN: none
    double lower, upper;      // where the limit has no root
};

const interval_case interval_cases[] = {
    {"two sides", 4.2, 3.0, 40.0, 0.9, ncp_two_sided, 0.95, 0.05, no_value, no_value},
    {"lower equation without a root", 2.0, 3.0, 10.0, 0.95, ncp_two_sided, no_value, 0.025, 0.0, no_value},
    {"neither equation with a root", 0.05, 3.0, 10.0, 0.95, ncp_two_sided, no_value, no_value, 0.0, 0.0},
    {"f = 0", 0.0, 3.0, 10.0, 0.95, ncp_two_sided, no_value, no_value, 0.0, 0.0},
    {"upper bound alone", 4.2, 3.0, 40.0, 0.95, ncp_less, no_value, 0.05, 0.0, no_value},
    {"lower bound alone", 4.2, 3.0, 40.0, 0.95, ncp_greater, 0.95, no_value, no_value, infinity},
};

TEST(NcpInterval, LimitsSolveTheirEquations)
{
    for (const interval_case& c : interval_cases) {
        SCOPED_TRACE(c.what);
        double lower, upper;
        ASSERT_EQ(ncp_interval(c.f, c.df1, c.df2, c.confidence, c.alternative, &lower, &upper),
                  fnonct_ok);
        double expected_lower = c.lower, expected_upper = c.upper;
        if (!std::isnan(c.lower_p)) {
            ASSERT_EQ(fnonct_search(c.f, c.df1, c.df2, c.lower_p, &expected_lower), 0);
        }
        if (!std::isnan(c.upper_p)) {
            ASSERT_EQ(fnonct_search(c.f, c.df1, c.df2, c.upper_p, &expected_upper), 0);
        }
        EXPECT_NEAR(lower, expected_lower, 1e-13 * (1.0 + expected_lower));
        if (std::isinf(expected_upper))
            EXPECT_EQ(upper, expected_upper);
        else
            EXPECT_NEAR(upper, expected_upper, 1e-13 * (1.0 + expected_upper));
    }
}

TEST(NcpInterval, ArgumentOutcomes)
{
    double lower, upper;
    EXPECT_EQ(ncp_interval(no_value, 3.0, 40.0, 0.95, ncp_two_sided, &lower, &upper), fnonct_missing);
    EXPECT_EQ(ncp_interval(4.2, 3.0, 40.0, 1.0, ncp_two_sided, &lower, &upper), fnonct_invalid);
    EXPECT_EQ(ncp_interval(4.2, -3.0, 40.0, 0.95, ncp_two_sided, &lower, &upper), fnonct_invalid);
    EXPECT_EQ(ncp_interval(4.2, 3.0, 40.0, 0.95, 7, &lower, &upper), fnonct_invalid);
    EXPECT_TRUE(std::isnan(lower) && std::isnan(upper));
}
