// gamma_inc_log: ln P(a, x), ln Q(a, x) and the log gamma density
// ln(x^(a-1) e^(-x)/Gamma(a)), kept finite where the probabilities
// themselves underflow (ln Q(10, 2000) is about -1944.4).
//
// Methods, by the position of x:
//
//   x/a >= 100 (a >= 0.5): the asymptotic expansion of the upper tail
//       Q(a, x) = x^(a-1) e^(-x)/Gamma(a) (1 + S),
//       S = sum_(k>=1) (a-1)(a-2)...(a-k)/x^k     (A&S 6.5.32),
//     summed until a term is below 1e-12 |S|; S is at most about a/x here,
//     so the log is good to some 1e-14 absolute.  It is divergent: a sum
//     that has not settled by its 98th term is dropped for the integration.
//
//   a >= 100 and |x - a| <= 0.3 a: Temme's uniform asymptotic expansion
//     (gamma_uniform_log), both logs from the exponent a (x/a - 1 - ln(x/a))
//     in extended precision and the Mills ratio, the smaller tail direct.
//     Method 2.  (The bare Wilson-Hilferty variable once used for a >= 1e7
//     lost up to 2e-8 of ln P near the mean at a = 8.4e7, and Legendre's
//     fraction just above the centre of shapes of 1e6 loses 8e-14 over its
//     hundreds of steps.)
//
//   otherwise, for a >= 1, the methods of gamma_inc in log space:
//     a >= 1e7 below the centre: the lower-tail continued fraction;
//     above a (and 1): Legendre's continued fraction;
//     at and below a (or 1), a < 1e7: the power series.
//   The method's ratio R to the density gives w = ln R + d, d the log
//   density of shape a; the other tail is ln(1 - e^w).
//
//   a < 1: ln P by the series on a' = a + 1 and the step back P(a) =
//   P(a') + e^d, ln P = d + ln(1 + R) (d the log density of a'); ln Q
//   directly, for x <= 1 by the Taylor form Q = -(e^y - 1) - e^y a T of
//   gamma_upper_small_shape, beyond by Legendre's fraction on a itself.
//   Stepping back for Q, Q(a) = Q(a') - e^d or 1 - P, would lose the
//   digits of Q like 1/a (ln Q(2.24e-9, 30.66) came out 1.5e-6 off).  The
//   smaller tail is kept as formed, the larger as its complement.
//
//   Fallback: whenever the chosen method fails (the series and fractions
//   at their step limits, a Mills ratio that cannot be formed), the tail
//   on x's side is integrated, as the same ratio R to the density of shape
//   a (a' for the lower tail of a shape below 1) and combined as above:
//       upper (x > a):  R = integral_0^inf (1 + s/x)^p e^(-s) ds,
//       lower (x <= a): R = integral_0^x  (1 - s/x)^p e^(+s) ds,   p = a - 1,
//   the gamma kernel t^p e^(-t) relative to its value at x, by the
//   exponential-substitution trapezoidal rule (half line and bounded
//   interval; gamma_kernel_integrand).  Both tails are integrated, so that
//   a small lower tail of a large shape (ln P(3e6, 2986143.6) = -35.11) is
//   formed directly and not as the complement of an upper tail next to 1.
//   The substitution centre is the kernel's width x/(|x - p| + sqrt(p)).
//   The upper tail of a shape below 1 is not integrated (its fraction
//   failing fails the routine): the shifted integral would leave it as the
//   same difference.
//
// The tolerance of the series and fractions is the record's, raised to
// min_relative_tolerance (5.551115123125785e-16) when smaller; their
// limits are 919 series terms, 398 steps of the lower-tail fraction and 400
// of the upper-tail fraction, then 30 halvings of the integration.
//
// Shapes from 2^-1000 on are accepted (Q(a, x) >= 0.2 a for x <= 1 stays a
// normal double).  The log density reported is the gamma log density on
// every path.  A log probability above 0 or not finite fails the routine:
// a tail formed as the complement of a tail that rounds to 1 comes out as
// ln 0, which no x > 0 has.
//
// Accuracy (against mpmath, tests/reference/gen_gamma_sweep.py and the
// tables of gen_gamma.py and gen_gamma_band.py, shapes 1e-10 to 1e9): both
// logs and the log density within 1.1e-15 of max(1, |ln|), measured over
// 626 rows.

#include "library/gamma.h"

#include "library/densities.h"
#include "library/gamma_methods.h"
#include "library/log_complement.h"
#include "numeric/constants.h"
#include "numeric/elementary.h"
#include "numeric/primitives.h"

