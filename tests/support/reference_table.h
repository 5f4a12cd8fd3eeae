// Driving a table of reference values: track the row with the largest error.
#pragma once

#include <cmath>
#include <cstddef>

struct worst_row {
    double error = 0.0;  // largest error seen (NaN counts as larger than any)
    size_t row = 0;      // index of that row
};

// |got - want| / |want|, or |got| when want is 0.
inline double relative_error(double got, double want)
{
    return want == 0.0 ? std::fabs(got) : std::fabs(got - want) / std::fabs(want);
}

inline void note_error(worst_row* worst, double error, size_t row)
{
    if (!(error <= worst->error)) {
        worst->error = error;
        worst->row = row;
    }
}
