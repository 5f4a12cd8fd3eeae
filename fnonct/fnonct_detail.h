// The building blocks of the noncentrality searches beneath fnonct_solve
// (fnonct/fnonct_solve.h) and the evaluate callback (fnonct/fnonct.h): the
// closed-form start both share, the library's one-sum-per-step solver, and
// the traces the tests and the benchmark read.
#pragma once

#include <cstdint>

// What phase 1 did.
struct fnonct_phase1_trace {
    double start;       // lambda_0 = max(B, 1)
    double first_step;  // lambda' of the first false-position pass
    int32_t passes;     // false-position passes
};

// Phase 1 of the noncentrality search: false position on the cube-root
// normal approximation of P(F' <= x; lambda) = p from max(B, 1), B the
// lower bound 2 ln(P0/p) of the root; returns the lambda it ends on (no
// distribution function is evaluated).  x > 0, df1 > 0, df2 > 0, 0 < p < 1.
double fnonct_phase1(double x, double df1, double df2, double p, double bound,
                     fnonct_phase1_trace* trace);

// The root of the same normal approximation by Newton's method, for the
// library's solver: near that root (a last step below 2^-5 of it), at or
// above B, at most fnonct_start_ceiling (the point it last reached where a
// step leaves those bounds); 0 where the approximation has no root above B.
double fnonct_normal_start(double x, double df1, double df2, double p, double bound);

// A start where the normal approximation has none, from the power law of
// the upper tail in lam for a denominator of fewer than 2 degrees of
// freedom, given P0 (max(B, 1) where that law does not serve).
double fnonct_heavy_tail_start(double df1, double df2, double p, double p0, double bound);

// The largest start fnonct_normal_start gives, 2^40 (as the solver's ceiling).
constexpr double fnonct_start_ceiling = 0x1p40;

// What one fnonct_halley_search did.
struct fnonct_halley_trace {
    double central;         // P0 (0 when only its logarithm was formed)
    double start;           // phase 1's lambda, where Halley's steps begin
    int32_t evaluations;    // Halley evaluations (each one Poisson sum)
    int32_t direct_sums;    // of them, or attempted, by the prepared ncf_cdf sum
    int32_t log_sums;       // by the log-space sum ncf_log_tails_slopes
    int32_t safeguarded;    // steps replaced by bisection or growth
    int32_t fallback_calls;  // ncf_log_probs or ncf_log_tails calls of fnonct_log_search,
                             // where the Halley iteration could not finish (0: it did)
};

// The library's noncentrality search: the lambda >= 0 with
// P(F' <= x; df1, df2, lambda) = p for 0 < p < 1, by Halley's method on the
// logarithm of the smaller tail with the derivatives from the Poisson sum
// itself.  Returns a fnonct_search_status (fnonct/fnonct.h); *result is to
// be used only with fnonct_search_found.  trace may be null.
int32_t fnonct_halley_search(double x, double df1, double df2, double p, double* result,
                             fnonct_halley_trace* trace);
