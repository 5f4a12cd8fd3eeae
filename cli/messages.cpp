// Every outcome the command line reports, with its status-column word and
// its reason text, in one table.  Reason templates name the values they use
// in braces ({argument}, {value}, {domain}, {x}, {df1}, {df2}, {p},
// {status}, {detail}); format_reason fills them in.

#include <cstdio>
#include <cstring>

#include "cli/cli.h"

namespace {

struct outcome_text {
    outcome_id id;
    const char* word;
    const char* reason;
    int exit_status;   // of `kelbrant fnonct X DF1 DF2 P`; a CSV row's decides nothing alone
    const char* help;  // what the outcome means, for the help texts (null: not listed)
};

const outcome_text outcome_texts[] = {
    {outcome_ok, "ok", "", exit_ok, "lambda found"},
    {outcome_missing, "missing", "missing value for {argument}", exit_failure,
     "an argument is missing"},
    {outcome_invalid, "invalid", "{argument} = {value} is out of its domain {domain}",
     exit_failure, "out of its domain (x >= 0, df1 > 0, df2 > 0, 0 < p < 1)"},
    {outcome_no_solution, "no-solution",
     "no noncentrality parameter gives probability {p} at x = {x} (df1 = {df1}, df2 = {df2})",
     exit_failure, "no lambda exists: p is above the central probability"},
    {outcome_search_failed, "failed",
     "the search did not reach the noncentrality parameter that gives probability {p} at "
     "x = {x} (df1 = {df1}, df2 = {df2})",
     exit_search_failed, "a lambda exists, but the search did not reach it"},
    {outcome_unknown_status, "error", "the module answered status {status}", exit_failure,
     nullptr},
    {outcome_math_error, "error", "math error {detail}", exit_failure, nullptr},
    {outcome_wrong_field_count, "error", "expected {detail}", exit_failure, nullptr},
    {outcome_not_a_number, "error", "{argument} is not a number: '{value}'", exit_usage,
     nullptr},
    {outcome_overflow, "error", "{argument} = {value} is beyond the range of a double",
     exit_usage, nullptr},
    {outcome_unterminated_quote, "error",
     "a quoted field is not closed before the end of the input", exit_failure, nullptr},
    {outcome_power_at_alpha, "no-solution",
     "power {p} is not above alpha {value}: with no effect the power is alpha itself",
     exit_failure, nullptr},
    {outcome_size_unreachable, "no-solution", "no whole {argument} up to {value} reaches power {p}",
     exit_failure, nullptr},
    {outcome_root_unreachable, "no-solution", "no {argument} in [{domain}] gives power {p}",
     exit_failure, nullptr},
    {outcome_design_failed, "failed", "{detail}: a solution exists but the search did not reach it",
     exit_search_failed, nullptr},
    {outcome_design_invalid, "invalid",
     "{argument} = {value} puts the design out of its domain (df and sizes > 0, groups >= 2 "
     "whole, n-per-group > 1, effect >= 0, 0 < alpha < 1)",
     exit_failure, nullptr},
};

const outcome_text* find_text(outcome_id id)
{
    for (const outcome_text& t : outcome_texts)
        if (t.id == id)
            return &t;
    return &outcome_texts[outcome_unknown_status];
}

const char* field_named(const message_fields* f, const char* name, size_t length)
{
    struct named { const char* name; const char* value; };
    const named names[] = {{"argument", f->argument}, {"value", f->value}, {"domain", f->domain},
                           {"x", f->x},               {"df1", f->df1},     {"df2", f->df2},
                           {"p", f->p},               {"status", f->status}, {"detail", f->detail}};
    for (const named& n : names)
        if (std::strlen(n.name) == length && std::strncmp(n.name, name, length) == 0)
            return n.value != nullptr ? n.value : "?";
    return "?";
}

}  // namespace

const char* const fnonct_argument_names[host_argument_count] = {"x", "df1", "df2", "p"};
const char* const fnonct_argument_domains[host_argument_count] = {"x >= 0", "df1 > 0", "df2 > 0",
                                                                  "0 < p < 1"};

const char* outcome_word(outcome_id id) { return find_text(id)->word; }

bool outcome_is_error(outcome_id id) { return std::strcmp(find_text(id)->word, "error") == 0; }

int outcome_exit_status(outcome_id id) { return find_text(id)->exit_status; }

void print_fnonct_outcomes(std::FILE* out, const char* indent)
{
    for (const outcome_text& t : outcome_texts)
        if (t.help != nullptr)
            std::fprintf(out, "%s  %-12s exit %d  %s\n", indent, t.word, t.exit_status, t.help);
}

void format_reason(outcome_id id, const message_fields* fields, char* out, size_t size)
{
    if (size == 0)
        return;
    size_t used = 0;
    if (fields->line > 0)
        used = static_cast<size_t>(std::snprintf(out, size, "line %ld: ", fields->line));
    for (const char* t = find_text(id)->reason; *t != '\0' && used + 1 < size;) {
        const char* close = *t == '{' ? std::strchr(t, '}') : nullptr;
        if (close == nullptr) {
            out[used++] = *t++;
            continue;
        }
        const char* value = field_named(fields, t + 1, static_cast<size_t>(close - t - 1));
        int n = std::snprintf(out + used, size - used, "%s", value);
        used += n > 0 ? static_cast<size_t>(n) : 0;
        t = close + 1;
    }
    out[used < size ? used : size - 1] = '\0';
}

void math_error_detail(const host_math_error_report* error, char* out, size_t size)
{
    std::snprintf(out, size, "in %s (kind %d): exponent %.17g, base %.17g", error->function_name,
                  static_cast<int>(error->kind), error->first_argument, error->second_argument);
}

