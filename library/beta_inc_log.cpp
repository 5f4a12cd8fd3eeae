// beta_inc_log: the regularized incomplete beta ratio in logarithms,
//
//     ln I_x(a, b),   ln(1 - I_x(a, b)),   ln dens,
//     dens = x^(a-1) (1-x)^(b-1) / B(a, b),
//
// kept finite where I_x(a, b) or its complement underflows.
//
// Method: the continued fraction of the incomplete beta ratio, as in
// beta_inc, with the result combined in logarithms.
//
// 1. The log density L = (a-1) ln x + (b-1) ln(1-x) - ln B(a, b) is summed
//    in extended precision, ln(1-x) and ln B included
//    (log_one_minus_extended, log_beta_extended): for large shapes its
//    terms are thousands of times the result.
// 2. The working side: when x lies more than two standard deviations above
//    the mean a/(a+b), or above (a+3)/(a+b+6), the fraction works on the
//    complement, I_x(a, b) = 1 - I_(1-x)(b, a): x~ = 1-x, p = b, q = a.
//    Otherwise x~ = x, p = a, q = b.  A p below 1 is raised by one
//    (p0 = p - 1 the unshifted shape) and corrected in closed form,
//        I_x(p0, q) = I_x(p0+1, q) + x^p0 (1-x)^q / (p0 B(p0, q)).
// 3. The fraction
//        I_x(p, q) = x^p (1-x)^(q-1) / (p B(p, q)) * 1/F,
//        F = 1 + c_1/(1 + g_1/(1 + c_2/(1 + ...))),   r = (1-x~)/x~,
//        c_k = (p+k-1)(k-q) / (r (p+2k-2)(p+2k-1)),
//        g_k = k (p+q+k-1) / (r (p+2k-1)(p+2k)),
//    runs by forward recurrences on V = B/A, the approximant of 1/F, with
//    the numerators and denominators of c_k and g_k carried from step to
//    step by additions (u, v for c_k; s, E for g_k).  A is kept between
//    2^-354 and 2^354 by exact power-of-two rescaling (scale_exponent).  It
//    stops when two successive values agree to the record's tolerance
//    (at least 2^-54), after at most itrmax = 199 steps.
// 4. On the working side, with x~ dens = x~^p (1-x~)^(q-1) / B(p, q),
//        unshifted: W = ln x~ + L + ln(V/p),
//        shifted:   W = ln x~ + L + ln(((1-x~) + V x~ (a+b)/p) / p0).
//    The other side is ln(1 - e^W) = log1p(-e^W).
// 5. When the fraction has not settled and the shapes are large (p > 5000
//    and q > 100, or q > 5000 and p > 100), Paulson's cube-root normal
//    approximation for the F distribution with 2p and 2q degrees of freedom
//    at f = q x~ / (p (1-x~)),
//        z = ((1 - 1/(9q)) f^(1/3) - (1 - 1/(9p))) / sqrt(f^(2/3)/(9q) + 1/(9p)),
//    gives both sides as ln Phi(z) and ln Phi(-z) (normal_log_tails).  It is
//    reached only near the mean with both shapes of some 3e4 or more, and
//    is good to about 1e-7 absolute there.
//
// Deliberate choice: the log density reported on the normal approximation's
// path is the Beta log density of step 1, as on every other path (not
// ln phi(z) of the normal variable).
//
// The record's x, a and b hold the working x~, p and q on return, and the
// tolerance the raised value.  End points: x = 0 needs a = 1 (density b
// there), x = 1 needs b = 1 (density a); ln 0 is reported as -DBL_MAX.

#include "library/beta_log.h"

#include "library/densities.h"
#include "ncf/ncf.h"
#include "numeric/constants.h"
#include "numeric/elementary.h"
#include "numeric/primitives.h"

