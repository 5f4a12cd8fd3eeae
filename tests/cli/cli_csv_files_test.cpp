// kelbrant fnonct --csv on tables as R, pandas and spreadsheets write them
// (tests/cli/data/csv/, listed with their options in cases.txt), each against
// its expected output, written by tests/reference/gen_cli_csv.py from
// Python's csv module and mpmath; and a round trip: whatever the table
// holds, the output's passed-through columns are the input's.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "cli/csv_reader.h"
#include "support/run_cli.h"

namespace {

const std::string data_folder = std::string(KELBRANT_SOURCE_DIR) + "/tests/cli/data/csv/";

struct csv_case {
    std::string file;
    std::vector<std::string> options;
};

std::string trim(const std::string& s)
{
    const size_t a = s.find_first_not_of(' ');
    return a == std::string::npos ? "" : s.substr(a, s.find_last_not_of(' ') + 1 - a);
}

std::vector<csv_case> read_cases()
{
    std::ifstream in(data_folder + "cases.txt");
    std::vector<csv_case> cases;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        const size_t bar1 = line.find('|'), bar2 = line.find('|', bar1 + 1);
        csv_case c{trim(line.substr(0, bar1)), {}};
        std::istringstream options(line.substr(bar1 + 1, bar2 - bar1 - 1));
        for (std::string word; options >> word;)
            c.options.push_back(word);
        cases.push_back(c);
    }
    return cases;
}

// The separator a case's options name.
char separator_of(const std::vector<std::string>& options)
{
    for (size_t i = 0; i < options.size(); ++i) {
        std::string value;
        if (options[i].compare(0, 6, "--sep=") == 0)
            value = options[i].substr(6);
        else if (options[i] == "--sep" && i + 1 < options.size())
            value = options[i + 1];
        if (!value.empty())
            return value == "\\t" ? '\t' : value[0];
    }
    return ',';
}

const char* const status_words[] = {"ok", "missing", "invalid", "no-solution", "failed", "error"};

// Split the output into its text with every lambda field emptied, and the
// lambdas in order (as numbers, the decimal mark read as '.').  A row ends
// "SEP lambda SEP status".
void split_lambdas(const std::string& out, char sep, std::string* text, std::vector<double>* lambdas)
{
    text->clear();
    size_t start = 0;
    while (start < out.size()) {
        size_t end = out.find('\n', start);
        if (end == std::string::npos)
            end = out.size();
        std::string line = out.substr(start, end - start);
        const size_t status_at = line.rfind(sep);
        const size_t lambda_at = status_at == std::string::npos || status_at == 0
                                     ? std::string::npos
                                     : line.rfind(sep, status_at - 1);
        bool is_row = false;
        if (lambda_at != std::string::npos)
            for (const char* w : status_words)
                is_row |= line.compare(status_at + 1, std::string::npos, w) == 0;
        if (is_row && status_at > lambda_at + 1) {
            std::string lambda = line.substr(lambda_at + 1, status_at - lambda_at - 1);
            for (char& c : lambda)
                if (c == ',')
                    c = '.';
            lambdas->push_back(std::strtod(lambda.c_str(), nullptr));
            line.erase(lambda_at + 1, status_at - lambda_at - 1);
        }
        *text += line + "\n";
        start = end + 1;
    }
}

}  // namespace

TEST(CliCsvFiles, RealWorldTablesGiveTheirExpectedOutput)
{
    const std::vector<csv_case> cases = read_cases();
    ASSERT_FALSE(cases.empty());
    for (const csv_case& c : cases) {
        SCOPED_TRACE(c.file);
        std::vector<std::string> args = {"fnonct", "--threads=1"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        args.push_back("--csv");
        args.push_back(data_folder + c.file);
        const cli_run r = run_cli(args);
        const std::string expected = file_contents(data_folder + c.file + ".expected");
        ASSERT_FALSE(expected.empty());

        const char sep = separator_of(c.options);
        std::string got_text, want_text;
        std::vector<double> got_lambdas, want_lambdas;
        split_lambdas(r.out, sep, &got_text, &got_lambdas);
        split_lambdas(expected, sep, &want_text, &want_lambdas);
        EXPECT_EQ(got_text, want_text);
        ASSERT_EQ(got_lambdas.size(), want_lambdas.size());
        for (size_t i = 0; i < got_lambdas.size(); ++i)
            EXPECT_NEAR(got_lambdas[i], want_lambdas[i], 1e-10 * want_lambdas[i]) << "lambda " << i;

        const bool any_error = contains(expected, std::string(1, sep) + "error\n");
        EXPECT_EQ(r.exit_status, any_error ? 1 : 0) << r.err;
        EXPECT_EQ(r.err.empty(), !any_error) << r.err;
    }
}

TEST(CliCsvFiles, RoundTripKeepsEveryColumnAsItStood)
{
    // Random tables of text and number columns: quoted fields with
    // separators, doubled quotes and line breaks, blanks, missing words,
    // malformed numbers, CR, LF and CRLF endings.  Output record i holds
    // input record i's fields unchanged, then lambda and status.
    std::mt19937 random(20261210);
    const std::vector<std::string> texts = {"plain", "\"a, b\"", "\"say \"\"x\"\"\"", "\"two\nlines\"",
                                            "", " padded ", "\"\"", "NA", "caf\xC3\xA9"};
    const std::vector<std::string> numbers = {"2", "3", "10", "0.5", "1e-3", "NA", "", ".", "\"4,2\"",
                                              "\"7\"", "-1", "x", "0.9", "40"};
    const std::vector<std::string> endings = {"\n", "\r\n", "\r"};
    for (int table = 0; table < 20; ++table) {
        const int width = 5 + static_cast<int>(random() % 3);
        std::vector<std::vector<std::string>> rows;
        std::string input = "id";
        for (int k = 1; k < width; ++k)
            input += ",c" + std::to_string(k);
        input += "\n";
        for (int i = 0; i < 40; ++i) {
            std::vector<std::string> fields;
            for (int k = 0; k < width; ++k) {
                const auto& pool = k >= width - 4 ? numbers : texts;
                fields.push_back(pool[random() % pool.size()]);
            }
            rows.push_back(fields);
            for (int k = 0; k < width; ++k)
                input += (k > 0 ? "," : "") + fields[k];
            input += endings[random() % endings.size()];
        }
        const std::string columns = std::to_string(width - 3) + "," + std::to_string(width - 2) + "," +
                                    std::to_string(width - 1) + "," + std::to_string(width);
        const cli_run r = run_cli({"fnonct", "--csv", "--columns", columns}, input);
        ASSERT_NE(r.exit_status, 2) << r.err;

        std::FILE* f = std::tmpfile();
        std::fwrite(r.out.data(), 1, r.out.size(), f);
        std::rewind(f);
        csv_reader reader;
        csv_reader_init(&reader, f, ',');
        csv_record record;
        ASSERT_TRUE(csv_read_record(&reader, &record));  // the header
        EXPECT_EQ(record.raw.compare(0, 3, "id,"), 0);
        size_t i = 0;
        for (; csv_read_record(&reader, &record); ++i) {
            ASSERT_LT(i, rows.size()) << "more output rows than input rows";
            ASSERT_EQ(record.fields.size(), static_cast<size_t>(width + 2)) << record.raw;
            for (int k = 0; k < width; ++k)
                EXPECT_EQ(std::string(csv_raw(record, k), csv_raw_length(record, k)), rows[i][k])
                    << "table " << table << " row " << i << " column " << k;
        }
        EXPECT_EQ(i, rows.size()) << "table " << table;
        std::fclose(f);
    }
}
