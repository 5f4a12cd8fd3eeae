// Accuracy of gamma_inc and gamma_inc_log against the mpmath tables of
// tests/reference/gen_gamma.py, one loop per output.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>

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
#if 0
const gamma_row log_rows[] = {
#include "data/gamma_inc_log.inc"
};
const gamma_row log_centre_rows[] = {
#include "data/gamma_inc_log_centre.inc"
};
const gamma_row log_large_rows[] = {
#include "data/gamma_inc_log_large.inc"
};
#endif

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
