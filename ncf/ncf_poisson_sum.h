// The outward Poisson summation of the noncentral F distribution function,
// shared by ncf_cdf and the log-space routines of library/ (ncf_log_probs,
// ncf_log_tails).
//
// With a = df1/2, b = df2/2, Poisson mean lam, beta argument x' and the
// regularized incomplete beta ratios I_j = I_x'(a+j, b),
//
//     sum_j p_j I_j = I_k + D,   D = sum_j p_j (I_j - I_k),
//
// since the weights p_j = e^-lam lam^j / j! sum to 1.  D is summed outward
// from the start index k in both directions.  The differences are running
// sums of the beta terms
//
//     u_j = I_j - I_(j+1) = x'^(a+j) y'^b / ((a+j) B(a+j, b)),
//     u_(j-1) = u_j (a+j) / ((a+b+j-1) x'),   u_(j+1) = u_j (a+b+j) x' / (a+j+1),
//
// and the weights follow p_(j-1) = p_j j/lam and p_(j+1) = p_j lam/(j+1).
// One pass takes a backward step (while j > 0) and a forward step; a
// direction stops for good when its last term falls to |D| tol or below,
// relative to the running sum (I_k is the caller's, added after), and the
// sum stops when both have, or at the step limit.  a + b + j - 1 is formed as
// (a + b) + (j - 1), the integer added last so that a + b far below 1 is
// not lost to it; the divisions by x' and lam are multiplications by their
// reciprocals.
//
// The sum is linear in the start weight p_k and beta term u_k, so a caller
// whose p_k u_k lies outside the double range may pass 1 for both and
// scale D by p_k u_k in logarithms afterwards.
//
// Derivatives in the Poisson mean from the same terms.  Since
// dp_j/dlam = p_(j-1) - p_j,
//
//     dP/dlam     = sum_j p_j (I_(j+1) - I_j) = -sum_j t_j,      t_j = p_j u_j,
//     d2P/dlam2   = sum_j p_j (u_j - u_(j+1)) = sum_j t_j (1 - j/lam),
//     d3P/dlam3   = -sum_j t_j (1 - 2j/lam + j(j-1)/lam^2),
//
// the last two by p_(j-1) = p_j j/lam.  With d_j = j - lam they are
// -M1/lam and -(M2 - M1 - lam T0)/lam^2 in the moments T0 = sum t_j,
// M1 = sum d_j t_j, M2 = sum d_j^2 t_j, which a caller asking for them
// (`with_moments`, into *moments) receives: the loop forms u_j and p_j at every index
// it visits, t_k included, so they cost one multiplication and three
// additions a step and no second sum.  Each direction keeps the running
// sum R of its terms and the running sums S1 of R and S2 of S1; after n
// steps, with s = |j - k| the step at which t_j was added,
//
//     sum s t = (n + 1) R - S1,   sum s^2 t = (n + 1)^2 R - (2n + 3) S1 + 2 S2,
//
// (S1 = sum (n - s + 1) t, S2 = sum (n - s + 1)(n - s + 2)/2 t), and the
// moments about k move to lam by d_j = (j - k) + (k - lam), |k - lam| < 1.
// The differences lose the bits of about n/sqrt(lam) and (n/sqrt(lam))^2
// (the terms' spread against the steps taken), a few of the extended
// format's and, for the double sums of ncf_cdf (tens of steps), of the
// double's: the derivatives steer a root search, whose last step is some
// 1e-7 of lam or less, so that 1e-12 in them leaves 1e-19 in the root.
// (Moments about lam rather than about 0 leave the cancellation of the
// weights' bulk, of relative size 1/sqrt(lam), to the terms themselves.)
// They share the scaling of D (p_k = u_k = 1 gives them
// relative to p_k u_k) and the stopping rule of D: every term t_j the sum
// leaves out is at most its own last difference term, so they are as
// complete as D is, relative to |D|.
//
// Template parameters: `real`, the arithmetic of the recurrences; `accum`,
// the type of the running sum (ncf_cdf rounds it to double after every
// addition; the log-space routines keep it in extended precision);
// `guarded`, the double loop's watch for terms below ncf_sum_floor (see
// ncf_cdf), where it abandons the sum and returns ncf_sum_left_double_range;
// `rescaled` (extended precision only), for scaled start values whose sum
// grows beyond the extended range: when the backward difference passes
// 2^8192 it, its beta term, the forward weight, both last terms and the sum
// are multiplied by 2^-8192, exactly, and *scale counts the factors
// (D = sum 2^(8192 scale)); when the backward weight falls below 2^-8192
// a factor 2^8192 moves into it from its difference and beta term;
// `divided`, for the long double-precision sums of the log-space routines
// (thousands of steps): the backward ratios j/lam and
// (a + j)/((a + b + j - 1) x') divided afresh each step, so that their
// roundings do not compound as the one rounding of 1/lam and 1/x' would
// (n eps/2 over n steps); ncf_cdf's shorter sums keep the reciprocals and
// so their bits.
//
// backward_to_zero makes the backward direction run on to j = 0 whatever
// its terms: with a + b below 1 the last step multiplies the beta term by
// (a + 1)/((a + b) x'), and a term that has fallen below the tolerance can
// be followed by one that outweighs the whole sum.

