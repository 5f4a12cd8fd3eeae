// Accuracy of the numeric primitives against tables computed by mpmath
// (tests/reference/gen_numeric.py).  Each tolerance sits beside its table and
// says where it comes from.

#include <cmath>

#include "numeric/primitives.h"
#include "support/reference_check.h"

namespace {

const reference_1 exp_rows[] = {
#include "data/numeric_exp.inc"
};
const reference_2 pow_rows[] = {
#include "data/numeric_pow.inc"
};
const reference_1 log1p_rows[] = {
#include "data/numeric_log1p.inc"
};
const reference_1 log_gamma_rows[] = {
#include "data/numeric_log_gamma.inc"
};
const reference_2 log_beta_rows[] = {
#include "data/numeric_log_beta.inc"
};
const reference_1 lgamma_corr_rows[] = {
#include "data/numeric_lgamma_corr.inc"
};
const reference_1 erf_rows[] = {
#include "data/numeric_erf.inc"
};
const reference_1 erfc_rows[] = {
#include "data/numeric_erfc.inc"
};
const reference_1 normal_cdf_rows[] = {
#include "data/numeric_normal_cdf.inc"
};

constexpr double unit_roundoff = 1.1102230246251565e-16;  // 2^-53

// exp_fast over the normal range of results, x from log_min_normal to
// log_max_double: the table reduction keeps everything but the last rounding
// below 0.01 units in the last place, and the power of two scales exactly
// (in two steps beyond |x| = 708).
constexpr double exp_tolerance_ulps = 0.51;

// pow_real, the same split with t = y log2 x from one FYL2X.
constexpr double pow_tolerance_ulps = 1.0;

// log1p_rel: 3e-16 relative on |x| <= 1/32 (the ratio form).  Beyond, the sum
// 1 + x is rounded (by up to 2^-53 (1 + x)) before the logarithm, an absolute
// error of up to 2^-53 in ln(1 + x): relative 2^-53 / |ln(1 + x)|, some 3.5e-15
// just past 1/32, on top of the logarithm's own rounding.
double log1p_tolerance(double x)
{
    if (std::fabs(x) <= 0.03125)
        return 3e-16;
    return 2.0 * unit_roundoff + unit_roundoff / std::fabs(std::log1p(x));
}

// log_gamma: 2e-15 of max(1, |ln Gamma(x)|), below 30 and in Stirling's range.
constexpr double log_gamma_tolerance = 2e-15;

// log_beta: 2e-15 of max(1, |ln B|, |ln Gamma(a + b)|).  The three-term form
// (a, b < 15) subtracts ln Gamma(a + b), up to 71, so its absolute error scales
// with that term rather than with the result; the large form avoids the
// cancellation.
double log_beta_scale(double a, double b, double reference)
{
    return std::fmax(1.0, std::fmax(std::fabs(reference), std::fabs(std::lgamma(a + b))));
}
constexpr double log_beta_tolerance = 2e-15;

// lgamma_corr: a few roundings of a short series led by 1/(12x), plus the
// truncation after six terms: the first omitted term 7/1092 x^-13 against
// the leading 1/(12x) is 12 (7/1092) x^-12 relative (6e-16 at x = 15).
double lgamma_corr_tolerance(double x)
{
    return 4.0 * unit_roundoff + 12.0 * (7.0 / 1092.0) * std::pow(x, -12.0);
}

// erf_value: 3e-16 absolute everywhere and, in the small range where erf is x
// times a rational in x^2, 3e-16 relative (which the absolute bound would not
// see for tiny x).
double erf_tolerance(double x, double reference)
{
    return std::fabs(x) <= 0.46875 ? 3e-16 * std::fabs(reference) : 3e-16;
}

// erfc_value: 2e-15 relative up to |x| = 4.  Beyond 4, e^(-x^2) is taken of the
// rounded x^2 in one call: a rounding of x^2 (up to 2^-53 x^2) becomes a
// relative error of e^(-x^2), so the bound grows by x^2 2^-53 (7.5e-14 at 26).
// For x < 0, erfc = 2 - erfc(|x|) is close to 2 and as accurate as erf.
double erfc_tolerance(double x)
{
    if (x <= 4.0)
        return 2e-15;
    return 2e-15 + x * x * unit_roundoff;
}

// normal_cdf: below 0 it is erfc(y) / 2 with y = -x (1/sqrt 2).  The argument
// carries the rounding of the product (2^-53) and of the stored 1/sqrt 2
// (6.8e-17), together d = 1.8e-16 relative, which moves erfc by 2 y^2 d =
// x^2 d relative on top of erfc's own bound at y.  Above 0 it is (1 + erf) / 2,
// in [1/2, 1] and within a few units of the last place.
constexpr double one_over_sqrt_2_rounding = 6.8e-17;
double normal_cdf_tolerance(double x)
{
    if (x > 0.0)
        return 4.0 * unit_roundoff;
    double d = unit_roundoff + one_over_sqrt_2_rounding;
    return erfc_tolerance(-x / std::sqrt(2.0)) + x * x * d;
}

}  // namespace

