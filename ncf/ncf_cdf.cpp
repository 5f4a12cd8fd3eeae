// ncf_cdf: the distribution function of the noncentral F distribution,
//
//     P(F' <= x) = sum_(j>=0) p_j I_x'(a+j, b),
//
// a = df1/2, b = df2/2, Poisson weights p_j = e^-lam lam^j / j! with mean
// lam = ncp/2, x' = df1 x / (df1 x + df2), and I the regularized incomplete
// beta ratio (beta_inc): the noncentral F variable is a Poisson mixture of
// central beta variables.
//
// Method.  Since the weights sum to 1,
//
//     sum p_j I_j = I_k + sum_j p_j (I_j - I_k),
//
// one ratio I_k is computed at the start index k = trunc(1.16 lam), a little
// above the Poisson mean, and the weighted differences are summed outward in
// both directions by the recurrences of the beta terms and the weights
// (ncf_sum_differences, ncf_poisson_sum.h, shared with the log-space
// routines), so after the one beta_inc call each step costs a few
// multiplications.  The start term u_k and weight p_k come from their
// logarithms (log_beta, log_gamma), which fail the call when they leave the
// normal double range.  A direction stops when its last term falls to
// |sum| eps (eps = 2^-53 plus two units in the last place) relative to the
// running sum of differences; the sum stops when both have, or fails after
// 1000 steps.  The running sum is rounded to double after every addition,
// and I_k is added at the end.
//
// Large designs.  Once a + k + b reaches 1024 the start logarithms are
// taken without double roundings of ln B(a + k, b) and ln k!: Stirling's
// form of the beta density (beta_log_density_stirling) for shapes of 15
// and more, else log_beta_extended, and log_gamma_extended.  Deviation: as
// first written the routine rounded both to doubles, whose units (3.6e-12
// for ln k! at k = 3500) P carries whole; smaller designs keep its bits.
//
// Reach.  The step limit serves Poisson means up to a few thousand (the
// backward direction must cross 0.16 lam indices to the mode).  That
// failure is kept: the noncentrality search then turns to ncf_log_tails
// (library/), which sums from the Poisson mode with the start terms in
// logarithms and answers for Poisson means up to 5e6 and probabilities far
// below the double range.  Where u_k or p_k lies below the normal double
// range (a small x' with a large lam, probabilities near e^-708 and below)
// the sum runs on p_k = u_k = 1 and is scaled in logarithms (sum_scaled).
// Deviation: as first written the routine failed there, although P may be
// a double: 5.43e-192 at x = 2.184145633e-5, df1 = 205.2748023, df2 =
// 0.09807506454, ncp = 233.7161242.  A sum that comes out NaN or infinite
// (x = 1.37e303 with a subnormal df1 and ncp = 1e5) fails with 0 in *out
// rather than returning it with status 0.
//
// x' and y' = 1 - x' are both formed directly (ncf_beta_argument): x' =
// m/(m+1), y' = 1/(m+1) with m = x df1/df2 when df1 < df2, and x' = x/(x+r),
// y' = r/(x+r) with r = df2/df1 otherwise; the log of the start term takes
// ln(1+t) of the one nearer to 1.  y' goes on to beta_inc with x'
// (beta_inc_given_logs): where x' rounds near 1 (df1 x / df2 beyond about
// 2^45), 1 - x' has lost y''s digits, and at x' = 1 the ratio would be 1
// exactly and the derivative the search takes vanish (x = 1e16, df1 = 5,
// df2 = 0.2 gave 1.0 for 0.979419727).  There ln x' is ln(1 - y') and the
// fraction's r is y'/x' (beta_argument_logs): ln of the rounded x', half an
// ulp from 1 - y', times a first shape of 5e6 left P 6.2e-10 off with
// status 0 (x = 1.01351, df1 = 1e7, df2 = 150, ncp = 10).  Deviation: as
// first written, beta_inc saw x' alone; the results are as before wherever
// 1 - x' carries y' to 2^-45 (complement_lost).
//
// Range of the recurrences.  The start weight and term are normal doubles,
// but their product can lie far below the double range (down to about
// e^-1417) while the terms toward the Poisson mode grow back to ordinary
// size; the terms must then be carried as the small nonzero numbers they
// are, or a direction would stop at once on a term that underflowed to 0.
// The sum therefore first runs in double and watches its terms: while every
// term taken stays at or above 2^-969, so that |term| eps is still a normal
// double, the double loop makes the decisions the exact loop makes, up to
// rounding.  The first term below that floor abandons the double loop, and
// the sum is run again from the start in extended precision (exponent range
// to 2^-16382), which keeps every term and every tolerance nonzero.  Terms
// that small are taken only when the start weight times the start beta term
// lies near or below the bottom of the double range, or the running sum is
// itself below about 2^-916; ordinary arguments stay in the double loop.

