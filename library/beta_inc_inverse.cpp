// beta_inc_inverse: the inverse of the regularized incomplete beta ratio,
//
//     x = I^-1(prob; a, b):   I_x(a, b) = prob   (lower tail), or
//                             1 - I_x(a, b) = prob   (upper tail),
//
// returned as the pair x and y = 1 - x, each to full relative precision.
//
// Reduction.  A probability above 1/2 is replaced by its complement in the
// other tail (1 - prob is exact there), so the target s lies in (0, 1/2]
// and ln s keeps every digit however small s is; an upper tail becomes the
// lower tail of the exchanged shapes by the symmetry
// I_x(a, b) = 1 - I_(1-x)(b, a).  The lower tail at x = 1/2 then tells on
// which side of 1/2 the root lies; above 1/2 the same symmetry turns the
// problem into one for y = 1 - x on (b, a), upper tail.  The routine thus
// always solves for the smaller of x and y, in (0, 1/2], and forms the
// other as 1 minus it.
//
// Iteration.  With u = ln x and T the tail probability at x (lower or
// upper), the residual is
//     g(u) = ln T(e^u) - ln s,
//     g'(u) = +-x f(x)/T,   g''(u) = g' ((a-1) + 1 - (b-1) x/y) - g'^2,
// f the beta density (sign + for the lower tail).  Halley's step on g,
//     du = -(g/g') / (1 - g g''/(2 g'^2)),
// (Newton's while g g''/(2 g'^2) exceeds 1/2 in size) moves x by the
// factor e^du, so x keeps its own digits and a step changes it only by the
// step's size.  Working in ln T and ln x makes the residual nearly linear
// both for tiny shapes (ln I ~ a ln x near 0) and in the far tails of large
// shapes, and keeps every quantity finite for s down to the smallest
// double.  A bracket [lo, hi] in x, narrowed by the sign of g at every
// iterate, catches a step that leaves it and puts a bisection in ln x (in
// x once the bracket is within a factor of 2) in its place; the iteration
// stops when the step or the bracket falls to 2^-52 relative.
//
// Start.  The leading term of the series at 0,
//     I_x(a, b) ~ x^a / (a B(a, b)),   x = (a B(a, b) P)^(1/a),
// P the lower-tail probability, where it puts x below half the mean; else,
// for both shapes 1 or more, Abramowitz and Stegun 26.5.22,
//     x = a / (a + b e^(2w)),
//     w = z sqrt(h + l)/h - (1/(2b-1) - 1/(2a-1)) (l + 5/6 - 2/(3h)),
//     h = 2 / (1/(2a-1) + 1/(2b-1)),   l = (z^2 - 3)/6,
// z the upper-tail normal deviate of the upper probability (26.2.23, from
// ln s).  Otherwise the series start again.
//
// The tails.  T and the density come from the continued fraction of the
// incomplete beta ratio (beta_fraction, on the side of the mean where it
// converges, a first shape below one raised by one), combined in logs as
// beta_inc_log does, with two differences that the inverse needs: the step
// limit is beta_fraction_long_itrmax (20000) for every pair of shapes, since
// near the mean the fraction takes up to 1109 steps at a = b = 1e7; and for
// two shapes of 15 or more the log density is formed without the
// cancellation of (a-1) ln x against ln B(a, b) (terms of 1e7 for shapes of
// 1e7, beta_log_density_stirling):
//     ln(x^a y^b / B(a, b)) = -a D(x/x0 - 1) - b D(y/y0 - 1)
//                             + (1/2) ln(a b/(2 pi c)) - (d(a) + d(b) - d(c)),
// c = a + b, x0 = a/c, y0 = b/c, D(t) = t - ln(1 + t) >= 0 and d the
// Stirling remainder lgamma_corr (the linear terms a (x/x0 - 1) and
// b (y/y0 - 1) cancel exactly, since x + y = 1).
//
// The tail's own error is kept to a few units of 2^-64 where it matters:
// ln x, ln(1 - x), a - 1 and b - 1, ln B(a, b) (log_beta_extended, whose
// small shapes take log_gamma_extended), the combination of the fraction's
// value and the complement 1 - e^w (as 2^f - 1) are all carried in extended
// precision, and ln T is compared with ln s there, since for s = 1e-300 a
// double's spacing at ln s alone would be 1.1e-13 in x.
//
// Accuracy, measured against mpmath (tests/reference/gen_beta_inverse.py:
// 1090 rows, shapes 1e-3 to 1e7, probabilities 1e-300 to 1/2 in both tails
// and 1 - 1e-16): the relative change of x per relative change of the
// probability, k = T/(x f(x)), is about 1/a for a small first shape
// (x ~ s^(1/a)) and grows without bound as the probability asked nears 1
// (1 - 1e-16 in the lower tail).  Where k <= 1 the
// worst relative error of the smaller of x and y is 1.7e-15; above, 3.6e-14
// (k = 1000, a = 1e-3, b = 1/2, prob 1/2: a third of k 2^-53).  Where the
// tail is the complement of a ratio near 1 (a first shape of 1e-3 with the
// upper tail 0.01, k = 10) the error is 7.1e-15; every row lies within
// 0.58 (1e-14 + 2^-52 k).  Results below
// the normal double range (x < 2^-1022) are subnormal or 0, to absolute
// accuracy only.

