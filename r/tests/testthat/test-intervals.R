# ncp_ci, eta2_ci and f2_ci against the mpmath intervals.

test_that("ncp_ci agrees with the mpmath limits", {
  rows <- read_reference("ncp_ci.inc", "ncp_ci_rows")
  ci <- ncp_ci(rows[, 1], rows[, 2], rows[, 3], rows[, 4])
  expect_identical(ci$lower == 0, rows[, 5] == 0)
  expect_identical(ci$upper == 0, rows[, 6] == 0)
  # The tails are 1 - c computed in doubles, a few ulp from the exact
  # decimals of the table; each moves a root by about 1e-16 / |dP/dlambda|.
  expect_worst_relative(ci$lower, rows[, 5], 1e-12, rows)
  expect_worst_relative(ci$upper, rows[, 6], 1e-12, rows)
})

test_that("the worked example: F = 4.2 on (3, 40)", {
  ci <- ncp_ci(4.2, 3, 40)
  expect_identical(names(ci), c("lower", "upper"))
  # The roots by mpmath at 40 digits (tests/reference/ncf_mp.py) of
  # P = 0.975 and of P = 0.5 (1 - 0.95) = 0.025 + 2.2e-17 in doubles.  P
  # carries some 1e-14 of its own, which moves the roots by that times
  # their condition numbers, 61.5 and 0.175.
  expect_equal(ci$lower, 0.69036155904722889548, tolerance = 1e-12)
  expect_equal(ci$upper, 29.343036676276359965, tolerance = 1e-14)
})

test_that("one-sided bounds are the two-sided limits of twice the tail", {
  two <- ncp_ci(4.2, 3, 40, 0.9)
  less <- ncp_ci(4.2, 3, 40, 0.95, "less")
  greater <- ncp_ci(4.2, 3, 40, 0.95, "greater")
  expect_identical(less$lower, 0)
  expect_equal(less$upper, two$upper, tolerance = 1e-13)
  expect_equal(greater$lower, two$lower, tolerance = 1e-13)
  expect_identical(greater$upper, Inf)
  expect_error(ncp_ci(4.2, 3, 40, alternative = "sideways"), "should be one of")
})

test_that("rows with NA, out of the domain or without a search answer are NA", {
  expect_warning(ci <- ncp_ci(c(4.2, NA, 4.2, 4.2, 4.2), 3, c(40, 40, -1, 40, 40),
                              c(0.95, 0.95, 0.95, 1, 0.95)),
                 "out of their domain .* row\\(s\\) 3, 4")
  expect_identical(is.na(ci$lower), c(FALSE, TRUE, TRUE, TRUE, FALSE))
  expect_identical(is.na(ci$upper), is.na(ci$lower))
  expect_error(ncp_ci("4.2", 3, 40), "'f' must be numeric")
  expect_error(ncp_ci(4.2, 3, 40, "0.95"), "'conf.level' must be numeric")
})

test_that("effect sizes: eta squared = lambda / (lambda + n), f squared = lambda / n", {
  rows <- read_reference("ncp_ci.inc", "ncp_ci_rows")[1:40, ]
  n <- rows[, 2] + rows[, 3] + 1
  eta2 <- eta2_ci(rows[, 1], rows[, 2], rows[, 3], n, rows[, 4])
  f2 <- f2_ci(rows[, 1], rows[, 2], rows[, 3], n, rows[, 4])
  expect_worst_relative(eta2$upper, rows[, 6] / (rows[, 6] + n), 1e-12, rows)
  expect_worst_relative(f2$upper, rows[, 6] / n, 1e-12, rows)
  expect_identical(eta2$lower == 0, rows[, 5] == 0)
  # The peer package's F_to_eta2 puts the limit for F = 1.30088288529867
  # on (10, 87) at 0.2257 with n = df2; the 97.5% limit is 0.1906.
  expect_equal(eta2_ci(1.30088288529867, 10, 87, n = 87)$upper, 0.1906, tolerance = 1e-3)
  # An unbounded lambda is eta squared 1 and f squared Inf.
  expect_identical(eta2_ci(4.2, 3, 40, 44, alternative = "greater")$upper, 1)
  expect_identical(f2_ci(4.2, 3, 40, 44, alternative = "greater")$upper, Inf)
})

test_that("n recycles with the rest and must be a positive number", {
  by_n <- f2_ci(4.2, 3, 40, n = c(44, 88))
  expect_equal(nrow(by_n), 2)
  expect_equal(by_n$upper[1], 2 * by_n$upper[2])
  expect_error(eta2_ci(4.2, 3, 40, n = 0), "'n' must be positive")
  expect_error(f2_ci(4.2, 3, 40, n = "44"), "'n' must be numeric")
  expect_error(eta2_ci(4.2, 3, 40), "\"n\" is missing")
})
