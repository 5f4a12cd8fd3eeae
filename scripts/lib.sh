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
#
# With fnonct_emulated_x87=1 (the stage runs the build under qemu), a row may
# also differ in lambda alone, by at most fnonct_emulated_tolerance relative,
# with the status ok on both sides; each such row is named in a line
# beginning "!!!".  The emulator's FYL2X and F2XM1 are correctly rounded to
# the 64-bit significand, the processor's are not (within about 0.7 of its
# unit), and the searches that go through them can then end a few units in
# the last place of lambda apart, more where lambda is ill-conditioned in p.
fnonct_cases="$root/tests/data/fnonct_cases.csv"
fnonct_native=("$root/build/kelbrant")
fnonct_emulated_x87=0
fnonct_emulated_tolerance=1e-10
same_fnonct_output() {
  local name=$1; shift
  local native other other_err native_status=0 other_status=0
  native=$(mktemp) other=$(mktemp) other_err=$(mktemp)
  # The messages of the rows that fail are left out, and shown only when
  # the outputs differ.
  "${fnonct_native[@]}" fnonct --csv "$fnonct_cases" > "$native" 2>/dev/null || native_status=$?
  ("$@" fnonct --csv "$fnonct_cases" 2> "$other_err" | tr -d '\r' > "$other"; exit "${PIPESTATUS[0]}") \
    || other_status=$?
  local verdict=0
  if [ $native_status -ne $other_status ]; then
    verdict=1
  elif ! cmp -s "$native" "$other"; then
    verdict=1
    if [ "$fnonct_emulated_x87" = 1 ]; then
      awk -F, -v name="$name" -v tolerance="$fnonct_emulated_tolerance" '
        function abs(v) { return v < 0 ? -v : v }
        NR == FNR { native[FNR] = $0; rows = FNR; next }
        {
          seen = FNR
          if (FNR > rows) { bad = 1; next }
          if ($0 == native[FNR]) next
          n = split(native[FNR], theirs, ",")
          if (n != NF || n < 2 || $NF != "ok" || theirs[n] != "ok") { bad = 1; next }
          for (i = 1; i < n; ++i)
            if (i != n - 1 && $i != theirs[i]) { bad = 1; next }
          ours = $(n - 1) + 0; native_lambda = theirs[n - 1] + 0
          if (abs(ours - native_lambda) > tolerance * abs(native_lambda)) { bad = 1; next }
          printf "!!! %s: x %s, df1 %s, df2 %s, p %s: lambda %s here, %s native (%.1e relative; the emulated x87)\n",
            name, $1, $2, $3, $4, $(n - 1), theirs[n - 1], abs(ours - native_lambda) / abs(native_lambda)
        }
        END { if (seen != rows) bad = 1; exit bad }' "$native" "$other" && verdict=2
    fi
  fi
  if [ $verdict -eq 1 ]; then
    echo "$name: fnonct --csv differs from the native build (exit $other_status vs $native_status):" >&2
    diff "$native" "$other" | head -20 >&2
    head -20 "$other_err" >&2
  fi
  rm -f "$native" "$other" "$other_err"
  local cases=$(($(wc -l < "$fnonct_cases") - 1))
  case $verdict in
    0) echo "$name: fnonct --csv on $cases cases identical to the native build" ;;
    2) echo "$name: fnonct --csv on $cases cases as the native build, lambda within $fnonct_emulated_tolerance relative on the rows named" ;;
  esac
  [ $verdict -ne 1 ]
}
