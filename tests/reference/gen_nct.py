#!/usr/bin/env python3
"""Reference values of the noncentral t distribution, written to
tests/data/nct.inc.

Every argument is a double; mpmath takes its exact binary value.  At
mp.dps = 30 each row is computed two independent ways (nct_mp):

  the series    Lenth's Poisson-weighted incomplete beta series summed from
                the Poisson mode (P, Q and the density), with the precision
                raised by the digits the signs cancel where t and delta differ
                in sign;
  a quadrature  P = int f_S(s) Phi(t s - delta) ds over the chi scale
                (tanh-sinh), the smaller tail integrated, with the slope
                -dP/d(delta) = int f_S(s) phi(t s - delta) ds and the density.

The quadrature's values are written; the series must agree with them to
1e-14 in ln P, ln Q and ln f (relative to max(1, |log|)), else the row is
left out (the header counts them: far tails where the series' terms cancel
past its working precision), and the largest disagreement of the rows kept
is stated in the table's header.
(Where the series' start ratio comes from mpmath.quad of the beta density,
for shapes above 2000, the two agree to about 1e-16; elsewhere to 1e-25.)
Each log is written as an hi + rel pair (rows.py).

Tables (rows {t, df, delta, ln P, ln Q, ln(-dP/d delta), ln f}, each log a
pair): nct_ordinary_rows (df 2-200, |t| <= 8, |delta| <= 10),
nct_large_delta_rows (|delta| from 37.62 to 1e4, t about delta),
nct_large_df_rows (df 1e4-1e7), nct_small_df_rows (df 0.1-2),
nct_far_tail_rows (the smaller tail below 1e-12), nct_opposite_sign_rows
(t and delta of opposite signs, the smaller tail from about 2e-4 to 1/2,
where the series' chains cancel), nct_named_rows (the
arguments of the intervals that other tools get wrong: t = 55 and 56 at
df = 1e6, t = 80 at df = 4555555, and their 95% limits),
nct_small_df_edge_rows (df 0.1 to 0.36 with |delta| 41 to 316 and |t| 170
to 3360, where the chi scale's integrand is a plateau ending in an edge of
width 1/|delta|: the quadrature of the tail that is truly the smaller,
checked where t and delta share a sign by the series, its extra digits
raised until the two agree, and where they differ, the smaller tail far
below the double range, by an integral over the normal, nct_mp.opposite_lower_tail;
each row says how it was made); and
nct_ncp_rows, the noncentralities with P(T <= t) = p for those cases, found
by mpmath.findroot on the quadrature, {t, df, p, delta, rel}.
"""
import multiprocessing
import os
import random
import sys

import mpmath as mp

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import nct_mp  # noqa: E402
from rows import OUT, fmt, mpmath_line, open_output, run, split  # noqa: E402

DPS = 30


def reference(t, df, delta):
    mp.mp.dps = DPS
    lp, lq, ls, lf = nct_mp.quadrature(t, df, delta)
    small = min(lp, lq)
    # Digits the series' signs cancel where t and delta differ in sign, and
    # that its complements 1 - I lose in a small upper tail: about -log10 of
    # the smaller tail.
    extra = 10 + int(-small / mp.log(10))
    p, q, f = nct_mp.series(t, df, delta, extra_digits=extra)
    pairs = [(mp.log(p), lp), (mp.log(q), lq)] + ([(mp.log(f), lf)] if f is not None else [])
    worst = mp.mpf(0)
    for s, r in pairs:
        d = abs(s - r) / max(1, abs(r))
        worst = max(worst, d)
        if d > mp.mpf(10) ** -14:
            return None, d
    return (lp, lq, ls, lf), worst


_agreement = [0.0]
_left_out = [0]


def _row_text(case):
    """One row's text and the agreement of its two methods (run in a worker)."""
    t, df, delta = case[:3]
    comment = case[3] if len(case) > 3 else None
    refs, agreement = reference(t, df, delta)
    if refs is None:
        print("series and quadrature disagree at %r by %s: row left out"
              % ((t, df, delta), mp.nstr(agreement, 3)), flush=True)
        return None, 0.0
    cells = [fmt(t), fmt(df), fmt(delta)]
    for r in refs:
        hi, rel = split(r)
        cells += [fmt(hi), fmt(rel)]
    return (("    // %s\n" % comment if comment else "") + "    {%s},\n" % ", ".join(cells),
            float(agreement))


def ordinary(rng, n):
    out = []
    for _ in range(n):
        df = float("%.6g" % (10 ** rng.uniform(mp.log10(2), mp.log10(200))))
        t = float("%.6g" % rng.uniform(-8, 8))
        delta = float("%.6g" % rng.uniform(-10, 10))
        out.append((t, df, delta))
    return out


def large_delta(rng, n):
    out = []
    for _ in range(n):
        df = float("%.6g" % (10 ** rng.uniform(0.3, 3)))
        delta = float("%.6g" % (10 ** rng.uniform(mp.log10(37.62), 4)))
        sd = (1 + delta * delta / (2 * df)) ** 0.5
        t = float("%.6g" % (delta + rng.uniform(-3, 3) * sd))
        if rng.random() < 0.3:
            t, delta = -t, -delta
        out.append((t, df, delta))
    return out


