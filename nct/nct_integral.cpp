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
// by its Taylor series near 0, and v = c (e^u - 1) + (c - d).  g is smooth
// and unimodal; its peak u* is found by Newton's method on g' (started at
// u = 0, the peak of f_S(s) s), and sigma = 1/sqrt(-g''(u*)) sets the step.
//
// The trapezoidal rule on the whole line in u converges geometrically for an
// integrand analytic in a strip, faster still for one of Gaussian decay
// (Trefethen and Weideman 2014, SIAM Review 56, 385-458): from h = sigma the
// step is halved, each level adding the midpoints of the last, until the
// three sums change by at most 1e-9 relative from one level to the next,
// when the finer one is good to about the square of that.  Each side of a
// level stops where two successive nodes fall below 2^-64 of the sum.

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

// Halvings of the step (from h = sigma, 2^-8 sigma at the last) and the
// relative change of the sums accepted between two levels.
constexpr int32_t max_levels = 9;
constexpr double level_agreement = 1e-9;

// Nodes beyond which a side is cut: 2^-64 of the sum.  Nodes per side and
// level: at df = 0.1 the left side decays as e^(0.1 u) and needs about 450
// steps of sigma; 40000 covers the finest level with room.
constexpr double negligible = 0x1p-64;
constexpr int32_t max_side_nodes = 40000;

// Below |u| = 1/4 the Taylor series of e^(2u) - 1 - 2u; 30 terms take
// (1/2)^n/n! below 2^-64 of the leading term.
constexpr double taylor_from = 0.25;
constexpr int32_t taylor_terms = 30;

// A node's log may exceed the peak's (u* being approximate) by at most this
// much before the sums, scaled by the peak, could overflow.
constexpr double max_excess = 600.0;

constexpr double log2_e = 1.4426950408889634;

// e^(2u) - 1 - 2u without cancellation.
double exp2u_minus_linear(double u)
{
    if (elem_abs(u) < taylor_from) {
        double x = 2.0 * u, term = x * x * 0.5, sum = 0.0;
        for (int32_t n = 3; n < taylor_terms && term != 0.0; ++n) {
            sum += term;
            term *= x / n;
        }
        return sum;
    }
    double e = 2.0 * u > log_max_double ? max_double : exp_fast(2.0 * u);
    return (e - 1.0) - 2.0 * u;
}

// e^u - 1 without cancellation near 0.
double exp_minus_one(double u)
{
    if (elem_abs(u) < 0.5)
        return static_cast<double>(elem_exp2m1_ext(static_cast<long double>(u) * log2_e));
    return exp_fast(u) - 1.0;
}

struct integrand {
    double a;       // df/2
    double k_a;     // K(a)
    double c, d;    // v = c s - d
    double c_minus_d;
};

struct node {
    double g;    // log integrand
    double rho;  // phi(v)/Phi(v)
    double v;
    double s;
};

bool evaluate(const integrand& f, double u, node* out)
{
    double lower, upper, log_phi;
    double v = f.c * exp_minus_one(u) + f.c_minus_d;
    if (normal_log_tails(v, &lower, &upper, &log_phi) != 0)
        return false;
    out->v = v;
    out->s = exp_fast(u);
    out->g = f.k_a - f.a * exp2u_minus_linear(u) + lower;
    double r = log_phi - lower;
    out->rho = r > log_max_double ? max_double : exp_fast(r);
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
        if (!evaluate(f, u0 + i * step, &n))
            return false;
        ++*nodes;
        double excess = n.g - g_ref;
        if (excess > max_excess)
            return false;
        double w = excess < log_min_normal ? 0.0 : exp_fast(excess);
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
        if (!evaluate(f, u, &n))
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
    if (!evaluate(f, u, &peak))
        return 1;
    const double g_ref = peak.g;

    // Level 0: every node u + j sigma; level n adds the midpoints of level n-1.
    sums total{0.0, 0.0, 0.0, 0.0};
    int32_t nodes = 0;
    double step = sigma;
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
    // as the complement of the larger.
    double z0 = t * (1.0 - 0.25 / df) - delta;
    bool lower_smaller = z0 < 0.0;
    int32_t status = integral_of_tail(t, df, delta, lower_smaller, out);
    double small = lower_smaller ? out->log_lower : out->log_upper;
    if (status == 0 && small > -elem_ln2_ext) {
        nct_evaluation other;
        int32_t steps = out->steps;
        if (integral_of_tail(t, df, delta, !lower_smaller, &other) == 0) {
            double other_small = lower_smaller ? other.log_upper : other.log_lower;
            if (other_small < small) {
                *out = other;
                out->steps += steps;
            }
        }
    }
    return status;
}
