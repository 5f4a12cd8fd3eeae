// nct_far_tail: the tail of the noncentral t distribution beyond a t far
// from the origin, where it falls as |t|^-df, as an integral over the normal.
//
// T <= t < 0 where Z + delta = -w <= 0 and S <= w/|t|, and T > t > 0 where
// Z + delta = w > 0 and S < w/t, so that the tail beyond t (away from 0) is
//
//     T_far(t) = int_0^inf phi(w - d) G(w/|t|) dw,   d = delta sign(t),
//
// G(s) = P(S <= s) = P(a, a s^2) the chi scale's distribution function
// (P(a, x) the regularized lower incomplete gamma function, a = df/2).  By
// parts against phi (G(0) = 0), with g_S = G' and g_S(s) s = 2a x^a e^-x/
// Gamma(a + 1), x = a w^2/t^2:
//
//     -dP/d(delta) = int phi(w - d) g_S(w/|t|)/|t| dw
//                  = 2a int phi(w - d) x^a e^-x/(Gamma(a + 1) w) dw,
//     f(t)         = int phi(w - d) g_S(w/|t|) w/t^2 dw
//                  = (2a/|t|) int phi(w - d) x^a e^-x/Gamma(a + 1) dw,
//
// and P(a, x) = x^a e^-x/Gamma(a + 1) M(1, a + 1, x), Kummer's series
// M(1, a + 1, x) = 1 + x/(a + 1) + x^2/((a + 1)(a + 2)) + ... (Abramowitz
// and Stegun 6.5.29, 13.1.2).  Every integrand is positive and is written in
// logarithms, x^a as e^(a ln a + 2a u - 2a ln|t|) with u = ln w, so that
// nothing underflows however far out t lies (up to the largest double).
//
// Where it is taken (first, by nct_evaluate, wherever it reaches): the chi
// scale's integral (nct_integral) meets far out a
// plateau of the chi scale's density s^(df-1) ending at s = d/|t| in the
// normal tail's edge (its nodes run out at small df), and the series its
// argument x = t^2/(t^2 + df) rounded to 1; this integral has neither.  It
// runs where a w^2/t^2 <= 1/2 over every node that counts (w up to the peak plus
// 40, where phi has fallen below e^-800): Kummer's series then falls at
// least by half a term, and T_far is taken only up to 1/2 (the other tail,
// its complement, then keeps its digits).
//
// The rule: the trapezoidal rule in u on the whole line (Trefethen and
// Weideman 2014, SIAM Review 56, 385-458), about the peak of
// e^u phi(e^u - d) e^(2a u), w* = (d + sqrt(d^2 + 4(2a + 1)))/2, whose
// curvature (2 w* - d) w* sets the first step, 1/2 of its sigma; the step
// is halved until the three sums agree to 1e-9 from one level to the next
// (the finer then good to about the square of that), each side of a level
// stopping where two successive nodes fall below 2^-64 of every sum.

#include "nct/nct_detail.h"

#include "library/log_complement.h"
#include "numeric/constants.h"
#include "numeric/elementary.h"
#include "numeric/primitives.h"

namespace {

// x = a w^2/t^2 at most 1/2 up to w* + 40: the terms of Kummer's series
// fall by x/(a + k + 1) < 1/2, so that 64 of them reach 2^-64 of the sum
// (a node beyond the reach, where phi is below e^-800, may stop short).
constexpr double largest_argument = 0.5;
constexpr double normal_reach = 40.0;
constexpr int32_t kummer_terms = 64;
constexpr double kummer_settled = 0x1p-64;

// The first step in units of sigma, the halvings, the agreement between
// levels, the negligible node and the nodes per side and level (the left
// side of the slope's integrand falls as e^(df u): at df = 0.1 some 450
// units of u, 2600 nodes at the first step, 21000 at the third).
constexpr double first_step = 0.5;
constexpr int32_t max_levels = 8;
constexpr double level_agreement = 1e-9;
constexpr double negligible = 0x1p-64;
constexpr int32_t max_side_nodes = 200000;

// A node's log may exceed the peak's by this much before the scaled sums
// could overflow.
constexpr double max_excess = 600.0;

struct far_integrand {
    double a;         // df/2
    double d;         // delta sign(t)
    double constant;  // a ln a - 2a ln|t| - ln Gamma(a + 1) - ln sqrt(2 pi)
    double inv_t2;    // a/t^2, x per unit of w^2
};

struct far_sums {
    double tail, slope, density;
};

// The three integrands at u relative to e^g_ref: tail e^(b + u) M,
// slope e^b, density e^(b + u), b = ln(phi(w - d) x^a e^-x/Gamma(a + 1)).
// False where a node would overflow the scaled sums.
bool far_node(const far_integrand& f, double u, double g_ref, far_sums* out)
{
    double w = exp_fast(u);
    double x = f.inv_t2 * w * w;
    double z = w - f.d;
    double b = f.constant + 2.0 * f.a * u - 0.5 * z * z - x - g_ref;
    if (b + u > max_excess)
        return false;
    double kummer = 1.0, term = 1.0;
    for (int32_t k = 1; k <= kummer_terms && term > kummer_settled * kummer; ++k) {
        term *= x / (f.a + k);
        kummer += term;
    }
    double eb = b < log_min_normal ? 0.0 : exp_fast(b);
    double ebu = b + u < log_min_normal ? 0.0 : exp_fast(b + u);
    out->tail = ebu * kummer;
    out->slope = eb;
    out->density = ebu;
    return true;
}

bool far_walk(const far_integrand& f, double g_ref, double u0, double step, far_sums* total,
              int32_t* nodes)
{
    int32_t small = 0;
    for (int32_t i = 0; i < max_side_nodes; ++i) {
        far_sums n;
        if (!far_node(f, u0 + i * step, g_ref, &n))
            return false;
        ++*nodes;
        total->tail += n.tail;
        total->slope += n.slope;
        total->density += n.density;
        if (n.tail <= negligible * total->tail && n.slope <= negligible * total->slope
            && n.density <= negligible * total->density) {
            if (++small == 2)
                return true;
        } else {
            small = 0;
        }
    }
    return false;
}

bool far_agree(double fine, double coarse)
{
    return elem_abs(fine - coarse) <= level_agreement * elem_abs(fine);
}

}  // namespace

