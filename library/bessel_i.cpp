// bessel_i: the modified Bessel function of the first kind I_nu(z) for a real
// order nu >= 0 and argument z >= 0, as I_nu(z), e^-z I_nu(z) or ln I_nu(z).
//
// Every method yields a logarithm, so the log form keeps full accuracy where
// I_nu(z) overflows; the plain and scaled forms are e^(result) at the end.
// Method by region (q = 1.348 sqrt(z)):
//
//   z < 2 or (z/2)^2 < nu + 1   the power series at nu (bessel_i_series_log);
//   z >= 17 and q > nu          Hankel's large-argument expansion
//                               (Abramowitz and Stegun 9.7.1)
//                                 e^-z I_nu(z) ~ 1/sqrt(2 pi z) sum_k (-1)^k a_k(nu) / z^k,
//                                 a_k(nu) = (4nu^2 - 1)(4nu^2 - 9)...(4nu^2 - (2k-1)^2) / (k! 8^k),
//                               summed until a term falls to 1e-12 of the sum;
//   nu > 35 (otherwise)         Debye's uniform expansion at nu (bessel_i_debye_log);
//   12 < z (nu <= 35)           backward recurrence from Debye's expansion at
//                               orders f + 36 and f + 35, f = nu - floor(nu);
//   otherwise (z <= 12)         backward recurrence from the series at orders
//                               m + f + 1 and m + f, m = ceil((z/2)^2 + 1), where
//                               the series converges fast.
//
// The Hankel expansion diverges: its terms fall while k is below about 2z
// and q > nu keeps 4 nu^2 < 7.3 z, so from z = 17 the smallest term lies
// near 1e-12 of the sum or below and the expansion is good to about that,
// which bounds the accuracy of this region (not the other methods, which are
// good to a few units of the double).  Debye's expansion needs a large order
// (its error after u_11 is of order mu^-12), hence its use from nu = 35 and
// the recurrence down from 35 + f otherwise.
//
// The plain and scaled forms are e^(result) of a logarithm held as a
// double, so its rounding, up to 2^-53 |ln I|, is a relative error of the
// value: about 1e-13 where I_nu(z) nears overflow, and more for the scaled
// form of arguments in the thousands and beyond.
//
// Flags: the error flag is raised for nu < 0 or z < 0 (or NaN; result
// -DBL_MAX), for a series that has not met its tolerance within 98 terms,
// for a Hankel sum that reaches its 49th term, and when the plain or scaled
// value would overflow, in which case the result stays ln I.  z = 0 gives
// ln I = 0 for nu = 0 and bessel_log_zero, -1.3407807929942596e+154 (just
// above -2^512, standing for ln 0), otherwise.

#include "library/bessel.h"

#include "numeric/constants.h"
#include "numeric/elementary.h"
#include "numeric/primitives.h"

