#!/usr/bin/env Rscript
# The R package beside what R users write today, on the designs of the
# committed mpmath tables:
#
#   noncentrality  fnonct(x, df1, df2, p) on the 312 rows of
#                  tests/data/fnonct.inc, beside uniroot over
#                  pf(x, df1, df2, ncp) - p;
#   interval       ncp_ci(f, df1, df2) at 95% on the rows of
#                  tests/data/ncp_ci.inc (256 designs, most of them from
#                  bench/grid.csv), beside two uniroot searches over pf and
#                  beside effectsize::F_to_eta2(f, df1, df2, ci = 0.95,
#                  alternative = "two.sided"), whose eta squared limits are
#                  lambda / (lambda + df2) and are turned back into lambda.
#
# For each: the time per design (the best of ROUNDS rounds over all
# designs, repeated in each round where one pass is short, in processor time: user plus system, which a shared machine's
# load disturbs less than elapsed time) and the worst relative error of lambda against the
# mpmath values, with the number of designs off by more than 1e-12 and by
# more than 1e-3.  uniroot runs with tol = 1e-12 (absolute in lambda) and
# an upper bracket found by doubling, so that its error is pf's own.
#
#   R CMD INSTALL r                 # or R_LIBS pointing at an installed copy
#   Rscript bench/r_peer.R [ROUNDS]
# Needs Debian's r-cran-effectsize.

suppressPackageStartupMessages({
  library(kelbrant)
  library(effectsize)
})

args <- commandArgs(trailingOnly = FALSE)
here <- dirname(normalizePath(sub("^--file=", "", grep("^--file=", args, value = TRUE))))
rounds <- as.integer(c(commandArgs(trailingOnly = TRUE), "3")[1L])

read_reference <- function(file, array) {
  lines <- readLines(file.path(here, "..", "tests", "data", file))
  start <- grep(sprintf(" %s\\[\\] = \\{", array), lines)
  end <- start + which(grepl("^\\};", lines[-seq_len(start)]))[1L]
  rows <- grep("^\\s*\\{", lines[(start + 1L):(end - 1L)], value = TRUE)
  do.call(rbind, lapply(strsplit(gsub("[{} ]|,$", "", rows), ","), as.numeric))
}

# The best processor seconds of `rounds` rounds, each running expr `times`
# times (enough to last well beyond the clock's resolution), per design.
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

# The root of pf(f, df1, df2, ncp = lambda) = p in lambda, 0 where p is at
# or above the central probability.
uniroot_pf <- function(f, df1, df2, p) {
  g <- function(lambda) pf(f, df1, df2, ncp = lambda) - p
  if (g(0) <= 0) return(0)
  hi <- 1
  while (g(hi) > 0) hi <- 2 * hi
  uniroot(g, c(0, hi), tol = 1e-12, maxiter = 1000)$root
}

relative <- function(value, reference) {
  ifelse(value == reference, 0, abs(value - reference) / abs(reference))
}

summary_row <- function(job, method, timing, value, reference) {
  error <- relative(value, reference)
  error[is.na(error)] <- Inf
  data.frame(job = job, method = method, us_per_design = timing$seconds * 1e6,
             worst_rel_error = max(error), over_1e_12 = sum(error > 1e-12),
             over_1e_3 = sum(error > 1e-3), designs = length(reference))
}

# Noncentrality.
rows <- read_reference("fnonct.inc", "fnonct_rows")
n <- nrow(rows)
ours <- time_per_design(fnonct(rows[, 1], rows[, 2], rows[, 3], rows[, 4]), n, 200L)
peer <- time_per_design(mapply(uniroot_pf, rows[, 1], rows[, 2], rows[, 3], rows[, 4]), n)
table <- rbind(summary_row("fnonct", "kelbrant::fnonct", ours, ours$value, rows[, 5]),
               summary_row("fnonct", "uniroot + pf", peer, peer$value, rows[, 5]))

# Interval (both limits; the errors are those of the upper limit, the
# lower being 0 in most designs, and of the nonzero lower limits).
ci <- read_reference("ncp_ci.inc", "ncp_ci_rows")
ci <- ci[ci[, 4] == 0.95, ]
n <- nrow(ci)
f <- ci[, 1]; df1 <- ci[, 2]; df2 <- ci[, 3]
ours <- time_per_design(ncp_ci(f, df1, df2), n, 100L)
peer <- time_per_design(cbind(mapply(uniroot_pf, f, df1, df2, 0.975),
                              mapply(uniroot_pf, f, df1, df2, 0.025)), n)
es <- time_per_design(F_to_eta2(f, df1, df2, ci = 0.95, alternative = "two.sided",
                                verbose = FALSE), n)
to_lambda <- function(eta2, df2) eta2 * df2 / (1 - eta2)
nonzero <- ci[, 5] > 0
table <- rbind(table,
  summary_row("ncp_ci upper", "kelbrant::ncp_ci", ours, ours$value$upper, ci[, 6]),
  summary_row("ncp_ci upper", "uniroot + pf", peer, peer$value[, 2], ci[, 6]),
  summary_row("ncp_ci upper", "effectsize::F_to_eta2", es, to_lambda(es$value$CI_high, df2), ci[, 6]),
  summary_row("ncp_ci lower > 0", "kelbrant::ncp_ci", ours, ours$value$lower[nonzero], ci[nonzero, 5]),
  summary_row("ncp_ci lower > 0", "uniroot + pf", peer, peer$value[nonzero, 1], ci[nonzero, 5]),
  summary_row("ncp_ci lower > 0", "effectsize::F_to_eta2", es,
              to_lambda(es$value$CI_low[nonzero], df2[nonzero]), ci[nonzero, 5]))

options(width = 120)
cat(sprintf("R %s, effectsize %s, best of %d rounds\n", getRversion(),
            packageVersion("effectsize"), rounds))
print(table, digits = 3, row.names = FALSE)
base <- table$us_per_design[table$method == "kelbrant::fnonct"]
cat(sprintf("\nfnonct: uniroot + pf takes %.0fx as long\n",
            table$us_per_design[table$job == "fnonct" & table$method == "uniroot + pf"] / base))
up <- table[table$job == "ncp_ci upper", ]
cat(sprintf("ncp_ci: uniroot + pf takes %.0fx as long, effectsize %.0fx\n",
            up$us_per_design[2] / up$us_per_design[1], up$us_per_design[3] / up$us_per_design[1]))
