# The noncentral chi-square distribution: distribution function, density,
# quantile (base R's pchisq/dchisq/qchisq conventions), and the inversion in
# the noncentrality.

pnchisq <- function(q, df, ncp = 0, lower.tail = TRUE, log.p = FALSE) {
  result <- .Call(kelbrant_pnchisq,
                  as_numeric_argument(q, "q"), as_numeric_argument(df, "df"),
                  as_numeric_argument(ncp, "ncp"),
                  as_flag(lower.tail, "lower.tail"), as_flag(log.p, "log.p"))
  keep_shape(result, q)
}

dnchisq <- function(x, df, ncp = 0, log = FALSE) {
  result <- .Call(kelbrant_dnchisq,
                  as_numeric_argument(x, "x"), as_numeric_argument(df, "df"),
                  as_numeric_argument(ncp, "ncp"), as_flag(log, "log"))
  keep_shape(result, x)
}

qnchisq <- function(p, df, ncp = 0, lower.tail = TRUE, log.p = FALSE) {
  result <- .Call(kelbrant_qnchisq,
                  as_numeric_argument(p, "p"), as_numeric_argument(df, "df"),
                  as_numeric_argument(ncp, "ncp"),
                  as_flag(lower.tail, "lower.tail"), as_flag(log.p, "log.p"))
  keep_shape(result, p)
}

solve_nchisq_ncp <- function(x, df, p) {
  .Call(kelbrant_nchisq_ncp,
        as_numeric_argument(x, "x"), as_numeric_argument(df, "df"),
        as_numeric_argument(p, "p"))
}

nchisq_ncp <- function(x, df, p) {
  keep_shape(solve_nchisq_ncp(x, df, p)[[1L]], x)
}

nchisq_ncp_status <- function(x, df, p) {
  code <- solve_nchisq_ncp(x, df, p)[[2L]]
  keep_shape(factor(fnonct_outcome_names[code + 1L], levels = fnonct_outcome_names), x)
}
