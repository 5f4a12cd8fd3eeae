// Reading the command line's numbers and option values, and printing
// numbers back.
//
// A number is decimal or scientific ("2", "-0.5", "1e-3", ".25") and is read
// by std::from_chars, which rounds correctly as strtod does but without
// strtod's locale and its wider syntax (no hexadecimal, no infinity or NaN
// spellings: those are recognised here first, as missing values).  Printing
// goes through std::to_chars with 17 significant digits in general form,
// which is defined to give the text printf("%.17g") gives.
//
// Two exact shortcuts go first, for the numbers a table mostly holds; each
// gives the very result of the general routine or declines:
// - reading: at most 19 digits and a power of ten within
//   10^+-22: the digits m are an exact integer below 2^53 and 10^|k| an
//   exact double, so m * 10^k or m / 10^k is one correctly rounded IEEE
//   operation, the correctly rounded value of the text (Clinger 1990, "How
//   to read floating point numbers accurately", the fast path);
// - writing, 1e-4 <= |v| < 2^53 (where %.17g writes no exponent): with
//   v = m * 2^e and e <= 0, the 17 digits are m * 10^s / 2^-e rounded half
//   to even, in 128-bit integers, exactly.

#include <cfloat>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "cli/cli.h"

namespace {

// ASCII letters in lower case; every other byte as it is (no locale).
inline char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool same_word(const char* text, size_t length, const char* word, size_t word_length)
{
    if (word_length != length)
        return false;
    for (size_t i = 0; i < length; ++i)
        if (lower(text[i]) != lower(word[i]))
            return false;
    return true;
}

// Whether text is one of the comma-separated words of `list`, in any case.
bool in_word_list(const char* text, size_t length, const char* list)
{
    for (;;) {
        size_t i = 0;
        while (i < length && list[i] != ',' && list[i] != '\0' && lower(list[i]) == lower(text[i]))
            ++i;
        if (i == length && (list[i] == ',' || list[i] == '\0'))
            return true;
        while (list[i] != ',' && list[i] != '\0')
            ++i;
        if (list[i] == '\0')
            return false;
        list += i + 1;
    }
}

bool is_blank(char c) { return c == ' ' || c == '\t'; }

// A number's characters: digits, the decimal mark, an exponent and signs.
bool number_character(char c, char decimal)
{
    return (c >= '0' && c <= '9') || c == decimal || c == 'e' || c == 'E' || c == '+' || c == '-';
}

// Beyond the double range, from_chars reports result_out_of_range and
// leaves the value alone.  strtod tells the two sides apart: an overflow
// gives +-HUGE_VAL, an underflow zero or a subnormal, which is kept.
value_kind out_of_range(const char* text, size_t length, double* value)
{
    const std::string copy(text, length);
    const double v = std::strtod(copy.c_str(), nullptr);
    if (std::isinf(v))
        return value_overflow;
    *value = v;
    return value_number;
}

// Powers of ten exact as doubles: 10^k = 5^k 2^k is exact while 5^k < 2^53,
// so 10^22 is the last.
constexpr double exact_powers_of_ten[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                          1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                          1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr int max_exact_power = 22;
constexpr uint64_t max_exact_integer = uint64_t{1} << 53;
constexpr int max_fast_digits = 19;  // 10^19 - 1 < 2^64: no overflow while gathering

// Clinger's fast path: DIGITS[.DIGITS][(e|E)[+-]DIGITS], taken whole, with
// few enough digits and a small enough power of ten; false for anything
// else, which from_chars then decides.  Only where double arithmetic
// rounds once (no x87 extended intermediates).
inline bool read_decimal_fast(const char* text, size_t length, double* value)
{
#if defined(FLT_EVAL_METHOD) && FLT_EVAL_METHOD == 0
    const char* p = text;
    const char* const end = text + length;
    // The digits, leading zeros counted too (more than 19 of them may have
    // wrapped around: such a text is left to from_chars).
    uint64_t digits = 0;
    unsigned d;
    for (; p < end && (d = static_cast<unsigned>(*p - '0')) < 10; ++p)
        digits = digits * 10 + d;
    const char* integer_end = p;
    int scale = 0;  // the power of ten the digits stand at
    if (p < end && *p == '.') {
        const char* fraction = ++p;
        for (; p < end && (d = static_cast<unsigned>(*p - '0')) < 10; ++p)
            digits = digits * 10 + d;
        scale = -static_cast<int>(p - fraction);
        if (p - fraction + (integer_end - text) > max_fast_digits || p - 1 == text)
            return false;  // too many digits, or none
    } else if (integer_end - text > max_fast_digits || integer_end == text) {
        return false;
    }
    if (p < end && (*p == 'e' || *p == 'E')) {
        ++p;
        bool negative = false;
        if (p < end && (*p == '+' || *p == '-'))
            negative = *p++ == '-';
        if (p == end)
            return false;
        int exponent = 0;
        for (; p < end && *p >= '0' && *p <= '9'; ++p)
            if ((exponent = exponent * 10 + (*p - '0')) > 1000)
                return false;
        scale += negative ? -exponent : exponent;
    }
    if (p != end || digits > max_exact_integer || scale < -max_exact_power || scale > max_exact_power)
        return false;
    const double m = static_cast<double>(digits);
    *value = scale < 0 ? m / exact_powers_of_ten[-scale] : m * exact_powers_of_ten[scale];
    return true;
#else
    (void)text;
    (void)length;
    (void)value;
    return false;
#endif
}

// from_chars on text it must take whole: a number, one beyond the double
// range, or nothing.
value_kind read_decimal_general(const char* text, size_t length, double* value)
{
    double parsed = 0.0;
    const std::from_chars_result r = std::from_chars(text, text + length, parsed);
    if (r.ptr != text + length)
        return value_invalid;
    if (r.ec == std::errc::result_out_of_range)
        return out_of_range(text, length, value);
    if (r.ec != std::errc())
        return value_invalid;
    *value = parsed;
    return value_number;
}

// The same, by the fast path where it applies (small, to be inlined).
inline value_kind read_decimal(const char* text, size_t length, double* value)
{
    return read_decimal_fast(text, length, value) ? value_number
                                                  : read_decimal_general(text, length, value);
}

#if defined(__SIZEOF_INT128__)
using uint128 = unsigned __int128;

constexpr int fixed_digits = 17;
constexpr uint64_t ten_to_16 = 10000000000000000u;
constexpr uint64_t ten_to_17 = 100000000000000000u;
// 10^-4: below it %.17g may write an exponent (the double 1e-4 is a little
// above 10^-4, so every v at or above it has a decimal exponent of -4 or more).
constexpr double smallest_fixed = 1e-4;
constexpr int largest_scale = 21;  // 16 - floor(log10(2^-14)), from the bound above

constexpr char digit_pairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

constexpr uint128 power_of_ten(int n) { return n == 0 ? 1 : 10 * power_of_ten(n - 1); }
struct power_table {
    uint128 power[largest_scale + 1];
};
constexpr power_table make_power_table()
{
    power_table t{};
    for (int n = 0; n <= largest_scale; ++n)
        t.power[n] = power_of_ten(n);
    return t;
}
constexpr power_table powers_of_ten = make_power_table();  // 10^0 to 10^21, exact

// %.17g of v for smallest_fixed <= |v| < 2^53: the text into `out` and its
// length, or 0 to leave v to to_chars.
size_t format_fixed_17(double v, char decimal, char* out)
{
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    const int biased = static_cast<int>(bits >> 52) & 0x7FF;
    const int e = biased - 1075;  // |v| = m * 2^e
    if (e > 0 || !(std::fabs(v) >= smallest_fixed))
        return 0;
    const uint64_t m = (bits & ((uint64_t{1} << 52) - 1)) | (uint64_t{1} << 52);
    const int shift = -e;  // 0 to 66
    // The decimal exponent d: floor(t log10 2) for 2^t <= |v| < 2^(t+1) is
    // d or d - 1 (78913 / 2^18 is log10 2 to 6 digits, exact in floor for
    // |t| < 1650, as in Ryu; >> of a negative t floors on every compiler
    // we build with).
    const int t = e + 52;
    int d = (t * 78913) >> 18;
    uint128 scaled, q;
    for (;;) {
        const int s = fixed_digits - 1 - d;
        if (s < 0 || s > largest_scale)
            return 0;
        scaled = static_cast<uint128>(m) * powers_of_ten.power[s];
        q = scaled >> shift;
        if (q < ten_to_17)
            break;
        ++d;
    }
    if (shift > 0) {  // round half to even on the bits shifted out
        const uint128 rest = scaled & ((uint128{1} << shift) - 1);
        const uint128 half = uint128{1} << (shift - 1);
        if (rest > half || (rest == half && (q & 1) != 0))
            ++q;
    }
    if (q == ten_to_17) {
        q = ten_to_16;
        ++d;
    }
    // The 17 digits two at a time: 9 above 10^8 and 8 below, each part in
    // 32 bits.
    char digits[2 * fixed_digits];  // the 17 digits, then room read as scratch below
    uint32_t high = static_cast<uint32_t>(static_cast<uint64_t>(q) / 100000000u);
    uint32_t low = static_cast<uint32_t>(static_cast<uint64_t>(q) % 100000000u);
    for (int i = fixed_digits - 1; i > fixed_digits - 9; i -= 2, low /= 100)
        std::memcpy(digits + i - 1, digit_pairs + 2 * (low % 100), 2);
    for (int i = fixed_digits - 9; i > 0; i -= 2, high /= 100)
        std::memcpy(digits + i - 1, digit_pairs + 2 * (high % 100), 2);
    digits[0] = static_cast<char>('0' + high);
    int last = fixed_digits - 1;  // the last digit written: trailing zeros go
    while (last > 0 && digits[last] == '0')
        --last;
    // Laid out in `text` with copies of fixed length (a few bytes past the
    // end are scratch), then the text's length.
    char text[2 * fixed_digits + 8];
    char* p = text;
    if (bits >> 63)
        *p++ = '-';
    size_t n;
    if (d >= 0) {  // 0 <= d <= 15 below 2^53
        std::memcpy(p, digits, fixed_digits);
        p[d + 1] = decimal;
        std::memcpy(p + d + 2, digits + d + 1, fixed_digits - 1);
        n = static_cast<size_t>(p - text) + static_cast<size_t>(last > d ? last + 2 : d + 1);
    } else {  // -4 <= d <= -1
        p[0] = '0';
        p[1] = decimal;
        std::memcpy(p + 2, "000", 3);
        std::memcpy(p + 1 - d, digits, fixed_digits);
        n = static_cast<size_t>(p - text) + static_cast<size_t>(2 - d + last);
    }
    std::memcpy(out, text, number_text_size - 1);
    return n;
}
#else
size_t format_fixed_17(double, char, char*) { return 0; }
#endif

}  // namespace

number_format make_number_format(char decimal, const char* missing_words)
{
    number_format format{decimal, missing_words, false};
    for (const char* w = missing_words; *w != '\0'; ++w)
        if ((w == missing_words || w[-1] == ',') && *w >= '0' && *w <= '9')
            format.digit_words = true;
    return format;
}

value_kind parse_value(const char* text, size_t length, const number_format* format,
                       double* value)
{
    while (length > 0 && is_blank(text[0])) {
        ++text;
        --length;
    }
    while (length > 0 && is_blank(text[length - 1]))
        --length;

    // The common case first: a field that starts with a digit is a number
    // or nothing, unless a missing word starts with a digit too.  from_chars
    // alone decides it: whatever it does not take makes the field invalid.
    if (length > 0 && text[0] >= '0' && text[0] <= '9' && format->decimal == '.' &&
        !format->digit_words) {
        return read_decimal(text, length, value);
    }

    const char* word = text;
    size_t word_length = length;
    bool negative = false;
    if (length > 0 && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        ++word;
        --word_length;
    }
    if (same_word(word, word_length, "nan", 3)) {
        *value = std::nan("");
        return value_missing;
    }
    if (same_word(word, word_length, "inf", 3) || same_word(word, word_length, "infinity", 8)) {
        *value = negative ? -HUGE_VAL : HUGE_VAL;
        return value_missing;
    }
    if (in_word_list(text, length, format->missing_words)) {
        const uint64_t bits = host_missing_value_bits();
        std::memcpy(value, &bits, sizeof bits);
        return value_missing;
    }
    if (word_length == 0)
        return value_invalid;
    for (size_t i = 0; i < length; ++i)
        if (!number_character(text[i], format->decimal))
            return value_invalid;

    // from_chars takes no leading '+' and only '.' as the decimal mark.
    std::string converted;
    const char* digits = text[0] == '+' ? text + 1 : text;
    size_t digits_length = text[0] == '+' ? length - 1 : length;
    if (digits_length > 0 && (digits[0] == '+' || digits[0] == '-') && text[0] == '+')
        return value_invalid;  // "+-1"
    if (format->decimal != '.') {
        converted.assign(digits, digits_length);
        for (char& c : converted)
            if (c == format->decimal)
                c = '.';
        digits = converted.data();
    }
    return read_decimal(digits, digits_length, value);
}

size_t format_number(double value, char decimal, char* out)
{
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    size_t n = format_fixed_17(value, decimal, out);  // declines every NaN
    if (n > 0) {
        out[n] = '\0';
        return n;
    }
    if (bits == host_missing_value_bits()) {
        out[0] = '.';
        n = 1;
    } else if (std::isnan(value)) {
        std::memcpy(out, "nan", 3);
        n = 3;
    } else {
        const std::to_chars_result r = std::to_chars(out, out + number_text_size - 1, value,
                                                     std::chars_format::general, 17);
        n = static_cast<size_t>(r.ptr - out);
        if (decimal != '.')
            for (size_t i = 0; i < n; ++i)
                if (out[i] == '.')
                    out[i] = decimal;
    }
    out[n] = '\0';
    return n;
}

void print_number(std::FILE* out, double value)
{
    char text[number_text_size];
    format_number(value, '.', text);
    std::fputs(text, out);
}

void print_plain(double value) { std::printf("%.17g", value); }

bool option_argument(int argc, char** argv, int* i, const char* name, const char** value)
{
    const char* arg = argv[*i];
    const size_t length = std::strlen(name);
    if (std::strncmp(arg, name, length) != 0)
        return false;
    if (arg[length] == '=') {
        *value = arg + length + 1;
        return true;
    }
    if (arg[length] != '\0')
        return false;
    *value = *i + 1 < argc ? argv[++*i] : nullptr;
    return true;
}
