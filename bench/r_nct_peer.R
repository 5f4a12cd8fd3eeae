#!/usr/bin/env Rscript
# The t intervals of the R package beside what R users write today: the 95%
# interval for the noncentrality of an observed t by kelbrant::ncp_ci_t,
# by two uniroot searches over pt(t, df, ncp) (tol 1e-12, bracket t -+ 10
# widened by doubling), and by effectsize::t_to_d (Debian's r-cran-effectsize;
# its d limits for one sample, d = delta / sqrt(df + 1) with paired = TRUE,
# turned back into delta).  Each limit is judged by its residual: the tail
# probability at the limit by kelbrant::pnct (held to mpmath in the tests),
# against 0.025, relative.
#
#   R CMD INSTALL r;  Rscript bench/r_nct_peer.R [ROUNDS]
#
# Grid: 200 designs, df log-uniform 5 to 1e6, t uniform in +-(0.5 to 60),
# from a fixed seed, and three designs other tools get wrong (t = 55 and 56 at
# df = 1e6, t = 80 at df = 4555555).
suppressPackageStartupMessages({
  library(kelbrant)
  library(effectsize)
})
args <- commandArgs(trailingOnly = TRUE)
rounds <- if (length(args) >= 1) as.integer(args[1]) else 3L
set.seed(20)
n <- 200
df <- round(10^runif(n, log10(5), 6), 1)
t <- round(sample(c(-1, 1), n, TRUE) * runif(n, 0.5, 60), 3)
df <- c(df, 1e6, 1e6, 4555555)
t <- c(t, 55, 56, 80)

uniroot_limit <- function(t, df, p) {
  f <- function(d) pt(t, df, d) - p
  lo <- t - 10; hi <- t + 10
  while (f(lo) < 0) lo <- lo - 2 * (hi - lo)
  while (f(hi) > 0) hi <- hi + 2 * (hi - lo)
  suppressWarnings(uniroot(f, c(lo, hi), tol = 1e-12)$root)
}
# Processor time per design, best of the rounds, each repeating the call
# `reps` times (system.time counts in milliseconds).
best <- function(f, reps) {
  times <- replicate(rounds, system.time(for (i in seq_len(reps)) f())[["user.self"]])
  min(times) / (reps * length(t)) * 1e6
}
ours <- ncp_ci_t(t, df)
theirs <- suppressWarnings(t(mapply(function(t, df) c(uniroot_limit(t, df, 0.975),
                                                     uniroot_limit(t, df, 0.025)), t, df)))
es <- suppressWarnings(t_to_d(t, df, paired = TRUE, ci = 0.95))
# t_to_d with paired = TRUE gives d = t / sqrt(df): its limits are delta / sqrt(df).
es_lower <- es$CI_low * sqrt(df)
es_upper <- es$CI_high * sqrt(df)
residual <- function(lower, upper) {
  a <- abs(pnct(t, df, lower, lower.tail = FALSE) - 0.025) / 0.025
  b <- abs(pnct(t, df, upper) - 0.025) / 0.025
  pmax(a, b)
}
report <- function(name, lower, upper, us) {
  r <- residual(lower, upper)
  cat(sprintf("%-22s %9.1f us  worst residual %.2g  off by > 1e-6: %d  > 1e-2: %d  NA: %d\n",
              name, us, max(r, na.rm = TRUE), sum(r > 1e-6, na.rm = TRUE),
              sum(r > 1e-2, na.rm = TRUE), sum(is.na(r))))
}
report("kelbrant::ncp_ci_t", ours$lower, ours$upper, best(function() ncp_ci_t(t, df), 50))
report("uniroot + pt", theirs[, 1], theirs[, 2],
       best(function() suppressWarnings(mapply(function(t, df) c(uniroot_limit(t, df, 0.975),
                                                                uniroot_limit(t, df, 0.025)),
                                               t, df)), 2))
report("effectsize::t_to_d", es_lower, es_upper,
       best(function() suppressWarnings(t_to_d(t, df, paired = TRUE, ci = 0.95)), 2))
last <- length(t) - 2:0
cat("the designs other tools get wrong (t, df, ours, effectsize):\n")
print(data.frame(t = t[last], df = df[last], lower = ours$lower[last], upper = ours$upper[last],
                 es_lower = es_lower[last], es_upper = es_upper[last]))
