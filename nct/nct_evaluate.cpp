// nct_evaluate: one evaluation of the noncentral t distribution, both tails,
// the slope and curvature in delta and the density, by the method that
// suits (t, df, delta).
//
// Reflection.  -T has the noncentral t law with -delta, so
//     P(T <= t; delta) = P(T >= -t; -delta),   f(t; delta) = f(-t; -delta),
//     dP/d(delta) at (t, delta) = dP/d(delta) at (-t, -delta),
// the curvature changing sign with the tails.  A negative delta is reflected
// to a positive one first.
//
// Then, with delta >= 0:
//   t = 0:  P = Phi(-delta), -dP/d(delta) = phi(delta), curvature delta, and
//           f(0) = phi(delta) E[S], E[S] = Gamma(a + 1/2)/(Gamma(a) sqrt a),
//           a = df/2;
//   t > 0 and delta^2/2 <= nct_series_max_mean:  the series summed forward
//           from j = 0 in double precision (nct_series_forward), whose
//           terms are all positive there; where it cannot answer, the
//           series from the Poisson mode in extended precision (nct_series);
//   t < 0 and delta^2/2 <= nct_series_max_mean:  the forward series at
//           (-t, -delta), where its chains cancel, if they cancel little
//           (by at most 2^6: the limits of ordinary intervals);
//   otherwise (a large noncentrality, where a sum would take some
//           sqrt(lam) steps per chain, a cancellation beyond that, or a
//           series that did not settle):  the integral over the chi scale
//           (nct_integral);
//   t > 0 with a large noncentrality where the integral does not settle:
//           the series from the mode after all, whose terms are all
//           positive there.  At small df (below about 1/2) with large
//           delta and t, the integrand in ln s is a plateau of some 6 units
//           (the chi scale's density, nearly flat there) ending in the
//           normal tail's edge of width 1/delta, which the step set by the
//           peak's curvature does not resolve; the series needs no step.
//
// The quantities of one (t, df) that every evaluation shares (the series'
// argument and start terms, and the one incomplete beta ratio it may need)
// are formed once per point (nct_point_prepare): a search in delta
// evaluates at one point (nct_evaluate_at).

#include "nct/nct_detail.h"

#include "library/densities.h"
#include "numeric/constants.h"
#include "numeric/elementary.h"
#include "numeric/exp2_split.h"
#include "numeric/primitives.h"

namespace {

// Terms of the series of log_gamma_half_ratio_root.
constexpr int32_t half_ratio_terms = 24;

int32_t origin(double df, double delta, nct_evaluation* out)
{
    double lower, upper, log_phi;
    if (normal_log_tails(-delta, &lower, &upper, &log_phi) != 0)
        return 1;
    out->log_lower = lower;
    out->log_upper = upper;
    out->log_slope = log_phi;
    out->curvature = delta;
    double a = 0.5 * df;
    out->log_density = log_phi + log_gamma_half_ratio_root(a);
    out->method = nct_method_origin;
    out->steps = 0;
    return 0;
}

// The rounding of a tail given in logarithms, per unit of |ln T| + 1: a few
// units in the last place.
constexpr double log_noise = 0x1p-50;

// The smallest start term the forward series takes, 2^-900: its products
// with the weights (at least e^-128 = 2^-184.7 of the largest) and with the
// stopping tolerance stay normal doubles.
constexpr double least_start_term = 0x1p-900;

// ln(2/sqrt(pi)) = -ln Gamma(3/2), the constant of the forward series' first
// beta term u(1/2) = x^(1/2) y^b/((1/2) B(1/2, b))
//                  = (2/sqrt(pi)) Gamma(b + 1/2)/Gamma(b) x^(1/2) y^b.
constexpr long double ln_two_over_sqrt_pi = 0.1207822376352452223455184457816472122519L;

long double exp_extended(long double w)
{
    return exp2_split_ext(w * elem_log2_e_ext);
}

}  // namespace

void nct_point_prepare(double t, double df, nct_point* point)
{
    point->t = t;
    point->df = df;
    point->abs_t = elem_abs(t);
    point->log_abs_t = 0.0;
    point->forward_ready = 0;
    point->complement_state = 0;
    point->complement = 0.0;
    point->x = point->y = point->b = point->u_half = point->u_one = point->y_b = 0.0;
    if (!(point->abs_t > 0.0 && point->abs_t <= max_double && df > 0.0 && df <= nct_max_df))
        return;
    point->log_abs_t = elem_ln(point->abs_t);
    uint16_t precision = elem_extended_begin();
    nct_beta_argument arg;
    if (nct_beta_argument_of(point->abs_t, df, &arg) == 0) {
        const double b = 0.5 * df;
        long double log_y_b = b * arg.ln_y;
        long double log_u_half = ln_two_over_sqrt_pi + 0.5L * (arg.ln_x + elem_ln_table_ext(b))
                               + log_y_b + log_gamma_half_ratio_root(b);
        long double log_u_one = elem_ln_table_ext(b) + arg.ln_x + log_y_b;
        point->x = arg.x;
        point->y = arg.y;
        point->b = b;
        point->y_b = static_cast<double>(exp_extended(log_y_b));
        point->u_half = static_cast<double>(exp_extended(log_u_half));
        point->u_one = static_cast<double>(exp_extended(log_u_one));
        point->forward_ready = point->y_b >= least_start_term && point->u_half >= least_start_term
                            && point->u_one >= least_start_term;
    }
    elem_extended_end(precision);
}

