// kelbrant power: power, sample size, effect size or level of the F test,
// the one left out solved from the others (design/solve_designs.cpp).
//
//   kelbrant power --df1 U [--df2 V] [--f2 F2] [--alpha A] [--power P]
//   kelbrant power --groups K [--n-per-group N] [--f F] [--alpha A] [--power P]
//   kelbrant power --chisq-df DF [--n N] [--w W] [--alpha A] [--power P]
//
// Exactly one of the four bracketed options is left out.  Output: the
// design as "name value" lines, %.17g, with lambda and the power it has
// (for a solved sample size, the power of the whole size found, at least
// the target); exit 0.  A request no design meets prints the reason on
// stderr and exits 1; a wrong command line exits 2.
//
//   kelbrant power ... --curve START:STOP[:STEP]          (no size, no --power)
//   kelbrant power ... --curve-effect START:STOP[:STEP]   (no effect, no --power)
//
// The power over a range of sizes (V or N) or of effect sizes (F2 or F),
// --alpha 0.05 unless given: a CSV table, the design's columns, lambda,
// alpha, power and a status (ok, invalid, failed) on each point's row.
// Exit 0 when every point is ok, else 1 with a message for each other row.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
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
    "The chi-square test (Cohen 1988, ch. 7; pwr.chisq.test): --chisq-df DF with\n"
    "  --n N and --w W, lambda = N w^2, the power P(X' > x_crit; DF, lambda); the\n"
    "  sample size N is the real root of power = P, as pwr gives it (round it up).\n"
    "Power curves: leave out --power and give\n"
    "  --curve START:STOP[:STEP]         in place of the size (STEP 1 unless\n"
    "                                    given),\n"
    "  --curve-effect START:STOP[:STEP]  in place of the effect size (20 steps\n"
    "                                    unless STEP is given)\n"
    "for a CSV table of the power at each point, --alpha 0.05 unless given (the F\n"
    "test's designs).\n"
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

// The longest curve: a million points.  A range is a request for a table to
// read or plot; one of more points is taken for a mistyped range (1:1e9).
constexpr double curve_points_max = 1e6;
// A STOP that the steps reach up to their rounding is a point, itself
// (1e-1:7e-1:1e-1 has (STOP - START)/STEP = 5.999999999999999 and a sixth
// step of 0.7000000000000001): the slack, in steps, of a range that is
// not of plain decimals.
constexpr double curve_step_slack = 1e-9;
// The steps of an effect-size range given without STEP.
constexpr double curve_effect_steps = 20.0;
// The level of a curve without --alpha: the customary 0.05, pwr's and
// statsmodels' default.
constexpr double curve_alpha = 0.05;

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

// A range START:STOP[:STEP]: the points start + i step, i = 0 .. points - 1.
// When the three are plain decimals, each point is computed as the exact
// ratio (first + i increment) / denominator of whole numbers below 2^53 and
// so is the double nearest its decimal (0.3 in 0.1:0.5:0.1, where
// 0.1 + 2 * 0.1 gives 0.30000000000000004), and the last point is the last
// decimal not beyond STOP.  Otherwise (a number with an exponent, or too
// many digits) the points are start + i step, the last moved onto STOP when
// the steps reach it up to their rounding.
struct curve_range {
    double start, stop, step;
    double points;
    int64_t first, increment, denominator;  // denominator 0: not exact decimals
};

// Exact decimals: at most 15 places, so that 10^places is a double and a
// whole number, and every whole number below 2^53.
constexpr int curve_decimal_places_max = 15;
constexpr int64_t curve_whole_bound = int64_t{1} << 53;

double curve_point(const curve_range* range, double i)
{
    if (range->denominator != 0)
        return static_cast<double>(range->first + static_cast<int64_t>(i) * range->increment)
               / static_cast<double>(range->denominator);
    const double x = range->start + i * range->step;
    return i == range->points - 1.0 && std::fabs(x - range->stop) <= curve_step_slack * range->step
               ? range->stop
               : x;
}

