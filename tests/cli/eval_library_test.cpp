// kelbrant eval for the library routines: every routine listed, one line per
// output in the documented order, the status (or the error flag) first,
// outputs a path leaves alone as nan, the host's missing value as ".", the
// optional requests and an omitted tolerance.

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "support/run_cli.h"

TEST(CliLibrary, ExactOutputs)
{
    struct eval_case {
        std::vector<std::string> args;
        std::string out;
    };
    const eval_case cases[] = {
        {{"inverse_gaussian_cdf", "0", "5"}, "value 0\n"},
        {{"inverse_gaussian_cdf", "2", "0"}, "value 1\n"},
        {{"gamma_inc", "3", "0"}, "status 0\np 1\nq 0\ndensity 0\n"},
        {{"gamma_inc", "0", "0.5"}, "status 0\np 0\nq 1\ndensity 1.7976931348623157e+308\n"},
        {{"gamma_inc", "-1", "2"}, "status 1\np -2\nq -2\ndensity 0\n"},
        {{"gamma_inc_log", "0", "2"},
         "status 0\nlog_lower -1.7976931348623157e+308\nlog_upper 0\n"
         "log_density -1.7976931348623157e+308\nmethod nan\n"},
        {{"gamma_inc_log", "1", "1e-302"},
         "status 1\nlog_lower nan\nlog_upper nan\nlog_density nan\nmethod nan\n"},
        {{"beta_log_density", "0", "2", "3"}, "status 0\nvalue .\n"},
        {{"beta_log_density", "1.5", "2", "3"}, "status 1\nvalue nan\n"},
        {{"gamma_log_density", "0", "1"}, "status 0\nvalue 0\n"},
        {{"gamma_log_density", "0", "3"}, "status 0\nvalue .\n"},
        {{"gamma_log_density", "-1", "3"}, "status 1\nvalue nan\n"},
        {{"normal_log_tails", "0"},
         "status 0\nlog_lower -0.69314718055994529\nlog_upper -0.69314718055994529\n"
         "log_density -0.91893853320467278\n"},
        {{"mills_ratio", "nan"}, "status 1\nvalue nan\n"},
    };
    for (const eval_case& c : cases) {
        const cli_run r = run_eval(c.args);
        EXPECT_EQ(r.exit_status, eval_exit_status(c.out)) << c.args[0] << ": " << r.err;
        EXPECT_EQ(r.out, c.out) << c.args[0] << " " << c.args[1];
    }
}

TEST(CliLibrary, ValuesAndMethods)
{
    // ln Q(10, 2000) from the asymptotic expansion (no method reported).
    cli_run r = run_eval({"gamma_inc_log", "2000", "10"});
    ASSERT_EQ(r.exit_status, 0) << r.err;
    EXPECT_NEAR(printed_field(r.out, "log_upper"), -1944.3891974568222, 2e-9);
    EXPECT_NE(r.out.find("method nan\n"), std::string::npos) << r.out;

    // The tolerance is the optional third argument; x above a takes the
    // upper-tail fraction (method 3): ln Q(2, 3) = ln 4 - 3.
    r = run_eval({"gamma_inc_log", "3", "2", "1e-12"});
    ASSERT_EQ(r.exit_status, 0) << r.err;
    EXPECT_NEAR(printed_field(r.out, "log_upper"), -1.6137056388801094, 1e-11);
    EXPECT_NE(r.out.find("method 3\n"), std::string::npos) << r.out;

    r = run_eval({"gamma_inc", "0.5", "0.5"});
    ASSERT_EQ(r.exit_status, 0) << r.err;
    EXPECT_NEAR(printed_field(r.out, "p"), 0.68268949213708590, 2e-16);

    r = run_eval({"normal_log_tails", "40"});
    EXPECT_NEAR(printed_field(r.out, "log_upper"), -804.60844201375390, 1e-12);
    EXPECT_NE(r.out.find("log_lower -0\n"), std::string::npos) << r.out;

    r = run_eval({"mills_ratio", "5"});
    EXPECT_NEAR(printed_field(r.out, "value"), 0.19280810471531576, 1e-16);
}

