# The noncentral chi-square family: pnchisq, dnchisq, qnchisq against the
# mpmath tables, base R's conventions, nchisq_ncp and its outcomes, the
# interval functions and the chi-square test's design.

log_error <- function(got, hi, rel) {
  want <- hi + hi * rel
  d <- abs(got - want)
  ifelse(got == hi, 0, ifelse(abs(want) < 1, d / abs(want), d))
}

test_that("pnchisq and dnchisq agree with mpmath to 1e-12 kappa", {
  for (file in c("ncx2_ordinary.inc", "ncx2_rmsea.inc")) {
    rows <- read_sections(file)[[1L]]
    lower <- pnchisq(rows[, 1], rows[, 2], rows[, 3], log.p = TRUE)
    upper <- pnchisq(rows[, 1], rows[, 2], rows[, 3], lower.tail = FALSE, log.p = TRUE)
    density <- dnchisq(rows[, 1], rows[, 2], rows[, 3], log = TRUE)
    expect_true(all(log_error(lower, rows[, 4], rows[, 5]) <= 1e-12 * rows[, 10]))
    expect_true(all(log_error(upper, rows[, 6], rows[, 7]) <= 1e-12 * rows[, 10]))
    expect_true(all(log_error(density, rows[, 8], rows[, 9]) <= 1e-12 * rows[, 12]))
  }
})

test_that("base R's conventions: support, recycling, NA, NaN, shape", {
  expect_identical(pnchisq(c(-1, 0, Inf), 3, 2), c(0, 0, 1))
  expect_identical(pnchisq(0, 3, 2, log.p = TRUE), -Inf)
  expect_identical(dnchisq(0, 1, 3), Inf)
  expect_identical(pnchisq(NA, 3, 2), NA_real_)
  expect_true(is.nan(pnchisq(NaN, 3, 2)))
  expect_warning(v <- pnchisq(1, -1, 2), "NaNs produced")
  expect_true(is.nan(v))
  m <- matrix(1:4, 2)
  expect_identical(dim(pnchisq(m, 3, 1)), c(2L, 2L))
  expect_equal(pnchisq(5, 3, 2), pchisq(5, 3, 2), tolerance = 1e-13)
  expect_equal(qnchisq(pnchisq(7, 4, 3), 4, 3), 7, tolerance = 1e-12)
  expect_equal(qnchisq(-50, 4, 3, lower.tail = FALSE, log.p = TRUE),
               qnchisq(exp(-50), 4, 3, lower.tail = FALSE), tolerance = 1e-13)
  # The upper tail far out, where pchisq(lower.tail = FALSE) has no digits.
  expect_equal(pnchisq(1500, 10, 10, lower.tail = FALSE, log.p = TRUE),
               -625.80399119399706535, tolerance = 1e-15)
})

test_that("nchisq_ncp agrees with the mpmath roots and tells every outcome", {
  rows <- read_sections("ncx2_ncp.inc")[[1L]]
  rows <- rows[rows[, 4] == 0 & rows[, 5] >= 0, , drop = FALSE]
  lambda <- nchisq_ncp(rows[, 1], rows[, 2], rows[, 3])
  want <- rows[, 5] * (1 + rows[, 6])
  expect_true(all(abs(lambda - want) / want <= 1e-12 * rows[, 7]))
  status <- nchisq_ncp_status(c(10, NA, -1, 10), c(3, 3, 3, 3), c(0.5, 0.5, 0.5, 0.99))
  expect_identical(as.character(status), c("ok", "missing", "invalid", "no_root"))
  expect_true(all(is.na(nchisq_ncp(c(NA, -1, 10), 3, c(0.5, 0.5, 0.99)))))
})

test_that("the intervals are maps of lambda's, with the estimate inside", {
  ci <- ncp_ci_chisq(1e5, 10)
  expect_equal(ci$lower, 98755.279328058, tolerance = 1e-9)
  expect_equal(ci$upper, 101234.40367483, tolerance = 1e-9)
  lambda <- ncp_ci_chisq(208.94, 80, conf.level = 0.9)
  r <- rmsea_ci(208.94, 80, 500)
  expect_equal(r$lower, sqrt(lambda$lower / (80 * 499)), tolerance = 1e-15)
  expect_equal(rmsea_ci(208.94, 80, 500, divisor = "n")$upper,
               sqrt(lambda$upper / (80 * 500)), tolerance = 1e-15)
  v <- cramers_v_ci(208.94, 500, 9, 11, conf.level = 0.9)
  expect_equal(v$estimate, sqrt((208.94 - 80) / 4000), tolerance = 1e-15)
  expect_true(v$lower < v$estimate && v$estimate < v$upper)
  expect_identical(cohens_w_ci(30, 10, 200, alternative = "greater")$upper, Inf)
  expect_warning(bad <- cramers_v_ci(10, 100, 2.5, 3), "out of their domain")
  expect_true(is.na(bad$lower))
  expect_error(rmsea_ci(10, 3, 100, divisor = "n-2"))
})

test_that("the chi-square test's design matches pwr.chisq.test", {
  # pwr.chisq.test(w = 0.3, N = 100, df = 3)$power and (power = 0.8)$N.
  expect_equal(power_chisq_test(0.3, 100, 3), 0.7112536, tolerance = 1e-7)
  size <- sample_size_chisq_test(0.3, 3, power = 0.8)
  expect_equal(size$n, 121.1396, tolerance = 1e-6)
  expect_identical(as.character(size$status), "ok")
  expect_identical(as.character(sample_size_chisq_test(0.3, 3, power = 0.04)$status),
                   "unreachable")
})
