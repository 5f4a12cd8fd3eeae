"""Reader of the committed mpmath reference tables, tests/data/*.inc (written
by the generators in tests/reference/), so that these tests check the
package against the same numbers as the C++ suites without a copy of them.

A file holds rows `{v, v, ...},`, one a line, either inside named arrays
(`static const T name[] = {` ... `};`) or bare (the file is then included
into an array by its test).  Numbers are decimal or C hex floats.
"""
import os
import re

import numpy as np

DATA = os.environ.get("KELBRANT_TEST_DATA") or os.path.join(
    os.path.dirname(os.path.abspath(__file__)), "..", "..", "tests", "data")

_ARRAY = re.compile(r"(\w+)\s*(?:\[\w*\])+\s*=\s*\{\s*$")
_ROW = re.compile(r"^\s*\{([^{}]*)\},?\s*$")


def _number(text):
    text = text.strip()
    return float.fromhex(text) if "x" in text.lower() else float(text)


def read(name):
    """{array name: float64 array of its rows} of tests/data/<name>.inc; bare
    rows come under the name ''."""
    tables = {}
    current = ""
    with open(os.path.join(DATA, name + ".inc")) as f:
        for line in f:
            start = _ARRAY.search(line)
            if start:
                current = start.group(1)
                continue
            if line.strip() == "};":
                current = ""
                continue
            row = _ROW.match(line)
            if row:
                tables.setdefault(current, []).append([_number(v) for v in row.group(1).split(",")])
    return {k: np.array(rows, dtype=np.float64) for k, rows in tables.items()}


def worst(name, errors, bound, arguments):
    """Assert errors <= bound elementwise; the message names the worst row
    (in units of its bound) and its arguments, a tuple of columns."""
    errors = np.asarray(errors, dtype=np.float64)
    scaled = np.where(np.isnan(errors), np.inf, errors / bound)
    i = int(np.argmax(scaled))
    where = ", ".join(repr(float(c[i])) for c in arguments)
    assert scaled[i] <= 1.0, "%s: worst row (%s) at %.3g of the bound (%d rows)" % (
        name, where, scaled[i], len(scaled))
