#!/usr/bin/env python3
"""Reference values of the regularized incomplete beta ratio and the beta
density, written to tests/data/beta_inc.inc.

Every argument is a double; mpmath takes its exact binary value.  At
mp.dps = 50:
    I_x(a, b) = x^a (1-x)^b / (a B(a, b)) * 2F1(a+b, 1; a+1; x)
                (DLMF 8.17.8, the series summed term by term to the working
                precision, ncf_mp.incomplete_beta) for x <= a/(a+b), and
                1 - I_(1-x)(b, a) above;
    dens      = x^(a-1) (1-x)^(b-1) / B(a, b), B from mpmath.loggamma.
Both are rounded to the nearest double (17 significant digits).

Two tables: beta_inc_rows (shapes the continued fraction serves within 199
steps: small, first shape below 1, large) and beta_inc_large_rows (one
shape 3e4 or more and the other above 100, x from 30 standard deviations
below the mean to 30 above, where near the mean the fraction needs more
than 199 steps).

and beta_inc_complement_rows: a first shape of 5e5 to 5e6 beside a second
of 2.5 to 100, with the complement y given (a double, 12 significant
digits, from 8 standard deviations below its mean to 8 above) and x the
double nearest 1 - y, as the noncentral F forms x' and y' when x' rounds
near 1; the references are at the point 1 - y exactly:
    {x, y, a, b, I_(1-y)(a, b), 1 - I_(1-y)(a, b), density},
1 - I by the series of the complement (ncf_mp.ratio_lower) and I as 1 minus it
(ncf_mp.upper_by_series), each checked against mpmath.betainc to 1e-30
relative.

Usage: gen_beta_inc.py [--check]   (about 50 seconds of one core, since
ncf_mp.incomplete_beta takes the smaller shape's series for shapes 1000
times apart (it was 20 minutes in the larger's at a = 1e8, b = 3e4 and
a = 250, b = 5e6); two minutes on a busy machine, so it stays out of the
CI stage of quick generators.)
"""
import os
import mpmath as mp
from ncf_mp import incomplete_beta, log_beta, ratio_lower
from rows import open_output, run

mp.mp.dps = 50


def row(x, a, b):
    X, A, B = mp.mpf(x), mp.mpf(a), mp.mpf(b)
    w = incomplete_beta(X, A, B)
    dens = mp.exp((A - 1) * mp.log(X) + (B - 1) * mp.log1p(-X) - log_beta(A, B))
    return "    {%r, %r, %r, %s, %s}," % (x, a, b, mp.nstr(w, 17, min_fixed=0, max_fixed=0),
                                         mp.nstr(dens, 17, min_fixed=0, max_fixed=0))


def complement_row(y, a, b):
    """The row at the point 1 - y, with x the double nearest it."""
    Y, A, B = mp.mpf(y), mp.mpf(a), mp.mpf(b)
    X = 1 - Y
    w = incomplete_beta(X, A, B)
    with mp.workdps(mp.mp.dps + 10):
        upper = ratio_lower(Y, B, A)
    with mp.workdps(mp.mp.dps + 20):
        their_upper = mp.betainc(B, A, 0, Y, regularized=True)
        their_lower = mp.betainc(A, B, 0, X, regularized=True)
    for mine, theirs in ((w, their_lower), (upper, their_upper)):
        assert abs(mine - theirs) <= abs(theirs) * mp.mpf(10) ** -30, (y, a, b, mine, theirs)
    dens = mp.exp((A - 1) * mp.log(X) + (B - 1) * mp.log(Y) - log_beta(A, B))
    cells = [mp.nstr(v, 17, min_fixed=0, max_fixed=0) for v in (w, upper, dens)]
    return "    {%r, %r, %r, %r, %s}," % (float(X), y, a, b, ", ".join(cells))


def mean_sd(a, b):
    m = a / (a + b)
    sd = (a * b / ((a + b) ** 2 * (a + b + 1))) ** 0.5
    return m, sd


