// ncf_log_probs: the noncentral F log probabilities by summation and by
// integration, with the log density, against mpmath; the paths, the
// requests and the failures.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <initializer_list>
#include <limits>

#include "library/ncf_log.h"
#include "ncf/ncf.h"
#include "numeric/constants.h"
#include "support/reference_table.h"

namespace {

struct ncf_log_reference {
    double x, n1, n2, lambda, lower, upper, dens;
};

struct ncf_density_reference {
    double x, n1, n2, lambda, dens;
};

#include "data/ncf_log.inc"

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

// Every log result within 1e-12 relative of mpmath's, on every path.  The
// integration is the weakest: its trapezoidal sum stops at a relative
// change of sqrt(1.1e-15) between halvings, which leaves it good to some
// 1e-13 relative in the tail probability (worst measured 3e-13 relative of
// the log, at P near 0.92 and lambda = 1000).
constexpr double log_tolerance = 1e-12;
// ncf_cdf against the integration, as probabilities: the integration stops
// when a halving changes ln of the integral by less than sqrt(1.1e-15) of
// itself, and what is left is a few 1e-12 of the probability (worst
// measured 2.1e-12, at n2 = 2).
constexpr double cdf_tolerance = 5e-12;

struct run_result {
    int32_t status;
    ncf_log_record record;
    ncf_log_trace trace;
};

run_result run(double x, double n1, double n2, double lambda, int32_t requests = 3,
               int32_t force_integration = 0, double tolerance = 0.0)
{
    run_result r{};
    r.record.x = x;
    r.record.n1 = n1;
    r.record.n2 = n2;
    r.record.lambda = lambda;
    r.record.requests = requests;
    r.record.tolerance = tolerance;
    r.record.log_lower = r.record.log_upper = r.record.log_density = nan;
    r.record.small_lower_tail = 7;
    r.status = ncf_log_probs_traced(&r.record, force_integration, &r.trace);
    return r;
}

// One loop over a table: status, path, and the three logs against the
// reference; the worst row of each is printed.
template <size_t N>
void check_table(const char* name, const ncf_log_reference (&rows)[N], int32_t path,
                 int32_t force_integration, int32_t requests)
{
    worst_row lower, upper, dens;
    for (size_t i = 0; i < N; ++i) {
        const ncf_log_reference& row = rows[i];
        run_result r = run(row.x, row.n1, row.n2, row.lambda, requests, force_integration);
        SCOPED_TRACE(testing::Message() << name << ": x = " << row.x << ", n1 = " << row.n1
                                        << ", n2 = " << row.n2 << ", lambda = " << row.lambda);
        ASSERT_EQ(r.status, 0);
        EXPECT_EQ(r.trace.path, path);
        double el = relative_error(r.record.log_lower, row.lower);
        double eu = relative_error(r.record.log_upper, row.upper);
        EXPECT_LE(el, log_tolerance) << r.record.log_lower << " want " << row.lower;
        EXPECT_LE(eu, log_tolerance) << r.record.log_upper << " want " << row.upper;
        note_error(&lower, el, i);
        note_error(&upper, eu, i);
        if (requests & ncf_log_want_density) {
            double ed = relative_error(r.record.log_density, row.dens);
            EXPECT_LE(ed, log_tolerance) << r.record.log_density;
            note_error(&dens, ed, i);
        }
    }
    const char* what[] = {"ln P", "ln Q", "ln f"};
    const worst_row* worst[] = {&lower, &upper, &dens};
    for (int k = 0; k < ((requests & ncf_log_want_density) ? 3 : 2); ++k) {
        const ncf_log_reference& row = rows[worst[k]->row];
        std::printf("[  worst   ] %s, %s: x = %.17g, n1 = %g, n2 = %g, lambda = %g, relative "
                    "error %.3g\n", name, what[k], row.x, row.n1, row.n2, row.lambda,
                    worst[k]->error);
    }
}

TEST(NcfLogProbs, CentralAgainstMpmath)
{
    check_table("central", ncf_log_central_rows, ncf_log_path_central, 0, 3);
}

TEST(NcfLogProbs, SummationAgainstMpmath)
{
    check_table("summation", ncf_log_summation_rows, ncf_log_path_summation, 0, 3);
}

// The same rows by forced integration: where both paths apply (up to
// lambda = 499) they agree with the reference, and so with each other.
TEST(NcfLogProbs, ForcedIntegrationAgainstMpmath)
{
    check_table("forced integration", ncf_log_summation_rows, ncf_log_path_integration, 1, 1);
}

// lambda above 500: the sum from the Poisson mode; the same rows by forced
// integration.
TEST(NcfLogProbs, LargeLambdaAgainstMpmath)
{
    // Probabilities alone: at lambda = 10000 the log density's Poisson sum
    // needs more terms than it may take (see DensityFailureFailsTheCall).
    check_table("large lambda", ncf_log_integration_rows, ncf_log_path_mode_summation, 0, 1);
    check_table("integration", ncf_log_integration_rows, ncf_log_path_integration, 1, 1);
}

// lambda <= 500 with a start beta term below the double range: the
// summation fails silently and the sum from the Poisson mode answers.
TEST(NcfLogProbs, FailedSummationFallsBackOnTheSumFromTheMode)
{
    check_table("fallback", ncf_log_fallback_rows, ncf_log_path_mode_summation, 0, 3);
    run_result r = run(ncf_log_fallback_rows[0].x, ncf_log_fallback_rows[0].n1,
                       ncf_log_fallback_rows[0].n2, ncf_log_fallback_rows[0].lambda);
    EXPECT_EQ(r.trace.summation_failed, 1);
}

// Degrees of freedom at or below 2^-10 (once refused), and tiny x with
// lambda near 500 where the integration fails: the sum from the Poisson
// mode answers (ln P(2.638088761e-12; 0.2284012087, 0.08445778625,
// 508.2848095) = -258.3758637).  Probabilities alone.
TEST(NcfLogProbs, SmallDegreesAndTinyXBySumFromTheMode)
{
    check_table("mode", ncf_log_mode_rows, ncf_log_path_mode_summation, 0, 1);
}

// Tiny x with a large lambda and moderate degrees of freedom: the sum from
// the mode, where the integration answered up to 3e-9 off (ln Q(1e-11; 0.1,
// 0.05, 600)).
TEST(NcfLogProbs, TinyXWithLargeLambdaBySumFromTheMode)
{
    check_table("tiny x", ncf_log_tiny_x_rows, ncf_log_path_mode_summation, 0, 1);
}

// A second degree of freedom far below 2^-10 with x' near 1: the start
// ratio's complement has lost digits like 1/b (2.5e-12 of ln P at b = 5e-7
// before the check).  Each call is exact or fails, never wrong.
TEST(NcfLogProbs, LostComplementFailsRatherThanAnswers)
{
    for (const ncf_log_reference& row : ncf_log_refused_rows) {
        run_result r = run(row.x, row.n1, row.n2, row.lambda, 1);
        SCOPED_TRACE(testing::Message() << "x = " << row.x << ", n1 = " << row.n1
                                        << ", n2 = " << row.n2 << ", lambda = " << row.lambda);
        if (r.status != 0)
            continue;
        EXPECT_LE(relative_error(r.record.log_lower, row.lower), log_tolerance);
        EXPECT_LE(relative_error(r.record.log_upper, row.upper), log_tolerance);
    }
}

TEST(NcfLogProbs, DensityAgainstDerivativeOfTheCdf)
{
    worst_row worst;
    for (size_t i = 0; i < sizeof ncf_log_density_rows / sizeof ncf_log_density_rows[0]; ++i) {
        const ncf_density_reference& row = ncf_log_density_rows[i];
        run_result r = run(row.x, row.n1, row.n2, row.lambda, ncf_log_want_density);
        ASSERT_EQ(r.status, 0) << row.x << ", " << row.lambda;
        double e = relative_error(r.record.log_density, row.dens);
        EXPECT_LE(e, log_tolerance) << "x = " << row.x << ", lambda = " << row.lambda;
        note_error(&worst, e, i);
    }
    const ncf_density_reference& row = ncf_log_density_rows[worst.row];
    std::printf("[  worst   ] ln f: x = %g, n1 = %g, n2 = %g, lambda = %g, relative error %.3g\n",
                row.x, row.n1, row.n2, row.lambda, worst.error);
}

// The integration reproduces ncf_cdf (an independent method: one
// incomplete beta ratio and the Poisson recurrences) for moderate lambda.
TEST(NcfLogProbs, IntegrationReproducesNcfCdf)
{
    const double args[][4] = {
        {2.0, 3.0, 10.0, 5.0},  {4.0, 2.0, 2.0, 30.0},  {0.5, 10.0, 3.0, 100.0},
        {1.0, 1.0, 20.0, 0.7},  {12.0, 6.0, 40.0, 60.0}, {300.0, 4.0, 20.0, 450.0},
    };
    for (const auto& a : args) {
        double p;
        ASSERT_EQ(ncf_cdf(a[0], a[1], a[2], a[3], &p), 0);
        run_result r = run(a[0], a[1], a[2], a[3], ncf_log_want_probabilities, 1);
        ASSERT_EQ(r.status, 0);
        EXPECT_EQ(r.trace.path, ncf_log_path_integration);
        EXPECT_LE(relative_error(std::exp(r.record.log_lower), p), cdf_tolerance)
            << a[0] << ", " << a[1] << ", " << a[2] << ", " << a[3];
    }
}

// lambda = 500 is summed; above it the integration answers at once.
TEST(NcfLogProbs, SummationBoundary)
{
    run_result r = run(500.0, 4.0, 20.0, 500.0);
    EXPECT_EQ(r.trace.path, ncf_log_path_summation);
    EXPECT_EQ(r.record.tolerance, 5.551115123125785e-16);  // raised by the summation
    r = run(500.0, 4.0, 20.0, 500.5);
    EXPECT_EQ(r.trace.path, ncf_log_path_mode_summation);
    EXPECT_EQ(r.trace.steps, 0);
    EXPECT_EQ(r.record.tolerance, 0.0);  // the sum from the mode keeps its own
}

TEST(NcfLogProbs, ZeroPoint)
{
    struct {
        double n1;
        double dens;
    } cases[] = {{1.0, max_double}, {2.0, -2.5}, {3.0, -max_double}};
    for (const auto& c : cases) {
        run_result r = run(0.0, c.n1, 10.0, 5.0);
        ASSERT_EQ(r.status, 0);
        EXPECT_EQ(r.trace.path, ncf_log_path_end_point);
        EXPECT_EQ(r.record.log_lower, -max_double);
        EXPECT_EQ(r.record.log_upper, 0.0);
        EXPECT_EQ(r.record.log_density, c.dens) << "n1 = " << c.n1;
        EXPECT_EQ(r.record.small_lower_tail, 7);  // no normal approximation
    }
}

// lambda = 0 takes the central path and never forms the normal
// approximation: the tail flag keeps the caller's value, and the tolerance
// passes to the incomplete beta ratio unchanged.
TEST(NcfLogProbs, CentralLeavesTheTailFlag)
{
    run_result r = run(1.0, 3.0, 3.0, 0.0);
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(r.record.small_lower_tail, 7);
    EXPECT_EQ(r.record.tolerance, 0.0);
    EXPECT_LE(relative_error(r.record.log_lower, -0.69314718055994531), 1e-15);
    // x above r = n2/n1 runs the complement and exchanges the two logs.
    r = run(4.0, 10.0, 3.0, 0.0);
    EXPECT_LE(relative_error(r.record.log_lower, ncf_log_central_rows[2].lower), 1e-13);
}

// Only what is requested is written.
TEST(NcfLogProbs, Requests)
{
    run_result r = run(2.0, 3.0, 10.0, 5.0, ncf_log_want_density);
    ASSERT_EQ(r.status, 0);
    EXPECT_TRUE(std::isnan(r.record.log_lower));
    EXPECT_TRUE(std::isnan(r.record.log_upper));
    EXPECT_FALSE(std::isnan(r.record.log_density));
    EXPECT_EQ(r.trace.path, ncf_log_path_none);
    EXPECT_EQ(r.record.small_lower_tail, 0);  // formed whenever lambda > 0

    r = run(2.0, 3.0, 10.0, 5.0, ncf_log_want_probabilities);
    EXPECT_FALSE(std::isnan(r.record.log_lower));
    EXPECT_TRUE(std::isnan(r.record.log_density));

    r = run(0.0, 3.0, 10.0, 5.0, 0);
    EXPECT_EQ(r.status, 0);
    EXPECT_TRUE(std::isnan(r.record.log_lower));
    EXPECT_TRUE(std::isnan(r.record.log_density));
}

// The normal approximation's side: z <= -2 marks the lower tail as the
// small one (the integration then integrates the lower tail).
TEST(NcfLogProbs, SmallLowerTail)
{
    EXPECT_EQ(run(6.0, 4.0, 20.0, 1000.0, 2).record.small_lower_tail, 1);
    EXPECT_EQ(run(500.0, 4.0, 20.0, 1000.0, 2).record.small_lower_tail, 0);
    EXPECT_EQ(run(50.0, 4.0, 20.0, 1000.0, 2).record.small_lower_tail, 1);
    EXPECT_EQ(run(280.0, 4.0, 20.0, 1000.0, 2).record.small_lower_tail, 0);  // near the mean
}

TEST(NcfLogProbs, DomainFailures)
{
    const double args[][4] = {
        {1.0, 0x1p-20, 10.0, 5.0},      {1.0, 10.0, 0x1p-20, 5.0},
        {1.0, 3e9, 10.0, 5.0},          {1.0, 10.0, 3e9, 5.0},
        {1.0, 3.0, 10.0, -1.0},         {-1.0, 3.0, 10.0, 5.0},
        {nan, 3.0, 10.0, 5.0},          {1.0, nan, 10.0, 5.0},
        {1.0, 3.0, nan, 5.0},           {1.0, 3.0, 10.0, nan},
    };
    for (const auto& a : args) {
        run_result r = run(a[0], a[1], a[2], a[3]);
        EXPECT_EQ(r.status, 1) << a[0] << ", " << a[1] << ", " << a[2] << ", " << a[3];
        EXPECT_TRUE(std::isnan(r.record.log_lower));
        EXPECT_TRUE(std::isnan(r.record.log_density));
    }
    // Just inside the bounds; 2^-10 and below by the sum from the Poisson mode.
    EXPECT_EQ(run(1.0, 0.001, 10.0, 5.0).status, 0);
    run_result small = run(1.0, 0.0009765625, 10.0, 5.0);
    EXPECT_EQ(small.status, 0);
    EXPECT_EQ(small.trace.path, ncf_log_path_mode_summation);
    EXPECT_EQ(run(1.0, 3.0, 2147483647.0, 5.0, 1).status, 0);
}

// Where n1 x overflows there are no probabilities to give: the call fails
// rather than return a log above 0 with a NaN beside it (which it did for
// these points: ln P = 4.4e-16 to 4.7e-14, ln Q = NaN).
TEST(NcfLogProbs, OverflowingPointFails)
{
    const double args[][4] = {
        {INFINITY, 7.678805372835523, 29.07683288073479, 36.61469479574079},
        {INFINITY, 11.163174321534436, 15.052987331486529, 0.9999999999999999},
        {INFINITY, 27.61612685514952, 2.0, 45.41673841368459},
    };
    for (const auto& a : args) {
        run_result r = run(a[0], a[1], a[2], a[3], 1);
        EXPECT_EQ(r.status, 1) << a[0] << ", " << a[1] << ", " << a[2] << ", " << a[3] << ": "
                               << r.record.log_lower << ", " << r.record.log_upper;
    }
    // At the largest double the sum from the Poisson mode has the far upper
    // tail: ln Q = -5863.2625862049959 (gen_ncf_log.upper_tail at mp.dps = 60).
    run_result r = run(1.7976931348623157e+308, 48.334599797311775, 16.55104016001343,
                       23.30343392572005, 1);
    ASSERT_EQ(r.status, 0);
    EXPECT_EQ(r.trace.path, ncf_log_path_mode_summation);
    EXPECT_LE(relative_error(r.record.log_upper, -5863.2625862049959), log_tolerance);
    EXPECT_EQ(r.record.log_lower, 0.0);
}

// The call fails when a requested part fails.  At lambda = 1e10 the log
// density's largest term lies beyond k = 2^31 and the density fails; so
// does the integration of the probabilities there.  At lambda = 10000 (where
// the density's sum once needed more than its 1001 terms) every request
// answers, the density alike alone and beside the probabilities.
TEST(NcfLogProbs, DensityFailureFailsTheCall)
{
    EXPECT_EQ(run(3.3e9, 3.0, 400.0, 1e10, 2).status, 1);
    EXPECT_EQ(run(3.3e9, 3.0, 400.0, 1e10, 3).status, 1);
    for (int32_t requests : {1, 2, 3})
        EXPECT_EQ(run(2500.0, 3.0, 400.0, 10000.0, requests).status, 0) << requests;
    EXPECT_EQ(run(2500.0, 3.0, 400.0, 10000.0, 2).record.log_density,
              run(2500.0, 3.0, 400.0, 10000.0, 3).record.log_density);
}

}  // namespace
