// beta_inc: the regularized incomplete beta ratio and the beta density,
//
//     I_x(a, b) = B_x(a, b) / B(a, b),    dens = x^(a-1) (1-x)^(b-1) / B(a, b).
//
// Method.
//
// 1. The density is formed in log space,
//        L = (a-1) ln x + (b-1) ln(1-x) - ln B(a, b),
//    the sum carried in extended precision so that the large terms of big
//    shapes cancel without losing digits.  Below the normal double range
//    (L < ln 2^-1022) the ratio is 0 or 1 to double precision, decided by the
//    side of the mean a/(a+b) on which x lies.
//
// 2. The fraction is evaluated on the side where it converges fast: when x
//    lies more than two standard deviations above the mean, or above
//    (a+3)/(a+b+6), the symmetry I_x(a, b) = 1 - I_(1-x)(b, a) is used and the
//    fraction works on x' = 1-x, p = b, q = a; otherwise x' = x, p = a, q = b.
//
// 3. A first shape p < 1 is raised by one and corrected in closed form,
//        I_x(p0, q) = I_x(p0+1, q) + x^p0 (1-x)^q / (p0 B(p0, q)),
//    with B(p0+1, q) = B(p0, q) p0 / (p0+q), so the fraction always starts
//    from p >= 1.  The correction divides by p0 as passed, not by the raised
//    shape minus 1: for p0 far below 1, (p0 + 1) - 1 keeps few of p0's digits
//    (none below 2^-53, where it is 0 and the ratio came out 0/0 or inf).
//
// 4. The continued fraction
//        I_x(p, q) = x^p (1-x)^(q-1) / (p B(p, q)) * 1/F,
//        F = 1 + c_1/(1 + g_1/(1 + c_2/(1 + g_2/(1 + ...)))),
//        c_k = (p+k-1)(k-q) / (r (p+2k-2)(p+2k-1)),
//        g_k = k (p+q+k-1) / (r (p+2k-1)(p+2k)),     r = (1-x)/x,
//    is the even/odd contraction of a continued fraction of the
//    incomplete beta function in the variable x/(1-x); its coefficients
//    c_k turn positive once k > q and all terms then keep one sign.  Its
//    approximants are run by the forward recurrences A_n = A_(n-1) +
//    c A_(n-2), and the value carried is V = B/A, the approximant of 1/F.
//    The fraction itself (beta_fraction, shared with the log-space ratio
//    beta_inc_log) carries its coefficients by running additions and keeps
//    A in range by power-of-two rescaling.  It stops when two successive values agree to
//    8.881784197001256e-16 relative (2^-50 plus two units in the last
//    place), after at most itrmax = 199 steps.
//
// 5. Large shapes (one above 5000 and the other above 100) may run the
//    fraction past 199 steps, to beta_fraction_long_itrmax = 20000: near
//    the mean it needs about 90 steps at p = q = 5000, 260 at 1e5, 530 at
//    1e6, 920 at 5e6 and 5230 at 1e9.  For these shapes the log density
//    comes from Stirling's form without the cancellation of its terms
//    (beta_log_density_stirling), with the smaller of x and y carrying the
//    pair and the other taken as 1 minus it: the direct sum of step 1,
//    terms of size a + b rounded in double, left 2.8e-10 relative in the
//    density at shapes of 1e5, and 3e-12 at 5e6 even with every term in
//    extended precision.  Deviations, for large shapes only (every other
//    pair of shapes keeps its bits): as first written the routine formed
//    the density by step 1 there too, and where 199 steps did not settle
//    it turned to Paulson's cube-root normal approximation of the F law
//    with 2a and 2b degrees of freedom, good to only about 1e-7 absolute
//    near the mean and to no relative accuracy in the tails (FNONCT
//    answers off by 7e-5 relative at df1 = 3e4, df2 = 1e6, reported as
//    success).  Stirling's form serves as well one shape above 5000 with
//    the other from 15 to 100 (beta_stirling_shapes), whose direct sum
//    has terms of 1e3 (|ln B(5e6, 75)| = 909) and left I 3.5e-13 off;
//    the fraction keeps its 199 steps there.  Deviation: as first written
//    those shapes took step 1.
//
// 6. If it has not settled and the shapes are not large, the fraction is
//    run once more on the other side.  The orientation tests can leave a
//    tiny first shape a little above its mean on the side where x' lies
//    near 1 and the fraction crawls (I_0.001(0.002, 95.6) = 0.996268: 2.1
//    standard deviations above a mean of 2e-5), while on the other side it
//    converges in a few steps.  A fraction that settles on neither side
//    fails with status -1.  Deviation: as first written the routine failed
//    there; the retry runs only where it would.
//
// 7. The orientation tests were made for shapes of order one and more.
//    For two tiny shapes they can swap at an x far below the mean (a = 2.75e-27,
//    b = 1.75e-250, x = 0.722: the test a + 3 < (a + b + 6) x holds), and the
//    ratio 1 - I then lies within the rounding of the log density (a unit
//    of |ln B(a, b)| = 575 is 1.1e-13) of 1, so I = 1 - ratio keeps no
//    digit: 2.7e-14 for 6.4e-224.  Where a swapped ratio exceeds 1 - 2^-26
//    the fraction runs on the other side as well and, where it settles
//    there, gives I directly.  Deviation: as first written the routine
//    returned 1 - ratio; no swapped ratio of shapes of order one comes
//    near 1 - 2^-26, since the swap puts x above the mean.
//
// The complement.  beta_inc_given_logs takes 1 - x as its caller formed it
// (y): the noncentral F forms x' and y' = 1 - x' each directly, and where
// x' rounds near 1 the double 1 - x' has lost y''s digits (at x' = 1 all of
// them).  Where 1 - x carries y to 2^-45 (complement_lost) the one-argument
// formulas run, bit for bit; elsewhere y stands for 1 - x in the log
// density (ln y), the swapped argument and the shift's correction.
//
// The result is clamped to [0, 1].

