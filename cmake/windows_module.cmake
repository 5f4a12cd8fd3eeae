# The Windows form of the loadable module: kelbrant.dll.
#
# - One export, mcn_main, by name at ordinal 1 (module/kelbrant.def; with a
#   definition file the linker exports nothing else).
# - A load-time entry point of our own that does nothing and reports success
#   (module/dll_entry_windows.cpp), named with -e, and no C runtime: -nostdlib
#   leaves out the runtime's start-up code and every import library.  What
#   the compiler itself may call (block copies, 64-bit division) comes from
#   module/freestanding_windows.cpp and the static libgcc.
# - No import directory at all.  The linker's default script always ends the
#   import list with an empty descriptor, so even a library that imports
#   nothing would carry a one-entry import table; we link with that script
#   minus the terminator.  A library that did import something would then be
#   malformed, and the library check rejects any import anyway.
# - No time stamp in the header: the same sources give the same bytes.

file(GLOB KELBRANT_MODULE_WINDOWS_SOURCES CONFIGURE_DEPENDS
  ${CMAKE_SOURCE_DIR}/module/*_windows.cpp)
target_sources(kelbrant_module PRIVATE
  ${KELBRANT_MODULE_WINDOWS_SOURCES} ${CMAKE_SOURCE_DIR}/module/kelbrant.def)
target_include_directories(kelbrant_module PRIVATE ${CMAKE_SOURCE_DIR})
target_compile_options(kelbrant_module PRIVATE ${KELBRANT_FP_FLAGS} -Wall -Wextra)
# Our memcpy, memmove, memset and memcmp must not be recognised as the loops
# they are and compiled back into calls of themselves.
set_source_files_properties(${CMAKE_SOURCE_DIR}/module/freestanding_windows.cpp PROPERTIES
  COMPILE_OPTIONS "-ffreestanding;-fno-builtin;-fno-tree-loop-distribute-patterns")

# The entry point: a stdcall function of three arguments, decorated on the
# 32-bit target.
if(CMAKE_SIZEOF_VOID_P EQUAL 4)
  set(KELBRANT_DLL_ENTRY _dll_entry@12)
else()
  set(KELBRANT_DLL_ENTRY dll_entry)
endif()

execute_process(
  COMMAND ${CMAKE_CXX_COMPILER} -print-prog-name=ld
  OUTPUT_VARIABLE KELBRANT_LD OUTPUT_STRIP_TRAILING_WHITESPACE)
execute_process(
  COMMAND ${KELBRANT_LD} --shared --verbose
  OUTPUT_VARIABLE KELBRANT_LD_VERBOSE RESULT_VARIABLE KELBRANT_LD_RESULT)
string(REGEX MATCH "==================================================\n(.*)\n=================================================="
  KELBRANT_LD_SCRIPT_MATCH "${KELBRANT_LD_VERBOSE}")
set(KELBRANT_LD_SCRIPT "${CMAKE_MATCH_1}")
set(KELBRANT_IMPORT_TERMINATOR "LONG (0); LONG (0); LONG (0); LONG (0); LONG (0);")
string(FIND "${KELBRANT_LD_SCRIPT}" "${KELBRANT_IMPORT_TERMINATOR}" KELBRANT_TERMINATOR_AT)
if(NOT KELBRANT_LD_RESULT EQUAL 0 OR KELBRANT_TERMINATOR_AT EQUAL -1)
  message(FATAL_ERROR "cannot derive the library's linker script from ${KELBRANT_LD} --verbose")
endif()
string(REPLACE "${KELBRANT_IMPORT_TERMINATOR}" "" KELBRANT_LD_SCRIPT "${KELBRANT_LD_SCRIPT}")
# Written only when its text changes: the library depends on the script
# (LINK_DEPENDS), and rewriting it at every configure would relink it.
file(WRITE ${CMAKE_BINARY_DIR}/kelbrant_dll.ld.new "${KELBRANT_LD_SCRIPT}\n")
execute_process(COMMAND ${CMAKE_COMMAND} -E copy_if_different
  ${CMAKE_BINARY_DIR}/kelbrant_dll.ld.new ${CMAKE_BINARY_DIR}/kelbrant_dll.ld)
file(REMOVE ${CMAKE_BINARY_DIR}/kelbrant_dll.ld.new)

# --no-insert-timestamp leaves the PE header's time stamp 0, so that two
# builds of the same sources give the same bytes.
target_link_options(kelbrant_module PRIVATE
  -nostdlib -Wl,-e,${KELBRANT_DLL_ENTRY} -Wl,-T,${CMAKE_BINARY_DIR}/kelbrant_dll.ld
  -Wl,--no-insert-timestamp)
target_link_libraries(kelbrant_module PRIVATE gcc)
set_target_properties(kelbrant_module PROPERTIES
  LINK_DEPENDS ${CMAKE_BINARY_DIR}/kelbrant_dll.ld)

# The library check (tests/dll), run by ctest in this tree: the properties
# above, read back from the built file, and a test that the check rejects
# each fault it looks for.
find_package(Python3 COMPONENTS Interpreter)
if(Python3_Interpreter_FOUND)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(KELBRANT_DLL_MACHINE i386)
  else()
    set(KELBRANT_DLL_MACHINE amd64)
  endif()
  enable_testing()
  foreach(check check_dll check_dll_test)
    add_test(NAME ${check}
      COMMAND ${Python3_EXECUTABLE} ${CMAKE_SOURCE_DIR}/tests/dll/${check}.py
        --machine ${KELBRANT_DLL_MACHINE} --objdump ${CMAKE_OBJDUMP}
        $<TARGET_FILE:kelbrant_module>)
  endforeach()
endif()
