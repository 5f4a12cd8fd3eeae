# Power and sample size of the chi-square test, as pwr.chisq.test has them
# (effect size w, sample size N, lambda = N w^2).

power_chisq_test <- function(w, n, df, sig.level = 0.05) {
  result <- .Call(kelbrant_power_chisq_test,
                  as_numeric_argument(w, "w"), as_numeric_argument(n, "n"),
                  as_numeric_argument(df, "df"), as_numeric_argument(sig.level, "sig.level"))
  keep_shape(result, w)
}

sample_size_chisq_test <- function(w, df, power, sig.level = 0.05) {
  size <- .Call(kelbrant_sample_size_chisq_test,
                as_numeric_argument(w, "w"), as_numeric_argument(df, "df"),
                as_numeric_argument(power, "power"),
                as_numeric_argument(sig.level, "sig.level"))
  size_frame("n", size)
}
