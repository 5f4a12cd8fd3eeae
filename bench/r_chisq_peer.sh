#!/usr/bin/env bash
# The R peers of the chi-square family: installs what bench/r_chisq_peer.R
# needs (Debian's r-base-dev and r-cran-effectsize), the R package from
# this tree into a library of its own (build-rbench/lib), and runs the
# script pinned to one processor, with the load average before and after.
#
#   bench/r_chisq_peer.sh [ROUNDS] [CPU]     ROUNDS 3, CPU 1 by default
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../scripts/lib.sh"

ensure_packages r-base-dev r-cran-effectsize util-linux
rounds=${1:-3}
cpu=${2:-1}
lib="$root/build-rbench/lib"
mkdir -p "$lib"
R CMD INSTALL --library="$lib" "$root/r" > "$root/build-rbench/install.log" 2>&1 \
  || { cat "$root/build-rbench/install.log" >&2; exit 1; }
echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg)"
R_LIBS="$lib" taskset -c "$cpu" Rscript "$root/bench/r_chisq_peer.R" "$rounds"
echo "load average after: $(cut -d' ' -f1-3 /proc/loadavg)"
