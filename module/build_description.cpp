// build_description: one describe answer in memory from the host allocator.
//
//   kind 1  function list record {count, first}: sizeof(function_list_record)
//           bytes, 8 with 32-bit addresses.
//   kind 2  routine list: count + 1 address words; words 1..count receive
//           values[0..count-1] and word 0 keeps whatever the allocator
//           delivered.  With count <= 0 the one-word block is left as it came.
//   other   0, nothing allocated.
//
// Every block is allocated with the host's constant 6 (host_allocate).  When
// the allocator answers 0 the module raises condition 30 with details 1016
// and 0 through the host's error service; the host is expected to take over
// there, and if the service does return the answer is 0 with nothing written.

#include "module/host_services.h"
#include "module/host_vector.h"
#include "module/module_records.h"

static void* allocate_or_raise(int32_t size)
{
    void* block = host_allocate(size);
    if (block == nullptr)
        host_error_call(error_detail_no_memory, 0);
    return block;
}

void* build_description(int32_t kind, int32_t count, const void* first, void* const* values)
{
    if (kind == describe_function_list) {
        auto* record = static_cast<function_list_record*>(
            allocate_or_raise(static_cast<int32_t>(sizeof(function_list_record))));
        if (record == nullptr)
            return nullptr;
        record->count = count;
        record->first = static_cast<const function_descriptor*>(first);
        return record;
    }
    if (kind == describe_routine_list) {
        int32_t words = count > 0 ? count + 1 : 1;
        auto* list = static_cast<void**>(
            allocate_or_raise(words * static_cast<int32_t>(sizeof(void*))));
        if (list == nullptr)
            return nullptr;
        for (int32_t i = 1; i <= count; ++i)
            list[i] = values[i - 1];
        return list;
    }
    return nullptr;
}
