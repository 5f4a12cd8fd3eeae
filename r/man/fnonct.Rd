\name{fnonct}
\alias{fnonct}
\alias{fnonct_status}
\title{Noncentrality of the Noncentral F Distribution at a Given Probability}
\description{
  \code{fnonct} finds the noncentrality parameter \eqn{\lambda \ge 0} of
  the noncentral F distribution with \code{df1} and \code{df2} degrees of
  freedom whose distribution function at \code{x} equals \code{p}:
  \eqn{P(F' \le x; \lambda) = p}.  \code{fnonct_status} tells, element by
  element, why there is an answer or none.
}
\usage{
fnonct(x, df1, df2, p)
fnonct_status(x, df1, df2, p)
}
\arguments{
  \item{x}{the observed value of the F statistic, \eqn{x \ge 0}.}
  \item{df1, df2}{numerator and denominator degrees of freedom, \eqn{> 0};
    they need not be integers.}
  \item{p}{the probability, \eqn{0 < p < 1}.}
}
\details{
  \eqn{P(F' \le x; \lambda)} falls steadily as \eqn{\lambda} grows, from
  the central probability \eqn{P_0} at \eqn{\lambda = 0} towards 0, so a
  solution exists only for \eqn{p \le P_0} (and \eqn{p = P_0} gives 0).
  The root is found by a false-position start on a cube-root normal
  approximation of the distribution function, then Newton's method on the
  exact distribution function, a Poisson mixture of incomplete beta ratios,
  in the package's own double-precision numerics.

  The arguments are recycled to the length of the longest, as in R's own
  distribution functions; an argument of length zero gives a result of
  length zero.  Names and dimensions of \code{x} carry over to the result.
}
\value{
  \code{fnonct}: a numeric vector of \eqn{\lambda}, \code{NA} wherever
  there is no answer.

  \code{fnonct_status}: a factor of the same length with levels
  \describe{
    \item{\code{"ok"}}{\eqn{\lambda} found;}
    \item{\code{"missing"}}{an argument is \code{NA} or \code{NaN};}
    \item{\code{"invalid"}}{an argument is outside its domain
      (\eqn{x \ge 0}, \code{df1} \eqn{> 0}, \code{df2} \eqn{> 0},
      \eqn{0 < p < 1});}
    \item{\code{"no_root"}}{no \eqn{\lambda} gives \code{p} at \code{x}:
      \code{p} exceeds the central probability (always so at
      \eqn{x = 0});}
    \item{\code{"search_failed"}}{a root exists but the search did not
      reach it (for instance \eqn{p > 0.9999999}).}
  }
}
\seealso{
  \code{\link{ncp_ci}} for confidence intervals built on it,
  \code{\link{pncf}} for the distribution function.
}
\examples{
fnonct(2, 3, 10, 0.5)                  # 3.559098
pncf(2, 3, 10, fnonct(2, 3, 10, 0.5))  # 0.5

# vectorised; the reason where there is no answer
x <- c(2, NA, 2, 0.5)
fnonct(x, 3, 10, c(0.5, 0.5, 1.5, 0.9))
fnonct_status(x, 3, 10, c(0.5, 0.5, 1.5, 0.9))
}
\keyword{distribution}
