#!/usr/bin/env python3
"""Reference table of the log-space incomplete gamma functions over the
whole range of shapes (tests/library): shapes log-uniform from 1e-10 to
1e9, x placed about the mean in standard deviations and far from it on
both sides, and two bands where the routine once reported wrong values as
success:

  large shapes near the mean: a from 1e7 to 1e8, x within 12 sqrt(a) of a
      (there the bare Wilson-Hilferty variable left 2e-8 of ln P:
      ln P(84298904.5676, 84202712.8993) = -58.19990624, given as
      -58.19990494);
  tiny shapes: a from 1e-10 to 1e-7, x from 1e-12 to 100 (there Q was
      the difference Q(a + 1) - density, or 1 - P, and lost digits like
      1/a: ln Q(2.24e-9, 30.66) 1.5e-6 off).

Writes tests/data/gamma_inc_log_sweep.inc, one C++ initializer row per
case: x, a, then ln P, ln Q and the log density, each as a (hi, rel) pair
(rows.py).

References by gen_gamma.reference at mp.dps = 50: the smaller tail by
mpmath's gammainc, or by Legendre's continued fraction (A&S 6.5.31, Lentz)
far above a, or by the power series (A&S 6.5.29) where gammainc gives up;
each smaller tail recomputed at mp.dps = 70 and required to agree to 1e-40
relative; the larger tail's log as log1p(-smaller).  The two independent
methods meet on the rows where both run (checked here on every tenth row
with a ratio of x to a between 1/2 and 2: series against gammainc).

    python3 tests/reference/gen_gamma_sweep.py           # write the table
    python3 tests/reference/gen_gamma_sweep.py --check   # compare with it
"""

import math
import random

import mpmath
from mpmath import mp, mpf

from gen_gamma import reference, series_lower
from rows import dedupe, log_uniform, mpmath_line, run, write_table

mp.dps = 50


def place(rng, a):
    """x for shape a: within 12 standard deviations of the mean, a factor
    up to 1e3 either way, or anywhere from 1e-12 to 1e3."""
    kind = rng.random()
    if kind < 0.5:
        x = a + math.sqrt(a) * rng.uniform(-12, 12)
    elif kind < 0.8:
        x = a * log_uniform(rng, -3, 3)
    else:
        x = log_uniform(rng, -12, 3)
    return x if x > 0 else a / 2


def cross_check(a, x):
    """P by the power series against mpmath's gammainc, to 1e-40."""
    a_, x_ = mpf(a), mpf(x)
    series = series_lower(a_, x_)
    direct = mpmath.gammainc(a_, 0, x_, regularized=True)
    assert abs(series - direct) <= mpf(10) ** -40 * direct, (a, x)


def main():
    rng = random.Random(20261211)
    cases = []
    for _ in range(160):
        a = log_uniform(rng, -10, 9)
        cases.append((place(rng, a), a))
    for _ in range(30):  # shapes of 1e7 to 1e8 near the mean
        a = log_uniform(rng, 7, 8)
        cases.append((a + math.sqrt(a) * rng.uniform(-12, 12), a))
    for _ in range(30):  # tiny shapes
        cases.append((log_uniform(rng, -12, 2), log_uniform(rng, -10, -7)))
    cases += [(84202712.8993, 84298904.5676), (30.66, 2.24e-9), (1.0, 1e-10), (1.0, 2e-9),
              (0.5615, 1e-9), (1.0000000001, 3e-10), (1e-300, 1e-10)]
    cases = dedupe(cases)
    for i, (x, a) in enumerate(cases):
        if i % 10 == 0 and 0.5 <= x / a <= 2 and a < 1e5:
            cross_check(a, x)
    rows = [((x, a), reference(a, x)[2:5]) for x, a in cases]
    header = [mpmath_line(50) + " Smaller tail checked at mp.dps = 70.",
              "ln P, ln Q, ln density; shapes 1e-10 to 1e9, x about the mean and far;",
              "shapes 1e7 to 1e8 within 12 sqrt(a) of a; shapes 1e-10 to 1e-7.",
              "Row: {x, a, ln P hi, rel, ln Q hi, rel, ln density hi, rel}."]
    write_table("gamma_inc_log_sweep.inc", "gen_gamma_sweep.py", header, rows)


if __name__ == "__main__":
    run(main)
