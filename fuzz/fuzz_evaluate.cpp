// Fuzz target: the evaluate callback as a host calls it.
//
// Input: one byte for the host's floating-point environment, four flag
// bytes (the host's bits, which the callback must leave alone apart from the
// domain flag), the 8 bytes of the host's missing value (any NaN payload, or
// none), then x, df1, df2 and p as raw doubles.  The argument list is built
// as our own host builds it, its host-owned bytes carrying a pattern.
//
// The outcome must be the one the callback's rules give: 120833 and the
// missing value when any argument is an infinity or a NaN; 120836 with the
// first argument outside its domain flagged; otherwise 0 with a finite
// lambda >= 0, or 120836 with no flag.  Every failure leaves the host's
// missing value in the result slot bit for bit, nothing else in the list
// changes, no host service is called, and the search keeps its pass limits.

#include <cfenv>
#include <cmath>
#include <cstdlib>

#include "fnonct/argument_list.h"
#include "fnonct/fnonct.h"
#include "fuzz/fuzz_support.h"
#include "host/host.h"
#include "host/linked_module.h"
#include "module/host_vector.h"

namespace {

constexpr unsigned char header_pattern = 0x5A;
constexpr unsigned char host_byte_pattern = 0xC3;
constexpr int32_t search_cdf_call_cap = 61;

struct argument_list {
    argument_list_header header;
    argument_entry entries[host_argument_count];
};

bool is_missing(double v)
{
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    return (bits & 0x7FF0000000000000ULL) == 0x7FF0000000000000ULL;
}

// The argument (1 to 4) the domain checks flag, or 0 when all pass.
int first_out_of_domain(const double* a)
{
    if (!(a[0] >= 0.0))
        return 1;
    if (!(a[1] > 0.0))
        return 2;
    if (!(a[2] > 0.0))
        return 3;
    if (!(a[3] > 0.0 && a[3] < 1.0))
        return 4;
    return 0;
}

struct call {
    const host_module* module;
    argument_list* list;
    double* result;
    int32_t status;
};

void run(void* context)
{
    auto* c = static_cast<call*>(context);
    c->status = c->module->evaluate(c->list, c->result);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const host_module& module = fuzz_attached_module();
    fuzz_bytes in{data, size, 0};
    const uint8_t env_byte = fuzz_byte(in);
    unsigned char flags[host_argument_count];
    for (unsigned char& f : flags)
        f = fuzz_byte(in);
    uint64_t missing_bits = 0;
    for (int i = 0; i < 8; ++i)
        missing_bits |= static_cast<uint64_t>(fuzz_byte(in)) << (8 * i);
    double args[host_argument_count];
    for (double& a : args)
        a = fuzz_double(in);

    host_reset();
    host_set_missing_value(missing_bits);

    argument_list list;
    std::memset(list.header.host_header, header_pattern, sizeof list.header.host_header);
    list.header.count = host_argument_count;
    double values[host_argument_count];
    std::memcpy(values, args, sizeof values);
    for (int i = 0; i < host_argument_count; ++i) {
        list.entries[i].host_byte = host_byte_pattern;
        list.entries[i].flags = flags[i];
        list.entries[i].host_bytes[0] = list.entries[i].host_bytes[1] = host_byte_pattern;
        list.entries[i].value = &values[i];
    }
    double result = 0.0;
    call c{&module, &list, &result, -1};

    fuzz_env env;
    fuzz_env_set(env, env_byte);
    const bool nearest = std::fegetround() == FE_TONEAREST;
    host_guard_outcome outcome;
    host_guarded_call(run, &c, &outcome);
    const uint16_t after = fuzz_x87_control();
    fuzz_env_restore(env);

    // Every check names the case: the arguments exactly, the missing value
    // and the flag bytes the host passed.
    auto require = [&](bool holds, const char* what) {
        FUZZ_REQUIRE(holds, "%s: FNONCT(%a, %a, %a, %a), flags %02x %02x %02x %02x, missing value "
                     "%016llx: status %d, result %a",
                     what, args[0], args[1], args[2], args[3], flags[0], flags[1], flags[2], flags[3],
                     static_cast<unsigned long long>(missing_bits), c.status, result);
    };
    require(after == env.x87_control, "the x87 control word changed");
    require(outcome.unwound == 0 && host_log()->unguarded_math_errors == 0
                && host_log()->error_calls == 0 && host_log()->allocations == 0,
            "a host service was called");
    for (int i = 0; i < condition_flag_bytes; ++i)
        require(host_condition_flags()[i] == 0, "a condition flag was set");
    require(std::memcmp(values, args, sizeof values) == 0, "an argument value changed");
    bool intact = list.header.count == host_argument_count;
    for (unsigned char b : list.header.host_header)
        intact = intact && b == header_pattern;
    for (const argument_entry& e : list.entries)
        intact = intact && e.host_byte == host_byte_pattern && e.host_bytes[0] == host_byte_pattern
              && e.host_bytes[1] == host_byte_pattern;
    require(intact, "a host-owned byte of the argument list changed");

    uint64_t result_bits;
    std::memcpy(&result_bits, &result, sizeof result_bits);
    bool any_missing = false;
    for (double a : args)
        any_missing = any_missing || is_missing(a);
    const int flagged = any_missing ? 0 : first_out_of_domain(args);
    for (int i = 0; i < host_argument_count; ++i) {
        const unsigned char expected = flagged == i + 1 ? (flags[i] | argument_domain_flag) : flags[i];
        require(list.entries[i].flags == expected, "wrong flag bytes after the call");
    }
    if (any_missing) {
        require(c.status == status_missing_argument, "a missing argument, status not 120833");
        require(result_bits == missing_bits, "not the host's missing value");
    } else if (flagged != 0) {
        require(c.status == status_invalid_argument, "out of domain, status not 120836");
        require(result_bits == missing_bits, "not the host's missing value");
    } else {
        require(c.status == 0 || c.status == status_invalid_argument, "a status the callback lacks");
        if (c.status == 0)
            require(result >= 0.0 && std::isfinite(result), "lambda not finite and >= 0");
        else
            require(result_bits == missing_bits, "not the host's missing value");
        fnonct_search_trace t;
        double lam;
        fuzz_env_set(env, env_byte);
        fnonct_search_traced(args[0], args[1], args[2], args[3], &lam, &t);
        fuzz_env_restore(env);
        require(t.phase1_passes <= fnonct_phase1_pass_limit && t.cdf_calls <= search_cdf_call_cap,
                "the search exceeded its pass limits");
    }

    // The x87 precision the host left (24 or 53 bits) changes no result.
    if (nearest && fuzz_env_precision_bits(env_byte) != 64) {
        argument_list again = list;
        for (int i = 0; i < host_argument_count; ++i)
            again.entries[i].flags = flags[i];
        double full = 0.0;
        call c64{&module, &again, &full, -1};
        fuzz_env_set(env, 0);
        host_guarded_call(run, &c64, &outcome);
        fuzz_env_restore(env);
        require(c64.status == c.status && std::memcmp(&full, &result, sizeof full) == 0,
                "another result under 64-bit precision");
    }
    return 0;
}