#include "library/quantiles.h"

#include <limits>

#include "library/log_complement.h"
#include "numeric/log_extended.h"
#include "ncf/ncf_detail.h"
#include "numeric/constants.h"
#include "numeric/elementary.h"
#include "numeric/normal_quantile_rational.h"
#include "numeric/primitives.h"

namespace {

constexpr double not_a_number = std::numeric_limits<double>::quiet_NaN();

// Steps of the iteration.  Halley's steps settle in 3 to 8 from the start;
// a bisection in ln x over the whole range (ln 2^-1074 to ln 1/2, a width
// of 744) needs 62 halvings to reach 2^-52 relative, so 100 covers a start
// that is no use at all.
constexpr int32_t iteration_step_limit = 100;

// Halley's correction 1 - g g''/(2 g'^2) is applied while the second term
// is at most 1/2 in size; beyond, far from the root on a flat tail, it
// would shrink the step to nothing, and Newton's step (with the bracket)
// serves better.
constexpr double halley_limit = 0.5;

// The iteration stops once a step or the bracket is 2^-52 relative.
constexpr double step_tolerance = 0x1p-52;

// Shapes from which the Stirling form of the log density is used: the
// remainder series of lgamma_corr is accurate from stirling_from (15) on.
constexpr double stirling_shape = stirling_from;

// ln 2^-1074, the logarithm of the smallest subnormal: the lower end of the
// bracket in ln x.
constexpr double log_min_subnormal = -744.4400719213812;

constexpr double min_subnormal = 0x1p-1074;

// ln of the Beta(a, b) density at x, 0 < x <= 1/2, with ln x and
// ln y = ln(1 - x) = log1p(-x) given.
long double log_density(double x, long double ln_x, long double ln_y, double a, double b)
{
    if (a >= stirling_shape && b >= stirling_shape)
        return beta_log_density_stirling(x, 1.0 - x, ln_x, ln_y, a, b);
    // a - 1 and b - 1 exact in extended (in double, a - 1 for a = 0.1 is
    // off by 5e-17, which ln x = -460 would make 2e-14).
    return (static_cast<long double>(a) - 1.0L) * ln_x + (static_cast<long double>(b) - 1.0L) * ln_y
         - log_beta_extended(a, b);
}

// ln(1 - e^w) for w < 0.  Above ln(1/2), where the complement is the
// smaller probability and loses digits in 1 - e^w, e^w - 1 comes from the
// extended 2^f - 1 at f = w/ln 2 (|f| < 1/2), keeping the complement to a
// unit of 2^-64 relative to e^w; below, the double form is exact enough.
long double log_complement_extended(long double w)
{
    if (w > -elem_ln2_ext)
        return elem_ln_fyl2x_ext(-elem_exp2m1_ext(w / elem_ln2_ext));
    return log_complement(static_cast<double>(w));
}

// The log of the tail below xs on one side: the lower tail of x (swapped
// false) or the upper tail (swapped true, xs = y), by the fraction on that
// side.  Status 0, or 1 when the fraction did not converge.
int32_t side_log(double x, double y, long double ln_x, long double ln_y, long double ld, double a,
                 double b, bool swapped, long double* w)
{
    // ys as 1 - x in extended, not the double y (1 - x rounded, off by up
    // to 2^-53 relative: 5.8e-14 in x at a = 1e-3, upper tail 0.01), for
    // the closed-form term of a shifted first shape.
    const double xs = swapped ? y : x;
    const long double ys = swapped ? static_cast<long double>(x) : 1.0L - x;
    long double factor;
    if (beta_fraction_log_factor(xs, ys, swapped ? b : a, swapped ? a : b, min_relative_tolerance,
                                 beta_fraction_long_itrmax, false, &factor) != 0)
        return 1;
    *w = (swapped ? ln_y : ln_x) + ld + factor;
    return 0;
}

// ln of the tail T (lower: I_x(a, b); upper: 1 - I_x(a, b)) and the log
// density at x, 0 < x <= 1/2 (y = 1 - x is then exact to rounding, and its
// log comes from log1p(-x)).  The fraction runs on the side where it
// converges fast, as beta_inc chooses it; when that side gives the other
// tail, T is its complement, formed in extended precision.  Status 0, or 1
// when the fraction did not converge.
int32_t tail_log(double x, double a, double b, int32_t tail, long double* log_tail,
                 double* log_dens)
{
    const double y = 1.0 - x;
    const long double ln_x = elem_ln_table_ext(x);
    const long double ln_y = log1p_rel(-x);
    const long double ld = log_density(x, ln_x, ln_y, a, b);
    bool swapped = a + 2.0 * elem_sqrt(a * b / (a + b + 1.0)) < (a + b) * x
                || a + 3.0 < (a + b) * x + 6.0 * x;
    long double w;
    if (side_log(x, y, ln_x, ln_y, ld, a, b, swapped, &w) != 0)
        return 1;
    *log_dens = static_cast<double>(ld);
    // w is the log of the tail below xs: the lower tail of x unless swapped.
    if ((tail == quantile_upper_tail) == swapped) {
        *log_tail = w;
        return 0;
    }
    *log_tail = log_complement_extended(w);
    return 0;
}

// Abramowitz and Stegun 26.5.22 for a, b >= 1: ln x of the start, from the
// log of the target and its tail.
double start_as_26_5_22(double a, double b, double log_s, int32_t tail)
{
    double t = elem_sqrt(-2.0 * log_s);
    double z = t - normal_quantile_rational(t);  // upper deviate of s
    if (tail == quantile_lower_tail)
        z = -z;  // the upper probability is 1 - s
    double ra = 1.0 / (2.0 * a - 1.0), rb = 1.0 / (2.0 * b - 1.0);
    double h = 2.0 / (ra + rb);
    double l = (z * z - 3.0) / 6.0;
    double w = z * elem_sqrt(h + l) / h - (rb - ra) * (l + 5.0 / 6.0 - 2.0 / (3.0 * h));
    if (!(h + l > 0.0))
        w = z / elem_sqrt(h);  // the normal term alone
    // ln(a / (a + b e^(2w))) without overflow.
    double e = elem_ln(b / a) + 2.0 * w;
    return e > 0.0 ? -e - log1p_rel(exp_fast(-e)) : -log1p_rel(exp_fast(e));
}

// The leading term at 0: ln x = (ln P + ln a + ln B(a, b))/a.
double start_series(double a, double b, double log_s, int32_t tail)
{
    double log_p = tail == quantile_lower_tail ? log_s : log_complement(log_s);
    return (log_p + elem_ln(a) + log_beta(a, b)) / a;
}

// The root x in (0, 1/2] of T(x) = s, given that the tail at 1/2 lies on the
// root's side.  Status 0 or quantile_not_converged.
int32_t solve_lower_half(double s, int32_t tail, double a, double b, double* root)
{
    // ln s and ln T in extended precision: for s = 1e-300 a double's
    // spacing at ln s (1.1e-13) would be the relative error of x.
    const long double log_s = elem_ln_table_ext(s);
    const double sign = tail == quantile_lower_tail ? 1.0 : -1.0;
    double lo = 0.0, hi = 0.5;  // the root lies in (lo, hi]
    // The series start where it lies well below the mean (its leading
    // term then holds), else 26.5.22 for two shapes of 1 or more.
    double u = start_series(a, b, static_cast<double>(log_s), tail);
    if (!(u < elem_ln(0.5 * a / (a + b))) && a >= 1.0 && b >= 1.0)
        u = start_as_26_5_22(a, b, static_cast<double>(log_s), tail);
    double x = (u < log_min_subnormal) ? min_subnormal : exp_fast(u);
    if (!(x > 0.0 && x < hi))
        x = 0.25;
    for (int32_t step = 0; step < iteration_step_limit; ++step) {
        long double lt;
        double ld;
        if (tail_log(x, a, b, tail, &lt, &ld) != 0)
            return quantile_not_converged;
        double g = static_cast<double>(lt - log_s);
        if (g == 0.0) {
            *root = x;
            return quantile_ok;
        }
        if ((g > 0.0) == (sign > 0.0))
            hi = x;
        else
            lo = x;
        if (hi <= min_subnormal) {
            // The root lies at or below the smallest subnormal: 0 is as near.
            *root = 0.0;
            return quantile_ok;
        }
        // g' = +-x f/T and Halley's correction.
        double ratio = elem_ln(x) + ld - static_cast<double>(lt);
        double du = 0.0;
        bool newton = ratio < log_max_double;
        if (newton) {
            double g1 = sign * exp_fast(ratio);
            du = -g / g1;
            double g2 = g1 * (a - (b - 1.0) * x / (1.0 - x)) - g1 * g1;
            double correction = g * g2 / (2.0 * g1 * g1);
            if (elem_abs(correction) <= halley_limit)
                du /= 1.0 - correction;
        }
        double next = newton && du < log_max_double ? x * exp_fast(du) : hi;
        if (newton && elem_abs(next - x) <= step_tolerance * x) {
            *root = next;
            return quantile_ok;
        }
        if (!(next > lo && next < hi)) {
            // Bisect: in ln x while the bracket spans more than a factor of
            // 2 (an open lower end standing at 2^-1074), else in x, where
            // the logarithms' rounding could put the middle outside.
            if (lo > 0.0 && hi <= 2.0 * lo) {
                next = lo + 0.5 * (hi - lo);
            } else {
                double log_lo = lo > 0.0 ? elem_ln(lo) : log_min_subnormal;
                next = exp_fast(0.5 * (log_lo + elem_ln(hi)));
            }
        }
        if (next < min_subnormal)
            next = min_subnormal;
        if (lo > 0.0 && hi - lo <= step_tolerance * hi) {
            *root = next;
            return quantile_ok;
        }
        x = next;
    }
    return quantile_not_converged;
}

}  // namespace

