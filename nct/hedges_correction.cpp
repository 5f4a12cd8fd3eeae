// hedges_correction: J(df) = Gamma(df/2) / (sqrt(df/2) Gamma((df - 1)/2)),
// the factor that makes g = J d unbiased for the standardized mean
// difference (Hedges 1981, Journal of Educational Statistics 6, 107-128,
// eq. 6e).  With a = (df - 1)/2,
//     ln J = ln(Gamma(a + 1/2) / (Gamma(a) sqrt a)) - ln(1 + 1/(2a))/2,
// the first term from log_gamma_half_ratio_root, so that neither gamma
// overflows and, for large df, nothing of the size of ln a cancels: J rises
// from 0 at df = 1 towards 1 as 1 - 3/(4 df - 1) does.

#include "nct/nct.h"

#include <limits>

#include "nct/nct_detail.h"
#include "numeric/elementary.h"
#include "numeric/primitives.h"

double hedges_correction(double df)
{
    if (!(df > 1.0))
        return std::numeric_limits<double>::quiet_NaN();
    if (df - df != 0.0)
        return 1.0;
    double a = 0.5 * (df - 1.0);
    return exp_fast(log_gamma_half_ratio_root(a) - 0.5 * log1p_rel(0.5 / a));
}
