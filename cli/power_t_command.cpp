// kelbrant power t: power, sample size, effect size or level of the t tests
// as the R package pwr has them (pwr.t.test, pwr.t2n.test), the one left
// out solved from the others (design/solve_designs.cpp).
//
//   kelbrant power t [--type one-sample|two-sample|paired] [--n N] [--d D]
//                    [--alpha A] [--power P] [--alternative WHICH]
//   kelbrant power t --n1 N1 [--n2 N2] [--d D] [--alpha A] [--power P] [--alternative WHICH]
//
// Exactly one of the size (--n, or --n2 with --n1), --d, --alpha, --power is
// left out; --alpha is 0.05 when both it and another are left out, as in pwr.  Output: the design as "name value" lines, %.17g, with df, delta
// and the power it has (for a solved size, the power of the whole size
// found); exit 0.  A request no design meets exits 1 with the reason; a
// wrong command line exits 2.

#include <cmath>
#include <cstdio>
#include <cstring>

#include "cli/cli.h"
#include "design/design.h"

namespace {

void print_line(const char* name, double value)
{
    std::printf("%s ", name);
    print_plain(value);
    std::fputc('\n', stdout);
}

bool word_option(const char* value, const char* const* words, int count, int32_t* out)
{
    for (int i = 0; value != nullptr && i < count; ++i)
        if (std::strcmp(value, words[i]) == 0) {
            *out = i;
            return true;
        }
    return false;
}

}  // namespace

int power_t_run(int argc, char** argv)
{
    struct numeric {
        const char* option;
        double value;
        const char* text;
    } options[] = {{"--n", NAN, nullptr},     {"--n1", NAN, nullptr}, {"--n2", NAN, nullptr},
                   {"--d", NAN, nullptr},     {"--alpha", NAN, nullptr},
                   {"--power", NAN, nullptr}};
    numeric& n = options[0];
    numeric& n1 = options[1];
    numeric& n2 = options[2];
    numeric& d = options[3];
    numeric& alpha = options[4];
    numeric& power = options[5];
    static const char* const types[] = {"one-sample", "two-sample", "paired"};
    static const char* const alternatives[] = {"two-sided", "less", "greater"};
    int32_t type = t_test_two_sample, alternative = t_test_two_sided;
    for (int i = 0; i < argc; ++i) {
        const char* text = nullptr;
        if (option_argument(argc, argv, &i, "--type", &text)) {
            if (!word_option(text, types, 3, &type))
                return usage_error(&power_command_info,
                                   "--type takes one-sample, two-sample or paired");
            continue;
        }
        if (option_argument(argc, argv, &i, "--alternative", &text)) {
            if (!word_option(text, alternatives, 3, &alternative))
                return usage_error(&power_command_info,
                                   "--alternative takes two-sided, less or greater");
            continue;
        }
        bool known = false;
        for (numeric& o : options) {
            if (!option_argument(argc, argv, &i, o.option, &text))
                continue;
            if (text == nullptr || parse_value(text, std::strlen(text), &plain_numbers, &o.value)
                                       != value_number) {
                char detail[256];
                std::snprintf(detail, sizeof detail, "%s takes a number", o.option);
                return usage_error(&power_command_info, detail);
            }
            o.text = text;
            known = true;
            break;
        }
        if (!known) {
            char detail[256];
            std::snprintf(detail, sizeof detail, "power t: unknown argument '%s'", argv[i]);
            return usage_error(&power_command_info, detail);
        }
    }
    const bool unequal = n1.text != nullptr || n2.text != nullptr;
    if (unequal && n.text != nullptr)
        return usage_error(&power_command_info, "power t takes --n, or --n1 with --n2");
    double size = unequal ? n2.value : n.value;
    if (unequal && n1.text == nullptr)
        return usage_error(&power_command_info, "power t: --n2 needs --n1");
    int unknown = std::isnan(size) + std::isnan(d.value) + std::isnan(alpha.value)
                + std::isnan(power.value);
    // As in pwr, the level is 0.05 unless given or asked for.
    if (unknown == 2 && std::isnan(alpha.value)) {
        alpha.value = 0.05;
        alpha.text = "0.05";
        unknown = 1;
    }
    if (unknown != 1)
        return usage_error(&power_command_info,
                           "power t: give all but one of the size, --d, --alpha, --power");

    design_outcome outcome;
    double df = NAN, delta = NAN, achieved = NAN;
    if (unequal) {
        t2n_design t{alternative, n1.value, n2.value, d.value, alpha.value, power.value, NAN};
        outcome = solve_t2n_design(&t);
        if (outcome == design_ok) {
            print_line("n1", t.n1);
            print_line("n2", t.n2);
            df = t.n1 + t.n2 - 2.0;
            double effect = alternative == t_test_two_sided ? std::fabs(t.d) : t.d;
            delta = effect / std::sqrt(1.0 / t.n1 + 1.0 / t.n2);
            d.value = t.d;
            alpha.value = t.alpha;
            achieved = t.achieved;
        }
    } else {
        t_design t{type, alternative, n.value, d.value, alpha.value, power.value, NAN};
        outcome = solve_t_design(&t);
        if (outcome == design_ok) {
            print_line(type == t_test_two_sample ? "n_per_group" : "n", t.n);
            df = type == t_test_two_sample ? 2.0 * (t.n - 1.0) : t.n - 1.0;
            double effect = alternative == t_test_two_sided ? std::fabs(t.d) : t.d;
            delta = effect * std::sqrt(type == t_test_two_sample ? 0.5 * t.n : t.n);
            d.value = t.d;
            alpha.value = t.alpha;
            achieved = t.achieved;
        }
    }
    if (outcome == design_ok) {
        print_line("d", d.value);
        print_line("df", df);
        print_line("delta", delta);
        print_line("alpha", alpha.value);
        print_line("power", achieved);
        return exit_ok;
    }
    if (outcome == design_invalid)
        return usage_error(&power_command_info,
                           "power t: an argument is out of its domain (sizes > 1, 0 < alpha, "
                           "power < 1)");
    message_fields fields{};
    outcome_id id = outcome_design_failed;
    char range[128];
    if (outcome == design_unreachable) {
        fields.p = power.text;
        if (!std::isnan(alpha.value) && power.value <= alpha.value) {
            id = outcome_power_at_alpha;
            fields.value = alpha.text;
        } else if (std::isnan(size)) {
            id = outcome_size_unreachable;
            fields.argument = unequal ? "n2" : "n";
            std::snprintf(range, sizeof range, "%.17g", design_df_bound);
            fields.value = range;
        } else {
            id = outcome_root_unreachable;
            fields.argument = std::isnan(alpha.value) ? "alpha" : "d";
            std::snprintf(range, sizeof range, "%.17g, %.17g",
                          std::isnan(alpha.value) ? design_alpha_min : design_effect_min,
                          std::isnan(alpha.value) ? design_alpha_max : design_effect_max);
            fields.domain = range;
        }
    } else {
        fields.detail = "power";
    }
    char reason[512];
    format_reason(id, &fields, reason, sizeof reason);
    std::fprintf(stderr, "kelbrant: power: %s\n", reason);
    return exit_failure;
}
