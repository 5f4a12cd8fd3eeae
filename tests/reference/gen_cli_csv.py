#!/usr/bin/env python3
"""Expected outputs of kelbrant fnonct --csv on the real-world tables in
tests/cli/data/csv/ (listed in cases.txt), written to FILE.expected.

Each table is read with Python's csv module (RFC 4180, the quoting R and
pandas write), independently of the program's reader.  The header and the
columns holding x, df1, df2 and p are those cases.txt states; the separator,
decimal mark and missing-value words come from the case's options.  Every
record gives one output row: its text as it stood, then lambda and the status
by the rules of the FNONCT evaluate callback:

    error        another number of fields than the header (the fields are
                 then written empty), or a field that is not a number or is
                 beyond the double range
    missing      a missing word, nan or inf
    invalid      x < 0, df1 <= 0, df2 <= 0, p outside (0, 1)
    no-solution  p above the central probability P0 = P(F <= x; df1, df2, 0)
    ok           lambda solving P(F' <= x; df1, df2, lambda) = p

P is the noncentral F distribution function of ncf_mp.py at mp.dps = 30, the
root found by mpmath.findroot (Anderson's method) in a bracket found by
doubling; lambda is written with 17 significant digits (the test compares it
to 1e-10 relative; every other field must match exactly).

    gen_cli_csv.py           write the .expected files
    gen_cli_csv.py --check   regenerate into a temporary folder and compare
"""
import csv
import os
import re

import mpmath as mp

import rows
from ncf_mp import ncf_cdf

mp.mp.dps = 30
HERE = os.path.dirname(os.path.abspath(__file__))
DATA = os.path.join(HERE, "..", "cli", "data", "csv")
NAMES = ["x", "df1", "df2", "p"]
DOUBLE_MAX = 1.7976931348623157e308


def options_of(text):
    words = text.split()
    opts = {"sep": ",", "decimal": ".", "na": "NA,.,nan,"}
    i = 0
    while i < len(words):
        w = words[i]
        if "=" in w:
            name, value = w.split("=", 1)
        else:
            name, value = w, (words[i + 1] if i + 1 < len(words) else "")
            i += 1
        i += 1
        if name == "--sep":
            opts["sep"] = "\t" if value in ("\\t", "tab") else value
        elif name == "--decimal":
            opts["decimal"] = value
        elif name == "--na":
            opts["na"] = value
    return opts


def physical_lines(text):
    """Lines with their endings (LF, CRLF or CR)."""
    return re.findall(r"[^\r\n]*(?:\r\n|\r|\n)|[^\r\n]+$", text)


def records(text, sep):
    """(raw text, fields) per record; raw is the record's lines as they stood."""
    lines = physical_lines(text)
    reader = csv.reader(iter([l.rstrip("\r\n") + "\n" for l in lines]), delimiter=sep,
                        strict=True)
    done = 0
    for fields in reader:
        raw = "".join(lines[done:reader.line_num])
        done = reader.line_num
        yield raw.rstrip("\r\n") if raw.endswith(("\n", "\r")) else raw, fields


NUMBER = r"[+-]?(\d+{d}?\d*|{d}\d+)([eE][+-]?\d+)?"


def read_value(text, opts):
    """('number', v), ('missing', None) or ('error', None)."""
    t = text.strip(" \t")
    bare = t.lstrip("+-").lower()
    if bare in ("nan", "inf", "infinity") and len(t) - len(bare) <= 1:
        return "missing", None
    if t.lower() in [w.lower() for w in opts["na"].split(",")]:
        return "missing", None
    d = re.escape(opts["decimal"])
    if not re.fullmatch(NUMBER.replace("{d}", d), t):
        return "error", None
    v = mp.mpf(t.replace(opts["decimal"], "."))
    if abs(v) > DOUBLE_MAX * (1 + mp.mpf(2) ** -54):
        return "error", None
    return "number", float(v)


def fnonct(x, df1, df2, p):
    """The status and lambda of one evaluation."""
    if not x >= 0:
        return "invalid", None
    if not df1 > 0 or not df2 > 0 or not 0 < p < 1:
        return "invalid", None
    if x == 0 or p > ncf_cdf(x, df1, df2, 0):
        return "no-solution", None
    f = lambda lam: ncf_cdf(x, df1, df2, lam) - p
    lo, hi = mp.mpf(0), mp.mpf(1)
    while f(hi) > 0:
        lo, hi = hi, 2 * hi
    return "ok", mp.findroot(f, (lo, hi), solver="anderson", tol=mp.mpf(10) ** -25)


def expected_output(text, opts, header, columns):
    sep = opts["sep"]
    out = []
    table = [r for r in records(text.lstrip("\ufeff"), sep) if r[0].strip(" \t" if sep != "\t" else " ")]
    if header:
        out.append(table[0][0] + sep + "lambda" + sep + "status")
        width = len(table[0][1])
        table = table[1:]
    else:
        width = 4
        names = [""] * width
        for k, c in enumerate(columns):
            names[c] = NAMES[k]
        out.append(sep.join(names + ["lambda", "status"]))
    for raw, fields in table:
        if len(fields) != width:
            out.append(sep * (width - 1) + sep + sep + "error")
            continue
        values = [read_value(fields[c], opts) for c in columns]
        kinds = [k for k, _ in values]
        if "error" in kinds:
            status, lam = "error", None
        elif "missing" in kinds:
            status, lam = "missing", None
        else:
            status, lam = fnonct(*[v for _, v in values])
        text_lam = "" if lam is None else ("%.17g" % float(lam)).replace(".", opts["decimal"])
        out.append(raw + sep + text_lam + sep + status)
    return "".join(line + "\n" for line in out)


def cases():
    with open(os.path.join(DATA, "cases.txt"), encoding="utf-8") as f:
        for line in f:
            if line.startswith("#") or not line.strip():
                continue
            name, options, header, columns = [part.strip() for part in line.split("|")]
            yield name, options, header == "yes", [int(c) - 1 for c in columns.split(",")]


def main():
    for name, options, header, columns in cases():
        with open(os.path.join(DATA, name), encoding="utf-8", newline="") as f:
            text = f.read()
        result = expected_output(text, options_of(options), header, columns)
        with rows.open_output(os.path.join(DATA, name + ".expected")) as out:
            out.write(result)


if __name__ == "__main__":
    rows.run(main)
