#!/usr/bin/env python3
"""Writes tests/data/fnonct_cases.csv, the input of the cross-platform runs.

The command line evaluates FNONCT for every row ("kelbrant fnonct --csv"),
through the loaded module as a host would; two builds must print the same
bytes.  The rows:
  - x, df1, df2, p of every root in tests/data/fnonct.inc (the mpmath table);
  - the statuses: missing arguments (".", nan, inf, -inf, an empty field),
    each argument out of its domain in turn, and p above the central
    probability (no noncentrality gives it);
  - searches at the edges: p near 0 and 1, tiny and huge x, small and very
    large degrees of freedom, noncentralities in the thousands;
  - searches on the log-space route and the extended-precision sums: for
    noncentralities lam0 from 1e3 to 1e6, x = (df1 + lam0) / df1 (the ratio
    of the numerator's mean to its degrees of freedom, near the centre of
    the distribution at lam0) to 8 digits, and p at the centre and far in
    either tail (1e-300, 1e-30, 0.42, 1 - 1e-6, 1 - 1e-12), so that the roots lie
    from about lam0 to well beyond it.  The rows need no reference: the
    builds are compared with each other.

    python3 tests/reference/gen_fnonct_cases.py
"""

import os
import re

from rows import open_output, run

HERE = os.path.dirname(os.path.abspath(__file__))

STATUS_ROWS = [
    # missing
    ".,3,10,0.5", "2,nan,10,0.5", "2,3,inf,0.5", "2,3,10,-inf", "2,3,,0.5", "nan,nan,nan,nan",
    # out of the domain, one argument at a time, and the first of several
    "-1,3,10,0.5", "2,0,10,0.5", "2,-3,10,0.5", "2,3,0,0.5", "2,3,-1e-300,0.5",
    "2,3,10,0", "2,3,10,1", "2,3,10,-0.5", "2,3,10,1.5", "-1,0,0,2",
    # no noncentrality: p at or above the central probability (which is 0
    # at x = 0, of either sign)
    "2,3,10,0.9", "0.5,4,20,0.99", "10,2,2,0.999", "0,3,10,0.5", "-0,3,10,0.5",
]

EDGE_ROWS = [
    "2,3,10,1e-300", "2,3,10,1e-12", "2,3,10,0.8", "2,3,10,0.8319",
    "1e-300,3,10,1e-9", "1e-6,1,1,1e-9", "1e6,3,10,0.5", "1e300,3,10,0.5",
    "1,0.001,10,0.3", "1,3,0.001,0.3", "1,1e6,1e6,0.3", "1.5,1e8,1e8,0.1",
    "30,10,100,0.01", "60,5,1000,0.001", "200,2,50,0.5", "5,500,500,1e-6",
    "0.7,2,1e9,0.2", "3,7.5,3.25,0.05",
]


LOG_ROUTE_SHAPES = [(1.0, 5.0), (3.0, 10.0), (20.0, 100.0), (222.5, 128.0), (5.0, 1000.0)]
LOG_ROUTE_NONCENTRALITIES = [1e3, 1e4, 1e5, 1e6]
LOG_ROUTE_PROBABILITIES = ["1e-300", "1e-30", "0.42", "0.999999", "0.999999999999"]


def log_route_rows():
    for df1, df2 in LOG_ROUTE_SHAPES:
        for lam0 in LOG_ROUTE_NONCENTRALITIES:
            x = "%.8g" % ((df1 + lam0) / df1)
            for p in LOG_ROUTE_PROBABILITIES:
                yield "%s,%r,%r,%s" % (x, df1, df2, p)


def reference_rows():
    with open(os.path.join(HERE, "..", "data", "fnonct.inc")) as f:
        for line in f:
            match = re.match(r"\s*\{([^,]+), ([^,]+), ([^,]+), ([^,]+),", line)
            if match:
                yield ",".join(field.strip() for field in match.groups())


def main():
    with open_output(os.path.join(HERE, "..", "data", "fnonct_cases.csv")) as out:
        out.write("x,df1,df2,p\n")
        for row in list(reference_rows()) + STATUS_ROWS + EDGE_ROWS + list(log_route_rows()):
            out.write(row + "\n")


if __name__ == "__main__":
    run(main)
