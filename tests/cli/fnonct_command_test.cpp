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
        {{"NA", "3", "10", "0.5"}, "missing value for x\n"},
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

TEST(CliFnonct, UsageErrorsNameTheArgumentAndShowTheUsageOnce)
{
    struct usage_case {
        std::vector<std::string> args;
        std::string message;
    };
    const usage_case cases[] = {
        {{}, "a command is needed"},
        {{"frobnicate"}, "unknown command 'frobnicate'"},
        {{"fnonct"}, "fnonct takes four numbers X DF1 DF2 P"},
        {{"fnonct", "1", "2", "3"}, "fnonct takes four numbers"},
        {{"fnonct", "1", "2", "3", "4", "5"}, "fnonct takes four numbers"},
        {{"fnonct", "2", "3", "ten", "0.5"}, "df2 is not a number: 'ten'"},
        {{"fnonct", "0x10", "3", "10", "0.5"}, "x is not a number: '0x10'"},
        // Beyond the double range: an error, not a missing value.
        {{"fnonct", "1e400", "3", "10", "0.5"}, "x = 1e400 is beyond the range of a double"},
        {{"fnonct", "2", "3", "10", "-1e999"}, "p = -1e999 is beyond the range of a double"},
        {{"fnonct", "--bogus", "2", "3", "10", "0.5"}, "unknown option '--bogus'"},
        {{"fnonct", "--module"}, "option '--module' needs a value"},
        {{"fnonct", "--csv=yes"}, "option '--csv' takes no value"},
        {{"fnonct", "--csv", "a.csv", "b.csv"}, "--csv takes one FILE"},
        {{"fnonct", "--csv", "2", "3", "10", "0.5"}, "--csv takes one FILE"},
        {{"fnonct", "--sep", ";", "2", "3", "10", "0.5"}, "--threads, --columns, --header, --sep, --decimal and --na go with --csv"},
        {{"fnonct", "--csv", "--sep", "|"}, "--sep takes ',', ';' or tab"},
        {{"fnonct", "--csv", "--decimal", "x"}, "--decimal takes '.' or ','"},
        {{"fnonct", "--csv", "--decimal", ","}, "--sep and --decimal must differ"},
        {{"fnonct", "--csv", "--header", "maybe"}, "--header takes yes, no or guess"},
        {{"eval"}, "eval needs a ROUTINE"},
        {{"eval", "no_such_routine", "1"}, "unknown routine 'no_such_routine'"},
        {{"eval", "exp_fast"}, "exp_fast takes the arguments x, not 0 of them"},
        {{"eval", "exp_fast", "1", "2"}, "exp_fast takes the arguments x, not 2 of them"},
        {{"eval", "log_beta", "1", "two"}, "argument 2 of log_beta is not a number: 'two'"},
        {{"eval", "exp_fast", "1e999"}, "argument 1 of exp_fast is beyond the range of a double"},
        {{"eval", "--list", "exp_fast"}, "--list takes no routine"},
    };
    for (const usage_case& c : cases) {
        const cli_run r = run_cli(c.args);
        std::string shown;
        for (const std::string& a : c.args)
            shown += a + " ";
        EXPECT_EQ(r.exit_status, 2) << shown;
        EXPECT_EQ(r.err.compare(0, 10 + c.message.size(), "kelbrant: " + c.message), 0) << shown << "\n" << r.err;
        // The usage once, then where to read more.
        const size_t usage = r.err.find("Usage: kelbrant ");
        EXPECT_NE(usage, std::string::npos) << shown << "\n" << r.err;
        EXPECT_EQ(r.err.find("Usage:", usage + 1), std::string::npos) << shown << "\n" << r.err;
        EXPECT_TRUE(contains(r.err, "--help' for more information.\n")) << r.err;
        EXPECT_EQ(r.out, "") << shown;
    }
}

TEST(CliFnonct, OptionsTakeTheirValueEitherWayAndDashDashEndsThem)
{
    const std::string module = std::string(KELBRANT_BUILD_DIR) + "/kelbrant.so";
    const std::vector<std::string> spellings[] = {
        {"fnonct", "--module=" + module, "2", "3", "10", "0.5"},
        {"fnonct", "--module", module, "--", "2", "3", "10", "0.5"},
        {"fnonct", "2", "3", "10", "0.5", "--module", module},
    };
    for (const auto& args : spellings) {
        const cli_run r = run_cli(args);
        EXPECT_EQ(r.exit_status, 0) << args[1] << r.err;
        EXPECT_EQ(r.out.compare(0, 6, "3.5590"), 0) << r.out;
    }
    // After "--" a negative x is an operand, and out of its domain.
    const cli_run negative = run_cli({"fnonct", "--", "-1", "3", "10", "0.5"});
    EXPECT_EQ(negative.exit_status, 1);
    EXPECT_TRUE(contains(negative.err, "x = -1 is out of its domain")) << negative.err;
}

TEST(CliFnonct, FailedSearchIsToldApartFromNoSolution)
{
    // A root exists (p = 0.99999995 is below the central probability
    // 1 - 1.1e-12) but lies above the search's upper limit of p, so the
    // search does not go there: its own message and exit status 4, not "no
    // noncentrality parameter gives".  p above the central probability: no
    // root, exit 1.
    const cli_run failed = run_cli(fnonct({"1000", "3", "10", "0.99999995"}));
    const cli_run none = run_cli(fnonct({"0.5", "3", "10", "0.9"}));
    EXPECT_EQ(none.exit_status, 1);
    EXPECT_TRUE(contains(none.err, "no noncentrality parameter gives probability 0.9")) << none.err;
    EXPECT_EQ(failed.exit_status, 4) << failed.err;
    EXPECT_EQ(failed.out, ".\n");
    EXPECT_TRUE(contains(failed.err, "the search did not reach the noncentrality parameter that gives "
                                     "probability 0.99999995 at x = 1000 (df1 = 3, df2 = 10)"))
        << failed.err;
}

TEST(CliFnonct, UnloadableModule)
{
    const cli_run r = run_cli({"fnonct", "--module", "/nonexistent/kelbrant.so", "2", "3", "10", "0.5"});
    EXPECT_EQ(r.exit_status, 3);
    EXPECT_TRUE(contains(r.err, "/nonexistent/kelbrant.so")) << r.err;
    EXPECT_EQ(r.out, "");
}
