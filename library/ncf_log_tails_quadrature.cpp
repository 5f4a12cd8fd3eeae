// ncf_log_tails_quadrature: ln P(F' <= x), ln P(F' > x) and the
// derivatives in the noncentrality of the noncentral F distribution for
// large Poisson means, by the trapezoidal rule over the continuous index of
// the Poisson sum, at a cost independent of the noncentrality.
//
// With a = df1/2, b = df2/2, Poisson mean mu = ncp/2, x' the beta argument,
// the beta terms u_m = I_x'(a+m, b) - I_x'(a+m+1, b) = x'^(a+m) y'^b /
// ((a+m) B(a+m, b)), the Poisson weights p_m and their distribution
// function F(m), summation by parts turns the Poisson sum sum_m p_m I_m
// into
//
//     P = sum_(m>=0) u_m F(m),   Q = (1 - I_x'(a, b)) + sum_(m>=0) u_m (1 - F(m)),
//
// and the derivatives in mu into the moments of t_m = u_m p_m about mu,
// T0 = sum t_m, M1 = sum (m - mu) t_m, M2 = sum (m - mu)^2 t_m:
// dP/dmu = -T0, and the curvature and torsion as in ncf_poisson_sum.h
// (ncf_moment_ratios), halved and quartered for ncp = 2 mu.
//
// Every summand is an analytic function of a real index t:
// u(t) = x'^(a+t) y'^b / ((a+t) B(a+t, b)), p(t) = e^-mu mu^t / Gamma(t+1)
// (the gamma density of shape t+1 at mu) and F(t) = Q(t+1, mu) (the
// regularized upper incomplete gamma function), with no singularity near
// the real axis where the summands have their mass (those of the gamma
// functions lie at t <= -1 and t <= -a).  By Poisson's summation formula the
// sum over the integers equals the integral over t to within the summand's
// Fourier transform at 2 pi: for a summand exp(phi(t)) that is Gaussian to
// within an imaginary shift d of its width w, |g(t + i d)| ~ g(t)
// e^(d^2/(2 w^2)), so the error is about exp(-2 pi d + d^2/(2 w^2)); with
// d = 2 w that is exp(-4 pi w + 2), 6e-21 at w = 4 (aliasing_width).
// The integral is taken by the trapezoidal rule, whose error for the same
// summand with step h is about exp(-2 pi d/h + d^2/(2 w^2)): with
// h <= w/3 and d = 3 w, exp(-18 pi + 4.5) = 4e-23.  The nodes run outward
// from the peak until every sum's terms have fallen below e^-45 (2.9e-20)
// of its largest: some 55 nodes for Gaussian terms, whatever ncp.  As
// measured (means 5e4 to 5e6, df2 from 1000): 60 to 400 us a call, the
// tail sums running past t's nodes; cheaper than the extended sum from a
// mean of about 5e6 on, dearer than the double sum below it.
//
// Not served yet: beta terms far wider than the weights (a small df2 or
// x' near 1), where the kept tail's terms decay on u's scale, thousands of
// steps of the grid: the node limit refuses them.
//
// The width.  The narrowest summand is t(t) = u(t) p(t): ln u and ln F are
// no more sharply curved than ln u and ln p (the Poisson distribution
// function is log-concave with a log-curvature below the weights'), so its
// width w serves all four sums.  Its peak t* solves
// d/dt ln u + d/dt ln p = 0 with the digammas replaced by logarithms,
//
//     (a + t)(t + 1/2) = x' mu (a + b + t),
//
// and 1/w^2 = -(ln t)'' ~ b/((a + t)(a + b + t)) + 1/(t + 1).  These steer
// the grid only: the nodes run on until the terms are negligible, wherever
// the peak truly lies.  The nodes are integers (t* rounded, a step a power
// of two at least 1), so that the shape t + 1 of p and F is exact.
//
// The terms.  ln u is Stirling's form of the beta density
// (beta_log_density_stirling: -(a+t) D(.) - b D(.) and small terms, free of
// cancellation) for both shapes from 15, else the direct sum with
// log_beta_extended (whose terms are then below about 15 ln(a + t));
// ln F, ln(1 - F) and ln p come together from gamma_inc_log (Temme's
// uniform expansion with its exponent s D(.) for shapes from 100 within
// 0.3 of mu, its fractions and series elsewhere).  Each is good to a few
// units of 2^-53 relative to its own logarithm; the dominant error is that
// of the node a + t in double, whose rounding (2^-53 (a + t)) moves ln u by
// its slope, sqrt(2 V/(a + t)) for a term e^-V: sqrt(2 V (a + t)) 2^-53 in
// all, the same as the rounding of x' itself moves the exact P, and so, as
// a move of the root, some 2^-53 kappa relative.
//
// The tails.  Each sum decays on one side by its distribution function
// (P's below the peak, Q's above) and on the other by u.  Both are summed;
// the one whose terms fall below the threshold at both ends of the grid is
// complete, and the smaller complete tail is kept, the other formed as
// ln(1 - e^w).  A sum whose running value passes 1/2 is the larger and is
// not followed further.  1 - I_x'(a, b) comes from beta_inc_log, only where
// Q is the tail kept.
//
// Refusals (status 1), where the Poisson sum itself must serve: ncp <= 0
// or a Poisson mean below min_poisson_mean;
// arguments outside df1, df2 in (2^-20, 2147483647], x > 0; a width below
// aliasing_width or a peak not beyond it from t = 0; a sum whose terms are
// not negligible at the last node at or above t = 0 (the sum over m >= 0
// then differs from the integral by about half the term at 0); more than
// node_limit nodes on a side; no tail complete, or a complete one whose
// complement would lie below 1/16 (min_complement); a failed incomplete
// gamma or beta ratio.

