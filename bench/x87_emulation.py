#!/usr/bin/python3
"""The x87 approximations on the processor and under qemu, and what they do
to FNONCT's bits.

FYL2X (log2 of an extended argument) and F2XM1 (2^f - 1) are the
processor's own approximations, specified to about one unit of the 64-bit
significand and not correctly rounded; qemu computes both in software
(correctly rounded).  Everything else the module computes is IEEE arithmetic
that qemu reproduces bit for bit.  This script measures both effects:

  1. bench/x87_probe.cpp, built for x86-64 (and for i386 with -m32), on a
     fixed sequence of arguments on the processor and under qemu-x86_64
     (qemu-i386): the largest error of each instruction against mpmath in
     units of the 64-bit significand, and how many results differ between
     processor and emulator;
  2. with --searches N, N seeded FNONCT searches on the log-space route and
     the extended sums (lam from 1e3 to 1e6, p at the centre and far in the
     tails) through build/kelbrant and build-i386/kelbrant, natively and
     under qemu: the rows whose lambda differs from native x86-64, by how
     many units in the last place.

docs/platforms.md quotes its output.  Needs Debian's python3-mpmath,
g++-multilib and qemu-user, after the default build (and, for the i386
columns, scripts/test.d/20-linux-i386.sh's build-i386/):

    bench/x87_emulation.py [--probe N] [--searches N]
"""
import argparse
import math
import os
import random
import subprocess
import tempfile

import mpmath

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
mpmath.mp.prec = 200


def hex_extended(text):
    """A %La number (e.g. -0xe.7925f94eb0402e5p+15) exactly, as an mpf."""
    sign = -1 if text.startswith("-") else 1
    mantissa, exponent = text.lstrip("+-")[2:].split("p")
    whole, _, fraction = mantissa.partition(".")
    digits = int(whole + fraction, 16)
    return sign * mpmath.ldexp(mpmath.mpf(digits), int(exponent) - 4 * len(fraction))


def units(value, truth):
    """|value - truth| in units of the 64-bit significand at truth."""
    unit = mpmath.ldexp(1, int(mpmath.floor(mpmath.log(abs(truth), 2))) - 63)
    return float(abs(value - truth) / unit)


def run(command):
    return subprocess.run(command, check=True, capture_output=True, text=True).stdout


def probe(count, folder):
    builds = [("x86-64", [], "/usr/bin/qemu-x86_64"), ("i386", ["-m32"], "/usr/bin/qemu-i386")]
    for name, flags, emulator in builds:
        program = os.path.join(folder, "probe_" + name)
        subprocess.run(["g++", "-O2", "-std=c++17", *flags, "-I", ROOT,
                        os.path.join(ROOT, "bench", "x87_probe.cpp"), "-o", program], check=True)
        sides = {}
        for side, command in (("processor", [program]), ("qemu", [emulator, program])):
            try:
                sides[side] = run(command + [str(count)]).splitlines()
            except (OSError, subprocess.CalledProcessError):
                print("%s probe: cannot run on the %s here" % (name, side))
        worst = {}
        for side, lines in sides.items():
            for line in lines:
                what, argument, result = line.split()
                a, r = hex_extended(argument), hex_extended(result)
                truth = mpmath.log(a, 2) if what == "yl2x" else mpmath.power(2, a) - 1
                e = units(r, truth)
                top, above_half = worst.get((side, what), (0.0, 0))
                worst[(side, what)] = (max(top, e), above_half + (e > 0.5))
        for (side, what), (top, above_half) in sorted(worst.items()):
            print("%s %-9s %-5s %d arguments: at most %.3f units of the 64-bit significand, "
                  "%d above 0.5" % (name, side, what, count, top, above_half))
        if len(sides) == 2:
            differ = sum(p != q for p, q in zip(sides["processor"], sides["qemu"]))
            print("%s: %d of %d results differ between processor and qemu"
                  % (name, differ, len(sides["qemu"])))


def search_rows(count):
    """The seeded searches: df1 and df2 log-uniform (1 to 2000, 2 to 2000),
    lam0 log-uniform from 1e3 to 1e6, x near the distribution's centre at
    lam0, and p uniform (half the rows), log-uniform from 1e-300 to 1e-2 (a
    quarter) or 1 minus that from 1e-15 to 1e-2 (a quarter)."""
    rng = random.Random(18)
    rows = []
    for _ in range(count):
        df1 = float("%.6g" % math.exp(rng.uniform(0, math.log(2000))))
        df2 = float("%.6g" % math.exp(rng.uniform(math.log(2), math.log(2000))))
        lam0 = math.exp(rng.uniform(math.log(1e3), math.log(1e6)))
        centre = (df1 + lam0) / df1 * (df2 / (df2 - 2) if df2 > 2.5 else 1.5)
        x = float("%.8g" % (centre * math.exp(rng.gauss(0, 0.05))))
        u = rng.random()
        if u < 0.5:
            p = rng.random()
        elif u < 0.75:
            p = 10 ** rng.uniform(-300, -2)
        else:
            p = 1 - 10 ** rng.uniform(-15, -2)
        rows.append("%r,%r,%r,%r" % (x, df1, df2, p))
    return rows


def searches(count, folder):
    cases = os.path.join(folder, "searches.csv")
    with open(cases, "w") as f:
        f.write("x,df1,df2,p\n" + "\n".join(search_rows(count)) + "\n")
    native = os.path.join(ROOT, "build", "kelbrant")
    i386 = os.path.join(ROOT, "build-i386", "kelbrant")
    runs = [("native x86-64", [native]), ("qemu-x86_64", ["/usr/bin/qemu-x86_64", native]),
            ("native i386", [i386]), ("qemu-i386", ["/usr/bin/qemu-i386", i386])]
    outputs = {}
    for name, command in runs:
        result = subprocess.run(command + ["fnonct", "--csv", cases], capture_output=True, text=True)
        if result.returncode not in (0, 1, 4) or not result.stdout:
            print("%s: does not run here" % name)
            continue
        outputs[name] = result.stdout.splitlines()
    reference = outputs.pop("native x86-64")
    found = sum(line.endswith(",ok") for line in reference)
    print("%d searches, %d found a root" % (count, found))
    for name, lines in outputs.items():
        apart = []
        for ours, theirs in zip(lines[1:], reference[1:]):
            if ours != theirs:
                a, b = float(ours.split(",")[4]), float(theirs.split(",")[4])
                apart.append((abs(a - b) / math.ulp(b), abs(a - b) / b, b))
        if not apart:
            print("%s: every row as native x86-64" % name)
            continue
        print("%s: %d rows differ from native x86-64 in lambda, by %.0f to %.0f units in the "
              "last place (at most %.1e relative), at lambda from %.6g to %.6g"
              % (name, len(apart), min(a[0] for a in apart), max(a[0] for a in apart),
                 max(a[1] for a in apart), min(a[2] for a in apart), max(a[2] for a in apart)))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--probe", type=int, default=3000, help="probe arguments (default 3000)")
    parser.add_argument("--searches", type=int, default=0,
                        help="seeded FNONCT searches (default 0: none)")
    args = parser.parse_args()
    with tempfile.TemporaryDirectory() as folder:
        probe(args.probe, folder)
        if args.searches:
            searches(args.searches, folder)


if __name__ == "__main__":
    main()
