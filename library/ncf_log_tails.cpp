// ncf_log_tails: ln P(F' <= x) and ln P(F' > x) of the noncentral F
// distribution by the Poisson summation started at the Poisson mode, for
// Poisson means far beyond ncf_cdf's step limit and probabilities far below
// the double range.  It serves the noncentrality search's second route
// (fnonct_log_search), where ncf_cdf cannot answer.
//
// The sum is that of ncf_cdf (ncf_poisson_sum.h),
//
//     P = I_k + D,  Q = (1 - I_k) - D,  D = sum_j p_j (I_j - I_k),
//
// with three changes that let it run where ncf_cdf stops:
//
// 1. The start index is the Poisson mode, k = floor(lam), not 1.16 lam.
//    The weights put at least about half their mass on either side of it
//    (the Poisson median lies within [lam - ln 2, lam + 1/3]), so
//    P >= I_k F(k) and Q >= (1 - I_k)(1 - F(k - 1)) with F the Poisson
//    distribution function: neither I_k + D nor (1 - I_k) - D can cancel
//    by more than a factor of about 2.5, and both tails keep their
//    relative accuracy.  From the mode the sum needs about 2 * 9 sqrt(lam)
//    steps to 2^-53, and at most k + that many where the terms grow toward
//    j = 0 (a tiny x'); the step limit is set from k accordingly.
//
// 2. The sum runs on the scaled start values p_k = u_k = 1 in extended
//    precision, D being linear in both, and ln|D| = ln p_k + ln u_k +
//    ln|D'| is formed in logarithms: a start term or weight below the double
//    range (e^-708) is no obstacle.  ln p_k is the gamma log density of
//    shape k + 1 at lam (gamma_log_density: Stirling's form near the mode,
//    good to a few ulps where ln k! is large), ln u_k is taken in extended
//    precision as in ncf_log_probs.  Where the scaled terms grow toward the
//    true mass far below the mode (a small x' with a large lam), the sum is
//    rescaled by 2^-8192 each time it passes 2^8192.
//
// 3. I_k and 1 - I_k come in logarithms from the continued fraction
//    (ratio_at).  Where it does not settle within its 199 steps the start
//    index moves away from the mode, up for the lower tail and down for
//    the upper, in steps of 4 sqrt(lam) doubling, until the fraction
//    settles.  Off the mode only the tail on the safe side keeps its
//    accuracy, so the one judged smaller by the start ratio is kept and
//    the other taken as ln(1 - e^w).  For large shapes (one above 5000,
//    the other above 100) the fraction runs on to
//    beta_fraction_long_itrmax in the extended format, with the log
//    density by Stirling's form: near the centre it needs some hundreds of
//    steps, and moving k by 320 moves the mean of Beta(a + k, b) by only
//    0.06 of its standard deviation at a = 1.5e6, b = 1e5.  Deviation: as
//    first written the fraction stopped at 199 steps there too, in double,
//    and the call failed (x = 0.998268, df1 = 3e6, df2 = 2e5, ncp = 50,
//    where ncf_log_probs answers); with the double fraction it answered
//    4.6e-14 off in ln P, and the direct log density gave 8.6e-14.
//
// Of the two logs the smaller tail's is kept and the larger formed from it
// as ln(1 - e^w), as ncf_log_probs does.
//
// ncf_log_tails_slopes adds the derivatives in the noncentrality from the
// same sum (the moments of ncf_poisson_sum.h), -dP/dncp in logarithms, so
// that a root search in the noncentrality takes Halley steps at the cost of
// one sum each where ncf_cdf cannot answer.  Asked to (ncf_log_sum_double),
// it runs the sum in doubles where its terms stay finite: about 2.6 ns a
// step against 22.7 in the extended format.  Each step's ratios are
// rounded afresh (the weights' backward ratio j/lam and the beta terms'
// (a + j)/((a + b + j - 1) x') divided anew, where the extended loop
// multiplies by 1/lam and 1/x', whose one rounding would compound to
// n eps/2 over n steps, 2.8e-13 at 5000), so the rounding grows as the
// square root of the steps: measured against the extended sum over 3000
// random points (Poisson means 1e4 to 1e6, x to 8 standard deviations
// out), the smaller tail within 1.3e-13 relative, and on the noncentrality
// tables' reference roots within 3.5e-15.  A provisional sum
// (ncf_log_sum_provisional) stops at 2^-30, for a search's first step from
// a start far off.  A caller stepping through nearby noncentralities keeps
// the start (ncf_log_start): the start ratio's fraction, hundreds of steps
// for large shapes, then runs once.

