// ncf_cdf prepared for many noncentralities at one point, as the
// noncentrality search evaluates it.
#pragma once

#include <cstdint>

#include "ncf/ncf_detail.h"

// The Poisson start weight p_k of the last noncentrality seen, for points
// that are evaluated at the same noncentralities (the search's two).
struct ncf_cdf_weight {
    double ncp;      // NaN: none yet
    int32_t scaled;  // p_k lies below the normal double range
    double weight;   // p_k where it does not
};

// ncf_cdf for one (x, df1, df2) at many noncentralities, as the search uses
// it.  ncf_cdf_prepare keeps in the caller's record what depends on x, df1
// and df2 alone (the beta argument and the logarithms of x' and y'), and
// ncf_cdf_at keeps there what depends on the start index k alone (the start
// ratio I_k, the log of the start term, ln k!) and reuses it while k stays
// the same.  Every result and status is ncf_cdf's bit for bit; the record
// belongs to the caller, so calls on different records may overlap.
struct ncf_cdf_point {
    int32_t valid;        // df1 > 0, df2 > 0 and x >= 0
    double x;
    double xp, yp;        // x' and y' = 1 - x', each formed directly
    double a, b;          // df1/2, df2/2
    long double ln_xp, ln_yp;  // ln x' and ln y' as the start term takes them
    beta_inc_logs beta;   // beta_inc's ln x' and ln(1 - x') (0 < x' < 1 only)
    // Start terms of the last start index, k_cached (-1: none yet).
    int32_t k_cached;
    int32_t start_failed;  // the start term or I_k failed at k_cached
    double zero_start_reach;  // ncf_cdf_slopes_at: the largest Poisson mean at which a held
                              // start index 0 serves (0 unless the caller sets it)
    double ik;             // I_x'(a + k, b)
    double term;           // the start beta term u_k, where it is a normal double
    int32_t term_scaled;   // u_k lies below the normal double range
    long double log_k_factorial;  // ln k! (extended for large shapes)
    ncf_cdf_weight* weight_cache;  // shared with other points, or null
};

void ncf_cdf_prepare(double x, double df1, double df2, ncf_cdf_point* point);
int32_t ncf_cdf_at(ncf_cdf_point* point, double ncp, double* out, ncf_cdf_trace* trace);

// The derivatives of P = P(F' <= x) in the noncentrality ncp at one point,
// from the Poisson sum that gives P (ncf_poisson_sum.h): the descent
// -dP/dncp = (1/2) sum_j p_j u_j > 0, and the second and third derivatives
// relative to it.
struct ncf_cdf_slopes {
    double descent;      // -dP/dncp
    double curvature;    // (d2P/dncp2) / (-dP/dncp)
    double torsion;      // (d3P/dncp3) / (-dP/dncp)
    int32_t start_index;  // the k the sum started from
};

// P into *out and its derivatives in ncp > 0 into *slopes from one sum; at
// ncp = 0, P alone (the central ratio, kept as the start ratio of k = 0).
// The start index is trunc(1.16 lam) as in ncf_cdf_at, or the one the point
// holds from its last call while it still serves (at or above floor(lam),
// a few sqrt(lam) above trunc(1.16 lam) at most), so that a search settling
// on its root computes one start ratio I_k: P then agrees with ncf_cdf_at
// to rounding rather than bit for bit (the start terms are formed as
// ncf_cdf_at forms them, with ln B(a + k, b) and ln k! rounded to doubles
// below a + k + b = 1024, whose roundings leave some 1e-14 in P and differ
// from one k to the next: forming them in extended precision cost 0.3 us a
// root on the benchmark grid, more than the sum itself).  A held k = 0 (the central ratio)
// serves up to the point's zero_start_reach: from k = 0 the sum runs
// forward alone, P = I_0 + D with D < 0, and loses the bits of I_0/P, so
// the caller sets the reach where it knows P not far below I_0 (a root
// search for p not far below P0).  Status 1 where ncf_cdf_at fails,
// and also where its start weight or term lies below the double range (the
// log-space sum, ncf_log_tails_slopes, serves there).
int32_t ncf_cdf_slopes_at(ncf_cdf_point* point, double ncp, double* out, ncf_cdf_slopes* slopes);
