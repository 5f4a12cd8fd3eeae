\name{plot_power}
\alias{plot_power}
\title{Power Curves of the F Test}
\description{
  Draws the power of the level \eqn{\alpha} F test against the sample
  size, one line per effect size, in the two forms of Cohen (1988), with
  the target power and \eqn{\alpha} marked and, on each line, the smallest
  whole sample size that reaches the target.
}
\usage{
plot_power(k = NULL, u = NULL, effects = NULL, sizes = NULL,
           sig.level = 0.05, power = 0.8, ...)
}
\arguments{
  \item{k}{number of groups of the one-way analysis of variance: the sizes
    are the observations per group \eqn{n}, the effects Cohen's \eqn{f}.}
  \item{u}{numerator degrees of freedom of the regression form: the sizes
    are the denominator degrees of freedom \eqn{v}, the effects
    \eqn{f^2}.  Give \code{k} or \code{u}, one of them.}
  \item{effects}{the effect sizes, one line each; by default Cohen's small,
    medium and large effects (\eqn{f} = 0.1, 0.25, 0.4, or \eqn{f^2} =
    0.02, 0.15, 0.35).}
  \item{sizes}{the sample sizes on the horizontal axis; by default every
    whole size from the smallest (2, or 1) to 1.25 times the largest size
    the effects need for the target power (to 100 when none reaches it).}
  \item{sig.level}{the level \eqn{\alpha} of the test, drawn as a dotted
    line (the power with no effect).}
  \item{power}{the target power, drawn as a dashed line.}
  \item{\dots}{further graphical parameters for \code{\link[graphics]{matplot}}.}
}
\details{
  The powers are those of \code{\link{power_anova}} or
  \code{\link{power_f2}}, the marked sizes those of
  \code{\link{sample_size_anova}} or \code{\link{sample_size_f2}}; a size
  off the axis, or a target no size reaches, has no mark.  A size outside
  the design's domain leaves a gap in its line; an effect with no power at
  any size (an effect, \code{sig.level} or \code{k} out of its domain) is an
  error, as is a target power outside (0, 1).  The picture is drawn with
  base graphics on the current device.
}
\value{
  Invisibly, a list of what was drawn:
  \item{curves}{a data frame with a row for each point: \code{size},
    \code{effect} and \code{power};}
  \item{sample_size}{a data frame with a row for each effect: \code{effect},
    the smallest whole \code{size} reaching the target, the \code{power}
    there and the \code{status}, as \code{\link{sample_size_anova}} gives
    them.}
}
\references{
  Cohen, J. (1988). \emph{Statistical Power Analysis for the Behavioral
  Sciences}, 2nd ed., chapters 8 and 9.  Hillsdale, NJ: Erlbaum.
}
\seealso{\code{\link{power_f2}}, \code{\link{plot_confidence_curve}}.}
\examples{
# four groups: n = 45 per group reaches power 0.8 for f = 0.25
drawn <- plot_power(k = 4, effects = c(0.1, 0.25, 0.4), sizes = 2:100)
drawn$sample_size

# the regression form with three predictors, at alpha = 0.01
plot_power(u = 3, sig.level = 0.01, power = 0.9)
}
\keyword{hplot}
