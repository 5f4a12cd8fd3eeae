// The records the module hands the host, byte by byte, read from the module
// file loaded at run time as a host reads them.  Offsets before the first
// address field are the same on every target; from the module list on they
// depend on the address width (32-bit: the host's own layout, 64-bit: the
// address fields widened in place with natural alignment).

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "host/host.h"
#include "module/host_services.h"
#include "module/host_vector.h"
#include "support/loaded_module.h"

namespace {

constexpr bool wide = sizeof(void*) == 8;
constexpr size_t image_list_at = wide ? 88 : 84;
constexpr size_t image_copyright_at = wide ? 96 : 88;
constexpr size_t image_level_at = wide ? 104 : 92;
constexpr size_t record_size = wide ? 48 : 44;
constexpr size_t descriptor_evaluate_at = 40;

uint32_t u32_at(const void* block, size_t offset)
{
    const auto* b = static_cast<const unsigned char*>(block) + offset;
    return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

int16_t i16_at(const void* block, size_t offset)
{
    const auto* b = static_cast<const unsigned char*>(block) + offset;
    return static_cast<int16_t>(uint16_t(b[0]) | uint16_t(b[1]) << 8);
}

void* address_at(const void* block, size_t offset)
{
    void* a;
    std::memcpy(&a, static_cast<const unsigned char*>(block) + offset, sizeof a);
    return a;
}

// `text` followed by NUL bytes up to `width`, exactly.
void expect_padded_text(const void* block, size_t offset, size_t width, const char* text)
{
    std::vector<char> want(width, '\0');
    std::memcpy(want.data(), text, std::strlen(text));
    EXPECT_EQ(std::memcmp(static_cast<const char*>(block) + offset, want.data(), width), 0)
        << "text at byte " << offset << ": \"" << text << "\" padded to " << width;
}

class ModuleRecords : public ::testing::Test {
protected:
    void SetUp() override
    {
        host_reset();
        module = loaded_module_copy();
        ASSERT_NE(module, nullptr);
        auto entry = reinterpret_cast<module_entry>(loader_symbol(&module->library, "mcn_main"));
        ASSERT_NE(entry, nullptr);
        image = entry(host_vector_address(), 0);
        ASSERT_NE(image, nullptr);
        list = address_at(image, image_list_at);
        record = address_at(list, 0);
        describe = reinterpret_cast<describe_callback>(address_at(record, 24));
    }

    const host_module* module = nullptr;
    const void* image = nullptr;
    const void* list = nullptr;
    const void* record = nullptr;
    describe_callback describe = nullptr;
};

}  // namespace

TEST_F(ModuleRecords, ImageInformationBlock)
{
    const auto* b = static_cast<const unsigned char*>(image);
    EXPECT_EQ(std::memcmp(b, "ZOR_Image_Information=\0\0", 24), 0) << "marker with its two NULs";
    EXPECT_EQ(b[24], 0xED);  // little-endian 0xB0BDEBED
    EXPECT_EQ(b[27], 0xB0);
    EXPECT_EQ(u32_at(image, 24), 0xB0BDEBEDu);
    EXPECT_EQ(u32_at(image, 28), 8u);
    expect_padded_text(image, 32, 6, "8.00");
    expect_padded_text(image, 38, 20, "8.01.01M0P041000");
    expect_padded_text(image, 58, 26, "Apr 10 2000");
    expect_padded_text(image, image_level_at, 4, "001");

    const char* copyright = static_cast<const char*>(address_at(image, image_copyright_at));
    ASSERT_NE(copyright, nullptr);
    const size_t length = std::strlen(copyright);
    EXPECT_GT(length, 0u);
    EXPECT_EQ(std::memchr(copyright, '\n', length), nullptr) << "a single text line";
}

TEST_F(ModuleRecords, ModuleListHoldsOneRecordThenAZeroWord)
{
    EXPECT_NE(address_at(list, 0), nullptr);
    EXPECT_EQ(address_at(list, sizeof(void*)), nullptr);
}

TEST_F(ModuleRecords, ModuleRecord)
{
    const auto* b = static_cast<const unsigned char*>(record);
    const unsigned char lead[4] = {0x00, 0x00, 0xFF, 0xFF};
    EXPECT_EQ(std::memcmp(b, lead, 4), 0);
    EXPECT_EQ(u32_at(record, 4), 1024u);
    EXPECT_EQ(u32_at(record, 8), 1024u);
    EXPECT_EQ(std::memcmp(b + 12, "kelbrant", 8), 0) << "eight characters, no terminator";
    EXPECT_EQ(u32_at(record, 20), 0u) << "the word after the name is 0, not a NUL-padded text";
    EXPECT_NE(describe, nullptr);
    const size_t tail = wide ? 32 : 28;
    EXPECT_EQ(u32_at(record, tail), 1u);
    EXPECT_EQ(u32_at(record, tail + 4), 9683u);
    EXPECT_EQ(u32_at(record, tail + 8), 1154823u);
    EXPECT_EQ(u32_at(record, tail + 12), 15u);
    EXPECT_EQ(tail + 16, record_size);
}

TEST_F(ModuleRecords, FunctionListRecordLeadsToTheDescriptor)
{
    const int32_t before = host_log()->allocations;
    void* answer = describe(1);
    ASSERT_NE(answer, nullptr);
    EXPECT_EQ(host_log()->allocations, before + 1);
    EXPECT_EQ(host_log()->last_size, wide ? 16 : 8);
    EXPECT_EQ(host_log()->last_constant, 6);
    EXPECT_EQ(u32_at(answer, 0), 1u);
    const void* descriptor = address_at(answer, sizeof(void*));
    host_release(answer);
    ASSERT_NE(descriptor, nullptr);

    expect_padded_text(descriptor, 0, 24, "FNONCT");
    EXPECT_EQ(i16_at(descriptor, 24), 4);
    EXPECT_EQ(i16_at(descriptor, 26), 4);
    EXPECT_EQ(u32_at(descriptor, 28), 0x42u);
    EXPECT_EQ(u32_at(descriptor, 32), 0u);
    EXPECT_EQ(u32_at(descriptor, 36), 0x249u) << "code 1 in each of four 3-bit groups";
    EXPECT_NE(address_at(descriptor, descriptor_evaluate_at), nullptr);
}

TEST_F(ModuleRecords, RoutineListCarriesTheEvaluateCallbackAndLeavesWordZero)
{
    void* functions = describe(1);
    ASSERT_NE(functions, nullptr);
    const void* descriptor = address_at(functions, sizeof(void*));
    host_release(functions);

    void* routines = describe(2);
    ASSERT_NE(routines, nullptr);
    EXPECT_EQ(host_log()->last_size, static_cast<int32_t>(2 * sizeof(void*)));
    EXPECT_EQ(host_log()->last_constant, 6);
    EXPECT_EQ(address_at(routines, sizeof(void*)), address_at(descriptor, descriptor_evaluate_at));
    const auto* word0 = static_cast<const unsigned char*>(routines);
    for (size_t i = 0; i < sizeof(void*); ++i)
        EXPECT_EQ(word0[i], host_fresh_block_byte) << "word 0 byte " << i << " was written";
    host_release(routines);
}

TEST_F(ModuleRecords, EveryRequestGetsAFreshBlock)
{
    for (int32_t request : {1, 2}) {
        void* first = describe(request);
        void* second = describe(request);
        ASSERT_NE(first, nullptr);
        ASSERT_NE(second, nullptr);
        EXPECT_NE(first, second) << "request " << request;
        host_release(first);
        host_release(second);
    }
}

TEST_F(ModuleRecords, OtherRequestsAnswerZeroAndAllocateNothing)
{
    const int32_t before = host_log()->allocations + host_log()->refused_allocations;
    for (int32_t request : {0, 3, -1, 4, 1000})
        EXPECT_EQ(describe(request), nullptr) << "request " << request;
    EXPECT_EQ(host_log()->allocations + host_log()->refused_allocations, before);
}

TEST(ModuleEntry, SecondCallReplacesTheHostVectorAndAnswersTheSameBlock)
{
    // The copy linked into this program shows its global.
    void* other_vector[host_vector_words] = {};
    void* first = mcn_main(host_vector_address(), 7);
    EXPECT_EQ(host_vector_current(), host_vector_address());
    void* second = mcn_main(other_vector, 0);
    EXPECT_EQ(host_vector_current(), static_cast<void*>(other_vector));
    EXPECT_EQ(first, second);
    host_vector_store(nullptr);
}

TEST(ModuleEntry, LoadedAndLinkedCopiesKeepSeparateHostVectors)
{
    host_vector_store(nullptr);
    ASSERT_NE(loaded_module_copy(), nullptr);
    auto entry = reinterpret_cast<module_entry>(
        loader_symbol(&loaded_module_copy()->library, "mcn_main"));
    ASSERT_NE(entry, nullptr);
    EXPECT_NE(reinterpret_cast<void*>(entry), reinterpret_cast<void*>(mcn_main));
    entry(host_vector_address(), 0);
    EXPECT_EQ(host_vector_current(), nullptr) << "the loaded copy wrote the linked copy's global";
}

TEST(ModuleExports, McnMainIsTheOnlyExport)
{
    const std::string command = "nm -D --defined-only " + module_file_path() + " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::vector<std::string> symbols;
    char line[512];
    while (std::fgets(line, sizeof line, pipe) != nullptr) {
        std::string text(line);
        while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
            text.pop_back();
        const size_t space = text.rfind(' ');
        symbols.push_back(space == std::string::npos ? text : text.substr(space + 1));
    }
    const int status = pclose(pipe);
    if (status != 0 && symbols.empty())
        GTEST_SKIP() << "nm is not available";
    ASSERT_EQ(symbols.size(), 1u) << "first extra symbol: " << (symbols.size() > 1 ? symbols[1] : "");
    EXPECT_EQ(symbols[0], "mcn_main");
}

TEST(BuildDescription, KindsCountsAndTheUntouchedWordZero)
{
    host_reset();
    mcn_main(host_vector_address(), 0);
    int marker[3];
    void* const values[3] = {&marker[0], &marker[1], &marker[2]};

    struct routine_list_case {
        int32_t count;
        int32_t words;  // allocated
    };
    const routine_list_case cases[] = {{3, 4}, {1, 2}, {0, 1}, {-2, 1}};
    for (const routine_list_case& c : cases) {
        SCOPED_TRACE(::testing::Message() << "count " << c.count);
        auto* list = static_cast<void**>(build_description(2, c.count, nullptr, values));
        ASSERT_NE(list, nullptr);
        EXPECT_EQ(host_log()->last_size, c.words * static_cast<int32_t>(sizeof(void*)));
        const auto* word0 = reinterpret_cast<const unsigned char*>(list);
        for (size_t i = 0; i < sizeof(void*); ++i)
            EXPECT_EQ(word0[i], host_fresh_block_byte);
        for (int32_t i = 1; i <= c.count; ++i)
            EXPECT_EQ(list[i], values[i - 1]) << "word " << i;
        host_release(list);
    }

    auto* record = static_cast<function_list_record*>(build_description(1, 7, &marker[1], nullptr));
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->count, 7);
    EXPECT_EQ(static_cast<const void*>(record->first), static_cast<const void*>(&marker[1]));
    host_release(record);

    const int32_t before = host_log()->allocations + host_log()->refused_allocations;
    for (int32_t kind : {0, 3, -1})
        EXPECT_EQ(build_description(kind, 1, &marker[0], values), nullptr) << "kind " << kind;
    EXPECT_EQ(host_log()->allocations + host_log()->refused_allocations, before);
    host_vector_store(nullptr);
}
