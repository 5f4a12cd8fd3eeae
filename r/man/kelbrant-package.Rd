\name{kelbrant-package}
\alias{kelbrant-package}
\alias{kelbrant}
\docType{package}
\title{The Noncentral F Distribution and Confidence Intervals for Effect Sizes}
\description{
  The noncentrality parameter at which the noncentral F distribution
  function takes a given probability (\code{\link{fnonct}}), the
  distribution function and density (\code{\link{pncf}},
  \code{\link{dncf}}), and exact confidence intervals for the
  noncentrality, partial \eqn{\eta^2} and Cohen's \eqn{f^2}
  (\code{\link{ncp_ci}}, \code{\link{eta2_ci}}, \code{\link{f2_ci}}).  The
  numerics are the kelbrant module's own, compiled from the same sources.
}
\examples{
fnonct(2, 3, 10, 0.5)
ncp_ci(4.2, 3, 40)
}
\keyword{package}
