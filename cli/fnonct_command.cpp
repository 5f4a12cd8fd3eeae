// kelbrant fnonct: FNONCT through the module interface, as the statistical
// host calls it. The module file is loaded at run time and attached to our
// host; one evaluation goes through the evaluate callback with a real
// argument list.  --csv streams a table of rows instead (fnonct_csv.cpp).

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "cli/cli.h"
#include "cli/fnonct_csv.h"
#include "host/workers.h"

namespace {

// Most threads --threads accepts.
constexpr long thread_limit = 256;

void print_fnonct_help(std::FILE* out, const char* indent)
{
    print_lines(out, indent,
        "Print the noncentrality lambda >= 0 at which the noncentral F\n"
        "distribution with DF1 and DF2 degrees of freedom has P(F' <= X) = P.\n"
        "The module file is loaded and FNONCT evaluated through its evaluate\n"
        "callback, as the statistical host calls it. lambda is printed with 17\n"
        "significant digits (%.17g).\n"
        "\n"
        "Numbers are decimal or scientific (2, 0.5, 1e-3). 'NA', '.', 'nan',\n"
        "'inf' (any case, either sign) and an empty argument are missing values.\n"
        "A number beyond the range of a double is an error.\n"
        "\n"
        "Options:\n"
        "      --module=PATH    the module file (default: kelbrant.so beside the\n"
        "                       program, else in the installation's library\n"
        "                       folder)\n"
        "      --csv            read a table from FILE, or from standard input\n"
        "                       when FILE is absent or '-', and write it back\n"
        "                       with lambda and status appended\n"
        "      --columns=X,DF1,DF2,P\n"
        "                       the columns holding x, df1, df2 and p, by\n"
        "                       header name or 1-based position\n"
        "      --header=WHEN    yes, no, or guess (the default; see below)\n"
        "      --sep=CHAR       the field separator: ',' (default), ';' or tab\n"
        "                       ('\\t')\n"
        "      --decimal=CHAR   the decimal mark: '.' (default) or ','\n"
        "      --na=WORDS       comma-separated words that mark a missing value,\n"
        "                       in any case (default 'NA,.,nan,': the last,\n"
        "                       empty word is the empty field)\n"
        "      --threads=N      evaluate on N threads, 1 to 256 (default: one per\n"
        "                       processor); the output is the same on any number\n"
        "  -h, --help           print this help\n"
        "\n"
        "Tables (--csv) follow RFC 4180 as R and pandas write them: quoted\n"
        "fields (\"\" for a quote inside), a UTF-8 byte-order mark, LF, CRLF or\n"
        "CR line endings, lines of any length. The first line is a header when\n"
        "none of its fields reads as a number and at least one is not a\n"
        "missing-value word; --header overrides the guess. Without --columns,\n"
        "the columns are those named x, df1, df2 and p in the header (any case);\n"
        "else the four of a four-column table; else columns 2 to 5 when the\n"
        "first of five has an empty name (a row-name column).\n"
        "\n"
        "Every input line that is not blank gives exactly one output row, in\n"
        "input order (a quoted field spanning lines gives one), or is the\n"
        "header. An output row is the input row as it stood, then lambda\n"
        "(empty unless the status is ok) and the status, with the input's\n"
        "separator and decimal mark. The output header is the input's, or\n"
        "x,df1,df2,p for the chosen columns when there is none. A row with\n"
        "another number of fields than the header (its fields are then written\n"
        "empty), or with a field that is not a number, is an error row, and a\n"
        "message naming its line goes to standard error. When the input is a\n"
        "pipe, rows are answered as they arrive.\n"
        "\n"
        "Outcomes (the status column; for one evaluation, the exit status, with\n"
        "'.' printed and one line on standard error when there is no lambda):\n");
    print_fnonct_outcomes(out, indent);
    print_lines(out, indent,
        "  error        exit 1  (--csv) a malformed row\n"
        "\n"
        "Exit status: 0 lambda found, or every row answered; 1 no value, or an\n"
        "error row; 2 usage error; 3 the module or the input could not be\n"
        "opened; 4 the search failed although a lambda exists (--csv: a failed\n"
        "row and no error row); 1 also when the output cannot be written.\n");
}

const option_spec fnonct_options[] = {
    {"--help", false},   {"--module", true}, {"--csv", false},  {"--columns", true},
    {"--header", true},  {"--sep", true},    {"--decimal", true}, {"--na", true},
    {"--threads", true}, {nullptr, false},
};
enum { opt_help, opt_module, opt_csv, opt_columns, opt_header, opt_sep, opt_decimal, opt_na, opt_threads };

int fnonct_usage(const char* detail) { return usage_error(&fnonct_command_info, detail); }

// The one character --sep or --decimal names, or 0.
char single_character(const char* value)
{
    if (std::strcmp(value, "\\t") == 0 || std::strcmp(value, "tab") == 0)
        return '\t';
    return std::strlen(value) == 1 ? value[0] : '\0';
}

int evaluate_once(const host_module* module, char** texts)
{
    double values[host_argument_count];
    bool missing[host_argument_count];
    for (int i = 0; i < host_argument_count; ++i) {
        const value_kind kind = parse_value(texts[i], std::strlen(texts[i]), &plain_numbers, &values[i]);
        if (kind == value_invalid || kind == value_overflow) {
            message_fields fields{};
            fields.argument = fnonct_argument_names[i];
            fields.value = texts[i];
            char detail[512];
            format_reason(kind == value_invalid ? outcome_not_a_number : outcome_overflow, &fields,
                          detail, sizeof detail);
            return fnonct_usage(detail);
        }
        missing[i] = kind == value_missing;
    }

    host_evaluation evaluation;
    const outcome_id id = fnonct_evaluate_row(module, values, &evaluation);
    message_fields fields{};
    char scratch[256];
    describe_evaluation(id, &evaluation, texts, missing, &fields, scratch, sizeof scratch);
    if (id == outcome_ok) {
        double result;
        std::memcpy(&result, &evaluation.result_bits, sizeof result);
        print_number(stdout, result);
        std::fputc('\n', stdout);
        return exit_ok;
    }
    char reason[512];
    format_reason(id, &fields, reason, sizeof reason);
    std::fputs(".\n", stdout);
    std::fprintf(stderr, "kelbrant: FNONCT: %s\n", reason);
    return outcome_exit_status(id);
}

int fnonct_run(int argc, char** argv, const char* argv0)
{
    const char* module_path = nullptr;
    bool csv = false;
    const char* csv_path = nullptr;
    char* numbers[host_argument_count];
    int count = 0;
    bool threads_given = false;
    fnonct_csv_options options = default_csv_options;
    options.threads = 0;
    bool csv_option_given = false;

    option_parser parser{argc, argv, 0, false};
    for (;;) {
        int which = -1;
        const char* value = nullptr;
        char error[256];
        const option_kind kind = next_option(&parser, fnonct_options, &which, &value, error, sizeof error);
        if (kind == option_done)
            break;
        if (kind == option_wrong)
            return fnonct_usage(error);
        if (kind == option_operand) {
            if (count == host_argument_count)
                return fnonct_usage(csv ? "--csv takes one FILE" : "fnonct takes four numbers X DF1 DF2 P");
            numbers[count++] = const_cast<char*>(value);
            continue;
        }
        char detail[512];
        switch (which) {
        case opt_help:
            print_command_help(stdout, &fnonct_command_info);
            return exit_ok;
        case opt_module:
            module_path = value;
            break;
        case opt_csv:
            csv = true;
            break;
        case opt_columns:
            options.columns = value;
            csv_option_given = true;
            break;
        case opt_header:
            if (std::strcmp(value, "yes") == 0)
                options.header = csv_header_yes;
            else if (std::strcmp(value, "no") == 0)
                options.header = csv_header_no;
            else if (std::strcmp(value, "guess") == 0)
                options.header = csv_header_guess;
            else {
                std::snprintf(detail, sizeof detail, "--header takes yes, no or guess, not '%s'", value);
                return fnonct_usage(detail);
            }
            csv_option_given = true;
            break;
        case opt_sep:
            options.separator = single_character(value);
            if (options.separator != ',' && options.separator != ';' && options.separator != '\t') {
                std::snprintf(detail, sizeof detail, "--sep takes ',', ';' or tab ('\\t'), not '%s'", value);
                return fnonct_usage(detail);
            }
            csv_option_given = true;
            break;
        case opt_decimal:
            options.decimal = single_character(value);
            if (options.decimal != '.' && options.decimal != ',') {
                std::snprintf(detail, sizeof detail, "--decimal takes '.' or ',', not '%s'", value);
                return fnonct_usage(detail);
            }
            csv_option_given = true;
            break;
        case opt_na:
            options.missing_words = value;
            csv_option_given = true;
            break;
        case opt_threads: {
            char* end = nullptr;
            const long n = std::strtol(value, &end, 10);
            if (end == value || *end != '\0' || n < 1 || n > thread_limit) {
                std::snprintf(detail, sizeof detail,
                              "--threads takes a whole number from 1 to %ld, not '%s'", thread_limit, value);
                return fnonct_usage(detail);
            }
            options.threads = static_cast<int>(n);
            threads_given = true;
            break;
        }
        }
    }
    if (csv) {
        if (count > 1)
            return fnonct_usage("--csv takes one FILE, not numbers");
        csv_path = count == 1 ? numbers[0] : nullptr;
        if (options.separator == options.decimal)
            return fnonct_usage("--sep and --decimal must differ");
    } else {
        if (threads_given || csv_option_given)
            return fnonct_usage("--threads, --columns, --header, --sep, --decimal and --na go with --csv");
        if (count != host_argument_count)
            return fnonct_usage("fnonct takes four numbers X DF1 DF2 P");
    }

    std::FILE* in = nullptr;
    const bool from_stdin = csv && (csv_path == nullptr || std::strcmp(csv_path, "-") == 0);
    if (csv) {
        in = from_stdin ? stdin : std::fopen(csv_path, "rb");
        if (in == nullptr) {
            std::fprintf(stderr, "kelbrant: cannot open %s\n", csv_path);
            return exit_setup;
        }
    }
    host_module module;
    const int opened = open_fnonct_module(module_path, argv0, &module);
    if (opened != exit_ok) {
        if (in != nullptr && !from_stdin)
            std::fclose(in);
        return opened;
    }
    int status;
    if (csv) {
        if (options.threads == 0)
            options.threads = host_processor_count();
        status = fnonct_csv_stream(&module, &options, in, from_stdin ? "standard input" : csv_path,
                                   stdout, stderr);
        if (!from_stdin)
            std::fclose(in);
    } else {
        status = evaluate_once(&module, numbers);
    }
    host_close_module(&module);
    return status;
}

}  // namespace

const command_info fnonct_command_info = {
    "fnonct",
    "fnonct [OPTION]... X DF1 DF2 P\n"
    "fnonct [OPTION]... --csv [FILE]",
    "lambda with P(F' <= X) = P, for one case or a table",
    print_fnonct_help,
    fnonct_run,
};
