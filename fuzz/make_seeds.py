#!/usr/bin/env python3
"""Writes the seed inputs of the fuzz targets into fuzz/corpus/<target>/.

A seed is what the target reads: a routine byte, an environment byte (0:
round to nearest with 64-bit x87 precision; 4: 53-bit precision, the Windows
default) and the arguments as little-endian doubles.  The seeds are the
documented edge cases of each routine, so the fuzzer starts on every path.
Regression inputs found by fuzzing are committed beside them under names of
their own (crash-*, slow-*) and are never rewritten by this script.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

def seed(target, name, routine, args, env=0):
    folder = os.path.join(HERE, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    data = bytes([routine, env]) + b"".join(struct.pack("<d", float(a)) for a in args)
    with open(os.path.join(folder, "seed-" + name), "wb") as out:
        out.write(data)

inf, nan = float("inf"), float("nan")
tiny = 5e-324

# fuzz_ncf: 0 ncf_cdf(x, df1, df2, ncp), 1 beta_inc(x, a, b), 2 fnonct_search(x, df1, df2, p),
# 3 scale_exponent(v).
ncf_cdf = [
    (2, 4, 4, 1.5), (2, 4, 4, 1.8), (2, 3, 10, 5), (4, 2, 2, 30), (0.5, 10, 3, 100),
    (0.001, 10, 10, 1000), (1, 10, 10, 100000), (999, 10, 10, 2000), (999, 10, 10, 20000),
    (50, 10, 10, 5000), (999, 10, 10, 116000), (999, 10, 10, 115000), (1, 3, 3, 0),
    (0, 3, 3, 7), (2, 3, 10, 3702558013.0), (1, 1e-300, 1e300, 1), (tiny, 0.5, 0.5, 0.5),
]
for i, args in enumerate(ncf_cdf):
    seed("ncf", f"ncf_cdf-{i:02d}", 0, args)
beta_inc = [
    (0.3, 2, 3), (0.4, 2, 3), (0.5, 2, 3), (0.6, 3, 1), (0.9, 7, 3), (0.5, 0.5, 0.5),
    (0.5, 6000, 90), (0.5, 100000, 100000), (0.4999, 1000000, 1000000), (0.5, 3000000000, 1),
    (1.5, 2, 3), (0, 2, 3), (1, 2, 3), (tiny, 0.0014, 2e9), (0.5, 5001, 101), (nan, 1, 1),
]
for i, args in enumerate(beta_inc):
    seed("ncf", f"beta_inc-{i:02d}", 1, args)
search = [
    (2, 3, 10, 0.5), (1.5, 2, 20, 0.1), (10, 4, 30, 0.05), (0.5, 3, 10, 0.9),
    (2, 3, 10, 0.9999999), (2, 3, 10, 0.99999995), (0, 3, 10, 0.5), (1e6, 1, 1e6, 0.01),
    (1e-300, 0.01, 0.01, 1e-300),
]
for i, args in enumerate(search):
    seed("ncf", f"fnonct_search-{i:02d}", 2, args)
    seed("ncf", f"fnonct_search-{i:02d}-p53", 2, args, env=4)
for i, v in enumerate((0.0, -0.0, 1.0, -3.0, 0.1, tiny, -2.2250738585072014e-308, inf, nan)):
    seed("ncf", f"scale_exponent-{i:02d}", 3, (v,))

# fuzz_numeric: 0 exp_fast, 1 pow_real, 2 log1p_rel, 3 log_gamma, 4 log_beta, 5 lgamma_corr,
# 6 erf, 7 erfc, 8 erf_erfc_eval(x, mode), 9 normal_cdf.
numeric = [
    (0, (0.0,)), (0, (709.782712893384,)), (0, (-708.3964185,)), (0, (-746.0,)),
    (1, (2, 10)), (1, (4, 0.5)), (1, (-2, 3)), (1, (-8, 0.333333333)), (1, (-2, 2.0**32)),
    (1, (0, 0)), (1, (0, -1)), (1, (1e-300, 0.333333333)),
    (2, (0.03125,)), (2, (0.0313,)), (2, (-0.999,)),
    (3, (0.5,)), (3, (14.5,)), (3, (14.999,)), (3, (15,)), (3, (0,)), (3, (1e305,)),
    (4, (1, 1)), (4, (15, 0.5)), (4, (14.99, 14.99)), (4, (0, 1)), (4, (1e300, tiny)),
    (5, (15,)), (6, (0.46875,)), (6, (4.2e-16,)), (7, (4.0,)), (7, (1003.79,)), (7, (-27.0,)),
    (8, (0.5, 0)), (8, (0.5, 1)), (9, (-38.5,)), (9, (8.3,)), (9, (nan,)),
]
for i, (routine, args) in enumerate(numeric):
    seed("numeric", f"{i:02d}", routine, args)
    seed("numeric", f"{i:02d}-p53", routine, args, env=4)

# fuzz_evaluate: environment byte, four flag bytes, the missing value's 8 bytes,
# then x, df1, df2, p.
def evaluate_seed(name, args, flags=(0x40,) * 4, missing=0x7FF800000000002E, env=0):
    folder = os.path.join(HERE, "corpus", "evaluate")
    os.makedirs(folder, exist_ok=True)
    data = bytes([env]) + bytes(flags) + struct.pack("<Q", missing)
    data += b"".join(struct.pack("<d", float(a)) for a in args)
    with open(os.path.join(folder, "seed-" + name), "wb") as out:
        out.write(data)

evaluate = [
    (2, 3, 10, 0.5), (1.5, 2, 20, 0.1), (10, 4, 30, 0.05), (0.5, 3, 10, 0.9), (0, 3, 10, 0.5),
    (-0.0, 3, 10, 0.5), (-1, 0, 10, 0.5), (2, 0, 10, 0.5), (2, 3, 0, 0.5), (2, 3, 10, 1.0),
    (2, 3, 10, 0.0), (inf, 3, 10, 0.5), (2, nan, 10, 0.5), (-1, 3, 10, nan), (2, 3, 10, 0.9999999),
]
for i, args in enumerate(evaluate):
    evaluate_seed(f"{i:02d}", args)
evaluate_seed("flags-all-set", (-1, 3, 10, 0.5), flags=(0xFF, 0xFE, 0x00, 0x81))
evaluate_seed("signalling-missing", (0.5, 3, 10, 0.9), missing=0x7FF0000000000BAD)
evaluate_seed("negative-missing", (nan, 3, 10, 0.5), missing=0xFFF8DEADBEEF0001)
evaluate_seed("p53-round-up", (2, 3, 10, 0.5), env=0x06)

# fuzz_eval: routine index (over the numeric then the library table), argument
# count offset, environment byte, then the arguments.
def eval_seed(name, index, args, extra=0, env=0):
    folder = os.path.join(HERE, "corpus", "eval")
    os.makedirs(folder, exist_ok=True)
    data = bytes([index, extra, env]) + b"".join(struct.pack("<d", float(a)) for a in args)
    with open(os.path.join(folder, "seed-" + name), "wb") as out:
        out.write(data)

for index in range(32):
    eval_seed(f"{index:02d}-small", index, (0.5, 2, 3, 1.5, 0.25, 1e-8, 0.5, 0.5))
    eval_seed(f"{index:02d}-large", index, (20, 40, 60, 200, 0.999, 1e-12, 3, 3), extra=7)

# fuzz_csv: an option byte (separator, decimal mark, header choice, columns,
# threads and missing words; see fuzz_csv.cpp), then a table.  The tables are
# the real-world files of tests/cli/data/csv, each with the options its case
# uses, and a few hostile ones.
CSV_DATA = os.path.join(HERE, "..", "tests", "cli", "data", "csv")
csv_options = {
    "r_write_csv2.csv": 1 | 4, "excel_european.csv": 1 | 4, "tab_separated.tsv": 2,
    "numeric_header.csv": 8, "first_line_is_data.csv": 16, "quoted_fields.csv": 64,
}

def csv_seed(name, options, table):
    folder = os.path.join(HERE, "corpus", "csv")
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "seed-" + name), "wb") as out:
        out.write(bytes([options]) + table)

for file_name in sorted(os.listdir(CSV_DATA)):
    if file_name.endswith((".csv", ".tsv")):
        with open(os.path.join(CSV_DATA, file_name), "rb") as f:
            csv_seed(file_name, csv_options.get(file_name, 0), f.read())
csv_seed("unterminated-quote", 0, b'x,df1,df2,p\n"2,3,10,0.5\n2,3,10,0.5\n')
csv_seed("nul-and-cr", 128, b"2,3\x00,10,0.5\r2,3,10,0.5\r\n\r\n1e999,3,10,0.5")
csv_seed("two-threads", 128 | 32, b"x,df1,df2,p\n" + b"2,3,10,0.5\n0.5,3,10,0.9\n" * 8)
