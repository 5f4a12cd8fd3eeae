// The command line's shared pieces: reading numbers, the one table of
// outcome texts, and the commands.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "host/host.h"

// Exit statuses.
constexpr int exit_ok = 0;
constexpr int exit_failure = 1;  // no value: missing, out of domain, no solution, error row
constexpr int exit_usage = 2;    // the command line itself is wrong
constexpr int exit_setup = 3;    // the module could not be loaded, or the input not opened

// ---------------------------------------------------------------------------
// Numbers (value_parse.cpp)

enum value_kind { value_number, value_missing, value_invalid };

// Read one argument: a decimal or scientific number, or a missing value
// ("." , "nan", "inf", "-inf", "infinity" in any case, or empty text).
// Surrounding blanks are ignored.  `.` reads as the host's missing value,
// the others as the NaN or infinity they name.
value_kind parse_value(const char* text, size_t length, double* value);

// An option with a value, as "--name VALUE" or "--name=VALUE": true when
// argv[*i] is that option; *value is then its value (null when none
// follows) and *i the index of the last word used.
bool option_argument(int argc, char** argv, int* i, const char* name, const char** value);

// The usage text; `out` is stdout for --help and stderr for usage errors.
void print_usage(std::FILE* out);
int usage_error(const char* detail);

// ---------------------------------------------------------------------------
// Outcomes and their texts (messages.cpp: the one table)

enum outcome_id {
    outcome_ok,
    outcome_missing,      // status 120833
    outcome_invalid,      // status 120836 with a domain flag
    outcome_no_solution,  // status 120836 without a flag
    outcome_unknown_status,
    outcome_math_error,   // a math error unwound the call
    outcome_wrong_field_count,
    outcome_not_a_number,
    outcome_line_too_long,
    outcome_search_failed,    // ci, power: a root exists but the search did not reach it
    outcome_power_at_alpha,   // power: the target power is not above alpha
    outcome_size_unreachable,  // power: no whole size up to the bound
    outcome_root_unreachable,  // power: no effect size or level in range
    outcome_ci_field_count,   // ci --csv: a row without 3 or 4 fields
};

// The values a message may name.  Unused fields stay null.
struct message_fields {
    const char* argument;  // argument name(s)
    const char* value;     // the argument's text
    const char* domain;    // its domain
    const char* x;
    const char* df1;
    const char* df2;
    const char* p;
    const char* status;
    const char* detail;    // counts, limits, math error details
    long line;             // input line, 0 for the command line
};

// The status column's word for an outcome (ok, missing, invalid,
// no-solution, error).
const char* outcome_word(outcome_id id);

// True for the outcomes whose word is "error": a malformed row, a status the
// module should never answer, a math error.
bool outcome_is_error(outcome_id id);

// The outcome of one evaluation: from the status and the flag bytes.
outcome_id classify_evaluation(const host_evaluation* evaluation);

// The one-line reason for an outcome, without the program name or newline.
void format_reason(outcome_id id, const message_fields* fields, char* out, size_t size);

// The {detail} of a math error: the record's name, kind, exponent and base.
void math_error_detail(const host_math_error_report* error, char* out, size_t size);

// The FNONCT arguments' names and domains, in argument order.
extern const char* const fnonct_argument_names[host_argument_count];
extern const char* const fnonct_argument_domains[host_argument_count];

// Fill `fields` and pick the outcome of one FNONCT evaluation; `texts` are
// the four argument texts as given, `missing` marks which of them read as
// missing.  `scratch` (scratch_size bytes) holds the list of missing names.
outcome_id describe_evaluation(const host_evaluation* evaluation, const char* const* texts,
                               const bool* missing, message_fields* fields, char* scratch,
                               size_t scratch_size);

// ---------------------------------------------------------------------------
// Commands

int fnonct_command(int argc, char** argv, const char* argv0);
int fnonct_csv(const host_module* module, const char* path, int threads);
int eval_command(int argc, char** argv);
int ci_command(int argc, char** argv);
int power_command(int argc, char** argv);

// Print a double as the command line does: %.17g, "nan" for any NaN but the
// host's missing value, which prints as ".".
void print_number(std::FILE* out, double value);
// A value on stdout as %.17g (inf and nan as printf spells them), for the
// commands that load no module: none of their values is the missing value.
void print_plain(double value);