TEST(CliLibrary, ArgumentCountsAndList)
{
    EXPECT_NE(run_eval({"gamma_inc_log", "3"}).exit_status, 0);
    EXPECT_NE(run_eval({"gamma_inc_log", "3", "2", "0", "1"}).exit_status, 0);
    EXPECT_NE(run_eval({"mills_ratio"}).exit_status, 0);

    const cli_run r = run_eval({"--list"});
    ASSERT_EQ(r.exit_status, 0);
    const char* rows[] = {
        "inverse_gaussian_cdf x lambda ->",
        "gamma_inc x a ->",
        "gamma_inc_log x a [tolerance] ->",
        "beta_log_density x a b ->",
        "gamma_log_density x a ->",
        "normal_log_tails z ->",
        "mills_ratio z ->",
    };
    for (const char* row : rows)
        EXPECT_NE(r.out.find(row), std::string::npos) << row << "\n" << r.out;
    EXPECT_NE(r.out.find("status log_lower log_upper log_density method"), std::string::npos);
    EXPECT_NE(r.out.find("status p q density"), std::string::npos);
}

TEST(CliBesselNcfLog, ExactOutputs)
{
    struct eval_case {
        std::vector<std::string> args;
        std::string out;
    };
    const eval_case cases[] = {
        {{"bessel_i", "0", "0", "0"}, "error 0\nvalue 1\n"},
        {{"bessel_i", "0", "2", "0"}, "error 0\nvalue 0\n"},
        {{"bessel_i", "0", "2", "2"}, "error 0\nvalue -1.3407807929942596e+154\n"},
        {{"bessel_i", "-1", "0", "2"}, "error 1\nvalue -1.7976931348623157e+308\n"},
        // x = 0: both logs and the density by n1; the tail flag untouched.
        {{"ncf_log_probs", "0", "4", "10", "5"},
         "status 0\nlog_lower -1.7976931348623157e+308\nlog_upper 0\n"
         "log_density -1.7976931348623157e+308\nsmall_lower_tail nan\n"},
        {{"ncf_log_probs", "0", "2", "10", "5"},
         "status 0\nlog_lower -1.7976931348623157e+308\nlog_upper 0\nlog_density -2.5\n"
         "small_lower_tail nan\n"},
        {{"ncf_log_probs", "0", "1", "10", "5", "2"},
         "status 0\nlog_lower nan\nlog_upper nan\nlog_density 1.7976931348623157e+308\n"
         "small_lower_tail nan\n"},
        {{"ncf_log_probs", "1", "9.5367431640625e-07", "10", "5"},
         "status 1\nlog_lower nan\nlog_upper nan\nlog_density nan\nsmall_lower_tail nan\n"},
        {{"ncf_log_probs", "-1", "3", "10", "5"},
         "status 1\nlog_lower nan\nlog_upper nan\nlog_density nan\nsmall_lower_tail nan\n"},
    };
    for (const eval_case& c : cases) {
        const cli_run r = run_eval(c.args);
        EXPECT_EQ(r.exit_status, eval_exit_status(c.out)) << c.args[0] << ": " << r.err;
        EXPECT_EQ(r.out, c.out) << c.args[0] << " " << c.args[1];
    }
}