#include "library/ncf_log.h"

#include "library/beta_log.h"
#include "library/gamma.h"
#include "library/log_complement.h"
#include "ncf/ncf_detail.h"
#include "ncf/ncf_poisson_sum.h"
#include "numeric/constants.h"
#include "numeric/elementary.h"
#include "numeric/log_extended.h"
#include "numeric/primitives.h"

namespace {

// The narrowest summand width (in the index) the integral replaces the sum
// at: 4, where the aliasing error is about exp(-4 pi w + 2) = 6e-21.
constexpr double aliasing_width = 4.0;

// The smallest Poisson mean taken: 1e4, where the summands' widths of
// sqrt(mu) and more are far past the aliasing limit and gamma_inc_log takes
// Temme's expansion across them.  Below it the routine was not studied: at
// a mean of 187 (df1 1.26, df2 285, an upper tail) one tail came out 2e-10
// off.
constexpr double min_poisson_mean = 1e4;

// Nodes per width: the step is the power of two at or below w/3.
constexpr double nodes_per_width = 3.0;

// A term below e^-45 = 2.9e-20 of its sum's largest is negligible: the
// terms beyond it fall off at least geometrically (the summands are
// log-concave out there), so what is left out stays below 1e-19.
constexpr double log_negligible = -45.0;

// The most nodes on either side of the peak: 400, seven times the 27 of a
// Gaussian summand, for the slowly decaying side of a wide u.
constexpr int32_t node_limit = 400;

// The smallest tail formed as the complement of the other: 1/16, so that
// ln(1 - e^w) loses at most four bits of the complete tail's accuracy.
constexpr double log_min_complement = -2.772588722239781;  // ln(1/16)

// A sum of terms e^(ref) (sum), kept relative to its largest term.
struct scaled_sum {
    double ref;   // ln of the largest term so far
    double sum;   // the terms over e^ref
    double m1;    // (t - mu) times the terms, over e^ref (the moments' sum)
    double m2;    // (t - mu)^2 times the terms, over e^ref
    bool active;  // followed on: not yet known to be the larger tail
};

void add_term(scaled_sum* s, double term, double d)
{
    double w;
    if (term > s->ref) {
        const double scale = exp_fast(s->ref - term);
        s->sum *= scale;
        s->m1 *= scale;
        s->m2 *= scale;
        s->ref = term;
        w = 1.0;
    } else {
        w = exp_fast(term - s->ref);
    }
    s->sum += w;
    s->m1 += w * d;
    s->m2 += w * d * d;
}

bool negligible(const scaled_sum& s, double term) { return term - s.ref < log_negligible; }

// ln u(t) with A = a + t.
double log_beta_term(double big_a, double b, double xp, double yp, long double ln_x,
                     long double ln_y)
{
    uint16_t saved = elem_extended_begin();
    long double v;
    if (big_a >= stirling_from && b >= stirling_from)
        v = beta_log_density_stirling(xp, yp, ln_x, ln_y, big_a, b) + ln_x + ln_y
            - elem_ln_table_ext(big_a);
    else
        v = big_a * ln_x + b * ln_y - elem_ln_table_ext(big_a) - log_beta_extended(big_a, b);
    elem_extended_hold(v);
    elem_extended_end(saved);
    return static_cast<double>(v);
}

struct node_values {
    double log_p_term, log_q_term, log_t_term;
};

// The three summands' logs at the index t.
int32_t node_at(double t, double a, double b, double mu, double xp, double yp, long double ln_x,
                long double ln_y, node_values* out)
{
    const double log_u = log_beta_term(a + t, b, xp, yp, ln_x, ln_y);
    gamma_log_record g{};
    g.x = mu;
    g.shape = t + 1.0;
    if (gamma_inc_log(&g) != 0)
        return 1;
    // F(t) = Q(t + 1, mu), 1 - F(t) = P(t + 1, mu), p(t) the density.
    *out = node_values{log_u + g.log_upper, log_u + g.log_lower, log_u + g.log_density};
    return 0;
}

double log_of_sum(const scaled_sum& s, double h) { return s.ref + elem_ln(h * s.sum); }

}  // namespace

