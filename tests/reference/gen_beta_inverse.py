#!/usr/bin/env python3
"""Reference values of the inverse incomplete beta ratio and of the F
quantile, written to tests/data/beta_inc_inverse.inc.

Every argument is a double; mpmath takes its exact binary value.  At
mp.dps = 60 the tails come from the continued fraction of the ratio
(DLMF 8.17.22, modified Lentz) below (a+1)/(a+b+2) and as 1 - that above,
the fraction checked against the hypergeometric series (DLMF 8.17.8,
ncf_mp.ratio_lower) at four points; the root of ln T(x) = ln prob (T the
lower or the upper tail) is found by Newton's method in ln x, or in
ln(1 - x) when the root lies above 1/2, safeguarded by bisection, first at
25 digits and then at 60 until the step is below 1e-45.  x and 1 - x are both written (each as the nearest double and the
relative remainder, rows.split), with the conditioning
kappa = T / (z f(z)) of the smaller z of the two (f the beta density):
the relative change of z per relative change of prob.

Shapes run from 1e-3 to 1e7, the probabilities from 1e-300 to 1/2 in each
tail, so that the other tail reaches 1 - 1e-300 exactly.

Usage: gen_beta_inverse.py [--check]   (--check regenerates into a
temporary folder and compares with the committed table; about four
minutes).
"""
import os
import random

import mpmath as mp

import rows
from rows import mpmath_line
from ncf_mp import log_beta, ratio_lower

DPS = 60
NAME = "beta_inc_inverse.inc"

SHAPES = [1e-3, 0.1, 0.5, 1.0, 2.5, 10.0, 37.0, 1e3]
PROBS = [1e-300, 1e-100, 1e-20, 1e-5, 0.01, 0.3, 0.5]
# Large shapes, paired with a few others at fewer probabilities (the
# fraction at 60 digits takes thousands of steps near their mean).
LARGE = [1e5, 1e7]
LARGE_PARTNERS = [1e-3, 1.0, 37.0, 1e5, 1e7]
LARGE_PROBS = [1e-300, 1e-20, 0.01, 0.3]


def log_fraction(x, a, b):
    """ln I_x(a, b) for x < (a+1)/(a+b+2) by the continued fraction of
    DLMF 8.17.22 (modified Lentz), with every step at the working
    precision:
        I_x(a, b) = x^a (1-x)^b / (a B(a, b)) / (1 + d1/(1 + d2/(1 + ...))),
        d_(2m+1) = -(a+m)(a+b+m) x / ((a+2m)(a+2m+1)),
        d_(2m) = m (b-m) x / ((a+2m-1)(a+2m))."""
    tiny = mp.mpf(10) ** (-3 * DPS)
    eps = mp.mpf(10) ** (-DPS + 5)
    f, c, d = mp.mpf(1), mp.mpf(1), mp.mpf(0)
    n = 0
    while True:
        n += 1
        m = n // 2
        if n % 2:
            dn = -(a + m) * (a + b + m) * x / ((a + 2 * m) * (a + 2 * m + 1))
        else:
            dn = m * (b - m) * x / ((a + 2 * m - 1) * (a + 2 * m))
        d = 1 + dn * d
        d = tiny if d == 0 else d
        c = 1 + dn / c
        c = tiny if c == 0 else c
        d = 1 / d
        delta = c * d
        f *= delta
        if abs(delta - 1) < eps:
            break
        if n > 10 ** 6:
            raise RuntimeError("fraction did not converge")
    return a * mp.log(x) + b * mp.log1p(-x) - log_beta(a, b) - mp.log(a) - mp.log(f)


def log_tails(x, a, b):
    """ln I_x(a, b), ln(1 - I_x(a, b)), ln f(x) for 0 < x < 1 (mpf)."""
    if x < (a + 1) / (a + b + 2):
        lt = log_fraction(x, a, b)
        ut = mp.log1p(-mp.exp(lt))
    else:
        ut = log_fraction(1 - x, b, a)
        lt = mp.log1p(-mp.exp(ut))
    ld = (a - 1) * mp.log(x) + (b - 1) * mp.log1p(-x) - log_beta(a, b)
    return lt, ut, ld


def check_series(x, a, b):
    """The fraction against the series of DLMF 8.17.8 (ncf_mp.ratio_lower)
    at a point of moderate shapes: the two must agree to 1e-50."""
    lt, ut, _ = log_tails(x, a, b)
    lower = ratio_lower(x, a, b) if x <= a / (a + b) else 1 - ratio_lower(1 - x, b, a)
    assert abs(mp.exp(lt) - lower) <= mp.mpf(10) ** -50 * lower, (x, a, b)


