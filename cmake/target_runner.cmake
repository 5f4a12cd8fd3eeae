# Whether the programs this tree builds can be run while it builds, and how:
# the manual page is made by running the command line.
#
#   KELBRANT_TARGET_RUNNER    the command that starts them (empty: directly)
#   KELBRANT_TARGET_RUNS      whether they run here at all
#   KELBRANT_TARGET_RUNS_WHY  when they do not, why (for the one message)
#
# A tree given CMAKE_CROSSCOMPILING_EMULATOR runs them through it (the i386
# tree under qemu-i386 on a kernel without 32-bit programs). A tree for
# another system (CMAKE_CROSSCOMPILING: the Windows trees) does not run them.
# Otherwise the programs are for this system, but perhaps for an instruction
# set its kernel does not run: the i386 toolchain file names no other
# system, so CMAKE_CROSSCOMPILING is false there, yet a kernel booted
# without ia32 emulation cannot start a -m32 program. A trial program built
# with the tree's own flags settles it (the answer is cached in the tree).
set(KELBRANT_TARGET_RUNNER "")
set(KELBRANT_TARGET_RUNS_WHY "")
if(CMAKE_CROSSCOMPILING_EMULATOR)
  set(KELBRANT_TARGET_RUNNER ${CMAKE_CROSSCOMPILING_EMULATOR})
  set(KELBRANT_TARGET_RUNS ON)
elseif(CMAKE_CROSSCOMPILING)
  set(KELBRANT_TARGET_RUNS OFF)
  set(KELBRANT_TARGET_RUNS_WHY
    "the programs are built for ${CMAKE_SYSTEM_NAME} and no CMAKE_CROSSCOMPILING_EMULATOR runs them here")
else()
  set(trial ${CMAKE_BINARY_DIR}/CMakeFiles/target_runner)
  file(WRITE ${trial}/trial.cpp "int main() { return 0; }\n")
  try_run(KELBRANT_TRIAL_EXIT KELBRANT_TRIAL_BUILT ${trial}/build ${trial}/trial.cpp)
  if(KELBRANT_TRIAL_BUILT AND KELBRANT_TRIAL_EXIT STREQUAL "0")
    set(KELBRANT_TARGET_RUNS ON)
  else()
    set(KELBRANT_TARGET_RUNS OFF)
    set(KELBRANT_TARGET_RUNS_WHY
      "a program built with this tree's flags does not run here (a kernel without 32-bit programs?); give CMAKE_CROSSCOMPILING_EMULATOR, e.g. /usr/bin/qemu-i386")
  endif()
endif()
