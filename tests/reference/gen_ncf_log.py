#!/usr/bin/env python3
"""Reference values of the noncentral F distribution in logarithms, written
to tests/data/ncf_log.inc.

Every argument is a double; mpmath takes its exact binary value.  At
mp.dps = 60, with a = n1/2, b = n2/2, lam = lambda/2, x' = n1 x / (n1 x + n2),
y' = n2 / (n1 x + n2), Poisson weights p_j = e^-lam lam^j / j! and the beta
terms u_j = x'^(a+j) y'^b / ((a+j) B(a+j, b)):

  lower tail  P = sum_j p_j I_x'(a+j, b), by ncf_mp.ncf_cdf (downward
              recurrence I_j = I_(j+1) + u_j from j = 2 lam + 25 sqrt(lam) + 60,
              relative truncation error below 1e-40);
  upper tail  Q = sum_j p_j Q_j, Q_j = 1 - I_x'(a+j, b), by the upward
              recurrence Q_(j+1) = Q_j + u_j from Q_0 = I_y'(b, a) (the series
              of ncf_mp.ratio_lower on the smaller side), summed until past the
              peak of p_j Q_j and a term below 1e-70 of the sum: in far upper
              tails the mass sits at large j;
  density     f(x) = dP/dx = -dQ/dx by mpmath.diff of whichever tail is
              smaller (finite differences at raised precision).

Both tails are sums of positive terms and never formed by subtraction; the
table checks P + Q = 1 to 1e-45 where neither is below 1e-45.  The log of
the smaller tail is taken directly and the larger one's as log1p(-smaller),
which keeps its relative accuracy when it is tiny.  Each of ln P, ln Q and
ln f is rounded to the nearest double and printed by rows.fmt.

Tables: ncf_log_central_rows (lambda = 0), ncf_log_summation_rows
(0 < lambda <= 500), ncf_log_integration_rows (lambda > 500, among them
far upper tails at lambda = 1000 where Q underflows), ncf_log_fallback_rows
(lambda <= 500 where the summation fails), ncf_log_mode_rows (degrees of
freedom at or below 2^-10, and tiny x with a large lambda: the sum from the
Poisson mode), ncf_log_tiny_x_rows (tiny x, large lambda, integrated),
ncf_log_refused_rows (a tiny second degree of freedom with x' near 1: exact
or a failure), ncf_log_density_rows (log density only).
"""
import os
import mpmath as mp
from ncf_mp import incomplete_beta, log_beta, ncf_cdf, ratio_lower
from rows import fmt, open_output, run

mp.mp.dps = 60


def upper_tail(x, n1, n2, ncp):
    x, n1, n2, ncp = mp.mpf(x), mp.mpf(n1), mp.mpf(n2), mp.mpf(ncp)
    a, b, lam = n1 / 2, n2 / 2, ncp / 2
    xp = n1 * x / (n1 * x + n2)
    yp = n2 / (n1 * x + n2)
    q = ratio_lower(yp, b, a) if yp <= b / (a + b) else 1 - ratio_lower(xp, a, b)
    if lam == 0:
        return q
    u = mp.exp(a * mp.log(xp) + b * mp.log(yp) - mp.log(a) - log_beta(a, b))
    p = mp.exp(-lam)
    total, best, j = p * q, p * q, 0
    while True:
        q += u                               # Q_(j+1)
        u *= (a + b + j) * xp / (a + j + 1)  # u_(j+1)
        j += 1
        p *= lam / j
        term = p * q
        total += term
        best = max(best, term)
        if j > lam and term < best and term < total * mp.mpf(10) ** -70:
            break
    return total


def sides(x, n1, n2, ncp):
    lower = ncf_cdf(x, n1, n2, ncp)
    upper = upper_tail(x, n1, n2, ncp)
    if lower > mp.mpf(10) ** -45 and upper > mp.mpf(10) ** -45:
        assert abs(lower + upper - 1) < mp.mpf(10) ** -45, (x, n1, n2, ncp, lower + upper)
    return lower, upper


def log_density(x, n1, n2, ncp, lower, upper):
    if lower <= upper:
        f = mp.diff(lambda t: ncf_cdf(t, n1, n2, ncp), mp.mpf(x))
    else:
        f = -mp.diff(lambda t: upper_tail(t, n1, n2, ncp), mp.mpf(x))
    return mp.log(f)


