// trapezoid_integrate: integrals known in closed form on each interval kind,
// the centre conversion, the failure paths (zero centre, halving and node
// limits, end points, abort), the absolute convergence test and the
// exponent scaling.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "library/quadrature.h"

namespace {

constexpr double tolerance = 1.110223024625157e-15;

quadrature_state make_state(int32_t kind, double lower, double upper, double centre,
                            integrand_callback f, void* context = nullptr)
{
    quadrature_state s{};
    s.tolerance = tolerance;
    s.kind = kind;
    s.lower = lower;
    s.upper = upper;
    s.centre = centre;
    s.initial_step = 0.5;
    s.max_halvings = 10;
    s.relative_only = 1;
    s.boundary_status = 1;
    s.integrand = f;
    s.context = context;
    return s;
}

// Counts its calls through the context.
struct call_count {
    int calls = 0;
};

int32_t gaussian(double x, void* c, double* out)
{
    if (c != nullptr)
        static_cast<call_count*>(c)->calls++;
    *out = std::exp(-0.5 * x * x);
    return 0;
}

int32_t decaying_exponential(double x, void*, double* out)
{
    *out = std::exp(-x);
    return 0;
}

// (x + 1)(2 - x)(x + 3): zero at both ends of [-1, 2], integral 15.75.
int32_t cubic(double x, void*, double* out)
{
    *out = (x + 1.0) * (2.0 - x) * (x + 3.0);
    return 0;
}

// 3x^3 - 2x + 1: integral over [-1, 2] is 3 (16 - 1)/4 - (4 - 1) + 3 = 11.25.
// Nonzero at the ends: the weighted terms s/(1+s)^2 f(x) fall only like
// 1/s and e^-|t|, and the grid reaches x = b while they are above eps.
int32_t open_cubic(double x, void*, double* out)
{
    *out = 3.0 * x * x * x - 2.0 * x + 1.0;
    return 0;
}

// (x - 2) e^(2 - x), which vanishes at the end x = 2 of its half-line.
int32_t shifted_gamma_kernel(double x, void*, double* out)
{
    *out = (x - 2.0) * std::exp(2.0 - x);
    return 0;
}

// x e^(-x^2/2): odd, integral 0 over the whole line.
int32_t odd_gaussian(double x, void*, double* out)
{
    *out = x * std::exp(-0.5 * x * x);
    return 0;
}

int32_t zero(double, void* c, double* out)
{
    static_cast<call_count*>(c)->calls++;
    *out = 0.0;
    return 0;
}

}  // namespace

TEST(TrapezoidIntegrate, KnownIntegralsOnEachKind)
{
    struct integral_case {
        const char* what;
        int32_t kind;
        double lower, upper, centre;
        integrand_callback f;
        double exact;
    };
    const integral_case cases[] = {
        {"e^(-x^2/2) over the line", quadrature_whole_line, 0, 0, 0.0, gaussian,
         2.5066282746310002},  // sqrt(2 pi)
        {"e^(-x^2/2) over the line, centre off the peak", quadrature_whole_line, 0, 0, 1.5,
         gaussian, 2.5066282746310002},
        {"e^(-x) over [0, inf)", quadrature_half_line, 0.0, 0, 1.0, decaying_exponential, 1.0},
        {"e^(-x) over [2, inf)", quadrature_half_line, 2.0, 0, 3.0, decaying_exponential,
         0.1353352832366127},  // e^-2
        {"e^(-x) over [-3, inf)", quadrature_half_line, -3.0, 0, -2.0, decaying_exponential,
         20.085536923187668},  // e^3
        {"cubic over [-1, 2]", quadrature_bounded, -1.0, 2.0, 0.5, cubic, 15.75},
        {"cubic over [-1, 2], centre near -1", quadrature_bounded, -1.0, 2.0, -0.9, cubic, 15.75},
        {"e^(-x) over [0, 40]", quadrature_bounded, 0.0, 40.0, 1.0, decaying_exponential,
         0.99999999999999999575},  // 1 - e^-40
    };
    for (const integral_case& c : cases) {
        quadrature_state s = make_state(c.kind, c.lower, c.upper, c.centre, c.f);
        double out = -1.0;
        ASSERT_EQ(trapezoid_integrate(&s, &out), 0) << c.what;
        EXPECT_EQ(out, s.result) << c.what;
        EXPECT_NEAR(out, c.exact, 4e-15 * std::fabs(c.exact)) << c.what;
        EXPECT_GE(s.halvings, 1) << c.what;
        EXPECT_LE(s.halvings, s.max_halvings) << c.what;
    }
}

