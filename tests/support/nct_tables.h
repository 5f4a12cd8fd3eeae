// The rows of the noncentral t reference tables (tests/reference/gen_nct.py,
// tests/data/nct.inc) and how they are measured.
//
// A tail T is measured by the error of ln T (its relative error) against
// kappa_T = max(1, |t| f/T, |delta| (-dT/d delta)/T), the condition number of
// T in its arguments t and delta: the rounding of t to a double moves T by
// that much relative.  The slope and the density are held to the larger of
// the two tails' kappa.
#pragma once

#include <cmath>

struct nct_row {
    double t, df, delta;
    double lp, lp_rel, lq, lq_rel, ls, ls_rel, lf, lf_rel;
};
struct nct_ncp_row {
    double t, df, p, delta, rel;
};

// |got - hi (1 + rel)| of a log.
inline double nct_log_error(double got, double hi, double rel)
{
    return std::fabs((got - hi) - rel * hi);
}

struct nct_kappa {
    double lower, upper, both;
};

inline nct_kappa nct_kappa_of(const nct_row& r)
{
    auto one = [&](double log_tail) {
        double k = 1.0;
        k = std::fmax(k, std::fabs(r.t) * std::exp(r.lf - log_tail));
        k = std::fmax(k, std::fabs(r.delta) * std::exp(r.ls - log_tail));
        return k;
    };
    nct_kappa k{one(r.lp), one(r.lq), 0.0};
    k.both = std::fmax(k.lower, k.upper);
    return k;
}