int32_t beta_inc_inverse(double prob, int32_t tail, double a, double b, double* x, double* y)
{
    *x = not_a_number;
    *y = not_a_number;
    if (!(prob >= 0.0 && prob <= 1.0) || !(a > 0.0 && a <= int32_max_double)
        || !(b > 0.0 && b <= int32_max_double)
        || (tail != quantile_lower_tail && tail != quantile_upper_tail))
        return quantile_invalid;

    uint16_t precision = elem_extended_begin();
    // The target s in (0, 1/2], as a lower-tail probability: an upper tail
    // of (a, b) is the lower tail of (b, a) at y = 1 - x.  One question
    // asked in either form takes one path, and gets the same bits.
    double s = prob;
    if (s > 0.5) {
        s = 1.0 - s;
        tail = 1 - tail;
    }
    bool exchanged = tail == quantile_upper_tail;
    if (exchanged) {
        double t = a;
        a = b;
        b = t;
    }
    int32_t status = quantile_ok;
    double root_x = 0.0, root_y = 1.0;  // of the lower-tail question on (a, b)
    if (s > 0.0) {
        // Which side of 1/2: the lower tail at 1/2 against s.
        long double lt;
        double ld;
        if (tail_log(0.5, a, b, quantile_lower_tail, &lt, &ld) != 0) {
            status = quantile_not_converged;
        } else {
            double r;
            if (lt >= elem_ln_table_ext(s)) {
                status = solve_lower_half(s, quantile_lower_tail, a, b, &r);
                root_x = r;
                root_y = 1.0 - r;
            } else {
                status = solve_lower_half(s, quantile_upper_tail, b, a, &r);
                root_y = r;
                root_x = 1.0 - r;
            }
        }
    }
    if (exchanged) {
        double t = root_x;
        root_x = root_y;
        root_y = t;
    }
    elem_extended_end(precision);
    if (status != quantile_ok)
        return status;
    *x = root_x;
    *y = root_y;
    return quantile_ok;
}
