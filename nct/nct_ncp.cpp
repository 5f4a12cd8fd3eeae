// nct_ncp: the noncentrality delta with P(T <= t; df, delta) = p (or
// P(T > t) = p), the inversion behind the confidence interval for a
// standardized mean difference (Steiger and Fouladi 1997; Cumming and Finch
// 2001).
//
// P(T <= t; delta) = E[Phi(t S - delta)] falls strictly from 1 to 0 as delta
// runs over the reals, so every 0 < p < 1 has one root.  The iteration works
// on the smaller tail, target q = min(p, 1 - p) (1 - p is exact for p >= 1/2),
// and on its logarithm, g(delta) = ln(T(delta)/q) for T = P, ln(q/Q) for
// T = Q, decreasing either way: ln T is nearly linear in delta far out, where
// T itself spans hundreds of orders of magnitude.  Each step is one
// evaluation at the point (t, df) prepared once (nct_evaluate_at), which
// gives T, its slope and the density from the same sum, and from these the
// second and third derivatives (ncp_sample), so that Halley's iteration on
// the whole line (halley_root_line) steps and stops on its predicted error
// without a confirming evaluation, to max(1, |delta|) 2^-53.
//
// Start: the normal approximation of nct_start.cpp solved for delta,
// delta0 = t (1 - 1/(4 df)) -/+ z sqrt(1 + t^2/(2 df)), z the normal deviate
// of q: about 1e-3 off for df of some tens, so that two evaluations find
// most roots (below df = 1, -/+z).

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

// The largest |delta| searched: beyond it the noncentral t is a normal law
// to far below the tails' rounding.
constexpr double max_delta = 1e150;

}  // namespace

namespace {

struct ncp_problem {
    nct_point point;
    bool lower;     // g from P (else from Q)
    double log_q;   // ln of the target tail
    double t, df;
};

// g(delta) = ln(P/q) (lower) or ln(q/Q), decreasing in delta, and its
// derivatives from one evaluation: with P1 = -dP/d(delta) and the density f,
//
//     P'' = delta P1 - t f,   P''' = (1 - delta^2) P1 + 2 t delta f - t^2 M2,
//
// M2 = E[S^2 phi(t S - delta)] = (df P1 + t delta f)/(df + t^2) (integration
// by parts against the chi density, whose log derivative is
// (df - 1)/s - df s), so that the second and third derivatives cost nothing
// beyond the first.
int32_t ncp_sample(void* context, double delta, halley_sample* out)
{
    auto* f = static_cast<ncp_problem*>(context);
    nct_evaluation e;
    if (nct_evaluate_at(&f->point, delta, &e) != 0)
        return 1;
    const double log_tail = f->lower ? e.log_lower : e.log_upper;
    if (!(e.log_slope - log_tail <= log_max_double))
        return 1;
    const double rate = nct_exp_bounded(e.log_slope - log_tail);                // P1/T
    const double density_ratio = nct_exp_bounded(e.log_density - e.log_slope);  // f/P1
    const double t = f->t, df = f->df;
    const double m2_ratio = df == infinity ? 1.0 : (df + t * delta * density_ratio) / (df + t * t);
    const double torsion = (1.0 - delta * delta) + 2.0 * t * delta * density_ratio - t * t * m2_ratio;
    // T'/T, T''/T, T'''/T of the tail T: P (falling) or Q = 1 - P (rising).
    const double sign = f->lower ? -1.0 : 1.0;
    nct_halley_sample(log_tail, f->log_q, -sign, sign * rate, -sign * e.curvature * rate,
                      sign * torsion * rate, out);
    return 0;
}

}  // namespace

int32_t nct_ncp_traced(double t, double df, double p, int32_t tail, double* delta,
                       int32_t* evaluations)
{
    *delta = not_a_number;
    *evaluations = 0;
    if (!(t - t == 0.0 && df > 0.0 && (df <= nct_max_df || df == infinity) && p > 0.0 && p < 1.0)
        || !(tail == nct_lower_tail || tail == nct_upper_tail))
        return nct_invalid;
    // Work on the smaller tail: lower = whether q is a lower-tail probability.
    ncp_problem f;
    f.lower = tail == nct_lower_tail;
    double q = p;
    if (p > 0.5) {
        q = 1.0 - p;
        f.lower = !f.lower;
    }
    f.log_q = elem_ln(q);
    f.t = t;
    f.df = df;
    double z = nct_normal_deviate(f.log_q);  // Phi(-z) = q
    double c = df == infinity ? 1.0 : 1.0 - 0.25 / df;
    double spread = df == infinity ? 1.0 : elem_sqrt(1.0 + t * t / (2.0 * df));
    // lower: P(T <= t) = q small means t lies below delta, delta = c t + z spread.
    double d = f.lower ? c * t + z * spread : c * t - z * spread;
    // Below df = 1 the approximation means nothing (c turns negative at
    // df = 1/4): start from the normal deviate itself.
    if (df < 1.0)
        d = f.lower ? z : -z;

    // Every step evaluates at the same (t, df): its point is formed once.
    nct_point_prepare(t, df, &f.point);
    double root;
    halley_trace trace;
    int32_t status = halley_root_line(ncp_sample, &f, d, 1.0, max_delta, &root, &trace);
    *evaluations = trace.evaluations;
    if (status != halley_converged)
        return nct_failed;
    *delta = root;
    return nct_ok;
}

int32_t nct_ncp(double t, double df, double p, int32_t tail, double* delta)
{
    int32_t evaluations;
    return nct_ncp_traced(t, df, p, tail, delta, &evaluations);
}
