// The math error record's load-time contents (layout in math_error_record.h).

#include "numeric/math_error_record.h"

static const char math_error_pow_name[] = "POW";

math_error_record math_error = {0, math_error_pow_name, 0.0, 0.0, 1.7976929999999999e+308};
