// kelbrant fnonct --csv [FILE]: FNONCT for every row of a table.
//
// The table is read by the CSV reader (csv_reader.h); kelbrant fnonct
// --help states the rules users see: which first line is a header, which
// columns hold x, df1, df2 and p, what each row's status means.  Each
// output row is the input row's bytes as they stood, then lambda and the
// status, so that the output joins back to the user's table by itself and
// no row is ever lost or shifted: a row the reader cannot use is still
// written, as an error row, in its place.
//
// The stream is handled a block of rows at a time: read a block, evaluate
// it, write it.  The rows of a block are independent of one another, so
// --threads N spreads their evaluations over N threads of our host
// (host/workers.h), and the writing step keeps the input order.  Two blocks
// take turns so that reading and writing overlap the evaluations: while the
// workers evaluate one block, this thread reads the next, then helps finish
// the first, hands the next out and writes the first.  A block ends after
// csv_block_rows rows or csv_block_bytes bytes of input, so memory is two
// blocks whatever the length of the input; a longer row makes a block of
// its own.  When the input is a pipe, a block also ends where the input has
// nothing more at the moment, and the output is flushed after each block:
// a caller that writes rows one at a time reads each answer back at once.

#include "cli/fnonct_csv.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "cli/csv_reader.h"
#include "host/workers.h"

#include <sys/stat.h>  // MinGW has fstat and S_ISREG as well

namespace {

constexpr int csv_block_rows = 256;
constexpr size_t csv_block_bytes = size_t{1} << 20;
// A row's buffers larger than this are released once the row is written,
// so that one long line does not keep its memory for the rest of the input.
constexpr size_t csv_row_keep_bytes = size_t{1} << 16;

struct csv_row {
    csv_record record;
    outcome_id outcome;  // the parse outcome, then the evaluation's
    int bad_field;       // the argument (0 to 3) that is not a number
    double value[host_argument_count];
    bool missing[host_argument_count];
    host_evaluation evaluation;
};

// Where the four arguments are in each row.
struct table_layout {
    size_t width;  // fields per row
    size_t column[host_argument_count];
};

struct batch {
    const host_module* module;
    const fnonct_csv_options* options;
    number_format format;
    csv_reader reader;
    table_layout layout;
    std::FILE* messages;
    bool from_pipe;
    csv_record first;  // the first non-blank record, when it is a row
    bool first_waiting;
};

bool same_name(const char* text, size_t length, const char* name, size_t name_length)
{
    while (length > 0 && (*text == ' ' || *text == '\t')) {
        ++text;
        --length;
    }
    while (length > 0 && (text[length - 1] == ' ' || text[length - 1] == '\t'))
        --length;
    if (length != name_length)
        return false;
    for (size_t i = 0; i < length; ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) !=
            std::tolower(static_cast<unsigned char>(name[i])))
            return false;
    return true;
}

// A header: no field reads as a number and at least one is not a missing
// word (so "x,df1,df2,p" and ",F,df1,df2,p" are headers, "NA,3,40,0.975"
// and "NA,NA,NA,NA" rows).
bool looks_like_header(const csv_record& r, const number_format* format)
{
    if (r.unterminated_quote)
        return false;
    bool any_word = false;
    for (size_t i = 0; i < r.fields.size(); ++i) {
        double ignored;
        const value_kind kind = parse_value(csv_value(r, i), csv_value_length(r, i), format, &ignored);
        if (kind == value_number || kind == value_overflow)
            return false;
        any_word |= kind == value_invalid;
    }
    return any_word;
}

// The header field named `name`, in any case; or -1.
long find_name(const csv_record* header, const char* name, size_t length)
{
    if (header == nullptr)
        return -1;
    for (size_t i = 0; i < header->fields.size(); ++i)
        if (same_name(csv_value(*header, i), csv_value_length(*header, i), name, length))
            return static_cast<long>(i);
    return -1;
}

