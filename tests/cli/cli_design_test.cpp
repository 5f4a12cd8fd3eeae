// kelbrant ci and kelbrant power: the documents' worked examples as the
// commands print them, the batch rules of ci --csv, and the outcomes of
// requests without an answer.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/documents.h"
#include "support/run_cli.h"

namespace {

// The output the documents show under "    $ scripts/kelbrant ARGS" (its
// first showing): its indented lines up to the next blank line, each without
// the indent.
std::string documented_output(const std::string& args)
{
    std::istringstream in(all_documents());
    std::string line, out;
    const std::string command = "    $ scripts/kelbrant " + args;
    bool inside = false;
    while (std::getline(in, line)) {
        if (!inside) {
            inside = line == command;
            continue;
        }
        if (line.rfind("    ", 0) != 0 || line.rfind("    $", 0) == 0)
            return out;
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

// The worked examples of ci and power, run as printed.
TEST(CliDesign, DocumentedExamples)
{
    const char* const examples[] = {
        "ci 4.2 3 40 --n 44",
        "power --groups 4 --f 0.25 --alpha 0.05 --power 0.8",
    };
    for (const char* args : examples) {
        const std::string want = documented_output(args);
        ASSERT_FALSE(want.empty()) << "the documents show no output for " << args;
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
        "4.2,3,40,44,0.69036155904722663,29.343036676276306,0.015690035432891516,"
        "0.66688719718809786,0.015447661083141722,0.40007938048422342,ok\n"
        "2,3,10,,0,18.885206811452257,,,,,ok\n"
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

namespace {

// The rows of a CSV text, each split at commas.
std::vector<std::vector<std::string>> csv_rows(const std::string& text)
{
    std::vector<std::vector<std::string>> rows;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> fields;
        std::istringstream cells(line);
        for (std::string cell; std::getline(cells, cell, ',');)
            fields.push_back(cell);
        if (!line.empty() && line.back() == ',')
            fields.push_back("");
        rows.push_back(fields);
    }
    return rows;
}

// The column named `name` of a table's rows after its header, as numbers.
std::vector<double> csv_column(const std::vector<std::vector<std::string>>& rows,
                               const std::string& name)
{
    std::vector<double> column;
    size_t at = 0;
    while (at < rows[0].size() && rows[0][at] != name)
        ++at;
    for (size_t i = 1; i < rows.size(); ++i)
        column.push_back(at < rows[i].size() ? std::strtod(rows[i][at].c_str(), nullptr) : NAN);
    return column;
}

}  // namespace

// power --curve and --curve-effect: the power at each point against the
// mpmath powers of tests/data/power.inc (the smallest sizes of two designs
// and the size one below), each row the design's own power, the same
// whichever quantity the curve runs over.
TEST(CliDesign, PowerCurvesAgainstMpmath)
{
    struct curve_case {
        std::vector<std::string> args;
        const char* header;
        const char* swept;
        std::vector<double> points;
        std::vector<double> power;  // mpmath, power.inc
    };
    const curve_case cases[] = {
        {{"power", "--groups", "4", "--f", "0.25", "--curve", "44:45"},
         "groups,n_per_group,f,lambda,alpha,power,status",
         "n_per_group",
         {44, 45},
         {0.7939151029057581, 0.8039869128651758}},
        {{"power", "--groups", "4", "--n-per-group", "45", "--alpha", "0.05", "--curve-effect",
          "0.25:0.25"},
         "groups,n_per_group,f,lambda,alpha,power,status",
         "f",
         {0.25},
         {0.8039869128651758}},
        {{"power", "--df1", "3", "--f2", "0.35", "--alpha", "0.01", "--curve", "46:47"},
         "u,v,f2,lambda,alpha,power,status",
         "v",
         {46, 47},
         {0.7996722414023546, 0.8114185679579692}},
    };
    for (const curve_case& c : cases) {
        const cli_run run = run_cli(c.args);
        EXPECT_EQ(run.exit_status, 0) << c.args.back() << run.err;
        const auto rows = csv_rows(run.out);
        ASSERT_EQ(rows.size(), c.points.size() + 1) << run.out;
        std::string header;
        for (const std::string& h : rows[0])
            header += (header.empty() ? "" : ",") + h;
        EXPECT_EQ(header, c.header);
        EXPECT_EQ(csv_column(rows, c.swept), c.points) << run.out;
        const std::vector<double> power = csv_column(rows, "power");
        for (size_t i = 0; i < power.size(); ++i) {
            EXPECT_NEAR(power[i], c.power[i], 1e-13 * c.power[i]) << run.out;
            EXPECT_EQ(rows[i + 1].back(), "ok");
        }
    }
    // A point's row is what `power` prints for that design alone.
    const cli_run one = run_cli({"power", "--groups", "4", "--n-per-group", "45", "--f", "0.25",
                                 "--alpha", "0.05"});
    const cli_run curve = run_cli({"power", "--groups", "4", "--f", "0.25", "--curve", "45:45"});
    EXPECT_NE(one.out.find("power " + csv_rows(curve.out)[1][5] + "\n"), std::string::npos)
        << one.out << curve.out;
}

// The points of a range: the doubles nearest the decimals START + i STEP
// while they do not pass STOP, STEP 1 for sizes and a twentieth of the
// range for effect sizes unless given; in exponent notation, a STOP the
// steps reach up to their rounding is a point.
TEST(CliDesign, PowerCurvePoints)
{
    struct points_case {
        const char* option;
        const char* range;
        std::vector<double> points;
    };
    std::vector<double> twentieths;
    for (int i = 0; i <= 20; ++i)
        twentieths.push_back(i / 20.0);
    const points_case cases[] = {
        {"--curve-effect", "0.1:0.5:0.1", {0.1, 0.2, 0.3, 0.4, 0.5}},
        {"--curve-effect", "0:1", twentieths},
        {"--curve-effect", "0.05:0.3:0.1", {0.05, 0.15, 0.25}},
        {"--curve-effect", "1e-1:7e-1:1e-1", {0.1, 0.2, 0.1 + 2 * 0.1, 0.4, 0.5, 0.1 + 5 * 0.1, 0.7}},
        {"--curve", "10:20:3", {10, 13, 16, 19}},
        {"--curve", "5:8", {5, 6, 7, 8}},
        {"--curve", "7:7", {7}},
    };
    for (const points_case& c : cases) {
        const bool sizes = std::string(c.option) == "--curve";
        std::vector<std::string> args = {"power", "--groups", "3", c.option, c.range};
        args.insert(args.begin() + 3, {sizes ? "--f" : "--n-per-group", sizes ? "0.25" : "20"});
        const cli_run run = run_cli(args);
        EXPECT_EQ(run.exit_status, 0) << c.range << run.err;
        EXPECT_EQ(csv_column(csv_rows(run.out), sizes ? "n_per_group" : "f"), c.points)
            << c.range << "\n" << run.out;
    }
}

// Points out of the design's domain get their row, marked invalid, with a
// message; requests that are not curves are usage errors.
TEST(CliDesign, PowerCurveFailures)
{
    cli_run run = run_cli({"power", "--groups", "4", "--f", "0.25", "--curve", "1:2"});
    EXPECT_EQ(run.exit_status, 1);
    EXPECT_EQ(run.out,
              "groups,n_per_group,f,lambda,alpha,power,status\n"
              "4,1,0.25,,0.050000000000000003,,invalid\n"
              "4,2,0.25,0.5,0.050000000000000003,0.063685220497315495,ok\n");
    EXPECT_NE(run.err.find("n_per_group = 1 puts the design out of its domain"), std::string::npos)
        << run.err;

    struct failing {
        std::vector<std::string> extra;
        const char* message;
    };
    const failing cases[] = {
        {{"--f", "0.25", "--curve", "2:9", "--curve-effect", "0:1"}, "not both"},
        {{"--f", "0.25", "--power", "0.8", "--curve", "2:9"}, "leave out --power"},
        {{"--f", "0.25", "--n-per-group", "5", "--curve", "2:9"}, "leave out --n-per-group"},
        {{"--n-per-group", "5", "--f", "0.25", "--curve-effect", "0:1"}, "leave out --f"},
        {{"--curve", "2:9"}, "give --groups and --f"},
        {{"--f", "0.25", "--curve", "9:2"}, "STOP must not be below START"},
        {{"--f", "0.25", "--curve", "2:9:0"}, "STEP must be above 0"},
        {{"--f", "0.25", "--curve", "2:9:-1"}, "STEP must be above 0"},
        {{"--f", "0.25", "--curve", "2:2000002"}, "at most 1000000 points"},
        {{"--f", "0.25", "--curve", "2"}, "takes START:STOP[:STEP], not '2'"},
        {{"--f", "0.25", "--curve", "2:9:1:4"}, "not '2:9:1:4'"},
        {{"--f", "0.25", "--curve", "2:x"}, "not '2:x'"},
        {{"--f", "0.25", "--curve", "2:inf"}, "not '2:inf'"},
        {{"--f", "0.25", "--curve", "2::9"}, "not '2::9'"},
        {{"--f", "0.25", "--curve"}, "--curve needs a value"},
    };
    for (const failing& c : cases) {
        std::vector<std::string> args = {"power", "--groups", "4"};
        args.insert(args.end(), c.extra.begin(), c.extra.end());
        run = run_cli(args);
        EXPECT_EQ(run.exit_status, 2) << c.message;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << c.message << "\n" << run.err;
        EXPECT_EQ(run.out, "") << c.message;
    }
}

// ci chisq: the lines of each effect size, the effect-size package's rows,
// the batch rules of its --csv, and its usage errors; power --chisq-df.
TEST(CliDesign, ChisqIntervals)
{
    cli_run run = run_cli({"ci", "chisq", "208.94", "80", "--n", "500", "--table", "9", "11",
                           "--level", "0.9"});
    EXPECT_EQ(run.exit_status, 0) << run.err;
    EXPECT_EQ(run.out.rfind("lambda 128.94 89.96505630", 0), 0u) << run.out;
    EXPECT_NE(run.out.find("\nw 0.507818865"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\ncramers_v 0.179541081"), std::string::npos) << run.out;

    run = run_cli({"ci", "chisq", "1e5", "10"});
    EXPECT_EQ(run.exit_status, 0);
    EXPECT_EQ(run.out.rfind("lambda 99990 98755.2793280", 0), 0u) << run.out;

    run = run_cli({"ci", "chisq", "50", "10", "--n", "200", "--rmsea", "--rmsea-divisor=n"});
    EXPECT_EQ(run.exit_status, 0);
    EXPECT_NE(run.out.find("\nrmsea 0.1414213562"), std::string::npos) << run.out;

    struct failing {
        std::vector<std::string> args;
        int status;
        const char* message;
    };
    const failing cases[] = {
        {{"ci", "chisq", "-1", "10"}, 1, "X = -1 is out of its domain X >= 0"},
        {{"ci", "chisq", "10", "10", "--n", "1", "--rmsea"}, 1, "N = 1 is out of its domain"},
        {{"ci", "chisq", "10", "10", "--n", "50", "--table", "2.5", "3"}, 1,
         "R = 2.5 is out of its domain"},
        {{"ci", "chisq", "10", "10", "--rmsea"}, 2, "--rmsea and --table need --n N"},
        {{"ci", "chisq", "10"}, 2, "ci chisq takes X DF"},
        {{"ci", "chisq", "10", "3", "--n", "50", "--rmsea", "--table", "2", "3"}, 2,
         "--rmsea or --table, not both"},
        {{"ci", "chisq", "10", "3", "--rmsea-divisor", "m"}, 2, "takes n-1 or n"},
    };
    for (const failing& c : cases) {
        run = run_cli(c.args);
        EXPECT_EQ(run.exit_status, c.status) << c.message;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
    }

    run = run_cli({"ci", "chisq", "--csv"}, "chi2,df,n\n1e5,10\n\n208.94,80,500\nx,1\n3,-1,\n1,2,3,4\n");
    EXPECT_EQ(run.exit_status, 1);
    const std::string header =
        "chi2,df,n,rows,cols,lambda_estimate,lambda_lower,lambda_upper,rmsea_estimate,"
        "rmsea_lower,rmsea_upper,w_estimate,w_lower,w_upper,v_estimate,v_lower,v_upper,status\n";
    ASSERT_EQ(run.out.rfind(header, 0), 0u) << run.out;
    const std::vector<std::string> rows = split_words(run.out.substr(header.size()));
    ASSERT_EQ(rows.size(), 5u) << run.out;
    EXPECT_EQ(rows[0].rfind("1e5,10,,,,99990,98755.2793280", 0), 0u) << rows[0];
    EXPECT_EQ(rows[0].substr(rows[0].size() - 12), ",,,,,,,,,,ok") << rows[0];
    EXPECT_EQ(rows[2], "x,1,,,,,,,,,,,,,,,,error");
    EXPECT_EQ(rows[3], "3,-1,,,,,,,,,,,,,,,,invalid");
    EXPECT_EQ(rows[4], "1,2,3,4,,,,,,,,,,,,,,error");
    for (const std::string& row : rows)
        EXPECT_EQ(std::count(row.begin(), row.end(), ','), 17) << row;
    EXPECT_NE(run.err.find("line 5: chi2 is not a number: 'x'"), std::string::npos) << run.err;

    // ci F keeps its form.
    run = run_cli({"ci", "2", "3", "10"});
    EXPECT_EQ(run.out.rfind("lambda 0 18.8852068114522", 0), 0u) << run.out;
}

TEST(CliDesign, ChisqPower)
{
    cli_run run = run_cli({"power", "--chisq-df", "3", "--w", "0.3", "--alpha", "0.05",
                           "--power", "0.8"});
    EXPECT_EQ(run.exit_status, 0) << run.err;
    EXPECT_NE(run.out.find("\nn 121.13959211"), std::string::npos) << run.out;
    run = run_cli({"power", "--chisq-df", "3", "--w", "0.3", "--n", "100", "--alpha", "0.05"});
    EXPECT_NE(run.out.find("\npower 0.711253599"), std::string::npos) << run.out;
    run = run_cli({"power", "--chisq-df", "3", "--w", "0.3", "--df1", "2", "--alpha", "0.05",
                   "--power", "0.8"});
    EXPECT_EQ(run.exit_status, 2);
}
