// beta_inc_log: the regularized incomplete beta ratio and its complement in
// log space,
//
//     log lower = ln I_x(a, b),   log upper = ln(1 - I_x(a, b)),
//     log density = (a-1) ln x + (b-1) ln(1-x) - ln B(a, b),
//
// finite far beyond the underflow of I or 1 - I.
//
// Method.  The continued fraction of the incomplete beta ratio (beta_fraction)
// gives, on the working side (x~, p, q),
//     I_x~(p, q) = x~^p (1-x~)^(q-1) / (p B(p, q)) * V,
// so its logarithm needs no exponential:
//     W = ln x~ + L + ln(V/p),
// L the log density, which is the same on both sides (the density of
// (x, a, b) equals that of (1-x, b, a)).  With a first shape p0 < 1 raised
// to p = p0 + 1, the closed-form step
//     I_x(p0, q) = I_x(p0+1, q) + x^p0 (1-x)^q / (p0 B(p0, q)),
//     B(p0+1, q) = B(p0, q) p0 / (p0+q),
// gives W = ln x~ + L + ln(((1-x~) + V x~ (p0+q)/p) / p0).
//
// Side.  The fraction works on the complement, x~ = 1-x, p = b, q = a, when
// x lies more than two standard deviations above the mean a/(a+b), or else
// above (a+3)/(a+b+6); W is then ln(1 - I), and the other log is
// ln(1 - e^W) = log1p(-e^W) in either case (exact to rounding when e^W is
// small, and a small value when e^W is near one).
//
// Large shapes.  With one shape above 5000 and the other above 100 the
// fraction may run past 199 steps, to beta_fraction_long_itrmax (20000;
// near the mean it needs about 260 steps at shapes of 1e5 and 530 at 1e6),
// and it takes the complement formed directly (x itself on the exchanged
// side, where 1 - (1 - x) keeps only part of a small x's digits).
// Deviation: as first written the routine turned there to Paulson's
// cube-root normal approximation of the beta law, about 1e-7 absolute near
// the mean and some 1e-4 relative in the logs of the far tails, and its
// exchanged fraction took 1 - (1 - x).  Both change values for large
// shapes only.
//
// The tolerance of the fraction comes from the record and is raised to
// min_relative_tolerance, 5.551115123125785e-16 (five times 2^-53 plus two
// units in the last place), the smallest the convergence test accepts.
//
// The log density and W are summed at the 64-bit significand, with the x87
// set to 64-bit precision for the routine whatever the caller left in force,
// as in beta_inc, so the large terms of big shapes cancel without losing
// more than the rounding of ln B itself.

#include "library/beta_log.h"

#include "library/log_complement.h"
#include "numeric/log_extended.h"
#include "ncf/ncf_detail.h"
#include "numeric/constants.h"
#include "numeric/elementary.h"
#include "numeric/primitives.h"

namespace {

// The floor of the record's tolerance.
constexpr double tolerance_floor = min_relative_tolerance;

// ln(1 - e^w) for w <= 0; below the normal range e^w is no double and the
// complement's log is 0 to double precision.
double log_complement_or_zero(double w)
{
    if (w < log_min_normal)
        return 0.0;
    return log_complement(w);
}

// The routine itself; beta_inc_log runs it at 64-bit x87 precision.
__attribute__((noinline)) int32_t beta_inc_log_extended(beta_log_record* rec)
{
    if (!(rec->tolerance >= tolerance_floor))
        rec->tolerance = tolerance_floor;

    const double x = rec->x, a = rec->a, b = rec->b;
    if (a > int32_max_double || b > int32_max_double)
        return 1;
    if (!(x >= 0.0 && x <= 1.0 && a > 0.0 && b > 0.0))
        return 1;
    rec->argument_copy = x;
    rec->shifted = 0;
    rec->exchanged = 0;

    if (x == 0.0) {
        if (a != 1.0)
            return 1;
        rec->log_lower = -max_double;
        rec->log_upper = 0.0;
        rec->log_density = elem_ln(b);
        return 0;
    }
    if (x == 1.0) {
        if (b != 1.0)
            return 1;
        rec->log_lower = 0.0;
        rec->log_upper = -max_double;
        rec->log_density = elem_ln(a);
        return 0;
    }

    const long double log_dens = beta_log_density_extended(x, a, b);
    rec->log_density = static_cast<double>(log_dens);
    rec->complement = 1.0 - x;
    rec->shape_sum = a + b;

    double xs = x, p = a, q = b;
    if (a + 2.0 * elem_sqrt(a * b / (a + b + 1.0)) < (a + b) * x
        || a + 3.0 < (a + b + 6.0) * x) {
        rec->exchanged = 1;
        xs = rec->complement;
        rec->complement = x;
        p = b;
        q = a;
    }
    if (p < 1.0) {
        rec->unshifted_shape = p;
        p += 1.0;
        rec->shifted = 1;
    }
    rec->x = xs;
    rec->a = p;
    rec->b = q;

    double v;
    int32_t steps;
    const bool large_shapes = beta_large_shapes(p, q);
    const int32_t fraction_status =
        beta_fraction(xs, large_shapes ? rec->complement : 1.0 - xs, p, q, rec->tolerance,
                      large_shapes ? beta_fraction_long_itrmax : beta_fraction_itrmax, &v, &steps);
    rec->fraction = v;
    if (fraction_status != 0)
        return 1;
    long double tail;
    if (rec->shifted == 0)
        tail = elem_ln_table_ext(v / p);
    else
        tail = elem_ln_table_ext((rec->complement + v * xs * rec->shape_sum / p)
                                 / rec->unshifted_shape);
    double w = static_cast<double>(elem_ln_table_ext(xs) + log_dens + tail);
    if (w > 0.0)
        w = 0.0;
    const double w_complement = log_complement_or_zero(w);
    rec->fraction = w;

    if (rec->exchanged == 0) {
        rec->log_lower = w;
        rec->log_upper = w_complement;
    } else {
        rec->log_upper = w;
        rec->log_lower = w_complement;
    }
    return 0;
}

}  // namespace

int32_t beta_inc_log(beta_log_record* rec)
{
    // The extended sums are formed with the x87 at 64-bit precision whatever
    // the caller set, and the caller's control word back afterwards; the work
    // is a function of its own, not inlined, so none of it moves out of the
    // region.
    uint16_t precision = elem_extended_begin();
    int32_t status = beta_inc_log_extended(rec);
    elem_extended_end(precision);
    return status;
}
