// Line reading for the CSV mode: a byte at a time into a fixed buffer, so
// memory stays the same whatever the length of the input or of any line in
// it, and every byte of a line is seen (a NUL byte included, which a reader
// that measures lines with strlen would take for the line's end).

#include "cli/csv_lines.h"

#include <cstring>

// Only the thread that reads the stream touches it, so the reads need not
// lock it byte by byte.
#if defined(_WIN32)
#define csv_getc _getc_nolock
#else
#define csv_getc getc_unlocked
#endif

namespace {

// Stands for a NUL byte in the text handed on: no field containing it reads
// as a number, and the message shows where it was.
constexpr char nul_stand_in = '?';

}  // namespace

csv_line_kind csv_read_line(csv_line_reader* reader, char* buffer, size_t* length)
{
    // Up to csv_line_limit characters and a CR are kept; more make the line
    // too long, and the rest of it is read and dropped.
    size_t n = 0;
    bool any = false;
    bool overflow = false;
    int c;
    while ((c = csv_getc(reader->in)) != EOF) {
        any = true;
        if (c == '\n')
            break;
        if (n < csv_line_limit + 1)
            buffer[n++] = c == '\0' ? nul_stand_in : static_cast<char>(c);
        else
            overflow = true;
    }
    if (!any)
        return csv_line_end;
    ++reader->line;
    if (!overflow && n > 0 && buffer[n - 1] == '\r')
        --n;
    buffer[n] = '\0';
    // A byte-order mark before the first line belongs to no field.
    if (reader->line == 1 && n >= 3 && std::memcmp(buffer, "\xEF\xBB\xBF", 3) == 0) {
        std::memmove(buffer, buffer + 3, n - 2);
        n -= 3;
    }
    *length = n;
    if (overflow || n > csv_line_limit) {
        buffer[0] = '\0';
        *length = 0;
        return csv_line_too_long;
    }
    return csv_line_text;
}
