# 32-bit Windows (i686), the module's own target: cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake
set(KELBRANT_MINGW_TRIPLET i686-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR x86)
# Doubles in SSE2 registers, as on x86-64: each operation rounds once to
# double, so the library computes bit for bit what the other builds compute.
set(CMAKE_C_FLAGS_INIT "-msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-msse2 -mfpmath=sse")
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
