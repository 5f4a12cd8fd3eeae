// Timings of FNONCT and of the noncentral F distribution function over a
// fixed grid of realistic cases (bench/grid.csv, written by bench/gen_grid.py),
// so that other implementations can be timed on exactly the same cases
// (bench/scipy_peer.py).
//
//   fnonct_evaluate/grid   one FNONCT evaluation per row through the evaluate
//                          callback; us_per_eval is the mean per evaluation,
//                          cdf_calls_per_eval the mean number of ncf_cdf calls
//                          the search makes for one evaluation.
//   ncf_cdf/grid           one ncf_cdf per row at the row's noncentrality (the
//                          root the search looks for); us_per_call is the mean.
//   csv/grid               the grid as a CSV table through kelbrant fnonct
//                          --csv on one thread, in-process: read from memory,
//                          every row evaluated through the evaluate callback,
//                          written to /dev/null; us_per_row is the mean, to
//                          set beside us_per_eval.
//
// The two noncentrality searches root by root, on the grid and on each
// region of tests/data/fnonct_regions.inc (ordinary, large, small, tails,
// heavy, wide), ROWS standing for the set:
//
//   fnonct_solve/ROWS      the library's solver (fnonct_solve, as the Python
//                          and R packages call it); us_per_root, and
//                          sums_per_root the Poisson sums it takes (Halley
//                          evaluations, the central ratio apart).
//   fnonct_search/ROWS     the evaluate callback's search; us_per_root, and
//                          cdf_calls_per_root its distribution functions.
//   cdf_at_root/ROWS       the distribution function at each row's root:
//                          ncf_cdf where it answers, else ncf_log_tails (the
//                          sum that answers for Poisson means beyond
//                          ncf_cdf's step limit); us_per_call.  A root's cost
//                          in distribution functions is fnonct_solve's
//                          us_per_root over this (bench/solver_table.py).
//   ncp_interval/grid      the 95% interval of each grid row's x on its
//                          degrees of freedom (two roots, P = 0.975 and
//                          0.025), beside ncp_roots/grid, the same two roots
//                          by two fnonct_solve calls; us_per_interval.
//
// Usage: build/kelbrant_bench [--grid=FILE] [Google Benchmark flags]

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "cli/fnonct_csv.h"
#include "fnonct/argument_list.h"
#include "fnonct/fnonct.h"
#include "fnonct/fnonct_detail.h"
#include "fnonct/fnonct_solve.h"
#include "host/host.h"
#include "host/linked_module.h"
#include "library/ncf_log.h"
#include "ncf/ncf.h"