TEST(CliBesselNcfLog, Values)
{
    // I_0(800) overflows: the flag is set (exit 1) and the value stays ln I.
    cli_run r = run_eval({"bessel_i", "800", "0", "0"});
    ASSERT_EQ(r.exit_status, 1) << r.err;
    EXPECT_EQ(printed_field(r.out, "error"), 1.0);
    EXPECT_NEAR(printed_field(r.out, "value"), 795.73891195074501878, 1e-12);
    r = run_eval({"bessel_i", "800", "0", "1"});  // e^-800 I_0(800)
    EXPECT_EQ(printed_field(r.out, "error"), 0.0);
    EXPECT_NEAR(printed_field(r.out, "value"), 0.014106945005869183979, 1e-16);

    // The noncentral F at lambda = 1000: integration, the lower tail is the
    // small one; ln P(F' <= 6; 4, 20, 1000) from mpmath.
    r = run_eval({"ncf_log_probs", "6", "4", "20", "1000"});
    ASSERT_EQ(r.exit_status, 0) << r.err;
    EXPECT_EQ(printed_field(r.out, "status"), 0.0);
    EXPECT_NEAR(printed_field(r.out, "log_lower"), -197.51698829421133, 1e-10);
    EXPECT_EQ(printed_field(r.out, "small_lower_tail"), 1.0);

    // Central: the tail flag is left alone; ln P(F <= 1; 3, 3) = ln 0.5.
    r = run_eval({"ncf_log_probs", "1", "3", "3", "0", "1"});
    EXPECT_NEAR(printed_field(r.out, "log_lower"), -0.69314718055994531, 1e-14);
    EXPECT_NE(r.out.find("log_density nan\nsmall_lower_tail nan\n"), std::string::npos) << r.out;

    // A tolerance as sixth argument.
    r = run_eval({"ncf_log_probs", "2", "3", "10", "5", "1", "1e-10"});
    EXPECT_NEAR(printed_field(r.out, "log_lower"), -0.92607322761118982, 1e-9);
}

