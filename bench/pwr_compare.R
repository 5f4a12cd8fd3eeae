#!/usr/bin/env Rscript
# Power and sample size of `kelbrant power` against the R package pwr
# (Debian's r-cran-pwr) over a grid of designs, in both of pwr's forms:
# pwr.f2.test (u, v, f2) and pwr.anova.test (k, n, f).
#
#   Rscript bench/pwr_compare.R [KELBRANT] > designs.csv
#
# KELBRANT defaults to build/kelbrant.  Writes one CSV row per design (the
# design, our power or size, pwr's) and prints a summary on stderr: the
# largest power difference and the sample sizes that differ (pwr returns a
# real size; the whole size is its ceiling).  bench/pwr_mpmath.py then tells,
# for each design, which of the two powers mpmath confirms.

suppressPackageStartupMessages(library(pwr))
args <- commandArgs(trailingOnly = TRUE)
kelbrant <- if (length(args) >= 1) args[1] else "build/kelbrant"

kelbrant_power <- function(...) {
  opts <- list(...)
  argv <- c("power", unlist(lapply(names(opts), function(n) c(paste0("--", n), format(opts[[n]], digits = 17)))))
  out <- system2(kelbrant, argv, stdout = TRUE, stderr = FALSE)
  values <- strsplit(out, " ")
  setNames(as.numeric(sapply(values, `[`, 2)), sapply(values, `[`, 1))
}

rows <- list()
add <- function(form, first, size, effect, alpha, target, ours, theirs) {
  rows[[length(rows) + 1]] <<- data.frame(form = form, first = first, size = size,
                                          effect = effect, alpha = alpha, target = target,
                                          ours = ours, pwr = theirs)
}

# Power: pwr.f2.test and pwr.anova.test with every quantity given.
for (u in c(1, 2, 3, 5, 10)) for (v in c(10, 30, 100, 500)) for (f2 in c(0.02, 0.15, 0.35))
  for (alpha in c(0.05, 0.01, 0.001)) {
    ours <- kelbrant_power(df1 = u, df2 = v, f2 = f2, alpha = alpha)[["power"]]
    theirs <- pwr.f2.test(u = u, v = v, f2 = f2, sig.level = alpha)$power
    add("f2-power", u, v, f2, alpha, NA, ours, theirs)
  }
for (k in c(2, 3, 4, 6)) for (n in c(5, 20, 50)) for (f in c(0.1, 0.25, 0.4))
  for (alpha in c(0.05, 0.01)) {
    ours <- kelbrant_power(groups = k, `n-per-group` = n, f = f, alpha = alpha)[["power"]]
    theirs <- pwr.anova.test(k = k, n = n, f = f, sig.level = alpha)$power
    add("anova-power", k, n, f, alpha, NA, ours, theirs)
  }

# Sample size: the smallest whole v or n against the ceiling of pwr's root.
for (u in c(1, 3, 5)) for (f2 in c(0.02, 0.15, 0.35)) for (alpha in c(0.05, 0.01))
  for (target in c(0.8, 0.9)) {
    ours <- kelbrant_power(df1 = u, f2 = f2, alpha = alpha, power = target)[["v"]]
    theirs <- pwr.f2.test(u = u, f2 = f2, sig.level = alpha, power = target)$v
    add("f2-size", u, NA, f2, alpha, target, ours, theirs)
  }
for (k in c(2, 3, 4, 6)) for (f in c(0.1, 0.25, 0.4)) for (target in c(0.8, 0.95)) {
  ours <- kelbrant_power(groups = k, f = f, alpha = 0.05, power = target)[["n_per_group"]]
  theirs <- pwr.anova.test(k = k, f = f, sig.level = 0.05, power = target)$n
  add("anova-size", k, NA, f, 0.05, target, ours, theirs)
}

table <- do.call(rbind, rows)
write.csv(table, stdout(), row.names = FALSE)

power_rows <- grepl("power", table$form)
size_rows <- !power_rows
difference <- abs(table$ours[power_rows] - table$pwr[power_rows])
sizes_differ <- table$ours[size_rows] != ceiling(table$pwr[size_rows])
message(sprintf("%d power designs: largest |ours - pwr| = %.3g (%d above 1e-6)",
                sum(power_rows), max(difference), sum(difference > 1e-6)))
message(sprintf("%d sample sizes: %d differ from the ceiling of pwr's root",
                sum(size_rows), sum(sizes_differ)))
