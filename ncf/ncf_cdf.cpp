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
// both directions.  The differences are running sums of the beta terms
//
//     u_j = I_j - I_(j+1) = x'^(a+j) y'^b / ((a+j) B(a+j, b)),
//     u_(j-1) = u_j (a+j) / ((a+b+j-1) x'),   u_(j+1) = u_j (a+b+j) x' / (a+j+1),
//
// and the weights follow p_(j-1) = p_j j/lam and p_(j+1) = p_j lam/(j+1), so
// after the one beta_inc call each step costs a few multiplications.  The
// start term u_k and weight p_k come from their logarithms (log_beta,
// log_gamma), which fail the call when they leave the normal double range.
// A direction stops when its last term falls to |sum| eps (eps = 2^-53 plus
// two units in the last place) relative to the running sum of differences;
// the sum stops when both have, or fails after 1000 steps.  The running sum
// is rounded to double after every addition, and I_k is added at the end.
//
// x' and y' = 1 - x' are both formed directly: x' = m/(m+1), y' = 1/(m+1)
// with m = x df1/df2 when df1 < df2, and x' = x/(x+r), y' = r/(x+r) with
// r = df2/df1 otherwise; the log of the start term takes ln(1+t) of the one
// nearer to 1.
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

#include "ncf/ncf.h"

#include "numeric/constants.h"
#include "numeric/elementary.h"
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

// Relative tolerance of the summation: 2^-53 plus two units in the last place.
constexpr double summation_tolerance = eps_53;

// 2^-969: the smallest term the double loop accepts.  At and above it,
// term * summation_tolerance is at least 2^-1022 and so a normal double.
constexpr double double_loop_floor = 2.004168360008973e-292;

// The returned step count when the double loop meets a term below its floor.
constexpr int32_t left_double_range = -1;

// The outward sum of the weighted differences in the arithmetic of `real`,
// from the start weight p_k and beta term u_k.  The running sum is kept in
// the double *sum and rounded to double after every addition.  Returns the
// number of steps, or left_double_range when `guarded` and a term fell
// below double_loop_floor.
template <typename real, bool guarded>
int32_t sum_differences(double a_in, double b_in, double x_in, double lam_in, int32_t k,
                        double weight, double term, double* sum)
{
    const real a = a_in;
    const real x = x_in;
    const real lam = lam_in;
    const real ab1 = static_cast<real>(a_in + b_in) - 1;  // a + b + j - 1 = ab1 + j
    const real inv_x = 1 / x;
    const real inv_lam = 1 / lam;

    real jb = k, jf = k;
    real pb = weight, pf = weight;
    real ub = term, uf = term;
    real sb = 0, sf = 0;
    real v = 1, w = 1;
    double s = 0.0;
    int32_t n = 0;

    while (std::fabs(w) + std::fabs(v) > std::fabs(static_cast<real>(s) * summation_tolerance)
           && n < step_limit) {
        if (jb > 0 && std::fabs(v) > std::fabs(static_cast<real>(s) * summation_tolerance)) {
            ub = ub * ((a + jb) / (ab1 + jb)) * inv_x;  // u_(jb-1)
            sb = sb + ub;                               // I_(jb-1) - I_k
            pb = jb * inv_lam * pb;                     // p_(jb-1)
            v = pb * sb;
            s = static_cast<double>(static_cast<real>(s) + v);
            if (guarded && !(std::fabs(v) >= double_loop_floor)) {
                *sum = s;
                return left_double_range;
            }
            jb = jb - 1;
            ++n;
        } else {
            v = 0;
        }
        if (std::fabs(w) > std::fabs(static_cast<real>(s) * summation_tolerance)) {
            jf = jf + 1;
            pf = pf * (lam / jf);  // p_jf
            sf = sf - uf;          // I_jf - I_k
            w = sf * pf;
            s = static_cast<double>(static_cast<real>(s) + w);
            if (guarded && !(std::fabs(w) >= double_loop_floor)) {
                *sum = s;
                return left_double_range;
            }
            uf = uf * ((ab1 + jf) * x / (a + jf));  // u_jf
            ++n;
        } else {
            w = 0;
        }
    }
    *sum = s;
    return n;
}

}  // namespace

int32_t ncf_cdf(double x, double df1, double df2, double ncp, double* out)
{
    return ncf_cdf_traced(x, df1, df2, ncp, out, nullptr);
}

// The routine itself; ncf_cdf_traced runs it at 64-bit x87 precision.
__attribute__((noinline)) static int32_t
ncf_cdf_extended(double x, double df1, double df2, double ncp, double* out, ncf_cdf_trace* trace)
{
    *out = 0.0;
    if (trace != nullptr)
        *trace = ncf_cdf_trace{-1, 0, 0};

    if (!(df1 > 0.0) || !(df2 > 0.0) || !(ncp >= 0.0) || !(x >= 0.0))
        return 1;
    if (x == 0.0)
        return 0;

    double xp, yp;
    if (df1 < df2) {
        double m = x * (df1 / df2);
        yp = 1.0 / (m + 1.0);
        xp = m * yp;
    } else {
        double r = df2 / df1;
        xp = x / (x + r);
        yp = r / (x + r);
    }
    double a = df1 * 0.5;
    double b = df2 * 0.5;

    double w1;
    if (ncp == 0.0) {
        double w;
        if (beta_inc(xp, a, b, &w, &w1) != 0)
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
    if (trace != nullptr)
        trace->start_index = k;

    // ln u_k, the sum carried in extended precision.
    double ak = a + k;
    long double log_term = (yp < xp)
        ? ak * static_cast<long double>(log1p_rel(-yp)) + b * elem_ln_ext(yp)
        : ak * elem_ln_ext(xp) + b * static_cast<long double>(log1p_rel(-xp));
    log_term = log_term - elem_ln_ext(ak) - log_beta(ak, b);
    if (log_term < log_min_normal || log_term > log_max_double)
        return 1;

    double ik;
    if (beta_inc(xp, ak, b, &ik, &w1) != 0)
        return 1;

    // ln p_k = k ln lam - lam - ln k!  (k ln lam is 0 for k = 0 whatever lam).
    long double log_weight = (k > 0 ? k * elem_ln_ext(lam) : 0.0L) - lam - log_gamma(k + 1.0);
    if (log_weight < log_min_normal)
        return 1;

    double weight = exp_fast(static_cast<double>(log_weight));
    double term = exp_fast(static_cast<double>(log_term));

    double sum;
    int32_t n = sum_differences<double, true>(a, b, xp, lam, k, weight, term, &sum);
    if (n == left_double_range) {
        n = sum_differences<long double, false>(a, b, xp, lam, k, weight, term, &sum);
        if (trace != nullptr)
            trace->extended_loop = 1;
    }
    if (trace != nullptr)
        trace->steps = n;
    *out = sum;
    if (n >= step_limit)
        return 1;
    *out = sum + ik;
    return 0;
}

int32_t ncf_cdf_traced(double x, double df1, double df2, double ncp, double* out,
                       ncf_cdf_trace* trace)
{
    // The log-space start terms and the extended sum run with the x87 at
    // 64-bit precision whatever the caller set, and the caller's control word
    // back afterwards.  The work is a function of its own, not inlined, so
    // none of it moves out of the region.
    uint16_t precision = elem_extended_begin();
    int32_t status = ncf_cdf_extended(x, df1, df2, ncp, out, trace);
    elem_extended_end(precision);
    return status;
}
