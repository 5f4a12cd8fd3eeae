// kelbrant ci chisq: confidence intervals for the noncentrality behind an
// observed chi-square statistic and, given the sample size, for the RMSEA,
// Cohen's w (phi) and Cramer's V (design/chisq_effect_size_interval;
// Steiger 2004).
//
//   kelbrant ci chisq X DF [--n N] [--rmsea | --table R C] [--level L]
//                          [--alternative WHICH] [--rmsea-divisor n-1|n]
//   kelbrant ci chisq [--level L] [--alternative WHICH] [--rmsea-divisor D] --csv [FILE]
//
// Output: "name estimate lower upper" lines, %.17g: lambda, then with --n
// w, with --rmsea rmsea, with --table cramers_v.  A missing or out-of-domain
// argument, or a search that failed, prints the reason on stderr and exits 1.
//
// --csv reads rows "chi2,df[,n[,rows,cols]]" with the batch rules of
// `fnonct --csv` (a header line dropped, blank lines passed over, one output
// row per input row in order) and writes "chi2,df,n,rows,cols,
// lambda_estimate,lambda_lower,lambda_upper,rmsea_estimate,rmsea_lower,
// rmsea_upper,w_estimate,w_lower,w_upper,v_estimate,v_lower,v_upper,status":
// the fields as given, the values empty unless the status is ok (those
// needing n or the table empty without them), status ok, missing, invalid,
// failed or error (a malformed row, also reported on stderr with its line;
// the exit status is then 1).

#include <cmath>
#include <cstdio>
#include <cstring>

#include "cli/cli.h"
#include "design/design.h"
#include "fnonct/fnonct_solve.h"

