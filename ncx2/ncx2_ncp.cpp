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
// condition number of lambda in p.  Every step evaluates one Poisson sum,
// which gives the tail and its first three derivatives together,
//     dP/dlambda = -E0/2,  d2P/dlambda2 = (E0 - E1)/4,
//     d3P/dlambda3 = (-E0 + 2 E1 - E2)/8,
// and Halley's method (halley_root) steps on g from them inside a bracket,
// stopping on the predicted error of its last step without a confirming
// sum.
//
// Sums.  On ordinary designs the sum runs forward from index 0 in double
// (ncx2_direct_sum): its gamma terms, their tails and P0 depend on x and
// df alone and are formed once a root, so that each step costs e^-h and
// some h + 9 sqrt(h) multiplications.  Where it cannot answer (a Poisson
// mean above its 150, terms below its range) the sum from the Poisson mode
// (ncx2_evaluate) takes over, with the start index's gamma ratios kept from
// one step to the next while the index stays: from the forward sum's first
// failure on, for every larger lambda, as its failures come with larger
// lambda.
//
// Start.  The lower end is B = 2 ln(P0/p), a lower bound of the root: the
// weight of index 0 is e^(-lambda/2), so P(lambda) >= e^(-lambda/2) P0.
// The central sample (P0 and the slopes at 0, which the forward sum's first
// terms give: E_m = u_m at lambda = 0) costs no sum beyond P0 itself, and
// Halley's step from it is the first point where it predicts a small error
// (roots small beside g's curvature).  Elsewhere the first point is the
// root of the normal approximation X ~ N(df + lambda, 2 (df + 2 lambda))
// (Johnson, Kotz and Balakrishnan 1995, 29.8), with the deviate of
// A&S 26.2.23,
//     sqrt(2 df + 4 lambda) = 2 (sqrt(z^2 + x - df/2) - z),
// refined by Newton's steps on Patnaik's two-moment approximation; B where
// that lies below it.
//
// Noise.  The iteration also stops where |g| is within the rounding of the
// tail it is formed from: 2^-46 of the tail from the forward sum (and for
// an upper tail whose Q0 is 1 - P0, 2^-50 P0/Q more), four units in the
// last place of |ln T| + 1 for a tail from the sum from the mode.

#include "ncx2/ncx2.h"

#include <cmath>
#include <limits>

#include "library/log_complement.h"
#include "ncx2/ncx2_detail.h"
#include "numeric/constants.h"
#include "numeric/elementary.h"
#include "numeric/halley_root.h"
#include "numeric/normal_quantile_rational.h"
#include "numeric/primitives.h"

