// Elementary steps that the special functions are built from: natural and
// base-2 logarithms, 2^f - 1 for |f| <= 1, floor, exact scaling by a power of
// two, the square root, and the means to keep plain extended arithmetic at
// 64-bit precision.  Nothing else comes from outside the module.
//
// On x86 (32- and 64-bit) the logarithms and 2^f - 1 are the x87 instructions
// FYL2X and F2XM1, and the scaling of an extended value is FSCALE.  They work
// in the 64-bit significand of the extended format and need no library, so
// the loadable module imports nothing and gives the same bits on every x86
// operating system.  A host may have set the x87 precision control to 53 bits
// (the Windows default); each step raises it to 64 bits for itself and puts
// the caller's control word back, so results do not depend on the host.
// Rounding direction is left as the host set it.
//
// Elsewhere the same steps come from the C++ library.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>

#include "numeric/constants.h"

#if defined(__GNUC__) && (defined(__i386__) || defined(__x86_64__))
#define KELBRANT_X87 1
#else
#define KELBRANT_X87 0
#endif

#if KELBRANT_X87

// Precision control bits (8 and 9) of the x87 control word: 11 = 64 bits.
inline uint16_t elem_x87_extended_begin()
{
    uint16_t saved;
    __asm__ volatile("fnstcw %0" : "=m"(saved));
    if ((saved & 0x0300) != 0x0300) {
        uint16_t extended = static_cast<uint16_t>(saved | 0x0300);
        __asm__ volatile("fldcw %0" : : "m"(extended));
    }
    return saved;
}

inline void elem_x87_extended_end(uint16_t saved)
{
    if ((saved & 0x0300) != 0x0300)
        __asm__ volatile("fldcw %0" : : "m"(saved));
}

// y * log2(x) in one FYL2X.
inline long double elem_x87_yl2x(long double x, long double y)
{
    uint16_t saved = elem_x87_extended_begin();
    long double r;
    __asm__ volatile("fyl2x" : "=t"(r) : "0"(x), "u"(y) : "st(1)");
    elem_x87_extended_end(saved);
    return r;
}

// A stretch of plain extended arithmetic at 64-bit precision:
//   saved = elem_extended_begin(); elem_extended_hold(input);
//   ... arithmetic ...
//   elem_extended_hold(result); elem_extended_end(saved);
// The holds tie the arithmetic to the stretch: the compiler sees the held
// value change inside an asm statement, so no operation on it moves before
// the precision is raised, nor the result's computation after it is restored.
inline uint16_t elem_extended_begin() { return elem_x87_extended_begin(); }
inline void elem_extended_end(uint16_t saved) { elem_x87_extended_end(saved); }
inline void elem_extended_hold(long double& v) { __asm__ volatile("" : "+t"(v)); }

// ln 2 to the 64-bit significand (the value FLDLN2 loads).
constexpr long double elem_ln2_ext = 0.6931471805599453094172321214581765680755L;

// ln x of an extended argument by FYL2X (y = ln 2), to the 64-bit significand.
inline long double elem_ln_fyl2x_ext(long double x) { return elem_x87_yl2x(x, elem_ln2_ext); }

// The natural logarithm of a double, the common case, by a table rather than
// FYL2X (a microcoded instruction of a hundred cycles and more): for
// x = 2^e m with m in [1, 2), the table entry of m's top eight fraction bits (ln_table.h)
// gives c, about 1/m, and -ln c, and
//
//     ln x = (e + fold) ln 2 - ln c' + ln(1 + r),   r = m c - 1, |r| <= 2^-8,
//
// where r is exact (m c needs 63 bits of the 64-bit significand) and
// ln(1 + r) = r - r^2/2 + r^3 Q(r) is the Mercator series to the r^9 term,
// the first omitted one below 2^-72 |r|.  k ln 2 is carried as k ln2_hi,
// exact, plus k ln2_lo.  Everything that reaches the result at the 2^-64
// level is extended; Q, three orders of r below it, is double.  Against
// FYL2X the result differs by a few units of the 64-bit significand at
// most, and once rounded to a double in about one case in ten thousand by
// one unit in the last place.  Positive normal doubles only: zero,
// negative, subnormal, infinite and NaN arguments go to FYL2X.
#include "numeric/ln_table.h"

// ln 2 as a double, whose products with exponents of up to 11 bits are
// exact in the 64-bit significand, and the rest of ln 2.
constexpr long double elem_ln2_hi = 0.693147180559945286226763982995180413126945L;
constexpr long double elem_ln2_lo = 2.319046813846299615494856e-17L;

// Q(r) = 1/3 - r/4 + r^2/5 - r^3/6 + r^4/7 - r^5/8 + r^6/9, coefficients by
// power of r from 0 to 6 (the doubles nearest those fractions).
constexpr double elem_log1p_q[] = {
    0.3333333333333333, -0.25, 0.2, -0.16666666666666666, 0.14285714285714285, -0.125,
    0.1111111111111111,
};

