\name{ncp_ci}
\alias{ncp_ci}
\alias{eta2_ci}
\alias{f2_ci}
\title{Confidence Intervals for the Noncentrality and the Effect Size of an F Test}
\description{
  \code{ncp_ci} gives the confidence interval for the noncentrality
  parameter \eqn{\lambda} of the noncentral F distribution from an observed
  F statistic, by inverting the distribution function in \eqn{\lambda}
  (Steiger 2004).  \code{eta2_ci} and \code{f2_ci} turn it into intervals
  for partial \eqn{\eta^2} and Cohen's \eqn{f^2} for a total sample size
  \code{n}.
}
\usage{
ncp_ci(f, df1, df2, conf.level = 0.95,
       alternative = c("two.sided", "less", "greater"))
eta2_ci(f, df1, df2, n, conf.level = 0.95,
        alternative = c("two.sided", "less", "greater"))
f2_ci(f, df1, df2, n, conf.level = 0.95,
      alternative = c("two.sided", "less", "greater"))
}
\arguments{
  \item{f}{the observed F statistic, \eqn{\ge 0}.}
  \item{df1, df2}{numerator and denominator degrees of freedom, \eqn{> 0}.}
  \item{conf.level}{confidence level, \eqn{0 <} \code{conf.level}
    \eqn{< 1}.}
  \item{alternative}{\code{"two.sided"} for both limits,
    \code{"less"} for an upper bound alone (the lower limit is 0),
    \code{"greater"} for a lower bound alone (the upper limit is
    \code{Inf}).}
  \item{n}{the total sample size \eqn{N}, \eqn{> 0}.}
}
\details{
  \eqn{P(F' \le f; \lambda)} falls from the central probability \eqn{P_0}
  at \eqn{\lambda = 0} towards 0 as \eqn{\lambda} grows.  With
  \eqn{\alpha} = (1 - \code{conf.level})/2 for two sides and
  1 - \code{conf.level} for one, the lower limit solves
  \eqn{P(F' \le f; \lambda) = 1 - \alpha} and the upper limit
  \eqn{P(F' \le f; \lambda) = \alpha}, each by \code{\link{fnonct}}.  A
  limit whose equation has no root (\eqn{P_0} already below its
  probability) is 0: the lower limit is 0 when \eqn{P_0 < 1 - \alpha}, and
  both are 0 when \eqn{P_0 < \alpha}.

  The effect sizes are monotone functions of \eqn{\lambda}, so their
  limits are the functions of its limits (Steiger 2004):
  \deqn{f^2 = \lambda / N, \qquad \eta^2 = \lambda / (\lambda + N),}
  the latter 1 at \eqn{\lambda = \infty}.  In a one-way analysis of
  variance of \eqn{k} groups, \eqn{N = df_1 + df_2 + 1}.  With
  \code{n = df2} the \eqn{\eta^2} limits are those of the transformation
  \eqn{\lambda / (\lambda + df_2)} used by \code{F_to_eta2} of the
  \pkg{effectsize} package.

  All arguments are recycled to the longest.  The tails are formed in
  double precision: for \code{conf.level = 0.95} the upper limit solves
  \eqn{P = 0.5 (1 - 0.95) = 0.025 + 2.2 \times 10^{-17}}, which moves it
  by a few units in the last place.
}
\value{
  A data frame with columns \code{lower} and \code{upper}, one row per
  element.  A row whose arguments are \code{NA} or outside their domains
  (with a warning), or whose search did not converge (with a warning), is
  \code{NA}.
}
\references{
  Steiger, J. H. (2004).  Beyond the F test: effect size confidence
  intervals and tests of close fit in the analysis of variance and
  contrast analysis.  \emph{Psychological Methods}, \bold{9}(2), 164--182.
  \doi{10.1037/1082-989X.9.2.164}
}
\seealso{\code{\link{fnonct}}, \code{\link{pncf}}.}
\examples{
# F = 4.2 on (3, 40): the 95\% interval for lambda
ncp_ci(4.2, 3, 40)

# one-way ANOVA with N = 44: partial eta squared and f squared
eta2_ci(4.2, 3, 40, n = 44)
f2_ci(4.2, 3, 40, n = 44)

# a small F: the lower limit is 0, and for the smallest both are
ncp_ci(c(4.2, 2, 0.05), 3, c(40, 10, 10))

# a lower bound alone
ncp_ci(4.2, 3, 40, alternative = "greater")
}
\keyword{htest}
