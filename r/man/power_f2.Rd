\name{power_f2}
\alias{power_f2}
\alias{power_anova}
\alias{power_f_test}
\alias{sample_size_f2}
\alias{sample_size_anova}
\title{Power and Sample Size of the F Test}
\description{
  The power of the level \eqn{\alpha} F test of the general linear model,
  and the smallest whole sample size that reaches a given power, in the
  two forms of Cohen (1988): the regression form with \eqn{u} numerator
  and \eqn{v} denominator degrees of freedom and effect size \eqn{f^2}
  (as \code{pwr.f2.test} of the package \pkg{pwr}), and the one-way
  analysis of variance of \eqn{k} groups of \eqn{n} with effect size
  \eqn{f} (as \code{pwr.anova.test}).
}
\usage{
power_f_test(df1, df2, ncp, sig.level = 0.05)
power_f2(u, v, f2, sig.level = 0.05)
power_anova(k, n, f, sig.level = 0.05)
sample_size_f2(u, f2, power, sig.level = 0.05)
sample_size_anova(k, f, power, sig.level = 0.05)
}
\arguments{
  \item{df1, df2}{degrees of freedom of the test,
    \eqn{2^{-10} < df \le 2147483647}.}
  \item{ncp}{noncentrality \eqn{\lambda \ge 0} under the alternative.}
  \item{u, v}{numerator and denominator degrees of freedom of the
    regression form (\eqn{v = N - u - 1} for \eqn{N} observations).}
  \item{f2}{effect size \eqn{f^2 = R^2/(1 - R^2)}, \eqn{\ge 0}.}
  \item{k}{number of groups, a whole number \eqn{\ge 2}.}
  \item{n}{observations per group, \eqn{> 1}.}
  \item{f}{effect size \eqn{f}, the standard deviation of the group means
    over the common standard deviation, \eqn{\ge 0}.}
  \item{power}{the power to reach, \eqn{0 < power < 1}.}
  \item{sig.level}{the level \eqn{\alpha} of the test, \eqn{0 < \alpha < 1}.}
}
\details{
  The power is
  \deqn{P(F' > F_{crit}; df_1, df_2, \lambda), \quad
        P(F > F_{crit}; df_1, df_2) = \alpha,}
  \eqn{F'} noncentral, \eqn{F} central: the critical value is the upper
  quantile of \code{\link{qf_exact}} taken in the upper tail directly, and
  the power the upper tail of the noncentral law computed in logarithms,
  so a power near 1 or a tiny \eqn{\alpha} loses nothing.  The forms map to
  one test as \pkg{pwr} defines them:
  \tabular{ll}{
    regression \tab \eqn{df_1 = u}, \eqn{df_2 = v},
      \eqn{\lambda = f^2 (u + v + 1)} \cr
    analysis of variance \tab \eqn{df_1 = k - 1}, \eqn{df_2 = k (n - 1)},
      \eqn{\lambda = k n f^2}
  }
  The power rises with the sample size, so the sample size is the
  smallest whole \eqn{v \ge 1} (or \eqn{n \ge 2}) whose power reaches the
  target, searched up to the size whose \eqn{df_2} reaches 2147483647.
  \pkg{pwr} reports the fractional root instead; rounded up, it is the
  same size where its root is accurate.

  No sample size reaches a power at or below \eqn{\alpha} (with no effect
  the power is \eqn{\alpha} itself), nor, for a small effect, a power
  beyond what the largest size gives: such rows have the status
  \code{"unreachable"}.
}
\value{
  \code{power_f_test}, \code{power_f2} and \code{power_anova}: a numeric
  vector of powers, the arguments recycled to the longest; names and
  dimensions of the first argument carry over.  \code{NA} in an argument
  gives \code{NA}; an argument outside its domain gives \code{NaN} with
  the warning \dQuote{NaNs produced}.

  \code{sample_size_f2} and \code{sample_size_anova}: a data frame with a
  row for each element of the recycled arguments and the columns
  \item{v (or n)}{the smallest whole size reaching \code{power}; the total
    sample size is \eqn{u + v + 1} (or \eqn{k n});}
  \item{power}{the power at that size, at least the target;}
  \item{status}{a factor: \code{"ok"}, \code{"invalid"} (an argument
    outside its domain, also with a warning), \code{"unreachable"} (no
    size reaches the power), \code{"failed"} (a distribution routine
    failed, also with a warning); \code{NA} where an argument is
    \code{NA}.}
  The size and power are \code{NA} unless the status is \code{"ok"}.
}
\references{
  Cohen, J. (1988). \emph{Statistical Power Analysis for the Behavioral
  Sciences}, 2nd ed., chapters 8 and 9.  Hillsdale, NJ: Erlbaum.
}
\seealso{\code{\link{qf_exact}}, \code{\link{pncf}}, \code{\link{ncp_ci}}.}
\examples{
# a regression with 3 predictors, a medium effect and 73 residual df
power_f2(u = 3, v = 73, f2 = 0.15)                 # 0.8017655
power_f_test(df1 = 3, df2 = 73, ncp = 0.15 * 77)   # the same test

# four groups of 45, a medium effect
power_anova(k = 4, n = 45, f = 0.25)               # 0.8039869

# the sizes for 80\% and 90\% power; a power below alpha is unreachable
sample_size_f2(u = 3, f2 = 0.15, power = c(0.8, 0.9, 0.04))
sample_size_anova(k = 3, f = 0.25, power = 0.8)    # n = 53 per group
}
\keyword{htest}
