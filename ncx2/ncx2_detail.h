// The building blocks of the noncentral chi-square routines (internal to
// ncx2/ and design/) and what the tests read.
#pragma once

#include <cstdint>

#include "library/log_complement.h"
#include "numeric/constants.h"
#include "numeric/elementary.h"
#include "numeric/primitives.h"

// Below this logarithm e^t rounds to 0: half the smallest subnormal,
// 2^-1075, is e^-745.133.
constexpr double ncx2_log_zero = -745.2;

// e^t for a log probability t <= 0, down to the subnormal range (exp_fast
// checks nothing).
inline double ncx2_exp_tail(double t) { return t < ncx2_log_zero ? 0.0 : exp_fast(t); }

// ln(1 - e^w) for a log probability w <= 0; -e^w, to all its digits, where
// e^w lies below the normal range (a subnormal, or -0 below half the
// smallest).
inline double ncx2_log_complement(double w)
{
    return w >= log_min_normal ? log_complement(w) : -ncx2_exp_tail(w);
}

// The index j* >= 0 at which the terms p_j g(y; a + j) of the density's
// Poisson series peak, with a = df/2, y = x/2, h = ncp/2: the larger root of
// (j + 1)(a + j) = h y, where t_(j+1)/t_j = h y/((j + 1)(a + j)) passes 1
// (0 where that root is negative; the largest double where h y overflows).
// The terms of both tails and of their derivatives in the noncentrality
// peak within a few steps of it.
inline double ncx2_peak_index(double a, double y, double h)
{
    double peak = 0.5 * (elem_sqrt((a - 1.0) * (a - 1.0) + 4.0 * h * y) - (a + 1.0));
    return peak > 0.0 ? (peak < max_double ? peak : max_double) : 0.0;
}

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

// Whether the terms peak so far from the Poisson mode floor(h) that the
// sum from the mode would walk there (ncx2_far_tail.cpp): more than
// ncx2_far_walk_roots sqrt(max(j*, h)) + ncx2_far_walk_base steps, some
// 24 standard deviations of the terms' spread about either, where the
// smaller tail lies below e^-100 or so.
constexpr double ncx2_far_walk_roots = 24.0;
constexpr double ncx2_far_walk_base = 200.0;
inline bool ncx2_far_from_mode(double peak, double h)
{
    double walk = elem_abs(peak - elem_floor(h));
    return walk > ncx2_far_walk_roots * elem_sqrt(peak > h ? peak : h) + ncx2_far_walk_base;
}

// The evaluation where ncx2_far_from_mode holds (h > 0): the smaller tail,
// the upper where j* lies above the mode and the lower below, as a sum of
// positive terms about j*, or beyond j* = 2^30 by its Bessel-form
// asymptotic series; the larger tail as its complement (ncx2_far_tail.cpp).
// Called with the x87 unit at 64 bits.  0 on success, 1 on failure.
int32_t ncx2_far_evaluate(double x, double df, double ncp, ncx2_evaluation* out);

// ln f(x; df, ncp) by the Bessel form of the density,
//     f = (1/2) e^(-(x+ncp)/2) (x/ncp)^(nu/2) I_nu(sqrt(ncp x)),  nu = df/2 - 1,
// for sqrt(ncp x) >= 2^16 (ncx2_bessel_log_density.cpp), where I_(-mu)
// and I_mu agree to e^(-2 sqrt(ncp x)) and the order is taken as |nu|.  0
// on success, 1 where the Bessel function fails or the argument is smaller.
int32_t ncx2_bessel_log_density(double x, double df, double ncp, double* out);

// Whether (df, ncp) lie in the domain of the routines (NaN does not).
bool ncx2_parameters_valid(double df, double ncp);