int32_t nct_far_tail(double t, double df, double delta, nct_evaluation* out)
{
    out->method = nct_method_none;
    out->steps = 0;
    if (!(t != 0.0 && t - t == 0.0 && df > 0.0 && df <= nct_max_df && delta - delta == 0.0))
        return 1;
    far_integrand f;
    f.a = 0.5 * df;
    f.d = t > 0.0 ? delta : -delta;
    const double abs_t = elem_abs(t), log_t = elem_ln(abs_t);
    const double k = 2.0 * f.a + 1.0;
    const double root = elem_sqrt(f.d * f.d + 4.0 * k);
    // w* without cancellation for either sign of d.
    const double peak_w = f.d >= 0.0 ? 0.5 * (f.d + root) : 2.0 * k / (root - f.d);
    const double reach = (peak_w > f.d ? peak_w : f.d) + normal_reach;
    // x at the reach, formed so that t^2 cannot overflow.
    const double reach_ratio = reach / abs_t;
    if (!(f.a * reach_ratio * reach_ratio <= largest_argument))
        return 1;
    f.inv_t2 = f.a / abs_t / abs_t;
    f.constant = f.a * elem_ln(f.a) - 2.0 * f.a * log_t - log_gamma(f.a + 1.0) - ln_sqrt_2pi;
    const double u = elem_ln(peak_w);
    const double sigma = 1.0 / elem_sqrt((2.0 * peak_w - f.d) * peak_w);
    const double zp = peak_w - f.d;
    const double g_ref = f.constant + k * u - 0.5 * zp * zp;

    far_sums total{0.0, 0.0, 0.0};
    int32_t nodes = 0;
    double step = first_step * sigma;
    if (!far_walk(f, g_ref, u, step, &total, &nodes) || !far_walk(f, g_ref, u - step, -step, &total, &nodes))
        return 1;
    far_sums previous{step * total.tail, step * total.slope, step * total.density};
    bool settled = false;
    for (int32_t level = 1; level < max_levels && !settled; ++level) {
        double half = 0.5 * step;
        if (!far_walk(f, g_ref, u + half, step, &total, &nodes)
            || !far_walk(f, g_ref, u - half, -step, &total, &nodes))
            return 1;
        step = half;
        far_sums now{step * total.tail, step * total.slope, step * total.density};
        settled = far_agree(now.tail, previous.tail) && far_agree(now.slope, previous.slope)
               && far_agree(now.density, previous.density);
        previous = now;
    }
    out->steps = nodes;
    if (!settled || !(previous.tail > 0.0 && previous.slope > 0.0 && previous.density > 0.0))
        return 1;
    const double log_far = g_ref + elem_ln(previous.tail);
    if (!(log_far <= -elem_ln2_ext))
        return 1;
    const double log_near = log_far < log_min_normal ? -0.0 : log_complement(log_far);
    const double log_two_a = elem_ln(2.0 * f.a);
    out->log_lower = t < 0.0 ? log_far : log_near;
    out->log_upper = t < 0.0 ? log_near : log_far;
    out->log_slope = g_ref + log_two_a + elem_ln(previous.slope);
    out->log_density = g_ref + log_two_a - log_t + elem_ln(previous.density);
    out->curvature = nct_curvature(t, delta, out->log_slope, out->log_density);
    out->method = nct_method_far_tail;
    return 0;
}
