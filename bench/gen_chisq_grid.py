#!/usr/bin/python3
"""Writes bench/chisq_grid.csv, the fixed grid of noncentral chi-square
inversions the benchmark and its peers are timed on.

Each row is an ordinary design: df an integer from 1 to 100, x the central
chi-square quantile at a probability q between 0.5 and 0.99, p between
0.05 and min(0.95, q - 0.01) (below the central probability, so that a
noncentrality exists), x and p rounded to 6 significant digits.  The last
column is that noncentrality (scipy.special.chndtrinc), where the
distribution-function timings evaluate; no result is checked against it.

Run with Debian's python3 and python3-scipy:  bench/gen_chisq_grid.py
"""
import os
import random

import scipy
from scipy.special import chndtrinc
from scipy.stats import chi2

ROWS = 2400
SEED = 20261211


def sig6(v):
    return float(f"{v:.6g}")


def main():
    rng = random.Random(SEED)
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "chisq_grid.csv")
    rows = []
    while len(rows) < ROWS:
        df = rng.randint(1, 100)
        q = rng.uniform(0.5, 0.99)
        x = sig6(chi2.ppf(q, df))
        p = sig6(rng.uniform(0.05, min(0.95, q - 0.01)))
        ncp = float(chndtrinc(x, df, p))
        if not (ncp > 0.0):
            continue
        rows.append((x, df, p, ncp))
    with open(path, "w") as out:
        out.write("x,df,p,ncp\n")
        for x, df, p, ncp in rows:
            out.write(f"{x!r},{df},{p!r},{ncp:.17g}\n")
    print(f"{path}: {len(rows)} rows (scipy {scipy.__version__}, seed {SEED})")


if __name__ == "__main__":
    main()
