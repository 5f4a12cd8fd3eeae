// beta_normal_deviate: Paulson's cube-root normal approximation of the beta
// law, the normal deviate z with I_x(a, b) ~ Phi(z).
//
// With f = b x / (a (1-x)), the F statistic on 2a and 2b degrees of freedom
// that corresponds to x, the Wilson-Hilferty cube root of each chi-square
// gives
//     z = ((1 - 1/(9b)) f^(1/3) - (1 - 1/(9a))) / sqrt(f^(2/3)/(9b) + 1/(9a)).
// It neglects the skewness of the cube-root statistics, about 1e-7 absolute
// in the probability once both shapes exceed 3e4.  The doubles nearest 1/3
// and 1/9 are used as such; the cube root is pow_real's.

#include "ncf/ncf_detail.h"

#include "numeric/elementary.h"
#include "numeric/primitives.h"

namespace {

constexpr double one_third = 0.3333333333333333;
constexpr double one_ninth = 0.1111111111111111;

}  // namespace

double beta_normal_deviate(double x, double a, double b)
{
    double f = b * x / (a * (1.0 - x));
    double u = pow_real(f, one_third);
    double tb = one_ninth / b;
    double ta = one_ninth / a;
    return ((1.0 - tb) * u - (1.0 - ta)) / elem_sqrt(u * u * tb + ta);
}
