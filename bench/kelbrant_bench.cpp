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
//   ncx2_ncp/chisq_grid    one noncentral chi-square inversion per row of
//                          bench/chisq_grid.csv (bench/gen_chisq_grid.py);
//                          us_per_root the mean, sums_per_root the mean number
//                          of Poisson sums, the central one included.
//   ncx2_tails/chisq_grid  one ncx2_tails per row at the row's noncentrality.
//
// Usage: build/kelbrant_bench [--grid=FILE] [--chisq-grid=FILE]
//                             [Google Benchmark flags]

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
#include "host/host.h"
#include "host/linked_module.h"
#include "ncf/ncf.h"
#include "ncx2/ncx2.h"

namespace {

struct grid_row {
    double x, df1, df2, p, ncp;
};

std::string grid_path = KELBRANT_GRID;
std::string chisq_grid_path = KELBRANT_CHISQ_GRID;

struct chisq_row {
    double x, df, p, ncp;
};
std::vector<chisq_row> chisq_grid;

bool load_chisq_grid(const std::string& path)
{
    std::ifstream in(path);
    std::string line;
    if (!in || !std::getline(in, line))  // header: x,df,p,ncp
        return false;
    while (std::getline(in, line)) {
        chisq_row r{};
        if (!line.empty()
            && std::sscanf(line.c_str(), "%lf,%lf,%lf,%lf", &r.x, &r.df, &r.p, &r.ncp) == 4)
            chisq_grid.push_back(r);
    }
    return !chisq_grid.empty();
}
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

void ncx2_ncp_grid(benchmark::State& state)
{
    long sums_total = 0, found = 0;
    for (const chisq_row& r : chisq_grid) {
        double lambda;
        int32_t sums;
        if (ncx2_ncp(r.x, r.df, r.p, ncx2_lower_tail, &lambda, &sums) == ncx2_ncp_found)
            ++found;
        sums_total += sums;
    }
    for (auto _ : state) {
        for (const chisq_row& r : chisq_grid) {
            double lambda;
            benchmark::DoNotOptimize(ncx2_ncp(r.x, r.df, r.p, ncx2_lower_tail, &lambda, nullptr));
            benchmark::DoNotOptimize(lambda);
        }
    }
    state.counters["us_per_root"] = benchmark::Counter(
        static_cast<double>(chisq_grid.size()),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.counters["sums_per_root"] = static_cast<double>(sums_total) / chisq_grid.size();
    state.counters["found"] = static_cast<double>(found);
    state.counters["rows"] = static_cast<double>(chisq_grid.size());
}

void ncx2_tails_grid(benchmark::State& state)
{
    for (auto _ : state) {
        for (const chisq_row& r : chisq_grid) {
            double p, q;
            benchmark::DoNotOptimize(ncx2_tails(r.x, r.df, r.ncp, &p, &q));
            benchmark::DoNotOptimize(p);
        }
    }
    state.counters["us_per_call"] = benchmark::Counter(
        static_cast<double>(chisq_grid.size()),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

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
BENCHMARK(ncx2_ncp_grid)
    ->Name("ncx2_ncp/chisq_grid")
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(7)
    ->ComputeStatistics("best", best_of)
    ->ReportAggregatesOnly(true);
BENCHMARK(ncx2_tails_grid)
    ->Name("ncx2_tails/chisq_grid")
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
        else if (std::strncmp(argv[i], "--chisq-grid=", 13) == 0)
            chisq_grid_path = argv[i] + 13;
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
    if (!load_grid(grid_path)) {
        std::fprintf(stderr, "kelbrant_bench: cannot read the grid %s\n", grid_path.c_str());
        return 2;
    }
    if (!load_chisq_grid(chisq_grid_path)) {
        std::fprintf(stderr, "kelbrant_bench: cannot read the grid %s\n", chisq_grid_path.c_str());
        return 2;
    }
    std::printf("grid: %s (%zu rows)\n", grid_path.c_str(), grid.size());
    std::printf("chisq grid: %s (%zu rows)\n", chisq_grid_path.c_str(), chisq_grid.size());
    std::fflush(stdout);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 2;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
