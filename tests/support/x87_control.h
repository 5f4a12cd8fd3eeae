// Reading and setting the x87 control word, for tests of independence from
// the precision control a caller leaves in force.  Only where the numerics
// use the x87 (KELBRANT_X87 of numeric/elementary.h).
#pragma once

#include <cstdint>

#include "numeric/elementary.h"

#if KELBRANT_X87

// The precision-control field (bits 8 and 9) and its settings.
constexpr uint16_t precision_mask = 0x0300;
constexpr uint16_t precision_24 = 0x0000;
constexpr uint16_t precision_53 = 0x0200;
constexpr uint16_t precision_64 = 0x0300;

inline uint16_t control_word()
{
    uint16_t cw;
    __asm__ volatile("fnstcw %0" : "=m"(cw));
    return cw;
}

inline void set_control_word(uint16_t cw) { __asm__ volatile("fldcw %0" : : "m"(cw)); }

#endif
