#!/usr/bin/python3
"""Times SciPy's noncentral chi-square routines on bench/chisq_grid.csv, the
peer figures for the ncx2 rows of build/kelbrant_bench.

  chndtrinc(x, df, p)  the noncentrality, against ncx2_ncp
  chndtr(x, df, nc)    the distribution function, against ncx2_tails

Timed as bench/scipy_peer.py times the F routines: one vectorised call over
the grid and one Python call per row, best of seven repeats, microseconds of
process CPU time per evaluation.

Run with Debian's python3 and python3-scipy:  bench/scipy_chisq_peer.py [grid]
"""
import csv
import os
import sys
import time
import timeit

import numpy as np
import scipy
from scipy.special import chndtr, chndtrinc

REPEATS = 7


def best_per_call(fn, n, number):
    return min(timeit.repeat(fn, timer=time.process_time, number=number,
                             repeat=REPEATS)) / (number * n) * 1e6


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    path = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "chisq_grid.csv")
    with open(path) as f:
        rows = list(csv.DictReader(f))
    x, df, p, nc = (np.array([float(r[k]) for r in rows]) for k in ("x", "df", "p", "ncp"))
    n = len(rows)
    scalars = list(zip(x.tolist(), df.tolist(), p.tolist(), nc.tolist()))

    def inv_vector():
        chndtrinc(x, df, p)

    def inv_scalar():
        for xx, d, pp, _ in scalars:
            chndtrinc(xx, d, pp)

    def cdf_vector():
        chndtr(x, df, nc)

    def cdf_scalar():
        for xx, d, _, c in scalars:
            chndtr(xx, d, c)

    print(f"grid: {path} ({n} rows), scipy {scipy.__version__}, numpy {np.__version__}")
    print(f"chndtrinc  vectorised {best_per_call(inv_vector, n, 3):8.3f} us/call"
          f"   scalar {best_per_call(inv_scalar, n, 1):8.3f} us/call")
    print(f"chndtr     vectorised {best_per_call(cdf_vector, n, 20):8.3f} us/call"
          f"   scalar {best_per_call(cdf_scalar, n, 2):8.3f} us/call")


if __name__ == "__main__":
    main()
