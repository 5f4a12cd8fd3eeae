// The beta argument of the noncentral F distribution,
//
//     x' = df1 x / (df1 x + df2),   y' = 1 - x' = df2 / (df1 x + df2),
//
// with x' and y' each formed directly rather than one as 1 minus the other,
// so that whichever is small keeps its relative accuracy:
//   df1 < df2:  m = x (df1/df2),  y' = 1/(m + 1),  x' = m y';
//   otherwise:  r = df2/df1,      x' = x/(x + r),  y' = r/(x + r).
// The caller has checked df1 > 0, df2 > 0 and x >= 0.

#include "ncf/ncf_detail.h"

void ncf_beta_argument(double x, double df1, double df2, double* xp, double* yp)
{
    if (df1 < df2) {
        double m = x * (df1 / df2);
        *yp = 1.0 / (m + 1.0);
        *xp = m * *yp;
    } else {
        double r = df2 / df1;
        *xp = x / (x + r);
        *yp = r / (x + r);
    }
}
