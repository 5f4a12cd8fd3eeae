// kelbrant eval for the library routines: every routine listed, one line per
// output in the documented order, the status first, untouched outputs as
// nan, the host's missing value as ".", and an omitted tolerance.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/run_cli.h"

namespace {

// The value printed after "name " on its line.
double field(const std::string& out, const std::string& name)
{
    size_t at = out.find(name + " ");
    if (at == std::string::npos)
        return -999.0;
    return std::strtod(out.c_str() + at + name.size() + 1, nullptr);
}

}  // namespace

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
        {{"gamma_inc_log", "1", "1e-9"},
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
    EXPECT_NEAR(field(r.out, "log_upper"), -1944.3891974568222, 2e-9);
    EXPECT_NE(r.out.find("method nan\n"), std::string::npos) << r.out;

    // The tolerance is the optional third argument; x above a takes the
    // upper-tail fraction (method 3): ln Q(2, 3) = ln 4 - 3.
    r = run_eval({"gamma_inc_log", "3", "2", "1e-12"});
    ASSERT_EQ(r.exit_status, 0) << r.err;
    EXPECT_NEAR(field(r.out, "log_upper"), -1.6137056388801094, 1e-11);
    EXPECT_NE(r.out.find("method 3\n"), std::string::npos) << r.out;

    r = run_eval({"gamma_inc", "0.5", "0.5"});
    ASSERT_EQ(r.exit_status, 0) << r.err;
    EXPECT_NEAR(field(r.out, "p"), 0.68268949213708590, 2e-16);

    r = run_eval({"normal_log_tails", "40"});
    EXPECT_NEAR(field(r.out, "log_upper"), -804.60844201375390, 1e-12);
    EXPECT_NE(r.out.find("log_lower -0\n"), std::string::npos) << r.out;

    r = run_eval({"mills_ratio", "5"});
    EXPECT_NEAR(field(r.out, "value"), 0.19280810471531576, 1e-16);
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
    EXPECT_NE(r.out.find("status log_lower log_upper log_density method"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("status p q density"), std::string::npos);
}
