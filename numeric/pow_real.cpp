// x^y for a real base x and a real exponent y, as 2^(y log2 |x|).
//
// Cases, tested in this order:
//   x < 0   the power is real only for an integral y.  y must convert to a
//           signed 32-bit integer k with k == y (an even integer beyond the
//           32-bit range counts as a domain error too); then |x|^y by the
//           power form of 2^t, negated for odd k.
//   x == 0  (either sign) +0.0 for y > 0; a domain error for y <= 0.
//   x > 0   the power form of 2^t with t = y log2 x.
// t = y log2 x is formed in one step (FYL2X on x86) and carried, with the
// fraction and 2^f, in the extended format until the result is rounded to a
// double; the error of t stays near 2^-64 |t|, so even results near the ends
// of the double range are within one unit in the last place.  An integral t
// takes the split form with f = 0, so exact powers of two such as 4^0.5 = 2^1
// and 2^10 come out exact; |t| < 1 takes 2^t - 1 directly (the power form of
// exp2_split.h).  Overflow and underflow are
// those of the scaling: +-inf, a subnormal or 0; an infinite result keeps the
// sign of the parity rule.
//
// Domain error: the math error record receives kind 1, the exponent y and the
// base x (exponent first), and goes to the host's math-error service, which
// does not return: our own host's service leaves by longjmp.  A host whose
// service does return still gets no computation from us: pow_real returns a
// quiet NaN at once, and every caller turns a NaN into a failure.  Without an
// installed host the service is not entered and the same NaN comes back.

#include <limits>

#include "numeric/constants.h"
#include "numeric/exp2_split.h"
#include "numeric/host_link.h"
#include "numeric/math_error_record.h"
#include "numeric/primitives.h"

static double pow_domain_error(double x, double y)
{
    math_error.kind = math_error_domain;
    math_error.first_argument = y;
    math_error.second_argument = x;
    host_math_error_call(&math_error);
    return std::numeric_limits<double>::quiet_NaN();
}

// |x|^y for |x| > 0: the power form of 2^t, t = y log2 |x|, at 64-bit
// precision whatever the host set.
static double positive_power(double magnitude, double y)
{
    uint16_t saved = elem_extended_begin();
    long double t = elem_ylog2_ext(magnitude, y);
    elem_extended_hold(t);
    long double r = exp2_power_ext(t);
    elem_extended_hold(r);
    elem_extended_end(saved);
    return static_cast<double>(r);
}

double pow_real(double x, double y)
{
    if (x < 0.0) {
        // Compared first: a double outside the 32-bit range has no defined
        // conversion.  NaN fails the comparison as well.
        if (!(y >= -int32_max_double - 1.0 && y <= int32_max_double))
            return pow_domain_error(x, y);
        int32_t k = static_cast<int32_t>(y);
        if (static_cast<double>(k) != y)
            return pow_domain_error(x, y);
        double p = positive_power(-x, y);
        return (k & 1) != 0 ? -p : p;
    }
    if (x == 0.0) {
        if (y > 0.0)
            return 0.0;
        return pow_domain_error(x, y);
    }
    return positive_power(x, y);
}
