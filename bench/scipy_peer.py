#!/usr/bin/python3
"""Times SciPy's noncentral F routines on the benchmark grid, the peer figures
for build/kelbrant_bench.

  ncfdtrinc(df1, df2, p, x)  the noncentrality, against an FNONCT evaluation
  ncfdtr(df1, df2, ncp, x)   the distribution function, against ncf_cdf

Each routine is timed two ways: one vectorised ufunc call over the whole grid
(the routine's own cost, Python overhead spread over the grid), and one
Python call per row (what a scalar caller pays).  The best of several repeats
is reported, in microseconds of process CPU time per evaluation (the
benchmark program reports CPU time too, so that a busy machine does not
favour either side).

Run with Debian's python3 and python3-scipy:  bench/scipy_peer.py [grid.csv]
"""
import csv
import os
import sys
import time
import timeit

import numpy as np
import scipy
from scipy.special import ncfdtr, ncfdtrinc

REPEATS = 7

def load(path):
    with open(path) as f:
        rows = list(csv.DictReader(f))
    cols = {k: np.array([float(r[k]) for r in rows]) for k in ("x", "df1", "df2", "p", "ncp")}
    return len(rows), cols

def best_per_call(fn, n, number, repeats=REPEATS):
    return min(timeit.repeat(fn, timer=time.process_time, number=number, repeat=repeats)) / (number * n) * 1e6

def main():
    here = os.path.dirname(os.path.abspath(__file__))
    path = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "grid.csv")
    n, c = load(path)
    x, df1, df2, p, ncp = c["x"], c["df1"], c["df2"], c["p"], c["ncp"]
    scalars = list(zip(x.tolist(), df1.tolist(), df2.tolist(), p.tolist(), ncp.tolist()))

    def inv_vector():
        ncfdtrinc(df1, df2, p, x)

    def inv_scalar():
        for xx, d1, d2, pp, _ in scalars:
            ncfdtrinc(d1, d2, pp, xx)

    def cdf_vector():
        ncfdtr(df1, df2, ncp, x)

    def cdf_scalar():
        for xx, d1, d2, _, nc in scalars:
            ncfdtr(d1, d2, nc, xx)

    print(f"grid: {path} ({n} rows), scipy {scipy.__version__}, numpy {np.__version__}")
    print(f"ncfdtrinc  vectorised {best_per_call(inv_vector, n, 5):8.3f} us/call"
          f"   scalar {best_per_call(inv_scalar, n, 1):8.3f} us/call")
    print(f"ncfdtr     vectorised {best_per_call(cdf_vector, n, 20):8.3f} us/call"
          f"   scalar {best_per_call(cdf_scalar, n, 2):8.3f} us/call")

if __name__ == "__main__":
    main()
