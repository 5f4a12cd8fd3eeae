# fnonct: the noncentrality against the mpmath roots, the outcome of every
# element, and R's recycling and argument rules.

test_that("fnonct agrees with the mpmath roots to 1e-12", {
  rows <- read_reference("fnonct.inc", "fnonct_rows")
  lambda <- fnonct(rows[, 1], rows[, 2], rows[, 3], rows[, 4])
  expect_worst_relative(lambda, rows[, 5], 1e-12, rows)
  expect_true(all(fnonct_status(rows[, 1], rows[, 2], rows[, 3], rows[, 4]) == "ok"))
})

test_that("every outcome is told apart, with NA where there is no answer", {
  # The last two: p above the evaluate callback's limit of 0.9999999,
  # which the library's solver answers, and a root the search cannot reach
  # (a numerator of 5e-7 degrees of freedom, below the 2^-20 the log-space
  # sum takes, with the root beyond the prepared sum's reach).
  cases <- data.frame(
    x      = c(2,    NA,        NaN,       -1,        2,         2,         2,         0.5,       1000,       1e8),
    df1    = c(3,    3,         3,         3,         0,         3,         3,         3,         3,          5e-7),
    df2    = c(10,   10,        10,        10,        10,        -1,        10,        10,        10,         0.01),
    p      = c(0.5,  0.5,       0.5,       0.5,       0.5,       0.5,       1,         0.9,       0.99999995, 1e-12),
    status = c("ok", "missing", "missing", "invalid", "invalid", "invalid", "invalid", "no_root", "ok",
               "search_failed"))
  status <- fnonct_status(cases$x, cases$df1, cases$df2, cases$p)
  expect_s3_class(status, "factor")
  expect_identical(levels(status), c("ok", "missing", "invalid", "no_root", "search_failed"))
  expect_identical(as.character(status), cases$status)
  lambda <- fnonct(cases$x, cases$df1, cases$df2, cases$p)
  expect_identical(is.na(lambda), cases$status != "ok")
  missing <- cases$status != "ok"
  expect_true(all(is.na(lambda[missing]) & !is.nan(lambda[missing])))  # NA, not NaN
})

test_that("p at the central probability gives 0; x = 0 has no root", {
  p0 <- pncf(2, 3, 10, 0)
  expect_identical(fnonct(2, 3, 10, p0), 0)
  expect_identical(as.character(fnonct_status(0, 3, 10, 0.5)), "no_root")
})

test_that("arguments recycle as in R's distribution functions", {
  one <- fnonct(2, 3, 10, 0.5)
  expect_identical(fnonct(c(2, 2, 2, 2), 3, c(10, 10), 0.5), rep(one, 4))
  expect_length(fnonct(numeric(0), 3, 10, 0.5), 0)
  expect_length(fnonct(1:3, 3, numeric(0), 0.5), 0)
  expect_identical(fnonct(c(2, 2), c(3, 3), c(10, 10), c(0.5, 0.4))[1], one)
  named <- fnonct(c(a = 2, b = 2), 3, 10, 0.5)
  expect_identical(names(named), c("a", "b"))
  expect_identical(dim(fnonct(matrix(2, 2, 2), 3, 10, 0.5)), c(2L, 2L))
  expect_identical(fnonct(2L, 3L, 10L, 0.5), one)  # integers are numbers
})

test_that("non-numeric arguments stop with the argument's name", {
  expect_error(fnonct("2", 3, 10, 0.5), "'x' must be numeric")
  expect_error(fnonct(2, factor(3), 10, 0.5), "'df1' must be numeric")
  expect_error(fnonct(2, 3, list(10), 0.5), "'df2' must be numeric")
  expect_error(fnonct_status(2, 3, 10, TRUE), "'p' must be numeric")
  expect_identical(fnonct(NA, 3, 10, 0.5), NA_real_)  # a bare NA is logical
})
