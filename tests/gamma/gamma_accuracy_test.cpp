// Accuracy of gamma_inc and gamma_inc_log against the mpmath tables of
// tests/reference/gen_gamma.py, one loop per output.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <string>

#include "library/gamma.h"
#include "support/output_check.h"

namespace {

struct gamma_row {
    double x, a;
    double first_hi, first_rel;    // P, or ln P
    double second_hi, second_rel;  // Q, or ln Q
    double third_hi, third_rel;    // density, or ln density
};

const gamma_row inc_rows[] = {
#include "data/gamma_inc.inc"
};
const gamma_row inc_centre_rows[] = {
#include "data/gamma_inc_centre.inc"
};
const gamma_row log_rows[] = {
#include "data/gamma_inc_log.inc"
};
const gamma_row log_centre_rows[] = {
#include "data/gamma_inc_log_centre.inc"
};
const gamma_row log_large_rows[] = {
#include "data/gamma_inc_log_large.inc"
};
const gamma_row log_band_rows[] = {
#include "data/gamma_inc_log_band.inc"
};

constexpr double eps = 1.1102230246251565e-16;  // 2^-53

struct plain_result {
    double p, q, density;
};

struct log_result {
    double lower, upper, density;
};

template <std::size_t N>
void compute_plain(const gamma_row (&rows)[N], plain_result (&out)[N])
{
    for (std::size_t i = 0; i < N; ++i)
        EXPECT_EQ(gamma_inc(rows[i].x, rows[i].a, &out[i].p, &out[i].q, &out[i].density), 0)
            << rows[i].x << " " << rows[i].a;
}

template <std::size_t N>
void compute_log(const gamma_row (&rows)[N], log_result (&out)[N])
{
    for (std::size_t i = 0; i < N; ++i) {
        gamma_log_record r{};
        r.x = rows[i].x;
        r.shape = rows[i].a;
        EXPECT_EQ(gamma_inc_log(&r), 0) << rows[i].x << " " << rows[i].a;
        out[i] = {r.log_lower, r.log_upper, r.log_density};
    }
}

}  // namespace

// Series and continued fractions: P and Q within 1e-13 relative, or 2e-15
// absolute.  The larger is formed as the complement of the smaller, and
// after the shift of a shape below 1 the upper tail is Q(a+1) minus the
// density of shape a+1, a number up to 1 whose logarithm carries the error
// of ln Gamma(a+1) next to 1 and 2 (up to 2e-15 absolute).  The
// density within 1e-13 relative, unless the terms of its logarithm,
// (a-1) ln x - x - ln Gamma(a), are so large that their roundings exceed it
// (shapes of some hundreds away from the mode).
TEST(GammaIncAccuracy, SeriesAndFractions)
{
    plain_result got[std::size(inc_rows)];
    compute_plain(inc_rows, got);
    auto at = [&](const gamma_row& r) { return got[&r - inc_rows]; };
    auto probability = [](double value, double hi, double rel, const gamma_row& r) {
        double error = std::fabs((value - hi) - rel * hi);
        return output_check{value, hi, error, 1e-13 * std::fabs(hi) + 2e-15,
                            describe_arguments("x, a", r.x, r.a)};
    };
    check_output("gamma_inc P", "absolute", inc_rows, [&](const gamma_row& r) {
        return probability(at(r).p, r.first_hi, r.first_rel, r);
    });
    check_output("gamma_inc Q", "absolute", inc_rows, [&](const gamma_row& r) {
        return probability(at(r).q, r.second_hi, r.second_rel, r);
    });
    check_output("gamma_inc density", "relative", inc_rows, [&](const gamma_row& r) {
        double a = r.a < 1 ? r.a + 1 : r.a;
        double terms = std::fabs((a - 1) * std::log(r.x)) + r.x + std::fabs(std::lgamma(a));
        return output_check{at(r).density, r.third_hi,
                            reference_relative_error(at(r).density, r.third_hi, r.third_rel),
                            std::max(1e-13, 4 * eps * terms), describe_arguments("x, a", r.x, r.a)};
    });
}

// The corrected cube-root approximation near the centre of shapes of 10^4
// and more: its neglected terms are of order a^(-3/2); the error reached is
// 1.4e-8 absolute at a = 10^4 and falls as a^(-3/2) (4.4e-10 at 10^5,
// 1.4e-11 at 10^6).  Tolerance 2e-8 (10^4/a)^(3/2).  The density there
// comes from the Stirling form, within 1e-13.
TEST(GammaIncAccuracy, CentreApproximation)
{
    plain_result got[std::size(inc_centre_rows)];
    compute_plain(inc_centre_rows, got);
    auto at = [&](const gamma_row& r) { return got[&r - inc_centre_rows]; };
    auto bound = [](const gamma_row& r) { return 2e-8 * std::pow(1e4 / r.a, 1.5); };
    check_output("gamma_inc centre P", "absolute", inc_centre_rows, [&](const gamma_row& r) {
        double error = std::fabs((at(r).p - r.first_hi) - r.first_rel * r.first_hi);
        return output_check{at(r).p, r.first_hi, error, bound(r), describe_arguments("x, a", r.x, r.a)};
    });
    check_output("gamma_inc centre Q", "absolute", inc_centre_rows, [&](const gamma_row& r) {
        double error = std::fabs((at(r).q - r.second_hi) - r.second_rel * r.second_hi);
        return output_check{at(r).q, r.second_hi, error, bound(r), describe_arguments("x, a", r.x, r.a)};
    });
    check_output("gamma_inc centre density", "relative", inc_centre_rows, [&](const gamma_row& r) {
        return output_check{at(r).density, r.third_hi,
                            reference_relative_error(at(r).density, r.third_hi, r.third_rel), 1e-13,
                            describe_arguments("x, a", r.x, r.a)};
    });
}