#pragma once

#include <cmath>
#include <cstdint>
#include <initializer_list>

#include "numeric/constants.h"
#include "numeric/elementary.h"

// 2^-969: the smallest term a guarded double loop accepts.  At and above it,
// term * 2^-53 is at least 2^-1022 and so a normal double.
constexpr double ncf_sum_floor = pow2_minus_969;

// The step count returned when a guarded loop meets a term below the floor.
constexpr int32_t ncf_sum_left_double_range = -1;

// D from the start weight p_k (`weight`) and beta term u_k (`term`) into
// *sum; returns the steps taken (step_limit when the sum has not settled),
// or ncf_sum_left_double_range.
// 2^8192 and 2^-8192: the bound of a rescaled sum and its factor.
constexpr long double ncf_sum_rescale_bound = 0x1p8192L;
constexpr long double ncf_sum_rescale_factor = 0x1p-8192L;
// ln 2^8192, the log of one rescaling of the sum.
constexpr long double ncf_sum_rescale_log = 8192 * elem_ln2_ext;

// The moments of the derivative terms t_j = p_j u_j about the Poisson mean
// lam: T0 = sum t_j, M1 = sum (j - lam) t_j, M2 = sum (j - lam)^2 t_j.
template <typename real>
struct ncf_sum_moments {
    real t0, m1, m2;
};

// (d2P/dlam2)/(-dP/dlam) and (d3P/dlam3)/(-dP/dlam) in the Poisson mean
// lam > 0 from the moments (see above): -M1/(lam T0) and
// -(M2 - M1 - lam T0)/(lam^2 T0).  Ratios, so free of the moments' scale.
template <typename real>
void ncf_moment_ratios(const ncf_sum_moments<real>& m, double lam, double* curvature,
                       double* torsion)
{
    const real r1 = m.m1 / m.t0, r2 = m.m2 / m.t0;
    *curvature = static_cast<double>(-r1 / lam);
    *torsion = static_cast<double>(-(r2 - r1 - lam) / (static_cast<real>(lam) * lam));
}

template <typename real, typename accum, bool guarded, bool rescaled = false,
          bool with_moments = false, bool divided = false>