// The number of decimal places of a plain decimal ("0.25": 2, "10": 0), or
// -1 for any other notation.
int decimal_places(const char* text, size_t length)
{
    size_t i = 0;
    while (i < length && text[i] == ' ')
        ++i;
    if (i < length && (text[i] == '+' || text[i] == '-'))
        ++i;
    int places = -1;
    bool digits = false;
    for (; i < length && text[i] != ' '; ++i) {
        if (text[i] == '.' && places < 0) {
            places = 0;
        } else if (text[i] >= '0' && text[i] <= '9') {
            digits = true;
            if (places >= 0)
                ++places;
        } else {
            return -1;
        }
    }
    while (i < length && text[i] == ' ')
        ++i;
    return digits && i == length ? (places < 0 ? 0 : places) : -1;
}

// Whether v times `scale` is a whole number below 2^53 (*units).
bool whole_units(double v, double scale, int64_t* units)
{
    const double scaled = std::nearbyint(v * scale);
    if (!(std::fabs(scaled) < static_cast<double>(curve_whole_bound)) || scaled / scale != v)
        return false;
    *units = static_cast<int64_t>(scaled);
    return true;
}

// The exact-decimal form of the range, when its fields (places: their
// decimal places, -1 for another notation; count 2 or 3) allow it.
void exact_decimals(const int* places, int count, double default_steps, curve_range* range)
{
    range->denominator = 0;
    int most = 0;
    for (int k = 0; k < count; ++k) {
        if (places[k] < 0)
            return;
        most = places[k] > most ? places[k] : most;
    }
    if (most > curve_decimal_places_max)
        return;
    int64_t scale = 1;
    for (int k = 0; k < most; ++k)
        scale *= 10;
    const double s = static_cast<double>(scale);
    int64_t start, stop, step = scale, divisions = 1;
    if (!whole_units(range->start, s, &start) || !whole_units(range->stop, s, &stop)
        || (count == 3 && !whole_units(range->step, s, &step)))
        return;
    if (count == 2 && default_steps > 0.0 && stop > start) {
        divisions = static_cast<int64_t>(default_steps);
        step = stop - start;
    }
    const int64_t bound = curve_whole_bound / divisions;
    if (step <= 0 || std::llabs(start) >= bound || std::llabs(stop) >= bound
        || scale >= bound)
        return;
    range->first = start * divisions;
    range->increment = step;
    range->denominator = scale * divisions;
    range->points = static_cast<double>((stop * divisions - range->first) / step + 1);
}

// Read TEXT as the range of OPTION; default_steps > 0: STEP, when left
// out, divides the range into that many steps, else it is 1.  False after a
// usage error.
bool read_range(const char* option, const char* text, double default_steps, curve_range* range)
{
    double fields[3];
    int places[3];
    int count = 0;
    bool numbers = true;
    for (const char* at = text;; ++count) {
        const char* end = std::strchr(at, ':');
        const size_t length = end != nullptr ? static_cast<size_t>(end - at) : std::strlen(at);
        if (count == 3 || parse_value(at, length, &plain_numbers, &fields[count]) != value_number
            || !std::isfinite(fields[count])) {
            numbers = false;
            break;
        }
        places[count] = decimal_places(at, length);
        if (end == nullptr) {
            ++count;
            break;
        }
        at = end + 1;
    }
    char detail[256];
    if (!numbers || count < 2) {
        std::snprintf(detail, sizeof detail, "%s takes START:STOP[:STEP], not '%s'", option, text);
        usage_error(&power_command_info, detail);
        return false;
    }
    range->start = fields[0];
    range->stop = fields[1];
    if (count == 3)
        range->step = fields[2];
    else if (default_steps > 0.0 && range->stop > range->start)
        range->step = (range->stop - range->start) / default_steps;
    else
        range->step = 1.0;
    const double steps = (range->stop - range->start) / range->step;
    if (!(range->step > 0.0) || !(range->stop >= range->start) || !(steps < curve_points_max)) {
        std::snprintf(detail, sizeof detail,
                      "%s %s: STOP must not be below START, STEP must be above 0, and the curve "
                      "must have at most %.0f points",
                      option, text, curve_points_max);
        usage_error(&power_command_info, detail);
        return false;
    }
    range->points = std::floor(steps + curve_step_slack) + 1.0;
    exact_decimals(places, count, default_steps, range);
    return true;
}

