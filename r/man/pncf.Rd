\name{pncf}
\alias{pncf}
\alias{dncf}
\alias{qncf}
\title{The Noncentral F Distribution}
\description{
  Distribution function, density and quantile function of the noncentral
  F distribution with
  \code{df1} and \code{df2} degrees of freedom and noncentrality
  \code{ncp}, accurate far into both tails and, on the log scale, far
  beyond the range of double-precision numbers.
}
\usage{
pncf(q, df1, df2, ncp, lower.tail = TRUE, log.p = FALSE)
dncf(x, df1, df2, ncp, log = FALSE)
qncf(p, df1, df2, ncp, lower.tail = TRUE, log.p = FALSE)
}
\arguments{
  \item{q, x}{vector of quantiles.}
  \item{p}{vector of probabilities.}
  \item{df1, df2}{degrees of freedom, finite and \eqn{> 0}; they need not
    be integers.}
  \item{ncp}{noncentrality parameter, finite and \eqn{\ge 0}.}
  \item{lower.tail}{if \code{TRUE}, probabilities are \eqn{P(F' \le q)},
    otherwise \eqn{P(F' > q)}.}
  \item{log.p, log}{if \code{TRUE}, probabilities and densities are given
    (and \code{p} is taken) as their natural logarithms.}
}
\details{
  The distribution function is the Poisson mixture
  \deqn{P(F' \le q) = \sum_{j \ge 0} e^{-\lambda/2} \frac{(\lambda/2)^j}{j!}
    I_{x'}(df_1/2 + j, df_2/2), \quad x' = \frac{df_1 q}{df_1 q + df_2},}
  with \eqn{\lambda} = \code{ncp} and \eqn{I} the regularized incomplete
  beta ratio, summed outward from the neighbourhood of the Poisson mode.
  Plain lower-tail probabilities (and upper ones where the lower is at
  most 1/2) come from that sum directly, except for wide designs (either
  degrees of freedom of \eqn{10^4} or more).  The other tails and the log
  scale come from its log-space form, which carries both tails in
  logarithms and, for \eqn{\lambda > 500} or where the sum fails,
  integrates the noncentral chi-square density of the numerator against
  the gamma tail of the denominator with exponent scaling: logarithms such
  as \code{pncf(6000, 4, 2000, 1000, lower.tail = FALSE, log.p = TRUE)}
  stay finite where the probability itself is far below the smallest
  double.  The density is the same Poisson mixture of beta densities,
  summed in logarithms about its largest term.

  Where R's \code{\link{pf}} and \code{\link{df}} with \code{ncp} are
  accurate the results agree with them; \code{pf} computes the upper tail
  as one minus the lower and loses its relative accuracy once it falls much below \eqn{10^{-9}}, where
  \code{pncf} keeps its relative accuracy.

  \code{qncf} gives the \eqn{x} with \eqn{P(F' \le x) = p} (or
  \eqn{P(F' > x) = p} for \code{lower.tail = FALSE}), by safeguarded
  Halley steps on these probabilities from the central F quantile of
  Patnaik's approximation; the upper tail is inverted as given, so that
  \code{qncf(1e-300, 3, 10, 5, lower.tail = FALSE)} loses nothing.  Its
  relative accuracy is about \eqn{10^{-13}} plus \eqn{2.5 \cdot 10^{-13}
  \kappa}, \eqn{\kappa = |p / (x f(x))|} the condition number.  On the log
  scale a \code{p} above \eqn{-\log 2} is taken as the other tail's
  \code{-expm1(p)}, as R's own quantile functions do.

  Below the support (\eqn{q \le 0}) the lower tail is 0, at \code{Inf} it
  is 1; \code{qncf} gives 0 and \code{Inf} at the end points.  At 0 the
  density is infinite for \eqn{df_1 < 2},
  \eqn{e^{-\lambda/2}} for \eqn{df_1 = 2} and 0 above.
}
\value{
  A numeric vector, the arguments recycled to the longest; names and
  dimensions of \code{q} (\code{x}) carry over.  \code{NA} in an argument
  gives \code{NA}, \code{NaN} gives \code{NaN}.  Degrees of freedom or
  \code{ncp} outside their domains (including infinite ones) give
  \code{NaN} with the warning \dQuote{NaNs produced}; an element the
  routines cannot answer (their sums and integrations fail rather than
  return a truncated value) gives \code{NaN} with a warning saying how
  many.
}
\seealso{\code{\link{pf}}, \code{\link{qf}}, \code{\link{fnonct}}.}
\examples{
pncf(2, 3, 10, ncp = 5)               # 0.3961061
pf(2, 3, 10, ncp = 5)

# a far upper tail, in logarithms
pncf(1000, 3, 40, ncp = 2, lower.tail = FALSE, log.p = TRUE)  # -79.31798
pf(1000, 3, 40, ncp = 2, lower.tail = FALSE, log.p = TRUE)    # -20.9, lost

dncf(c(0.5, 1, 2), 3, 10, ncp = 5)
dncf(2, 3, 10, ncp = 5, log = TRUE)

qncf(0.95, 3, 10, ncp = 5)            # 8.908299
qf(0.95, 3, 10, ncp = 5)
qncf(1e-300, 3, 10, ncp = 5, lower.tail = FALSE)
}
\keyword{distribution}
