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

Every benchmark of build/kelbrant_bench is reported by its own counter of
time per item (BENCHMARKS below: the benchmark, its counter, and the SciPy
routine timed against it, if any); one the table does not know yet is
reported by its counter named us_per_..., without a peer.

Run with Debian's python3 and python3-scipy, after the default build; with
the package, run it with the interpreter of the environment it is installed
in (scripts/test.d/60-python.sh makes one, and runs one short round of this
script so that a change of the benchmark cannot break it unnoticed):

    bench/compare.py [ROUNDS]                             (default 5)
    build-python/venv/bin/python bench/compare.py [ROUNDS]
    bench/compare.py 1 --min-time=0.001 --repeats=1       (a quick round)
"""
import argparse
import json
import os
import re
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

# The SciPy routines timed against a benchmark, on the grid's columns c:
# the call over the whole grid, and how many calls make one repeat (the
# faster the routine, the more, so that a repeat lasts some milliseconds).
PEERS = {
    "ncfdtrinc": (lambda c: ncfdtrinc(c["df1"], c["df2"], c["p"], c["x"]), 5),
    "ncfdtr": (lambda c: ncfdtr(c["df1"], c["df2"], c["ncp"], c["x"]), 20),
}

# The benchmarks of build/kelbrant_bench: the name it runs under, the counter
# that holds its time per item (seconds per item, the rate inverted), the
# column's title, and the SciPy routine of PEERS timed against it (None:
# reported alone).
BENCHMARKS = [
    ("fnonct_evaluate/grid", "us_per_eval", "FNONCT", "ncfdtrinc"),
    ("fnonct_solve/grid", "us_per_root", "fnonct_solve", "ncfdtrinc"),
    ("ncf_cdf/grid", "us_per_call", "ncf_cdf", "ncfdtr"),
    ("csv/grid", "us_per_row", "CSV row", None),
]


def benchmark_name(run_name):
    """The benchmark's name without the repetitions suffix it runs under."""
    return re.sub(r"/repeats:\d+$", "", run_name)


def kelbrant_round(min_time):
    """Microseconds per item of every benchmark, by name: the best of its
    repetitions, read from the counter the table gives it, or for a
    benchmark the table does not know from its one counter us_per_..."""
    # The table's benchmarks alone (bench/solver_table.py times the rest).
    only = "--benchmark_filter=^(%s)/" % "|".join(re.escape(n) for n, _, _, _ in BENCHMARKS)
    out = subprocess.run([BENCH, "--benchmark_format=json", "--benchmark_min_time=%g" % min_time,
                          only], check=True, capture_output=True, text=True).stdout
    counters = {name: counter for name, counter, _, _ in BENCHMARKS}
    best = {}
    # The program names its grid on the first line, before the JSON report.
    for b in json.loads(out[out.index("{"):])["benchmarks"]:
        if b.get("aggregate_name") != "best":
            continue
        name = benchmark_name(b["run_name"])
        counter = counters.get(name)
        if counter is None:
            found = [k for k in b if k.startswith("us_per_")]
            counter = found[0] if len(found) == 1 else None
        if counter is None or counter not in b:
            print("(benchmark %s has no counter of time per item: left out)" % name)
            continue
        best[name] = b[counter] * 1e6
    return best


def columns_of(first_round):
    """The columns to print: the table's benchmarks that ran, in its order,
    then those it does not know, each as (name, title, peer)."""
    known = [(name, title, peer) for name, _, title, peer in BENCHMARKS if name in first_round]
    names = {name for name, _, _ in known}
    return known + [(name, name, None) for name in sorted(first_round) if name not in names]


def package_round(n, c, repeats):
    x, df1, df2, p = c["x"], c["df1"], c["df2"], c["p"]
    return scipy_peer.best_per_call(lambda: kelbrant.fnonct(x, df1, df2, p), n, 5, repeats)