namespace {

struct chisq_options {
    double level = 0.95;
    int32_t alternative = ncp_two_sided;
    int32_t convention = rmsea_n_minus_1;
    double n, rows, cols;  // NaN: not given
    bool rmsea = false;
};

// The argument an outcome of missing or invalid points at: the first NaN,
// or the first value outside its domain.
void describe(int32_t outcome, const double* values, char texts[][64], const chisq_options& o,
              char* level_text, size_t level_size, message_fields* fields)
{
    const double n_floor = o.convention == rmsea_n_minus_1 ? 1.0 : 0.0;
    static const char* const names[] = {"X", "DF", "N", "R", "C"};
    static const char* const domains[] = {"X >= 0", "2^-10 < DF <= 2147483647",
                                          "N > 1 (N > 0 with --rmsea-divisor n)",
                                          "R whole, at least 2", "C whole, at least 2"};
    for (int i = 0; i < 5; ++i) {
        double v = values[i];
        bool given = i < 2 || !std::isnan(v) || texts[i][0] != '\0';
        bool bad = outcome == fnonct_missing ? (i < 2 && std::isnan(v))
                 : i == 0                    ? !(v >= 0.0)
                 : i == 1                    ? !(v > 0x1p-10 && v <= 2147483647.0)
                 : i == 2                    ? given && !(v > n_floor && !std::isinf(v))
                                             : given && !(v >= 2.0 && std::floor(v) == v);
        if (given && bad) {
            fields->argument = names[i];
            fields->value = texts[i];
            fields->domain = domains[i];
            return;
        }
    }
    std::snprintf(level_text, level_size, "%.17g", o.level);
    fields->argument = "--level";
    fields->value = level_text;
    fields->domain = "0 < level < 1";
}

outcome_id outcome_of(int32_t outcome)
{
    return outcome == fnonct_ok        ? outcome_ok
         : outcome == fnonct_missing ? outcome_missing
         : outcome == fnonct_invalid ? outcome_invalid
                                     : outcome_design_failed;
}

int one_interval(char** positional, const chisq_options& o)
{
    double values[5] = {0.0, 0.0, o.n, o.rows, o.cols};
    char texts[5][64] = {};
    static const char* const names[] = {"X", "DF"};
    for (int i = 0; i < 2; ++i) {
        if (!ci_read_number(names[i], positional[i], &values[i]))
            return exit_usage;
        std::snprintf(texts[i], sizeof texts[i], "%s", positional[i]);
    }
    for (int i = 2; i < 5; ++i)
        if (!std::isnan(values[i]))
            std::snprintf(texts[i], sizeof texts[i], "%.17g", values[i]);
    chisq_effect_interval r;
    int32_t outcome = chisq_effect_size_interval(values[0], values[1], o.n, o.rows, o.cols,
                                                 o.level, o.alternative, o.convention, &r);
    if (outcome != fnonct_ok) {
        message_fields fields{};
        char level_text[64];
        outcome_id id = outcome_of(outcome);
        if (id == outcome_design_failed)
            fields.detail = "confidence interval";
        else
            describe(outcome, values, texts, o, level_text, sizeof level_text, &fields);
        char reason[512];
        format_reason(id, &fields, reason, sizeof reason);
        std::fprintf(stderr, "kelbrant: ci: %s\n", reason);
        return exit_failure;
    }
    struct line_out {
        const char* name;
        double numbers[3];  // estimate, lower, upper
        bool show;
    };
    const line_out lines[] = {
        {"lambda", {r.lambda_estimate, r.lambda_lower, r.lambda_upper}, true},
        {"w", {r.w_estimate, r.w_lower, r.w_upper}, !std::isnan(o.n)},
        {"rmsea", {r.rmsea_estimate, r.rmsea_lower, r.rmsea_upper}, o.rmsea},
        {"cramers_v", {r.v_estimate, r.v_lower, r.v_upper}, !std::isnan(o.rows)},
    };
    for (const line_out& l : lines)
        if (l.show)
            ci_print_line(l.name, l.numbers, 3);
    return exit_ok;
}

outcome_id interval_row(const double* values, size_t count, const void* context)
{
    const chisq_options& o = *static_cast<const chisq_options*>(context);
    chisq_effect_interval r;
    int32_t outcome = chisq_effect_size_interval(values[0], values[1], values[2], values[3],
                                                 values[4], o.level, o.alternative,
                                                 o.convention, &r);
    bool ok = outcome == fnonct_ok;
    bool with_n = ok && count >= 3 && !std::isnan(values[2]);
    bool with_table = with_n && count == 5;
    const double shown[] = {r.lambda_estimate, r.lambda_lower, r.lambda_upper,
                            r.rmsea_estimate,  r.rmsea_lower,  r.rmsea_upper,
                            r.w_estimate,      r.w_lower,      r.w_upper,
                            r.v_estimate,      r.v_lower,      r.v_upper};
    for (int i = 0; i < 12; ++i)
        ci_csv_value(shown[i], i < 3 ? ok : i < 9 ? with_n : with_table);
    return outcome_of(outcome);
}

const char* const csv_names[] = {"chi2", "df", "n", "rows", "cols"};
const ci_csv_table csv_table = {
    "chi2,df,n,rows,cols,lambda_estimate,lambda_lower,lambda_upper,rmsea_estimate,"
    "rmsea_lower,rmsea_upper,w_estimate,w_lower,w_upper,v_estimate,v_lower,v_upper,status",
    csv_names, 5, 1u << 2 | 1u << 3 | 1u << 5, "2, 3 or 5 fields chi2,df[,n[,rows,cols]]", 12,
    interval_row,
};

}  // namespace

