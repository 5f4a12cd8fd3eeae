// fnonct_log_search: the noncentrality lam >= 0 with P(F' <= x; lam) = p,
// found by a bracketed root search on the logarithm of a tail probability
// from the log-space distribution function ncf_log_probs.
//
// It is the search's second route, taken only where the Newton phase on
// ncf_cdf cannot finish although a root exists: ncf_cdf's 1000-step limit
// (Poisson means above a few thousand), a start term or start weight
// outside the double range (tiny x', probabilities far below 1e-300 at the
// trial lam of an overshooting start), a central probability ncf_cdf cannot
// form.  ncf_log_probs has none of those limits: it sums in extended
// precision and, beyond its summation, integrates the smaller tail over the
// numerator chi-square variable with exponent scaling, so its logarithms
// hold where the probabilities themselves leave the double range.
//
// The function whose root is sought is decreasing in lam on either side:
//     p <= 1/2:  g(lam) = ln P(lam) - ln p,
//     p >  1/2:  g(lam) = ln(1 - p) - ln Q(lam),   Q = 1 - P,
// the smaller tail in each case, so that a relative error d in the tail
// moves the root by about d kappa relative, kappa = |p / (lam dP/dlam)|
// the condition number of lam in p (1 - p is exact for p >= 1/2).
//
// g(0) < 0 means p above the central probability P0: no root.  Otherwise
// the root is at least B = 2 ln(P0/p) (the Poisson weight of index 0 is
// e^(-lam/2), so P(lam) >= e^(-lam/2) P0).  The bracket starts from the
// caller's estimate (phase 1's normal approximation, usually within a
// factor of two), doubles upward or quarters downward to B until g changes
// sign, and is then closed by Brent's method (Brent 1973, Algorithms for
// Minimization without Derivatives, ch. 4: inverse quadratic interpolation
// and secant steps, falling back on bisection, the bracket kept), which
// stops when the bracket is 4 units in the last place of lam wide.

#include "fnonct/fnonct.h"

#include "library/ncf_log.h"
#include "numeric/elementary.h"

