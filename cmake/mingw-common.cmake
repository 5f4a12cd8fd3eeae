# Cross-building for Windows with Debian's MinGW-w64 compilers; included by
# the per-target toolchain files, which set KELBRANT_MINGW_TRIPLET first.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${KELBRANT_MINGW_TRIPLET}-gcc)
set(CMAKE_CXX_COMPILER ${KELBRANT_MINGW_TRIPLET}-g++)
set(CMAKE_RC_COMPILER ${KELBRANT_MINGW_TRIPLET}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${KELBRANT_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
# Executables (our own host, the command line) carry their C++ runtime with
# them, so they run on a bare Windows or Wine without MinGW's DLLs beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
