#!/usr/bin/env python3
"""Reference values of the noncentral F law's two tails, their logarithms
and its log density, written to tests/data/ncf_probabilities.inc.

Every argument is a double; mpmath takes its exact binary value.  At
mp.dps = 50:

  P and Q     ncf_mp.ncf_tails: P = sum_j p_j I_j and Q = sum_j p_j (1 - I_j),
              each a sum of positive terms from the Poisson mode, I_k and
              1 - I_k with the smaller computed (y' formed directly);
  ln P, ln Q  the log of the smaller tail directly, of the larger as
              log1p(-smaller);
  ln f        the Poisson mixture of beta densities, every term summed
              (gen_ncf_density.log_density) for ncp <= 1000, else walked
              outward from its largest term (log_density_walk).

Two checks on every row: P + Q = 1 to 1e-40 (where neither tail is below
1e-40), and, where the Poisson mean is at most 2000 and the degrees of
freedom at most 2e5, P against the downward recurrence of ncf_mp.ncf_cdf
(a different sum, started far above the mode) to 1e-35 relative.  The density is checked against the
numerical derivative of the smaller tail at a few rows.

Families of rows: ordinary designs through both tails; Poisson means
beyond the direct sum's step limit (lambda 1e4 to 5e4, degrees of freedom
to 2e5) near the centre, where P and Q are both ordinary numbers; far
tails, far below the double range (logs to about -4e4); small degrees of
freedom and tiny x.

Rows: {x, df1, df2, ncp, ln P, rel, ln Q, rel, ln f, rel} (hi + rel pairs).
"""
import mpmath as mp

import gen_ncf_density
import ncf_mp
from rows import mpmath_line, run, write_table

mp.mp.dps = 50

CUT = mp.mpf(10) ** -40


def mean(df1, df2, ncp):
    return df2 / (df2 - 2.0) * (df1 + ncp) / df1 if df2 > 2 else (df1 + ncp) / df1


def nice(v):
    return float(mp.nstr(mp.mpf(v), 6))


def references(x, df1, df2, ncp):
    lower, upper = ncf_mp.ncf_tails(x, df1, df2, ncp)
    if lower > CUT and upper > CUT:
        assert abs(lower + upper - 1) < CUT, (x, df1, df2, ncp, lower + upper)
    if ncp <= 4000 and max(df1, df2) <= 2e5:
        direct = ncf_mp.ncf_cdf(x, df1, df2, ncp)
        assert abs(direct - lower) <= lower * mp.mpf(10) ** -35, (x, df1, df2, ncp, direct, lower)
    if lower <= upper:
        log_lower, log_upper = mp.log(lower), mp.log1p(-lower)
    else:
        log_lower, log_upper = mp.log1p(-upper), mp.log(upper)
    return log_lower, log_upper, log_density(x, df1, df2, ncp)


def log_density(x, df1, df2, ncp):
    """Every term of the mixture summed for ncp <= 1000, else the walk from
    the largest term."""
    if ncp <= 1000:
        return gen_ncf_density.log_density(x, df1, df2, ncp)
    return gen_ncf_density.log_density_walk(x, df1, df2, ncp)


def check_density(x, df1, df2, ncp):
    lower, upper = ncf_mp.ncf_tails(x, df1, df2, ncp)
    side = 0 if lower <= upper else 1
    d = mp.diff(lambda t: ncf_mp.ncf_tails(t, df1, df2, ncp)[side], mp.mpf(x))
    f = mp.exp(log_density(x, df1, df2, ncp))
    assert abs(abs(d) - f) <= f * mp.mpf(10) ** -25, (x, df1, df2, ncp, d, f)


def cases():
    rows = []
    # Ordinary designs through both tails.
    for df1, df2 in ((1.0, 5.0), (3.0, 12.0), (10.0, 40.0), (25.0, 7.0)):
        for ncp in (0.0, 3.0, 40.0, 400.0):
            m = mean(df1, df2, ncp)
            for f in (0.02, 0.3, 1.0, 3.0, 30.0):
                rows.append((nice(f * m), df1, df2, ncp))
    # Beyond the direct sum's step limit, near the centre: both tails ordinary.
    rows += [(44.0582, 464.569, 511.026, 20005.4), (1.02, 2e5, 1.5e5, 3000.0),
             (1.1, 5e4, 2e5, 5300.0), (2.9, 1.8e4, 9e4, 3.4e4), (251.0, 200.0, 2000.0, 5e4),
             (110.0, 20.0, 1e5, 2100.0), (6.2, 1000.0, 300.0, 5000.0),
             (0.9, 1.2e5, 8e4, 1e4), (5.6, 9000.0, 2e5, 4.1e4)]
    # Wide designs, where the incomplete beta ratio of the direct sum loses
    # digits (df1 or df2 of 1e4 and more).
    rows += [(1.0, 1e4, 1e3, 0.0), (0.997, 1e6, 200.0, 50.0), (0.70707424, 1e7, 200.0, 50.0),
             (0.9982679491924311, 3e6, 2e5, 50.0)]
    # Wide designs whose smaller tail is the upper one, about 1e-9, where
    # the cross-check against the direct sum's P must allow its rounding.
    rows += [(1.4183423243140816, 3284496.1372795673, 662.0596708409815, 0.04725205405013132),
             (1.2420660028475392, 1477.9762720660053, 2192040.3235851577, 18.859130179527376)]
    # Far tails, far below the double range.
    rows += [(30.0, 10.0, 1000.0, 5e4), (9000.0, 10.0, 1000.0, 5e4), (1e-3, 4.0, 20.0, 3000.0),
             (1.0, 2e5, 2e5, 2e4), (1.4, 2e5, 2e5, 1.0), (0.5, 50.0, 5e4, 1e4),
             (8000.0, 3.0, 2e4, 3000.0), (3.0, 100.0, 2e5, 3e4)]
    # Small degrees of freedom, tiny x.
    rows += [(1e-30, 0.05, 3.0, 2.0), (0.7, 0.02, 0.5, 1.0), (50.0, 0.3, 0.03, 20.0),
             (1e-8, 0.5, 200.0, 40.0), (2.0, 0.01, 30.0, 0.5)]
    return rows


def main():
    for r in ((3.0, 3.0, 12.0, 40.0), (30.0, 10.0, 1000.0, 5e4), (0.7, 0.02, 0.5, 1.0)):
        check_density(*r)
    rows = [(r, references(*r)) for r in cases()]
    write_table("ncf_probabilities.inc", "gen_ncf_probabilities.py",
                [mpmath_line(mp.mp.dps),
                 "ln P and ln Q from positive sums about the Poisson mode (ncf_mp.ncf_tails),",
                 "the smaller directly and the larger as log1p(-smaller); ln f by the Poisson",
                 "mixture of beta densities (gen_ncf_density).",
                 "Rows: {x, df1, df2, ncp, ln P, rel, ln Q, rel, ln f, rel}."], rows)


if __name__ == "__main__":
    run(main)
