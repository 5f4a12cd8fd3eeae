# pncf and dncf against the mpmath tables of the noncentral F distribution,
# in both tails and on the log scale, and R's conventions at the edges.

log_tables <- c("ncf_log_central_rows", "ncf_log_summation_rows",
                "ncf_log_integration_rows", "ncf_log_fallback_rows")

# An error measure for logarithms: relative where |ln P| > 1, absolute
# below (ln P near 0 carries its information in absolute terms).
log_error <- function(value, reference) {
  abs(value - reference) / pmax(1, abs(reference))
}

expect_worst_log <- function(value, reference, tolerance, rows) {
  error <- log_error(value, reference)
  worst <- which.max(error)
  expect(all(is.finite(value)) && error[worst] <= tolerance,
         sprintf("worst log error %.3g > %.3g at row (%s)", error[worst], tolerance,
                 paste(rows[worst, ], collapse = ", ")))
}

test_that("pncf agrees with the mpmath distribution function", {
  rows <- read_reference("ncf_cdf.inc", "ncf_cdf_rows")
  p <- pncf(rows[, 1], rows[, 2], rows[, 3], rows[, 4])
  expect_worst_relative(p, rows[, 5], 1e-12, rows)
})

test_that("both tails, plain and in logs, agree with the mpmath log tables", {
  for (table in log_tables) {
    rows <- read_reference("ncf_log.inc", table)
    args <- list(rows[, 1], rows[, 2], rows[, 3], rows[, 4])
    tail <- function(...) do.call(pncf, c(args, list(...)))
    expect_worst_log(tail(log.p = TRUE), rows[, 5], 1e-12, rows)
    expect_worst_log(tail(lower.tail = FALSE, log.p = TRUE), rows[, 6], 1e-12, rows)
    # Plain probabilities: the error of e^w grows with |w|, up to 800 here.
    expect_worst_relative(tail(), exp(rows[, 5]), 5e-12, rows)
    expect_worst_relative(tail(lower.tail = FALSE), exp(rows[, 6]), 5e-12, rows)
  }
})

test_that("the upper tail in logs stays finite where pf loses it", {
  # ln P(F' > 1000) on (3, 40) with ncp 2: a row of the summation table,
  # -79.3179828160300569 by mpmath; pf gives -20.9.
  expect_equal(pncf(1000, 3, 40, ncp = 2, lower.tail = FALSE, log.p = TRUE),
               -79.317982816030057, tolerance = 1e-14)
  # Far beyond the double range (the integration table's last rows).
  expect_lt(pncf(6000, 4, 2000, 1000, lower.tail = FALSE, log.p = TRUE), -745)
})

test_that("dncf agrees with the mpmath log densities", {
  rows <- read_reference("ncf_density.inc", "ncf_density_rows")
  expect_worst_log(dncf(rows[, 1], rows[, 2], rows[, 3], rows[, 4], log = TRUE),
                   rows[, 5], 1e-12, rows)
  expect_worst_relative(dncf(rows[, 1], rows[, 2], rows[, 3], rows[, 4]),
                        exp(rows[, 5]), 1e-12, rows)
  # Noncentralities of 10^4 to 10^7: the Poisson sum's term limit grows
  # with the spread of its weights, so these are answered too.
  rows <- read_reference("ncf_density.inc", "ncf_density_large_rows")
  expect_worst_log(dncf(rows[, 1], rows[, 2], rows[, 3], rows[, 4], log = TRUE),
                   rows[, 5], 1e-12, rows)
  for (table in c(log_tables, "ncf_log_density_rows")) {
    rows <- read_reference("ncf_log.inc", table)
    expect_warning(d <- dncf(rows[, 1], rows[, 2], rows[, 3], rows[, 4], log = TRUE), NA)
    expect_worst_log(d, rows[, ncol(rows)], 1e-12, rows)
  }
})

test_that("pncf and dncf match pf and df where those are accurate", {
  grid <- expand.grid(q = c(0.3, 1, 2.5, 6), df1 = c(1, 3, 12), df2 = c(5, 40),
                      ncp = c(0, 0.5, 8, 40))
  with(grid, {
    expect_equal(pncf(q, df1, df2, ncp), pf(q, df1, df2, ncp = ncp), tolerance = 1e-8)
    expect_equal(pncf(q, df1, df2, ncp, lower.tail = FALSE),
                 pf(q, df1, df2, ncp = ncp, lower.tail = FALSE), tolerance = 1e-8)
    expect_equal(dncf(q, df1, df2, ncp), df(q, df1, df2, ncp = ncp), tolerance = 1e-8)
  })
})

test_that("the edges of the support follow R's conventions", {
  expect_identical(pncf(c(-1, 0, Inf), 3, 10, 2), c(0, 0, 1))
  expect_identical(pncf(c(-1, 0, Inf), 3, 10, 2, lower.tail = FALSE), c(1, 1, 0))
  expect_identical(pncf(c(-1, Inf), 3, 10, 2, log.p = TRUE), c(-Inf, 0))
  expect_identical(dncf(c(-1, Inf), 3, 10, 2), c(0, 0))
  # At 0 the density is infinite for df1 < 2, e^(-ncp/2) for df1 = 2, 0 above.
  expect_identical(dncf(0, c(1, 2, 3), 10, 2, log = TRUE), c(Inf, -1, -Inf))
  expect_equal(dncf(0, 2, 10, 2), exp(-1))
})