int32_t ncf_sum_differences(double a_in, double b_in, double x_in, double lam_in, int32_t k,
                            double weight, double term, double tolerance, int32_t step_limit,
                            accum* sum, int32_t* scale = nullptr,
                            ncf_sum_moments<real>* moments = nullptr,
                            bool backward_to_zero = false)
{
    const real a = a_in;
    const real x = x_in;
    const real lam = lam_in;
    const real tol = tolerance;
    const real ab = static_cast<real>(a_in + b_in);
    const real inv_x = 1 / x;
    const real inv_lam = 1 / lam;
    // A beta argument below 2^-1024 has no reciprocal in double (the backward
    // step would turn the terms infinite); the extended loop has one.
    if (guarded && !(inv_x <= max_double)) {
        *sum = 0;
        return ncf_sum_left_double_range;
    }

    real jb = k, jf = k;
    real pb = weight, pf = weight;
    real ub = term, uf = term;
    real sb = 0, sf = 0;
    real v = 1, w = 1;
    accum s = 0;
    int32_t n = 0;
    // The moments, where asked for: t_k, and each direction's running sums.
    real tk = 0;
    real rb = 0, s1b = 0, s2b = 0, rf = 0, s1f = 0, s2f = 0;
    if constexpr (with_moments)
        tk = pb * ub;

    while (((backward_to_zero && jb > 0)
            || std::fabs(w) + std::fabs(v) > std::fabs(static_cast<real>(s) * tol))
           && n < step_limit) {
        if (jb > 0 && (backward_to_zero || std::fabs(v) > std::fabs(static_cast<real>(s) * tol))) {
            if constexpr (divided) {
                ub = ub * ((a + jb) / ((ab + (jb - 1)) * x));  // u_(jb-1)
                pb = (jb / lam) * pb;                          // p_(jb-1)
            } else {
                ub = ub * ((a + jb) / (ab + (jb - 1))) * inv_x;  // u_(jb-1)
                pb = jb * inv_lam * pb;                          // p_(jb-1)
            }
            sb = sb + ub;  // I_(jb-1) - I_k
            v = pb * sb;
            s = static_cast<accum>(static_cast<real>(s) + v);
            if (guarded && !(std::fabs(v) >= ncf_sum_floor)) {
                *sum = s;
                return ncf_sum_left_double_range;
            }
            jb = jb - 1;
            ++n;
            if constexpr (with_moments) {
                rb += pb * ub;  // t_jb
                s1b += rb;
                s2b += s1b;
            }
            if (rescaled && std::fabs(sb) > ncf_sum_rescale_bound) {
                // The backward beta terms grow fastest (by 1/x' a step):
                // scale them, and the forward terms through their weight.
                for (real* q : {&ub, &sb, &pf, &v, &w, &tk, &rb, &s1b, &s2b, &rf, &s1f, &s2f})
                    *q = *q * ncf_sum_rescale_factor;
                s = s * ncf_sum_rescale_factor;
                ++*scale;
            }
            if (rescaled && pb < ncf_sum_rescale_factor) {
                // The backward weight falls by j/lam a step: move a factor
                // from the difference into it, the term unchanged.
                pb = pb * ncf_sum_rescale_bound;
                ub = ub * ncf_sum_rescale_factor;
                sb = sb * ncf_sum_rescale_factor;
            }
        } else {
            v = 0;
        }
        if (std::fabs(w) > std::fabs(static_cast<real>(s) * tol)) {
            jf = jf + 1;
            pf = pf * (lam / jf);  // p_jf
            sf = sf - uf;          // I_jf - I_k
            w = sf * pf;
            s = static_cast<accum>(static_cast<real>(s) + w);
            if (guarded && !(std::fabs(w) >= ncf_sum_floor)) {
                *sum = s;
                return ncf_sum_left_double_range;
            }
            uf = uf * ((ab + (jf - 1)) * x / (a + jf));  // u_jf
            ++n;
            if constexpr (with_moments) {
                rf += pf * uf;  // t_jf
                s1f += rf;
                s2f += s1f;
            }
        } else {
            w = 0;
        }
    }
    *sum = s;
    if constexpr (with_moments) {
        // sum s t and sum s^2 t of each direction (see above), then the
        // moments about k and about lam.
        const real nb1 = (k - jb) + 1, nf1 = (jf - k) + 1;
        const real first_b = nb1 * rb - s1b, first_f = nf1 * rf - s1f;
        const real second_b = (nb1 * rb - 2 * s1b) * nb1 - s1b + 2 * s2b;
        const real second_f = (nf1 * rf - 2 * s1f) * nf1 - s1f + 2 * s2f;
        const real t0 = tk + rb + rf;
        const real m1k = first_f - first_b, m2k = second_f + second_b;
        const real dk = static_cast<real>(k) - lam;
        *moments = ncf_sum_moments<real>{t0, m1k + dk * t0, m2k + (2 * m1k + dk * t0) * dk};
    }
    return n;
}