def row(x, n1, n2, ncp, density=True):
    """A table row; without density its log density is written as 0 (the
    tables of probabilities alone)."""
    lower, upper = sides(x, n1, n2, ncp)
    dens = log_density(x, n1, n2, ncp, lower, upper) if density else mp.mpf(0)
    # The larger tail's log from the smaller one: ln(1 - s) = log1p(-s) keeps
    # its relative accuracy when it is tiny.
    if lower <= upper:
        log_lower, log_upper = mp.log(lower), mp.log1p(-lower)
    else:
        log_lower, log_upper = mp.log1p(-upper), mp.log(upper)
    return "    {%r, %r, %r, %r, %s, %s, %s}," % (x, n1, n2, ncp, fmt(log_lower),
                                               fmt(log_upper), fmt(dens))


def density_row(x, n1, n2, ncp):
    lower, upper = sides(x, n1, n2, ncp)
    return "    {%r, %r, %r, %r, %s}," % (x, n1, n2, ncp,
                                         fmt(log_density(x, n1, n2, ncp, lower, upper)))


def mean(n1, n2, ncp):
    return n2 / (n2 - 2.0) * (n1 + ncp) / n1


def nice(v):
    return float(mp.nstr(mp.mpf(v), 6))


def main():
    central = [(1.0, 3.0, 3.0, 0.0), (0.5, 1.0, 10.0, 0.0), (4.0, 10.0, 3.0, 0.0),
               (1e-8, 4.0, 20.0, 0.0), (200.0, 5.0, 8.0, 0.0), (1e5, 2.0, 30.0, 0.0),
               (0.3, 0.5, 0.7, 0.0), (2.0, 200.0, 300.0, 0.0)]

    summation = []
    for n1, n2 in ((1.0, 5.0), (2.0, 10.0), (5.0, 30.0), (20.0, 8.0)):
        for ncp in (0.5, 10.0, 100.0, 499.0):
            m = mean(n1, n2, ncp)
            for f in (0.05, 0.5, 1.0, 2.0, 10.0):
                summation.append((nice(f * m), n1, n2, ncp))
    summation += [(0.02, 10.0, 10.0, 300.0), (30.0, 3.0, 60.0, 2.0), (500.0, 4.0, 100.0, 20.0)]
    # A far upper tail that a distribution function forming it as 1 - P loses.
    summation += [(1000.0, 3.0, 40.0, 2.0)]

    integration = [(6.0, 4.0, 20.0, 1000.0), (500.0, 4.0, 20.0, 1000.0),
                   (3000.0, 4.0, 20.0, 1000.0), (60.0, 10.0, 10.0, 1000.0),
                   (200.0, 10.0, 10.0, 1000.0), (50.0, 1.0, 30.0, 600.0),
                   (700.0, 1.0, 30.0, 600.0), (300.0, 2.0, 12.0, 800.0),
                   (900.0, 20.0, 200.0, 5000.0), (260.0, 20.0, 200.0, 5000.0),
                   (120.0, 20.0, 200.0, 5000.0), (2500.0, 3.0, 400.0, 10000.0),
                   (40.0, 30.0, 50.0, 1500.0), (1.2, 500.0, 40.0, 501.0),
                   # upper tails below the double range
                   (400.0, 10.0, 1000.0, 1000.0), (3000.0, 10.0, 1000.0, 1000.0),
                   (6000.0, 4.0, 2000.0, 1000.0),
                   # a large denominator: the incomplete gamma of shape n2/2 near its
                   # centre at every node (the integration once failed here)
                   (1.887414939, 514.7183194, 381470.2992, 586.518082)]

    # lambda <= 500 where the summation fails (its start beta term is below the
    # double range) and the integration answers.
    fallback = [(0.0001, 10.0, 10.0, 400.0), (0.001, 10.0, 10.0, 450.0)]

    # Degrees of freedom at or below 2^-10, tiny x with a large lambda: the sum
    # from the Poisson mode (ncf_log_tails) answers, directly for the small
    # degrees of freedom and after a failed integration for x far below the
    # mean (ln P(2.638088761e-12; 0.2284012087, 0.08445778625, 508.2848095)).
    mode = [(2.638088761e-12, 0.2284012087, 0.08445778625, 508.2848095),
            (2.638088761e-12, 0.2284012087, 0.08445778625, 500.0),
            (1e-8, 1e-4, 0.5, 300.0), (0.5, 1e-4, 0.3, 40.0), (3.0, 0.0005, 2.0, 20.0),
            (1e-3, 1e-6, 1.0, 50.0), (10.0, 1e-5, 3.0, 5.0),
            (1.7478607747901512e-10, 1.283775537081854e-06, 1.2434829562634123e-06,
             105.28029689692109),
            (2.275307793480892e-07, 4.074621890237783e-06, 1.5284759068486064e-06,
             220.32329384115303),
            (0.2560336038800504, 0.001660841033186894, 0.0008350104701781082, 40.399118675666045),
            (5.871625212346622e-11, 2.557973737783744e-05, 0.0005543164171957767,
             0.13066616661942596)]
    # Tiny x with a large lambda and moderate degrees of freedom, answered by
    # the integration.
    tiny_x = [(1e-10, 0.3, 0.1, 800.0), (1e-9, 0.5, 0.2, 1500.0), (1e-11, 0.1, 0.05, 600.0)]
    # A second degree of freedom far below 2^-10 with x' near 1: the start
    # ratio's complement has lost digits like 1/b; an answer must still be
    # exact, or the call fails.
    refused = [(0.018457826092306118, 0.09011986572619883, 1.0320229300297048e-06,
                6.047122636090696),
               (1.7257361461144005, 0.011672986323877152, 2.66647542256605e-06,
                0.11289428729933203),
               (495.79579396762887, 0.0003617411887760284, 1.2801762904320085e-05,
                10.208319020363756)]

    density = [(1.5, 3.0, 9.0, 0.0), (0.5, 1.0, 4.0, 3.0),
               (2.0, 6.0, 12.0, 25.0), (40.0, 6.0, 12.0, 25.0), (1e-3, 2.5, 6.0, 1.0),
               (30.0, 8.0, 20.0, 400.0), (100.0, 8.0, 20.0, 400.0), (0.05, 8.0, 20.0, 400.0),
               (1000.0, 10.0, 50.0, 5000.0), (0.7, 120.0, 3.0, 60.0)]

    here = os.path.dirname(os.path.abspath(__file__))
    tables = [("ncf_log_central_rows", "ncf_log_reference", [row(*r) for r in central]),
              ("ncf_log_summation_rows", "ncf_log_reference", [row(*r) for r in summation]),
              ("ncf_log_integration_rows", "ncf_log_reference", [row(*r) for r in integration]),
              ("ncf_log_fallback_rows", "ncf_log_reference", [row(*r) for r in fallback]),
              # probabilities alone (the log density as 0)
              ("ncf_log_mode_rows", "ncf_log_reference", [row(*r, False) for r in mode]),
              ("ncf_log_tiny_x_rows", "ncf_log_reference", [row(*r, False) for r in tiny_x]),
              ("ncf_log_refused_rows", "ncf_log_reference", [row(*r, False) for r in refused]),
              ("ncf_log_density_rows", "ncf_density_reference", [density_row(*r) for r in density])]
    with open_output(os.path.join(here, "..", "data", "ncf_log.inc")) as f:
        f.write("// Generated by tests/reference/gen_ncf_log.py with mpmath %s, mp.dps = 60:\n"
                "// P(F' <= x) by the Poisson mixture of incomplete beta ratios summed downward\n"
                "// (tests/reference/ncf_mp.py), P(F' > x) by the mixture of their complements\n"
                "// summed upward from I_y'(b, a), both without subtraction; the density as the\n"
                "// derivative (mpmath.diff) of the smaller tail.  Logs rounded to the nearest\n"
                "// double.  Rows: {x, n1, n2, lambda, ln P, ln Q, ln f} (density table:\n"
                "// {x, n1, n2, lambda, ln f}).\n" % mp.__version__)
        for name, kind, rows in tables:
            f.write("static const %s %s[] = {\n" % (kind, name))
            f.write("\n".join(rows) + "\n};\n\n")


if __name__ == "__main__":
    run(main)
