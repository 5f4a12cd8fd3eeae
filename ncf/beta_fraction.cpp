// beta_fraction: the continued fraction of the incomplete beta ratio,
//
//     I_x(p, q) = x^p (1-x)^(q-1) / (p B(p, q)) * 1/F,
//     F = 1 + c_1/(1 + g_1/(1 + c_2/(1 + g_2/(1 + ...)))),
//     c_k = (p+k-1)(k-q) / (r (p+2k-2)(p+2k-1)),
//     g_k = k (p+q+k-1) / (r (p+2k-1)(p+2k)),        r = (1-x)/x,
//
// (r formed as ys/xs from the caller's complement ys = 1 - xs), the
// even/odd contraction of the fraction of the incomplete beta function in
// the variable x/(1-x), for p >= 1 and x on the side of the mean where it
// converges fast (the callers choose the side and raise a first shape below
// one).  Returned is V, the approximant of 1/F.
//
// The partial numerators are carried by running additions instead of being
// formed anew: with
//     u = p(1-q),  v = p(p+1) r,  d = p-q,  e = 2rp,  f = 2r,  s = t = p+q,
// each step takes c = u/v, then d += 2, u += d (so u runs through
// (p+k)(k+1-q)), and w = e + f, E = w + v, t += 2, g = s/E, s += t,
// e = w + f, v = E + e (so E runs through r(p+2k-1)(p+2k), s through
// (k+1)(p+q+k), v through r(p+2k)(p+2k+1)).  Two additions per coefficient,
// no multiplication; the values agree with the closed forms to rounding.
//
// The approximants run by the forward recurrences
//     A_e = A + c A_prev,  A_o = A_e + g A   (and the same for B),
// starting from A_prev = A = B = 1, B_prev = 0.  A is kept between 2^-354
// and 2^354 by exact power-of-two rescaling (scale_exponent) of A, A_prev,
// B and B_prev together, which leaves V = B/A unchanged.  A step that
// leaves A = 0 gives V = DBL_MAX.
//
// Convergence: |V - V_prev| < tolerance * V, tested before every step; the
// first pass never meets it.

#include "ncf/ncf_detail.h"

#include "numeric/constants.h"
#include "numeric/elementary.h"
#include "numeric/primitives.h"

namespace {

// Largest power-of-two exponent of A before the recurrences are rescaled:
// one step multiplies A by at most a few hundred, so A, A_prev, B and
// B_prev stay far inside the double range.
constexpr int32_t rescale_exponent = 354;
// 2^-355 and 2^354: |A| in [rescale_floor, rescale_ceiling) needs no rescaling.
constexpr double rescale_floor = 0x1p-355;
constexpr double rescale_ceiling = 0x1p354;

}  // namespace

int32_t beta_fraction(double xs, double ys, double p, double q, double tolerance,
                      int32_t max_steps, double* value, int32_t* steps)
{
    const double r = ys / xs;
    double u = p * (1.0 - q);
    double v = p * (p + 1.0) * r;
    double d = p - q;
    double e = 2.0 * r * p;
    const double f = 2.0 * r;
    double s = p + q;
    double t = s;

    double num = 1.0, num_prev = 1.0;  // A, A_prev
    double den = 1.0, den_prev = 0.0;  // B, B_prev
    double val = 1.0, val_prev = 0.0;
    int32_t n = 0;
    for (;;) {
        if (elem_abs(val - val_prev) < tolerance * val) {
            *value = val;
            *steps = n;
            return 0;
        }
        if (n == max_steps)
            break;
        ++n;

        double c = u / v;
        d += 2.0;
        u += d;
        double num_even = c * num_prev + num;
        double den_even = c * den_prev + den;

        double w = e + f;
        double big_e = w + v;
        t += 2.0;
        double g = s / big_e;
        s += t;
        e = w + f;
        v = big_e + e;

        double num_odd = g * num + num_even;
        double den_odd = g * den + den_even;
        val_prev = val;
        if (num_odd == 0.0) {
            val = max_double;
        } else {
            // scale_exponent's exponent exceeds rescale_exponent in magnitude
            // exactly when |A| >= 2^354 or |A| < 2^-355; the split is made only
            // then (a NaN or infinite A is split too, and comes back with 0).
            if (!(elem_abs(num_odd) >= rescale_floor && elem_abs(num_odd) < rescale_ceiling)) {
                int32_t k;
                double m = scale_exponent(num_odd, &k);
                if (k > rescale_exponent || k < -rescale_exponent) {
                    num_even = elem_scale2(num_even, -k);
                    den_even = elem_scale2(den_even, -k);
                    den_odd = elem_scale2(den_odd, -k);
                    num_odd = m;
                }
            }
            val = den_odd / num_odd;
        }
        num = num_odd;
        num_prev = num_even;
        den = den_odd;
        den_prev = den_even;
    }
    *value = val;
    *steps = n;
    return 1;
}

int32_t beta_fraction_log_factor(double xs, long double ys, double p0, double q, double tolerance,
                                 int32_t max_steps, long double* log_factor)
{
    const bool shifted = p0 < 1.0;
    const double p = shifted ? p0 + 1.0 : p0;
    double v;
    int32_t steps;
    if (beta_fraction(xs, static_cast<double>(ys), p, q, tolerance, max_steps, &v, &steps) != 0)
        return 1;
    if (!shifted)
        *log_factor = elem_ln_fyl2x_ext(static_cast<long double>(v) / p);
    else
        *log_factor = elem_ln_fyl2x_ext(
            (ys + static_cast<long double>(v) * xs * (static_cast<long double>(p0) + q) / p) / p0);
    return 0;
}
