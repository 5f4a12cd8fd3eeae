#!/usr/bin/env python3
"""Which power is right: reads the CSV of bench/pwr_compare.R (stdin) and
computes each power design's power with mpmath (tests/reference/gen_power.py:
the central quantile from the inverse incomplete beta ratio, the power from
the Poisson sum, mp.dps = 30), then prints the largest error of ours and of
pwr against it, and the designs where pwr is off by more than 1e-9.

    Rscript bench/pwr_compare.R | bench/pwr_mpmath.py
"""
import csv
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests",
                                "reference"))
import mpmath as mp  # noqa: E402

import gen_power  # noqa: E402


def main():
    mp.mp.dps = 30
    worst = {"ours": 0.0, "pwr": 0.0}
    off = []
    count = 0
    for row in csv.DictReader(sys.stdin):
        if not row["form"].endswith("power"):
            continue
        first, size, effect, alpha = (float(row[k]) for k in ("first", "size", "effect", "alpha"))
        if row["form"] == "f2-power":
            df1, df2, lam = first, size, effect * (first + size + 1)
        else:
            df1, df2, lam = first - 1, first * (size - 1), first * size * effect ** 2
        _, exact = gen_power.power(df1, df2, lam, alpha)
        count += 1
        for side in ("ours", "pwr"):
            err = abs(float(row[side]) - exact)
            worst[side] = max(worst[side], err)
        err_pwr = abs(float(row["pwr"]) - exact)
        if err_pwr > 1e-9:
            off.append((row["form"], first, size, effect, alpha, float(row["pwr"]), exact, err_pwr))
    print("%d power designs against mpmath: largest error ours %.3g, pwr %.3g"
          % (count, worst["ours"], worst["pwr"]))
    for form, first, size, effect, alpha, theirs, exact, err in off:
        print("pwr off by %.3g: %s first=%g size=%g effect=%g alpha=%g pwr=%.17g mpmath=%s"
              % (err, form, first, size, effect, alpha, theirs, mp.nstr(exact, 17)))


if __name__ == "__main__":
    main()