def large_df(rng, n):
    out = []
    for _ in range(n):
        df = float("%.6g" % (10 ** rng.uniform(4, 7)))
        delta = float("%.6g" % rng.uniform(-60, 60))
        t = float("%.6g" % (delta + rng.uniform(-4, 4)))
        out.append((t, df, delta))
    return out


def small_df(rng, n):
    out = []
    for _ in range(n):
        df = float("%.6g" % (10 ** rng.uniform(-1, mp.log10(2))))
        t = float("%.6g" % (rng.choice([-1, 1]) * 10 ** rng.uniform(-2, 3)))
        delta = float("%.6g" % rng.uniform(-6, 6))
        out.append((t, df, delta))
    return out


def far_tail(rng, n):
    out = []
    while len(out) < n:
        df = float("%.6g" % (10 ** rng.uniform(0, 3)))
        delta = float("%.6g" % rng.uniform(-40, 40))
        t = float("%.6g" % rng.uniform(-60, 60))
        z = (t * (1 - 1 / (4 * df)) - delta) / (1 + t * t / (2 * df)) ** 0.5
        if abs(z) > 7.5:
            out.append((t, df, delta))
    return out


def opposite_signs(rng, n):
    """t and delta of opposite signs with the smaller tail from about 2e-4 to
    1/2 by the normal approximation (|z| <= 3.5), ordinary designs: where the
    series' two chains cancel by up to some thousands."""
    out = []
    while len(out) < n:
        df = float("%.6g" % (10 ** rng.uniform(mp.log10(2), mp.log10(200))))
        t = float("%.6g" % rng.uniform(-8, 8))
        delta = float("%.6g" % (-rng.uniform(0, 10) if t > 0 else rng.uniform(0, 10)))
        z = (t * (1 - 1 / (4 * df)) - delta) / (1 + t * t / (2 * df)) ** 0.5
        if abs(z) <= 3.5:
            out.append((t, df, delta))
    return out


# The intervals that other tools get wrong, at 95%: t = 55 and 56 at
# df = 1e6 and t = 80 at df = 4555555; the cdf at the limits SciPy finds.
NAMED = [
    (55.0, 1e6, 53.04, "t = 55, df = 1e6 at SciPy's lower limit"),
    (55.0, 1e6, 56.96, "t = 55, df = 1e6 at SciPy's upper limit"),
    (56.0, 1e6, 56.0, "t = 56, df = 1e6"),
    (80.0, 4555555.0, 80.0, "t = 80, df = 4555555"),
    (80.0, 4555555.0, 78.04, "t = 80, df = 4555555, near the lower limit"),
    (1.0, 10.0, 37.62, "the edge of R's documented accuracy"),
    (40.0, 10.0, 37.63, "just beyond it"),
]
NCP_CASES = [(55.0, 1e6), (56.0, 1e6), (80.0, 4555555.0), (3.0, 20.0), (-2.5, 7.0), (0.3, 0.5)]


# Small df with large delta and t (df 0.1 to 0.36, |delta| 41 to 316, |t|
# 170 to 3360), designs a random sweep found unanswered: of the same sign,
# where both tails are of order 1/2, and of opposite signs, where the
# smaller tail is far below the double range.
EDGE_SAME_SIGN = [
    (1134.899337624939, 0.13093620562957572, 114.04237753015232),
    (-1122.4201682287862, 0.15265472286645373, -89.7730173645928),
    (-3360.2031575627857, 0.3139277736311777, -310.70502000950427),
    (2010.133110375676, 0.15627564678340378, 188.2175011908843),
    (-2492.3837679179596, 0.35643467645693339, -290.08800078541549),
    (1960.2392906055522, 0.15818253485223766, 315.6235903346564),
]
EDGE_OPPOSITE_SIGNS = [
    (-901.5789128246356, 0.19726344038163382, 107.48631395642435),
    (-169.88139147456428, 0.14601704887231429, 41.312640493893888),
    (-1118.5583396567104, 0.11010472454657462, 97.461830067404421),
    (410.21216854104352, 0.20054356867083784, -73.916151787981761),
]
# The series' extra digits are raised by this step, at most this often,
# until it agrees with the quadrature.
EDGE_EXTRA_STEP = 20
EDGE_EXTRA_TRIES = 4


def _smaller_tail_quadrature(t, df, delta):
    """The quadrature of the tail that is the smaller: the normal
    approximation's choice (smaller_lower) names the larger at small df, and
    the larger's complement would lose the smaller's digits."""
    named = nct_mp.smaller_lower(mp.mpf(t), mp.mpf(df), mp.mpf(delta))
    refs = nct_mp.quadrature(t, df, delta)
    if min(refs[0], refs[1]) > -mp.log(2):
        other = nct_mp.quadrature(t, df, delta, lower=not named)
        if min(other[0], other[1]) < min(refs[0], refs[1]):
            return other, not named
    return refs, named


