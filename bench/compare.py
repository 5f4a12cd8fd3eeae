#!/usr/bin/python3
"""Alternates build/kelbrant_bench and the SciPy peer on the benchmark grid
and prints, round by round, each side's time per call and the ratio SciPy /
kelbrant, then the median ratio and the ratio of each side's best round.

The machines this runs on share their cores with others, and their speed
drifts by a third and more from one minute to the next; two programs timed
a minute apart can differ by that much for no reason of their own, and one
processor of a machine can be slower than its other (its sibling thread
busy with someone else's work).  Each round pins both sides to one
processor, the rounds go round the processors, and the two sides alternate
within a round, so that both run under the same conditions; the median
ratio and the ratio of the best rounds (each side at its least disturbed)
are the comparisons to quote.

The Python package, when it can be imported, is timed in the same rounds:
kelbrant.fnonct called in process on the grid's arrays, against SciPy's
ncfdtrinc on the same arrays (the ratio SciPy / package) and against the
evaluate callback of build/kelbrant_bench (the package's overhead per
element, package / callback - 1).

Run with Debian's python3 and python3-scipy, after the default build; with
the package, run it with the interpreter of the environment it is installed
in (scripts/test.d/60-python.sh makes one):

    bench/compare.py [ROUNDS]                             (default 5)
    build-python/venv/bin/python bench/compare.py [ROUNDS]
"""
import json
import os
import statistics
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import scipy_peer  # noqa: E402

import numpy as np  # noqa: E402
from scipy.special import ncfdtr, ncfdtrinc  # noqa: E402

try:
    import kelbrant
except ImportError:
    kelbrant = None

HERE = os.path.dirname(os.path.abspath(__file__))
BENCH = os.path.join(HERE, "..", "build", "kelbrant_bench")
GRID = os.path.join(HERE, "grid.csv")


def kelbrant_round():
    out = subprocess.run([BENCH, "--benchmark_format=json", "--benchmark_min_time=0.3"],
                         check=True, capture_output=True, text=True).stdout
    best = {}
    # The program names its grid on the first line, before the JSON report.
    for b in json.loads(out[out.index("{"):])["benchmarks"]:
        if b.get("aggregate_name") == "best":
            if b["run_name"].startswith("fnonct_evaluate"):
                best["fnonct"] = b["us_per_eval"] * 1e6
            else:
                best["cdf"] = b["us_per_call"] * 1e6
    return best


def scipy_round(n, c):
    x, df1, df2, p, ncp = c["x"], c["df1"], c["df2"], c["p"], c["ncp"]
    return {
        "fnonct": scipy_peer.best_per_call(lambda: ncfdtrinc(df1, df2, p, x), n, 5),
        "cdf": scipy_peer.best_per_call(lambda: ncfdtr(df1, df2, ncp, x), n, 20),
    }


def package_round(n, c):
    x, df1, df2, p = c["x"], c["df1"], c["df2"], c["p"]
    return scipy_peer.best_per_call(lambda: kelbrant.fnonct(x, df1, df2, p), n, 5)


def package_floor(n, c):
    """Microseconds per element of kelbrant.fnonct on rows that need no work
    (x NaN: the answer is missing at once), the cost of the ufunc's own loop
    and of the call spread over the grid."""
    x = np.full(n, np.nan)
    df1, df2, p = c["df1"], c["df2"], c["p"]
    return scipy_peer.best_per_call(lambda: kelbrant.fnonct(x, df1, df2, p), n, 200)


def main():
    rounds = int(sys.argv[1]) if len(sys.argv) > 1 else 5
    n, c = scipy_peer.load(GRID)
    ratios = {"fnonct": [], "cdf": []}
    best_k = {"fnonct": float("inf"), "cdf": float("inf")}
    best_s = dict(best_k)
    package = {"time": [], "scipy": [], "overhead": []}
    print("grid: %s (%d rows); microseconds per call, best of repeats" % (GRID, n))
    if kelbrant is None:
        print("(the kelbrant package is not importable here: its columns are left out)")
    cpus = sorted(os.sched_getaffinity(0))
    print("round  cpu  FNONCT  ncfdtrinc  ratio   ncf_cdf  ncfdtr  ratio"
          + ("   package  SciPy/package  overhead" if kelbrant else ""))
    for i in range(rounds):
        cpu = cpus[i % len(cpus)]
        os.sched_setaffinity(0, {cpu})  # this process, and the benchmark it starts
        k = kelbrant_round()
        s = scipy_round(n, c)
        for key in ratios:
            ratios[key].append(s[key] / k[key])
            best_k[key] = min(best_k[key], k[key])
            best_s[key] = min(best_s[key], s[key])
        line = ("%5d  %3d  %6.3f  %9.3f  %5.2f   %7.3f  %6.3f  %5.2f"
                % (i + 1, cpu, k["fnonct"], s["fnonct"], ratios["fnonct"][-1],
                   k["cdf"], s["cdf"], ratios["cdf"][-1]))
        if kelbrant:
            t = package_round(n, c)
            package["time"].append(t)
            package["scipy"].append(s["fnonct"] / t)
            package["overhead"].append(t / k["fnonct"] - 1)
            line += "   %7.3f  %13.2f  %+7.1f%%" % (t, package["scipy"][-1],
                                                   100 * package["overhead"][-1])
        print(line)
    os.sched_setaffinity(0, set(cpus))
    print("median ratio SciPy/kelbrant: FNONCT %.2f, distribution function %.2f"
          % (statistics.median(ratios["fnonct"]), statistics.median(ratios["cdf"])))
    print("best of all rounds: FNONCT %.3f, ncfdtrinc %.3f, ratio %.2f; "
          "ncf_cdf %.3f, ncfdtr %.3f, ratio %.2f"
          % (best_k["fnonct"], best_s["fnonct"], best_s["fnonct"] / best_k["fnonct"],
             best_k["cdf"], best_s["cdf"], best_s["cdf"] / best_k["cdf"]))
    if kelbrant:
        os.sched_setaffinity(0, {cpus[0]})
        floor = package_floor(n, c)
        os.sched_setaffinity(0, set(cpus))
        best = min(package["time"])
        print("package kelbrant.fnonct: median ratio SciPy/package %.2f, median overhead over "
              "the evaluate callback %+.1f%%; best of all rounds %.3f, ratio to ncfdtrinc %.2f, "
              "overhead %+.1f%%"
              % (statistics.median(package["scipy"]), 100 * statistics.median(package["overhead"]),
                 best, best_s["fnonct"] / best, 100 * (best / best_k["fnonct"] - 1)))
        print("package loop and call alone (rows that need no search): %.4f microseconds per "
              "element, %.2f%% of the best FNONCT evaluation" % (floor, 100 * floor / best_k["fnonct"]))


if __name__ == "__main__":
    main()
