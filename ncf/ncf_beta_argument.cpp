// The beta argument of the noncentral F distribution,
//
//     x' = df1 x / (df1 x + df2),   y' = 1 - x' = df2 / (df1 x + df2),
//
// with x' and y' each formed directly rather than one as 1 minus the other,
// so that whichever is small keeps its relative accuracy:
//   df1 < df2:  m = x (df1/df2),  y' = 1/(m + 1),  x' = m y';
//   otherwise:  r = df2/df1,      x' = x/(x + r),  y' = r/(x + r).
// The caller has checked df1 > 0, df2 > 0 and x >= 0.
//
// beta_argument_logs: the two logarithms of the incomplete beta ratio's log
// density, (a-1) ln x + (b-1) ln(1-x) - ln B(a, b), from such a pair.
// Where 1 - x carries y to 2^-45 (complement_lost) they are ln x and
// ln(1 - x) of x alone, as the one-argument ratio takes them.  Where it
// does not (x rounded near 1), y carries the point and both come from it:
// ln y, and ln x = ln(1 - y) (log_one_minus_extended).  ln x of the rounded
// x would be off by up to its half unit, 1.1e-16, which the first shape
// multiplies: 5.5e-10 in the density at a = 5e6 (I_k of the noncentral F
// at df1 = 1e7, df2 = 150 was 6e-10 off).

#include "ncf/ncf_detail.h"

#include "numeric/elementary.h"
#include "numeric/log_extended.h"
#include "numeric/primitives.h"

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

void beta_argument_logs(double x, double y, beta_inc_logs* logs)
{
    if (complement_lost(x, y)) {
        logs->ln_x = log_one_minus_extended(y);
        logs->ln_1mx = static_cast<double>(elem_ln_table_ext(y));
    } else {
        logs->ln_x = elem_ln_table_ext(x);
        logs->ln_1mx = log1p_rel(-x);
    }
}
