// ncx2_gamma_log_tails: ln P(s, y) and ln Q(s, y), the regularized
// incomplete gamma functions at the start shape of the Poisson sum, each to
// full relative accuracy.
//
// s >= 1: gamma_inc_log, which forms the tail on y's side directly and the
// other as ln(1 - e^w).  For s >= 1e7 inside the centre band it takes the
// cube-root normal approximation without its correction terms, of relative
// error some z^4/(108 s); that is not 1e-12, and the start fails there.
//
// s < 1 (a start index 0 with df < 2): gamma_inc_log would step through
// the shape s + 1, and the tail on the far side of that step is a
// difference that loses digits like 1/s.  Here each tail is formed on the
// shape itself:
//   y > 1:  Q by Legendre's continued fraction (A&S 6.5.31), P = 1 - Q
//           (Q(s, y) < Q(s, 1) < 0.15 for s < 1, so P keeps its digits);
//   y <= 1: P by the power series (A&S 6.5.29), and Q, which tends to
//           s E1(y) as s -> 0 while P tends to 1, by the split of DiDonato
//           and Morris (1986, ACM TOMS 12, 377-393, their eq. 12 for
//           small shapes; Temme 1994, ch. 11):
//
//     Q(s, y) = -expm1(s ln y - ln Gamma(1 + s))
//               - y^s/Gamma(1 + s) s sum_(n>=1) (-y)^n / ((s + n) n!),
//
//           both parts positive for y <= e^-gamma and cancelling by less
//           than a factor of 3 up to y = 1 (where Q(s, 1)/s -> E1(1) =
//           0.2194 against -expm1's 0.5772 s).

#include "ncx2/ncx2_detail.h"

#include <cmath>

#include "library/densities.h"
#include "library/gamma.h"
#include "library/gamma_methods.h"
#include "library/log_complement.h"
#include "numeric/constants.h"
#include "numeric/elementary.h"
#include "numeric/primitives.h"

namespace {

// From this shape on gamma_inc_log takes the uncorrected cube-root
// approximation in the centre band.
constexpr double cube_root_shape = 1e7;

// The series and the continued fraction: gamma_inc_log's tolerance and
// limits (919 terms, 400 steps).
constexpr double ratio_tolerance = min_relative_tolerance;
constexpr int32_t series_terms = 919;
constexpr int32_t fraction_last_counter = 400;

// Terms of the alternating sum of the small-shape split: y^n/n! falls below
// 2^-64 of y/(1 + s) by n = 22 for y <= 1; 40 leaves room.
constexpr int32_t split_terms = 40;

// Q(s, y) for 0 < s < 1, 0 < y <= 1, by the split above, in extended
// precision.
long double small_shape_upper(double y, double s)
{
    long double log_y = elem_ln_table_ext(y);
    long double t = s * log_y - log_gamma(1.0 + s);
    long double first = -elem_exp2m1_ext(t / elem_ln2_ext);
    long double term = 1, sum = 0;
    for (int32_t n = 1; n <= split_terms; ++n) {
        term = term * (-static_cast<long double>(y)) / n;
        long double add = term / (s + n);
        sum = sum + add;
        if (std::fabs(add) <= std::fabs(sum) * 0x1p-64L)
            break;
    }
    long double power = elem_exp2m1_ext(t / elem_ln2_ext) + 1;  // y^s/Gamma(1 + s)
    return first - power * s * sum;
}

}  // namespace

int32_t ncx2_gamma_log_tails(double y, double s, double* log_p, double* log_q)
{
    if (s >= 1.0) {
        if (s >= cube_root_shape && gamma_centre_band(y, s))
            return 1;
        gamma_log_record r{};
        r.x = y;
        r.shape = s;
        if (gamma_inc_log(&r) != 0)
            return 1;
        *log_p = r.log_lower;
        *log_q = r.log_upper;
        return 0;
    }
    double log_density;
    if (gamma_log_density(y, s, &log_density) != 0)
        return 1;
    double ratio;
    if (y > 1.0) {
        if (gamma_upper_fraction(y, s, ratio_tolerance, fraction_last_counter, &ratio) != 0)
            return 1;
        *log_q = elem_ln(ratio) + log_density;
        *log_p = log_complement(*log_q);
        return 0;
    }
    if (gamma_series(y, s, ratio_tolerance, series_terms, &ratio) != 0)
        return 1;
    // P = y^s e^-y / Gamma(1 + s) (s R/y), s R/y = 1 + O(y): the logs of the
    // density (-(1 - s) ln y, large for a tiny y) and of R (ln y) are not
    // added, as they would cancel to a P near 1 with their absolute error.
    *log_p = s * elem_ln(y) - y - log_gamma(1.0 + s) + log1p_rel(s * ratio / y - 1.0);
    uint16_t precision = elem_extended_begin();
    long double q = small_shape_upper(y, s);
    *log_q = q > 0 ? static_cast<double>(elem_ln_fyl2x_ext(q)) : -max_double;
    elem_extended_end(precision);
    return q > 0 ? 0 : 1;
}
