// The host services as the module meets them: allocation failure in the
// describe callback, pow_real's math error unwinding to our host, guards
// that nest and stay per thread, the missing value, and the checks our host
// makes on what a module answers.

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>
#include <thread>

#include "host/host.h"
#include "host/linked_module.h"
#include "module/host_services.h"
#include "module/host_vector.h"
#include "numeric/math_error_record.h"
#include "numeric/primitives.h"
#include "support/loaded_module.h"

namespace {

void* vector_word(int index) { return static_cast<void**>(host_vector_address())[index]; }

void* service_group(int index) { return static_cast<void**>(vector_word(host_vector_service_table))[index]; }

class HostServices : public ::testing::Test {
protected:
    void SetUp() override { host_reset(); }
    void TearDown() override
    {
        host_reset();
        host_vector_store(nullptr);
    }
};

}  // namespace

TEST_F(HostServices, ExhaustedMemoryRaisesConditionThirtyAndDescribeAnswersZero)
{
    const host_module* module = loaded_module_copy();
    ASSERT_NE(module, nullptr);
    describe_callback describe = module->record->describe;
    for (int32_t request : {1, 2}) {
        SCOPED_TRACE(::testing::Message() << "describe request " << request);
        host_reset();
        host_set_allocator_failing(true);
        EXPECT_EQ(describe(request), nullptr);
        const host_service_log* log = host_log();
        EXPECT_EQ(log->refused_allocations, 1);
        EXPECT_EQ(log->last_constant, 6);
        ASSERT_EQ(log->error_calls, 1);
        EXPECT_EQ(log->last_error.flag_on_entry, 1) << "flag byte 30 set before the service";
        EXPECT_EQ(log->last_error.condition, 30);
        EXPECT_EQ(log->last_error.group, service_group(service_table_group2));
        EXPECT_EQ(log->last_error.error_class, 4);
        EXPECT_EQ(log->last_error.detail1, 1016);
        EXPECT_EQ(log->last_error.detail2, 0);
        for (int i = 0; i < condition_flag_bytes; ++i)
            EXPECT_EQ(host_condition_flags()[i], i == 30 ? 1 : 0) << "flag byte " << i;
    }
    // Without a request to answer, nothing is allocated and nothing raised.
    host_reset();
    host_set_allocator_failing(true);
    EXPECT_EQ(describe(3), nullptr);
    EXPECT_EQ(host_log()->error_calls, 0);
    EXPECT_EQ(host_log()->refused_allocations, 0);
}

TEST_F(HostServices, AttachReportsAnExhaustedAllocator)
{
    host_set_allocator_failing(true);
    host_module copy;
    char error[256];
    EXPECT_NE(host_attach_static(&copy, error, sizeof error), 0);
    EXPECT_NE(std::string(error).find("describe request 1 answered 0"), std::string::npos) << error;
}

namespace {

void power_of_negative_base(void*) { pow_real(-8.0, 0.333333333); }

}  // namespace

TEST_F(HostServices, PowDomainErrorUnwindsToTheHostWithTheRecord)
{
    host_module copy;
    char error[256];
    ASSERT_EQ(host_attach_static(&copy, error, sizeof error), 0) << error;

    host_guard_outcome outcome;
    host_guarded_call(power_of_negative_base, nullptr, &outcome);
    ASSERT_EQ(outcome.unwound, 1) << "the math-error service returned into the module";
    const host_math_error_report& e = outcome.error;
    EXPECT_EQ(e.flag_on_entry, 1) << "flag byte 1 set before the service";
    EXPECT_EQ(host_condition_flags()[1], 1);
    EXPECT_EQ(e.condition, 1);
    EXPECT_EQ(e.group, service_group(service_table_group1));
    EXPECT_EQ(e.error_class, 2);
    EXPECT_EQ(e.record, static_cast<const void*>(&math_error));
    EXPECT_EQ(e.kind, 1);
    EXPECT_STREQ(e.function_name, "POW");
    EXPECT_EQ(e.first_argument, 0.333333333) << "exponent first";
    EXPECT_EQ(e.second_argument, -8.0) << "then the base";
    EXPECT_EQ(host_log()->unguarded_math_errors, 0);
}

TEST_F(HostServices, MathErrorWithoutAGuardReturnsAndPowRealComputesNothing)
{
    host_module copy;
    char error[256];
    ASSERT_EQ(host_attach_static(&copy, error, sizeof error), 0) << error;
    EXPECT_TRUE(std::isnan(pow_real(0.0, -1.0)));
    EXPECT_EQ(host_log()->unguarded_math_errors, 1);
    EXPECT_EQ(host_condition_flags()[1], 1);
}

namespace {

struct nested_run {
    host_guard_outcome inner;
    int after_inner;  // reached the code after the inner guard
};

void raise_with(double base)
{
    host_math_error_report report{};
    report.second_argument = base;
    host_math_error_unwind(&report);
    ADD_FAILURE() << "host_math_error_unwind returned inside a guard";
}

void inner_body(void*) { raise_with(1.0); }

void outer_body(void* context)
{
    auto* run = static_cast<nested_run*>(context);
    host_guarded_call(inner_body, nullptr, &run->inner);
    run->after_inner = 1;
    raise_with(2.0);
}

}  // namespace

