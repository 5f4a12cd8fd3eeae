# The outcome codes of the module's fnonct_solve, in code order (0 to 4).
fnonct_outcome_names <- c("ok", "missing", "invalid", "no_root", "search_failed")

solve_fnonct <- function(x, df1, df2, p) {
  .Call(kelbrant_fnonct,
        as_numeric_argument(x, "x"), as_numeric_argument(df1, "df1"),
        as_numeric_argument(df2, "df2"), as_numeric_argument(p, "p"))
}

fnonct <- function(x, df1, df2, p) {
  keep_shape(solve_fnonct(x, df1, df2, p)[[1L]], x)
}

fnonct_status <- function(x, df1, df2, p) {
  code <- solve_fnonct(x, df1, df2, p)[[2L]]
  keep_shape(factor(fnonct_outcome_names[code + 1L], levels = fnonct_outcome_names), x)
}
