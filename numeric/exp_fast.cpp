// e^x = 2^(x log2 e) by the split form of 2^t (see exp2_split.h).
//
// The product t = x log2 e is rounded once to the 64-bit significand (the
// whole computation runs at 64-bit precision, whatever the host set): an
// absolute error d in t becomes a relative error d ln 2 in e^x, and near the
// ends of the double range |t| reaches 1075, so a double t (error up to
// 2^-43 there) would cost some hundreds of units in the last place where the
// extended one (error 2^-54) costs a fraction of one.
//
// No range checks: e^x beyond DBL_MAX is +inf, below the smallest normal it
// is subnormal or 0.  Callers that must not see either compare x with
// log_min_normal and log_max_double first.

#include "numeric/exp2_split.h"
#include "numeric/primitives.h"

// log2 e to the 64-bit significand (the value FLDL2E loads).
constexpr long double log2_e_ext = 1.4426950408889634073599246810018921374L;

double exp_fast(double x)
{
    uint16_t saved = elem_extended_begin();
    long double t = x;
    elem_extended_hold(t);
    long double r = exp2_split_ext(t * log2_e_ext);
    elem_extended_hold(r);
    elem_extended_end(saved);
    return static_cast<double>(r);
}
