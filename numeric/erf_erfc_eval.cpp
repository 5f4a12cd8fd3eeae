// erf(x) or erfc(x) by W. J. Cody's rational Chebyshev approximations
// ("Rational Chebyshev approximations for the error function", Math. Comp.
// 23 (1969) 631-637; the double-precision coefficients of his CALERF).
//
// With y = |x|:
//   y <= 0.46875       erf(x) = x A(y^2) / B(y^2), a [4/4] rational in y^2;
//                      erfc = 1 - erf.  For y <= 4.2e-16, y^2 is taken as 0
//                      (erf(x) = x A4/B4, A4/B4 being 2/sqrt(pi)).
//   0.46875 < y <= 4   erfc(y) = e^(-y^2) C(y) / D(y), a [8/8] rational in y.
//   4 < y              erfc(y) = (e^(-y^2) / y) (1/sqrt(pi) - R(1/y^2)) with
//                      R(z) = z P(z) / Q(z), from the asymptotic series
//                      erfc(y) ~ e^(-y^2) / (y sqrt(pi)) (1 - 1/(2y^2) + ...).
//   y > 1003.78...     erfc(y) = 0 without evaluation (the cut-off is
//                      sqrt(2) log_max_double).  In the asymptotic range erfc
//                      is also 0 once -y^2 < log_min_normal (y > 26.6157),
//                      where e^(-y^2) leaves the normal range.
// From erfc(y) the sign fix-up gives erf(x) = sign(x) ((1/2 - erfc) + 1/2)
// and erfc(-y) = 2 - erfc(y).
//
// e^(-y^2) is exp_fast applied to -y^2 in one call.  Cody splits y^2 into a
// coarse part (y rounded to 1/16) and a fine part, because a rounding of y^2
// is multiplied by y^2 in the exponential; we do not, so the relative error
// of erfc grows like y^2 2^-53 (below 2e-15 up to y = 4, up to 7.5e-14 near
// y = 26), while erf, an absolute quantity there, is unaffected.
//
// mode 0 writes erf(x), any other mode erfc(x).

#include "numeric/constants.h"
#include "numeric/elementary.h"
#include "numeric/erfc_asymptotic.h"
#include "numeric/erfc_middle.h"
#include "numeric/primitives.h"

// Small range: numerator A1..A4 then the starting coefficient A5 (Horner in
// y^2 from A5 through A1..A3, A4 added last); denominator B1..B4 (leading
// coefficient 1, B4 added last).
constexpr double erf_a[] = {
    3.1611237438705655, 113.86415415105016, 377.485237685302, 3209.3775891384694,
    0.18577770618460315,
};
constexpr double erf_b[] = {
    23.601290952344122, 244.02463793444417, 1282.6165260773723, 2844.236833439171,
};

// Middle range: erfc_middle.h.
// Asymptotic range: erfc_asymptotic.h.

constexpr double erf_tiny = 4.2e-16;
// sqrt(2) * log_max_double.
constexpr double erf_cutoff = 1003.7843389117924;

void erf_erfc_eval(double x, double* out, int32_t mode)
{
    double y = elem_abs(x);
    double e;  // erfc(y) in the three outer ranges

    if (y > erf_cutoff) {
        e = 0.0;
    } else if (y > erf_middle_bound) {
        double r = erfc_asymptotic_ratio(1.0 / (y * y));
        double minus_y2 = -y * y;
        if (minus_y2 < log_min_normal)
            e = 0.0;
        else
            e = (one_over_sqrt_pi - r) * (exp_fast(minus_y2) / y);
    } else if (y > erf_small_bound) {
        double numerator, denominator;
        erfc_middle_terms(y, &numerator, &denominator);
        e = (numerator * exp_fast(-y * y)) / denominator;
    } else {
        double ysq = y > erf_tiny ? y * y : 0.0;
        double xnum = erf_a[4] * ysq;
        double xden = ysq;
        for (int i = 0; i < 3; ++i) {
            xnum = (xnum + erf_a[i]) * ysq;
            xden = (xden + erf_b[i]) * ysq;
        }
        double r = x * (xnum + erf_a[3]) / (xden + erf_b[3]);
        *out = mode == 0 ? r : 1.0 - r;
        return;
    }

    if (mode == 0) {
        double r = (0.5 - e) + 0.5;
        *out = x < 0.0 ? -r : r;
    } else {
        *out = x < 0.0 ? 2.0 - e : e;
    }
}
