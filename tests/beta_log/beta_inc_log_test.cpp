// beta_inc_log: the incomplete beta ratio and its complement in logarithms,
// with the log density.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>

#include "library/beta_log.h"
#include "support/reference_table.h"

namespace {

struct beta_log_reference {
    double x, a, b, lower, upper, dens;
};

#include "data/beta_inc_log.inc"

constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr double max_double = 1.7976931348623157e+308;

// Where the fraction converges every output is good to 1e-12 relative (the
// worst reached is near 3e-13, at a = b = 4000 near the centre).
constexpr double fraction_tolerance = 1e-12;
// Paulson's normal approximation is good to 1e-7 absolute in the
// probabilities; the log density is the Beta one, exact as elsewhere.
constexpr double normal_probability_tolerance = 1e-7;
constexpr double normal_density_tolerance = 1e-12;

struct run_result {
    int32_t status;
    beta_log_record record;
    beta_log_trace trace;
};

run_result run(double x, double a, double b, double tolerance = 0.0)
{
    run_result r{};
    r.record.x = x;
    r.record.a = a;
    r.record.b = b;
    r.record.tolerance = tolerance;
    r.status = beta_inc_log_traced(&r.record, &r.trace);
    return r;
}

void report(const char* what, const worst_row& worst, const beta_log_reference* rows)
{
    const beta_log_reference& r = rows[worst.row];
    std::printf("[  worst   ] %s: x = %.17g, a = %.17g, b = %.17g, error %.3g\n", what, r.x, r.a,
                r.b, worst.error);
}

TEST(BetaIncLog, FractionAgainstMpmath)
{
    worst_row lower, upper, dens;
    for (size_t i = 0; i < sizeof beta_log_fraction_rows / sizeof beta_log_fraction_rows[0]; ++i) {
        const beta_log_reference& row = beta_log_fraction_rows[i];
        run_result r = run(row.x, row.a, row.b);
        SCOPED_TRACE(testing::Message() << "x = " << row.x << ", a = " << row.a << ", b = " << row.b);
        ASSERT_EQ(r.status, 0);
        EXPECT_EQ(r.trace.path, beta_log_path_fraction);
        double el = relative_error(r.record.log_lower, row.lower);
        double eu = relative_error(r.record.log_upper, row.upper);
        double ed = relative_error(r.record.log_density, row.dens);
        EXPECT_LE(el, fraction_tolerance) << r.record.log_lower;
        EXPECT_LE(eu, fraction_tolerance) << r.record.log_upper;
        EXPECT_LE(ed, fraction_tolerance) << r.record.log_density;
        note_error(&lower, el, i);
        note_error(&upper, eu, i);
        note_error(&dens, ed, i);
    }
    report("ln I, relative", lower, beta_log_fraction_rows);
    report("ln(1 - I), relative", upper, beta_log_fraction_rows);
    report("ln dens, relative", dens, beta_log_fraction_rows);
}

TEST(BetaIncLog, NormalApproximationAgainstMpmath)
{
    worst_row probability, dens;
    for (size_t i = 0; i < sizeof beta_log_normal_rows / sizeof beta_log_normal_rows[0]; ++i) {
        const beta_log_reference& row = beta_log_normal_rows[i];
        run_result r = run(row.x, row.a, row.b);
        SCOPED_TRACE(testing::Message() << "x = " << row.x << ", a = " << row.a << ", b = " << row.b);
        ASSERT_EQ(r.status, 0);
        EXPECT_EQ(r.trace.path, beta_log_path_normal);
        EXPECT_EQ(r.trace.steps, 199);
        double el = std::fabs(std::exp(r.record.log_lower) - std::exp(row.lower));
        double eu = std::fabs(std::exp(r.record.log_upper) - std::exp(row.upper));
        double ed = relative_error(r.record.log_density, row.dens);
        EXPECT_LE(el, normal_probability_tolerance);
        EXPECT_LE(eu, normal_probability_tolerance);
        EXPECT_LE(ed, normal_density_tolerance);
        note_error(&probability, el > eu ? el : eu, i);
        note_error(&dens, ed, i);
    }
    report("normal approximation, I and 1 - I, absolute", probability, beta_log_normal_rows);
    report("normal approximation, ln dens, relative", dens, beta_log_normal_rows);
}

// The working side and shift, and the record's working fields on return.
struct side_case {
    double x, a, b;
    int32_t exchanged, shifted;
    double working_x, p, q;
    double lower;  // ln I_x(a, b): mpmath.betainc at mp.dps = 40
};

const side_case side_cases[] = {
    // 2 + 2 sqrt(4/5) = 3.79 >= 2 and 5 >= 5: not exchanged; I = 0.5.
    {0.5, 2.0, 2.0, 0, 0, 0.5, 2.0, 2.0, -0.69314718055994531},
    // Exchanged; log lower still reports ln I_0.9(2, 3).
    {0.9, 2.0, 3.0, 1, 0, 0.09999999999999998, 3.0, 2.0, -0.003706861931326472822},
    // p = 0.5 raised to 1.5; the unshifted shape is kept.
    {0.01, 0.5, 0.5, 0, 1, 0.01, 1.5, 0.5, -2.7524949865978679416},
    // Exchanged, then the new first shape 0.2 raised to 1.2.
    {0.9, 5.0, 0.2, 1, 1, 0.09999999999999998, 1.2, 5.0, -2.0832846155464113828},
};

TEST(BetaIncLog, WorkingSideAndShift)
{
    for (const side_case& c : side_cases) {
        run_result r = run(c.x, c.a, c.b);
        SCOPED_TRACE(testing::Message() << "x = " << c.x << ", a = " << c.a << ", b = " << c.b);
        ASSERT_EQ(r.status, 0);
        EXPECT_EQ(r.record.exchanged, c.exchanged);
        EXPECT_EQ(r.record.shifted, c.shifted);
        EXPECT_EQ(r.record.x, c.working_x);
        EXPECT_EQ(r.record.a, c.p);
        EXPECT_EQ(r.record.b, c.q);
        EXPECT_EQ(r.record.argument_copy, c.x);
        EXPECT_EQ(r.record.shape_sum, c.a + c.b);
        if (c.shifted)
            EXPECT_EQ(r.record.unshifted_shape, c.exchanged ? c.b : c.a);
        EXPECT_LE(relative_error(r.record.log_lower, c.lower), 1e-14) << r.record.log_lower;
        EXPECT_EQ(r.record.fraction, c.exchanged ? r.record.log_upper : r.record.log_lower);
    }
}

TEST(BetaIncLog, EndPoints)
{
    run_result r = run(0.0, 1.0, 3.0);
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(r.trace.path, beta_log_path_end_point);
    EXPECT_EQ(r.record.log_lower, -max_double);
    EXPECT_EQ(r.record.log_upper, 0.0);
    EXPECT_DOUBLE_EQ(r.record.log_density, std::log(3.0));

    r = run(1.0, 2.5, 1.0);
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(r.record.log_lower, 0.0);
    EXPECT_EQ(r.record.log_upper, -max_double);
    EXPECT_DOUBLE_EQ(r.record.log_density, std::log(2.5));

    // The density is infinite or zero at these end points: failure.
    EXPECT_EQ(run(0.0, 2.0, 3.0).status, 1);
    EXPECT_EQ(run(0.0, 0.5, 3.0).status, 1);
    EXPECT_EQ(run(1.0, 2.0, 3.0).status, 1);
}

TEST(BetaIncLog, Failures)
{
    const double args[][3] = {
        {0.5, 3e9, 2.0}, {0.5, 2.0, 3e9},                     // shape above 2147483647
        {-0.1, 2.0, 3.0}, {1.5, 2.0, 3.0}, {0.5, 0.0, 3.0},   // domain
        {0.5, 2.0, -1.0}, {nan, 2.0, 3.0}, {0.5, nan, 3.0}, {0.5, 2.0, nan},
        // 199 steps without convergence, shapes outside the normal
        // approximation's range: a tiny first shape just above its mean.
        {0.001, 1e-5, 10.0}, {0.0005, 1e-5, 30.0},
    };
    for (const auto& a : args) {
        run_result r = run(a[0], a[1], a[2]);
        EXPECT_EQ(r.status, 1) << a[0] << ", " << a[1] << ", " << a[2];
        EXPECT_EQ(r.trace.path, beta_log_path_none);
    }
    EXPECT_EQ(run(0.5, 2147483647.0, 2.0).status, 0);  // the bound itself is allowed
}

// A tolerance below 2^-54 is raised to it and shows the raised value; a
// looser one lets the fraction stop earlier, at about that accuracy.
TEST(BetaIncLog, Tolerance)
{
    for (double given : {0.0, 1e-20, -1.0, nan}) {
        run_result r = run(0.3, 20.0, 30.0, given);
        EXPECT_EQ(r.status, 0);
        EXPECT_EQ(r.record.tolerance, 5.551115123125785e-16) << given;
    }
    run_result tight = run(0.4, 20.0, 30.0);
    run_result loose = run(0.4, 20.0, 30.0, 1e-6);
    EXPECT_EQ(loose.record.tolerance, 1e-6);
    EXPECT_LT(loose.trace.steps, tight.trace.steps);
    EXPECT_LE(relative_error(loose.record.log_lower, tight.record.log_lower), 1e-5);
}

}  // namespace
