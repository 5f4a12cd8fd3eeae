#!/usr/bin/env python3
"""Reference tables of the noncentral chi-square distribution (tests/ncx2):
ln P(X <= x), ln P(X > x) and the log density, by region:

    ncx2_ordinary.inc   df 1 to 100, ncp 0 to 100, x within 3 sd of the mean
    ncx2_large_ncp.inc  df 1 to 100, ncp 100 to 1e6, x within 6 sd
    ncx2_small_df.inc   df 0.01 to 1, ncp 0 to 10, x from 1e-6 to 40
    ncx2_far_tails.inc  the smaller tail below e^-691 (1e-300)
    ncx2_rmsea.inc      chi-square statistics 10 to 5000 on 1 to 500 df, ncp
                        about the statistic's excess over df (the rows of an
                        RMSEA interval)
    ncx2_far_regions.inc  x far beyond the bulk (ncp x/4 above 1e13, to the
                        largest double) and far lower tails of ncp above 6e6
                        (reference_far: the series over a window about the
                        terms' peak, or the Bessel-form series)

Each row: {x, df, ncp, ln P, rel, ln Q, rel, ln f, rel, kappa_tail, rel,
kappa_density, rel} (rows.py's hi + rel pairs).  References at mp.dps = 40:
the smaller tail by the Poisson series of gamma ratios (ncx2_mp.tails_series)
and again by quadrature of the Bessel-form density (ncx2_mp.tail_quadrature),
required to agree to 1e-24 relative; the larger tail as log1p(-smaller).  The
density by the Poisson series of gamma densities and by the Bessel form
(for Bessel orders above 500, by the derivative of the series tail), to
1e-24.  The condition numbers are those of the smaller tail and of the
density in x and ncp,
    kappa = max(1, |x d ln T/dx|, |ncp d ln T/d ncp|),
with dP/d ncp = -f(x; df + 2, ncp) and d f/d ncp = (f(x; df + 2) -
f(x; df))/2: the error a rounding of the arguments by one unit would cause,
which the tests allow 1e-12 of.

    python3 tests/reference/gen_ncx2.py           # write the tables
    python3 tests/reference/gen_ncx2.py --check   # compare with them
    python3 tests/reference/gen_ncx2.py ncx2_rmsea.inc   # one table alone
"""

import math
import random
import sys

import mpmath
from mpmath import mp, mpf

from ncx2_mp import BESSEL_ORDER_MAX, density_bessel, density_series, log_density_bessel, \
    peak_index, smaller_tail_window, tail_quadrature, tail_quadrature_far, tails_series, \
    upper_tail_bessel
from rows import dedupe, log_uniform, mpmath_line, run, write_table

DPS = 40
AGREE = mpf(10) ** -24


def reference(x, df, ncp):
    P, Q = tails_series(x, df, ncp)
    lower_smaller = P < Q
    s = P if lower_smaller else Q
    q = tail_quadrature(x, df, ncp, upper=not lower_smaller)
    assert abs(q - s) <= AGREE * s, (x, df, ncp, q, s)
    f = density_series(x, df, ncp)
    if mpf(df) / 2 - 1 > BESSEL_ORDER_MAX and ncp > 0:
        g = mpmath.diff(lambda t: tails_series(t, df, ncp)[0], mpf(x))
    else:
        g = density_bessel(x, df, ncp)
    assert abs(g - f) <= AGREE * f, (x, df, ncp, g, f)
    log_s = mpmath.log(s)
    log_c = mpmath.log1p(-s)
    log_p, log_q = (log_s, log_c) if lower_smaller else (log_c, log_s)
    x, ncp = mpf(x), mpf(ncp)
    kappa_x = x * f / s
    f2 = density_series(x, df + 2, ncp)
    kappa_tail = max(1, kappa_x, ncp * f2 / s)  # dP/d ncp = -f(x; df + 2, ncp)
    dlogf_dx = mpmath.diff(lambda t: mpmath.log(density_series(t, df, ncp)), x)
    kappa_density = max(1, abs(x * dlogf_dx), abs(ncp * (f2 - f) / (2 * f)))
    return log_p, log_q, mpmath.log(f), kappa_tail, kappa_density


# Beyond this peak index the far rows' upper tail is the Bessel-form series
# (the window of the Poisson series would run some 1e5 terms and more).
WINDOW_PEAK_MAX = 1e7


def reference_far(x, df, ncp):
    """A row far from the bulk, where the terms of the mixture peak at j*
    far from the Poisson mode ncp/2.  The smaller tail: by the Poisson
    series over a window about j* (ncx2_mp.smaller_tail_window) or, beyond
    j* = WINDOW_PEAK_MAX, by the Bessel-form series (upper_tail_bessel); and
    again by quadrature of the Bessel-form density (tail_quadrature_far
    above x, tail_quadrature below), to 1e-24 relative.  The log density by
    the Bessel form and by the series about j* (beyond WINDOW_PEAK_MAX, by
    -d ln Q/dx of the Bessel-form series), to 1e-24."""
    # The digits of x itself on top: x + v must keep v's, and ln f (some
    # -x/2) its units, for the quadrature and the derivatives.
    with mp.workdps(DPS + max(0, int(math.log10(x)))):
        row = _reference_far(x, df, ncp)
    return tuple(+v for v in row)


