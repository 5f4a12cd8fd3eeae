// kelbrant fnonct --csv [FILE]: FNONCT for every row of a CSV stream.
//
// Input: rows "x,df1,df2,p" (FILE, or stdin when FILE is absent or "-").  The
// first non-blank line is a header, and is dropped, when its first field is
// not a number or a missing value.  Blank lines are not rows and are passed
// over; line numbers in messages count every physical line.  LF and CRLF
// endings both work, and the last line needs none.
//
// Output (stdout): the header "x,df1,df2,p,lambda,status", then exactly one
// row per input row, in input order: the four fields as given (blanks
// trimmed), lambda with %.17g (empty unless the status is ok), and the status:
//
//   ok           lambda found
//   missing      an argument is missing (".", nan, inf, or an empty field)
//   invalid      an argument is out of its domain
//   no-solution  no noncentrality parameter gives p at x
//   error        a malformed row: wrong field count, a field that is not a
//                number, a line over the length limit (its fields empty then)
//
// Every error row also gets a message on stderr naming its line, and the
// exit status is then 1; otherwise 0.
//
// The stream is handled a block of rows at a time: read a block, evaluate
// it, write it.  The rows of a block are independent of one another, so the
// evaluation step may spread them over threads; the writing step keeps the
// input order.  Memory is one block and one line buffer, whatever the input.

#include <cstdio>
#include <cstring>
#include <vector>

#include "cli/cli.h"
#include "cli/csv_lines.h"

namespace {

constexpr int csv_block_rows = 256;

struct csv_row {
    long line;
    outcome_id parse;  // outcome_ok, or why the row is malformed
    int field_count;
    int bad_field;     // for outcome_not_a_number
    char text[csv_line_buffer];          // the line, fields NUL-separated and trimmed
    const char* field[host_argument_count];
    double value[host_argument_count];
    bool missing[host_argument_count];
    host_evaluation evaluation;
};

bool is_blank_line(const char* text)
{
    for (; *text != '\0'; ++text)
        if (*text != ' ' && *text != '\t')
            return false;
    return true;
}

// Split row->text at commas in place, trimming blanks; read the numbers.
void parse_row(csv_row* row)
{
    char* fields[host_argument_count + 1];
    int count = 0;
    char* start = row->text;
    for (;;) {
        char* comma = std::strchr(start, ',');
        if (count <= host_argument_count)
            fields[count] = start;
        ++count;
        if (comma == nullptr)
            break;
        *comma = '\0';
        start = comma + 1;
    }
    row->field_count = count;
    if (count != host_argument_count) {
        row->parse = outcome_wrong_field_count;
        return;
    }
    row->parse = outcome_ok;
    for (int i = 0; i < host_argument_count; ++i) {
        char* f = fields[i];
        while (*f == ' ' || *f == '\t')
            ++f;
        size_t n = std::strlen(f);
        while (n > 0 && (f[n - 1] == ' ' || f[n - 1] == '\t'))
            f[--n] = '\0';
        row->field[i] = f;
        const value_kind kind = parse_value(f, n, &row->value[i]);
        row->missing[i] = kind == value_missing;
        if (kind == value_invalid && row->parse == outcome_ok) {
            row->parse = outcome_not_a_number;
            row->bad_field = i;
        }
    }
}

bool is_header(const char* line)
{
    const char* comma = std::strchr(line, ',');
    const size_t n = comma != nullptr ? static_cast<size_t>(comma - line) : std::strlen(line);
    double ignored;
    return parse_value(line, n, &ignored) == value_invalid;
}

// Fill up to csv_block_rows rows; the number read, 0 at the end of input.
int read_block(csv_line_reader* reader, csv_row* rows, bool* before_first_line)
{
    int n = 0;
    while (n < csv_block_rows) {
        csv_row* row = &rows[n];
        size_t length;
        const csv_line_kind kind = csv_read_line(reader, row->text, &length);
        if (kind == csv_line_end)
            break;
        if (kind == csv_line_text && is_blank_line(row->text))
            continue;
        const bool first = *before_first_line;
        *before_first_line = false;
        if (kind == csv_line_text && first && is_header(row->text))
            continue;
        row->line = reader->line;
        if (kind == csv_line_too_long) {
            row->parse = outcome_line_too_long;
            row->field_count = 0;
        } else {
            parse_row(row);
        }
        ++n;
    }
    return n;
}

// Evaluate the well-formed rows.  Each row is independent of the others.
void evaluate_block(const host_module* module, csv_row* rows, int count)
{
    for (int i = 0; i < count; ++i)
        if (rows[i].parse == outcome_ok)
            host_evaluate(module, rows[i].value, &rows[i].evaluation);
}

// Write the block in input order; true when any row is an error row.
bool write_block(const csv_row* rows, int count)
{
    bool any_error = false;
    for (int i = 0; i < count; ++i) {
        const csv_row& row = rows[i];
        message_fields fields{};
        fields.line = row.line;
        char scratch[256];
        char detail[64];
        outcome_id id = row.parse;
        if (id == outcome_ok) {
            id = describe_evaluation(&row.evaluation, row.field, row.missing, &fields, scratch,
                                     sizeof scratch);
        } else if (id == outcome_wrong_field_count) {
            std::snprintf(detail, sizeof detail, "%d", row.field_count);
            fields.detail = detail;
        } else if (id == outcome_not_a_number) {
            fields.argument = fnonct_argument_names[row.bad_field];
            fields.value = row.field[row.bad_field];
        } else if (id == outcome_line_too_long) {
            std::snprintf(detail, sizeof detail, "%zu", csv_line_limit);
            fields.detail = detail;
        }

        const bool echo = row.parse == outcome_ok || row.parse == outcome_not_a_number;
        for (int k = 0; k < host_argument_count; ++k)
            std::printf("%s,", echo ? row.field[k] : "");
        if (id == outcome_ok) {
            double lambda;
            std::memcpy(&lambda, &row.evaluation.result_bits, sizeof lambda);
            print_number(stdout, lambda);
        }
        std::printf(",%s\n", outcome_word(id));

        if (outcome_is_error(id)) {
            any_error = true;
            char reason[512];
            format_reason(id, &fields, reason, sizeof reason);
            std::fprintf(stderr, "kelbrant: %s\n", reason);
        }
    }
    return any_error;
}

}  // namespace

int fnonct_csv(const host_module* module, const char* path)
{
    const bool from_stdin = path == nullptr || std::strcmp(path, "-") == 0;
    std::FILE* in = from_stdin ? stdin : std::fopen(path, "rb");
    if (in == nullptr) {
        std::fprintf(stderr, "kelbrant: cannot open %s\n", path);
        return exit_setup;
    }

    std::vector<csv_row> rows(csv_block_rows);
    csv_line_reader reader{in, 0};
    bool before_first_line = true;
    bool any_error = false;
    std::printf("x,df1,df2,p,lambda,status\n");
    for (;;) {
        const int count = read_block(&reader, rows.data(), &before_first_line);
        if (count == 0)
            break;
        evaluate_block(module, rows.data(), count);
        any_error |= write_block(rows.data(), count);
    }
    const bool read_failed = std::ferror(in) != 0;
    if (!from_stdin)
        std::fclose(in);
    if (read_failed) {
        std::fprintf(stderr, "kelbrant: error reading %s\n", from_stdin ? "standard input" : path);
        return exit_failure;
    }
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "kelbrant: error writing the output\n");
        return exit_failure;
    }
    return any_error ? exit_failure : exit_ok;
}
