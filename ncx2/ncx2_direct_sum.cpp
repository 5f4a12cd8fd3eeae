// ncx2_direct_sum: the noncentral chi-square distribution and its first
// three derivatives in the noncentrality, summed forward from the Poisson
// index 0 in double, for the ordinary designs where every term of that sum
// is a normal double (small and moderate Poisson means and points).
//
// With a = df/2, y = x/2, h = ncp/2, the weights p_j = e^-h h^j/j! and the
// gamma terms
//
//     u_j = P(a + j, y) - P(a + j + 1, y) = y^(a+j) e^-y / Gamma(a + j + 1)
//                                                              (A&S 6.5.21),
//
// the gamma tails of the shapes a + j are sums of positive terms,
//
//     P_j = P(a + j, y) = u_j + u_(j+1) + ...,
//     Q_j = Q(a + j, y) = Q_0 + U_j,   U_j = u_0 + ... + u_(j-1),
//
// and so are both tails of the mixture and its slopes (Johnson, Kotz and
// Balakrishnan 1995, ch. 29), with E_m = sum_j p_j u_(j+m):
//
//     P = sum_j p_j P_j,   Q = sum_j p_j Q_j,
//     dP/dncp = -E_0/2,  d2P/dncp2 = (E_0 - E_1)/4,
//     d3P/dncp3 = (-E_0 + 2 E_1 - E_2)/8           (d p_j/dh = p_(j-1) - p_j).
//
// Neither tail is a difference, so each keeps its relative accuracy
// whatever its size.  The terms, their running sums and their tails depend
// on x and df alone: ncx2_direct_prepare forms them once (u_0 as the gamma
// density of shape a + 1 at y, then u_(j+1) = u_j y/(a + j + 1), one
// division each, four at a time; the tails P_j summed backward from the
// last term), and
// each noncentrality after that costs e^-h and a loop over the weights,
// p_(j+1) = p_j h/(j + 1) with 1/(j + 1) from a table (and for a whole df
// the terms' 1/(a + j) = 2/(df + 2j) from the same), of about
// h + 9 sqrt(h) multiplications and additions: the search's evaluations
// at one x share everything but the weights.
//
// Truncation, on bounds rather than on small terms.  The terms' ratio
// r_j = y/(a + j + 1) falls with j: once it is below 1, the terms from j on
// sum to at most u_j/(1 - r_j), and the terms are formed until that is
// within 2^-53 of the smaller of P_0 and the caller's floor (the least lower
// tail it expects), the rest taken as 0.  The weights' ratio q = h/(j + 1)
// falls too: once below 1, the weights from j on sum to at most
// p_j/(1 - q), and since P_i and Q_i are monotone (P_i <= P_j, Q_i <= 1,
// u_i at most u_j past the terms' peak, and at most the peak term before),
//
//     sum_(i>=j) p_i P_i <= P_j p_j/(1 - q),   sum_(i>=j) p_i Q_i <= p_j/(1 - q),
//     sum_(i>=j) p_i u_i <= u p_j/(1 - q),
//
// u = u_j past the terms' peak, else the peak term;
//
// a sum is complete when its bound is within 2^-53 of what it sums.  E_1
// and E_2 need only a few digits (they shape Halley's step, not the root)
// and stop with E_0.  A lower tail that comes out below the floor has its
// terms extended to 2^-53 of itself and is summed again.
//
// Q_0 is formed as 1 - P_0 where that is at least 1/4, or for a df that
// is not whole at least 1/64; where it is smaller and the caller wants the
// upper tail, directly: for a whole df as the finite sum of the gamma
// terms of the shapes below a (whole_shape_upper: Q(n, y) is a Poisson
// tail, Q(n + 1/2, y) the same plus erfc(sqrt y)), else by
// ncx2_gamma_log_tails (exact for small shapes too).  The complement's
// absolute error is P_0's, u_0's rounding and a few units of 2^-53 from the
// terms' recurrence, so that Q = Q_0 + D keeps that error times P_0/Q:
// at most 3 times it above the floor of 1/4, 64 times above 1/64 (the
// finite sum keeps Q as close as P, bench/chisq_tails_accuracy.py).  The
// slopes are formed where the caller asks
// for them (the inversion); the tails alone (ncx2_tails) take two
// products a weight.
//
// Domain.  The loop must start from normal doubles and reach the bulk of
// both the weights (j near h) and the terms (j near y - a) within
// ncx2_direct_terms: the point is taken where u_0 >= e^-300 and the sum
// where h <= 150 (e^-h >= 7e-66), so that no product of two terms is
// subnormal before the bulk; beyond, or past the last term, the status is
// 1 and the Poisson sum from the mode (ncx2_evaluate) serves.

