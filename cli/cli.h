// The command line's shared pieces: the commands and their help, reading
// options and numbers, and the one table of outcome texts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "host/host.h"

// Exit statuses.
constexpr int exit_ok = 0;
constexpr int exit_failure = 1;  // no value: missing, out of domain, no solution; an error
                                 // row; a routine's failure status; output not written
constexpr int exit_usage = 2;    // the command line itself is wrong
constexpr int exit_setup = 3;    // the module could not be loaded, or the input not opened
constexpr int exit_search_failed = 4;  // a lambda exists but the search did not reach it

// ---------------------------------------------------------------------------
// Commands (main.cpp holds their table)

// One subcommand: `kelbrant NAME ...`.  A new command is a new record and a
// line in main.cpp's table.
struct command_info {
    const char* name;
    const char* usage;    // synopsis lines after "kelbrant ", separated by '\n'
    const char* summary;  // one line for the program's help
    // The rest of `kelbrant NAME --help`, after the usage lines, each line
    // after `indent` (the program's help indents the commands' under a heading).
    void (*print_help)(std::FILE* out, const char* indent);
    int (*run)(int argc, char** argv, const char* argv0);  // arguments after NAME
};

extern const command_info fnonct_command_info;
extern const command_info eval_command_info;
extern const command_info ci_command_info;
// `ci chisq`, the chi-square statistic's interval (ci_chisq_command.cpp):
// its help text and its run, on the words after "chisq".
extern const char ci_chisq_help[];
int ci_chisq_run(int argc, char** argv);
// `ci t`: the noncentral t intervals (ci_t_command.cpp), argv after the "t".
int ci_t_run(int argc, char** argv);
// `power t`: the t tests' design (power_t_command.cpp), argv after the "t".
int power_t_run(int argc, char** argv);
extern const command_info power_command_info;

// Print `text` line by line, each line that is not empty after `indent`.
void print_lines(std::FILE* out, const char* indent, const char* text);

// `kelbrant NAME --help` on `out`: the usage lines, then the help text.
void print_command_help(std::FILE* out, const command_info* command);

// A usage error: "kelbrant: DETAIL", the command's usage lines (every
// command's when `command` is null) and where to read more, on stderr.
// Returns exit_usage.
int usage_error(const command_info* command, const char* detail);

// ---------------------------------------------------------------------------
// Options (options.cpp)
//
// Arguments that begin with "--" are options, "-h" is --help; everything
// else ("-" and negative numbers included) is an operand, as is every
// argument after "--".  An option's value comes as --name=VALUE or as the
// next argument.

struct option_spec {
    const char* name;  // with its dashes: "--module"
    bool takes_value;
};

struct option_parser {
    int argc;
    char** argv;
    int next;           // the next argument to look at
    bool operands_only;  // "--" has been seen
};

enum option_kind { option_operand, option_named, option_done, option_wrong };

// The next argument: option_named with *which (index into specs, ended by a
// null name) and *value (null for an option without one), option_operand
// with *value, option_done after the last, or option_wrong with a message
// naming the argument in `error`.
option_kind next_option(option_parser* parser, const option_spec* specs, int* which,
                        const char** value, char* error, size_t error_size);

// ---------------------------------------------------------------------------
// Numbers (value_parse.cpp)

enum value_kind { value_number, value_missing, value_invalid, value_overflow };

// The words that mark a missing value unless told otherwise: "NA", ".",
// "nan" and the empty field (the list's last, empty word).
constexpr char default_missing_words[] = "NA,.,nan,";

struct number_format {
    char decimal;               // '.' or ','
    const char* missing_words;  // comma-separated, matched in any case
    bool digit_words;           // some missing word starts with a digit ("999")
};

constexpr number_format plain_numbers = {'.', default_missing_words, false};

// The format with this decimal mark and these missing words.
number_format make_number_format(char decimal, const char* missing_words);

// Read one value: surrounding blanks are ignored; "inf", "infinity" and "nan"
// with a sign or none read as the infinity or NaN they name (both missing to
// the module), another missing word as the host's missing value; otherwise decimal
// or scientific notation with the format's decimal mark, nothing else.  A
// number beyond the double range is value_overflow; one below it rounds to
// a subnormal or zero, as correctly rounded reading gives.
value_kind parse_value(const char* text, size_t length, const number_format* format,
                       double* value);

// The text of a double as %.17g writes it, with the decimal mark given; NaN
// as "nan", except the host's missing value, which is ".".  Returns the
// length; `out` holds at least number_text_size bytes and ends with a NUL.
constexpr size_t number_text_size = 32;
size_t format_number(double value, char decimal, char* out);
void print_number(std::FILE* out, double value);
// A value on stdout as %.17g (inf and nan as printf spells them), for the
// commands that load no module: none of their values is the missing value.
void print_plain(double value);

// An option with a value, as "--name VALUE" or "--name=VALUE": true when
// argv[*i] is that option; *value is then its value (null when none
// follows) and *i the index of the last word used.
bool option_argument(int argc, char** argv, int* i, const char* name, const char** value);

// ---------------------------------------------------------------------------
// Outcomes and their texts (messages.cpp: the one table)

