// beta_log_density: ln of the Beta(a, b) density,
//
//     ln f(x) = (a - 1) ln x + (b - 1) ln(1 - x) - ln B(a, b),   0 <= x <= 1,
//
// summed in extended precision by beta_log_density_extended, whose terms
// are of the size of the shapes and cancel near the mode.
//
// End points.  At x = 0 the density is b (finite, ln b) when a = 1 and
// infinite or zero otherwise; at x = 1 likewise a when b = 1.  The infinite
// logarithms (-inf for a density of 0, +inf for an unbounded one) have no
// double in the host's arithmetic, which marks them with its missing value;
// that is a value, not a failure (status 0).

#include "library/densities.h"

#include "numeric/log_extended.h"
#include "numeric/elementary.h"
#include "numeric/host_link.h"
#include "numeric/primitives.h"

int32_t beta_log_density(double x, double a, double b, double* out)
{
    if (!(x >= 0.0 && x <= 1.0 && a > 0.0 && b > 0.0))
        return 1;
    if (x == 0.0) {
        if (a == 1.0)
            *out = elem_ln(b);
        else
            host_missing_value(out);
        return 0;
    }
    if (x == 1.0) {
        if (b == 1.0)
            *out = elem_ln(a);
        else
            host_missing_value(out);
        return 0;
    }
    uint16_t saved = elem_extended_begin();
    long double sum = beta_log_density_extended(x, a, b);
    elem_extended_hold(sum);
    elem_extended_end(saved);
    *out = static_cast<double>(sum);
    return 0;
}
