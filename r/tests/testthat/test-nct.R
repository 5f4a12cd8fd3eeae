# The noncentral t family against the committed mpmath tables, base R's
# conventions, and the t tests' design against pwr's definitions.

nct_tables <- c("nct_ordinary_rows", "nct_large_delta_rows", "nct_large_df_rows",
                "nct_small_df_rows", "nct_far_tail_rows", "nct_named_rows")

test_that("log tails and densities agree with mpmath", {
  for (name in nct_tables) {
    rows <- read_reference("nct.inc", name)
    ref <- function(k) rows[, k] * (1 + rows[, k + 1])
    lp <- pnct(rows[, 1], rows[, 2], rows[, 3], log.p = TRUE)
    lq <- pnct(rows[, 1], rows[, 2], rows[, 3], lower.tail = FALSE, log.p = TRUE)
    lf <- dnct(rows[, 1], rows[, 2], rows[, 3], log = TRUE)
    for (pair in list(list(lp, ref(4)), list(lq, ref(6)), list(lf, ref(10)))) {
      expect_lt(max(abs(pair[[1]] - pair[[2]]) / pmax(1, abs(pair[[2]]))), 1e-9)
    }
  }
})

test_that("the noncentrality and the quantile invert the distribution", {
  rows <- read_reference("nct.inc", "nct_ncp_rows")
  expect_equal(nct_ncp(rows[, 1], rows[, 2], rows[, 3]), rows[, 4] * (1 + rows[, 5]),
               tolerance = 1e-12)
  p <- pnct(c(-2, 0.5, 3), 8, 1)
  expect_equal(qnct(p, 8, 1), c(-2, 0.5, 3), tolerance = 1e-12)
  expect_equal(qnct(log(p), 8, 1, log.p = TRUE), c(-2, 0.5, 3), tolerance = 1e-12)
})

test_that("base R's conventions hold", {
  expect_identical(pnct(NA, 5, 1), NA_real_)
  expect_equal(pnct(c(1, 2), 5, c(0, 1, 2, 3)), pnct(c(1, 2, 1, 2), 5, c(0, 1, 2, 3)))
  expect_equal(pnct(1, 5, 0), pt(1, 5), tolerance = 1e-15)
  expect_warning(v <- pnct(1, -1, 0), "NaNs produced")
  expect_true(is.nan(v))
  expect_equal(pnct(Inf, 5, 2), 1)
  expect_equal(dnct(0, 1, 0), 1 / pi, tolerance = 1e-15)
  expect_error(pnct("1", 5, 1), "numeric")
})

test_that("intervals for delta and d", {
  ci <- ncp_ci_t(2.5, 20, 0.9)
  expect_equal(pnct(2.5, 20, ci$lower, lower.tail = FALSE), 0.05, tolerance = 1e-12)
  expect_equal(pnct(2.5, 20, ci$upper), 0.05, tolerance = 1e-12)
  d <- cohens_d_ci(2.5, n1 = 21, conf.level = 0.9)
  expect_equal(d$lower, ci$lower / sqrt(21), tolerance = 1e-15)
  expect_equal(d$d, 2.5 / sqrt(21))
  expect_equal(cohens_d_ci(2.5, 21, alternative = "greater")$upper, Inf)
  expect_warning(bad <- cohens_d_ci(2.5, 21, conf.level = 2), "domain")
  expect_true(is.na(bad$lower))
})

test_that("t test power as pwr defines it", {
  rows <- read_reference("t_power.inc", "t_power_rows")
  types <- c("one.sample", "two.sample", "paired")
  alternatives <- c("two.sided", "less", "greater")
  for (i in seq_len(nrow(rows))) {
    r <- rows[i, ]
    got <- if (r[1] == 3) {
      power_t_test(r[3], r[5], r[6], alternative = alternatives[r[2] + 1], n2 = r[4])
    } else {
      power_t_test(r[3], r[5], r[6], types[r[1] + 1], alternatives[r[2] + 1])
    }
    expect_equal(got, r[7] * (1 + r[8]), tolerance = 1e-12)
  }
  size <- sample_size_t_test(0.5, 0.8)
  expect_equal(size$n, 64)
  expect_gte(size$power, 0.8)
  expect_equal(as.character(sample_size_t_test(0.6, 0.5, n1 = 10)$status), "unreachable")
})
