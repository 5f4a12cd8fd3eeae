// Fuzz target: kelbrant fnonct --csv on arbitrary bytes with arbitrary
// options, the whole path in-process (the CSV reader, the header guess, the
// column choice, the evaluations on one or two threads, the writer).
//
// Input: one byte of options, then the table.  Option byte: bits 0-1 the
// separator (',' ';' tab), bit 2 the decimal mark (',' unless that is the
// separator), bits 3-4 the header choice (guess, yes, no), bits 5-6 the
// columns (the default choice, "1,2,3,4", "x,df1,df2,p", "4,3,2,1"), bit 7
// two threads and the missing words "NA" alone.
//
// Promises:
// - it returns, within the fuzzer's time bound, with exit status 0, 1 or 4,
//   or 2 when the columns cannot be chosen (then nothing but the cause);
// - the output ends with a line break;
// - in a table without quotes (a quoted field may hold line breaks), every
//   output line ends with lambda and a status word from the outcome table,
//   and there is one output row per input line that is not blank, besides
//   the header; each row is the input line as it stood (or separators alone
//   for a row with the wrong number of fields), then lambda and the status;
// - memory stays within the fuzzer's limit (-rss_limit_mb).

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "cli/fnonct_csv.h"
#include "fuzz/fuzz_support.h"
#include "host/host.h"

namespace {

// Physical lines, split at LF, CRLF and lone CR; a last line without an
// ending counts when it is not empty.
std::vector<std::string> physical_lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::string line;
    for (size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\n' || c == '\r') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            lines.push_back(line);
            line.clear();
        } else {
            line += c;
        }
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

bool blank(const std::string& line, char separator)
{
    for (const char c : line)
        if (!((c == ' ' || c == '\t') && c != separator))
            return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const uint8_t o = data[0];
    fnonct_csv_options options = default_csv_options;
    const char separators[] = {',', ';', '\t', ','};
    options.separator = separators[o & 3];
    options.decimal = (o & 4) && options.separator != ',' ? ',' : '.';
    const csv_header_choice headers[] = {csv_header_guess, csv_header_yes, csv_header_no,
                                         csv_header_guess};
    options.header = headers[(o >> 3) & 3];
    const char* columns[] = {nullptr, "1,2,3,4", "x,df1,df2,p", "4,3,2,1"};
    options.columns = columns[(o >> 5) & 3];
    options.threads = o & 128 ? 2 : 1;
    options.missing_words = o & 128 ? "NA" : nullptr;

    std::string input(reinterpret_cast<const char*>(data) + 1, size - 1);
    // A byte-order mark is not part of the first line.
    const std::string body = input.compare(0, 3, "\xEF\xBB\xBF") == 0 ? input.substr(3) : input;

    std::FILE* in = input.empty() ? std::fopen("/dev/null", "rb")
                                  : fmemopen(const_cast<char*>(input.data()), input.size(), "rb");
    char* out_text = nullptr;
    size_t out_size = 0;
    std::FILE* out = open_memstream(&out_text, &out_size);
    std::FILE* messages = std::fopen("/dev/null", "w");
    FUZZ_REQUIRE(in != nullptr && out != nullptr && messages != nullptr, "cannot open the streams");
    const int status = fnonct_csv_stream(&fuzz_attached_module(), &options, in, "input", out, messages);
    std::fclose(in);
    std::fclose(out);
    std::fclose(messages);
    const std::string output(out_text, out_size);
    std::free(out_text);

    FUZZ_REQUIRE(status == exit_ok || status == exit_failure || status == exit_usage ||
                     status == exit_search_failed,
                 "exit status %d", status);
    if (status == exit_usage) {
        FUZZ_REQUIRE(output.empty(), "output after a usage error");
        return 0;
    }
    FUZZ_REQUIRE(!output.empty() && output.back() == '\n', "the output does not end a line");

    // A quoted field may hold line breaks; the rest holds for tables
    // without quotes.
    if (body.find('"') != std::string::npos)
        return 0;
    // Every output line ends with lambda and a status word.
    const char sep = options.separator;
    std::vector<std::string> rows;
    for (size_t start = 0; start < output.size();) {
        const size_t end = output.find('\n', start);
        rows.push_back(output.substr(start, end - start));
        start = end + 1;
    }
    for (size_t i = 1; i < rows.size(); ++i) {
        const std::string& row = rows[i];
        const size_t status_at = row.rfind(sep);
        FUZZ_REQUIRE(status_at != std::string::npos && status_at > 0, "row %zu has no status", i);
        const std::string word = row.substr(status_at + 1);
        FUZZ_REQUIRE(word == "ok" || word == "missing" || word == "invalid" || word == "no-solution" ||
                         word == "failed" || word == "error",
                     "row %zu: status '%s'", i, word.c_str());
    }

    // Without quotes, every line that is not blank is a row or the header.
    std::vector<std::string> lines;
    for (const std::string& line : physical_lines(body))
        if (!blank(line, sep))
            lines.push_back(line);
    const size_t data_rows = rows.size() - 1;
    FUZZ_REQUIRE(data_rows == lines.size() || data_rows + 1 == lines.size(),
                 "%zu rows from %zu lines", data_rows, lines.size());
    const size_t skipped = lines.size() - data_rows;  // the header
    if (skipped == 1)
        FUZZ_REQUIRE(rows[0].compare(0, lines[0].size() + 1, lines[0] + sep) == 0,
                     "the header is not the first line");
    for (size_t i = 0; i < data_rows; ++i) {
        const std::string& row = rows[i + 1];
        const size_t status_at = row.rfind(sep);
        const size_t lambda_at = row.rfind(sep, status_at - 1);
        FUZZ_REQUIRE(lambda_at != std::string::npos, "row %zu has no lambda field", i + 1);
        const std::string fields = row.substr(0, lambda_at);
        const bool only_separators = fields.find_first_not_of(sep) == std::string::npos;
        FUZZ_REQUIRE(fields == lines[i + skipped] ||
                         (only_separators && row.compare(status_at + 1, 5, "error") == 0),
                     "row %zu is not its input line", i + 1);
    }
    return 0;
}
