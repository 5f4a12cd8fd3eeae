// The reference tables of the noncentral chi-square distribution
// (tests/reference/gen_ncx2.py), one per region, and how their log outputs
// are measured.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <cstdio>

struct ncx2_row {
    double x, df, ncp;
    double log_lower_hi, log_lower_rel;
    double log_upper_hi, log_upper_rel;
    double log_density_hi, log_density_rel;
    double kappa_tail, kappa_tail_rel;
    double kappa_density, kappa_density_rel;
};

struct ncx2_table {
    const char* name;
    const ncx2_row* rows;
    std::size_t size;
};

// The error of a log probability or log density L against hi (1 + rel), in
// units of the quantity it stands for: |dL| itself where |L| >= 1 (the
// relative error of the probability), |dL|/|L| below (where L is about -T,
// T the other tail: the relative error of T).  A reference below the
// normal range (the complement of a tail that small) is measured in
// absolute terms.
inline double ncx2_log_error(double got, double hi, double rel)
{
    if (got == hi)
        return 0.0;
    long double want = static_cast<long double>(hi) + static_cast<long double>(hi) * rel;
    long double d = std::fabs(static_cast<long double>(got) - want);
    long double size = std::fabs(want);
    if (size < 0x1p-1022L)
        return static_cast<double>(d / 0x1p-1022L);
    return static_cast<double>(size < 1 ? d / size : d);
}

// The relative error of a tail T against a log reference, in linear terms
// (a tail near 1 is good to its absolute rounding, which its log does not
// show).
inline double ncx2_tail_error(double got, double log_hi, double log_rel)
{
    long double want = std::exp(static_cast<long double>(log_hi) * (1.0L + log_rel));
    return static_cast<double>(std::fabs(got - want) / want);
}

extern const ncx2_table ncx2_tables[];
extern const std::size_t ncx2_table_count;

// The tolerance of every table: 1e-12 kappa.
constexpr double ncx2_table_tolerance = 1e-12;

// One loop per table: error(row, i) gives a row's error in units of its
// allowance (a NaN or a value above 1 fails the row), or a negative value
// for a row it leaves out; the worst row of each table is printed.
template <class Error>
void ncx2_check_tables(const char* what, Error error)
{
    for (std::size_t t = 0; t < ncx2_table_count; ++t) {
        const ncx2_table& table = ncx2_tables[t];
        double worst = 0.0;
        std::size_t worst_row = 0;
        for (std::size_t i = 0; i < table.size; ++i) {
            const ncx2_row& r = table.rows[i];
            double e = error(r);
            EXPECT_LE(e, 1.0) << what << ", " << table.name << " row " << i << ": x " << r.x
                              << " df " << r.df << " ncp " << r.ncp;
            if (!(e <= worst)) {
                worst = e;
                worst_row = i;
            }
        }
        const ncx2_row& w = table.rows[worst_row];
        std::printf("[  worst   ] %s, %s (%zu rows): x %.17g df %.17g ncp %.17g, %.3g of the"
                    " allowance\n",
                    what, table.name, table.size, w.x, w.df, w.ncp, worst);
    }
}
