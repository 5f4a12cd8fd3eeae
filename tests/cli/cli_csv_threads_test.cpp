// The CSV stream under hostile input and on several threads: every input
// line gives its row (or is a blank line), in input order, and the stream
// written is the same bit for bit whatever the number of threads.

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
