// ncx2_far_evaluate: the noncentral chi-square distribution where the terms
// of its Poisson mixture peak far from the Poisson mode, x far beyond the
// bulk or far below it, and the derivatives in the noncentrality there.
//
// With a = df/2, y = x/2, h = ncp/2, p_j = e^-h h^j/j! and
// u_j = y^(a+j) e^-y/Gamma(a + j + 1) (A&S 6.5.21),
//
//     Q = sum_j p_j Q(a + j, y),   Q(a + j + 1, y) = Q(a + j, y) + u_j,
//     P = sum_j p_j P(a + j, y),   P(a + j - 1, y) = P(a + j, y) + u_(j-1),
//     E1 = sum_j p_j u_j,  E2 = sum_j p_j u_(j+1),  E3 = sum_j p_j u_(j+2)
//     (dP/d ncp = -E1/2, as in ncx2_poisson_sum.cpp).
//
// The terms of all five peak near the index j* of ncx2_peak_index.  Where
// j* lies far above the mode (x beyond the bulk) the upper tail is the
// smaller; far below (x below the bulk, a large ncp), the lower.  The sum
// from the mode (ncx2_evaluate) would walk |j* - h| steps to reach them,
// more than 3e6 for an x with ncp x/4 above 1e13 or a lower tail of an
// ncp above 6e6.  Here the smaller tail is summed instead as what it is, a
// sum of positive terms, over a window about j*:
//
//   upper: from j0 below j* upward, on the ratio R_j = Q(a + j, y)/u_j,
//          R_(j+1) = (R_j + 1)(a + j + 1)/y;
//   lower: from j0 above j* downward, on S_j = P(a + j, y)/u_j,
//          S_(j-1) = S_j y/(a + j) + 1.
//
// Each recurrence adds (the other direction of each subtracts, and loses
// the digits of y/(a + j) a step where y is far from a + j); an error in
// the start ratio shrinks by R/(R + 1) (or S y/(a + j) over S y/(a + j) + 1)
// each step.  The start ratio is the library's ratio of the tail to the
// gamma density (Legendre's fraction above, the power series below), which
// settles in a few steps far from the centre, where the tail's logarithm
// is far too large for a quotient of logarithms to keep any digit of it
// (ln Q(2.7e8, 2.1e23) = -2.1e23); near the centre, the quotient of the
// logarithms (ncx2_gamma_log_tails).  The start term p_j0 u_j0 comes from
// two gamma log densities, so the sums run on p_j0 u_j0 = 1 in extended
// precision and the tail is ln(p_j0 u_j0) + ln(sum).
//
// Bounds.  R_j rises with j and S_j falls: R_j <= R_(j+1) = (R_j + 1)(a + j + 1)/y
// is R_j (y - s - 1) <= s + 1 (s = a + j), which holds by
// Gamma(s, y) <= y^s e^-y/(y - s + 1) for s >= 1, y > s - 1 (the integrand's
// log-slope is at most (s - 1)/y - 1 beyond y), or <= y^(s-1) e^-y for
// s < 1; S_j <= (s + 1)/(s + 1 - y) by the series of A&S 6.5.29 bounded by
// a geometric one.  So the ratios of successive terms of all five sums fall
// as j moves away from the window's start (p_j, u_j and the products of
// falling ratios are log-concave), and
//   - once the ratio r of the next term to the last one t is below 1, what
//     follows is at most t r/(1 - r): a direction stops when that is at
//     most 2^-56 of each sum;
//   - what lies beyond the start is at most R_j0 (or S_j0) times the part
//     of E1 there, itself at most rho/(1 - rho) in units of p_j0 u_j0, rho
//     the ratio of E1's terms at j0; a window that leaves more than 2^-56
//     of a sum there is widened.
// The window starts 10 standard deviations of the terms' spread, sigma^2 =
// 1/(1/(j* + 1) + 1/(a + j* + 1)) (the curvature of their logarithm), from
// j*: e^-50, far below 2^-56, in the normal limit, so it is rarely widened.
//
// Beyond j* = 2^30 (ncp x/4 above 1.2e18, up to the largest double) the
// window of some 20 sigma = 6e5 terms grows too long, and the upper tail is
// taken from the Bessel form of the density, f(x; df, ncp) =
// (1/2) e^(-(x+ncp)/2) (x/ncp)^(nu/2) I_nu(sqrt(ncp x)), nu = a - 1
// (ncx2_bessel_log_density).  The recurrence Q(s, y) = Q(s - 1, y) + g(y; s)
// (g the gamma density, A&S 6.5.22), applied M times within the mixture,
// gives
//
//     Q(x; df, ncp) = 2 sum_(m<M) f(x; df - 2m, ncp) + sum_j p_j Q(a + j - M, y),
//
// whose terms fall by about h/j* <= 5e6/2^30 = 5e-3 each (the weights about
// j* are those of shapes j* - m < y h/j*), the remainder below the next term
// times y/(y - a - j): a few terms reach 2^-56.  (The indices j < M, where
// the recurrence leaves the positive shapes, carry weights some e^-(j*)
// below those about j*.)  The terms' ratios are those of Bessel functions,
//     f(x; df - 2m - 2)/f(x; df - 2m) = sqrt(ncp/x) I_(nu-m-1)(z)/I_(nu-m)(z),
// by the recurrence I_(mu-1)(z)/I_mu(z) = 2 mu/z + I_(mu+1)(z)/I_mu(z)
// (A&S 9.6.26), which adds for mu >= 0 and subtracts little below (|mu| is
// a few units, z >= 2^31), from the ratio r_nu = I_(nu+1)(z)/I_nu(z), taken
// as the middle of Amos's bounds (Amos 1974, Mathematics of Computation 28,
// 239-251),
//     z/(nu + 1/2 + sqrt((nu + 3/2)^2 + z^2)) <= r_nu <= z/(nu + 1/2 + sqrt((nu + 1/2)^2 + z^2)),
// nu >= 0, whose relative gap, about (nu + 1)/(z (nu + sqrt(nu^2 + z^2))),
// is below 3e-10 there: the tail's relative error stays below 1e-12 (the
// terms after the first are at most 5e-3 of it), far inside its condition
// number, which is at least x/4 > 1e11.  The derivatives likewise:
// E1/2 = f(x; df + 2, ncp) = f(x; df) sqrt(x/ncp) r_nu,
// E2/E1 = f(x; df + 4)/f(x; df + 2) = sqrt(x/ncp) r_(nu+1), and
// E3/E1 = (x/ncp) r_(nu+1) r_(nu+2).

