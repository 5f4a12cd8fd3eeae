// The noncentral F law as its users ask for it: the two tail probabilities,
// their logarithms and the density (and its logarithm) at a point, and the
// quantile in x.  Each routine chooses among the module's noncentral F
// routines (ncf_cdf, ncf_log_tails, ncf_log_probs, ncf_log_density) itself,
// so that every caller (the command line, the Python and R packages) gets
// the same answer, or the same failure, from the same arguments.
#pragma once

#include <cstdint>

// What ncf_probabilities is asked for (`requests`), one bit an output.
constexpr int32_t ncf_want_lower = 1;         // P = P(F' <= x)
constexpr int32_t ncf_want_upper = 2;         // Q = P(F' > x) = 1 - P
constexpr int32_t ncf_want_log_lower = 4;     // ln P
constexpr int32_t ncf_want_log_upper = 8;     // ln Q
constexpr int32_t ncf_want_density = 16;      // f(x)
constexpr int32_t ncf_want_log_density = 32;  // ln f(x)
constexpr int32_t ncf_want_all = 63;

// Statuses of ncf_probabilities and ncf_quantile.
constexpr int32_t ncf_values_ok = 0;
constexpr int32_t ncf_values_invalid = 1;  // an argument outside its domain, or NaN
constexpr int32_t ncf_values_failed = 2;   // no routine answered a requested output

// The outputs of ncf_probabilities; a field not requested, or not answered,
// is NaN.  ln 0 is -inf, and the density at x = 0 for df1 < 2 is +inf.
struct ncf_values {
    double lower;
    double upper;
    double log_lower;
    double log_upper;
    double density;
    double log_density;
};

// The requested outputs at x for df1, df2 > 0 and ncp >= 0, all finite; any
// x but NaN (P = 0 below the support, P = 1 at +inf).  ncf_values_ok when
// every requested output holds a value carried to full relative precision
// (each tail and its logarithm far below the double range, the larger tail
// never as 1 minus a rounded smaller one); ncf_values_failed when one of
// them has no answer (it is NaN, the others keep theirs).
int32_t ncf_probabilities(double x, double df1, double df2, double ncp, int32_t requests,
                          ncf_values* out);

// The quantile in x: the x >= 0 with P(F' <= x) = prob (tail =
// quantile_lower_tail) or P(F' > x) = prob (tail = quantile_upper_tail),
// into *x, for 0 < df1, df2 <= 4294967294 and 0 <= ncp < inf.  Giving the
// upper tail directly keeps a probability such as 1 - 1e-300 exact.  prob = 0
// and prob = 1 give the end points 0 and +inf.  Statuses those of the
// central quantiles (quantile_ok, quantile_invalid, quantile_not_converged:
// the iteration reached its step limit, the probabilities had no answer at
// an iterate, or the quantile lies beyond the largest double); *x is NaN
// unless quantile_ok.
int32_t ncf_quantile(double prob, int32_t tail, double df1, double df2, double ncp, double* x);
