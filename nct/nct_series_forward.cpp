// nct_series_forward: the noncentral t distribution for t > 0 by Lenth's
// series (1989, Applied Statistics 38, AS 243) summed forward from j = 0 in
// double precision: for delta >= 0 every tail, slope and density a sum of
// positive terms, for delta < 0 a difference of two such sums where they
// cancel little (opposite_signs).
//
// The series (nct/nct_series.cpp) is
//
//     P(T <= t) = Phi(-delta) + 1/2 sum_m pi_m(lam) I_x(m + 1/2, b),
//     P(T > t)  = 1/2 sum_m pi_m(lam) (1 - I_x(m + 1/2, b)),
//
// m over 0, 1/2, 1, ...: chain A the integers m = j (Poisson weights p_j,
// shapes j + 1/2), chain B the halves m = j + 1/2 (weights q_j summing to
// erf(delta/sqrt 2), shapes j + 1), x = t^2/(t^2 + df), b = df/2,
// lam = delta^2/2.  With the beta terms u_i = I_x(a_i, b) - I_x(a_i + 1, b)
// of a chain (a_i its i-th shape) and S_j = u_0 + ... + u_(j-1),
//
//     1 - I_x(a_j, b) = C_0 + S_j,        C_0 = 1 - I_x(a_0, b),
//     sum_j w_j I_x(a_j, b) = sum_i u_i F_i,   F_i = w_0 + ... + w_i,
//
// (the second by exchanging the sums, I_x(a_j, b) = sum_(i>=j) u_i), so
// that both tails are sums of positive terms from j = 0 on and neither
// needs an incomplete beta ratio at the Poisson mode, where Benton and
// Krishnamoorthy (2003) start: chain B's C_0 = y^b in closed form, chain
// A's 1 - I_x(1/2, b) (the two-sided central t tail) once per (t, df) and
// only when the upper tail is the one wanted.  The slope and the density
// are the sums G = sum_m pi_m u_m and sum_m pi_m (m + 1/2) u_m of
// nct_series.cpp, positive as well:
//
//     -dP/d(delta) = phi(delta) y^b + delta/2 G,
//     f(t) = (1/t) sum_m pi_m (m + 1/2) u_m,
//
// and the curvature follows from these two (nct_curvature).
//
// Precision.  Every sum has positive terms, each formed from the last by
// one or two roundings: the weights are carried as e^lam p_j (1 at
// j = 0), the beta terms from u(1/2) = 2/sqrt(pi) Gamma(b + 1/2)/Gamma(b)
// x^(1/2) y^b and u(1) = b x y^b, formed in extended precision once per
// (t, df).  After n steps a term is good to about n units in the last
// place (n is at most lam + 9.5 sqrt(lam) + 40, some 250 at lam = 128),
// and the tails to as much, with no cancellation to amplify it.
//
// Steps.  A chain's weights have passed their mode at j >= lam; from there
// a direction stops when its latest terms are below 2^-58 of every sum
// they enter (the weights fall faster than geometrically past the mode).
// The lower tail's terms u_i F_i may still be large there, where the beta
// terms peak beyond the Poisson weights (t^2/2 above lam, t above delta):
// if the lower tail is the one wanted, its remainder is summed on with F_i
// at its total until u_i r/(1 - r), r >= u_(i+1)/u_i for every later i,
// is below 2^-58 of the sum.  The smaller tail is formed, the larger is
// its complement; a guess from the normal approximation of nct_integral
// chooses which tail to form first, and the other is formed when the first
// comes out above 1/2.
//
// Domain: the caller's (t, df) prepared by nct_point_prepare with its
// forward_ready set (the series runs at |t|), lam <= nct_series_max_mean.
// 1 where the steps run out (x near 1 with the lower tail wanted: the
// remainder falls as x^i), the complement C_0 is not a normal double, or
// (delta < 0) the chains cancel by more than max_cancellation; the caller
// then takes the series from the mode, or the integral.
//
// Measured: against the integral (nct_integral) at 105513 random points of
// df 0.5 to 2000, |t| <= 12, |delta| <= 15 where it answers, within 1.9e-14
// of the tails' kappa (the worst where delta < 0 and the chains cancel by
// some 60); against the mpmath tables, within 0.003 of 1e-12 kappa.

#include "nct/nct_detail.h"

#include "library/densities.h"
#include "numeric/constants.h"
#include "numeric/elementary.h"
#include "numeric/primitives.h"

