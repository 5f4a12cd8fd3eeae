#!/usr/bin/env bash
# The whole test suite again, built with AddressSanitizer and
# UndefinedBehaviorSanitizer in a tree of its own (build-asan).  Every finding
# stops the program that made it (-fno-sanitize-recover), so it fails its test.
#
# GCC links the sanitizer runtimes as shared libraries into every program and
# into the loadable module alike, so the module still links with
# --no-undefined.  Its -fsanitize=undefined leaves out float-cast-overflow, the
# check that matters most in numeric code (a double outside the range of the
# integer it is converted to), so it is named explicitly.  The x87 inline
# assembly of the elementary steps takes its operands on the register stack
# and one 16-bit memory word for the control word; the sanitizers see the
# memory word as an ordinary store and load and need no exception for it.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"

ensure_packages g++ cmake libgtest-dev libbenchmark-dev

build="$root/build-asan"
flags="-fsanitize=address,undefined,float-cast-overflow -fno-sanitize-recover=all -fno-omit-frame-pointer"
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS="$flags" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
    -DCMAKE_MODULE_LINKER_FLAGS="-fsanitize=address,undefined" \
    -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address,undefined" >&2
fi
cmake --build "$build" -j"$(nproc)" >&2

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
