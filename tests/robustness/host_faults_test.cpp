// The library routines that answer the host's missing value, run before any
// host has installed a host vector (the command line and the tests call them
// directly): they must not read through a null address, and the missing
// value is then a quiet NaN.  (With a host installed, its missing value
// arrives bit for bit: tests/library/beta_log_density_test.cpp.)

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "library/densities.h"
#include "module/host_services.h"

namespace {

bool is_quiet_nan(double v)
{
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return (bits & 0x7FF0000000000000ULL) == 0x7FF0000000000000ULL
        && (bits & 0x0008000000000000ULL) != 0;
}

}  // namespace

TEST(HostFaults, MissingValueWithoutAHostIsAQuietNaN)
{
    host_vector_store(nullptr);
    struct density_case {
        const char* what;
        int32_t (*call)(double* out);
    };
    const density_case cases[] = {
        {"beta_log_density at x = 0, a = 2", [](double* out) { return beta_log_density(0.0, 2.0, 3.0, out); }},
        {"beta_log_density at x = 1, b = 0.5", [](double* out) { return beta_log_density(1.0, 2.0, 0.5, out); }},
        {"gamma_log_density at x = 0, a = 2", [](double* out) { return gamma_log_density(0.0, 2.0, out); }},
    };
    for (const density_case& c : cases) {
        double out = 1.0;
        EXPECT_EQ(c.call(&out), 0) << c.what;
        EXPECT_TRUE(is_quiet_nan(out)) << c.what << ": " << out;
    }
}