def main():
    fraction = []
    xs = [0.001, 0.01, 0.1, 0.3, 0.5, 0.7, 0.9, 0.99, 0.999]
    small = [1.0, 1.5, 2.0, 3.7, 5.0, 10.0, 25.0]
    below_one = [0.05, 0.3, 0.5, 0.9]
    for a in small + below_one:
        for b in small + below_one:
            for x in xs:
                fraction.append((x, a, b))
    large = [50.0, 200.0, 1000.0, 4000.0]
    for a in large:
        for b in large + [2.0, 30.0]:
            m, sd = mean_sd(a, b)
            for k in (-6, -3, -1, 0, 1, 3, 6):
                x = float(mp.nstr(mp.mpf(m + k * sd), 8))
                if 0.0 < x < 1.0:
                    fraction.append((x, a, b))

    large_shapes = []
    for a, b in ((3e4, 1e6), (1e5, 3e4), (1e5, 1e5), (2e5, 5e4), (1e6, 3e4), (1e6, 1e6),
                 (1e7, 1e5), (1e8, 3e4), (1e6, 150.0), (250.0, 5e6), (5e6, 5e6)):
        m, sd = mean_sd(a, b)
        for k in (-30, -8, -3, -0.5, -0.2, -0.05, 0, 0.05, 0.2, 0.5, 3, 8, 30):
            x = float(mp.nstr(mp.mpf(m + k * sd), 12))
            if 0.0 < x < 1.0:
                large_shapes.append((x, a, b))

    complement = []
    for a, b in ((5e5, 50.0), (5e5, 100.0), (1.5e6, 75.0), (5e6, 2.5), (5e6, 10.0), (5e6, 50.0),
                 (5e6, 75.0), (5e6, 100.0)):
        m, sd = mean_sd(b, a)  # of 1 - x
        for k in (-8, -3, -1, 0, 1, 3, 8):
            y = float(mp.nstr(mp.mpf(m + k * sd), 12))
            if 0.0 < y < 1.0:
                complement.append((y, a, b))

    fraction_rows = [row(*r) for r in fraction]
    large_rows = [row(*r) for r in large_shapes]
    complement_rows = [complement_row(*r) for r in complement]

    here = os.path.dirname(os.path.abspath(__file__))
    with open_output(os.path.join(here, "..", "data", "beta_inc.inc")) as f:
        f.write("// Generated by tests/reference/gen_beta_inc.py with mpmath %s, mp.dps = 50:\n"
                "// I_x(a, b) = x^a (1-x)^b / (a B(a, b)) 2F1(a+b, 1; a+1; x) for x <= a/(a+b)\n"
                "// (series summed to the working precision), 1 - I_(1-x)(b, a) above, and the density\n"
                "// x^(a-1) (1-x)^(b-1) / B(a, b), each rounded to the nearest double.\n"
                "// Rows: {x, a, b, I_x(a, b), density}.\n" % mp.__version__)
        f.write("static const beta_inc_reference beta_inc_rows[] = {\n")
        f.write("\n".join(fraction_rows) + "\n};\n\n")
        f.write("// One shape 3e4 or more and the other above 100, x from 30 standard deviations\n"
                "// below the mean to 30 above.\n")
        f.write("static const beta_inc_reference beta_inc_large_rows[] = {\n")
        f.write("\n".join(large_rows) + "\n};\n\n")
        f.write("// A first shape of 5e5 to 5e6 and a second of 2.5 to 100 at the point 1 - y,\n"
                "// y given and x the double nearest 1 - y.  Rows: {x, y, a, b, I, 1 - I, density}.\n")
        f.write("static const beta_inc_complement_reference beta_inc_complement_rows[] = {\n")
        f.write("\n".join(complement_rows) + "\n};\n")


if __name__ == "__main__":
    run(main)
