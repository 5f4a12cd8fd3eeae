pncf <- function(q, df1, df2, ncp, lower.tail = TRUE, log.p = FALSE) {
  result <- .Call(kelbrant_pncf,
                  as_numeric_argument(q, "q"), as_numeric_argument(df1, "df1"),
                  as_numeric_argument(df2, "df2"), as_numeric_argument(ncp, "ncp"),
                  as_flag(lower.tail, "lower.tail"), as_flag(log.p, "log.p"))
  keep_shape(result, q)
}

dncf <- function(x, df1, df2, ncp, log = FALSE) {
  result <- .Call(kelbrant_dncf,
                  as_numeric_argument(x, "x"), as_numeric_argument(df1, "df1"),
                  as_numeric_argument(df2, "df2"), as_numeric_argument(ncp, "ncp"),
                  as_flag(log, "log"))
  keep_shape(result, x)
}

qncf <- function(p, df1, df2, ncp, lower.tail = TRUE, log.p = FALSE) {
  result <- .Call(kelbrant_qncf,
                  as_numeric_argument(p, "p"), as_numeric_argument(df1, "df1"),
                  as_numeric_argument(df2, "df2"), as_numeric_argument(ncp, "ncp"),
                  as_flag(lower.tail, "lower.tail"), as_flag(log.p, "log.p"))
  keep_shape(result, p)
}
