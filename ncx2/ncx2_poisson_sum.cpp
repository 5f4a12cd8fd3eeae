// ncx2_sum_differences: the outward Poisson sum of the noncentral
// chi-square distribution from a start index k, in extended precision.
//
// With a = df/2, y = x/2, Poisson mean h = ncp/2 and P_j = P(a + j, y),
//
//     P(X <= x) = sum_j p_j P_j = P_k + D,   D = sum_j p_j (P_j - P_k),
//
// the weights summing to 1 (Johnson, Kotz and Balakrishnan 1995, ch. 29;
// the form of Ding 1992, Applied Statistics 41, 478-482, summed in both
// directions from the start as Benton and Krishnamoorthy 2003,
// Computational Statistics & Data Analysis 43, 249-267, do for the
// noncentral beta).  The differences are running sums of the gamma terms
//
//     u_j = P_j - P_(j+1) = y^(a+j) e^-y / Gamma(a + j + 1)      (A&S 6.5.21),
//     u_(j-1) = u_j (a + j)/y,   u_(j+1) = u_j y/(a + j + 1),
//
// and the weights follow p_(j-1) = p_j j/h, p_(j+1) = p_j h/(j + 1):
// backward P_(j-1) - P_k = (P_j - P_k) + u_(j-1), forward
// P_(j+1) - P_k = (P_j - P_k) - u_j.  The same steps give the derivatives
// in the noncentrality, d p_j/dh = p_(j-1) - p_j:
//
//     dP/d ncp = -(1/2) sum_j p_j u_j = -E1/2,
//     d2P/d ncp2 = (1/4) sum_j p_j (u_j - u_(j+1)) = (E1 - E2)/4,
//     d3P/d ncp3 = (1/8) sum_j p_j (-u_j + 2 u_(j+1) - u_(j+2)) = (-E1 + 2 E2 - E3)/8,
//
// so that one sum serves a Halley step of the inversion and its predicted
// error.
//
// The sum runs on p_k = u_k = 1 (all three sums are linear in p_k u_k, which
// the caller adds in logarithms).  A direction stops for good when its last
// difference term is at most 2^-53 of |D| and its last E1 term at most
// 2^-53 of E1; the error bound of Benton and Krishnamoorthy does not carry
// over to the differences (they are not tail sums of positive terms), so
// the stop is the relative one of ncf_poisson_sum.h, which the terms'
// log-concavity in j justifies once they fall.  Where the scaled terms grow
// toward the mass far from the mode (y far below a + k: the backward gamma
// terms grow by (a + j)/y a step; far above: the forward ones by
// y/(a + j + 1)), the growing direction's terms and sum, the other
// direction's weight and all three sums are multiplied by 2^-8192 each time
// its difference passes 2^8192, exactly, and a weight falling below 2^-8192
// takes a factor 2^8192 from its own terms, which leaves the products alone.
//
// The sum runs in double first, the cost of each step a few SSE operations
// against the x87 unit's slower ones; a rounding of 2^-53 a step leaves the
// tails within some 1e-15, relative, of the extended sum's over the few
// hundred steps of any mean below 1e4.  Where its terms near the edge of
// the double range (2^900) it is abandoned for the extended sum, which
// rescales.

#include "ncx2/ncx2_detail.h"

#include <cmath>
#include <initializer_list>

#include "numeric/constants.h"

