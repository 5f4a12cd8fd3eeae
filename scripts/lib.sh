# Shared by the scripts: where the checkout is, installing what a fresh
# machine lacks, and the comparison of another build's command line with the
# native one.
#
# Two switches of the test stages (environment variables) take, on a machine
# that runs 32-bit programs, the path of one that runs none:
#   KELBRANT_FORCE_QEMU=1  20-linux-i386.sh runs the i386 programs under
#                          qemu-i386 even where the kernel runs them itself;
#   KELBRANT_NO_WINE32=1   35-windows-i686-wine.sh counts 32-bit Wine as
#                          unable to start and passes with its one loud line.
#     KELBRANT_FORCE_QEMU=1 KELBRANT_NO_WINE32=1 scripts/test
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

apt_updated=0
# ensure_packages PKG...: apt-get install those Debian packages not installed yet.
ensure_packages() {
  local missing=()
  for pkg in "$@"; do
    dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "installing: ${missing[*]}" >&2
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd=sudo; else sudo_cmd=; fi
  # A package of another architecture (NAME:i386) needs that architecture
  # added to dpkg, and the package lists read again.
  local arch
  for arch in $(printf '%s\n' "${missing[@]}" | sed -n 's/^[^:]*:\(.*\)$/\1/p' | sort -u); do
    if [ "$arch" != "$(dpkg --print-architecture)" ] \
        && ! dpkg --print-foreign-architectures | grep -qx "$arch"; then
      $sudo_cmd dpkg --add-architecture "$arch"
      apt_updated=0
    fi
  done
  if [ $apt_updated -eq 0 ]; then
    $sudo_cmd apt-get -o DPkg::Lock::Timeout=600 update -qq >&2
    apt_updated=1
  fi
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get -o DPkg::Lock::Timeout=600 install -y -qq "${missing[@]}" >&2
}

# The native build every other step starts from.
native_build() {
  ensure_packages g++ cmake libgtest-dev libbenchmark-dev help2man
  if [ ! -f "$root/build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release >&2
  fi
  cmake --build "$root/build" -j"$(nproc)" >&2
}

# same_fnonct_output NAME COMMAND...: run the command line of another build,
# COMMAND (e.g. under an emulator), on the committed case file, and require
# byte for byte the output and exit status of the native build (line ends
# aside: a Windows program writes CRLF).
fnonct_cases="$root/tests/data/fnonct_cases.csv"
same_fnonct_output() {
  local name=$1; shift
  local native other native_status=0 other_status=0
  native=$("$root/build/kelbrant" fnonct --csv "$fnonct_cases") || native_status=$?
  other=$("$@" fnonct --csv "$fnonct_cases" | tr -d '\r'; exit "${PIPESTATUS[0]}") || other_status=$?
  if [ "$native" != "$other" ] || [ $native_status -ne $other_status ]; then
    echo "$name: fnonct --csv differs from the native build (exit $other_status vs $native_status):" >&2
    diff <(echo "$native") <(echo "$other") | head -20 >&2
    return 1
  fi
  echo "$name: fnonct --csv on $(($(wc -l < "$fnonct_cases") - 1)) cases identical to the native build"
}
