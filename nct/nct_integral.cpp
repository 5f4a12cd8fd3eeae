// nct_integral: the noncentral t distribution as an integral over the chi
// scale, for every sign of t and delta, far tails and large noncentralities.
//
// With T = (Z + delta)/S, S = sqrt(V/df), V chi-square on df degrees of
// freedom and Z standard normal independent of it,
//
//     P(T <= t) = E[Phi(t S - delta)],   P(T > t) = E[Phi(delta - t S)],
//
// and S has the density f_S(s) = 2 a^a / Gamma(a) s^(2a-1) e^(-a s^2),
// a = df/2.  The smaller tail is integrated (the larger is its complement),
// so the integrand Phi(v) f_S(s), v = c s - d with (c, d) = +-(t, delta), is
// positive and nothing cancels, whatever the signs: the series' trouble
// where t and delta differ in sign does not arise.  The same nodes give
//
//     -dP/d(delta) = E[phi(t S - delta)],
//     d^2 P/d(delta)^2 = -/+ E[v phi(v)]   (sign of the integrated tail),
//     f(t) = E[S phi(t S - delta)],
//
// weighting each node by rho = phi(v)/Phi(v) (and v rho, s rho).
//
// In u = ln s the log integrand is
//
//     g(u) = K(a) - a (e^(2u) - 1 - 2u) + ln Phi(c e^u - d),
//     K(a) = ln 2 + a ln a - a - ln Gamma(a),
//
// written so that nothing of size a cancels: K(a) by Stirling's series for
// a >= 15 (ln 2 + ln(a)/2 - ln sqrt(2 pi) - lgamma_corr(a)), e^(2u) - 1 - 2u
// by (e^u - 1)^2 + 2 (e^u - 1 - u) from one e^u - 1 (chi_terms), and
// v = c (e^u - 1) + (c - d).  g is smooth
// and unimodal; its peak u* is found by Newton's method on g' (started at
// u = 0, the peak of f_S(s) s), and sigma = 1/sqrt(-g''(u*)) sets the step.
//
// The trapezoidal rule on the whole line in u converges geometrically for an
// integrand analytic in a strip, faster still for one of Gaussian decay
// (Trefethen and Weideman 2014, SIAM Review 56, 385-458): from h = 0.7 sigma
// the step is halved, each level adding the midpoints of the last, until
// the three sums change by at most 1e-9 relative from one level to the
// next, when the finer one is good to about the square of that.  Each side
// of a level stops where two successive nodes fall below 2^-64 of the sum.
// A node's normal tail comes from Cody's erfc, below v = -0.66 as
// phi(v) times the Mills ratio (erfc_scaled), so that the node's one
// exponential carries both its chi part and the normal density.

#include "nct/nct_detail.h"

#include "library/densities.h"
#include "library/log_complement.h"
#include "numeric/constants.h"
#include "numeric/elementary.h"
#include "numeric/primitives.h"

