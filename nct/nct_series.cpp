// nct_series: the noncentral t distribution for t > 0 and delta >= 0 by the
// Poisson-weighted incomplete beta series of Lenth (1989, Applied Statistics
// 38, AS 243),
//
//     P(T <= t) = Phi(-delta) + 1/2 sum_j [p_j I_x(j + 1/2, b) + q_j I_x(j + 1, b)],
//
// x = t^2/(t^2 + df), y = df/(t^2 + df), b = df/2, p_j = e^-lam lam^j/j! and
// q_j = e^-lam lam^(j+1/2)/Gamma(j + 3/2), lam = delta^2/2.  Both weights are
// pi_m(lam) = e^-lam lam^m/Gamma(m + 1) at m = j and m = j + 1/2, so the
// series is two Poisson sums of the kind the noncentral F distribution
// function sums (ncf/ncf_poisson_sum.h), chain A on the shapes 1/2 + j with
// weights summing to 1 and chain B on 1 + j with weights summing to
// erf(delta/sqrt 2).  For delta >= 0 every term is positive, and so is
// every term of the upper tail
//
//     P(T > t) = 1/2 sum_m pi_m (1 - I_x(m + 1/2, b)),
//
// since 1/2 sum_m pi_m = Phi(delta): neither tail is formed by subtraction.
// (For delta < 0 the q_j change sign and the series cancels; the caller
// reflects, P(T <= t; delta) = P(T >= -t; -delta), and sends t < 0 with
// delta > 0 to the integral.)
//
// The same terms give the derivatives in delta.  With u_m = I_x(m + 1/2, b)
// - I_x(m + 3/2, b) the beta terms and d pi_m/d(lam) = pi_(m-1) - pi_m,
//
//     -dP/d(delta) = phi(delta) y^b + delta/2 G,          G = sum_m pi_m u_m,
//     d^2P/d(delta)^2 = delta phi(delta) y^b (1 - b x) - G/2 - delta^2/2 H,
//                                                  H = sum_m pi_m (u_(m+1) - u_m),
//
// (the boundary terms pi_(-1/2) of chain B sum to phi(delta) I_x(1, b) =
// phi(delta)(1 - y^b)), and the density is f(t) = (1/t) sum_m pi_m (m + 1/2) u_m.
//
// Each chain is summed from its Poisson mode in both directions as
// ncf_log_tails does (Benton and Krishnamoorthy 2003, Computational
// Statistics and Data Analysis 43, 249-267: from the mode the weights carry
// at least about half their mass on either side, so I_k W + D and
// (1 - I_k) W - D lose at most a factor of about 2.5), on scaled start
// values p_k = u_k = 1 in extended precision, with D = sum p_j (I_j - I_k),
// W = sum p_j, and the start ratio I_k and its complement in logarithms
// (beta_inc_log).  A direction stops when its latest terms are below 2^-64 of
// every sum they enter.

#include "nct/nct_detail.h"

#include "library/beta_log.h"
#include "library/densities.h"
#include "numeric/constants.h"
#include "numeric/elementary.h"
#include "numeric/log_extended.h"
#include "numeric/primitives.h"

