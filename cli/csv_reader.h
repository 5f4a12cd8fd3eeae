// Reading delimited text (CSV) as R, pandas and spreadsheets write it, one
// record at a time, for every command that takes a table (fnonct --csv and
// the commands built beside it).
//
// The format is RFC 4180 with the common extensions:
// - fields separated by one character (',' ';' or tab);
// - a field that starts with '"' is quoted: it runs to the next lone '"',
//   "" inside it stands for one '"', and it may hold separators and line
//   breaks; characters after its closing quote up to the separator are kept
//   as they stand;
// - records end at LF, CRLF or a lone CR (old Mac files); the last needs no
//   line ending;
// - a UTF-8 byte-order mark before the first record belongs to no field;
// - a NUL byte is an ordinary character.
//
// A quote that is still open at the end of the input would swallow every
// line after it; the reader then goes back to that quote, takes it as an
// ordinary character, ends the record at the first line break after it and
// marks the record unterminated_quote, so every later line is still read as
// its own record.
//
// Each record keeps its bytes exactly as they stood (to write fields back
// unchanged) beside the fields' values (quotes removed).  Memory is the
// longest record plus a fixed read buffer, whatever the length of the input.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

// One field of a record: [raw_begin, raw_end) in csv_record::raw is the field
// as it stood in the input, quotes included; [value_begin, value_end) is its
// value, quotes removed and "" read as ": in csv_record::text for a quoted
// field, in csv_record::raw (the same as its raw text) for another.
struct csv_field {
    size_t raw_begin, raw_end;
    size_t value_begin, value_end;
    bool quoted;
};

struct csv_record {
    std::string raw;   // the record as it stood, line ending excluded
    std::string text;  // the quoted fields' values, one after another
    std::vector<csv_field> fields;
    long line;                // physical line (from 1) on which the record starts
    bool unterminated_quote;  // a quoted field was never closed (see above)
};

// A field's value and its raw text, as views into the record.
inline const char* csv_value(const csv_record& r, size_t i)
{
    return (r.fields[i].quoted ? r.text : r.raw).data() + r.fields[i].value_begin;
}
inline size_t csv_value_length(const csv_record& r, size_t i) { return r.fields[i].value_end - r.fields[i].value_begin; }
inline const char* csv_raw(const csv_record& r, size_t i) { return r.raw.data() + r.fields[i].raw_begin; }
inline size_t csv_raw_length(const csv_record& r, size_t i) { return r.fields[i].raw_end - r.fields[i].raw_begin; }

// The bytes read from the stream at a time.
constexpr size_t csv_read_size = 1 << 16;

struct csv_reader {
    std::FILE* in;
    char separator;
    std::vector<char> buffer;  // bytes read and not yet consumed: [position, filled)
    size_t position, filled;
    std::string pending;  // bytes handed back after an unterminated quote, read first
    size_t pending_position;
    long line;                      // physical line the next byte is on
    bool started;                   // the byte-order mark has been looked for
    bool at_end;                    // the stream reported its end (or an error)
    bool read_error;                // ... and it was an error
    size_t literal_quote_at;        // raw offset of a quote to read as a character,
    long literal_quote_line;        // on the record that starts on this line
};

// Start reading `in` with fields separated by `separator`.
void csv_reader_init(csv_reader* reader, std::FILE* in, char separator);

// Read the next record into *record.  False at the end of the input.
bool csv_read_record(csv_reader* reader, csv_record* record);

// True when the stream reported a read error (the records read before it
// stand).
bool csv_reader_failed(const csv_reader* reader);

// True when the next record would have to wait for its first byte: nothing
// is buffered and the stream (a pipe or a terminal) has nothing to read at
// the moment.  Never true for a regular file, nor at the end of the input.
bool csv_reader_would_wait(csv_reader* reader);

// True for a record that holds no data: an empty line, or one of blanks
// (spaces, and tabs unless tab separates the fields) with no quotes.
bool csv_record_is_blank(const csv_record& record, char separator);
