// The searches behind the design solvers: a root of a power that increases
// in one unknown, and the smallest whole size whose power reaches a target.
#pragma once

#include <cstdint>

#include "design/design.h"

// The power of a design as a function of its unknown t.
typedef design_outcome (*design_power_of)(const void* context, double t, double* power);

// The t > 0 with power(t) = target, for a power increasing in t: a bracket
// is widened from `start` by factors of 16 within [lo, hi], then narrowed in
// ln t.  design_unreachable when the target lies outside (power(lo),
// power(hi)].
design_outcome design_increasing_root(design_power_of power, const void* context, double target,
                                      double start, double lo, double hi, double* t);

// The smallest whole t in [lo, hi] with power(t) >= target, for a power
// increasing in t; *achieved receives power(t).  design_unreachable when
// power(hi) < target.
design_outcome design_smallest_whole(design_power_of power, const void* context, double target,
                                     double lo, double hi, double* t, double* achieved);
