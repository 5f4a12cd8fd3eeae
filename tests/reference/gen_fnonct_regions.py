#!/usr/bin/env python3
"""Reference noncentralities over the regions where FNONCT is judged,
written to tests/data/fnonct_regions.inc, and the noncentral F values of the
heavy-tail band and of the gaps of the direct summation, written to
tests/data/ncf_tails.inc.

FNONCT rows.  For each design (df1, df2, lam0) a point x is drawn as a
quantile of the noncentral F law (approximate_quantile, only a sampler),
then at mp.dps = 40

    P = P(F' <= x; df1, df2, lam0)            (ncf_mp.ncf_tails),
    p = P rounded to the nearest double,
    lam* = lam0 + (p - P) / (dP/dlam),
    dP/dlam = (P(x df1/(df1+2); df1+2, df2, lam0) - P) / 2,

the Newton correction that moves the root to the double p (its error,
second order in p - P, is below 1e-30 relative for every row kept), and the
condition number of lam in p, kappa = |p / (lam* dP/dlam)|.  Rows of the
faults the regions were built around come first in their region, each
under a comment naming it; their lam* is solved for the stated p by Newton
iterations on the same P.

Regions:
  ordinary   df1 1..20, df2 5..200, lam 0.1..100, p 0.01..0.99
  large      df1 1..900, df2 10..1e5, lam 100..1e4 (and 1e4..1e6 for a
             sixth of the rows), p 0.01..0.99
  small      df1, df2 0.05..2, lam 0.1..100, p 0.01..0.99
  tiny       df1 1e-6..2^-10 (where the log-space route once refused every
             search), df2 0.05..2, lam 0.1..100, p 0.01..0.99; and x far
             below the mean with lam near 500 (the integration fails there)
  tails      df1 1..50, df2 2..500, lam 0.5..500, p 1e-12..1e-3 and
             0.999..0.999999
  heavy      x' = df1 x/(df1 x + df2) above 1 - 2^-53 (x' rounds to 1):
             df1 0.1..20, df2 0.02..1, x where P lies in 0.05..0.99
  wide       numerators of many degrees of freedom: df1 1e4..1e7, df2
             300..1e6, lam 1..1e3, p 0.01..0.99 (the incomplete beta ratio
             of shapes above 5000 and 100, where near the mean its continued
             fraction needs more than 199 steps)

Rows: {x, df1, df2, p, lam*, kappa}.

ncf_tails.inc: {x, df1, df2, ncp, ln P, ln Q} for the heavy-tail band and
the points where the start term of the direct summation leaves the double
range, each a pair hi + rel (library_rows.split) to show 1e-16; and the
incomplete beta ratios where beta_inc's fraction crawls on the side its
orientation tests choose, and where those tests swap at an x far below the
mean of a tiny second shape.

Usage: gen_fnonct_regions.py [--check]   (--check regenerates into a
temporary folder and compares; about two minutes of one core, eight on a
busy machine: too slow for the CI stage of quick generators.)
"""
import os
import random
import sys
from statistics import NormalDist

import mpmath as mp

from rows import OUT, fmt, log_uniform, mpmath_line, open_output, run, split
from ncf_mp import incomplete_beta, ncf_tails

DPS = 40


def approximate_quantile(q, df1, df2, lam):
    """A point x near the q quantile of the noncentral F law, by Patnaik's
    chi-square fit of the numerator (c chi^2_nu, c = (df1 + 2 lam)/(df1 + lam),
    nu = (df1 + lam)^2/(df1 + 2 lam)) and Paulson's cube-root normal law of
    the F ratio, solved by bisection in ln x.  Only a sampler: the row's p
    is computed at x afterwards."""
    c = (df1 + 2 * lam) / (df1 + lam)
    nu = (df1 + lam) ** 2 / (df1 + 2 * lam)
    z = NormalDist().inv_cdf(q)
    h1, h2 = 2 / (9 * nu), 2 / (9 * df2)

    def gap(f):
        u = f ** (1 / 3)
        return ((1 - h2) * u - (1 - h1)) / (h2 * u * u + h1) ** 0.5 - z

    lo, hi = -700.0, 700.0
    for _ in range(200):
        mid = (lo + hi) / 2
        if gap(2.718281828459045 ** mid) < 0:
            lo = mid
        else:
            hi = mid
    return c * nu / df1 * 2.718281828459045 ** lo


