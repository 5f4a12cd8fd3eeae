// fnonct_search: the noncentrality lam >= 0 at which the noncentral F
// distribution function takes a given value,
//
//     ncf_cdf(x, df1, df2, lam) = p.
//
// The distribution function falls monotonically in lam from the central
// probability P0 = ncf_cdf(x, df1, df2, 0) toward 0, so a root exists only for
// p <= P0, and p = P0 gives lam = 0.  The Poisson weight of index 0 is
// e^(-lam/2), so P(lam) >= e^(-lam/2) P0 and the root is at least
// B = 2 ln(P0/p).
//
// Phase 1, a closed-form start (fnonct_phase1, shared with the library's
// solver fnonct_halley_search): false position on Patnaik's cube-root
// normal approximation of the distribution function from max(B, 1), at
// the cost of one power per pass and no evaluation of the distribution
// function.  Its pass limit is a deviation stated there.
//
// Phase 2, Newton's method on the exact distribution function.  The
// derivative in lam is
//
//     dP/dlam = (ncf_cdf(x df1/(df1+2), df1+2, df2, lam) - P) / 2,
//
// since d p_j/d lam = (p_(j-1) - p_j)/2 and I_x'(a+j+1, b) at df1 is
// I_x''(a+1+j, b) at df1 + 2 with the same x'.  The first pass is Newton's
// step for ln P = ln p, which behaves well when the start lies far out in
// the tail; later passes work on P itself.  The search has converged when
// two successive passes see probabilities within 1e-7 p of each other.
// The two distribution functions are prepared once each (ncf_cdf_prepare)
// and evaluated at every lam with ncf_cdf_at, which reuses what depends on
// x, df1, df2 and the start index, and shares the Poisson weight between
// them: the same results as ncf_cdf calls, at about half the cost.
//
// The second route.  Where the Newton phase cannot finish although a root
// may exist (ncf_cdf fails at the central call or at a trial lam: its step
// limit above Poisson means of a few thousand, a start term or weight
// outside the double range after an overshooting start; both probabilities
// 0; no convergence in 30 passes or only in the 30th; an estimate that is
// negative or not finite), the search does not fail but continues with
// fnonct_log_search: a bracketed root search (Brent's method) on the log of
// the smaller tail from the log-space summation ncf_log_tails, started at
// phase 1's lam.  It decides no root (p above P0) itself.  Where the Newton
// phase answers, nothing of the second route runs: those results, passes and
// calls are those of the search as first written, which fails in all these
// cases.
//
// Deviation: the convergence test is relative to p, which near 1 says
// little about the upper tail 1 - p that decides lam there: at p = 1 - 1e-6
// a tolerance of 1e-7 p is a tenth of the tail, and the root came out 3e-8
// relative off where the condition of lam in p allows 2e-8.  Above p =
// 0.999 the tolerance is 1e-7 (1 - p); at and below it, 1e-7 p as before (and
// so for every p of the benchmark grid and the reference tables).
//
// Deviation: the probability test alone also passes where P stops changing
// away from the root, on a plateau of P(lam) that lies above p (degrees of
// freedom of 1e-265: every term j >= 1 is of the size of df2, and P tends
// to that floor, not to 0), and the search returned a lam thousands of
// units out where no root exists.  The converging pass must also have P
// within 1e-3 p of p; otherwise the second route decides.
//
// Deviation: the step of the converging pass is not evaluated again, so a
// negative, infinite or NaN estimate would pass as the root.  That happens
// where the derivative vanishes to rounding (P2 = P): the step divides by 0.
// Such an estimate goes to the second route, as a negative one does in any
// earlier pass through ncf_cdf's check.

#include "fnonct/fnonct.h"

#include <cmath>
#include <limits>

#include "fnonct/fnonct_detail.h"
#include "ncf/ncf.h"
#include "ncf/ncf_prepared.h"
#include "numeric/constants.h"
#include "numeric/elementary.h"

