// The module's two x87 approximations, FYL2X and F2XM1, as
// numeric/elementary.h issues them, on a fixed sequence of arguments:
// bench/x87_emulation.py runs this on the processor and under qemu and
// measures each result against mpmath.  One line per argument:
//     yl2x X LOG2X      (elem_ylog2_ext(x, 1), x in (0, 1e6))
//     f2xm1 F EXP2M1    (elem_exp2m1_ext(f), f in (-1, 1))
// each value in C99 hexadecimal (%La), the 64-bit significand in full.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "numeric/elementary.h"

namespace {

// Marsaglia's xorshift64 (J. Statistical Software 8(14), 2003), shifts
// 13, 7, 17: the same arguments on every run and every build.
uint64_t state = 88172645463325252ULL;
double uniform()
{
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return static_cast<double>(state >> 11) * 0x1p-53;
}

}  // namespace

int main(int argc, char** argv)
{
    const long count = argc > 1 ? std::atol(argv[1]) : 3000;
    for (long i = 0; i < count; ++i) {
        const long double x = static_cast<long double>(uniform()) * 1e6L + static_cast<long double>(uniform()) * 1e-3L;
        const long double f = static_cast<long double>(uniform()) * 2 - 1;
        std::printf("yl2x %La %La\n", x, elem_ylog2_ext(x, 1.0L));
        std::printf("f2xm1 %La %La\n", f, elem_exp2m1_ext(f));
    }
    return 0;
}