// Choose the columns; an empty string, or the reason it cannot be done.
std::string choose_columns(const fnonct_csv_options* options, const csv_record* header,
                           size_t first_width, table_layout* layout)
{
    layout->width = header != nullptr ? header->fields.size() : first_width;
    if (options->columns != nullptr) {
        const char* item = options->columns;
        for (int k = 0; k < host_argument_count; ++k) {
            const char* comma = std::strchr(item, ',');
            const size_t n = comma != nullptr ? static_cast<size_t>(comma - item) : std::strlen(item);
            const std::string token(item, n);
            if (k < host_argument_count - 1 && comma == nullptr)
                return "--columns names four columns X,DF1,DF2,P";
            const bool position = n > 0 && token.find_first_not_of("0123456789") == std::string::npos;
            long index = -1;
            if (position) {
                const unsigned long p = std::strtoul(token.c_str(), nullptr, 10);
                if (p < 1 || p > layout->width)
                    return "--columns: there is no column " + token + " in a table of " +
                           std::to_string(layout->width);
                index = static_cast<long>(p - 1);
            } else {
                if (header == nullptr)
                    return "--columns: column names need a header line (or give positions)";
                index = find_name(header, token.data(), token.size());
                if (index < 0)
                    return "--columns: the header has no column named '" + token + "'";
            }
            layout->column[k] = static_cast<size_t>(index);
            item = comma != nullptr ? comma + 1 : item + n;
            if (k == host_argument_count - 1 && comma != nullptr)
                return "--columns names four columns X,DF1,DF2,P";
        }
        return "";
    }
    if (header != nullptr) {
        bool all_named = true;
        for (int k = 0; k < host_argument_count; ++k) {
            const long i = find_name(header, fnonct_argument_names[k], std::strlen(fnonct_argument_names[k]));
            all_named &= i >= 0;
            layout->column[k] = static_cast<size_t>(i);
        }
        if (all_named)
            return "";
        if (layout->width == 5 && csv_value_length(*header, 0) == 0) {
            for (int k = 0; k < host_argument_count; ++k)
                layout->column[k] = static_cast<size_t>(k) + 1;
            return "";
        }
        if (layout->width != host_argument_count)
            return "cannot tell which of the " + std::to_string(layout->width) +
                   " columns hold x, df1, df2 and p: name them with --columns";
    }
    layout->width = host_argument_count;
    for (int k = 0; k < host_argument_count; ++k)
        layout->column[k] = static_cast<size_t>(k);
    return "";
}

void parse_row(const batch* b, csv_row* row)
{
    const csv_record& r = row->record;
    row->outcome = outcome_ok;
    if (r.fields.size() != b->layout.width) {
        row->outcome = outcome_wrong_field_count;
        return;
    }
    for (int k = 0; k < host_argument_count; ++k) {
        const size_t i = b->layout.column[k];
        const value_kind kind = parse_value(csv_value(r, i), csv_value_length(r, i), &b->format, &row->value[k]);
        row->missing[k] = kind == value_missing;
        if ((kind == value_invalid || kind == value_overflow) && row->outcome == outcome_ok) {
            row->outcome = kind == value_invalid ? outcome_not_a_number : outcome_overflow;
            row->bad_field = k;
        }
    }
    if (row->outcome == outcome_ok && r.unterminated_quote)
        row->outcome = outcome_unterminated_quote;
}

// Fill up to csv_block_rows rows; the number read, 0 at the end of input.
int read_block(batch* b, std::vector<csv_row>& rows)
{
    int n = 0;
    size_t bytes = 0;
    while (n < csv_block_rows && bytes < csv_block_bytes) {
        if (n > 0 && b->from_pipe && csv_reader_would_wait(&b->reader))
            break;
        csv_row* row = &rows[n];
        if (b->first_waiting) {
            std::swap(row->record, b->first);
            b->first_waiting = false;
        } else if (!csv_read_record(&b->reader, &row->record)) {
            break;
        }
        if (csv_record_is_blank(row->record, b->options->separator))
            continue;
        parse_row(b, row);
        bytes += row->record.raw.size();
        ++n;
    }
    return n;
}

struct block_job {
    const host_module* module;
    csv_row* rows;
};

