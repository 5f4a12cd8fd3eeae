// ncf_log_density: ln of the noncentral F density, a Poisson mixture of
// beta densities,
//
//     f(x) = sum_k e^-h h^k / k! * g(y; a+k, b) * dy/dx,
//     h = lambda/2,  a = n1/2,  b = n2/2,  y = n1 x / (n1 x + n2),
//
// g(.; alpha, beta) the Beta(alpha, beta) density and
// dy/dx = (n1/n2) / (1 + n1 x/n2)^2.
//
// Method.  The ratio of successive terms,
//     term(k) / term(k-1) = (a+b+k-1) y h / (k (a+k-1)),
// is at least one up to the positive root of the quadratic
//     k^2 + (a - 1 - y h) k - (a+b-1) y h = 0,
// so the largest term sits at k0 = floor(sqrt(D) - m), m = (a-1-y h)/2,
// D = m^2 + (a+b-1) y h (0 when D <= 0 or the root is negative).  That
// term is taken in logs,
//     T0 = ln(e^-h h^k0 / k0!) + ln g(y; a+k0, b) + ln dy/dx,
// and the others are summed as ratios to it, walking down from k0 (at most
// to k = 0) and then up, each walk stopping once its terms fall below one
// unit in the last place of the running sum S (eps = 2^-53 plus two units);
// ln f = T0 + log1p(S).  No term is formed outside the double range, so the
// log density stays exact where f itself under- or overflows.
//
// The variable y and the log Jacobian take two algebraically equal forms,
// each keeping y and ln dy/dx accurate on its side:
//     n2 > n1:  q = n1 x/n2,  y = q/(1+q),      J = ln(n1/n2) - 2 log1p(q);
//     else:     s = n2/(n1 x), y = 1/(1+s),    J = -log1p(q) - ln(x + n2/n1).
//
// At most 1001 ratio terms for both walks together, or more for a large
// noncentrality: the mixture weights around k0 spread over at most about
// sqrt(k0) (the ratio of successive terms falls by 1/k0 + 1/(a+k0) -
// 1/(a+b+k0) per step), and the walks need some 8.6 such standard
// deviations on each side to reach 2^-53 of the sum, so the limit is
// max(1000, 40 sqrt(k0)): some 28,000 terms at lambda = 10^6.  Beyond it the
// routine fails rather than return a truncated sum.
//
// The beta log density of the largest term is formed in extended
// precision: its parts, (a+k0-1) ln y, (b-1) ln(1 - y) and ln B(a+k0, b),
// are of size (a + b + k0) and cancel to one of order one near the mode,
// and in doubles their roundings left up to 3e-12 of the log density at
// noncentralities of 10^4 to 10^5.  ln y and ln(1 - y) come from q (ln q -
// ln(1 + q) and -ln(1 + q)) rather than from the rounded y: 1 - y is
// 1/(1 + q), and taking it as 1 - y would cost a relative error of 2^-53
// (1 + q) in it, (b-1) times that in the log (some 1e-4 at x = 1e12), and
// the missing value once y rounds to 1.  The end point y = 0, and anything
// out of range, go through beta_log_density and its missing value.
//
// End points.  At x = 0 (y = 0) the density is finite only for n1 = 2 (it
// is e^-h there, the central F(2, n2) density at 0 being 1); otherwise its
// logarithm is infinite and the beta log density of the largest term
// returns the host's missing value, which is passed on with status 0.

#include "library/ncf_log_density.h"

#include "library/densities.h"
#include "numeric/log_extended.h"
#include "numeric/constants.h"
#include "numeric/elementary.h"
#include "numeric/host_link.h"
#include "numeric/primitives.h"

