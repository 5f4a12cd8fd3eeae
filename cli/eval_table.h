// The routines `kelbrant eval` can run: one row per routine, in tables kept
// in separate files (eval_numeric.cpp: the numeric primitives, the
// incomplete beta and noncentral F routines, the noncentrality search;
// eval_library.cpp: the further distribution routines; eval_nct.cpp: the
// noncentral t family and the t tests).  The dispatcher
// (eval_command.cpp) only reads the tables; a new routine is a new row.
#pragma once

#include <cmath>
#include <cstdint>

constexpr int eval_max_arguments = 8;
constexpr int eval_max_outputs = 8;

// One output: its name, and whether it prints as an integer (a status, an
// exponent).
struct eval_output {
    const char* name;
    bool integer;
};

// Run the routine on args[0..count-1] (count between the row's minimum and
// maximum; optional arguments at the end) and store its outputs in
// out[0..]: every output arrives preset to NaN, so a field the routine
// leaves alone prints "nan".  Integer outputs are stored as doubles.
// A selector given as a double (a form, a request mask, an alternative): its
// integer value, or -1 (no valid selector) when it is not an integer in the
// int32 range.
inline int32_t eval_selector(double v)
{
    if (!(v >= -2147483648.0 && v <= 2147483647.0) || v != std::floor(v))
        return -1;
    return static_cast<int32_t>(v);
}

typedef void (*eval_adapter)(const double* args, int count, double* out);

struct eval_routine {
    const char* name;
    const char* arguments;  // names as --list shows them; optional ones in brackets
    int min_arguments;
    int max_arguments;
    eval_output outputs[eval_max_outputs];  // in printing order, a null name ends them
    eval_adapter adapter;
    const char* summary;  // one line for --list
    // What the first output's values mean, for `eval ROUTINE --help`; null for
    // a routine without a status.  A nonzero status is the routine's failure.
    const char* statuses = nullptr;
};

// The tables, each ended by a row with a null name.
extern const eval_routine eval_numeric_routines[];
extern const eval_routine eval_library_routines[];
extern const eval_routine eval_nct_routines[];
