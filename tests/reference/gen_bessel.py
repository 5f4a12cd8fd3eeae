#!/usr/bin/env python3
"""Reference values of the modified Bessel function of the first kind,
written to tests/data/bessel_i.inc.

Every argument is a double; mpmath takes its exact binary value.  At
mp.dps = 50, ln I_nu(z) comes from the Poisson integral (Abramowitz and
Stegun 9.6.18, nu > -1/2)

    I_nu(z) = (z/2)^nu / (sqrt(pi) Gamma(nu + 1/2)) int_0^pi e^(z cos th) sin^(2 nu) th dth,

its integrand taken in logarithms relative to its peak (where
sin^2 th / cos th = 2 nu / z) and integrated by mpmath.quad (tanh-sinh)
over breakpoints at the peak and 1, 2, 4, ... 64 of its widths on either
side.  Where z <= 5000 the value is checked against mpmath.besseli (the
hypergeometric series 0F1) to 1e-40 relative.  The table holds, each
rounded to the nearest double (rows.fmt: the shortest decimal that reads
back as it):
    ln I_nu(z),
    e^-z I_nu(z)
    I_nu(z)            (both 0 where they lie outside the normal double range).

Rows are grouped by the region of (z, nu) that bessel_i serves with one
method: the power series, Hankel's large-argument expansion, Debye's
uniform expansion, the recurrence started from Debye's expansion and the
recurrence started from the series.  The grouping follows the region
boundaries (q = 1.348 sqrt(z)): series for z < 2 or (z/2)^2 < nu + 1;
Hankel for z >= 17 and q > nu; Debye for nu > 35; recurrence otherwise,
from Debye when z > 12.
"""
import os
import mpmath as mp
from rows import fmt, open_output, run

mp.mp.dps = 50


def region(z, nu):
    if z < 2 or (z / 2) ** 2 < nu + 1:
        return "series"
    if z >= 17 and 1.348 * z ** 0.5 > nu:
        return "hankel"
    if nu > 35:
        return "debye"
    return "recurrence_debye" if z > 12 else "recurrence_series"


def log_besseli(nu, z):
    """ln I_nu(z) by the Poisson integral."""
    def g(t):  # ln of the integrand
        if nu == 0:
            return z * mp.cos(t)
        return z * mp.cos(t) + 2 * nu * mp.log(mp.sin(t)) if 0 < t < mp.pi else mp.ninf
    c = (-2 * nu / z + mp.sqrt((2 * nu / z) ** 2 + 4)) / 2  # cos of the peak
    peak = mp.acos(c)
    top = g(peak)
    curvature = z * mp.cos(peak) + (2 * nu / mp.sin(peak) ** 2 if nu > 0 else 0)
    width = 1 / mp.sqrt(curvature)
    points = [mp.mpf(0)]
    for k in (-64, -32, -16, -8, -4, -2, -1, 0, 1, 2, 4, 8, 16, 32, 64):
        p = peak + k * width
        if 0 < p < mp.pi:
            points.append(p)
    points.append(mp.pi)
    integral = mp.quad(lambda t: mp.exp(g(t) - top), points)
    return (mp.log(integral) + top + nu * mp.log(z / 2) - mp.log(mp.pi) / 2
            - mp.loggamma(nu + mp.mpf(1) / 2))


def in_range(v):
    return v if mp.mpf("2.3e-308") < v < mp.mpf("1.79e308") else mp.mpf(0)


def row(z, nu):
    Z, N = mp.mpf(z), mp.mpf(nu)
    log_i = log_besseli(N, Z)
    if z <= 5000:
        check = mp.log(mp.besseli(N, Z))
        assert abs(check - log_i) <= mp.mpf(10) ** -40 * max(1, abs(log_i)), (z, nu)
    scaled = in_range(mp.exp(log_i - Z))
    plain = in_range(mp.exp(log_i))
    return "    {%r, %r, %s, %s, %s}," % (z, nu, fmt(log_i), fmt(scaled), fmt(plain))


