# power_f_test, power_f2, power_anova and the sample sizes against the
# mpmath powers and sizes, and the status of every row.

power_tables <- read_sections("power.inc")
# {df1, df2, lambda, alpha, F_crit, rel, power, rel}
power_rows <- power_tables[[1L]]
# {kind (0 regression u, f2; 1 anova k, f), u or k, f2 or f, alpha, target,
#  smallest whole v or n, power there, rel, power one below, rel}
size_rows <- power_tables[[2L]]

test_that("the power of the F test agrees with mpmath, in each form", {
  rows <- power_rows
  expect_worst_relative(power_f_test(rows[, 1], rows[, 2], rows[, 3], rows[, 4]),
                        rows[, 7], 1e-13, rows)
  # The regression form of the same tests: f2 = lambda / (u + v + 1).
  f2 <- rows[, 3] / (rows[, 1] + rows[, 2] + 1)
  expect_worst_relative(power_f2(rows[, 1], rows[, 2], f2, rows[, 4]), rows[, 7], 1e-13, rows)
  # The analysis-of-variance form of the rows that are k groups of n.
  k <- rows[, 1] + 1
  n <- rows[, 2] / k + 1
  whole <- k == round(k) & n == round(n)
  expect_gt(sum(whole), 3L)
  f <- sqrt(rows[whole, 3] / (k[whole] * n[whole]))
  expect_worst_relative(power_anova(k[whole], n[whole], f, rows[whole, 4]),
                        rows[whole, 7], 1e-13, rows[whole, , drop = FALSE])
})

test_that("with no effect the power is the level", {
  alpha <- c(0.5, 0.05, 1e-10, 1e-300)
  expect_equal(power_f2(3, 50, 0, alpha), alpha, tolerance = 1e-13)
  expect_equal(power_anova(4, 12.5, 0, alpha), alpha, tolerance = 1e-13)
})

test_that("the smallest whole sample sizes and their powers agree with mpmath", {
  rows <- size_rows
  f2 <- rows[, 1] == 0
  sizes <- rbind(
    setNames(sample_size_f2(rows[f2, 2], rows[f2, 3], rows[f2, 5], rows[f2, 4]),
             c("size", "power", "status")),
    setNames(sample_size_anova(rows[!f2, 2], rows[!f2, 3], rows[!f2, 5], rows[!f2, 4]),
             c("size", "power", "status")))
  rows <- rbind(rows[f2, ], rows[!f2, ])
  expect_identical(as.character(sizes$status), rep("ok", nrow(rows)))
  expect_identical(sizes$size, rows[, 6])
  expect_worst_relative(sizes$power, rows[, 7], 1e-13, rows)
  expect_true(all(sizes$power >= rows[, 5]))
})

test_that("the status tells which targets no size reaches", {
  cases <- data.frame(
    power = c(0.05, 0.04, 0.8, 0.8, 0.8),
    f2 = c(0.15, 0.15, 1e-20, 0.15, NA),
    status = c("unreachable", "unreachable", "unreachable", "ok", NA)
  )
  size <- sample_size_f2(3, cases$f2, cases$power)
  expect_identical(as.character(size$status), cases$status)
  expect_identical(levels(size$status), c("ok", "invalid", "unreachable", "failed"))
  expect_identical(is.na(size$v), cases$status != "ok" | is.na(cases$status))
  expect_identical(is.na(size$power), is.na(size$v))
  # The analysis-of-variance form, for a power at the level.
  expect_identical(as.character(sample_size_anova(3, 0.25, 0.01, 0.01)$status), "unreachable")
})

test_that("arguments out of their domain: NaN or status invalid, with a warning", {
  power_calls <- list(
    function() power_f2(0, 50, 0.15), function() power_f2(3, 50, -0.1),
    function() power_f2(3, 50, 0.15, 0), function() power_f2(3, 50, 0.15, 1),
    function() power_anova(1, 10, 0.25), function() power_anova(2.5, 10, 0.25),
    function() power_anova(3, 1, 0.25), function() power_f_test(3, 50, -1),
    function() power_f_test(3, 50, Inf)
  )
  for (call in power_calls) {
    expect_warning(value <- call(), "NaNs produced")
    expect_identical(value, NaN)
  }
  expect_warning(size <- sample_size_f2(3, 0.15, c(0.8, 1, 0)), "domain in row\\(s\\) 2, 3")
  expect_identical(as.character(size$status), c("ok", "invalid", "invalid"))
  expect_warning(size <- sample_size_anova(c(3, 1.5), 0.25, 0.8), "row\\(s\\) 2;")
  expect_identical(as.character(size$status), c("ok", "invalid"))
})

test_that("recycling, NA, names and R's argument rules", {
  power <- power_f2(c(a = 3, b = 5), c(50, 100, 150, 200), 0.15)
  expect_length(power, 4L)
  expect_identical(power[[3]], power_f2(3, 150, 0.15))
  expect_identical(names(power_anova(c(x = 3), 20, 0.25)), "x")
  expect_identical(is.na(power_f2(c(3, NA), 50, c(0.15, 0.15))), c(FALSE, TRUE))
  expect_identical(power_anova(3, 20, 0.25, NA_real_), NA_real_)
  expect_identical(power_f_test(numeric(0), 50, 10), numeric(0))
  size <- sample_size_anova(3, c(0.1, 0.25, 0.4), 0.8)
  expect_identical(nrow(size), 3L)
  expect_identical(names(size), c("n", "power", "status"))
  expect_true(all(diff(size$n) < 0))
  expect_identical(nrow(sample_size_f2(3, numeric(0), 0.8)), 0L)
  expect_error(power_f2("3", 50, 0.15), "'u' must be numeric")
  expect_error(power_anova(3, 20, 0.25, sig.level = "0.05"), "'sig.level' must be numeric")
  expect_error(sample_size_f2(3, 0.15, list(0.8)), "'power' must be numeric")
})
