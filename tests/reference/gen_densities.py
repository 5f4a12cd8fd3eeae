#!/usr/bin/env python3
"""Reference tables for the log densities, the normal log tails, the Mills
ratio and the inverse Gaussian distribution function (tests/library).

Writes tests/data/densities_<table>.inc, one C++ initializer row per case:
the arguments (exact doubles, 17 significant digits), then each reference
as a pair
    hi  = the double nearest the reference,
    rel = the double nearest (reference - hi) / hi   (0 when hi is 0).

Every reference is computed by mpmath at mp.dps = 50 from the exact binary
value of the arguments; the formula of each table is stated in its header.
Arguments come from a fixed random seed plus hand-picked points (method
boundaries), so the tables are reproducible:

    python3 tests/reference/gen_densities.py      # from the repository root
"""

import random

import mpmath
from mpmath import mp, mpf

from rows import dedupe, log_uniform, mpmath_line, run, write_table

mp.dps = 50


def write(name, formula, columns, rows):
    header = [mpmath_line(mp.dps)] + [line.strip() for line in formula.strip().splitlines()]
    header.append("Row: {%s}, each reference = hi * (1 + rel)." % ", ".join(columns))
    write_table("densities_%s.inc" % name, "gen_densities.py", header, rows)


def log_phi_lower(z):
    """ln Phi(z), from erfc so that the far lower tail keeps its digits."""
    return mpmath.log(mpmath.erfc(-mpf(z) / mpmath.sqrt(2)) / 2)


def beta_table(rng):
    cases = []
    for _ in range(150):
        cases.append((rng.uniform(0, 1), log_uniform(rng, -2, 3), log_uniform(rng, -2, 3)))
    for _ in range(30):  # next to the ends
        x = log_uniform(rng, -12, -1)
        cases.append((rng.choice((x, 1 - x)), log_uniform(rng, -1, 2), log_uniform(rng, -1, 2)))
    cases += [(0.5, 1.0, 1.0), (0.25, 2.0, 3.0), (1e-300, 0.5, 2.0), (0.5, 1e4, 1e4)]
    # Shapes of 10^3 to 10^6 near the mode, where the terms of the log cancel
    # (once off by up to 2.6e-11 of the log).
    cases += [(0.3938244323363371, 591573.6069492653, 899170.4625790822),
              (0.10541996221828809, 5189.441318401804, 41940.95838088719),
              (0.052396536897250746, 4338.8273303442165, 76887.23422107361),
              (0.34361082596080633, 9025.665808325277, 16745.720737597534),
              (0.015422355944891794, 2271.5907559474945, 131842.57926979827),
              (0.5000001, 1e6, 1e6), (0.9, 2e6, 2.2e5)]
    rows = []
    for x, a, b in dedupe(cases):
        if not 0 < x < 1:
            continue
        x_, a_, b_ = mpf(x), mpf(a), mpf(b)
        ref = ((a_ - 1) * mpmath.log(x_) + (b_ - 1) * mpmath.log1p(-x_)
               - (mpmath.loggamma(a_) + mpmath.loggamma(b_) - mpmath.loggamma(a_ + b_)))
        rows.append(((x, a, b), (ref,)))
    write("beta", "reference = (a-1) ln x + (b-1) ln(1-x) - ln B(a, b).",
          ["x", "a", "b", "hi", "rel"], rows)


def gamma_table(rng):
    cases = []
    for _ in range(150):
        a = log_uniform(rng, -2, 4)
        cases.append((a * log_uniform(rng, -2, 1.5), a))
    for _ in range(60):  # the Stirling band of large shapes
        a = log_uniform(rng, 1, 8)
        cases.append((a * rng.uniform(0.7, 1.3), a))
    cases += [(13.0, 10.0), (13.01, 10.0), (7.0, 10.0), (6.99, 10.0), (10.0, 10.0),
              (9.99, 9.99), (1e6 + 1, 1e6), (1e-300, 3.0), (1e300, 0.5), (1.0, 1.0)]
    rows = []
    for x, a in dedupe(cases):
        x_, a_ = mpf(x), mpf(a)
        rows.append(((x, a), ((a_ - 1) * mpmath.log(x_) - x_ - mpmath.loggamma(a_),)))
    write("gamma", "reference = (a-1) ln x - x - ln Gamma(a).", ["x", "a", "hi", "rel"], rows)