namespace {

// Relative size of a term at which a direction stops: 2^-64, the extended
// format's rounding, below the double's.
constexpr long double term_tolerance = 0x1p-64L;

// Steps of one chain: from the mode the weights fall below 2^-64 within
// about 9.5 sqrt(lam) indices each way; where the beta terms grow toward
// j = 0 (t far below delta) the backward direction runs to 0.  The mode
// plus 1000 plus 100 sqrt(lam) covers both.
constexpr int32_t base_steps = 1000;
constexpr double steps_per_root = 100.0;

// The log ratio of the start ratio to the start term at which the sums'
// stopping test saturates (the long double range ends near e^11356).
constexpr long double max_log_ratio = 11000.0L;

struct argument {
    double x, y;
    long double ln_x, ln_y;
    double b;
    double lam;
};

struct chain_result {
    bool present;
    double log_lower;    // ln(sum p_j I_j)
    double log_upper;    // ln(sum p_j (1 - I_j))
    double log_g;        // ln G
    double log_f;        // ln sum p_j a_j u_j
    double h_over_g;     // H/G
    int32_t steps;
};

long double exp_ext_bounded(long double t)
{
    if (t > max_log_ratio)
        t = max_log_ratio;
    if (t < -max_log_ratio)
        return 0.0L;
    // e^t = 2^(t log2 e), split into integer and fraction for f2xm1.
    long double z = t / elem_ln2_ext;
    long double n = elem_floor_ext(z);
    return elem_scale2_ext(elem_exp2m1_ext(z - n) + 1.0L, n);
}

// One chain: weights pi_(m0 + j)(lam), shapes m0 + j + 1/2.
bool sum_chain(const argument& arg, double m0, chain_result* out)
{
    out->present = !(arg.lam == 0.0 && m0 != 0.0);
    out->steps = 0;
    if (!out->present)
        return true;
    const double lam = arg.lam, b = arg.b;
    double mode = lam - m0;
    int32_t k = mode > 0.0 ? static_cast<int32_t>(mode) : 0;
    const double ak = m0 + k + 0.5;

    double log_weight = 0.0;
    if (lam > 0.0 && gamma_log_density(lam, m0 + k + 1.0, &log_weight) != 0)
        return false;
    long double log_term = ak * arg.ln_x + b * arg.ln_y - elem_ln_table_ext(ak)
                         - log_beta_extended(ak, b);
    double log_i, log_j;
    if (nct_beta_ratio_logs(arg.x, arg.y, ak, b, &log_i, &log_j) != 0)
        return false;

    // The stopping test's view of I_k and 1 - I_k in units of u_k.
    const long double rho = exp_ext_bounded(log_i - log_term);
    const long double rho_c = exp_ext_bounded(log_j - log_term);

    const long double x = arg.x, lm = lam, bb = b;
    const long double inv_x = 1.0L / x;
    const long double inv_lam = lam > 0.0 ? 1.0L / lm : 0.0L;
    auto rise = [&](long double a) { return (a + bb) * x / (a + 1.0L) - 1.0L; };

    long double w = 1.0L, d = 0.0L, g = 1.0L, f = ak, h = rise(ak);
    // Backward: index jb, weight pb, beta term ub at shape m0 + jb + 1/2,
    // difference sb = I_jb - I_k.  Forward likewise.
    long double pb = 1.0L, ub = 1.0L, sb = 0.0L;
    long double pf = 1.0L, uf = 1.0L, sf = 0.0L;
    int32_t jb = k, jf = k;
    bool back = k > 0 && lam > 0.0, fore = lam > 0.0;
    const int32_t limit = static_cast<int32_t>(k + base_steps + steps_per_root * elem_sqrt(lam));
    int32_t n = 0;
    auto negligible = [&](long double dw, long double dd, long double dg, long double df) {
        long double lower = rho * w + d, upper = rho_c * w - d;
        long double e = term_tolerance;
        return dw * rho + (dd < 0 ? -dd : dd) <= e * (lower < 0 ? -lower : lower)
            && dw * rho_c + (dd < 0 ? -dd : dd) <= e * (upper < 0 ? -upper : upper)
            && dg <= e * g && df <= e * f;
    };
    while ((back || fore) && n < limit) {
        if (back) {
            long double a = m0 + jb + 0.5L;  // shape of ub
            ub = ub * (a / (a - 1.0L + bb)) * inv_x;
            sb = sb + ub;
            pb = pb * ((m0 + jb) * inv_lam);
            --jb;
            long double a1 = a - 1.0L;
            long double dw = pb, dd = pb * sb, dg = pb * ub, df = pb * a1 * ub;
            w += dw;
            d += dd;
            g += dg;
            f += df;
            h += dg * rise(a1);
            ++n;
            if (jb == 0 || negligible(dw, dd, dg, df))
                back = false;
        }
        if (fore) {
            long double a = m0 + jf + 0.5L;  // shape of uf
            sf = sf - uf;
            pf = pf * (lm / (m0 + jf + 1.0L));
            ++jf;
            uf = uf * ((a + bb) * x / (a + 1.0L));
            long double dw = pf, dd = pf * sf, dg = pf * uf, df = pf * (a + 1.0L) * uf;
            w += dw;
            d += dd;
            g += dg;
            f += df;
            h += dg * rise(a + 1.0L);
            ++n;
            if (negligible(dw, dd, dg, df))
                fore = false;
        }
    }
    out->steps = n;
    if (back || fore)
        return false;
    if (!(w > 0.0L && g > 0.0L && f > 0.0L) || d - d != 0.0L)
        return false;

    long double log_w = log_weight + elem_ln_fyl2x_ext(w);
    long double log_scale = log_weight + log_term;
    double lower_base = static_cast<double>(log_i + log_w);
    double upper_base = static_cast<double>(log_j + log_w);
    if (d == 0.0L) {
        out->log_lower = lower_base;
        out->log_upper = upper_base;
    } else {
        double log_d = static_cast<double>(log_scale + elem_ln_fyl2x_ext(d < 0 ? -d : d));
        if (d > 0) {
            out->log_lower = nct_log_add(lower_base, log_d);
            if (!(upper_base > log_d))
                return false;
            out->log_upper = nct_log_subtract(upper_base, log_d);
        } else {
            if (!(lower_base > log_d))
                return false;
            out->log_lower = nct_log_subtract(lower_base, log_d);
            out->log_upper = nct_log_add(upper_base, log_d);
        }
    }
    out->log_g = static_cast<double>(log_scale + elem_ln_fyl2x_ext(g));
    out->log_f = static_cast<double>(log_scale + elem_ln_fyl2x_ext(f));
    out->h_over_g = static_cast<double>(h / g);
    return true;
}

int32_t series_extended(double t, double df, double delta, nct_evaluation* out)
{
    argument arg;
    nct_beta_argument beta;
    if (nct_beta_argument_of(t, df, &beta) != 0)
        return 1;
    arg.x = beta.x;
    arg.y = beta.y;
    arg.ln_x = beta.ln_x;
    arg.ln_y = beta.ln_y;
    arg.b = 0.5 * df;
    arg.lam = 0.5 * delta * delta;
    chain_result c[2];
    if (!sum_chain(arg, 0.0, &c[0]) || !sum_chain(arg, 0.5, &c[1]))
        return 1;
    out->steps = c[0].steps + c[1].steps;

    double normal_lower, normal_upper, log_phi;
    if (normal_log_tails(-delta, &normal_lower, &normal_upper, &log_phi) != 0)
        return 1;
    const double log_half = -elem_ln2_ext;
    double lower = normal_lower, upper = -max_double, log_g = -max_double, log_f = -max_double;
    for (const chain_result& r : c) {
        if (!r.present)
            continue;
        lower = nct_log_add(lower, log_half + r.log_lower);
        upper = nct_log_add(upper, log_half + r.log_upper);
        log_g = nct_log_add(log_g, r.log_g);
        log_f = nct_log_add(log_f, r.log_f);
    }
    // phi(delta) y^b and delta G/2.
    double log_edge = log_phi + static_cast<double>(arg.b * arg.ln_y);
    double log_slope = delta > 0.0 ? nct_log_add(log_edge, elem_ln(0.5 * delta) + log_g) : log_edge;
    double curvature = delta * nct_exp_bounded(log_edge - log_slope) * (1.0 - arg.b * arg.x);
    for (const chain_result& r : c) {
        if (!r.present)
            continue;
        double e = nct_exp_bounded(r.log_g - log_slope);
        curvature -= 0.5 * e + 0.5 * delta * delta * e * r.h_over_g;
    }
    if (!(lower <= 0.0 && upper <= 0.0))
        return 1;
    out->log_lower = lower;
    out->log_upper = upper;
    out->log_slope = log_slope;
    out->curvature = curvature;
    out->log_density = log_f - elem_ln(t);
    out->method = nct_method_series;
    return 0;
}

}  // namespace

