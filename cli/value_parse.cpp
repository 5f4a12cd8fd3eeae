// Reading the command line's numbers and option values, and printing
// numbers back.
//
// A number is decimal or scientific ("2", "-0.5", "1e-3", ".25") and is read
// by std::from_chars, which rounds correctly as strtod does but without
// strtod's locale and its wider syntax (no hexadecimal, no infinity or NaN
// spellings: those are recognised here first, as missing values).  Printing
// goes through std::to_chars with 17 significant digits in general form,
// which is defined to give the text printf("%.17g") gives.

#include <charconv>
#include <cmath>
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

// Text that from_chars must take whole: a number, one beyond the double
// range, or nothing.
value_kind read_decimal(const char* text, size_t length, double* value)
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
    size_t n;
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
