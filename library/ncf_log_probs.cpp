// ncf_log_probs: the noncentral F distribution in logarithms,
//
//     ln P(F' <= x),  ln P(F' > x),  ln f(x),
//
// for n1 and n2 degrees of freedom and noncentrality lambda, each on
// request (bit 0 of `requests`: the two probabilities; bit 1: the density,
// from ncf_log_density).
//
// lambda = 0: the central F distribution is a beta one,
// P(F <= x) = I_(x/(r+x))(n1/2, n2/2), r = n2/n1, taken in logarithms by
// beta_inc_log (on the complement, I_(r/(r+x))(n2/2, n1/2), when x > r);
// the log density adds ln(dy/dx) = ln(r/(r+x)^2) to the beta one.
//
// lambda > 0: a cube-root normal approximation of the noncentral F law
// (Paulson's, with Patnaik's chi-square fit of the noncentral numerator),
//     z = ((1 - 2/(9 n2)) c - (1 - g)) / sqrt(2/(9 n2) c^2 + g),
//     c = (n1 x/(n1 + lambda))^(1/3),  g = 2 (n1 + 2 lambda) / (9 (n1 + lambda)^2),
// says which tail is the smaller: the lower when z <= -2 (small_lower_tail).
// Then, for lambda up to 500, the Poisson summation of ncf_cdf:
//     P = I_k + D,  D = sum_j p_j (I_j - I_k),
// with I_k = I_x'(a + k, b) at k = trunc(1.16 lambda/2) in logarithms
// (beta_inc_log) and D summed outward from k by the recurrences of the
// beta terms and Poisson weights (ncf_sum_differences of ncf/, the sum of
// ncf_cdf with the running sum kept in extended precision), to the
// record's tolerance (at least 5.551115123125785e-16) relative to D; the
// tails are then
//     ln P = ln(I_k + D),  ln Q = ln((1 - I_k) - D),
// combined in logarithms about the larger of the two parts.  The sum runs
// in extended precision, whose exponent range keeps terms that lie below
// the double range, and the log of the start beta term takes ln B and
// ln(1 - x') in extended precision too.  Any failure of the summation
// (start index, start term or weight out of range, 1000 steps, D = 0)
// sends the routine to the integration.
// Deliberate deviation: of these two logs only the smaller tail's is kept;
// the larger tail's, a small number formed as the log of a sum near 1,
// has lost its relative accuracy there (ln P = -4e-10 would be good to
// 1e-7 only), and is taken instead as ln(1 - e^w) from the smaller w.
//
// Above lambda = 500, and after a failed summation, the smaller tail is
// integrated over the numerator chi-square variable t,
//     P(F' <= x) = int_0^inf f(t) Q(n2/2, t c) dt,
//     P(F' > x)  = int_0^inf f(t) P(n2/2, t c) dt,    c = (n2/2)/(x n1),
// (f the noncentral chi-square density, ncf_integrand) by the exponential
// substitution trapezoidal rule on the half-line with exponent scaling, so
// that ln of the integral is exact far below the double range; the other
// tail is ln(1 - e^w).
//
// Deliberate deviation: above lambda = 500, and after a failed summation,
// the sum from the Poisson mode of ncf_log_tails (Poisson means up to 5e6,
// in logarithms) comes before the integration, which is left for what it
// refuses.  For x far below the mean with a large lambda the integration
// fails (ln P(2.638088761e-12; 0.2284012087, 0.08445778625, 508.2848095)
// = -258.3758637) or answers with an error of 1e-11 and more (ln Q(1e-11;
// 0.1, 0.05, 600) 3e-9 off), where the sum is exact.  Degrees of freedom
// at or below 2^-10 go to it directly: there the summation above can stop
// its backward direction before a last term of size 1/(a + b) that
// outweighs its sum, and ncf_log_tails runs that direction on to j = 0 and
// checks it.
//
// Deliberate deviation: the call fails when either log probability comes
// out above 0 or NaN (as gamma_inc_log's final check does), rather than
// report it as a success; this happens where n1 x overflows.
//
// x = 0: ln P = ln 0 (-DBL_MAX), ln Q = 0, and the log density +DBL_MAX,
// -lambda/2 or -DBL_MAX for n1 below, at or above 2.

#include "library/ncf_log.h"

#include "library/beta_log.h"
#include "library/log_complement.h"
#include "numeric/log_extended.h"
#include "library/ncf_log_density.h"
#include "ncf/ncf_detail.h"
#include "ncf/ncf_poisson_sum.h"
#include "numeric/constants.h"
#include "numeric/elementary.h"
#include "numeric/primitives.h"