def _edge_row_text(case):
    """One row of nct_small_df_edge_rows and the agreement of its two methods,
    with a comment saying how it was made (run in a worker)."""
    t, df, delta = case
    mp.mp.dps = DPS
    if (t < 0) != (delta < 0):
        # The smaller tail (the lower for t < 0 < delta) by the chi scale's
        # quadrature, checked by the integral over the normal.
        lower = t < 0
        refs = nct_mp.quadrature(t, df, delta, lower=lower)
        check = nct_mp.opposite_lower_tail(t, df, delta) if lower \
            else nct_mp.opposite_lower_tail(-t, df, -delta)
        small = refs[0] if lower else refs[1]
        agreement = abs(small - check) / max(1, abs(small))
        how = "chi-scale quadrature of the %s tail; the integral over the normal agrees to %s" % (
            "lower" if lower else "upper", mp.nstr(agreement, 2))
    else:
        refs, lower = _smaller_tail_quadrature(t, df, delta)
        small = min(refs[0], refs[1])
        extra = 10 + int(-small / mp.log(10))
        for _ in range(EDGE_EXTRA_TRIES):
            p, q, f = nct_mp.series(t, df, delta, extra_digits=extra)
            agreement = max(abs(mp.log(v) - r) / max(1, abs(r))
                            for v, r in ((p, refs[0]), (q, refs[1]), (f, refs[3])))
            if agreement <= mp.mpf(10) ** -14:
                break
            extra += EDGE_EXTRA_STEP
        how = "chi-scale quadrature of the %s tail; the series at %d extra digits agrees to %s" % (
            "lower" if lower else "upper", extra, mp.nstr(agreement, 2))
    if agreement > mp.mpf(10) ** -14:
        print("the two methods disagree at %r by %s: row left out" % ((t, df, delta), mp.nstr(agreement, 3)),
              flush=True)
        return None, 0.0
    cells = [fmt(t), fmt(df), fmt(delta)]
    for r in refs:
        hi, rel = split(r)
        cells += [fmt(hi), fmt(rel)]
    return "    // %s\n    {%s},\n" % (how, ", ".join(cells)), float(agreement)


def ncp_rows():
    lines = []
    mp.mp.dps = DPS
    for t, df in NCP_CASES:
        for p in (0.975, 0.025):
            f = lambda d: nct_mp.quadrature(t, df, d, tails_only=True)[0] - mp.log(p)
            delta = mp.findroot(f, mp.mpf(t) - mp.mpf(1.96) * (1 if p < 0.5 else -1), tol=mp.mpf(10) ** -25)
            hi, rel = split(delta)
            lines.append("    {%s, %s, %s, %s, %s},\n" % (fmt(t), fmt(df), fmt(p), fmt(hi), fmt(rel)))
    return lines


def main():
    rng = random.Random(20)
    tables = [
        ("nct_ordinary_rows", ordinary(rng, 48)),
        ("nct_large_delta_rows", large_delta(rng, 16)),
        ("nct_large_df_rows", large_df(rng, 16)),
        ("nct_small_df_rows", small_df(rng, 28)),
        ("nct_far_tail_rows", far_tail(rng, 28)),
        ("nct_opposite_sign_rows", opposite_signs(rng, 40)),
    ]
    path = os.path.join(OUT, "nct.inc")
    with open_output(path) as out:
        out.write("// Generated by tests/reference/gen_nct.py; do not edit.\n")
        out.write("// %s Each log checked by the series and a quadrature (nct_mp).\n" % mpmath_line(DPS))
        body = []
        # Two worker processes; the rows keep their order.
        with multiprocessing.Pool(2) as pool:
            for name, cases, make in ([(n, c, _row_text) for n, c in tables + [("nct_named_rows", NAMED)]]
                                      + [("nct_small_df_edge_rows", EDGE_SAME_SIGN + EDGE_OPPOSITE_SIGNS,
                                          _edge_row_text)]):
                body.append("static const nct_row %s[] = {\n" % name)
                for text, agreement in pool.map(make, cases):
                    if text is None:
                        _left_out[0] += 1
                        continue
                    body.append(text)
                    _agreement[0] = max(_agreement[0], agreement)
                body.append("};\n")
                print("%s: %d rows" % (name, len(cases)), flush=True)
        out.write("// Series and quadrature agree to %.2g in every log; %d generated rows where\n"
                  "// they did not agree to 1e-14 are left out.\n" % (_agreement[0], _left_out[0]))
        out.write("// Rows: {t, df, delta, ln P, rel, ln Q, rel, ln(-dP/d delta), rel, ln f, rel}.\n")
        out.writelines(body)
        out.write("// delta with P(T <= t; df, delta) = p: {t, df, p, delta, rel}.\n")
        out.write("static const nct_ncp_row nct_ncp_rows[] = {\n")
        out.writelines(ncp_rows())
        out.write("};\n")


if __name__ == "__main__":
    run(main)
