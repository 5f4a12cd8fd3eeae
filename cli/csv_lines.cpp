// Line reading for the CSV mode: fgets into a fixed buffer, so memory stays
// the same whatever the length of the input or of any line in it.

#include "cli/csv_lines.h"

#include <cstring>

csv_line_kind csv_read_line(csv_line_reader* reader, char* buffer, size_t* length)
{
    if (std::fgets(buffer, static_cast<int>(csv_line_buffer), reader->in) == nullptr)
        return csv_line_end;
    ++reader->line;
    size_t n = std::strlen(buffer);
    bool complete = n > 0 && buffer[n - 1] == '\n';
    if (!complete && !std::feof(reader->in)) {
        // The buffer filled before the line ended: skip the rest of it.
        int c;
        while ((c = std::fgetc(reader->in)) != EOF && c != '\n') {
        }
        *length = 0;
        buffer[0] = '\0';
        return csv_line_too_long;
    }
    if (complete)
        buffer[--n] = '\0';
    if (n > 0 && buffer[n - 1] == '\r')
        buffer[--n] = '\0';
    // A byte-order mark before the first line belongs to no field.
    if (reader->line == 1 && n >= 3 && std::memcmp(buffer, "\xEF\xBB\xBF", 3) == 0) {
        std::memmove(buffer, buffer + 3, n - 2);
        n -= 3;
    }
    *length = n;
    if (n > csv_line_limit) {
        buffer[0] = '\0';
        *length = 0;
        return csv_line_too_long;
    }
    return csv_line_text;
}
