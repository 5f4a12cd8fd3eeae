// erf_value: accuracy against mpmath (tests/reference/gen_numeric.py).

#include <cmath>

#include "numeric/primitives.h"
#include "support/reference_check.h"

namespace {

const reference_1 erf_rows[] = {
#include "data/numeric_erf.inc"
};

// 3e-16 absolute everywhere and, in the small range where erf is x times a
// rational in x^2, 3e-16 relative (which the absolute bound would not see for
// tiny x).
double erf_tolerance(double x, double reference)
{
    return std::fabs(x) <= 0.46875 ? 3e-16 * std::fabs(reference) : 3e-16;
}

}  // namespace

TEST(ErfValue, Accuracy)
{
    check_table("erf_value", "absolute", erf_rows,
                [](const reference_1& r) { return erf_value(r.x); },
                [](const reference_1& r, double got) {
                    return row_verdict{reference_absolute_error(got, r.hi, r.rel), erf_tolerance(r.x, r.hi)};
                });
}