namespace {

// The smallest tolerance the fraction is given: 2^-54.
constexpr double min_tolerance = 5.551115123125785e-16;

// itrmax: the fraction takes at most 199 steps.  It needs a few tens for
// shapes up to a thousand and about 100 at a = b = 5000; beyond 199 the
// normal approximation is accurate for the shapes it is allowed.
constexpr int32_t itrmax = 199;

// Largest power-of-two exponent of A before the recurrences are rescaled.
constexpr int32_t rescale_exponent = 354;

// Shape thresholds of the normal approximation.
constexpr double normal_large_shape = 5000.0;
constexpr double normal_other_shape = 100.0;

// The doubles nearest 1/3 and 1/9.
constexpr double one_third = 0.3333333333333333;
constexpr double one_ninth = 0.1111111111111111;

// Runs the fraction on the record's working values; V into *value.  Returns
// the number of steps taken, or -1 when it has not converged within itrmax.
int32_t beta_fraction(double xt, double complement, double p, double q, double tolerance,
                      double* value)
{
    double r = complement / xt;
    double u = p * (1.0 - q);  // numerator of c_k
    double v = p * (p + 1.0) * r;  // denominator of c_k
    double d = p - q;  // step of u
    double e = 2.0 * r * p, f = 2.0 * r;  // steps of the denominators
    double s = p + q, t = p + q;  // numerator of g_k and its step
    double a1 = 1.0, a2 = 1.0, b1 = 1.0, b2 = 0.0;
    double current = 1.0, previous = 0.0;
    for (int32_t n = 1; n <= itrmax; ++n) {
        if (elem_abs(current - previous) < tolerance * current) {
            *value = current;
            return n - 1;
        }
        double c = u / v;
        d += 2.0;
        u += d;
        double a_even = c * a2 + a1;
        double b_even = c * b2 + b1;
        double w = e + f;
        double big_e = w + v;  // denominator of g_k
        t += 2.0;
        double g = s / big_e;
        s += t;
        e = w + f;
        v = big_e + e;
        double a_odd = g * a1 + a_even;
        double b_odd = g * b1 + b_even;
        previous = current;
        if (a_odd == 0.0) {
            current = max_double;
        } else {
            int32_t k;
            double m = scale_exponent(a_odd, &k);
            if (k > rescale_exponent || k < -rescale_exponent) {
                a_even = elem_scale2(a_even, -k);
                b_even = elem_scale2(b_even, -k);
                b_odd = elem_scale2(b_odd, -k);
                a_odd = m;
            }
            current = b_odd / a_odd;
        }
        a1 = a_odd;
        a2 = a_even;
        b1 = b_odd;
        b2 = b_even;
        *value = current;
    }
    return -1;
}

__attribute__((noinline)) int32_t beta_inc_log_extended(beta_log_record* rec,
                                                        beta_log_trace* trace)
{
    if (!(rec->tolerance >= min_tolerance))
        rec->tolerance = min_tolerance;
    double x = rec->x, a = rec->a, b = rec->b;
    if (a > int32_max_double || b > int32_max_double)
        return 1;
    if (!(x >= 0.0) || !(x <= 1.0) || !(a > 0.0) || !(b > 0.0))
        return 1;
    rec->argument_copy = x;

    if (x == 0.0 || x == 1.0) {
        if (x == 0.0 ? a != 1.0 : b != 1.0)
            return 1;
        rec->log_lower = x == 0.0 ? -max_double : 0.0;
        rec->log_upper = x == 0.0 ? 0.0 : -max_double;
        rec->log_density = elem_ln(x == 0.0 ? b : a);
        trace->path = beta_log_path_end_point;
        return 0;
    }

    long double log_density = (a - 1.0) * elem_ln_ext(x)
                            + (b - 1.0) * log_one_minus_extended(x)
                            - log_beta_extended(a, b);
    rec->log_density = static_cast<double>(log_density);
    rec->complement = 1.0 - x;
    rec->shape_sum = a + b;

    bool exchange = a + 2.0 * elem_sqrt(a * b / (a + b + 1.0)) < (a + b) * x
                 || a + 3.0 < (a + b + 6.0) * x;
    double xt = x, p = a, q = b;
    long double log_xt;
    if (exchange) {
        xt = rec->complement;
        rec->complement = x;
        p = b;
        q = a;
        log_xt = log_one_minus_extended(x);
    } else {
        log_xt = elem_ln_ext(x);
    }
    rec->exchanged = exchange;
    rec->shifted = p < 1.0;
    if (rec->shifted) {
        rec->unshifted_shape = p;
        p += 1.0;
    }
    rec->x = xt;
    rec->a = p;
    rec->b = q;

    double value;
    int32_t steps = beta_fraction(xt, rec->complement, p, q, rec->tolerance, &value);
    rec->fraction = value;
    trace->steps = steps < 0 ? itrmax : steps;
    double working, other;
    if (steps >= 0) {
        long double w;
        if (!rec->shifted)
            w = log_xt + log_density + elem_ln_ext(value / p);
        else
            w = log_xt + log_density
                + elem_ln_ext(((rec->complement + value * xt * rec->shape_sum / p))
                              / rec->unshifted_shape);
        working = static_cast<double>(w);
        other = log1p_rel(-exp_fast(working));
        trace->path = beta_log_path_fraction;
    } else if ((p > normal_large_shape && q > normal_other_shape)
               || (q > normal_large_shape && p > normal_other_shape)) {
        double u = pow_real(q * xt / (p * rec->complement), one_third);
        double tq = one_ninth / q, tp = one_ninth / p;
        double z = ((1.0 - tq) * u - (1.0 - tp)) / elem_sqrt(u * u * tq + tp);
        double log_phi;
        if (normal_log_tails(z, &working, &other, &log_phi) != 0)
            return 1;
        trace->path = beta_log_path_normal;
    } else {
        return 1;
    }
    rec->fraction = working;
    rec->log_lower = exchange ? other : working;
    rec->log_upper = exchange ? working : other;
    return 0;
}

}  // namespace

int32_t beta_inc_log(beta_log_record* record)
{
    return beta_inc_log_traced(record, nullptr);
}

int32_t beta_inc_log_traced(beta_log_record* record, beta_log_trace* trace)
{
    beta_log_trace local;
    if (trace == nullptr)
        trace = &local;
    *trace = beta_log_trace{beta_log_path_none, 0};
    uint16_t precision = elem_extended_begin();
    int32_t status = beta_inc_log_extended(record, trace);
    elem_extended_end(precision);
    return status;
}
