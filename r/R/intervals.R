# Confidence intervals for the noncentrality and the effect sizes.  Power
# and sample size, the jobs of a planned F test, are in design.R.

# The alternatives in the order of the module's ncp_alternative codes.
ncp_alternatives <- c("two.sided", "less", "greater")

ncp_ci <- function(f, df1, df2, conf.level = 0.95,
                   alternative = c("two.sided", "less", "greater")) {
  alternative <- match.arg(alternative)
  limits <- .Call(kelbrant_ncp_ci,
                  as_numeric_argument(f, "f"), as_numeric_argument(df1, "df1"),
                  as_numeric_argument(df2, "df2"),
                  as_numeric_argument(conf.level, "conf.level"),
                  match(alternative, ncp_alternatives) - 1L)
  status <- fnonct_outcome_names[limits[[3L]] + 1L]
  if (any(status == "invalid")) {
    warning("arguments out of their domain (f >= 0, df1 > 0, df2 > 0, ",
            "0 < conf.level < 1) in row(s) ", row_list(status == "invalid"),
            "; NA returned", call. = FALSE)
  }
  if (any(status == "search_failed")) {
    warning("the search for a limit failed in row(s) ",
            row_list(status == "search_failed"), "; NA returned", call. = FALSE)
  }
  limits_frame(limits[[1L]], limits[[2L]])
}

# The data frame of an interval's limits, two double vectors of one length
# without attributes: what data.frame(lower = , upper = ) gives, built
# directly because data.frame()'s checks cost about 0.2 ms a call,
# more than the searches themselves on a few hundred designs.
limits_frame <- function(lower, upper) {
  structure(list(lower = lower, upper = upper), class = "data.frame",
            row.names = .set_row_names(length(lower)))
}

row_list <- function(which) {
  rows <- which(which)
  paste(c(rows[seq_len(min(10L, length(rows)))], if (length(rows) > 10L) "..."),
        collapse = ", ")
}

# The effect sizes of a noncentrality lambda with total sample size n
# (Steiger 2004): partial eta squared lambda / (lambda + n), which is 1 at
# lambda = Inf, and Cohen's f squared lambda / n.
eta2_ci <- function(f, df1, df2, n, conf.level = 0.95,
                    alternative = c("two.sided", "less", "greater")) {
  n <- as_sample_size(n)
  limits <- ncp_ci(with_length_of(f, n), df1, df2, conf.level, alternative)
  n <- rep_len(n, nrow(limits))
  eta2 <- function(lambda) ifelse(is.infinite(lambda), 1, lambda / (lambda + n))
  limits_frame(eta2(limits$lower), eta2(limits$upper))
}

f2_ci <- function(f, df1, df2, n, conf.level = 0.95,
                  alternative = c("two.sided", "less", "greater")) {
  n <- as_sample_size(n)
  limits <- ncp_ci(with_length_of(f, n), df1, df2, conf.level, alternative)
  n <- rep_len(n, nrow(limits))
  limits_frame(limits$lower / n, limits$upper / n)
}

as_sample_size <- function(n) {
  n <- as_numeric_argument(n, "n")
  if (any(!is.na(n) & !(n > 0))) {
    stop("'n' must be positive", call. = FALSE)
  }
  n
}

# f recycled to the length of n when n is the longer, so that the interval
# has a row for every n.
with_length_of <- function(f, n) {
  if (length(n) > length(f) && length(f) > 0L) rep_len(f, length(n)) else f
}
