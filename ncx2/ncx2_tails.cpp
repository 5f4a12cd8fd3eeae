// ncx2_tails: P(X <= x) and P(X > x) of the noncentral chi-square
// distribution, the exponentials of ncx2_log_tails' logarithms: each tail
// keeps its relative accuracy down to the subnormal range (a tail below
// e^-745 is 0).

#include "ncx2/ncx2.h"

#include "ncx2/ncx2_detail.h"

int32_t ncx2_tails(double x, double df, double ncp, double* lower, double* upper)
{
    double log_lower, log_upper;
    int32_t status = ncx2_log_tails(x, df, ncp, &log_lower, &log_upper);
    *lower = status == 0 ? ncx2_exp_tail(log_lower) : log_lower;
    *upper = status == 0 ? ncx2_exp_tail(log_upper) : log_upper;
    return status;
}
