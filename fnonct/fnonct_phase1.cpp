// fnonct_phase1 and fnonct_normal_start: closed-form starts for a root lam
// of ncf_cdf(x, df1, df2, lam) = p.  fnonct_phase1 is phase 1 of the
// evaluate callback's search (fnonct_search); fnonct_normal_start solves the
// same approximation faster for the library's solver (fnonct_halley_search).
//
// Patnaik's two-moment reduction with the cube-root normal approximation of
// Paulson (Wilson-Hilferty for the chi-square numerator) gives, with
// s = df1 + lam,
//
//     h(lam) = (C w - (1 - A)) / sqrt(A + D w^2) - z,
//     w = (x df1 / s)^(1/3),  A = (2/9)(df1 + 2 lam)/s^2,
//     C = 1 - (2/9)/df2,      D = (2/9)/df2,
//
// whose zero approximates the root; z is the normal quantile of p by the
// rational approximation of Abramowitz and Stegun 26.2.23 (error below
// 4.5e-4).  False position with one end held at lam = 0 (where h = h0)
// walks toward that zero from lam_0 = max(B, 1), B = 2 ln(P0/p) the lower
// bound of the root, stopping when a step is at most 1 in absolute size or
// would fall below B.  The constants are the ones the search has always
// used: 0.222222 for 2/9 in A and C, 0.22222 in D, and 0.333333333 for the
// cube-root exponent.  It costs one power per pass and no evaluation of the
// distribution function; on the benchmark grid its lam lies within 1.8% of
// the root at the median and within 7.4% in nine cases of ten.
//
// fnonct_normal_start solves h = 0 by Newton's method in the variable
// v = s^(-1/3), in which h is algebraic: with k = (x df1)^(1/3),
//
//     w = k v,   A = (2/9) v^3 (2 - df1 v^3),
//     h(v) = (C k v - 1 + A) / sqrt(A + D k^2 v^2) - z,
//
// so that each pass costs one square root and one division, and h'(v) comes
// from the same terms (2/9 written out; the cube roots, for k, v(B) and
// v(max(B, 1)), are taken once).  The root lies in v between 0 (lam
// infinite, where h falls to -inf) and v(B); every pass narrows that
// bracket by the sign of h, and a step that leaves it is replaced by
// bisection in v.  From v(max(B, 1)) it stops when a step moves lam by at
// most 2^-5 of it: Newton's next step is then far smaller, inside the
// approximation's own error.  Its lam lies 0.64% from the root at the
// median of the benchmark grid, 3.8% in nine cases of ten (phase 1's 1.8%
// and 7.4%), and 0.023% at the median of the large designs (0.045% for the
// secant method in lam it replaces), in 2.7 evaluations of the gap on
// average on the grid (the secant method, with a cube root in every
// evaluation, took 4.1).

// fnonct_heavy_tail_start serves where that approximation has no root (the
// heavy-tail band: df2 below 2 and x so large that x' rounds to 1).  There
// the upper tail is Q(lam) = E[P(chi2_df2 < df2 X / (df1 x))], X the
// noncentral chi-square numerator, and the chi-square's lower tail at a
// small argument t is (t/2)^b / Gamma(b + 1) (1 + O(t)), b = df2/2
// (the first term of the series Abramowitz and Stegun 6.5.29), so that
// Q(lam) = c E[X^b]; with E[X^b] taken as (df1 + lam)^b, the mean to the
// power b < 1,
//
//     Q(lam) / Q(0) = (1 + lam/df1)^b,   lam = df1 ((1 - p)/(1 - P0))^(1/b) - df1.
//
// On the 28 heavy-tail rows of the reference regions with df1 >= 1 it lies
// within 10% of the root in 23, within a factor 2.2 in all, and the solver
// takes 2.79 sums a root on that band against 3.43 from max(B, 1).

// Deviation: in its original form phase 1 has no pass limit, its two tests
// its only exits, so a pathological gap function could hold the host there
// indefinitely (a numerator of 1e-6 degrees of freedom already climbs for
// more than a thousand passes).  It stops after fnonct_phase1_pass_limit
// passes with the current lam, as it does when a step falls below B.

