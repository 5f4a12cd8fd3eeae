#!/usr/bin/env python3
"""Reference values of the log density of the noncentral F distribution,
written to tests/data/ncf_density.inc.

Every argument is a double; mpmath takes its exact binary value.  At
mp.dps = 40 the density is the Poisson mixture of beta densities
    f(x) = sum_k e^-h h^k / k! * g(y; a+k, b) * dy/dx,
    h = lambda/2, a = n1/2, b = n2/2, y = n1 x / (n1 x + n2),
    dy/dx = (n1/n2) / (1 + n1 x/n2)^2,
each term formed in logs (mpmath.loggamma) and summed over every k from 0
to K = h y + 40 sqrt(h) + 200, beyond which the terms (falling faster than
the Poisson weights e^-h h^k/k!, since y < 1) are below 1e-60 of the sum.
ln f is rounded to the nearest double (17 significant digits).

For noncentralities of 10^4 and more (ncf_density_large_rows) the sum runs
from the largest term k0 outward by the exact ratio of successive terms,
    term(k) / term(k-1) = (a+b+k-1) y h / (k (a+k-1)),
until a term falls below 1e-45 of the sum, and the last term of each walk
is checked against its own log_term to 1e-25: summing every k from 0
would take hundreds of thousands of log-gammas per row.

As an independent check the script also differentiates the distribution
function of ncf_mp (the Poisson mixture of incomplete beta ratios)
numerically at a few rows and asserts agreement to 1e-20 relative.
"""
import os
import mpmath as mp
import ncf_mp
from rows import open_output, run

mp.mp.dps = 40


def mixture(x, n1, n2, lam):
    """The log of the mixture's k-th term without the Jacobian, as a function
    of k, with the Jacobian ln dy/dx, the shapes a, b, h and y."""
    x, n1, n2, lam = mp.mpf(x), mp.mpf(n1), mp.mpf(n2), mp.mpf(lam)
    a, b, h = n1 / 2, n2 / 2, lam / 2
    q = n1 * x / n2
    y = q / (1 + q)
    # ln y and ln(1 - y) = -ln(1 + q) from q, exact where y rounds to 1.
    log_y, log_1my = mp.log(q) - mp.log1p(q), -mp.log1p(q)
    jac = mp.log(n1 / n2) - 2 * mp.log1p(q)

    def log_term(k):
        w = -h + (k * mp.log(h) if k > 0 else 0) - mp.loggamma(k + 1)
        return (w + (a + k - 1) * log_y + (b - 1) * log_1my
                - ncf_mp.log_beta(a + k, b))

    return log_term, jac, a, b, h, y


def log_density(x, n1, n2, lam):
    log_term, jac, a, b, h, y = mixture(x, n1, n2, lam)
    if lam == 0:
        return log_term(0) + jac
    top = int(h * y + 40 * mp.sqrt(h) + 200)
    ref = log_term(int(h * y))
    total = mp.fsum(mp.exp(log_term(k) - ref) for k in range(top + 1))
    return ref + mp.log(total) + jac


def log_density_walk(x, n1, n2, lam):
    log_term, jac, a, b, h, y = mixture(x, n1, n2, lam)
    m = (a - 1 - y * h) / 2
    k0 = max(0, int(mp.sqrt(m * m + (a + b - 1) * y * h) - m))
    small = mp.mpf(10) ** -45
    total = mp.mpf(1)
    for step in (-1, 1):
        r, k = mp.mpf(1), k0
        while k + step >= 0:
            if step < 0:
                r *= k * (a + k - 1) / ((a + b + k - 1) * y * h)
            else:
                r *= (a + b + k) * y * h / ((k + 1) * (a + k))
            k += step
            total += r
            if r < small * total:
                break
        assert abs(mp.log(r) - (log_term(k) - log_term(k0))) < mp.mpf(10) ** -25, (x, n1, n2, lam)
    return log_term(k0) + mp.log(total) + jac


