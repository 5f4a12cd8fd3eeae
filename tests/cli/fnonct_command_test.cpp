// kelbrant fnonct, run as a separate program: single evaluations with their
// failure messages and exit statuses, and usage errors.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "support/run_cli.h"

namespace {

std::vector<std::string> fnonct(std::vector<std::string> numbers)
{
    numbers.insert(numbers.begin(), "fnonct");
    return numbers;
}

}  // namespace

TEST(CliFnonct, PrintsLambda)
{
    const cli_run r = run_cli(fnonct({"2", "3", "10", "0.5"}));
    ASSERT_EQ(r.exit_status, 0) << r.err;
    EXPECT_EQ(r.err, "");
    ASSERT_FALSE(r.out.empty());
    EXPECT_EQ(r.out.back(), '\n');
    EXPECT_NEAR(std::strtod(r.out.c_str(), nullptr), 3.55910, 5e-6);
    // %.17g: seventeen significant digits.
    EXPECT_EQ(r.out.size(), std::string("3.5591000000000000\n").size()) << r.out;
}

TEST(CliFnonct, ScientificNotationAndAnExplicitModule)
{
    const cli_run r = run_cli({"fnonct", "--module", std::string(KELBRANT_BUILD_DIR) + "/kelbrant.so",
                               "1.5e0", "2", "2E1", "1e-1"});
    ASSERT_EQ(r.exit_status, 0) << r.err;
    EXPECT_NEAR(std::strtod(r.out.c_str(), nullptr), 7.88582, 5e-6);
}

TEST(CliFnonct, FailuresPrintTheMissingValueAndAReason)
{
    struct failure {
        std::vector<std::string> numbers;
        std::string reason;
    };
    const failure cases[] = {
        {{".", "3", "10", "0.5"}, "missing value for x\n"},
        {{"2", "3", "nan", "inf"}, "missing value for df2, p\n"},
        {{"2", "-Infinity", "10", "0.5"}, "missing value for df1\n"},
        {{"-1", "0", "10", "0.5"}, "x = -1 is out of its domain x >= 0\n"},
        {{"2", "0", "10", "0.5"}, "df1 = 0 is out of its domain df1 > 0\n"},
        {{"2", "3", "-2", "0.5"}, "df2 = -2 is out of its domain df2 > 0\n"},
        {{"2", "3", "10", "1"}, "p = 1 is out of its domain 0 < p < 1\n"},
        {{"0.5", "3", "10", "0.9"},
         "no noncentrality parameter gives probability 0.9 at x = 0.5 (df1 = 3, df2 = 10)\n"},
        {{"0", "3", "10", "0.5"}, "no noncentrality parameter gives probability 0.5 at x = 0"},
    };
    for (const failure& c : cases) {
        const cli_run r = run_cli(fnonct(c.numbers));
        SCOPED_TRACE(c.reason);
        EXPECT_EQ(r.exit_status, 1);
        EXPECT_EQ(r.out, ".\n");
        EXPECT_TRUE(contains(r.err, c.reason)) << r.err;
        EXPECT_EQ(r.err.find('\n'), r.err.size() - 1) << "one line: " << r.err;
    }
}

TEST(CliFnonct, UsageErrors)
{
    const std::vector<std::string> cases[] = {
        {},
        {"frobnicate"},
        {"fnonct"},
        {"fnonct", "1", "2", "3"},
        {"fnonct", "1", "2", "3", "4", "5"},
        {"fnonct", "2", "3", "ten", "0.5"},
        {"fnonct", "0x10", "3", "10", "0.5"},
        {"fnonct", "--bogus", "2", "3", "10", "0.5"},
        {"fnonct", "--module"},
        {"fnonct", "--csv", "a.csv", "b.csv"},
        {"fnonct", "--csv", "2", "3", "10", "0.5"},
        {"eval"},
        {"eval", "no_such_routine", "1"},
        {"eval", "exp_fast"},
        {"eval", "exp_fast", "1", "2"},
        {"eval", "log_beta", "1", "two"},
    };
    for (const std::vector<std::string>& args : cases) {
        const cli_run r = run_cli(args);
        std::string shown;
        for (const std::string& a : args)
            shown += a + " ";
        EXPECT_EQ(r.exit_status, 2) << shown;
        EXPECT_TRUE(contains(r.err, "usage:")) << shown << "\n" << r.err;
        EXPECT_EQ(r.out, "") << shown;
    }
}

TEST(CliFnonct, UnloadableModule)
{
    const cli_run r = run_cli({"fnonct", "--module", "/nonexistent/kelbrant.so", "2", "3", "10", "0.5"});
    EXPECT_EQ(r.exit_status, 3);
    EXPECT_TRUE(contains(r.err, "/nonexistent/kelbrant.so")) << r.err;
    EXPECT_EQ(r.out, "");
}
