// ln Gamma(x) for x > 0.
//
// Method:
//   x == 1 or 2 (within eps_53)  0 exactly.
//   x >= 15  Stirling's formula, ((x - 1/2) ln x - x) + ln sqrt(2 pi) plus the
//            remainder series of lgamma_corr (six Bernoulli terms).
//   x < 15   the recurrence Gamma(z + 1) = z Gamma(z) brings z = x into
//            [1, 2] while collecting the factor f with Gamma(x) = f Gamma(z):
//            one division for x < 1, up to 13 multiplications for x > 2.
//            Then ln Gamma(x) = ln f + ln Gamma(z), where ln Gamma(z) is a
//            rational approximation about the nearer zero of ln Gamma:
//              z in [1, 1.5):  w = z - 1, ln Gamma(1 + w) = w N1(w) / D1(w)
//              z in [1.5, 2]:  w = z - 2, ln Gamma(2 + w) = w N2(w) / D2(w)
//            (the factor w makes both exact at the zeros z = 1 and z = 2; the
//            constant terms -gamma and 1 - gamma are the slopes psi(1), psi(2)).
// Half-integers skip the rational step: z is 1.5 and ln Gamma(1.5) is a
// stored constant, so ln Gamma(n + 1/2) is as exact as ln f.
//
// The rounding of f grows with the number of multiplications, but each loses
// at most half an ulp relative; below 15 the error stays within 2e-15 of
// max(1, |ln Gamma(x)|).
//
// Deviation: for x at or below 2^-1024 the factor f = 1/x overflows to
// infinity and ln f with it, although ln Gamma(x) is finite (at most about
// 744.44).  There z = 1 + x rounds to 1, where the rational part is 0, so the
// result is ln f = -ln x, which is taken directly.  Every larger x keeps the
// reduction above unchanged.
//
// Outside the domain (x <= 0 or NaN) the result is -99.0, an ordinary value
// that no caller tests for: the distribution routines check their arguments
// first.

#include "numeric/constants.h"
#include "numeric/elementary.h"
#include "numeric/primitives.h"

// Rational approximations, coefficients by power of w from 0 to 6.
// ln Gamma(1 + w) ~ w N1(w) / D1(w) for 0 <= w < 0.5.
constexpr double lgamma_n1[] = {
    -0.5772156649015329,  -0.8017986934675778,  0.2079812846119617,  0.7494577256954738,
    0.36252537533106266,  0.05692342633165193,  0.002126546376940967,
};
constexpr double lgamma_d1[] = {
    1.0,                  2.8139668163177345,   2.9550965510668346,  1.4276752135116328,
    0.31469269123782706,  0.026724016735058816, 0.0005124543681927987,
};
// ln Gamma(2 + w) ~ w N2(w) / D2(w) for -0.5 <= w <= 0.
constexpr double lgamma_n2[] = {
    0.42278433509846713,  0.9712118746069075,   0.8058203645027399,  0.3098673634213962,
    0.05678875296955259,  0.004410493669232917, 9.627912858833401e-05,
};
constexpr double lgamma_d2[] = {
    1.0,                  1.5344580849517535,   0.8949255863507323,  0.24611091348667924,
    0.03194668377437606,  0.0016767266689027731, 2.1326962979603636e-05,
};
constexpr int lgamma_degree = 6;

// ln Gamma(3/2) = ln(sqrt(pi) / 2), as stored.
constexpr double lgamma_at_1_5 = -0.12078223763524522;

// 2^-1024: at and below it 1/x overflows.
constexpr double lgamma_reciprocal_overflow = 5.562684646268003e-309;

static double horner(const double* c, double w)
{
    double s = c[lgamma_degree];
    for (int k = lgamma_degree - 1; k >= 0; --k)
        s = s * w + c[k];
    return s;
}

double log_gamma(double x)
{
    if (!(x > 0.0))
        return -99.0;
    if (elem_abs(x - 1.0) < eps_53 || elem_abs(x - 2.0) < eps_53)
        return 0.0;
    if (x <= lgamma_reciprocal_overflow)
        return -elem_ln(x);
    if (x >= stirling_from)
        return ((x - 0.5) * elem_ln(x) - x) + ln_sqrt_2pi + lgamma_corr(x);

    // Reduction to [1, 2]: the first loop runs at most once (x > 0) and the
    // second at most 13 times (x < 15), so neither needs a further cap.
    double z = x;
    double f = 1.0;
    while (z < 1.0) {
        f /= z;
        z += 1.0;
    }
    while (z > 2.0) {
        z -= 1.0;
        f *= z;
    }

    double fraction = x - static_cast<double>(static_cast<int32_t>(x));
    if (elem_abs(fraction - 0.5) < eps_53)
        return elem_ln(f) + lgamma_at_1_5;

    double r;
    if (z < 1.5) {
        double w = z - 1.0;
        r = w * (horner(lgamma_n1, w) / horner(lgamma_d1, w));
    } else {
        double w = z - 2.0;
        r = w * (horner(lgamma_n2, w) / horner(lgamma_d2, w));
    }
    return elem_ln(f) + r;
}
