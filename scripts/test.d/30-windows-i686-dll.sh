#!/usr/bin/env bash
# Windows i686: kelbrant.dll, the module as the host loads it, built on its
# own (scripts/build-dll) and checked from the file: one export mcn_main at
# ordinal 1, no import table, an entry point that only returns success, a
# relocatable i386 DLL (tests/dll/check_dll.py); and the check itself must
# reject each of those faults planted in a copy (tests/dll/check_dll_test.py).
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"

"$root/scripts/build-dll" >/dev/null
ctest --test-dir "$root/build-mingw-i686" --output-on-failure
