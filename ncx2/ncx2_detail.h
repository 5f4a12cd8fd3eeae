// The building blocks of the noncentral chi-square routines (internal to
// ncx2/ and design/) and what the tests read.
#pragma once

#include <cstdint>

#include "numeric/primitives.h"

// Below this logarithm e^t rounds to 0: half the smallest subnormal,
// 2^-1075, is e^-745.133.
constexpr double ncx2_log_zero = -745.2;

// e^t for a log probability t <= 0, down to the subnormal range (exp_fast
// checks nothing).
inline double ncx2_exp_tail(double t) { return t < ncx2_log_zero ? 0.0 : exp_fast(t); }

// The outward Poisson sum of the noncentral chi-square (ncx2_poisson_sum.cpp).
// With a = df/2, Poisson mean h = ncp/2, y = x/2, the weights
// p_j = e^-h h^j/j! and the gamma ratios P_j = P(a + j, y), summed from the
// start index k:
//
//     D  = sum_j p_j (P_j - P_k)            (P = P_k + D, Q = Q_k - D),
//     E1 = sum_j p_j u_j                    (dP/d ncp = -E1/2),
//     E2 = sum_j p_j u_(j+1)                (d2P/d ncp2 = (E1 - E2)/4),
//
// u_j = P_j - P_(j+1) = y^(a+j) e^-y / Gamma(a + j + 1) (A&S 6.5.21).  All
// three are scaled by p_k u_k, the sum running on p_k = u_k = 1: the true
// values are the fields times p_k u_k 2^(8192 scale).
struct ncx2_sum {
    long double difference;  // D / (p_k u_k 2^(8192 scale))
    long double slope;       // E1, scaled alike
    long double curvature;   // E2, scaled alike
    int32_t scale;           // the factors of 2^-8192 taken out
    int32_t steps;           // recurrence steps taken
};

// The sum for shape a, point y > 0, Poisson mean h > 0 and start index k,
// in extended precision (the caller holds the x87 unit at 64 bits).  0 when
// every direction settled within step_limit steps and the sums are finite;
// 1 otherwise.
int32_t ncx2_sum_differences(double a, double y, double h, int32_t k, int32_t step_limit,
                             ncx2_sum* out);

// ln P(s, y) and ln Q(s, y) of the start shape s = a + k, y > 0, each to
// full relative accuracy (ncx2_gamma_log_tails.cpp).  0 on success, 1 where
// no method holds its accuracy.
int32_t ncx2_gamma_log_tails(double y, double s, double* log_p, double* log_q);

// Everything one point of the distribution gives: both log tails and the
// derivatives in the noncentrality that the inversion steps on.
struct ncx2_evaluation {
    double log_lower;        // ln P(X <= x)
    double log_upper;        // ln P(X > x)
    double log_slope;        // ln(-dP/d ncp) = ln(E1/2); -inf for ncp = 0 not formed
    double curvature_ratio;  // E2/E1: d2P/d ncp2 = -(1/2)(1 - E2/E1) dP/d ncp
    int32_t steps;           // the sum's steps (0: one gamma ratio)
};

// What the start index k gives at a fixed x and df, whatever the
// noncentrality: ln P(a + k, y), ln Q(a + k, y) and ln u_k.  A caller that
// evaluates at several noncentralities (the inversion) keeps it between
// calls; k = -1 marks it empty.
struct ncx2_start {
    int32_t k;
    double log_p, log_q, log_term;
};

// The evaluation at x > 0 (finite), the domain of ncx2_log_tails; the x87
// unit at 64 bits is set and restored here.  0 on success, 1 on failure.
// The slope is formed for ncp > 0 and for ncp = 0 alike (E1 = u_0).
// `start` (may be null) is used where its k is the one needed, and filled
// otherwise; it must come from the same x and df.
int32_t ncx2_evaluate(double x, double df, double ncp, ncx2_evaluation* out,
                      ncx2_start* start = nullptr);

// Whether (df, ncp) lie in the domain of the routines (NaN does not).
bool ncx2_parameters_valid(double df, double ncp);
