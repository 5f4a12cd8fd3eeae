\name{power_chisq_test}
\alias{power_chisq_test}
\alias{sample_size_chisq_test}
\title{Power and Sample Size of the Chi-Squared Test}
\description{
  The power of the level-\eqn{\alpha} chi-squared test with effect size
  \eqn{w} and sample size \eqn{N}, and the sample size at which it reaches
  a given power, as \code{pwr::pwr.chisq.test} defines them.
}
\usage{
power_chisq_test(w, n, df, sig.level = 0.05)
sample_size_chisq_test(w, df, power, sig.level = 0.05)
}
\arguments{
  \item{w}{Cohen's effect size \eqn{w \ge 0}.}
  \item{n}{sample sizes.}
  \item{df}{degrees of freedom of the test.}
  \item{power}{target powers, in \eqn{(0, 1)}, above \code{sig.level}.}
  \item{sig.level}{significance levels, in \eqn{(0, 1)}.}
}
\details{
  The power is \eqn{P(X > x_c; df, \lambda)} with \eqn{\lambda = N w^2}
  and \eqn{x_c} the central quantile with upper tail \code{sig.level}
  (Cohen 1988, chapter 7), the upper tail computed directly rather than as
  one minus the lower.  The sample size is the root of power = target, a
  real number as \code{pwr.chisq.test} gives it (round it up for a
  design); \code{pwr.chisq.test}'s root is good to its \code{uniroot}
  tolerance, about \eqn{10^{-4}}, this one to about \eqn{10^{-13}}.
}
\value{
  \code{power_chisq_test}: a numeric vector, \code{NaN} with a warning
  outside the domain.  \code{sample_size_chisq_test}: a data frame with
  columns \code{n}, \code{power} (reached at \code{n}) and \code{status}
  (\code{ok}, \code{invalid}, \code{unreachable}: the target power is not
  above the level, or \code{failed}).
}
\references{
  Cohen, J. (1988).  \emph{Statistical Power Analysis for the Behavioral
  Sciences}, 2nd edition.  Erlbaum.
}
\examples{
power_chisq_test(0.3, 100, 3)               # pwr.chisq.test: 0.7112536
sample_size_chisq_test(0.3, 3, power = 0.8) # pwr.chisq.test: 121.1396
}
\keyword{htest}