def derivative(x, df1, df2, ncp, lower):
    """dP/dlam at ncp: half the step of P between df1 + 2 and df1."""
    x2 = mp.mpf(x) * df1 / (df1 + 2)
    return (ncf_tails(x2, df1 + 2, df2, ncp)[0] - lower) / 2


def row_from_design(x, df1, df2, lam0):
    lower, _ = ncf_tails(x, df1, df2, lam0)
    p = float(lower)
    if not (1e-300 < p < 1.0):
        return None
    slope = derivative(x, df1, df2, lam0, lower)
    lam = mp.mpf(lam0) + (mp.mpf(p) - lower) / slope
    kappa = abs(mp.mpf(p) / (lam * slope))
    return (x, df1, df2, p, lam, kappa)


def solve(x, df1, df2, p, guess):
    """lam with P(x; df1, df2, lam) = p by Newton's method from guess."""
    lam = mp.mpf(guess)
    for _ in range(40):
        lower, _ = ncf_tails(x, df1, df2, lam)
        slope = derivative(x, df1, df2, lam, lower)
        step = (lower - p) / slope
        lam -= step
        if abs(step) < abs(lam) * mp.mpf(10) ** (-DPS + 5):
            break
    lower, _ = ncf_tails(x, df1, df2, lam)
    slope = derivative(x, df1, df2, lam, lower)
    return (x, df1, df2, p, lam, abs(mp.mpf(p) / (lam * slope)))


# The faults: (region, note, x, df1, df2, p, a guess of the root).
FAULTS = [
    ("large", "the Poisson mean beyond the direct sum's step limit", 2500.0, 4.0, 50000.0,
     0.025, 10412.0),
    ("large", "lam = 6000: the direct sum's step limit", 1201.0, 5.0, 100.0,
     0.48210685829809663, 6000.0),
    ("small", "x' far below 1e-30: phase 1 overshoots, the start term underflows",
     1.248964e-35, 0.526, 638.07, 3.9945293458655657e-10, 0.507),
    ("tiny", "x = 2.6e-12, lam near 500: ln P = -258.3758637, beyond the integration",
     2.638088761e-12, 0.2284012087, 0.08445778625, 6.148768494505919e-113, 508.0),
    ("tiny", "df1 = 1e-4 with lam = 20000, beyond the direct sum: the log route refused it",
     2e8, 1e-4, 50.0, 0.47359654364822706, 20000.0),
    ("tiny", "df1 = 1e-4 with lam = 20000, p = 1.7e-4 (the lower tail)", 1.6e8, 1e-4, 500.0,
     0.00017103973962066376, 20000.0),
    ("heavy", "x' rounds to 1: 1 - x' rebuilt from it gave 4.084", 1e14, 5.0, 0.2,
     0.9648932680723142, 5.0),
    ("heavy", "x' rounds to 1: 1 - x' rebuilt from it gave 1.07292", 81866811000000.0, 0.1391,
     0.0531, 0.6489284716185314, 1.0675),
    ("wide", "shapes 1.5e4 and 5e5: the ratio's normal approximation gave 1.0000714",
     1.001401205492376, 30000.0, 1000000.0, 0.5665469586635067, 1.0),
]

# The region's design sampler: (df1, df2, lam, probability for the quantile).
SAMPLERS = {
    "ordinary": lambda r: (round(log_uniform(r, 0, 1.301), 3), round(log_uniform(r, 0.699, 2.301), 3),
                           log_uniform(r, -1, 2), r.uniform(0.01, 0.99)),
    "large": lambda r: (round(log_uniform(r, 0, 2.954), 2), round(log_uniform(r, 1, 5), 1),
                        log_uniform(r, 4, 6) if r.random() < 1 / 6 else log_uniform(r, 2, 4),
                        r.uniform(0.01, 0.99)),
    "small": lambda r: (round(log_uniform(r, -1.301, 0.301), 4), round(log_uniform(r, -1.301, 0.301), 4),
                        log_uniform(r, -1, 2), r.uniform(0.01, 0.99)),
    "tiny": lambda r: (float("%.4g" % log_uniform(r, -6, -3.0103)), round(log_uniform(r, -1.301, 0.301), 4),
                       log_uniform(r, -1, 2), r.uniform(0.01, 0.99)),
    "wide": lambda r: (round(log_uniform(r, 4, 7), -2), round(log_uniform(r, 2.477, 6), 0),
                       log_uniform(r, 0, 3), r.uniform(0.01, 0.99)),
    "tails": lambda r: (round(log_uniform(r, 0, 1.699), 3), round(log_uniform(r, 0.301, 2.699), 3),
                        log_uniform(r, -0.301, 2.699),
                        log_uniform(r, -12, -3) if r.random() < 0.5 else 1 - log_uniform(r, -6, -3)),
}
COUNTS = {"ordinary": 150, "large": 80, "small": 150, "tails": 150, "heavy": 40, "wide": 40,
          "tiny": 40}


