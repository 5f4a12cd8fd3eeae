// The probability outside each limit of a confidence interval found by
// inverting a distribution in its noncentrality (the confidence-interval
// transformation of Steiger 2004, Psychological Methods 9, 164-182): an
// interval at confidence c leaves (1 - c)/2 beyond each of its two limits,
// and a one-sided bound leaves 1 - c beyond its one limit.  The noncentral
// F, t and chi-square intervals all take their tail area from here.
#pragma once

#include <cstdint>

// Which side of the interval is bounded.
enum confidence_alternative : int32_t {
    confidence_two_sided = 0,  // both limits, (1 - c)/2 beyond each
    confidence_less = 1,       // an upper limit alone
    confidence_greater = 2,    // a lower limit alone
};

// The tail area beyond each limit into *alpha; false (and *alpha untouched)
// unless 0 < confidence < 1 and alternative is one of the three above.
inline bool confidence_tail_area(double confidence, int32_t alternative, double* alpha)
{
    if (!(confidence > 0.0 && confidence < 1.0))
        return false;
    if (alternative == confidence_two_sided) {
        *alpha = 0.5 * (1.0 - confidence);
        return true;
    }
    if (alternative == confidence_less || alternative == confidence_greater) {
        *alpha = 1.0 - confidence;
        return true;
    }
    return false;
}