void evaluate_row(void* context, int index)
{
    const auto* job = static_cast<const block_job*>(context);
    csv_row* row = &job->rows[index];
    if (row->outcome == outcome_ok)
        row->outcome = fnonct_evaluate_row(job->module, row->value, &row->evaluation);
}

// A field's value for a message: blanks trimmed, control characters (a NUL,
// a line break inside quotes) shown as '?' so that the message stays one line.
std::string message_value(const csv_record& r, size_t i)
{
    std::string v(csv_value(r, i), csv_value_length(r, i));
    const size_t begin = v.find_first_not_of(" \t");
    if (begin == std::string::npos)
        return "";
    v = v.substr(begin, v.find_last_not_of(" \t") + 1 - begin);
    for (char& c : v)
        if (static_cast<unsigned char>(c) < 0x20)
            c = '?';
    return v;
}

// The message of an error or failed row, on the messages stream.
void report_row(const batch* b, const csv_row& row)
{
    message_fields fields{};
    fields.line = row.record.line;
    char scratch[256];
    std::string detail;
    std::string texts[host_argument_count];
    const char* text_pointers[host_argument_count] = {};
    if (row.record.fields.size() == b->layout.width) {
        for (int k = 0; k < host_argument_count; ++k) {
            texts[k] = message_value(row.record, b->layout.column[k]);
            text_pointers[k] = texts[k].c_str();
        }
    }
    switch (row.outcome) {
    case outcome_wrong_field_count:
        detail = std::to_string(b->layout.width) + " fields, found " + std::to_string(row.record.fields.size());
        fields.detail = detail.c_str();
        break;
    case outcome_not_a_number:
    case outcome_overflow:
        fields.argument = fnonct_argument_names[row.bad_field];
        fields.value = text_pointers[row.bad_field];
        break;
    case outcome_unterminated_quote:
        break;
    default:
        describe_evaluation(row.outcome, &row.evaluation, text_pointers, row.missing, &fields,
                            scratch, sizeof scratch);
    }
    char reason[1024];
    format_reason(row.outcome, &fields, reason, sizeof reason);
    std::fprintf(b->messages, "kelbrant: %s\n", reason);
}

// Write the block in input order at the start of `text` and return its
// length; counts the error and failed rows.  Each row is laid out in place:
// `text` grows to make room for the longest the row can be, and keeps its
// size from block to block (the bytes past the length are scratch).
size_t write_block(const batch* b, std::vector<csv_row>& rows, int count, std::string* text,
                   long* errors, long* failures)
{
    const char sep = b->options->separator;
    size_t used = 0;
    for (int i = 0; i < count; ++i) {
        csv_row& row = rows[i];
        const bool whole = row.outcome != outcome_wrong_field_count;
        const size_t fields_bytes = whole ? row.record.raw.size() : b->layout.width - 1;
        const char* word = outcome_word(row.outcome);
        const size_t word_length = std::strlen(word);
        const size_t most = fields_bytes + 2 + number_text_size + word_length + 1;
        if (text->size() < used + most)
            text->resize(std::max(used + most, 2 * text->size()));
        char* const start = &(*text)[used];
        char* p = start;
        if (whole)
            std::memcpy(p, row.record.raw.data(), fields_bytes);
        else
            std::memset(p, sep, fields_bytes);
        p += fields_bytes;
        *p++ = sep;
        if (row.outcome == outcome_ok) {
            double lambda;
            std::memcpy(&lambda, &row.evaluation.result_bits, sizeof lambda);
            p += format_number(lambda, b->options->decimal, p);
        }
        *p++ = sep;
        std::memcpy(p, word, word_length);
        p += word_length;
        *p++ = '\n';
        used += static_cast<size_t>(p - start);
        const bool error = outcome_is_error(row.outcome);
        if (error || row.outcome == outcome_search_failed) {
            ++*(error ? errors : failures);
            report_row(b, row);
        }
        if (row.record.raw.capacity() > csv_row_keep_bytes)
            row.record = csv_record{};
    }
    return used;
}

