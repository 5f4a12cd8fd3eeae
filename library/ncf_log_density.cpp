// ncf_log_density: ln of the density of the noncentral F distribution with
// n1 and n2 degrees of freedom and noncentrality lambda at x >= 0,
//
//     f(x) = sum_k e^-h h^k / k! * g(y; a + k, b) * dy/dx,
//     h = lambda/2, a = n1/2, b = n2/2, y = n1 x / (n1 x + n2),
//
// g(.; alpha, beta) the Beta(alpha, beta) density: the noncentral F
// variable is a Poisson mixture of central ones, read through the beta
// variable y.
//
// Method.  The largest term lies at the index k0 where the ratio of
// neighbouring terms,
//     term_(k-1) / term_k = k (a + k - 1) / ((a + b + k - 1) y h),
// passes 1; as a quadratic in k that is the positive root
//     k0 = trunc(sqrt(m^2 + (a + b) y h - a) - m),  m = (a - 1 + y h)/2,
// (0 when there is none).  That term is taken in logarithms,
//     T0 = ln g(y; a + k0, b) + ln(dy/dx) + ln(e^-h h^k0 / k0!),
// (beta_log_density, gamma_log_density), and the others are added as ratios
// to it, walking down from k0 to 1 and then up from k0 + 1, each walk
// stopping once its term falls below 2^-53 (plus two units) of the sum S of
// the ratios: ln f = T0 + ln(1 + S).  No term is ever formed outside the
// double range.  The two walks share a limit of 1001 terms: more means a
// Poisson mean too large for the walk, and the routine fails rather than
// return a truncated sum.
//
// The beta variable and the log Jacobian ln(dy/dx) = ln(n1/n2) - 2 ln(1+q),
// q = n1 x / n2, are formed in one of two equal ways, by which of n1, n2
// is larger, so that y and its complement come from the quotient that is
// below 1.
//
// Where the log density is -inf or +inf (x = 0 with n1 != 2) the result is
// the host's missing value, with status 0.  Deliberate addition: a k0
// beyond 2147483647 fails (status 1), since it cannot index the walk.

#include "library/ncf_log.h"

#include <cstring>

#include "library/densities.h"
#include "numeric/constants.h"
#include "numeric/elementary.h"
#include "numeric/host_link.h"
#include "numeric/primitives.h"

namespace {

// itrmax of the two walks together: terms are counted from 0, and the
// count may not pass this.  The terms beyond 2^-53 of the sum span some
// 2 x 8.6 Poisson standard deviations, so 1000 serve noncentralities up to
// some 10^4 near the mode.
constexpr int32_t term_limit = 1000;

// Relative size of the last term taken: 2^-53 plus two units.
constexpr double walk_tolerance = eps_53;

// True when all eleven exponent bits of v are set (an infinity or a NaN,
// such as the host's missing value).
bool exponent_all_ones(double v)
{
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return ((bits >> 52) & 0x7ff) == 0x7ff;
}

}  // namespace

int32_t ncf_log_density(double x, double n1, double n2, double lambda, double* out)
{
    if (!(x >= 0.0) || !(n1 > 0.0) || !(n2 > 0.0) || !(lambda >= 0.0))
        return 1;

    double y, jacobian;
    if (n2 > n1) {
        double q = x * n1 / n2;
        y = q / (1.0 + q);
        jacobian = elem_ln(n1 / n2) - 2.0 * log1p_rel(q);
    } else {
        double s = n2 / (n1 * x);
        y = 1.0 / (1.0 + s);
        double q = n1 * x / n2;
        jacobian = -log1p_rel(q) - elem_ln(x + n2 / n1);
    }
    double a = n1 * 0.5;
    double b = n2 * 0.5;

    double t;
    if (lambda == 0.0) {
        if (beta_log_density(y, a, b, &t) != 0)
            return 1;
        if (exponent_all_ones(t))
            host_missing_value(out);
        else
            *out = t + jacobian;
        return 0;
    }

    double h = lambda * 0.5;
    double yh = y * h;
    double m = (a - 1.0 + yh) * 0.5;
    double d = m * m + (a + b) * yh - a;
    double root = d > 0.0 ? elem_sqrt(d) - m : 0.0;
    if (root > int32_max_double)
        return 1;
    int32_t k0 = root > 0.0 ? static_cast<int32_t>(root) : 0;

    double p;
    if (gamma_log_density(h, k0 + 1.0, &p) != 0 || beta_log_density(y, a + k0, b, &t) != 0)
        return 1;
    if (exponent_all_ones(t)) {
        host_missing_value(out);
        return 0;
    }
    double largest = t + jacobian + p;

    double ab1 = (a + b) - 1.0;  // a + b + k - 1 = ab1 + k
    double sum = 0.0;
    double ratio = 1.0;
    int32_t count = 0;
    for (int32_t k = k0; k >= 1; --k) {
        ratio = ratio * (k * (a + (k - 1.0))) / ((ab1 + k) * yh);  // term_(k-1) / term_k0
        if (ratio < sum * walk_tolerance)
            break;
        sum += ratio;
        if (count > term_limit)
            return 1;
        ++count;
    }
    ratio = 1.0;
    if (sum * walk_tolerance < 1.0) {
        for (int32_t k = k0 + 1;; ++k) {
            ratio = ratio * ((ab1 + k) * yh) / (k * (a + (k - 1.0)));  // term_k / term_k0
            if (count > term_limit)
                return 1;
            ++count;
            sum += ratio;
            if (!(sum * walk_tolerance < ratio))
                break;
        }
    }
    *out = largest + log1p_rel(sum);
    return 0;
}
