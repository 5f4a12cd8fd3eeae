#!/usr/bin/env python3
"""Reference tables for the incomplete gamma functions (tests/library).

Writes tests/data/gamma_<table>.inc, one C++ initializer row per case:
the arguments x, a (exact doubles, 17 significant digits), then each
reference as a pair
    hi  = the double nearest the reference,
    rel = the double nearest (reference - hi) / hi   (0 when hi is 0),
so that a test measures errors to far below one unit in the last place.

References, by mpmath at mp.dps = 50:
    P = gammainc(a, 0, x, regularized=True),
    Q = gammainc(a, x, inf, regularized=True),
    density = exp((a-1) ln x - x - loggamma(a)).
Of P and Q only the smaller is taken from mpmath; the larger is 1 - smaller,
and its logarithm log1p(-smaller), so that a probability next to 1 keeps
its digits in log space.  For x > a + 10 sqrt(a) + 10, Q comes from
Legendre's continued fraction (A&S 6.5.31) by the modified Lentz method
instead, and where mpmath's gammainc gives up (large shapes near the
centre) the smaller tail comes from the power series of P (A&S 6.5.29),
summed at a precision raised by the digits that 1 - P cancels.  Every smaller
value is recomputed at mp.dps = 70 and must agree to 1e-40 relative.  The tables:

    gamma_inc.inc             P, Q, density where the series and the
                              continued fractions are used
    gamma_inc_centre.inc      P, Q, density for shapes of 10^4 and more
                              within 0.02 a + 0.7 sqrt(a) of a
    gamma_inc_log.inc         ln P, ln Q, ln density: the same points, far
                              tails down to e^-100000, x/a >= 100, shapes
                              of 10^7 and more away from the centre
    gamma_inc_log_centre.inc  ln P, ln Q, ln density for shapes of 10^7 and
                              more within 0.02 a + 0.7 sqrt(a) of a
    gamma_inc_log_large.inc   ln P, ln Q, ln density for shapes between
                              10^4 and 10^7 (x/a < 100)

Arguments come from a fixed random seed plus hand-picked points, so the
tables are reproducible:

    python3 tests/reference/gen_gamma.py      # from the repository root
"""

import math
import random

import mpmath
from mpmath import mp, mpf

from rows import dedupe, log_uniform, run, write_table

mp.dps = 50


def series_lower(a, x):
    """P(a, x) = x^a e^-x / Gamma(a+1) sum_(i>=0) x^i / ((a+1)...(a+i)), every
    term positive (A&S 6.5.29), summed until a term is below 2^-(prec+8) of
    the sum."""
    term, total, i = mpf(1), mpf(1), 0
    eps = mpf(2) ** (-mp.prec - 8)
    while True:
        i += 1
        term = term * x / (a + i)
        total += term
        if term < eps * total:
            break
    return mpmath.exp(a * mpmath.log(x) - x - mpmath.loggamma(a + 1)) * total


def upper_fraction(a, x):
    """Q(a, x) from Legendre's continued fraction in its even contraction
    Gamma(a, x) = e^-x x^a / (x+1-a - 1(1-a)/(x+3-a - 2(2-a)/(x+5-a - ...)))
    (A&S 6.5.31), by the modified Lentz method; for x far above a, where
    mpmath's gammainc is slow, it settles in a few tens of steps."""
    tiny = mpf(10) ** (-mp.dps * 3)
    eps = mpf(2) ** (-mp.prec - 8)
    b = x + 1 - a
    c = 1 / tiny
    d = 1 / b
    h = d
    for i in range(1, 100000):
        an = -i * (i - a)
        b += 2
        d = an * d + b
        d = tiny if d == 0 else d
        c = b + an / c
        c = tiny if c == 0 else c
        d = 1 / d
        delta = d * c
        h *= delta
        if abs(delta - 1) < eps:
            return mpmath.exp(a * mpmath.log(x) - x - mpmath.loggamma(a)) * h
    raise RuntimeError("fraction did not settle: a=%r x=%r" % (a, x))


