#!/usr/bin/env bash
# Every fuzz target for a short fixed time, starting from the committed
# corpus (which holds the regression inputs of every fault found so far, so
# each of them is replayed first).  scripts/fuzz runs them for longer.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"

"$root/scripts/fuzz" 15
