#!/usr/bin/env bash
# A million rows through kelbrant fnonct --csv: the rows of bench/grid.csv
# repeated (1,000,800 rows, its five columns x,df1,df2,p,ncp: the first four
# are found by their names, ncp passes through), timed by hyperfine on one
# thread and on two, with the peak memory of one run each (GNU time).
#
#   bench/csv_million.sh [BUILD]     BUILD defaults to build/
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$root/build}
table=$(mktemp /tmp/kelbrant_million_XXXXXX.csv)
trap 'rm -f "$table"' EXIT

head -n 1 "$root/bench/grid.csv" > "$table"
body=$(tail -n +2 "$root/bench/grid.csv")
for _ in $(seq 417); do printf '%s\n' "$body"; done >> "$table"
echo "$(($(wc -l < "$table") - 1)) rows, $(wc -c < "$table") bytes"

hyperfine --runs 3 --warmup 1 \
  "$build/kelbrant fnonct --threads=1 --csv $table > /dev/null" \
  "$build/kelbrant fnonct --threads=2 --csv $table > /dev/null"
for threads in 1 2; do
  /usr/bin/time -f "threads=$threads: peak memory %M kB" \
    "$build/kelbrant" fnonct --threads=$threads --csv "$table" > /dev/null
done
