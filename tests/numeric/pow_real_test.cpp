// pow_real: accuracy against mpmath (tests/reference/gen_numeric.py), exact
// cases, the ends of the double range, parity of negative bases,
// independence from the caller's x87 precision, and the domain errors, which
// reach the host's math-error service with the math error record.  For
// those a small host vector of the test's own stands in for the host: its
// service notes what it receives and the flag byte it finds, then either
// leaves by longjmp (as a real host's service does) or returns.

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <csetjmp>
#include <cstdint>
#include <cstring>

#include "module/host_services.h"
#include "module/host_vector.h"
#include "numeric/math_error_record.h"
#include "numeric/primitives.h"
#include "support/reference_check.h"
#include "support/x87_control.h"

namespace {

const reference_2 pow_rows[] = {
#include "data/numeric_pow.inc"
};

// The split form of exp_fast with t = y log2 x from one FYL2X.
constexpr double pow_tolerance_ulps = 1.0;

}  // namespace

TEST(PowReal, Accuracy)
{
    check_table("pow_real", "ulp", pow_rows,
                [](const reference_2& r) { return pow_real(r.a, r.b); },
                [](const reference_2& r, double got) {
                    return row_verdict{reference_ulp_error(got, r.hi, r.rel), pow_tolerance_ulps};
                });
}

TEST(PowReal, ExactCases)
{
    struct power_case {
        double x, y, expected;
    };
    const power_case cases[] = {
        {2.0, 10.0, 1024.0},
        {4.0, 0.5, 2.0},  // t = 1 exactly: split form with f = 0
        {2.0, -1.0, 0.5},
        {-2.0, 3.0, -8.0},
        {-2.0, 2.0, 4.0},
        {-2.0, -1.0, -0.5},
        {-0.5, 3.0, -0.125},
        {-1.0, 2147483647.0, -1.0},  // both ends of the 32-bit range
        {-1.0, -2147483648.0, 1.0},
        {2.0, -1074.0, 4.9406564584124654e-324},  // smallest subnormal, exact
        {2.0, 1023.0, 8.98846567431158e307},
        {2.0, 1024.0, INFINITY},
        {-2.0, 1025.0, -INFINITY},  // overflow keeps the parity sign
        {-2.0, 1024.0, INFINITY},
        {0.5, 1100.0, 0.0},
        {0.0, 3.0, 0.0},
        {-0.0, 3.0, 0.0},
        {0.0, 1e-300, 0.0},
    };
    for (const power_case& c : cases) {
        double got = pow_real(c.x, c.y);
        EXPECT_EQ(got, c.expected) << "pow_real(" << c.x << ", " << c.y << ")";
        EXPECT_EQ(std::signbit(got), std::signbit(c.expected)) << "pow_real(" << c.x << ", " << c.y << ")";
    }
}

TEST(PowReal, ZeroExponentGivesOne)
{
    // For a negative base, k = 0 counts as even.
    const double bases[] = {3.7, 1e-300, 1e300, DBL_MIN, -5.0, -1e-300, -1e300, 1.0, -1.0};
    for (double x : bases) {
        EXPECT_EQ(pow_real(x, 0.0), 1.0) << x;
        EXPECT_EQ(pow_real(x, -0.0), 1.0) << x;
    }
}

#if KELBRANT_X87

// A host may leave the x87 precision control at 53 bits (the Windows
// default); the extended steps must not depend on it, and the caller's
// control word must come back unchanged.
TEST(PowReal, IndependentOfHostPrecisionControl)
{
    const double pows[][2] = {{0.99999999999999833, -2.2052757741657539e+17},
                              {1.0000001, 6.5e9},
                              {3.0, 640.25},
                              {-7.5, 301.0},
                              {10.0, -307.5}};
    double extended[5];
    for (int i = 0; i < 5; ++i)
        extended[i] = pow_real(pows[i][0], pows[i][1]);

    uint16_t saved = control_word();
    uint16_t double_precision = static_cast<uint16_t>((saved & ~precision_mask) | precision_53);
    set_control_word(double_precision);
    double rounded[5];
    for (int i = 0; i < 5; ++i)
        rounded[i] = pow_real(pows[i][0], pows[i][1]);
    uint16_t after = control_word();
    set_control_word(saved);

    EXPECT_EQ(after, double_precision) << "the caller's control word must come back";
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(rounded[i], extended[i]) << "pow_real(" << pows[i][0] << ", " << pows[i][1] << ")";
}

#endif

namespace {

struct service_call {
    int calls;
    int32_t condition;
    void* group;
    int32_t error_class;
    void* record;
    unsigned char flag_on_entry;
};

// The fixture host: host vector words, the service table with group 1, the
// condition flags and a state block.
void* host_words[host_vector_words];
void* service_table[service_table_words];
void* group1[group1_math_error_service + 1];
unsigned char condition_flags[condition_flag_bytes];
unsigned char state_block[state_block_bytes];

service_call seen;
std::jmp_buf service_exit;

void note(int32_t condition, void* group, int32_t error_class, void* record)
{
    ++seen.calls;
    seen.condition = condition;
    seen.group = group;
    seen.error_class = error_class;
    seen.record = record;
    seen.flag_on_entry = condition_flags[condition_math_error];
}

int32_t service_that_leaves(int32_t condition, void* group, int32_t error_class, void* record)
{
    note(condition, group, error_class, record);
    std::longjmp(service_exit, 1);
}

int32_t service_that_returns(int32_t condition, void* group, int32_t error_class, void* record)
{
    note(condition, group, error_class, record);
    return 0;
}

class PowDomainError : public ::testing::Test {
protected:
    void install(host_math_error_service service)
    {
        std::memset(host_words, 0, sizeof host_words);
        std::memset(service_table, 0, sizeof service_table);
        std::memset(group1, 0, sizeof group1);
        std::memset(condition_flags, 0, sizeof condition_flags);
        host_words[host_vector_service_table] = service_table;
        host_words[host_vector_condition_flags] = condition_flags;
        host_words[host_vector_state_block] = state_block;
        service_table[service_table_group1] = group1;
        group1[group1_math_error_service] = reinterpret_cast<void*>(service);
        seen = service_call{};
        host_vector_store(host_words);
    }

