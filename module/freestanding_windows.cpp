// The four C runtime routines that GCC may call from any code, even
// freestanding code (block copies, clears and compares of records and local
// arrays), for the Windows library, which links no C runtime and so imports
// nothing.
// Simple byte loops: the blocks are small and rare, never on a hot path.
// This file is compiled with -fno-builtin -fno-tree-loop-distribute-patterns
// so that these loops are not recognised and compiled back into calls of
// themselves.  64-bit division and the stack probe come from the static
// libgcc.

#include <cstddef>

extern "C" void* memcpy(void* destination, const void* source, size_t count)
{
    auto* d = static_cast<unsigned char*>(destination);
    const auto* s = static_cast<const unsigned char*>(source);
    for (size_t i = 0; i < count; ++i)
        d[i] = s[i];
    return destination;
}

extern "C" void* memmove(void* destination, const void* source, size_t count)
{
    auto* d = static_cast<unsigned char*>(destination);
    const auto* s = static_cast<const unsigned char*>(source);
    if (d < s) {
        for (size_t i = 0; i < count; ++i)
            d[i] = s[i];
    } else {
        for (size_t i = count; i > 0; --i)
            d[i - 1] = s[i - 1];
    }
    return destination;
}

extern "C" void* memset(void* destination, int value, size_t count)
{
    auto* d = static_cast<unsigned char*>(destination);
    for (size_t i = 0; i < count; ++i)
        d[i] = static_cast<unsigned char>(value);
    return destination;
}

extern "C" int memcmp(const void* left, const void* right, size_t count)
{
    const auto* a = static_cast<const unsigned char*>(left);
    const auto* b = static_cast<const unsigned char*>(right);
    for (size_t i = 0; i < count; ++i) {
        if (a[i] != b[i])
            return a[i] < b[i] ? -1 : 1;
    }
    return 0;
}
