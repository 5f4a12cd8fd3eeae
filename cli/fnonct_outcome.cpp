// One FNONCT evaluation through the module and what it came to, and
// finding the module file.
//
// The evaluate callback has one status, 120836 without a domain flag, for
// two different things: no lambda gives p (p above the central probability
// P0, which is an answer), and a search that failed although a root exists
// (which is ours to mend).  fnonct_solve applies the same rules to plain
// doubles and returns the two as different outcomes; it runs on the copy of
// the core routines linked into this program, for those rows alone.  Its
// search is the library's own, which may find the root the callback's
// missed: that row is a failed search too.

#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "cli/cli.h"
#include "fnonct/argument_list.h"
#include "fnonct/fnonct_solve.h"
#include "host/linked_module.h"

namespace {

struct solve_call {
    const double* values;
    fnonct_outcome outcome;
};

void run_solve(void* context)
{
    auto* call = static_cast<solve_call*>(context);
    double lambda;
    call->outcome = fnonct_solve(call->values[0], call->values[1], call->values[2],
                                 call->values[3], &lambda);
}

}  // namespace

outcome_id fnonct_evaluate_row(const host_module* module, const double* values,
                               host_evaluation* evaluation)
{
    host_evaluate(module, values, evaluation);
    if (evaluation->guard.unwound)
        return outcome_math_error;
    switch (evaluation->status) {
    case 0:
        return outcome_ok;
    case status_missing_argument:
        return outcome_missing;
    case status_invalid_argument:
        break;
    default:
        return outcome_unknown_status;
    }
    for (unsigned char flags : evaluation->flags)
        if (flags & argument_domain_flag)
            return outcome_invalid;
    solve_call call{values, fnonct_failed};
    host_guard_outcome guard;
    host_guarded_call(run_solve, &call, &guard);
    // The callback's search missed a root that exists where the second
    // opinion finds it or fails to reach it itself (its search is the
    // library's, which answers where the callback's gives up, p above
    // 0.9999999 among them); only its no root stands as no solution.
    return !guard.unwound && (call.outcome == fnonct_failed || call.outcome == fnonct_ok)
               ? outcome_search_failed
               : outcome_no_solution;
}

void describe_evaluation(outcome_id id, const host_evaluation* evaluation,
                         const char* const* texts, const bool* missing, message_fields* fields,
                         char* scratch, size_t scratch_size)
{
    fields->x = texts[0];
    fields->df1 = texts[1];
    fields->df2 = texts[2];
    fields->p = texts[3];
    if (id == outcome_missing) {
        // Every argument that reads as missing, by name.
        size_t used = 0;
        scratch[0] = '\0';
        for (int i = 0; i < host_argument_count; ++i) {
            if (!missing[i])
                continue;
            int n = std::snprintf(scratch + used, scratch_size - used, "%s%s", used ? ", " : "",
                                  fnonct_argument_names[i]);
            if (n < 0 || static_cast<size_t>(n) >= scratch_size - used)
                break;
            used += static_cast<size_t>(n);
        }
        fields->argument = scratch;
    } else if (id == outcome_invalid) {
        for (int i = 0; i < host_argument_count; ++i) {
            if (evaluation->flags[i] & argument_domain_flag) {
                fields->argument = fnonct_argument_names[i];
                fields->value = texts[i];
                fields->domain = fnonct_argument_domains[i];
                break;
            }
        }
    } else if (id == outcome_unknown_status) {
        std::snprintf(scratch, scratch_size, "%d", static_cast<int>(evaluation->status));
        fields->status = scratch;
    } else if (id == outcome_math_error) {
        math_error_detail(&evaluation->guard.error, scratch, scratch_size);
        fields->detail = scratch;
    }
}

int open_fnonct_module(const char* module_path, const char* argv0, host_module* module)
{
    char error[1024];
    std::string path;
    if (module_path != nullptr) {
        path = module_path;
    } else {
        // Beside the program (the build folder), else where the installation
        // puts it relative to the program's folder.
        char beside[4096];
        if (loader_path_beside_executable(argv0, host_module_file_name, beside, sizeof beside) != 0) {
            std::fprintf(stderr, "kelbrant: cannot name the module file beside the executable\n");
            return exit_setup;
        }
        path = beside;
#if defined(KELBRANT_MODULE_FROM_BIN)
        if (std::FILE* f = std::fopen(beside, "rb")) {
            std::fclose(f);
        } else {
            char installed[4096];
            const std::string relative = std::string(KELBRANT_MODULE_FROM_BIN) + "/" + host_module_file_name;
            if (loader_path_beside_executable(argv0, relative.c_str(), installed, sizeof installed) == 0)
                path = installed;
        }
#endif
    }
    if (host_open_module(path.c_str(), module, error, sizeof error) != 0) {
        std::fprintf(stderr, "kelbrant: %s\n", error);
        return exit_setup;
    }
    host_module copy;
    if (host_attach_static(&copy, error, sizeof error) != 0) {
        host_close_module(module);
        std::fprintf(stderr, "kelbrant: %s\n", error);
        return exit_setup;
    }
    return exit_ok;
}
