# Power and sample size of the F test of the general linear model, in the
# regression form (u, v, f2) and the one-way analysis of variance form
# (k groups of n, f).

power_f_test <- function(df1, df2, ncp, sig.level = 0.05) {
  result <- .Call(kelbrant_power_f_test,
                  as_numeric_argument(df1, "df1"), as_numeric_argument(df2, "df2"),
                  as_numeric_argument(ncp, "ncp"), as_numeric_argument(sig.level, "sig.level"))
  keep_shape(result, df1)
}

power_f2 <- function(u, v, f2, sig.level = 0.05) {
  result <- .Call(kelbrant_power_f2,
                  as_numeric_argument(u, "u"), as_numeric_argument(v, "v"),
                  as_numeric_argument(f2, "f2"), as_numeric_argument(sig.level, "sig.level"))
  keep_shape(result, u)
}

power_anova <- function(k, n, f, sig.level = 0.05) {
  result <- .Call(kelbrant_power_anova,
                  as_numeric_argument(k, "k"), as_numeric_argument(n, "n"),
                  as_numeric_argument(f, "f"), as_numeric_argument(sig.level, "sig.level"))
  keep_shape(result, k)
}

# The outcome codes of the module's design_outcome, in code order (0 to 3).
design_outcome_names <- c("ok", "invalid", "unreachable", "failed")

sample_size_f2 <- function(u, f2, power, sig.level = 0.05) {
  size <- .Call(kelbrant_sample_size_f2,
                as_numeric_argument(u, "u"), as_numeric_argument(f2, "f2"),
                as_numeric_argument(power, "power"),
                as_numeric_argument(sig.level, "sig.level"))
  size_frame("v", size)
}

sample_size_anova <- function(k, f, power, sig.level = 0.05) {
  size <- .Call(kelbrant_sample_size_anova,
                as_numeric_argument(k, "k"), as_numeric_argument(f, "f"),
                as_numeric_argument(power, "power"),
                as_numeric_argument(sig.level, "sig.level"))
  size_frame("n", size)
}

# The data frame of a sample-size search: the size (named as the design
# names it), the power reached there and the outcome of every row, with a
# warning for rows out of the domain or whose search failed.  Unreachable
# targets are not warned of: their status says so.
size_frame <- function(name, size) {
  status <- factor(design_outcome_names[size[[3L]] + 1L], levels = design_outcome_names)
  if (any(status %in% "invalid")) {
    warning("arguments out of their domain in row(s) ", row_list(status %in% "invalid"),
            "; NA returned", call. = FALSE)
  }
  if (any(status %in% "failed")) {
    warning("the search for a sample size failed in row(s) ",
            row_list(status %in% "failed"), "; NA returned", call. = FALSE)
  }
  frame <- data.frame(size[[1L]], size[[2L]], status)
  names(frame) <- c(name, "power", "status")
  frame
}

# The t tests as pwr.t.test and pwr.t2n.test have them: codes of the
# module's t_test_type.
t_test_types <- c("one.sample", "two.sample", "paired")

power_t_test <- function(n, d, sig.level = 0.05, type = c("two.sample", "one.sample", "paired"),
                         alternative = c("two.sided", "less", "greater"), n2 = NULL) {
  type <- match.arg(type)
  alternative <- match.arg(alternative)
  result <- .Call(kelbrant_power_t, as_numeric_argument(n, "n"),
                  if (is.null(n2)) 0 else as_numeric_argument(n2, "n2"),
                  as_numeric_argument(d, "d"), as_numeric_argument(sig.level, "sig.level"),
                  if (is.null(n2)) match(type, t_test_types) - 1L else 3L,
                  match(alternative, ncp_alternatives) - 1L)
  keep_shape(result, n)
}

sample_size_t_test <- function(d, power, sig.level = 0.05,
                               type = c("two.sample", "one.sample", "paired"),
                               alternative = c("two.sided", "less", "greater"), n1 = NULL) {
  type <- match.arg(type)
  alternative <- match.arg(alternative)
  size <- .Call(kelbrant_sample_size_t,
                if (is.null(n1)) 0 else as_numeric_argument(n1, "n1"),
                as_numeric_argument(d, "d"), as_numeric_argument(power, "power"),
                as_numeric_argument(sig.level, "sig.level"),
                if (is.null(n1)) match(type, t_test_types) - 1L else 3L,
                match(alternative, ncp_alternatives) - 1L)
  size_frame(if (is.null(n1)) "n" else "n2", size)
}