def check_against_cdf(x, n1, n2, lam):
    d = mp.diff(lambda t: ncf_mp.ncf_cdf(t, n1, n2, lam), mp.mpf(x))
    f = mp.exp(log_density(x, n1, n2, lam))
    assert abs(d - f) <= abs(f) * mp.mpf("1e-20"), (x, n1, n2, lam, d, f)


def main():
    rows = []
    for n1 in (1.0, 2.0, 3.0, 10.0, 50.0):
        for n2 in (1.0, 4.0, 10.0, 100.0, 1000.0):
            for lam in (0.0, 0.5, 5.0, 50.0, 500.0):
                for x in (1e-8, 0.01, 0.5, 1.0, 2.5, 10.0, 300.0):
                    rows.append((x, n1, n2, lam))
    # Far out in x, where the density itself under- or overflows a double.
    rows += [(1e-100, 1.0, 4.0, 50.0), (1e-100, 3.0, 10.0, 5.0), (1e100, 3.0, 10.0, 5.0),
             (1e250, 50.0, 1000.0, 500.0)]

    # Noncentralities from 10^4 to 10^7 (the walks about the largest term need
    # more than a thousand terms), near the mode and in both tails.
    large_rows = [(1000.0, 3.0, 10.0, 30000.0), (1.0, 3.0, 10.0, 3e5), (2.0, 50.0, 1000.0, 1e7),
                  (20000.0, 3.0, 10.0, 30000.0), (2e5, 5.0, 10.0, 1e6), (1.5e5, 5.0, 10.0, 1e6),
                  (5e5, 5.0, 10.0, 1e6), (2e4, 50.0, 1000.0, 1e6), (128.90310038937986,
                  91.62492820199395, 7158.786414304317, 11877.17441518081),
                  (2314.9165861647107, 120.8071278730338, 172.86405275040227, 276158.9454854109),
                  (22236.704361234373, 6.280066740377174, 812.0033787316688, 142854.32865099012),
                  (534.7283800920503, 220.32329384115303, 39.500483122729726, 111974.8088732052),
                  (1.887414939, 514.7183194, 381470.2992, 586.518082 * 20)]
    # The walks agree with the full sum where both run.
    assert abs(log_density_walk(30.0, 8.0, 20.0, 400.0)
               - log_density(30.0, 8.0, 20.0, 400.0)) < 1e-30

    for r in ((2.5, 3.0, 10.0, 5.0), (0.5, 10.0, 4.0, 50.0), (10.0, 1.0, 100.0, 0.5)):
        check_against_cdf(*r)

    here = os.path.dirname(os.path.abspath(__file__))
    with open_output(os.path.join(here, "..", "data", "ncf_density.inc")) as f:
        f.write("// Generated by tests/reference/gen_ncf_density.py with mpmath %s, mp.dps = 40:\n"
                "// ln f(x) of the noncentral F law as the Poisson mixture\n"
                "// sum_k e^-h h^k/k! g(y; a+k, b) dy/dx (h = lambda/2, a = n1/2, b = n2/2,\n"
                "// y = n1 x/(n1 x + n2)), every term from k = 0 to h y + 40 sqrt(h) + 200 summed in\n"
                "// the working precision, rounded to the nearest double; checked against the\n"
                "// numerical derivative of the distribution function at three rows.\n"
                "// Rows: {x, n1, n2, lambda, ln f(x)}.\n" % mp.__version__)
        f.write("static const ncf_density_reference ncf_density_rows[] = {\n")
        for r in rows:
            f.write("    {%r, %r, %r, %r, %s},\n" % (r + (mp.nstr(log_density(*r), 17, min_fixed=0, max_fixed=0),)))
        f.write("};\n")
        f.write("// Noncentralities of 10^4 and more: the sum walked outward from its\n"
                "// largest term by the ratio of successive terms (see the generator).\n")
        f.write("static const ncf_density_reference ncf_density_large_rows[] = {\n")
        for r in large_rows:
            f.write("    {%r, %r, %r, %r, %s},\n" % (r + (mp.nstr(log_density_walk(*r), 17, min_fixed=0, max_fixed=0),)))
        f.write("};\n")


if __name__ == "__main__":
    run(main)
