// Regularized incomplete gamma functions, in linear and in log space.
//
//     P(a, x) = gamma(a, x)/Gamma(a) = (1/Gamma(a)) integral_0^x t^(a-1) e^(-t) dt,
//     Q(a, x) = 1 - P(a, x),
//
// and the standard gamma density x^(a-1) e^(-x)/Gamma(a).
#pragma once

#include <cstdint>

#include "library/quadrature.h"

// P(a, x), Q(a, x) and the density, for a >= 0 and x >= 0.  0 on success;
// 1 for a negative or NaN argument or a method that did not converge, with
// P = Q = -2 and density 0.  A density beyond the double range is reported
// as 1.7976931348623157e+308.
int32_t gamma_inc(double x, double a, double* p, double* q, double* density);

// Methods reported by gamma_inc_log (`method`).
constexpr int32_t gamma_method_series = 0;
constexpr int32_t gamma_method_centre = 2;
constexpr int32_t gamma_method_upper_fraction = 3;
constexpr int32_t gamma_method_lower_fraction = 4;

// The record gamma_inc_log works on; the caller owns it.
struct gamma_log_record {
    double x;            // in: the point, x >= 0
    double shape;        // in: the shape a > 1e-09; unchanged on return
    double log_lower;    // out: ln P(a, x)
    double log_upper;    // out: ln Q(a, x)
    double log_density;  // out: ln(x^(a-1) e^(-x)/Gamma(a))
    double tolerance;    // in/out: relative tolerance, raised to at least
                         // 5.551115123125785e-16
    double power;        // working: p = a' - 1, the power of the gamma kernel
    double work;         // working: the method's ratio R, then its logarithm
    int32_t method;      // out: the method that gave the result (above); left
                         // as it was by the asymptotic expansion and the
                         // integration
    quadrature_state* quadrature;  // working: the integration's state
};

// ln P(a, x), ln Q(a, x) and the log density into the record.  0 on
// success, 1 on failure (the outputs are then not to be used).
int32_t gamma_inc_log(gamma_log_record* record);

// The gamma kernel relative to its value at x, for the integrator (lower
// tail: (1 - s/x)^p e^s on [0, x]; upper tail: (1 + s/x)^p e^-s on
// [0, inf)), exponent-scaled to base e; its integral is the ratio of the
// tail to the density of shape p + 1 at x.  The context is a
// gamma_kernel_context.
struct gamma_kernel_context {
    double x;                      // the point
    double power;                  // p
    int32_t lower_tail;            // nonzero: the lower tail
    quadrature_state* quadrature;  // the state being integrated
};
int32_t gamma_kernel_integrand(double s, void* context, double* out);
