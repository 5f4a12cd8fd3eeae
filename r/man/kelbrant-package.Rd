\name{kelbrant-package}
\alias{kelbrant-package}
\alias{kelbrant}
\docType{package}
\title{The Noncentral F Distribution, Confidence Intervals for Effect Sizes, Power}
\description{
  The noncentrality parameter at which the noncentral F distribution
  function takes a given probability (\code{\link{fnonct}}), the
  distribution function and density (\code{\link{pncf}},
  \code{\link{dncf}}), and exact confidence intervals for the
  noncentrality, partial \eqn{\eta^2} and Cohen's \eqn{f^2}
  (\code{\link{ncp_ci}}, \code{\link{eta2_ci}}, \code{\link{f2_ci}}),
  the central F and beta quantiles (\code{\link{qf_exact}},
  \code{\link{qbeta_exact}}), and the power and sample size of the F test
  (\code{\link{power_f2}}, \code{\link{power_anova}},
  \code{\link{sample_size_f2}}, \code{\link{sample_size_anova}}), with
  pictures of them (\code{\link{plot_power}},
  \code{\link{plot_confidence_curve}}).  The
  numerics are the kelbrant module's own, compiled from the same sources.
}
\examples{
fnonct(2, 3, 10, 0.5)
ncp_ci(4.2, 3, 40)
sample_size_f2(u = 3, f2 = 0.15, power = 0.8)
}
\keyword{package}
