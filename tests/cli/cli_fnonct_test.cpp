// kelbrant fnonct, run as a separate program: single evaluations with their
// failure messages and exit statuses, usage errors, and the CSV stream.

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

TEST(CliFnonctCsv, HeaderMalformedRowsMissingValuesAndLineEndings)
{
    // CRLF endings, a blank line, a short row, a word where a number belongs,
    // missing values, each failure kind, and no final newline.
    const std::string input =
        "x,df1,df2,p\r\n"
        "2,3,10,0.5\r\n"
        "\r\n"
        " 1.5 , 2 ,20,0.1\n"
        "2,3\n"
        "2,abc,10,0.5\n"
        ".,3,10,0.5\n"
        "2,3,,0.5\n"
        "-1,3,10,0.5\n"
        "0.5,3,10,0.9\n"
        "2,3,10,0.5,7\n"
        "10,4,30,0.05";
    const cli_run r = run_cli({"fnonct", "--csv"}, input);
    EXPECT_EQ(r.exit_status, 1);
    const std::string expected_prefix = "x,df1,df2,p,lambda,status\n2,3,10,0.5,3.55909";
    EXPECT_EQ(r.out.compare(0, expected_prefix.size(), expected_prefix), 0) << r.out;

    // Lambda digits vary with the build only in the last places; compare the
    // rows with lambda cut to its first six digits.
    std::vector<std::string> rows;
    size_t start = 0;
    while (start < r.out.size()) {
        size_t end = r.out.find('\n', start);
        std::string row = r.out.substr(start, end - start);
        const size_t lambda_at = row.find(',', row.find(',', row.find(',', row.find(',') + 1) + 1) + 1);
        if (lambda_at != std::string::npos) {
            const size_t status_at = row.rfind(',');
            if (status_at > lambda_at + 7)
                row = row.substr(0, lambda_at + 8) + row.substr(status_at);
        }
        rows.push_back(row);
        start = end + 1;
    }
    const std::vector<std::string> expected = {
        "x,df1,df2,p,lambda,status",
        "2,3,10,0.5,3.55909,ok",
        "1.5,2,20,0.1,7.88582,ok",
        ",,,,,error",
        "2,abc,10,0.5,,error",
        ".,3,10,0.5,,missing",
        "2,3,,0.5,,missing",
        "-1,3,10,0.5,,invalid",
        "0.5,3,10,0.9,,no-solution",
        ",,,,,error",
        "10,4,30,0.05,67.3592,ok",
    };
    EXPECT_EQ(rows, expected) << r.out;
    EXPECT_TRUE(contains(r.err, "line 5: expected 4 fields x,df1,df2,p, found 2")) << r.err;
    EXPECT_TRUE(contains(r.err, "line 6: df1 is not a number: 'abc'")) << r.err;
    EXPECT_TRUE(contains(r.err, "line 11: expected 4 fields x,df1,df2,p, found 5")) << r.err;
}

TEST(CliFnonctCsv, FileArgumentStdinDashAndNoHeader)
{
    const std::string input = "2,3,10,0.5\n0.5,3,10,0.9\n";
    const std::string path = temporary_file(input);
    const cli_run from_file = run_cli({"fnonct", "--csv", path});
    const cli_run from_dash = run_cli({"fnonct", "--csv", "-"}, input);
    std::remove(path.c_str());
    EXPECT_EQ(from_file.exit_status, 0) << from_file.err;
    EXPECT_EQ(from_file.out, from_dash.out);
    EXPECT_EQ(from_dash.exit_status, 0);
    EXPECT_TRUE(contains(from_file.out, "\n2,3,10,0.5,3.559")) << "the first row is data, not a header";
    EXPECT_TRUE(contains(from_file.out, "\n0.5,3,10,0.9,,no-solution\n"));

    const cli_run missing_file = run_cli({"fnonct", "--csv", "/nonexistent/rows.csv"});
    EXPECT_EQ(missing_file.exit_status, 3);
    EXPECT_TRUE(contains(missing_file.err, "/nonexistent/rows.csv"));
}

TEST(CliFnonctCsv, OverlongLineIsOneErrorRowAndLosesNoOther)
{
    const std::string input = "2,3,10,0.5\n" + std::string(5000, '7') + "\n0.5,3,10,0.9\n";
    const cli_run r = run_cli({"fnonct", "--csv"}, input);
    EXPECT_EQ(r.exit_status, 1);
    EXPECT_TRUE(contains(r.out, "\n,,,,,error\n0.5,3,10,0.9,,no-solution\n")) << r.out;
    EXPECT_TRUE(contains(r.err, "line 2: line longer than")) << r.err;
}

TEST(CliFnonctCsv, EveryRowComesBackInOrderAcrossManyBlocks)
{
    // More rows than one block holds; alternating outcomes show any row lost,
    // doubled or out of order.
    constexpr int row_count = 1000;
    std::string input = "x,df1,df2,p\n";
    for (int i = 0; i < row_count; ++i)
        input += i % 2 == 0 ? "2,3,10,0.5\n" : std::to_string(i) + ",3,10,2\n";
    const cli_run r = run_cli({"fnonct", "--csv"}, input);
    ASSERT_EQ(r.exit_status, 0) << r.err;
    size_t at = r.out.find('\n') + 1;
    for (int i = 0; i < row_count; ++i) {
        const size_t end = r.out.find('\n', at);
        ASSERT_NE(end, std::string::npos) << "row " << i << " missing";
        const std::string row = r.out.substr(at, end - at);
        const std::string want = i % 2 == 0 ? "2,3,10,0.5,3.559" : std::to_string(i) + ",3,10,2,,invalid";
        ASSERT_EQ(row.compare(0, want.size(), want), 0) << "row " << i << ": " << row;
        at = end + 1;
    }
    EXPECT_EQ(at, r.out.size()) << "extra output rows";
}

TEST(CliFnonctCsv, EmptyInputGivesTheHeaderAlone)
{
    const cli_run r = run_cli({"fnonct", "--csv"}, "");
    EXPECT_EQ(r.exit_status, 0);
    EXPECT_EQ(r.out, "x,df1,df2,p,lambda,status\n");
}
