\name{pnchisq}
\alias{pnchisq}
\alias{dnchisq}
\alias{qnchisq}
\title{The Noncentral Chi-Squared Distribution}
\description{
  Distribution function, density and quantile function of the noncentral
  chi-squared distribution with \code{df} degrees of freedom and
  noncentrality \code{ncp}, accurate far into both tails and, on the log
  scale, far beyond the range of double-precision numbers.
}
\usage{
pnchisq(q, df, ncp = 0, lower.tail = TRUE, log.p = FALSE)
dnchisq(x, df, ncp = 0, log = FALSE)
qnchisq(p, df, ncp = 0, lower.tail = TRUE, log.p = FALSE)
}
\arguments{
  \item{q, x}{vector of quantiles.}
  \item{p}{vector of probabilities.}
  \item{df}{degrees of freedom, in \eqn{(2^{-10}, 2^{31} - 1]}; they need
    not be integers.}
  \item{ncp}{noncentrality parameter, in \eqn{[0, 10^7]}.}
  \item{lower.tail}{if \code{TRUE}, probabilities are \eqn{P(X \le q)},
    otherwise \eqn{P(X > q)}.}
  \item{log.p, log}{if \code{TRUE}, probabilities and densities are given
    as their natural logarithms.}
}
\details{
  The distribution function is the Poisson mixture
  \deqn{P(X \le q) = \sum_{j \ge 0} e^{-\lambda/2} \frac{(\lambda/2)^j}{j!}
    P(df/2 + j, q/2),}
  with \eqn{\lambda} = \code{ncp} and \eqn{P} the regularized incomplete
  gamma function, summed from the Poisson mode outward in both directions
  in extended precision, with the start terms carried in logarithms.  Each
  tail is formed directly (the smaller is never one minus the larger), so
  \code{pnchisq(1500, 10, 10, lower.tail = FALSE)} is
  \eqn{1.4 \times 10^{-272}} to full precision and its logarithm stays
  finite far below that.  The density is the Poisson mixture of gamma
  densities summed about its largest term; the quantile is found by
  Newton's method on the logarithm of the smaller tail.

  Where R's \code{\link{pchisq}} with \code{ncp} is accurate the results
  agree with it to about \eqn{10^{-14}}; \code{pchisq}'s upper tail is one
  minus the lower for most arguments and loses its relative accuracy far
  out, where \code{pnchisq} keeps it.  Unlike \code{pchisq},
  \code{df = 0} (a point mass at 0) is not accepted.

  Below the support (\eqn{q \le 0}) the lower tail is 0, at \code{Inf} it
  is 1.  At 0 the density is infinite for \eqn{df < 2},
  \eqn{e^{-\lambda/2}/2} for \eqn{df = 2} and 0 above.  A quantile below
  \eqn{2^{-1022}} (possible for \code{df} far below 1) is returned as 0.
}
\value{
  A numeric vector, the arguments recycled to the longest; names and
  dimensions of the first argument carry over.  \code{NA} in an argument
  gives \code{NA}, \code{NaN} gives \code{NaN}.  Parameters outside their
  domains give \code{NaN} with the warning \dQuote{NaNs produced}; an
  element the routines cannot answer (their sums fail rather than return a
  truncated value) gives \code{NaN} with a warning saying how many.
}
\references{
  Johnson, N. L., Kotz, S. and Balakrishnan, N. (1995).
  \emph{Continuous Univariate Distributions}, volume 2, chapter 29.  Wiley.

  Ding, C. G. (1992).  Algorithm AS 275: Computing the non-central
  \eqn{\chi^2} distribution function.  \emph{Applied Statistics} 41,
  478--482.
}
\seealso{\code{\link{nchisq_ncp}} for the inversion in \code{ncp},
  \code{\link{pchisq}}.}
\examples{
pnchisq(5, df = 3, ncp = 2)
pnchisq(1500, 10, 10, lower.tail = FALSE)           # 1.4e-272, not 0
pnchisq(2e6, 10, 1e6, lower.tail = FALSE, log.p = TRUE)
dnchisq(c(0.5, 5, 50), df = 3, ncp = 2)
q <- qnchisq(0.95, df = 10, ncp = 5)
pnchisq(q, 10, 5)
}
\keyword{distribution}
