// FNONCT: the noncentrality search and the host's evaluate callback.
#pragma once

#include <cstdint>

// fnonct_search's statuses.  A caller that only needs success tests for 0.
enum fnonct_search_status : int32_t {
    fnonct_search_found = 0,    // lambda in *result
    fnonct_search_no_root = 1,  // no lambda gives p: p above the central probability
                         // P0 (x = 0 included), or arguments outside the
                         // search's domain
    fnonct_search_failed = 2,   // a root exists (p <= P0) but the search did not reach it
};

// The noncentrality lambda >= 0 with ncf_cdf(x, df1, df2, lambda) = p into
// *result.  Returns a fnonct_search_status; *result is to be used only with
// fnonct_search_found.
int32_t fnonct_search(double x, double df1, double df2, double p, double* result);

// The evaluate callback the host calls for every FNONCT(x, df1, df2, p).
// Returns 0 (lambda in *result), 120833 (an argument is missing) or 120836 (an
// argument is out of its domain, or no lambda exists); on failure *result
// holds the host's missing value.
int32_t fnonct_evaluate(void* argument_list, double* result);

// What one fnonct_search did, for the tests and the benchmark.
struct fnonct_search_trace {
    double central;        // P0, the central probability (0 when not reached)
    double bound;          // B = 2 ln(P0/p), a lower bound of the root
    double start;          // lambda_0 = max(B, 1)
    double first_step;     // lambda' of the first false-position pass
    double phase2_start;   // the lambda phase 2 starts from
    int32_t phase1_passes; // false-position passes
    int32_t phase2_passes; // Newton passes
    int32_t cdf_calls;     // calls of ncf_cdf, the central one included
    int32_t log_calls;     // calls of ncf_log_probs by fnonct_log_search (0: the
                           // Newton phase answered, or failed where no root exists)
};

// fnonct_search, filling *trace (which may be null) as well.
int32_t fnonct_search_traced(double x, double df1, double df2, double p, double* result,
                             fnonct_search_trace* trace);

// The search's second route, where the Newton phase on ncf_cdf cannot
// finish: a bracketed root search on the logarithm of the smaller tail from
// ncf_log_probs, started at the estimate (any value; phase 1's lambda
// serves).  Returns a fnonct_search_status; *calls (may be null) receives
// the number of ncf_log_probs calls.
int32_t fnonct_log_search(double x, double df1, double df2, double p, double estimate,
                          double* result, int32_t* calls);

// The most false-position passes phase 1 makes before phase 2 takes over.
constexpr int32_t fnonct_phase1_pass_limit = 1000;
