// kelbrant ci t: the confidence interval for the noncentrality delta of an
// observed t and, given the sample sizes, for Cohen's d and Hedges' g
// (design/cohens_d_interval; Steiger and Fouladi 1997).
//
//   kelbrant ci t T DF [--n N | --n1 N1 --n2 N2] [--level L] [--alternative WHICH]
//   kelbrant ci t [--level L] [--alternative WHICH] --csv [FILE]
//
// Output: "name lower upper" lines (delta; with the sizes also d and g),
// %.17g, exit 0; a one-sided interval has an infinite end.  Failures as
// `ci F`: the reason on stderr, exit 1.
//
// --csv reads rows "t,df[,n1[,n2]]" with the batch rules of `fnonct --csv`
// (a header dropped, blank lines passed over, one output row per input row
// in order): "t,df,n1,n2,delta_lower,delta_upper,d_lower,d_upper,g_lower,
// g_upper,status", the limits empty unless the status is ok (d and g empty
// without n1), status ok, missing, invalid, failed or error (a malformed
// row, reported on stderr with its line; the exit status is then 1).

#include <cmath>
#include <cstdio>

#include "cli/cli.h"
#include "design/design.h"

namespace {

struct t_options {
    double level = 0.95;
    int32_t alternative = t_test_two_sided;
    double n1, n2;  // NaN: not given
};

outcome_id outcome_of(design_outcome outcome, const double* values, int count)
{
    if (outcome == design_ok)
        return outcome_ok;
    for (int i = 0; i < count; ++i)
        if (std::isnan(values[i]))
            return outcome_missing;
    return outcome == design_invalid ? outcome_invalid : outcome_design_failed;
}

// delta's interval alone (no sizes), or with d and g.
design_outcome interval_of(const double* values, double n1, double n2, const t_options& options,
                           d_interval* r)
{
    if (std::isnan(values[0]) || std::isnan(values[1]))
        return design_invalid;
    return cohens_d_interval(values[0], values[1], n1, n2, options.level, options.alternative, r);
}

void print_line(const char* name, double lower, double upper)
{
    const double limits[] = {lower, upper};
    ci_print_line(name, limits, 2);
}

int one_interval(char** texts, const t_options& options)
{
    double values[2];
    static const char* const names[] = {"T", "DF"};
    for (int i = 0; i < 2; ++i)
        if (!ci_read_number(names[i], texts[i], &values[i]))
            return exit_usage;
    d_interval r;
    design_outcome outcome = interval_of(values, options.n1, options.n2, options, &r);
    if (outcome != design_ok) {
        message_fields fields{};
        outcome_id id = outcome_of(outcome, values, 2);
        if (id == outcome_design_failed) {
            fields.detail = "confidence interval";
        } else {
            fields.argument = "T, DF, --n, --n1, --n2 or --level";
            fields.value = texts[std::isnan(values[0]) ? 0 : 1];
            fields.domain = "T finite, DF > 0, N > 1 or N1, N2 > 0, 0 < level < 1";
        }
        char reason[512];
        format_reason(id, &fields, reason, sizeof reason);
        std::fprintf(stderr, "kelbrant: ci: %s\n", reason);
        return exit_failure;
    }
    print_line("delta", r.delta_lower, r.delta_upper);
    if (!std::isnan(options.n1)) {
        print_line("d", r.d_lower, r.d_upper);
        print_line("g", r.g_lower, r.g_upper);
    }
    return exit_ok;
}

outcome_id interval_row(const double* values, size_t count, const void* context)
{
    const t_options& options = *static_cast<const t_options*>(context);
    d_interval r;
    // A given but empty size is missing; an absent one is not asked for.
    bool sizes = count >= 3;
    design_outcome outcome = interval_of(values, values[2], values[3], options, &r);
    if (sizes && std::isnan(values[2]))
        outcome = design_invalid;
    bool ok = outcome == design_ok;
    ci_csv_value(r.delta_lower, ok);
    ci_csv_value(r.delta_upper, ok);
    ci_csv_value(r.d_lower, ok && sizes);
    ci_csv_value(r.d_upper, ok && sizes);
    ci_csv_value(r.g_lower, ok && sizes);
    ci_csv_value(r.g_upper, ok && sizes);
    return outcome_of(outcome, values, sizes ? (count == 4 ? 4 : 3) : 2);
}

const char* const csv_names[] = {"t", "df", "n1", "n2"};
const ci_csv_table csv_table = {
    "t,df,n1,n2,delta_lower,delta_upper,d_lower,d_upper,g_lower,g_upper,status",
    csv_names, 4, 1u << 2 | 1u << 3 | 1u << 4, "2 to 4 fields t,df[,n1[,n2]]", 6, interval_row,
};

}  // namespace

int ci_t_run(int argc, char** argv)
{
    t_options options;
    options.n1 = options.n2 = std::nan("");
    char* positional[2];
    int count = 0;
    bool csv = false, n_given = false, pair_given = false;
    const char* csv_path = nullptr;
    for (int i = 0; i < argc; ++i) {
        const char* arg = argv[i];
        if (ci_csv_option(argc, argv, &i, &csv, &csv_path))
            continue;
        struct numeric_option {
            const char* name;
            double* target;
            bool* given;
        } numeric[] = {{"--level", &options.level, nullptr},
                       {"--n", &options.n1, &n_given},
                       {"--n1", &options.n1, &pair_given},
                       {"--n2", &options.n2, &pair_given}};
        bool matched = false;
        for (const numeric_option& o : numeric) {
            int status = exit_ok;
            if (!ci_number_option(argc, argv, &i, o.name, o.target, &status))
                continue;
            if (status != exit_ok)
                return status;
            if (o.given != nullptr)
                *o.given = true;
            matched = true;
            break;
        }
        if (matched)
            continue;
        static const int32_t alternatives[] = {t_test_two_sided, t_test_less, t_test_greater};
        int status = exit_ok;
        if (ci_alternative_option(argc, argv, &i, alternatives, &options.alternative, &status)) {
            if (status != exit_ok)
                return status;
            continue;
        }
        if (arg[0] == '-' && arg[1] == '-') {
            char detail[256];
            std::snprintf(detail, sizeof detail, "ci t: unknown option '%s'", arg);
            return usage_error(&ci_command_info, detail);
        }
        if (count == 2)
            return usage_error(&ci_command_info, "ci t takes T DF");
        positional[count++] = argv[i];
    }
    if (n_given && pair_given)
        return usage_error(&ci_command_info, "ci t takes --n or --n1 with --n2, not both");
    if (pair_given && (std::isnan(options.n1) || std::isnan(options.n2)))
        return usage_error(&ci_command_info, "ci t: --n1 and --n2 go together");
    if (csv) {
        if (count != 0 || n_given || pair_given)
            return usage_error(&ci_command_info, "ci t --csv takes the values from its rows");
        return ci_csv_run(csv_path, &csv_table, &options);
    }
    if (count != 2)
        return usage_error(&ci_command_info, "ci t takes T DF");
    return one_interval(positional, options);
}
