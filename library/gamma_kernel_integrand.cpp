// gamma_kernel_integrand: the gamma kernel t^p e^(-t) taken relative to its
// value at the point x, for the trapezoidal integrator,
//
//     upper tail, t = x + s:  f(s) = (1 + s/x)^p e^(-s),   s in [0, inf),
//     lower tail, t = x - s:  f(s) = (1 - s/x)^p e^(+s),   s in [0, x],
//
// whose integrals are the ratios R of the tails to the density of shape
// p + 1 at x (Gamma(p+1, x) / (x^p e^-x) and gamma(p+1, x) / (x^p e^-x)).
// The kernel itself, p ln t - t, is a difference of two numbers of size
// p ln p that carries an absolute error of some 2^-53 p ln p; relative to x
// its logarithm
//
//     v = p ln(1 + d) - sigma s,   d = sigma s/x  (sigma = +1 upper, -1 lower),
//
// is of the size of the result.  It is summed at the 64-bit significand,
// ln(1 + d) with Kahan's correction for the rounding of 1 + d
// (ln(1 + d) = ln(u) d/(u - 1), u = 1 + d, u - 1 exact), so that its
// absolute error is some 2^-64 (p |d| + s): below 1e-15 wherever the
// kernel is not negligible.  At and beyond s = x on the lower side the
// kernel is 0.
//
// The values are scaled by powers of e: when v exceeds the scaling
// exponent E (the state's `exponent`), E becomes v truncated toward zero,
// and e^(v - E) is returned.  The context is a gamma_kernel_context.

#include "library/gamma.h"

#include "numeric/constants.h"
#include "numeric/elementary.h"
#include "numeric/primitives.h"

int32_t gamma_kernel_integrand(double s, void* context, double* out)
{
    const gamma_kernel_context* kernel = static_cast<const gamma_kernel_context*>(context);
    quadrature_state* state = kernel->quadrature;
    double sigma = kernel->lower_tail ? -1.0 : 1.0;
    if (kernel->lower_tail && !(s < kernel->x)) {
        *out = 0.0;
        return 0;
    }
    uint16_t saved = elem_extended_begin();
    long double d = static_cast<long double>(sigma * s) / static_cast<long double>(kernel->x);
    elem_extended_hold(d);
    long double u = 1.0L + d;
    long double log_ratio = u == 1.0L ? d : elem_ln_fyl2x_ext(u) * (d / (u - 1.0L));
    long double sum = static_cast<long double>(kernel->power) * log_ratio
                      - static_cast<long double>(sigma * s);
    elem_extended_hold(sum);
    elem_extended_end(saved);
    double v = static_cast<double>(sum);
    if (v > static_cast<double>(state->exponent)) {
        if (v > int32_max_double || v < -int32_max_double)
            return 1;
        state->exponent = static_cast<int32_t>(v);
    }
    *out = exp_fast(v - static_cast<double>(state->exponent));
    return 0;
}
