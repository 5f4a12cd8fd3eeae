\name{pnct}
\alias{pnct}
\alias{dnct}
\alias{qnct}
\alias{nct_ncp}
\title{The Noncentral t Distribution and its Noncentrality}
\description{
  Distribution function, density and quantile function of the noncentral
  t distribution with \code{df} degrees of freedom and noncentrality
  \code{ncp}, exact to double precision for noncentralities far beyond
  the \eqn{|ncp| \le 37.62} of \code{\link{pt}}, and \code{nct_ncp}, the
  noncentrality at which the distribution function takes a given value.
}
\usage{
pnct(q, df, ncp, lower.tail = TRUE, log.p = FALSE)
dnct(x, df, ncp, log = FALSE)
qnct(p, df, ncp, lower.tail = TRUE, log.p = FALSE)
nct_ncp(t, df, p, lower.tail = TRUE)
}
\arguments{
  \item{q, x, t}{vector of quantiles.}
  \item{p}{vector of probabilities.}
  \item{df}{degrees of freedom, \eqn{0 < df \le 4294967294} or \code{Inf}
    (the normal law with mean \code{ncp}).}
  \item{ncp}{noncentrality \eqn{\delta}, any finite value.}
  \item{lower.tail}{if \code{TRUE}, probabilities are \eqn{P(T \le t)},
    otherwise \eqn{P(T > t)}.}
  \item{log.p, log}{if \code{TRUE}, probabilities and densities are given
    as their logarithms.}
}
\details{
  \eqn{T = (Z + \delta)/\sqrt{V/df}} with \eqn{Z} standard normal and
  \eqn{V} chi-square on \code{df} degrees of freedom.  Both tails are
  computed to their own relative precision (the smaller one directly, not
  as one minus the other), and their logarithms stay finite far below the
  double range.  For \eqn{t, \delta \ge 0} the Poisson-weighted incomplete
  beta series of Lenth (1989) is summed from its mode in both directions;
  where \eqn{t} and \eqn{\delta} differ in sign, where the series would
  cancel, and for large noncentralities the integral
  \eqn{E[\Phi(t S - \delta)]} over the chi scale \eqn{S} is taken by the
  trapezoidal rule.

  \code{nct_ncp} returns the \eqn{\delta} with \code{pnct(t, df, delta,
  lower.tail) == p}: the distribution function falls from 1 to 0 as
  \eqn{\delta} runs over the reals, so there is one for every
  \eqn{0 < p < 1}.  It is found by Halley's method on the logarithm of
  the smaller tail, the slope and curvature in \eqn{\delta} coming from
  the same sum as the probability.

  The arguments are recycled; \code{NA} gives \code{NA}, other \code{NaN}
  \code{NaN}; arguments outside their domain give \code{NaN} with a
  warning.
}
\value{
  A numeric vector of the length of the longest argument.
}
\references{
  Lenth, R. V. (1989).  Algorithm AS 243: Cumulative distribution function
  of the non-central t distribution.  \emph{Applied Statistics} 38,
  185--189.

  Benton, D. and Krishnamoorthy, K. (2003).  Computing discrete mixtures
  of continuous distributions.  \emph{Computational Statistics and Data
  Analysis} 43, 249--267.
}
\seealso{\code{\link{cohens_d_ci}} for the intervals built on
  \code{nct_ncp}, \code{\link{pt}}.}
\examples{
pnct(1.5, 10, 1)
pnct(55, 1e6, 53, lower.tail = FALSE, log.p = TRUE)
dnct(c(-1, 0, 1), 5, 0.5)
qnct(0.975, 20, 2)
# The noncentrality that puts t = 55 at the 97.5\% point, df = 1e6.
nct_ncp(55, 1e6, 0.975)
}
\keyword{distribution}