def _reference_far(x, df, ncp):
    jstar = peak_index(x, df, ncp)
    upper = jstar > mpf(ncp) / 2
    bessel = upper and jstar > WINDOW_PEAK_MAX
    if bessel:
        log_s = mpmath.log(upper_tail_bessel(x, df, ncp))
    else:
        log_s = mpmath.log(smaller_tail_window(x, df, ncp, upper))
    if upper:
        log_check = tail_quadrature_far(x, df, ncp)
    else:
        log_check = mpmath.log(tail_quadrature(x, df, ncp, upper=False))
    assert abs(log_check - log_s) <= AGREE, (x, df, ncp, log_check, log_s)
    log_f = log_density_bessel(x, df, ncp)
    if bessel:
        log_g = log_s + mpmath.log(-mpmath.diff(
            lambda t: mpmath.log(upper_tail_bessel(t, df, ncp)), mpf(x)))
    else:
        log_g = mpmath.log(density_series(x, df, ncp))
    assert abs(log_g - log_f) <= AGREE, (x, df, ncp, log_g, log_f)
    log_c = mpmath.log1p(-mpmath.exp(log_s))
    log_p, log_q = (log_c, log_s) if upper else (log_s, log_c)
    x, ncp = mpf(x), mpf(ncp)
    log_f2 = log_density_bessel(x, df + 2, ncp)
    kappa_tail = max(1, x * mpmath.exp(log_f - log_s), ncp * mpmath.exp(log_f2 - log_s))
    dlogf_dx = mpmath.diff(lambda t: log_density_bessel(t, df, ncp), x)
    kappa_density = max(1, abs(x * dlogf_dx), abs(ncp * (mpmath.exp(log_f2 - log_f) - 1) / 2))
    return log_p, log_q, log_f, kappa_tail, kappa_density


def around_mean(rng, df, ncp, spread):
    mu, sd = df + ncp, math.sqrt(2 * (df + 2 * ncp))
    x = mu + sd * rng.uniform(-spread, spread)
    return float("%.6g" % max(x, mu * 1e-3))


def ordinary(rng):
    rows = [(5.0, 3.0, 2.0), (100.0, 10.0, 50.0), (1.0, 1.0, 0.0), (3.84, 1.0, 0.0),
            (18.307, 10.0, 0.0), (50.0, 100.0, 0.0), (2.0, 2.0, 1e-10), (0.1, 1.0, 1e-300)]
    for _ in range(36):
        df = float("%.5g" % log_uniform(rng, 0, 2))
        ncp = 0.0 if rng.random() < 0.15 else float("%.5g" % rng.uniform(0, 100))
        rows.append((around_mean(rng, df, ncp, 3), df, ncp))
    return rows


def large_ncp(rng):
    rows = [(1e6, 10.0, 1e6), (2e6, 10.0, 1e6), (9e5, 10.0, 1e6), (1001000.0, 1.0, 1e6)]
    for _ in range(20):
        df = float("%.5g" % log_uniform(rng, 0, 2))
        ncp = float("%.6g" % log_uniform(rng, 2, 6))
        rows.append((around_mean(rng, df, ncp, 6), df, ncp))
    return rows


def small_df(rng):
    rows = [(0.5, 0.01, 0.3), (3.0, 0.01, 0.3), (1e-5, 0.01, 1.0), (1e-6, 0.01, 0.0),
            (1.0, 0.01, 0.0), (2.0, 0.5, 0.0), (0.001, 1.0, 0.0), (40.0, 0.02, 5.0)]
    for _ in range(26):
        df = float("%.4g" % log_uniform(rng, -2, 0))
        ncp = 0.0 if rng.random() < 0.2 else float("%.4g" % log_uniform(rng, -3, 1))
        x = float("%.5g" % log_uniform(rng, -6, math.log10(40)))
        rows.append((x, df, ncp))
    return rows


# The rows of df 1e3 to 1e6 (ncp to 2e6, x within 8 sd of the mean), not
# yet a table: the rows of df above 5e5 and small ncp, (1e6, 1e6, 1e-3) and
# (559580, 557520, 80.58), ran for more than five minutes each without
# finishing (the quadrature; the series takes a second), where
# (1003000, 1e6, 5000) takes 48 s and the rows of df 1e3 a few.
def large_df(rng):
    rows = [(1e6, 1e6, 1e-3), (999000.0, 1e6, 0.0), (100.0, 1e3, 10.0), (1003000.0, 1e6, 5000.0),
            (2e6, 1e3, 2e6), (1001000.0, 1e3, 1e6), (995000.0, 1e3, 1e6)]
    # Each row with df above 1e3 takes some 30 s (the quadrature's density
    # at every node is the series, of some 2000 terms); the random rows of
    # df above 1e5 are left out, their quadrature above x running for many
    # minutes (the fixed rows of df 1e6 stand for them).
    for _ in range(5):
        df = float("%.5g" % log_uniform(rng, 3, 6))
        ncp = 0.0 if rng.random() < 0.2 else float("%.5g" % log_uniform(rng, 0, 4))
        x = around_mean(rng, df, ncp, 8)
        if df <= 1e5:
            rows.append((x, df, ncp))
    return rows


