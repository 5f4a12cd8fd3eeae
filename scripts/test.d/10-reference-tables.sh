#!/usr/bin/env bash
# Every table generator that runs in under a minute regenerates its tables
# into a temporary folder (--check), and they must equal the committed ones
# (the mpmath release named in a table's header aside).  The slower reference
# generators are run by hand when their tables change.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"

ensure_packages python3 python3-mpmath

quick_generators=(
  numeric/gen_exp_table.py
  numeric/gen_ln_table.py
  library/gen_bessel_debye_table.py
  library/gen_gamma_temme_table.py
  tests/reference/gen_elementary.py
  tests/reference/gen_numeric.py
  tests/reference/gen_densities.py
  tests/reference/gen_robustness.py
  tests/reference/gen_fnonct_cases.py
  tests/reference/gen_effect_interval.py
  tests/reference/gen_cli_csv.py
)
for generator in "${quick_generators[@]}"; do
  echo "-- $generator --check"
  python3 "$root/$generator" --check
done