#include "ncx2/ncx2_detail.h"

#include <limits>

#include "library/densities.h"
#include "numeric/constants.h"
#include "numeric/elementary.h"
#include "numeric/primitives.h"

namespace {

// The smallest ln u_0 taken: e^-300 = 5.1e-131, whose product with the
// smallest start weight e^-150 is still far above the normal range.
constexpr double least_log_term = -300.0;

// The smallest term formed, 2^-900: a fill that must go below it to reach
// 2^-53 of its floor (a lower tail below some 2^-847, y far below the
// weights' bulk) leaves the point to the sum from the mode rather than run
// on through subnormal terms to the end of the table.
constexpr double least_kept_term = 0x1p-900;

// The largest Poisson mean h = ncp/2 taken.
constexpr double largest_mean = 150.0;

// Relative truncation of every completed sum: 2^-53 plus two units.
constexpr double tolerance = eps_53;

// Q_0 is formed as 1 - P_0 where that is at least 1/64 (any df) or 1/4
// (a whole df, whose finite sum is cheap): 1 - P_0 carries P_0's rounding
// times P_0/Q_0, at most 3 times it above 1/4.
constexpr double complement_floor = 0x1p-6;
constexpr double whole_sum_floor = 0x1p-2;

// Gamma(3/2) = sqrt(pi)/2.
constexpr double gamma_three_halves = 0.88622692545275801;

// A lower tail below the floor extends the terms to this fraction of
// itself, so that the next few evaluations below it need no extension.
constexpr double floor_margin = 0x1p-4;

// The weights' loop, at its pair j and j + 1, reads u_(j+3): it runs to
// j < filled - 3.
constexpr int32_t lookahead = 3;

// 1/n for n = 1 to 2047, each correctly rounded (the compiler's division;
// entry 0 unused): the weights' ratios h/(j + 1), and for a whole df below
// reciprocal_reach the terms' ratios y/(a + j) = 2y/(df + 2j).
constexpr int32_t reciprocal_size = 2048;
constexpr double reciprocal_reach = reciprocal_size - 2 * ncx2_direct_terms;
struct reciprocal_table {
    double v[reciprocal_size];
};
constexpr reciprocal_table make_reciprocals()
{
    reciprocal_table t{};
    for (int32_t n = 1; n < reciprocal_size; ++n)
        t.v[n] = 1.0 / n;
    return t;
}
constexpr reciprocal_table reciprocal = make_reciprocals();

// Two doubles in the lanes of one register (GCC's vector extension: SSE2
// on every target), so that one operation serves both.
typedef double lane_pair __attribute__((vector_size(16)));

inline lane_pair load_pair(const double* v)
{
    lane_pair r;
    __builtin_memcpy(&r, v, sizeof r);
    return r;
}

// The forward pass of fill, for a whole df (1/(a + i) = 2/(df + 2i) from
// the table) or any other: j, the index reached, or -1 where the terms
// outrun the table or underflow first.  Each step of four takes
// u_(j+m) = u_(j-1) (r_j ... r_(j+m-1)), m = 1 to 4, the ratios' products
// formed apart from u, and U_(j+m) = U_j + (u_(j-1) + ... + u_(j+m-2)), so
// that its chains of dependent operations (one product, one sum) advance
// four indices at a time, and the truncation is tested once a step.
template <bool whole>
int32_t fill_terms(ncx2_direct_point* point, double floor, int32_t least)
{
    const double a = point->a, y = point->y;
    const int32_t twice_a = static_cast<int32_t>(2.0 * a);
    const double twice_y = 2.0 * y;
    double* term = point->term;
    double* below = point->below;
    int32_t j = point->filled;  // term[j - 1] and below[j - 1] are formed
    double u = term[j - 1], sum = below[j - 1];
    for (;;) {
        if (j + 3 >= ncx2_direct_terms)
            return -1;
        double r[4];
        for (int32_t m = 0; m < 4; ++m)
            r[m] = whole ? twice_y * reciprocal.v[twice_a + 2 * (j + m)] : y / (a + (j + m));
        const double r01 = r[0] * r[1], r012 = r01 * r[2], r0123 = r01 * (r[2] * r[3]);
        const double t0 = u * r[0], t1 = u * r01, t2 = u * r012, t3 = u * r0123;
        term[j] = t0;
        term[j + 1] = t1;
        term[j + 2] = t2;
        term[j + 3] = t3;
        const double s1 = u + t0, s2 = s1 + t1, s3 = s1 + (t1 + t2);
        below[j] = sum + u;
        below[j + 1] = sum + s1;
        below[j + 2] = sum + s2;
        sum = sum + s3;
        below[j + 3] = sum;
        j += 4;
        // The terms from j - 1 on: t3, then ratios below t3/t2 < 1.
        if (t3 < t2) {
            const double limit = sum < floor ? sum : floor;
            if (j >= least && t3 * t2 <= tolerance * limit * (t2 - t3))
                return j;
            if (t3 < least_kept_term)
                return -1;  // a tail the terms cannot resolve before they underflow
        }
        u = t3;
    }
}

// Forms the terms from index `filled` on until those left (at most
// u_j/(1 - r_j) from j on, once r_j < 1) are within the tolerance of the
// smaller of the sum so far and `floor`, and at least to `least`; then,
// where the point serves lower tails, the tails backward, two chains of
// P_i = P_(i+2) + (u_i + u_(i+1)).  false where the terms outrun the table.
bool fill(ncx2_direct_point* point, double floor, int32_t least)
{
    const double a = point->a, y = point->y;
    const bool whole = static_cast<int32_t>(2.0 * a) == 2.0 * a && 2.0 * a < reciprocal_reach;
    const int32_t j = whole ? fill_terms<true>(point, floor, least)
                            : fill_terms<false>(point, floor, least);
    if (j < 0)
        return false;
    double* term = point->term;
    point->filled = j;
    point->floor = floor;
    // The terms rise while their ratio y/(a + i) is at least 1, to the
    // index floor(y - a), and fall after it.
    const double top = y - a;
    const int32_t i = top <= 0.0 ? 0 : (top < j - 1 ? static_cast<int32_t>(top) : j - 2);
    point->peak = term[i] > term[i + 1] ? term[i] : term[i + 1];
    if ((point->tails & ncx2_direct_lower) == 0) {
        point->lower0 = point->below[j - 1] + term[j - 1];
        return true;
    }
    term[j] = 0.0;
    double* above = point->above;
    double next = 0.0, after = 0.0;  // P_(i+1), P_(i+2)
    for (int32_t k = j - 1; k >= 0; --k) {
        const double tail = after + (term[k] + term[k + 1]);
        above[k] = tail;
        after = next;
        next = tail;
    }
    point->lower0 = above[0];
    return true;
}

// Q_0 = Q(a, y) for a whole df (2a an integer), a sum of positive terms
// (DLMF section 8.4: Q(n, y) = e^-y sum_(k<n) y^k/k!, Q(1/2, y) = erfc(sqrt y)):
//
//     Q(a, y) = u_(-1) + u_(-2) + ... + u_(-n)              (a = n),
//     Q(a, y) = u_(-1) + ... + u_(-n) + erfc(sqrt y)        (a = n + 1/2),
//
// the gamma terms of the shapes below a, u_(-j) = y^(a-j) e^-y/Gamma(a - j + 1),
// taken backward from u_0, u_(-j-1) = u_(-j) (a - j)/y, two at a time:
// one division of a pair (a - j, a - j - 1)/y gives both ratios, each
// rounded once (a product with 1/y would carry that reciprocal's rounding
// into every term, j times over).  Once the pair's second ratio r is below
// 1 the ratios after it are smaller, the terms left after the pair's
// second sum to at most t r/(1 - r), and erfc(sqrt y) <= e^-y/sqrt(pi y)
// = u_(-n)/(2y) lies below the last of them, so twice that bound within
// the tolerance of the sum ends it.  A sum that reaches its end adds
// erfc(sqrt y) = e^-y erfc_scaled(sqrt y), e^-y = u_(-n) Gamma(3/2)/sqrt y,
// in which the rounding of sqrt y costs half a unit.  The result carries
// u_0's relative error and a few units more, against P_0's rounding times
// P_0/Q_0 for 1 - P_0.  false where 2a is not whole or the terms do not
// end within ncx2_direct_terms steps.
bool whole_shape_upper(double a, double y, double u0, double* out)
{
    const double twice_a = 2.0 * a;
    if (twice_a != elem_floor(twice_a))
        return false;
    const int32_t n = static_cast<int32_t>(a);
    const lane_pair divisor = {y, y};
    double u = u0, sum = 0.0;  // u_(-j), u_(-1) + ... + u_(-j)
    int32_t j = 0;
    for (; j + 1 < n; j += 2) {
        if (j >= ncx2_direct_terms)
            return false;
        const lane_pair shapes = {a - j, a - (j + 1)};  // exact: 2a whole, below 2^31
        const lane_pair r = shapes / divisor;
        const double t0 = u * r[0], t1 = u * (r[0] * r[1]);
        sum = sum + (t0 + t1);
        u = t1;
        if (r[1] < 1.0 && 2.0 * t1 * r[1] <= tolerance * sum * (1.0 - r[1])) {
            *out = sum;
            return true;
        }
    }
    if (j < n) {  // the last term of an odd count
        u = u * ((a - j) / y);
        sum = sum + u;
    }
    if (twice_a != 2.0 * n) {
        // u = u_(-n) = y^(1/2) e^-y/Gamma(3/2).
        const double root_y = elem_sqrt(y);
        sum = sum + u * (gamma_three_halves / root_y) * erfc_scaled(root_y);
    }
    *out = sum;
    return true;
}

}  // namespace