def far_regions(rng):
    """x far beyond the bulk (ncp x/4 above 1e13, up to the largest double)
    and the far lower tails of noncentralities above 6e6."""
    return [(1e13, 3.0, 2.0), (4e12, 1.0, 10.0), (2e10, 100.0, 1000.0), (1e14, 10.0, 1e6),
            (1e20, 3.0, 2.0), (1e30, 0.5, 1e4), (1e19, 1000.0, 1e7), (1e200, 1e4, 1e-10),
            (1.7976931348623157e308, 3.0, 2.0),
            (1.0, 3.0, 1e7), (1000.0, 10.0, 8e6), (5e6, 100.0, 1e7), (0.01, 0.5, 9e6),
            (3e6, 1.0, 6.5e6),
            # either side of where the sum about the peak takes over from the
            # sum from the mode (x = 932509 and 1071090 at df 10, ncp 1e6)
            (931500.0, 10.0, 1e6), (933500.0, 10.0, 1e6), (1070000.0, 10.0, 1e6),
            (1072000.0, 10.0, 1e6)]


def far_tails(rng):
    rows = [(1.0, 5.0, 1500.0), (1500.0, 10.0, 10.0), (10.0, 1.0, 1e6), (2e6, 10.0, 1e6),
            (5000.0, 100.0, 2000.0), (1e-3, 0.5, 2000.0), (3000.0, 0.05, 1.0),
            (20000.0, 1000.0, 5000.0), (100.0, 1e4, 100.0)]
    return rows


def rmsea(rng):
    rows = [(208.94, 80.0, 128.94), (208.94, 80.0, 175.5917233), (208.94, 80.0, 86.0),
            (1e5, 10.0, 98755.279), (1e5, 10.0, 101234.404), (10.0, 1.0, 0.5)]
    for _ in range(24):
        df = float(rng.randint(1, 500))
        chi2 = float("%.5g" % rng.uniform(max(10.0, 0.5 * df), min(5000.0, 4 * df + 200)))
        centre = max(chi2 - df, 0.0)
        sd = math.sqrt(2 * (df + 2 * centre))
        ncp = float("%.6g" % max(0.0, centre + sd * rng.uniform(-2.5, 2.5)))
        rows.append((chi2, df, ncp))
    return rows


TABLES = [("ncx2_ordinary.inc", ordinary, "df 1 to 100, ncp 0 to 100, x within 3 sd of the mean"),
          ("ncx2_large_ncp.inc", large_ncp, "df 1 to 100, ncp 100 to 1e6, x within 6 sd"),
          ("ncx2_small_df.inc", small_df, "df 0.01 to 1, ncp 0 to 10, x 1e-6 to 40"),
          ("ncx2_far_tails.inc", far_tails, "the smaller tail below e^-691"),
          ("ncx2_rmsea.inc", rmsea, "chi-square 10 to 5000 on 1 to 500 df, ncp about chi2 - df"),
          ("ncx2_far_regions.inc", far_regions,
           "x far beyond the bulk (ncp x/4 above 1e13) and far lower tails of ncp above 6e6")]


def main(only=None):
    mp.dps = DPS
    for index, (name, cases, what) in enumerate(TABLES):
        if only and name not in only:
            continue
        rng = random.Random(20261211 + index)
        far = cases is far_regions
        rows = []
        for x, df, ncp in dedupe(cases(rng)):
            rows.append(((x, df, ncp), (reference_far if far else reference)(x, df, ncp)))
            print(name, "row", x, df, ncp, "done", file=sys.stderr, flush=True)
        how = ["Smaller tail by the Poisson series about the peak (or the Bessel-form series)",
               "and by quadrature, density by the Bessel form and the series (or the tail's",
               "derivative), each pair agreeing to 1e-24 (gen_ncx2.py's reference_far)."] if far \
            else ["Smaller tail by the Poisson series and by quadrature, density by the series",
                  "and the Bessel form, each pair agreeing to 1e-24 (gen_ncx2.py's docstring)."]
        header = [mpmath_line(DPS), what + "."] + how + [
            "Row: {x, df, ncp, ln P, rel, ln Q, rel, ln f, rel, kappa tail, rel,",
            "kappa density, rel}."]
        write_table(name, "gen_ncx2.py", header, rows)


if __name__ == "__main__":
    if len(sys.argv) > 1 and sys.argv[1] != "--check":
        main(sys.argv[1:])  # the named tables alone, e.g. ncx2_rmsea.inc
    else:
        run(main)