namespace {

struct fnonct_region_row {
    double x, df1, df2, p, lambda, kappa;
};

#include "tests/data/fnonct_regions.inc"

struct grid_row {
    double x, df1, df2, p, ncp;
};

std::string grid_path = KELBRANT_GRID;
std::vector<grid_row> grid;
std::string grid_text;  // the grid file as it stands

bool load_grid(const std::string& path)
{
    std::ifstream in(path);
    if (!in)
        return false;
    std::ostringstream whole;
    whole << in.rdbuf();
    grid_text = whole.str();
    in.clear();
    in.seekg(0);
    std::string line;
    std::getline(in, line);  // header: x,df1,df2,p,ncp
    while (std::getline(in, line)) {
        if (line.empty())
            continue;
        grid_row r{};
        if (std::sscanf(line.c_str(), "%lf,%lf,%lf,%lf,%lf", &r.x, &r.df1, &r.df2, &r.p, &r.ncp) != 5)
            return false;
        grid.push_back(r);
    }
    return !grid.empty();
}

void set_per_item(benchmark::State& state, const char* name)
{
    state.counters[name] = benchmark::Counter(
        static_cast<double>(grid.size()),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// The argument list of one evaluation, as a host builds it.
struct argument_list {
    argument_list_header header;
    argument_entry entries[4];
    double values[4];
};

void fnonct_evaluate_grid(benchmark::State& state)
{
    host_module module;
    char error[256];
    if (host_attach_static(&module, error, sizeof error) != 0) {
        state.SkipWithError(error);
        return;
    }
    std::vector<argument_list> lists(grid.size());
    long calls = 0, found = 0;
    for (size_t i = 0; i < grid.size(); ++i) {
        const grid_row& r = grid[i];
        argument_list& list = lists[i];
        list = argument_list{};
        list.header.count = 4;
        const double values[4] = {r.x, r.df1, r.df2, r.p};
        for (int k = 0; k < 4; ++k) {
            list.values[k] = values[k];
            list.entries[k].value = &list.values[k];
        }
        fnonct_search_trace t;
        double lam;
        if (fnonct_search_traced(r.x, r.df1, r.df2, r.p, &lam, &t) == 0)
            ++found;
        calls += t.cdf_calls;
    }
    for (auto _ : state) {
        for (argument_list& list : lists) {
            double lam;
            benchmark::DoNotOptimize(module.evaluate(&list, &lam));
            benchmark::DoNotOptimize(lam);
        }
    }
    set_per_item(state, "us_per_eval");
    state.counters["cdf_calls_per_eval"] = static_cast<double>(calls) / grid.size();
    state.counters["found"] = static_cast<double>(found);
    state.counters["rows"] = static_cast<double>(grid.size());
}

void ncf_cdf_grid(benchmark::State& state)
{
    for (auto _ : state) {
        for (const grid_row& r : grid) {
            double out;
            benchmark::DoNotOptimize(ncf_cdf(r.x, r.df1, r.df2, r.ncp, &out));
            benchmark::DoNotOptimize(out);
        }
    }
    set_per_item(state, "us_per_call");
}

void csv_grid(benchmark::State& state)
{
    host_module module;
    char error[256];
    if (host_attach_static(&module, error, sizeof error) != 0) {
        state.SkipWithError(error);
        return;
    }
    std::FILE* out = std::fopen("/dev/null", "w");
    fnonct_csv_options options = default_csv_options;
    options.threads = 1;
    for (auto _ : state) {
        std::FILE* in = fmemopen(const_cast<char*>(grid_text.data()), grid_text.size(), "rb");
        const int status = fnonct_csv_stream(&module, &options, in, "grid", out, stderr);
        std::fclose(in);
        if (status != exit_ok) {
            state.SkipWithError("the grid's CSV run did not succeed");
            break;
        }
    }
    std::fclose(out);
    set_per_item(state, "us_per_row");
}

// A set of rows with their roots: the grid's or a region's.
struct root_row {
    double x, df1, df2, p, lambda;
};

std::vector<root_row> grid_roots()
{
    std::vector<root_row> rows;
    for (const grid_row& r : grid)
        rows.push_back(root_row{r.x, r.df1, r.df2, r.p, r.ncp});
    return rows;
}

template <size_t N>
std::vector<root_row> region_roots(const fnonct_region_row (&table)[N])
{
    std::vector<root_row> rows;
    for (const fnonct_region_row& r : table)
        rows.push_back(root_row{r.x, r.df1, r.df2, r.p, r.lambda});
    return rows;
}

void set_per_row(benchmark::State& state, const char* name, size_t rows)
{
    state.counters[name] = benchmark::Counter(
        static_cast<double>(rows),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void fnonct_solve_rows(benchmark::State& state, std::vector<root_row> (*make)())
{
    const std::vector<root_row> rows = make();
    long sums = 0, found = 0;
    for (const root_row& r : rows) {
        fnonct_halley_trace t;
        double lam;
        if (fnonct_halley_search(r.x, r.df1, r.df2, r.p, &lam, &t) == fnonct_search_found)
            ++found;
        sums += t.evaluations;
    }
    for (auto _ : state) {
        for (const root_row& r : rows) {
            double lam;
            benchmark::DoNotOptimize(fnonct_solve(r.x, r.df1, r.df2, r.p, &lam));
            benchmark::DoNotOptimize(lam);
        }
    }
    set_per_row(state, "us_per_root", rows.size());
    state.counters["sums_per_root"] = static_cast<double>(sums) / rows.size();
    state.counters["found"] = static_cast<double>(found);
    state.counters["rows"] = static_cast<double>(rows.size());
}

void fnonct_search_rows(benchmark::State& state, std::vector<root_row> (*make)())
{
    const std::vector<root_row> rows = make();
    long calls = 0, found = 0;
    for (const root_row& r : rows) {
        fnonct_search_trace t;
        double lam;
        if (fnonct_search_traced(r.x, r.df1, r.df2, r.p, &lam, &t) == fnonct_search_found)
            ++found;
        calls += t.cdf_calls + t.log_calls;
    }
    for (auto _ : state) {
        for (const root_row& r : rows) {
            double lam;
            benchmark::DoNotOptimize(fnonct_search(r.x, r.df1, r.df2, r.p, &lam));
            benchmark::DoNotOptimize(lam);
        }
    }
    set_per_row(state, "us_per_root", rows.size());
    state.counters["cdf_calls_per_root"] = static_cast<double>(calls) / rows.size();
    state.counters["found"] = static_cast<double>(found);
    state.counters["rows"] = static_cast<double>(rows.size());
}

void cdf_at_root_rows(benchmark::State& state, std::vector<root_row> (*make)())
{
    const std::vector<root_row> all = make();
    std::vector<root_row> direct, logs;
    for (const root_row& r : all) {
        double out;
        (ncf_cdf(r.x, r.df1, r.df2, r.lambda, &out) == 0 ? direct : logs).push_back(r);
    }
    for (auto _ : state) {
        for (const root_row& r : direct) {
            double out;
            benchmark::DoNotOptimize(ncf_cdf(r.x, r.df1, r.df2, r.lambda, &out));
            benchmark::DoNotOptimize(out);
        }
        for (const root_row& r : logs) {
            double lower, upper;
            benchmark::DoNotOptimize(ncf_log_tails(r.x, r.df1, r.df2, r.lambda, &lower, &upper));
            benchmark::DoNotOptimize(lower);
        }
    }
    set_per_row(state, "us_per_call", all.size());
    state.counters["by_log_tails"] = static_cast<double>(logs.size());
}

void ncp_interval_grid(benchmark::State& state)
{
    for (auto _ : state) {
        for (const grid_row& r : grid) {
            double lower, upper;
            benchmark::DoNotOptimize(
                ncp_interval(r.x, r.df1, r.df2, 0.95, ncp_two_sided, &lower, &upper));
            benchmark::DoNotOptimize(upper);
        }
    }
    set_per_row(state, "us_per_interval", grid.size());
}

void ncp_roots_grid(benchmark::State& state)
{
    // The two probabilities ncp_interval forms: 1 - alpha and alpha.
    const double alpha = 0.5 * (1.0 - 0.95);
    for (auto _ : state) {
        for (const grid_row& r : grid) {
            double lower, upper;
            benchmark::DoNotOptimize(fnonct_solve(r.x, r.df1, r.df2, 1.0 - alpha, &lower));
            benchmark::DoNotOptimize(fnonct_solve(r.x, r.df1, r.df2, alpha, &upper));
            benchmark::DoNotOptimize(upper);
        }
    }
    set_per_row(state, "us_per_interval", grid.size());
}

#define ROWS(name, table) \
    std::vector<root_row> name##_roots() { return region_roots(table); }
ROWS(ordinary, fnonct_ordinary_rows)
ROWS(large, fnonct_large_rows)
ROWS(small, fnonct_small_rows)
ROWS(tails, fnonct_tails_rows)
ROWS(heavy, fnonct_heavy_rows)
ROWS(wide, fnonct_wide_rows)
#undef ROWS

}  // namespace

// Seven repetitions, reported as mean, median, spread and the best one: the
// best of repeats is what the SciPy peer reports, so the two compare alike
// on a machine whose speed drifts with its neighbours' load.
double best_of(const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); }

BENCHMARK(fnonct_evaluate_grid)
    ->Name("fnonct_evaluate/grid")
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(7)
    ->ComputeStatistics("best", best_of)
    ->ReportAggregatesOnly(true);
BENCHMARK(csv_grid)
    ->Name("csv/grid")
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(7)
    ->ComputeStatistics("best", best_of)
    ->ReportAggregatesOnly(true);
BENCHMARK(ncf_cdf_grid)
    ->Name("ncf_cdf/grid")
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(7)
    ->ComputeStatistics("best", best_of)
    ->ReportAggregatesOnly(true);

// The searches and the distribution function at the roots, set by set.
void register_root_benchmarks()
{
    struct row_set {
        const char* name;
        std::vector<root_row> (*make)();
    };
    const row_set sets[] = {
        {"grid", grid_roots},   {"ordinary", ordinary_roots}, {"large", large_roots},
        {"small", small_roots}, {"tails", tails_roots},       {"heavy", heavy_roots},
        {"wide", wide_roots},
    };
    for (const row_set& set : sets) {
        const std::string suffix = std::string("/") + set.name;
        for (auto* b : {benchmark::RegisterBenchmark(("fnonct_solve" + suffix).c_str(),
                                                     fnonct_solve_rows, set.make),
                        benchmark::RegisterBenchmark(("fnonct_search" + suffix).c_str(),
                                                     fnonct_search_rows, set.make),
                        benchmark::RegisterBenchmark(("cdf_at_root" + suffix).c_str(),
                                                     cdf_at_root_rows, set.make)})
            b->Unit(benchmark::kMillisecond)
                ->Repetitions(7)
                ->ComputeStatistics("best", best_of)
                ->ReportAggregatesOnly(true);
    }
}

BENCHMARK(ncp_interval_grid)
    ->Name("ncp_interval/grid")
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(7)
    ->ComputeStatistics("best", best_of)
    ->ReportAggregatesOnly(true);
BENCHMARK(ncp_roots_grid)
    ->Name("ncp_roots/grid")
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(7)
    ->ComputeStatistics("best", best_of)
    ->ReportAggregatesOnly(true);

int main(int argc, char** argv)
{
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strncmp(argv[i], "--grid=", 7) == 0)
            grid_path = argv[i] + 7;
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
    if (!load_grid(grid_path)) {
        std::fprintf(stderr, "kelbrant_bench: cannot read the grid %s\n", grid_path.c_str());
        return 2;
    }
    std::printf("grid: %s (%zu rows)\n", grid_path.c_str(), grid.size());
    std::fflush(stdout);
    register_root_benchmarks();
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 2;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
