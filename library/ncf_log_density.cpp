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
// At most 1001 ratio terms for both walks together: the mixture weights
// around k0 spread over about sqrt(h y) standard deviation, and the walks
// need some 8 of them on each side, so a thousand terms cover noncentralities
// into the thousands; beyond that the routine fails rather than return a
// truncated sum.
//
// The beta log density of a term is formed with ln(1 - y) = -log1p(q)
// rather than from the rounded y: 1 - y is 1/(1 + q), and taking it as
// 1 - y would cost a relative error of 2^-53 (1 + q) in it, (b-1) times that
// in the log (some 1e-4 at x = 1e12), and the missing value once y rounds
// to 1.  The end point y = 0, and anything out of range, go through
// beta_log_density and its missing value.
//
// End points.  At x = 0 (y = 0) the density is finite only for n1 = 2 (it
// is e^-h there, the central F(2, n2) density at 0 being 1); otherwise its
// logarithm is infinite and the beta log density of the largest term
// returns the host's missing value, which is passed on with status 0.

#include "library/ncf_log_density.h"

#include "library/densities.h"
#include "numeric/constants.h"
#include "numeric/elementary.h"
#include "numeric/host_link.h"
#include "numeric/primitives.h"

namespace {

// Term counter limit: a term found with the counter above itrmax fails, so
// both walks together add at most itrmax + 1 = 1001 ratio terms.
constexpr int32_t itrmax = 1000;

// An infinity or NaN (all eleven exponent bits set): the missing value of a
// log density that does not exist.
bool exponent_all_ones(double v) { return !(v - v == 0.0); }

// ln g(y; alpha, b), the Beta(alpha, b) log density at y = q/(1 + q), with
// ln(1 - y) = -log1p(q).
int32_t term_beta_log_density(double y, double q, double alpha, double b, double* out)
{
    if (!(y > 0.0 && q < max_double && alpha > 0.0 && b > 0.0))
        return beta_log_density(y, alpha, b, out);
    *out = (alpha - 1.0) * elem_ln(y) - (b - 1.0) * log1p_rel(q) - log_beta(alpha, b);
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
        if (term_beta_log_density(y, q, a, b, &t) != 0)
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
        || term_beta_log_density(y, q, a + k0, b, &log_beta_term) != 0)
        return 1;
    if (exponent_all_ones(log_beta_term)) {
        host_missing_value(out);
        return 0;
    }
    const double largest = log_beta_term + jacobian + log_weight;

    // Downward from k0: r is the ratio of term k-1 to term k0.
    double sum = 0.0, r = 1.0;
    int32_t count = 0;
    for (double k = k0; k >= 1.0; k -= 1.0) {
        r *= k * (a + k - 1.0) / ((a + b + k - 1.0) * yh);
        if (r < sum * eps_53)
            break;
        sum += r;
        if (count > itrmax)
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
            if (count > itrmax)
                return 1;
            ++count;
            sum += r;
        } while (sum * eps_53 < r);
    }

    *out = largest + log1p_rel(sum);
    return 0;
}
