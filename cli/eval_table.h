// The routines `kelbrant eval` can run: one row per routine, in tables kept
// in separate files (eval_numeric.cpp: the numeric primitives, the
// incomplete beta and noncentral F routines, the noncentrality search;
// eval_library.cpp: the further distribution routines).  The dispatcher
// (eval_command.cpp) only reads the tables; a new routine is a new row.
#pragma once

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
