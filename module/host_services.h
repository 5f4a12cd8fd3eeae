// The module's side of the host services: the host vector global and the
// calls that go through it.  (host_math_error_call and host_missing_value are
// declared for the numeric code in numeric/host_link.h.)
#pragma once

#include <cstdint>

#include "numeric/host_link.h"

// Keep the host vector (mcn_main).  Replaces any earlier one.
void host_vector_store(void* host_vector);

// The host vector kept by mcn_main, or null before it has run.
void* host_vector_current();

// A block of `size` bytes from the host allocator, or null when memory is
// exhausted (or no host vector is installed).
void* host_allocate(int32_t size);

// Raise condition 30 with the two details: set flag byte 30, then enter the
// host's error service; whatever it returns comes back.
int32_t host_error_call(int32_t detail1, int32_t detail2);
