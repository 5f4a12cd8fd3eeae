// erf_erfc_eval, the evaluator behind erf_value and erfc_value: exact values,
// the mode, symmetry, the underflow bounds and the cut-off, and the joins of
// its ranges.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "numeric/primitives.h"

TEST(ErfErfc, ExactValues)
{
    struct exact_case {
        double x, erf, erfc;
    };
    const exact_case cases[] = {
        {0.0, 0.0, 1.0},
        {27.0, 1.0, 0.0},      // beyond the underflow bound
        {-27.0, -1.0, 2.0},
        {26.62, 1.0, 0.0},     // -x^2 just below log_min_normal
        {2000.0, 1.0, 0.0},    // cut-off, no evaluation
        {-2000.0, -1.0, 2.0},
    };
    for (const exact_case& c : cases) {
        EXPECT_EQ(erf_value(c.x), c.erf) << c.x;
        EXPECT_EQ(erfc_value(c.x), c.erfc) << c.x;
    }
}

TEST(ErfErfc, ModeSelectsTheFunction)
{
    // Callers pass 1 for erfc, but any mode other than 0 selects it.
    const double xs[] = {0.25, -1.5, 6.0};
    for (double x : xs) {
        double e0, e1, e7;
        erf_erfc_eval(x, &e0, 0);
        erf_erfc_eval(x, &e1, 1);
        erf_erfc_eval(x, &e7, 7);
        EXPECT_EQ(e0, erf_value(x));
        EXPECT_EQ(e1, erfc_value(x));
        EXPECT_EQ(e7, e1);
    }
}

TEST(ErfErfc, Symmetry)
{
    // erf is odd bit for bit everywhere; erfc(-x) = 2 - erfc(x) exactly where
    // erfc comes from the fix-up (|x| > 0.46875).
    const double xs[] = {1e-300, 4.2e-16, 5e-16, 0.1, 0.46875, 0.46875000000000006,
                         1.0,    3.999999999, 4.0, 4.000000001, 10.0, 26.0, 1000.0, 1500.0};
    for (double x : xs) {
        double neg = erf_value(-x);
        double minus_pos = -erf_value(x);
        EXPECT_EQ(std::memcmp(&neg, &minus_pos, sizeof neg), 0) << x;
        if (x > 0.46875) {
            EXPECT_EQ(erfc_value(-x), 2.0 - erfc_value(x)) << x;
        }
    }
}

TEST(ErfErfc, BranchBoundaries)
{
    // 0.46875 belongs to the small range, 4 to the middle range.  erfc
    // falls by only 2x e^(-x^2)/sqrt(pi) times an ulp between neighbours, so
    // a mismatch between two ranges larger than that shows as a rise.
    EXPECT_NEAR(erf_value(0.46875), 0.49261347321794, 1e-14);
    EXPECT_NEAR(erfc_value(4.0), 1.5417257900280e-08, 1e-20);
    const double bounds[] = {0.46875, 4.0};
    for (double b : bounds) {
        double below = erfc_value(std::nextafter(b, 0.0));
        double at = erfc_value(b);
        double above = erfc_value(std::nextafter(b, 10.0));
        EXPECT_GE(below, at) << b;
        EXPECT_GE(at, above) << b;
    }
}