namespace {

// Largest noncentrality summed; above it the integration answers.
constexpr double summation_max_lambda = 500.0;

// Smallest tolerance of the summation, 5.551115123125785e-16.
constexpr double min_tolerance = min_relative_tolerance;

// itrmax of the summation, both directions together (as in ncf_cdf).
constexpr int32_t step_limit = 1000;
constexpr double start_factor = 1.16;

// The normal approximation's constants, as fitted: 1/3, 2/9 (in two
// roundings) and the lower-tail threshold.
constexpr double cube_root = 0.3333333333333;
constexpr double two_ninths_g = 0.222222222222222;
constexpr double two_ninths = 0.2222222222222222;
constexpr double lower_tail_z = -2.0;

// The integration's settings: relative tolerance and halvings.
constexpr double integration_tolerance = 1.110223024625157e-15;
constexpr int32_t integration_halvings = 10;

// ln(e^u + s e^v), s = +1 or -1, about the larger of u and v.
double log_add(double u, double v, double s)
{
    double m = u > v ? u : v;
    return elem_ln(exp_fast(u - m) + s * exp_fast(v - m)) + m;
}

// The Poisson summation; false when it fails.
bool summed(ncf_log_record* rec, ncf_log_trace* trace)
{
    if (!(rec->tolerance >= min_tolerance))
        rec->tolerance = min_tolerance;
    double x = rec->x, n1 = rec->n1, n2 = rec->n2;
    double xp, yp;
    ncf_beta_argument(x, n1, n2, &xp, &yp);
    double a = n1 * 0.5, b = n2 * 0.5, h = rec->lambda * 0.5;
    if (start_factor * h > int32_max_double)
        return false;
    int32_t k = static_cast<int32_t>(start_factor * h);
    if (k < 0)
        k = 0;
    double ak = a + k;
    long double log_term = (yp < xp)
        ? ak * log_one_minus_extended(yp) + b * elem_ln_table_ext(yp)
        : ak * elem_ln_table_ext(xp) + b * log_one_minus_extended(xp);
    log_term = log_term - elem_ln_table_ext(ak) - log_beta_extended(ak, b);
    if (log_term < log_min_normal || log_term > log_max_double)
        return false;

    beta_log_record beta{};
    beta.tolerance = rec->tolerance;
    bool exchange = yp < xp;
    beta.x = exchange ? yp : xp;
    beta.a = exchange ? b : ak;
    beta.b = exchange ? ak : b;
    if (beta_inc_log(&beta) != 0)
        return false;
    double log_ik = exchange ? beta.log_upper : beta.log_lower;
    double log_ik_complement = exchange ? beta.log_lower : beta.log_upper;

    long double log_weight = (k > 0 ? k * elem_ln_table_ext(h) : 0.0L) - h - log_gamma(k + 1.0);
    if (log_weight < log_min_normal)
        return false;

    long double d;
    int32_t n = ncf_sum_differences<long double, long double, false>(
        a, b, xp, h, k, exp_fast(static_cast<double>(log_weight)),
        exp_fast(static_cast<double>(log_term)), rec->tolerance, step_limit, &d);
    trace->steps = n;
    trace->difference = static_cast<double>(d);
    if (n >= step_limit || d == 0)
        return false;

    double log_d = static_cast<double>(elem_ln_fyl2x_ext(d < 0 ? -d : d));
    double sign = d > 0 ? 1.0 : -1.0;
    double lower = log_add(log_ik, log_d, sign);
    double upper = log_add(log_ik_complement, log_d, -sign);
    // The larger tail is near 1, where its logarithm, formed about 0, is
    // a small difference that has lost its relative accuracy: it comes
    // from the smaller one instead, as ln(1 - e^w).
    rec->log_lower = lower < upper ? lower : log_complement(upper);
    rec->log_upper = lower < upper ? log_complement(lower) : upper;
    return true;
}

// The integration of the smaller tail; false when it fails.
bool integrated(ncf_log_record* rec)
{
    rec->gamma_scale = (rec->n2 * 0.5) / (rec->x * rec->n1);
    rec->bessel_order = rec->n1 * 0.5 - 1.0;
    rec->half_bessel_order = rec->bessel_order * 0.5;
    rec->half_n2 = rec->n2 * 0.5;
    rec->root_lambda = elem_sqrt(rec->lambda);
    rec->log_lambda = elem_ln(rec->lambda);

    quadrature_state state;
    quadrature_log_scaled(&state, 0.0, rec->half_n2, 0.5 / elem_sqrt(rec->half_n2),
                          integration_tolerance, integration_halvings, ncf_integrand, rec);
    rec->quadrature = &state;

    double integral;
    int32_t status = trapezoid_integrate(&state, &integral);
    rec->quadrature = nullptr;
    if (status != 0)
        return false;
    double w = elem_ln(integral) + static_cast<double>(state.exponent);
    double other = log_complement(w);
    rec->log_lower = rec->small_lower_tail ? w : other;
    rec->log_upper = rec->small_lower_tail ? other : w;
    return true;
}

__attribute__((noinline)) int32_t probs_extended(ncf_log_record* rec, int32_t force_integration,
                                                 ncf_log_trace* trace)
{
    double x = rec->x, n1 = rec->n1, n2 = rec->n2, lambda = rec->lambda;
    if (!(n1 > ncf_log_tails_min_degrees && n1 <= int32_max_double)
        || !(n2 > ncf_log_tails_min_degrees && n2 <= int32_max_double)
        || !(lambda >= 0.0) || !(x >= 0.0))
        return 1;
    // Degrees of freedom at or below 2^-10: the probabilities from the sum
    // from the Poisson mode alone (ncf_log_tails), whose backward direction
    // runs on to j = 0 and is checked against its first term; the summation
    // here and the integration are not made for them.
    bool small_degrees = !(n1 > ncf_log_min_degrees && n2 > ncf_log_min_degrees);
    bool want_probabilities = (rec->requests & ncf_log_want_probabilities) != 0;
    bool want_density = (rec->requests & ncf_log_want_density) != 0;

    if (x == 0.0) {
        if (want_probabilities) {
            rec->log_lower = -max_double;
            rec->log_upper = 0.0;
            trace->path = ncf_log_path_end_point;
        }
        if (want_density)
            rec->log_density = n1 < 2.0 ? max_double : n1 == 2.0 ? -lambda * 0.5 : -max_double;
        return 0;
    }

    if (small_degrees) {
        bool failed = false;
        if (want_probabilities) {
            failed = ncf_log_tails(x, n1, n2, lambda, &rec->log_lower, &rec->log_upper) != 0;
            if (!failed)
                trace->path = ncf_log_path_mode_summation;
        }
        if (want_density && ncf_log_density(x, n1, n2, lambda, &rec->log_density) != 0)
            failed = true;
        return failed ? 1 : 0;
    }

    if (lambda == 0.0) {
        double r = n2 / n1, s = r + x;
        double jacobian = r / s / s;
        beta_log_record beta{};
        beta.tolerance = rec->tolerance;
        bool exchange = !(x <= r);
        beta.x = exchange ? r / s : x / s;
        beta.a = exchange ? n2 * 0.5 : n1 * 0.5;
        beta.b = exchange ? n1 * 0.5 : n2 * 0.5;
        if (beta_inc_log(&beta) != 0)
            return 1;
        if (want_probabilities) {
            rec->log_lower = exchange ? beta.log_upper : beta.log_lower;
            rec->log_upper = exchange ? beta.log_lower : beta.log_upper;
            trace->path = ncf_log_path_central;
        }
        if (want_density)
            rec->log_density = beta.log_density + elem_ln(jacobian);
        return 0;
    }

    double c = pow_real(n1 * x / (n1 + lambda), cube_root);
    double g = (2.0 * lambda + n1) * two_ninths_g / (n1 + lambda) / (n1 + lambda);
    double h2 = two_ninths / n2;
    double z = ((1.0 - h2) * c - (1.0 - g)) / elem_sqrt(h2 * c * c + g);
    rec->small_lower_tail = !(z > lower_tail_z);

    bool failed = false;
    if (want_probabilities) {
        bool done = false;
        if (lambda <= summation_max_lambda && !force_integration) {
            done = summed(rec, trace);
            if (done)
                trace->path = ncf_log_path_summation;
            else
                trace->summation_failed = 1;
        }
        // Next the sum from the Poisson mode (any mean up to 5e6), and only
        // then the integration: for x far below the mean with a large lambda
        // the integration fails (x = 2.638088761e-12, n1 = 0.2284012087,
        // n2 = 0.08445778625, lambda = 508.2848095, ln P = -258.3758637) or,
        // worse, answers 1e-11 off (ln P(1e-11; 0.1, 0.05, 600)).
        if (!done && !force_integration) {
            done = ncf_log_tails(x, n1, n2, lambda, &rec->log_lower, &rec->log_upper) == 0;
            if (done)
                trace->path = ncf_log_path_mode_summation;
        }
        if (!done) {
            done = integrated(rec);
            if (done)
                trace->path = ncf_log_path_integration;
        }
        // A log probability above 0, or NaN, is no probability.  Where n1 x
        // overflows (x = +inf, or x near the top of the double range) the
        // normal approximation is NaN and sends the integration to the
        // lower tail, which is then the whole mass: its log comes out a
        // rounding above 0 and the other tail's as ln(1 - e^w) = NaN.
        failed = !done || !(rec->log_lower <= 0.0 && rec->log_upper <= 0.0);
    }
    if (want_density && ncf_log_density(x, n1, n2, lambda, &rec->log_density) != 0)
        failed = true;
    return failed ? 1 : 0;
}

}  // namespace

int32_t ncf_log_probs(ncf_log_record* record)
{
    return ncf_log_probs_traced(record, 0, nullptr);
}

int32_t ncf_log_probs_traced(ncf_log_record* record, int32_t force_integration,
                             ncf_log_trace* trace)
{
    ncf_log_trace local;
    if (trace == nullptr)
        trace = &local;
    *trace = ncf_log_trace{ncf_log_path_none, 0, 0, 0.0};
    uint16_t precision = elem_extended_begin();
    int32_t status = probs_extended(record, force_integration, trace);
    elem_extended_end(precision);
    return status;
}
