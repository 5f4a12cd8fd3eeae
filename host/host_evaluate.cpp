// One evaluation of FNONCT through the module's evaluate callback, with the
// argument list a host builds: a 12-byte header of the host's own, the count
// 4 at byte 12, then four entries, each with the host's bytes, a flag byte
// and the address of a double.  The header and host bytes carry a pattern,
// and every flag byte carries host_flag_bits, so that anything the module
// writes beyond the domain flag shows.  The call runs under a guard: a math
// error raised inside comes back as an outcome, not a return.

#include <cstring>

#include "fnonct/argument_list.h"
#include "host/host.h"

namespace {

constexpr unsigned char header_pattern = 0x5A;
constexpr unsigned char host_byte_pattern = 0xC3;

struct fnonct_arguments {
    argument_list_header header;
    argument_entry entries[host_argument_count];
};

struct evaluate_call {
    evaluate_callback evaluate;
    fnonct_arguments* list;
    double* result;
    int32_t status;
};

void call_evaluate(void* context)
{
    auto* call = static_cast<evaluate_call*>(context);
    call->status = call->evaluate(call->list, call->result);
}

bool host_bytes_intact(const fnonct_arguments& list)
{
    for (unsigned char b : list.header.host_header)
        if (b != header_pattern)
            return false;
    if (list.header.count != host_argument_count)
        return false;
    for (const argument_entry& e : list.entries)
        if (e.host_byte != host_byte_pattern || e.host_bytes[0] != host_byte_pattern ||
            e.host_bytes[1] != host_byte_pattern || (e.flags & ~argument_domain_flag) != host_flag_bits)
            return false;
    return true;
}

}  // namespace

void host_evaluate(const host_module* module, const double* arguments, host_evaluation* out)
{
    double values[host_argument_count];
    std::memcpy(values, arguments, sizeof values);

    fnonct_arguments list;
    std::memset(&list, 0, sizeof list);
    std::memset(list.header.host_header, header_pattern, sizeof list.header.host_header);
    list.header.count = host_argument_count;
    for (int i = 0; i < host_argument_count; ++i) {
        list.entries[i].host_byte = host_byte_pattern;
        list.entries[i].flags = host_flag_bits;
        std::memset(list.entries[i].host_bytes, host_byte_pattern, sizeof list.entries[i].host_bytes);
        list.entries[i].value = &values[i];
    }

    double result = 0.0;
    evaluate_call call{module->evaluate, &list, &result, -1};
    host_guarded_call(call_evaluate, &call, &out->guard);

    out->status = call.status;
    std::memcpy(&out->result_bits, &result, sizeof result);
    for (int i = 0; i < host_argument_count; ++i)
        out->flags[i] = list.entries[i].flags;
    out->host_bytes_intact = host_bytes_intact(list) ? 1 : 0;
}