def smaller_tail(a, x):
    """(value, is_lower) of the smaller of P and Q, at the current precision.

    Far above a, the continued fraction above; otherwise mpmath's gammainc
    first, and where it gives up (large shapes) the power series, with Q = 1 - P formed at a precision raised by the digits that
    the subtraction cancels (estimated from the Wilson-Hilferty variable)."""
    a, x = mpf(a), mpf(x)
    if x > a + 10 * mpmath.sqrt(a) + 10:
        return upper_fraction(a, x), False

    def mp_gammainc(lo, hi):
        try:
            return mpmath.gammainc(a, lo, hi, regularized=True)
        except mpmath.libmp.NoConvergence:
            return None
    # The tail on the far side of x from a is the smaller one except near
    # the centre; it is computed first, and the other only when needed
    # (mpmath is slow on the larger tail of large shapes).
    if x < a:
        p = mp_gammainc(0, x)
        if p is not None and p < 0.5:
            return p, True
        q = mp_gammainc(x, mpmath.inf)
        if q is not None and q < 0.5:
            return q, False
    else:
        q = mp_gammainc(x, mpmath.inf)
        if q is not None and q < 0.5:
            return q, False
        p = mp_gammainc(0, x)
        if p is not None and p < 0.5:
            return p, True
    if x <= a:
        p = series_lower(a, x)
        assert p < 0.5, (a, x)
        return p, True
    z = (mpmath.cbrt(x / a) - (1 - 1 / (9 * a))) * mpmath.sqrt(9 * a)
    lost = int(z * z / 2 / mpmath.log(10)) + 10
    with mp.workdps(mp.dps + lost):
        q = 1 - series_lower(a, x)
    assert q < 0.5, (a, x)
    return +q, False


def reference(a, x):
    """P, Q, ln P, ln Q, ln density."""
    s, is_lower = smaller_tail(a, x)
    with mp.workdps(70):
        s2, is_lower2 = smaller_tail(a, x)
    assert is_lower == is_lower2 and abs(s2 - s) <= mpf(10) ** -40 * s, (a, x, s, s2)
    big = 1 - s
    log_small = mpmath.log(s)
    log_big = mpmath.log1p(-s)
    a, x = mpf(a), mpf(x)
    log_density = (a - 1) * mpmath.log(x) - x - mpmath.loggamma(a)
    if is_lower:
        return s, big, log_small, log_big, log_density
    return big, s, log_big, log_small, log_density


def write(name, what, rows):
    header = ["mpmath %s, mp.dps = 50 (smaller tail checked at 70)." % mpmath.__version__]
    header += [line.strip() for line in what.strip().splitlines()]
    write_table("gamma_%s.inc" % name, "gen_gamma.py", header, rows)


def band(a):
    return 0.02 * a + 0.7 * math.sqrt(a)


def method_points(rng):
    """Points of the series and the fractions (shapes below 10^4, or away
    from the centre of larger ones), with x/a below 100."""
    cases = []
    for _ in range(120):
        a = log_uniform(rng, -3, 3)
        cases.append((a * log_uniform(rng, -2, math.log10(99)), a))
    for _ in range(30):  # shapes below 1: shifted by one
        a = log_uniform(rng, -8, 0)
        cases.append((rng.uniform(0.01, 30) * min(1.0, 99 * a), a))
    for _ in range(20):
        cases.append((rng.uniform(0.05, 3), rng.uniform(0.5, 3)))
    for a in (0.5, 1.0, 2.0, 10.0, 100.0, 2500.0, 9999.0):  # x next to a
        for f in (1 - 2.0 ** -20, 1.0, 1 + 2.0 ** -20):
            cases.append((a * f, a))
    cases += [(1.0, 0.5), (1.0, 0.25), (1.0, 3.0), (0.5, 2e-9), (1.0, 2e-9), (3.0, 2e-9)]
    cases += [(13.0, 10.0), (13.01, 10.0), (0.5, 0.5)]
    for _ in range(25):  # large shapes outside the centre band
        a = log_uniform(rng, 4, 6)
        side = rng.choice((-1, 1))
        x = a + side * (band(a) + math.sqrt(a) * rng.uniform(0.5, 6))
        cases.append((x, a))
    return dedupe(cases)


