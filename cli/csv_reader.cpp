// The CSV reader: a byte at a time through a state machine over a block
// buffer.  Where the stream has a file descriptor it is read with read(),
// which returns what a pipe holds at the moment instead of waiting for a
// whole buffer, so that a caller feeding rows one by one is answered row by
// row; a stream without one (a memory stream) is read with fread.

#include "cli/csv_reader.h"

#include <cerrno>
#include <cstring>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#else
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

constexpr int end_of_input = -1;
constexpr size_t no_offset = static_cast<size_t>(-1);
constexpr char byte_order_mark[] = "\xEF\xBB\xBF";
// Room for this many fields is made at once in a record that has none, so
// that a table's usual width takes one allocation, not one per doubling.
constexpr size_t fields_reserved = 16;

// Read what the stream has into the buffer; false at its end or on an error.
bool refill(csv_reader* r)
{
    r->position = 0;
    r->filled = 0;
    if (r->at_end)
        return false;
    const int fd = fileno(r->in);
    if (fd >= 0) {
        for (;;) {
#if defined(_WIN32)
            const int n = _read(fd, r->buffer.data(), static_cast<unsigned>(r->buffer.size()));
#else
            const ssize_t n = read(fd, r->buffer.data(), r->buffer.size());
#endif
            if (n > 0) {
                r->filled = static_cast<size_t>(n);
                return true;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                r->read_error = true;
            r->at_end = true;
            return false;
        }
    }
    r->filled = std::fread(r->buffer.data(), 1, r->buffer.size(), r->in);
    if (r->filled == 0) {
        r->read_error = std::ferror(r->in) != 0;
        r->at_end = true;
        return false;
    }
    return true;
}

inline int next_byte(csv_reader* r)
{
    if (r->pending_position < r->pending.size())
        return static_cast<unsigned char>(r->pending[r->pending_position++]);
    if (r->position == r->filled && !refill(r))
        return end_of_input;
    return static_cast<unsigned char>(r->buffer[r->position++]);
}

inline int peek_byte(csv_reader* r)
{
    if (r->pending_position < r->pending.size())
        return static_cast<unsigned char>(r->pending[r->pending_position]);
    if (r->position == r->filled && !refill(r))
        return end_of_input;
    return static_cast<unsigned char>(r->buffer[r->position]);
}

// Hand bytes back to be read again before anything else.
void hand_back(csv_reader* r, const std::string& bytes)
{
    r->pending = bytes + r->pending.substr(r->pending_position);
    r->pending_position = 0;
}

void skip_byte_order_mark(csv_reader* r)
{
    std::string start;
    while (start.size() < 3) {
        const int c = next_byte(r);
        if (c == end_of_input)
            break;
        start += static_cast<char>(c);
        if (start.back() != byte_order_mark[start.size() - 1]) {
            hand_back(r, start);
            return;
        }
    }
    if (start.size() < 3)
        hand_back(r, start);
}

// An unquoted field's value is its raw text; a quoted one's is gathered in
// record->text.
void open_field(csv_record* record)
{
    record->fields.push_back(
        csv_field{record->raw.size(), record->raw.size(), record->raw.size(), record->raw.size(), false});
}

void close_field(csv_record* record)
{
    csv_field& f = record->fields.back();
    f.raw_end = record->raw.size();
    f.value_end = f.quoted ? record->text.size() : record->raw.size();
}

// A character with no meaning outside quotes.
inline bool ordinary(char c, char separator)
{
    return c != separator && c != '\n' && c != '\r' && c != '"';
}

enum scan_state { at_field_start, unquoted, quoted, quote_in_quoted };

// One pass over a record; false when the input ended inside a quoted field
// (*open_quote is then the raw offset of its opening quote).
bool scan_record(csv_reader* r, csv_record* record, int first, size_t* open_quote)
{
    scan_state state = at_field_start;
    open_field(record);
    for (int c = first;; c = next_byte(r)) {
        if (c == end_of_input) {
            if (state == quoted)
                return false;
            break;
        }
        const char ch = static_cast<char>(c);
        if (state == at_field_start) {
            const bool literal =
                record->raw.size() == r->literal_quote_at && record->line == r->literal_quote_line;
            if (ch == '"' && !literal) {
                record->fields.back().quoted = true;
                record->fields.back().value_begin = record->text.size();
                *open_quote = record->raw.size();
                record->raw += ch;
                state = quoted;
                continue;
            }
            if (ch == '"') {
                record->unterminated_quote = true;
                r->literal_quote_at = no_offset;
            }
            state = unquoted;
        } else if (state == quoted) {
            record->raw += ch;
            if (ch == '"') {
                state = quote_in_quoted;
                continue;
            }
            if (ch == '\n' || (ch == '\r' && peek_byte(r) != '\n'))
                ++r->line;
            record->text += ch;
            continue;
        } else if (state == quote_in_quoted) {
            if (ch == '"') {
                record->raw += ch;
                record->text += ch;
                state = quoted;
                continue;
            }
            state = unquoted;  // what follows the closing quote is kept as it stands
        }
        // Outside quotes.
        if (ch == r->separator) {
            close_field(record);
            record->raw += ch;
            open_field(record);
            state = at_field_start;
        } else if (ch == '\n') {
            ++r->line;
            break;
        } else if (ch == '\r') {
            ++r->line;
            if (peek_byte(r) == '\n')
                next_byte(r);
            break;
        } else {
            // The ordinary characters that follow in the buffer go in at once.
            size_t end = r->position;
            if (r->pending_position >= r->pending.size())
                while (end < r->filled && ordinary(r->buffer[end], r->separator))
                    ++end;
            record->raw += ch;
            record->raw.append(r->buffer.data() + r->position, end - r->position);
            if (record->fields.back().quoted) {  // after a closing quote
                record->text += ch;
                record->text.append(r->buffer.data() + r->position, end - r->position);
            }
            r->position = end;
        }
    }
    close_field(record);
    return true;
}

// The common case at once: a line wholly in the buffer, ended by LF, with
// no quote and no CR in it, is one record whose fields lie between the
// separators.  Anything else goes through scan_record.
bool read_plain_line(csv_reader* r, csv_record* record)
{
    if (r->pending_position < r->pending.size() || r->position >= r->filled)
        return false;
    const char* begin = r->buffer.data() + r->position;
    const size_t available = r->filled - r->position;
    const char* end = static_cast<const char*>(std::memchr(begin, '\n', available));
    if (end == nullptr)
        return false;
    const size_t length = static_cast<size_t>(end - begin);
    if (std::memchr(begin, '"', length) != nullptr || std::memchr(begin, '\r', length) != nullptr)
        return false;
    record->raw.clear();  // kept room, no aliasing to handle: cheaper than assign
    record->raw.append(begin, length);
    record->text.clear();
    record->fields.clear();
    record->line = r->line;
    record->unterminated_quote = false;
    size_t start = 0;
    for (;;) {
        const void* sep = std::memchr(record->raw.data() + start, r->separator, length - start);
        const size_t stop = sep != nullptr ? static_cast<size_t>(static_cast<const char*>(sep) - record->raw.data())
                                           : length;
        record->fields.push_back(csv_field{start, stop, start, stop, false});
        if (sep == nullptr)
            break;
        start = stop + 1;
    }
    r->position += length + 1;
    ++r->line;
    return true;
}

}  // namespace

