// nct_quantile: the t with P(T <= t; df, delta) = p (or P(T > t) = p).
//
// As nct_ncp, on the smaller tail and its logarithm, g(t) = ln(q/P) or
// ln(Q/q), decreasing in t, with its first three derivatives from one
// evaluation (the density and the moments of quantile_sample), by Halley's
// iteration on the whole line (halley_root_line) to max(1, |t|) 2^-53: its
// growth by 16|t| + 1 while one end of the bracket is open reaches the
// quantiles of the heavy tails of small df (P(T > t) ~ t^-df, near 1e150
// at df = 2 and p = 1e-300).
//
// Start: the normal approximation of nct_start.cpp solved for t, the root of
// (c t - delta)^2 = z^2 (1 + t^2/(2 df)), c = 1 - 1/(4 df), on the side of
// delta/c that the tail asks for; delta -/+ z where it has none.

#include "nct/nct.h"

#include <limits>

#include "nct/nct_detail.h"
#include "numeric/constants.h"
#include "numeric/elementary.h"
#include "numeric/halley_root.h"
#include "numeric/primitives.h"

namespace {

constexpr double not_a_number = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();

}  // namespace

namespace {

struct quantile_problem {
    bool lower;       // g from P (else from Q)
    double log_q;
    double df, delta;
};

// g(t) = ln(q/P) (lower) or ln(Q/q), decreasing in t, and its derivatives
// from one evaluation: P' = f = M1, P'' = f' = -(t M3 - delta M2),
// P''' = f'' = -((1 - delta^2) M3 + 2 t delta M4 - t^2 M5), with
// M_k = E[S^k phi(t S - delta)] (M0 the slope in delta, M1 the density) and,
// by parts against the chi density,
//
//     M_(k+1) = ((df + k - 1) M_(k-1) + t delta M_k)/(df + t^2).
int32_t quantile_sample(void* context, double t, halley_sample* out)
{
    auto* f = static_cast<quantile_problem*>(context);
    nct_evaluation e;
    if (nct_evaluate(t, f->df, f->delta, &e) != 0)
        return 1;
    const double log_tail = f->lower ? e.log_lower : e.log_upper;
    if (!(e.log_density - log_tail <= log_max_double))
        return 1;
    const double rate = nct_exp_bounded(e.log_density - log_tail);  // f/T
    const double df = f->df, delta = f->delta, td = t * delta;
    double m2 = 1.0, m3 = 1.0, m4 = 1.0, m5 = 1.0;  // M_k/M1; all 1 where S = 1
    if (df != infinity) {
        const double m0 = nct_exp_bounded(e.log_slope - e.log_density);
        const double w = 1.0 / (df + t * t);
        m2 = (df * m0 + td) * w;
        m3 = ((df + 1.0) + td * m2) * w;
        m4 = ((df + 2.0) * m2 + td * m3) * w;
        m5 = ((df + 3.0) * m3 + td * m4) * w;
    }
    const double bend = -(t * m3 - delta * m2);                                    // f'/f
    const double twist = -((1.0 - delta * delta) * m3 + 2.0 * td * m4 - t * t * m5);  // f''/f
    // T'/T, T''/T, T'''/T of the tail: P (rising) or Q = 1 - P (falling).
    const double sign = f->lower ? 1.0 : -1.0;
    nct_halley_sample(log_tail, f->log_q, -sign, sign * rate, sign * bend * rate, sign * twist * rate,
                      out);
    return 0;
}

}  // namespace

int32_t nct_quantile(double p, int32_t tail, double df, double delta, double* t)
{
    *t = not_a_number;
    if (!(p >= 0.0 && p <= 1.0 && df > 0.0 && (df <= nct_max_df || df == infinity)
          && delta - delta == 0.0)
        || !(tail == nct_lower_tail || tail == nct_upper_tail))
        return nct_invalid;
    bool lower = tail == nct_lower_tail;
    if (p == 0.0 || p == 1.0) {
        *t = (p == 0.0) == lower ? -infinity : infinity;
        return nct_ok;
    }
    double q = p;
    if (p > 0.5) {
        q = 1.0 - p;
        lower = !lower;
    }
    const double log_q = elem_ln(q);
    double z = nct_normal_deviate(log_q);
    double c = df == infinity ? 1.0 : 1.0 - 0.25 / df;
    double h = df == infinity ? 0.0 : 0.5 / df;
    double a = c * c - z * z * h, b = -2.0 * c * delta, cc = delta * delta - z * z;
    double disc = b * b - 4.0 * a * cc;
    double x = lower ? delta - z : delta + z;
    if (a > 0.0 && disc >= 0.0) {
        double root = elem_sqrt(disc);
        x = lower ? (-b - root) / (2.0 * a) : (-b + root) / (2.0 * a);
    }

    quantile_problem f{lower, log_q, df, delta};
    double root;
    if (halley_root_line(quantile_sample, &f, x, 1.0, max_double, &root, nullptr) != halley_converged)
        return nct_failed;
    *t = root;
    return nct_ok;
}
