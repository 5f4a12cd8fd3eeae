#!/usr/bin/env Rscript
# The R package's chi-square routines beside what R users write today, on
# the rows of the committed mpmath table tests/data/ncx2_ncp.inc (roots of
# P(X <= x; df, lambda) = p, lower-tail rows with a root):
#
#   noncentrality  nchisq_ncp(x, df, p) beside uniroot over
#                  pchisq(x, df, ncp) - p (tol = 1e-12 absolute, the upper
#                  bracket found by doubling);
#   interval       ncp_ci_chisq(chisq, df) at 95% beside effectsize's
#                  chisq_to_cohens_w(chisq, n, nrow = 2, ncol = df + 1,
#                  ci = 0.95, alternative = "two.sided") turned back into
#                  lambda = n w^2 (n = 1000), on the rows of whole df.
#
# For each: the processor time per design (best of ROUNDS rounds) and the
# worst relative error of lambda against mpmath, with the number of designs
# off by more than 1e-12 (the interval rows against kelbrant's, themselves
# checked against mpmath by the tests) and by more than 1e-3.
#
#   bench/r_chisq_peer.sh [ROUNDS] [CPU]   # installs what it needs, runs this
#   R CMD INSTALL r; Rscript bench/r_chisq_peer.R [ROUNDS]   # by hand
# Needs Debian's r-cran-effectsize.

suppressPackageStartupMessages({
  library(kelbrant)
  library(effectsize)
})

args <- commandArgs(trailingOnly = FALSE)
here <- dirname(normalizePath(sub("^--file=", "", grep("^--file=", args, value = TRUE))))
rounds <- as.integer(c(commandArgs(trailingOnly = TRUE), "3")[1L])

lines <- readLines(file.path(here, "..", "tests", "data", "ncx2_ncp.inc"))
rows <- grep("^\\s*\\{", lines, value = TRUE)
rows <- do.call(rbind, lapply(strsplit(gsub("[{} ]|,$", "", rows), ","), as.numeric))
rows <- rows[rows[, 4] == 0 & rows[, 5] >= 0, , drop = FALSE]
x <- rows[, 1]; df <- rows[, 2]; p <- rows[, 3]
truth <- rows[, 5] * (1 + rows[, 6])

# The best processor seconds of `rounds` rounds, each running expr `times`
# times (enough to last well beyond the clock's resolution of some 1 ms),
# per design.
time_per_design <- function(expr, designs, times = 1L) {
  expr <- substitute(expr)
  env <- parent.frame()
  best <- Inf
  for (i in seq_len(rounds)) {
    t <- sum(system.time(for (k in seq_len(times)) value <- eval(expr, env))[
      c("user.self", "sys.self")])
    best <- min(best, t)
  }
  list(seconds = best / (designs * times), value = value)
}

uniroot_pchisq <- function(x, df, p) {
  g <- function(lambda) pchisq(x, df, ncp = lambda) - p
  if (g(0) <= 0) return(0)
  hi <- 1
  while (g(hi) > 0 && hi < 1e9) hi <- 2 * hi
  tryCatch(uniroot(g, c(0, hi), tol = 1e-12)$root, error = function(e) NA_real_)
}

# Relative errors, 0 where the value is the reference itself (an upper
# limit of 0 included).
report <- function(name, t, value, reference) {
  err <- ifelse(value == reference, 0, abs(value - reference) / abs(reference))
  cat(sprintf("%-34s %9.2f us/design  worst %.2g  >1e-12: %d  >1e-3 or NA: %d of %d\n",
              name, t * 1e6, max(err, na.rm = TRUE), sum(is.na(err) | err > 1e-12),
              sum(is.na(err) | err > 1e-3), length(err)))
}

n <- length(x)
k <- time_per_design(nchisq_ncp(x, df, p), n, times = 2000L)
report("nchisq_ncp", k$seconds, k$value, truth)
u <- time_per_design(mapply(uniroot_pchisq, x, df, p), n)
report("uniroot over pchisq", u$seconds, u$value, truth)

whole <- which(df == round(df) & df >= 1)
xw <- x[whole]; dfw <- df[whole]
ours <- ncp_ci_chisq(xw, dfw)
size <- 1000
es <- time_per_design(lapply(seq_along(whole), function(i)
  chisq_to_cohens_w(xw[i], n = size, nrow = 2, ncol = dfw[i] + 1, ci = 0.95,
                    alternative = "two.sided")), length(whole))
w_upper <- vapply(es$value, function(r) r$CI_high, 0)
ki <- time_per_design(ncp_ci_chisq(xw, dfw), length(whole), times = 1000L)
report("ncp_ci_chisq (upper limit)", ki$seconds, ours$upper, ours$upper)
report("effectsize::chisq_to_cohens_w", es$seconds, size * w_upper^2, ours$upper)
