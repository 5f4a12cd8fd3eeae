#!/usr/bin/env python3
"""Reference values of the noncentral F quantile in x, written to
tests/data/ncf_quantile.inc.

Every argument is a double; mpmath takes its exact binary value.  At
mp.dps = 50 each row starts from a point x0 (a multiple of the mean, or far
in a tail), takes its tail T = P(F' <= x0) or P(F' > x0) by ncf_mp.ncf_tails
(positive sums about the Poisson mode) and rounds it to the double t, the
row's probability.  The exact quantile of t is then
    x = x0 + s (t - T) / f(x0)     (s = +1 for P, -1 for Q),
one Newton step from x0, whose own error ((t - T)/f)^2 f'/f is far below
1e-30 relative, f the density (gen_ncf_density: the Poisson mixture of
beta densities).  The condition number kappa = |t / (x f(x))| is written
beside each row: a relative error d in the tail moves x by d kappa.

Rows: {p, tail (0 lower, 1 upper), df1, df2, ncp, kappa, x, rel}.
"""
import mpmath as mp

import gen_ncf_density
import ncf_mp
from rows import mpmath_line, run, write_table

mp.mp.dps = 50


def log_density(x, df1, df2, ncp):
    if ncp <= 1000:
        return gen_ncf_density.log_density(x, df1, df2, ncp)
    return gen_ncf_density.log_density_walk(x, df1, df2, ncp)


def row(x0, df1, df2, ncp, upper):
    lower, upper_tail = ncf_mp.ncf_tails(x0, df1, df2, ncp)
    exact = upper_tail if upper else lower
    t = float(exact)
    f = mp.exp(log_density(x0, df1, df2, ncp))
    s = -1 if upper else 1
    x = mp.mpf(x0) + s * (mp.mpf(t) - exact) / f
    kappa = abs(mp.mpf(t) / (x * f))
    return (t, 1.0 if upper else 0.0, df1, df2, ncp), (x,), float(kappa)


def mean(df1, df2, ncp):
    return (df2 / (df2 - 2.0) if df2 > 2 else 1.0) * (df1 + ncp) / df1


def nice(v):
    return float(mp.nstr(mp.mpf(v), 8))


def cases():
    out = []
    designs = [(3.0, 10.0, 5.0), (1.0, 30.0, 0.5), (10.0, 50.0, 200.0), (0.01, 20.0, 3.0),
               (5.0, 0.01, 2.0), (40.0, 1e7, 1e4), (1e7, 200.0, 50.0), (4.0, 100.0, 1e6),
               (300.0, 3000.0, 2e5), (2.0, 12.0, 40.0)]
    for df1, df2, ncp in designs:
        m = mean(df1, df2, ncp)
        for factor, upper in ((0.3, False), (0.7, False), (1.0, False), (1.0, True),
                              (1.5, True), (3.0, True)):
            out.append((nice(factor * m), df1, df2, ncp, upper))
    # Far tails: upper tails near 1e-300 and deep lower tails.
    out += [(3e10, 3.0, 10.0, 5.0, True), (1e-40, 3.0, 10.0, 5.0, False),
            (400.0, 10.0, 1000.0, 30.0, True), (0.02, 20.0, 200.0, 1e3, False),
            (425.0, 10.0, 1000.0, 30.0, True), (0.002, 20.0, 200.0, 1e3, False)]
    return out


def main():
    rows = []
    for x0, df1, df2, ncp, upper in cases():
        args, refs, kappa = row(x0, df1, df2, ncp, upper)
        if args[0] == 0.0 or args[0] == 1.0:
            continue  # a tail beyond the double range: no quantile to ask for
        rows.append((args + (kappa,), refs))
    write_table("ncf_quantile.inc", "gen_ncf_quantile.py",
                [mpmath_line(mp.mp.dps),
                 "x from a point x0 and its tail t rounded to a double, corrected by one Newton",
                 "step in mpmath (ncf_mp.ncf_tails, gen_ncf_density); kappa = |t / (x f(x))|.",
                 "Rows: {p, tail, df1, df2, ncp, kappa, x, rel}."], rows)


if __name__ == "__main__":
    run(main)