namespace {

// Largest noncentrality the bracket grows to, 2^40 (about 1.1e12): far
// beyond the 1e6 a study reaches, short of where the integration's nodes
// thin out.
constexpr double lambda_ceiling = 0x1p40;

// Brent's step tolerance, 2 eps |lam| with eps = 2^-52: the iteration stops
// when half the bracket is below it.
constexpr double brent_relative = 0x1p-51;

// Evaluations of g after the bracket holds: Brent's method needs about 10 on
// a smooth function and at most about (log2 of the bracket in ulps)^2 when
// every interpolation is rejected; 200 bounds that for any double bracket.
constexpr int32_t brent_evaluation_limit = 200;

struct tail_function {
    double x, df1, df2;
    bool upper;      // the upper tail Q is the smaller (p > 1/2)
    double log_target;  // ln p or ln(1 - p)
    int32_t calls;
};

// ln P and ln Q at lam: the summation from the Poisson mode, or where it
// fails ncf_log_probs (its own summation or its integration).
bool log_tails(tail_function* f, double lam, double* lower, double* upper)
{
    ++f->calls;
    if (ncf_log_tails(f->x, f->df1, f->df2, lam, lower, upper) == 0)
        return true;
    ncf_log_record rec{};
    rec.x = f->x;
    rec.n1 = f->df1;
    rec.n2 = f->df2;
    rec.lambda = lam;
    rec.requests = ncf_log_want_probabilities;
    if (ncf_log_probs(&rec) != 0)
        return false;
    *lower = rec.log_lower;
    *upper = rec.log_upper;
    return true;
}

// g(lam) into *g; false when no log tail could be formed.
bool evaluate(tail_function* f, double lam, double* g)
{
    double lower, upper;
    if (!log_tails(f, lam, &lower, &upper))
        return false;
    *g = f->upper ? f->log_target - upper : lower - f->log_target;
    return *g == *g;
}

// Brent's zero of g on [a, b] with g(a) g(b) <= 0, into *root.
bool brent(tail_function* f, double a, double fa, double b, double fb, double* root)
{
    double c = a, fc = fa;
    double d = b - a, e = d;
    for (int32_t n = 0;; ++n) {
        if ((fb > 0.0 && fc > 0.0) || (fb < 0.0 && fc < 0.0)) {
            c = a;
            fc = fa;
            d = e = b - a;
        }
        if (elem_abs(fc) < elem_abs(fb)) {
            a = b;
            b = c;
            c = a;
            fa = fb;
            fb = fc;
            fc = fa;
        }
        double tol = brent_relative * elem_abs(b);
        double half = 0.5 * (c - b);
        if (elem_abs(half) <= tol || fb == 0.0) {
            *root = b;
            return true;
        }
        if (n == brent_evaluation_limit)
            return false;
        if (elem_abs(e) >= tol && elem_abs(fa) > elem_abs(fb)) {
            // Inverse quadratic interpolation through a, b, c, or the secant
            // through a, b when two of them coincide.
            double s = fb / fa, p, q;
            if (a == c) {
                p = 2.0 * half * s;
                q = 1.0 - s;
            } else {
                double qa = fa / fc, r = fb / fc;
                p = s * (2.0 * half * qa * (qa - r) - (b - a) * (r - 1.0));
                q = (qa - 1.0) * (r - 1.0) * (s - 1.0);
            }
            if (p > 0.0)
                q = -q;
            else
                p = -p;
            double limit = 3.0 * half * q - elem_abs(tol * q);
            if (elem_abs(e * q) < limit)
                limit = elem_abs(e * q);
            if (2.0 * p < limit) {
                e = d;
                d = p / q;
            } else {
                d = half;
                e = d;
            }
        } else {
            d = half;
            e = d;
        }
        a = b;
        fa = fb;
        b += elem_abs(d) > tol ? d : (half > 0.0 ? tol : -tol);
        if (!evaluate(f, b, &fb))
            return false;
    }
}

// The search on f, from the estimate; a fnonct_search_status.
int32_t log_search(tail_function* f, double p, double estimate, double* result)
{
    double central_lower, central_upper;
    if (!log_tails(f, 0.0, &central_lower, &central_upper))
        return fnonct_search_failed;
    f->log_target = f->upper ? elem_ln(1.0 - p) : elem_ln(p);
    double g0 = f->upper ? f->log_target - central_upper : central_lower - f->log_target;
    if (g0 < 0.0)
        return fnonct_search_no_root;
    if (!(g0 > 0.0)) {
        if (g0 != 0.0)
            return fnonct_search_failed;  // NaN
        *result = 0.0;
        return fnonct_search_found;
    }

    // The lower bound B = 2 ln(P0/p), and a first trial at the estimate.
    double bound = 2.0 * (central_lower - elem_ln(p));
    if (!(bound > 0.0))
        bound = 0.0;
    double lam = estimate > bound && estimate <= lambda_ceiling ? estimate
               : bound >= 1.0 ? bound : 1.0;
    double g;
    if (!evaluate(f, lam, &g))
        return fnonct_search_failed;
    if (g == 0.0) {
        *result = lam;
        return fnonct_search_found;
    }
    double lo, glo, hi, ghi;
    if (g > 0.0) {
        // Doubling upward until g changes sign.
        lo = lam;
        glo = g;
        for (;;) {
            hi = 2.0 * lo;
            if (hi > lambda_ceiling || !evaluate(f, hi, &ghi))
                return fnonct_search_failed;
            if (ghi <= 0.0)
                break;
            lo = hi;
            glo = ghi;
        }
    } else {
        // Quartering downward to B.
        hi = lam;
        ghi = g;
        for (;;) {
            lo = 0.25 * hi;
            if (lo <= bound)
                lo = bound;
            if (lo == 0.0) {
                glo = g0;
                break;
            }
            if (!evaluate(f, lo, &glo))
                return fnonct_search_failed;
            if (glo >= 0.0)
                break;
            if (lo == bound) {
                // B bounds the root in exact arithmetic; g below 0 there
                // is rounding, and the central end holds the bracket.
                lo = 0.0;
                glo = g0;
                break;
            }
            hi = lo;
            ghi = glo;
        }
    }
    if (!brent(f, lo, glo, hi, ghi, result))
        return fnonct_search_failed;
    return fnonct_search_found;
}

}  // namespace

int32_t fnonct_log_search(double x, double df1, double df2, double p, double estimate,
                          double* result, int32_t* calls)
{
    tail_function f{x, df1, df2, p > 0.5, 0.0, 0};
    int32_t status = log_search(&f, p, estimate, result);
    if (calls != nullptr)
        *calls = f.calls;
    return status;
}