test_that("NA gives NA, NaN gives NaN, parameters out of the domain NaN with a warning", {
  expect_identical(pncf(c(NA, 2, 2), c(3, NaN, 3), 10, c(1, 1, NA)), c(NA, NaN, NA))
  expect_identical(dncf(NaN, 3, 10, 1), NaN)
  for (bad in list(c(0, 10, 1), c(3, -1, 1), c(3, 10, -1), c(3, Inf, 1), c(3, 10, Inf))) {
    expect_warning(p <- pncf(2, bad[1], bad[2], bad[3]), "NaNs produced")
    expect_identical(p, NaN)
    expect_warning(d <- dncf(2, bad[1], bad[2], bad[3]), "NaNs produced")
    expect_identical(d, NaN)
  }
})

test_that("recycling, shape and argument checks", {
  expect_identical(pncf(2, 3, c(10, 20, 10), 1)[c(1, 3)], rep(pncf(2, 3, 10, 1), 2))
  expect_length(dncf(numeric(0), 3, 10, 1), 0)
  expect_identical(names(pncf(c(a = 1, b = 2), 3, 10, 1)), c("a", "b"))
  expect_error(pncf("1", 3, 10, 1), "'q' must be numeric")
  expect_error(dncf(1, 3, 10, "1"), "'ncp' must be numeric")
  expect_error(pncf(1, 3, 10, 1, lower.tail = NA), "'lower.tail' must be TRUE or FALSE")
  expect_error(dncf(1, 3, 10, 1, log = c(TRUE, FALSE)), "'log' must be TRUE or FALSE")
})

test_that("pncf and dncf agree with the mpmath table of wide designs and far tails", {
  rows <- do.call(rbind, read_sections("ncf_probabilities.inc"))
  args <- list(rows[, 1], rows[, 2], rows[, 3], rows[, 4])
  call <- function(f, ...) do.call(f, c(args, list(...)))
  # ln P, ln Q and ln f (hi + rel pairs): 2.5e-13 plus the rounding of the
  # log, as in the C++ suite.
  expect_worst_log(call(pncf, log.p = TRUE), rows[, 5] * (1 + rows[, 6]), 2.5e-13, rows)
  expect_worst_log(call(pncf, lower.tail = FALSE, log.p = TRUE), rows[, 7] * (1 + rows[, 8]),
                   2.5e-13, rows)
  expect_worst_log(call(dncf, log = TRUE), rows[, 9] * (1 + rows[, 10]), 1e-12, rows)
  normal <- rows[, 5] > -700
  expect_worst_relative(call(pncf)[normal], exp(rows[normal, 5]), 5e-13, rows[normal, ])
})

test_that("qncf inverts in both tails against the mpmath quantile table", {
  rows <- do.call(rbind, read_sections("ncf_quantile.inc"))
  lower <- rows[, 2] == 0
  x <- ifelse(lower, qncf(rows[, 1], rows[, 3], rows[, 4], rows[, 5]),
              qncf(rows[, 1], rows[, 3], rows[, 4], rows[, 5], lower.tail = FALSE))
  error <- abs((x - rows[, 7]) / rows[, 7] - rows[, 8]) / (1e-13 + 2.5e-13 * rows[, 6])
  expect_lte(max(error), 1)
})

test_that("qncf takes R's quantile conventions", {
  p <- c(0.01, 0.5, 0.95)
  x <- qncf(p, 3, 10, 5)
  expect_equal(pncf(x, 3, 10, 5), p, tolerance = 1e-13)
  expect_equal(qncf(1 - p, 3, 10, 5, lower.tail = FALSE), x, tolerance = 1e-13)
  expect_equal(qncf(log(p), 3, 10, 5, log.p = TRUE), x, tolerance = 1e-13)
  expect_equal(qncf(0.95, 3, 10, 5), qf(0.95, 3, 10, ncp = 5), tolerance = 1e-8)
  expect_identical(qncf(c(0, 1), 3, 10, 5), c(0, Inf))
  expect_identical(qncf(c(0, 1), 3, 10, 5, lower.tail = FALSE), c(Inf, 0))
  expect_identical(qncf(c(NA, 0.5), c(3, NaN), 10, 1), c(NA, NaN))
  expect_warning(q <- qncf(1.5, 3, 10, 1), "NaNs produced")
  expect_identical(q, NaN)
  expect_warning(q <- qncf(0.5, 3, 10, -1), "NaNs produced")
  expect_identical(names(qncf(c(a = 0.1, b = 0.2), 3, 10, 1)), c("a", "b"))
  expect_error(qncf("0.5", 3, 10, 1), "'p' must be numeric")
})
