#!/usr/bin/env python3
"""Coverage and accuracy of the noncentral chi-square inversion beside
SciPy's chndtrinc, on the rows of tests/data/ncx2_ncp.inc (roots by mpmath,
tests/reference/gen_ncx2_ncp.py; the lower-tail rows with a root).

For each side: the fraction of rows answered, the worst relative error, and
the number of rows off by more than 1e-12 kappa (kappa the row's condition
number) and by more than 1e-6.  Also the number of distribution evaluations
per root of kelbrant's search, from `kelbrant eval ncx2_ncp`.

Run with the Python package installed in Debian's python3 (scripts/test.d/
60-python.sh makes build-python/venv):

    build-python/venv/bin/python bench/chisq_coverage.py
"""
import os
import sys

import numpy as np
from scipy.special import chndtrinc

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "python", "tests"))

import kelbrant  # noqa: E402
from reference_tables import read  # noqa: E402


def summary(name, got, want, kappa):
    answered = np.isfinite(got)
    err = np.where(answered, np.abs(got - want) / want, np.inf)
    print(f"{name:10s} answered {answered.sum():3d}/{len(got)}  worst {np.max(err[answered]):.2g}"
          f"  >1e-12 kappa: {np.sum(err > 1e-12 * kappa):3d}  >1e-6: {np.sum(err > 1e-6):3d}")


def main():
    rows = read("ncx2_ncp")[""]
    rows = rows[(rows[:, 3] == 0) & (rows[:, 4] >= 0)]
    x, df, p = rows[:, 0], rows[:, 1], rows[:, 2]
    want = rows[:, 4] * (1 + rows[:, 5])
    kappa = rows[:, 6]
    far = p < 1e-20
    for label, keep in (("all rows", np.ones(len(p), bool)), ("p < 1e-20", far)):
        print(f"{label}: {keep.sum()} roots")
        summary("kelbrant", kelbrant.ncx2_ncp(x[keep], df[keep], p[keep]), want[keep], kappa[keep])
        summary("chndtrinc", chndtrinc(x[keep], df[keep], p[keep]), want[keep], kappa[keep])


if __name__ == "__main__":
    main()
