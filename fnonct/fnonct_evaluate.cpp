// fnonct_evaluate: the evaluate callback the host calls for every
// FNONCT(x, df1, df2, p).
//
//   1. Missing arguments: if any of the n entries holds a missing value
//      (find_missing_argument), the result is the host's missing value and
//      the status 120833; no flag is set and no domain is checked.
//   2. Domains, in argument order, the first failure deciding:
//        x >= 0 (so 0 and -0 pass), df1 > 0, df2 > 0, 0 < p < 1.
//      The failing argument's entry gets the domain flag (bit 0 of its flag
//      byte, ORed in), the result the missing value, the status 120836.
//   3. The noncentrality search.  Success returns 0 with lambda >= 0 in the
//      result slot; any failure (x = 0, p above the central probability, no
//      convergence ...) writes the missing value over whatever the search
//      left and returns 120836 with no flag.
//
// The missing value is fetched from the host on every call and copied as 8
// raw bytes, so a NaN payload (a signalling one too) reaches the host
// unchanged.  The callback keeps no state and calls no host error service.

#include "fnonct/argument_list.h"
#include "fnonct/fnonct.h"
#include "fnonct/fnonct_solve.h"
#include "numeric/host_link.h"

int32_t fnonct_evaluate(void* argument_list, double* result)
{
    const int32_t n = static_cast<const argument_list_header*>(argument_list)->count;
    if (find_missing_argument(argument_list, n) != 0) {
        host_missing_value(result);
        return status_missing_argument;
    }

    const double x = *argument_entry_at(argument_list, 1)->value;
    const double df1 = *argument_entry_at(argument_list, 2)->value;
    const double df2 = *argument_entry_at(argument_list, 3)->value;
    const double p = *argument_entry_at(argument_list, 4)->value;
    const int32_t failing = fnonct_argument_out_of_domain(x, df1, df2, p);
    if (failing != 0) {
        argument_entry_at(argument_list, failing)->flags |= argument_domain_flag;
        host_missing_value(result);
        return status_invalid_argument;
    }

    if (fnonct_search(x, df1, df2, p, result) != 0) {
        host_missing_value(result);
        return status_invalid_argument;
    }
    return 0;
}
