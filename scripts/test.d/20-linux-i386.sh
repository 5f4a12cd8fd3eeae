#!/usr/bin/env bash
# Linux i386: the module, our own host, the command line and every test suite
# built for 32-bit addresses (-m32, doubles in SSE2) and run, so that the
# records the host reads are checked at their 32-bit offsets and sizes at run
# time, not only by static_assert.  GoogleTest is built from Debian's sources
# inside the tree.  Where the kernel cannot run 32-bit programs (some virtual
# machines boot without ia32 emulation), they run under qemu-i386
# (KELBRANT_FORCE_QEMU=1 chooses it anyway).  Last, the 32-bit command line
# must print what the native one prints on the case file: bit for bit, or
# under qemu with the allowance of same_fnonct_output for its x87.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"

ensure_packages g++-multilib googletest cmake
native_build
build="$root/build-i386"

probe_dir=$(mktemp -d)
trap 'rm -rf "$probe_dir"' EXIT
echo 'int main() { return 0; }' > "$probe_dir/probe.cpp"
g++ -m32 "$probe_dir/probe.cpp" -o "$probe_dir/probe"
runner=()
if [ "${KELBRANT_FORCE_QEMU:-0}" = 1 ]; then
  ensure_packages qemu-user
  runner=(/usr/bin/qemu-i386)
  echo "32-bit programs run under qemu-i386 here (KELBRANT_FORCE_QEMU=1)"
elif ! "$probe_dir/probe" 2>/dev/null; then
  ensure_packages qemu-user
  runner=(/usr/bin/qemu-i386)
  echo "32-bit programs run under qemu-i386 here (this kernel runs none itself)"
fi

# The emulator is named every time, empty when there is none, so that a
# runner chosen by an earlier run does not stay in the tree's cache.  Every
# program the tree runs goes through it: the test programs (CTest), the
# command line they start (KELBRANT_EMULATOR) and help2man's run of the
# command line for the manual page.
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/linux-i386.cmake" \
  -DKELBRANT_GTEST_SOURCE=/usr/src/googletest -DKELBRANT_BENCH=OFF \
  -DCMAKE_CROSSCOMPILING_EMULATOR="${runner[*]}" >/dev/null
cmake --build "$build" -j"$(nproc)" >/dev/null
if [ ! -s "$build/kelbrant.1" ]; then
  echo "linux-i386: the manual page build-i386/kelbrant.1 was not made" >&2
  exit 1
fi
ctest --test-dir "$build" --output-on-failure -j"$(nproc)"
# qemu's x87 logarithm and exponential steps round otherwise than the
# processor's (scripts/lib.sh): there the case file is compared bit for bit
# but for lambda on the rows that go through them, each named.
[ ${#runner[@]} -eq 0 ] || fnonct_emulated_x87=1
same_fnonct_output "linux-i386${runner:+ (qemu-i386)}" "${runner[@]}" "$build/kelbrant"