int32_t ncf_log_tails_quadrature(double x, double df1, double df2, double ncp, double* log_lower,
                                 double* log_upper, ncf_log_slopes* slopes)
{
    if (!(x > 0.0 && ncp > 0.0 && df1 > ncf_log_tails_min_degrees
          && df2 > ncf_log_tails_min_degrees && df1 <= int32_max_double
          && df2 <= int32_max_double && ncp <= max_double))
        return 1;
    const double a = 0.5 * df1, b = 0.5 * df2, mu = 0.5 * ncp;
    if (!(mu >= min_poisson_mean))
        return 1;
    double xp, yp;
    ncf_beta_argument(x, df1, df2, &xp, &yp);
    if (!(xp > 0.0 && yp > 0.0))
        return 1;
    uint16_t saved = elem_extended_begin();
    long double ln_x = xp > 0.5 ? log_one_minus_extended(yp) : elem_ln_table_ext(xp);
    long double ln_y = yp > 0.5 ? log_one_minus_extended(xp) : elem_ln_table_ext(yp);
    elem_extended_hold(ln_x);
    elem_extended_hold(ln_y);
    elem_extended_end(saved);

    // The peak of u p: t^2 + B t + C = 0, the root taken without cancellation.
    const double xm = xp * mu;
    const double bq = a + 0.5 - xm, cq = 0.5 * a - xm * (a + b);
    const double disc = bq * bq - 4.0 * cq;
    if (!(disc >= 0.0 && cq < 0.0))
        return 1;
    const double root = elem_sqrt(disc);
    const double peak = bq < 0.0 ? 0.5 * (root - bq) : -2.0 * cq / (bq + root);
    const double curvature = b / ((a + peak) * (a + b + peak)) + 1.0 / (peak + 1.0);
    const double width = 1.0 / elem_sqrt(curvature);
    if (!(width >= aliasing_width && peak >= aliasing_width * width && peak < 0x1p52))
        return 1;
    int32_t exponent;
    scale_exponent(width / nodes_per_width, &exponent);
    const double h = elem_pow2(exponent - 1);  // the power of two at or below w/3
    const double centre = elem_floor(peak + 0.5);

    node_values v;
    if (node_at(centre, a, b, mu, xp, yp, ln_x, ln_y, &v) != 0)
        return 1;
    scaled_sum sp{v.log_p_term, 1.0, 0.0, 0.0, true};
    scaled_sum sq{v.log_q_term, 1.0, 0.0, 0.0, true};
    scaled_sum st{v.log_t_term, 1.0, centre - mu, (centre - mu) * (centre - mu), true};
    // Whether each sum's last term on each side was negligible.
    bool p_closed[2] = {false, false}, q_closed[2] = {false, false};
    for (int side = 0; side < 2; ++side) {
        const double step = side == 0 ? -h : h;
        bool t_done = false;
        int32_t n = 0;
        double other_last = side == 0 ? sq.ref : sp.ref;
        for (;;) {
            const double t = centre + (n + 1) * step;
            if (t < 0.0)
                break;  // the sums' ends at the last node are judged below
            if (++n > node_limit)
                return 1;
            if (node_at(t, a, b, mu, xp, yp, ln_x, ln_y, &v) != 0)
                return 1;
            const double d = t - mu;
            add_term(&st, v.log_t_term, d);
            add_term(&sp, v.log_p_term, 0.0);
            add_term(&sq, v.log_q_term, 0.0);
            t_done = negligible(st, v.log_t_term);
            p_closed[side] = negligible(sp, v.log_p_term);
            q_closed[side] = negligible(sq, v.log_q_term);
            // Each side closes the tail its distribution function cuts
            // off (P below the peak, Q above).  Past that and t's end the
            // other tail is followed while its terms fall; one still rising
            // has its mass beyond (u's bulk) and is the larger tail, and a
            // tail past 1/2 is the larger too: neither is followed further.
            scaled_sum& own = side == 0 ? sp : sq;
            scaled_sum& other = side == 0 ? sq : sp;
            const bool own_closed = side == 0 ? p_closed[side] : q_closed[side];
            const bool other_closed = side == 0 ? q_closed[side] : p_closed[side];
            const double other_term = side == 0 ? v.log_q_term : v.log_p_term;
            if (other.active && !other_closed
                && ((t_done && own_closed && other_term > other_last)
                    || log_of_sum(other, h) > -elem_ln2_ext))
                other.active = false;
            other_last = other_term;
            if (t_done && (own_closed || !own.active) && (other_closed || !other.active))
                break;
        }
        if (!t_done)
            return 1;
    }
    const bool p_complete = sp.active && p_closed[0] && p_closed[1];
    const bool q_complete = sq.active && q_closed[0] && q_closed[1];

    double lp = 0.0, lq = 0.0;
    bool lower_kept = true;
    if (p_complete) {
        lp = log_of_sum(sp, h);
        lower_kept = true;
    }
    if (q_complete) {
        // Q adds the central upper tail 1 - I_x'(a, b).
        beta_log_record r{};
        r.x = xp;
        r.a = a;
        r.b = b;
        if (beta_inc_log(&r) != 0)
            return 1;
        const double ls = log_of_sum(sq, h);
        const double hi = ls > r.log_upper ? ls : r.log_upper;
        const double lo = ls > r.log_upper ? r.log_upper : ls;
        lq = hi + log1p_rel(exp_fast(lo - hi));
        lower_kept = p_complete && lp <= lq;
    }
    if (!p_complete && !q_complete)
        return 1;
    // The other tail as the complement of the kept one: where that one is
    // the larger (the other incomplete), only down to min_complement.
    if (lower_kept) {
        lq = log_complement(lp);
        if (!(lq >= log_min_complement) && !q_complete)
            return 1;
    } else {
        lp = log_complement(lq);
        if (!(lp >= log_min_complement) && !p_complete)
            return 1;
    }
    *log_lower = lp;
    *log_upper = lq;

    const ncf_sum_moments<double> m{st.sum, st.m1, st.m2};
    double c, s;
    ncf_moment_ratios(m, mu, &c, &s);
    slopes->log_descent = log_of_sum(st, h) - static_cast<double>(elem_ln2_ext);
    slopes->curvature = 0.5 * c;
    slopes->torsion = 0.25 * s;
    return 0;
}