void print_csv_number(double value, bool known)
{
    if (known)
        print_plain(value);
}

// One point's row of a curve: the design's three given quantities (the
// size or effect size the point's), lambda, alpha, the power, the status.
// Reports a row that is not ok on stderr, naming `point` = its value.
bool print_curve_row(const double* design, double lambda, double alpha, double power,
                     design_outcome outcome, const char* point, double value)
{
    const bool ok = outcome == design_ok;
    for (int i = 0; i < 3; ++i) {
        print_plain(design[i]);
        std::fputc(',', stdout);
    }
    print_csv_number(lambda, ok);
    std::fputc(',', stdout);
    print_plain(alpha);
    std::fputc(',', stdout);
    print_csv_number(power, ok);
    const outcome_id id = outcome == design_invalid ? outcome_design_invalid : outcome_design_failed;
    std::printf(",%s\n", ok ? outcome_word(outcome_ok) : outcome_word(id));
    if (ok)
        return true;
    char text[number_text_size], detail[128], reason[512];
    format_number(value, '.', text);
    message_fields fields{};
    fields.argument = point;
    fields.value = text;
    std::snprintf(detail, sizeof detail, "power at %s = %s", point, text);
    fields.detail = detail;
    format_reason(id, &fields, reason, sizeof reason);
    std::fprintf(stderr, "kelbrant: power: %s\n", reason);
    return false;
}

// The power at each point of the range, in the regression form: the range
// runs over v (range_over_size) or over f2.
int print_f2_curve(const named_value* u, const named_value* v, const named_value* f2,
                   double alpha, const curve_range* range, bool range_over_size)
{
    std::printf("u,v,f2,lambda,alpha,power,status\n");
    bool all_ok = true;
    for (double i = 0.0; i < range->points; ++i) {
        const double x = curve_point(range, i);
        f2_design d{u->value, range_over_size ? x : v->value, range_over_size ? f2->value : x,
                    alpha, NAN, NAN};
        const design_outcome outcome = solve_f2_design(&d);
        const double design[] = {d.u, d.v, d.f2};
        all_ok &= print_curve_row(design, d.f2 * (d.u + d.v + 1.0), alpha, d.power, outcome,
                                  range_over_size ? v->name : f2->name, x);
    }
    return all_ok ? exit_ok : exit_failure;
}

// The same for the one-way analysis of variance, over n or over f.
int print_anova_curve(const named_value* groups, const named_value* n, const named_value* f,
                      double alpha, const curve_range* range, bool range_over_size)
{
    std::printf("groups,n_per_group,f,lambda,alpha,power,status\n");
    bool all_ok = true;
    for (double i = 0.0; i < range->points; ++i) {
        const double x = curve_point(range, i);
        anova_design d{groups->value, range_over_size ? x : n->value,
                       range_over_size ? f->value : x, alpha, NAN, NAN};
        const design_outcome outcome = solve_anova_design(&d);
        const double design[] = {d.groups, d.n, d.f};
        all_ok &= print_curve_row(design, d.groups * d.n * d.f * d.f, alpha, d.power, outcome,
                                  range_over_size ? n->name : f->name, x);
    }
    return all_ok ? exit_ok : exit_failure;
}