inline long double elem_ln_table_ext(double x)
{
    if (!(x >= 2.2250738585072014e-308 && x <= 1.7976931348623157e308))
        return elem_x87_yl2x(x, elem_ln2_ext);
    uint64_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    const int32_t exponent = static_cast<int32_t>(bits >> 52) - 1023;
    const elem_ln_entry& entry = elem_ln_table[(bits >> 44) & 0xFF];
    const uint64_t m_bits = (bits & 0x000FFFFFFFFFFFFFULL) | 0x3FF0000000000000ULL;
    double m;
    std::memcpy(&m, &m_bits, sizeof m);

    uint16_t saved = elem_x87_extended_begin();
    long double r = static_cast<long double>(m) * entry.c - 1.0L;
    const double rd = static_cast<double>(r);
    double q = elem_log1p_q[6];
    for (int i = 5; i >= 0; --i)
        q = q * rd + elem_log1p_q[i];
    const long double k = exponent + entry.fold;
    const long double r2 = r * r;
    const long double hi = k * elem_ln2_hi + entry.neg_ln;
    const long double lo = k * elem_ln2_lo + (r2 * r * q - r2 * 0.5L);
    long double result = hi + (r + lo);
    elem_extended_hold(result);
    elem_x87_extended_end(saved);
    return result;
}

// log2 e to the 64-bit significand (the value FLDL2E loads).
constexpr long double elem_log2_e_ext = 1.4426950408889634073599246810018921374L;

// 2^f - 1 for -1 <= f <= 1, accurate for small f.
inline long double elem_exp2m1_ext(long double f)
{
    uint16_t saved = elem_x87_extended_begin();
    long double r;
    __asm__ volatile("f2xm1" : "=t"(r) : "0"(f));
    elem_x87_extended_end(saved);
    return r;
}

// g * 2^n for an integral n, exact while the result is in the extended range.
inline long double elem_scale2_ext(long double g, long double n)
{
    long double r;
    __asm__ volatile("fscale" : "=t"(r) : "0"(g), "u"(n));
    return r;
}

// y * log2(x) in one step (FYL2X), to the 64-bit significand.
inline long double elem_ylog2_ext(long double x, long double y) { return elem_x87_yl2x(x, y); }

#else

inline uint16_t elem_extended_begin() { return 0; }
inline void elem_extended_end(uint16_t) {}
inline void elem_extended_hold(long double&) {}

constexpr long double elem_ln2_ext = 0.6931471805599453094172321214581765680755L;
// Both logarithms are the library's extended logarithm here.
inline long double elem_ln_fyl2x_ext(long double x) { return std::log(x); }
inline long double elem_ln_table_ext(double x) { return std::log(static_cast<long double>(x)); }
constexpr long double elem_log2_e_ext = 1.4426950408889634073599246810018921374L;
inline long double elem_exp2m1_ext(long double f) { return std::expm1(f * elem_ln2_ext); }
inline long double elem_scale2_ext(long double g, long double n)
{
    return std::scalbn(g, static_cast<int>(n));
}
inline long double elem_ylog2_ext(long double x, long double y) { return y * std::log2(x); }

#endif

inline double elem_ln(double x) { return static_cast<double>(elem_ln_table_ext(x)); }

// Greatest integer not above t, without touching the rounding mode: values
// of magnitude 2^52 or more (and infinities, NaN) are integral already.
inline double elem_floor(double t)
{
    if (!(t > -4503599627370496.0 && t < 4503599627370496.0))
        return t;
    double n = static_cast<double>(static_cast<int64_t>(t));
    return n > t ? n - 1.0 : n;
}

inline long double elem_floor_ext(long double t)
{
    if (!(t > -4611686018427387904.0L && t < 4611686018427387904.0L))
        return t;
    long double n = static_cast<long double>(static_cast<int64_t>(t));
    return n > t ? n - 1.0L : n;
}

// 2^n as a double, for -1022 <= n <= 1023: built from its exponent bits.
inline double elem_pow2(int32_t n)
{
    uint64_t bits = static_cast<uint64_t>(n + 1023) << 52;
    double v;
    std::memcpy(&v, &bits, sizeof v);
    return v;
}

// v * 2^n with one rounding at most (only when the result is subnormal).
// Exponents beyond +-2200 are clamped: no finite double survives them.
inline double elem_scale2(double v, int32_t n)
{
    if (n > 2200) n = 2200;
    if (n < -2200) n = -2200;
    if (n > 1023) {
        v *= pow2_1023;
        n -= 1023;
        if (n > 1023) {
            v *= pow2_1023;
            n -= 1023;
            if (n > 1023) n = 1023;
        }
    } else if (n < -1022) {
        // Scale by 2^(-1022 + 53) first so that only the last product rounds.
        v *= pow2_minus_969;
        n += 969;
        if (n < -1022) {
            v *= pow2_minus_969;
            n += 969;
            if (n < -1022) n = -1022;
        }
    }
    return v * elem_pow2(n);
}

inline double elem_sqrt(double x) { return __builtin_sqrt(x); }

// |x|: clears the sign bit (one instruction, no library).
inline double elem_abs(double x) { return __builtin_fabs(x); }
