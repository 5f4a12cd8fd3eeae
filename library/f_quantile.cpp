// f_quantile: the quantile of the central F law with df1 and df2 degrees of
// freedom,
//
//     P(F <= f) = I_x(df1/2, df2/2),   x = df1 f / (df1 f + df2),
//
// so f = (df2/df1) x/(1 - x) for the beta quantile x.  The beta inverse
// returns x and y = 1 - x each to full relative precision, and f is formed
// as (x/y) (df2/df1) from the pair: near x = 1 (the far upper tail) the
// quotient takes y as computed rather than 1 - x, which would have lost its
// digits.  The error is that of x and y plus two roundings.

#include "library/quantiles.h"

#include <limits>

#include "numeric/constants.h"

int32_t f_quantile(double prob, int32_t tail, double df1, double df2, double* f)
{
    *f = std::numeric_limits<double>::quiet_NaN();
    if (!(df1 > 0.0 && df1 <= 2.0 * int32_max_double) || !(df2 > 0.0 && df2 <= 2.0 * int32_max_double))
        return quantile_invalid;
    double x, y;
    int32_t status = beta_inc_inverse(prob, tail, 0.5 * df1, 0.5 * df2, &x, &y);
    if (status != quantile_ok)
        return status;
    *f = y == 0.0 ? std::numeric_limits<double>::infinity() : (x / y) * (df2 / df1);
    return quantile_ok;
}
