// What the numeric code needs from the host system.  These are the host
// services of the module (module/host_services.cpp); the numeric code sees
// only this much of them.
#pragma once

#include <cstdint>

// Raise the host's math-error condition with the module's math error record.
// Returns only when the host's service returns (or no host is installed);
// the caller must not go on computing then.
int32_t host_math_error_call(void* record);

// Copy the host's missing value, 8 raw bytes, to *out.  The bytes travel
// untouched (a signalling NaN stays signalling).  With no host installed the
// value is a quiet NaN.
void host_missing_value(void* out);