#include "fnonct/fnonct_detail.h"

#include <cmath>
#include <cstring>

#include "fnonct/fnonct.h"
#include "numeric/constants.h"
#include "numeric/elementary.h"
#include "numeric/normal_quantile_rational.h"
#include "numeric/primitives.h"

namespace {

// The cube-root exponent and the two roundings of 2/9 of the gap function.
constexpr double cube_root_exponent = 0.333333333;
constexpr double two_ninths_6 = 0.222222;
constexpr double two_ninths_5 = 0.22222;

// The normal-approximation gap at lam for the cube-root base x df1 / s.
struct gap_constants {
    double c, d, z;
};

double normal_gap(const gap_constants& g, double base, double lam, double s)
{
    double w = pow_real(base, cube_root_exponent);
    double a = two_ninths_6 * (1.0 + lam / s) / s;
    return (g.c * w - (1.0 - a)) / elem_sqrt(a + g.d * w * w) - g.z;
}

// The normal quantile estimate of p (Abramowitz and Stegun 26.2.23).
double normal_quantile_estimate(double p)
{
    double q = p >= 0.5 ? 1.0 - p : p;
    double tq = elem_sqrt(-2.0 * elem_ln(q));
    double ratio = normal_quantile_rational(tq);
    return p > 0.5 ? tq - ratio : ratio - tq;
}

// Passes of fnonct_normal_start: from max(B, 1) it meets its step test in
// 2.7 on average on the benchmark grid, at most 26 on the reference
// regions; bisection alone narrows [0, v(B)] by 2^-13 (lam by 2^40, the
// ceiling) in 13 halvings and then to a step of 2^-5 of lam in 7 more.
constexpr int32_t start_pass_limit = 40;

// The step that ends the iteration, relative to lam: 2^-5.
constexpr double start_step = 0x1p-5;

// Where fnonct_heavy_tail_start answers: a denominator of fewer than 2
// degrees of freedom (b < 1, the power law of its lower tail), a numerator
// of at least 1 (below, the mean of the noncentral chi-square to the power
// b no longer stands for the power's mean: the start was off by factors of
// 30 to 200 at df1 = 0.14 to 0.27), and (1 + lam/df1) below e^40.
constexpr double heavy_tail_max_denominator = 2.0;
constexpr double heavy_tail_min_numerator = 1.0;
constexpr double heavy_tail_max_power = 40.0;

constexpr double two_ninths = 2.0 / 9.0;
constexpr double one_third = 1.0 / 3.0;

// b^(1/3) for 2^-969 <= b < 2^512 without a logarithm: a first guess from
// the bits (the exponent divided by 3 with the significand's bits beside
// it, a constant choosing the best linear fit: within 3.2% of the root),
// then two of Halley's steps for y^3 = b, y <- y (y^3 + 2b) / (2y^3 + b),
// each about cubing the relative error (measured: to 2.1e-5, then 6.4e-15,
// far inside the approximation's own error); y^3 stays a normal double in
// that range.  Elsewhere e^(ln(b)/3).
constexpr uint64_t cube_root_bias = 0x2a9f7893782da1ceULL;

double cube_root(double b)
{
    if (!(b >= pow2_minus_969 && b <= below_2_512))
        return exp_fast(elem_ln(b) * one_third);
    uint64_t bits;
    std::memcpy(&bits, &b, sizeof bits);
    bits = bits / 3 + cube_root_bias;
    double y;
    std::memcpy(&y, &bits, sizeof y);
    for (int32_t step = 0; step < 2; ++step) {
        const double y3 = y * y * y;
        y = y * ((y3 + 2.0 * b) / (2.0 * y3 + b));
    }
    return y;
}

}  // namespace