def sample(region, rng):
    """One row of the region, or None when the draw gives no usable row."""
    if region == "heavy":
        df1 = round(log_uniform(rng, -1, 1.301), 3)
        df2 = round(log_uniform(rng, -1.699, 0), 4)
        lam0 = log_uniform(rng, -1, 2)
        # x' rounds to 1 once df1 x / df2 > 2^53; P then lies near the
        # central F's upper quantile of the same size.
        x = float(mp.mpf(2) ** 53 * df2 / df1 * log_uniform(rng, 0.1, 4))
    else:
        df1, df2, lam0, q = SAMPLERS[region](rng)
        x = approximate_quantile(q, df1, df2, lam0)
        if not (x > 0 and x < 1e300):
            return None
        x = float("%.6g" % x)
    row = row_from_design(x, df1, df2, lam0)
    if row is None:
        return None
    p = row[3]
    bounds = {"tails": (1e-12, 0.999999), "heavy": (0.05, 0.99)}.get(region, (0.01, 0.99))
    if not (bounds[0] <= p <= bounds[1]) or not (p < 0.9999999):
        return None
    return row


def region_rows(region):
    rng = random.Random("fnonct-" + region)
    rows = []
    attempts = 0
    while len(rows) < COUNTS[region] and attempts < 20 * COUNTS[region]:
        attempts += 1
        row = sample(region, rng)
        if row is not None:
            rows.append(row)
    return rows


def fnonct_line(row):
    x, df1, df2, p, lam, kappa = row
    return "    {%s, %s, %s, %s, %s, %s}," % (fmt(x), fmt(df1), fmt(df2), fmt(p), fmt(lam), fmt(kappa))


# ncf_tails.inc: the heavy-tail band and the start-term gaps of the direct
# summation.  (x, df1, df2, ncp, note)
TAIL_POINTS = [
    (1e16, 5.0, 0.2, 0.0, "x' rounds to 1, central"),
    (1e16, 5.0, 0.2, 5.0, "x' rounds to 1"),
    (1e14, 5.0, 0.2, 5.0, "x' rounds to 1"),
    (81866811000000.0, 0.1391, 0.0531, 1.0675, "x' rounds to 1, small df"),
    (1e18, 1.0, 0.05, 50.0, "x' rounds to 1"),
    (1e300, 3.0, 0.01, 20.0, "x' = 1 - 1e-302"),
    (2.184145633e-5, 205.2748023, 0.09807506454, 233.7161242, "start beta term below e^-708"),
    (1.248964e-35, 0.526, 638.07, 16.5, "x' tiny: start term below the double range"),
    (0.001, 10.0, 10.0, 1000.0, "start beta term near e^-1100"),
    (1.248964e-35, 0.526, 638.07, 0.507318, "x' tiny"),
    (1201.0, 5.0, 100.0, 6000.0, "beyond the direct sum's step limit"),
    (2500.0, 4.0, 50000.0, 10412.0, "beyond the direct sum's step limit"),
    (999.0, 10.0, 10.0, 20000.0, "beyond the direct sum's step limit"),
    (1.0, 10.0, 10.0, 100000.0, "start beta term below e^-708, lam = 5e4"),
    (50.0, 900.0, 1e5, 1e6, "lam = 1e6"),
    (0.998268, 3e6, 2e5, 50.0, "shapes 1.5e6 and 1e5 near the centre: the start ratio's fraction "
     "needs about 260 steps"),
]


# beta_inc where the orientation tests leave the fraction on its slow side.
BETA_POINTS = [(0.001, 0.002, 95.6), (0.001, 1e-5, 10.0), (0.0005, 1e-5, 30.0)]


