// solve_f2_design and solve_anova_design: the F test's four design
// quantities (sample size, effect size, level, power), one solved from the
// other three.
//
// Both designs map to one F test: the regression form (Cohen 1988, ch. 9)
// with u and v degrees of freedom and f2 = R^2/(1 - R^2) has
//     df1 = u, df2 = v, lambda = f2 (u + v + 1);
// the one-way analysis of variance (Cohen 1988, ch. 8) with k groups of n
// and effect size f has
//     df1 = k - 1, df2 = k (n - 1), lambda = k n f^2,
// the noncentralities as the R package pwr (pwr.f2.test, pwr.anova.test)
// defines them.  The power rises with the size, the effect size
// and the level, so each unknown is the root of one monotone equation:
//   power       f_test_power directly;
//   size        the smallest whole size whose power reaches the target
//               (design_smallest_whole), searched up to the size whose df2
//               reaches 2147483647;
//   effect size the root of power = target (design_increasing_root) from
//               f2 = 0.15 or f = 0.25 (Cohen's medium effects);
//   level       likewise from alpha = 0.05, within [1e-300, 1 - 2^-53].
// A target power at or below the level is unreachable: with no effect the
// power is the level itself.
//
// The chi-square test's design (pwr.chisq.test; Cohen 1988, ch. 7) has
//     df given, lambda = N w^2,
// and, as pwr solves it, a real N (the root of power = target from N = 100
// within [1 + 2^-20, 2^40]) rather than the smallest whole one; w starts
// from 0.3, Cohen's medium effect.
// The t tests (pwr.t.test, pwr.t2n.test) likewise, with t_test_power:
//     one sample, pairs:  df = n - 1,         delta = d sqrt(n);
//     two samples:        df = 2 (n - 1),     delta = d sqrt(n/2);
//     unequal groups:     df = n1 + n2 - 2,   delta = d / sqrt(1/n1 + 1/n2),
// the effect searched from d = 0.5 (Cohen's medium effect); the power rises
// in d for `greater` and in |d| for two sides (pwr takes |d| there), and in
// -d for `less`, whose effect is searched among negative d.

#include "design/design.h"

#include <cmath>
#include <limits>

#include "design/design_search.h"
#include "ncx2/ncx2.h"
#include "numeric/elementary.h"