double fnonct_normal_start(double x, double df1, double df2, double p, double bound)
{
    const double start = bound >= 1.0 ? bound : 1.0;
    const double z = normal_quantile_estimate(p);
    const double c = 1.0 - two_ninths / df2, d = two_ninths / df2;
    // k = (x df1)^(1/3) as a product, so that x df1 cannot overflow.
    const double k = cube_root(x) * cube_root(df1);
    const double ck = c * k, dk2 = d * k * k;
    // The bracket in v: lam = B lies below the root, and h falls to -inf
    // as v -> 0 (lam -> inf).  Where h is not positive at max(B, 1), nor at
    // B, the approximation has no root above B (as in the heavy-tail band,
    // where x' rounds to 1) and 0 says so.
    double v_high = 1.0 / cube_root(df1 + bound), v_low = 0.0;
    double v = start == bound ? v_high : 1.0 / cube_root(df1 + start);
    double lam = start;
    bool root_above_bound = false;  // h > 0 seen
    for (int32_t pass = 0; pass < start_pass_limit; ++pass) {
        // h(v) and h'(v): N / sqrt(M) - z and (N' M - N M' / 2) / M^(3/2).
        const double v2 = v * v, v3 = v2 * v;
        const double a = two_ninths * v3 * (2.0 - df1 * v3);
        const double a1 = 6.0 * two_ninths * v2 * (1.0 - df1 * v3);
        const double n = ck * v - 1.0 + a, n1 = ck + a1;
        const double m = a + dk2 * v2, m1 = a1 + 2.0 * dk2 * v;
        const double r = 1.0 / (m * elem_sqrt(m));
        const double h = n * m * r - z;
        const double h1 = (n1 * m - 0.5 * n * m1) * r;
        if (!(h == h))
            return root_above_bound ? lam : start;
        root_above_bound = root_above_bound || h > 0.0;
        if (!root_above_bound && v == v_high)
            return 0.0;
        if (h > 0.0)
            v_high = v;
        else
            v_low = v;
        // Newton's step, or bisection where it leaves the bracket (h is not
        // monotone at small lam for a large x and a small df1: 96 at 0, 94
        // at 1, 97 at 44 for x = 351215, df1 = 1.72, df2 = 2798, whose root
        // is near 6e5; halving v there multiplies lam by about 8).
        double next_v = v - h / h1;
        if (!root_above_bound)
            next_v = v_high;  // h at B decides whether there is a root
        else if (!(next_v > v_low && next_v < v_high))
            next_v = 0.5 * (v_low + v_high);
        const double next = 1.0 / (next_v * next_v * next_v) - df1;
        if (!(next <= fnonct_start_ceiling))
            return lam;
        if (elem_abs(next - lam) <= start_step * next)
            return next;
        v = next_v;
        lam = next;
    }
    return lam;
}

double fnonct_heavy_tail_start(double df1, double df2, double p, double p0, double bound)
{
    const double start = bound >= 1.0 ? bound : 1.0;
    if (!(df1 >= heavy_tail_min_numerator && df2 < heavy_tail_max_denominator && p0 > 0.0
          && p0 < 1.0))
        return start;
    // (1 - p) / Q0 = (1 + lam / df1)^b.
    const double power = elem_ln((1.0 - p) / (1.0 - p0)) * (2.0 / df2);
    if (!(power > 0.0 && power < heavy_tail_max_power))
        return start;
    const double lam = df1 * (exp_fast(power) - 1.0);
    return lam > bound ? lam : start;
}

double fnonct_phase1(double x, double df1, double df2, double p, double bound,
                     fnonct_phase1_trace* trace)
{
    double lam = bound >= 1.0 ? bound : 1.0;
    *trace = fnonct_phase1_trace{lam, 0.0, 0};

    double z = normal_quantile_estimate(p);

    gap_constants g{1.0 - two_ninths_6 / df2, two_ninths_5 / df2, z};
    double h0 = normal_gap(g, x, 0.0, df1);

    // False position between lam = 0 (held) and lam.
    for (int32_t pass = 1; pass <= fnonct_phase1_pass_limit; ++pass) {
        double s = df1 + lam;
        double next = lam * h0 / (h0 - normal_gap(g, x * df1 / s, lam, s));
        trace->passes = pass;
        if (pass == 1)
            trace->first_step = next;
        if (!(next >= bound))
            break;
        if (std::fabs(lam - next) <= 1.0) {
            lam = next;
            break;
        }
        lam = next;
    }
    return lam;
}