bool is_regular_file(std::FILE* f)
{
    struct stat s;
    const int fd = fileno(f);
    return fd >= 0 && fstat(fd, &s) == 0 && S_ISREG(s.st_mode);
}

bool put(std::FILE* out, const char* text, size_t length)
{
    return std::fwrite(text, 1, length, out) == length;
}

}  // namespace

int fnonct_csv_stream(const host_module* module, const fnonct_csv_options* options,
                      std::FILE* in, const char* input_name, std::FILE* out,
                      std::FILE* messages)
{
    batch b{};
    b.module = module;
    b.options = options;
    b.format = make_number_format(options->decimal, options->missing_words != nullptr
                                                        ? options->missing_words
                                                        : default_missing_words);
    b.messages = messages;
    b.from_pipe = fileno(in) >= 0 && !is_regular_file(in);
    csv_reader_init(&b.reader, in, options->separator);

    // The first record that is not blank: a header or the first row.
    bool any = false;
    while ((any = csv_read_record(&b.reader, &b.first)))
        if (!csv_record_is_blank(b.first, options->separator))
            break;
    const bool header = any && (options->header == csv_header_yes ||
                                (options->header == csv_header_guess && looks_like_header(b.first, &b.format)));
    b.first_waiting = any && !header;
    const std::string problem =
        choose_columns(options, header ? &b.first : nullptr, any ? b.first.fields.size() : 0, &b.layout);
    if (!problem.empty()) {
        std::fprintf(messages, "kelbrant: %s\n", problem.c_str());
        return exit_usage;
    }

    std::string text;
    const char sep = options->separator;
    if (header) {
        text = b.first.raw;
    } else {
        for (size_t i = 0; i < b.layout.width; ++i) {
            if (i > 0)
                text += sep;
            for (int k = 0; k < host_argument_count; ++k)
                if (b.layout.column[k] == i) {
                    text += fnonct_argument_names[k];
                    break;
                }
        }
    }
    text += sep;
    text += "lambda";
    text += sep;
    text += "status\n";
    bool written = put(out, text.data(), text.size());

    host_workers* workers = host_workers_start(options->threads);
    if (workers == nullptr) {
        std::fprintf(messages, "kelbrant: cannot start the worker threads\n");
        return exit_setup;
    }
    std::vector<csv_row> blocks[2] = {std::vector<csv_row>(csv_block_rows),
                                      std::vector<csv_row>(csv_block_rows)};
    long errors = 0, failures = 0;
    int current = 0;
    int count = read_block(&b, blocks[current]);
    block_job job{module, blocks[current].data()};
    host_workers_begin(workers, count, evaluate_row, &job);
    while (count > 0) {
        const int next = 1 - current;
        bool done = false;
        if (b.from_pipe && csv_reader_would_wait(&b.reader)) {
            // Answer what has come before waiting for more.
            host_workers_finish(workers);
            const size_t length = write_block(&b, blocks[current], count, &text, &errors, &failures);
            written = put(out, text.data(), length) && std::fflush(out) == 0 && written;
            done = true;
        }
        const int next_count = read_block(&b, blocks[next]);
        host_workers_finish(workers);
        job.rows = blocks[next].data();
        host_workers_begin(workers, next_count, evaluate_row, &job);
        if (!done) {
            const size_t length = write_block(&b, blocks[current], count, &text, &errors, &failures);
            written = put(out, text.data(), length) && written;
            if (b.from_pipe)
                written = std::fflush(out) == 0 && written;
        }
        current = next;
        count = next_count;
    }
    host_workers_finish(workers);
    host_workers_stop(workers);

    if (csv_reader_failed(&b.reader)) {
        std::fprintf(messages, "kelbrant: error reading %s\n", input_name);
        return exit_failure;
    }
    if (!written || std::fflush(out) != 0 || std::ferror(out)) {
        std::fprintf(messages, "kelbrant: error writing the output\n");
        return exit_failure;
    }
    if (errors > 0)
        return exit_failure;
    return failures > 0 ? exit_search_failed : exit_ok;
}
