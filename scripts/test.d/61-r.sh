#!/usr/bin/env bash
# The R package: R CMD build makes the source tarball from r/ (with the
# core sources and the reference tables it links to), and R CMD check
# installs it in a library of its own, runs the examples of every help page
# and the testthat suite, and inspects the package.  Any ERROR or WARNING
# fails the stage; NOTEs are shown.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/../lib.sh"

ensure_packages r-base-dev r-cran-testthat

work="$root/build-r"
rm -rf "$work"
mkdir -p "$work"
cd "$work"
export MAKEFLAGS="-j$(nproc)"
# No PDF manual (it needs LaTeX); the check's own time limits stay off.
R CMD build --no-build-vignettes "$root/r" >&2
tarball=$(ls kelbrant_*.tar.gz)
# The check looks the package's dependencies up in the repositories R is
# set up with; an empty local one keeps it off the network.
mkdir -p repo/src/contrib
: > repo/src/contrib/PACKAGES
echo "options(repos = c(CRAN = 'file://$work/repo'))" > Rprofile
status=0
R_PROFILE_USER="$work/Rprofile" _R_CHECK_FORCE_SUGGESTS_=false \
  R CMD check --no-manual "$tarball" > check.log 2>&1 || status=$?
cat check.log
if [ $status -ne 0 ] || grep -q -E '^\* .*\.\.\. (ERROR|WARNING)' check.log \
   || grep -q -E '^Status: .*(ERROR|WARNING)' check.log; then
  echo "R CMD check: errors or warnings (see above and $work/kelbrant.Rcheck)" >&2
  exit 1
fi
