// Fuzz target: the numeric primitives on arbitrary doubles.
//
// Input: one byte picks the routine, one byte the floating-point environment
// the host leaves (rounding direction, x87 precision), then the arguments as
// raw doubles.  Every routine must return without a sanitizer report, leave
// the x87 control word as it found it, and, under the host's usual
// round-to-nearest, keep the promises of its interface: the fixed answers
// outside the domain, the ranges of erf, erfc and the normal distribution
// function, and the exact symmetry of log_beta.  pow_real's domain errors
// run without an installed host here, so they come back as a quiet NaN.

#include <cmath>

#include "fuzz/fuzz_support.h"
#include "numeric/primitives.h"

namespace {

enum routine : uint8_t {
    r_exp_fast, r_pow_real, r_log1p_rel, r_log_gamma, r_log_beta, r_lgamma_corr,
    r_erf, r_erfc, r_erf_erfc_eval, r_normal_cdf, routine_count
};

double check(uint8_t which, double x, double y, bool nearest)
{
    double v = 0.0;
    switch (which) {
    case r_exp_fast: {
        v = exp_fast(x);
        if (nearest && !std::isnan(x))
            FUZZ_REQUIRE(v >= 0.0 && (x != 0.0 || v == 1.0), "exp_fast(%a) = %a", x, v);
        break;
    }
    case r_pow_real: {
        v = pow_real(x, y);
        if (nearest && x == 0.0 && y > 0.0)
            FUZZ_REQUIRE(v == 0.0 && !std::signbit(v), "pow_real(%a, %a) = %a", x, y, v);
        if (nearest && x > 0.0 && !std::isnan(y))
            FUZZ_REQUIRE(!(v < 0.0), "pow_real(%a, %a) = %a", x, y, v);
        break;
    }
    case r_log1p_rel:
        v = log1p_rel(x);
        break;
    case r_log_gamma: {
        v = log_gamma(x);
        if (!(x > 0.0))
            FUZZ_REQUIRE(v == -99.0, "log_gamma(%a) = %a", x, v);
        break;
    }
    case r_log_beta: {
        v = log_beta(x, y);
        double w = log_beta(y, x);
        if (!(x > 0.0) || !(y > 0.0))
            FUZZ_REQUIRE(v == 99.0 && w == 99.0, "log_beta(%a, %a) = %a, %a", x, y, v, w);
        else
            FUZZ_REQUIRE(std::memcmp(&v, &w, sizeof v) == 0, "log_beta(%a, %a) = %a, reversed %a",
                         x, y, v, w);
        break;
    }
    case r_lgamma_corr:
        v = lgamma_corr(x);
        break;
    case r_erf: {
        v = erf_value(x);
        if (nearest && !std::isnan(x))
            FUZZ_REQUIRE(v >= -1.0 && v <= 1.0, "erf_value(%a) = %a", x, v);
        break;
    }
    case r_erfc: {
        v = erfc_value(x);
        if (nearest && !std::isnan(x))
            FUZZ_REQUIRE(v >= 0.0 && v <= 2.0, "erfc_value(%a) = %a", x, v);
        break;
    }
    case r_erf_erfc_eval: {
        // Any mode other than 0 is erfc.
        int32_t mode = std::fabs(y) < 2147483647.0 ? static_cast<int32_t>(y) : 7;
        erf_erfc_eval(x, &v, mode);
        double expected = mode == 0 ? erf_value(x) : erfc_value(x);
        FUZZ_REQUIRE(std::memcmp(&v, &expected, sizeof v) == 0 || (std::isnan(v) && std::isnan(expected)),
                     "erf_erfc_eval(%a, mode %d) = %a", x, mode, v);
        break;
    }
    case r_normal_cdf: {
        v = normal_cdf(x);
        if (nearest && !std::isnan(x))
            FUZZ_REQUIRE(v >= 0.0 && v <= 1.0, "normal_cdf(%a) = %a", x, v);
        break;
    }
    default:
        break;
    }
    return v;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz_bytes in{data, size, 0};
    uint8_t which = static_cast<uint8_t>(fuzz_byte(in) % routine_count);
    uint8_t env_byte = fuzz_byte(in);
    double x = fuzz_double(in);
    double y = fuzz_double(in);

    double full;
    bool compared;
    const double got = fuzz_run_in_env(
        env_byte, [&](bool nearest) { return check(which, x, y, nearest); }, &full, &compared);
    if (compared)
        FUZZ_REQUIRE(std::memcmp(&got, &full, sizeof got) == 0,
                     "routine %d (%a, %a): %a under %d-bit precision, %a under 64", which, x, y, got,
                     fuzz_env_precision_bits(env_byte), full);
    return 0;
}
