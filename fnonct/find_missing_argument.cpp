// find_missing_argument: the scan for missing values in an argument list.
//
// The host marks a missing numeric value by a double whose eleven exponent
// bits are all set, so any infinity or NaN counts as missing:
//
//     (high 32-bit word AND 0x7FF00000) = 0x7FF00000.
//
// The test reads the bits, not the value: no comparison or register load can
// quiet a signalling NaN or trap on it.  The scan runs from argument n down to
// argument 1 and answers the first missing one it meets, the highest-numbered.

#include <cstring>

#include "fnonct/argument_list.h"

static bool value_is_missing(const double* value)
{
    uint64_t bits;
    std::memcpy(&bits, value, sizeof bits);
    const uint32_t high = static_cast<uint32_t>(bits >> 32);
    return (high & 0x7FF00000u) == 0x7FF00000u;
}

int32_t find_missing_argument(void* argument_list, int32_t n)
{
    for (int32_t i = n; i >= 1; --i) {
        if (value_is_missing(argument_entry_at(argument_list, i)->value))
            return i;
    }
    return 0;
}
