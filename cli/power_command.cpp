// kelbrant power: power, sample size, effect size or level of the F test,
// the one left out solved from the others (design/solve_designs.cpp).
//
//   kelbrant power --df1 U [--df2 V] [--f2 F2] [--alpha A] [--power P]
//   kelbrant power --groups K [--n-per-group N] [--f F] [--alpha A] [--power P]
//
// Exactly one of the four bracketed options is left out.  Output: the
// design as "name value" lines, %.17g, with lambda and the power it has
// (for a solved sample size, the power of the whole size found, at least
// the target); exit 0.  A request no design meets prints the reason on
// stderr and exits 1; a wrong command line exits 2.

#include <cmath>
#include <cstdio>
#include <cstring>

#include "cli/cli.h"
#include "design/design.h"

namespace {

const char power_help[] =
    "Power of the F test of the general linear model.  The options: --df2 V and\n"
    "--f2 F2 (with --df1), or --n-per-group N and --f F (with --groups), and\n"
    "--alpha A, --power P; of these four exactly one is left out, and solved for\n"
    "from the others:\n"
    "  power        P(F' > F_crit; df1, df2, lambda), F_crit the upper-alpha\n"
    "               point of the central F law;\n"
    "  sample size  the smallest whole V (or N) whose power reaches P;\n"
    "  effect size  the F2 (or F) whose power is P;\n"
    "  level        the A whose power is P.\n"
    "Regression form (Cohen 1988, ch. 9): df1 = U, df2 = V, f2 = R^2/(1 - R^2),\n"
    "  lambda = f2 (U + V + 1).\n"
    "One-way analysis of variance (Cohen 1988, ch. 8): K groups of N, effect\n"
    "  size f, df1 = K - 1, df2 = K (N - 1), lambda = K N f^2.\n"
    "Output: the design as \"name value\" lines.\n"
    "\n"
    "power t: the t tests as R's pwr.t.test and pwr.t2n.test have them.  --type\n"
    "one-sample, two-sample (the default; N in each group) or paired, with --n N,\n"
    "or two groups of --n1 N1 and --n2 N2; --d D (Cohen's d), --alpha A, --power P,\n"
    "--alternative two-sided (default), less or greater.  Exactly one of the size,\n"
    "D, A, P is left out and solved for (a size as the smallest whole size whose\n"
    "power reaches P); A is 0.05 when it and one other are left out, as in pwr:\n"
    "  one sample, pairs:  df = N - 1,         delta = D sqrt(N)\n"
    "  two samples:        df = 2 (N - 1),     delta = D sqrt(N/2)\n"
    "  two groups:         df = N1 + N2 - 2,   delta = D / sqrt(1/N1 + 1/N2)\n"
    "  power = P(T > t_crit) (greater), P(T <= -t_crit) (less), or both with A/2\n"
    "  in each tail (two-sided, with |D|), T noncentral t with df and delta.\n";

struct named_value {
    const char* option;
    const char* name;  // the output's name
    double value;      // NaN: not given
    const char* text;  // as given
};

bool read_option(const char* option, const char* text, named_value* v)
{
    value_kind kind = parse_value(text, std::strlen(text), &plain_numbers, &v->value);
    if (kind != value_number) {
        char detail[256];
        std::snprintf(detail, sizeof detail, "%s takes a number, not '%s'", option, text);
        usage_error(&power_command_info, detail);
        return false;
    }
    v->text = text;
    return true;
}

void print_line(const char* name, double value)
{
    std::printf("%s ", name);
    print_plain(value);
    std::fputc('\n', stdout);
}

// The reason of an unreachable request.  size, effect: the design's
// option entries for its size and effect size.
int report_unreachable(const named_value* size, const named_value* effect,
                       const named_value* alpha, const named_value* power, const char* bound)
{
    message_fields fields{};
    fields.p = power->text;
    outcome_id id;
    char range[128];
    if (!std::isnan(alpha->value) && power->value <= alpha->value) {
        id = outcome_power_at_alpha;
        fields.value = alpha->text;
    } else if (std::isnan(size->value)) {
        id = outcome_size_unreachable;
        fields.argument = size->name;
        fields.value = bound;
    } else {
        id = outcome_root_unreachable;
        bool level = std::isnan(alpha->value);
        fields.argument = level ? "alpha" : effect->name;
        std::snprintf(range, sizeof range, "%.17g, %.17g",
                      level ? design_alpha_min : design_effect_min,
                      level ? design_alpha_max : design_effect_max);
        fields.domain = range;
    }
    char reason[512];
    format_reason(id, &fields, reason, sizeof reason);
    std::fprintf(stderr, "kelbrant: power: %s\n", reason);
    return exit_failure;
}

void print_power_help(std::FILE* out, const char* indent) { print_lines(out, indent, power_help); }

}  // namespace

