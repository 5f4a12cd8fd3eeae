// The batch mode shared by `ci F`, `ci t` and `ci chisq` (--csv), and the
// numbers and options their command lines share.  A command gives its
// columns and a row evaluator; the rules of `fnonct --csv` are kept here: a
// first line whose first field is not a number is a header and is dropped,
// blank lines are passed over, and every row gets exactly one output row,
// in input order, its fields as given, then the evaluator's columns and a
// status.  A malformed row is reported on stderr with its line, gets empty
// columns and the status error, and makes the exit status 1.

#include <cmath>
#include <cstdio>
#include <cstring>

#include "cli/cli.h"
#include "cli/csv_reader.h"

bool ci_read_number(const char* name, const char* text, double* value)
{
    value_kind kind = parse_value(text, std::strlen(text), &plain_numbers, value);
    if (kind == value_invalid || kind == value_overflow) {
        char detail[256];
        std::snprintf(detail, sizeof detail, "%s is not a number: '%s'", name, text);
        usage_error(&ci_command_info, detail);
        return false;
    }
    if (kind == value_missing)
        *value = std::nan("");
    return true;
}

void ci_print_line(const char* name, const double* numbers, int count)
{
    std::fputs(name, stdout);
    for (int i = 0; i < count; ++i) {
        std::fputc(' ', stdout);
        print_plain(numbers[i]);
    }
    std::fputc('\n', stdout);
}

void ci_csv_value(double v, bool show)
{
    std::fputc(',', stdout);
    if (show)
        print_plain(v);
}

int ci_csv_run(const char* path, const ci_csv_table* table, const void* context)
{
    std::FILE* in = stdin;
    if (path != nullptr && std::strcmp(path, "-") != 0) {
        in = std::fopen(path, "r");
        if (in == nullptr) {
            std::fprintf(stderr, "kelbrant: ci: cannot open '%s'\n", path);
            return exit_setup;
        }
    }
    const size_t width = static_cast<size_t>(table->width);
    csv_reader reader;
    csv_reader_init(&reader, in, ',');
    csv_record record;
    bool first = true;
    int status = exit_ok;
    std::puts(table->header);
    while (csv_read_record(&reader, &record)) {
        if (csv_record_is_blank(record, ','))
            continue;  // a blank line is no row
        const size_t count = record.fields.size();
        double values[ci_csv_max_width];
        for (double& v : values)
            v = std::nan("");
        int bad = -1;
        for (size_t i = 0; i < count && i < width; ++i) {
            value_kind k = parse_value(csv_value(record, i), csv_value_length(record, i),
                                       &plain_numbers, &values[i]);
            if (k == value_missing)
                values[i] = std::nan("");
            if ((k == value_invalid || k == value_overflow) && bad < 0)
                bad = static_cast<int>(i);
        }
        if (first && bad == 0) {  // a header
            first = false;
            continue;
        }
        first = false;
        for (size_t i = 0; i < width; ++i) {
            if (i > 0)
                std::fputc(',', stdout);
            if (i < count)
                std::fwrite(csv_raw(record, i), 1, csv_raw_length(record, i), stdout);
        }
        message_fields fields{};
        fields.line = record.line;
        char detail[96];
        char value_text[64];
        outcome_id id = outcome_ok;
        if (record.unterminated_quote) {
            id = outcome_unterminated_quote;
        } else if (count >= 32 || (table->counts & (1u << count)) == 0) {
            std::snprintf(detail, sizeof detail, "%s, found %zu", table->counts_text, count);
            fields.detail = detail;
            id = outcome_wrong_field_count;
        } else if (bad >= 0) {
            fields.argument = table->names[bad];
            size_t n = csv_value_length(record, bad) < sizeof value_text - 1
                           ? csv_value_length(record, bad)
                           : sizeof value_text - 1;
            std::memcpy(value_text, csv_value(record, bad), n);
            value_text[n] = '\0';
            fields.value = value_text;
            id = outcome_not_a_number;
        }
        if (id != outcome_ok) {
            char reason[512];
            format_reason(id, &fields, reason, sizeof reason);
            std::fprintf(stderr, "kelbrant: ci: %s\n", reason);
            for (int i = 0; i < table->results; ++i)
                std::fputc(',', stdout);
            std::printf(",%s\n", outcome_word(id));
            status = exit_failure;
            continue;
        }
        id = table->evaluate(values, count, context);
        std::printf(",%s\n", outcome_word(id));
    }
    if (in != stdin)
        std::fclose(in);
    return status;
}

bool ci_csv_option(int argc, char** argv, int* i, bool* csv, const char** path)
{
    if (std::strcmp(argv[*i], "--csv") != 0)
        return false;
    *csv = true;
    if (*i + 1 < argc && (argv[*i + 1][0] != '-' || std::strcmp(argv[*i + 1], "-") == 0))
        *path = argv[++*i];
    return true;
}

bool ci_number_option(int argc, char** argv, int* i, const char* name, double* target,
                      int* status)
{
    const char* value = nullptr;
    if (!option_argument(argc, argv, i, name, &value))
        return false;
    *status = exit_ok;
    if (value == nullptr) {
        char detail[64];
        std::snprintf(detail, sizeof detail, "%s needs a value", name);
        *status = usage_error(&ci_command_info, detail);
    } else if (!ci_read_number(name, value, target)) {
        *status = exit_usage;
    }
    return true;
}

bool ci_alternative_option(int argc, char** argv, int* i, const int32_t codes[3],
                           int32_t* target, int* status)
{
    const char* value = nullptr;
    if (!option_argument(argc, argv, i, "--alternative", &value))
        return false;
    static const char* const words[] = {"two-sided", "less", "greater"};
    *status = exit_ok;
    for (int k = 0; k < 3; ++k)
        if (value != nullptr && std::strcmp(value, words[k]) == 0) {
            *target = codes[k];
            return true;
        }
    *status = usage_error(&ci_command_info, "--alternative takes two-sided, less or greater");
    return true;
}
