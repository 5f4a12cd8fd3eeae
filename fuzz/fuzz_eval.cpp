// Fuzz target: every routine `kelbrant eval` can run, through the command
// line's own tables, on arbitrary doubles.
//
// Input: one byte picks the routine (over both tables), one byte the number
// of arguments within the routine's range, one byte the host's
// floating-point environment, then the arguments as raw doubles.  The
// routine runs as `kelbrant eval` runs it: attached to our own host, inside
// a guard to which a domain error of pow_real unwinds.  It must return (or
// unwind) without a sanitizer report or a hang, leave the x87 control word
// alone, and give its status (the first output, where the routine has one)
// a value that `eval ROUTINE --help` documents for it.

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "cli/eval_table.h"
#include "fuzz/fuzz_support.h"
#include "host/host.h"
#include "host/linked_module.h"

namespace {

// Whether s is a status the routine documents: the statuses text is a list
// of "N meaning" clauses separated by "; ", each opening with its value.
bool documented_status(const eval_routine* routine, double s)
{
    for (const char* t = routine->statuses; t != nullptr;) {
        char* end;
        const long value = std::strtol(t, &end, 10);
        if (end != t && static_cast<double>(value) == s)
            return true;
        t = std::strstr(t, "; ");
        if (t != nullptr)
            t += 2;
    }
    return false;
}

std::vector<const eval_routine*> all_routines()
{
    std::vector<const eval_routine*> all;
    for (const eval_routine* table : {eval_numeric_routines, eval_library_routines, eval_nct_routines})
        for (const eval_routine* r = table; r->name != nullptr; ++r)
            all.push_back(r);
    return all;
}

struct call {
    const eval_routine* routine;
    const double* args;
    int count;
    double* out;
};

void run(void* context)
{
    auto* c = static_cast<call*>(context);
    c->routine->adapter(c->args, c->count, c->out);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::vector<const eval_routine*> routines = all_routines();
    static bool attached = false;
    if (!attached) {
        host_module copy;
        char error[256];
        if (host_attach_static(&copy, error, sizeof error) != 0) {
            std::fprintf(stderr, "cannot attach the module: %s\n", error);
            std::abort();
        }
        attached = true;
    }

    fuzz_bytes in{data, size, 0};
    const eval_routine* routine = routines[fuzz_byte(in) % routines.size()];
    const int span = routine->max_arguments - routine->min_arguments + 1;
    const int count = routine->min_arguments + fuzz_byte(in) % span;
    const uint8_t env_byte = fuzz_byte(in);
    double args[eval_max_arguments] = {};
    for (int i = 0; i < count; ++i)
        args[i] = fuzz_double(in);
    double out[eval_max_outputs];
    for (double& o : out)
        o = std::nan("");

    host_reset();
    call c{routine, args, count, out};
    fuzz_env env;
    fuzz_env_set(env, env_byte);
    host_guard_outcome outcome;
    host_guarded_call(run, &c, &outcome);
    const uint16_t after = fuzz_x87_control();
    fuzz_env_restore(env);

    FUZZ_REQUIRE(after == env.x87_control, "%s changed the x87 control word", routine->name);
    if (outcome.unwound)
        return 0;
    if (routine->statuses != nullptr) {
        const double s = out[0];
        FUZZ_REQUIRE(documented_status(routine, s),
                     "%s with %d arguments (%a, %a, %a, %a, ...): %s %g, not a documented one",
                     routine->name, count, args[0], args[1], args[2], args[3],
                     routine->outputs[0].name, s);
    }
    return 0;
}
