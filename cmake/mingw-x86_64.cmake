# 64-bit Windows (x86-64): cmake -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-x86_64.cmake
set(KELBRANT_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