TEST_F(HostServices, GuardsNestAndEachErrorUnwindsToTheInnermost)
{
    nested_run run{};
    host_guard_outcome outer;
    host_guarded_call(outer_body, &run, &outer);
    EXPECT_EQ(run.inner.unwound, 1);
    EXPECT_EQ(run.inner.error.second_argument, 1.0);
    EXPECT_EQ(run.after_inner, 1) << "the inner error left the outer guard's body";
    EXPECT_EQ(outer.unwound, 1);
    EXPECT_EQ(outer.error.second_argument, 2.0);

    // With every guard gone, the service has nowhere to unwind to.
    host_math_error_report report{};
    EXPECT_EQ(host_math_error_unwind(&report), 0);
}

TEST_F(HostServices, GuardsArePerThread)
{
    // Each thread raises in its own guard and must land in it with its own
    // report, never in the other thread's frame.
    constexpr int rounds = 200;
    int landed[2] = {0, 0};
    auto worker = [&landed](int id) {
        for (int i = 0; i < rounds; ++i) {
            struct context { double base; } c{static_cast<double>(id * 1000 + i)};
            host_guard_outcome outcome;
            host_guarded_call([](void* p) { raise_with(static_cast<context*>(p)->base); }, &c,
                              &outcome);
            if (outcome.unwound == 1 && outcome.error.second_argument == c.base)
                ++landed[id];
        }
    };
    std::thread a(worker, 0), b(worker, 1);
    a.join();
    b.join();
    EXPECT_EQ(landed[0], rounds);
    EXPECT_EQ(landed[1], rounds);
}

TEST_F(HostServices, MissingValueComesFromTheStateBlockBitForBit)
{
    host_vector_store(host_vector_address());
    const uint64_t patterns[] = {host_default_missing_bits, 0x7FF4000000000BADULL,
                                 0xFFF8DEADBEEF0001ULL, 0x7FF0000000000001ULL};
    for (uint64_t bits : patterns) {
        host_set_missing_value(bits);
        uint64_t seen = 0;
        host_missing_value(&seen);
        EXPECT_EQ(seen, bits) << std::hex << bits;
    }
    // The default is a quiet NaN with the payload 0x2E.
    host_reset();
    uint64_t seen = 0;
    host_missing_value(&seen);
    EXPECT_EQ(seen, 0x7FF800000000002EULL);
}

TEST_F(HostServices, ImageChecksRejectWhatIsNotOurModule)
{
    struct damage {
        const char* what;
        size_t offset;
        unsigned char byte;
        const char* reason;
    };
    const damage cases[] = {
        {"marker letter", 0, 'z', "wrong marker"},
        {"first NUL of the padding", 22, ' ', "wrong marker"},
        {"second NUL of the padding", 23, 'x', "wrong marker"},
        {"constant", 24, 0xEE, "constant"},
    };
    char error[256];
    ASSERT_EQ(host_check_image(&image_information, error, sizeof error), 0) << error;
    for (const damage& d : cases) {
        image_information_block copy;
        std::memcpy(&copy, &image_information, sizeof copy);
        reinterpret_cast<unsigned char*>(&copy)[d.offset] = d.byte;
        EXPECT_NE(host_check_image(&copy, error, sizeof error), 0) << d.what;
        EXPECT_NE(std::string(error).find(d.reason), std::string::npos) << d.what << ": " << error;
    }
    image_information_block copy;
    std::memcpy(&copy, &image_information, sizeof copy);
    const module_record* const empty_list[1] = {nullptr};
    copy.module_list = empty_list;
    EXPECT_NE(host_check_image(&copy, error, sizeof error), 0);
    EXPECT_NE(host_check_image(nullptr, error, sizeof error), 0);
}

TEST(HostLoader, ReportsAFileThatCannotBeLoaded)
{
    host_module module;
    char error[1024];
    const char* path = KELBRANT_BUILD_DIR "/no-such-module.so";
    EXPECT_NE(host_open_module(path, &module, error, sizeof error), 0);
    EXPECT_NE(std::string(error).find(path), std::string::npos) << error;
    EXPECT_EQ(module.library.handle, nullptr);
}

TEST(HostLoader, PathBesideTheExecutable)
{
    char path[4096];
    ASSERT_EQ(loader_path_beside_executable(nullptr, "kelbrant.so", path, sizeof path), 0);
    // This test program lives in the build folder, beside the module.
    EXPECT_EQ(std::string(path), std::string(KELBRANT_BUILD_DIR) + "/kelbrant.so");
    char tiny[8];
    EXPECT_NE(loader_path_beside_executable(nullptr, "kelbrant.so", tiny, sizeof tiny), 0);
}
