// Remainder of Stirling's formula,
//   lgamma_corr(x) = ln Gamma(x) - ((x - 1/2) ln x - x + ln sqrt(2 pi)),
// by its asymptotic series (Abramowitz and Stegun 6.1.40)
//   sum_{k>=1} B(2k) / (2k (2k - 1) x^(2k-1)),
// cut after six terms.  The first omitted term, B(14)/(14 13) x^-13 =
// 7/1092 x^-13, bounds the truncation: 3.3e-18 at x = 15, which is 6e-16
// relative to the remainder there (5.6e-3) and nothing beside ln Gamma(15) =
// 25.2; relative to the remainder it falls like x^-12.  The series diverges,
// so smaller x would gain nothing from more terms: ln Gamma reduces small
// arguments instead.
//
// log_gamma takes its large-argument tail from here.  No check: callers keep
// x large (15 or more).

#include "numeric/primitives.h"

// Stirling coefficients B(2k) / (2k (2k - 1)), k = 1 to 6, lowest first: the
// doubles nearest to 1/12, -1/360, 1/1260, -1/1680, 1/1188, -691/360360.
constexpr double stirling_coefficients[] = {
    0.08333333333333333,     -0.002777777777777778,  0.0007936507936507937,
    -0.0005952380952380953,  0.0008417508417508417,  -0.0019175269175269176,
};

double lgamma_corr(double x)
{
    double r = 1.0 / x;
    double r2 = r * r;
    // Horner from the x^-11 term down: c6 r2 + c5 first.
    double s = stirling_coefficients[5];
    for (int k = 4; k >= 0; --k)
        s = stirling_coefficients[k] + r2 * s;
    return r * s;
}
