// kelbrant eval rows of the log-space incomplete beta ratio and the
// noncentral F log density, run as a separate program.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "support/run_cli.h"

namespace {

// The number printed on the line "name value".
double printed(const std::string& out, const std::string& name)
{
    const size_t at = out.find(name + " ");
    if (at == std::string::npos)
        return std::nan("");
    return std::strtod(out.c_str() + at + name.size() + 1, nullptr);
}

}  // namespace

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
        EXPECT_EQ(r.exit_status, 0) << c.args[0] << ": " << r.err;
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
    EXPECT_NEAR(printed(b.out, "log_lower"), std::log(0.9963), 1e-15);
    EXPECT_NEAR(printed(b.out, "log_upper"), std::log(0.0037), 1e-14);
    EXPECT_NEAR(printed(b.out, "log_density"), std::log(12.0 * 0.9 * 0.01), 1e-14);

    // The origin with n1 = 2: e^(-lambda/2).
    const cli_run f = run_eval({"ncf_log_density", "0", "2", "5", "3"});
    ASSERT_EQ(f.exit_status, 0) << f.err;
    ASSERT_EQ(f.out.compare(0, 9, "status 0\n"), 0) << f.out;
    EXPECT_NEAR(printed(f.out, "value"), -1.5, 1e-15);
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