int32_t nct_point_complement(nct_point* point, double* out)
{
    if (point->complement_state == 0) {
        double log_i, log_j;
        point->complement_state = 2;
        if (nct_beta_ratio_logs(point->x, point->y, 0.5, point->b, &log_i, &log_j) == 0
            && log_j >= log_min_normal) {
            point->complement = exp_fast(log_j);
            point->complement_state = 1;
        }
    }
    *out = point->complement;
    return point->complement_state == 1 ? 0 : 1;
}

double nct_curvature(double t, double delta, double log_slope, double log_density)
{
    return delta - t * nct_exp_bounded(log_density - log_slope);
}

double nct_exp_bounded(double w)
{
    if (w > log_max_double)
        return max_double;
    return w < log_min_normal ? 0.0 : exp_fast(w);
}

void nct_halley_sample(double log_tail, double log_q, double sign, double r1, double r2, double r3,
                       halley_sample* out)
{
    double l1, l2, l3;
    log_derivatives(r1, r2, r3, &l1, &l2, &l3);
    *out = halley_sample{sign * (log_tail - log_q), sign * l1, sign * l2, sign * l3,
                         log_noise * (1.0 + elem_abs(log_tail)), 0};
}

double nct_log_add(double u, double v)
{
    double m = u > v ? u : v, s = u > v ? v : u;
    if (!(m > -max_double))
        return m;
    return m + log1p_rel(nct_exp_bounded(s - m));
}

double nct_log_subtract(double u, double v)
{
    if (!(v > -max_double))
        return u;
    double r = nct_exp_bounded(v - u);
    return r >= 1.0 ? -max_double : u + log1p_rel(-r);
}

double nct_exp_of_log(double w)
{
    return w <= -max_double ? 0.0 : exp_fast(w);
}

double log_gamma_half_ratio_root(double a)
{
    if (a >= stirling_from) {
        // Stirling's series of both gammas: ln Gamma(a + 1/2) - ln Gamma(a)
        // - ln(a)/2 = a ln(1 + e) - 1/2 + corr(a + 1/2) - corr(a), e = 1/(2a),
        // and a ln(1 + e) - 1/2 = sum_k>=1 (-1)^k e^k / (2 (k + 1)), summed
        // from the smallest term (e <= 1/30: 24 terms reach 2^-118).
        double e = 0.5 / a, sum = 0.0;
        for (int32_t k = half_ratio_terms; k >= 1; --k)  // Horner's rule in e
            sum = e * ((k % 2 == 0 ? 0.5 : -0.5) / (k + 1) + sum);
        return sum + (lgamma_corr(a + 0.5) - lgamma_corr(a));
    }
    return log_gamma(a + 0.5) - log_gamma(a) - 0.5 * elem_ln(a);
}

int32_t nct_evaluate(double t, double df, double delta, nct_evaluation* out)
{
    nct_point point;
    nct_point_prepare(t, df, &point);
    return nct_evaluate_at(&point, delta, out);
}

int32_t nct_evaluate_at(nct_point* point, double delta, nct_evaluation* out)
{
    double t = point->t, df = point->df;
    out->method = nct_method_none;
    out->steps = 0;
    if (!(df > 0.0) || !(delta - delta == 0.0) || t != t)
        return 1;
    if (t - t != 0.0) {
        // t = -inf or +inf: the limits, no slope, no density.
        out->log_lower = t > 0.0 ? 0.0 : -max_double;
        out->log_upper = t > 0.0 ? -max_double : 0.0;
        out->log_slope = -max_double;
        out->curvature = 0.0;
        out->log_density = -max_double;
        out->method = nct_method_origin;
        return 0;
    }
    if (df - df != 0.0) {
        // df = +inf: T is normal with mean delta and unit variance.
        double lower, upper, log_phi;
        if (normal_log_tails(t - delta, &lower, &upper, &log_phi) != 0)
            return 1;
        out->log_lower = lower;
        out->log_upper = upper;
        out->log_slope = log_phi;
        out->curvature = t - delta;
        out->log_density = log_phi;
        out->method = nct_method_origin;
        return 0;
    }
    if (!(df <= nct_max_df))
        return 1;
    bool reflected = delta < 0.0 || (delta == 0.0 && t < 0.0);
    if (reflected) {
        t = -t;
        delta = -delta;
    }
    int32_t status;
    if (t == 0.0) {
        status = origin(df, delta, out);
    } else {
        status = 1;
        if (t > 0.0 && 0.5 * delta * delta <= nct_series_max_mean) {
            status = nct_series_forward(point, delta, out);
            if (status != 0)
                status = nct_series(t, df, delta, out);
        } else if (0.5 * delta * delta <= nct_series_max_mean) {
            // t < 0 < delta: the series at (-t, -delta), where the chains
            // cancel, where they cancel little; its tails swap back.
            status = nct_series_forward(point, -delta, out);
            if (status == 0) {
                double lower = out->log_lower;
                out->log_lower = out->log_upper;
                out->log_upper = lower;
                out->curvature = -out->curvature;
            }
        }
        if (status != 0)
            status = nct_integral(t, df, delta, out);
        if (status != 0 && t > 0.0 && 0.5 * delta * delta > nct_series_max_mean)
            status = nct_series(t, df, delta, out);
    }
    if (status != 0 || !reflected)
        return status;
    double lower = out->log_lower;
    out->log_lower = out->log_upper;
    out->log_upper = lower;
    out->curvature = -out->curvature;
    return 0;
}