namespace {

// Relative size of a term at which a chain stops: 2^-58, five bits below
// the double's rounding.
constexpr double term_tolerance = 0x1p-58;

// Steps of the Poisson part: past the mode (at most nct_series_max_mean)
// the weights fall below 2^-58 within some 9.5 sqrt(lam) < 110 indices;
// 400 covers the whole of it.
constexpr int32_t poisson_steps = 400;

// Steps of the lower tail's remainder: the beta terms fall at least as x^i,
// x = t^2/(t^2 + df); 2000 reach 2^-58 for x up to 0.98 (t = 7 sqrt(df)).
constexpr int32_t remainder_steps = 2000;

// The largest cancellation taken where delta < 0: the sum of a difference's
// parts at most 2^6 times the difference, so that the terms' few units in
// the last place become at most some 2^6 n units of the result (2e-13 at
// n = 30 steps); the upper tails of 95% intervals' limits, near 0.025,
// cancel by about 40.
constexpr double max_cancellation = 0x1p6;

// sqrt(2/pi), the first weight of chain B per unit of delta:
// e^lam q_0 = lam^(1/2)/Gamma(3/2) = delta sqrt(2/pi).
constexpr double sqrt_2_over_pi = 0.79788456080286535588;
// 1/sqrt(2 pi), the normal density at 0.
constexpr double one_over_sqrt_2pi = 0.39894228040143267794;

// The running sums of one chain (all scaled by e^lam).
struct chain {
    double w;      // weight w_j
    double u;      // beta term u_j
    double s;      // S_j
    double f;      // F_j, the sum of the weights so far
    double upper;  // sum w_j S_j (the upper tail less C_0 F)
    double lower;  // sum u_j F_j (the lower tail)
    double g;      // sum w_j u_j
    double d;      // sum w_j (m_j + 1/2) u_j
};

// The ratio u_(j+1)/u_j = (a + b) x/(a + 1) of the shape a = a_j.
inline double beta_ratio(double a, double b, double x) { return (a + b) * x / (a + 1.0); }

// One term of every sum, m_half = m_j + 1/2 of the chain's weight.
inline void add_terms(chain* c, double m_half)
{
    c->f += c->w;
    c->upper += c->w * c->s;
    c->lower += c->u * c->f;
    double g_term = c->w * c->u;
    c->g += g_term;
    c->d += g_term * m_half;
}

// Whether the terms just added (m_half as there) are negligible in every
// sum but the lower tail's.
inline bool quiet(const chain& c, double m_half)
{
    double g_term = c.w * c.u;
    return c.w <= term_tolerance * c.f && c.w * c.s <= term_tolerance * c.upper
        && g_term <= term_tolerance * c.g && g_term * m_half <= term_tolerance * c.d;
}

// The lower tail's remainder sum_(i>=j) u_i F of one chain from u_j on
// (a = a_j), F at its total: bounded by u_j F/(1 - r) with r the largest
// ratio u_(i+1)/u_i to come.  False when the steps run out.
bool lower_remainder(chain* c, double a, double b, double x)
{
    for (int32_t i = 0; i < remainder_steps; ++i) {
        double r = beta_ratio(a, b, x);
        // Every later ratio is below the larger of r and x: they fall toward
        // x for b >= 1 and rise to it below.
        double bound = r > x ? r : x;
        double term = c->u * c->f;
        if (bound < 1.0 && term <= term_tolerance * (1.0 - bound) * c->lower)
            return true;
        c->lower += term;
        c->u *= r;
        a += 1.0;
    }
    return false;
}

// delta < 0: chain B enters every sum with the sign of delta,
//
//     P(T > t) = e^-lam (Q_A - Q_B)/2,
//     -dP/d(delta) = e^-lam (y^b/sqrt(2 pi) + |delta|/2 (G_B - G_A)),
//     f(t) = e^-lam (D_A - D_B)/t,
//
// and the two chains cancel: by about 1/(4 P(T > t)) in the upper tail,
// which is the smaller here (P(T > t) < P(T > 0) = Phi(delta) < 1/2).
// Each difference is taken where the sum of its parts is at most
// max_cancellation times the difference; elsewhere the caller integrates.
int32_t opposite_signs(nct_point* point, double delta, const chain& ca, const chain& cb,
                       nct_evaluation* out)
{
    double c0;
    if (nct_point_complement(point, &c0) != 0)
        return 1;
    const double lam = 0.5 * delta * delta, size = -delta;
    double qa = c0 * ca.f + ca.upper, qb = point->y_b * cb.f + cb.upper;
    double edge = point->y_b * one_over_sqrt_2pi;
    double slope = edge + 0.5 * size * (cb.g - ca.g);
    double slope_parts = edge + 0.5 * size * (cb.g + ca.g);
    double density = ca.d - cb.d;
    if (!(qa - qb > 0.0 && qa + qb <= max_cancellation * (qa - qb) && slope > 0.0
          && slope_parts <= max_cancellation * slope && density > 0.0
          && ca.d + cb.d <= max_cancellation * density))
        return 1;
    double log_q = -elem_ln2_ext - lam + elem_ln(qa - qb);
    if (!(log_q <= -elem_ln2_ext))
        return 1;
    out->log_upper = log_q;
    out->log_lower = log1p_rel(-exp_fast(log_q));
    out->log_slope = elem_ln(slope) - lam;
    out->log_density = elem_ln(density) - lam - point->log_abs_t;
    out->curvature = nct_curvature(point->abs_t, delta, out->log_slope, out->log_density);
    out->method = nct_method_series;
    return 0;
}

}  // namespace