namespace {

// Term counter limit: a term found with the counter above the limit fails,
// so both walks together add at most limit + 1 ratio terms.  The limit is
// itrmax, or spread_terms sqrt(k0) when that is larger (twice the 8.6
// standard deviations, at most sqrt(k0), that each walk needs, and room).
constexpr int32_t itrmax = 1000;
constexpr double spread_terms = 40.0;

// An infinity or NaN (all eleven exponent bits set): the missing value of a
// log density that does not exist.
bool exponent_all_ones(double v) { return !(v - v == 0.0); }

// ln g(y; a + k, b), the Beta(a + k, b) log density at y = q/(1 + q), with
// ln y = ln q - ln(1 + q) and ln(1 - y) = -ln(1 + q) from q.
int32_t term_beta_log_density(double y, double q, double a, double k, double b, double* out)
{
    const double alpha = a + k;
    if (!(y > 0.0 && q < max_double && alpha > 0.0 && b > 0.0))
        return beta_log_density(y, alpha, b, out);
    uint16_t saved = elem_extended_begin();
    long double u = 1.0L + static_cast<long double>(q);
    elem_extended_hold(u);
    long double log_one_plus_q = u == 1.0L ? static_cast<long double>(q)
                                           : elem_ln_fyl2x_ext(u) * (q / (u - 1.0L));
    long double log_y = elem_ln_table_ext(q) - log_one_plus_q;
    // The shape a + k exactly, and ln B at its double alpha moved to it by
    // the derivative psi(alpha) - psi(alpha + b), psi(t) ~ ln t - 1/(2t):
    // the rounding of a + k would otherwise move ln B by up to 2^-54 alpha
    // times that derivative.
    long double exact_alpha = static_cast<long double>(a) + k;
    long double shift = exact_alpha - alpha;
    long double log_b = log_beta_extended(alpha, b);
    if (shift != 0.0L) {
        long double s = static_cast<long double>(alpha) + b;
        log_b += shift
                 * (elem_ln_table_ext(alpha) - elem_ln_fyl2x_ext(s) - 0.5L / alpha + 0.5L / s);
    }
    long double sum = (exact_alpha - 1.0L) * log_y - (b - 1.0L) * log_one_plus_q - log_b;
    elem_extended_hold(sum);
    elem_extended_end(saved);
    *out = static_cast<double>(sum);
    return 0;
}

}  // namespace

int32_t ncf_log_density(double x, double n1, double n2, double lambda, double* out)
{
    if (!(x >= 0.0 && n1 > 0.0 && n2 > 0.0 && lambda >= 0.0))
        return 1;

    double y, q, jacobian;
    if (n2 > n1) {
        q = x * n1 / n2;
        y = q / (1.0 + q);
        jacobian = elem_ln(n1 / n2) - 2.0 * log1p_rel(q);
    } else {
        double s = n2 / (n1 * x);
        y = 1.0 / (1.0 + s);
        q = n1 * x / n2;
        jacobian = -log1p_rel(q) - elem_ln(x + n2 / n1);
    }
    const double a = 0.5 * n1, b = 0.5 * n2;

    if (lambda == 0.0) {
        double t;
        if (term_beta_log_density(y, q, a, 0.0, b, &t) != 0)
            return 1;
        if (exponent_all_ones(t))
            host_missing_value(out);
        else
            *out = t + jacobian;
        return 0;
    }

    const double h = 0.5 * lambda;
    const double yh = y * h;
    const double m = 0.5 * (a - 1.0 - yh);
    const double d = m * m + (a + b - 1.0) * yh;
    double k0 = 0.0;
    if (d > 0.0) {
        double root = elem_sqrt(d) - m;
        if (root > int32_max_double)
            return 1;
        if (root > 0.0)
            k0 = elem_floor(root);
    }

    double log_weight, log_beta_term;
    if (gamma_log_density(h, k0 + 1.0, &log_weight) != 0
        || term_beta_log_density(y, q, a, k0, b, &log_beta_term) != 0)
        return 1;
    if (exponent_all_ones(log_beta_term)) {
        host_missing_value(out);
        return 0;
    }
    const double largest = log_beta_term + jacobian + log_weight;

    const double spread_limit = spread_terms * elem_sqrt(k0);
    const int32_t limit = spread_limit > itrmax ? static_cast<int32_t>(spread_limit) : itrmax;

    // Downward from k0: r is the ratio of term k-1 to term k0.
    double sum = 0.0, r = 1.0;
    int32_t count = 0;
    for (double k = k0; k >= 1.0; k -= 1.0) {
        r *= k * (a + k - 1.0) / ((a + b + k - 1.0) * yh);
        if (r < sum * eps_53)
            break;
        sum += r;
        if (count > limit)
            return 1;
        ++count;
    }

    // Upward from k0: r is the ratio of term k to term k0.
    r = 1.0;
    if (sum * eps_53 < 1.0) {
        double k = k0;
        do {
            k += 1.0;
            r *= (a + b + k - 1.0) * yh / (k * (a + k - 1.0));
            if (count > limit)
                return 1;
            ++count;
            sum += r;
        } while (sum * eps_53 < r);
    }

    *out = largest + log1p_rel(sum);
    return 0;
}
