// bessel_i: the modified Bessel function of the first kind in its three
// forms, the choice of method, and its flags.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>

#include "library/bessel.h"
#include "support/reference_table.h"

namespace {

struct bessel_reference {
    double z, nu, log_i, scaled, plain;
};

#include "data/bessel_i.inc"

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

// ln I to 1e-12 relative in every region.  The plain and scaled forms are
// e^(result) of a logarithm delivered as a double, so the rounding of the
// log (up to 2^-53 |ln I|) is a relative error of the value on top of the
// method's own: value_tolerance + 2^-52 |ln I|.  The methods are good to a
// few units of the double (value_tolerance 1e-13) except Hankel's
// expansion, which stops at a term of 1e-12 of the sum (worst reached: 7e-13
// at z = 17 with nu just below 1.348 sqrt(17)).
constexpr double log_tolerance = 1e-12;
constexpr double value_tolerance = 1e-13;
constexpr double hankel_value_tolerance = 1e-12;
constexpr double log_rounding = 2.220446049250313e-16;

bessel_record run(double z, double nu, int32_t form, int32_t* method = nullptr)
{
    bessel_record r{};
    r.z = z;
    r.order = nu;
    r.form = form;
    bessel_i_traced(&r, method);
    return r;
}

// One loop per form over a region's table: every row must take the
// region's method, leave the error flag clear and meet the tolerance; the
// worst row is printed.
template <size_t N>
void check_region(const char* region, const bessel_reference (&rows)[N], int32_t method,
                  double value_tol)
{
    const char* form_names[] = {"I", "e^-z I", "ln I"};
    for (int32_t form : {bessel_form_plain, bessel_form_scaled, bessel_form_log}) {
        worst_row worst;
        size_t checked = 0;
        for (size_t i = 0; i < N; ++i) {
            const bessel_reference& row = rows[i];
            double want = form == bessel_form_log ? row.log_i
                        : form == bessel_form_scaled ? row.scaled : row.plain;
            if (want == 0.0 && form != bessel_form_log)
                continue;  // outside the double range
            int32_t used = -1;
            bessel_record r = run(row.z, row.nu, form, &used);
            SCOPED_TRACE(testing::Message() << region << " z = " << row.z << ", nu = " << row.nu
                                            << ", form " << form);
            EXPECT_EQ(used, method);
            EXPECT_EQ(r.error, 0);
            double error = relative_error(r.result, want);
            double tol = form == bessel_form_log
                       ? log_tolerance
                       : value_tol + log_rounding * std::fabs(row.log_i);
            EXPECT_LE(error, tol) << "got " << r.result << ", want " << want;
            note_error(&worst, error / tol, i);
            ++checked;
        }
        std::printf("[  worst   ] %s, %s over %zu rows: z = %.17g, nu = %.17g at %.3g of the "
                    "tolerance\n", region, form_names[form], checked, rows[worst.row].z,
                    rows[worst.row].nu, worst.error);
    }
}

TEST(BesselI, SeriesRegionAgainstMpmath)
{
    check_region("series", bessel_series_rows, bessel_method_series, value_tolerance);
}

TEST(BesselI, HankelRegionAgainstMpmath)
{
    check_region("Hankel", bessel_hankel_rows, bessel_method_hankel, hankel_value_tolerance);
}

TEST(BesselI, DebyeRegionAgainstMpmath)
{
    check_region("Debye", bessel_debye_rows, bessel_method_debye, value_tolerance);
}

TEST(BesselI, RecurrenceFromDebyeAgainstMpmath)
{
    check_region("recurrence from Debye", bessel_recurrence_debye_rows,
                 bessel_method_recurrence_debye, value_tolerance);
}

TEST(BesselI, RecurrenceFromSeriesAgainstMpmath)
{
    check_region("recurrence from the series", bessel_recurrence_series_rows,
                 bessel_method_recurrence_series, value_tolerance);
}

// The method on either side of each region boundary.
struct boundary_case {
    double z, nu;
    int32_t method;
    const char* why;
};

const boundary_case boundary_cases[] = {
    {1.9, 0.0, bessel_method_series, "z < 2"},
    {1.9, 30.0, bessel_method_series, "z < 2"},
    {2.0, 0.5, bessel_method_series, "(z/2)^2 = 1 < nu + 1 = 1.5"},
    {2.0, 0.0, bessel_method_recurrence_series, "(z/2)^2 = 1 = nu + 1"},
    {4.0, 0.0, bessel_method_recurrence_series, "(z/2)^2 = 4 >= 1"},
    {12.0, 5.0, bessel_method_recurrence_series, "z = 12: from the series"},
    {12.000001, 5.0, bessel_method_recurrence_debye, "z just above 12: from Debye"},
    {17.0, 5.5, bessel_method_hankel, "1.348 sqrt(17) = 5.558 > 5.5"},
    {17.0, 5.6, bessel_method_recurrence_debye, "1.348 sqrt(17) < 5.6"},
    {16.999, 1.0, bessel_method_recurrence_debye, "z below 17"},
    {100.0, 35.5, bessel_method_debye, "nu > 35, 13.48 < nu"},
    {100.0, 35.0, bessel_method_recurrence_debye, "nu = 35"},
    {100.0, 13.47, bessel_method_hankel, "nu just below 13.48"},
    {1e4, 134.0, bessel_method_hankel, "nu below 134.8"},
    {1e4, 135.0, bessel_method_debye, "nu above 134.8"},
    {24.0, 143.5, bessel_method_series, "(z/2)^2 = 144 < nu + 1"},
    {24.0, 143.0, bessel_method_debye, "(z/2)^2 = 144 = nu + 1"},
};

TEST(BesselI, MethodAtTheRegionBoundaries)
{
    for (const boundary_case& c : boundary_cases) {
        int32_t used = -1;
        bessel_record r = run(c.z, c.nu, bessel_form_log, &used);
        EXPECT_EQ(used, c.method) << "z = " << c.z << ", nu = " << c.nu << ": " << c.why;
        EXPECT_EQ(r.error, 0) << c.why;
        EXPECT_TRUE(std::isfinite(r.result)) << c.why;
    }
}

// The recurrence's start orders: m = ceil((z/2)^2 + 1) from the series,
// 35 + f and 36 + f from Debye.  method_order holds the lower start order,
// the last one handed to a method.
TEST(BesselI, RecurrenceStartOrders)
{
    bessel_record r = run(4.0, 0.0, bessel_form_log);
    EXPECT_EQ(r.start_count, 5);
    EXPECT_EQ(r.method_order, 5.0);
    EXPECT_EQ(r.order_integer, 0);

    r = run(17.0, 5.6, bessel_form_log);
    EXPECT_EQ(r.start_count, 35);
    EXPECT_DOUBLE_EQ(r.method_order, 35.6);
    EXPECT_EQ(r.order_integer, 5);
    EXPECT_NEAR(r.order_fraction, 0.6, 1e-15);
    EXPECT_EQ(r.two_over_z, 2.0 / 17.0);

    // The start values are ln I at the two start orders.
    r = run(9.0, 2.25, bessel_form_log);
    EXPECT_EQ(r.start_count, 22);  // ceil(20.25 + 1)
    EXPECT_NEAR(r.upper_start, -16.605672653715067666, 1e-12 * 16.6);  // ln I_23.25(9), mpmath
    EXPECT_NEAR(r.lower_start, -14.929238112595446854, 1e-12 * 14.9);  // ln I_22.25(9), mpmath
}

// z = 0: I_0(0) = 1 in every form; I_nu(0) = 0 for nu > 0, with ln 0 standing
// as minus the double just below 2^512.
TEST(BesselI, ZeroArgument)
{
    struct {
        double nu;
        int32_t form;
        double result;
    } cases[] = {
        {0.0, bessel_form_plain, 1.0},
        {0.0, bessel_form_scaled, 1.0},
        {0.0, bessel_form_log, 0.0},
        {0.5, bessel_form_plain, 0.0},
        {0.5, bessel_form_scaled, 0.0},
        {3.0, bessel_form_log, -1.3407807929942596e+154},
    };
    for (const auto& c : cases) {
        bessel_record r = run(0.0, c.nu, c.form);
        EXPECT_EQ(r.error, 0);
        EXPECT_EQ(r.result, c.result) << "nu = " << c.nu << ", form " << c.form;
    }
}

TEST(BesselI, DomainFailures)
{
    const double args[][2] = {{-1.0, 0.0}, {1.0, -0.5}, {nan, 1.0}, {1.0, nan}};
    for (const auto& a : args) {
        for (int32_t form : {bessel_form_plain, bessel_form_log}) {
            bessel_record r{};
            r.z = a[0];
            r.order = a[1];
            r.form = form;
            EXPECT_EQ(bessel_i(&r), 1) << "z = " << a[0] << ", nu = " << a[1];
            EXPECT_EQ(r.error, 1);
            EXPECT_EQ(r.result, -1.7976931348623157e+308);
        }
    }
}

// Where the plain (or scaled) value would overflow, the flag is raised and
// the result stays ln I.  The scaled form of the same argument is fine.
TEST(BesselI, OverflowKeepsTheLogarithm)
{
    struct {
        double z, nu;
        int32_t form;
        double log_i;  // mpmath
    } cases[] = {
        {800.0, 0.0, bessel_form_plain, 795.73891195074501878},     // Hankel, scaled
        {1100.0, 900.0, bessel_form_plain, 744.59578356642009292},  // Debye, not scaled
        {1100.0, 900.0, 7, 744.59578356642009292},                  // any other form is plain
    };
    for (const auto& c : cases) {
        bessel_record r = run(c.z, c.nu, c.form);
        EXPECT_EQ(r.error, 1);
        EXPECT_LE(relative_error(r.result, c.log_i), 1e-12) << r.result;
    }
    bessel_record r = run(800.0, 0.0, bessel_form_scaled);
    EXPECT_EQ(r.error, 0);
    EXPECT_LE(relative_error(r.result, 0.014106945005869183979), 1e-12);  // e^-800 I_0(800)
}

// The series adds at most 100 terms and flags a sum that has not met its
// tolerance within 98: bessel_i never hands it such an argument, so it is
// called directly.
TEST(BesselI, SeriesTermLimit)
{
    bessel_record r{};
    r.z = 200.0;  // terms ((z/2)^2)^k / (k!)^2 peak near k = 100
    r.half_z = 100.0;
    r.half_z_squared = 10000.0;
    r.method_order = 0.0;
    bessel_i_series_log(&r);
    EXPECT_EQ(r.error, 1);

    r.error = 0;
    r.z = 40.0;  // peak near k = 20; converged well within the limit
    r.half_z = 20.0;
    r.half_z_squared = 400.0;
    double got = bessel_i_series_log(&r);
    EXPECT_EQ(r.error, 0);
    EXPECT_LE(relative_error(got, 37.239786861352356849), 1e-13);  // ln I_0(40), mpmath
}

}  // namespace
