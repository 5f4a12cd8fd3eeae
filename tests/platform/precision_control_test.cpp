// Results must not depend on the x87 precision control the caller left in
// force.  Linux starts processes with 64-bit precision, Windows with 53 bits,
// and some hosts run with 24; the routines that compute in the extended
// format set 64 bits for themselves and put the caller's control word back.
// Each routine below runs over a sweep of arguments under all three
// settings, and every result must have the same bits as under 64-bit
// precision, with the caller's control word unchanged afterwards.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "fnonct/fnonct.h"
#include "library/bessel.h"
#include "library/beta_log.h"
#include "library/densities.h"
#include "library/distributions.h"
#include "library/gamma.h"
#include "library/ncf_log.h"
#include "library/ncf_log_density.h"
#include "ncf/ncf.h"
#include "numeric/elementary.h"
#include "numeric/primitives.h"
#include "support/x87_control.h"

namespace {

#if KELBRANT_X87

// One routine under test: a name and a call that turns up to four arguments
// into one double (a status, where the routine has one, is folded into the
// result so that a changed status shows as well; it is taken before the
// result is read, since the order in which a call's arguments are evaluated
// is unspecified).
struct routine_case {
    const char* name;
    double (*call)(const double* args);
    std::vector<std::vector<double>> arguments;
};

double status_or(int32_t status, double value) { return status != 0 ? -1000.0 - status : value; }

std::vector<std::vector<double>> sweep(double from, double to, int count)
{
    std::vector<std::vector<double>> rows;
    for (int i = 0; i < count; ++i)
        rows.push_back({from + (to - from) * i / (count - 1)});
    return rows;
}

std::vector<std::vector<double>> grid(const std::vector<std::vector<double>>& axes)
{
    std::vector<std::vector<double>> rows{{}};
    for (const auto& axis : axes) {
        std::vector<std::vector<double>> next;
        for (const auto& row : rows)
            for (double v : axis) {
                next.push_back(row);
                next.back().push_back(v);
            }
        rows = next;
    }
    return rows;
}

// Points x = r a near the mode of each shape a: (x, a) rows.
std::vector<std::vector<double>> near_mode(const std::vector<double>& shapes)
{
    std::vector<std::vector<double>> rows;
    for (double a : shapes)
        for (double r : {0.71, 0.88, 0.999, 1.0, 1.07, 1.29})
            rows.push_back({r * a, a});
    return rows;
}

std::vector<std::vector<double>> joined(std::vector<std::vector<double>> a,
                                        const std::vector<std::vector<double>>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::vector<routine_case> routine_cases()
{
    const std::vector<double> shapes = {0.25, 0.5, 1.0, 2.5, 7.0, 30.0, 400.0};
    const std::vector<double> degrees = {0.5, 1.0, 3.0, 12.0, 80.0};
    const std::vector<double> statistics = {0.05, 0.7, 1.0, 2.9, 15.0};
    return {
        {"exp_fast", [](const double* a) { return exp_fast(a[0]); }, sweep(-745.0, 709.7, 1999)},
        {"pow_real", [](const double* a) { return pow_real(a[0], a[1]); },
         grid({{1e-300, 0.013, 0.5, 0.97, 1.5, 3.0, 1e10, 1e300},
               {-7.5, -1.0 / 3.0, 1e-9, 0.25, 1.0 / 3.0, 2.2, 11.0, 0.99}})},
        {"log1p_rel", [](const double* a) { return log1p_rel(a[0]); }, sweep(-0.999, 3.0, 801)},
        {"log_gamma", [](const double* a) { return log_gamma(a[0]); }, sweep(0.001, 300.0, 801)},
        {"log_beta", [](const double* a) { return log_beta(a[0], a[1]); }, grid({shapes, shapes})},
        {"erf_value", [](const double* a) { return erf_value(a[0]); }, sweep(-6.0, 6.0, 801)},
        {"erfc_value", [](const double* a) { return erfc_value(a[0]); }, sweep(-6.0, 27.0, 801)},
        {"normal_cdf", [](const double* a) { return normal_cdf(a[0]); }, sweep(-38.0, 9.0, 801)},
        {"beta_inc",
         [](const double* a) {
             double w = 0.0, w1 = 0.0;
             int32_t status = beta_inc(a[0], a[1], a[2], &w, &w1);
             return status_or(status, w + 3.0 * w1);
         },
         grid({{1e-6, 0.03, 0.4, 0.5, 0.77, 0.999}, shapes, shapes})},
        {"ncf_cdf",
         [](const double* a) {
             double out = 0.0;
             int32_t status = ncf_cdf(a[0], a[1], a[2], a[3], &out);
             return status_or(status, out);
         },
         grid({statistics, degrees, degrees, {0.0, 0.6, 9.0, 120.0, 2000.0}})},
        {"beta_log_density",
         [](const double* a) {
             double out = 0.0;
             int32_t status = beta_log_density(a[0], a[1], a[2], &out);
             return status_or(status, out);
         },
         grid({{1e-6, 0.03, 0.4, 0.77, 0.999}, shapes, shapes})},
        {"gamma_log_density",
         [](const double* a) {
             double out = 0.0;
             int32_t status = gamma_log_density(a[0], a[1], &out);
             return status_or(status, out);
         },
         joined(grid({{1e-3, 0.3, 2.0, 9.5, 60.0, 700.0}, shapes}),
                near_mode({10.0, 37.5, 400.0, 9e3, 2e6}))},
        {"gamma_inc",
         [](const double* a) {
             double p = 0.0, q = 0.0, density = 0.0;
             int32_t status = gamma_inc(a[0], a[1], &p, &q, &density);
             return status_or(status, p + 3.0 * q + 5.0 * density);
         },
         joined(grid({{1e-3, 0.3, 2.0, 9.5, 60.0, 700.0}, shapes}),
                near_mode({10.0, 37.5, 400.0, 9e3}))},
        {"gamma_inc_log",
         [](const double* a) {
             gamma_log_record record{};
             record.x = a[0];
             record.shape = a[1];
             int32_t status = gamma_inc_log(&record);
             return status_or(status, record.log_lower + 3.0 * record.log_upper
                                          + 5.0 * record.log_density + 7.0 * record.method);
         },
         joined(grid({{1e-3, 0.3, 2.0, 9.5, 60.0, 700.0}, shapes}),
                near_mode({10.0, 37.5, 400.0, 9e3}))},
        {"normal_log_tails",
         [](const double* a) {
             double lower = 0.0, upper = 0.0, density = 0.0;
             int32_t status = normal_log_tails(a[0], &lower, &upper, &density);
             return status_or(status, lower + 3.0 * upper + 5.0 * density);
         },
         sweep(-40.0, 40.0, 801)},
        {"beta_inc_log",
         [](const double* a) {
             beta_log_record record{};
             record.x = a[0];
             record.a = a[1];
             record.b = a[2];
             int32_t status = beta_inc_log(&record);
             return status_or(status, record.log_lower + 3.0 * record.log_upper
                                          + 5.0 * record.log_density);
         },
         grid({{1e-6, 0.03, 0.4, 0.5, 0.77, 0.999}, shapes, shapes})},
        {"ncf_log_density",
         [](const double* a) {
             double out = 0.0;
             int32_t status = ncf_log_density(a[0], a[1], a[2], a[3], &out);
             return status_or(status, out);
         },
         grid({statistics, degrees, degrees, {0.0, 0.6, 9.0, 120.0, 2000.0}})},
        {"bessel_i",
         [](const double* a) {
             double sum = 0.0;
             for (int32_t form : {bessel_form_plain, bessel_form_scaled, bessel_form_log}) {
                 bessel_record record{};
                 record.z = a[0];
                 record.order = a[1];
                 record.form = form;
                 int32_t error = bessel_i(&record);
                 sum = 3.0 * sum + status_or(error, record.result);
             }
             return sum;
         },
         grid({{0.3, 1.9, 4.0, 11.0, 13.0, 17.0, 60.0, 900.0}, {0.0, 0.4, 2.5, 5.6, 20.0, 36.5, 400.0}})},
        {"ncf_log_probs",
         [](const double* a) {
             ncf_log_record record{};
             record.x = a[0];
             record.n1 = a[1];
             record.n2 = a[2];
             record.lambda = a[3];
             record.requests = ncf_log_want_probabilities | ncf_log_want_density;
             int32_t status = ncf_log_probs(&record);
             return status_or(status, record.log_lower + 3.0 * record.log_upper
                                          + 5.0 * record.log_density);
         },
         grid({{0.7, 2.9, 15.0}, {1.0, 3.0, 12.0}, {3.0, 12.0}, {0.0, 9.0, 120.0, 700.0}})},
        {"inverse_gaussian_cdf", [](const double* a) { return inverse_gaussian_cdf(a[0], a[1]); },
         grid({{1e-3, 0.2, 0.9, 1.0, 1.7, 6.0, 40.0}, {0.01, 0.5, 2.0, 30.0, 800.0}})},
        {"fnonct_search",
         [](const double* a) {
             double lambda = 0.0;
             int32_t status = fnonct_search(a[0], a[1], a[2], a[3], &lambda);
             return status_or(status, lambda);
         },
         grid({statistics, degrees, degrees, {0.01, 0.2, 0.5, 0.95}})},
    };
}

// Whether storing an extended value as a double rounds it to 53 bits
// whatever the precision control, as the x87 does (the control governs only
// the arithmetic).  An emulator that rounds the store to the control's
// precision would spoil every double returned in st(0) under 24-bit precision
// (the 32-bit calling convention), whatever the routines do.
bool stores_ignore_precision_control()
{
    const uint16_t saved = control_word();
    volatile double in = 1.0 + 0x1p-40, out = 0.0;
    set_control_word(static_cast<uint16_t>((saved & ~precision_mask) | precision_24));
    long double v;
    __asm__ volatile("fldl %1" : "=t"(v) : "m"(in));
    __asm__ volatile("fstpl %0" : "=m"(out) : "t"(v) : "st");
    set_control_word(saved);
    return out == in;
}

TEST(PrecisionControl, ResultsDoNotDependOnTheCallersPrecision)
{
    const uint16_t saved = control_word();
    std::vector<uint16_t> precisions = {precision_53};
    if (stores_ignore_precision_control())
        precisions.push_back(precision_24);
    else
        std::printf("stores round to the precision control here (an emulator): 24 bits not tried\n");
    for (const routine_case& routine : routine_cases()) {
        for (uint16_t precision : precisions) {
            const uint16_t caller = static_cast<uint16_t>((saved & ~precision_mask) | precision);
            int differing = 0;
            std::string first;
            bool control_word_kept = true;
            for (const auto& args : routine.arguments) {
                set_control_word(static_cast<uint16_t>((saved & ~precision_mask) | precision_64));
                const double reference = routine.call(args.data());
                set_control_word(caller);
                const double value = routine.call(args.data());
                control_word_kept = control_word_kept && control_word() == caller;
                set_control_word(saved);
                if (std::memcmp(&reference, &value, sizeof value) != 0) {
                    if (differing++ == 0) {
                        char text[200];
                        std::snprintf(text, sizeof text, "%.17g vs %.17g at (", reference, value);
                        first = text;
                        for (double v : args)
                            first += std::to_string(v) + " ";
                        first += ")";
                    }
                }
            }
            EXPECT_EQ(differing, 0)
                << routine.name << " under precision control 0x" << std::hex << precision
                << std::dec << ": " << differing << " of " << routine.arguments.size()
                << " results differ, first " << first;
            EXPECT_TRUE(control_word_kept)
                << routine.name << " left a control word other than the caller's";
        }
    }
    set_control_word(saved);
}

#else

TEST(PrecisionControl, ResultsDoNotDependOnTheCallersPrecision)
{
    GTEST_SKIP() << "no x87 on this target";
}

#endif

}  // namespace
