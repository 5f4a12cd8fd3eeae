// Reading and writing numbers: from_chars and to_chars must give what
// strtod and printf("%.17g") give (every expected output written so far is
// %.17g text), and the words and limits the command line defines.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "cli/cli.h"
#include "host/host.h"

TEST(ValueParse, WritesWhatPrintfWritesAndReadsWhatStrtodReads)
{
    host_reset();  // the host's missing value, which alone prints as "."
    std::mt19937_64 random(14);
    const double specials[] = {0.0, -0.0, 1.0, 0.1, 1e-300, 5e-324, 2.2250738585072014e-308,
                               1.7976931348623157e308, 123456789012345678.0, 1e16, 1e17, 1e-5, 1e-4};
    const auto check = [](double v) {
        char ours[number_text_size];
        char theirs[64];
        format_number(v, '.', ours);
        std::snprintf(theirs, sizeof theirs, "%.17g", v);
        ASSERT_STREQ(ours, theirs);
        double back;
        ASSERT_EQ(parse_value(ours, std::strlen(ours), &plain_numbers, &back), value_number) << ours;
        ASSERT_EQ(std::memcmp(&back, &v, sizeof v), 0) << ours;
        // Fewer digits too: the correctly rounded double, as strtod reads it.
        std::snprintf(theirs, sizeof theirs, "%.9e", v);
        const double read = std::strtod(theirs, nullptr);
        const value_kind kind = parse_value(theirs, std::strlen(theirs), &plain_numbers, &back);
        ASSERT_EQ(kind, std::isinf(read) ? value_overflow : value_number) << theirs;
        if (kind == value_number) {
            ASSERT_EQ(back, read) << theirs;
        }
    };
    for (const double v : specials) {
        check(v);
        check(-v);
    }
    for (int i = 0; i < 50000; ++i) {
        const uint64_t bits = random();
        double v;
        std::memcpy(&v, &bits, sizeof v);
        if (std::isfinite(v))
            check(v);
    }
}

// Random bits seldom land where tables live.  Here: every binary exponent
// from below 1e-4 to above 2^53 (where the text switches to and from
// exponent form), the neighbours of each power of ten, halfway cases that
// must round to even, and short decimal texts of up to 19 digits with
// exponents around 10^+-22 (read exactly or left to the general reader).
TEST(ValueParse, PrintfAndStrtodAgreeWhereTablesLive)
{
    host_reset();
    std::mt19937_64 random(1404);
    const auto check_text = [](double v, char decimal) {
        char ours[number_text_size];
        char theirs[64];
        format_number(v, decimal, ours);
        std::snprintf(theirs, sizeof theirs, "%.17g", v);
        for (char& c : theirs)
            if (c == '.')
                c = decimal;
        ASSERT_STREQ(ours, theirs);
    };
    for (int t = -20; t <= 60; ++t) {
        for (int i = 0; i < 2000; ++i) {
            const double v = std::ldexp(1.0 + std::ldexp(static_cast<double>(random() >> 12), -52), t);
            check_text(v, '.');
            check_text(-v, ',');
        }
    }
    for (int k = -6; k <= 17; ++k) {
        const double p = std::pow(10.0, k);
        double below = p, above = p;
        for (int i = 0; i < 50; ++i) {
            check_text(below, '.');
            check_text(above, '.');
            below = std::nextafter(below, 0.0);
            above = std::nextafter(above, HUGE_VAL);
        }
    }
    // Exact decimals with 18 significant digits ending in 5: ties at 17.
    const double ties[] = {1234567890123456.25, 1234567890123456.75, 4503599627370495.5,
                           4503599627370494.5, 0.5, 1e-4 + 0.0, 2.5, 9007199254740991.0};
    for (const double v : ties)
        check_text(v, '.');
    // Short texts: Clinger's exact cases and their neighbours beyond them.
    const number_format comma = make_number_format(',', default_missing_words);
    for (int i = 0; i < 200000; ++i) {
        const int digits = 1 + static_cast<int>(random() % 20);
        std::string text;
        for (int k = 0; k < digits; ++k)
            text += static_cast<char>('0' + random() % 10);
        const int point = static_cast<int>(random() % (digits + 1));
        if (point < digits)
            text.insert(static_cast<size_t>(point), ".");
        if (random() % 2 != 0)
            text += "e" + std::to_string(static_cast<int>(random() % 61) - 30);
        if (text[0] == '.')
            text.insert(0, "0");
        const double expected = std::strtod(text.c_str(), nullptr);
        double read;
        ASSERT_EQ(parse_value(text.data(), text.size(), &plain_numbers, &read), value_number) << text;
        ASSERT_EQ(std::memcmp(&read, &expected, sizeof read), 0) << text;
        std::string with_comma = text;
        for (char& c : with_comma)
            if (c == '.')
                c = ',';
        ASSERT_EQ(parse_value(with_comma.data(), with_comma.size(), &comma, &read), value_number) << with_comma;
        ASSERT_EQ(std::memcmp(&read, &expected, sizeof read), 0) << with_comma;
    }
}

