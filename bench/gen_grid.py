#!/usr/bin/python3
"""Writes bench/grid.csv, the fixed grid of FNONCT cases the benchmark and its
peers are timed on.

Each row is a realistic question: df1 an integer from 1 to 20, df2 an integer
from 5 to 200, x the central F quantile at a probability q between 0.5 and
0.99 (so the central probability at x is q), and p between 0.05 and
min(0.95, q - 0.01), below the central probability so that a noncentrality
exists.  x and p are rounded to 6 significant digits, as a user would type
them.  The last column is that noncentrality (scipy.special.ncfdtrinc), the
point at which the distribution-function timings evaluate: it is where the
search spends its calls.  It only places the timing points; no result is
checked against it.

Run with Debian's python3 and python3-scipy:  bench/gen_grid.py
"""
import os
import random

import scipy
from scipy.special import ncfdtrinc
from scipy.stats import f as f_dist

ROWS = 2400
SEED = 20261210

def sig6(v):
    return float(f"{v:.6g}")

def main():
    rng = random.Random(SEED)
    path = os.path.join(os.path.dirname(os.path.abspath(__file__)), "grid.csv")
    rows = []
    while len(rows) < ROWS:
        df1 = rng.randint(1, 20)
        df2 = rng.randint(5, 200)
        q = rng.uniform(0.5, 0.99)
        x = sig6(f_dist.ppf(q, df1, df2))
        p = sig6(rng.uniform(0.05, min(0.95, q - 0.01)))
        ncp = float(ncfdtrinc(df1, df2, p, x))
        if not (ncp > 0.0):
            continue
        rows.append((x, df1, df2, p, ncp))
    with open(path, "w") as out:
        out.write("x,df1,df2,p,ncp\n")
        for x, df1, df2, p, ncp in rows:
            out.write(f"{x!r},{df1},{df2},{p!r},{ncp:.17g}\n")
    print(f"{path}: {len(rows)} rows (scipy {scipy.__version__}, seed {SEED})")

if __name__ == "__main__":
    main()