// Repeated calls.  The noncentrality search evaluates one (x, df1, df2), and
// one with df1 + 2, at a run of noncentralities.  ncf_cdf_prepare keeps in a
// record of the caller's what depends on x, df1 and df2 alone (x', y' and
// their logarithms, shared with beta_inc), ncf_cdf_at keeps there what
// depends on the start index alone (I_k, u_k, ln k!) while k repeats, and
// records evaluated at the same noncentrality may share the start weight.
// The operations and their order are those of a single call, so every
// result is the same bit for bit.
//
// Derivatives.  ncf_cdf_slopes_at gives, beside P, its first three
// derivatives in the noncentrality from the same sum (the moments of the
// terms p_j u_j, ncf_poisson_sum.h), for the library's root search in the
// noncentrality: a Halley step at the cost of one sum.  It keeps a start
// index it holds while that still serves (slopes_start_index), so that the
// steps of a search share one start ratio I_k, and the central ratio serves
// as I_0 of the sums at small Poisson means where the caller allows it.

#include "ncf/ncf.h"
#include "ncf/ncf_detail.h"
#include "ncf/ncf_prepared.h"

#include <limits>

#include "ncf/ncf_poisson_sum.h"
#include "numeric/constants.h"
#include "numeric/elementary.h"
#include "numeric/exp2_split.h"
#include "numeric/log_extended.h"
#include "numeric/primitives.h"

namespace {

// itrmax of the outward summation, both directions together: from k = 1.16
// lam the backward direction must cross about 0.16 lam indices to the
// Poisson mode and then the width of the weights' bulk, a few sqrt(lam);
// 1000 steps serve Poisson means up to a few thousand.
constexpr int32_t step_limit = 1000;

// The start index is trunc(start_factor * lam): above the mean, where the
// backward terms grow toward the mode and the forward terms fall fast.
constexpr double start_factor = 1.16;

// Shape sums a + k + b from which the start term and weight are formed
// without double roundings of their large logarithms: at k = 3500 ln k!
// (2.5e4) has a unit of 3.6e-12, which the start weight carries whole.
// Below, the doubles of ln B and ln k! are used as such, so every design of
// modest size (the benchmark grid reaches sums of 121) keeps its bits.  The
// price is up to half a unit of ln k! in P, and that unit is 2.3e-13 from
// k = 231 on (ln 231! = 1030), 9.1e-13 at k = 1000: P(F' <= 48.36; 3, 12,
// 400), with k = 231, is 1.6e-13 off.
constexpr double extended_start_shapes = 1024.0;

// Relative tolerance of the summation: 2^-53 plus two units in the last place.
constexpr double summation_tolerance = eps_53;

// How far above trunc(1.16 lam), in units of sqrt(lam), the sum with the
// derivatives keeps a start index it holds (slopes_start_index): the
// backward direction then crosses that many more indices, a few times
// fewer than the width it covers below the mode.
constexpr double start_reuse_roots = 4.0;

}  // namespace

int32_t ncf_cdf(double x, double df1, double df2, double ncp, double* out)
{
    return ncf_cdf_traced(x, df1, df2, ncp, out, nullptr);
}

