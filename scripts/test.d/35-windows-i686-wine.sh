#!/usr/bin/env bash
# Windows i686 under 32-bit Wine: the shipped kelbrant.dll, exactly as
# scripts/build-dll leaves it in build-mingw-i686/, loaded by our own host's
# command line built beside it for the same target (kelbrant.exe), which
# evaluates every row of the case file through the module's callbacks.  Its
# output must equal the native build's bit for bit (%.17g text).
#
# 32-bit Wine comes from Debian's i386 architecture (wine32:i386), added and
# installed when missing.  Where those packages cannot be had, or 32-bit
# programs do not run (some virtual machines boot without ia32 emulation), the
# stage says so in one line and passes: the library is then only checked from
# the file (30-windows-i686-dll.sh).  KELBRANT_NO_WINE32=1 takes that path
# on a machine where 32-bit Wine does start.  Wine keeps a 32-bit prefix in the build
# tree; its first start takes a while.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"

native_build
dll=$("$root/scripts/build-dll")
build=$(dirname "$dll")
shipped=$(sha256sum < "$dll")
cmake --build "$build" -j"$(nproc)" --target kelbrant_cli >/dev/null
if [ "$(sha256sum < "$dll")" != "$shipped" ]; then
  echo "windows-i686 (wine): building kelbrant.exe changed kelbrant.dll from what scripts/build-dll made" >&2
  exit 1
fi

# The 32-bit loader: Debian's wine32 package puts it here.
wine=/usr/lib/wine/wine
skip() {
  echo "!!! windows-i686 (wine): SKIPPED, $1; kelbrant.dll is only checked from the file here" >&2
  exit 0
}
ensure_packages wine32:i386 || true
dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q 'install ok installed' \
  || skip "32-bit Wine (wine32:i386) cannot be installed"
[ "${KELBRANT_NO_WINE32:-0}" != 1 ] || skip "32-bit Wine counts as unable to start (KELBRANT_NO_WINE32=1)"
"$wine" --version >/dev/null 2>&1 || skip "32-bit Wine does not start (a kernel without 32-bit programs?)"

export WINEARCH=win32 WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
"$wine" wineboot --init >/dev/null 2>&1 || true
same_fnonct_output "windows-i686 (wine)" "$wine" "$build/kelbrant.exe"
"$wine" wineboot --shutdown >/dev/null 2>&1 || true
