// e^x, to within 0.51 units in the last place.
//
// Method (Tang's table-driven reduction).  With k = round(x 128/ln 2),
// j = k mod 128 and n = (k - j)/128,
//
//     e^x = 2^n 2^(j/128) e^r,   r = x - k ln 2/128,   |r| <= ln 2/256,
//
// where k ln 2/128 is subtracted in two parts, the first exact (its
// constant has 35 significant bits and |k| < 2^18) and the difference with
// it exact as well (Sterbenz), so r carries one rounding only.  e^r - 1 is
// its Taylor series to the r^5 term (the first omitted one, r^6/720, is
// below 2^-60), 2^(j/128) comes from the table of exp_table.h as hi + lo,
// and the result is assembled as hi + (lo + hi (e^r - 1)), where only the
// last addition rounds at the level of the result's last place.  The power
// of two 2^n is built from its bits and multiplies exactly.
//
// This is the split form of 2^t, t = x log2 e: n is floor(t) (or the
// integer just above t, when t lies within 1/256 below it), and
// 2^(j/128) e^r is 2^f for the fraction f = t - n, with 2^f - 1 accurate for
// small f (j = 0, the series alone).  Deviation: the fraction is not formed
// as t - n from a rounded t, whose error grows with |t| (up to 0.71 units
// in the last place near the ends of the range); reducing x itself by steps
// of ln 2/128 keeps the error at 0.51 whatever the size of x, and needs no
// extended arithmetic, so it costs a fraction of the x87 route.
//
// The range: for |x| <= 708 the result and every step stay normal doubles
// and 2^n is one power of two.  From 708 up to the overflow bound
// log_max_double = 709.78 (n = 1024) and from -708 down to log_min_normal
// = -708.3964185 (n = -1023) the same reduction runs and 2^n is applied in
// two exact steps (elem_scale2), so the bound of 0.51 units holds over the
// whole normal range of results.  Beyond (the subnormal results, the
// overflows and NaN) the x87 split form runs: t = x log2 e rounded once to
// the 64-bit significand, n = floor(t), (2^f - 1) + 1 by F2XM1, and the
// scaling by FSCALE, at 64-bit precision whatever the host set, so that a
// subnormal result is rounded once.  (On the normal range that form reaches
// 0.78 units: the rounding of t, scaled by |t| up to 1024.)
//
// No range checks: e^x beyond DBL_MAX is +inf, below the smallest normal it
// is subnormal or 0.  Callers that must not see either compare x with
// log_min_normal and log_max_double first.

#include <cstring>

#include "numeric/constants.h"
#include "numeric/elementary.h"
#include "numeric/exp2_split.h"
#include "numeric/exp_table.h"
#include "numeric/primitives.h"

namespace {

// |x| up to this takes the table path with one power of two: 2^n stays
// within 2^-1022 .. 2^1021.
constexpr double table_path_bound = 708.0;

// 1.5 * 2^52: added to a double of magnitude below 2^51, it rounds that
// double to an integer held in the low bits of the sum.
constexpr double round_shift = 6755399441055744.0;

// The Taylor coefficients 1/2, 1/6, 1/24, 1/120 of e^r - 1 beyond r, lowest
// power first (the doubles nearest those fractions).
constexpr double exp_series[] = {0.5, 0.16666666666666666, 0.041666666666666664,
                                 0.008333333333333333};

double exp_outside(double x)
{
    uint16_t saved = elem_extended_begin();
    long double t = x;
    elem_extended_hold(t);
    long double r = exp2_split_ext(t * elem_log2_e_ext);
    elem_extended_hold(r);
    elem_extended_end(saved);
    return static_cast<double>(r);
}

}  // namespace

double exp_fast(double x)
{
    if (!(x >= log_min_normal && x <= log_max_double))
        return exp_outside(x);

    double shifted = x * exp_steps_per_unit + round_shift;
    uint64_t bits;
    std::memcpy(&bits, &shifted, sizeof bits);
    const int32_t k = static_cast<int32_t>(static_cast<uint32_t>(bits));
    const double kd = shifted - round_shift;
    const double r = (x - kd * exp_step_hi) - kd * exp_step_lo;

    const int32_t j = k & 127;
    const int32_t n = (k - j) / 128;
    const double series =
        r + r * r * (exp_series[0] + r * (exp_series[1] + r * (exp_series[2] + r * exp_series[3])));
    const exp_table_entry& entry = exp_table[j];
    const double value = entry.hi + (entry.lo + entry.hi * series);
    if (x >= -table_path_bound && x <= table_path_bound)
        return value * elem_pow2(n);
    return elem_scale2(value, n);
}
