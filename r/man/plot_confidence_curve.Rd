\name{plot_confidence_curve}
\alias{plot_confidence_curve}
\title{The Confidence Curve of an Observed F}
\description{
  Draws the distribution function \eqn{P(F' \le f; df_1, df_2, \lambda)}
  of an observed F statistic against the noncentrality \eqn{\lambda},
  with the confidence interval for \eqn{\lambda} marked: the interval
  collects the \eqn{\lambda} at which the curve lies within the tails.
}
\usage{
plot_confidence_curve(f, df1, df2, conf.level = 0.95,
                      alternative = c("two.sided", "less", "greater"),
                      ncp = NULL, ...)
}
\arguments{
  \item{f}{the observed F statistic, one value.}
  \item{df1, df2}{its degrees of freedom.}
  \item{conf.level}{the confidence level.}
  \item{alternative}{\code{"two.sided"} for the interval between the tails
    \eqn{\alpha/2} and \eqn{1 - \alpha/2}, \eqn{\alpha = 1 -}
    \code{conf.level}; \code{"less"} for the upper bound alone (tail
    \eqn{\alpha}), \code{"greater"} for the lower bound alone (tail
    \eqn{1 - \alpha}), as in \code{\link{ncp_ci}}.}
  \item{ncp}{the noncentralities on the horizontal axis; by default 201
    points from 0 to 1.5 times the upper limit.}
  \item{\dots}{further graphical parameters for \code{\link[graphics]{plot}}.}
}
\details{
  The curve is \code{\link{pncf}}, the limits those of
  \code{\link{ncp_ci}} (Steiger 2004).  The tails are dashed lines and each
  limit that is finite and above 0 a dotted vertical line where the curve
  crosses its tail; a lower limit of 0 (the curve starts inside the upper
  tail) has none.  An observed F for which there is no interval (a
  negative F, degrees of freedom or a level out of their domain) is an
  error.
}
\value{
  Invisibly, a list of what was drawn:
  \item{curve}{a data frame with the columns \code{ncp} and
    \code{probability};}
  \item{interval}{the interval, as \code{\link{ncp_ci}} gives it.}
}
\references{
  Steiger, J. H. (2004). Beyond the F test: effect size confidence
  intervals and tests of close fit in the analysis of variance and
  contrast analysis.  \emph{Psychological Methods} \bold{9}, 164--182.
}
\seealso{\code{\link{ncp_ci}}, \code{\link{pncf}}, \code{\link{plot_power}}.}
\examples{
drawn <- plot_confidence_curve(4.2, 3, 40)
drawn$interval

# a small F: the lower limit is 0
plot_confidence_curve(2, 3, 10)
}
\keyword{hplot}