enum outcome_id {
    outcome_ok,
    outcome_missing,        // status 120833
    outcome_invalid,        // status 120836 with a domain flag
    outcome_no_solution,    // status 120836 without a flag, p above the central probability
    outcome_search_failed,  // status 120836 without a flag, a root exists
    outcome_unknown_status,
    outcome_math_error,     // a math error unwound the call
    outcome_wrong_field_count,
    outcome_not_a_number,
    outcome_overflow,
    outcome_unterminated_quote,
    outcome_power_at_alpha,    // power: the target power is not above alpha
    outcome_size_unreachable,  // power: no whole size up to the bound
    outcome_root_unreachable,  // power: no effect size or level in range
    outcome_design_failed,     // ci, power: an answer exists but a search did not reach it
    outcome_design_invalid,    // power: a curve's point outside the design's domain
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
    const char* detail;    // counts, math error details
    long line;             // input line, 0 for the command line
};

// The status column's word for an outcome (ok, missing, invalid,
// no-solution, failed, error).
const char* outcome_word(outcome_id id);

// True for the outcomes whose word is "error": a malformed row, a status the
// module should never answer, a math error.
bool outcome_is_error(outcome_id id);

// The exit status of `kelbrant fnonct X DF1 DF2 P` with this outcome.
int outcome_exit_status(outcome_id id);

// The one-line reason for an outcome, without the program name or newline.
void format_reason(outcome_id id, const message_fields* fields, char* out, size_t size);

// ---------------------------------------------------------------------------
// The batch mode of the `ci` commands (ci_csv.cpp)
//
// A row of `width` input columns (at most ci_csv_max_width) is echoed, then
// the `results` columns that `evaluate` writes for a well-formed row, each
// after a ',' (values NaN where empty or absent; count is the row's number
// of fields); evaluate returns the row's status.  Bit k of `counts` set: a
// row may have k fields, and `counts_text` ("3 or 4 fields F,df1,df2[,n]")
// says which otherwise.  `names` name the input columns in the messages.
constexpr int ci_csv_max_width = 5;
struct ci_csv_table {
    const char* header;
    const char* const* names;
    int width;
    unsigned counts;
    const char* counts_text;
    int results;
    outcome_id (*evaluate)(const double* values, size_t count, const void* context);
};
// Rows from `path` (stdin when null or "-"): exit_ok, exit_failure when a
// row was malformed, exit_setup when the file cannot be opened.
int ci_csv_run(const char* path, const ci_csv_table* table, const void* context);
// A line of a `ci` command's answer: the name and the numbers, %.17g,
// separated by spaces.
void ci_print_line(const char* name, const double* numbers, int count);
// One result column: ',' and the value when `show`.
void ci_csv_value(double v, bool show);
// A number of a `ci` command line (NaN when empty); false after the usage
// error when it is not one.
bool ci_read_number(const char* name, const char* text, double* value);
// The options the `ci` commands share; each is true when argv[*i] is the
// option (taking its value), with *status exit_ok or a usage error's.
// --csv [FILE]: the next word is FILE unless it is an option ("-" is stdin).
bool ci_csv_option(int argc, char** argv, int* i, bool* csv, const char** path);
// --NAME NUMBER.
bool ci_number_option(int argc, char** argv, int* i, const char* name, double* target,
                      int* status);
// --alternative two-sided|less|greater, stored as codes[0], [1] or [2].
bool ci_alternative_option(int argc, char** argv, int* i, const int32_t codes[3],
                           int32_t* target, int* status);

// The {detail} of a math error: the record's name, kind, exponent and base.
void math_error_detail(const host_math_error_report* error, char* out, size_t size);

// The FNONCT arguments' names and domains, in argument order.
extern const char* const fnonct_argument_names[host_argument_count];
extern const char* const fnonct_argument_domains[host_argument_count];

// The FNONCT outcomes for the help texts, from the same table: each word,
// its exit status on the command line and what it means.
void print_fnonct_outcomes(std::FILE* out, const char* indent);

// ---------------------------------------------------------------------------
// FNONCT evaluations (fnonct_outcome.cpp)

// Evaluate FNONCT(values) through the module's callback into *evaluation
// and return its outcome.  The callback answers 120836 without a flag both
// when no lambda exists and when its search missed one; those rows alone
// are asked again of fnonct_solve, on the copy of the core routines linked
// into this program, which tells the two apart.  That copy must have been
// attached to the host (host_attach_static) first.
outcome_id fnonct_evaluate_row(const host_module* module, const double* values,
                               host_evaluation* evaluation);

// Fill `fields` for the outcome `id` of one FNONCT evaluation; `texts` are
// the four argument texts as given, `missing` marks which of them read as
// missing.  `scratch` (scratch_size bytes) holds the list of missing names.
void describe_evaluation(outcome_id id, const host_evaluation* evaluation,
                         const char* const* texts, const bool* missing, message_fields* fields,
                         char* scratch, size_t scratch_size);

// The module: --module PATH, else kelbrant.so beside the executable, else
// in the library folder of the installation the executable belongs to.
// Opens it and attaches the linked copy too; exit_ok, or exit_setup after a
// message on stderr.
int open_fnonct_module(const char* module_path, const char* argv0, host_module* module);
