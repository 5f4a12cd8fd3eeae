// Constants shared by the distribution routines.
#pragma once

// ln 2^-1022, the logarithm of the smallest normal double, rounded; below it
// e^t leaves the normal range.  exp_fast checks nothing: callers compare
// their exponent with these two bounds first.
constexpr double log_min_normal = -708.3964185;
// ln DBL_MAX.
constexpr double log_max_double = 709.782712893384;

constexpr double max_double = 1.7976931348623157e308;
// Largest double that converts to a 32-bit signed integer; doubles that
// become indices or integer exponents are compared with it first.
constexpr double int32_max_double = 2147483647.0;

// 2^-53 plus two units in the last place.
constexpr double eps_53 = 1.110223024625157e-16;

// ln sqrt(2 pi).
constexpr double ln_sqrt_2pi = 0.9189385332046728;
