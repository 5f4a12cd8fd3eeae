// FNONCT through the evaluate callback of the loaded module, with the
// argument list our host builds: statuses, domain flags, the missing value
// bit for bit, and the worked values of the noncentrality search.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "fnonct/argument_list.h"
#include "host/host.h"
#include "support/loaded_module.h"

namespace {

constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double qnan = std::numeric_limits<double>::quiet_NaN();

double from_bits(uint64_t bits)
{
    double d;
    std::memcpy(&d, &bits, sizeof d);
    return d;
}

class FnonctEvaluate : public ::testing::Test {
protected:
    void SetUp() override
    {
        host_reset();
        module = loaded_module_copy();
        ASSERT_NE(module, nullptr);
    }
    void TearDown() override { host_reset(); }

    host_evaluation evaluate(double x, double df1, double df2, double p)
    {
        const double args[host_argument_count] = {x, df1, df2, p};
        host_evaluation e;
        host_evaluate(module, args, &e);
        EXPECT_EQ(e.guard.unwound, 0);
        EXPECT_EQ(e.host_bytes_intact, 1) << "the callback wrote host-owned bytes";
        return e;
    }

    const host_module* module = nullptr;
};

struct status_case {
    const char* what;
    double x, df1, df2, p;
    int32_t status;
    int flagged;  // the argument with the domain flag, 0 for none
};

const status_case status_cases[] = {
    // Missing values win over every domain check, in any position.
    {"x infinite", inf, 3, 10, 0.5, 120833, 0},
    {"df1 NaN, x out of domain", -1, qnan, 10, 0.5, 120833, 0},
    {"df2 minus infinity", 2, 3, -inf, 0.5, 120833, 0},
    {"p NaN, df1 out of domain", 2, 0, 10, qnan, 120833, 0},
    {"all missing", qnan, qnan, inf, -inf, 120833, 0},
    // The first failing argument decides, alone.
    {"x = -1 and df1 = 0", -1, 0, 10, 0.5, 120836, 1},
    {"x = -tiny", -1e-300, 3, 10, 0.5, 120836, 1},
    {"df1 = 0", 2, 0, 10, 0.5, 120836, 2},
    {"df1 < 0 and df2 = 0", 2, -3, 0, 0.5, 120836, 2},
    {"df2 = 0", 2, 3, 0, 0.5, 120836, 3},
    {"df2 = -0", 2, 3, -0.0, 0.5, 120836, 3},
    {"p = 0", 2, 3, 10, 0.0, 120836, 4},
    {"p = 1", 2, 3, 10, 1.0, 120836, 4},
    {"p < 0", 2, 3, 10, -0.25, 120836, 4},
    {"p > 1", 2, 3, 10, 1.5, 120836, 4},
    // In domain, but the search finds no noncentrality: no flag.
    {"x = 0", 0, 3, 10, 0.5, 120836, 0},
    {"x = -0", -0.0, 3, 10, 0.5, 120836, 0},
    {"p above the central probability", 0.5, 3, 10, 0.9, 120836, 0},
    {"p above the search's limit", 1000, 3, 10, 0.99999995, 120836, 0},
    // Success.
    {"worked example", 2, 3, 10, 0.5, 0, 0},
    {"p just inside the search's limit", 1000, 3, 10, 0.9999999, 0, 0},
};

}  // namespace

TEST_F(FnonctEvaluate, StatusesAndDomainFlags)
{
    for (const status_case& c : status_cases) {
        SCOPED_TRACE(c.what);
        const host_evaluation e = evaluate(c.x, c.df1, c.df2, c.p);
        EXPECT_EQ(e.status, c.status);
        for (int i = 0; i < host_argument_count; ++i) {
            const unsigned char want =
                host_flag_bits | (i + 1 == c.flagged ? argument_domain_flag : 0);
            EXPECT_EQ(e.flags[i], want) << "flag byte of argument " << i + 1;
        }
        if (c.status == 0) {
            const double lambda = from_bits(e.result_bits);
            EXPECT_TRUE(std::isfinite(lambda));
            EXPECT_GE(lambda, 0.0);
        } else {
            EXPECT_EQ(e.result_bits, host_missing_value_bits()) << "the slot holds the missing value";
        }
    }
}