namespace {

// Relative tolerance of every direction: 2^-53 plus two units in the last
// place, of the running sum.
constexpr long double sum_tolerance = eps_53;

// 2^8192 and 2^-8192: the bound of a rescaled sum and its factor.
constexpr long double rescale_bound = 0x1p8192L;
constexpr long double rescale_factor = 0x1p-8192L;

// Where the double loop gives up: 2^900, leaving 2^124 of room for the
// steps after the test; and the status it returns then.
constexpr double double_bound = 0x1p900;
constexpr int32_t sum_left_range = 2;

template <typename real>
bool finite(real v)
{
    return v - v == 0;
}

// The loop in the arithmetic `real`.  In double (rescaled false) the loop
// gives up, returning sum_left_range, as soon as a difference passes 2^900
// or a weight falls below 2^-900, where the next steps could leave the
// range; in extended precision (rescaled true) it rescales instead.
template <typename real, bool rescaled>
int32_t sum_in(double a_in, double y_in, double h_in, int32_t k, int32_t step_limit,
               ncx2_sum* out)
{
    const real a = a_in, y = y_in, h = h_in;
    const real inv_y = 1 / y, inv_h = 1 / h;
    const real tol = sum_tolerance;
    const real bound = rescaled ? static_cast<real>(rescale_bound) : double_bound;
    const real factor = rescaled ? static_cast<real>(rescale_factor) : 1 / double_bound;

    real jb = k, jf = k;
    real pb = 1, pf = 1;  // p_jb, p_jf
    real ub = 1, uf = 1;  // u_jb, u_jf
    real sb = 0, sf = 0;  // P_jb - P_k, P_jf - P_k
    real v = 0, w = 0;    // the last difference terms
    real s = 0;
    real uf_next = y / (a + (k + 1));            // u_(jf+1)/u_k
    real uf_next2 = uf_next * (y / (a + (k + 2)));  // u_(jf+2)/u_k
    real e1 = 1, e2 = uf_next, e3 = uf_next2;    // the terms of j = k
    real ub_above = uf_next;                     // u_(jb+1)/u_k: E3's term at jb - 1
    int32_t n = 0, scale = 0;
    bool back = k > 0, forth = true;

    while ((back || forth) && n < step_limit) {
        if (back) {
            real u_above = ub;          // u_jb
            ub = ub * (a + jb) * inv_y;  // u_(jb-1)
            sb = sb + ub;                // P_(jb-1) - P_k
            pb = pb * jb * inv_h;        // p_(jb-1)
            v = pb * sb;
            s = s + v;
            real t = pb * ub;
            e1 = e1 + t;
            e2 = e2 + pb * u_above;
            e3 = e3 + pb * ub_above;
            ub_above = u_above;
            jb = jb - 1;
            ++n;
            back = jb > 0 && (std::fabs(v) > std::fabs(s) * tol || t > e1 * tol);
            if (sb > bound) {
                if (!rescaled)
                    return sum_left_range;
                for (real* q : {&ub, &ub_above, &sb, &pf, &v, &w, &s, &e1, &e2, &e3})
                    *q = *q * factor;
                ++scale;
            }
            if (pb < factor) {
                if (!rescaled)
                    return sum_left_range;
                pb = pb * bound;
                ub = ub * factor;
                ub_above = ub_above * factor;
                sb = sb * factor;
            }
        }
        if (forth) {
            jf = jf + 1;
            pf = pf * (h / jf);  // p_jf
            sf = sf - uf;        // P_jf - P_k
            w = sf * pf;
            s = s + w;
            uf = uf_next;                              // u_jf
            uf_next = uf_next2;                        // u_(jf+1)
            uf_next2 = uf_next * (y / (a + (jf + 2)));  // u_(jf+2)
            real t = pf * uf;
            e1 = e1 + t;
            e2 = e2 + pf * uf_next;
            e3 = e3 + pf * uf_next2;
            ++n;
            forth = std::fabs(w) > std::fabs(s) * tol || t > e1 * tol;
            if (-sf > bound || uf_next2 > bound) {
                if (!rescaled)
                    return sum_left_range;
                for (real* q : {&uf, &uf_next, &uf_next2, &sf, &pb, &v, &w, &s, &e1, &e2, &e3})
                    *q = *q * factor;
                ++scale;
            }
            if (pf < factor) {
                if (!rescaled)
                    return sum_left_range;
                pf = pf * bound;
                uf = uf * factor;
                uf_next = uf_next * factor;
                uf_next2 = uf_next2 * factor;
                sf = sf * factor;
            }
        }
    }
    out->difference = s;
    out->slope = e1;
    out->curvature = e2;
    out->torsion = e3;
    out->scale = scale;
    out->steps = n;
    if (back || forth || !finite(s) || !finite(e1) || !finite(e2) || !finite(e3) || !(e1 > 0))
        return 1;
    return 0;
}

}  // namespace

int32_t ncx2_sum_differences(double a, double y, double h, int32_t k, int32_t step_limit,
                             ncx2_sum* out)
{
    int32_t status = sum_in<double, false>(a, y, h, k, step_limit, out);
    if (status != sum_left_range)
        return status;
    return sum_in<long double, true>(a, y, h, k, step_limit, out);
}
