// kelbrant eval ROUTINE ARG...: one routine of the numeric code, run
// directly on the copy linked into this program, after our host's vector has
// been installed in that copy (so the host's missing value and math-error
// service are the ones the routine meets).  One "name value" line per output:
// integers as such, numbers with %.17g, the host's missing value as ".",
// anything the routine left untouched as "nan".  A math error raised inside
// the routine unwinds to our host and ends the command with exit 1.
//
// kelbrant eval --list: the routines, their arguments and outputs.

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "cli/cli.h"
#include "cli/eval_table.h"
#include "host/linked_module.h"

namespace {

const eval_routine* const eval_tables[] = {eval_numeric_routines, eval_library_routines};

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

// One row per routine in aligned columns (name, arguments, outputs,
// summary), each column as wide as its widest entry.
void list_routines()
{
    char outputs[128];
    int name_width = 0, arguments_width = 0, outputs_width = 0;
    for (const eval_routine* table : eval_tables) {
        for (const eval_routine* r = table; r->name != nullptr; ++r) {
            join_outputs(r, outputs, sizeof outputs);
            name_width = std::max(name_width, static_cast<int>(std::strlen(r->name)));
            arguments_width =
                std::max(arguments_width, static_cast<int>(std::strlen(r->arguments)));
            outputs_width = std::max(outputs_width, static_cast<int>(std::strlen(outputs)));
        }
    }
    for (const eval_routine* table : eval_tables) {
        for (const eval_routine* r = table; r->name != nullptr; ++r) {
            join_outputs(r, outputs, sizeof outputs);
            std::printf("%-*s %-*s -> %-*s %s\n", name_width, r->name, arguments_width,
                        r->arguments, outputs_width, outputs, r->summary);
        }
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

}  // namespace

int eval_command(int argc, char** argv)
{
    if (argc == 1 && std::strcmp(argv[0], "--list") == 0) {
        list_routines();
        return exit_ok;
    }
    if (argc < 1)
        return usage_error("eval needs a ROUTINE (kelbrant eval --list shows them)");
    const eval_routine* routine = find_routine(argv[0]);
    char detail[256];
    if (routine == nullptr) {
        std::snprintf(detail, sizeof detail, "unknown routine '%s' (kelbrant eval --list shows them)",
                      argv[0]);
        return usage_error(detail);
    }
    const int count = argc - 1;
    if (count < routine->min_arguments || count > routine->max_arguments) {
        std::snprintf(detail, sizeof detail, "usage: kelbrant eval %s %s", routine->name,
                      routine->arguments);
        return usage_error(detail);
    }

    host_module copy;
    char error[256];
    if (host_attach_static(&copy, error, sizeof error) != 0) {
        std::fprintf(stderr, "kelbrant: %s\n", error);
        return exit_setup;
    }

    double args[eval_max_arguments];
    for (int i = 0; i < count; ++i) {
        if (parse_value(argv[i + 1], std::strlen(argv[i + 1]), &args[i]) == value_invalid) {
            std::snprintf(detail, sizeof detail, "argument %d of %s is not a number: '%s'", i + 1,
                          routine->name, argv[i + 1]);
            return usage_error(detail);
        }
    }

    double out[eval_max_outputs];
    for (double& o : out)
        o = std::nan("");
    eval_call call{routine, args, count, out};
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
    return exit_ok;
}
