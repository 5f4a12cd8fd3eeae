// kelbrant ci: confidence intervals for the noncentrality of an observed F
// and, given the total sample size, for the effect sizes f2 and eta2
// (design/effect_size_interval; Steiger 2004).  `ci chisq ...` is the
// chi-square statistic's interval (ci_chisq_command.cpp).
//
//   kelbrant ci F DF1 DF2 [--level 0.95] [--n N] [--alternative WHICH]
//   kelbrant ci [--level 0.95] [--alternative WHICH] --csv [FILE]
//
// Output: "name lower upper" lines (lambda; with --n also f2 and eta2), %.17g,
// exit 0.  A missing or out-of-domain argument, or a search that failed,
// prints the reason on stderr and exits 1.
//
// --csv reads rows "F,df1,df2[,n]" (FILE, or stdin when FILE is absent or
// "-") with the batch rules of `fnonct --csv`: a first line whose first
// field is not a number is a header and is dropped, blank lines are passed
// over, and every row gets exactly one output row, in input order:
// "F,df1,df2,n,lambda_lower,lambda_upper,f2_lower,f2_upper,eta2_lower,
// eta2_upper,status", the fields as given, the limits empty unless the
// status is ok (the effect sizes empty without n), status ok, missing,
// invalid, failed or error (a malformed row, also reported on stderr with
// its line; the exit status is then 1).

#include <cmath>
#include <cstdio>
#include <cstring>

#include "cli/cli.h"
#include "design/design.h"
#include "fnonct/fnonct_solve.h"

namespace {

const char ci_help[] =
    "Confidence interval for the noncentrality lambda of the F distribution behind\n"
    "an observed F with DF1 and DF2 degrees of freedom, by inverting the noncentral\n"
    "F distribution function in lambda (Steiger 2004, Psychological Methods 9,\n"
    "164-182):\n"
    "  lower:  P(F' <= F; DF1, DF2, lower) = 1 - a\n"
    "  upper:  P(F' <= F; DF1, DF2, upper) = a\n"
    "with a = (1 - L)/2 for two-sided intervals (default L = 0.95); --alternative\n"
    "less gives [0, upper] and greater [lower, inf] with a = 1 - L.  A limit whose\n"
    "equation has no root (F below the central quantile) is 0.  With the total\n"
    "sample size N, the intervals of the effect sizes follow from lambda's:\n"
    "  f2   = lambda / N               (Cohen's f squared)\n"
    "  eta2 = lambda / (lambda + N)    (eta squared, the proportion of variance)\n"
    "\n"
    "Output: one line per quantity, \"name lower upper\".\n"
    "--csv reads rows F,df1,df2[,n] and writes one row of limits and a status each.\n"
    "\n"
    "ci t T DF: the interval for the noncentrality delta of the noncentral t\n"
    "distribution behind an observed t with DF degrees of freedom (Steiger and\n"
    "Fouladi 1997):\n"
    "  lower:  P(T > t; DF, lower) = a\n"
    "  upper:  P(T <= t; DF, upper) = a\n"
    "--alternative less gives [-inf, upper], greater [lower, inf].  With the\n"
    "sample size --n N (one sample or pairs) or --n1 N1 --n2 N2 (two groups), the\n"
    "intervals of Cohen's d and Hedges' g follow:\n"
    "  d = delta / sqrt(N)   or   d = delta sqrt(1/N1 + 1/N2)\n"
    "  g = J(DF) d,  J(DF) = Gamma(DF/2) / (sqrt(DF/2) Gamma((DF - 1)/2))\n"
    "--csv reads rows t,df[,n1[,n2]] and writes a row of limits and a status each.\n";

struct ci_options {
    double level = 0.95;
    int32_t alternative = ncp_two_sided;
    double n;  // NaN: not given
};

// The reason an interval was not given; texts are F, DF1, DF2, N
// as given (N may be null).
void report(fnonct_outcome outcome, const double* values, const char* const* texts, double level,
            char* out, size_t size)
{
    char level_text[64];
    std::snprintf(level_text, sizeof level_text, "%.17g", level);
    static const char* const names[] = {"F", "DF1", "DF2", "N"};
    static const char* const domains[] = {"F >= 0", "DF1 > 0", "DF2 > 0", "N > 0"};
    message_fields fields{};
    outcome_id id = outcome_design_failed;
    if (outcome == fnonct_missing || outcome == fnonct_invalid) {
        id = outcome == fnonct_missing ? outcome_missing : outcome_invalid;
        int bad = -1;
        for (int i = 0; i < 4 && bad < 0; ++i) {
            bool missing = std::isnan(values[i]) && (i < 3 || texts[i] != nullptr);
            bool invalid = i < 3 ? fnonct_argument_out_of_domain(values[0], values[1], values[2],
                                                                 0.5) == i + 1
                                 : texts[3] != nullptr && !(values[3] > 0.0 && !std::isinf(values[3]));
            if (outcome == fnonct_missing ? missing : invalid)
                bad = i;
        }
        if (bad >= 0) {
            fields.argument = names[bad];
            fields.value = texts[bad];
            fields.domain = domains[bad];
        } else {  // the level is the argument out of its domain
            fields.argument = "--level";
            fields.value = level_text;
            fields.domain = "0 < level < 1";
        }
    } else {
        fields.detail = "confidence interval";
    }
    format_reason(id, &fields, out, size);
}

int one_interval(char** texts, const ci_options& options)
{
    double values[4] = {0.0, 0.0, 0.0, options.n};
    static const char* const names[] = {"F", "DF1", "DF2"};
    for (int i = 0; i < 3; ++i)
        if (!ci_read_number(names[i], texts[i], &values[i]))
            return exit_usage;
    effect_interval interval;
    int32_t outcome = effect_size_interval(values[0], values[1], values[2], options.n,
                                           options.level, options.alternative, &interval);
    if (outcome != fnonct_ok) {
        char n_text[64];
        std::snprintf(n_text, sizeof n_text, "%.17g", options.n);
        const char* all[] = {texts[0], texts[1], texts[2], std::isnan(options.n) ? nullptr : n_text};
        char reason[512];
        report(static_cast<fnonct_outcome>(outcome), values, all, options.level, reason,
               sizeof reason);
        std::fprintf(stderr, "kelbrant: ci: %s\n", reason);
        return exit_failure;
    }
    struct line_out {
        const char* name;
        double limits[2];
    };
    const line_out lines[] = {{"lambda", {interval.lambda_lower, interval.lambda_upper}},
                              {"f2", {interval.f2_lower, interval.f2_upper}},
                              {"eta2", {interval.eta2_lower, interval.eta2_upper}}};
    for (const line_out& l : lines) {
        if (l.name != lines[0].name && std::isnan(options.n))
            break;
        ci_print_line(l.name, l.limits, 2);
    }
    return exit_ok;
}

outcome_id interval_row(const double* values, size_t count, const void* context)
{
    const ci_options& options = *static_cast<const ci_options*>(context);
    effect_interval interval;
    int32_t outcome = effect_size_interval(values[0], values[1], values[2], values[3],
                                           options.level, options.alternative, &interval);
    bool ok = outcome == fnonct_ok;
    bool with_n = ok && count == 4;
    ci_csv_value(interval.lambda_lower, ok);
    ci_csv_value(interval.lambda_upper, ok);
    ci_csv_value(interval.f2_lower, with_n);
    ci_csv_value(interval.f2_upper, with_n);
    ci_csv_value(interval.eta2_lower, with_n);
    ci_csv_value(interval.eta2_upper, with_n);
    return ok                          ? outcome_ok
         : outcome == fnonct_missing ? outcome_missing
         : outcome == fnonct_invalid ? outcome_invalid
                                     : outcome_design_failed;
}

const char* const csv_names[] = {"F", "df1", "df2", "n"};
const ci_csv_table csv_table = {
    "F,df1,df2,n,lambda_lower,lambda_upper,f2_lower,f2_upper,eta2_lower,eta2_upper,status",
    csv_names, 4, 1u << 3 | 1u << 4, "3 or 4 fields F,df1,df2[,n]", 6, interval_row,
};

void print_ci_help(std::FILE* out, const char* indent)
{
    print_lines(out, indent, ci_help);
    std::fputc('\n', out);
    print_lines(out, indent, ci_chisq_help);
}

}  // namespace