    void TearDown() override { host_vector_store(nullptr); }
};

struct domain_case {
    double x, y;
};

// Negative bases with exponents that are not 32-bit integers (a fraction,
// an even integer beyond the range, just past either end), zero bases with
// y <= 0 (both signs of zero).
const domain_case domain_cases[] = {
    {-8.0, 0.333333333},  {-2.0, 4294967296.0}, {-2.0, 2147483648.0},
    {-2.0, -2147483649.0}, {-3.0, -0.5},        {-1e-300, 1e300},
    {0.0, 0.0},           {0.0, -1.0},          {-0.0, -2.0},
    {0.0, -0.0},
};

}  // namespace

TEST_F(PowDomainError, ServiceReceivesTheRecordAndDoesNotReturn)
{
    install(service_that_leaves);
    for (const domain_case& c : domain_cases) {
        SCOPED_TRACE(::testing::Message() << "pow_real(" << c.x << ", " << c.y << ")");
        condition_flags[condition_math_error] = 0;
        math_error.kind = 0;
        int calls_before = seen.calls;
        volatile bool returned = false;
        if (setjmp(service_exit) == 0) {
            pow_real(c.x, c.y);
            returned = true;
        }
        EXPECT_FALSE(returned) << "pow_real went on after the service";
        EXPECT_EQ(seen.calls, calls_before + 1);
        EXPECT_EQ(seen.flag_on_entry, 1) << "flag byte 1 is set before the service is entered";
        EXPECT_EQ(seen.condition, 1);
        EXPECT_EQ(seen.group, static_cast<void*>(group1));
        EXPECT_EQ(seen.error_class, 2);
        EXPECT_EQ(seen.record, static_cast<void*>(&math_error));

        // Exponent first, base second, bit for bit (the sign of a zero too).
        EXPECT_EQ(math_error.kind, 1);
        EXPECT_STREQ(math_error.function_name, "POW");
        EXPECT_EQ(std::memcmp(&math_error.first_argument, &c.y, sizeof(double)), 0)
            << "first argument " << math_error.first_argument;
        EXPECT_EQ(std::memcmp(&math_error.second_argument, &c.x, sizeof(double)), 0)
            << "second argument " << math_error.second_argument;
        EXPECT_EQ(math_error.return_value, 1.7976929999999999e+308);
    }
}

TEST_F(PowDomainError, ValidPowersLeaveTheHostAlone)
{
    install(service_that_leaves);
    const domain_case valid[] = {{-8.0, 3.0}, {-2.0, 2147483647.0}, {-2.0, -2147483648.0},
                                 {0.0, 2.0},  {-0.0, 1e-300},      {5.0, -0.333333333}};
    if (setjmp(service_exit) == 0) {
        for (const domain_case& c : valid)
            pow_real(c.x, c.y);
    }
    EXPECT_EQ(seen.calls, 0);
    EXPECT_EQ(condition_flags[condition_math_error], 0);
}

TEST_F(PowDomainError, ReturningServiceGetsNoComputation)
{
    // A host whose service returns: pow_real must not compute on, and its
    // quiet NaN turns into a failure in every caller.
    install(service_that_returns);
    for (const domain_case& c : domain_cases) {
        SCOPED_TRACE(::testing::Message() << "pow_real(" << c.x << ", " << c.y << ")");
        int calls_before = seen.calls;
        double r = pow_real(c.x, c.y);
        EXPECT_TRUE(std::isnan(r)) << r;
        EXPECT_EQ(seen.calls, calls_before + 1);
        EXPECT_EQ(math_error.second_argument, c.x);
    }
    // Nothing touched flag byte 30 or any other.
    for (int i = 0; i < condition_flag_bytes; ++i)
        EXPECT_EQ(condition_flags[i], i == condition_math_error ? 1 : 0) << "flag byte " << i;
}

TEST(PowDomainErrorNoHost, QuietNaNWithoutHost)
{
    // Before any host has called in, the record is still filled but no
    // service is entered, and the caller sees the quiet NaN.
    ASSERT_EQ(host_vector_current(), nullptr);
    EXPECT_TRUE(std::isnan(pow_real(-8.0, 0.333333333)));
    EXPECT_EQ(math_error.first_argument, 0.333333333);
    EXPECT_EQ(math_error.second_argument, -8.0);
    EXPECT_TRUE(std::isnan(pow_real(0.0, -1.0)));
    EXPECT_EQ(math_error.first_argument, -1.0);
    EXPECT_EQ(math_error.second_argument, 0.0);
}