void csv_reader_init(csv_reader* reader, std::FILE* in, char separator)
{
#if defined(_WIN32)
    // Every byte as it stands: no CRLF translation, no end at a Ctrl-Z.
    if (fileno(in) >= 0)
        _setmode(fileno(in), _O_BINARY);
#endif
    reader->in = in;
    reader->separator = separator;
    reader->buffer.assign(csv_read_size, '\0');
    reader->position = reader->filled = 0;
    reader->pending.clear();
    reader->pending_position = 0;
    reader->line = 1;
    reader->started = false;
    reader->at_end = false;
    reader->read_error = false;
    reader->literal_quote_at = no_offset;
    reader->literal_quote_line = 0;
}

bool csv_read_record(csv_reader* reader, csv_record* record)
{
    if (!reader->started) {
        reader->started = true;
        skip_byte_order_mark(reader);
    }
    if (record->fields.capacity() < fields_reserved)
        record->fields.reserve(fields_reserved);
    for (;;) {
        if (read_plain_line(reader, record))
            return true;
        const int first = next_byte(reader);
        if (first == end_of_input)
            return false;
        record->raw.clear();
        record->text.clear();
        record->fields.clear();
        record->line = reader->line;
        record->unterminated_quote = false;
        size_t open_quote = no_offset;
        if (scan_record(reader, record, first, &open_quote))
            return true;
        // The input ended inside a quoted field: read the record again from
        // its start with that quote as an ordinary character.
        reader->literal_quote_at = open_quote;
        reader->literal_quote_line = record->line;
        reader->line = record->line;
        hand_back(reader, record->raw);
    }
}

bool csv_reader_failed(const csv_reader* reader) { return reader->read_error; }

bool csv_reader_would_wait(csv_reader* reader)
{
    if (reader->pending_position < reader->pending.size() || reader->position < reader->filled ||
        reader->at_end)
        return false;
#if defined(_WIN32)
    return false;
#else
    const int fd = fileno(reader->in);
    struct stat s;
    if (fd < 0 || fstat(fd, &s) != 0 || S_ISREG(s.st_mode))
        return false;
    pollfd p{fd, POLLIN, 0};
    return poll(&p, 1, 0) == 0;
#endif
}

bool csv_record_is_blank(const csv_record& record, char separator)
{
    for (const char c : record.raw)
        if (!((c == ' ' || c == '\t') && c != separator))
            return false;
    return true;
}
