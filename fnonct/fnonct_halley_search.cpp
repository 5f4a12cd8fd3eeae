// fnonct_halley_search: the noncentrality lam >= 0 with
//
//     P(F' <= x; df1, df2, lam) = p,
//
// the library's solver behind fnonct_solve (and so the Python and R
// packages, the intervals, power and sample size), at the cost of about one
// Poisson sum per Halley step.
//
// The function.  With the smaller tail at the root, by p,
//
//     p <= 1/2:  g(lam) = ln(P(lam)/p),
//     p >  1/2:  g(lam) = -ln(Q(lam)/(1 - p)),   Q = 1 - P,
//
// g decreases in lam and is nearly linear far out in either tail, where P
// or Q itself changes by orders of magnitude; a relative error d in the
// tail moves the root by d kappa relative, kappa = |p/(lam dP/dlam)|.
// Its derivatives come from the Poisson sum that gives P
// (ncf_cdf_slopes_at, ncf_poisson_sum.h): dP/dlam = -(1/2) sum p_j u_j, the
// second and third from the same terms, so one sum gives g, g', g'' and
// g''' (log_derivatives) and Halley's method (halley_root) steps from it.
// The evaluate callback's search needs two sums a pass (P at df1 and at
// df1 + 2) and a confirming pass.
//
// Steps.  P0 (one incomplete beta ratio, which the sum then reuses as its
// start ratio while the Poisson mean stays below 1), the bound B = 2
// ln(P0/p) as in the callback's search, and the root of phase 1's normal
// approximation by Newton's method (fnonct_normal_start: within 0.64% of
// the root at the median of the benchmark grid, 3.8% in nine cases of ten),
// or where it has no root the power law of the upper tail for a denominator
// below 2 degrees of freedom (fnonct_heavy_tail_start); then Halley's
// iteration, which from such a start meets its predicted-error test after
// its second sum.  The start ratio I_k is computed once while the start
// index the sum holds still serves (ncf_cdf_slopes_at).
//
// Routes.  Beyond lam 4000 (direct_reach), and where the prepared sum
// cannot answer (its step limit of 1000, start terms below the double
// range, P or Q or the derivative rounding to 0, Q below 2^-26 P) the
// iteration takes the
// log-space sum from the Poisson mode (ncf_log_tails_slopes), whose
// derivatives come from its own sum in the same way; from a failure of the
// prepared sum on, for every larger lam, as its failures come with larger
// lam.  Where that fails too, or the iteration does not finish, the
// bracketed log-space search of the callback's second route
// (fnonct_log_search) decides from phase 1's estimate, with ncf_log_probs'
// integration behind it.  Beyond lam 1e7 the log route first asks the
// trapezoidal rule over the sum's index (ncf_log_tails_quadrature), which
// needs no sum and so reaches past the log-space sum's Poisson mean of 5e6;
// where it refuses the sum is asked as before.  No root (p above P0) is
// decided from P0 alone.
// The log-space sums run in doubles (ncf_log_sum_double: within 1.3e-13
// of the extended sum, measured, at a seventh of its cost), from a start
// the search keeps from one step to the next.  Where the search's first
// sum is a log-space one, it is provisional: summed to 2^-30 only,
// steering the first step and deciding nothing (halley_root).
//
// Noise.  The iteration also stops where |g| is within the rounding of the
// tail it is formed from: 2^-46 relative for P from the prepared sum
// (which sums to a few units in the last place), 2^-46 P/Q for Q = 1 - P
// (whose absolute error is P's), and for a tail T given in logarithms
// 2^-42 relative (twice the double sum's largest measured error) beside a
// few units of |ln T| + 1.  A stop on that test leaves lam within 2^-46
// kappa of the root from the prepared sum and 2^-42 kappa (2.3e-13) from
// the log-space one, within the error bound of 1e-12 kappa.
//
// Domain.  Every 0 < p < 1: the callback's limit p <= 0.9999999 belongs to
// its search alone.  x = 0 (P0 = 0) has no root.

#include "fnonct/fnonct_detail.h"

#include "fnonct/fnonct.h"
#include "library/ncf_log.h"
#include "ncf/ncf_prepared.h"
#include "numeric/constants.h"
#include "numeric/elementary.h"
#include "numeric/halley_root.h"
#include "numeric/primitives.h"

