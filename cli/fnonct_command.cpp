// kelbrant fnonct: FNONCT through the module interface, as the statistical
// host calls it.  The module file (kelbrant.so beside the executable, or the
// --module PATH) is loaded at run time and attached to our host; one
// evaluation goes through the evaluate callback with a real argument list.
//
// Output: lambda with %.17g, exit 0.  When the module answers the missing
// value, "." on stdout, the reason on stderr, exit 1.  --csv streams a file
// of rows instead (fnonct_csv.cpp).

#include <cstdio>
#include <cstring>

#include "cli/cli.h"

namespace {

int evaluate_once(const host_module* module, char** texts)
{
    double values[host_argument_count];
    bool missing[host_argument_count];
    for (int i = 0; i < host_argument_count; ++i) {
        value_kind kind = parse_value(texts[i], std::strlen(texts[i]), &values[i]);
        if (kind == value_invalid) {
            char detail[256];
            std::snprintf(detail, sizeof detail, "%s is not a number: '%s'",
                          fnonct_argument_names[i], texts[i]);
            return usage_error(detail);
        }
        missing[i] = kind == value_missing;
    }

    host_evaluation evaluation;
    host_evaluate(module, values, &evaluation);

    message_fields fields{};
    char scratch[256];
    const outcome_id id = describe_evaluation(&evaluation, texts, missing, &fields, scratch,
                                              sizeof scratch);
    double result;
    std::memcpy(&result, &evaluation.result_bits, sizeof result);
    if (id == outcome_ok) {
        print_number(stdout, result);
        std::fputc('\n', stdout);
        return exit_ok;
    }
    char reason[512];
    format_reason(id, &fields, reason, sizeof reason);
    std::fputs(".\n", stdout);
    std::fprintf(stderr, "kelbrant: FNONCT: %s\n", reason);
    return exit_failure;
}

}  // namespace

int fnonct_command(int argc, char** argv, const char* argv0)
{
    const char* module_path = nullptr;
    bool csv = false;
    const char* csv_path = nullptr;
    char* numbers[host_argument_count];
    int count = 0;

    for (int i = 0; i < argc; ++i) {
        const char* a = argv[i];
        if (std::strcmp(a, "--module") == 0) {
            if (i + 1 >= argc)
                return usage_error("--module needs a PATH");
            module_path = argv[++i];
        } else if (std::strcmp(a, "--csv") == 0) {
            csv = true;
        } else if (std::strncmp(a, "--", 2) == 0) {
            char detail[256];
            std::snprintf(detail, sizeof detail, "unknown option '%s'", a);
            return usage_error(detail);
        } else if (csv) {
            if (csv_path != nullptr)
                return usage_error("--csv takes one FILE");
            csv_path = a;
        } else {
            if (count == host_argument_count)
                return usage_error("fnonct takes four numbers X DF1 DF2 P");
            numbers[count++] = argv[i];
        }
    }
    if (csv && count != 0)
        return usage_error("--csv takes a FILE, not numbers");
    if (!csv && count != host_argument_count)
        return usage_error("fnonct takes four numbers X DF1 DF2 P");

    char default_path[4096];
    if (module_path == nullptr) {
        if (loader_path_beside_executable(argv0, host_module_file_name, default_path,
                                          sizeof default_path) != 0) {
            std::fprintf(stderr, "kelbrant: cannot name the module file beside the executable\n");
            return exit_setup;
        }
        module_path = default_path;
    }
    host_module module;
    char error[1024];
    if (host_open_module(module_path, &module, error, sizeof error) != 0) {
        std::fprintf(stderr, "kelbrant: %s\n", error);
        return exit_setup;
    }
    const int status = csv ? fnonct_csv(&module, csv_path) : evaluate_once(&module, numbers);
    host_close_module(&module);
    return status;
}
