#!/usr/bin/env python3
"""Coverage and accuracy of FNONCT beside SciPy's ncfdtrinc, per region.

Reads the reference roots of tests/data/fnonct_regions.inc (made by
tests/reference/gen_fnonct_regions.py with mpmath), solves every row with
the command line (build/kelbrant fnonct --csv) and with
scipy.special.ncfdtrinc, and prints a Markdown table: per region the rows,
the fraction answered, the worst relative error of lambda where answered,
and the worst error in units of 1e-12 kappa (kappa = |p / (lam dP/dlam)|,
the condition number of lambda in p, with a floor of 2^-52 for lambda's own
rounding).  A SciPy answer counts when it is finite; its search is bounded,
so an answer at the bound is counted and its error shown.

Usage: bench/coverage.py [path/to/kelbrant]      (default build/kelbrant)
"""
import csv
import io
import math
import os
import re
import subprocess
import sys

from scipy.special import ncfdtrinc

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
TABLE = os.path.join(ROOT, "tests", "data", "fnonct_regions.inc")
FLOOR = 2.0 ** -52


def regions():
    text = open(TABLE).read()
    out = []
    for m in re.finditer(r"fnonct_(\w+)_rows\[\] = \{(.*?)\n\};", text, re.S):
        rows = [[float(v) for v in r.split(",")] for r in re.findall(r"\{([^{}]*)\}", m.group(2))]
        out.append((m.group(1), rows))
    return out


def ours(kelbrant, rows):
    lines = ["x,df1,df2,p"] + ["%r,%r,%r,%r" % tuple(r[:4]) for r in rows]
    done = subprocess.run([kelbrant, "fnonct", "--csv"], input="\n".join(lines) + "\n",
                          capture_output=True, text=True)
    answers = []
    for rec in csv.DictReader(io.StringIO(done.stdout)):
        answers.append(float(rec["lambda"]) if rec["status"] == "ok" else None)
    return answers


def scipy(rows):
    answers = []
    for x, df1, df2, p, _, _ in rows:
        v = float(ncfdtrinc(df1, df2, p, x))
        answers.append(v if math.isfinite(v) else None)
    return answers


def summary(rows, answers):
    got = [(r, a) for r, a in zip(rows, answers) if a is not None]
    rel = [abs(a - r[4]) / r[4] for r, a in got]
    cond = [abs(a - r[4]) / r[4] / (1e-12 * r[5] + FLOOR) for r, a in got]
    return (len(got) / len(rows), max(rel, default=float("nan")), max(cond, default=float("nan")))


def main():
    kelbrant = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build", "kelbrant")
    print("| region | rows | kelbrant answered | worst rel. error | worst / (1e-12 kappa) "
          "| ncfdtrinc answered | worst rel. error | worst / (1e-12 kappa) |")
    print("|---|---|---|---|---|---|---|---|")
    for name, rows in regions():
        a = summary(rows, ours(kelbrant, rows))
        b = summary(rows, scipy(rows))
        print("| %s | %d | %.1f%% | %.2g | %.2g | %.1f%% | %.2g | %.2g |"
              % (name, len(rows), 100 * a[0], a[1], a[2], 100 * b[0], b[1], b[2]))
    return 0


if __name__ == "__main__":
    sys.exit(main())