// The routine itself, in its two parts; ncf_cdf_traced, ncf_cdf_prepare and
// ncf_cdf_at run them at 64-bit x87 precision.
__attribute__((noinline)) static void prepare_point(double x, double df1, double df2,
                                                    ncf_cdf_point* point)
{
    *point = ncf_cdf_point{};  // no shared weight: ncf_cdf_at keeps its own
    point->valid = df1 > 0.0 && df2 > 0.0 && x >= 0.0;
    point->x = x;
    point->k_cached = -1;
    if (!point->valid || x == 0.0)
        return;

    double xp, yp;
    ncf_beta_argument(x, df1, df2, &xp, &yp);
    point->xp = xp;
    point->yp = yp;
    point->a = df1 * 0.5;
    point->b = df2 * 0.5;

    // ln x' and ln y' for the start term: ln(1 + t) of the one nearer to 1.
    if (yp < xp) {
        point->ln_xp = log1p_rel(-yp);
        point->ln_yp = elem_ln_table_ext(yp);
    } else {
        point->ln_xp = elem_ln_table_ext(xp);
        point->ln_yp = log1p_rel(-xp);
    }
    // beta_inc's two, from y' where 1 - x' has lost its digits (x' rounded
    // near 1), else the values it takes itself at x'.
    if (xp > 0.0 && yp > 0.0)
        beta_argument_logs(xp, yp, &point->beta);
}

// ln u_k without the double roundings of ln B(a + k, b): for shapes of 15
// or more u_k = x' y' f(x'; a + k, b) / (a + k), f the beta density by
// Stirling's form, else the direct sum with log_beta_extended.
long double log_start_term_extended(const ncf_cdf_point* point, int32_t k)
{
    const double ak = point->a + k, b = point->b;
    long double log_term;
    if (ak >= stirling_from && b >= stirling_from)
        log_term = beta_log_density_stirling(point->xp, point->yp, point->ln_xp, point->ln_yp, ak, b)
                 + point->ln_xp + point->ln_yp;
    else
        log_term = ak * point->ln_xp + b * point->ln_yp - log_beta_extended(ak, b);
    return log_term - elem_ln_table_ext(ak);
}

// The sum where the start weight or term lies below the normal double
// range: run on p_k = u_k = 1 in extended precision (rescaled by 2^-8192
// where it outgrows the extended range), and D = D' p_k u_k formed in
// logarithms.  Deviation: as first written the routine failed there,
// although P is a double (ncf_cdf(2.184145633e-5, 205.2748023,
// 0.09807506454, 233.7161242) = 5.43e-192 with u_k near e^-745); a D below
// the normal double range comes out subnormal or 0, to absolute accuracy.
// The start logarithms are taken in extended precision here whatever the
// size of the design: P is formed from them, and ln k! as a double would
// carry a unit of 4.5e-13 at k = 580.  A sum that is not finite fails (a
// subnormal x' makes the reciprocal 1/x' of the recurrences infinite).
int32_t sum_scaled(const ncf_cdf_point* point, double lam, int32_t k, double* out,
                   ncf_cdf_trace* trace)
{
    const long double log_weight =
        (k > 0 ? k * elem_ln_table_ext(lam) : 0.0L) - lam - log_gamma_extended(k + 1.0L);
    const long double log_term = log_start_term_extended(point, k);
    long double d;
    int32_t scale = 0;
    int32_t n = ncf_sum_differences<long double, long double, false, true>(
        point->a, point->b, point->xp, lam, k, 1.0, 1.0, summation_tolerance, step_limit, &d,
        &scale);
    if (trace != nullptr) {
        trace->steps = n;
        trace->extended_loop = 1;
    }
    if (!(d - d == 0.0L))
        return 1;
    double diff = 0.0;
    if (d != 0.0L) {
        long double log_d = elem_ln_fyl2x_ext(d < 0.0L ? -d : d) + scale * ncf_sum_rescale_log
                          + log_weight + log_term;
        if (log_d > log_max_double)
            return 1;
        // e^log_d from the extended log (2^t split, exact scaling, one
        // rounding to double, subnormal or 0 below the normal range): log_d
        // rounded to a double first would carry a unit of 1.1e-13 at 528.
        diff = static_cast<double>((d < 0.0L ? -1.0L : 1.0L) * exp2_split_ext(log_d / elem_ln2_ext));
    }
    *out = diff + point->ik;
    return n >= step_limit ? 1 : 0;
}