namespace {

constexpr double not_a_number = std::numeric_limits<double>::quiet_NaN();

// The starts of the effect-size and level searches: Cohen's medium effects
// and the customary level.
constexpr double f2_start = 0.15;
constexpr double f_start = 0.25;
constexpr double d_start = 0.5;
constexpr double alpha_start = 0.05;
constexpr double w_start = 0.3;

// The chi-square design's sample size: from 100 within [1 + 2^-20, 2^40]
// (pwr searches 1 + 1e-10 to 1e9).
constexpr double chisq_n_start = 100.0;
constexpr double chisq_n_min = 1.0 + 0x1p-20;
constexpr double chisq_n_max = 0x1p40;

// The noncentrality at which a power of 1 is taken to hold beyond: 1e6,
// where the sums run some 1e5 steps at most.
constexpr double chisq_lambda_ceiling = 1e6;

// Which design quantity is unknown.
enum unknown_field { unknown_size, unknown_effect, unknown_alpha, unknown_power, unknown_none };

// The one NaN among size, effect, alpha, power, or unknown_none when there
// is not exactly one.
unknown_field find_unknown(double size, double effect, double alpha, double power)
{
    const double fields[] = {size, effect, alpha, power};
    int count = 0;
    unknown_field which = unknown_none;
    for (int i = 0; i < 4; ++i) {
        if (std::isnan(fields[i])) {
            ++count;
            which = static_cast<unknown_field>(i);
        }
    }
    return count == 1 ? which : unknown_none;
}

// The domains of the given quantities (a NaN passes: it is the unknown).
bool level_and_power_valid(double alpha, double power)
{
    return (std::isnan(alpha) || (alpha > 0.0 && alpha < 1.0))
        && (std::isnan(power) || (power > 0.0 && power < 1.0));
}

// The regression form's power with one quantity taken from t.
struct f2_context {
    f2_design design;
    unknown_field unknown;
};

design_outcome f2_power(const void* context, double t, double* power)
{
    const f2_context* c = static_cast<const f2_context*>(context);
    f2_design d = c->design;
    if (c->unknown == unknown_size)
        d.v = t;
    else if (c->unknown == unknown_effect)
        d.f2 = t;
    else if (c->unknown == unknown_alpha)
        d.alpha = t;
    return f_test_power(d.u, d.v, d.f2 * (d.u + d.v + 1.0), d.alpha, power);
}

struct anova_context {
    anova_design design;
    unknown_field unknown;
};

design_outcome anova_power(const void* context, double t, double* power)
{
    const anova_context* c = static_cast<const anova_context*>(context);
    anova_design d = c->design;
    if (c->unknown == unknown_size)
        d.n = t;
    else if (c->unknown == unknown_effect)
        d.f = t;
    else if (c->unknown == unknown_alpha)
        d.alpha = t;
    double k = d.groups;
    return f_test_power(k - 1.0, k * (d.n - 1.0), k * d.n * d.f * d.f, d.alpha, power);
}

struct chisq_context {
    chisq_design design;
    unknown_field unknown;
};

design_outcome chisq_power(const void* context, double t, double* power)
{
    const chisq_context* c = static_cast<const chisq_context*>(context);
    chisq_design d = c->design;
    if (c->unknown == unknown_size)
        d.n = t;
    else if (c->unknown == unknown_effect)
        d.w = t;
    else if (c->unknown == unknown_alpha)
        d.alpha = t;
    double lambda = d.n * d.w * d.w;
    if (lambda > chisq_lambda_ceiling) {
        // The power rises with lambda: where it is 1 to the last digit at
        // the ceiling it is 1 beyond (the effect-size search tries w up to
        // 1e150), and the noncentral sums need not run that far.
        design_outcome outcome = chisq_test_power(d.df, chisq_lambda_ceiling, d.alpha, power);
        if (outcome == design_ok && *power == 1.0)
            return outcome;
    }
    return chisq_test_power(d.df, lambda, d.alpha, power);
}

// The t designs' power, with the effect e taken as d = e, or d = -e for
// `less`, so that the power rises in e.
double signed_effect(int32_t alternative, double e)
{
    return alternative == t_test_less ? -e : e;
}

struct t_context {
    t_design design;
    unknown_field unknown;
};

design_outcome t_power(const void* context, double x, double* power)
{
    const t_context* c = static_cast<const t_context*>(context);
    t_design d = c->design;
    if (c->unknown == unknown_size)
        d.n = x;
    else if (c->unknown == unknown_effect)
        d.d = x;
    else if (c->unknown == unknown_alpha)
        d.alpha = x;
    double effect = signed_effect(d.alternative, d.d);
    if (d.type == t_test_two_sample)
        return t_test_power(2.0 * (d.n - 1.0), effect * std::sqrt(0.5 * d.n), d.alpha,
                            d.alternative, power);
    return t_test_power(d.n - 1.0, effect * std::sqrt(d.n), d.alpha, d.alternative, power);
}

struct t2n_context {
    t2n_design design;
    unknown_field unknown;
};

design_outcome t2n_power(const void* context, double x, double* power)
{
    const t2n_context* c = static_cast<const t2n_context*>(context);
    t2n_design d = c->design;
    if (c->unknown == unknown_size)
        d.n2 = x;
    else if (c->unknown == unknown_effect)
        d.d = x;
    else if (c->unknown == unknown_alpha)
        d.alpha = x;
    double effect = signed_effect(d.alternative, d.d);
    return t_test_power(d.n1 + d.n2 - 2.0, effect / std::sqrt(1.0 / d.n1 + 1.0 / d.n2), d.alpha,
                        d.alternative, power);
}

bool t_alternative_valid(int32_t alternative)
{
    return alternative == t_test_two_sided || alternative == t_test_less
        || alternative == t_test_greater;
}

// The effect as the power function takes it: |d| for two sides, -d for
// `less` (NaN stays NaN).
double internal_effect(int32_t alternative, double d)
{
    if (alternative == t_test_two_sided)
        return std::fabs(d);
    return signed_effect(alternative, d);
}

// Solve for the unknown of either design through its power function:
// *size, *effect, *alpha, *power are the design's fields (one NaN),
// size_min and size_max the whole sizes searched, effect_start the start
// of the effect-size search.
design_outcome solve_unknown(design_power_of power_of, const void* context, unknown_field unknown,
                             double* size, double* effect, double* alpha, double* power,
                             double* achieved, double size_min, double size_max,
                             double effect_start, bool whole_size = true)
{
    *achieved = not_a_number;
    design_outcome outcome;
    switch (unknown) {
    case unknown_power:
        outcome = power_of(context, 0.0, power);
        *achieved = *power;
        return outcome;
    case unknown_size:
        if (*power <= *alpha)
            return design_unreachable;
        if (whole_size)
            return design_smallest_whole(power_of, context, *power, size_min, size_max, size,
                                         achieved);
        outcome = design_increasing_root(power_of, context, *power, chisq_n_start, size_min,
                                         size_max, size);
        break;
    case unknown_effect:
        if (*power <= *alpha)
            return design_unreachable;
        outcome = design_increasing_root(power_of, context, *power, effect_start, design_effect_min,
                                         design_effect_max, effect);
        break;
    case unknown_alpha:
        outcome = design_increasing_root(power_of, context, *power, alpha_start, design_alpha_min,
                                         design_alpha_max, alpha);
        break;
    default:
        return design_invalid;
    }
    if (outcome == design_ok)
        *achieved = *power;
    return outcome;
}

}  // namespace

