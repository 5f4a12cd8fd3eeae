#!/usr/bin/env bash
# same_fnonct_output (scripts/lib.sh), the comparison of another build's
# command line with the native one on the case file, with two small programs
# standing for both builds: the native output, and the other build's, which
# one case of the table below edits.  Bit for bit it passes only on the same
# output and exit status (line ends aside); with the allowance for an
# emulated x87 also on lambda within the tolerance, the status ok on both
# sides, each such row named in a line beginning "!!!".
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/lib.sh"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fnonct_cases="$work/cases.csv"
printf 'x,df1,df2,p\n2,3,10,0.5\n.,3,10,0.5\n200,2,50,0.5\n' > "$fnonct_cases"
native_text='x,df1,df2,p,lambda,status
2,3,10,0.5,3.5590979605138635,ok
.,3,10,0.5,,missing
200,2,50,0.5,3804.1029844220338,ok'
# fake OUTPUT STATUS: a command line that prints OUTPUT and exits with STATUS.
cat > "$work/fake" <<'FAKE'
#!/usr/bin/env bash
printf '%s\n' "$1"
exit "$2"
FAKE
chmod +x "$work/fake"

failures=0
last_log=
# check NAME EMULATED EXPECTED OUTPUT [STATUS]: EXPECTED is pass or fail.
check() {
  local name=$1 emulated=$2 expected=$3 output=$4 status=${5:-0} got=pass log
  fnonct_native=("$work/fake" "$native_text" 0)
  fnonct_emulated_x87=$emulated
  log=$(same_fnonct_output test "$work/fake" "$output" "$status" 2>&1) || got=fail
  if [ "$got" != "$expected" ]; then
    echo "FAIL $name (emulated x87 $emulated): $got, expected $expected"
    echo "$log"
    failures=$((failures + 1))
  fi
  last_log=$log
}

lambda_apart=${native_text/3804.1029844220338/3804.1029844220284}   # 1.4e-15 relative
lambda_far=${native_text/3804.1029844220338/3804.1039844220338}     # 2.6e-7 relative
status_apart=${native_text/3804.1029844220338,ok/3804.1029844220284,failed}
argument_apart=${native_text/200,2,50,0.5,3804.1029844220338/200,2,51,0.5,3804.1029844220284}
missing_apart=${native_text/,,missing/,3804.1029844220284,missing}
crlf=$(printf '%s\n' "$native_text" | sed 's/$/\r/')

for emulated in 0 1; do
  check "the same output" $emulated pass "$native_text"
  check "CRLF line ends" $emulated pass "$crlf"
  check "another exit status" $emulated fail "$native_text" 4
  check "a row left out" $emulated fail "$(head -n 3 <<< "$native_text")"
  check "a row more" $emulated fail "$native_text"$'\n1,1,1,0.5,1,ok'
  check "no output" $emulated fail ""
  check "lambda beyond the tolerance" $emulated fail "$lambda_far"
  check "a status apart" $emulated fail "$status_apart"
  check "an argument apart" $emulated fail "$argument_apart"
  check "a field of a row without a root" $emulated fail "$missing_apart"
done
check "lambda in its last digits, bit for bit" 0 fail "$lambda_apart"
check "lambda in its last digits, emulated x87" 1 pass "$lambda_apart"
if [ "$(grep -c '^!!!' <<< "$last_log")" != 1 ] \
    || ! grep -q '^!!! test: x 200, df1 2, df2 50, p 0.5: lambda 3804.1029844220284 here' <<< "$last_log"; then
  echo "FAIL the row whose lambda differs is not named in one line:"
  echo "$last_log"
  failures=$((failures + 1))
fi

[ $failures -eq 0 ] && echo "same_fnonct_output: every case as expected"
[ $failures -eq 0 ]
