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
// fnonct_normal_start solves h(lam) = 0 by the secant method, the first
// step being phase 1's false position from lam = 0, with the cube root
// taken as e^(ln(b)/3) and 2/9 written out, and stops when a step is below
// 2^-5 of lam: the secant's next step is then far smaller, inside the
// approximation's own error (its lam lies 0.65% from the root at the
// median of the benchmark grid, 3.8% in nine cases of ten; phase 1's 1.8%
// and 7.4%), in four evaluations of the gap at the median.
//
// Deviation: in its original form phase 1 has no pass limit, its two tests
// its only exits, so a pathological gap function could hold the host there
// indefinitely (a numerator of 1e-6 degrees of freedom already climbs for
// more than a thousand passes).  It stops after fnonct_phase1_pass_limit
// passes with the current lam, as it does when a step falls below B.

#include "fnonct/fnonct_detail.h"

#include <cmath>

#include "fnonct/fnonct.h"
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

// Secant passes of fnonct_normal_start: from max(B, 1) it meets its step
// test in three to five on the benchmark grid; 16 bound a start far off.
constexpr int32_t secant_pass_limit = 16;

// The step that ends the secant iteration, relative to lam: 2^-5.
constexpr double secant_step = 0x1p-5;

// Quadruplings of lam in search of a sign change of h: 2^40 from 1 in 20.
constexpr int32_t growth_pass_limit = 20;

constexpr double two_ninths = 2.0 / 9.0;
constexpr double one_third = 1.0 / 3.0;

// h(lam) with the cube root as e^(ln(b)/3) and 2/9 exact.
double exact_gap(double x, double df1, double c, double d, double z, double lam)
{
    double s = df1 + lam;
    double w = exp_fast(elem_ln(x * df1 / s) * one_third);
    double a = two_ninths * (1.0 + lam / s) / s;
    return (c * w - (1.0 - a)) / elem_sqrt(a + d * w * w) - z;
}

// Where the secant leaves the range with h still positive (h is not
// monotone at small lam for a large x and a small df1: 96 at 0, 94 at 1, 97
// at 44 for x = 351215, df1 = 1.72, df2 = 2798, whose root is near 6e5),
// the root lies further up: lam is quadrupled until h changes sign, and
// the bracket closed by false position with the Illinois modification
// (Dowell and Jarratt 1971) to a step of 2^-5 of lam.  Each pass costs one
// gap, against the tens of microseconds of a log-space sum at such lam.
double bracketed_gap_root(double x, double df1, double c, double d, double z, double lo,
                          double h_lo)
{
    double hi = lo, h_hi = h_lo;
    for (int32_t pass = 0; h_hi > 0.0; ++pass) {
        if (pass == growth_pass_limit || !(4.0 * hi <= fnonct_start_ceiling))
            return lo;
        lo = hi;
        h_lo = h_hi;
        hi = 4.0 * hi;
        h_hi = exact_gap(x, df1, c, d, z, hi);
    }
    if (!(h_hi == h_hi))
        return lo;
    double t = hi;
    for (int32_t pass = 0; pass < secant_pass_limit; ++pass) {
        double next = hi - h_hi * (hi - lo) / (h_hi - h_lo);
        if (!(next > lo && next < hi))
            return t;
        double h = exact_gap(x, df1, c, d, z, next);
        bool close = elem_abs(next - t) <= secant_step * next;
        t = next;
        if (close || !(h == h))
            return t;
        if (h > 0.0) {
            lo = next;
            h_lo = h;
            h_hi *= 0.5;
        } else {
            hi = next;
            h_hi = h;
            h_lo *= 0.5;
        }
    }
    return t;
}

}  // namespace

double fnonct_normal_start(double x, double df1, double df2, double p, double bound)
{
    const double start = bound >= 1.0 ? bound : 1.0;
    const double z = normal_quantile_estimate(p);
    const double c = 1.0 - two_ninths / df2, d = two_ninths / df2;
    double t0 = 0.0, h0 = exact_gap(x, df1, c, d, z, 0.0);
    double t1 = start, h1 = exact_gap(x, df1, c, d, z, start);
    for (int32_t pass = 0; pass < secant_pass_limit; ++pass) {
        double next = t1 - h1 * (t1 - t0) / (h1 - h0);
        if (!(next >= bound && next <= fnonct_start_ceiling))
            return h1 > 0.0 ? bracketed_gap_root(x, df1, c, d, z, t1, h1) : t1;
        if (elem_abs(next - t1) <= secant_step * next)
            return next;
        t0 = t1;
        h0 = h1;
        t1 = next;
        h1 = exact_gap(x, df1, c, d, z, t1);
    }
    return t1;
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
