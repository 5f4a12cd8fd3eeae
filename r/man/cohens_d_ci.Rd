\name{cohens_d_ci}
\alias{cohens_d_ci}
\alias{ncp_ci_t}
\title{Confidence Intervals for the Noncentrality of t and for Cohen's d}
\description{
  The confidence interval for the noncentrality \eqn{\delta} behind an
  observed t statistic (Steiger and Fouladi 1997), and from it the
  intervals for the standardized mean difference, Cohen's \eqn{d} and
  Hedges' \eqn{g}, of one sample, paired differences or two groups.
}
\usage{
ncp_ci_t(t, df, conf.level = 0.95,
         alternative = c("two.sided", "less", "greater"))
cohens_d_ci(t, n1, n2 = NULL, df = NULL, conf.level = 0.95,
            alternative = c("two.sided", "less", "greater"))
}
\arguments{
  \item{t}{the observed t statistic, finite.}
  \item{df}{its degrees of freedom, \eqn{> 0}; for \code{cohens_d_ci}
    \eqn{n_1 - 1} (one sample) or \eqn{n_1 + n_2 - 2} (two groups) unless
    given.}
  \item{n1, n2}{the sample sizes: \code{n1} observations or pairs when
    \code{n2} is \code{NULL}, else two groups of \code{n1} and \code{n2}.}
  \item{conf.level}{the confidence level, \eqn{0 < conf.level < 1}.}
  \item{alternative}{\code{"two.sided"} puts \eqn{(1 - conf.level)/2} in
    each tail; \code{"less"} gives an upper bound alone (lower \code{-Inf}),
    \code{"greater"} a lower bound alone (upper \code{Inf}).}
}
\details{
  The lower limit solves \eqn{P(T > t; df, \delta_L) = \alpha} and the
  upper \eqn{P(T \le t; df, \delta_U) = \alpha} (\code{\link{nct_ncp}}).
  The limits map to \eqn{d = \delta/\sqrt{n_1}} (one sample, pairs) or
  \eqn{d = \delta\sqrt{1/n_1 + 1/n_2}} (two groups), and to \eqn{g = J d}
  with Hedges' correction
  \eqn{J = \Gamma(df/2) / (\sqrt{df/2}\,\Gamma((df - 1)/2))}, computed
  without overflow for any \eqn{df > 1}.
}
\value{
  \code{ncp_ci_t}: a data frame with columns \code{lower} and \code{upper}.
  \code{cohens_d_ci}: a data frame with the estimate \code{d}, its limits
  \code{lower}, \code{upper}, and \code{g}, \code{g.lower}, \code{g.upper};
  \code{NA} with a warning in rows whose arguments are out of their domain.
}
\references{
  Steiger, J. H. and Fouladi, R. T. (1997).  Noncentrality interval
  estimation and the evaluation of statistical models.  In Harlow, L. L.,
  Mulaik, S. A. and Steiger, J. H. (eds.), \emph{What If There Were No
  Significance Tests?}, 221--257.

  Hedges, L. V. (1981).  Distribution theory for Glass's estimator of
  effect size and related estimators.  \emph{Journal of Educational
  Statistics} 6, 107--128.
}
\examples{
# One sample of 1e6 + 1 with t = 55: other tools give [48.4, 63.5].
ncp_ci_t(55, 1e6)
cohens_d_ci(2.5, n1 = 21)
cohens_d_ci(2.1, n1 = 12, n2 = 15, alternative = "greater")
}
\keyword{htest}
