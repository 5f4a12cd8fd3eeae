// Driving a reference table: one loop per function, the worst row reported.
//
// Tables (tests/data/numeric_*.inc) give each reference as hi * (1 + rel),
// measured by the functions of reference_error.h.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstdio>
#include <iomanip>
#include <string>

#include "support/reference_error.h"

struct reference_1 {
    double x;
    double hi;
    double rel;
};

struct reference_2 {
    double a;
    double b;
    double hi;
    double rel;
};

inline std::string arguments(const reference_1& r)
{
    char text[64];
    std::snprintf(text, sizeof text, "x = %.17g", r.x);
    return text;
}

inline std::string arguments(const reference_2& r)
{
    char text[96];
    std::snprintf(text, sizeof text, "(%.17g, %.17g)", r.a, r.b);
    return text;
}

struct row_verdict {
    double error;
    double tolerance;
};

// Runs eval over every row, measures each result, and fails on rows whose
// error exceeds their tolerance, and prints the worst row (largest error over
// tolerance) with its error either way.  `unit` names what error counts.
template <class Row, std::size_t N, class Eval, class Measure>
void check_table(const char* function, const char* unit, const Row (&rows)[N], Eval eval,
                 Measure measure)
{
    double worst_ratio = -1.0;
    std::size_t worst = 0;
    row_verdict worst_verdict{0.0, 0.0};
    double worst_got = 0.0;
    for (std::size_t i = 0; i < N; ++i) {
        double got = eval(rows[i]);
        row_verdict v = measure(rows[i], got);
        double ratio = v.error / v.tolerance;
        if (!(ratio <= 1.0)) {
            ADD_FAILURE() << std::setprecision(17) << function << " at " << arguments(rows[i])
                          << ": got " << got << ", reference "
                          << rows[i].hi << ", error " << v.error << " " << unit
                          << " > tolerance " << v.tolerance;
        }
        if (!(ratio <= worst_ratio)) {
            worst_ratio = ratio;
            worst = i;
            worst_verdict = v;
            worst_got = got;
        }
    }
    std::printf("[  worst   ] %s over %zu rows: %s, got %.17g, reference %.17g, error %.3g %s"
                " (tolerance %.3g)\n",
                function, N, arguments(rows[worst]).c_str(), worst_got, rows[worst].hi,
                worst_verdict.error, unit, worst_verdict.tolerance);
}
