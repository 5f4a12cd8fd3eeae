// A safeguarded Halley iteration for the root of a decreasing function, for
// the inversions of distribution functions in a parameter (the
// noncentrality of the noncentral F, and of the families beside it), where
// one evaluation gives the function and its first three derivatives.
#pragma once

#include <cstdint>

// g and its first three derivatives at one point, and a bound of the
// rounding error of g there.  g must decrease through its root (a caller
// with an increasing function passes -g).  A provisional sample (nonzero)
// is one of lower accuracy, good enough to steer a step from a start far
// off but not to decide the root: it neither narrows the bracket nor ends
// the iteration.
struct halley_sample {
    double g, g1, g2, g3;
    double noise;
    int32_t provisional;
};

// Evaluates g at t >= 0 into *out: 0, or nonzero where it cannot.
typedef int32_t (*halley_function)(void* context, double t, halley_sample* out);

enum halley_status : int32_t {
    halley_converged = 0,          // *root holds the root
    halley_evaluation_failed = 1,  // the function could not be evaluated at *root
    halley_not_converged = 2,      // pass limit, or the root lies above the ceiling
};

struct halley_trace {
    int32_t evaluations;  // calls of the function
    int32_t safeguarded;  // passes whose step was replaced by bisection or growth
};

// The root of g above `lower` (where g > 0 is known) and at most `ceiling`,
// from `start` (> lower).  Returns a halley_status; *root receives the root,
// or where the iteration stopped short the point it last evaluated or meant
// to (a starting point for another method).  trace may be null.
int32_t halley_root(halley_function g, void* context, double start, double lower, double ceiling,
                    double* root, halley_trace* trace);

// The root of g on the whole line from `start`, for a parameter of either
// sign (the noncentrality of the noncentral t): as halley_root with no
// known end, growth running down as well as up until both signs of g are
// seen, the tests relative to max(|t|, scale) (scale > 0: absolute below
// it), a point where g cannot be evaluated pulled back halfway to the last
// one that could, and no root beyond |t| = ceiling.
int32_t halley_root_line(halley_function g, void* context, double start, double scale,
                         double ceiling, double* root, halley_trace* trace);

// The derivatives of ln T from those of a positive T relative to T itself
// (r1 = T'/T, r2 = T''/T, r3 = T'''/T): (ln T)' = r1, (ln T)'' = r2 - r1^2,
// (ln T)''' = r3 - 3 r1 r2 + 2 r1^3.
inline void log_derivatives(double r1, double r2, double r3, double* l1, double* l2, double* l3)
{
    *l1 = r1;
    *l2 = r2 - r1 * r1;
    *l3 = r3 - 3.0 * r1 * r2 + 2.0 * r1 * r1 * r1;
}
