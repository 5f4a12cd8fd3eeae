// Host services: the module's one global (the host vector, written by
// mcn_main and only read afterwards) and the calls through it.
//
// The module writes nothing in host memory but the two condition-flag bytes
// it raises.  Every call first checks that a host vector is installed: a
// routine of the numeric library may run before any host has called
// mcn_main (the command line and the tests call it directly), and it must
// then not read through a null address.  In that state allocation fails,
// the error services are not entered, and the missing value is a quiet NaN.

#include "module/host_services.h"

#include <cstring>

#include "module/host_vector.h"

static void* host_vector = nullptr;

void host_vector_store(void* vector) { host_vector = vector; }

void* host_vector_current() { return host_vector; }

static void* host_word(void* block, int index)
{
    return static_cast<void**>(block)[index];
}

void* host_allocate(int32_t size)
{
    if (host_vector == nullptr)
        return nullptr;
    void* allocator = host_word(host_vector, host_vector_allocator);
    auto allocate = reinterpret_cast<host_allocate_function>(host_word(allocator, allocator_function));
    return allocate(allocator, size, allocation_constant);
}

int32_t host_error_call(int32_t detail1, int32_t detail2)
{
    if (host_vector == nullptr)
        return 0;
    auto* flags = static_cast<unsigned char*>(host_word(host_vector, host_vector_condition_flags));
    flags[condition_host_error] = 1;
    void* group = host_word(host_word(host_vector, host_vector_service_table), service_table_group2);
    auto service = reinterpret_cast<host_error_service>(host_word(group, group2_error_service));
    return service(condition_host_error, group, host_error_class, detail1, detail2);
}

int32_t host_math_error_call(void* record)
{
    if (host_vector == nullptr)
        return 0;
    auto* flags = static_cast<unsigned char*>(host_word(host_vector, host_vector_condition_flags));
    flags[condition_math_error] = 1;
    void* group = host_word(host_word(host_vector, host_vector_service_table), service_table_group1);
    auto service = reinterpret_cast<host_math_error_service>(host_word(group, group1_math_error_service));
    return service(condition_math_error, group, math_error_class, record);
}

void host_missing_value(void* out)
{
    if (host_vector == nullptr) {
        // Quiet NaN, sign clear, no payload.
        const uint64_t quiet_nan = 0x7FF8000000000000ULL;
        std::memcpy(out, &quiet_nan, 8);
        return;
    }
    auto* state = static_cast<const unsigned char*>(host_word(host_vector, host_vector_state_block));
    std::memcpy(out, state + state_block_missing_value, 8);
}
