// The extended-precision logarithm of a double, taken from a table and the
// Mercator series instead of FYL2X: against a 106-bit mpmath reference it
// must keep the extended format's precision (the callers form sums such as
// (a + k) ln x' whose terms cancel), with x near 1 accurate relative to the
// small result.  FYL2X itself is held to the same table, as a check of the
// check.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "numeric/elementary.h"

namespace {

struct ln_row {
    double x, hi, lo;
};

const ln_row ln_rows[] = {
#include "data/elementary_ln.inc"
};

// Units of 2^-64 relative: a few, as FYL2X has.
constexpr double ln_tolerance_units = 4.0;

template <typename F>
void check(const char* name, F ln)
{
    double worst = 0.0;
    size_t worst_row = 0;
    for (size_t i = 0; i < sizeof ln_rows / sizeof ln_rows[0]; ++i) {
        const ln_row& r = ln_rows[i];
        const long double want = static_cast<long double>(r.hi) + r.lo;
        const long double got = ln(r.x);
        const double units = want == 0.0L ? (got == 0.0L ? 0.0 : INFINITY)
                                          : static_cast<double>(fabsl((got - want) / want) * 0x1p64L);
        if (!(units <= worst)) {
            worst = units;
            worst_row = i;
        }
    }
    std::printf("%s: worst error %.2f units of 2^-64 (x = %a)\n", name, worst, ln_rows[worst_row].x);
    EXPECT_LE(worst, ln_tolerance_units) << name << " at x = " << ln_rows[worst_row].x;
}

}  // namespace

#if KELBRANT_X87
TEST(ElementaryLog, ExtendedPrecisionAgainstMpmath)
{
    check("elem_ln_table_ext(double)", [](double x) { return elem_ln_table_ext(x); });
    check("FYL2X", [](double x) { return elem_ln_fyl2x_ext(static_cast<long double>(x)); });
}
#endif
