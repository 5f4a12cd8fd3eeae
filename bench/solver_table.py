#!/usr/bin/python3
"""The noncentrality searches root by root, on the benchmark grid and on each
region of tests/data/fnonct_regions.inc, in one table: for the library's
solver (fnonct_solve, behind the Python and R packages) and the evaluate
callback's search, the time per root, the distribution functions a root
takes (Poisson sums, or ncf_cdf calls), and the root's cost in units of the
distribution function at the root (ncf_cdf where it answers, else
ncf_log_tails); beside them SciPy's ncfdtrinc on the same rows and the
ratio SciPy / library; and ncp_interval against the two roots it solves.

Each round runs build/kelbrant_bench (the root benchmarks, best of its
seven repetitions) and then SciPy, both pinned to one processor; the table
gives each figure's best round, the figure least disturbed by a shared
machine's load.

    bench/solver_table.py [ROUNDS] [CPU]          (default 3 rounds, CPU 1)

Run with Debian's python3, python3-numpy and python3-scipy after the
default build.
"""
import json
import os
import re
import subprocess
import sys
import time
import timeit

import numpy as np
from scipy.special import ncfdtrinc

HERE = os.path.dirname(os.path.abspath(__file__))
BENCH = os.path.join(HERE, "..", "build", "kelbrant_bench")
GRID = os.path.join(HERE, "grid.csv")
REGIONS = os.path.join(HERE, "..", "tests", "data", "fnonct_regions.inc")
SETS = ["grid", "ordinary", "large", "small", "tails", "heavy", "wide"]
REPEATS = 5


def region_rows():
    """{region: (x, df1, df2, p)} from the reference table."""
    text = open(REGIONS).read()
    out = {}
    for name, body in re.findall(r"fnonct_(\w+)_rows\[\] = \{(.*?)\n\};", text, re.S):
        rows = [[float(v) for v in m.split(",")[:4]]
                for m in re.findall(r"\{([^{}]*)\}", body)]
        out[name] = tuple(np.array(c) for c in zip(*rows))
    return out


def grid_rows():
    data = np.genfromtxt(GRID, delimiter=",", names=True)
    return data["x"], data["df1"], data["df2"], data["p"]


def kelbrant_round():
    out = subprocess.run([BENCH, "--benchmark_format=json", "--benchmark_min_time=0.2",
                          "--benchmark_filter=^(fnonct_solve|fnonct_search|cdf_at_root|ncp_)"],
                         check=True, capture_output=True, text=True).stdout
    best = {}
    for b in json.loads(out[out.index("{"):])["benchmarks"]:
        if b.get("aggregate_name") == "best":
            best[b["run_name"].split("/repeats")[0]] = b
    return best


def scipy_round(rows):
    x, df1, df2, p = rows
    return min(timeit.repeat(lambda: ncfdtrinc(df1, df2, p, x), timer=time.process_time,
                             number=3, repeat=REPEATS)) / (3 * len(x)) * 1e6


def main():
    rounds = int(sys.argv[1]) if len(sys.argv) > 1 else 3
    cpu = int(sys.argv[2]) if len(sys.argv) > 2 else 1
    os.sched_setaffinity(0, {cpu})  # this process and the benchmark it starts
    sets = dict(region_rows(), grid=grid_rows())
    ours, peer = {}, {}
    for _ in range(rounds):
        for name, b in kelbrant_round().items():
            if name not in ours or b["cpu_time"] < ours[name]["cpu_time"]:
                ours[name] = b
        for name in SETS:
            t = scipy_round(sets[name])
            peer[name] = min(peer.get(name, float("inf")), t)
    load = os.getloadavg()[0]
    print("best of %d rounds on processor %d (load average %.1f); microseconds per root"
          % (rounds, cpu, load))
    print("%-9s %5s  %8s %5s %6s  %8s %6s %6s  %8s  %9s %6s"
          % ("rows", "n", "solve", "sums", "cdfs", "callback", "calls", "cdfs",
             "cdf", "ncfdtrinc", "ratio"))
    for name in SETS:
        s = ours["fnonct_solve/" + name]
        c = ours["fnonct_search/" + name]
        d = ours["cdf_at_root/" + name]
        us_s, us_c, us_d = s["us_per_root"] * 1e6, c["us_per_root"] * 1e6, d["us_per_call"] * 1e6
        print("%-9s %5d  %8.3f %5.2f %6.2f  %8.3f %6.2f %6.2f  %8.3f  %9.3f %6.2f"
              % (name, s["rows"], us_s, s["sums_per_root"], us_s / us_d, us_c,
                 c["cdf_calls_per_root"], us_c / us_d, us_d, peer[name], peer[name] / us_s))
    i = ours["ncp_interval/grid"]["us_per_interval"] * 1e6
    r = ours["ncp_roots/grid"]["us_per_interval"] * 1e6
    print("ncp_interval on the grid at 95%%: %.3f us an interval, its two roots %.3f us: %.2f"
          % (i, r, i / r))


if __name__ == "__main__":
    main()