TEST(TrapezoidIntegrate, CentreConversion)
{
    struct centre_case {
        const char* what;
        int32_t kind;
        double lower, upper, centre;
        double converted;
    };
    const centre_case cases[] = {
        {"half-line: x0 - a", quadrature_half_line, 2.0, 0, 5.0, 3.0},
        {"half-line: x0 at a takes the initial step", quadrature_half_line, 2.0, 0, 2.0, 0.5},
        {"half-line: x0 below a takes the initial step", quadrature_half_line, 2.0, 0, -1.0, 0.5},
        {"bounded: (x0 - a)/(b - x0)", quadrature_bounded, -1.0, 2.0, 1.0, 2.0},
        {"bounded: x0 below a gives the midpoint", quadrature_bounded, -1.0, 2.0, -1.5, 1.0},
        {"bounded: x0 within 2^-26.5 of b", quadrature_bounded, -1.0, 2.0, 2.0 * (1 - 1e-8), 1.0},
        {"bounded: x0 just outside that band", quadrature_bounded, -1.0, 2.0, 2.0 * (1 - 1.1e-8),
         (3.0 - 2.2e-8) / 2.2e-8},
        {"whole line: x0 itself", quadrature_whole_line, 0, 0, -0.75, -0.75},
    };
    for (const centre_case& c : cases) {
        quadrature_state s = make_state(c.kind, c.lower, c.upper, c.centre, cubic);
        if (c.kind != quadrature_bounded)
            s.integrand = c.kind == quadrature_whole_line ? gaussian : shifted_gamma_kernel;
        s.next_step = s.initial_step;
        s.tail_tolerance = s.tolerance * 0.33333333333333;
        s.count_up = s.count_down = 10000;
        ASSERT_EQ(trapezoid_first_pass(1, &s), 0) << c.what;
        EXPECT_NEAR(s.centre, c.converted, 1e-7 * std::fabs(c.converted)) << c.what;
    }
}

TEST(TrapezoidIntegrate, ZeroAtTheCentreFailsAtOnce)
{
    call_count count;
    quadrature_state s = make_state(quadrature_whole_line, 0, 0, 0.0, zero, &count);
    double out = 7.0;
    EXPECT_EQ(trapezoid_integrate(&s, &out), 1);
    EXPECT_EQ(count.calls, 1);
    EXPECT_EQ(out, 7.0);
}

TEST(TrapezoidIntegrate, NoHalvingAllowedAlwaysFails)
{
    quadrature_state s = make_state(quadrature_whole_line, 0, 0, 0.0, gaussian);
    s.max_halvings = 0;
    double out;
    EXPECT_EQ(trapezoid_integrate(&s, &out), 1);
    EXPECT_EQ(s.halvings, 1);

    s = make_state(quadrature_whole_line, 0, 0, 0.0, gaussian);
    s.max_halvings = 1;
    EXPECT_EQ(trapezoid_integrate(&s, &out), 0);
}

TEST(TrapezoidIntegrate, AbsoluteTestSettlesAnIntegralOfZero)
{
    // Relative test: |change| < sqrt(eps) |estimate| never holds for an
    // estimate that is rounding noise around 0, so the halvings run out.
    // With the absolute floor eps the first halving settles it.
    quadrature_state s = make_state(quadrature_whole_line, 0, 0, 1.0, odd_gaussian);
    double out;
    EXPECT_EQ(trapezoid_integrate(&s, &out), 1);

    s = make_state(quadrature_whole_line, 0, 0, 1.0, odd_gaussian);
    s.relative_only = 0;
    ASSERT_EQ(trapezoid_integrate(&s, &out), 0);
    EXPECT_LT(std::fabs(out), 1e-15);
}

namespace {

// 1 for x < 0.3, else 0.5: the jump keeps the rule at first order in h, so
// no pass settles to sqrt(eps); the node budget stops the halvings.
int32_t step_function(double x, void*, double* out)
{
    *out = x < 0.3 ? 1.0 : 0.5;
    return 0;
}

// 1/sqrt(x - 1) on [1, 2] (integral 2): its weighted terms near x = 1 fall
// only like sqrt(s), so the grid reaches the end point while they are
// still far above eps.
int32_t inverse_root(double x, void*, double* out)
{
    *out = 1.0 / std::sqrt(x - 1.0);
    return 0;
}

int32_t aborting(double x, void* c, double* out)
{
    auto* s = static_cast<quadrature_state*>(c);
    if (x > 2.0)
        s->abort = 1;
    *out = std::exp(-x);
    return 0;
}

int32_t failing(double x, void*, double* out)
{
    *out = std::exp(-x);
    return x > 2.0 ? 5 : 0;
}

}  // namespace