def main():
    points = {"series": [], "hankel": [], "debye": [], "recurrence_debye": [], "recurrence_series": []}

    def add(z, nu):
        z, nu = float(z), float(nu)
        points[region(z, nu)].append((z, nu))

    # Series: small z at every order, and larger z below the order.
    for z in (1e-300, 1e-8, 0.001, 0.1, 0.5, 1.0, 1.5, 1.9, 1.999):
        for nu in (0.0, 0.3, 1.0, 2.5, 7.0, 14.9, 15.0, 20.0, 100.0, 1000.0, 1e6):
            add(z, nu)
    for z, nu in ((2.0, 0.5), (4.0, 3.5), (10.0, 24.5), (10.0, 30.0), (11.9, 35.0), (20.0, 99.5),
                  (30.0, 300.0), (100.0, 2600.0), (1000.0, 300000.0)):
        add(z, nu)

    # Hankel: from z = 17 up, orders below 1.348 sqrt(z).
    for z in (17.0, 20.0, 35.0, 60.0, 100.0, 400.0, 700.0, 709.0, 800.0, 5000.0, 1e6, 1e12):
        q = 1.348 * z ** 0.5
        for nu in (0.0, 0.5, 1.0, 2.3, 0.5 * q, 0.9 * q, 0.999 * q):
            if nu < 1e7:
                add(z, round(nu, 6) if nu < q else nu)

    # Debye directly: orders above 35, z from just past the series region up to
    # far beyond the order (but not in Hankel's region).
    for nu in (35.5, 36.0, 50.0, 100.0, 1000.0, 12345.6, 1e6):
        for f in (0.03, 0.2, 0.66, 1.0, 3.0, 30.0, 300.0):
            z = float(mp.nstr(mp.mpf(f * nu), 8))
            if (z / 2) ** 2 >= nu + 1 and not (z >= 17 and 1.348 * z ** 0.5 > nu):
                add(z, nu)
        z = 2.0 * (nu + 1.0) ** 0.5 * 1.0001  # just past the series region
        add(float(mp.nstr(mp.mpf(z), 10)), nu)

    # Recurrence from Debye's expansion: 12 < z, nu <= 35, outside Hankel.
    for z in (12.001, 13.0, 16.9, 17.0, 30.0, 100.0, 600.0, 670.0):
        for nu in (0.0, 0.25, 1.0, 5.6, 9.75, 20.5, 34.0, 35.0):
            if (z / 2) ** 2 >= nu + 1 and not (z >= 17 and 1.348 * z ** 0.5 > nu):
                add(z, nu)

    # Recurrence from the series: 2 <= z <= 12, (z/2)^2 >= nu + 1.
    for z in (2.0, 3.0, 4.0, 6.5, 9.0, 12.0):
        for nu in (0.0, 0.5, 0.999, 1.0, 3.25, 8.0, 20.0, 34.5):
            if (z / 2) ** 2 >= nu + 1:
                add(z, nu)

    here = os.path.dirname(os.path.abspath(__file__))
    with open_output(os.path.join(here, "..", "data", "bessel_i.inc")) as f:
        f.write("// Generated by tests/reference/gen_bessel.py with mpmath %s, mp.dps = 50:\n"
                "// ln I_nu(z) from the Poisson integral (A&S 9.6.18) by mpmath.quad at the exact\n"
                "// binary arguments (checked against mpmath.besseli where z <= 5000), then ln I,\n"
                "// e^-z I and I (each 0 outside the normal double range), rounded to the nearest\n"
                "// double.\n"
                "// Rows: {z, nu, ln I, e^-z I, I}, one table per region of the method.\n"
                % mp.__version__)
        for name, rows in points.items():
            f.write("static const bessel_reference bessel_%s_rows[] = {\n" % name)
            f.write("\n".join(row(*p) for p in rows) + "\n};\n\n")


if __name__ == "__main__":
    run(main)
