// The building blocks of the noncentral t routines of nct/nct.h: one
// evaluation that gives both tails, the slope and curvature in delta and the
// density from a single sum or integral, and the two methods behind it.
// The inversion in delta and the quantile in t take what they need from one
// evaluation per step; the tests and the benchmark read its method and steps.
#pragma once

#include <cstdint>

#include "numeric/halley_root.h"

// How an evaluation was reached.
constexpr int32_t nct_method_none = 0;      // failure
constexpr int32_t nct_method_origin = 1;    // t = 0: P = Phi(-delta) in closed form
constexpr int32_t nct_method_series = 2;    // Poisson-weighted incomplete beta series
constexpr int32_t nct_method_integral = 3;  // trapezoidal rule over the chi scale

// One evaluation at (t, df, delta).  P = P(T <= t), Q = P(T > t); P falls
// in delta, so its slope is reported as the positive -dP/d(delta).
struct nct_evaluation {
    double log_lower;    // ln P
    double log_upper;    // ln Q
    double log_slope;    // ln(-dP/d(delta))
    double curvature;    // (d^2 P/d(delta)^2) / (-dP/d(delta))
    double log_density;  // ln of the density at t
    int32_t method;      // one of nct_method_*
    int32_t steps;       // series steps or integrand nodes
};

// What every evaluation at one (t, df) shares, so that a search in delta
// forms it once: |t| and the forward series' start terms at x = t^2/(t^2 +
// df), and the one incomplete beta ratio it may need, formed on first use.
struct nct_point {
    double t, df;
    double abs_t, log_abs_t;
    int32_t forward_ready;     // 1 when the forward series may run at |t|
    double x, y, b;            // x, 1 - x, df/2
    double u_half;             // u(1/2) = 2/sqrt(pi) Gamma(b + 1/2)/Gamma(b) x^(1/2) y^b
    double u_one;              // u(1) = b x y^b
    double y_b;                // y^b
    int32_t complement_state;  // 0 not yet formed, 1 formed, 2 not a normal double
    double complement;         // 1 - I_x(1/2, b)
};

// The point at (t, df), t finite, 0 < df <= nct_max_df (forward_ready 0
// where the start terms leave the double range).
void nct_point_prepare(double t, double df, nct_point* point);

// 1 - I_x(1/2, b) of the point into *out: 0, or 1 where it is not a normal
// double.
int32_t nct_point_complement(nct_point* point, double* out);

// nct_evaluate at the prepared point's (t, df).
int32_t nct_evaluate_at(nct_point* point, double delta, nct_evaluation* out);

// The curvature (d^2 P/d(delta)^2)/(-dP/d(delta)) = delta - t f(t)/(-dP/d(delta))
// from the slope and the density: with P = E[Phi(t S - delta)],
// d^2 P/d(delta)^2 = -E[v phi(v)], v = t S - delta, = delta E[phi(v)] - t E[S phi(v)].
double nct_curvature(double t, double delta, double log_slope, double log_density);

// The largest degrees of freedom taken: twice the largest beta shape of the
// library's incomplete beta ratio.
constexpr double nct_max_df = 4294967294.0;

// The evaluation at t, df in (0, nct_max_df], delta finite (all checked:
// 1 on a domain failure or a method that did not settle, the record then
// of no use; 0 on success).
int32_t nct_evaluate(double t, double df, double delta, nct_evaluation* out);

// The series from the Poisson mode in extended precision for t > 0 and
// delta >= 0 (the caller reflects the other signs).  Up to delta^2/2 =
// nct_series_max_mean, 128 (delta up to 16), its two chains take some
// 2 x 2 x 9.5 sqrt(128) = 430 steps, about what the integral's nodes cost;
// beyond it the integral is the cheaper, and the series is taken only where
// the integral does not settle, up to delta^2/2 = nct_series_largest_mean,
// 2^27 (delta up to 16384): there its 2 x 2 x 9.5 sqrt(lam) steps, some
// 440000, bound one call to about 17 ms (9 ms measured for the 235000 steps
// at delta = 1e4), and its indices stay far inside int32_t.  The forward
// series shares the first bound (its steps, lam + 9.5 sqrt(lam) per chain,
// are fewer below it).  0 or 1.
constexpr double nct_series_max_mean = 128.0;
constexpr double nct_series_largest_mean = 0x1p27;
int32_t nct_series(double t, double df, double delta, nct_evaluation* out);

// The series summed forward from j = 0 in double precision, each tail a sum
// of positive terms (nct/nct_series_forward.cpp), for t > 0 (the point's
// |t|) and delta >= 0 with delta^2/2 <= nct_series_max_mean: the method of
// ordinary designs.  0, or 1 where it cannot answer (the caller then takes
// nct_series).
int32_t nct_series_forward(nct_point* point, double delta, nct_evaluation* out);

// x = t^2/(t^2 + df), y = df/(t^2 + df) and their logs, each formed
// directly in extended precision: b ln y is of the size of b x, and a
// double's rounding of x would show there b times over (1e-13 at df = 1e6).
// Inside an extended-precision stretch; 0, or 1 where x or y is not a
// normal double.
struct nct_beta_argument {
    double x, y;
    long double ln_x, ln_y;
};
int32_t nct_beta_argument_of(double t, double df, nct_beta_argument* arg);

// ln I_x(a, b) and ln(1 - I_x(a, b)) (y = 1 - x): 0, or 1 where the ratio
// fails.
int32_t nct_beta_ratio_logs(double x, double y, double a, double b, double* log_i, double* log_j);

// The integral for any t != 0 and delta (the method of the far tails and of
// the large noncentralities).  0 or 1.
int32_t nct_integral(double t, double df, double delta, nct_evaluation* out);

// ln(Gamma(a + 1/2) / (Gamma(a) sqrt(a))) for a > 0 (E[S] for S the chi
// scale with 2a degrees of freedom), without the cancellation of the two log
// gammas and ln a for large a: it falls as -1/(8a).
double log_gamma_half_ratio_root(double a);

// ln(e^u + e^v) and ln(e^u - e^v) (u >= v) of two logs, either of which may
// be the log of 0 (-inf or -DBL_MAX).
double nct_log_add(double u, double v);
double nct_log_subtract(double u, double v);

// e^w of a log probability or density, 0 for the log of 0 (-inf or
// -DBL_MAX); below the normal range a subnormal or 0.
double nct_exp_of_log(double w);

// e^w of a log ratio, 0 below the normal range and DBL_MAX above it.
double nct_exp_bounded(double w);

// The sample of Halley's iteration (numeric/halley_root.h) for
// g = sign (ln T - ln q), sign = +1 or -1 as makes g fall, from the tail's
// derivatives relative to itself, r1 = T'/T, r2 = T''/T, r3 = T'''/T; its
// noise is the rounding of a tail given in logarithms, 2^-50 (|ln T| + 1).
void nct_halley_sample(double log_tail, double log_q, double sign, double r1, double r2, double r3,
                       halley_sample* out);

// The standard normal deviate z with Phi(-z) = q, from ln q (0 < q <= 1/2).
double nct_normal_deviate(double log_q);

// nct_ncp (nct/nct.h), reporting the evaluations it took.
int32_t nct_ncp_traced(double t, double df, double p, int32_t tail, double* delta,
                       int32_t* evaluations);