// The start terms at index k into the point's cache: ln k!, u_k (where it
// is a normal double) and I_k.  0, or 1 where u_k overflows or I_k fails
// (start_failed is then left set for k).
static int32_t start_terms(ncf_cdf_point* point, int32_t k)
{
    const double a = point->a, b = point->b;
    beta_inc_logs logs = point->beta;
    double w1;
    point->k_cached = k;
    point->start_failed = 1;
    // ln u_k, the sum carried in extended precision.
    double ak = a + k;
    long double log_term;
    if (ak + b < extended_start_shapes) {
        double lbeta = log_beta(ak, b);
        log_term = ak * point->ln_xp + b * point->ln_yp;
        log_term = log_term - elem_ln_table_ext(ak) - lbeta;
        logs.log_beta_ab = lbeta;
        point->log_k_factorial = log_gamma(k + 1.0);
    } else {
        log_term = log_start_term_extended(point, k);
        logs.log_beta_ab = log_beta(ak, b);
        point->log_k_factorial = log_gamma_extended(k + 1.0L);
    }
    if (log_term > log_max_double)
        return 1;
    if (beta_inc_given_logs(point->xp, point->yp, ak, b, &logs, &point->ik, &w1, nullptr) != 0)
        return 1;
    point->term_scaled = log_term < log_min_normal;
    point->term = point->term_scaled ? 0.0 : exp_fast(static_cast<double>(log_term));
    point->start_failed = 0;
    return 0;
}

// The start index of the sum with the derivatives: the one whose terms are
// at hand where it still serves, so that a search settling on its root
// pays for I_k once.  Any k >= floor(lam) keeps I_k + D free of
// cancellation (I_k <= P / F(k), F the Poisson distribution function, at
// least about 1/2 from the mode on); above trunc(1.16 lam) the backward
// direction has further to go, and start_reuse_roots sqrt(lam) more
// indices keep it well inside the step limit.
static int32_t slopes_start_index(const ncf_cdf_point* point, double lam, int32_t k)
{
    const int32_t held = point->k_cached;
    if (held < 0 || point->start_failed)
        return k;
    if (held == 0 && lam <= point->zero_start_reach)
        return 0;
    double floor_lam = static_cast<double>(static_cast<int32_t>(lam));
    if (held >= floor_lam && held <= k + start_reuse_roots * elem_sqrt(lam) + 1.0)
        return held;
    return k;
}

// A sum whose terms overflowed or cancelled into NaN (x near the largest
// double with a subnormal df1 and ncp = 1e5 gave NaN) is a failure, never a
// value: status 1 and 0 in *out, as for any failed sum.
static int32_t finite_or_failed(int32_t status, double* out)
{
    if (status == 0 && !(elem_abs(*out) <= max_double)) {
        *out = 0.0;
        return 1;
    }
    return status;
}