#include "library/ncf_log.h"

#include "library/densities.h"
#include "library/log_complement.h"
#include "numeric/log_extended.h"
#include "ncf/ncf_detail.h"
#include "ncf/ncf_poisson_sum.h"
#include "numeric/constants.h"
#include "numeric/elementary.h"
#include "numeric/primitives.h"

namespace {

// Largest Poisson mean summed: 5e6 (noncentrality 1e7).  The step limit
// grows with k; beyond that the sum is no longer cheap.
constexpr double max_poisson_mean = 5e6;

// Steps beyond k the sum may take: the two directions cover about
// 2 * 9 sqrt(lam) indices each side of the mode to 2^-53, plus the start
// index's moves (at most 64 sqrt(lam) with the last doubling); 1000 more
// for small means.
constexpr double steps_per_root = 100.0;
constexpr int32_t base_steps = 1000;

// Moves of the start index when beta_inc_log's fraction does not settle.
constexpr int32_t start_moves = 5;
constexpr double first_move_per_root = 4.0;

// Relative tolerance of the start ratio's continued fraction, that of the
// log-space beta ratio: 5.551115123125785e-16 (5 2^-53 and two units in the
// last place); a tighter one is not met reliably under rounding.
constexpr double fraction_tolerance = min_relative_tolerance;

// The rounding allowed to ln P against ln(p_0 u_0) in the check of the
// first term: 1e-12 of 1 + |ln P|.
constexpr double head_slack = 1e-12;

// 2^-64, the unit of the extended significand, and the relative error of a
// start ratio formed as a complement beyond which the tail built on it is
// refused: 1e-14.
constexpr long double extended_unit = 0x1p-64L;
constexpr double complement_tolerance = 1e-14;

// Relative tolerance of the sum: 2^-53 plus two units in the last place;
// of a provisional sum, 2^-30, which ends each direction about two standard
// deviations of the weights sooner: 12 to 13 sqrt(lam) steps in all,
// against 16 to 17 (measured at Poisson means of 3e4 to 2e5).
constexpr double sum_tolerance = eps_53;
constexpr double provisional_tolerance = 0x1p-30;

// A kept start serves while the Poisson mode lies within a quarter of the
// weights' standard deviation sqrt(lam) of the one it was chosen at: the
// weights then still put about 0.4 of their mass on either side of it
// (Phi(-1/4) = 0.401), so neither tail cancels by more than a factor of
// about 2.5, as at the mode.
constexpr double start_reuse = 0.25;

// e^t for t <= 0, 0 below the normal double range (exp_fast checks nothing).
double exp_nonpositive(double t)
{
    return t < log_min_normal ? 0.0 : exp_fast(t);
}

// ln(e^u + s e^v), s = +1 or -1, about the larger of u and v.
double log_add(double u, double v, double s)
{
    double m = u > v ? u : v;
    return elem_ln(exp_nonpositive(u - m) + s * exp_nonpositive(v - m)) + m;
}

// ln(1 - e^w) for w <= 0; -0 where e^w lies below the double range.
double complement_of(double w)
{
    return w < log_min_normal ? -0.0 : log_complement(w);
}

// ln u = ln(x'^ak y'^b / (ak B(ak, b))), the beta term at shape ak, in
// extended precision (ln(1 - t) of the one of x', y' nearer to 1).
long double log_beta_term(double xp, double yp, double ak, double b)
{
    long double t = (yp < xp) ? ak * log_one_minus_extended(yp) + b * elem_ln_table_ext(yp)
                              : ak * elem_ln_table_ext(xp) + b * log_one_minus_extended(xp);
    return t - elem_ln_table_ext(ak) - log_beta_extended(ak, b);
}

// ln I_x'(p, q) and ln(1 - I_x'(p, q)) from the continued fraction of the
// incomplete beta ratio (beta_fraction), combined in extended precision:
//     ln I_xs(p, q) = ln xs + ln dens + ln(V/p),
//     ln dens = (p - 1) ln xs + (q - 1) ln(1 - xs) - ln B(p, q),
// with the shift of a first shape below 1 as in beta_inc, on the side
// where the fraction converges (xs below (p + 1)/(p + q + 2), Numerical
// Recipes' rule; the other side is the complement).  ln dens is summed in
// extended precision with log_beta_extended: in doubles, with the double
// ln B, it is 1e-11 off for shapes of some thousands near the centre.  For
// large shapes it comes from Stirling's form (beta_log_density_stirling),
// and the fraction runs in the extended format on the smaller of x', y' and
// 1 minus it: a double r = y'/x' moves the ratio by 358 of its units at
// x' = 0.9374, a = 1.5e6, b = 1e5.  The fraction takes y' itself as 1 - xs
// on the exchanged side.
// ln xs and ln(1 - xs) come from x' and y', each formed directly: the
// smaller's log directly, the larger's as ln(1 - smaller).
bool ratio_at(double xp, double yp, double ak, double b, ncf_log_start* out)
{
    if (ak > int32_max_double || b > int32_max_double)
        return false;
    bool exchange = xp * (ak + b + 2.0) > ak + 1.0;
    double xs = exchange ? yp : xp;
    double ys = exchange ? xp : yp;
    double p = exchange ? b : ak;
    double q = exchange ? ak : b;
    long double ln_xs = xs <= ys ? elem_ln_table_ext(xs) : log_one_minus_extended(ys);
    long double ln_ys = xs <= ys ? log_one_minus_extended(xs) : elem_ln_table_ext(ys);
    const bool large_shapes = beta_large_shapes(p, q);
    long double log_dens = large_shapes
        ? beta_log_density_stirling(xs, ys, ln_xs, ln_ys, p, q)
        : (p - 1.0) * ln_xs + (q - 1.0) * ln_ys - log_beta_extended(p, q);
    long double tail;
    out->complement_is_lower = exchange;
    out->settled = beta_fraction_log_factor(xs, ys, p, q, fraction_tolerance,
                                            large_shapes ? beta_fraction_long_itrmax
                                                         : beta_fraction_itrmax,
                                            large_shapes, &tail) == 0;
    if (!out->settled)
        return true;
    long double sum = ln_xs + log_dens + tail;
    double w = static_cast<double>(sum);
    if (w > 0.0)
        w = 0.0;
    long double size = elem_abs(static_cast<double>(ln_xs)) + elem_abs(static_cast<double>(log_dens))
                       + elem_abs(static_cast<double>(tail));
    out->complement_error =
        w < 0.0 ? static_cast<double>(eps_53 + extended_unit * size) / -w : max_double;
    double other = complement_of(w);
    out->log_ik = exchange ? other : w;
    out->log_jk = exchange ? w : other;
    return true;
}

// The start index and its ratios into *out: the Poisson mode, moved off it
// while the fraction does not settle (toward the side where the smaller
// tail keeps its accuracy: up where x' lies below the beta's centre, where
// the lower tail I_k is the smaller, else down).  false where no start
// serves.
bool choose_start(double xp, double yp, double a, double b, double lam, ncf_log_start* out)
{
    const int32_t mode = static_cast<int32_t>(lam);
    int32_t k = mode;
    if (!ratio_at(xp, yp, a + k, b, out))
        return false;
    out->lower_smaller = out->settled ? out->log_ik < out->log_jk : !out->complement_is_lower;
    out->moved = false;
    double move = first_move_per_root * elem_sqrt(lam);
    for (int32_t i = 0; !out->settled && i < start_moves; ++i) {
        double next = out->lower_smaller ? mode + move : mode - move;
        if (next < 0.0)
            next = 0.0;
        k = static_cast<int32_t>(next);
        out->moved = true;
        if (!ratio_at(xp, yp, a + k, b, out))
            return false;
        move *= 2.0;
    }
    if (!out->settled)
        return false;
    out->k = k;
    out->mode = mode;
    out->log_term = log_beta_term(xp, yp, a + k, b);
    return true;
}

__attribute__((noinline)) int32_t tails_extended(double x, double df1, double df2, double ncp,
                                                 double* log_lower, double* log_upper,
                                                 ncf_log_slopes* slopes, int32_t sum_kind,
                                                 ncf_log_start* kept)
{
    if (!(df1 > ncf_log_tails_min_degrees && df1 <= int32_max_double)
        || !(df2 > ncf_log_tails_min_degrees && df2 <= int32_max_double)
        || !(ncp >= 0.0) || !(x > 0.0) || (slopes != nullptr && !(ncp > 0.0)))
        return 1;
    double xp, yp;
    ncf_beta_argument(x, df1, df2, &xp, &yp);
    const double a = df1 * 0.5, b = df2 * 0.5, lam = ncp * 0.5;
    if (lam > max_poisson_mean)
        return 1;
    if (xp == 0.0 || yp == 0.0)
        return 1;
    const double root = elem_sqrt(lam);

    // The start: the caller's kept one while its mode lies within a quarter
    // of the weights' standard deviation of this one, else chosen afresh.
    ncf_log_start fresh;
    ncf_log_start& start = kept != nullptr ? *kept : fresh;
    const bool reuse = kept != nullptr && kept->k >= 0 && kept->x == x && kept->df1 == df1
                       && kept->df2 == df2
                       && elem_abs(static_cast<int32_t>(lam) - kept->mode) <= start_reuse * root;
    if (!reuse) {
        start.k = -1;
        if (!choose_start(xp, yp, a, b, lam, &start))
            return 1;
        start.x = x;
        start.df1 = df1;
        start.df2 = df2;
    }
    const int32_t k = start.k;
    const bool moved = start.moved != 0;
    const bool lower_smaller = start.lower_smaller != 0;

    // ln p_k and ln u_k.
    double log_weight;
    if (lam == 0.0)
        log_weight = 0.0;
    else if (gamma_log_density(lam, k + 1.0, &log_weight) != 0)
        return 1;
    const long double log_term = start.log_term;

    double lower, upper;
    if (lam == 0.0) {
        lower = start.log_ik;
        upper = start.log_jk;
    } else {
        double limit = k + base_steps + steps_per_root * root;
        // With a + b below 1 a backward direction that stopped on falling
        // terms before j = 0 can have missed a last term that outweighs all
        // it summed (the beta terms grow by (a+j)/((a+b+j-1) x') a step
        // downward, by far the most from j = 1 to 0).  P >= p_0 I_0 >=
        // p_0 u_0 shows it: the sum is then run again with the backward
        // direction taken to j = 0, and fails if the bound still does not hold.
        bool to_zero = false;
        for (;;) {
            long double d;
            int32_t scale = 0;
            int32_t n;
            if (slopes == nullptr) {
                n = ncf_sum_differences<long double, long double, false, true>(
                    a, b, xp, lam, k, 1.0, 1.0, sum_tolerance, static_cast<int32_t>(limit), &d,
                    &scale, nullptr, to_zero);
            } else {
                // The derivatives from the same sum, in ncp = 2 lam: -dP/dncp =
                // (1/2) p_k u_k T0 2^(8192 scale), the ratios free of the scale.
                ncf_sum_moments<long double> m;
                n = -1;
                if (sum_kind != ncf_log_sum_extended) {
                    // The sum in doubles, where it stays finite (see above).
                    const double tolerance =
                        sum_kind == ncf_log_sum_provisional ? provisional_tolerance : sum_tolerance;
                    double dd;
                    ncf_sum_moments<double> md;
                    n = ncf_sum_differences<double, double, false, false, true, true>(
                        a, b, xp, lam, k, 1.0, 1.0, tolerance, static_cast<int32_t>(limit), &dd,
                        nullptr, &md, to_zero);
                    d = dd;
                    m = ncf_sum_moments<long double>{md.t0, md.m1, md.m2};
                    if (n >= static_cast<int32_t>(limit)
                        || !(elem_abs(dd) <= max_double && md.t0 > 0.0 && md.t0 <= max_double
                             && elem_abs(md.m1) <= max_double && elem_abs(md.m2) <= max_double))
                        n = -1;
                }
                if (n < 0)
                    n = ncf_sum_differences<long double, long double, false, true, true>(
                        a, b, xp, lam, k, 1.0, 1.0, sum_tolerance, static_cast<int32_t>(limit),
                        &d, &scale, &m, to_zero);
                if (!(m.t0 > 0) || m.t0 - m.t0 != 0)
                    return 1;
                slopes->log_descent = static_cast<double>(log_weight + log_term
                                                          + elem_ln_fyl2x_ext(m.t0)
                                                          + scale * ncf_sum_rescale_log
                                                          - elem_ln2_ext);
                double curvature, torsion;
                ncf_moment_ratios(m, lam, &curvature, &torsion);
                slopes->curvature = 0.5 * curvature;
                slopes->torsion = 0.25 * torsion;
            }
            if (n >= static_cast<int32_t>(limit) || !(d == d) || d - d != 0)
                return 1;
            if (d == 0) {
                lower = start.log_ik;
                upper = start.log_jk;
            } else {
                long double log_d = log_weight + log_term + elem_ln_fyl2x_ext(d < 0 ? -d : d)
                                  + scale * ncf_sum_rescale_log;
                double sign = d > 0 ? 1.0 : -1.0;
                lower = log_add(start.log_ik, static_cast<double>(log_d), sign);
                upper = log_add(start.log_jk, static_cast<double>(log_d), -sign);
            }
            if (k == 0)
                break;
            long double log_first = -lam + log_beta_term(xp, yp, a, b);
            if (!(log_first > lower + head_slack * (1.0 - lower)))
                break;
            if (to_zero || !(a + b < 1.0))
                return 1;
            to_zero = true;
        }
    }
    // The smaller tail kept, the larger as ln(1 - e^w); off the mode the
    // tail on the safe side of k.
    bool keep_lower = moved ? lower_smaller : lower < upper;
    // Degrees of freedom at or below 2^-10: the tail kept starts from a
    // complement that has lost its digits (ln P(1.7257361461144005;
    // 0.011672986323877152, 2.66647542256605e-06, 0) came out 2e-12 off): no
    // value rather than a wrong one.  Above, the start ratio's complement
    // keeps some 2e-18/b relative (measured), within 4e-15.
    bool small_degrees = !(df1 > ncf_log_min_degrees && df2 > ncf_log_min_degrees);
    if (small_degrees && keep_lower == start.complement_is_lower
        && start.complement_error > complement_tolerance)
        return 1;
    if (keep_lower) {
        if (!(lower <= 0.0))
            return 1;
        *log_lower = lower;
        *log_upper = complement_of(lower);
    } else {
        if (!(upper <= 0.0))
            return 1;
        *log_upper = upper;
        *log_lower = complement_of(upper);
    }
    return 0;
}

}  // namespace

int32_t ncf_log_tails(double x, double df1, double df2, double ncp, double* log_lower,
                      double* log_upper)
{
    uint16_t precision = elem_extended_begin();
    int32_t status = tails_extended(x, df1, df2, ncp, log_lower, log_upper, nullptr,
                                    ncf_log_sum_extended, nullptr);
    elem_extended_end(precision);
    return status;
}

int32_t ncf_log_tails_slopes(double x, double df1, double df2, double ncp, double* log_lower,
                             double* log_upper, ncf_log_slopes* slopes, int32_t sum_kind,
                             ncf_log_start* start)
{
    if (sum_kind != ncf_log_sum_extended && sum_kind != ncf_log_sum_double
        && sum_kind != ncf_log_sum_provisional)
        return 1;
    uint16_t precision = elem_extended_begin();
    int32_t status = tails_extended(x, df1, df2, ncp, log_lower, log_upper, slopes, sum_kind,
                                    start);
    elem_extended_end(precision);
    return status;
}
