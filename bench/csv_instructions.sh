#!/usr/bin/env bash
# The CSV path's cost beside the evaluation alone, in instructions: both
# benchmarks of build/kelbrant_bench (csv/grid and fnonct_evaluate/grid, the
# same rows of bench/grid.csv) under callgrind, which counts instructions and
# is blind to the load of a shared machine.  Prints the instructions per row
# of each, their ratio, and the overhead per row.
#
#   bench/csv_instructions.sh [BUILD]     BUILD defaults to build/
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-$root/build}
profile=$(mktemp /tmp/kelbrant_callgrind_XXXXXX)
trap 'rm -f "$profile"' EXIT

valgrind --tool=callgrind --callgrind-out-file="$profile" \
  "$build/kelbrant_bench" --benchmark_filter='fnonct_evaluate/grid|csv/grid' \
  --benchmark_min_time=0.001 > /dev/null 2>&1

# csv/grid: everything its benchmark function runs.  fnonct_evaluate/grid:
# the evaluate callback as that benchmark calls it (its set-up, a traced
# search per row, is left out).  Both run the grid once per iteration and
# the same number of iterations, shown as the callback's call count.
callgrind_annotate --inclusive=yes --tree=caller "$profile" 2>/dev/null | awk '
  function number(s) { gsub(",", "", s); return s + 0 }
  # Each function block lists its callers first, then the function ("*").
  /^ *$/ { from_grid = 0 }
  /< .*fnonct_evaluate_grid\(benchmark::State&\)/ { from_grid = number($1); calls = $0;
      sub(/.*\(/, "", calls); sub(/x\).*/, "", calls) }
  /\* .*fnonct_evaluate\(void\*, double\*\)/ { evaluate = from_grid; rows = number(calls) }
  /\* .*csv_grid\(benchmark::State&\)/ { csv = number($1) }
  END {
    if (rows == 0 || csv == 0) { print "csv_instructions: benchmarks not found" > "/dev/stderr"; exit 1 }
    printf "rows evaluated by each: %d\n", rows
    printf "fnonct_evaluate/grid: %.1f M instructions, %.0f per row\n", evaluate / 1e6, evaluate / rows
    printf "csv/grid:             %.1f M instructions, %.0f per row\n", csv / 1e6, csv / rows
    printf "ratio csv / evaluate: %.3f (CSV overhead %.0f instructions per row)\n", csv / evaluate, (csv - evaluate) / rows
  }'
