// The math error record: the one record that pow_real hands to the host's
// math-error service.  Its layout is shared with the host:
//
//   byte  0  int32   error kind (always 1, the domain error)
//   byte  4  address the static text "POW", set at load time
//   byte  8  double  first argument: the exponent of the failing call
//   byte 16  double  second argument: the base of the failing call
//   byte 24  double  return value: 1.7976929999999999e+308, never written
//
// 32 bytes with 32-bit addresses.  With wider addresses the address field
// widens in place and the doubles keep natural alignment (bytes 8, 16, 24,
// 32; 40 bytes).  The record is never cleared: each domain error overwrites
// the kind and the two arguments.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr int32_t math_error_domain = 1;

struct math_error_record {
    int32_t kind;
    const char* function_name;
    double first_argument;
    double second_argument;
    double return_value;
};

extern math_error_record math_error;

#if UINTPTR_MAX == 0xFFFFFFFFu
static_assert(offsetof(math_error_record, kind) == 0, "error kind at byte 0");
static_assert(offsetof(math_error_record, function_name) == 4, "function name at byte 4");
static_assert(offsetof(math_error_record, first_argument) == 8, "first argument at byte 8");
static_assert(offsetof(math_error_record, second_argument) == 16, "second argument at byte 16");
static_assert(offsetof(math_error_record, return_value) == 24, "return value at byte 24");
static_assert(sizeof(math_error_record) == 32, "the record is 32 bytes");
#else
static_assert(offsetof(math_error_record, function_name) == sizeof(void*),
              "the address field widens in place");
static_assert(offsetof(math_error_record, first_argument) == 2 * sizeof(void*),
              "the doubles follow at natural alignment");
static_assert(offsetof(math_error_record, return_value) == 16 + 2 * sizeof(void*),
              "the doubles follow at natural alignment");
#endif