def package_floor(n, c, repeats):
    """Microseconds per element of kelbrant.fnonct on rows that need no work
    (x NaN: the answer is missing at once), the cost of the ufunc's own loop
    and of the call spread over the grid."""
    x = np.full(n, np.nan)
    df1, df2, p = c["df1"], c["df2"], c["p"]
    return scipy_peer.best_per_call(lambda: kelbrant.fnonct(x, df1, df2, p), n, 200, repeats)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("rounds", nargs="?", type=int, default=5, help="rounds (default 5)")
    parser.add_argument("--min-time", type=float, default=0.3,
                        help="seconds each benchmark repetition runs at least (default 0.3)")
    parser.add_argument("--repeats", type=int, default=scipy_peer.REPEATS,
                        help="repeats of each SciPy and package timing, the best kept "
                             "(default %d)" % scipy_peer.REPEATS)
    args = parser.parse_args()

    n, c = scipy_peer.load(GRID)
    print("grid: %s (%d rows); microseconds per call, best of repeats" % (GRID, n))
    if kelbrant is None:
        print("(the kelbrant package is not importable here: its columns are left out)")
    cpus = sorted(os.sched_getaffinity(0))
    columns = None
    ratios, best_k, best_s = {}, {}, {}
    package = {"time": [], "scipy": [], "overhead": []}
    fnonct = BENCHMARKS[0][0]
    for i in range(args.rounds):
        cpu = cpus[i % len(cpus)]
        os.sched_setaffinity(0, {cpu})  # this process, and the benchmark it starts
        k = kelbrant_round(args.min_time)
        if columns is None:
            columns = columns_of(k)
            title = "round  cpu"
            for name, head, peer in columns:
                title += "  %10s" % head + ("  %10s  ratio" % peer if peer else "")
                ratios[name], best_k[name], best_s[name] = [], float("inf"), float("inf")
            if kelbrant and fnonct in k:
                title += "   package  SciPy/package  overhead"
            print(title)
        line = "%5d  %3d" % (i + 1, cpu)
        s = {}
        for name, _, peer in columns:
            t = k.get(name, float("nan"))
            best_k[name] = min(best_k[name], t)
            line += "  %10.3f" % t
            if peer:
                call, number = PEERS[peer]
                s[name] = scipy_peer.best_per_call(lambda: call(c), n, number, args.repeats)
                ratios[name].append(s[name] / t)
                best_s[name] = min(best_s[name], s[name])
                line += "  %10.3f  %5.2f" % (s[name], ratios[name][-1])
        if kelbrant and fnonct in k:
            t = package_round(n, c, args.repeats)
            package["time"].append(t)
            package["scipy"].append(s[fnonct] / t)
            package["overhead"].append(t / k[fnonct] - 1)
            line += "   %7.3f  %13.2f  %+7.1f%%" % (t, package["scipy"][-1],
                                                   100 * package["overhead"][-1])
        print(line)
    os.sched_setaffinity(0, set(cpus))
    if columns is None:
        return
    compared = [(name, head, peer) for name, head, peer in columns if peer]
    print("median ratio SciPy/kelbrant: "
          + ", ".join("%s %.2f" % (head, statistics.median(ratios[name]))
                      for name, head, _ in compared))
    print("best of all rounds: "
          + "; ".join("%s %.3f, %s %.3f, ratio %.2f"
                      % (head, best_k[name], peer, best_s[name], best_s[name] / best_k[name])
                      for name, head, peer in compared))
    alone = [(name, head) for name, head, peer in columns if not peer]
    if alone:
        print("best of all rounds, no peer: "
              + ", ".join("%s %.3f" % (head, best_k[name]) for name, head in alone))
    if package["time"]:
        os.sched_setaffinity(0, {cpus[0]})
        floor = package_floor(n, c, args.repeats)
        os.sched_setaffinity(0, set(cpus))
        best = min(package["time"])
        print("package kelbrant.fnonct: median ratio SciPy/package %.2f, median overhead over "
              "the evaluate callback %+.1f%%; best of all rounds %.3f, ratio to ncfdtrinc %.2f, "
              "overhead %+.1f%%"
              % (statistics.median(package["scipy"]), 100 * statistics.median(package["overhead"]),
                 best, best_s[fnonct] / best, 100 * (best / best_k[fnonct] - 1)))
        print("package loop and call alone (rows that need no search): %.4f microseconds per "
              "element, %.2f%% of the best FNONCT evaluation" % (floor, 100 * floor / best_k[fnonct]))


if __name__ == "__main__":
    main()
