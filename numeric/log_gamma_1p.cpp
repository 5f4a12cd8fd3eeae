// log_gamma_1p: ln Gamma(1 + w) for 0 <= w <= 1, to a few units in the last
// place of its own size, also where it is far below 1 (it is -gamma w +
// O(w^2) at w = 0 and vanishes at w = 1).  Forming 1 + w first would round
// away the low bits of a small w, an absolute error of 2^-53 that is all of
// ln Gamma(1 + w) when w is below 1e-16, and 1e-7 of it at w = 1e-9.
//
// Method: a rational approximation about the nearer zero of ln Gamma,
//     w in [0, 0.5):  ln Gamma(1 + w) = w N1(w) / D1(w),
//     w in [0.5, 1]:  v = w - 1 (exact), ln Gamma(2 + v) = v N2(v) / D2(v),
// the factor w (or v) making each exact at its zero; the constant terms
// -gamma and 1 - gamma of N1 and N2 are the slopes psi(1) and psi(2).  In
// exact arithmetic w N1/D1 is within 1.4e-17 of ln Gamma(1 + w) relative on
// [1e-12, 0.49] (measured against mpmath); in double each of the two Horner
// sums and the quotient adds about half a unit.
//
// log_gamma reduces every argument below 15 to this routine.  No check of
// the domain.

#include "numeric/primitives.h"

namespace {

// Coefficients by power of w from 0 to 6.
// ln Gamma(1 + w) ~ w N1(w) / D1(w) for 0 <= w < 0.5.
constexpr double lgamma_n1[] = {
    -0.5772156649015329,  -0.8017986934675778,  0.2079812846119617,  0.7494577256954738,
    0.36252537533106266,  0.05692342633165193,  0.002126546376940967,
};
constexpr double lgamma_d1[] = {
    1.0,                  2.8139668163177345,   2.9550965510668346,  1.4276752135116328,
    0.31469269123782706,  0.026724016735058816, 0.0005124543681927987,
};
// ln Gamma(2 + v) ~ v N2(v) / D2(v) for -0.5 <= v <= 0.
constexpr double lgamma_n2[] = {
    0.42278433509846713,  0.9712118746069075,   0.8058203645027399,  0.3098673634213962,
    0.05678875296955259,  0.004410493669232917, 9.627912858833401e-05,
};
constexpr double lgamma_d2[] = {
    1.0,                  1.5344580849517535,   0.8949255863507323,  0.24611091348667924,
    0.03194668377437606,  0.0016767266689027731, 2.1326962979603636e-05,
};
constexpr int lgamma_degree = 6;

// From here on the expansion about 2.
constexpr double second_zero_from = 0.5;

double horner(const double* c, double w)
{
    double s = c[lgamma_degree];
    for (int k = lgamma_degree - 1; k >= 0; --k)
        s = s * w + c[k];
    return s;
}

}  // namespace

double log_gamma_1p(double w)
{
    if (w < second_zero_from)
        return w * (horner(lgamma_n1, w) / horner(lgamma_d1, w));
    double v = w - 1.0;
    return v * (horner(lgamma_n2, v) / horner(lgamma_d2, v));
}
