// gamma_inc_log: domain, x = 0, the tolerance floor, the method chosen at
// the stated boundaries (seen in the record's method field, which the
// asymptotic expansion and the integration leave alone), the integration
// taking over beyond the series' term limit, and the shape left as given.
// Accuracy against the mpmath tables of tests/reference/gen_gamma.py, one
// loop per output.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <string>

#include "library/gamma.h"
#include "numeric/constants.h"
#include "support/output_check.h"

namespace {

constexpr double nan_value = std::numeric_limits<double>::quiet_NaN();
constexpr int32_t no_method = -7;  // what the caller left in the field

struct gamma_row {
    double x, a;
    double first_hi, first_rel;    // P, or ln P
    double second_hi, second_rel;  // Q, or ln Q
    double third_hi, third_rel;    // density, or ln density
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

struct log_result {
    double lower, upper, density;
};

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

gamma_log_record run(double x, double a, double tolerance = 0.0)
{
    gamma_log_record r{};
    r.x = x;
    r.shape = a;
    r.tolerance = tolerance;
    r.method = no_method;
    r.log_lower = r.log_upper = r.log_density = nan_value;
    int32_t status = gamma_inc_log(&r);
    r.work = status;  // the status, for the tables below
    return r;
}

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

TEST(GammaIncLog, Domain)
{
    const double bad[][2] = {{1.0, 1e-9}, {1.0, 0.0}, {1.0, -1.0}, {-1.0, 2.0},
                             {nan_value, 2.0}, {1.0, nan_value}};
    for (const auto& b : bad)
        EXPECT_EQ(run(b[0], b[1]).work, 1.0) << b[0] << " " << b[1];

    // 2e-9 is inside the domain (shifted to 1 + 2e-9).
    gamma_log_record r = run(1.0, 2e-9);
    EXPECT_EQ(r.work, 0.0);
    EXPECT_EQ(r.shape, 2e-9);
    EXPECT_LT(r.log_lower, 0.0);
    EXPECT_LT(r.log_upper, -20.0);  // Q(2e-9, 1) = 2e-9 E1(1) = 4.4e-10
}

TEST(GammaIncLog, AtZero)
{
    struct zero_case {
        double a, log_density;
    };
    const zero_case cases[] = {{2.0, -max_double}, {0.5, max_double}, {1.0, 0.0}};
    for (const zero_case& c : cases) {
        gamma_log_record r = run(0.0, c.a);
        EXPECT_EQ(r.work, 0.0) << c.a;
        EXPECT_EQ(r.log_lower, -max_double) << c.a;
        EXPECT_EQ(r.log_upper, 0.0) << c.a;
        EXPECT_EQ(r.log_density, c.log_density) << c.a;
    }
}

TEST(GammaIncLog, ToleranceFloor)
{
    EXPECT_EQ(run(3.0, 2.0, 0.0).tolerance, 5.551115123125785e-16);
    EXPECT_EQ(run(3.0, 2.0, nan_value).tolerance, 5.551115123125785e-16);
    EXPECT_EQ(run(3.0, 2.0, 1e-10).tolerance, 1e-10);
    // A looser tolerance still gives the tail to about that accuracy:
    // ln Q(2, 3) = ln(4 e^-3) = ln 4 - 3.
    EXPECT_NEAR(run(3.0, 2.0, 1e-10).log_upper, std::log(4.0) - 3.0, 1e-9);
}

TEST(GammaIncLog, MethodAtTheBoundaries)
{
    struct method_case {
        const char* what;
        double x, a;
        int32_t method;
    };
    const method_case cases[] = {
        {"x = 100 a: asymptotic expansion", 300.0, 3.0, no_method},
        {"x just below 100 a: upper-tail fraction", std::nextafter(300.0, 0.0), 3.0, 3},
        {"x = 100 a with a < 0.5: main path", 40.0, 0.4, 3},
        {"x = 100 a with a = 0.5: asymptotic expansion", 50.0, 0.5, no_method},
        {"x below a: series", 3.0, 5.0, 0},
        {"x = a: series", 5.0, 5.0, 0},
        {"x just above a: upper-tail fraction", std::nextafter(5.0, 6.0), 5.0, 3},
        {"x <= 1 above a: series", 1.0, 0.5, 0},
        {"a = 1e7, x = a: centre approximation", 1e7, 1e7, 2},
        {"a = 1e7, x = 1.1 a: upper-tail fraction", 1.1e7, 1e7, 3},
        {"a = 1e7, x = 0.9 a: lower-tail fraction", 0.9e7, 1e7, 4},
        {"a = 1e5 at the centre: beyond the series' 919 terms, integration", 1e5, 1e5,
         no_method},
    };
    for (const method_case& c : cases) {
        gamma_log_record r = run(c.x, c.a);
        EXPECT_EQ(r.work, 0.0) << c.what;
        EXPECT_EQ(r.method, c.method) << c.what;
        EXPECT_EQ(r.shape, c.a) << c.what;
        EXPECT_LE(r.log_lower, 0.0) << c.what;
        EXPECT_LE(r.log_upper, 0.0) << c.what;
    }
}

TEST(GammaIncLog, ShapeLeftAsGivenOnEveryPath)
{
    // Shifted shapes on the series side, the fraction side, the asymptotic
    // expansion and the integration.
    const double cases[][2] = {{0.2, 0.3}, {3.0, 0.3}, {200.0, 0.7}, {1e5, 1e5}, {0.0, 0.3}};
    for (const auto& c : cases) {
        gamma_log_record r = run(c[0], c[1]);
        EXPECT_EQ(r.work, 0.0) << c[0] << " " << c[1];
        EXPECT_EQ(r.shape, c[1]) << c[0] << " " << c[1];
    }
}

TEST(GammaIncLog, FarBelowTheSmallestDouble)
{
    // ln Q(10, 2000) = 9 ln 2000 - 2000 - ln 9! + ln(1 + 9/2000 + ...):
    // -1944.3891974568222 (mpmath gammainc at mp.dps = 50).
    gamma_log_record r = run(2000.0, 10.0);
    ASSERT_EQ(r.work, 0.0);
    EXPECT_NEAR(r.log_upper, -1944.3891974568222, 1e-12 * 1944.4);
    EXPECT_EQ(r.log_lower, 0.0);
}



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
