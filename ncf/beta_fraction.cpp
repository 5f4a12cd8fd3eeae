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
//
// beta_fraction_extended runs the same steps in the extended format, for
// shapes so large that the ratio moves by more than a unit of double over
// a unit of r: its relative change is about x y dens / I times r's (358 at
// x' = 0.9374, a = 1.5e6, b = 1e5), and r rounded to double left V 5.4e-14
// off there, where the extended fraction keeps 3e-16.

#include "ncf/ncf_detail.h"

#include <cmath>

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

// v = m 2^e with 0.5 <= |m| < 1, and v 2^n, in either format.  The
// extended v takes its exponent from its double (A stays far inside the
// double range; a rounding up to the next power of two leaves |m| = 1/2)
// and is scaled exactly by FSCALE: no library call.
double split(double v, int32_t* e) { return scale_exponent(v, e); }
long double split(long double v, int32_t* e)
{
    scale_exponent(static_cast<double>(v), e);
    return elem_scale2_ext(v, -*e);
}
double scale(double v, int32_t n) { return elem_scale2(v, n); }
long double scale(long double v, int32_t n) { return elem_scale2_ext(v, n); }

// The fraction in the arithmetic `real` (double, or the extended format of
// beta_fraction_extended).  Rescaling moves A, A_prev, B and B_prev by the
// same power of two, exactly in either format.
template <typename real>
int32_t fraction(real xs, real ys, double p, double q, double tolerance, int32_t max_steps,
                 real* value, int32_t* steps)
{
    const real pr = p, qr = q;
    const real r = ys / xs;
    real u = pr * (1.0 - qr);
    real v = pr * (pr + 1.0) * r;
    real d = pr - qr;
    real e = 2.0 * r * pr;
    const real f = 2.0 * r;
    real s = pr + qr;
    real t = s;

    real num = 1.0, num_prev = 1.0;  // A, A_prev
    real den = 1.0, den_prev = 0.0;  // B, B_prev
    real val = 1.0, val_prev = 0.0;
    int32_t n = 0;
    for (;;) {
        if (std::fabs(val - val_prev) < tolerance * val) {
            *value = val;
            *steps = n;
            return 0;
        }
        if (n == max_steps)
            break;
        ++n;

        real c = u / v;
        d += 2.0;
        u += d;
        real num_even = c * num_prev + num;
        real den_even = c * den_prev + den;

        real w = e + f;
        real big_e = w + v;
        t += 2.0;
        real g = s / big_e;
        s += t;
        e = w + f;
        v = big_e + e;

        real num_odd = g * num + num_even;
        real den_odd = g * den + den_even;
        val_prev = val;
        if (num_odd == 0.0) {
            val = max_double;
        } else {
            // scale_exponent's exponent exceeds rescale_exponent in magnitude
            // exactly when |A| >= 2^354 or |A| < 2^-355; the split is made only
            // then (a NaN or infinite A is split too, and comes back with 0).
            if (!(std::fabs(num_odd) >= rescale_floor && std::fabs(num_odd) < rescale_ceiling)) {
                int32_t k;
                real m = split(num_odd, &k);
                if (k > rescale_exponent || k < -rescale_exponent) {
                    num_even = scale(num_even, -k);
                    den_even = scale(den_even, -k);
                    den_odd = scale(den_odd, -k);
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

}  // namespace

int32_t beta_fraction(double xs, double ys, double p, double q, double tolerance,
                      int32_t max_steps, double* value, int32_t* steps)
{
    return fraction(xs, ys, p, q, tolerance, max_steps, value, steps);
}

int32_t beta_fraction_extended(long double xs, long double ys, double p, double q,
                               double tolerance, int32_t max_steps, long double* value,
                               int32_t* steps)
{
    return fraction(xs, ys, p, q, tolerance, max_steps, value, steps);
}

int32_t beta_fraction_log_factor(double xs, long double ys, double p0, double q, double tolerance,
                                 int32_t max_steps, bool extended, long double* log_factor)
{
    const bool shifted = p0 < 1.0;
    const double p = shifted ? p0 + 1.0 : p0;
    long double v;
    int32_t steps;
    if (extended) {
        // The smaller of xs and ys as given, the other 1 minus it.
        const long double xe = ys < xs ? 1.0L - ys : xs;
        const long double ye = ys < xs ? ys : 1.0L - xs;
        if (beta_fraction_extended(xe, ye, p, q, tolerance, max_steps, &v, &steps) != 0)
            return 1;
    } else {
        double vd;
        if (beta_fraction(xs, static_cast<double>(ys), p, q, tolerance, max_steps, &vd, &steps) != 0)
            return 1;
        v = vd;
    }
    if (!shifted)
        *log_factor = elem_ln_fyl2x_ext(v / p);
    else
        *log_factor = elem_ln_fyl2x_ext((ys + v * xs * (static_cast<long double>(p0) + q) / p) / p0);
    return 0;
}