int ci_run(int argc, char** argv, const char*)
{
    if (argc > 0 && std::strcmp(argv[0], "chisq") == 0)
        return ci_chisq_run(argc - 1, argv + 1);
    if (argc > 0 && std::strcmp(argv[0], "t") == 0) {
        for (int i = 1; i < argc; ++i)
            if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
                print_command_help(stdout, &ci_command_info);
                return exit_ok;
            }
        return ci_t_run(argc - 1, argv + 1);
    }
    ci_options options;
    options.n = std::nan("");
    char* positional[3];
    int count = 0;
    bool csv = false;
    const char* csv_path = nullptr;
    for (int i = 0; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            print_command_help(stdout, &ci_command_info);
            return exit_ok;
        }
        if (ci_csv_option(argc, argv, &i, &csv, &csv_path))
            continue;
        static const int32_t alternatives[] = {ncp_two_sided, ncp_less, ncp_greater};
        int status = exit_ok;
        if (ci_number_option(argc, argv, &i, "--level", &options.level, &status) ||
            ci_number_option(argc, argv, &i, "--n", &options.n, &status) ||
            ci_alternative_option(argc, argv, &i, alternatives, &options.alternative, &status)) {
            if (status != exit_ok)
                return status;
            continue;
        }
        if (arg[0] == '-' && arg[1] == '-') {
            char detail[256];
            std::snprintf(detail, sizeof detail, "ci: unknown option '%s'", arg);
            return usage_error(&ci_command_info, detail);
        }
        if (count == 3)
            return usage_error(&ci_command_info, "ci takes F DF1 DF2");
        positional[count++] = argv[i];
    }
    if (csv) {
        if (count != 0 || !std::isnan(options.n))
            return usage_error(&ci_command_info, "ci --csv takes the values from its rows");
        return ci_csv_run(csv_path, &csv_table, &options);
    }
    if (count != 3)
        return usage_error(&ci_command_info, "ci takes F DF1 DF2");
    return one_interval(positional, options);
}

const command_info ci_command_info = {
    "ci",
    "ci F DF1 DF2 [--level L] [--n N] [--alternative WHICH]\n"
    "ci [--level L] [--alternative WHICH] --csv [FILE]\n"
    "ci chisq X DF [--n N] [--rmsea | --table R C] [OPTION]...\n"
    "ci chisq [OPTION]... --csv [FILE]\n"
    "ci t T DF [--n N | --n1 N1 --n2 N2] [--level L] [OPTION]...\n"
    "ci t [--level L] [--alternative WHICH] --csv [FILE]",
    "intervals for lambda and the effect sizes f2, eta2, d, g; RMSEA, w, V",
    print_ci_help,
    ci_run,
};
