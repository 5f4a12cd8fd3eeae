// The modified Bessel function of the first kind I_nu(z), nu >= 0, z >= 0,
// plain, exponentially scaled or in logarithms, and the methods it chooses
// between.  Every method works on ln I so that the log form keeps its value
// where the plain one overflows.
#pragma once

#include <cstdint>

#include "numeric/constants.h"

// What bessel_i returns in the record's result.
constexpr int32_t bessel_form_plain = 0;   // I_nu(z) (any form other than 1 and 2)
constexpr int32_t bessel_form_scaled = 1;  // e^-z I_nu(z)
constexpr int32_t bessel_form_log = 2;     // ln I_nu(z)

// What the log form gives for ln I_nu(0) = ln 0, nu > 0: minus the double
// just below 2^512 (-1.3407807929942596e+154), whose exponential is 0.
constexpr double bessel_log_zero = -below_2_512;

// The Bessel record, owned by the caller.  The caller fills z, order and
// form; bessel_i fills the working fields, result and error.
struct bessel_record {
    double z;               // argument
    double half_z;          // z/2
    double half_z_squared;  // (z/2)^2
    double order;           // nu
    double order_fraction;  // f = nu - floor(nu)
    double two_over_z;      // 2/z
    double method_order;    // mu, the order handed to the series and to Debye's expansion
    double upper_start;     // ln I at the higher recurrence start order
    double lower_start;     // ln I at the lower recurrence start order
    double result;          // the value in the requested form
    int32_t order_integer;  // floor(nu)
    int32_t start_count;    // integer part of the lower start order
    int32_t scaled;         // nonzero when the method gave ln(e^-z I) rather than ln I
    int32_t form;           // bessel_form_*
    int32_t error;          // nonzero when the result is unreliable or was not formed
};

// I_nu(z) in the requested form into record->result; returns the error flag
// (0 good).  With nu < 0, z < 0 (or NaN) the result is -DBL_MAX and the flag
// 1; when the plain or scaled value would overflow the flag is 1 and the
// result stays ln I.
int32_t bessel_i(bessel_record* record);

// ln I_mu(z) by the power series, mu = record->method_order; sets the
// record's error flag when the series has not met its tolerance.
double bessel_i_series_log(bessel_record* record);

// ln I_mu(z) by Debye's uniform expansion in the order, mu = record->method_order.
double bessel_i_debye_log(bessel_record* record);

// ln I_nu(z) by backward recurrence from ln I at orders start_count + f + 1
// (upper_start) and start_count + f (lower_start) down to order_integer + f.
double bessel_i_recurrence_log(bessel_record* record);

// How bessel_i chose, for the tests: the method that produced the result.
constexpr int32_t bessel_method_none = 0;        // domain failure or z = 0
constexpr int32_t bessel_method_series = 1;      // power series at nu
constexpr int32_t bessel_method_hankel = 2;      // Hankel's large-argument expansion
constexpr int32_t bessel_method_debye = 3;       // Debye's expansion at nu
constexpr int32_t bessel_method_recurrence_debye = 4;   // recurrence from Debye at f+35, f+36
constexpr int32_t bessel_method_recurrence_series = 5;  // recurrence from the series

// bessel_i, and the method it used into *method (which may be null).
int32_t bessel_i_traced(bessel_record* record, int32_t* method);
