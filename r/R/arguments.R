# Argument handling shared by the exported functions: every numeric argument
# becomes a double vector (NA of any type allowed), anything else stops with
# a message naming the argument.

as_numeric_argument <- function(value, name) {
  if (is.numeric(value) || (is.logical(value) && all(is.na(value)))) {
    return(as.double(value))
  }
  stop(sprintf("'%s' must be numeric, not %s", name, class(value)[1L]), call. = FALSE)
}

as_flag <- function(value, name) {
  if (!is.logical(value) || length(value) != 1L || is.na(value)) {
    stop(sprintf("'%s' must be TRUE or FALSE", name), call. = FALSE)
  }
  value
}

# The names, dim and dimnames of the first argument carry over to a result
# of its length, as with R's own distribution functions.
keep_shape <- function(result, first) {
  if (length(result) == length(first)) {
    for (a in c("names", "dim", "dimnames")) {
      attr(result, a) <- attr(first, a)
    }
  }
  result
}