def centre_points(rng, lo, hi, count):
    cases = []
    for _ in range(count):
        a = log_uniform(rng, lo, hi)
        cases.append((a + band(a) * rng.uniform(-1, 1), a))
    return cases


def main():
    rng = random.Random(20261210)
    methods = method_points(rng)
    centre = centre_points(rng, 4, 7, 30)
    centre += [(1e4, 1e4), (1e5, 1e5), (1e6, 1e6), (1e4 + band(1e4), 1e4),
               (1e4 - band(1e4), 1e4)]

    # Far tails and the asymptotic region (x/a >= 100), log space only.
    tails = [(2000.0, 10.0), (100.0, 1.0), (99.0, 1.0), (50.0, 0.5), (49.99, 0.5),
             (1e5, 3.0), (1e4, 99.0), (1e-300, 5.0), (1e-20, 0.5), (0.5, 200.0)]
    for _ in range(30):
        a = log_uniform(rng, -0.3, 3)
        tails.append((a * log_uniform(rng, 2, 4), a))
    for _ in range(15):  # deep tails of moderate and large shapes
        a = log_uniform(rng, 1, 5)
        tails.append((a * rng.choice((rng.uniform(0.01, 0.3), rng.uniform(2, 20))), a))
    for _ in range(10):  # shapes of 10^7 and more, beyond the centre band
        a = log_uniform(rng, 7, 8)
        side = rng.choice((-1, 1))
        tails.append((a + side * (band(a) + math.sqrt(a) * rng.uniform(1, 30)), a))
    tails.append((1.1e7, 1e7))
    log_centre = centre_points(rng, 7, 9, 20) + [(1e7, 1e7), (1e7 + band(1e7), 1e7),
                                                 (1e7 - band(1e7), 1e7)]
    large = []
    for _ in range(15):
        a = log_uniform(rng, 4, 7)
        large.append((a + math.sqrt(a) * rng.uniform(-3, 0.5), a))
    large += [(2e4, 2e4), (1e6, 1e6), (1e6 + 1, 1e6)]

    def plain(cases):
        rows = []
        for x, a in cases:
            r = reference(a, x)
            rows.append(((x, a), (r[0], r[1], mpmath.exp(r[4]))))
        return rows

    def logs(cases):
        return [((x, a), reference(a, x)[2:5]) for x, a in cases]

    rows_fmt = "Row: {x, a, P hi, P rel, Q hi, Q rel, density hi, density rel}."
    write("inc", "P(a, x), Q(a, x), density; series and continued-fraction region.\n"
          + rows_fmt, plain(methods))
    write("inc_centre", "P(a, x), Q(a, x), density; a >= 1e4, |x - a| <= 0.02 a + 0.7 sqrt(a).\n"
          + rows_fmt, plain(centre))
    log_fmt = "Row: {x, a, ln P hi, rel, ln Q hi, rel, ln density hi, rel}."
    # Shapes from 10^4 to 10^7 away from x = 100 a reach the log-space
    # routine's integration (the series stops at 919 terms): their table.
    integrated = [(x, a) for x, a in methods if 1e4 <= a < 1e7]
    methods = [(x, a) for x, a in methods if not 1e4 <= a < 1e7]
    write("inc_log", "ln P, ln Q, ln density; method region, far tails, x/a >= 100.\n"
          + log_fmt, logs(methods + dedupe(tails)))
    write("inc_log_centre", "ln P, ln Q, ln density; a >= 1e7, |x - a| <= 0.02 a + 0.7 sqrt(a).\n"
          + log_fmt, logs(log_centre))
    write("inc_log_large", "ln P, ln Q, ln density; 1e4 <= a < 1e7, x/a < 100.\n"
          + log_fmt, logs(large + integrated))


if __name__ == "__main__":
    run(main)