const char ci_chisq_help[] =
    "ci chisq: the interval for the noncentrality lambda of the chi-square\n"
    "distribution behind an observed statistic X on DF degrees of freedom,\n"
    "  lower:  P(X' <= X; DF, lower) = 1 - a,   upper:  P(X' <= X; DF, upper) = a,\n"
    "a = (1 - L)/2 two-sided, 1 - L one-sided; a limit with no root is 0.  With the\n"
    "sample size N (--n), the effect sizes that are monotone maps of lambda:\n"
    "  w = phi   = sqrt(lambda / N)                    (Cohen's w)\n"
    "  rmsea     = sqrt(lambda / (DF (N - 1)))         (--rmsea; --rmsea-divisor n\n"
    "                                                   divides by DF N instead)\n"
    "  cramers_v = sqrt(lambda / (N (min(R, C) - 1)))  (--table R C)\n"
    "Each line is \"name estimate lower upper\"; the estimates are the maps of\n"
    "lambda = max(X - DF, 0), which lie inside their intervals (sqrt(X/N)\n"
    "overstates the effect by DF).  Options: --level L, --alternative\n"
    "two-sided|less|greater, --rmsea-divisor n-1|n.  --csv reads rows\n"
    "chi2,df[,n[,rows,cols]].\n";

int ci_chisq_run(int argc, char** argv)
{
    chisq_options o;
    o.n = o.rows = o.cols = std::nan("");
    char* positional[2];
    int count = 0;
    bool csv = false;
    const char* csv_path = nullptr;
    for (int i = 0; i < argc; ++i) {
        const char* arg = argv[i];
        const char* value = nullptr;
        if (std::strcmp(arg, "--help") == 0 || std::strcmp(arg, "-h") == 0) {
            print_command_help(stdout, &ci_command_info);
            return exit_ok;
        }
        if (ci_csv_option(argc, argv, &i, &csv, &csv_path))
            continue;
        if (std::strcmp(arg, "--rmsea") == 0) {
            o.rmsea = true;
            continue;
        }
        if (std::strcmp(arg, "--table") == 0) {
            if (i + 2 >= argc)
                return usage_error(&ci_command_info, "--table needs R and C");
            if (!ci_read_number("R", argv[i + 1], &o.rows) || !ci_read_number("C", argv[i + 2], &o.cols))
                return exit_usage;
            i += 2;
            continue;
        }
        static const int32_t alternatives[] = {ncp_two_sided, ncp_less, ncp_greater};
        int status = exit_ok;
        if (ci_number_option(argc, argv, &i, "--level", &o.level, &status) ||
            ci_number_option(argc, argv, &i, "--n", &o.n, &status) ||
            ci_alternative_option(argc, argv, &i, alternatives, &o.alternative, &status)) {
            if (status != exit_ok)
                return status;
            continue;
        }
        if (option_argument(argc, argv, &i, "--rmsea-divisor", &value)) {
            if (value != nullptr && std::strcmp(value, "n-1") == 0)
                o.convention = rmsea_n_minus_1;
            else if (value != nullptr && std::strcmp(value, "n") == 0)
                o.convention = rmsea_n;
            else
                return usage_error(&ci_command_info, "--rmsea-divisor takes n-1 or n");
            continue;
        }
        if (arg[0] == '-' && arg[1] == '-') {
            char detail[256];
            std::snprintf(detail, sizeof detail, "ci chisq: unknown option '%s'", arg);
            return usage_error(&ci_command_info, detail);
        }
        if (count == 2)
            return usage_error(&ci_command_info, "ci chisq takes X DF");
        positional[count++] = argv[i];
    }
    if (o.rmsea && !std::isnan(o.rows))
        return usage_error(&ci_command_info, "ci chisq takes --rmsea or --table, not both");
    if (csv) {
        if (count != 0 || !std::isnan(o.n) || !std::isnan(o.rows))
            return usage_error(&ci_command_info, "ci chisq --csv takes the values from its rows");
        return ci_csv_run(csv_path, &csv_table, &o);
    }
    if (count != 2)
        return usage_error(&ci_command_info, "ci chisq takes X DF");
    if ((o.rmsea || !std::isnan(o.rows)) && std::isnan(o.n))
        return usage_error(&ci_command_info, "--rmsea and --table need --n N");
    return one_interval(positional, o);
}
