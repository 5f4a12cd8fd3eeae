// ncf_integrand: the integrand of ncf_log_probs' integration over the
// numerator chi-square variable t,
//
//     f(t) G(t c),   c = (n2/2) / (x n1),
//     f(t) = 1/2 e^(-(t + lambda)/2) (t/lambda)^(nu/2) I_nu(sqrt(lambda t)),  nu = n1/2 - 1,
//
// f the noncentral chi-square density with n1 degrees of freedom and
// noncentrality lambda, and G the regularized incomplete gamma function of
// shape n2/2: Q(n2/2, .) when the record's small lower tail is set (the
// integral over t > 0 is then P(F' <= x), since F' <= x exactly when the
// denominator chi-square exceeds n2 t / (n1 x)), P(n2/2, .) otherwise (the
// integral is then P(F' > x)).
//
// Everything is taken in logarithms: with z = sqrt(lambda t) and
// d = sqrt(lambda) - sqrt(t), -(t + lambda)/2 = -d^2/2 - z, so
//
//     ln(2 f(t) G) = ln G + (ln I_nu(z) - z) - d^2/2 + (nu/2)(ln t - ln lambda),
//
// whose parts stay moderate where f itself underflows.  For nu < 0
// (n1 < 2) the Bessel function comes from two orders above by the
// recurrence I_nu = I_(nu+2) + (2(nu+1)/z) I_(nu+1), since bessel_i takes
// no negative order.  The integrand's exponent-scaling protocol: with E
// the state's exponent, a log value v above E raises E to v truncated, and
// the value stored is e^(v - E)/2.  Every node clears the state's boundary
// status, so that an end point reached at t = 0 counts as an ordinary term.

#include "library/ncf_log.h"

#include "library/bessel.h"
#include "library/gamma.h"
#include "numeric/constants.h"
#include "numeric/elementary.h"
#include "numeric/primitives.h"

namespace {

// Relative tolerance of the incomplete gamma tail at each node.
constexpr double gamma_tolerance = 1e-13;

// ln I_mu(z); false on a Bessel error.
bool log_bessel(double z, double mu, double* out)
{
    bessel_record record{};
    record.z = z;
    record.order = mu;
    record.form = bessel_form_log;
    if (bessel_i(&record) != 0)
        return false;
    *out = record.result;
    return true;
}

}  // namespace

int32_t ncf_integrand(double t, void* context, double* out)
{
    const ncf_log_record* rec = static_cast<const ncf_log_record*>(context);
    quadrature_state* state = rec->quadrature;
    state->boundary_status = 0;

    double root_t = elem_sqrt(t);
    double d = rec->root_lambda - root_t;
    double o = -0.5 * d * d + (elem_ln(t) - rec->log_lambda) * rec->half_bessel_order;

    double z = elem_sqrt(t * rec->lambda);
    double nu = rec->bessel_order;
    double l;
    if (nu >= 0.0) {
        if (!log_bessel(z, nu, &l))
            return 1;
    } else {
        double l1, l2;
        if (!log_bessel(z, nu + 1.0, &l1) || !log_bessel(z, nu + 2.0, &l2))
            return 1;
        double m = l1 > l2 ? l1 : l2;
        l = elem_ln(exp_fast(l2 - m) + (2.0 * (nu + 1.0) / z) * exp_fast(l1 - m)) + m;
    }

    gamma_log_record gamma{};
    gamma.x = t * rec->gamma_scale;
    gamma.shape = rec->half_n2;
    gamma.tolerance = gamma_tolerance;
    if (gamma_inc_log(&gamma) != 0)
        return 1;
    double u = rec->small_lower_tail ? gamma.log_upper : gamma.log_lower;

    double v = u + (l - z) + o;
    if (v > static_cast<double>(state->exponent)) {
        if (v > int32_max_double || v < -int32_max_double)
            return 1;
        state->exponent = static_cast<int32_t>(v);
    }
    *out = exp_fast(v - static_cast<double>(state->exponent)) * 0.5;
    return 0;
}
