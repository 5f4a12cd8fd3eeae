# Shared by the scripts: where the checkout is, and installing what a fresh
# machine lacks.
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
  if [ $apt_updated -eq 0 ]; then
    $sudo_cmd apt-get update -qq >&2
    apt_updated=1
  fi
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}" >&2
}

# The native build every other step starts from.
native_build() {
  ensure_packages g++ cmake libgtest-dev libbenchmark-dev
  if [ ! -f "$root/build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$root/build" -DCMAKE_BUILD_TYPE=Release >&2
  fi
  cmake --build "$root/build" -j"$(nproc)" >&2
}
