// kelbrant eval, run as a separate program: routines of the numeric code on
// the linked copy, their outputs one per line, the math error of pow_real,
// and the list of routines.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/run_cli.h"

TEST(CliEval, RoutinesPrintOneLinePerOutput)
{
    // Values exact in double arithmetic, or fixed by the routine's contract.
    struct eval_case {
        std::vector<std::string> args;
        std::string out;
    };
    const eval_case cases[] = {
        {{"exp_fast", "0"}, "value 1\n"},
        {{"pow_real", "2", "10"}, "value 1024\n"},
        {{"pow_real", "4", "0.5"}, "value 2\n"},
        {{"pow_real", "-2", "3"}, "value -8\n"},
        {{"log_gamma", "-1"}, "value -99\n"},
        {{"log_beta", "0", "1"}, "value 99\n"},
        {{"scale_exponent", "10"}, "mantissa 0.625\nexponent 4\n"},
        {{"scale_exponent", "-0.375"}, "mantissa -0.75\nexponent -1\n"},
        // A shape beyond the 32-bit range: status 1 and both values untouched.
        {{"beta_inc", "0.5", "3e9", "2"}, "status 1\nvalue nan\ndensity nan\n"},
        {{"ncf_cdf", "2", "3", "10", "-1"}, "status 1\nvalue 0\n"},
    };
    for (const eval_case& c : cases) {
        const cli_run r = run_eval(c.args);
        // A status other than 0 is the routine's failure: exit 1.
        EXPECT_EQ(r.exit_status, eval_exit_status(c.out)) << c.args[0] << ": " << r.err;
        EXPECT_EQ(r.out, c.out) << c.args[0];
    }
}

TEST(CliEval, StatusFirstThenValues)
{
    const cli_run r = run_cli({"eval", "fnonct_search", "2", "3", "10", "0.5"});
    ASSERT_EQ(r.exit_status, 0);
    ASSERT_EQ(r.out.compare(0, 15, "status 0\nvalue "), 0) << r.out;
    EXPECT_NEAR(printed_field(r.out, "value"), 3.55910, 5e-6);

    const cli_run central = run_cli({"eval", "ncf_cdf", "2", "3", "10", "0"});
    ASSERT_EQ(central.out.compare(0, 15, "status 0\nvalue "), 0) << central.out;
    EXPECT_NEAR(printed_field(central.out, "value"), 0.821993, 5e-7);
}

TEST(CliEval, PowRealDomainErrorReportsTheRecord)
{
    const cli_run r = run_cli({"eval", "pow_real", "-8", "0.333333333"});
    EXPECT_EQ(r.exit_status, 1);
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(contains(r.err, "pow_real: math error in POW (kind 1): exponent 0.33333333300000001, "
                                "base -8\n"))
        << r.err;
}

TEST(CliEval, ListShowsEveryRoutineWithArgumentsAndOutputs)
{
    const cli_run r = run_cli({"eval", "--list"});
    ASSERT_EQ(r.exit_status, 0);
    const char* names[] = {"exp_fast",   "pow_real",   "log1p_rel",      "log_gamma", "lgamma_corr",
                           "erf_value",  "erfc_value", "normal_cdf",     "log_beta",  "scale_exponent",
                           "beta_inc",   "ncf_cdf",    "fnonct_search"};
    for (const char* name : names)
        EXPECT_TRUE(contains(r.out, std::string(name) + " ")) << name;
    EXPECT_TRUE(contains(r.out, "x a b")) << r.out;
    EXPECT_TRUE(contains(r.out, "status value density")) << r.out;
    EXPECT_TRUE(contains(r.out, "mantissa exponent")) << r.out;
}

