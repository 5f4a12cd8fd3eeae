// The argument list the host passes to an evaluate callback, and the entries
// in it.  The host owns the record; the module reads it and writes nothing
// but the domain flag of an argument out of its domain.
//
// 32-bit layout (little-endian):
//
//   list      0  12  host header, not used
//            12   4  n, the number of entries that follow (never negative)
//            16   8  entry 1, then entry 2 ... entry n, 8 bytes each
//   entry     0   1  host byte, not used
//             1   1  flag byte; bit 0 is the domain flag, the other bits the host's
//             2   2  host bytes, not used
//             4   4  address of the argument's value, a double, read only
//
// With wider addresses the value's address widens in place and takes its
// natural alignment: on a 64-bit target an entry is 16 bytes with the
// address at 8, and the entries still start at byte 16 of the list.
#pragma once

#include <cstddef>
#include <cstdint>

struct argument_list_header {
    unsigned char host_header[12];
    int32_t count;
};

struct argument_entry {
    unsigned char host_byte;
    unsigned char flags;
    unsigned char host_bytes[2];
    const double* value;
};

constexpr unsigned char argument_domain_flag = 0x01;

// The evaluate callback's statuses towards the host.
constexpr int32_t status_missing_argument = 120833;  // 0x1D801: an argument is missing
constexpr int32_t status_invalid_argument = 120836;  // 0x1D804: out of domain, or no solution

// Entry i (1-based) of the list; the entries follow the 16-byte header.
inline argument_entry* argument_entry_at(void* list, int32_t i)
{
    return reinterpret_cast<argument_entry*>(static_cast<unsigned char*>(list) +
                                             sizeof(argument_list_header)) + (i - 1);
}

// The 1-based index of the highest-numbered missing argument among entries
// n down to 1 (a value whose eleven exponent bits are all set: an infinity
// or a NaN), or 0 when none is missing or n is 0.
int32_t find_missing_argument(void* argument_list, int32_t n);

static_assert(sizeof(argument_list_header) == 16, "argument entries start at byte 16");
#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(offsetof(argument_entry, flags) == 1, "argument entry: flag byte at 1");
static_assert(offsetof(argument_entry, value) == 4, "argument entry: address at 4");
static_assert(sizeof(argument_entry) == 8, "argument entry: 8 bytes");
#elif UINTPTR_MAX == 0xFFFFFFFFFFFFFFFFu
static_assert(offsetof(argument_entry, value) == 8, "argument entry: address at 8");
static_assert(sizeof(argument_entry) == 16, "argument entry: 16 bytes");
#endif