int32_t ncx2_direct_prepare(double x, double df, double floor, int32_t tails,
                            ncx2_direct_point* point)
{
    point->valid = 0;
    point->filled = 0;
    point->tails = tails;
    point->a = 0.5 * df;
    point->y = 0.5 * x;
    const double a = point->a, y = point->y;
    double log_term;
    if (!(x > 0.0 && x <= max_double) || !ncx2_parameters_valid(df, 0.0)
        || gamma_log_density(y, a + 1.0, &log_term) != 0)
        return 1;
    if (!(log_term >= least_log_term))
        return 0;
    // u_0 = y^a e^-y/Gamma(a + 1), the gamma density of shape a + 1 at y.
    point->term[0] = exp_fast(log_term);
    point->below[0] = 0.0;
    point->filled = 1;
    if (!fill(point, floor, lookahead + 2))
        return 0;
    point->upper0 = 1.0 - point->lower0;
    point->upper0_complement = 1;
    if ((tails & ncx2_direct_upper) != 0 && point->upper0 < whole_sum_floor
        && whole_shape_upper(a, y, point->term[0], &point->upper0)) {
        point->upper0_complement = 0;
    } else if ((tails & ncx2_direct_upper) != 0 && point->upper0 < complement_floor) {
        double log_p, log_q;
        if (ncx2_gamma_log_tails(y, a, &log_p, &log_q) != 0)
            return 1;
        point->upper0 = exp_fast(log_q);
        point->upper0_complement = 0;
    }
    point->valid = 1;
    return 0;
}

