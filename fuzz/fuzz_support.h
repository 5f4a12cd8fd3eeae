// What every fuzz target shares: reading the fuzzer's bytes as arguments,
// the host's floating-point environment taken from one byte, and the check
// that stops the run with the arguments that broke a promise.
#pragma once

#include <cfenv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "host/host.h"
#include "host/linked_module.h"

// The bytes of one input, consumed front to back; past the end every byte
// reads as 0, so a short input is a valid input.
struct fuzz_bytes {
    const uint8_t* data;
    size_t size;
    size_t at;
};

inline uint8_t fuzz_byte(fuzz_bytes& in)
{
    return in.at < in.size ? in.data[in.at++] : 0;
}

// 8 raw bytes, little-endian: every double the machine has, NaN payloads,
// infinities, subnormals and both zeros included.
inline double fuzz_double(fuzz_bytes& in)
{
    uint8_t raw[8] = {};
    for (uint8_t& b : raw)
        b = fuzz_byte(in);
    double v;
    std::memcpy(&v, raw, sizeof v);
    return v;
}

// The floating-point environment a host may leave behind: the rounding
// direction (low two bits) and, on x86, the x87 precision control (next two
// bits: 24, 53 or 64 bits, the Windows default being 53).  fuzz_env_set
// installs it; fuzz_env_restore puts the process's own back.
struct fuzz_env {
    fenv_t saved;
    uint16_t x87_control;  // the control word the routine must leave alone
};

inline uint16_t fuzz_x87_control()
{
    uint16_t cw = 0;
#if defined(__i386__) || defined(__x86_64__)
    __asm__ volatile("fnstcw %0" : "=m"(cw));
#endif
    return cw;
}

inline void fuzz_env_set(fuzz_env& env, uint8_t byte)
{
    std::fegetenv(&env.saved);
    static const int directions[] = {FE_TONEAREST, FE_DOWNWARD, FE_UPWARD, FE_TOWARDZERO};
    std::fesetround(directions[byte & 3]);
#if defined(__i386__) || defined(__x86_64__)
    static const uint16_t precisions[] = {0x0300, 0x0200, 0x0000, 0x0300};  // 64, 53, 24, 64
    uint16_t cw = static_cast<uint16_t>((fuzz_x87_control() & ~0x0300) | precisions[(byte >> 2) & 3]);
    __asm__ volatile("fldcw %0" : : "m"(cw));
#endif
    env.x87_control = fuzz_x87_control();
}

inline void fuzz_env_restore(fuzz_env& env) { std::fesetenv(&env.saved); }

// The x87 precision an environment byte selects: 64, 53 or 24 bits.
inline int fuzz_env_precision_bits(uint8_t byte)
{
    static const int bits[] = {64, 53, 24, 64};
    return bits[(byte >> 2) & 3];
}

// One input run in the host's environment: call(nearest) under the
// environment of env_byte, checked to give the x87 control word back as it
// found it.  Under round-to-nearest with 24- or 53-bit precision the call
// runs again at 64 bits into *full and *compared is set: the two results
// must agree, since the routines raise the precision for their extended work.
template <typename Result, typename Call>
Result fuzz_run_in_env(uint8_t env_byte, Call call, Result* full, bool* compared);

// Stops the run (libFuzzer keeps the input as a crash artifact) when a
// promise of the routine does not hold.  `what` names the routine and its
// arguments, printed exactly (hexadecimal floating point).
#define FUZZ_REQUIRE(condition, ...)                                       \
    do {                                                                   \
        if (!(condition)) {                                                \
            std::fprintf(stderr, "broken promise: %s\n  ", #condition);    \
            std::fprintf(stderr, __VA_ARGS__);                             \
            std::fprintf(stderr, "\n");                                    \
            std::abort();                                                  \
        }                                                                  \
    } while (0)

template <typename Result, typename Call>
Result fuzz_run_in_env(uint8_t env_byte, Call call, Result* full, bool* compared)
{
    fuzz_env env;
    fuzz_env_set(env, env_byte);
    const bool nearest = std::fegetround() == FE_TONEAREST;
    const Result got = call(nearest);
    const uint16_t after = fuzz_x87_control();
    fuzz_env_restore(env);
    FUZZ_REQUIRE(after == env.x87_control, "the x87 control word changed from %#x to %#x",
                 env.x87_control, after);
    *compared = nearest && fuzz_env_precision_bits(env_byte) != 64;
    if (*compared) {
        fuzz_env_set(env, 0);
        *full = call(true);
        fuzz_env_restore(env);
    }
    return got;
}

// The copy of the module linked into the target, attached to our own host
// once, on first use.
inline const host_module& fuzz_attached_module()
{
    static host_module module;
    static bool done = false;
    if (!done) {
        char error[256];
        if (host_attach_static(&module, error, sizeof error) != 0) {
            std::fprintf(stderr, "cannot attach the module: %s\n", error);
            std::abort();
        }
        done = true;
    }
    return module;
}
