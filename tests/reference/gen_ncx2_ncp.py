#!/usr/bin/env python3
"""Reference table of the noncentral chi-square inversion in the
noncentrality (tests/ncx2): the lambda >= 0 with P(X <= x; df, lambda) = p,
or P(X > x) = p for the rows of the upper tail.

Writes tests/data/ncx2_ncp.inc, rows {x, df, p, tail, lambda, rel, kappa,
rel}, tail 0 for the lower and 1 for the upper; lambda = -1 marks a row with
no root (p above the central probability), kappa = |p/(lambda dP/dlambda)|
the condition number of the root in p (1 where that is below 1), with
dP/dlambda = -f(x; df + 2, lambda) (d p_j/dh = p_(j-1) - p_j and
P(a + j, y) - P(a + j + 1, y) = u_j, ncx2_mp's density series at df + 2).

At mp.dps = 40 the smaller tail is the Poisson series of ncx2_mp; the root of
ln T(lambda) = ln t (T and t the smaller tail and its target) is bracketed
from B = 2 ln(P0/p) upward by doubling and closed by the Illinois method to
1e-30 relative.  Each root is checked a second way: the smaller tail at the
root by quadrature of the Bessel-form density must give the target to
1e-19 relative (the quadrature of a density with a t^(-0.995) pole
at 0 is not held tighter).  Regions: ordinary designs (df 1 to 100, roots to 100), the
RMSEA and contingency-table intervals (chi-square 10 to 5000 on 1 to 500
df, at 0.05 and 0.95 and their one-sided levels), noncentralities to 1e6,
small df (0.01 to 1), far tails (p down to
1e-300), the rows the effect-size packages get wrong (chi-square 1e5 on 10
df, 208.94 on 80 df), and rows without a root.

    python3 tests/reference/gen_ncx2_ncp.py           # write the table
    python3 tests/reference/gen_ncx2_ncp.py --check   # compare with it
"""

import math
import random

import mpmath
from mpmath import mp, mpf

from ncx2_mp import density_series, tail_quadrature, tails_series
from rows import dedupe, log_uniform, mpmath_line, run, write_table

DPS = 40


def smaller_log(x, df, lam, upper):
    P, Q = tails_series(x, df, lam)
    return mpmath.log(Q if upper else P)


def root(x, df, p, tail):
    p = mpf(p)
    pl = p if tail == 0 else 1 - p
    upper = pl > mpf(1) / 2
    target = mpmath.log(1 - pl) if upper else mpmath.log(pl)
    if tail == 1 and upper:
        target = mpmath.log(p)

    def g(lam):  # decreasing in lam
        v = smaller_log(x, df, lam, upper)
        return target - v if upper else v - target

    g0 = g(mpf(0))
    if g0 < 0:
        return None
    P0, _ = tails_series(x, df, 0)
    lo = max(mpf(0), 2 * (mpmath.log(P0) - mpmath.log(pl)))
    hi = max(lo * 2, mpf(1))
    while g(hi) > 0:
        lo, hi = hi, hi * 2
    glo, ghi = g(lo), g(hi)
    side = 0
    for _ in range(400):
        c = (lo * ghi - hi * glo) / (ghi - glo)
        gc = g(c)
        if gc == 0 or hi - lo <= mpf(10) ** -32 * hi:
            break
        if gc > 0:
            lo, glo = c, gc
            if side == 1:
                ghi /= 2
            side = 1
        else:
            hi, ghi = c, gc
            if side == -1:
                glo /= 2
            side = -1
    lam = c
    # The second way: the tail at the root by quadrature.
    q = tail_quadrature(x, df, lam, upper=upper)
    want = mpmath.exp(target)
    assert abs(q - want) <= mpf(10) ** -19 * want, (x, df, p, tail, lam, q, want)
    slope = density_series(x, df + 2, lam)  # -dP/dlambda = f(x; df + 2, lambda)
    kappa = max(mpf(1), want / (lam * slope)) if lam > 0 else mpf(1)
    return lam, kappa


def cases():
    rng = random.Random(20261212)
    rows = [(1e5, 10.0, 0.975, 0), (1e5, 10.0, 0.025, 0), (208.94, 80.0, 0.05, 0),
            (208.94, 80.0, 0.95, 0), (208.94, 80.0, 0.9, 0), (10.0, 3.0, 0.5, 0),
            (10.0, 3.0, 0.99, 0), (1.0, 5.0, 1e-300, 0), (100.0, 10.0, 1e-200, 1),
            (3.0, 1.0, 0.9, 0), (50.0, 0.01, 0.001, 0), (1e6, 1000.0, 0.5, 0),
            (1e6, 1000.0, 0.5, 1), (1e-10, 3.0, 1e-20, 0), (2000.0, 10.0, 1e-300, 1),
            (0.001, 0.5, 0.9, 0), (5.0, 2.0, 1e-12, 1)]
    for _ in range(8):  # ordinary designs
        df = float(rng.randint(1, 100))
        lam = rng.uniform(0, 100)
        x = float("%.5g" % max(0.5, df + lam + math.sqrt(2 * (df + 2 * lam)) * rng.uniform(-2, 2)))
        rows.append((x, df, rng.choice((0.025, 0.05, 0.5, 0.95, 0.975)), 0))
    for _ in range(8):  # RMSEA and contingency tables
        df = float(rng.randint(1, 500))
        x = float("%.5g" % rng.uniform(max(10.0, df), min(5000.0, 4 * df + 200)))
        rows.append((x, df, rng.choice((0.05, 0.95, 0.1, 0.9)), 0))
    for _ in range(4):  # small df
        df = float("%.3g" % log_uniform(rng, -2, 0))
        x = float("%.4g" % log_uniform(rng, -1, 1.5))
        rows.append((x, df, rng.choice((0.001, 0.05, 0.3)), 0))
    for _ in range(4):  # far tails
        df = float(rng.randint(1, 50))
        x = float("%.4g" % rng.uniform(0.5, 50))
        rows.append((x, df, float("1e-%d" % rng.randint(100, 300)), 0))
    return dedupe(rows)


def main():
    mp.dps = DPS
    rows = []
    for x, df, p, tail in cases():
        r = root(x, df, p, tail)
        lam, kappa = (mpf(-1), mpf(1)) if r is None else r
        rows.append(((x, df, p, float(tail)), (lam, kappa)))
    header = [mpmath_line(DPS),
              "lambda with P(X <= x) = p (tail 0) or P(X > x) = p (tail 1); -1: no root.",
              "Roots by Illinois on the series to 1e-30, checked by quadrature to 1e-19.",
              "Row: {x, df, p, tail, lambda, rel, kappa, rel}."]
    write_table("ncx2_ncp.inc", "gen_ncx2_ncp.py", header, rows)


if __name__ == "__main__":
    run(main)
