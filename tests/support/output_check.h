// Driving one output of a reference table (tables whose rows carry several
// references, each as hi * (1 + rel)): one loop per output, every row above
// its tolerance reported, and the worst row (largest error over tolerance)
// printed either way.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdio>
#include <string>

#include "support/reference_error.h"

// What a check of one row found.
struct output_check {
    double got;
    double want;       // the reference's hi part, for the report
    double error;
    double tolerance;
    std::string arguments;
};

inline std::string describe_arguments(const char* names, double a)
{
    char text[96];
    std::snprintf(text, sizeof text, "%s = %.17g", names, a);
    return text;
}

inline std::string describe_arguments(const char* names, double a, double b)
{
    char text[128];
    std::snprintf(text, sizeof text, "(%s) = (%.17g, %.17g)", names, a, b);
    return text;
}

inline std::string describe_arguments(const char* names, double a, double b, double c)
{
    char text[160];
    std::snprintf(text, sizeof text, "(%s) = (%.17g, %.17g, %.17g)", names, a, b, c);
    return text;
}

template <class Row, std::size_t N, class Check>
void check_output(const char* output, const char* unit, const Row (&rows)[N], Check check)
{
    double worst_ratio = -1.0;
    output_check worst{0.0, 0.0, 0.0, 0.0, ""};
    for (std::size_t i = 0; i < N; ++i) {
        output_check c = check(rows[i]);
        double ratio = c.error / c.tolerance;
        if (!(ratio <= 1.0)) {
            char text[160];
            std::snprintf(text, sizeof text, "got %.17g, reference %.17g, error %.3g %s",
                          c.got, c.want, c.error, unit);
            ADD_FAILURE() << output << " at " << c.arguments << ": " << text << " > tolerance "
                          << c.tolerance;
        }
        if (!(ratio <= worst_ratio)) {
            worst_ratio = ratio;
            worst = c;
        }
    }
    std::printf("[  worst   ] %s over %zu rows: %s, got %.17g, reference %.17g, error %.3g %s"
                " (tolerance %.3g)\n",
                output, N, worst.arguments.c_str(), worst.got, worst.want, worst.error, unit,
                worst.tolerance);
}
