// Reading the command line's numbers and option values, and printing
// numbers back.
//
// A number is decimal or scientific ("2", "-0.5", "1e-3", ".25"), as strtod
// reads it, but nothing strtod accepts beyond that: no hexadecimal, and its
// own infinity and NaN spellings count as missing values here, together with
// "." (the host's own spelling) and an empty field.

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "cli/cli.h"
#include "cli/csv_lines.h"

namespace {

bool same_word(const char* text, size_t length, const char* word)
{
    if (std::strlen(word) != length)
        return false;
    for (size_t i = 0; i < length; ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != word[i])
            return false;
    return true;
}

bool is_blank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

value_kind parse_value(const char* text, size_t length, double* value)
{
    while (length > 0 && is_blank(text[0])) {
        ++text;
        --length;
    }
    while (length > 0 && is_blank(text[length - 1]))
        --length;

    if (length == 0 || (length == 1 && text[0] == '.')) {
        uint64_t bits = host_missing_value_bits();
        std::memcpy(value, &bits, sizeof bits);
        return value_missing;
    }
    const char* word = text;
    size_t word_length = length;
    bool negative = false;
    if (text[0] == '+' || text[0] == '-') {
        negative = text[0] == '-';
        ++word;
        --word_length;
    }
    if (same_word(word, word_length, "nan")) {
        *value = std::nan("");
        return value_missing;
    }
    if (same_word(word, word_length, "inf") || same_word(word, word_length, "infinity")) {
        *value = negative ? -HUGE_VAL : HUGE_VAL;
        return value_missing;
    }

    // Digits, one point, an exponent: nothing else may reach strtod.  Any
    // field a CSV line can hold fits, however many digits it spells out.
    char buffer[csv_line_buffer];
    if (length >= sizeof buffer)
        return value_invalid;
    for (size_t i = 0; i < length; ++i) {
        const char c = text[i];
        if (!(std::isdigit(static_cast<unsigned char>(c)) || c == '.' || c == 'e' || c == 'E' ||
              c == '+' || c == '-'))
            return value_invalid;
        buffer[i] = c;
    }
    buffer[length] = '\0';
    char* end = nullptr;
    const double parsed = std::strtod(buffer, &end);
    if (end != buffer + length || end == buffer)
        return value_invalid;
    *value = parsed;  // overflow reads as +-inf and underflow as 0 or a subnormal, as strtod gives
    return value_number;
}

void print_number(std::FILE* out, double value)
{
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    if (bits == host_missing_value_bits())
        std::fputs(".", out);
    else if (std::isnan(value))
        std::fputs("nan", out);
    else
        std::fprintf(out, "%.17g", value);
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