int32_t nct_series(double t, double df, double delta, nct_evaluation* out)
{
    out->method = nct_method_none;
    out->steps = 0;
    if (!(t > 0.0 && t <= max_double && df > 0.0 && df <= nct_max_df && delta >= 0.0
          && 0.5 * delta * delta <= nct_series_largest_mean))
        return 1;
    uint16_t precision = elem_extended_begin();
    int32_t status = series_extended(t, df, delta, out);
    elem_extended_end(precision);
    return status;
}

int32_t nct_beta_argument_of(double t, double df, nct_beta_argument* arg)
{
    long double ln_t2 = 2.0L * elem_ln_table_ext(t), ln_df = elem_ln_table_ext(df);
    long double tt = t, dd = df;
    if (t * t <= df) {
        long double q = tt * tt / dd;
        long double x = q / (1.0L + q);
        arg->x = static_cast<double>(x);
        arg->y = static_cast<double>(1.0L / (1.0L + q));
        arg->ln_y = log_one_minus_extended(x);
        arg->ln_x = ln_t2 - ln_df + arg->ln_y;
    } else {
        long double r = dd / tt / tt;
        long double y = r / (1.0L + r);
        arg->x = static_cast<double>(1.0L / (1.0L + r));
        arg->y = static_cast<double>(y);
        arg->ln_x = log_one_minus_extended(y);
        arg->ln_y = ln_df - ln_t2 + arg->ln_x;
    }
    return arg->x >= min_normal && arg->y >= min_normal ? 0 : 1;
}

int32_t nct_beta_ratio_logs(double x, double y, double a, double b, double* log_i, double* log_j)
{
    // The ratio is taken on the side of the smaller of x and y, so that its
    // argument keeps its digits.
    beta_log_record r{};
    bool exchange = y < x;
    r.x = exchange ? y : x;
    r.a = exchange ? b : a;
    r.b = exchange ? a : b;
    r.tolerance = min_relative_tolerance;
    if (beta_inc_log(&r) != 0)
        return 1;
    *log_i = exchange ? r.log_upper : r.log_lower;
    *log_j = exchange ? r.log_lower : r.log_upper;
    return *log_i <= 0.0 && *log_j <= 0.0 ? 0 : 1;
}
