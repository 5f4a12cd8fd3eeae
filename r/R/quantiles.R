# The central F quantile and the inverse of the regularized incomplete beta
# ratio, in R's quantile conventions (p, lower.tail, log.p).

qf_exact <- function(p, df1, df2, lower.tail = TRUE, log.p = FALSE) {
  result <- .Call(kelbrant_qf,
                  as_numeric_argument(p, "p"), as_numeric_argument(df1, "df1"),
                  as_numeric_argument(df2, "df2"),
                  as_flag(lower.tail, "lower.tail"), as_flag(log.p, "log.p"))
  keep_shape(result, p)
}

qbeta_exact <- function(p, shape1, shape2, lower.tail = TRUE, log.p = FALSE) {
  result <- .Call(kelbrant_qbeta,
                  as_numeric_argument(p, "p"), as_numeric_argument(shape1, "shape1"),
                  as_numeric_argument(shape2, "shape2"),
                  as_flag(lower.tail, "lower.tail"), as_flag(log.p, "log.p"))
  keep_shape(result, p)
}
