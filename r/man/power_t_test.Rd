\name{power_t_test}
\alias{power_t_test}
\alias{sample_size_t_test}
\title{Power and Sample Size of the t Tests}
\description{
  The power of the one-sample, two-sample and paired t tests, and of the
  two-sample test with unequal groups, as \code{pwr.t.test} and
  \code{pwr.t2n.test} of the package \pkg{pwr} define it, and the smallest
  whole sample size that reaches a given power.
}
\usage{
power_t_test(n, d, sig.level = 0.05, type = c("two.sample", "one.sample", "paired"),
             alternative = c("two.sided", "less", "greater"), n2 = NULL)
sample_size_t_test(d, power, sig.level = 0.05,
                   type = c("two.sample", "one.sample", "paired"),
                   alternative = c("two.sided", "less", "greater"), n1 = NULL)
}
\arguments{
  \item{n}{observations (one sample), pairs, or observations per group
    (two samples); with \code{n2}, the first group's size.}
  \item{n2}{the second group's size (unequal groups).}
  \item{n1}{for \code{sample_size_t_test}: the first group's size, given,
    when the second's is sought.}
  \item{d}{Cohen's \eqn{d}; for two sides its absolute value is used.}
  \item{power}{the power to reach, \eqn{0 < power < 1}.}
  \item{sig.level}{the level \eqn{\alpha}, \eqn{0 < \alpha < 1}.}
  \item{type}{the design.}
  \item{alternative}{the alternative hypothesis.}
}
\details{
  \tabular{ll}{
    one sample, pairs \tab \eqn{df = n - 1}, \eqn{\delta = d\sqrt{n}} \cr
    two samples \tab \eqn{df = 2(n - 1)}, \eqn{\delta = d\sqrt{n/2}} \cr
    unequal groups \tab \eqn{df = n_1 + n_2 - 2},
      \eqn{\delta = d/\sqrt{1/n_1 + 1/n_2}}
  }
  The power is \eqn{P(T > t_c)} (\code{"greater"}), \eqn{P(T \le -t_c)}
  (\code{"less"}) or their sum with \eqn{\alpha/2} in each tail
  (\code{"two.sided"}), \eqn{T} noncentral t with \eqn{df} and
  \eqn{\delta} (\code{\link{pnct}}), \eqn{t_c} the central t quantile.
  The sample size is the smallest whole size whose power reaches the
  target; \pkg{pwr} reports the fractional root of its \code{uniroot}
  instead, whose default tolerance leaves it some \eqn{10^{-4}} off.
}
\value{
  \code{power_t_test}: the power.  \code{sample_size_t_test}: a data frame
  of the size (\code{n}, or \code{n2}), the power it reaches and the
  status (\code{"ok"}, \code{"invalid"}, \code{"unreachable"},
  \code{"failed"}).
}
\examples{
power_t_test(n = 20, d = 0.5)
power_t_test(n = 30, d = 0.4, type = "paired", alternative = "greater")
power_t_test(n = 10, d = 0.6, n2 = 30)
sample_size_t_test(d = 0.5, power = 0.8)
}
\keyword{htest}
