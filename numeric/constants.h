// Constants shared by the distribution routines.
#pragma once

// ln 2^-1022, the logarithm of the smallest normal double, rounded; below it
// e^t leaves the normal range.  exp_fast checks nothing: callers compare
// their exponent with these two bounds first.
constexpr double log_min_normal = -708.3964185;
// ln DBL_MAX.
constexpr double log_max_double = 709.782712893384;

constexpr double max_double = 1.7976931348623157e308;
// 2^-1022 = 2.2250738585072014e-308, the smallest normal double: below it a
// value has lost digits, and its log those digits with them.
constexpr double min_normal = 0x1p-1022;
// Largest double that converts to a 32-bit signed integer; doubles that
// become indices or integer exponents are compared with it first.
constexpr double int32_max_double = 2147483647.0;

// 2^-53 plus two units in the last place, 0x1.0000000000002p-53.
constexpr double eps_53 = 1.110223024625157e-16;

// The smallest relative tolerance the series and continued fractions
// accept: five times 2^-53 (which is ten times 2^-54) plus two units in the
// last place, 0x1.4000000000002p-51 = 5.551115123125785e-16.  Some five
// units of rounding: a finer test would chase rounding noise.
constexpr double min_relative_tolerance = 0x1.4000000000002p-51;

// The double just below 2^512, 0x1.fffffffffffffp+511 =
// 1.3407807929942596e+154: a magnitude far from overflow, whose square is
// still finite (that of 2^512 is not).  It bounds running sums and
// recurrences that are rescaled or abandoned past it, and its negative
// stands for ln 0.
constexpr double below_2_512 = 0x1.fffffffffffffp+511;

// 2^1023 = 8.98846567431158e+307, the largest power of two.
constexpr double pow2_1023 = 0x1p1023;

// 2^-969 = 2^(-1022 + 53) = 2.004168360008973e-292, the smallest power of
// two whose product with 2^-53 is still normal.
constexpr double pow2_minus_969 = 0x1p-969;

// 1/sqrt(2) = 0.70710678118654752440..., rounded to the nearest double.
constexpr double one_over_sqrt_2 = 0.7071067811865476;

// From this argument up log_gamma takes Stirling's formula with the
// correction lgamma_corr; log_beta and the extended-precision and Bessel
// routines switch at the same point so that all of them agree.
constexpr double stirling_from = 15.0;

// ln sqrt(2 pi).
constexpr double ln_sqrt_2pi = 0.9189385332046728;
