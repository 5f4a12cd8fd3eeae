# Pictures of a design and of an observed F in base graphics: the power of
# the F test against the sample size for several effect sizes, and the
# confidence curve of the noncentrality.  Every value drawn is the
# package's own (power_anova, power_f2, the sample sizes, pncf, ncp_ci),
# and each function returns, invisibly, what it drew.

# Cohen's (1988) small, medium and large effects: f for the analysis of
# variance (ch. 8), f2 for the regression form (ch. 9).
cohen_f <- c(0.1, 0.25, 0.4)
cohen_f2 <- c(0.02, 0.15, 0.35)
# Without sizes, the axis runs from the smallest size of the design to this
# multiple of the largest size that reaches the target power, or to
# size_fallback when no effect reaches it.
size_margin <- 1.25
size_fallback <- 100
# The points of a confidence curve drawn without ncp.
curve_points <- 201L

plot_power <- function(k = NULL, u = NULL, effects = NULL, sizes = NULL,
                       sig.level = 0.05, power = 0.8, ...) {
  if (is.null(k) == is.null(u)) {
    stop("plot_power takes 'k' (one-way analysis of variance) or 'u' (regression), ",
         "one of them", call. = FALSE)
  }
  for (name in c("k", "u", "sig.level", "power")) {
    value <- get(name)
    if (!is.null(value) && !(is.numeric(value) && length(value) == 1L && !is.na(value))) {
      stop(sprintf("'%s' must be one number", name), call. = FALSE)
    }
  }
  if (!(power > 0 && power < 1)) stop("'power' must lie between 0 and 1", call. = FALSE)
  anova <- !is.null(k)
  if (is.null(effects)) effects <- if (anova) cohen_f else cohen_f2
  effects <- as_numeric_argument(effects, "effects")
  # A design out of its domain is told below, once, for its powers.
  needed <- suppressWarnings(if (anova) sample_size_anova(k, effects, power, sig.level)
                             else sample_size_f2(u, effects, power, sig.level))
  names(needed)[1L] <- "size"
  if (any(needed$status %in% "failed")) {
    warning("the search for a sample size failed for effect(s) ",
            paste(effects[needed$status %in% "failed"], collapse = ", "),
            "; not marked", call. = FALSE)
  }
  smallest <- if (anova) 2 else 1
  if (is.null(sizes)) {
    reached <- needed$size[needed$status %in% "ok"]
    top <- if (length(reached)) ceiling(size_margin * max(reached)) else size_fallback
    sizes <- seq(smallest, max(top, smallest + 1))
  }
  sizes <- as_numeric_argument(sizes, "sizes")
  powers <- suppressWarnings(vapply(effects, function(e) {
    if (anova) power_anova(k, sizes, e, sig.level) else power_f2(u, sizes, e, sig.level)
  }, numeric(length(sizes))))
  powers <- matrix(powers, nrow = length(sizes))
  empty <- colSums(!is.na(powers)) == 0L
  if (any(empty)) {
    stop(sprintf("no power at any size for %s = %g, sig.level = %g: the design is out of its domain",
                 if (anova) "f" else "f2", effects[empty][1L], sig.level), call. = FALSE)
  }
  colours <- seq_along(effects)
  effect_name <- if (anova) "f" else "f2"
  graphics::matplot(sizes, powers, type = "l", lty = 1, col = colours, ylim = c(0, 1),
                    xlab = if (anova) "n per group" else "denominator degrees of freedom v",
                    ylab = "power",
                    main = sprintf("power of the F test at alpha = %g; target %g",
                                   sig.level, power), ...)
  graphics::abline(h = c(power, sig.level), lty = c(2, 3), col = "grey40")
  shown <- needed$status %in% "ok" & needed$size >= min(sizes) & needed$size <= max(sizes)
  graphics::points(needed$size[shown], needed$power[shown], pch = 19, col = colours[shown])
  graphics::legend("bottomright", legend = sprintf("%s = %g", effect_name, effects),
                   col = colours, lty = 1, bty = "n")
  invisible(list(
    curves = data.frame(size = rep(sizes, length(effects)),
                        effect = rep(effects, each = length(sizes)),
                        power = as.vector(powers)),
    sample_size = data.frame(effect = effects, needed)))
}

plot_confidence_curve <- function(f, df1, df2, conf.level = 0.95,
                                  alternative = c("two.sided", "less", "greater"),
                                  ncp = NULL, ...) {
  alternative <- match.arg(alternative)
  if (length(f) != 1L || length(df1) != 1L || length(df2) != 1L || length(conf.level) != 1L) {
    stop("plot_confidence_curve draws one observed F: 'f', 'df1', 'df2' and 'conf.level' ",
         "must have length 1", call. = FALSE)
  }
  limits <- suppressWarnings(ncp_ci(f, df1, df2, conf.level, alternative))
  if (is.na(limits$lower)) {
    stop(sprintf("no confidence interval for f = %g, df1 = %g, df2 = %g, conf.level = %g",
                 f, df1, df2, conf.level), call. = FALSE)
  }
  if (is.null(ncp)) {
    top <- if (is.finite(limits$upper) && limits$upper > 0) limits$upper
           else max(limits$lower, 1)
    ncp <- seq(0, 1.5 * top, length.out = curve_points)
  }
  ncp <- as_numeric_argument(ncp, "ncp")
  probability <- pncf(f, df1, df2, ncp)
  alpha <- 1 - conf.level
  tails <- switch(alternative,
                  two.sided = c(1 - alpha / 2, alpha / 2),
                  less = c(NA, alpha),
                  greater = c(1 - alpha, NA))
  bounds <- c(limits$lower, limits$upper)
  marked <- !is.na(tails) & is.finite(bounds) & bounds > 0
  graphics::plot(ncp, probability, type = "l", ylim = c(0, 1),
                 xlab = "noncentrality lambda", ylab = "P(F' <= f)",
                 main = sprintf("F = %g on (%g, %g): %g%% interval for lambda [%.4g, %.4g]",
                                f, df1, df2, 100 * conf.level, limits$lower, limits$upper),
                 ...)
  graphics::abline(h = tails[!is.na(tails)], lty = 2, col = "grey40")
  graphics::abline(v = bounds[marked], lty = 3, col = "red3")
  invisible(list(curve = data.frame(ncp = ncp, probability = probability),
                 interval = limits))
}
