\name{qf_exact}
\alias{qf_exact}
\alias{qbeta_exact}
\title{Quantiles of the Central F and Beta Distributions}
\description{
  The quantile function of the central F distribution with \code{df1}
  and \code{df2} degrees of freedom, and the inverse of the regularized
  incomplete beta ratio (the quantile function of the beta distribution),
  each to full relative precision in either tail.
}
\usage{
qf_exact(p, df1, df2, lower.tail = TRUE, log.p = FALSE)
qbeta_exact(p, shape1, shape2, lower.tail = TRUE, log.p = FALSE)
}
\arguments{
  \item{p}{vector of probabilities.}
  \item{df1, df2}{degrees of freedom, \eqn{0 < df \le 4294967294}; they
    need not be integers.}
  \item{shape1, shape2}{the shapes \eqn{a} and \eqn{b} of the beta law,
    \eqn{0 < a, b \le 2147483647}.}
  \item{lower.tail}{if \code{TRUE}, \code{p} is \eqn{P(X \le x)},
    otherwise \eqn{P(X > x)}.}
  \item{log.p}{if \code{TRUE}, \code{p} is given as its natural
    logarithm.}
}
\details{
  \code{qbeta_exact} returns the \eqn{x} with \eqn{I_x(a, b) = p} (lower
  tail) or \eqn{1 - I_x(a, b) = p} (upper tail), \eqn{I} the regularized
  incomplete beta ratio.  The iteration solves for the smaller of \eqn{x}
  and \eqn{1 - x}: Halley's steps in \eqn{\ln x} on
  \eqn{\ln I_x(a, b) - \ln p}, from the leading term of the series at 0
  or Abramowitz and Stegun 26.5.22, inside a bracket that a step may not
  leave.  Since the tail is given directly, an upper-tail probability
  such as \eqn{10^{-300}} keeps every digit; so does a log probability
  near 0, which is passed on as the other tail's \eqn{-\mathrm{expm1}(p)}.

  \code{qf_exact} is \eqn{f = (df_2/df_1)\, x/(1 - x)} for the beta
  quantile \eqn{x} at shapes \eqn{df_1/2}, \eqn{df_2/2}, formed from
  \eqn{x} and \eqn{1 - x} as the iteration returns them, so that the
  far upper tail keeps its digits.  The critical value of the level
  \eqn{\alpha} F test is \code{qf_exact(alpha, df1, df2, lower.tail = FALSE)}.

  Against mpmath the quantiles agree to \eqn{10^{-14}} relative over
  shapes \eqn{10^{-3}} to \eqn{10^7} and probabilities \eqn{10^{-300}} to
  \eqn{1 - 10^{-16}}, where the problem is well conditioned; where
  \eqn{x} moves by much more than \eqn{p} does (tiny shapes) the error is
  that of the tail itself times the conditioning.
}
\value{
  A numeric vector, the arguments recycled to the longest; names and
  dimensions of \code{p} carry over.  \code{p = 0} and \code{p = 1} give
  the ends of the support (\code{Inf} for the F upper end).  \code{NA}
  in an argument gives \code{NA}, \code{NaN} gives \code{NaN}.  A
  probability outside \eqn{[0, 1]} or a parameter outside its domain
  gives \code{NaN} with the warning \dQuote{NaNs produced}; an element
  whose iteration did not converge gives \code{NaN} with a warning
  saying how many.
}
\seealso{\code{\link{qf}}, \code{\link{qbeta}}, \code{\link{power_f_test}}.}
\examples{
qf_exact(0.95, 3, 10)                       # 3.708265
qf(0.95, 3, 10)

# the critical value at alpha = 1e-300: P(F > f) = 1/(1 + f) at (2, 2)
qf_exact(1e-300, 2, 2, lower.tail = FALSE)  # 1e300
qf(1e-300, 2, 2, lower.tail = FALSE)

qbeta_exact(c(0.1, 0.5, 0.9), 2, 3)
qbeta_exact(1e-200, 5, 40)
qbeta_exact(-1e-30, 2, 3, log.p = TRUE)    # P(X <= x) = 1 - 1e-30
}
\keyword{distribution}
