// gamma_inc at its end points and out of its domain, the shift of shapes
// below 1, the method switch at the edge of the centre band, a density
// below the double range, and the term and step limits of the methods.
// References: closed forms, or mpmath (gammainc at mp.dps = 40) where noted.
// Accuracy against the mpmath tables of tests/reference/gen_gamma.py, one
// loop per output.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>

#include "library/gamma.h"
#include "library/gamma_methods.h"
#include "numeric/constants.h"
#include "support/output_check.h"

namespace {

constexpr double nan_value = std::numeric_limits<double>::quiet_NaN();

struct gamma_out {
    int32_t status;
    double p, q, density;
};

struct gamma_row {
    double x, a;
    double first_hi, first_rel;    // P, or ln P
    double second_hi, second_rel;  // Q, or ln Q
    double third_hi, third_rel;    // density, or ln density
};

const gamma_row inc_rows[] = {
#include "data/gamma_inc.inc"
};
const gamma_row inc_centre_rows[] = {
#include "data/gamma_inc_centre.inc"
};

constexpr double eps = 1.1102230246251565e-16;  // 2^-53

struct plain_result {
    double p, q, density;
};

template <std::size_t N>
void compute_plain(const gamma_row (&rows)[N], plain_result (&out)[N])
{
    for (std::size_t i = 0; i < N; ++i)
        EXPECT_EQ(gamma_inc(rows[i].x, rows[i].a, &out[i].p, &out[i].q, &out[i].density), 0)
            << rows[i].x << " " << rows[i].a;
}

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

// Series and continued fractions: P and Q within 1e-13 relative, or 2e-15
// absolute.  The larger is formed as the complement of the smaller, and
// after the shift of a shape below 1 the upper tail is Q(a+1) minus the
// density of shape a+1, a number up to 1 whose logarithm carries the error
// of ln Gamma(a+1) next to 1 and 2 (up to 2e-15 absolute).  The
// density within 1e-13 relative, unless the terms of its logarithm,
// (a-1) ln x - x - ln Gamma(a), are so large that their roundings exceed it
// (shapes of some hundreds away from the mode).
TEST(GammaIncAccuracy, SeriesAndFractions)
{
    plain_result got[std::size(inc_rows)];
    compute_plain(inc_rows, got);
    auto at = [&](const gamma_row& r) { return got[&r - inc_rows]; };
    auto probability = [](double value, double hi, double rel, const gamma_row& r) {
        double error = std::fabs((value - hi) - rel * hi);
        return output_check{value, hi, error, 1e-13 * std::fabs(hi) + 2e-15,
                            describe_arguments("x, a", r.x, r.a)};
    };
    check_output("gamma_inc P", "absolute", inc_rows, [&](const gamma_row& r) {
        return probability(at(r).p, r.first_hi, r.first_rel, r);
    });
    check_output("gamma_inc Q", "absolute", inc_rows, [&](const gamma_row& r) {
        return probability(at(r).q, r.second_hi, r.second_rel, r);
    });
    check_output("gamma_inc density", "relative", inc_rows, [&](const gamma_row& r) {
        double a = r.a < 1 ? r.a + 1 : r.a;
        double terms = std::fabs((a - 1) * std::log(r.x)) + r.x + std::fabs(std::lgamma(a));
        return output_check{at(r).density, r.third_hi,
                            reference_relative_error(at(r).density, r.third_hi, r.third_rel),
                            std::max(1e-13, 4 * eps * terms), describe_arguments("x, a", r.x, r.a)};
    });
}

// The corrected cube-root approximation near the centre of shapes of 10^4
// and more: its neglected terms are of order a^(-3/2); the error reached is
// 1.4e-8 absolute at a = 10^4 and falls as a^(-3/2) (4.4e-10 at 10^5,
// 1.4e-11 at 10^6).  Tolerance 2e-8 (10^4/a)^(3/2).  The density there
// comes from the Stirling form, within 1e-13.
TEST(GammaIncAccuracy, CentreApproximation)
{
    plain_result got[std::size(inc_centre_rows)];
    compute_plain(inc_centre_rows, got);
    auto at = [&](const gamma_row& r) { return got[&r - inc_centre_rows]; };
    auto bound = [](const gamma_row& r) { return 2e-8 * std::pow(1e4 / r.a, 1.5); };
    check_output("gamma_inc centre P", "absolute", inc_centre_rows, [&](const gamma_row& r) {
        double error = std::fabs((at(r).p - r.first_hi) - r.first_rel * r.first_hi);
        return output_check{at(r).p, r.first_hi, error, bound(r), describe_arguments("x, a", r.x, r.a)};
    });
    check_output("gamma_inc centre Q", "absolute", inc_centre_rows, [&](const gamma_row& r) {
        double error = std::fabs((at(r).q - r.second_hi) - r.second_rel * r.second_hi);
        return output_check{at(r).q, r.second_hi, error, bound(r), describe_arguments("x, a", r.x, r.a)};
    });
    check_output("gamma_inc centre density", "relative", inc_centre_rows, [&](const gamma_row& r) {
        return output_check{at(r).density, r.third_hi,
                            reference_relative_error(at(r).density, r.third_hi, r.third_rel), 1e-13,
                            describe_arguments("x, a", r.x, r.a)};
    });
}
