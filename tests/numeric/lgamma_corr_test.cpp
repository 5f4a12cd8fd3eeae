// lgamma_corr, the remainder of Stirling's series: accuracy against mpmath
// (tests/reference/gen_numeric.py).

#include <cmath>

#include "numeric/primitives.h"
#include "support/numeric_bounds.h"
#include "support/reference_check.h"

namespace {

const reference_1 lgamma_corr_rows[] = {
#include "data/numeric_lgamma_corr.inc"
};

// A few roundings of a short series led by 1/(12x), plus the truncation
// after six terms: the first omitted term 7/1092 x^-13 against the leading
// 1/(12x) is 12 (7/1092) x^-12 relative (6e-16 at x = 15).
double lgamma_corr_tolerance(double x)
{
    return 4.0 * unit_roundoff + 12.0 * (7.0 / 1092.0) * std::pow(x, -12.0);
}

}  // namespace

TEST(LgammaCorr, Accuracy)
{
    check_table("lgamma_corr", "relative", lgamma_corr_rows,
                [](const reference_1& r) { return lgamma_corr(r.x); },
                [](const reference_1& r, double got) {
                    return row_verdict{reference_relative_error(got, r.hi, r.rel), lgamma_corr_tolerance(r.x)};
                });
}