design_outcome solve_f2_design(f2_design* design)
{
    f2_design& d = *design;
    d.achieved = not_a_number;
    unknown_field unknown = find_unknown(d.v, d.f2, d.alpha, d.power);
    if (unknown == unknown_none || !(d.u > 0.0 && d.u <= design_df_bound)
        || !(std::isnan(d.v) || (d.v > 0.0 && d.v <= design_df_bound))
        || !(std::isnan(d.f2) || (d.f2 >= 0.0 && d.f2 <= design_effect_max))
        || !level_and_power_valid(d.alpha, d.power))
        return design_invalid;
    f2_context context{d, unknown};
    return solve_unknown(f2_power, &context, unknown, &d.v, &d.f2, &d.alpha, &d.power,
                         &d.achieved, 1.0, design_df_bound, f2_start);
}

design_outcome solve_anova_design(anova_design* design)
{
    anova_design& d = *design;
    d.achieved = not_a_number;
    unknown_field unknown = find_unknown(d.n, d.f, d.alpha, d.power);
    const double k = d.groups;
    if (unknown == unknown_none || !(k >= 2.0 && k - 1.0 <= design_df_bound && elem_floor(k) == k)
        || !(std::isnan(d.n) || (d.n > 1.0 && k * (d.n - 1.0) <= design_df_bound))
        || !(std::isnan(d.f) || (d.f >= 0.0 && d.f <= design_effect_max))
        || !level_and_power_valid(d.alpha, d.power))
        return design_invalid;
    anova_context context{d, unknown};
    // Whole group sizes from 2 up to the size whose df2 = k (n - 1) reaches
    // the bound.
    double n_max = elem_floor(design_df_bound / k) + 1.0;
    return solve_unknown(anova_power, &context, unknown, &d.n, &d.f, &d.alpha, &d.power,
                         &d.achieved, 2.0, n_max, f_start);
}

