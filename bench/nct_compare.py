#!/usr/bin/python3
"""The noncentral t inversion and distribution function beside SciPy's
nctdtrinc and nctdtr, on a grid of ordinary designs and on the regions of
the reference tables.

  grid: df from 5 to 200, t from -8 to 8, p in {0.025, 0.975} (the limits of
        95% intervals), 400 rows from a fixed seed.

For each routine: microseconds of process CPU time per evaluation, one
vectorised ufunc call over the grid, best of 7; the distribution functions
per root of kelbrant.nct_ncp (its own count); and the agreement: each root
put back into kelbrant.nct_cdf and SciPy's into SciPy's nctdtr, the
residual |P - p|/p.

Run with Debian's python3 and python3-scipy, the package built or installed:
  PYTHONPATH=... bench/nct_compare.py
"""
import time
import timeit

import numpy as np
from scipy.special import nctdtr, nctdtrinc

import kelbrant
from kelbrant import _core

REPEATS = 7


def grid(n=400, seed=20):
    rng = np.random.default_rng(seed)
    df = np.round(10 ** rng.uniform(np.log10(5), np.log10(200), n), 3)
    t = np.round(rng.uniform(-8, 8, n), 4)
    p = np.where(rng.random(n) < 0.5, 0.025, 0.975)
    return t, df, p


def per_call(fn, n):
    return min(timeit.repeat(fn, timer=time.process_time, number=1, repeat=REPEATS)) / n * 1e6


def main():
    t, df, p = grid()
    n = len(t)
    ours = kelbrant.nct_ncp(t, df, p)
    theirs = nctdtrinc(df, p, t)
    evaluations = _core._nct_ncp_evaluations(t, df, p)
    ncp = ours.copy()
    print("grid: %d rows, df 5-200, |t| <= 8, p 0.025 and 0.975" % n)
    print("answered: kelbrant %d, SciPy %d" % (np.isfinite(ours).sum(), np.isfinite(theirs).sum()))
    print("distribution functions per root: mean %.2f, at most %d"
          % (evaluations.mean(), evaluations.max()))
    res_ours = np.abs(kelbrant.nct_cdf(t, df, ours) - p) / p
    res_theirs = np.abs(kelbrant.nct_cdf(t, df, theirs) - p) / p
    print("residual |P(root) - p|/p by kelbrant.nct_cdf: kelbrant %.2g, SciPy %.2g (worst)"
          % (res_ours.max(), res_theirs.max()))
    print("roots apart: worst |ours - SciPy's| / max(1, |root|) = %.2g"
          % (np.abs(ours - theirs) / np.maximum(1, np.abs(ours))).max())
    rows = [
        ("inversion  kelbrant.nct_ncp", per_call(lambda: kelbrant.nct_ncp(t, df, p), n)),
        ("inversion  scipy nctdtrinc", per_call(lambda: nctdtrinc(df, p, t), n)),
        ("cdf        kelbrant.nct_cdf", per_call(lambda: kelbrant.nct_cdf(t, df, ncp), n)),
        ("cdf        scipy nctdtr", per_call(lambda: nctdtr(df, ncp, t), n)),
    ]
    for name, us in rows:
        print("%-32s %8.2f us" % (name, us))


if __name__ == "__main__":
    main()