namespace {

// Steps for the peak of g, and the largest move of one step in u: the peak
// lies within a few units of 0 unless the tail shifts it; 60 capped or
// bisecting steps reach any peak in the range of the nodes.
constexpr int32_t peak_steps = 60;
constexpr double peak_max_move = 1.0;
constexpr double peak_settled = 1e-6;

// The first level's step, in units of sigma: for an integrand of Gaussian
// shape the trapezoidal rule's error at step h is 2 e^(-2 pi^2 sigma^2/h^2),
// 6e-18 at h = 0.7 sigma (5e-9 at h = sigma), so that the first halving
// already confirms the sums where the integrand is near its Gaussian limit.
constexpr double first_step = 0.7;

// Halvings of the step (from h = 0.7 sigma, 2^-8 of that at the last) and
// the relative change of the sums accepted between two levels.
constexpr int32_t max_levels = 9;
constexpr double level_agreement = 1e-9;

// Nodes beyond which a side is cut: 2^-64 of the sum.  Nodes per side and
// level: at df = 0.1 the left side decays as e^(0.1 u) and needs about 450
// steps of sigma; 40000 covers the finest level with room.
constexpr double negligible = 0x1p-64;
constexpr int32_t max_side_nodes = 40000;

// Below |u| = 2^-10 the chi scale's terms e^u - 1 - u and e^(2u) - 1 - 2u
// come from Taylor's series (five terms: the sixth is below 2^-60 of the
// first); above it from e^u - 1 at the 64-bit significand, whose difference
// with u keeps 2^-63/|u| <= 2^-53 relative.  From |u| = 1/2 on, e^u itself.
constexpr double taylor_below = 0x1p-10;
constexpr double extended_below = 0.5;

// A node's log may exceed the peak's (u* being approximate) by at most this
// much before the sums, scaled by the peak, could overflow.
constexpr double max_excess = 600.0;

// Below v = -0.46875 sqrt 2 (where Cody's small range of erfc ends) the
// normal tail is phi(v) times the Mills ratio sqrt(pi/2) erfc_scaled(-v/sqrt 2),
// its exponential folded into the node's; above it Phi(v) = erfc(-v/sqrt 2)/2.
constexpr double mills_below = -0.66291260736238837;
// sqrt(pi/2), the Mills ratio per unit of erfc_scaled.
constexpr double sqrt_half_pi = 1.2533141373155002512;
// 1/sqrt(2 pi), the normal density at 0.
constexpr double one_over_sqrt_2pi = 0.39894228040143267794;

constexpr long double log2_e_ext = elem_log2_e_ext;

// s = e^u, e^u - 1 and e^(2u) - 1 - 2u, each without cancellation:
// e^(2u) - 1 - 2u = (e^u - 1)^2 + 2 (e^u - 1 - u).
void chi_terms(double u, double* s, double* s_minus_one, double* quadratic)
{
    double a = elem_abs(u);
    if (a < taylor_below) {
        // e^u - 1 - u = u^2/2 (1 + u/3 (1 + u/4 (1 + u/5 (1 + u/6)))).
        double d = 0.5 * u * u * (1.0 + u / 3.0 * (1.0 + 0.25 * u * (1.0 + 0.2 * u * (1.0 + u / 6.0))));
        double m = u + d;
        *s_minus_one = m;
        *s = 1.0 + m;
        *quadratic = m * m + 2.0 * d;
    } else if (a < extended_below) {
        long double m = elem_exp2m1_ext(static_cast<long double>(u) * log2_e_ext);
        long double d = m - static_cast<long double>(u);
        *s_minus_one = static_cast<double>(m);
        *s = static_cast<double>(1.0L + m);
        *quadratic = static_cast<double>(m * m + 2.0L * d);
    } else {
        double e = u > log_max_double ? max_double : exp_fast(u);
        *s = e;
        *s_minus_one = e - 1.0;
        double e2 = 2.0 * u > log_max_double ? max_double : e * e;
        *quadratic = (e2 - 1.0) - 2.0 * u;
    }
}

struct integrand {
    double a;       // df/2
    double k_a;     // K(a)
    double c, d;    // v = c s - d
    double c_minus_d;
};

struct node {
    double w;    // the integrand relative to e^g_ref (with_weight)
    double rho;  // phi(v)/Phi(v)
    double v;
    double s;
    double g;    // log integrand (with_log)
};

// What evaluate forms beyond v, s and rho.
enum node_part { slopes_only, with_log, with_weight };

// The node at u: v, s and rho, and with_log its log integrand g, or
// with_weight the integrand scaled by e^-g_ref.  False where the scaled
// value would overflow.
bool evaluate(const integrand& f, double u, double g_ref, node_part part, node* out)
{
    double s, m, q;
    chi_terms(u, &s, &m, &q);
    double v = f.c * m + f.c_minus_d;
    double chi = f.k_a - f.a * q;
    out->v = v;
    out->s = s;
    double log_v2 = -0.5 * v * v;
    if (v < mills_below) {
        double mills = sqrt_half_pi * erfc_scaled(-v * one_over_sqrt_2);
        double log_phi = log_v2 - ln_sqrt_2pi;
        out->rho = 1.0 / mills;
        if (part == with_log) {
            out->g = chi + log_phi + elem_ln(mills);
        } else if (part == with_weight) {
            double excess = chi + log_phi - g_ref;
            if (excess > max_excess)
                return false;
            out->w = excess < log_min_normal ? 0.0 : exp_fast(excess) * mills;
        }
    } else {
        double tail = 0.5 * erfc_value(-v * one_over_sqrt_2);
        double density = log_v2 < log_min_normal ? 0.0 : one_over_sqrt_2pi * exp_fast(log_v2);
        out->rho = density / tail;
        if (part == with_log) {
            out->g = chi + elem_ln(tail);
        } else if (part == with_weight) {
            double excess = chi - g_ref;
            if (excess > max_excess)
                return false;
            out->w = excess < log_min_normal ? 0.0 : exp_fast(excess) * tail;
        }
    }
    return true;
}

// K(a) = ln 2 + a ln a - a - ln Gamma(a).
double log_chi_scale_constant(double a)
{
    if (a >= stirling_from)
        return elem_ln2_ext + 0.5 * elem_ln(a) - ln_sqrt_2pi - lgamma_corr(a);
    return elem_ln2_ext + a * elem_ln(a) - a - log_gamma(a);
}

struct sums {
    double s0, s1, s2, s3;
};

// One side of one level: nodes u0, u0 + step, ... added to *total.
bool walk(const integrand& f, double g_ref, double u0, double step, sums* total, int32_t* nodes)
{
    int32_t small = 0;
    for (int32_t i = 0; i < max_side_nodes; ++i) {
        node n;
        if (!evaluate(f, u0 + i * step, g_ref, with_weight, &n))
            return false;
        ++*nodes;
        double w = n.w;
        total->s0 += w;
        total->s1 += w * n.rho;
        total->s2 += w * n.v * n.rho;
        total->s3 += w * n.s * n.rho;
        if (w <= negligible * total->s0) {
            if (++small == 2)
                return true;
        } else {
            small = 0;
        }
    }
    return false;
}

bool agree(double fine, double coarse)
{
    double d = fine - coarse;
    return elem_abs(d) <= level_agreement * elem_abs(fine);
}

}  // namespace

