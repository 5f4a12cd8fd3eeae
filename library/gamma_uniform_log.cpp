// gamma_uniform_log: ln P(a, x) and ln Q(a, x) for a large shape near its
// centre, by Temme's uniform asymptotic expansion (Temme 1979; DiDonato and
// Morris 1986, section 4; Gil, Segura and Temme 2012, section 2.3):
//
//     Q(a, x) = erfc(eta sqrt(a/2))/2 + R,   P(a, x) = erfc(-eta sqrt(a/2))/2 - R,
//     R = e^(-a eta^2/2)/sqrt(2 pi a) sum_(k>=0) C_k(eta) a^-k,
//     eta^2/2 = lambda - 1 - ln lambda = D(t),  t = lambda - 1 = (x - a)/a,
//
// eta of the sign of t.  With z = eta sqrt(a) and the Mills ratio
// m(z) = Phi(-z)/phi(z), erfc(eta sqrt(a/2))/2 = Phi(-z) = e^(-z^2/2) m(z)/sqrt(2 pi),
// so both terms share the factor e^(-a D(t)) and
//
//     ln Q = -a D(t) - ln sqrt(2 pi) + ln(m(z) + S/sqrt(a))     (t > 0),
//     ln P = -a D(t) - ln sqrt(2 pi) + ln(m(-z) - S/sqrt(a))    (t <= 0),
//     S = sum_(k<6) C_k(eta) a^-k,
//
// the smaller tail formed directly and the larger as its complement.  The
// exponent a D(t) is of the size of the log tail itself and comes from
// log_remainder_extended in extended precision (x - a is exact, x and a
// being within a factor 2), so the far tails keep their relative accuracy;
// the bracket is at least about 1/(|z| + 1) and S/sqrt(a) a small part of
// it (C_0(0) = -1/3), so the sum cancels nothing.
//
// C_k(eta) are Taylor polynomials to eta^16 (gamma_temme_table.h, generated
// exactly by library/gen_gamma_temme_table.py); their radius of convergence
// is 2 sqrt(pi), and for |eta| <= 1/2 the omitted powers are below 1e-16 of
// C_k.  The omitted terms of the expansion are of the relative size of
// C_6/a^6 against C_0 (C_6(0) = 5.3e-4): 2e-15 at a = 100, where S/sqrt(a)
// is itself a thirtieth of the bracket, and below 1e-20 from a = 1e4 on.
// gamma_inc_log uses it for a >= 100 and |t| <= 0.3 (|eta| <= 0.28).
//
// Accuracy (against mpmath, tests/reference/gen_gamma_sweep.py, gen_gamma.py
// and gen_gamma_band.py): both logs within 1e-15 of max(1, |ln|) for shapes
// from 100 to 1e9.  What limits it is the Mills ratio below z = 5, where it
// is Phi(-z)/phi(z) from the error function (a few units of 1e-16
// relative).
//
// Returns 1 when the Mills ratio's continued fraction fails (then the
// outputs are untouched), else 0.

#include "library/gamma_methods.h"

#include "library/densities.h"
#include "library/gamma_temme_table.h"
#include "library/log_complement.h"
#include "numeric/constants.h"
#include "numeric/elementary.h"
#include "numeric/log_extended.h"

namespace {

// S = sum_k C_k(eta) a^-k, each C_k by Horner's rule in eta and the sum by
// Horner's rule in 1/a.
double coefficient_sum(double eta, double a)
{
    double inverse = 1.0 / a;
    double sum = 0.0;
    for (int k = gamma_temme_terms - 1; k >= 0; --k) {
        const double* c = gamma_temme_coefficients[k];
        double ck = c[gamma_temme_eta_order];
        for (int n = gamma_temme_eta_order - 1; n >= 0; --n)
            ck = ck * eta + c[n];
        sum = sum * inverse + ck;
    }
    return sum;
}

}  // namespace

int32_t gamma_uniform_log(double x, double a, double* log_lower, double* log_upper)
{
    uint16_t saved = elem_extended_begin();
    long double t = static_cast<long double>(x - a) / static_cast<long double>(a);
    elem_extended_hold(t);
    long double half_square = static_cast<long double>(a)
                              * log_remainder_extended(t, elem_ln_fyl2x_ext(1.0L + t));
    long double square = 2.0L * half_square;
    bool upper = t > 0.0L;
    elem_extended_hold(square);
    elem_extended_end(saved);

    double root = elem_sqrt(static_cast<double>(square));  // |z|
    double eta = root / elem_sqrt(a);
    double s = coefficient_sum(upper ? eta : -eta, a) / elem_sqrt(a);
    double m;
    if (mills_ratio(root, &m) != 0)
        return 1;
    double bracket = upper ? m + s : m - s;

    saved = elem_extended_begin();
    long double log_tail = -half_square - ln_sqrt_2pi_ext + elem_ln_table_ext(bracket);
    elem_extended_hold(log_tail);
    elem_extended_end(saved);
    double tail = static_cast<double>(log_tail);
    if (upper) {
        *log_upper = tail;
        *log_lower = log_complement(tail);
    } else {
        *log_lower = tail;
        *log_upper = log_complement(tail);
    }
    return 0;
}