def newton(log_s, upper, a, b, v, lo, hi, tol):
    """Safeguarded Newton in v = ln z on ln T(e^v) = log_s, z <= 1/2."""
    sign = -1 if upper else 1
    for _ in range(400):
        lt, ut, ld = log_tails(mp.exp(v), a, b)
        t = ut if upper else lt
        g = t - log_s
        if (g > 0) == (sign > 0):
            hi = v
        else:
            lo = v
        nv = v - g / (sign * mp.exp(v + ld - t))
        if not (nv < hi and (lo is None or nv > lo)):
            nv = (lo + hi) / 2 if lo is not None else 2 * v - hi - 1
        if abs(nv - v) < tol:
            return nv
        v = nv
    raise RuntimeError("no convergence")


def solve(prob, upper, a, b, exchanged=False):
    """(x, y = 1 - x, kappa) with the tail `upper` of Beta(a, b) at x = prob."""
    a, b, s = mp.mpf(a), mp.mpf(b), mp.mpf(prob)
    half = mp.mpf(1) / 2
    lt, ut, _ = log_tails(half, a, b)
    t_half = ut if upper else lt
    log_s = mp.log(s)
    below = (t_half >= log_s) if not upper else (t_half <= log_s)
    if not below and exchanged:  # neither side: the root is 1/2 to rounding
        return half, half, mp.exp(t_half - mp.log(half) - log_tails(half, a, b)[2])
    if not below:  # solve for y on (b, a) with the tails exchanged
        y, x, kappa = solve(prob, not upper, b, a, True)
        return x, y, kappa
    # Root z in (0, 1/2]: a first pass at 25 digits from the leading term
    # at 0 (or from 1/2 e^-1), then Newton at the full precision.
    v = (log_s + mp.log(a) + log_beta(a, b)) / a if not upper else mp.log(half) - 1
    if v >= mp.log(half):
        v = mp.log(half) - 1
    with mp.workdps(25):
        v = newton(log_s, upper, a, b, v, None, mp.log(half), mp.mpf(10) ** -18)
    v = newton(log_s, upper, a, b, v, None, mp.log(half), mp.mpf(10) ** -45)
    z = mp.exp(v)
    lt, ut, ld = log_tails(z, a, b)
    t = ut if upper else lt
    kappa = mp.exp(t - v - ld)
    return z, 1 - z, kappa


def cases():
    rng = random.Random(20261210)
    out = []
    for a in SHAPES:
        for b in SHAPES:
            for p in PROBS:
                for upper in (0, 1):
                    out.append((p, upper, a, b))
    for a in LARGE:
        for b in LARGE_PARTNERS:
            for p in LARGE_PROBS:
                for upper in (0, 1):
                    out.append((p, upper, a, b))
                    out.append((p, upper, b, a))
    # Log-uniform shapes and probabilities between the grid points.
    for _ in range(60):
        a = rows.log_uniform(rng, -3, 7)
        b = rows.log_uniform(rng, -3, 7)
        p = rows.log_uniform(rng, -300, -0.30103)
        out.append((float("%.6g" % p), rng.randrange(2), float("%.6g" % a), float("%.6g" % b)))
    # 1 - 1e-16 as a lower-tail probability (the nearest double), the
    # upper tail near 1 and the end points.
    for a, b in [(2.5, 10.0), (0.5, 37.0), (1e3, 1e3)]:
        out.append((1.0 - 1e-16, 0, a, b))
        out.append((0.9999999999, 1, a, b))
    return rows.dedupe(out)


def table_rows():
    for x, a, b in [(0.3, 2.5, 10.0), (0.9, 0.5, 37.0), (1e-5, 1e-3, 0.1), (0.49, 1e3, 1e3)]:
        check_series(mp.mpf(x), mp.mpf(a), mp.mpf(b))
    result = []
    for prob, upper, a, b in cases():
        x, y, kappa = solve(prob, upper, a, b)
        result.append(((prob, upper, a, b), (x, y, kappa)))
    return result


def main():
    mp.mp.dps = DPS
    header = [
        "with " + mpmath_line(DPS),
        "Newton's method in ln x (or ln(1-x) above 1/2) on ln T(x) = ln prob, T the",
        "lower (tail 0) or upper (tail 1) incomplete beta ratio by the continued",
        "fraction of DLMF 8.17.22 below (a+1)/(a+b+2) and 1 minus it above, the",
        "fraction checked against the series of DLMF 8.17.8; steps below 1e-45.",
        "kappa = T/(z f(z)), z the smaller of x and 1 - x: its conditioning.",
        "Rows: {prob, tail, a, b, x, x rel, y = 1 - x, y rel, kappa, kappa rel}.",
    ]
    rows.write_table(NAME, os.path.basename(__file__), header, table_rows())


if __name__ == "__main__":
    rows.run(main)