#include "ncf/ncf.h"
#include "ncf/ncf_detail.h"

#include <utility>

#include "numeric/constants.h"
#include "numeric/elementary.h"
#include "numeric/log_extended.h"
#include "numeric/primitives.h"

namespace {

// Relative tolerance of the fraction: 2^-50 plus two units in the last place.
constexpr double fraction_tolerance = 8.881784197001256e-16;

// Smallest shape for which the fraction is run on the other side, 2^-20
// (about 9.5e-7).  Below it the ratio is nearly a step of height b/(a + b)
// at 0 and the retried fraction's density and shift lose it: I_1e-60(7.9e-311,
// 8e-251) came out 0 where it is 1 to double precision, and shapes of 1e-30
// to 1e-12 came out off by up to 1e-8.  With both shapes at or above 2^-20
// the retry agreed with mpmath to 1.1e-14 on 500 random arguments (shapes
// from 2^-20 to 100).  Smaller shapes fail as before.
constexpr double retry_min_shape = 0x1p-20;

// A swapped side whose ratio lies above 1 - 2^-26 leaves I = 1 - ratio
// with fewer than half its digits (none at all where I is below the
// ratio's own rounding); the lower side is tried for it.
constexpr double cancellation_limit = 0x1p-26;

// The arguments shared by both sides of the fraction.
struct fraction_side_args {
    double x, y;  // the argument and its complement as the caller formed it
    double a, b;
    double dens;  // the beta density at x (the same on both sides)
    bool complement_exact;  // 1 - x carries y
    bool large_shapes;
    bool pair_summed;  // y = 1 - x or x = 1 - y formed from the smaller (beta_stirling_shapes)
};

struct fraction_side_result {
    double ratio;  // the ratio of the tail below xs on the side
    int32_t steps;
    bool shifted;
};

// The fraction on one side, (x, a, b) or swapped (1 - x, b, a), and the
// ratio it gives there by steps 3 and 4.  True when the fraction settled.
bool fraction_side(const fraction_side_args& g, bool swapped, fraction_side_result* out)
{
    const double x = g.x, y = g.y;
    const double xs = swapped ? (g.complement_exact ? 1.0 - x : y) : x;
    const double ys = g.complement_exact ? 1.0 - xs : swapped ? x : y;  // 1 - xs
    double p = swapped ? g.b : g.a;
    const double q = swapped ? g.a : g.b;
    const bool shifted = p < 1.0;
    const double p0 = p;  // the first shape before the shift
    if (shifted)
        p += 1.0;
    // The fraction takes the complement as the pair holds it.  For the
    // Stirling shapes on the swapped side that is x itself, where
    // 1 - xs = 1 - (1 - x) keeps only the digits of x that survived 1 - x
    // (2e-12 of the smaller tail at x = 5e-5, a = 250, b = 5e6).  On the
    // lower side it is y wherever 1 - x has lost y's digits: r = (1 - x)/x
    // then moves the point by up to an ulp of x, 1.1e-16, which is 8e-11
    // of the standard deviation 1.4e-6 at a = 5e6, b = 50.
    const double fraction_ys = swapped ? (g.pair_summed ? x : 1.0 - xs)
                             : g.complement_exact ? 1.0 - xs : y;
    double v;
    out->shifted = shifted;
    if (beta_fraction(xs, fraction_ys, p, q, fraction_tolerance,
                      g.large_shapes ? beta_fraction_long_itrmax : beta_fraction_itrmax, &v,
                      &out->steps) != 0)
        return false;
    if (!shifted)
        out->ratio = xs * g.dens * v / p;
    else
        out->ratio = xs * g.dens * (ys + v * xs * (p + q - 1.0) / p) / p0;
    return true;
}

}  // namespace

int32_t beta_inc(double x, double a, double b, double* w, double* w1)
{
    return beta_inc_traced(x, a, b, w, w1, nullptr);
}

