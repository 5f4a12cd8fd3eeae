// fnonct_describe: the describe callback named in the module record.  The
// host asks it for the list of function descriptors (request 1) and the list
// of their evaluate callbacks (request 2); each answer is a new block from the
// host allocator that belongs to the host from then on.  Any other request
// answers 0 and allocates nothing.  The evaluate callback's address is read
// from the descriptor, so the two answers cannot disagree.

#include "module/module_records.h"

void* fnonct_describe(int32_t request)
{
    if (request == describe_function_list)
        return build_description(describe_function_list, 1, &fnonct_descriptor, nullptr);
    if (request == describe_routine_list) {
        void* const routines[1] = {reinterpret_cast<void*>(fnonct_descriptor.evaluate)};
        return build_description(describe_routine_list, 1, nullptr, routines);
    }
    return nullptr;
}
