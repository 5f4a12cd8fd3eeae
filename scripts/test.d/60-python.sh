#!/usr/bin/env bash
# The Python package (python/): built from the checkout's sources and
# installed offline, from Debian's packages alone, into a fresh virtual
# environment in build-python/venv, then its pytest suite (ufunc semantics,
# statuses, intervals, the mpmath tables, hostile input, a Dask cluster of
# two worker processes, the pictures with Matplotlib's Agg, the documents'
# examples), and last one short round of bench/compare.py with the package in
# it, so that every benchmark of build/kelbrant_bench and every column of the
# comparison is read once.  Debian's numpy belongs to /usr/bin/python3, so
# that is the interpreter named, whatever python3 comes first on the PATH.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"

ensure_packages g++ python3-dev python3-numpy python3-setuptools python3-wheel python3-pip \
  python3-venv python3-pytest python3-dask python3-distributed python3-scipy \
  python3-matplotlib
native_build

venv="$root/build-python/venv"
# A fresh environment and a fresh build (pip builds in python/build).
rm -rf "$venv" "$root/python/build"
/usr/bin/python3 -m venv --system-site-packages "$venv"
"$venv/bin/pip" install --no-build-isolation --no-index --quiet "$root/python" >&2
# From the build folder, so that the installed package is the one imported.
cd "$root/build-python"
"$venv/bin/python" -m pytest -q -p no:cacheprovider "$root/python/tests"
"$venv/bin/python" "$root/bench/compare.py" 1 --min-time=0.001 --repeats=1