int power_run(int argc, char** argv, const char*)
{
    if (argc > 0 && std::strcmp(argv[0], "t") == 0) {
        for (int i = 1; i < argc; ++i)
            if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
                print_command_help(stdout, &power_command_info);
                return exit_ok;
            }
        return power_t_run(argc - 1, argv + 1);
    }
    named_value options[] = {
        {"--df1", "u", NAN, nullptr},         {"--df2", "v", NAN, nullptr},
        {"--f2", "f2", NAN, nullptr},         {"--groups", "groups", NAN, nullptr},
        {"--n-per-group", "n_per_group", NAN, nullptr},
        {"--f", "f", NAN, nullptr},           {"--alpha", "alpha", NAN, nullptr},
        {"--power", "power", NAN, nullptr},
    };
    named_value& u = options[0];
    named_value& v = options[1];
    named_value& f2 = options[2];
    named_value& groups = options[3];
    named_value& n = options[4];
    named_value& f = options[5];
    named_value& alpha = options[6];
    named_value& power = options[7];
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            print_command_help(stdout, &power_command_info);
            return exit_ok;
        }
        bool known = false;
        for (named_value& o : options) {
            const char* text = nullptr;
            if (!option_argument(argc, argv, &i, o.option, &text))
                continue;
            if (text == nullptr) {
                char detail[128];
                std::snprintf(detail, sizeof detail, "%s needs a value", o.option);
                return usage_error(&power_command_info, detail);
            }
            if (!read_option(o.option, text, &o))
                return exit_usage;
            known = true;
            break;
        }
        if (!known) {
            char detail[256];
            std::snprintf(detail, sizeof detail, "power: unknown argument '%s'", argv[i]);
            return usage_error(&power_command_info, detail);
        }
    }

    const bool regression = !std::isnan(u.value) || !std::isnan(v.value) || !std::isnan(f2.value);
    const bool anova = !std::isnan(groups.value) || !std::isnan(n.value) || !std::isnan(f.value);
    if (regression == anova)
        return usage_error(&power_command_info,
                           "power takes --df1 with --df2/--f2, or --groups with --n-per-group/--f");
    const named_value& size = regression ? v : n;
    const named_value& effect = regression ? f2 : f;
    int unknown = std::isnan(size.value) + std::isnan(effect.value) + std::isnan(alpha.value)
                + std::isnan(power.value);
    if (std::isnan(regression ? u.value : groups.value) || unknown != 1) {
        char detail[256];
        std::snprintf(detail, sizeof detail,
                      "power: give %s and all but one of %s, %s, --alpha, --power",
                      regression ? "--df1" : "--groups", size.option, effect.option);
        return usage_error(&power_command_info, detail);
    }

    design_outcome outcome;
    char bound[64];
    if (regression) {
        f2_design d{u.value, v.value, f2.value, alpha.value, power.value, NAN};
        outcome = solve_f2_design(&d);
        std::snprintf(bound, sizeof bound, "%.17g", design_df_bound);
        if (outcome == design_ok) {
            print_line("u", d.u);
            print_line("v", d.v);
            print_line("f2", d.f2);
            print_line("lambda", d.f2 * (d.u + d.v + 1.0));
            print_line("alpha", d.alpha);
            print_line("power", d.achieved);
            return exit_ok;
        }
    } else {
        anova_design d{groups.value, n.value, f.value, alpha.value, power.value, NAN};
        outcome = solve_anova_design(&d);
        std::snprintf(bound, sizeof bound, "%.17g", std::floor(design_df_bound / d.groups) + 1.0);
        if (outcome == design_ok) {
            print_line("groups", d.groups);
            print_line("n_per_group", d.n);
            print_line("f", d.f);
            print_line("lambda", d.groups * d.n * d.f * d.f);
            print_line("alpha", d.alpha);
            print_line("power", d.achieved);
            return exit_ok;
        }
    }
    if (outcome == design_unreachable)
        return report_unreachable(&size, &effect, &alpha, &power, bound);
    if (outcome == design_invalid)
        return usage_error(&power_command_info,
                           "power: an argument is out of its domain (df and sizes > 0, groups >= 2 "
                           "whole, n-per-group > 1, effect >= 0, 0 < alpha, power < 1)");
    message_fields fields{};
    char reason[512];
    fields.detail = "power";
    format_reason(outcome_design_failed, &fields, reason, sizeof reason);
    std::fprintf(stderr, "kelbrant: power: %s\n", reason);
    return exit_failure;
}

const command_info power_command_info = {
    "power",
    "power --df1 U [OPTION]...\n"
    "power --groups K [OPTION]...\n"
    "power t [--type TYPE] [--n N | --n1 N1 --n2 N2] [OPTION]...",
    "power, sample size, effect size or level of the F and t tests",
    print_power_help,
    power_run,
};
