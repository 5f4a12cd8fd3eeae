\name{nchisq_ncp}
\alias{nchisq_ncp}
\alias{nchisq_ncp_status}
\title{Noncentrality of the Noncentral Chi-Squared Distribution}
\description{
  The noncentrality \eqn{\lambda \ge 0} at which the noncentral
  chi-squared distribution function with \code{df} degrees of freedom
  takes the value \code{p} at \code{x}, and why there is none where there
  is none.
}
\usage{
nchisq_ncp(x, df, p)
nchisq_ncp_status(x, df, p)
}
\arguments{
  \item{x}{vector of values of the statistic, \eqn{\ge 0}.}
  \item{df}{degrees of freedom, in \eqn{(2^{-10}, 2^{31} - 1]}.}
  \item{p}{probabilities \eqn{P(X \le x)}, in \eqn{(0, 1)}.}
}
\details{
  \eqn{P(X \le x; df, \lambda)} falls from its central value as
  \eqn{\lambda} grows, so a root exists exactly when \code{p} is at most
  \code{pchisq(x, df)}.  It is found by Halley's method on the logarithm
  of the smaller tail, every step one Poisson sum that gives the tail and
  its first three derivatives in \eqn{\lambda}, inside a bracket; the root
  is good to about \eqn{10^{-12}\kappa} relative,
  \eqn{\kappa = |p/(\lambda\, \partial P/\partial\lambda)|} its condition
  number.  Roots above \eqn{10^7} are not searched for.
}
\value{
  \code{nchisq_ncp}: a numeric vector of roots, \code{NA} where there is
  none.  \code{nchisq_ncp_status}: a factor with levels \code{ok},
  \code{missing} (an \code{NA} or \code{NaN} argument), \code{invalid} (an
  argument outside its domain), \code{no_root} (\code{p} above the
  central probability) and \code{search_failed} (a root exists but was
  not reached).
}
\seealso{\code{\link{ncp_ci_chisq}} for the confidence intervals built on it.}
\examples{
lambda <- nchisq_ncp(10, 3, 0.5)
pnchisq(10, 3, lambda)
nchisq_ncp_status(c(10, 10), 3, c(0.5, 0.99))   # ok, no_root
}
\keyword{distribution}
