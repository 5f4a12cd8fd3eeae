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
//     E3 = sum_j p_j u_(j+2)                (d3P/d ncp3 = (-E1 + 2 E2 - E3)/8),
//
// u_j = P_j - P_(j+1) = y^(a+j) e^-y / Gamma(a + j + 1) (A&S 6.5.21).  All
// three are scaled by p_k u_k, the sum running on p_k = u_k = 1: the true
// values are the fields times p_k u_k 2^(8192 scale).
struct ncx2_sum {
    long double difference;  // D / (p_k u_k 2^(8192 scale))
    long double slope;       // E1, scaled alike
    long double curvature;   // E2, scaled alike
    long double torsion;     // E3, scaled alike
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
    double torsion_ratio;    // E3/E1: d3P/d ncp3 = (1/4)(1 - 2 E2/E1 + E3/E1) dP/d ncp
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

// The most gamma terms a forward sum from index 0 holds
// (ncx2_direct_sum.cpp): they reach max(h, y - a) and some nine standard
// deviations of the wider of the two laws beyond it; 512 cover a Poisson
// mean of 150 with y - a up to about 300.
constexpr int32_t ncx2_direct_terms = 512;

// What x and df alone give the forward sum from index 0: a = df/2,
// y = x/2, the gamma terms u_j = y^(a+j) e^-y/Gamma(a + j + 1), their
// running sums U_j = u_0 + ... + u_(j-1) and their tails
// P_j = P(a + j, y) = u_j + u_(j+1) + ..., P_0 = P(a, y) and Q_0 = Q(a, y).
// The record belongs to the caller; ncx2_direct_sum extends its terms.
struct ncx2_direct_point {
    int32_t valid;   // the forward sum serves this point (u_0 not tiny)
    int32_t tails;   // the tails its sums may form (above is formed for the lower)
    int32_t filled;  // term, below and above hold j < filled
    double a, y;
    double peak;     // the largest term
    double floor;    // the tails P_j are exact to 2^-53 of the smaller of themselves and this
    double lower0, upper0;
    int32_t upper0_complement;  // Q_0 is 1 - P_0 (at least 1/64), not formed directly
    double term[ncx2_direct_terms + 1];  // and a 0 after the last, with the lower tails
    double below[ncx2_direct_terms];
    double above[ncx2_direct_terms];
};

// The tails a forward sum completes (the lower, the upper, or both), and
// its slopes, named together in the `what` of ncx2_direct_sum.
constexpr int32_t ncx2_direct_lower = 1;
constexpr int32_t ncx2_direct_upper = 2;
constexpr int32_t ncx2_direct_slopes = 4;

// Fills *point for x > 0 (finite) and df in range, for sums of the tails
// named by `tails`: P_0 to full relative accuracy, the tails P_j (for the
// lower tail) to 2^-53 of the smaller of themselves and `floor` (the least
// lower tail the caller expects; the sums extend them where a lower tail
// falls below it), and Q_0 to full relative accuracy where `tails` names
// the upper tail (else as 1 - P_0).  0, with valid set where the sum
// serves; 1 where the point is outside the domain or a gamma ratio fails.
int32_t ncx2_direct_prepare(double x, double df, double floor, int32_t tails,
                            ncx2_direct_point* point);

// The sums of ncx2_direct_sum, unscaled: P and Q, each a sum of positive
// terms, and E_m = sum_j p_j u_(j+m), m = 0, 1, 2, the slopes:
//     dP/dncp = -E_0/2,  d2P/dncp2 = (E_0 - E_1)/4,
//     d3P/dncp3 = (-E_0 + 2 E_1 - E_2)/8.
struct ncx2_direct_moments {
    double lower, upper;
    double slope, curvature, torsion;  // E_0, E_1, E_2
    int32_t steps;
};

// The forward sum at ncp from a prepared point, in double: the tails named
// by `what` (among those the point was prepared for), each to full
// relative accuracy, and the three slopes where `what` names
// ncx2_direct_slopes (what is not named is NaN).  0 on success; 1 where
// the point or the Poisson mean lies outside the sum's domain or its terms
// outrun ncx2_direct_terms (the sum from the mode serves there).
int32_t ncx2_direct_sum(ncx2_direct_point* point, double ncp, int32_t what,
                        ncx2_direct_moments* out);
