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
        EXPECT_EQ(r.exit_status, 0) << c.args[0] << ": " << r.err;
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

TEST(CliEval, ListColumnsLineUpWhateverTheLongestEntry)
{
    // Each column is as wide as its widest entry, so the arguments, the
    // "->" and the summary start at one column on every row, also past the
    // longest name (inverse_gaussian_cdf) and the longest argument list
    // (ncf_log_probs).
    const cli_run r = run_cli({"eval", "--list"});
    ASSERT_EQ(r.exit_status, 0);
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = r.out.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(r.out.substr(start, end - start));
    ASSERT_FALSE(lines.empty());
    // Arguments: after the name and its padding; outputs: after " -> ";
    // summary: after the first run of two or more spaces that follows the
    // outputs on some row (the row with the widest outputs has none).
    const size_t arguments = lines.front().find_first_not_of(' ', lines.front().find(' '));
    const size_t arrow = lines.front().find(" -> ");
    size_t summary = std::string::npos;
    for (const std::string& line : lines) {
        const size_t gap = line.find("  ", arrow + 4);
        if (gap != std::string::npos) {
            summary = line.find_first_not_of(' ', gap);
            break;
        }
    }
    ASSERT_NE(summary, std::string::npos) << r.out;
    for (const std::string& line : lines) {
        ASSERT_GT(line.size(), summary) << line;
        EXPECT_EQ(line.find_first_not_of(' ', line.find(' ')), arguments) << line;
        EXPECT_EQ(line.find(" -> "), arrow) << line;
        // The summary starts at its column: a space before it, the
        // outputs (single spaces between names) and their padding before that.
        EXPECT_EQ(line[summary - 1], ' ') << line;
        EXPECT_NE(line[summary], ' ') << line;
        std::string outputs = line.substr(arrow + 4, summary - 1 - (arrow + 4));
        outputs.erase(outputs.find_last_not_of(' ') + 1);
        EXPECT_EQ(outputs.find("  "), std::string::npos) << line;
    }
    EXPECT_TRUE(contains(r.out, "inverse_gaussian_cdf x lambda")) << r.out;
    EXPECT_TRUE(contains(r.out, "x n1 n2 lambda [requests [tolerance]] ->")) << r.out;
}
