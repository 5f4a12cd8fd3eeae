// Fuzz target: the noncentral F distribution function, the incomplete beta
// function beneath it, the exponent split and the noncentrality search, on
// arbitrary doubles.
//
// Input: one byte picks the routine, one byte the host's floating-point
// environment, then the arguments as raw doubles.  Besides running clean
// under the sanitizers, every call must keep its loop caps (read back from
// the routine's trace) and its interface: the statuses it may return, the
// outputs it writes or leaves alone with each, and under round-to-nearest
// the range of what it computes.

#include <cmath>

#include "fnonct/fnonct.h"
#include "fuzz/fuzz_support.h"
#include "ncf/ncf.h"
#include "ncf/ncf_detail.h"
#include "numeric/primitives.h"

namespace {

enum routine : uint8_t { r_ncf_cdf, r_beta_inc, r_fnonct_search, r_scale_exponent, routine_count };

// The caps of the loops, as the routines document them.
constexpr int32_t ncf_cdf_step_cap = 1000;
// beta_inc: 199 fraction steps, 20000 for large shapes (one above 5000, the
// other above 100).
constexpr int32_t beta_inc_step_cap = beta_fraction_itrmax;
constexpr int32_t beta_inc_large_step_cap = beta_fraction_long_itrmax;
constexpr int32_t newton_pass_cap = 30;
constexpr int32_t search_cdf_call_cap = 1 + 2 * newton_pass_cap;

// A probability may leave [0, 1] only by the rounding of the summation.
constexpr double probability_slack = 1e-12;

// The range is promised where the beta argument x' = df1 x / (df1 x + df2)
// keeps its complement: the incomplete beta ratio sees x' alone, and once
// y' = 1 - x' falls below about 2^-26 the digits of y' that x' has lost
// change I_x'(a, b) by up to y'^b relative (far from negligible when df2 is
// small), while the recurrences use y' exactly.
//
// Nor is it promised for degrees of freedom near the bottom of the double
// range: when both shapes lie below about 1e-290 the beta density can fall
// below the normal range while the mass sits at both ends at once, and the
// ratio is then neither 0 nor 1 as the shortcut for such densities takes it.
// Beyond these bounds the result need only be finite.
constexpr long double complement_floor = 1.4901161193847656e-08L;  // 2^-26
constexpr double degrees_floor = 1e-290;

bool range_promised(double x, double df1, double df2)
{
    long double y = df2 / (static_cast<long double>(df1) * x + df2);
    return y >= complement_floor && (df1 >= degrees_floor || df2 >= degrees_floor);
}

// A value no routine writes: tells an output left alone from one written.
constexpr double untouched = -12345.678;

// What a call gave, to compare calls under different host precisions.
struct outputs {
    int32_t status;
    double value[2];
};

outputs fuzz_ncf_cdf(double x, double df1, double df2, double ncp, bool nearest)
{
    double out = untouched;
    ncf_cdf_trace t;
    int32_t status = ncf_cdf_traced(x, df1, df2, ncp, &out, &t);
    FUZZ_REQUIRE(status == 0 || status == 1, "ncf_cdf(%a, %a, %a, %a) status %d", x, df1, df2, ncp,
                 status);
    FUZZ_REQUIRE(t.steps <= ncf_cdf_step_cap, "ncf_cdf(%a, %a, %a, %a) took %d steps", x, df1, df2,
                 ncp, t.steps);
    FUZZ_REQUIRE(out != untouched, "ncf_cdf(%a, %a, %a, %a) left out alone", x, df1, df2, ncp);
    if (status == 1 && t.steps < ncf_cdf_step_cap)
        FUZZ_REQUIRE(out == 0.0, "ncf_cdf(%a, %a, %a, %a) failed with out %a", x, df1, df2, ncp, out);
    if (status == 0 && nearest && range_promised(x, df1, df2))
        FUZZ_REQUIRE(out >= -probability_slack && out <= 1.0 + probability_slack,
                     "ncf_cdf(%a, %a, %a, %a) = %a", x, df1, df2, ncp, out);
    if (status == 0)
        FUZZ_REQUIRE(std::isfinite(out), "ncf_cdf(%a, %a, %a, %a) = %a", x, df1, df2, ncp, out);
    return outputs{status, {out, 0.0}};
}

outputs fuzz_beta_inc(double x, double a, double b, bool nearest)
{
    double w = untouched, w1 = untouched;
    beta_inc_trace t;
    int32_t status = beta_inc_traced(x, a, b, &w, &w1, &t);
    FUZZ_REQUIRE(t.steps <= (beta_large_shapes(a, b) ? beta_inc_large_step_cap : beta_inc_step_cap),
                 "beta_inc(%a, %a, %a) took %d steps", x, a, b, t.steps);
    bool shape_bound = a > 2147483647.0 || b > 2147483647.0;
    if (status == 1) {
        FUZZ_REQUIRE(shape_bound && w == untouched && w1 == untouched,
                     "beta_inc(%a, %a, %a) status 1 with w %a, w1 %a", x, a, b, w, w1);
    } else if (status == -1) {
        FUZZ_REQUIRE(!shape_bound && w == -1.0 && w1 == 0.0,
                     "beta_inc(%a, %a, %a) status -1 with w %a, w1 %a", x, a, b, w, w1);
    } else {
        FUZZ_REQUIRE(status == 0 && !shape_bound, "beta_inc(%a, %a, %a) status %d", x, a, b, status);
        FUZZ_REQUIRE(w >= 0.0 && w <= 1.0, "beta_inc(%a, %a, %a) = %a", x, a, b, w);
        if (nearest)
            FUZZ_REQUIRE(w1 >= 0.0, "beta_inc(%a, %a, %a) density %a", x, a, b, w1);
    }
    return outputs{status, {w, w1}};
}

// The oracle of a root: ncf_cdf at the lambda found gives p back.  The
// search's own tests bound the error of lambda by about 1e-12 kappa lambda
// (kappa = |p / (lambda dP/dlambda)|), that is of P by 1e-12 p; the Newton
// phase stops on successive probabilities within 1e-7 p.  1e-6 p is far
// above both and below any root that is wrong.
constexpr double root_probability_tolerance = 1e-6;
// A subnormal p or P has only absolute accuracy: one unit of 2^-1074.
constexpr double min_subnormal = 0x1p-1074;

outputs fuzz_fnonct_search(double x, double df1, double df2, double p, bool nearest)
{
    double lam = untouched;
    fnonct_search_trace t;
    int32_t status = fnonct_search_traced(x, df1, df2, p, &lam, &t);
    FUZZ_REQUIRE(status >= fnonct_search_found && status <= fnonct_search_failed,
                 "fnonct_search(%a, %a, %a, %a) status %d", x, df1, df2, p, status);
    FUZZ_REQUIRE(t.phase1_passes <= fnonct_phase1_pass_limit && t.phase2_passes <= newton_pass_cap
                     && t.cdf_calls <= search_cdf_call_cap,
                 "fnonct_search(%a, %a, %a, %a): %d + %d passes, %d calls", x, df1, df2, p,
                 t.phase1_passes, t.phase2_passes, t.cdf_calls);
    if (status == 0) {
        FUZZ_REQUIRE(lam >= 0.0 && std::isfinite(lam), "fnonct_search(%a, %a, %a, %a) = %a", x, df1,
                     df2, p, lam);
        double back;
        if (nearest && range_promised(x, df1, df2) && ncf_cdf(x, df1, df2, lam, &back) == 0)
            FUZZ_REQUIRE(std::fabs(back - p) <= root_probability_tolerance * p + min_subnormal,
                         "fnonct_search(%a, %a, %a, %a) = %a, where ncf_cdf gives %a", x, df1, df2,
                         p, lam, back);
    }
    return outputs{status, {status == 0 ? lam : 0.0, 0.0}};
}

outputs fuzz_scale_exponent(double v)
{
    int32_t e = 12345;
    double m = scale_exponent(v, &e);
    if (v == 0.0) {
        FUZZ_REQUIRE(e == 0 && std::memcmp(&m, &v, sizeof m) == 0, "scale_exponent(%a) = %a, %d", v,
                     m, e);
    } else if (std::isfinite(v)) {
        FUZZ_REQUIRE(std::fabs(m) >= 0.5 && std::fabs(m) < 1.0 && std::signbit(m) == std::signbit(v)
                         && std::ldexp(m, e) == v,
                     "scale_exponent(%a) = %a, %d", v, m, e);
    }
    return outputs{e, {m, 0.0}};
}

outputs run(uint8_t which, const double* arg, bool nearest)
{
    switch (which) {
    case r_ncf_cdf: return fuzz_ncf_cdf(arg[0], arg[1], arg[2], arg[3], nearest);
    case r_beta_inc: return fuzz_beta_inc(arg[0], arg[1], arg[2], nearest);
    case r_fnonct_search: return fuzz_fnonct_search(arg[0], arg[1], arg[2], arg[3], nearest);
    default: return fuzz_scale_exponent(arg[0]);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz_bytes in{data, size, 0};
    uint8_t which = static_cast<uint8_t>(fuzz_byte(in) % routine_count);
    uint8_t env_byte = fuzz_byte(in);
    double arg[4];
    for (double& a : arg)
        a = fuzz_double(in);

    outputs full;
    bool compared;
    const outputs got = fuzz_run_in_env(
        env_byte, [&](bool nearest) { return run(which, arg, nearest); }, &full, &compared);
    if (compared)
        FUZZ_REQUIRE(got.status == full.status
                         && std::memcmp(got.value, full.value, sizeof got.value) == 0,
                     "routine %d (%a, %a, %a, %a): %d %a %a under %d-bit precision, %d %a %a under 64",
                     which, arg[0], arg[1], arg[2], arg[3], got.status, got.value[0], got.value[1],
                     fuzz_env_precision_bits(env_byte), full.status, full.value[0], full.value[1]);
    return 0;
}
