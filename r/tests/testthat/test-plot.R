# plot_power and plot_confidence_curve: drawn on png(), the points they
# return are the package's own values (power_anova, power_f2, the sample
# sizes, pncf, ncp_ci), and the files are PNG.  With KELBRANT_PLOT_DIR set,
# the pictures the documents show are written there.

png_signature <- as.raw(c(0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a))

# Draw with draw() on a PNG device; returns what draw() returned.
render <- function(name, draw, documented = TRUE) {
  folder <- Sys.getenv("KELBRANT_PLOT_DIR")
  path <- if (documented && nzchar(folder)) file.path(folder, name)
          else tempfile(fileext = ".png")
  grDevices::png(path, width = 640, height = 400, res = 80)
  drawn <- tryCatch(draw(), finally = grDevices::dev.off())
  expect_identical(readBin(path, "raw", 8L), png_signature)
  if (!(documented && nzchar(folder))) unlink(path)
  drawn
}

test_that("the power curves of the analysis of variance are power_anova's", {
  sizes <- 2:100
  effects <- c(0.1, 0.25, 0.4)
  drawn <- render("r_power_curve.png",
                  function() plot_power(k = 4, effects = effects, sizes = sizes))
  expect_identical(drawn$curves$size, rep(as.double(sizes), 3L))
  expect_identical(drawn$curves$effect, rep(effects, each = length(sizes)))
  for (e in effects) {
    expect_identical(drawn$curves$power[drawn$curves$effect == e],
                     power_anova(4, sizes, e))
  }
  # n = 45 per group for f = 0.25 (the command line's example), 19 for 0.4;
  # 274 for 0.1 lies off the axis and is not marked.
  needed <- drawn$sample_size
  expect_identical(needed$size, c(274, 45, 19))
  expect_identical(needed$power, power_anova(4, needed$size, effects))
  expect_true(all(needed$power >= 0.8))
  expect_true(all(power_anova(4, needed$size - 1, effects) < 0.8))
})

test_that("the regression form's curves are power_f2's, on the default axis", {
  drawn <- render("r_power_curve_regression.png",
                  function() plot_power(u = 3, sig.level = 0.01, power = 0.9),
                  documented = FALSE)
  needed <- drawn$sample_size
  expect_identical(needed$effect, c(0.02, 0.15, 0.35))
  expect_identical(as.character(needed$status), rep("ok", 3L))
  sizes <- unique(drawn$curves$size)
  expect_identical(sizes, as.double(seq(1, ceiling(1.25 * max(needed$size)))))
  for (e in needed$effect) {
    expect_identical(drawn$curves$power[drawn$curves$effect == e],
                     power_f2(3, sizes, e, sig.level = 0.01))
  }
})

test_that("plot_power takes one design, inside its domain", {
  expect_error(plot_power(), "'k' .* or 'u' .*one of them")
  expect_error(plot_power(k = 3, u = 2), "one of them")
  expect_error(plot_power(k = 1, effects = 0.25, sizes = 5:10), "out of its domain")
  expect_error(plot_power(k = 4, power = 1.5), "'power' must lie between 0 and 1")
  expect_error(plot_power(k = c(3, 4)), "'k' must be one number")
  expect_error(plot_power(k = 4, effects = c(0.25, -0.1), sizes = 5:10),
               "f = -0.1, sig.level = 0.05: the design is out of its domain")
  expect_error(plot_power(u = 3, effects = 0.15, sizes = 5:10, sig.level = 1.5),
               "out of its domain")
  # A size outside the domain leaves a gap.
  drawn <- render("gap.png", documented = FALSE,
                  function() plot_power(k = 4, effects = 0.25, sizes = 1:3))
  expect_true(is.nan(drawn$curves$power[1L]))
  expect_identical(drawn$curves$power[-1L], power_anova(4, 2:3, 0.25))
})

test_that("the confidence curve is pncf, with ncp_ci's interval", {
  drawn <- render("r_confidence_curve.png", function() plot_confidence_curve(4.2, 3, 40))
  interval <- ncp_ci(4.2, 3, 40)
  expect_identical(drawn$interval, interval)
  ncp <- drawn$curve$ncp
  expect_identical(ncp, seq(0, 1.5 * interval$upper, length.out = 201L))
  expect_identical(drawn$curve$probability, pncf(4.2, 3, 40, ncp))
  # The curve crosses the tails at the limits, to the search's tolerance.
  expect_equal(pncf(4.2, 3, 40, c(interval$lower, interval$upper)), c(0.975, 0.025),
               tolerance = 1e-7)
})

test_that("the confidence curve's forms and errors", {
  # The central probability at F = 2 on (3, 10) is below 0.975: the lower
  # limit is 0.
  drawn <- render("small.png", function() plot_confidence_curve(2, 3, 10), documented = FALSE)
  expect_identical(drawn$interval$lower, 0)
  drawn <- render("greater.png", documented = FALSE, function() {
    plot_confidence_curve(4.2, 3, 40, alternative = "greater", ncp = c(0, 1, 10))
  })
  expect_identical(drawn$interval$upper, Inf)
  expect_identical(drawn$curve$probability, pncf(4.2, 3, 40, c(0, 1, 10)))
  expect_error(plot_confidence_curve(-1, 3, 40), "no confidence interval")
  expect_error(plot_confidence_curve(c(4.2, 5), 3, 40), "length 1")
  expect_error(plot_confidence_curve(4.2, 3, 40, alternative = "both"))
})
