# The noncentral t distribution, its inversion in the noncentrality, and the
# intervals for Cohen's d and Hedges' g from an observed t.

pnct <- function(q, df, ncp, lower.tail = TRUE, log.p = FALSE) {
  result <- .Call(kelbrant_pnct,
                  as_numeric_argument(q, "q"), as_numeric_argument(df, "df"),
                  as_numeric_argument(ncp, "ncp"),
                  as_flag(lower.tail, "lower.tail"), as_flag(log.p, "log.p"))
  keep_shape(result, q)
}

dnct <- function(x, df, ncp, log = FALSE) {
  result <- .Call(kelbrant_dnct,
                  as_numeric_argument(x, "x"), as_numeric_argument(df, "df"),
                  as_numeric_argument(ncp, "ncp"), as_flag(log, "log"))
  keep_shape(result, x)
}

qnct <- function(p, df, ncp, lower.tail = TRUE, log.p = FALSE) {
  result <- .Call(kelbrant_qnct,
                  as_numeric_argument(p, "p"), as_numeric_argument(df, "df"),
                  as_numeric_argument(ncp, "ncp"),
                  as_flag(lower.tail, "lower.tail"), as_flag(log.p, "log.p"))
  keep_shape(result, p)
}

nct_ncp <- function(t, df, p, lower.tail = TRUE) {
  result <- .Call(kelbrant_nct_ncp,
                  as_numeric_argument(t, "t"), as_numeric_argument(df, "df"),
                  as_numeric_argument(p, "p"), as_flag(lower.tail, "lower.tail"))
  keep_shape(result, t)
}

# One interval call: the columns of kelbrant_d_ci, with warnings for the
# rows out of their domain or whose inversion failed.
d_ci_columns <- function(t, df, n1, n2, conf.level, alternative) {
  alternative <- match.arg(alternative, ncp_alternatives)
  columns <- .Call(kelbrant_d_ci,
                   as_numeric_argument(t, "t"), as_numeric_argument(df, "df"),
                   as_numeric_argument(n1, "n1"), as_numeric_argument(n2, "n2"),
                   as_numeric_argument(conf.level, "conf.level"),
                   match(alternative, ncp_alternatives) - 1L)
  status <- design_outcome_names[columns[[9L]] + 1L]
  if (any(status %in% "invalid")) {
    warning("arguments out of their domain in row(s) ", row_list(status %in% "invalid"),
            "; NA returned", call. = FALSE)
  }
  if (any(status %in% "failed")) {
    warning("the inversion for a limit failed in row(s) ", row_list(status %in% "failed"),
            "; NA returned", call. = FALSE)
  }
  columns
}

ncp_ci_t <- function(t, df, conf.level = 0.95,
                     alternative = c("two.sided", "less", "greater")) {
  columns <- d_ci_columns(t, df, NA_real_, NA_real_, conf.level, alternative[1L])
  limits_frame(columns[[1L]], columns[[2L]])
}

cohens_d_ci <- function(t, n1, n2 = NULL, df = NULL, conf.level = 0.95,
                        alternative = c("two.sided", "less", "greater")) {
  n1 <- as_numeric_argument(n1, "n1")
  n2 <- if (is.null(n2)) NaN else as_numeric_argument(n2, "n2")
  if (is.null(df)) {
    df <- if (is.null(n2) || all(is.nan(n2))) n1 - 1 else n1 + n2 - 2
  }
  columns <- d_ci_columns(t, df, n1, n2, conf.level, alternative[1L])
  structure(list(d = columns[[3L]], lower = columns[[4L]], upper = columns[[5L]],
                 g = columns[[6L]], g.lower = columns[[7L]], g.upper = columns[[8L]]),
            class = "data.frame", row.names = .set_row_names(length(columns[[3L]])))
}