__attribute__((noinline)) static int32_t evaluate_at(ncf_cdf_point* point, double ncp, double* out,
                                                     ncf_cdf_trace* trace, ncf_cdf_slopes* slopes)
{
    *out = 0.0;
    if (trace != nullptr)
        *trace = ncf_cdf_trace{-1, 0, 0};

    if (!point->valid || !(ncp >= 0.0))
        return 1;
    if (point->x == 0.0)
        return 0;

    const double xp = point->xp;
    const double yp = point->yp;
    const double a = point->a;
    const double b = point->b;
    // beta_inc's logarithms, meaningful only where it takes them (0 < x' < 1).
    beta_inc_logs logs = point->beta;
    double w1;

    if (ncp == 0.0) {
        // With the derivatives asked for, I_0 is computed as the start
        // ratio of k = 0 (the same call of beta_inc), for the sums at small
        // noncentralities to reuse.
        if (slopes != nullptr && xp > 0.0 && yp > 0.0 && start_terms(point, 0) == 0) {
            *out = point->ik;
            return 0;
        }
        double w;
        if (xp > 0.0 && yp > 0.0)
            logs.log_beta_ab = log_beta(a, b);
        if (beta_inc_given_logs(xp, yp, a, b, &logs, &w, &w1, nullptr) != 0)
            return 1;
        *out = w;
        return 0;
    }

    double lam = ncp * 0.5;
    if (start_factor * lam > int32_max_double)
        return 1;
    int32_t k = static_cast<int32_t>(start_factor * lam);
    if (k < 0)
        k = 0;
    if (slopes != nullptr)
        k = slopes_start_index(point, lam, k);
    if (trace != nullptr)
        trace->start_index = k;

    // The start terms depend on k alone; a search meets the same k again and
    // again as its noncentrality settles.
    if (k != point->k_cached && start_terms(point, k) != 0)
        return 1;
    if (point->start_failed)
        return 1;

    // ln p_k = k ln lam - lam - ln k!  (k ln lam is 0 for k = 0 whatever lam).
    // It depends on ncp alone, so points at the same ncp share it.
    ncf_cdf_weight local{std::numeric_limits<double>::quiet_NaN(), 0, 0.0};
    ncf_cdf_weight* start = point->weight_cache != nullptr ? point->weight_cache : &local;
    if (!(start->ncp == ncp)) {
        long double log_weight = (k > 0 ? k * elem_ln_table_ext(lam) : 0.0L) - lam - point->log_k_factorial;
        start->ncp = ncp;
        start->scaled = log_weight < log_min_normal;
        start->weight = start->scaled ? 0.0 : exp_fast(static_cast<double>(log_weight));
    }
    if (start->scaled || point->term_scaled) {
        // The derivatives are not formed on scaled start values: their
        // caller has the log-space sum for such arguments.
        if (slopes != nullptr)
            return 1;
        return finite_or_failed(sum_scaled(point, lam, k, out, trace), out);
    }
    double weight = start->weight;
    double term = point->term;

    double sum;
    int32_t n;
    if (slopes == nullptr) {
        n = ncf_sum_differences<double, double, true>(a, b, xp, lam, k, weight, term,
                                                      summation_tolerance, step_limit, &sum);
        if (n == ncf_sum_left_double_range) {
            n = ncf_sum_differences<long double, double, false>(a, b, xp, lam, k, weight, term,
                                                                summation_tolerance, step_limit,
                                                                &sum);
            if (trace != nullptr)
                trace->extended_loop = 1;
        }
    } else {
        // The same sums with the moments of the derivatives (in the
        // noncentrality ncp = 2 lam: d/dncp = (1/2) d/dlam).
        ncf_sum_moments<double> m;
        n = ncf_sum_differences<double, double, true, false, true>(
            a, b, xp, lam, k, weight, term, summation_tolerance, step_limit, &sum, nullptr, &m);
        if (n == ncf_sum_left_double_range) {
            ncf_sum_moments<long double> me;
            n = ncf_sum_differences<long double, double, false, false, true>(
                a, b, xp, lam, k, weight, term, summation_tolerance, step_limit, &sum, nullptr, &me);
            m = ncf_sum_moments<double>{static_cast<double>(me.t0), static_cast<double>(me.m1),
                                        static_cast<double>(me.m2)};
            if (trace != nullptr)
                trace->extended_loop = 1;
        }
        double curvature, torsion;
        ncf_moment_ratios(m, lam, &curvature, &torsion);
        slopes->descent = 0.5 * m.t0;
        slopes->curvature = 0.5 * curvature;
        slopes->torsion = 0.25 * torsion;
        slopes->start_index = k;
    }
    if (trace != nullptr)
        trace->steps = n;
    *out = sum;
    if (n >= step_limit)
        return 1;
    *out = sum + point->ik;
    return finite_or_failed(0, out);
}

int32_t ncf_cdf_traced(double x, double df1, double df2, double ncp, double* out,
                       ncf_cdf_trace* trace)
{
    // The log-space start terms and the extended sum run with the x87 at
    // 64-bit precision whatever the caller set, and the caller's control word
    // back afterwards.  The work is a function of its own, not inlined, so
    // none of it moves out of the region.
    uint16_t precision = elem_extended_begin();
    ncf_cdf_point point;
    prepare_point(x, df1, df2, &point);
    int32_t status = evaluate_at(&point, ncp, out, trace, nullptr);
    elem_extended_end(precision);
    return status;
}

void ncf_cdf_prepare(double x, double df1, double df2, ncf_cdf_point* point)
{
    uint16_t precision = elem_extended_begin();
    prepare_point(x, df1, df2, point);
    elem_extended_end(precision);
}

int32_t ncf_cdf_at(ncf_cdf_point* point, double ncp, double* out, ncf_cdf_trace* trace)
{
    uint16_t precision = elem_extended_begin();
    int32_t status = evaluate_at(point, ncp, out, trace, nullptr);
    elem_extended_end(precision);
    return status;
}

int32_t ncf_cdf_slopes_at(ncf_cdf_point* point, double ncp, double* out, ncf_cdf_slopes* slopes)
{
    uint16_t precision = elem_extended_begin();
    int32_t status = evaluate_at(point, ncp, out, nullptr, slopes);
    elem_extended_end(precision);
    return status;
}
