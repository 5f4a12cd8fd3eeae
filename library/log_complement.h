// ln(1 - e^w) for a log probability w <= 0: the log of the complementary
// probability, as ln(1 + t) of t = -e^w, so that a complement near 1 (w far
// below 0) keeps its relative accuracy.  The log-space routines form the
// larger of two tails from the smaller this way.
#pragma once

#include "numeric/primitives.h"

inline double log_complement(double w) { return log1p_rel(-exp_fast(w)); }