namespace {

int32_t integral_of_tail(double t, double df, double delta, bool lower_smaller,
                         nct_evaluation* out)
{
    integrand f;
    f.a = 0.5 * df;
    f.k_a = log_chi_scale_constant(f.a);
    f.c = lower_smaller ? t : -t;
    f.d = lower_smaller ? delta : -delta;
    f.c_minus_d = f.c - f.d;

    // The peak of g by Newton's method on g'(u) = 2a (1 - s^2) + c s rho,
    // g''(u) = -4a s^2 + c s rho - (c s)^2 rho (v + rho), safeguarded by the
    // bracket that the signs of g' make: g is not concave everywhere (the
    // normal tail's curvature dwarfs the chi scale's on one side), and
    // Newton's steps alone can cycle.
    double u = 0.0, curvature = 0.0;
    double below = -max_double, above = max_double;  // g' > 0 at below, < 0 at above
    for (int32_t i = 0; i < peak_steps; ++i) {
        node n;
        if (!evaluate(f, u, 0.0, slopes_only, &n))
            return 1;
        double cs = f.c * n.s;
        double g1 = 2.0 * f.a * (1.0 - n.s * n.s) + cs * n.rho;
        curvature = -4.0 * f.a * n.s * n.s + cs * n.rho - cs * cs * n.rho * (n.v + n.rho);
        if (g1 > 0.0)
            below = u;
        else
            above = u;
        double move = curvature < 0.0 ? -g1 / curvature : (g1 > 0.0 ? peak_max_move : -peak_max_move);
        if (move > peak_max_move)
            move = peak_max_move;
        if (move < -peak_max_move)
            move = -peak_max_move;
        double next = u + move;
        if (!(next > below && next < above) && below > -max_double && above < max_double)
            next = 0.5 * (below + above);
        double width = curvature < 0.0 ? 1.0 / elem_sqrt(-curvature) : 1.0;
        bool settled = elem_abs(next - u) <= peak_settled * width
                    || (above - below) <= peak_settled * width;
        u = next;
        if (settled)
            break;
    }
    double sigma = curvature < 0.0 ? 1.0 / elem_sqrt(-curvature) : 1.0;
    node peak;
    if (!evaluate(f, u, 0.0, with_log, &peak))
        return 1;
    const double g_ref = peak.g;

    // Level 0: every node u + j sigma; level n adds the midpoints of level n-1.
    sums total{0.0, 0.0, 0.0, 0.0};
    int32_t nodes = 0;
    double step = first_step * sigma;
    if (!walk(f, g_ref, u, step, &total, &nodes) || !walk(f, g_ref, u - step, -step, &total, &nodes))
        return 1;
    sums previous{step * total.s0, step * total.s1, step * total.s2, step * total.s3};
    bool settled = false;
    for (int32_t level = 1; level < max_levels && !settled; ++level) {
        double half = 0.5 * step;
        if (!walk(f, g_ref, u + half, step, &total, &nodes)
            || !walk(f, g_ref, u - half, -step, &total, &nodes))
            return 1;
        step = half;
        sums now{step * total.s0, step * total.s1, step * total.s2, step * total.s3};
        settled = agree(now.s0, previous.s0) && agree(now.s1, previous.s1)
               && agree(now.s3, previous.s3);
        previous = now;
    }
    out->steps = nodes;
    out->method = nct_method_none;
    if (!settled || !(previous.s0 > 0.0) || !(previous.s1 > 0.0) || !(previous.s3 > 0.0))
        return 1;

    double log_small = g_ref + elem_ln(previous.s0);
    if (log_small > 0.0)
        log_small = 0.0;
    double log_large = log_small < log_min_normal ? -0.0 : log_complement(log_small);
    out->log_lower = lower_smaller ? log_small : log_large;
    out->log_upper = lower_smaller ? log_large : log_small;
    out->log_slope = g_ref + elem_ln(previous.s1);
    out->curvature = (lower_smaller ? -1.0 : 1.0) * previous.s2 / previous.s1;
    out->log_density = g_ref + elem_ln(previous.s3);
    out->method = nct_method_integral;
    return 0;
}

}  // namespace

