// scale_exponent: split a double into a mantissa and a power of two,
//
//     v = m * 2^e,   0.5 <= |m| < 1,   m of the sign of v,
//
// exactly; 0 (either sign) gives m = v and e = 0.
//
// Method: the IEEE-754 fields are read and rewritten directly.  A normal v
// with biased exponent E (1 <= E <= 2046) is (1.f) * 2^(E - 1023), so
// m = (0.1f) * 2^0 has the biased exponent 1022 and e = E - 1022.  A
// subnormal v is first multiplied by 2^64, which is exact and makes it
// normal, and e is lowered by 64 to match.  Sign and fraction bits are never
// touched, so the split costs no rounding.
//
// The continued fraction of the incomplete beta ratio calls this once per
// step to keep its recurrences in range, as do the incomplete gamma and
// Bessel series, so it is written as a handful of integer operations.
//
// Infinities and NaN have no such split; they come back unchanged with
// e = 0 (no caller passes them).

#include "numeric/primitives.h"

#include <cstring>

double scale_exponent(double v, int32_t* e)
{
    constexpr uint64_t exponent_mask = 0x7FF0000000000000ULL;
    constexpr uint64_t half_exponent = 0x3FE0000000000000ULL;  // biased 1022
    constexpr double two_pow_64 = 18446744073709551616.0;

    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    int32_t biased = static_cast<int32_t>((bits & exponent_mask) >> 52);
    int32_t offset = 0;

    if (biased == 0) {
        if ((bits << 1) == 0) {  // +0 or -0
            *e = 0;
            return v;
        }
        double normal = v * two_pow_64;
        std::memcpy(&bits, &normal, sizeof bits);
        biased = static_cast<int32_t>((bits & exponent_mask) >> 52);
        offset = 64;
    } else if (biased == 0x7FF) {
        *e = 0;
        return v;
    }

    *e = biased - 1022 - offset;
    bits = (bits & ~exponent_mask) | half_exponent;
    double m;
    std::memcpy(&m, &bits, sizeof m);
    return m;
}