// The routine itself; beta_inc_traced and beta_inc_given_logs run it at
// 64-bit x87 precision.
__attribute__((noinline)) static int32_t
beta_inc_extended(double x, double y, double a, double b, const beta_inc_logs* logs, double* w,
                  double* w1, beta_inc_trace* trace)
{
    if (trace != nullptr)
        *trace = beta_inc_trace{beta_inc_path_none, 0, 0, 0};

    if (a > int32_max_double || b > int32_max_double)
        return 1;
    if (!(x >= 0.0) || !(x <= 1.0) || !(a > 0.0) || !(b > 0.0)) {
        *w = -1.0;
        *w1 = 0.0;
        return -1;
    }
    if (!(y >= 0.0) || !(y <= 1.0)) {
        *w = -1.0;
        *w1 = 0.0;
        return -1;
    }
    if (x == 0.0 || y == 0.0) {
        *w = x == 0.0 ? 0.0 : 1.0;
        *w1 = 0.0;
        if (trace != nullptr)
            trace->path = beta_inc_path_end_point;
        return 0;
    }

    const bool large_shapes = beta_large_shapes(a, b);
    // 1 - x where it carries y (so that every such result is the
    // one-argument routine's), y itself where x rounded near 1 and 1 - x
    // has lost y's digits.
    bool complement_exact = !complement_lost(x, y);
    long double ln_x, log_dens;
    const bool pair_summed = beta_stirling_shapes(a, b);
    if (!pair_summed) {
        beta_inc_logs own;
        if (logs == nullptr) {
            beta_argument_logs(x, y, &own);
            own.log_beta_ab = log_beta(a, b);
            logs = &own;
        }
        ln_x = logs->ln_x;
        log_dens = static_cast<long double>(a - 1.0) * ln_x
                 + static_cast<long double>(b - 1.0) * logs->ln_1mx - logs->log_beta_ab;
    } else {
        // The smaller of x and y carries the digits, and the other is taken
        // as 1 minus it, so that the pair adds to 1: with shapes of 1e6 a
        // pair apart by 1e-17 moves the density by 1e-11 relative, and
        // 1 - x rounded near 1 keeps y only to a few ulps of x.
        if (y < x) {
            x = 1.0 - y;
            ln_x = log_one_minus_extended(y);
        } else {
            y = 1.0 - x;
            ln_x = elem_ln_table_ext(x);
        }
        complement_exact = false;
        long double ln_y = x <= y ? log_one_minus_extended(x) : elem_ln_table_ext(y);
        log_dens = beta_log_density_stirling(x, y, ln_x, ln_y, a, b);
    }
    if (log_dens < log_min_normal) {
        *w = (a / (a + b) >= x) ? 0.0 : 1.0;
        *w1 = 0.0;
        if (trace != nullptr)
            trace->path = beta_inc_path_tiny_density;
        return 0;
    }
    double dens = exp_fast(static_cast<double>(log_dens));

    bool swapped = a + 2.0 * elem_sqrt(a * b / (a + b + 1.0)) < (a + b) * x
                || a + 3.0 < (a + b) * x + 6.0 * x;
    const fraction_side_args args{x, y, a, b, dens, complement_exact, large_shapes, pair_summed};
    fraction_side_result side;
    bool converged = fraction_side(args, swapped, &side);
    if (!converged && !large_shapes && a >= retry_min_shape && b >= retry_min_shape) {
        // The other side: the orientation tests leave a tiny first shape a
        // little above its mean on the side where x' lies near 1 and the
        // fraction crawls, while on the other side it converges at once.
        swapped = !swapped;
        converged = fraction_side(args, swapped, &side);
    } else if (converged && swapped && side.ratio > 1.0 - cancellation_limit && !large_shapes) {
        // 1 - ratio would keep only its absolute accuracy; the lower side
        // gives I with its relative accuracy where its fraction settles.
        fraction_side_result lower;
        if (fraction_side(args, false, &lower)) {
            swapped = false;
            side = lower;
        }
    }
    if (trace != nullptr) {
        trace->steps = side.steps;
        trace->swapped = swapped;
        trace->shifted = side.shifted;
    }

    if (!converged) {
        *w = -1.0;
        *w1 = 0.0;
        return -1;
    }
    double ratio = swapped ? 1.0 - side.ratio : side.ratio;
    if (trace != nullptr)
        trace->path = beta_inc_path_fraction;

    *w1 = dens;
    if (ratio < 0.0)
        ratio = 0.0;
    else if (ratio >= 1.0)
        ratio = 1.0;
    *w = ratio;
    return 0;
}

int32_t beta_inc_traced(double x, double a, double b, double* w, double* w1,
                        beta_inc_trace* trace)
{
    // The extended log density is formed with the x87 at 64-bit precision
    // whatever the caller set, and the caller's control word back afterwards.
    // The work is a function of its own, not inlined, so none of it moves out
    // of the region.
    uint16_t precision = elem_extended_begin();
    int32_t status = beta_inc_extended(x, 1.0 - x, a, b, nullptr, w, w1, trace);
    elem_extended_end(precision);
    return status;
}

int32_t beta_inc_given_logs(double x, double y, double a, double b, const beta_inc_logs* logs,
                            double* w, double* w1, beta_inc_trace* trace)
{
    uint16_t precision = elem_extended_begin();
    int32_t status = beta_inc_extended(x, y, a, b, logs, w, w1, trace);
    elem_extended_end(precision);
    return status;
}
