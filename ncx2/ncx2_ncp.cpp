// ncx2_ncp: the noncentrality lambda >= 0 at which the noncentral
// chi-square distribution function at x takes a given probability.
//
// P(X <= x; df, lambda) falls strictly from its central value P0 toward 0
// as lambda grows (the Poisson weights move to larger shapes, whose gamma
// ratios are smaller), so a root exists exactly when p <= P0.  It is found
// on the logarithm of the smaller tail,
//
//     p <= 1/2:  g(lambda) = ln P(lambda) - ln p,
//     p >  1/2:  g(lambda) = ln q - ln Q(lambda),   q = 1 - p,
//
// both decreasing, so that a relative error d of the tail moves the root by
// about d kappa relative, kappa = |p/(lambda dP/dlambda)| (or with q) the
// condition number of lambda in p.  Every step evaluates one Poisson sum
// (ncx2_evaluate), which gives P, Q and the first two derivatives
//     dP/dlambda = -E1/2,  d2P/dlambda2 = (E1 - E2)/4
// together (the gamma ratios of the start index are kept from one step to
// the next while the index stays), and takes Halley's step on g (cubic
// convergence; Newton's where
// Halley's correction exceeds a half), inside a bracket [lo, hi] of points
// with g >= 0 and g < 0: a step leaving the bracket is replaced by its
// midpoint (or, with no upper end yet, by a quadrupling).
//
// The lower end starts at B = 2 ln(P0/p), a lower bound of the root: the
// weight of index 0 is e^(-lambda/2), so P(lambda) >= e^(-lambda/2) P0.
// The first point is the root of the normal approximation
// X ~ N(df + lambda, 2 (df + 2 lambda)) (Johnson, Kotz and Balakrishnan
// 1995, 29.8), with the deviate of A&S 26.2.23, or B if larger:
//     sqrt(2 df + 4 lambda) = 2 (sqrt(z^2 + x - df/2) - z).
// The search stops when the change predicted for the step after the one
// just computed is at most 4 units in the last place of lambda (Halley's
// error falls as the cube of the step: a relative step of 1e-6 leaves some
// 1e-18), or when |g| is at the rounding of the tail itself (a few units of
// 2^-53 of ln p): the step computed there is taken last.

#include "ncx2/ncx2.h"

#include <cmath>
#include <limits>

#include "library/log_complement.h"
#include "ncx2/ncx2_detail.h"
#include "numeric/constants.h"
#include "numeric/elementary.h"
#include "numeric/normal_quantile_rational.h"
#include "numeric/primitives.h"

namespace {

// Evaluations after the central one: Halley's method from the normal start
// needs two to four; bisections of a bracket of width up to 1e7 to 4 ulp
// need at most about 80.
constexpr int32_t evaluation_limit = 120;

// The predicted change at which the search stops, relative to lambda.
constexpr double step_tolerance = 4.0 * 0x1p-52;

// |g| at or below this multiple of 2^-53 (1 + |ln target|) is rounding.
constexpr double rounding_units = 4.0;

// The largest Halley correction n g''/(2 g') taken; beyond it, Newton's.
constexpr double halley_correction_limit = 0.5;

// Secant steps of the start on Patnaik's approximation: it converges in
// three to five from the normal root.
constexpr int32_t start_secant_steps = 8;

// The factor by which a point beyond an open bracket grows.
constexpr double growth = 4.0;

struct tail_target {
    double x, df;
    bool upper;         // g is formed on the upper tail
    double log_target;  // ln p or ln q
    ncx2_start start;   // the gamma ratios of the last start index, kept
};

// g, g' and g'' at lambda; false where the evaluation fails.  g' may
// underflow to 0 (a tail near 1 whose complement lies far below the double
// range): the caller steps by the bracket then.
bool g_at(tail_target& t, double lambda, double* g, double* g1, double* g2)
{
    ncx2_evaluation e;
    if (ncx2_evaluate(t.x, t.df, lambda, &e, &t.start) != 0)
        return false;
    double tail = t.upper ? e.log_upper : e.log_lower;
    double c = -0.5 * (1.0 - e.curvature_ratio);  // P''/P'
    double d = -exp_fast(e.log_slope - tail);     // P'/P or P'/Q
    *g = t.upper ? t.log_target - tail : tail - t.log_target;
    *g1 = d;
    *g2 = t.upper ? d * c + d * d : d * c - d * d;
    return std::isfinite(*g) && std::isfinite(d) && d <= 0.0;
}

// The normal deviate of the lower-tail probability whose smaller tail has
// the logarithm log_tail (A&S 26.2.23, to 4.5e-4).
double deviate(bool upper, double log_tail)
{
    double r = elem_sqrt(-2.0 * log_tail);
    double z = r - normal_quantile_rational(r);
    return upper ? z : -z;
}

// Patnaik's two-moment approximation X ~ c chi2_nu, c = (df + 2 lambda)/
// (df + lambda), nu = (df + lambda)^2/(df + 2 lambda), through the
// Wilson-Hilferty cube root (A&S 26.4.17, 26.4.14): the deviate of
// P(X <= x) at lambda, decreasing in lambda.
double patnaik_deviate(double x, double df, double lambda)
{
    double c = (df + 2.0 * lambda) / (df + lambda);
    double nu = (df + lambda) / c;
    double h = 2.0 / (9.0 * nu);
    return (pow_real(x / (c * nu), 0.3333333333333333) - (1.0 - h)) / elem_sqrt(h);
}

// The start of the search: the root of the normal approximation
// X ~ N(df + lambda, 2 (df + 2 lambda)),
//     sqrt(2 df + 4 lambda) = 2 (sqrt(z^2 + x - df/2) - z),
// then secant steps on Patnaik's deviate = z, which is good to some 1e-3
// where the normal one is good to 1e-1.  No sums; 0 where neither has a
// positive root.
double start_estimate(double x, double df, bool upper, double log_tail)
{
    double z = deviate(upper, log_tail);
    double disc = z * z + x - 0.5 * df;
    double normal = 0.0;
    if (disc > 0.0) {
        double s = 2.0 * (elem_sqrt(disc) - z);
        normal = 0.25 * (s * s - 2.0 * df);
    }
    if (!(normal > 0.0))
        return 0.0;
    double a = normal, b = 1.05 * normal + 0.1;
    double fa = patnaik_deviate(x, df, a) - z, fb = patnaik_deviate(x, df, b) - z;
    for (int32_t i = 0; i < start_secant_steps && fb != fa; ++i) {
        double c = b - fb * (b - a) / (fb - fa);
        if (!(c > 0.0))
            return normal;
        a = b;
        fa = fb;
        b = c;
        fb = patnaik_deviate(x, df, b) - z;
        if (elem_abs(b - a) <= 1e-6 * b)
            break;
    }
    return fb == fb && b > 0.0 ? b : normal;
}

}  // namespace