TEST_F(FnonctEvaluate, MissingValueIsCopiedBitForBit)
{
    // A quiet NaN with a payload and sign, a signalling NaN (which a trip
    // through a floating-point register would quiet), and an infinity.
    const uint64_t missing_values[] = {0xFFF8DEADBEEF0001ULL, 0x7FF4000000000BADULL,
                                       0x7FF0000000000001ULL, 0xFFF0000000000000ULL};
    const status_case failures[] = {
        {"missing argument", qnan, 3, 10, 0.5, 120833, 0},
        {"out of domain", 2, 3, 10, 1.0, 120836, 4},
        {"no solution", 0.5, 3, 10, 0.9, 120836, 0},
    };
    for (uint64_t bits : missing_values) {
        host_set_missing_value(bits);
        for (const status_case& c : failures) {
            SCOPED_TRACE(::testing::Message() << c.what << ", missing value 0x" << std::hex << bits);
            const host_evaluation e = evaluate(c.x, c.df1, c.df2, c.p);
            EXPECT_EQ(e.status, c.status);
            EXPECT_EQ(e.result_bits, bits);
        }
    }
}

TEST_F(FnonctEvaluate, SignallingNaNArgumentCountsAsMissing)
{
    const double snan = from_bits(0x7FF0000000000BADULL);
    for (int position = 0; position < host_argument_count; ++position) {
        double args[host_argument_count] = {2, 3, 10, 0.5};
        std::memcpy(&args[position], &snan, sizeof snan);
        host_evaluation e;
        host_evaluate(module, args, &e);
        EXPECT_EQ(e.status, 120833) << "argument " << position + 1;
    }
}

TEST_F(FnonctEvaluate, WorkedValues)
{
    // The values the search is known to reach, quoted to six digits.
    struct worked {
        double x, df1, df2, p, lambda, quoted_to;
    };
    const worked cases[] = {
        {2, 3, 10, 0.5, 3.55910, 5e-6},
        {1.5, 2, 20, 0.1, 7.88582, 5e-6},
        {10, 4, 30, 0.05, 67.3592, 5e-5},
    };
    for (const worked& c : cases) {
        const host_evaluation e = evaluate(c.x, c.df1, c.df2, c.p);
        ASSERT_EQ(e.status, 0);
        EXPECT_NEAR(from_bits(e.result_bits), c.lambda, c.quoted_to)
            << "FNONCT(" << c.x << ", " << c.df1 << ", " << c.df2 << ", " << c.p << ")";
    }
}

TEST(FindMissingArgument, HighestNumberedMissingWithinTheCount)
{
    struct list_of_four {
        argument_list_header header;
        argument_entry entries[4];
    };
    struct scan_case {
        double values[4];
        int32_t n;
        int32_t found;
    };
    const scan_case cases[] = {
        {{1, 2, 3, 4}, 4, 0},
        {{qnan, 2, 3, 4}, 4, 1},
        {{qnan, 2, inf, 4}, 4, 3},
        {{qnan, qnan, qnan, -inf}, 4, 4},
        {{1, 2, 3, qnan}, 3, 0},  // beyond n is not looked at
        {{qnan, 2, 3, 4}, 0, 0},
        {{1, std::numeric_limits<double>::max(), 3, 4}, 4, 0},
        {{1, std::numeric_limits<double>::denorm_min(), -0.0, 4}, 4, 0},
    };
    for (const scan_case& c : cases) {
        list_of_four list{};
        list.header.count = 4;
        for (int i = 0; i < 4; ++i)
            list.entries[i].value = &c.values[i];
        EXPECT_EQ(find_missing_argument(&list, c.n), c.found)
            << c.values[0] << " " << c.values[1] << " " << c.values[2] << " " << c.values[3]
            << " n = " << c.n;
    }
}
