\name{ncp_ci_chisq}
\alias{ncp_ci_chisq}
\alias{rmsea_ci}
\alias{cohens_w_ci}
\alias{cramers_v_ci}
\title{Confidence Intervals from a Chi-Squared Statistic}
\description{
  Confidence intervals for the noncentrality behind an observed
  chi-squared statistic, and for the effect sizes that are monotone maps
  of it: the RMSEA of a structural equation model, Cohen's \eqn{w}
  (\eqn{\phi}) and Cramér's \eqn{V} of a contingency table.
}
\usage{
ncp_ci_chisq(chisq, df, conf.level = 0.95,
             alternative = c("two.sided", "less", "greater"))
rmsea_ci(chisq, df, n, conf.level = 0.90,
         alternative = c("two.sided", "less", "greater"),
         divisor = c("n-1", "n"))
cohens_w_ci(chisq, df, n, conf.level = 0.95,
            alternative = c("two.sided", "less", "greater"))
cramers_v_ci(chisq, n, nrow, ncol, conf.level = 0.95,
             alternative = c("two.sided", "less", "greater"))
}
\arguments{
  \item{chisq}{observed chi-squared statistics, \eqn{\ge 0}.}
  \item{df}{their degrees of freedom (for \code{cramers_v_ci},
    \eqn{(nrow - 1)(ncol - 1)}).}
  \item{n}{sample sizes.}
  \item{nrow, ncol}{the table's numbers of rows and columns, whole and at
    least 2.}
  \item{conf.level}{confidence levels, in \eqn{(0, 1)}.}
  \item{alternative}{\code{"two.sided"} puts \eqn{(1 - conf.level)/2} in
    each tail; \code{"less"} gives an upper bound alone (lower limit 0),
    \code{"greater"} a lower bound alone (upper limit \code{Inf}).}
  \item{divisor}{the RMSEA's sample-size divisor: \eqn{N - 1} (Steiger and
    Lind; Browne and Cudeck; most SEM software) or \eqn{N} (some
    programs).}
}
\details{
  The lower limit \eqn{\lambda_L} solves
  \eqn{P(X \le \chi^2; df, \lambda_L) = 1 - \alpha} and the upper
  \eqn{P(X \le \chi^2; df, \lambda_U) = \alpha} (Steiger 2004); a limit
  whose equation has no root (the statistic below the central quantile) is
  0.  The effect sizes are
  \deqn{RMSEA = \sqrt{\lambda / (df (N - 1))}, \quad
        w = \phi = \sqrt{\lambda / N}, \quad
        V = \sqrt{\lambda / (N (\min(r, c) - 1))}.}
  The estimates are the same maps of \eqn{\hat\lambda = \max(\chi^2 - df, 0)}
  (since \eqn{E \chi^2 = df + \lambda}), which lie inside their
  intervals.  The conventional \eqn{\sqrt{\chi^2 / (N (\min(r, c) - 1))}}
  overstates the effect by the degrees of freedom and can lie outside the
  interval: for \eqn{\chi^2 = 208.94} on a \eqn{9 \times 11} table of 500 it
  is 0.229 against the 90\% interval [0.150, 0.210].
}
\value{
  A data frame with columns \code{estimate}, \code{lower} and
  \code{upper}, one row per element of the recycled arguments; \code{NA}
  in a row whose arguments are missing or outside their domains (with a
  warning for the latter) or whose search failed (with a warning).
}
\references{
  Steiger, J. H. (2004).  Beyond the F test: effect size confidence
  intervals and tests of close fit in the analysis of variance and
  contrast analysis.  \emph{Psychological Methods} 9, 164--182.

  Steiger, J. H. and Lind, J. C. (1980).  Statistically based tests for
  the number of common factors.  Annual meeting of the Psychometric
  Society, Iowa City.

  Browne, M. W. and Cudeck, R. (1993).  Alternative ways of assessing
  model fit.  In Bollen, K. A. and Long, J. S. (eds.), \emph{Testing
  Structural Equation Models}, 136--162.  Sage.
}
\seealso{\code{\link{nchisq_ncp}}, \code{\link{ncp_ci}} for the F test.}
\examples{
ncp_ci_chisq(1e5, 10)                       # [98755.279, 101234.404]
rmsea_ci(208.94, 80, 500)
cramers_v_ci(208.94, 500, 9, 11, conf.level = 0.9)
cohens_w_ci(12.5, 3, 200, alternative = "greater")
}
\keyword{htest}
