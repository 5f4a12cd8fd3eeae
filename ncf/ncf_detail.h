// The pieces of the noncentral F distribution function beneath the public
// routines of ncf/ncf.h: the steps of the incomplete beta ratio that the
// log-space routines reuse (its continued fraction and the beta argument),
// and the traced forms of beta_inc and ncf_cdf that report how an answer
// was reached, for the tests and the benchmark.
#pragma once

#include <cstdint>

#include "numeric/constants.h"

// The continued fraction of the incomplete beta ratio on (xs, p, q), p >= 1,
// with ys = 1 - xs as the caller holds it (r = ys/xs keeps the digits of a
// small ys that 1 - xs would lose):
// *value receives V, the approximant of 1/F in
//     I_xs(p, q) = xs^p (1-xs)^(q-1) / (p B(p, q)) / F,
// once two successive approximants agree to `tolerance` relative, and
// *steps the steps taken.  0 converged; 1 not within max_steps steps
// (*value is then the last approximant).
int32_t beta_fraction(double xs, double ys, double p, double q, double tolerance,
                      int32_t max_steps, double* value, int32_t* steps);

// beta_fraction in the extended format, xs and ys each carried there (the
// smaller as formed, the other 1 minus it, exact), with *value in the
// extended format too.  Run inside a stretch at 64-bit x87 precision.
int32_t beta_fraction_extended(long double xs, long double ys, double p, double q,
                               double tolerance, int32_t max_steps, long double* value,
                               int32_t* steps);

// The log of the ratio I_xs(p0, q) less its log prefactor ln xs + L (L the
// log density at xs), from the fraction on (xs, p0, q): with a first shape
// p0 < 1 raised to p = p0 + 1 and corrected in closed form,
//     ln((ys + V xs (p0+q)/p) / p0),   else   ln(V/p),
// formed in extended precision (for p0 far below 1 the term ys/p0 carries
// nearly all of the ratio, and a double's rounding of it would show a
// hundredfold in the complement 1 - e^w).  ys = 1 - xs as the caller holds
// it, in extended; the fraction takes it rounded to double, or with
// `extended` runs in the extended format (beta_fraction_extended) on the
// smaller of xs and ys and 1 minus it.  0, or 1 when the fraction did not
// converge within max_steps.
int32_t beta_fraction_log_factor(double xs, long double ys, double p0, double q, double tolerance,
                                 int32_t max_steps, bool extended, long double* log_factor);

// The step limit of the incomplete beta ratios beta_inc and beta_inc_log:
// itrmax = 199.  The fraction needs a few tens of steps for shapes up to a
// thousand and about 90 at p = q = 5000.
constexpr int32_t beta_fraction_itrmax = 199;

// The step limit for large shapes (beta_inc and beta_inc_log with one shape
// above 5000 and the other above 100, and the quantile beta_inc_inverse):
// near the mean the fraction takes about 530 steps at p = q = 1e6, 920 at
// 5e6 and 5230 at 1e9, the largest shapes accepted being 2147483647;
// 20000 covers them with room.
constexpr int32_t beta_fraction_long_itrmax = 20000;

// Large shapes: one above 5000 and the other above 100.  There the beta
// ratios may run their fraction to beta_fraction_long_itrmax, and the
// incomplete beta ratio and the noncentral F distribution function form
// their log densities and start terms by Stirling's form, without the
// cancellation of terms of size a + b.
constexpr double large_shape = 5000.0;
constexpr double large_other_shape = 100.0;

inline bool beta_large_shapes(double a, double b)
{
    return (a > large_shape && b > large_other_shape) || (b > large_shape && a > large_other_shape);
}

// Shapes whose log density beta_inc takes by Stirling's form: the large
// shapes, and one above large_shape with the other from stirling_from (15)
// on.  With a second shape of 15 to 100 beside a first of 1e6 the direct
// sum still has terms of 1e3 (ln B(5e6, 75) = -909), rounded in double: it
// left I up to 3.5e-13 off and the noncentral F 6.4e-13 (df1 = 1e6, df2 =
// 150), where Stirling's form keeps 6e-15.
inline bool beta_stirling_shapes(double a, double b)
{
    return beta_large_shapes(a, b) || (a > large_shape && b >= stirling_from)
        || (b > large_shape && a >= stirling_from);
}

// x' = df1 x / (df1 x + df2) and y' = 1 - x', each formed directly.
void ncf_beta_argument(double x, double df1, double df2, double* xp, double* yp);

// Whether 1 - x, formed in double, has lost the digits of y, the complement
// formed directly: more than 2^-45 of y apart (x rounded near 1).  Where it
// holds y, beta_inc and ncf_cdf work with 1 - x as the one-argument ratio
// does, bit for bit; where it is lost, with y.
inline bool complement_lost(double x, double y)
{
    double d = (1.0 - x) - y;
    return !((d < 0.0 ? -d : d) <= y * 0x1p-45);
}

// How beta_inc reached its answer, for the tests and the benchmark.
constexpr int32_t beta_inc_path_none = 0;          // failure (status 1 or -1)
constexpr int32_t beta_inc_path_end_point = 1;     // x = 0 or x = 1
constexpr int32_t beta_inc_path_tiny_density = 2;  // density below the double range
constexpr int32_t beta_inc_path_fraction = 3;      // continued fraction converged

struct beta_inc_trace {
    int32_t path;     // one of beta_inc_path_*
    int32_t steps;    // continued-fraction steps taken (0 when none ran)
    int32_t swapped;  // 1 when the fraction worked on (1 - x, b, a)
    int32_t shifted;  // 1 when its first shape was raised by one
};

// beta_inc, filling *trace (which may be null) as well.
int32_t beta_inc_traced(double x, double a, double b, double* w, double* w1,
                        beta_inc_trace* trace);

// The three logarithms beta_inc takes for the density at 0 < x < 1, for a
// caller that holds them already: ln x (extended), ln(1 - x) and
// log_beta(a, b); the first two as beta_argument_logs forms them.
struct beta_inc_logs {
    long double ln_x;
    double ln_1mx;
    double log_beta_ab;
};

// ln x and ln(1 - x) into *logs (log_beta_ab untouched) for 0 < x < 1 with
// its complement y = 1 - x as the caller formed it: of x alone where 1 - x
// carries y (log1p_rel(-x) for the complement), else of y, which then
// carries the point (ln(1 - y) in extended precision for ln x).  Run inside
// a stretch at 64-bit x87 precision.
void beta_argument_logs(double x, double y, beta_inc_logs* logs);

// beta_inc_traced at x with its complement y = 1 - x formed by the caller
// (for x rounded near 1, where 1 - x has lost y's digits), and with those
// logarithms supplied (logs may be null: then it takes them itself, by
// beta_argument_logs and log_beta).  With y the double 1 - x and the
// values beta_inc would compute, the results are beta_inc's bit for bit.
int32_t beta_inc_given_logs(double x, double y, double a, double b, const beta_inc_logs* logs,
                            double* w, double* w1, beta_inc_trace* trace);

struct ncf_cdf_trace {
    int32_t start_index;    // k, or -1 when no Poisson sum was set up
    int32_t steps;          // recurrence steps of both directions together
    int32_t extended_loop;  // 1 when the sum ran in extended precision
};

// ncf_cdf, filling *trace (which may be null) as well.
int32_t ncf_cdf_traced(double x, double df1, double df2, double ncp, double* out,
                       ncf_cdf_trace* trace);
