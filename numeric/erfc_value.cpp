// erfc(x) = 1 - erf(x): erf_erfc_eval in mode 1 (Cody's approximations), with
// its relative accuracy kept in the upper tail.

#include "numeric/primitives.h"

double erfc_value(double x)
{
    double r;
    erf_erfc_eval(x, &r, 1);
    return r;
}