namespace {

// Largest noncentrality the iteration grows to, 2^40 (about 1.1e12), as
// fnonct_log_search's bracket: far beyond the 1e6 a study reaches.
constexpr double lambda_ceiling = fnonct_start_ceiling;

// The noncentrality up to which the prepared sum is tried: 4000, a
// Poisson mean of 2000.  Beyond it the log-space sum in doubles is the
// cheaper (on the reference table's large rows from lam 5000 to 7000, 5.2
// to 6.4 us a root against 6.6 to 7.6 for the prepared sum), and from
// about lam 6000 the prepared sum's 1000 steps no longer reach from its
// start index 1.16 lam across the weights' bulk, so that it fails first.
constexpr double direct_reach = 4000.0;

// The sums start from the central ratio I_0 for Poisson means up to 16,
// where the forward direction alone covers the weights' bulk in some 60
// steps, and for p at least 1/16 of P0, so that P = I_0 + D loses at most
// four bits to the cancellation (and D falls no further than that).
constexpr double zero_start_mean = 16.0;
constexpr double zero_start_share = 0x1p-4;

// The rounding error of ln(P/p) with P from the prepared sum, and of
// -ln(Q/(1 - p)) as a multiple of P/Q: 2^-46, a generous bound of the
// sum's few units in the last place.
constexpr double direct_noise = 0x1p-46;

// The largest rounding error of g the prepared sum's tail may carry, 2^-20:
// beyond it (Q = 1 - P below 2^-26 P) the log-space sum forms Q to full
// relative accuracy instead.  A Q near P's rounding (1e-16 where the root's
// is 1e-12) carries a noise as large as g itself, and a step taken from
// there on the strength of that noise was once reported as the root (1 - P
// 4.4 times the target at p = 1 - 6.2e-13).
constexpr double direct_noise_limit = 0x1p-20;

// The rounding error of a tail given in logarithms, per unit of |ln T| + 1:
// four units in the last place; and the relative error of a tail from the
// log-space sum in doubles, 2^-42 (2.3e-13): twice the largest measured
// (ncf_log_tails.cpp).
constexpr double log_noise = 0x1p-51;
constexpr double double_sum_noise = 0x1p-42;

struct tail_problem {
    double x, df1, df2, p;
    bool upper;            // g is formed from Q (p > 1/2)
    double log_target;     // ln p, or ln(1 - p) for the upper tail
    double direct_reach;   // the prepared sum is tried below this lam: where it failed
                           // (its step limit, start terms below the double range;
                           // both come with larger lam), or the reach of its steps
    ncf_cdf_point point;
    ncf_log_start log_start;  // the log-space sum's start, kept between its calls
    fnonct_halley_trace* trace;
};

// g and its derivatives from a tail T with T'/T = r, T''/T = c r,
// T'''/T = s r, the tail being P (rate -descent/P) or Q (rate descent/Q).
void fill_sample(const tail_problem* f, double g, double rate, double curvature, double torsion,
                 double noise, halley_sample* out)
{
    double l1, l2, l3;
    if (f->upper)
        log_derivatives(rate, -curvature * rate, -torsion * rate, &l1, &l2, &l3);
    else
        log_derivatives(-rate, curvature * rate, torsion * rate, &l1, &l2, &l3);
    const double sign = f->upper ? -1.0 : 1.0;
    *out = halley_sample{g, sign * l1, sign * l2, sign * l3, noise, 0};
}

// Beyond this noncentrality (a Poisson mean of 5e6, where ncf_log_tails'
// sum stops) the log route takes the trapezoidal rule over the sum's index
// (ncf_log_tails_quadrature), some tens of nodes whatever lam; where it
// refuses (beta terms too wide or too narrow for its grid) the sum is
// asked as before.
constexpr double quadrature_reach = 1e7;

// The relative error of a tail from the quadrature per unit of
// sqrt((a + mu)(|ln T| + 1)): 2^-50, eight roundings of the node a + t,
// which move ln u by its slope sqrt(2 V/(a + t)) for a term e^-V
// (ncf_log_tails_quadrature.cpp).
constexpr double quadrature_noise = 0x1p-50;

// The sample from log tails and their slopes with the given noise.  The
// rate |d ln T/dlam| may lie below the double range far from the root
// (P = 1 to rounding at a start far below it): 0 then, and the
// iteration's safeguard grows lam.
int32_t log_tail_sample(const tail_problem* f, double log_lower, double log_upper,
                        const ncf_log_slopes& s, double extra_noise, halley_sample* out)
{
    const double log_tail = f->upper ? log_upper : log_lower;
    const double log_rate = s.log_descent - log_tail;
    if (!(log_rate <= log_max_double))
        return 1;
    const double rate = log_rate >= log_min_normal ? exp_fast(log_rate) : 0.0;
    const double g = f->upper ? f->log_target - log_tail : log_tail - f->log_target;
    const double size = 1.0 + elem_abs(log_tail);
    fill_sample(f, g, rate, s.curvature, s.torsion,
                double_sum_noise + log_noise * size + extra_noise * elem_sqrt(size), out);
    return 0;
}

int32_t quadrature_sample(tail_problem* f, double lam, halley_sample* out)
{
    double log_lower, log_upper;
    ncf_log_slopes s;
    if (ncf_log_tails_quadrature(f->x, f->df1, f->df2, lam, &log_lower, &log_upper, &s) != 0)
        return 1;
    ++f->trace->log_sums;
    return log_tail_sample(f, log_lower, log_upper, s,
                           quadrature_noise * elem_sqrt(0.5 * (f->df1 + lam)), out);
}

int32_t log_route_sample(tail_problem* f, double lam, halley_sample* out)
{
    if (lam > quadrature_reach && quadrature_sample(f, lam, out) == 0)
        return 0;
    // The search's first sum, at its start, to a loose tolerance: it only
    // steers the first step (the start lies some 1e-4 of lam off at large
    // lam, where the log-space sum takes thousands of steps).
    const int32_t provisional = f->trace->direct_sums == 0 && f->trace->log_sums == 0;
    ++f->trace->log_sums;
    double log_lower, log_upper;
    ncf_log_slopes s;
    if (ncf_log_tails_slopes(f->x, f->df1, f->df2, lam, &log_lower, &log_upper, &s,
                             provisional ? ncf_log_sum_provisional : ncf_log_sum_double,
                             &f->log_start)
        != 0)
        return 1;
    if (log_tail_sample(f, log_lower, log_upper, s, 0.0, out) != 0)
        return 1;
    out->provisional = provisional;
    return 0;
}

int32_t sample(void* context, double lam, halley_sample* out)
{
    auto* f = static_cast<tail_problem*>(context);
    if (lam < f->direct_reach) {
        ++f->trace->direct_sums;
        double prob;
        ncf_cdf_slopes s;
        if (ncf_cdf_slopes_at(&f->point, lam, &prob, &s) != 0) {
            f->direct_reach = lam;
        } else if (s.descent > 0.0) {
            const double tail = f->upper ? 1.0 - prob : prob;
            const bool resolved = tail > 0.0 && prob > 0.0
                               && (!f->upper || direct_noise * prob <= direct_noise_limit * tail);
            if (resolved) {
                const double g = f->upper ? -elem_ln(tail / (1.0 - f->p)) : elem_ln(prob / f->p);
                const double noise = f->upper ? direct_noise * (prob / tail) : direct_noise;
                fill_sample(f, g, s.descent / tail, s.curvature, s.torsion, noise, out);
                return 0;
            }
        }
    }
    return log_route_sample(f, lam, out);
}

}  // namespace