namespace {

// Largest p the search accepts.
constexpr double p_upper_limit = 0.9999999;

// Newton passes of phase 2: two distribution-function calls each.  From
// phase 1's start the test is met in 3 to 6 passes on ordinary arguments
// and in no more than 10 over broad scans; 30 bounds the cost of a start
// that lies far from the root.
constexpr int32_t newton_pass_limit = 30;

// Relative probability tolerance of the convergence test.
constexpr double probability_tolerance = 1e-07;

// The residual |P - p| the converging pass may leave before its last step,
// relative to p.  A pass that converges near the root leaves far less; a
// larger one means successive probabilities agreed away from it, on a
// plateau of P (degrees of freedom far below 1, where the terms j >= 1 of
// the Poisson sum no longer fall with lam).
constexpr double residual_bound = 1e-3;

// Above this p the convergence test is taken relative to the upper tail
// 1 - p instead of p (see the deviation below).
constexpr double upper_tail_switch = 0.999;

// Where the Newton phase cannot finish: the log-space bracketed search from
// the estimate.
int32_t second_route(double x, double df1, double df2, double p, double estimate, double* result,
                     fnonct_search_trace* t)
{
    return fnonct_log_search(x, df1, df2, p, estimate, result, &t->log_calls);
}

}  // namespace

int32_t fnonct_search(double x, double df1, double df2, double p, double* result)
{
    return fnonct_search_traced(x, df1, df2, p, result, nullptr);
}

int32_t fnonct_search_traced(double x, double df1, double df2, double p, double* result,
                             fnonct_search_trace* trace)
{
    fnonct_search_trace local{};
    fnonct_search_trace& t = trace != nullptr ? *trace : local;
    t = fnonct_search_trace{};

    if (!(x > 0.0) || !(df1 > 0.0) || !(df2 > 0.0) || !(p != 0.0 && p <= p_upper_limit)) {
        // Above the search's upper limit a root may still exist (p <= P0):
        // tell that apart from no root at all.
        double central;
        bool above_limit = x > 0.0 && df1 > 0.0 && df2 > 0.0 && p > p_upper_limit && p < 1.0;
        if (above_limit && ncf_cdf(x, df1, df2, 0.0, &central) == 0 && p <= central)
            return fnonct_search_failed;
        return fnonct_search_no_root;
    }

    // The distribution function at (x, df1, df2) and, for the derivative, at
    // (x df1/(df1 + 2), df1 + 2, df2): each prepared once for all its calls.
    ncf_cdf_point at_x, at_x2;
    ncf_cdf_prepare(x, df1, df2, &at_x);

    double p0;
    ++t.cdf_calls;
    if (ncf_cdf_at(&at_x, 0.0, &p0, nullptr) != 0)
        return second_route(x, df1, df2, p, 1.0, result, &t);
    t.central = p0;
    if (p > p0)
        return fnonct_search_no_root;
    if (p == p0) {
        *result = 0.0;
        return fnonct_search_found;
    }

    double bound = 2.0 * elem_ln(p0 / p);
    t.bound = bound;
    fnonct_phase1_trace start;
    double lam = fnonct_phase1(x, df1, df2, p, bound, &start);
    t.start = start.start;
    t.first_step = start.first_step;
    t.phase1_passes = start.passes;
    t.phase2_start = lam;

    // Phase 2: Newton on P(lam), the first pass on ln P(lam).
    ncf_cdf_prepare(x * df1 / (df1 + 2.0), df1 + 2.0, df2, &at_x2);
    // Both are evaluated at the same lam in every pass: one Poisson weight.
    ncf_cdf_weight weight{std::numeric_limits<double>::quiet_NaN(), 0, 0.0};
    at_x.weight_cache = &weight;
    at_x2.weight_cache = &weight;
    double p_prev = max_double;
    double tol = probability_tolerance * (p > upper_tail_switch ? 1.0 - p : p);
    double next = lam;
    for (int32_t pass = 1; pass <= newton_pass_limit; ++pass) {
        t.phase2_passes = pass;
        double pl, pl2;
        ++t.cdf_calls;
        if (ncf_cdf_at(&at_x, lam, &pl, nullptr) != 0)
            return second_route(x, df1, df2, p, t.phase2_start, result, &t);
        ++t.cdf_calls;
        if (ncf_cdf_at(&at_x2, lam, &pl2, nullptr) != 0)
            return second_route(x, df1, df2, p, t.phase2_start, result, &t);
        if (pl == 0.0 && pl2 == 0.0)
            return second_route(x, df1, df2, p, t.phase2_start, result, &t);
        if (pass == 1)
            next = lam + (2.0 * pl / (pl2 - pl)) * elem_ln(p / pl);
        else
            next = lam - 2.0 * ((pl - p) / (pl2 - pl));
        if (std::fabs(p_prev - pl) < tol) {
            *result = next;
            if (next >= 0.0 && next <= max_double && pass < newton_pass_limit
                && std::fabs(pl - p) <= residual_bound * p)
                return fnonct_search_found;
            break;
        }
        p_prev = pl;
        lam = next;
    }
    return second_route(x, df1, df2, p, t.phase2_start, result, &t);
}
