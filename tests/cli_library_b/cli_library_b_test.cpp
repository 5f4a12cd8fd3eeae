// kelbrant eval for bessel_i and ncf_log_probs: the outputs in their order,
// the flag first, fields a path leaves alone as nan, the optional requests
// and tolerance.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/run_cli.h"

namespace {

// The value printed after "name " at the start of a line.
double field(const std::string& out, const std::string& name)
{
    const std::string text = "\n" + out;
    size_t at = text.find("\n" + name + " ");
    if (at == std::string::npos)
        return -999.0;
    return std::strtod(text.c_str() + at + name.size() + 2, nullptr);
}

}  // namespace

TEST(CliLibraryB, ExactOutputs)
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
        {{"ncf_log_probs", "1", "0.0009765625", "10", "5"},
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

TEST(CliLibraryB, Values)
{
    // I_0(800) overflows: the flag is set (exit 1) and the value stays ln I.
    cli_run r = run_eval({"bessel_i", "800", "0", "0"});
    ASSERT_EQ(r.exit_status, 1) << r.err;
    EXPECT_EQ(field(r.out, "error"), 1.0);
    EXPECT_NEAR(field(r.out, "value"), 795.73891195074501878, 1e-12);
    r = run_eval({"bessel_i", "800", "0", "1"});  // e^-800 I_0(800)
    EXPECT_EQ(field(r.out, "error"), 0.0);
    EXPECT_NEAR(field(r.out, "value"), 0.014106945005869183979, 1e-16);

    // The noncentral F at lambda = 1000: integration, the lower tail is the
    // small one; ln P(F' <= 6; 4, 20, 1000) from mpmath.
    r = run_eval({"ncf_log_probs", "6", "4", "20", "1000"});
    ASSERT_EQ(r.exit_status, 0) << r.err;
    EXPECT_EQ(field(r.out, "status"), 0.0);
    EXPECT_NEAR(field(r.out, "log_lower"), -197.51698829421133, 1e-10);
    EXPECT_EQ(field(r.out, "small_lower_tail"), 1.0);

    // Central: the tail flag is left alone; ln P(F <= 1; 3, 3) = ln 0.5.
    r = run_eval({"ncf_log_probs", "1", "3", "3", "0", "1"});
    EXPECT_NEAR(field(r.out, "log_lower"), -0.69314718055994531, 1e-14);
    EXPECT_NE(r.out.find("log_density nan\nsmall_lower_tail nan\n"), std::string::npos) << r.out;

    // A tolerance as sixth argument.
    r = run_eval({"ncf_log_probs", "2", "3", "10", "5", "1", "1e-10"});
    EXPECT_NEAR(field(r.out, "log_lower"), -0.92607322761118982, 1e-9);
}

TEST(CliLibraryB, ArgumentCountsAndList)
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