TEST(TrapezoidIntegrate, NodeBudgetEndsTheHalvings)
{
    quadrature_state s = make_state(quadrature_bounded, 0.0, 1.0, 0.5, step_function);
    s.max_halvings = 30;
    double out;
    EXPECT_EQ(trapezoid_integrate(&s, &out), 1);
    EXPECT_LT(s.halvings, 30);
    EXPECT_TRUE(s.count_up > 32767 || s.count_down > 32767)
        << s.count_up << " " << s.count_down;
}

TEST(TrapezoidIntegrate, EndPointWithATermStillLarge)
{
    quadrature_state s = make_state(quadrature_bounded, 1.0, 2.0, 1.5, inverse_root);
    double out;
    EXPECT_EQ(trapezoid_integrate(&s, &out), 1);

    // Accepted by the caller: the nodes past the end count as zeros, and
    // the rule misses only the integral over the last ulp-sized stretch.
    s = make_state(quadrature_bounded, 1.0, 2.0, 1.5, inverse_root);
    s.boundary_status = 0;
    s.max_halvings = 30;
    ASSERT_EQ(trapezoid_integrate(&s, &out), 0);
    EXPECT_NEAR(out, 2.0, 1e-7);
}

TEST(TrapezoidIntegrate, EndPointsAcceptedByTheCaller)
{
    quadrature_state s = make_state(quadrature_bounded, -1.0, 2.0, 0.5, open_cubic);
    double out;
    EXPECT_EQ(trapezoid_integrate(&s, &out), 1);

    s = make_state(quadrature_bounded, -1.0, 2.0, 0.5, open_cubic);
    s.boundary_status = 0;
    ASSERT_EQ(trapezoid_integrate(&s, &out), 0);
    EXPECT_NEAR(out, 11.25, 1e-13);
}

TEST(TrapezoidIntegrate, IntegrandFailureAndAbort)
{
    quadrature_state s = make_state(quadrature_half_line, 0.0, 0, 1.0, aborting);
    s.context = &s;
    double out;
    EXPECT_EQ(trapezoid_integrate(&s, &out), 1);
    EXPECT_EQ(s.abort, 1);

    s = make_state(quadrature_half_line, 0.0, 0, 1.0, failing);
    EXPECT_EQ(trapezoid_integrate(&s, &out), 1);
}

namespace {

// e^(peak - x^2/2) in scaled form: v = peak - x^2/2, the exponent E raised
// to floor-toward-zero of v whenever v exceeds it, value e^(v - E).
struct scaled_gaussian {
    double peak;
    quadrature_state* state;
    int raises;
};

int32_t scaled_gaussian_integrand(double x, void* c, double* out)
{
    auto* g = static_cast<scaled_gaussian*>(c);
    double v = g->peak - 0.5 * x * x;
    if (v > g->state->exponent) {
        g->state->exponent = static_cast<int32_t>(v);
        g->raises++;
    }
    *out = std::exp(v - g->state->exponent);
    return 0;
}

}  // namespace

TEST(TrapezoidIntegrate, ExponentScalingKeepsTheEstimateThroughRises)
{
    // sqrt(2 pi) e^peak, far beyond the double range for peak = 5000 and far
    // below it for -5000.  The centre sits at x = -6, so the exponent rises
    // again and again while the up side climbs to the peak, and the sum and
    // the previous estimate are rescaled each time.
    for (double peak : {5000.0, 10.5, -5000.0}) {
        quadrature_state s = make_state(quadrature_whole_line, 0, 0, -6.0, nullptr);
        scaled_gaussian g{peak, &s, 0};
        s.integrand = scaled_gaussian_integrand;
        s.context = &g;
        s.scaling = 1;
        s.scale_base = 2.718281828459045;
        s.sum_exponent = -100000;
        s.exponent = -2147483647;
        double out;
        ASSERT_EQ(trapezoid_integrate(&s, &out), 0) << peak;
        EXPECT_GT(g.raises, 10) << peak;
        double log_integral = std::log(out) + s.exponent;
        double exact = peak + 0.91893853320467274;  // + ln sqrt(2 pi)
        EXPECT_NEAR(log_integral, exact, 2e-15 * std::max(1.0, std::fabs(exact))) << peak;
    }
}