# beta_inc where the orientation tests swap at an x far below the mean of a
# tiny second shape, and 1 - I of the swapped side lies within rounding of 1.
BETA_CANCELLATION_POINTS = [
    (0.722, 2.75e-27, 1.75e-250),
    (0.8265497558024156, 1.387501731766612, 6.2886479148930074e-192),
    (0.6156610950143501, 0.02864360785434615, 1.1383797930400465e-130),
    (0.9978560351301473, 0.005098981060281983, 1.2120130135124393e-38),
    (0.9331193476921987, 0.09534978365678848, 7.578891679645271e-21),
]


def beta_line(point, ratio=None):
    x, a, b = (mp.mpf(v) for v in point)
    value = mp.betainc(a, b, 0, x, regularized=True) if ratio is None else ratio(x, a, b)
    hi, rel = split(value)
    return "    {%s, %s, %s, %s, %s}," % (fmt(point[0]), fmt(point[1]), fmt(point[2]), fmt(hi), fmt(rel))


def tails_line(point):
    x, df1, df2, ncp, _ = point
    lower, upper = ncf_tails(x, df1, df2, ncp)
    # The larger tail's log from the smaller, ln(1 - s): the sum of the
    # larger is 1 only to the working precision.
    if lower < upper:
        logs = (mp.log(lower), mp.log1p(-lower))
    else:
        logs = (mp.log1p(-upper), mp.log(upper))
    cells = [fmt(x), fmt(df1), fmt(df2), fmt(ncp)]
    for v in logs:
        hi, rel = split(v)
        cells += [fmt(hi), fmt(rel)]
    return "    {%s}," % ", ".join(cells)


def write(path, text):
    with open_output(path) as out:
        out.write(text)


def main():
    mp.mp.dps = DPS
    lines = ["// Generated by tests/reference/gen_fnonct_regions.py; do not edit.",
             "// " + mpmath_line(DPS),
             "// lam* solving P(F' <= x; df1, df2, lam*) = p for the double p, by a",
             "// Newton correction of a drawn lam0 (fault rows: Newton iterations), with",
             "// P summed in positive terms from the Poisson mode (ncf_mp.ncf_tails), and",
             "// kappa = |p / (lam* dP/dlam)|, the condition number of lam in p.",
             "// Rows: {x, df1, df2, p, lam*, kappa}."]
    for region in ("ordinary", "large", "small", "tiny", "tails", "heavy", "wide"):
        lines.append("static const fnonct_region_row fnonct_%s_rows[] = {" % region)
        for f in FAULTS:
            if f[0] == region:
                lines.append("    // %s" % f[1])
                lines.append(fnonct_line(solve(*f[2:6], f[6])))
        rows = region_rows(region)
        print("%s: %d rows" % (region, len(rows)), file=sys.stderr)
        lines += [fnonct_line(r) for r in rows]
        lines.append("};")
    write(os.path.join(OUT, "fnonct_regions.inc"), "\n".join(lines) + "\n")

    lines = ["// Generated by tests/reference/gen_fnonct_regions.py; do not edit.",
             "// " + mpmath_line(DPS),
             "// ln P(F' <= x) and ln P(F' > x): the smaller tail summed in positive terms",
             "// from the Poisson mode (ncf_mp.ncf_tails), the larger as ln(1 - smaller);",
             "// hi + rel pairs.",
             "// Rows: {x, df1, df2, ncp, ln P, rel, ln Q, rel}.",
             "static const ncf_tails_row ncf_tails_rows[] = {"]
    for point in TAIL_POINTS:
        lines.append("    // %s" % point[4])
        lines.append(tails_line(point))
    lines.append("};")
    lines.append("// I_x(a, b) by mpmath.betainc: {x, a, b, I, rel}.")
    lines.append("static const beta_other_side_row beta_other_side_rows[] = {")
    lines += [beta_line(point) for point in BETA_POINTS]
    lines.append("};")
    lines.append("// I_x(a, b) below the mean by the series of ncf_mp.incomplete_beta: {x, a, b, I, rel}.")
    lines.append("static const beta_other_side_row beta_cancellation_rows[] = {")
    lines += [beta_line(point, incomplete_beta) for point in BETA_CANCELLATION_POINTS]
    lines.append("};")
    write(os.path.join(OUT, "ncf_tails.inc"), "\n".join(lines) + "\n")


if __name__ == "__main__":
    run(main)