int32_t ncx2_ncp(double x, double df, double p, int32_t tail, double* result, int32_t* sums)
{
    *result = std::numeric_limits<double>::quiet_NaN();
    int32_t calls = 0;
    if (sums)
        *sums = 0;
    if (!(x >= 0.0) || !ncx2_parameters_valid(df, 0.0) || !(p > 0.0 && p < 1.0)
        || (tail != ncx2_lower_tail && tail != ncx2_upper_tail))
        return ncx2_ncp_invalid;
    if (x == 0.0 || x == std::numeric_limits<double>::infinity())
        return ncx2_ncp_no_root;  // P(X <= 0) = 0 < p, P(X <= inf) = 1 > p

    // ln p and ln q, the one given exact, the other as ln(1 - e^w).
    double log_p = tail == ncx2_lower_tail ? elem_ln(p) : log1p_rel(-p);
    double log_q = tail == ncx2_upper_tail ? elem_ln(p) : log1p_rel(-p);
    tail_target t{x, df, log_q < log_p, 0.0, {-1, 0.0, 0.0, 0.0}};
    t.log_target = t.upper ? log_q : log_p;

    double g, g1, g2;
    ++calls;
    if (!g_at(t, 0.0, &g, &g1, &g2)) {
        if (sums)
            *sums = calls;
        return ncx2_ncp_failed;
    }
    if (g < 0.0) {
        if (sums)
            *sums = calls;
        return ncx2_ncp_no_root;
    }
    if (g == 0.0) {
        *result = 0.0;
        if (sums)
            *sums = calls;
        return ncx2_ncp_found;
    }
    // ln P0 - ln p: with the upper form, ln P0 = ln(1 - Q0) from g.
    double log_p0 = t.upper ? log_complement(log_q - g) : g + log_p;
    double lo = 2.0 * (log_p0 - log_p), hi = ncx2_max_noncentrality;
    if (!(lo >= 0.0))
        lo = 0.0;
    bool hi_known = false;

    // The start: the normal approximation's root, refined on Patnaik's.
    double lambda = start_estimate(x, df, t.upper, t.upper ? log_q : log_p);
    if (!(lambda >= lo))
        lambda = lo;
    if (lambda > hi)
        lambda = hi;
    if (lambda == 0.0)
        lambda = 0x1p-20 * (x > 1.0 ? x : 1.0);

    const double rounding = rounding_units * 0x1p-53 * (1.0 + elem_abs(t.log_target));
    while (calls < evaluation_limit) {
        ++calls;
        if (!g_at(t, lambda, &g, &g1, &g2))
            break;
        if (g == 0.0) {
            *result = lambda;
            if (sums)
                *sums = calls;
            return ncx2_ncp_found;
        }
        if (g > 0.0) {
            lo = lambda;
        } else {
            hi = lambda;
            hi_known = true;
        }
        double next = std::numeric_limits<double>::quiet_NaN();
        bool settled = false;
        if (g1 < 0.0) {
            double n = g / g1;
            double correction = n * g2 / (2.0 * g1);
            bool halley = elem_abs(correction) <= halley_correction_limit;
            double step = halley ? -n / (1.0 - correction) : -n;
            next = lambda + step;
            // Halley's error after the step is about K e^3 (e the relative
            // error before it, about |step|/lambda), K of the size of
            // 1 + (lambda g''/g')^2: the step is the last when that is below
            // the step tolerance.
            double e = elem_abs(step) / lambda, k = lambda * g2 / g1;
            settled = e <= step_tolerance
                      || (halley && (1.0 + k * k) * e * e * e <= step_tolerance);
        }
        if (next == next && (settled || elem_abs(g) <= rounding)) {
            *result = next >= 0.0 ? next : 0.0;
            if (sums)
                *sums = calls;
            return ncx2_ncp_found;
        }
        if (!(next > lo && next < hi)) {
            if (hi_known)
                next = 0.5 * (lo + hi);
            else if (lambda >= ncx2_max_noncentrality)
                break;  // the root lies beyond the largest noncentrality
            else
                next = lambda * growth < hi ? lambda * growth : hi;
        }
        if (next == lambda || (hi_known && hi - lo <= step_tolerance * hi)) {
            *result = next;
            if (sums)
                *sums = calls;
            return ncx2_ncp_found;
        }
        lambda = next;
    }
    if (sums)
        *sums = calls;
    return ncx2_ncp_failed;
}
