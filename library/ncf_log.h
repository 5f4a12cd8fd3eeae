// The noncentral F distribution in logarithms: its log probabilities by
// Poisson summation or by integration, and its log density on request.
#pragma once

#include <cstdint>

#include "library/quadrature.h"

// The smallest degrees of freedom the log-space noncentral F routines take
// (both must lie above it): 2^-10.  With a + b far below 1 the beta terms
// jump by 1/(a + b) at the last backward step of the Poisson sum, past what
// its stopping rule foresees.
constexpr double ncf_log_min_degrees = 0x1p-10;

// The smallest degrees of freedom of ncf_log_tails (both must lie above it):
// 2^-20 = 9.5e-7.  Its sum is run on to j = 0 when a + b < 1 and checked
// against its first term, and a tail built on a start ratio whose
// complement lost its digits fails; so checked against mpmath from 1e-6
// to 2^-10, within 5e-15 where it answers.  ncf_log_probs takes the
// probabilities of degrees of freedom at or below ncf_log_min_degrees
// from it.
constexpr double ncf_log_tails_min_degrees = 0x1p-20;

// What ncf_log_probs is asked for (`requests`).
constexpr int32_t ncf_log_want_probabilities = 1;  // ln P(F' <= x) and ln P(F' > x)
constexpr int32_t ncf_log_want_density = 2;        // ln of the density at x

// The record ncf_log_probs works on; the caller owns it.
struct ncf_log_record {
    double x;                 // in: the point, x >= 0
    double n1;                // in: numerator degrees of freedom
    double n2;                // in: denominator degrees of freedom
    double lambda;            // in: noncentrality
    double log_lower;         // out: ln P(F' <= x)
    double log_upper;         // out: ln P(F' > x)
    double log_density;       // out: ln of the density at x
    double tolerance;         // in/out: relative tolerance (the summation raises it
                              // to at least 5.551115123125785e-16)
    int32_t small_lower_tail;  // out: 1 when the normal approximation puts x in the lower tail
    int32_t requests;         // in: ncf_log_want_* bits
    double gamma_scale;       // working: (n2/2)/(x n1)
    double bessel_order;      // working: nu = n1/2 - 1
    double half_bessel_order;  // working: nu/2
    double half_n2;           // working: n2/2
    double root_lambda;       // working: sqrt(lambda)
    double log_lambda;        // working: ln lambda
    quadrature_state* quadrature;  // working: the integration's state
};

// The requested log probabilities and log density into the record.  0 on
// success, 1 on failure (a log probability that would come out above 0 or
// NaN, as where n1 x overflows, is a failure).
int32_t ncf_log_probs(ncf_log_record* record);

// ln P(F' <= x) and ln P(F' > x) for x > 0 by the Poisson summation from the
// Poisson mode with the start terms carried in logarithms: any Poisson mean
// up to 5e6 and probabilities far below the double range.  0 on success, 1
// on failure (arguments outside df1, df2 in (2^-20, 2147483647], ncp >= 0,
// x > 0; a tail built on a start ratio formed as a complement that has lost
// its digits, as for df2 far below 2^-10 with x' near 1;
// a sum whose terms leave the extended range; a start ratio whose fraction
// does not settle).
int32_t ncf_log_tails(double x, double df1, double df2, double ncp, double* log_lower,
                      double* log_upper);

// The derivatives of P(F' <= x) in the noncentrality ncp > 0 beside its log
// tails: -dP/dncp in logarithms (it lies below the double range where the
// tails do), and the second and third derivatives relative to -dP/dncp.
struct ncf_log_slopes {
    double log_descent;  // ln(-dP/dncp)
    double curvature;    // (d2P/dncp2) / (-dP/dncp)
    double torsion;      // (d3P/dncp3) / (-dP/dncp)
};

// ncf_log_tails with the derivatives from the same sum (ncp > 0; status 1
// at ncp = 0, and wherever ncf_log_tails fails).  With provisional nonzero
// the sum runs in doubles where it stays finite, some 1e-12 relative, ten
// times as fast: for a root search's first step, not for its answer.
int32_t ncf_log_tails_slopes(double x, double df1, double df2, double ncp, double* log_lower,
                             double* log_upper, ncf_log_slopes* slopes, int32_t provisional);

// The integrand of ncf_log_probs' integration: the noncentral chi-square
// density of the numerator times the gamma tail of the denominator at t,
// exponent-scaled to base e.  The context is the ncf_log_record.
int32_t ncf_integrand(double t, void* context, double* out);

// How ncf_log_probs computed the probabilities, for the tests.
constexpr int32_t ncf_log_path_none = 0;         // failure, or not requested
constexpr int32_t ncf_log_path_end_point = 1;    // x = 0
constexpr int32_t ncf_log_path_central = 2;      // lambda = 0: one incomplete beta ratio
constexpr int32_t ncf_log_path_summation = 3;    // Poisson summation
constexpr int32_t ncf_log_path_integration = 4;  // integration over the numerator
constexpr int32_t ncf_log_path_mode_summation = 5;  // ncf_log_tails' sum from the Poisson mode

struct ncf_log_trace {
    int32_t path;         // one of ncf_log_path_*
    int32_t steps;        // summation steps (0 when no summation ran)
    int32_t summation_failed;  // 1 when the summation ran and failed
    double difference;    // D, the summation's sum of weighted differences
};

// ncf_log_probs, filling *trace (which may be null); with force_integration
// the probabilities skip the summation and come from the integration.
int32_t ncf_log_probs_traced(ncf_log_record* record, int32_t force_integration,
                             ncf_log_trace* trace);