design_outcome solve_chisq_design(chisq_design* design)
{
    chisq_design& d = *design;
    d.achieved = not_a_number;
    unknown_field unknown = find_unknown(d.n, d.w, d.alpha, d.power);
    if (unknown == unknown_none || !(d.df > design_df_floor && d.df <= design_df_bound)
        || !(std::isnan(d.n) || (d.n > 0.0 && d.n <= chisq_n_max))
        || !(std::isnan(d.w) || (d.w >= 0.0 && d.w <= design_effect_max))
        || !level_and_power_valid(d.alpha, d.power))
        return design_invalid;
    chisq_context context{d, unknown};
    return solve_unknown(chisq_power, &context, unknown, &d.n, &d.w, &d.alpha, &d.power,
                         &d.achieved, chisq_n_min, chisq_n_max, w_start, false);
}

design_outcome solve_t_design(t_design* design)
{
    t_design& d = *design;
    d.achieved = not_a_number;
    unknown_field unknown = find_unknown(d.n, d.d, d.alpha, d.power);
    if (unknown == unknown_none || !t_alternative_valid(d.alternative)
        || !(d.type == t_test_one_sample || d.type == t_test_two_sample || d.type == t_test_paired)
        || !(std::isnan(d.n) || (d.n > 1.0 && d.n <= design_df_bound))
        || !(std::isnan(d.d) || std::fabs(d.d) <= design_effect_max)
        || !level_and_power_valid(d.alpha, d.power))
        return design_invalid;
    t_context context{d, unknown};
    context.design.d = internal_effect(d.alternative, d.d);
    double n_max = d.type == t_test_two_sample ? elem_floor(design_df_bound / 2.0) + 1.0
                                               : design_df_bound;
    double effect = context.design.d;
    design_outcome outcome = solve_unknown(t_power, &context, unknown, &d.n, &effect, &d.alpha,
                                           &d.power, &d.achieved, 2.0, n_max, d_start);
    if (unknown == unknown_effect && outcome == design_ok)
        d.d = signed_effect(d.alternative, effect);
    return outcome;
}

design_outcome solve_t2n_design(t2n_design* design)
{
    t2n_design& d = *design;
    d.achieved = not_a_number;
    // n1 and n2 enter alike: a missing n1 is solved for as n2.
    bool swapped = std::isnan(d.n1) && !std::isnan(d.n2);
    t2n_design w = d;
    if (swapped) {
        w.n1 = d.n2;
        w.n2 = d.n1;
    }
    unknown_field unknown = find_unknown(w.n2, w.d, w.alpha, w.power);
    if (unknown == unknown_none || std::isnan(w.n1) || !t_alternative_valid(w.alternative)
        || !(w.n1 > 0.0 && w.n1 <= design_df_bound)
        || !(std::isnan(w.n2) || (w.n2 > 0.0 && w.n1 + w.n2 > 2.0 && w.n2 <= design_df_bound))
        || !(std::isnan(w.d) || std::fabs(w.d) <= design_effect_max)
        || !level_and_power_valid(w.alpha, w.power))
        return design_invalid;
    t2n_context context{w, unknown};
    context.design.d = internal_effect(w.alternative, w.d);
    double effect = context.design.d;
    double n_min = w.n1 >= 2.0 ? 1.0 : 2.0;
    design_outcome outcome = solve_unknown(t2n_power, &context, unknown, &w.n2, &effect, &w.alpha,
                                           &w.power, &w.achieved, n_min, design_df_bound - w.n1,
                                           d_start);
    if (unknown == unknown_effect && outcome == design_ok)
        w.d = signed_effect(w.alternative, effect);
    d.d = w.d;
    d.alpha = w.alpha;
    d.power = w.power;
    d.achieved = w.achieved;
    if (swapped)
        d.n1 = w.n2;
    else
        d.n2 = w.n2;
    return outcome;
}
