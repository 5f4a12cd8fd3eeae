// Our own host: a stand-in for the statistical host system that loads the
// module.  It owns one host vector with the services the module calls back
// (an allocator, the condition-flag array, the error service, the
// math-error service and the state block with the missing value), attaches
// module copies to it through mcn_main, and calls the evaluate callback with
// a real argument list.  It holds no numerics.
//
// The math-error service does not return: it unwinds with longjmp to the
// innermost host_guarded_call on the same thread, which reports the error.
// Guards nest and are kept per thread, so the host may be entered again from
// inside a guarded call or from several threads at once.
#pragma once

#include <cstddef>
#include <cstdint>

#include "host/loader.h"
#include "module/module_records.h"

#if defined(_WIN32)
constexpr char host_module_file_name[] = "kelbrant.dll";
#else
constexpr char host_module_file_name[] = "kelbrant.so";
#endif

// The host's missing value: a quiet NaN whose payload, 0x2E, is the '.' the
// host prints for it.
constexpr uint64_t host_default_missing_bits = 0x7FF800000000002EULL;

// Every block from the host allocator arrives filled with this byte, so a
// word the module leaves alone is recognisable.
constexpr unsigned char host_fresh_block_byte = 0xA5;

// ---------------------------------------------------------------------------
// The host vector and its services (host_system.cpp)

// The address handed to mcn_main.  Built on first use; the same for every
// module copy.
void* host_vector_address();

// Back to the initial state: flags cleared, service log emptied, allocator
// working, default missing value.
void host_reset();

// Make the allocator answer 0 (memory exhausted) from now on, or work again.
void host_set_allocator_failing(bool failing);

// Give a block from the host allocator back.
void host_release(void* block);

// The condition-flag array (condition_flag_bytes bytes).
unsigned char* host_condition_flags();

// The state block's missing value, as raw bits.
void host_set_missing_value(uint64_t bits);
uint64_t host_missing_value_bits();

// What the error service received on its last call.
struct host_error_report {
    int32_t condition;
    void* group;
    int32_t error_class;
    int32_t detail1;
    int32_t detail2;
    unsigned char flag_on_entry;  // the condition's flag byte as the service found it
};

// What the math-error service received, with a copy of the record's fields.
struct host_math_error_report {
    int32_t condition;
    void* group;
    int32_t error_class;
    const void* record;
    unsigned char flag_on_entry;
    int32_t kind;
    char function_name[16];
    double first_argument;   // the exponent of the failing power
    double second_argument;  // its base
};

// Counts and last calls of the services since host_reset.
struct host_service_log {
    int32_t allocations;          // blocks handed out
    int32_t refused_allocations;  // calls answered 0
    int32_t last_size;
    int32_t last_constant;
    int32_t error_calls;
    host_error_report last_error;
    int32_t unguarded_math_errors;  // math errors with no guard to unwind to
};
const host_service_log* host_log();

// ---------------------------------------------------------------------------
// Guarded calls into a module (host_guard.cpp)

struct host_guard_outcome {
    int32_t unwound;               // 1 when a math error left the call
    host_math_error_report error;  // its report (unwound = 1 only)
};

typedef void (*host_guarded_body)(void* context);

// Run body(context); a math error raised inside unwinds back here.
void host_guarded_call(host_guarded_body body, void* context, host_guard_outcome* outcome);

// The math-error service's way out: to the innermost guard of this thread
// with `report`, or back to the caller (returns 0) when there is none.
int32_t host_math_error_unwind(const host_math_error_report* report);

// ---------------------------------------------------------------------------
// Module copies attached to the host vector (host_attach.cpp)

struct host_module {
    loaded_module library;  // null handle for the statically linked copy
    const image_information_block* image;
    const module_record* record;
    const function_descriptor* descriptor;
    evaluate_callback evaluate;
};

// Check what mcn_main returned: the marker with its two NULs and the constant.
int32_t host_check_image(const image_information_block* image, char* error, size_t error_size);

// Install the host vector through `entry` (a module's mcn_main), check the
// image information block, follow the module list to the module record, and
// ask its describe callback for the function descriptor and the evaluate
// callback.  Status 0, or nonzero with a one-line reason in `error`.
int32_t host_attach(module_entry entry, host_module* module, char* error, size_t error_size);

// Load the module file at `path` and attach it.
int32_t host_open_module(const char* path, host_module* module, char* error, size_t error_size);

// The copy of the module linked into a program is attached by
// host_attach_static (host/linked_module.h).

void host_close_module(host_module* module);

// ---------------------------------------------------------------------------
// Evaluations (host_evaluate.cpp)

constexpr int host_argument_count = 4;

// The host's own bits in every flag byte it hands out; the module may only
// OR the domain flag into it.
constexpr unsigned char host_flag_bits = 0x40;

struct host_evaluation {
    int32_t status;
    uint64_t result_bits;  // the result slot as the callback left it, bit for bit
    unsigned char flags[host_argument_count];  // the flag bytes after the call
    int32_t host_bytes_intact;                 // 1 when the header and host bytes are unchanged
    host_guard_outcome guard;
};

// One call of the module's evaluate callback with arguments[0..3] (copied
// into the argument entries' doubles as raw bytes).
void host_evaluate(const host_module* module, const double* arguments, host_evaluation* out);
