#!/usr/bin/env python3
"""Accuracy of the noncentral chi-square tails on bench/chisq_grid.csv, the
rows ncx2_tails/chisq_grid is timed on, against mpmath.

For every row (x, df, ncp): P(X <= x) and P(X > x) from `kelbrant eval
ncx2_tails` (the forward sum from the Poisson index 0 on these rows) and
the exponentials of `kelbrant eval ncx2_log_tails` (the sum from the
Poisson mode in logarithms), each against the Poisson series of
tests/reference/ncx2_mp.py at mp.dps = 30.  Prints the worst and the 99th
percentile of the relative error of each tail, overall and for the rows
whose central upper tail Q(df/2, x/2) is below 1/4.

Run with Debian's python3 and python3-mpmath after building:

    bench/chisq_tails_accuracy.py [build/kelbrant] [grid]
"""
import csv
import math
import os
import subprocess
import sys

from mpmath import mp, mpf, gammainc, inf

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "tests", "reference"))

from ncx2_mp import tails_series  # noqa: E402

DPS = 30


def evaluate(kelbrant, routine, x, df, ncp):
    """The two outputs of `kelbrant eval ROUTINE x df ncp` after its status."""
    out = subprocess.run([kelbrant, "eval", routine, repr(x), repr(df), repr(ncp)],
                         capture_output=True, text=True, check=True).stdout
    values = [line.split() for line in out.splitlines()]
    return float(values[1][1]), float(values[2][1])


def main():
    kelbrant = sys.argv[1] if len(sys.argv) > 1 else os.path.join(HERE, "..", "build", "kelbrant")
    path = sys.argv[2] if len(sys.argv) > 2 else os.path.join(HERE, "chisq_grid.csv")
    mp.dps = DPS
    with open(path) as f:
        rows = [(float(r["x"]), float(r["df"]), float(r["ncp"])) for r in csv.DictReader(f)]
    errors = {}  # (form, tail, band) -> list
    for x, df, ncp in rows:
        P, Q = tails_series(mpf(x), mpf(df), mpf(ncp))
        small_q0 = gammainc(mpf(df) / 2, mpf(x) / 2, inf, regularized=True) < mpf(1) / 4
        direct = evaluate(kelbrant, "ncx2_tails", x, df, ncp)
        logs = evaluate(kelbrant, "ncx2_log_tails", x, df, ncp)
        logs = (math.exp(logs[0]), math.exp(logs[1]))
        for form, (p, q) in (("ncx2_tails", direct), ("exp(ncx2_log_tails)", logs)):
            for tail, got, want in (("P", p, P), ("Q", q, Q)):
                e = float(abs(mpf(got) - want) / want)
                for band in ("all rows", "Q0 < 1/4"):
                    if band == "all rows" or small_q0:
                        errors.setdefault((form, tail, band), []).append(e)
    print(f"grid: {path} ({len(rows)} rows), references by mpmath at mp.dps = {DPS}")
    for (form, tail, band), v in sorted(errors.items(), key=lambda kv: (kv[0][2], kv[0][0], kv[0][1])):
        v.sort()
        print(f"{band:9s} ({len(v):4d})  {form:20s} {tail}  worst {v[-1]:.2e}"
              f"  99th percentile {v[int(0.99 * (len(v) - 1))]:.2e}")


if __name__ == "__main__":
    main()