namespace {

// The three log outputs of a table.  Errors are measured as absolute log
// errors over max(1, |ln|); the tolerance is 1e-12 of that plus an absolute
// allowance extra(row, output) for what the method itself leaves (output
// 0: ln P, 1: ln Q, 2: ln density; an infinite allowance skips the row).
template <std::size_t N, class Extra>
void check_logs(const char* table, const gamma_row (&rows)[N], const log_result (&got)[N],
                Extra extra)
{
    auto check = [&](const gamma_row& r, int output) {
        const log_result& g = got[&r - rows];
        double value = output == 0 ? g.lower : output == 1 ? g.upper : g.density;
        double hi = output == 0 ? r.first_hi : output == 1 ? r.second_hi : r.third_hi;
        double rel = output == 0 ? r.first_rel : output == 1 ? r.second_rel : r.third_rel;
        double scale = std::max(1.0, std::fabs(hi));
        double allowance = extra(r, output);
        double error = std::isinf(allowance) ? 0.0 : reference_log_error(value, hi, rel);
        return output_check{value, hi, error, 1e-12 + allowance / scale,
                            describe_arguments("x, a", r.x, r.a)};
    };
    const char* outputs[] = {"ln P", "ln Q", "ln density"};
    for (int output = 0; output < 3; ++output) {
        std::string name = std::string(table) + " " + outputs[output];
        check_output(name.c_str(), "(log error)", rows,
                     [&](const gamma_row& r) { return check(r, output); });
    }
}

}  // namespace

// Series, fractions, asymptotic expansion: 1e-12 of the log (the far tails
// included: ln Q(10, 2000) = -1944.39).  After the shift of a shape a < 1
// the far tail is a difference, Q(a+1) - density on the upper side and
// 1 - P on the lower, which loses digits like 1/a: allowance 8 eps (1 + x)/a
// in ln Q (2.6e-8 at a = 2e-9, x = 3).
TEST(GammaIncLogAccuracy, MethodsTailsAndAsymptotic)
{
    log_result got[std::size(log_rows)];
    compute_log(log_rows, got);
    check_logs("gamma_inc_log", log_rows, got, [](const gamma_row& r, int output) {
        return output == 1 && r.a < 1 ? 8 * eps * (1 + r.x) / r.a : 0.0;
    });
}

// Shapes of 10^7 and more near the centre: the Wilson-Hilferty variable z
// alone, without Temme's first correction
//     C = phi(z) (A - B)/(9a),  A = z (z^2/3 - 1)/4,  B = (7 - (z^2 + 4) z^2)/(15 sqrt(9a)),
// whose size relative to the smaller tail, C/Phi(-|z|), is the error in the
// log: 1e-9 at |z| = 0.5 for a = 1.3e7, 0.016 at the edge of the band for
// a = 10^7 (z = 64, where it is close to z^4/(108 a)).  Allowance 1.5 times
// that (|A| and |B| summed).
TEST(GammaIncLogAccuracy, CentreApproximation)
{
    log_result got[std::size(log_centre_rows)];
    compute_log(log_centre_rows, got);
    check_logs("gamma_inc_log centre", log_centre_rows, got, [](const gamma_row& r, int output) {
        if (output == 2)
            return 0.0;
        double s = 9 * r.a;
        double z = std::sqrt(s) * (std::cbrt(r.x / r.a) - 1 + 1 / s);
        // phi(z)/Phi(-|z|), by z + 1/z (an upper bound) where the tail
        // would underflow.
        double m = std::fabs(z);
        double inverse_mills = m < 5 ? std::exp(-z * z / 2) / std::sqrt(2 * M_PI)
                                           / (std::erfc(m / std::sqrt(2.0)) / 2)
                                     : m + 1 / m;
        double corr_a = std::fabs(z * (z * z / 3 - 1) / 4);
        double corr_b = std::fabs((7 - (z * z + 4) * z * z) / (15 * std::sqrt(s)));
        return 1.5 * inverse_mills * (corr_a + corr_b) / s;
    });
}

// Shapes from 10^4 to 10^7: near and below the centre the series needs
// more than its 919 terms, just above it Legendre's fraction more than its
// steps, and the tail on x's side is integrated, relative to the kernel's
// value at x, as the ratio R to the density (ln P or ln Q = ln R + the log
// density, the other tail its complement).  Within 1e-12 of the log, as the
// methods; the band table holds the points where a lower tail taken as the
// complement of the upper one was once reported as success (ln P(3e6,
// 2986143.59354) = -35.11, given as -18.7).
TEST(GammaIncLogAccuracy, IntegrationOfLargeShapes)
{
    log_result got[std::size(log_large_rows)];
    compute_log(log_large_rows, got);
    check_logs("gamma_inc_log large", log_large_rows, got,
               [](const gamma_row&, int) { return 0.0; });
    log_result band[std::size(log_band_rows)];
    compute_log(log_band_rows, band);
    check_logs("gamma_inc_log band", log_band_rows, band,
               [](const gamma_row&, int) { return 0.0; });
}
