// hedges_correction: J(df) = Gamma(df/2) / (sqrt(df/2) Gamma((df - 1)/2)),
// the factor that makes g = J d unbiased for the standardized mean
// difference (Hedges 1981, Journal of Educational Statistics 6, 107-128,
// eq. 6e).  With a = (df - 1)/2 it is the ratio Gamma(a + 1/2)/Gamma(a)
// over sqrt(df/2), taken in logarithms (log_gamma_half_ratio) so that
// neither gamma overflows, for large df without the cancellation of two log
// gammas.  J rises from 0 at df = 1 towards 1 as 1 - 3/(4 df - 1) does.

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
    return exp_fast(log_gamma_half_ratio(0.5 * (df - 1.0)) - 0.5 * elem_ln(0.5 * df));
}