namespace {

// The loop over the weights, forming the tails the caller wants and the
// slopes where it wants them (a template, so that what it does not want
// costs nothing: without the slopes, two products a weight rather than
// five); 0, or 1 where it needs more terms than the table holds.  It takes
// the weights two at a time, j and j + 1 in the two lanes of a pair,
// p_(j+2) = p_j h^2/((j + 1)(j + 2)), so that one operation
// serves both and the loop costs some 10 instructions a weight rather
// than 19.  The bounds are tested every bound_interval weights: they hold
// at every index, and a few weights more cost less than the tests.
constexpr int32_t bound_interval = 4;

// What a sum not asked for reads: NaN.
constexpr double not_formed = std::numeric_limits<double>::quiet_NaN();

template <bool want_lower, bool want_upper, bool want_slopes>
int32_t sum_weights(ncx2_direct_point* point, double h, ncx2_direct_moments* out)
{
    const double* term = point->term;
    const double* below = point->below;
    const double* above = point->above;
    const double* inv = reciprocal.v;
    const double upper0 = point->upper0;
    const double h2 = h * h;

    const double first = exp_fast(-h);
    lane_pair p = {first, first * h};  // p_j, p_(j+1)
    lane_pair lower = {0.0, 0.0}, upper = lower, e0 = lower, e1 = lower, e2 = lower;
    int32_t j = 0;
    for (;;) {
        for (const int32_t end = point->filled - lookahead; j < end;) {
            if (want_lower)
                lower += p * load_pair(above + j);
            if (want_upper)
                upper += p * load_pair(below + j);
            if (want_slopes) {
                e0 += p * load_pair(term + j);
                e1 += p * load_pair(term + j + 1);
                e2 += p * load_pair(term + j + 2);
            }
            p *= h2 * (load_pair(inv + j + 1) * load_pair(inv + j + 2));
            j += 2;
            // The bounds from j on, once q = h/(j + 1) < 1.
            if (j % bound_interval != 0 || !(j + 1 > h))
                continue;
            const double room = (1.0 - h * inv[j + 1]) * tolerance;
            const double u = term[j + 1] < term[j] ? term[j] : point->peak;
            const double slope = e0[0] + e0[1], tail = lower[0] + lower[1];
            const double rest = upper0 + (upper[0] + upper[1]);
            if ((!want_slopes || p[0] * u <= room * slope)
                && (!want_lower || p[0] * above[j] <= room * tail)
                && (!want_upper || p[0] <= room * rest)) {
                out->lower = want_lower ? tail : not_formed;
                out->upper = want_upper ? rest : not_formed;
                out->slope = want_slopes ? slope : not_formed;
                out->curvature = want_slopes ? e1[0] + e1[1] : not_formed;
                out->torsion = want_slopes ? e2[0] + e2[1] : not_formed;
                out->steps = j;
                return 0;
            }
        }
        // The weights reach beyond the terms: more of them.
        if (!fill(point, point->floor, point->filled + 16))
            return 1;
    }
}

int32_t sum_weights(ncx2_direct_point* point, double h, int32_t what, ncx2_direct_moments* out)
{
    switch (what) {
    case ncx2_direct_lower | ncx2_direct_slopes:
        return sum_weights<true, false, true>(point, h, out);
    case ncx2_direct_upper | ncx2_direct_slopes:
        return sum_weights<false, true, true>(point, h, out);
    case ncx2_direct_lower | ncx2_direct_upper | ncx2_direct_slopes:
        return sum_weights<true, true, true>(point, h, out);
    case ncx2_direct_lower:
        return sum_weights<true, false, false>(point, h, out);
    case ncx2_direct_upper:
        return sum_weights<false, true, false>(point, h, out);
    case ncx2_direct_lower | ncx2_direct_upper:
        return sum_weights<true, true, false>(point, h, out);
    default:
        return 1;  // nothing named: nothing to sum
    }
}

}  // namespace

int32_t ncx2_direct_sum(ncx2_direct_point* point, double ncp, int32_t what,
                        ncx2_direct_moments* out)
{
    const double h = 0.5 * ncp;
    if (!point->valid || !(h >= 0.0 && h <= largest_mean)
        || (what & ~(point->tails | ncx2_direct_slopes)) != 0)
        return 1;
    if (sum_weights(point, h, what, out) != 0)
        return 1;
    const bool lower = (what & ncx2_direct_lower) != 0;
    if (lower && out->lower < point->floor) {
        // The tails P_j hold 2^-53 of the floor, not of this smaller P.
        if (!fill(point, floor_margin * out->lower, 0) || sum_weights(point, h, what, out) != 0)
            return 1;
    }
    // Sums of positive terms: NaN or 0 only from a fault.
    const bool upper = (what & ncx2_direct_upper) != 0, slopes = (what & ncx2_direct_slopes) != 0;
    return (!lower || out->lower > 0.0) && (!upper || out->upper > 0.0)
                   && (!slopes || out->slope > 0.0)
               ? 0
               : 1;
}
