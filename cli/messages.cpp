// Every outcome the command line reports, with its status-column word and
// its reason text, in one table.  Reason templates name the values they use
// in braces ({argument}, {value}, {domain}, {x}, {df1}, {df2}, {p},
// {status}, {detail}); format_reason fills them in.

#include <cstdio>
#include <cstring>

#include "cli/cli.h"
#include "fnonct/argument_list.h"

namespace {

struct outcome_text {
    outcome_id id;
    const char* word;
    const char* reason;
};

const outcome_text outcome_texts[] = {
    {outcome_ok, "ok", ""},
    {outcome_missing, "missing", "missing value for {argument}"},
    {outcome_invalid, "invalid", "{argument} = {value} is out of its domain {domain}"},
    {outcome_no_solution, "no-solution",
     "no noncentrality parameter gives probability {p} at x = {x} (df1 = {df1}, df2 = {df2})"},
    {outcome_unknown_status, "error", "the module answered status {status}"},
    {outcome_math_error, "error", "math error {detail}"},
    {outcome_wrong_field_count, "error", "expected 4 fields x,df1,df2,p, found {detail}"},
    {outcome_not_a_number, "error", "{argument} is not a number: '{value}'"},
    {outcome_line_too_long, "error", "line longer than {detail} characters"},
    {outcome_search_failed, "failed", "{detail}: a solution exists but the search did not reach it"},
    {outcome_power_at_alpha, "no-solution",
     "power {p} is not above alpha {value}: with no effect the power is alpha itself"},
    {outcome_size_unreachable, "no-solution", "no whole {argument} up to {value} reaches power {p}"},
    {outcome_root_unreachable, "no-solution", "no {argument} in [{domain}] gives power {p}"},
    {outcome_ci_field_count, "error", "expected 3 or 4 fields F,df1,df2[,n], found {detail}"},
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

outcome_id classify_evaluation(const host_evaluation* evaluation)
{
    if (evaluation->guard.unwound)
        return outcome_math_error;
    switch (evaluation->status) {
    case 0:
        return outcome_ok;
    case status_missing_argument:
        return outcome_missing;
    case status_invalid_argument:
        for (unsigned char flags : evaluation->flags)
            if (flags & argument_domain_flag)
                return outcome_invalid;
        return outcome_no_solution;
    default:
        return outcome_unknown_status;
    }
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

outcome_id describe_evaluation(const host_evaluation* evaluation, const char* const* texts,
                               const bool* missing, message_fields* fields, char* scratch,
                               size_t scratch_size)
{
    fields->x = texts[0];
    fields->df1 = texts[1];
    fields->df2 = texts[2];
    fields->p = texts[3];
    const outcome_id id = classify_evaluation(evaluation);
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
    return id;
}