TEST(NumericAccuracy, ExpFast)
{
    check_table("exp_fast", "ulp", exp_rows, [](const reference_1& r) { return exp_fast(r.x); },
                [](const reference_1& r, double got) {
                    return row_verdict{reference_ulp_error(got, r.hi, r.rel), exp_tolerance_ulps};
                });
}

TEST(NumericAccuracy, PowReal)
{
    check_table("pow_real", "ulp", pow_rows,
                [](const reference_2& r) { return pow_real(r.a, r.b); },
                [](const reference_2& r, double got) {
                    return row_verdict{reference_ulp_error(got, r.hi, r.rel), pow_tolerance_ulps};
                });
}

TEST(NumericAccuracy, Log1pRel)
{
    check_table("log1p_rel", "relative", log1p_rows,
                [](const reference_1& r) { return log1p_rel(r.x); },
                [](const reference_1& r, double got) {
                    return row_verdict{reference_relative_error(got, r.hi, r.rel), log1p_tolerance(r.x)};
                });
}

TEST(NumericAccuracy, LogGamma)
{
    check_table("log_gamma", "of max(1, |ln Gamma|)", log_gamma_rows,
                [](const reference_1& r) { return log_gamma(r.x); },
                [](const reference_1& r, double got) {
                    double scale = std::fmax(1.0, std::fabs(r.hi));
                    return row_verdict{reference_absolute_error(got, r.hi, r.rel) / scale, log_gamma_tolerance};
                });
}

TEST(NumericAccuracy, LogBeta)
{
    check_table("log_beta", "of max(1, |ln B|, |ln Gamma(a+b)|)", log_beta_rows,
                [](const reference_2& r) { return log_beta(r.a, r.b); },
                [](const reference_2& r, double got) {
                    double scale = log_beta_scale(r.a, r.b, r.hi);
                    return row_verdict{reference_absolute_error(got, r.hi, r.rel) / scale, log_beta_tolerance};
                });
}

TEST(NumericAccuracy, LgammaCorr)
{
    check_table("lgamma_corr", "relative", lgamma_corr_rows,
                [](const reference_1& r) { return lgamma_corr(r.x); },
                [](const reference_1& r, double got) {
                    return row_verdict{reference_relative_error(got, r.hi, r.rel), lgamma_corr_tolerance(r.x)};
                });
}

TEST(NumericAccuracy, ErfValue)
{
    check_table("erf_value", "absolute", erf_rows,
                [](const reference_1& r) { return erf_value(r.x); },
                [](const reference_1& r, double got) {
                    return row_verdict{reference_absolute_error(got, r.hi, r.rel), erf_tolerance(r.x, r.hi)};
                });
}

TEST(NumericAccuracy, ErfcValue)
{
    check_table("erfc_value", "relative", erfc_rows,
                [](const reference_1& r) { return erfc_value(r.x); },
                [](const reference_1& r, double got) {
                    return row_verdict{reference_relative_error(got, r.hi, r.rel), erfc_tolerance(r.x)};
                });
}

TEST(NumericAccuracy, NormalCdf)
{
    check_table("normal_cdf", "relative", normal_cdf_rows,
                [](const reference_1& r) { return normal_cdf(r.x); },
                [](const reference_1& r, double got) {
                    return row_verdict{reference_relative_error(got, r.hi, r.rel), normal_cdf_tolerance(r.x)};
                });
}