namespace {

// Region boundaries.
constexpr double series_argument = 2.0;    // z below it: the series
constexpr double hankel_argument = 17.0;   // Hankel from here, when nu < 1.348 sqrt(z)
constexpr double hankel_order_factor = 1.348;
constexpr double debye_order_bound = 35.0;  // nu above it: Debye directly
constexpr double debye_start_argument = 12.0;  // z above it: recurrence from Debye
constexpr int32_t debye_start_count = 35;   // ... at orders f + 35 and f + 36

// Hankel's sum stops when a term falls to this fraction of the sum.
constexpr double hankel_tolerance = 1e-12;
// itrmax of Hankel's sum: terms are indexed from 1 and the sum stops at
// index 50 at the latest.  From z = 17 the tolerance is met by index 40 or
// so; a sum that gets to 49 is flagged as unreliable.
constexpr int32_t hankel_index_limit = 50;
constexpr int32_t hankel_index_trusted = 49;

// e^-z I_nu(z) in logarithms by Hankel's expansion; sets *error when the
// sum ran to the end of its terms.
double hankel_scaled_log(double z, double nu, int32_t* error)
{
    double m4 = 4.0 * nu * nu;
    double w = 0.125 / z;
    double t = (1.0 - m4) * w;
    double sum = 1.0 + t;
    double k = 3.0;  // 2i + 1 for the next term
    int32_t i = 1;
    while (i < hankel_index_limit && elem_abs(t) > hankel_tolerance * elem_abs(sum)) {
        t = t * (-w) * (m4 - k * k) / (i + 1);
        sum += t;
        k += 2.0;
        ++i;
    }
    if (i >= hankel_index_trusted)
        *error = 1;
    return elem_ln(sum) - ln_sqrt_2pi - 0.5 * elem_ln(z);
}

// The smallest integer >= v, for 0 < v < 2^31.
int32_t ceiling(double v)
{
    int32_t n = static_cast<int32_t>(v);
    return n < v ? n + 1 : n;
}

// The backward recurrence over count steps down from the orders `upper`
// and `lower` (the fractional part of the order plus count + 1 and plus
// count), its two start values by `start`.
double recurrence_log(bessel_record* r, int32_t count, double upper, double lower,
                      double (*start)(bessel_record*))
{
    r->method_order = upper;
    r->upper_start = start(r);
    r->method_order = lower;
    r->lower_start = start(r);
    r->start_count = count;
    return bessel_i_recurrence_log(r);
}

// Fills the method's logarithm into record->result (ln I, or ln(e^-z I)
// with record->scaled set) and names the method.
int32_t evaluate_log(bessel_record* r)
{
    double z = r->z;
    double nu = r->order;
    if (z == 0.0) {
        r->result = nu == 0.0 ? 0.0 : bessel_log_zero;
        return bessel_method_none;
    }

    if (nu <= int32_max_double) {
        r->order_integer = static_cast<int32_t>(nu);
        r->order_fraction = nu - r->order_integer;
    } else {
        // No recurrence is run at such orders; the fields stay defined.
        r->order_integer = static_cast<int32_t>(int32_max_double);
        r->order_fraction = nu - elem_floor(nu);
    }
    double q = hankel_order_factor * elem_sqrt(z);

    if (z < series_argument || r->half_z_squared < nu + 1.0) {
        r->method_order = nu;
        r->result = bessel_i_series_log(r);
        return bessel_method_series;
    }
    if (z >= hankel_argument && q > nu) {
        r->result = hankel_scaled_log(z, nu, &r->error);
        r->scaled = 1;
        return bessel_method_hankel;
    }
    if (nu > debye_order_bound) {
        r->method_order = nu;
        r->result = bessel_i_debye_log(r);
        return bessel_method_debye;
    }
    double f = r->order_fraction;
    r->two_over_z = 2.0 / z;
    if (z > debye_start_argument) {
        r->result = recurrence_log(r, debye_start_count, f + (debye_start_count + 1),
                                   f + debye_start_count, bessel_i_debye_log);
        return bessel_method_recurrence_debye;
    }
    // Here 2 <= z <= 12, so m is at most 37.
    int32_t m = ceiling(r->half_z_squared + 1.0);
    r->result = recurrence_log(r, m, m + f + 1.0, m + f, bessel_i_series_log);
    return bessel_method_recurrence_series;
}

}  // namespace

int32_t bessel_i(bessel_record* record)
{
    return bessel_i_traced(record, nullptr);
}

int32_t bessel_i_traced(bessel_record* r, int32_t* method)
{
    r->scaled = 0;
    r->error = 0;
    r->half_z = r->z * 0.5;
    r->half_z_squared = r->half_z * r->half_z;
    if (method != nullptr)
        *method = bessel_method_none;
    if (!(r->order >= 0.0) || !(r->z >= 0.0)) {
        r->result = -max_double;
        r->error = 1;
        return 1;
    }

    int32_t used = evaluate_log(r);
    if (method != nullptr)
        *method = used;

    if (r->scaled && r->form != bessel_form_scaled)
        r->result = r->result + r->z;
    else if (!r->scaled && r->form == bessel_form_scaled)
        r->result = r->result - r->z;
    if (r->form != bessel_form_log) {
        if (r->result < log_max_double)
            r->result = exp_fast(r->result);
        else
            r->error = 1;
    }
    return r->error;
}
