# Confidence intervals behind an observed chi-square statistic: the
# noncentrality, the RMSEA, Cohen's w (phi) and Cramer's V, each with the
# estimate that lies inside it.  The power and sample size of the
# chi-square test are in chisq_design.R.

# The RMSEA divisors in the order of the module's rmsea_convention codes.
rmsea_divisors <- c("n-1", "n")

chisq_interval <- function(chisq, df, n, nrow, ncol, conf.level, alternative, divisor,
                           quantity) {
  limits <- .Call(kelbrant_chisq_ci,
                  as_numeric_argument(chisq, "chisq"), as_numeric_argument(df, "df"),
                  as_numeric_argument(n, "n"), as_numeric_argument(nrow, "nrow"),
                  as_numeric_argument(ncol, "ncol"),
                  as_numeric_argument(conf.level, "conf.level"),
                  match(alternative, ncp_alternatives) - 1L,
                  match(divisor, rmsea_divisors) - 1L, quantity)
  status <- fnonct_outcome_names[limits[[4L]] + 1L]
  if (any(status == "invalid")) {
    warning("arguments out of their domain in row(s) ", row_list(status == "invalid"),
            "; NA returned", call. = FALSE)
  }
  if (any(status == "search_failed")) {
    warning("the search for a limit failed in row(s) ",
            row_list(status == "search_failed"), "; NA returned", call. = FALSE)
  }
  structure(list(estimate = limits[[1L]], lower = limits[[2L]], upper = limits[[3L]]),
            class = "data.frame", row.names = .set_row_names(length(limits[[1L]])))
}

ncp_ci_chisq <- function(chisq, df, conf.level = 0.95,
                         alternative = c("two.sided", "less", "greater")) {
  chisq_interval(chisq, df, NA_real_, NA_real_, NA_real_, conf.level,
                 match.arg(alternative), "n-1", 0L)
}

rmsea_ci <- function(chisq, df, n, conf.level = 0.90,
                     alternative = c("two.sided", "less", "greater"),
                     divisor = c("n-1", "n")) {
  chisq_interval(chisq, df, n, NA_real_, NA_real_, conf.level, match.arg(alternative),
                 match.arg(divisor), 1L)
}

cohens_w_ci <- function(chisq, df, n, conf.level = 0.95,
                        alternative = c("two.sided", "less", "greater")) {
  chisq_interval(chisq, df, n, NA_real_, NA_real_, conf.level, match.arg(alternative),
                 "n-1", 2L)
}

cramers_v_ci <- function(chisq, n, nrow, ncol, conf.level = 0.95,
                         alternative = c("two.sided", "less", "greater")) {
  nrow <- as_numeric_argument(nrow, "nrow")
  ncol <- as_numeric_argument(ncol, "ncol")
  chisq_interval(chisq, (nrow - 1) * (ncol - 1), n, nrow, ncol, conf.level,
                 match.arg(alternative), "n-1", 3L)
}