int32_t nct_integral(double t, double df, double delta, nct_evaluation* out)
{
    out->method = nct_method_none;
    out->steps = 0;
    if (!(t != 0.0 && df > 0.0 && df <= nct_max_df && delta - delta == 0.0 && t - t == 0.0))
        return 1;
    // The smaller tail by the normal approximation of T (Johnson, Kotz and
    // Balakrishnan 1995, 31.5): T ~ N(delta, 1 + t^2/(2 df)) about
    // t (1 - 1/(4 df)).  Below df = 1/4 its factor turns negative, and for
    // small df it may name the larger tail: a tail found above 1/2 is
    // integrated again as the other, so that the smaller is never formed
    // as the complement of the larger.  A named tail may also not settle
    // because it is the larger: near 1, its slope and density (of the size
    // of the other tail, e^-5780 at t = -900, df = 0.2, delta = 107) vanish
    // beside it.  The other is then integrated, and taken where it is the
    // smaller.
    double z0 = t * (1.0 - 0.25 / df) - delta;
    bool lower_smaller = z0 < 0.0;
    int32_t status = integral_of_tail(t, df, delta, lower_smaller, out);
    double small = lower_smaller ? out->log_lower : out->log_upper;
    if (status != 0 || small > -elem_ln2_ext) {
        nct_evaluation other;
        int32_t steps = out->steps;
        if (integral_of_tail(t, df, delta, !lower_smaller, &other) == 0) {
            double other_small = lower_smaller ? other.log_upper : other.log_lower;
            if (status == 0 ? other_small < small : other_small <= -elem_ln2_ext) {
                *out = other;
                out->steps += steps;
                status = 0;
            }
        }
    }
    return status;
}
