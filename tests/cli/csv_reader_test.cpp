// The CSV reader on its own: records, field values and raw texts, line
// numbers, the byte-order mark, every line ending, quotes (doubled, spanning
// lines, never closed), and fields longer than the read buffer.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "cli/csv_reader.h"

namespace {

struct read_record {
    std::vector<std::string> values;
    std::vector<std::string> raws;
    long line;
    bool unterminated_quote;
};

std::vector<read_record> read_all(const std::string& input, char separator)
{
    std::FILE* f = std::tmpfile();
    std::fwrite(input.data(), 1, input.size(), f);
    std::rewind(f);
    csv_reader reader;
    csv_reader_init(&reader, f, separator);
    csv_record record;
    std::vector<read_record> out;
    while (csv_read_record(&reader, &record)) {
        read_record r{{}, {}, record.line, record.unterminated_quote};
        for (size_t i = 0; i < record.fields.size(); ++i) {
            r.values.emplace_back(csv_value(record, i), csv_value_length(record, i));
            r.raws.emplace_back(csv_raw(record, i), csv_raw_length(record, i));
        }
        // The raw record is its fields' raw texts joined by the separator.
        std::string joined;
        for (size_t i = 0; i < r.raws.size(); ++i)
            joined += (i > 0 ? std::string(1, separator) : "") + r.raws[i];
        EXPECT_EQ(joined, record.raw);
        out.push_back(r);
    }
    EXPECT_FALSE(csv_reader_failed(&reader));
    std::fclose(f);
    return out;
}

using strings = std::vector<std::string>;

}  // namespace

TEST(CsvReader, RecordsFieldsAndLines)
{
    struct reader_case {
        const char* what;
        std::string input;
        char separator;
        std::vector<read_record> records;  // values, raws (empty: same as values), line, unterminated
    };
    const reader_case cases[] = {
        {"plain rows, last line without ending", "a,b\n1,2", ',',
         {{{"a", "b"}, {}, 1, false}, {{"1", "2"}, {}, 2, false}}},
        {"CRLF, lone CR and LF mixed", "a\r\nb\rc\nd\r", ',',
         {{{"a"}, {}, 1, false}, {{"b"}, {}, 2, false}, {{"c"}, {}, 3, false}, {{"d"}, {}, 4, false}}},
        {"empty lines are records of one empty field", "\n\r\n1\n", ',',
         {{{""}, {}, 1, false}, {{""}, {}, 2, false}, {{"1"}, {}, 3, false}}},
        {"a byte-order mark belongs to no field", "\xEF\xBB\xBFx,y\n", ',', {{{"x", "y"}, {}, 1, false}}},
        {"a partial mark is data", "\xEF\xBBx\n", ',', {{{"\xEF\xBBx"}, {}, 1, false}}},
        {"quoted separators and doubled quotes", "\"a,b\",\"say \"\"hi\"\"\",\"\"\n", ',',
         {{{"a,b", "say \"hi\"", ""}, {"\"a,b\"", "\"say \"\"hi\"\"\"", "\"\""}, 1, false}}},
        {"a quoted line break; lines count on", "\"two\nlines\",x\r\n\"three\r\nmore\rlines\"\nnext\n", ',',
         {{{"two\nlines", "x"}, {"\"two\nlines\"", "x"}, 1, false},
          {{"three\r\nmore\rlines"}, {"\"three\r\nmore\rlines\""}, 3, false},
          {{"next"}, {}, 6, false}}},
        {"a quote inside an unquoted field is a character", "ab\"c,d\n", ',', {{{"ab\"c", "d"}, {}, 1, false}}},
        {"text after a closing quote is kept", "\"a\"b,c\n", ',', {{{"ab", "c"}, {"\"a\"b", "c"}, 1, false}}},
        {"semicolons; commas are data", "4,2;3\n", ';', {{{"4,2", "3"}, {}, 1, false}}},
        {"tabs", "a\tb\t\n", '\t', {{{"a", "b", ""}, {}, 1, false}}},
        {"a NUL byte is a character", std::string("a\0b,c\n", 6), ',',
         {{{std::string("a\0b", 3), "c"}, {}, 1, false}}},
        // A quote never closed would swallow the rest: the record ends at
        // its line instead, the quote read as a character, and every later
        // line is still its own record.
        {"a quote never closed", "x,y\n\"open,1\n2,3\r\n4,5", ',',
         {{{"x", "y"}, {}, 1, false},
          {{"\"open", "1"}, {}, 2, true},
          {{"2", "3"}, {}, 3, false},
          {{"4", "5"}, {}, 4, false}}},
        {"a quote never closed after a closed one", "\"a\nb\",\"c\nd\n", ',',
         {{{"a\nb", "\"c"}, {"\"a\nb\"", "\"c"}, 1, true}, {{"d"}, {}, 3, false}}},
    };
    for (const reader_case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::vector<read_record> got = read_all(c.input, c.separator);
        ASSERT_EQ(got.size(), c.records.size());
        for (size_t i = 0; i < got.size(); ++i) {
            const read_record& want = c.records[i];
            EXPECT_EQ(got[i].values, want.values) << "record " << i;
            EXPECT_EQ(got[i].raws, want.raws.empty() ? want.values : want.raws) << "record " << i;
            EXPECT_EQ(got[i].line, want.line) << "record " << i;
            EXPECT_EQ(got[i].unterminated_quote, want.unterminated_quote) << "record " << i;
        }
    }
}

TEST(CsvReader, FieldsLongerThanTheReadBuffer)
{
    // Fields and line endings that straddle the reader's block boundaries.
    const std::string big(3 * csv_read_size + 17, 'z');
    const std::string quoted = std::string(csv_read_size - 1, 'q') + "\"\"";
    const std::string input = big + "," + "\"" + quoted + "\"\r\n" + "1\r" + std::string(csv_read_size - 3, 'w') + "\r\nlast";
    const std::vector<read_record> got = read_all(input, ',');
    ASSERT_EQ(got.size(), 4u);
    EXPECT_EQ(got[0].values, (strings{big, std::string(csv_read_size - 1, 'q') + "\""}));
    EXPECT_EQ(got[1].values, strings{"1"});
    EXPECT_EQ(got[2].values, strings{std::string(csv_read_size - 3, 'w')});
    EXPECT_EQ(got[3].values, strings{"last"});
    EXPECT_EQ(got[3].line, 4);
}

TEST(CsvReader, BlankRecords)
{
    const auto blank = [](const std::string& line, char separator) {
        const std::vector<read_record> r = read_all(line + "\n", separator);
        csv_record record;
        record.raw = r.at(0).raws.at(0);
        for (size_t i = 1; i < r[0].raws.size(); ++i)
            record.raw += std::string(1, separator) + r[0].raws[i];
        return csv_record_is_blank(record, separator);
    };
    EXPECT_TRUE(blank("", ','));
    EXPECT_TRUE(blank(" \t ", ','));
    EXPECT_FALSE(blank(",", ','));
    EXPECT_FALSE(blank("\"\"", ','));
    EXPECT_FALSE(blank("\t", '\t'));  // two empty fields when tab separates them
    EXPECT_TRUE(blank("  ", '\t'));
}
