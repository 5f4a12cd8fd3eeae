// gamma_inc at its end points and out of its domain, the shift of shapes
// below 1, the method switch at the edge of the centre band, a density
// below the double range, and the term and step limits of the methods.
// References: closed forms, or mpmath (gammainc at mp.dps = 40) where noted.

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "library/gamma.h"
#include "library/gamma_methods.h"

namespace {

constexpr double nan_value = std::numeric_limits<double>::quiet_NaN();
constexpr double max_double = 1.7976931348623157e308;

struct gamma_out {
    int32_t status;
    double p, q, density;
};

gamma_out run(double x, double a)
{
    gamma_out o{};
    o.status = gamma_inc(x, a, &o.p, &o.q, &o.density);
    return o;
}

}  // namespace

TEST(GammaInc, FixedAnswers)
{
    struct fixed_case {
        double x, a;
        int32_t status;
        double p, q, density;
    };
    const fixed_case cases[] = {
        // Outside the domain: P = Q = -2, density 0.
        {1.0, -1.0, 1, -2.0, -2.0, 0.0},
        {-1.0, 1.0, 1, -2.0, -2.0, 0.0},
        {nan_value, 1.0, 1, -2.0, -2.0, 0.0},
        {1.0, nan_value, 1, -2.0, -2.0, 0.0},
        // Shape 0: all mass at 0.
        {0.0, 0.0, 0, 1.0, 0.0, 0.0},
        {3.0, 0.0, 0, 1.0, 0.0, 0.0},
        // x = 0: the density is 1, unbounded or 0.
        {0.0, 1.0, 0, 0.0, 1.0, 1.0},
        {0.0, 0.5, 0, 0.0, 1.0, max_double},
        {0.0, 2.0, 0, 0.0, 1.0, 0.0},
    };
    for (const fixed_case& c : cases) {
        gamma_out o = run(c.x, c.a);
        EXPECT_EQ(o.status, c.status) << c.x << " " << c.a;
        EXPECT_EQ(o.p, c.p) << c.x << " " << c.a;
        EXPECT_EQ(o.q, c.q) << c.x << " " << c.a;
        EXPECT_EQ(o.density, c.density) << c.x << " " << c.a;
    }
}

TEST(GammaInc, ShiftedShapeGivesTheUnshiftedDensity)
{
    // P(1/2, x) = erf(sqrt x); the density x^(-1/2) e^(-x) / sqrt(pi).
    gamma_out o = run(0.5, 0.5);
    ASSERT_EQ(o.status, 0);
    EXPECT_NEAR(o.p, 0.68268949213708590, 2e-16);
    EXPECT_NEAR(o.q, 1 - 0.68268949213708590, 2e-16);
    EXPECT_NEAR(o.density, 0.48394144903828670, 2e-16);
}

TEST(GammaInc, CentreBandEdgeAtShapeTenThousand)
{
    // Inside the band (|x - a| <= 0.02 a + 0.7 sqrt(a) = 270) the cube-root
    // approximation answers, to its own accuracy of about 1e-8; one past
    // the edge the upper-tail fraction, to full accuracy.
    struct edge_case {
        double x;
        double q;  // mpmath
        bool centre;
    };
    const edge_case cases[] = {
        {10000.0, 0.49867019166004480, true},
        {10270.0, 0.0036876939803948124, true},
        {10271.0, 0.0035809022398727216, false},
    };
    for (const edge_case& c : cases) {
        gamma_out o = run(c.x, 10000.0);
        ASSERT_EQ(o.status, 0) << c.x;
        double error = std::fabs(o.q - c.q);
        if (c.centre) {
            EXPECT_LT(error, 2e-8) << c.x;
            EXPECT_GT(error, 1e-13) << c.x << ": not the approximation";
        } else {
            EXPECT_LT(error, 1e-15) << c.x;
        }
        EXPECT_EQ(o.p + o.q, 1.0) << c.x;
    }
    // At x = a, P is a little above 1/2.
    gamma_out o = run(10000.0, 10000.0);
    EXPECT_GT(o.p, 0.5);
    EXPECT_LT(o.p, 0.503);
}

TEST(GammaInc, DensityBelowTheRangeKeepsTheProbability)
{
    // a = 90000, x = 79212: ln density = -709.863 (density reported as 0),
    // while P = e^(ln R + d) = 3.7662407548193296e-308 is still a normal
    // double (mpmath: the power series at mp.dps = 40).
    gamma_out o = run(79212.0, 90000.0);
    ASSERT_EQ(o.status, 0);
    EXPECT_EQ(o.density, 0.0);
    EXPECT_NEAR(o.p, 3.7662407548193296e-308, 1e-13 * 3.7662407548193296e-308);
    EXPECT_EQ(o.q, 1.0);
}

TEST(GammaMethods, TermAndStepLimits)
{
    constexpr double tolerance = 5.551115123125785e-16;
    // Near x = a = 9999.5 the series needs close to 800 terms (about
    // sqrt(62 a)): inside the limit of 920, not inside 700.
    double r = 0.0;
    EXPECT_EQ(gamma_series(9999.5, 9999.5, tolerance, 920, &r), 0);
    EXPECT_EQ(gamma_series(9999.5, 9999.5, tolerance, 700, &r), 1);

    // The fractions, cut short, fail rather than return an unconverged value.
    double before = -1.0;
    double out = before;
    EXPECT_EQ(gamma_upper_fraction(1.5, 1.2, tolerance, 3, &out), 1);
    EXPECT_EQ(out, before);
    EXPECT_EQ(gamma_upper_fraction(1.5, 1.2, tolerance, 400, &out), 0);
    out = before;
    EXPECT_EQ(gamma_lower_fraction(9000.0, 10000.0, tolerance, 4, &out), 1);
    EXPECT_EQ(out, before);
    EXPECT_EQ(gamma_lower_fraction(9000.0, 10000.0, tolerance, 400, &out), 0);
}
