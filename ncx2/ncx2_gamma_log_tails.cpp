// ncx2_gamma_log_tails: ln P(s, y) and ln Q(s, y), the regularized
// incomplete gamma functions at the start shape of the Poisson sum, each to
// full relative accuracy.
//
// gamma_inc_log serves every shape: it forms the tail on y's side directly
// and the other as ln(1 - e^w), takes Temme's uniform expansion near the
// centre of large shapes, and forms Q itself for shapes below 1 (the power
// series of DiDonato and Morris 1986 for y <= 1, Legendre's fraction on the
// shape itself beyond), so that neither tail of a small start shape is a
// difference that loses digits like 1/s.

#include "ncx2/ncx2_detail.h"

#include "library/gamma.h"

int32_t ncx2_gamma_log_tails(double y, double s, double* log_p, double* log_q)
{
    gamma_log_record r{};
    r.x = y;
    r.shape = s;
    if (gamma_inc_log(&r) != 0)
        return 1;
    *log_p = r.log_lower;
    *log_q = r.log_upper;
    return 0;
}
