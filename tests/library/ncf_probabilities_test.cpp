// ncf_probabilities: P, Q, ln P, ln Q, f and ln f of the noncentral F law
// against mpmath, wherever they exist (beyond the direct sum's step limit,
// far below the double range), the support's ends and the domain.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>

#include "library/noncentral_f.h"
#include "ncf/ncf.h"
#include "support/reference_table.h"

namespace {

struct ncf_probabilities_row {
    double x, df1, df2, ncp;
    double log_lower, rel_lower, log_upper, rel_upper, log_density, rel_density;
};

const ncf_probabilities_row ncf_probabilities_rows[] = {
#include "data/ncf_probabilities.inc"
};

constexpr double infinity = std::numeric_limits<double>::infinity();
constexpr double nan = std::numeric_limits<double>::quiet_NaN();

// The error allowed a log w, and so the relative error allowed the
// probability e^w: 2.5e-13, the accuracy of the routines beneath (ncf_cdf
// and ncf_log_probs are both 1.5e-13 off at x = 48.36, df1 = 3, df2 = 12,
// ncp = 400), plus the rounding of w itself, 2^-52 |w|, which e^w carries
// whole (7.9e-14 at the bottom of the double range).
double log_tolerance(double w)
{
    return 2.5e-13 + 0x1p-52 * std::fabs(w);
}

// The density's log: ncf_log_density forms the log of its largest term as
// a sum of several logs as large as the result, each rounded in double, so
// it is allowed 2^-49 |w| (2.2e-12 at x = 8000, df1 = 3, df2 = 20000,
// ncp = 3000, where ln f = -1241).  Those logs grow with the shapes too:
// from df1 + df2 = 1e6 on it is allowed 5e-12 (3.2e-12 at x = 0.70707424,
// df1 = 1e7, df2 = 200, ncp = 50).
double log_density_tolerance(double w)
{
    return 2e-13 + 0x1p-49 * std::fabs(w);
}

double wide_log_density_tolerance(double w)
{
    return 5e-12 + 0x1p-49 * std::fabs(w);
}

constexpr double wide_degrees = 1e6;

// Error of a log against hi (1 + rel), in units of the given tolerance.
double log_error(double got, double hi, double rel, double (*tolerance)(double) = log_tolerance)
{
    return std::fabs((got - hi) - hi * rel) / tolerance(hi);
}

// Error of a probability against e^(hi (1 + rel)), in units of the log's
// tolerance: relative where the reference is a normal double, else absolute
// with one unit of the subnormal range allowed.
double probability_error(double got, double hi, double rel,
                         double (*tolerance)(double) = log_tolerance)
{
    long double want = std::exp(static_cast<long double>(hi) + static_cast<long double>(hi) * rel);
    long double error = std::fabs(static_cast<long double>(got) - want);
    if (want >= 0x1p-1022L)
        return static_cast<double>(error / want) / tolerance(hi);
    return error <= 0x1p-1074L + want * tolerance(hi) ? 0.0 : infinity;
}

struct table_worst {
    const char* name;
    worst_row worst;
};

TEST(NcfProbabilities, AgreesWithMpmath)
{
    table_worst outputs[] = {{"P", {}}, {"Q", {}}, {"ln P", {}},
                             {"ln Q", {}}, {"f", {}}, {"ln f", {}}};
    const size_t n = sizeof ncf_probabilities_rows / sizeof ncf_probabilities_rows[0];
    for (size_t i = 0; i < n; ++i) {
        const ncf_probabilities_row& r = ncf_probabilities_rows[i];
        ncf_values v;
        ASSERT_EQ(ncf_probabilities(r.x, r.df1, r.df2, r.ncp, ncf_want_all, &v), ncf_values_ok)
            << "row " << i << " (" << r.x << ", " << r.df1 << ", " << r.df2 << ", " << r.ncp << ")";
        double (*density_tolerance)(double) =
            r.df1 + r.df2 >= wide_degrees ? wide_log_density_tolerance : log_density_tolerance;
        const double errors[] = {
            probability_error(v.lower, r.log_lower, r.rel_lower),
            probability_error(v.upper, r.log_upper, r.rel_upper),
            log_error(v.log_lower, r.log_lower, r.rel_lower),
            log_error(v.log_upper, r.log_upper, r.rel_upper),
            probability_error(v.density, r.log_density, r.rel_density, density_tolerance),
            log_error(v.log_density, r.log_density, r.rel_density, density_tolerance)};
        for (int k = 0; k < 6; ++k)
            note_error(&outputs[k].worst, errors[k], i);
    }
    for (const table_worst& o : outputs) {
        const ncf_probabilities_row& w = ncf_probabilities_rows[o.worst.row];
        std::printf("ncf_probabilities %s: %zu rows, worst %.3g of the tolerance at (%.17g, %.17g, "
                    "%.17g, %.17g)\n",
                    o.name, n, o.worst.error, w.x, w.df1, w.df2, w.ncp);
        EXPECT_LE(o.worst.error, 1.0) << o.name;
    }
}

// One output requested at a time gives what the full request gives, and
// the others stay NaN.
TEST(NcfProbabilities, EachRequestAlone)
{
    for (const ncf_probabilities_row& r : ncf_probabilities_rows) {
        ncf_values all;
        ASSERT_EQ(ncf_probabilities(r.x, r.df1, r.df2, r.ncp, ncf_want_all, &all), ncf_values_ok);
        const double* all_fields = &all.lower;
        for (int k = 0; k < 6; ++k) {
            ncf_values one;
            ASSERT_EQ(ncf_probabilities(r.x, r.df1, r.df2, r.ncp, 1 << k, &one), ncf_values_ok);
            const double* fields = &one.lower;
            for (int j = 0; j < 6; ++j) {
                if (j == k)
                    EXPECT_EQ(fields[j], all_fields[j]) << "output " << k << " at x = " << r.x;
                else
                    EXPECT_TRUE(std::isnan(fields[j])) << "output " << j << " of request " << k;
            }
        }
    }
}

// Where the direct sum stops at its step limit (x = 999, df1 = df2 = 10,
// ncp = 20000) the log-space routines answer; where it answers, its P is
// the P given.
TEST(NcfProbabilities, DirectSumWhereItAnswers)
{
    double p;
    ASSERT_NE(ncf_cdf(999.0, 10.0, 10.0, 20000.0, &p), 0);
    ncf_values v;
    ASSERT_EQ(ncf_probabilities(999.0, 10.0, 10.0, 20000.0, ncf_want_all, &v), ncf_values_ok);
    EXPECT_NEAR(v.lower + v.upper, 1.0, 1e-15);
    ASSERT_EQ(ncf_cdf(2.0, 3.0, 10.0, 5.0, &p), 0);
    ASSERT_EQ(ncf_probabilities(2.0, 3.0, 10.0, 5.0, ncf_want_lower, &v), ncf_values_ok);
    EXPECT_EQ(v.lower, p);
}

struct edge_case {
    double x, df1, df2, ncp;
    ncf_values want;
};

TEST(NcfProbabilities, SupportEnds)
{
    const double e = std::exp(-1.5);
    const edge_case cases[] = {
        {-1.0, 3.0, 10.0, 5.0, {0.0, 1.0, -infinity, 0.0, 0.0, -infinity}},
        {-infinity, 3.0, 10.0, 5.0, {0.0, 1.0, -infinity, 0.0, 0.0, -infinity}},
        {infinity, 3.0, 10.0, 5.0, {1.0, 0.0, 0.0, -infinity, 0.0, -infinity}},
        // At x = 0 the density is +inf, e^(-ncp/2) or 0 as df1 <, = or > 2.
        {0.0, 1.0, 10.0, 3.0, {0.0, 1.0, -infinity, 0.0, infinity, infinity}},
        {0.0, 2.0, 10.0, 3.0, {0.0, 1.0, -infinity, 0.0, e, -1.5}},
        {0.0, 4.0, 10.0, 3.0, {0.0, 1.0, -infinity, 0.0, 0.0, -infinity}},
        {0.0, 2.0, 10.0, 0.0, {0.0, 1.0, -infinity, 0.0, 1.0, 0.0}},
    };
    for (const edge_case& c : cases) {
        ncf_values v;
        ASSERT_EQ(ncf_probabilities(c.x, c.df1, c.df2, c.ncp, ncf_want_all, &v), ncf_values_ok);
        const double* got = &v.lower;
        const double* want = &c.want.lower;
        for (int k = 0; k < 6; ++k)
            EXPECT_EQ(got[k], want[k]) << "output " << k << " at x = " << c.x << ", df1 = " << c.df1;
    }
}

TEST(NcfProbabilities, OutsideTheDomain)
{
    const double cases[][4] = {
        {nan, 3.0, 10.0, 5.0},  {1.0, nan, 10.0, 5.0},      {1.0, 3.0, nan, 5.0},
        {1.0, 3.0, 10.0, nan},  {1.0, 0.0, 10.0, 5.0},      {1.0, 3.0, -1.0, 5.0},
        {1.0, 3.0, 10.0, -1.0}, {1.0, infinity, 10.0, 5.0}, {1.0, 3.0, infinity, 5.0},
        {1.0, 3.0, 10.0, infinity},
    };
    for (const auto& c : cases) {
        ncf_values v;
        EXPECT_EQ(ncf_probabilities(c[0], c[1], c[2], c[3], ncf_want_all, &v), ncf_values_invalid);
        const double* got = &v.lower;
        for (int k = 0; k < 6; ++k)
            EXPECT_TRUE(std::isnan(got[k]));
    }
}

}  // namespace
