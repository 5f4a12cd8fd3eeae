#!/usr/bin/env python3
"""Reference table for the log-space incomplete gamma functions of large
shapes (tests/library): shapes from 3e4 to 1e7, where the power series
needs more than its term limit near and below the centre and the upper
continued fraction more than its step limit just above it.

Writes tests/data/gamma_inc_log_band.inc, one C++ initializer row per case:
x, a, then ln P, ln Q and the log density, each as a (hi, rel) pair
(rows.py).

References at mp.dps = 50, each recomputed at mp.dps = 70 and required to
agree to 1e-40 relative:
    x <= a:                   P by the power series (A&S 6.5.29), every term
                              positive; Q = 1 - P;
    a < x <= a + 10 sqrt(a):  P by the same series and Q = 1 - P, at a
                              precision raised by the digits that the
                              subtraction cancels;
    beyond:                   Q by Legendre's continued fraction (A&S
                              6.5.31, modified Lentz); P = 1 - Q.
ln P and ln Q are taken from the smaller tail as ln s and log1p(-s), and
the log density is (a - 1) ln x - x - ln Gamma(a).

The points: x from eight standard deviations sqrt(a) below the mean to
eight above, the far tails (x from 0.1 a to 3 a), shapes on both sides of
10^4 and 10^7, and the points at which the routine once reported a wrong
lower tail as success, from a fixed random seed:

    python3 tests/reference/gen_gamma_band.py           # write the table
    python3 tests/reference/gen_gamma_band.py --check   # compare with it
"""

import math
import random

import mpmath
from mpmath import mp, mpf

from gen_gamma import series_lower, upper_fraction
from rows import dedupe, log_uniform, mpmath_line, run, write_table

DPS = 50
CHECK_DPS = 70


def smaller_tail(a, x):
    """(value, is_lower) of the smaller of P and Q at the current precision."""
    a, x = mpf(a), mpf(x)
    if x > a + 10 * mpmath.sqrt(a):
        return upper_fraction(a, x), False
    if x <= a:
        p = series_lower(a, x)
        if p < 0.5:
            return p, True
    # Q = 1 - P loses the digits of P's leading nines: raise the precision by
    # them (P >= 1 - e^-(z^2/2), z the standardized distance, at most 10).
    z = (x - a) / mpmath.sqrt(a)
    lost = int(max(z, 0) ** 2 / 2 / math.log(10)) + 10
    with mp.workdps(mp.dps + lost):
        q = 1 - series_lower(a, x)
    return +q, False


def reference(a, x):
    """ln P, ln Q, ln density."""
    with mp.workdps(CHECK_DPS):
        check, check_lower = smaller_tail(a, x)
    s, is_lower = smaller_tail(a, x)
    assert is_lower == check_lower and abs(check - s) <= mpf(10) ** -40 * s, (a, x)
    a, x = mpf(a), mpf(x)
    log_density = (a - 1) * mpmath.log(x) - x - mpmath.loggamma(a)
    if is_lower:
        return mpmath.log(s), mpmath.log1p(-s), log_density
    return mpmath.log1p(-s), mpmath.log(s), log_density


def cases():
    rng = random.Random(20261210)
    points = [
        (2986143.59354, 3e6),       # ln P was -18.715 with status 0 (truth -35.11)
        (2986143.593539449, 3e6),   # eight standard deviations below the mean
        (2994803.0, 3e6),           # three below
        (99000.0, 1e5), (98500.0, 1e5), (97000.0, 1e5),
        (30000.0, 3e4), (29500.0, 3e4), (29000.0, 3e4), (30500.0, 3e4),
        (9990000.0, 9999999.0), (9980000.0, 9999999.0), (10010000.0, 9999999.0),
        (1e4 - 100.0, 1e4), (1e4 + 100.0, 1e4), (1e4, 1e4),
    ]
    for _ in range(40):  # within eight standard deviations of the mean
        a = log_uniform(rng, math.log10(3e4), 7)
        points.append((a + math.sqrt(a) * rng.uniform(-8, 8), a))
    for _ in range(12):  # the far tails
        a = log_uniform(rng, math.log10(3e4), 7)
        points.append((a * rng.choice((rng.uniform(0.1, 0.95), rng.uniform(1.05, 3))), a))
    return dedupe(points)


def main():
    mp.dps = DPS
    rows = [((x, a), reference(a, x)) for x, a in cases()]
    header = [mpmath_line(DPS) + " Smaller tail checked at mp.dps = %d." % CHECK_DPS,
              "ln P, ln Q, ln density; 3e4 <= a < 1e7, x within 8 sqrt(a) of a, and",
              "the far tails; shapes of 1e4 and just below 1e7 beside them.",
              "Row: {x, a, ln P hi, rel, ln Q hi, rel, ln density hi, rel}."]
    write_table("gamma_inc_log_band.inc", "gen_gamma_band.py", header, rows)


if __name__ == "__main__":
    run(main)
