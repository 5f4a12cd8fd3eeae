// The host vector of our own host and the services behind it.
//
//   host vector    word 0  service table
//                  word 1  condition-flag array, one byte per condition
//                  word 9  state block; the missing value is the double at byte 368
//                  word 10 allocator object; its word 0 is the allocation function
//   service table  word 1  group 1 (word 2: the math-error service)
//                  word 30 group 2 (word 4: the error service)
//
// Every service takes its leading values (condition number, group address,
// class) as ordinary arguments ahead of the caller's.  The allocator hands
// out malloc blocks filled with host_fresh_block_byte, or 0 while a test has
// made it fail.  The error service notes its call and returns 0, so the
// module's own answer to a failure (describe answering 0) shows.  The
// math-error service notes the record and unwinds to the guarded call that
// entered the module (host_guard.cpp).

#include <cstdlib>
#include <cstring>

#include "host/host.h"
#include "module/host_vector.h"
#include "numeric/math_error_record.h"

namespace {

void* vector_words[host_vector_words];
void* service_table[service_table_words];
void* group1[group1_math_error_service + 1];
void* group2[group2_error_service + 1];
void* allocator_object[allocator_function + 1];
unsigned char condition_flags[condition_flag_bytes];
alignas(8) unsigned char state_block[state_block_bytes];

bool allocator_failing = false;
host_service_log log;

void* allocate(void* allocator, int32_t size, int32_t constant)
{
    (void)allocator;
    log.last_size = size;
    log.last_constant = constant;
    if (allocator_failing || size <= 0) {
        ++log.refused_allocations;
        return nullptr;
    }
    void* block = std::malloc(static_cast<size_t>(size));
    if (block == nullptr) {
        ++log.refused_allocations;
        return nullptr;
    }
    std::memset(block, host_fresh_block_byte, static_cast<size_t>(size));
    ++log.allocations;
    return block;
}

int32_t error_service(int32_t condition, void* group, int32_t error_class, int32_t detail1,
                      int32_t detail2)
{
    ++log.error_calls;
    log.last_error = host_error_report{condition, group, error_class, detail1, detail2,
                                       condition_flags[condition]};
    return 0;
}

int32_t math_error_service(int32_t condition, void* group, int32_t error_class, void* record)
{
    host_math_error_report report{};
    report.condition = condition;
    report.group = group;
    report.error_class = error_class;
    report.record = record;
    report.flag_on_entry = condition_flags[condition];
    const auto* fields = static_cast<const math_error_record*>(record);
    report.kind = fields->kind;
    if (fields->function_name != nullptr)
        std::strncpy(report.function_name, fields->function_name, sizeof report.function_name - 1);
    std::memcpy(&report.first_argument, &fields->first_argument, sizeof(double));
    std::memcpy(&report.second_argument, &fields->second_argument, sizeof(double));
    if (host_math_error_unwind(&report) == 0)
        ++log.unguarded_math_errors;
    return 0;
}

bool built = false;

void build_vector()
{
    vector_words[host_vector_service_table] = service_table;
    vector_words[host_vector_condition_flags] = condition_flags;
    vector_words[host_vector_state_block] = state_block;
    vector_words[host_vector_allocator] = allocator_object;
    service_table[service_table_group1] = group1;
    service_table[service_table_group2] = group2;
    group1[group1_math_error_service] = reinterpret_cast<void*>(math_error_service);
    group2[group2_error_service] = reinterpret_cast<void*>(error_service);
    allocator_object[allocator_function] = reinterpret_cast<void*>(allocate);
    host_set_missing_value(host_default_missing_bits);
    built = true;
}

}  // namespace

void* host_vector_address()
{
    if (!built)
        build_vector();
    return vector_words;
}

void host_reset()
{
    host_vector_address();
    std::memset(condition_flags, 0, sizeof condition_flags);
    log = host_service_log{};
    allocator_failing = false;
    host_set_missing_value(host_default_missing_bits);
}

void host_set_allocator_failing(bool failing) { allocator_failing = failing; }

void host_release(void* block) { std::free(block); }

unsigned char* host_condition_flags() { return condition_flags; }

void host_set_missing_value(uint64_t bits)
{
    std::memcpy(state_block + state_block_missing_value, &bits, sizeof bits);
}

uint64_t host_missing_value_bits()
{
    uint64_t bits;
    std::memcpy(&bits, state_block + state_block_missing_value, sizeof bits);
    return bits;
}

const host_service_log* host_log() { return &log; }
