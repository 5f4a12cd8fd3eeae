# Linux with 32-bit addresses (i386), built by the native compiler with -m32
# (Debian's g++-multilib): cmake -DCMAKE_TOOLCHAIN_FILE=cmake/linux-i386.cmake
#
# Doubles in SSE2 registers (-msse2 -mfpmath=sse), as on x86-64 and in the
# Windows library: each operation rounds once to double.  The x87 default
# would carry double expressions in the 64-bit significand and round twice
# when storing them, and the results would then differ in the last bit from
# every other build.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_FLAGS_INIT "-m32 -msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-m32 -msse2 -mfpmath=sse")
set(CMAKE_EXE_LINKER_FLAGS_INIT "-m32")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-m32")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "-m32")