namespace {

// The smallest shape: Q(a, x) >= 0.2 a for x <= 1 stays a normal double.
constexpr double min_shape = 0x1p-1000;

// Shapes below 1: the direct form of Q up to this x, Legendre's fraction on
// the shape itself beyond it.
constexpr double small_shape_taylor_to = 1.0;
constexpr double min_tolerance = min_relative_tolerance;

// Asymptotic expansion: from x/a = 100 on, for a >= 0.5; term cap and the
// relative size of the last term that ends it.
constexpr double asymptotic_ratio = 100.0;
constexpr double asymptotic_min_shape = 0.5;
constexpr int32_t asymptotic_terms = 100;
constexpr int32_t asymptotic_last_useful = 98;
constexpr double asymptotic_tolerance = 1e-12;

// From this shape on, the lower-tail fraction below the uniform expansion's
// band (there the series would need thousands of terms).
constexpr double large_shape = 10000000.0;

// Temme's uniform expansion: from this shape on, for x within this
// relative distance of a.  Its omitted terms, C_6/a^6 against C_0, are
// below 2e-15 of C_0 at a = 100, where C_0/sqrt(a) is a thirtieth of the
// bracket it joins; |x/a - 1| <= 0.3 keeps |eta| <= 0.28, well inside the
// reach of its Taylor coefficients.
constexpr double uniform_min_shape = 100.0;
constexpr double uniform_band = 0.3;

// One term or step fewer than in gamma_inc: the series and fractions
// succeed only within 919 terms and below a step counter of 400.
constexpr int32_t series_terms = 919;
constexpr int32_t fraction_last_counter = 399;

// The integration: tolerance the record's, 30 halvings.
constexpr int32_t integration_halvings = 30;

// The asymptotic expansion for x far above a; false when it has not
// settled within its useful terms.
bool asymptotic_upper(gamma_log_record* record)
{
    double x = record->x;
    double a = record->shape;
    double t = 1.0;
    double s = 0.0;
    int32_t k = 1;
    for (;; ++k) {
        t = t * (k - a) / x;
        s += (k % 2 == 0) ? t : -t;
        if (k >= asymptotic_terms || elem_abs(t) <= asymptotic_tolerance * elem_abs(s))
            break;
    }
    if (k > asymptotic_last_useful)
        return false;
    record->log_density = (a - 1.0) * elem_ln(x) - x - log_gamma(a);
    record->log_upper = log1p_rel(s) - x + (a - 1.0) * elem_ln(x) - log_gamma(a);
    record->log_lower = log_complement(record->log_upper);
    return true;
}

// The ratio R of the tail on x's side to the density of shape a' at x, by
// integration of the kernel relative to its value at x: the upper tail on
// [0, inf) (half line), the lower tail on [0, x] (bounded).  The kernel's
// width is about x/(|x - p| + sqrt(p)) (x/|x - p| in the tails, sqrt(p)
// at the mode), the centre of the substitution.  False when it fails.
bool integrated_ratio(gamma_log_record* record, double ap, bool lower, double* r)
{
    double x = record->x;
    double p = ap - 1.0;
    double log_ap = elem_ln(ap);
    double centre = x / (elem_abs(x - p) + elem_sqrt(p));
    gamma_kernel_context kernel = {x, p, lower ? 1 : 0, nullptr};
    quadrature_state state;
    quadrature_log_scaled(&state, 0.0, lower && centre >= x ? 0.5 * x : centre,
                          log_ap > 1.0 ? 1.0 / log_ap : 1.0, record->tolerance,
                          integration_halvings, gamma_kernel_integrand, &kernel);
    if (lower) {
        state.kind = quadrature_bounded;
        state.upper = x;
    }
    kernel.quadrature = &state;
    record->quadrature = &state;
    double integral;
    int32_t status = trapezoid_integrate(&state, &integral);
    record->quadrature = nullptr;
    if (status != 0 || !(integral > 0.0))
        return false;
    *r = integral * exp_fast(static_cast<double>(state.exponent));
    return *r > 0.0 && *r < max_double;
}

// Shapes below 1.  ln P comes from the series (or, when that fails, the
// integration) on the shifted shape a' = a + 1, with P(a) = P(a') + e^d as
// ln P = d + ln(1 + R).  ln Q is formed directly and not through the shift
// (Q(a) = Q(a') - e^d, or 1 - P, which lose the digits of Q like 1/a as a
// goes to 0; ln Q(2.24e-9, 30.66) came out 1.5e-6 off that way):
//   x <= 1: Q = -(e^y - 1) - e^y a T, gamma_upper_small_shape;
//   x > 1:  Legendre's fraction on a itself, ln Q = ln R + the log density
//           of shape a.
// The smaller tail is taken as formed and the larger as its complement.
// False sends the routine on to the integration, or (integrate set, or a
// fraction on a that did not converge) to failure: the integration would
// leave Q as the same difference.
bool small_shape_path(gamma_log_record* record, bool integrate)
{
    double x = record->x;
    double a = record->shape;
    double ap = a + 1.0;
    record->power = ap - 1.0;
    double d;
    gamma_log_density(x, ap, &d);
    // The log density of shape a itself, ln(a/x) + a ln x - x - ln Gamma(1 + a),
    // with a/x in extended precision (its range): -ln x and ln a nearly
    // cancel when x is near a, and a' - 1 = a would lose a's low bits.
    uint16_t saved = elem_extended_begin();
    long double sum = elem_ln_fyl2x_ext(static_cast<long double>(a) / static_cast<long double>(x))
                      + static_cast<long double>(a) * elem_ln_table_ext(x) - x
                      - log_gamma_1p(a);
    elem_extended_hold(sum);
    elem_extended_end(saved);
    double log_density = static_cast<double>(sum);
    const gamma_method_limits limits = {large_shape, record->tolerance, series_terms,
                                        fraction_last_counter};
    double r = 0.0;
    int32_t method = record->method;
    if (x > small_shape_taylor_to) {
        if (integrate
            || gamma_upper_fraction(x, a, record->tolerance, fraction_last_counter, &r) != 0)
            return false;
        record->log_upper = elem_ln(r) + log_density;
        record->log_lower = log_complement(record->log_upper);
        record->method = gamma_method_upper_fraction;
    } else {
        double q = gamma_upper_small_shape(x, a);
        if (!(q > 0.0))
            return false;
        record->log_upper = elem_ln(q);
        if (q <= 0.5) {
            r = q;  // the work field holds ln Q here
            record->log_lower = log1p_rel(-q);
            method = gamma_method_series;
        } else {
            if (integrate ? !integrated_ratio(record, ap, true, &r)
                          : gamma_ratio(x, ap, 1, &limits, &method, &r) != 0)
                return false;
            record->log_lower = d + log1p_rel(r);
        }
        record->method = method;
    }
    record->work = elem_ln(r);
    record->log_density = log_density;
    return true;
}

// The main path (integrate false) or the integration that stands in for
// it, for shapes of 1 and more; false sends the routine on (to the
// integration, or to failure).
bool ratio_path(gamma_log_record* record, bool integrate)
{
    double x = record->x;
    double a = record->shape;
    if (a < 1.0)
        return small_shape_path(record, integrate);
    record->power = a - 1.0;
    double d;
    gamma_log_density(x, a, &d);
    bool lower = x <= a || x <= 1.0;

    int32_t method = record->method;
    double r = 0.0;
    if (integrate) {
        if (!integrated_ratio(record, a, lower, &r))
            return false;
    } else {
        if (a >= uniform_min_shape && elem_abs(x - a) <= uniform_band * a) {
            if (gamma_uniform_log(x, a, &record->log_lower, &record->log_upper) != 0)
                return false;
            record->log_density = d;
            record->method = gamma_method_centre;
            return true;
        }
        const gamma_method_limits limits = {large_shape, record->tolerance, series_terms,
                                            fraction_last_counter};
        if (gamma_ratio(x, a, lower, &limits, &method, &r) != 0)
            return false;
    }

    double w = elem_ln(r) + d;
    record->log_density = d;
    record->work = elem_ln(r);
    if (lower) {
        record->log_lower = w;
        record->log_upper = log_complement(w);
    } else {
        record->log_upper = w;
        record->log_lower = log_complement(w);
    }
    record->method = method;
    return true;
}

}  // namespace

int32_t gamma_inc_log(gamma_log_record* record)
{
    double x = record->x;
    double a = record->shape;
    if (!(x >= 0.0 && a >= min_shape))
        return 1;
    if (x == 0.0) {
        record->log_lower = -max_double;
        record->log_upper = 0.0;
        record->log_density = a > 1.0 ? -max_double : (a < 1.0 ? max_double : 0.0);
        return 0;
    }
    if (!(record->tolerance >= min_tolerance))
        record->tolerance = min_tolerance;

    bool done = false;
    if (x / a >= asymptotic_ratio && a >= asymptotic_min_shape)
        done = asymptotic_upper(record);
    else
        done = ratio_path(record, false);
    if (!done && !ratio_path(record, true))
        return 1;

    if (!(record->log_lower <= 0.0 && record->log_upper <= 0.0)
        || !(record->log_lower >= -max_double && record->log_upper >= -max_double))
        return 1;
    return 0;
}