namespace {

// Newton's steps of the start on Patnaik's approximation, and the step
// (relative to lambda) after which they stop: the normal root is close
// enough that one step leaves the approximation's own error of some 1e-3
// on most designs, and two Halley steps reach the root from it as from
// the converged approximation (on the benchmark grid 1.1 steps a start at
// a quarter, 1.3 at a tenth, 2.7 to a step of 1e-4, for the same 3.01
// sums a root; none gives 3.5).
constexpr int32_t start_newton_steps = 6;
constexpr double start_step_tolerance = 0.25;

// The rounding of the forward sum's tails, relative: 2^-46, a generous
// bound of their few units in the last place.
constexpr double direct_noise = 0x1p-46;

// The rounding of Q0 = 1 - P0 relative to P0, which an upper tail from the
// forward sum carries as Q0 + D: four units of 2^-52.
constexpr double complement_noise = 0x1p-50;

// The rounding of a tail given in logarithms, per unit of |ln T| + 1: four
// units in the last place.
constexpr double log_noise = 0x1p-51;

// Halley's step from lambda = 0 is the start where the error it predicts
// is at most this fraction of the step; its correction is trusted to a
// half, as halley_root's.  The prediction overstates (at df 23, x 25.18:
// 1.4e-3 predicted, 1.1e-4 left), and 3e-2 served best on the benchmark
// grid: 2.997 sums a root, against 3.002 at 1e-3, 3.007 at 1e-1 and 3.010
// with no step from 0.
constexpr double zero_step_accuracy = 3e-2;
constexpr double zero_step_correction_limit = 0.5;

// Where the inversion starts when no approximation gives a root above the
// lower bound 0: 2^-20 of max(x, 1).
constexpr double fallback_start = 0x1p-20;

// A start at or below the lower end B moves to 2^-20 of B above it.
constexpr double lower_end_offset = 0x1p-20;

// The least lower tail the forward sum's terms are formed for, relative to
// the target p: the root's neighbourhood without an extension.
constexpr double floor_share = 0x1p-4;

struct tail_target {
    double x, df;
    bool upper;           // g is formed on the upper tail
    double log_target;    // ln p or ln q
    double p_lower;       // p or 1 - p, the lower-tail probability
    double direct_reach;  // the forward sum is tried below this lambda
    ncx2_direct_point* direct;
    ncx2_start start;     // the sum from the mode: the gamma ratios of the last start index
    int32_t sums;         // evaluations, the central one included
};

// g and its derivatives from a tail T (P or Q), its logarithm and
// r1 = P'/T, r2 = P''/T, r3 = P'''/T: for T = P, g = ln P - ln p; for
// T = Q, with Q' = -P', g = ln q - ln Q.
void fill_sample(const tail_target* t, double log_tail, double r1, double r2, double r3,
                 double noise, halley_sample* out)
{
    double l1, l2, l3;
    if (t->upper) {
        log_derivatives(-r1, -r2, -r3, &l1, &l2, &l3);
        *out = halley_sample{t->log_target - log_tail, -l1, -l2, -l3, noise, 0};
    } else {
        log_derivatives(r1, r2, r3, &l1, &l2, &l3);
        *out = halley_sample{log_tail - t->log_target, l1, l2, l3, noise, 0};
    }
}

// The sample from the sum from the mode.
int32_t mode_sample(tail_target* t, double lambda, halley_sample* out)
{
    ncx2_evaluation e;
    if (ncx2_evaluate(t->x, t->df, lambda, &e, &t->start) != 0)
        return 1;
    const double log_tail = t->upper ? e.log_upper : e.log_lower;
    // |P'|/T = E0/(2T) lies below the double range far from the root (a
    // tail near 1 whose complement lies far below it): 0 then, and the
    // iteration's safeguard moves lambda.
    const double log_rate = e.log_slope - log_tail;
    if (!(log_rate <= log_max_double))
        return 1;
    const double r1 = log_rate >= log_min_normal ? -exp_fast(log_rate) : 0.0;
    const double r2 = -0.5 * (1.0 - e.curvature_ratio) * r1;
    const double r3 = 0.25 * (1.0 - 2.0 * e.curvature_ratio + e.torsion_ratio) * r1;
    fill_sample(t, log_tail, r1, r2, r3, log_noise * (1.0 + elem_abs(log_tail)), out);
    return 0;
}

int32_t sample(void* context, double lambda, halley_sample* out)
{
    auto* t = static_cast<tail_target*>(context);
    ++t->sums;
    if (lambda < t->direct_reach) {
        ncx2_direct_moments m;
        const int32_t which =
            (t->upper ? ncx2_direct_upper : ncx2_direct_lower) | ncx2_direct_slopes;
        if (ncx2_direct_sum(t->direct, lambda, which, &m) == 0) {
            const double tail = t->upper ? m.upper : m.lower;
            const double inv = 1.0 / tail;
            const double r1 = -0.5 * m.slope * inv;
            const double r2 = 0.25 * (m.slope - m.curvature) * inv;
            const double r3 = 0.125 * (2.0 * m.curvature - m.slope - m.torsion) * inv;
            const double log_tail = elem_ln(tail);
            double noise = direct_noise * (1.0 + elem_abs(log_tail));
            if (t->upper && t->direct->upper0_complement)
                noise += complement_noise * (t->direct->lower0 * inv);
            fill_sample(t, log_tail, r1, r2, r3, noise, out);
            return 0;
        }
        t->direct_reach = lambda;
    }
    return mode_sample(t, lambda, out);
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
// (df + lambda), nu = (df + lambda)^2/(df + 2 lambda) (Patnaik 1949,
// Biometrika 36, 202-232), through the Wilson-Hilferty cube root (A&S
// 26.4.17, 26.4.14): with m = df + lambda = c nu, s = df + 2 lambda and the
// variance v = 2/(9 nu) = 2 s/(9 m^2), the deviate of P(X <= x) at lambda,
//     W = ((x/m)^(1/3) - 1 + v)/sqrt(v),
// decreasing in lambda, and its derivative, from
//     d(x/m)^(1/3)/dlambda = -(x/m)^(1/3)/(3m),  dv/dlambda = -4 lambda/(9 m^3):
//     W' = (t' + v')/sqrt(v) - W v'/(2v).
double patnaik_deviate(double x, double df, double lambda, double* slope)
{
    const double inv_m = 1.0 / (df + lambda), s = df + 2.0 * lambda;
    const double v = (2.0 / 9.0) * s * (inv_m * inv_m);
    const double inv_root_v = 1.0 / elem_sqrt(v);
    // (x/m)^(1/3) as e^(ln(x/m)/3): a start needs no more than its 1e-15.
    const double t = exp_fast((1.0 / 3.0) * elem_ln(x * inv_m));
    const double w = (t - 1.0 + v) * inv_root_v;
    const double dt = (-1.0 / 3.0) * t * inv_m;
    const double dv = (-4.0 / 9.0) * lambda * (inv_m * inv_m * inv_m);
    *slope = (dt + dv - 0.5 * w * dv * inv_root_v) * inv_root_v;
    return w;
}

// The start of the search: the root of the normal approximation
// X ~ N(df + lambda, 2 (df + 2 lambda)),
//     sqrt(2 df + 4 lambda) = 2 (sqrt(z^2 + x - df/2) - z),
// then Newton's steps on Patnaik's deviate = z, which is good to some 1e-3
// where the normal one is good to 1e-1, until a step is at most
// start_step_tolerance of lambda.  No sums; 0 where the normal
// approximation has no positive root.
double start_estimate(double x, double df, bool upper, double log_tail)
{
    const double z = deviate(upper, log_tail);
    const double disc = z * z + x - 0.5 * df;
    double lambda = 0.0;
    if (disc > 0.0) {
        const double s = 2.0 * (elem_sqrt(disc) - z);
        lambda = 0.25 * (s * s - 2.0 * df);
    }
    if (!(lambda > 0.0))
        return 0.0;
    for (int32_t i = 0; i < start_newton_steps; ++i) {
        double slope;
        const double w = patnaik_deviate(x, df, lambda, &slope);
        if (!(slope < 0.0))
            break;
        double next = lambda - (w - z) / slope;
        if (!(next > 0.0))
            next = 0.5 * lambda;  // Newton overshot 0: halve instead
        const double step = elem_abs(next - lambda);
        lambda = next;
        if (step <= start_step_tolerance * lambda)
            break;
    }
    return lambda;
}

// Halley's step from lambda = 0 and the error it leaves, predicted as
// halley_root predicts it: ((g''/(2g'))^2 + |g'''/(6g')|) |d|^3.  NaN where
// the slope is not negative.
double step_from_zero(const halley_sample& s, double* predicted)
{
    *predicted = std::numeric_limits<double>::infinity();
    if (!(s.g1 < 0.0))
        return std::numeric_limits<double>::quiet_NaN();
    const double dn = -s.g / s.g1, half_ratio = s.g2 / (2.0 * s.g1);
    const double c = dn * half_ratio;
    const double d = elem_abs(c) <= zero_step_correction_limit ? dn / (1.0 + c) : dn;
    const double ad = elem_abs(d);
    *predicted = (half_ratio * half_ratio + elem_abs(s.g3 / (6.0 * s.g1))) * ad * ad * ad;
    return d;
}

// The root from the central sample on: no root, the root 0, or Halley's
// iteration from the start.
int32_t search(tail_target* t, double log_p, double log_q, double* result)
{
    // The central sample: g and its derivatives at lambda = 0, from the
    // forward sum's terms (P0 or Q0, and u_0, u_1, u_2: E_m = u_m at h = 0)
    // where it serves, else from the sum from the mode.
    halley_sample central;
    double log_p0;
    ncx2_direct_point* direct = t->direct;
    if (ncx2_direct_prepare(t->x, t->df, floor_share * t->p_lower,
                            t->upper ? ncx2_direct_upper : ncx2_direct_lower, direct)
            == 0
        && direct->valid) {
        t->direct_reach = ncx2_max_noncentrality;
        const double* u = direct->term;
        const double tail = t->upper ? direct->upper0 : direct->lower0;
        const double inv = 1.0 / tail;
        log_p0 = elem_ln(direct->lower0);
        fill_sample(t, t->upper ? elem_ln(tail) : log_p0, -0.5 * u[0] * inv,
                    0.25 * (u[0] - u[1]) * inv, 0.125 * (2.0 * u[1] - u[0] - u[2]) * inv, 0.0,
                    &central);
    } else {
        if (mode_sample(t, 0.0, &central) != 0)
            return ncx2_ncp_failed;
        // ln P0: with the upper form, ln(1 - Q0) from g.
        log_p0 = t->upper ? log_complement(log_q - central.g) : central.g + log_p;
    }
    if (central.g < 0.0)
        return ncx2_ncp_no_root;
    if (central.g == 0.0) {
        *result = 0.0;
        return ncx2_ncp_found;
    }
    double lower = 2.0 * (log_p0 - log_p);
    if (!(lower >= 0.0))
        lower = 0.0;

    // The start: Halley's step from 0 where it predicts a smaller error than
    // Patnaik's approximation leaves (roots small beside the curvature of
    // g, where the approximations' relative errors are largest), else the
    // approximation's root.
    double predicted;
    double lambda = step_from_zero(central, &predicted);
    if (!(lambda > lower && lambda <= ncx2_max_noncentrality
          && predicted <= zero_step_accuracy * lambda))
        lambda = start_estimate(t->x, t->df, t->upper, t->log_target);
    if (!(lambda > lower))  // the iteration starts above its lower end
        lambda = lower > 0.0 ? lower + lower * lower_end_offset
                             : fallback_start * (t->x > 1.0 ? t->x : 1.0);
    if (lambda > ncx2_max_noncentrality)
        lambda = ncx2_max_noncentrality;

    double root;
    if (halley_root(sample, t, lambda, lower, ncx2_max_noncentrality, &root, nullptr)
            != halley_converged
        || !(root >= 0.0 && root <= ncx2_max_noncentrality))
        return ncx2_ncp_failed;
    *result = root;
    return ncx2_ncp_found;
}

}  // namespace

int32_t ncx2_ncp(double x, double df, double p, int32_t tail, double* result, int32_t* sums)
{
    *result = std::numeric_limits<double>::quiet_NaN();
    if (sums)
        *sums = 0;
    if (!(x >= 0.0) || !ncx2_parameters_valid(df, 0.0) || !(p > 0.0 && p < 1.0)
        || (tail != ncx2_lower_tail && tail != ncx2_upper_tail))
        return ncx2_ncp_invalid;
    if (x == 0.0 || x == std::numeric_limits<double>::infinity())
        return ncx2_ncp_no_root;  // P(X <= 0) = 0 < p, P(X <= inf) = 1 > p

    // ln p and ln q, the one given exact, the other as ln(1 - e^w).
    const double log_p = tail == ncx2_lower_tail ? elem_ln(p) : log1p_rel(-p);
    const double log_q = tail == ncx2_upper_tail ? elem_ln(p) : log1p_rel(-p);
    ncx2_direct_point direct;
    tail_target t{x,   df,      log_q < log_p,       0.0, tail == ncx2_lower_tail ? p : 1.0 - p,
                  0.0, &direct, {-1, 0.0, 0.0, 0.0}, 1};
    t.log_target = t.upper ? log_q : log_p;
    const int32_t status = search(&t, log_p, log_q, result);
    if (status != ncx2_ncp_found)
        *result = std::numeric_limits<double>::quiet_NaN();
    if (sums)
        *sums = t.sums;
    return status;
}
