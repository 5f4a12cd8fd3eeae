// Guarded calls into a module.  The host's math-error service must not
// return into the module: it unwinds with longjmp to the innermost guard of
// its thread.  Each guard keeps its jump buffer in its own frame and links
// to the guard it interrupts, so guards nest, and the chain is thread-local,
// so threads never unwind into each other's frames.
//
// Nothing on the unwound path may need cleaning up: the module is plain C-style
// code with no destructors, and host_guarded_call touches only its frame's
// link (set before setjmp, never changed after) and the thread-local report.

#include <csetjmp>

#include "host/host.h"

namespace {

struct guard_frame {
    std::jmp_buf jump;
    guard_frame* outer;
};

thread_local guard_frame* innermost = nullptr;
thread_local host_math_error_report unwound_report;

}  // namespace

void host_guarded_call(host_guarded_body body, void* context, host_guard_outcome* outcome)
{
    guard_frame frame;
    frame.outer = innermost;
    innermost = &frame;
    if (setjmp(frame.jump) == 0) {
        body(context);
        outcome->unwound = 0;
    } else {
        outcome->unwound = 1;
        outcome->error = unwound_report;
    }
    innermost = frame.outer;
}

int32_t host_math_error_unwind(const host_math_error_report* report)
{
    if (innermost == nullptr)
        return 0;
    unwound_report = *report;
    std::longjmp(innermost->jump, 1);
}
