#!/usr/bin/env bash
# The concurrency suite (tests/concurrency) built with ThreadSanitizer in a
# tree of its own (build-tsan): many threads run the evaluate callback at
# once, and the sanitizer must report nothing.  The rest of the suites run
# single-threaded and are not built here.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"

ensure_packages g++ cmake libgtest-dev

build="$root/build-tsan"
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS="-fsanitize=thread -fno-omit-frame-pointer" \
    -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=thread" \
    -DCMAKE_MODULE_LINKER_FLAGS="-fsanitize=thread" >&2
fi
cmake --build "$build" -j"$(nproc)" --target test_concurrency >&2

TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1" "$build/test_concurrency"
