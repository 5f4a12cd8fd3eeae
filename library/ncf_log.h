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

// How ncf_log_tails_slopes sums (`sum_kind`).
constexpr int32_t ncf_log_sum_extended = 0;  // in extended precision, as ncf_log_tails
// In doubles where the terms stay finite, else as extended: about a seventh
// of the cost, and within 1.3e-13 relative of the extended sum (measured
// over 3000 random points with Poisson means of 1e4 to 1e6 and tails to
// 8 standard deviations out, where a bound of n eps for its n steps would
// allow 2e-12: each step rounds afresh, so the errors grow as sqrt(n)).
constexpr int32_t ncf_log_sum_double = 1;
// As ncf_log_sum_double to a relative tolerance of 2^-30: a search's first
// step from a start far off, not its answer.
constexpr int32_t ncf_log_sum_provisional = 2;

// The start of the sum (its index k, the incomplete beta ratios there and
// the beta term), which a caller asking again at a nearby noncentrality (a
// root search's next step) keeps, so that the start ratio's continued
// fraction (hundreds of steps for large shapes) runs once.  A new record
// is empty (k = -1); the routine fills it.
struct ncf_log_start {
    int32_t k = -1;               // the start index, -1 while empty
    double x, df1, df2;           // the distribution the start belongs to
    int32_t mode;                 // the Poisson mode the start was chosen at
    double log_ik, log_jk;        // ln I_k, ln(1 - I_k)
    int32_t settled;              // the continued fraction converged
    // The relative error of the ratio formed as the complement, ln(1 - e^w):
    // w's error, about 2^-53 for the fraction and 2^-64 of its summands,
    // over |w|.  Large where w is near 0, as for a second shape far below
    // 1 with x' near 1.
    double complement_error;
    int32_t complement_is_lower;  // ln I_k is the complement (else ln(1 - I_k))
    int32_t lower_smaller;        // the lower tail judged the smaller at the start
    int32_t moved;                // the start lies off the mode
    long double log_term;         // ln u_k
};

// ncf_log_tails with the derivatives from the same sum (ncp > 0; status 1
// at ncp = 0, for an unknown sum_kind, and wherever ncf_log_tails fails),
// summed as sum_kind says.  start may be null; else it keeps the start
// between calls for the same x, df1, df2.
int32_t ncf_log_tails_slopes(double x, double df1, double df2, double ncp, double* log_lower,
                             double* log_upper, ncf_log_slopes* slopes, int32_t sum_kind,
                             ncf_log_start* start);

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

// ln P(F' <= x), ln P(F' > x) and the derivatives of ncf_log_tails_slopes
// for large Poisson means, by the trapezoidal rule over the Poisson sum's
// continuous index after summation by parts (ncf_log_tails_quadrature.cpp):
// some 60 nodes whatever ncp.  0 on success; 1 for Poisson means below 1e4, where the sum's summands
// are narrower than 4 in the index or not negligible at index 0 (small
// Poisson means, a tiny x'), for arguments outside those of ncf_log_tails
// or ncp <= 0, and where neither tail's terms settle within 400 nodes a
// side: the Poisson sum serves there.
int32_t ncf_log_tails_quadrature(double x, double df1, double df2, double ncp, double* log_lower,
                                 double* log_upper, ncf_log_slopes* slopes);