TEST(CliEval, ListFitsEightyColumns)
{
    // Each routine starts a line with its name, its arguments and outputs;
    // what it computes follows on lines indented by four, and no line is
    // wider than a terminal.
    const cli_run r = run_cli({"eval", "--list"});
    ASSERT_EQ(r.exit_status, 0);
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = r.out.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(r.out.substr(start, end - start));
    ASSERT_FALSE(lines.empty());
    for (const std::string& line : lines)
        EXPECT_LE(line.size(), 80u) << line;
    EXPECT_TRUE(contains(r.out, "\ninverse_gaussian_cdf x lambda -> value\n    inverse Gaussian"))
        << r.out;
    EXPECT_TRUE(contains(r.out, "\nncf_log_probs x n1 n2 lambda [requests [tolerance]] -> status log_lower\n"
                                "    log_upper log_density small_lower_tail\n    ln P(F' <= x)"))
        << r.out;
}

TEST(CliEval, RoutineHelpSaysWhatItsStatusMeans)
{
    struct help_case {
        const char* routine;
        const char* usage;
        const char* status;
    };
    const help_case cases[] = {
        {"ncf_cdf", "Usage: kelbrant eval ncf_cdf x df1 df2 ncp\n", "\nstatus: 0 success; 1 outside"},
        {"fnonct_solve", "Usage: kelbrant eval fnonct_solve x df1 df2 p\n", "3 no lambda gives p"},
        {"bessel_i", "Usage: kelbrant eval bessel_i z order form\n", "error: 0 success; 1 nu < 0"},
        {"exp_fast", "Usage: kelbrant eval exp_fast x\n", "no status; it always answers"},
    };
    for (const help_case& c : cases) {
        for (const char* help : {"--help", "-h"}) {
            const cli_run r = run_cli({"eval", c.routine, help});
            EXPECT_EQ(r.exit_status, 0) << c.routine;
            EXPECT_EQ(r.out.compare(0, std::string(c.usage).size(), c.usage), 0) << r.out;
            EXPECT_TRUE(contains(r.out, c.status)) << r.out;
            EXPECT_EQ(r.err, "");
        }
    }
    const cli_run general = run_cli({"eval", "--help"});
    EXPECT_EQ(general.exit_status, 0);
    EXPECT_TRUE(contains(general.out, "Usage: kelbrant eval ROUTINE ARG...\n")) << general.out;
    EXPECT_TRUE(contains(general.out, "Exit status:")) << general.out;
}

TEST(CliEval, NegativeNumbersAreArgumentsNotOptions)
{
    // "-8", "-inf" and "-1e-3" are numbers; "--" ends the options before one
    // that starts with two dashes.
    const cli_run r = run_eval({"pow_real", "-2", "3"});
    EXPECT_EQ(r.out, "value -8\n");
    const cli_run infinite = run_eval({"exp_fast", "-inf"});
    EXPECT_EQ(infinite.exit_status, 0) << infinite.err;
    EXPECT_EQ(infinite.out, "value 0\n");
    const cli_run dashes = run_cli({"eval", "--", "exp_fast", "-0"});
    EXPECT_EQ(dashes.out, "value 1\n") << dashes.err;
}

TEST(CliEval, SelectorsOutsideTheirRangeAreRejectedNotCast)
{
    // A selector argument (ncp_interval's alternative, bessel_i's form) that
    // is no small whole number reaches its routine as an invalid one: the
    // conversion of 1e300 to an integer was undefined (found by fuzz_eval).
    for (const char* alternative : {"1e300", "-1e300", "0.5", "3"}) {
        SCOPED_TRACE(alternative);
        const cli_run r = run_eval({"ncp_interval", "4.2", "3", "40", "0.95", alternative});
        EXPECT_EQ(printed_field(r.out, "outcome"), 2.0) << r.out;
        EXPECT_NE(r.exit_status, 0);
    }
    const cli_run two_sided = run_eval({"ncp_interval", "4.2", "3", "40", "0.95", "0"});
    EXPECT_EQ(printed_field(two_sided.out, "outcome"), 0.0) << two_sided.out;
}