TEST(CliBesselNcfLog, ArgumentCountsAndList)
{
    EXPECT_NE(run_eval({"bessel_i", "1", "2"}).exit_status, 0);
    EXPECT_NE(run_eval({"ncf_log_probs", "1", "2", "3"}).exit_status, 0);
    EXPECT_NE(run_eval({"ncf_log_probs", "1", "2", "3", "4", "3", "0", "9"}).exit_status, 0);

    const cli_run r = run_eval({"--list"});
    ASSERT_EQ(r.exit_status, 0);
    EXPECT_NE(r.out.find("error value"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("status log_lower\n    log_upper log_density small_lower_tail"),
              std::string::npos) << r.out;
    EXPECT_NE(r.out.find("x n1 n2 lambda [requests [tolerance]]"), std::string::npos);
    EXPECT_NE(r.out.find("z order form"), std::string::npos);
}

TEST(CliEvalLogSpace, FixedOutputs)
{
    struct eval_case {
        std::vector<std::string> args;
        std::string out;
    };
    const eval_case cases[] = {
        // End point with a finite density; an explicit tolerance is accepted.
        {{"beta_inc_log", "0", "1", "1"}, "status 0\nlog_lower -1.7976931348623157e+308\nlog_upper 0\nlog_density 0\n"},
        {{"beta_inc_log", "1", "1", "1", "1e-6"}, "status 0\nlog_lower 0\nlog_upper -1.7976931348623157e+308\nlog_density 0\n"},
        // Failures leave every output alone.
        {{"beta_inc_log", "0", "2", "3"}, "status 1\nlog_lower nan\nlog_upper nan\nlog_density nan\n"},
        {{"beta_inc_log", "0.5", "3e9", "2"}, "status 1\nlog_lower nan\nlog_upper nan\nlog_density nan\n"},
        // Infinite log density at the origin: the host's missing value.
        {{"ncf_log_density", "0", "4", "5", "3"}, "status 0\nvalue .\n"},
        {{"ncf_log_density", "-1", "3", "10", "2"}, "status 1\nvalue nan\n"},
        {{"ncf_log_density", "3.3e9", "3", "400", "1e10"}, "status 1\nvalue nan\n"},
    };
    for (const eval_case& c : cases) {
        const cli_run r = run_eval(c.args);
        EXPECT_EQ(r.exit_status, eval_exit_status(c.out)) << c.args[0] << ": " << r.err;
        EXPECT_EQ(r.out, c.out) << c.args[0] << " " << c.args[1];
    }
}

TEST(CliEvalLogSpace, Values)
{
    // ln I_0.9(2, 3) = ln 0.9963 and ln(1 - I) = ln 0.0037, through the
    // exchange; the log density is ln(12 x (1-x)^2).
    const cli_run b = run_eval({"beta_inc_log", "0.9", "2", "3"});
    ASSERT_EQ(b.exit_status, 0) << b.err;
    ASSERT_EQ(b.out.compare(0, 9, "status 0\n"), 0) << b.out;
    EXPECT_NEAR(printed_field(b.out, "log_lower"), std::log(0.9963), 1e-15);
    EXPECT_NEAR(printed_field(b.out, "log_upper"), std::log(0.0037), 1e-14);
    EXPECT_NEAR(printed_field(b.out, "log_density"), std::log(12.0 * 0.9 * 0.01), 1e-14);

    // The origin with n1 = 2: e^(-lambda/2).
    const cli_run f = run_eval({"ncf_log_density", "0", "2", "5", "3"});
    ASSERT_EQ(f.exit_status, 0) << f.err;
    ASSERT_EQ(f.out.compare(0, 9, "status 0\n"), 0) << f.out;
    EXPECT_NEAR(printed_field(f.out, "value"), -1.5, 1e-15);
}

TEST(CliEvalLogSpace, ArgumentCounts)
{
    EXPECT_NE(run_eval({"beta_inc_log", "0.5", "2"}).exit_status, 0);
    EXPECT_NE(run_eval({"beta_inc_log", "0.5", "2", "3", "0", "1"}).exit_status, 0);
    EXPECT_NE(run_eval({"ncf_log_density", "1", "3", "10"}).exit_status, 0);
    const cli_run list = run_eval({"--list"});
    EXPECT_TRUE(contains(list.out, "beta_inc_log")) << list.out;
    EXPECT_TRUE(contains(list.out, "ncf_log_density")) << list.out;
}

// The noncentral F law's user routines: every output in order, the end of
// the support exactly, the optional tail, and the statuses.
TEST(CliEvalNcfUser, OutputsAndStatuses)
{
    struct eval_case {
        std::vector<std::string> args;
        std::string out;
    };
    const eval_case cases[] = {
        {{"ncf_probabilities", "0", "2", "10", "3"},
         "status 0\np 0\nq 1\nlog_p -inf\nlog_q 0\ndensity 0.22313016014842982\nlog_density -1.5\n"},
        {{"ncf_probabilities", "1", "0", "10", "3"},
         "status 1\np nan\nq nan\nlog_p nan\nlog_q nan\ndensity nan\nlog_density nan\n"},
        {{"ncf_quantile", "0", "3", "10", "5", "1"}, "status 0\nx inf\n"},
        {{"ncf_quantile", "0.5", "3", "10", "5", "2"}, "status 1\nx nan\n"},
        {{"ncf_quantile", "0.5", "3", "10", "-5"}, "status 1\nx nan\n"},
    };
    for (const eval_case& c : cases) {
        const cli_run r = run_eval(c.args);
        EXPECT_EQ(r.exit_status, eval_exit_status(c.out)) << c.args[0] << ": " << r.err;
        EXPECT_EQ(r.out, c.out) << c.args[0] << " " << c.args[1];
    }
    // P(F' > x) far below the reach of 1 - P, and the quantile of that
    // tail, e^-79.317982816030057, back at x (mpmath: ln Q = -79.317982816030057
    // at x = 1000, df1 = 3, df2 = 40, ncp = 2; tests/data/ncf_log.inc).
    const cli_run p = run_eval({"ncf_probabilities", "1000", "3", "40", "2"});
    ASSERT_EQ(p.exit_status, 0) << p.err;
    EXPECT_NE(p.out.find("log_q -79.3179828160300"), std::string::npos) << p.out;
    const cli_run q = run_eval({"ncf_quantile", "3.569749548188474e-35", "3", "40", "2", "1"});
    ASSERT_EQ(q.exit_status, 0) << q.err;
    ASSERT_EQ(q.out.compare(0, 11, "status 0\nx "), 0) << q.out;
    EXPECT_NEAR(std::stod(q.out.substr(11)), 1000.0, 1e-10) << q.out;
}
