// kelbrant fnonct --csv: the header, malformed rows, missing values and line
// endings; input from a file or standard input; the stream under hostile
// input and on several threads: every input line gives its row (or is a
// blank line), in input order, and the stream written is the same bit for
// bit whatever the number of threads.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/run_cli.h"

namespace {

// Output rows, header included.
std::vector<std::string> lines_of(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        lines.push_back(text.substr(start, end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return lines;
}

std::string status_of(const std::string& row) { return row.substr(row.rfind(',') + 1); }

}  // namespace

TEST(CliCsvHostile, EveryLineKeepsItsRowAndItsMessage)
{
    // One line per case; the comment gives the status its row must have.
    // Blanks around a field are passed through as they stand.
    const std::string digits(1000, '5');
    const std::string input = std::string("x,df1,df2,p\n")
        + std::string("2,3\0,10,0.5\n", 12)              // 1 error: a NUL byte in a field
        + "2,3,10,0.5\n"                                  // 2 ok: right after it, not swallowed
        + "2,3,10,0." + digits + "\n"                     // 3 ok: a 1002-character field
        + std::string(1024 - 10, ' ') + "2,3,10,0.5\n"    // 4 ok: blanks before x
        + std::string(1024 - 9, ' ') + "2,3,10,0.5\n"     // 5 ok: past the old line limit
        + std::string(1024 - 10, ' ') + "2,3,10,0.5\r\n"  // 6 ok: at the limit, CR not counted
        + "1e999,3,10,0.5\n"                              // 7 error: beyond the double range
        + ",,,\n"                                         // 8 missing: four empty fields
        + "2,3,10,0.5,\n"                                 // 9 error: a fifth, empty field
        + "\t2\t, 3 ,10,0.5 \r\n"                          // 10 ok: blanks and tabs around
        + "\r\n"                                          // (blank line, no row)
        + "2,3,10,0.5";                                   // 11 ok: no final newline
    const std::vector<std::string> statuses = {"error", "ok",      "ok",    "ok", "ok", "ok",
                                               "error", "missing", "error", "ok", "ok"};
    ASSERT_NE(input.find('\0'), std::string::npos);

    const cli_run r = run_cli({"fnonct", "--threads", "2", "--csv"}, input);
    EXPECT_EQ(r.exit_status, 1);
    const std::vector<std::string> rows = lines_of(r.out);
    ASSERT_EQ(rows.size(), statuses.size() + 1) << r.out;
    for (size_t i = 0; i < statuses.size(); ++i)
        EXPECT_EQ(status_of(rows[i + 1]), statuses[i]) << "row " << i + 1 << ": " << rows[i + 1];
    // The messages name the physical line (the header is line 1).
    EXPECT_TRUE(contains(r.err, "line 2: df1 is not a number: '3?'")) << r.err;
    EXPECT_TRUE(contains(r.err, "line 8: x = 1e999 is beyond the range of a double")) << r.err;
    EXPECT_TRUE(contains(r.err, "line 10: expected 4 fields, found 5")) << r.err;
    EXPECT_EQ(lines_of(r.err).size(), 3u) << r.err;
}

TEST(CliCsvThreads, SameStreamWhateverTheThreadCount)
{
    // Several blocks of rows that alternate between every outcome, with
    // malformed and blank lines between them.
    const char* kinds[] = {"2,3,10,0.5",   "1.5,2,20,0.1", "0.5,3,10,0.9", "-1,3,10,0.5",
                           ".,3,10,0.5",   "2,3",          "10,4,30,0.05", "2,x,10,0.5",
                           "999,10,10,0.5", "",            "1e-300,1e-300,1e300,0.5"};
    std::string input = "x,df1,df2,p\n";
    size_t row_count = 0;
    for (int i = 0; i < 3000; ++i) {
        const std::string line = kinds[i % 11];
        input += line + (i % 7 == 0 ? "\r\n" : "\n");
        row_count += line.empty() ? 0 : 1;
    }

    const cli_run one = run_cli({"fnonct", "--threads", "1", "--csv"}, input);
    EXPECT_EQ(one.exit_status, 1);
    EXPECT_EQ(lines_of(one.out).size(), 1 + row_count);
    for (const char* threads : {"2", "3", "8"}) {
        const cli_run many = run_cli({"fnonct", "--threads", threads, "--csv"}, input);
        EXPECT_EQ(many.exit_status, one.exit_status) << threads << " threads";
        EXPECT_TRUE(many.out == one.out) << threads << " threads: the stream differs";
        EXPECT_TRUE(many.err == one.err) << threads << " threads: the messages differ";
    }
}

TEST(CliCsvThreads, ThreadCountMustBeAWholeNumberAndGoWithCsv)
{
    const std::vector<std::vector<std::string>> wrong = {
        {"fnonct", "--threads", "0", "--csv"},  {"fnonct", "--threads", "x", "--csv"},
        {"fnonct", "--threads", "2.5", "--csv"}, {"fnonct", "--threads", "257", "--csv"},
        {"fnonct", "--csv", "--threads"},        {"fnonct", "--threads", "2", "2", "3", "10", "0.5"},
    };
    for (const auto& args : wrong) {
        const cli_run r = run_cli(args, "2,3,10,0.5\n");
        EXPECT_EQ(r.exit_status, 2) << args[1] << " " << args[2];
        EXPECT_TRUE(contains(r.err, "--threads")) << r.err;
        EXPECT_EQ(r.out, "");
    }
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
        " 1.5 , 2 ,20,0.1,7.88582,ok",
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
    EXPECT_TRUE(contains(r.err, "line 5: expected 4 fields, found 2")) << r.err;
    EXPECT_TRUE(contains(r.err, "line 6: df1 is not a number: 'abc'")) << r.err;
    EXPECT_TRUE(contains(r.err, "line 11: expected 4 fields, found 5")) << r.err;
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

TEST(CliFnonctCsv, LinesOfAnyLengthAreRows)
{
    // p written with 100,000 digits is still 0.5; a 200 kB text column
    // passes through unchanged; a 2 MB line exceeds a whole block's budget.
    const std::string long_p = "0.5" + std::string(100000, '0');
    const std::string note(200000, 'n');
    const std::string huge_note(2 << 20, 'h');
    const std::string input = "x,df1,df2,p,note\n"
                              "2,3,10," + long_p + ",short\n"
                              "2,3,10,0.5," + note + "\n"
                              "2,3,10,0.5," + huge_note + "\n"
                              "0.5,3,10,0.9,after\n";
    const cli_run r = run_cli({"fnonct", "--csv", "--columns", "x,df1,df2,p"}, input);
    EXPECT_EQ(r.exit_status, 0) << r.err;
    const std::string lambda = ",3.5590979605138";
    EXPECT_TRUE(contains(r.out, "\n2,3,10," + long_p + ",short" + lambda)) << r.out.substr(0, 200);
    EXPECT_TRUE(contains(r.out, "\n2,3,10,0.5," + note + lambda));
    EXPECT_TRUE(contains(r.out, "\n2,3,10,0.5," + huge_note + lambda));
    EXPECT_TRUE(contains(r.out, "\n0.5,3,10,0.9,after,,no-solution\n"));
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
