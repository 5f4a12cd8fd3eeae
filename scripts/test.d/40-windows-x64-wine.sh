#!/usr/bin/env bash
# Windows x86-64 under Wine: the module as a 64-bit kelbrant.dll (checked like
# the 32-bit one) and our own host's command line as kelbrant.exe, which
# loads the library beside it with LoadLibrary and evaluates every row of the
# case file through the module's callbacks.  Its output must equal the native
# build's bit for bit (%.17g text), under the 64-bit loader; where that does
# not start, the stage says so in one line and passes with the library
# checked from the file.  Wine keeps its prefix in the build tree; its first
# start takes a while.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"

ensure_packages g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 wine wine64 cmake python3
native_build
build="$root/build-mingw-x64"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-x86_64.cmake" \
  -DKELBRANT_TESTS=OFF -DKELBRANT_BENCH=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target kelbrant_module kelbrant_cli >/dev/null
ctest --test-dir "$build" --output-on-failure

# The 64-bit loader, named itself: Debian's wine64 package puts it here.
# The wine command prefers the 32-bit loader once wine32:i386 is installed
# (35-windows-i686-wine.sh installs it), and that one cannot start a 64-bit
# program, nor any program on a kernel without 32-bit programs.
wine=/usr/lib/wine/wine64
skip() {
  echo "!!! windows-x64 (wine): SKIPPED, $1; kelbrant.dll is only checked from the file here" >&2
  exit 0
}
[ -x "$wine" ] || skip "the 64-bit Wine loader $wine is not installed"
"$wine" --version >/dev/null 2>&1 || skip "64-bit Wine does not start"

export WINEARCH=win64 WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
"$wine" wineboot --init >/dev/null 2>&1 || true
same_fnonct_output "windows-x64 (wine)" "$wine" "$build/kelbrant.exe"
"$wine" wineboot --shutdown >/dev/null 2>&1 || true
