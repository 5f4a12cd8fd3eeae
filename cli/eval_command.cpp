// kelbrant eval ROUTINE ARG...: one routine of the numeric code, run
// directly on the copy linked into this program, after our host's vector has
// been installed in that copy (so the host's missing value and math-error
// service are the ones the routine meets).  One "name value" line per output:
// integers as such, numbers with %.17g, the host's missing value as ".",
// anything the routine left untouched as "nan".  A math error raised inside
// the routine unwinds to our host and ends the command with exit 1.
//
// kelbrant eval --list: the routines, their arguments and outputs;
// kelbrant eval ROUTINE --help: one routine's, with what its status means.
// The exit status is 1 when the routine's status reports a failure.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "cli/cli.h"
#include "cli/eval_table.h"
#include "host/linked_module.h"

namespace {

const eval_routine* const eval_tables[] = {eval_numeric_routines, eval_library_routines,
                                           eval_nct_routines};

const eval_routine* find_routine(const char* name)
{
    for (const eval_routine* table : eval_tables)
        for (const eval_routine* r = table; r->name != nullptr; ++r)
            if (std::strcmp(r->name, name) == 0)
                return r;
    return nullptr;
}

// The output names of a row, separated by spaces.
void join_outputs(const eval_routine* r, char* outputs, size_t size)
{
    outputs[0] = '\0';
    for (int i = 0; i < eval_max_outputs && r->outputs[i].name != nullptr; ++i) {
        if (i > 0)
            std::strncat(outputs, " ", size - std::strlen(outputs) - 1);
        std::strncat(outputs, r->outputs[i].name, size - std::strlen(outputs) - 1);
    }
}

// Print `text` from column `column` on, wrapped at word boundaries within
// eval_list_width columns; continuation lines start at column `indent`.
constexpr int eval_list_width = 80;

int print_wrapped(std::FILE* out, const char* text, int column, int indent)
{
    while (*text != '\0') {
        while (*text == ' ')
            ++text;
        const char* end = text;
        while (*end != '\0' && *end != ' ')
            ++end;
        const int n = static_cast<int>(end - text);
        if (n == 0)
            break;
        if (column > indent && column + 1 + n > eval_list_width) {
            std::fprintf(out, "\n%*s", indent, "");
            column = indent;
        } else if (column > indent) {
            std::fputc(' ', out);
            ++column;
        }
        std::fprintf(out, "%.*s", n, text);
        column += n;
        text = end;
    }
    return column;
}

// One entry per routine: its name, arguments and outputs, then what it
// computes, wrapped within eval_list_width columns.
void list_routines()
{
    char outputs[160];
    for (const eval_routine* table : eval_tables) {
        for (const eval_routine* r = table; r->name != nullptr; ++r) {
            join_outputs(r, outputs, sizeof outputs);
            std::printf("%s", r->name);
            int column = static_cast<int>(std::strlen(r->name));
            column = print_wrapped(stdout, r->arguments, column, 4);
            column = print_wrapped(stdout, "->", column, 4);
            print_wrapped(stdout, outputs, column, 4);
            std::printf("\n    ");
            print_wrapped(stdout, r->summary, 4, 4);
            std::printf("\n");
        }
    }
}

// A routine's own help: how to call it, what it prints and what its
// status means.
void print_routine_help(const eval_routine* r)
{
    char outputs[160];
    join_outputs(r, outputs, sizeof outputs);
    std::printf("Usage: kelbrant eval %s %s\n", r->name, r->arguments);
    print_wrapped(stdout, r->summary, 0, 0);
    std::printf("\n\nPrints one line per output: %s.\n", outputs);
    if (r->statuses != nullptr) {
        std::printf("\n%s:", r->outputs[0].name);
        print_wrapped(stdout, r->statuses, static_cast<int>(std::strlen(r->outputs[0].name)) + 1, 2);
        std::printf("\nExit status 1 when %s is not 0.\n", r->outputs[0].name);
    } else {
        std::printf("\nThe routine has no status; it always answers (exit 0).\n");
    }
}

struct eval_call {
    const eval_routine* routine;
    const double* args;
    int count;
    double* out;
};

void run_routine(void* context)
{
    auto* call = static_cast<eval_call*>(context);
    call->routine->adapter(call->args, call->count, call->out);
}

const option_spec eval_options[] = {{"--help", false}, {"--list", false}, {nullptr, false}};

int eval_usage(const char* detail) { return usage_error(&eval_command_info, detail); }

void print_eval_help(std::FILE* out, const char* indent)
{
    print_lines(out, indent,
        "Run one routine of the numeric code directly, on the copy linked into\n"
        "this program (with our host's vector installed in it, so that the\n"
        "routine meets the same missing value and math-error service as in the\n"
        "module), and print one 'name value' line per output, the status first\n"
        "where the routine has one: numbers with 17 significant digits (%.17g),\n"
        "the host's missing value as '.', and 'nan' for an output the routine\n"
        "left untouched.\n"
        "\n"
        "Options:\n"
        "      --list           list the routines, their arguments and outputs\n"
        "  -h, --help           print this help; 'kelbrant eval ROUTINE --help'\n"
        "                       prints the routine's own, with what its status\n"
        "                       means\n"
        "\n"
        "Exit status: 0 success; 1 the routine's status reports a failure, or a\n"
        "math error ended it (its record on standard error); 2 usage error; 1\n"
        "also when the output cannot be written.\n");
}

int eval_run(int argc, char** argv, const char*)
{
    option_parser parser{argc, argv, 0, false};
    const char* operands[1 + eval_max_arguments + 1];
    int count = 0;
    bool help = false, list = false;
    for (;;) {
        int which = -1;
        const char* value = nullptr;
        char error[256];
        const option_kind kind = next_option(&parser, eval_options, &which, &value, error, sizeof error);
        if (kind == option_done)
            break;
        if (kind == option_wrong)
            return eval_usage(error);
        if (kind == option_named) {
            (which == 0 ? help : list) = true;
            continue;
        }
        if (count == 1 + eval_max_arguments)
            return eval_usage("too many arguments");
        operands[count++] = value;
    }
    const eval_routine* routine = count > 0 ? find_routine(operands[0]) : nullptr;
    char detail[256];
    if (count > 0 && routine == nullptr) {
        std::snprintf(detail, sizeof detail, "unknown routine '%s' (kelbrant eval --list shows them)",
                      operands[0]);
        return eval_usage(detail);
    }
    if (help) {
        if (routine != nullptr)
            print_routine_help(routine);
        else
            print_command_help(stdout, &eval_command_info);
        return exit_ok;
    }
    if (list) {
        if (count != 0)
            return eval_usage("--list takes no routine");
        list_routines();
        return exit_ok;
    }
    if (routine == nullptr)
        return eval_usage("eval needs a ROUTINE (kelbrant eval --list shows them)");
    const int arguments = count - 1;
    if (arguments < routine->min_arguments || arguments > routine->max_arguments) {
        std::snprintf(detail, sizeof detail, "%s takes the arguments %s, not %d of them", routine->name,
                      routine->arguments, arguments);
        return eval_usage(detail);
    }

    host_module copy;
    char error[256];
    if (host_attach_static(&copy, error, sizeof error) != 0) {
        std::fprintf(stderr, "kelbrant: %s\n", error);
        return exit_setup;
    }

    double args[eval_max_arguments];
    for (int i = 0; i < arguments; ++i) {
        const char* text = operands[i + 1];
        const value_kind kind = parse_value(text, std::strlen(text), &plain_numbers, &args[i]);
        if (kind == value_invalid || kind == value_overflow) {
            std::snprintf(detail, sizeof detail, "argument %d of %s %s: '%s'", i + 1, routine->name,
                          kind == value_invalid ? "is not a number" : "is beyond the range of a double",
                          text);
            return eval_usage(detail);
        }
    }

    double out[eval_max_outputs];
    for (double& o : out)
        o = std::nan("");
    eval_call call{routine, args, arguments, out};
    host_guard_outcome outcome;
    host_guarded_call(run_routine, &call, &outcome);
    if (outcome.unwound) {
        message_fields fields{};
        char scratch[256];
        math_error_detail(&outcome.error, scratch, sizeof scratch);
        fields.detail = scratch;
        char reason[512];
        format_reason(outcome_math_error, &fields, reason, sizeof reason);
        std::fprintf(stderr, "kelbrant: %s: %s\n", routine->name, reason);
        return exit_failure;
    }

    for (int i = 0; i < eval_max_outputs && routine->outputs[i].name != nullptr; ++i) {
        std::printf("%s ", routine->outputs[i].name);
        if (routine->outputs[i].integer && !std::isnan(out[i]))
            std::printf("%.0f", out[i]);
        else
            print_number(stdout, out[i]);
        std::fputc('\n', stdout);
    }
    // A routine with a status reports its failure there.
    return routine->statuses != nullptr && out[0] != 0.0 ? exit_failure : exit_ok;
}

}  // namespace

const command_info eval_command_info = {
    "eval",
    "eval ROUTINE ARG...\n"
    "eval ROUTINE --help\n"
    "eval --list",
    "one routine of the numeric code, on numbers given",
    print_eval_help,
    eval_run,
};