int32_t fnonct_halley_search(double x, double df1, double df2, double p, double* result,
                             fnonct_halley_trace* trace)
{
    fnonct_halley_trace local{};
    fnonct_halley_trace& t = trace != nullptr ? *trace : local;
    t = fnonct_halley_trace{};
    if (!(x > 0.0) || !(df1 > 0.0) || !(df2 > 0.0) || !(p > 0.0 && p < 1.0))
        return fnonct_search_no_root;

    tail_problem f{x, df1, df2, p, p > 0.5, 0.0, direct_reach, {}, {}, &t};
    f.log_target = f.upper ? elem_ln(1.0 - p) : elem_ln(p);
    // An upper tail below the prepared sum's resolution at the root itself
    // is the log-space sum's from the start.
    if (f.upper && direct_noise * p > direct_noise_limit * (1.0 - p))
        f.direct_reach = 0.0;
    ncf_cdf_prepare(x, df1, df2, &f.point);

    // P0, and from it no root, the root 0, or the bound B = 2 ln(P0/p).
    double bound;
    double p0;
    ncf_cdf_slopes unused;
    if (ncf_cdf_slopes_at(&f.point, 0.0, &p0, &unused) == 0 && p0 > 0.0) {
        t.central = p0;
        if (p > p0)
            return fnonct_search_no_root;
        if (p == p0) {
            *result = 0.0;
            return fnonct_search_found;
        }
        bound = 2.0 * elem_ln(p0 / p);
        // Where p is not far below P0 the sums may start from the central
        // ratio itself for small Poisson means (ncf_cdf_slopes_at), and
        // the root costs one incomplete beta ratio.
        if (p >= zero_start_share * p0)
            f.point.zero_start_reach = zero_start_mean;
    } else {
        double log_lower, log_upper;
        if (ncf_log_tails(x, df1, df2, 0.0, &log_lower, &log_upper) != 0)
            return fnonct_log_search(x, df1, df2, p, 1.0, result, &t.fallback_calls);
        double g0 = f.upper ? f.log_target - log_upper : log_lower - f.log_target;
        if (g0 < 0.0)
            return fnonct_search_no_root;
        if (g0 == 0.0) {
            *result = 0.0;
            return fnonct_search_found;
        }
        bound = 2.0 * (log_lower - elem_ln(p));
        f.direct_reach = 0.0;
    }

    double lam = fnonct_normal_start(x, df1, df2, p, bound);
    if (!(lam > 0.0))
        lam = fnonct_heavy_tail_start(df1, df2, p, t.central, bound);
    t.start = lam;

    halley_trace h;
    double root;
    int32_t status = halley_root(sample, &f, lam, 0.0, lambda_ceiling, &root, &h);
    t.evaluations = h.evaluations;
    t.safeguarded = h.safeguarded;
    if (status == halley_converged && root >= 0.0 && root <= lambda_ceiling) {
        *result = root;
        return fnonct_search_found;
    }
    return fnonct_log_search(x, df1, df2, p, lam, result, &t.fallback_calls);
}
