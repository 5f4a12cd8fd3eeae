// gamma_kernel_integrand: the gamma kernel f(t) = t^p e^(-t) for the
// trapezoidal integrator, scaled by powers of e.
//
// The kernel's logarithm v = p ln t - t is known exactly, so the scaling
// exponent E of the integration (the state's `exponent`) is kept at the
// largest integral part of v met so far: when v exceeds E, E becomes v
// truncated toward zero.  The value returned, e^(v - E), is then at most e
// and never overflows; values far below the peak underflow harmlessly to 0.
// An exponent beyond the 32-bit range fails the node.
//
// The context is the gamma_log_record: `power` holds p and `quadrature`
// the state being integrated.

#include "library/gamma.h"

#include "numeric/constants.h"
#include "numeric/elementary.h"
#include "numeric/primitives.h"

int32_t gamma_kernel_integrand(double t, void* context, double* out)
{
    const gamma_log_record* record = static_cast<const gamma_log_record*>(context);
    quadrature_state* state = record->quadrature;
    double v = record->power * elem_ln(t) - t;
    if (v > static_cast<double>(state->exponent)) {
        if (v > int32_max_double || v < -int32_max_double)
            return 1;
        state->exponent = static_cast<int32_t>(v);
    }
    *out = exp_fast(v - static_cast<double>(state->exponent));
    return 0;
}