TEST(ValueParse, WordsMarksAndLimits)
{
    struct parse_case {
        const char* text;
        char decimal;
        const char* words;
        value_kind kind;
        double value;  // for numbers
    };
    const parse_case cases[] = {
        {" 2.5 ", '.', default_missing_words, value_number, 2.5},
        {"+2", '.', default_missing_words, value_number, 2.0},
        {".25", '.', default_missing_words, value_number, 0.25},
        {"2,5", ',', default_missing_words, value_number, 2.5},
        {"2.5", ',', default_missing_words, value_invalid, 0},
        {"1,000", '.', default_missing_words, value_invalid, 0},
        {"4..2", '.', default_missing_words, value_invalid, 0},
        {"0x10", '.', default_missing_words, value_invalid, 0},
        {"1e", '.', default_missing_words, value_invalid, 0},
        {"1e+", '.', default_missing_words, value_invalid, 0},
        {"1.5e-", '.', default_missing_words, value_invalid, 0},
        {"1.e2", '.', default_missing_words, value_number, 100.0},
        {"1.2.3", '.', default_missing_words, value_invalid, 0},
        {"1e2e3", '.', default_missing_words, value_invalid, 0},
        {"1e99999", '.', default_missing_words, value_overflow, 0},
        {"1e-99999", '.', default_missing_words, value_number, 0.0},
        {"00000000000000000000000001.5", '.', default_missing_words, value_number, 1.5},
        {"1 2", '.', default_missing_words, value_invalid, 0},
        {"+-1", '.', default_missing_words, value_invalid, 0},
        {"1e400", '.', default_missing_words, value_overflow, 0},
        {"-1e400", '.', default_missing_words, value_overflow, 0},
        {"1e-400", '.', default_missing_words, value_number, 0.0},
        {"NA", '.', default_missing_words, value_missing, 0},
        {"na", '.', default_missing_words, value_missing, 0},
        {"", '.', default_missing_words, value_missing, 0},
        {" . ", '.', default_missing_words, value_missing, 0},
        {"-Inf", '.', default_missing_words, value_missing, 0},
        {"NaN", '.', "NULL", value_missing, 0},
        {"NA", '.', "NULL", value_invalid, 0},
        {"", '.', "NULL", value_invalid, 0},
        {"null", '.', "NULL", value_missing, 0},
        // A missing word that looks like a number wins over the number.
        {"999", '.', "NA,999", value_missing, 0},
        {"-99", '.', "-99", value_missing, 0},
        {"9990", '.', "NA,999", value_number, 9990.0},
    };
    for (const parse_case& c : cases) {
        const number_format format = make_number_format(c.decimal, c.words);
        double v = -1.0;
        EXPECT_EQ(parse_value(c.text, std::strlen(c.text), &format, &v), c.kind) << "'" << c.text << "'";
        if (c.kind == value_number) {
            EXPECT_EQ(v, c.value) << c.text;
        }
    }
}
