# qbeta_exact and qf_exact against the mpmath inverse beta ratio, and R's
# quantile conventions at the edges.

min_normal <- 2^-1022

# The rows {prob, tail, a, b, x, x rel, y, y rel, kappa, kappa rel}, x and y
# the mpmath root (a double and its relative remainder), kappa its
# conditioning |d ln z / d ln prob| for z the smaller of x and y.
inverse_rows <- read_sections("beta_inc_inverse.inc")[[1L]]

# The relative error allowed: 1e-14, widened by kappa times 2^-47 (the
# tail's own relative error of some tens of units of 2^-53, which no root
# finder can beat by more than the conditioning).
allowed_error <- function(kappa) 1e-14 + 2^-47 * kappa

qbeta_rows <- function(rows) {
  lower <- rows[, 2] == 0
  x <- numeric(nrow(rows))
  x[lower] <- qbeta_exact(rows[lower, 1], rows[lower, 3], rows[lower, 4])
  x[!lower] <- qbeta_exact(rows[!lower, 1], rows[!lower, 3], rows[!lower, 4],
                           lower.tail = FALSE)
  x
}

test_that("qbeta_exact agrees with mpmath in both tails, in units of the allowed error", {
  rows <- inverse_rows
  x <- qbeta_rows(rows)
  want <- rows[, 5]
  # Relative to the allowed error where x is normal; below, absolutely, in
  # units of 1e-14 of the smallest normal number.
  scaled <- ifelse(abs(want) >= min_normal,
                   abs(x - want) / abs(want) / allowed_error(rows[, 9]),
                   abs(x - want) / (1e-14 * min_normal))
  worst <- which.max(scaled)
  expect(all(is.finite(x)) && scaled[worst] <= 1,
         sprintf("worst row (%s): %.17g against %.17g, %.3g of the allowed error",
                 paste(rows[worst, 1:4], collapse = ", "), x[worst], want[worst],
                 scaled[worst]))
})

test_that("qbeta_exact is good to 1e-14 where the root is well conditioned", {
  rows <- inverse_rows[inverse_rows[, 9] <= 1 & inverse_rows[, 5] >= min_normal, ]
  expect_gt(nrow(rows), 100L)
  expect_worst_relative(qbeta_rows(rows), rows[, 5], 1e-14, rows[, 1:4])
})

test_that("qf_exact is (df2/df1) x/y of the beta rows", {
  # df = 2 a, 2 b within the F quantile's domain, x and y normal, f finite.
  rows <- inverse_rows
  rows <- rows[rows[, 5] >= min_normal & rows[, 7] >= min_normal &
               rows[, 3] <= 2147483647 / 2 & rows[, 4] <= 2147483647 / 2, ]
  # The reference carries the remainders of x and y to first order.
  want <- (rows[, 5] / rows[, 7]) * (rows[, 4] / rows[, 3]) * (1 + rows[, 6] - rows[, 8])
  rows <- rows[want < 1e308, ]
  want <- want[want < 1e308]
  lower <- rows[, 2] == 0
  f <- numeric(nrow(rows))
  f[lower] <- qf_exact(rows[lower, 1], 2 * rows[lower, 3], 2 * rows[lower, 4])
  f[!lower] <- qf_exact(rows[!lower, 1], 2 * rows[!lower, 3], 2 * rows[!lower, 4],
                        lower.tail = FALSE)
  # Two roundings of the quotient, and those of the reference.
  scaled <- abs(f - want) / want / (allowed_error(rows[, 9]) + 8 * 2^-53)
  worst <- which.max(scaled)
  expect(all(is.finite(f)) && scaled[worst] <= 1,
         sprintf("worst row (%s): %.17g against %.17g", paste(rows[worst, 1:4], collapse = ", "),
                 f[worst], want[worst]))
})

test_that("known quantiles, and log probabilities near 0 taken in the other tail", {
  # At df = (2, 2), P(F > f) = 1/(1 + f): the upper tail q gives 1/q - 1.
  # mpmath: F(0.95; 3, 10) = 3.7082648190468435.
  cases <- list(
    list(qf_exact(0.95, 3, 10), 3.7082648190468435),
    list(qf_exact(1e-300, 2, 2, lower.tail = FALSE), 1e300),
    # (log(1e-300) is a rounded double: the quantile is e to minus it.)
    list(qf_exact(log(1e-300), 2, 2, lower.tail = FALSE, log.p = TRUE), exp(-log(1e-300))),
    # ln(1 - 1e-300) = -1e-300: exp() would make it 1 and the quantile Inf.
    list(qf_exact(-1e-300, 2, 2, log.p = TRUE), 1e300),
    list(qf_exact(-1e-20, 2, 2, lower.tail = TRUE, log.p = TRUE), 1e20),
    list(qf_exact(log(0.25), 2, 2, log.p = TRUE), 1 / 3),
    # I_x(1, 1) = x; I_x(2, 1) = x^2.
    list(qbeta_exact(0.3, 1, 1), 0.3),
    list(qbeta_exact(0.25, 2, 1), 0.5),
    list(qbeta_exact(log(0.25), 2, 1, lower.tail = FALSE, log.p = TRUE), sqrt(0.75))
  )
  for (case in cases) {
    expect_equal(case[[1]], case[[2]], tolerance = 1e-14)
  }
})

test_that("ends of the support, domains, NA and R's argument rules", {
  expect_identical(qf_exact(c(0, 1), 3, 10), c(0, Inf))
  expect_identical(qf_exact(c(0, 1), 3, 10, lower.tail = FALSE), c(Inf, 0))
  expect_identical(qbeta_exact(c(0, 1), 2, 3), c(0, 1))
  expect_identical(qf_exact(c(-Inf, 0), 3, 10, log.p = TRUE), c(0, Inf))
  # NA stays NA, NaN stays NaN, neither warns.
  expect_identical(qf_exact(c(NA, 0.5), c(3, NaN), 10), c(NA_real_, NaN))
  expect_identical(qbeta_exact(0.5, NA, 2), NA_real_)
  # Out of the domain: NaN with R's warning.
  domain <- list(
    list(1.5, 3, 10, FALSE), list(-0.1, 3, 10, FALSE), list(0.1, 3, 10, TRUE),
    list(0.5, 0, 10, FALSE), list(0.5, 3, -1, FALSE), list(0.5, 3, Inf, FALSE),
    list(0.5, 4294967296, 10, FALSE)
  )
  for (d in domain) {
    expect_warning(value <- qf_exact(d[[1]], d[[2]], d[[3]], log.p = d[[4]]), "NaNs produced")
    expect_identical(value, NaN)
  }
  expect_warning(expect_identical(qbeta_exact(0.5, 2147483648, 2), NaN), "NaNs produced")
  # Recycling, shape of p, empty arguments.
  p <- matrix(c(0.1, 0.5, 0.9, 0.99), 2, dimnames = list(c("a", "b"), NULL))
  q <- qf_exact(p, c(3, 5), 10)
  expect_identical(dim(q), dim(p))
  expect_identical(dimnames(q), dimnames(p))
  expect_identical(as.vector(q)[3], qf_exact(0.9, 3, 10))
  expect_identical(qf_exact(numeric(0), 3, 10), numeric(0))
  expect_error(qf_exact("0.5", 3, 10), "'p' must be numeric")
  expect_error(qbeta_exact(0.5, factor(2), 3), "'shape1' must be numeric")
  expect_error(qf_exact(0.5, 3, 10, lower.tail = NA), "'lower.tail' must be TRUE or FALSE")
})
