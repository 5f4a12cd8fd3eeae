// erf(x): the error function, erf_erfc_eval in mode 0 (Cody's approximations).

#include "numeric/primitives.h"

double erf_value(double x)
{
    double r;
    erf_erfc_eval(x, &r, 0);
    return r;
}
