// halley_root: the safeguarded Halley iteration on functions whose roots
// and derivatives are known in closed form.

#include <gtest/gtest.h>

#include <cmath>

#include "numeric/halley_root.h"

namespace {

// g(t) = ln(c / (1 + t)^2) = ln c - 2 ln(1 + t): root sqrt(c) - 1, nearly
// linear far out, as the log of a tail probability is.
struct log_power {
    double c;
    int32_t calls;
};

int32_t log_power_sample(void* context, double t, halley_sample* out)
{
    auto* f = static_cast<log_power*>(context);
    ++f->calls;
    const double u = 1.0 + t;
    *out = halley_sample{std::log(f->c) - 2.0 * std::log1p(t), -2.0 / u, 2.0 / (u * u),
                         -4.0 / (u * u * u), 0x1p-52 * std::fabs(std::log(f->c)), 0};
    return 0;
}

// The same function whose first sample is provisional and off by `error`
// in g (a cheaper evaluation that only steers the first step).
struct steered_log_power {
    log_power f;
    double error;
};

int32_t steered_sample(void* context, double t, halley_sample* out)
{
    auto* s = static_cast<steered_log_power*>(context);
    const bool first = s->f.calls == 0;
    log_power_sample(&s->f, t, out);
    if (first) {
        out->g += s->error;
        out->provisional = 1;
    }
    return 0;
}

// A function that jumps across 0 at t = 0.6 (g = e^-t below, e^-t - 1
// above, each piece with its own derivatives): no root, and the bracket
// closes on the jump.
int32_t jump_sample(void*, double t, halley_sample* out)
{
    const double e = std::exp(-t);
    *out = halley_sample{t < 0.6 ? e : e - 1.0, -e, e, -e, 0x1p-53, 0};
    return 0;
}

// g = 1 + 1/(1 + t): positive everywhere, flattening toward 1, no root
// below any ceiling.
int32_t plateau_sample(void*, double t, halley_sample* out)
{
    const double u = 1.0 / (1.0 + t);
    *out = halley_sample{1.0 + u, -u * u, 2.0 * u * u * u, -6.0 * u * u * u * u, 0x1p-53, 0};
    return 0;
}

int32_t failing_sample(void*, double, halley_sample*) { return 1; }

}  // namespace

// From starts 1% to a factor of 30 off, the root to its rounding: two
// evaluations from 1%, a few more from far, growth where the start lies
// far below, and a root of 2^-41 from a start at 1 by halvings.
TEST(HalleyRoot, ConvergesFromNearAndFar)
{
    struct start_case {
        double c, start;
        int32_t most_evaluations;
    };
    const start_case cases[] = {
        {100.0, 9.0 * 1.01, 2}, {100.0, 9.0 * 0.9, 3}, {1e6, 999.0 * 0.05, 6}, {1e6, 999.0 * 30.0, 8},
        // Every Halley step from above overshoots below 0 until t is small
        // enough for g to be linear on its scale: halvings toward the root.
        {1.0 + 0x1p-40, 1.0, 16},
    };
    for (const start_case& c : cases) {
        SCOPED_TRACE(c.start);
        log_power f{c.c, 0};
        double root = -1.0;
        halley_trace trace;
        ASSERT_EQ(halley_root(log_power_sample, &f, c.start, 0.0, 0x1p40, &root, &trace), halley_converged);
        // The root expm1(ln(c)/2), to two units in its last place plus what
        // the noise of g allows: noise / |g'| = noise (1 + root) / 2.
        const double want = std::expm1(0.5 * std::log(c.c));
        EXPECT_NEAR(root, want,
                    0x1p-51 * want + 0x1p-52 * std::fabs(std::log(c.c)) * (1.0 + want) / 2.0);
        EXPECT_LE(trace.evaluations, c.most_evaluations);
        EXPECT_EQ(trace.evaluations, f.calls);
    }
}

TEST(HalleyRoot, JumpsAndPlateausAreNotRoots)
{
    double root;
    EXPECT_EQ(halley_root(jump_sample, nullptr, 0.5, 0.0, 0x1p40, &root, nullptr), halley_not_converged);
    EXPECT_EQ(halley_root(plateau_sample, nullptr, 1.0, 0.0, 0x1p40, &root, nullptr),
              halley_not_converged);
    EXPECT_LE(root, 0x1p40);
    EXPECT_EQ(halley_root(failing_sample, nullptr, 3.0, 0.0, 0x1p40, &root, nullptr),
              halley_evaluation_failed);
    EXPECT_EQ(root, 3.0);
}

