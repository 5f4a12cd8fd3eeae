// Study design for the F test of the general linear model: power, sample
// size, effect size and significance level, each solved from the others,
// and the intervals for the effect sizes behind an observed F.
#pragma once

#include <cstdint>

// What one design question came to.  The codes are stable: the bindings
// hand them to their users.
enum design_outcome : int32_t {
    design_ok = 0,
    design_invalid = 1,      // an argument outside its domain, or not exactly one unknown
    design_unreachable = 2,  // no answer exists: power <= alpha, or no whole size up to the bound
    design_failed = 3,       // an answer exists but a distribution routine or search failed
};

// The largest degrees of freedom the distribution routines take: a sample
// size is searched up to the size whose denominator degrees of freedom reach
// it.
constexpr double design_df_bound = 2147483647.0;
// The smallest degrees of freedom they take (excluded): 2^-10.
constexpr double design_df_floor = 0x1p-10;

// The ranges the effect sizes and the level are searched in.
constexpr double design_effect_min = 1e-150;
constexpr double design_effect_max = 1e150;
constexpr double design_alpha_min = 1e-300;
constexpr double design_alpha_max = 1.0 - 0x1p-53;

// The power of the level-alpha F test with df1, df2 degrees of freedom
// against noncentrality lambda: P(F' > F_crit; df1, df2, lambda), F_crit
// the central F quantile with upper tail alpha.  Domain: 2^-10 < df1, df2
// <= 2147483647 (the range of the log-space noncentral F), 0 <= lambda
// <= DBL_MAX, 0 < alpha < 1.  *power is NaN unless
// design_ok.
design_outcome f_test_power(double df1, double df2, double lambda, double alpha, double* power);

// The regression form (Cohen 1988, ch. 9): u numerator degrees of freedom,
// v denominator, effect size f2 = R^2/(1 - R^2), lambda = f2 (u + v + 1).
// Exactly one of v, f2, alpha, power is NaN on entry and is solved for: the
// power directly, v as the smallest whole v >= 1 whose power reaches the
// target (up to design_df_bound), f2 and alpha as the roots of power =
// target.  u must be given.  `achieved` receives the power of the design
// returned (the target itself except for a whole sample size).
struct f2_design {
    double u, v, f2, alpha, power;
    double achieved;
};
design_outcome solve_f2_design(f2_design* design);

// The one-way analysis of variance (Cohen 1988, ch. 8): k groups of n each,
// effect size f (the standard deviation of the group means over the common
// standard deviation), lambda = k n f^2, df1 = k - 1, df2 = k (n - 1).
// As solve_f2_design, with k given and n >= 2 whole when solved for.
struct anova_design {
    double groups, n, f, alpha, power;
    double achieved;
};
design_outcome solve_anova_design(anova_design* design);

// The confidence interval for lambda from an observed F (ncp_interval, Steiger
// 2004) and, given the total sample size n (NaN: not given), those for
// Cohen's f2 = lambda/n and for eta2 = lambda/(lambda + n), each a monotone
// map of lambda.  The outcome is ncp_interval's (fnonct_outcome), with
// fnonct_invalid also for n <= 0; fields not computed are NaN.
struct effect_interval {
    double lambda_lower, lambda_upper;
    double f2_lower, f2_upper;
    double eta2_lower, eta2_upper;
};
int32_t effect_size_interval(double f, double df1, double df2, double n, double confidence,
                             int32_t alternative, effect_interval* interval);
