// The reference tables of tests/reference/gen_ncx2.py.

#include "support/ncx2_tables.h"

namespace {

const ncx2_row ordinary[] = {
#include "data/ncx2_ordinary.inc"
};
const ncx2_row large_ncp[] = {
#include "data/ncx2_large_ncp.inc"
};
const ncx2_row small_df[] = {
#include "data/ncx2_small_df.inc"
};
const ncx2_row far_tails[] = {
#include "data/ncx2_far_tails.inc"
};
const ncx2_row rmsea[] = {
#include "data/ncx2_rmsea.inc"
};
const ncx2_row far_regions[] = {
#include "data/ncx2_far_regions.inc"
};

template <std::size_t N>
constexpr ncx2_table table(const char* name, const ncx2_row (&rows)[N])
{
    return {name, rows, N};
}

}  // namespace

const ncx2_table ncx2_tables[] = {
    table("ordinary", ordinary),   table("large ncp", large_ncp), table("small df", small_df),
    table("far tails", far_tails), table("RMSEA", rmsea),
    table("far regions", far_regions),
};
const std::size_t ncx2_table_count = sizeof ncx2_tables / sizeof ncx2_tables[0];