// A provisional sample steers one step and decides nothing: at the root
// itself with g = 0, or just above it with the wrong sign (which, taken as
// a bracket end, would shut the root out), the root still comes from the
// decisive samples that follow, to their accuracy.
TEST(HalleyRoot, ProvisionalSampleNeitherEndsNorBrackets)
{
    const double c = 100.0, root = std::expm1(0.5 * std::log(c));
    struct steered_case {
        const char* what;
        double start, error;
    };
    const steered_case cases[] = {
        {"g = 0 at the root", root, 0.0},
        {"positive just above the root", root * (1.0 + 1e-9), 1e-6},
        {"off by 1e-12 from 1% below", root * 0.99, 1e-12},
    };
    for (const steered_case& k : cases) {
        SCOPED_TRACE(k.what);
        steered_log_power s{{c, 0}, k.error};
        double found = -1.0;
        halley_trace trace;
        ASSERT_EQ(halley_root(steered_sample, &s, k.start, 0.0, 0x1p40, &found, &trace),
                  halley_converged);
        EXPECT_GE(trace.evaluations, 2);
        EXPECT_NEAR(found, root, 0x1p-50 * root);
    }
}

// A noise as large as g itself far from the root (as for a tail formed as
// 1 - P where P rounds near 1) does not end the iteration on the step
// from there: that step's own error is far above what the noise leaves of
// the root, and the root comes from samples where g is well resolved.
int32_t coarse_far_sample(void* context, double t, halley_sample* out)
{
    log_power_sample(context, t, out);
    if (t < 100.0)
        out->noise = 2.0 * std::fabs(out->g);
    return 0;
}

TEST(HalleyRoot, NoiseFarFromTheRootDoesNotEndTheIteration)
{
    log_power f{1e6, 0};  // root 999
    double root = -1.0;
    halley_trace trace;
    ASSERT_EQ(halley_root(coarse_far_sample, &f, 9.0, 0.0, 0x1p40, &root, &trace), halley_converged);
    EXPECT_NEAR(root, 999.0, 1e-9);
    EXPECT_GE(trace.evaluations, 2);
}

namespace {

// g(t) = ln c - ln(1 + e^t): decreasing on the whole line, root ln(c - 1)
// (negative for c < 2), linear far to the right and flat far to the left.
int32_t softplus_sample(void* context, double t, halley_sample* out)
{
    const double c = *static_cast<double*>(context);
    const double s = 1.0 / (1.0 + std::exp(-t));  // the logistic, -g'
    const double soft = t > 0.0 ? t + std::log1p(std::exp(-t)) : std::log1p(std::exp(t));
    *out = halley_sample{std::log(c) - soft, -s, -s * (1.0 - s), -s * (1.0 - s) * (1.0 - 2.0 * s),
                         0x1p-52 * (1.0 + std::fabs(std::log(c))), 0};
    return 0;
}

// g(t) = r - t: a root near 0, found to an absolute precision below scale 1.
int32_t line_sample(void* context, double t, halley_sample* out)
{
    *out = halley_sample{*static_cast<double*>(context) - t, -1.0, 0.0, 0.0, 0x1p-53, 0};
    return 0;
}

}  // namespace

// The whole line: roots below the start (growth downward while g < 0), far
// below it, and at 0 to an absolute precision.
TEST(HalleyRootLine, RootsOfEitherSign)
{
    struct line_case {
        double c, start, root;
    };
    const line_case cases[] = {
        {1.5, 2.0, std::log(0.5)},  // below a start of the other sign
        // Far below: downward growth (c - 1 is 1.0000889e-12 in doubles).
        {1.0 + 1e-12, 3.0, std::log((1.0 + 1e-12) - 1.0)},
        // Above a negative start, beyond a flat stretch whose derivatives
        // predict nothing of where a long step lands.
        {11.0, -5.0, std::log(10.0)},
    };
    for (const line_case& c : cases) {
        SCOPED_TRACE(c.c);
        double context = c.c, root = 0.0;
        halley_trace trace;
        ASSERT_EQ(halley_root_line(softplus_sample, &context, c.start, 1.0, 1e150, &root, &trace),
                  halley_converged);
        EXPECT_NEAR(root, c.root, 1e-11 * std::fmax(1.0, std::fabs(c.root)));
        EXPECT_LE(trace.evaluations, 40);
    }
    double r = 1e-30, root = 1.0;
    ASSERT_EQ(halley_root_line(line_sample, &r, 1.0, 1.0, 1e150, &root, nullptr), halley_converged);
    EXPECT_NEAR(root, r, 0x1p-52);
    // c = 1/2: g = ln(1/2) - ln(1 + e^t) < 0 everywhere, no root above -1e6.
    double c = 0.5;
    EXPECT_EQ(halley_root_line(softplus_sample, &c, 0.0, 1.0, 1e6, &root, nullptr),
              halley_not_converged);
}
