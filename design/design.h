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

// The noncentrality lambda >= 0 of the noncentral chi-square law with
// P(X <= x; df, lambda) = p (ncx2_ncp), on plain doubles, with FNONCT's
// outcomes: fnonct_missing for a NaN, fnonct_invalid for x < 0, df outside
// (2^-10, 2147483647] or p outside (0, 1), fnonct_no_root where p exceeds
// the central probability, fnonct_failed where the search did not reach a
// root that exists.  *lambda is NaN unless fnonct_ok.
int32_t chisq_ncp_solve(double x, double df, double p, double* lambda);

// The confidence interval for the noncentrality behind an observed
// chi-square statistic chi2 on df degrees of freedom (Steiger 2004): as
// ncp_interval, the lower limit solving P(X <= chi2; df, lower) =
// 1 - alpha_low and the upper P(X <= chi2; df, upper) = alpha_high, a limit
// with no root 0.  `alternative` is an ncp_alternative.  Outcomes as
// ncp_interval (fnonct_outcome); both limits NaN unless fnonct_ok.
int32_t chisq_ncp_interval(double chi2, double df, double confidence, int32_t alternative,
                           double* lower, double* upper);

// Which sample size the RMSEA divides by: N - 1 (Steiger and Lind 1980,
// Browne and Cudeck 1993, and most SEM software) or N (some programs).
enum rmsea_convention : int32_t {
    rmsea_n_minus_1 = 0,
    rmsea_n = 1,
};

// The effect sizes of a chi-square statistic and their intervals, each a
// monotone map of the noncentrality lambda (Steiger 2004):
//     RMSEA = sqrt(lambda / (df (N - 1)))   (or df N),
//     Cohen's w = phi = sqrt(lambda / N),
//     Cramer's V = sqrt(lambda / (N (min(r, c) - 1))),
// N the sample size, r and c the table's rows and columns.  The estimates
// are the maps of lambda-hat = max(chi2 - df, 0), the estimate of the
// noncentrality whose interval this is (E chi2 = df + lambda); the
// conventional sqrt(chi2/N) overstates the effect by the df and can lie
// outside its own interval.  Fields not computed (no N, or no table for V)
// are NaN.
struct chisq_effect_interval {
    double lambda_estimate, lambda_lower, lambda_upper;
    double rmsea_estimate, rmsea_lower, rmsea_upper;
    double w_estimate, w_lower, w_upper;  // Cohen's w, which is phi
    double v_estimate, v_lower, v_upper;  // Cramer's V
};

// The interval of chisq_ncp_interval and, given n (NaN: not given), the
// RMSEA, w and phi; given also rows and cols (NaN: not given; whole, at
// least 2), Cramer's V.  The outcome is chisq_ncp_interval's, with
// fnonct_invalid also for n <= 1 (n <= 0 with rmsea_n), rows or cols not
// whole numbers of at least 2, or an unknown convention.
int32_t chisq_effect_size_interval(double chi2, double df, double n, double rows, double cols,
                                   double confidence, int32_t alternative, int32_t convention,
                                   chisq_effect_interval* interval);

// The power of the level-alpha chi-square test on df degrees of freedom
// against noncentrality lambda: P(X > x_crit; df, lambda), x_crit the
// central quantile with upper tail alpha.  Domain: 2^-10 < df <=
// 2147483647, 0 <= lambda <= 1e7 (the noncentral chi-square's range),
// 0 < alpha < 1.  *power is NaN unless design_ok.
design_outcome chisq_test_power(double df, double lambda, double alpha, double* power);

// The chi-square test's design as the R package pwr has it (pwr.chisq.test;
// Cohen 1988, ch. 7): effect size w, sample size N (a real number, as pwr
// solves it, not rounded up), df, alpha, power, lambda = N w^2.  Exactly
// one of w, n, alpha, power is NaN and is solved for; df must be given.
// `achieved` is the power of the design returned.
struct chisq_design {
    double w, n, df, alpha, power;
    double achieved;
};
design_outcome solve_chisq_design(chisq_design* design);
// The t tests as the R package pwr has them (pwr.t.test, pwr.t2n.test).
enum t_test_type : int32_t {
    t_test_one_sample = 0,  // n observations, df = n - 1, delta = d sqrt(n)
    t_test_two_sample = 1,  // n in each group, df = 2 (n - 1), delta = d sqrt(n/2)
    t_test_paired = 2,      // n pairs: as one sample of differences
};
// The alternatives (the codes of ncp_alternative and nct_ncp_interval).
enum t_test_alternative : int32_t {
    t_test_two_sided = 0,
    t_test_less = 1,     // the mean below: power P(T <= -t_crit)
    t_test_greater = 2,  // the mean above: power P(T > t_crit)
};

// The power of the level-alpha t test with df degrees of freedom against
// noncentrality delta: P(T > t_crit) (greater), P(T <= -t_crit) (less) or
// their sum with alpha/2 in each tail (two-sided), t_crit the central t
// quantile with upper tail alpha (or alpha/2), T noncentral t with delta.
// Domain: 0 < df <= 4294967294, delta finite, 0 < alpha < 1.
design_outcome t_test_power(double df, double delta, double alpha, int32_t alternative,
                            double* power);

// One-sample, two-sample and paired designs: exactly one of n, d, alpha,
// power NaN and solved for, as solve_f2_design does (n the smallest whole
// n >= 2 whose power reaches the target).  As in pwr.t.test, a two-sided
// test takes |d|; for `less` the effect is searched among negative d.
struct t_design {
    int32_t type;         // t_test_type
    int32_t alternative;  // t_test_alternative
    double n, d, alpha, power;
    double achieved;
};
design_outcome solve_t_design(t_design* design);

// Two groups of unequal sizes (pwr.t2n.test): df = n1 + n2 - 2,
// delta = d / sqrt(1/n1 + 1/n2); exactly one of n1, n2, d, alpha, power NaN.
struct t2n_design {
    int32_t alternative;
    double n1, n2, d, alpha, power;
    double achieved;
};
design_outcome solve_t2n_design(t2n_design* design);

// The interval for delta from an observed t on df degrees of freedom and,
// from it, Cohen's d and Hedges' g (g = J(df) d, hedges_correction): none
// when n1 is NaN, one sample or pairs when n2 is NaN (d = delta/sqrt(n1);
// df = n1 - 1 in the pooled test), else two groups (d = delta sqrt(1/n1 +
// 1/n2); df = n1 + n2 - 2).  df is taken as given, so that another test's
// degrees of freedom may be used.  The point estimates are d = t times the
// same factor and g = J d.  design_invalid for the arguments (t finite,
// df > 0, n1 > 0 and n2 > 0 where given, 0 < confidence < 1, a known
// alternative), design_failed when an inversion failed.  One-sided
// intervals have an infinite end; the g limits are NaN where df <= 1.
struct d_interval {
    double df;
    double delta_lower, delta_upper;
    double d, d_lower, d_upper;
    double g, g_lower, g_upper;
};
design_outcome cohens_d_interval(double t, double df, double n1, double n2, double confidence,
                                 int32_t alternative, d_interval* interval);