def normal_tails_table(rng):
    zs = [rng.uniform(-40, 40) for _ in range(120)]
    zs += [rng.uniform(-6, 6) for _ in range(60)]
    zs += [0.0, 5.0, -5.0, 4.999999999, -4.999999999, 40.0, -40.0, 1e-10, -1e-10, 300.0,
           -1000.0, 1e5]
    rows = []
    for z in dedupe(zs):
        lower = log_phi_lower(z)
        upper = log_phi_lower(-z)
        density = -mpf(z) ** 2 / 2 - mpmath.log(2 * mpmath.pi) / 2
        rows.append(((z,), (lower, upper, density)))
    write("normal_tails", "references = ln Phi(z), ln Phi(-z), ln phi(z), with\n"
          "Phi(z) = erfc(-z/sqrt 2)/2 and ln phi(z) = -z^2/2 - ln sqrt(2 pi).",
          ["z", "lower hi", "lower rel", "upper hi", "upper rel", "density hi", "density rel"],
          rows)


def mills_table(rng):
    zs = [rng.uniform(-10, 5) for _ in range(60)]
    zs += [rng.uniform(5, 40) for _ in range(60)]
    zs += [log_uniform(rng, 1.7, 8) for _ in range(20)]
    zs += [4.99, 5.0, 5.000000001, -10.0, -10.01, -20.0, 0.0]
    rows = []
    for z in dedupe(zs):
        z_ = mpf(z)
        ref = (mpmath.erfc(z_ / mpmath.sqrt(2)) / 2) * mpmath.exp(z_ ** 2 / 2) * mpmath.sqrt(2 * mpmath.pi)
        rows.append(((z,), (ref,)))
    write("mills", "reference = Phi(-z) / phi(z) = erfc(z/sqrt 2)/2 * e^(z^2/2) * sqrt(2 pi).",
          ["z", "hi", "rel"], rows)


def inverse_gaussian_table(rng):
    cases = []
    for _ in range(150):
        cases.append((log_uniform(rng, -3, 2), log_uniform(rng, -3, 3)))
    for _ in range(40):  # x near the mean, where t = sqrt(lambda)(sqrt x + 1/sqrt x)/sqrt 2
        cases.append((rng.uniform(0.5, 2), log_uniform(rng, 0, 3)))
    # t = 4 exactly at x = 1 for lambda = 8, and the neighbours either side.
    cases += [(1.0, 8.0), (1.0, 8.000001), (1.0, 7.999999), (1.0, 1.0), (2.0, 0.0),
              (1.0, 500.0), (4.0, 300.0)]
    rows = []
    for x, lam in dedupe(cases):
        x_, l_ = mpf(x), mpf(lam)
        r, s = mpmath.sqrt(x_), mpmath.sqrt(l_)
        ref = mpmath.ncdf(s * (r - 1 / r)) + mpmath.exp(2 * l_) * mpmath.ncdf(-s * (r + 1 / r))
        rows.append(((x, lam), (ref,)))
    write("inverse_gaussian", "reference = Phi(sqrt(l)(sqrt x - 1/sqrt x))\n"
          "            + e^(2 l) Phi(-sqrt(l)(sqrt x + 1/sqrt x)),  l = lambda.",
          ["x", "lambda", "hi", "rel"], rows)


def main():
    rng = random.Random(20261211)
    beta_table(rng)
    gamma_table(rng)
    normal_tails_table(rng)
    mills_table(rng)
    inverse_gaussian_table(rng)


if __name__ == "__main__":
    run(main)