// The curves: --curve over the size or --curve-effect over the effect
// size, one of them, the power left out, alpha 0.05 unless given.
// options: power_run's table.
int power_curve(bool regression, const named_value* options, const char* size_curve,
                const char* effect_curve)
{
    const named_value& first = options[regression ? 0 : 3];  // u or groups
    const named_value& size = options[regression ? 1 : 4];
    const named_value& effect = options[regression ? 2 : 5];
    const named_value& alpha = options[6];
    const named_value& power = options[7];
    const bool over_size = size_curve != nullptr;
    const named_value& swept = over_size ? size : effect;
    const named_value& held = over_size ? effect : size;
    const char* option = over_size ? "--curve" : "--curve-effect";
    char detail[256];
    if (size_curve != nullptr && effect_curve != nullptr)
        return usage_error(&power_command_info, "power takes --curve or --curve-effect, not both");
    if (!std::isnan(power.value)) {
        std::snprintf(detail, sizeof detail, "%s gives the power at each point: leave out --power",
                      option);
        return usage_error(&power_command_info, detail);
    }
    if (!std::isnan(swept.value)) {
        std::snprintf(detail, sizeof detail, "%s runs over %s: leave out %s", option, swept.name,
                      swept.option);
        return usage_error(&power_command_info, detail);
    }
    if (std::isnan(first.value) || std::isnan(held.value)) {
        std::snprintf(detail, sizeof detail, "power %s: give %s and %s", option, first.option,
                      held.option);
        return usage_error(&power_command_info, detail);
    }
    curve_range range{};
    if (!read_range(option, over_size ? size_curve : effect_curve,
                    over_size ? 0.0 : curve_effect_steps, &range))
        return exit_usage;
    const double level = std::isnan(alpha.value) ? curve_alpha : alpha.value;
    if (regression)
        return print_f2_curve(&options[0], &options[1], &options[2], level, &range, over_size);
    return print_anova_curve(&options[3], &options[4], &options[5], level, &range, over_size);
}

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
        {"--power", "power", NAN, nullptr},   {"--chisq-df", "df", NAN, nullptr},
        {"--n", "n", NAN, nullptr},           {"--w", "w", NAN, nullptr},
    };
    named_value& u = options[0];
    named_value& v = options[1];
    named_value& f2 = options[2];
    named_value& groups = options[3];
    named_value& n = options[4];
    named_value& f = options[5];
    named_value& alpha = options[6];
    named_value& power = options[7];
    named_value& chisq_df = options[8];
    named_value& chisq_n = options[9];
    named_value& w = options[10];
    const char* size_curve = nullptr;
    const char* effect_curve = nullptr;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            print_command_help(stdout, &power_command_info);
            return exit_ok;
        }
        const char** curve = nullptr;
        const char* text = nullptr;
        if (option_argument(argc, argv, &i, "--curve", &text))
            curve = &size_curve;
        else if (option_argument(argc, argv, &i, "--curve-effect", &text))
            curve = &effect_curve;
        if (curve != nullptr) {
            if (text == nullptr) {
                char detail[128];
                std::snprintf(detail, sizeof detail, "%s needs a value",
                              curve == &size_curve ? "--curve" : "--curve-effect");
                return usage_error(&power_command_info, detail);
            }
            *curve = text;
            continue;
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
    const bool chisq =
        !std::isnan(chisq_df.value) || !std::isnan(chisq_n.value) || !std::isnan(w.value);
    if (regression + anova + chisq != 1)
        return usage_error(&power_command_info,
                           "power takes --df1 with --df2/--f2, --groups with --n-per-group/--f, "
                           "or --chisq-df with --n/--w");
    const named_value& size = regression ? v : anova ? n : chisq_n;
    const named_value& effect = regression ? f2 : anova ? f : w;
    const named_value& given = regression ? u : anova ? groups : chisq_df;
    if ((size_curve != nullptr || effect_curve != nullptr) && chisq)
        return usage_error(&power_command_info, "power: curves take the F test's designs");
    if (size_curve != nullptr || effect_curve != nullptr)
        return power_curve(regression, options, size_curve, effect_curve);
    int unknown = std::isnan(size.value) + std::isnan(effect.value) + std::isnan(alpha.value)
                + std::isnan(power.value);
    if (std::isnan(given.value) || unknown != 1) {
        char detail[256];
        std::snprintf(detail, sizeof detail,
                      "power: give %s and all but one of %s, %s, --alpha, --power", given.option,
                      size.option, effect.option);
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
    } else if (chisq) {
        chisq_design d{w.value, chisq_n.value, chisq_df.value, alpha.value, power.value, NAN};
        outcome = solve_chisq_design(&d);
        std::snprintf(bound, sizeof bound, "%.17g", 0x1p40);
        if (outcome == design_ok) {
            print_line("df", d.df);
            print_line("n", d.n);
            print_line("w", d.w);
            print_line("lambda", d.n * d.w * d.w);
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
    "power --chisq-df DF [OPTION]...\n"
    "power t [--type TYPE] [--n N | --n1 N1 --n2 N2] [OPTION]...",
    "power, sample size, effect or level of the F, t and chi-square tests",
    print_power_help,
    power_run,
};
