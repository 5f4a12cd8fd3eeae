// The module is reentrant: several threads of one host may run the evaluate
// callback at the same time.  Every thread evaluates the whole grid, each
// starting at a different row so that different arguments overlap, and every
// result must be the single-threaded one bit for bit: status, result slot and
// flag bytes.  Built with ThreadSanitizer by scripts/test.d/51-threads.sh.

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "host/host.h"
#include "support/loaded_module.h"

namespace {

struct grid_row {
    double args[host_argument_count];
};

// The benchmark grid (realistic arguments), then rows for every outcome the
// callback has: missing arguments, each domain failure, no solution, x = 0,
// and arguments at the ends of the double range.
std::vector<grid_row> load_rows()
{
    std::vector<grid_row> rows;
    const std::string path = std::string(KELBRANT_SOURCE_DIR) + "/bench/grid.csv";
    std::FILE* in = std::fopen(path.c_str(), "r");
    EXPECT_NE(in, nullptr) << path;
    if (in != nullptr) {
        char line[256];
        if (std::fgets(line, sizeof line, in) != nullptr) {  // header
            grid_row r;
            double ncp;
            while (std::fscanf(in, "%lf,%lf,%lf,%lf,%lf", &r.args[0], &r.args[1], &r.args[2],
                               &r.args[3], &ncp) == 5)
                rows.push_back(r);
        }
        std::fclose(in);
    }
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const grid_row edges[] = {
        {{nan, 3, 10, 0.5}},  {{2, inf, 10, 0.5}},   {{-1, 0, 10, 0.5}},  {{2, 0, 10, 0.5}},
        {{2, 3, -1, 0.5}},    {{2, 3, 10, 1.0}},     {{0.5, 3, 10, 0.9}}, {{0, 3, 10, 0.5}},
        {{2, 3, 10, 0.9999999}}, {{1e300, 1e-300, 1e300, 0.5}}, {{5e-324, 5e-324, 5e-324, 5e-324}},
        {{999, 10, 10, 1e-9}}, {{2, 3, 10, 0.5}},
    };
    rows.insert(rows.end(), std::begin(edges), std::end(edges));
    return rows;
}

void evaluate_all(const host_module* module, const std::vector<grid_row>& rows, size_t first,
                  std::vector<host_evaluation>* out)
{
    out->assign(rows.size(), host_evaluation{});
    for (size_t i = 0; i < rows.size(); ++i) {
        const size_t row = (first + i) % rows.size();
        host_evaluate(module, rows[row].args, &(*out)[row]);
    }
}

}  // namespace

TEST(EvaluateThreads, ResultsMatchTheSingleThreadedRunBitForBit)
{
    host_reset();
    // A missing value with a payload of its own, so that the copies into the
    // result slot are checked as well.
    host_set_missing_value(0x7FF80000C0FFEE01ULL);
    const host_module* module = loaded_module_copy();
    ASSERT_NE(module, nullptr);
    const std::vector<grid_row> rows = load_rows();
    ASSERT_GT(rows.size(), 2000u);

    std::vector<host_evaluation> single;
    evaluate_all(module, rows, 0, &single);

    constexpr int thread_count = 4;
    std::vector<std::vector<host_evaluation>> results(thread_count);
    std::vector<std::thread> threads;
    for (int t = 0; t < thread_count; ++t)
        threads.emplace_back(evaluate_all, module, std::cref(rows), t * rows.size() / thread_count,
                             &results[t]);
    for (std::thread& t : threads)
        t.join();

    for (int t = 0; t < thread_count; ++t) {
        int mismatches = 0;
        for (size_t i = 0; i < rows.size() && mismatches < 5; ++i) {
            const host_evaluation& a = single[i];
            const host_evaluation& b = results[t][i];
            const bool same = a.status == b.status && a.result_bits == b.result_bits
                           && std::memcmp(a.flags, b.flags, sizeof a.flags) == 0
                           && b.host_bytes_intact == 1 && b.guard.unwound == 0;
            if (!same) {
                ++mismatches;
                ADD_FAILURE() << "thread " << t << ", row " << i << " (" << rows[i].args[0] << ", "
                              << rows[i].args[1] << ", " << rows[i].args[2] << ", "
                              << rows[i].args[3] << "): status " << b.status << " vs " << a.status
                              << ", result bits " << std::hex << b.result_bits << " vs "
                              << a.result_bits << std::dec;
            }
        }
    }
    host_reset();
}
