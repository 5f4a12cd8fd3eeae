// kelbrant ci and kelbrant power: the README's worked examples as the
// commands print them, the batch rules of ci --csv, and the outcomes of
// requests without an answer.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/run_cli.h"

namespace {

// The output the README shows under "    $ scripts/kelbrant ARGS": its
// indented lines up to the next blank line, each without the indent.
std::string readme_output(const std::string& args)
{
    std::ifstream in(std::string(KELBRANT_SOURCE_DIR) + "/README.md");
    std::string line, out;
    const std::string command = "    $ scripts/kelbrant " + args;
    bool inside = false;
    while (std::getline(in, line)) {
        if (!inside) {
            inside = line == command;
            continue;
        }
        if (line.rfind("    ", 0) != 0 || line.rfind("    $", 0) == 0)
            break;
        out += line.substr(4) + "\n";
    }
    return out;
}

std::vector<std::string> split_words(const std::string& args)
{
    std::istringstream in(args);
    std::vector<std::string> words;
    for (std::string w; in >> w;)
        words.push_back(w);
    return words;
}

}  // namespace

// Each worked example of "Intervals and power", run as printed.
TEST(CliDesign, ReadmeExamples)
{
    const char* const examples[] = {
        "ci 4.2 3 40 --n 44",
        "power --groups 4 --f 0.25 --alpha 0.05 --power 0.8",
    };
    for (const char* args : examples) {
        const std::string want = readme_output(args);
        ASSERT_FALSE(want.empty()) << "README shows no output for " << args;
        cli_run run = run_cli(split_words(args));
        EXPECT_EQ(run.exit_status, 0) << args;
        EXPECT_EQ(run.out, want) << args;
    }
}

// Interval forms: lower limit 0 where its equation has no root, one-sided
// bounds, --level and the equals form of options; the failures.
TEST(CliDesign, IntervalForms)
{
    cli_run run = run_cli({"ci", "2", "3", "10"});
    EXPECT_EQ(run.exit_status, 0);
    EXPECT_EQ(run.out.rfind("lambda 0 18.8852068114522", 0), 0u) << run.out;

    run = run_cli({"ci", "4.2", "3", "40", "--alternative=greater", "--level", "0.9", "--n", "44"});
    EXPECT_EQ(run.exit_status, 0);
    EXPECT_NE(run.out.find("lambda 2.98803221383"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("eta2 0.06"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(" inf\n"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("eta2 0.0635"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find(" 1\n"), std::string::npos) << run.out;

    struct failing {
        std::vector<std::string> args;
        int status;
        const char* message;
    };
    const failing cases[] = {
        {{"ci", "-1", "3", "40"}, 1, "F = -1 is out of its domain F >= 0"},
        {{"ci", ".", "3", "40"}, 1, "missing value for F"},
        {{"ci", "4.2", "3", "40", "--n", "0"}, 1, "N = 0 is out of its domain N > 0"},
        {{"ci", "4.2", "3", "40", "--level", "1.5"}, 1, "--level = 1.5 is out of its domain"},
        {{"ci", "4.2", "3"}, 2, "ci takes F DF1 DF2"},
        {{"ci", "4.2", "3", "40", "--alternative", "both"}, 2, "two-sided, less or greater"},
        {{"ci", "x", "3", "40"}, 2, "F is not a number: 'x'"},
    };
    for (const failing& c : cases) {
        run = run_cli(c.args);
        EXPECT_EQ(run.exit_status, c.status) << c.args[1];
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
}

// ci --csv: header dropped, blank lines skipped, one output row per row in
// order with its status, malformed rows reported with their line.
TEST(CliDesign, IntervalCsvRows)
{
    cli_run run = run_cli({"ci", "--csv"},
                          "F,df1,df2,n\n4.2,3,40,44\n\n2,3,10\n,3,10\nx,3,10\n1,2\n-1,3,10\n");
    EXPECT_EQ(run.exit_status, 1);
    const std::string want =
        "F,df1,df2,n,lambda_lower,lambda_upper,f2_lower,f2_upper,eta2_lower,eta2_upper,status\n"
        "4.2,3,40,44,0.69036155904723051,29.343036676276299,0.015690035432891603,"
        "0.66688719718809775,0.015447661083141806,0.40007938048422342,ok\n"
        "2,3,10,,0,18.885206811452253,,,,,ok\n"
        ",3,10,,,,,,,,missing\n"
        "x,3,10,,,,,,,,error\n"
        "1,2,,,,,,,,,error\n"
        "-1,3,10,,,,,,,,invalid\n";
    EXPECT_EQ(run.out, want);
    EXPECT_NE(run.err.find("line 6: F is not a number: 'x'"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("line 7: expected 3 or 4 fields F,df1,df2[,n], found 2"),
              std::string::npos)
        << run.err;
}

// power: each unknown in turn, and the requests without an answer.
TEST(CliDesign, PowerSolvesEachUnknown)
{
    cli_run run = run_cli({"power", "--df1", "3", "--f2", "0.15", "--alpha", "0.05", "--power",
                           "0.8"});
    EXPECT_EQ(run.exit_status, 0);
    EXPECT_NE(run.out.find("v 73\n"), std::string::npos) << run.out;

    run = run_cli({"power", "--df1", "3", "--df2", "73", "--f2", "0.15", "--alpha", "0.05"});
    EXPECT_EQ(run.exit_status, 0);
    EXPECT_NE(run.out.find("power 0.8017655209"), std::string::npos) << run.out;

    run = run_cli({"power", "--groups", "4", "--n-per-group", "20", "--alpha", "0.05", "--power",
                   "0.8"});
    EXPECT_EQ(run.exit_status, 0);
    EXPECT_NE(run.out.find("f 0.378797"), std::string::npos) << run.out;

    struct failing {
        std::vector<std::string> args;
        int status;
        const char* message;
    };
    const failing cases[] = {
        {{"power", "--df1", "3", "--df2", "10", "--alpha", "0.05", "--power", "0.04"}, 1,
         "power 0.04 is not above alpha 0.05"},
        {{"power", "--df1", "3", "--f2", "0", "--alpha", "0.05", "--power", "0.8"}, 1,
         "no whole v up to 2147483647 reaches power 0.8"},
        {{"power", "--df1", "3", "--f2", "0.15", "--alpha", "0.05"}, 2, "all but one of"},
        {{"power", "--df1", "3", "--f", "0.25", "--alpha", "0.05", "--power", "0.8"}, 2,
         "--df1 with"},
        {{"power", "--df1", "3", "--df2", "x", "--alpha", "0.05", "--power", "0.8"}, 2,
         "--df2 takes a number"},
    };
    for (const failing& c : cases) {
        run = run_cli(c.args);
        EXPECT_EQ(run.exit_status, c.status) << c.message;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }
}
