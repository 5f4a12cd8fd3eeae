// Reading a CSV stream line by line in a buffer of fixed size.
#pragma once

#include <cstddef>
#include <cstdio>

// The longest line kept, line ending excluded.  A row of four numbers needs a
// few dozen characters; a longer line is reported, skipped to its end and
// still counted as one row.
constexpr size_t csv_line_limit = 1024;
// The buffer a line is read into: the line, "\r\n" and the terminating NUL.
constexpr size_t csv_line_buffer = csv_line_limit + 3;

struct csv_line_reader {
    std::FILE* in;
    long line;  // number of the line last read, from 1
};

enum csv_line_kind { csv_line_text, csv_line_too_long, csv_line_end };

// Read the next line into `buffer` (csv_line_buffer bytes) without its line
// ending (LF or CRLF; the last line may lack one) and set *length.  A line
// over csv_line_limit characters is consumed to its end and answered
// csv_line_too_long; csv_line_end means the stream is exhausted.
csv_line_kind csv_read_line(csv_line_reader* reader, char* buffer, size_t* length);