int32_t nct_series_forward(nct_point* point, double delta, nct_evaluation* out)
{
    out->method = nct_method_none;
    out->steps = 0;
    const double lam = 0.5 * delta * delta;
    if (!(point->forward_ready == 1 && delta - delta == 0.0 && lam <= nct_series_max_mean))
        return 1;
    const double size = elem_abs(delta);
    const double x = point->x, b = point->b;

    chain ca{1.0, point->u_half, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0};
    chain cb{size * sqrt_2_over_pi, point->u_one, 0.0, 0.0, 0.0, 0.0, 0.0, 0.0};
    int32_t j = 0;
    bool settled = false;
    for (; j < poisson_steps; ++j) {
        const double jj = j;
        add_terms(&ca, jj + 0.5);
        add_terms(&cb, jj + 1.0);
        bool last = jj >= lam && quiet(ca, jj + 0.5) && quiet(cb, jj + 1.0);
        ca.s += ca.u;
        cb.s += cb.u;
        ca.u *= beta_ratio(jj + 0.5, b, x);
        cb.u *= beta_ratio(jj + 1.0, b, x);
        if (last) {
            settled = true;
            ++j;
            break;
        }
        ca.w *= lam / (jj + 1.0);
        cb.w *= lam / (jj + 1.5);
    }
    out->steps = 2 * j;
    if (!settled)
        return 1;

    if (delta < 0.0)
        return opposite_signs(point, delta, ca, cb, out);

    double log_lower_normal, log_upper_normal, log_phi;
    if (normal_log_tails(-delta, &log_lower_normal, &log_upper_normal, &log_phi) != 0)
        return 1;
    const double log_half = -elem_ln2_ext;
    // P = Phi(-delta) + e^-lam (A + B)/2 from the lower tail's sums, once
    // their remainders are in; Q = e^-lam (C_0 F_A + ... )/2 likewise.
    bool lower_done = false, upper_done = false;
    double log_p = 0.0, log_q = 0.0;
    auto form_lower = [&]() -> bool {
        // j is the index of the next beta terms: shapes j + 1/2 and j + 1.
        if (!lower_remainder(&ca, j + 0.5, b, x) || !lower_remainder(&cb, j + 1.0, b, x))
            return false;
        log_p = nct_log_add(log_lower_normal, log_half - lam + elem_ln(ca.lower + cb.lower));
        lower_done = true;
        return true;
    };
    auto form_upper = [&]() -> bool {
        double c0;
        if (nct_point_complement(point, &c0) != 0)
            return false;
        log_q = log_half - lam + elem_ln(c0 * ca.f + ca.upper + point->y_b * cb.f + cb.upper);
        upper_done = true;
        return true;
    };
    // The normal approximation's guess of the larger tail (nct_integral).
    bool lower_larger = point->abs_t * (1.0 - 0.25 / point->df) - delta > 0.0;
    const double minus_log_2 = -elem_ln2_ext;
    if (lower_larger) {
        if (!form_upper())
            return 1;
        if (log_q > minus_log_2 && !form_lower())
            return 1;
    } else {
        if (!form_lower())
            return 1;
        if (log_p > minus_log_2 && !form_upper())
            return 1;
    }
    if (lower_done && upper_done) {
        // Both formed: the smaller is taken, the larger its complement.
        if (log_p < log_q)
            upper_done = false;
        else
            lower_done = false;
    }
    if (lower_done) {
        if (!(log_p <= minus_log_2))
            return 1;
        log_q = log1p_rel(-exp_fast(log_p));
    } else {
        if (!(log_q <= minus_log_2))
            return 1;
        log_p = log1p_rel(-exp_fast(log_q));
    }

    double slope = point->y_b * one_over_sqrt_2pi + 0.5 * delta * (ca.g + cb.g);
    out->log_lower = log_p;
    out->log_upper = log_q;
    out->log_slope = elem_ln(slope) - lam;
    out->log_density = elem_ln(ca.d + cb.d) - lam - point->log_abs_t;
    out->curvature = nct_curvature(point->abs_t, delta, out->log_slope, out->log_density);
    out->method = nct_method_series;
    return 0;
}