#include "ncx2/ncx2_detail.h"

#include <cmath>

#include "library/densities.h"
#include "library/gamma_methods.h"
#include "numeric/constants.h"
#include "numeric/elementary.h"

namespace {

// What each sum may leave out beyond its ends, relative to it: 2^-56, an
// eighth of the double's unit.
constexpr long double neglected = 0x1p-56L;

// The window's start: this many standard deviations of the terms' spread
// from j*, plus a margin for small spreads.
constexpr double window_deviations = 10.0;
constexpr double window_margin = 16.0;

// A window whose start leaves too much beyond it is doubled, at most this
// many times (the normal limit's 10 sigma is wide enough for every case
// tried; the widening is a guard).
constexpr int32_t widenings_max = 4;

// The most terms one window sums, 3e6 (some 20 ms), as the sum from the
// mode: with j* at most 2^30 a window of 20 sigma + 32 is some 6.6e5 terms,
// four widenings at most 1e7 (a failure, not a long run).
constexpr int32_t window_steps_max = 3000000;

// Beyond this peak index, 2^30, the upper tail is the Bessel-form series.
constexpr double bessel_peak = 0x1p30;

// The most terms of that series: they fall by 5e-3 or faster, so 2^-56 is
// reached within 8; 32 leave ample room.
constexpr int32_t bessel_terms_max = 32;

// The limits of the start ratio's fraction and series: 400 steps and 919
// terms, those of gamma_inc_log.
constexpr int32_t fraction_steps = 399;
constexpr int32_t series_terms = 919;

constexpr double ln_2 = 0.6931471805599453;

bool finite(long double v) { return v - v == 0; }

// The four sums of a window, in units of p_j0 u_j0.
struct window_sums {
    long double tail;  // the smaller tail
    long double e1, e2, e3;
    int32_t steps;
};

// Outcomes of a window: settled, not settled within the step cap (or not
// finite), and leaving too much beyond its start.
constexpr int32_t window_settled = 0;
constexpr int32_t window_failed = 1;
constexpr int32_t window_too_narrow = 2;

// The terms of one index: of the tail, of E1 (w = p_j u_j), E2 and E3.
void add_terms(window_sums* s, long double t, long double w, long double t2, long double t3)
{
    s->tail += t;
    s->e1 += w;
    s->e2 += t2;
    s->e3 += t3;
    ++s->steps;
}

// Whether the rest after a term t, whose successor is r t and the terms
// beyond falling faster, is at most `neglected` of the sum s: r < 1 and
// t r/(1 - r) <= neglected s.  (The same bound serves what lies beyond a
// window's start, its first term t.)
bool rest_negligible(long double t, long double r, long double s)
{
    return r < 1 && t * r <= neglected * (1 - r) * s;
}

// Whether all that follows the terms (t, w, t2, t3), whose successors are
// (rt t, r1 w, r2 t2, r3 t3), is negligible in every sum.
bool rests_negligible(const window_sums& s, long double t, long double rt, long double w,
                      long double r1, long double t2, long double r2, long double t3,
                      long double r3)
{
    return rest_negligible(t, rt, s.tail) && rest_negligible(w, r1, s.e1)
           && rest_negligible(t2, r2, s.e2) && rest_negligible(t3, r3, s.e3);
}

// The status of a window whose loop ended: what lies beyond its start is
// at most ratio rho/(1 - rho) of the tail (the start ratio times E1's part
// there), rho/(1 - rho) of E1, e2_start rho2/(1 - rho2) of E2 and
// e3_start rho3/(1 - rho3) of E3, rho, rho2 and rho3 the ratios of E1's,
// E2's and E3's terms at the start, away from the window.
int32_t window_status(const window_sums& s, bool settled, long double ratio, long double rho,
                      long double rho2, long double e2_start, long double rho3,
                      long double e3_start)
{
    if (!settled || !finite(s.tail) || !finite(s.e1) || !finite(s.e2) || !finite(s.e3))
        return window_failed;
    if (!rest_negligible(ratio, rho, s.tail) || !rest_negligible(1, rho, s.e1)
        || !rest_negligible(e2_start, rho2, s.e2) || !rest_negligible(e3_start, rho3, s.e3))
        return window_too_narrow;
    return window_settled;
}

// The upper tail's window from j0 upward, the start ratio R_j0 = r0.
int32_t upper_window(double a, double y, double h, double j0, long double r0, int32_t cap,
                     window_sums* out)
{
    const long double al = a, yl = y, hl = h;
    long double r = r0, w = 1, j = j0;
    *out = window_sums{0, 0, 0, 0, 0};
    bool settled = false;
    while (out->steps < cap && !settled) {
        long double u_next = yl / (al + j + 1);  // u_(j+1)/u_j
        long double u_after = yl / (al + j + 2);  // u_(j+2)/u_(j+1)
        long double t = w * r, t2 = w * u_next, t3 = t2 * u_after;
        add_terms(out, t, w, t2, t3);
        long double pw = hl / (j + 1);      // p_(j+1)/p_j
        long double rt = pw * (1 + 1 / r);  // Q_(j+1)/Q_j = 1 + 1/R_j
        long double r1 = pw * u_next;
        settled = rests_negligible(*out, t, rt, w, r1, t2, pw * u_after, t3,
                                   pw * (yl / (al + j + 3)));
        r = (r + 1) * (al + j + 1) / yl;
        w = w * r1;
        j = j + 1;
    }
    if (j0 == 0)  // nothing below
        return window_status(*out, settled, 0, 0, 0, 0, 0, 0);
    // Below j0, each step down: E1's terms fall by rho, E2's by rho2, E3's
    // by rho3.
    const long double j0l = j0, e2_start = yl / (al + j0l + 1);
    return window_status(*out, settled, r0, j0l * (al + j0l) / (hl * yl),
                         j0l * (al + j0l + 1) / (hl * yl), e2_start,
                         j0l * (al + j0l + 2) / (hl * yl), e2_start * yl / (al + j0l + 2));
}

// The lower tail's window from j0 downward to 0 at most, the start ratio
// S_j0 = s0.
int32_t lower_window(double a, double y, double h, double j0, long double s0, int32_t cap,
                     window_sums* out)
{
    const long double al = a, yl = y, hl = h;
    long double s = s0, w = 1, j = j0;
    *out = window_sums{0, 0, 0, 0, 0};
    bool settled = false;
    while (out->steps < cap && !settled) {
        long double t = w * s, t2 = w * (yl / (al + j + 1)), t3 = t2 * (yl / (al + j + 2));
        add_terms(out, t, w, t2, t3);
        if (j == 0) {
            settled = true;
            break;
        }
        long double pw = j / hl;             // p_(j-1)/p_j
        long double ub = (al + j) / yl;      // u_(j-1)/u_j
        long double rt = pw * (1 + ub / s);  // P_(j-1)/P_j = 1 + u_(j-1)/P_j
        long double r1 = pw * ub;
        settled = rests_negligible(*out, t, rt, w, r1, t2, pw * ((al + j + 1) / yl), t3,
                                   pw * ((al + j + 2) / yl));
        s = s * yl / (al + j) + 1;
        w = w * r1;
        j = j - 1;
    }
    // Above j0, each step up: E1's terms fall by rho, E2's and E3's by less.
    const long double j0l = j0, e2_start = yl / (al + j0l + 1);
    const long double rho = hl * yl / ((j0l + 1) * (al + j0l + 1));
    return window_status(*out, settled, s0, rho, rho, e2_start, rho,
                         e2_start * yl / (al + j0l + 2));
}

// The start ratio R_j0 = Q(s, y)/u_j0 (upper) or S_j0 = P(s, y)/u_j0, s =
// a + j0: s/y times the library's ratio of the tail to the gamma density of
// shape s, Legendre's fraction above or the power series below, which
// settle in a few steps where y lies far from s; near s, where they need
// more than their limits, the quotient of the logarithms, whose rounding
// (2^-53 of them, at most some 1e-13 there) the recurrence shrinks.
long double start_ratio(double y, double s, bool upper, double log_tail, double log_term)
{
    double r;
    if (upper ? gamma_upper_fraction(y, s, min_relative_tolerance, fraction_steps, &r) == 0
              : gamma_series(y, s, min_relative_tolerance, series_terms, &r) == 0)
        return static_cast<long double>(r) * s / y;
    return std::exp(static_cast<long double>(log_tail) - log_term);
}

// The smaller tail by the window about j*: its log into *log_tail, and the
// slope and curvature into out.
int32_t window_tail(double a, double y, double h, double peak, bool upper, double* log_tail,
                    ncx2_evaluation* out)
{
    double spread = elem_sqrt(1.0 / (1.0 / (peak + 1.0) + 1.0 / (a + peak + 1.0)));
    double reach = window_deviations * spread + window_margin;
    for (int32_t widening = 0; widening <= widenings_max; ++widening, reach *= 2.0) {
        double j0 = upper ? elem_floor(peak - reach) : elem_floor(peak + reach) + 1.0;
        if (j0 < 0.0)
            j0 = 0.0;
        if (!(j0 <= int32_max_double))
            return 1;
        double log_p, log_q, log_term, log_weight;
        if (ncx2_gamma_log_tails(y, a + j0, &log_p, &log_q) != 0
            || gamma_log_density(y, a + j0 + 1.0, &log_term) != 0
            || gamma_log_density(h, j0 + 1.0, &log_weight) != 0)
            return 1;
        long double ratio = start_ratio(y, a + j0, upper, upper ? log_q : log_p, log_term);
        window_sums sums;
        int32_t status = upper ? upper_window(a, y, h, j0, ratio, window_steps_max, &sums)
                               : lower_window(a, y, h, j0, ratio, window_steps_max, &sums);
        if (status == window_failed)
            return 1;
        if (status == window_too_narrow)
            continue;
        long double log_start = static_cast<long double>(log_weight) + log_term;
        *log_tail = static_cast<double>(log_start + elem_ln_fyl2x_ext(sums.tail));
        out->log_slope = static_cast<double>(log_start + elem_ln_fyl2x_ext(sums.e1)) - ln_2;
        out->curvature_ratio = static_cast<double>(sums.e2 / sums.e1);
        out->torsion_ratio = static_cast<double>(sums.e3 / sums.e1);
        out->steps = sums.steps;
        return 0;
    }
    return 1;
}

// I_(mu+1)(z)/I_mu(z), mu >= 0, as the middle of Amos's bounds.
long double bessel_ratio(long double mu, long double z)
{
    long double b = mu + 0.5L;
    long double low = z / (b + std::sqrt((b + 1) * (b + 1) + z * z));
    long double high = z / (b + std::sqrt(b * b + z * z));
    return 0.5L * (low + high);
}

// The upper tail by the Bessel-form series, beyond j* = 2^30.
int32_t bessel_tail(double x, double df, double ncp, double* log_tail, ncx2_evaluation* out)
{
    double log_density;
    if (ncx2_bessel_log_density(x, df, ncp, &log_density) != 0)
        return 1;
    const long double nu = 0.5L * df - 1, z = static_cast<long double>(elem_sqrt(ncp)) * elem_sqrt(x);
    const long double half_log_ratio = 0.5L * (static_cast<long double>(elem_ln(ncp)) - elem_ln(x));
    const long double q = std::exp(half_log_ratio);  // sqrt(ncp/x)
    // r_nu; below order 0 (df < 2) from r_(nu+1) by the recurrence.
    const long double r_nu = nu >= 0 ? bessel_ratio(nu, z) : 1 / (2 * (nu + 1) / z + bessel_ratio(nu + 1, z));
    long double rho = 1 / r_nu;  // I_nu/I_(nu+1), the ratio one order above the first term
    long double sum = 1, t = 1;
    int32_t m = 1;
    for (; m <= bessel_terms_max; ++m) {
        rho = 2 * (nu - (m - 1)) / z + 1 / rho;  // I_(nu-m)/I_(nu-m+1)
        t = t * q * rho;
        sum += t;
        if (t <= neglected * sum)
            break;
    }
    if (m > bessel_terms_max || !(t >= 0))
        return 1;
    *log_tail = static_cast<double>(ln_2 + static_cast<long double>(log_density) + elem_ln_fyl2x_ext(sum));
    out->log_slope = static_cast<double>(log_density - half_log_ratio + elem_ln_fyl2x_ext(r_nu));
    const long double r_above = bessel_ratio(nu + 1, z);
    out->curvature_ratio = static_cast<double>(r_above / q);
    out->torsion_ratio = static_cast<double>(r_above * bessel_ratio(nu + 2, z) / (q * q));
    out->steps = m;
    return 0;
}

}  // namespace

int32_t ncx2_far_evaluate(double x, double df, double ncp, ncx2_evaluation* out)
{
    const double a = 0.5 * df, y = 0.5 * x, h = 0.5 * ncp;
    const double peak = ncx2_peak_index(a, y, h);
    const bool upper = peak > elem_floor(h);  // beyond the mode (ncx2_far_from_mode)
    double log_tail;
    int32_t status = upper && !(peak <= bessel_peak) ? bessel_tail(x, df, ncp, &log_tail, out)
                                                      : window_tail(a, y, h, peak, upper, &log_tail, out);
    // Far from the mode the tail summed is the smaller by far; one near 1/2
    // would make the complement inexact, and is not taken.
    if (status != 0 || !(log_tail < -ln_2))
        return 1;
    out->log_upper = upper ? log_tail : ncx2_log_complement(log_tail);
    out->log_lower = upper ? ncx2_log_complement(log_tail) : log_tail;
    return 0;
}
