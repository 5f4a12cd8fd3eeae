// The building blocks of the noncentral t routines of nct/nct.h: one
// evaluation that gives both tails, the slope and curvature in delta and the
// density from a single sum or integral, and the two methods behind it.
// The inversion in delta and the quantile in t take what they need from one
// evaluation per step; the tests and the benchmark read its method and steps.
#pragma once

#include <cstdint>

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

// The largest degrees of freedom taken: twice the largest beta shape of the
// library's incomplete beta ratio.
constexpr double nct_max_df = 4294967294.0;

// The evaluation at t, df in (0, nct_max_df], delta finite (all checked:
// 1 on a domain failure or a method that did not settle, the record then
// of no use; 0 on success).
int32_t nct_evaluate(double t, double df, double delta, nct_evaluation* out);

// The series for t > 0 and delta >= 0 (the caller reflects the other
// signs), with delta^2/2 at most nct_series_max_mean: 128 (delta up to 16),
// where its two chains take some 2 x 2 x 9.5 sqrt(128) = 430 steps, about
// what the integral's nodes cost; beyond it the integral is the cheaper.
// 0 or 1.
constexpr double nct_series_max_mean = 128.0;
int32_t nct_series(double t, double df, double delta, nct_evaluation* out);

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

// The standard normal deviate z with Phi(-z) = q, from ln q (0 < q <= 1/2).
double nct_normal_deviate(double log_q);

// nct_ncp (nct/nct.h), reporting the evaluations it took.
int32_t nct_ncp_traced(double t, double df, double p, int32_t tail, double* delta,
                       int32_t* evaluations);
