// The whole calculation of the axisymmetric tank "CylSym" of 100 000 steps
// (cyltech_shell.h) by the band method in extended, the default for this
// type, and its parts: the equation list, one pass of the row provider over
// every row, and the band solution from rows held in memory. CPU time of the
// process, medians of three.
//
// Build with -DZEM_BENCH=ON; run bin/bench_tank (see bench/README.md).
#include "platform/progress.h"
#include "solvers/SLCLass.h"

#include "cyltech_shell.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <vector>

namespace {

using namespace zem;

double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec * 1e-9;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void BM_TankCalculate(benchmark::State& state) {
    auto p = bench::Tank(100000);
    TRealTypeScope scope(rtExtended);
    TProgressLog progress;
    std::vector<double> whole, build, pass, solve;
    for (auto _ : state) {
        for (int rep = 0; rep < 3; ++rep) {
            double t = CpuSeconds();
            p->Calculate(2, false, progress);
            whole.push_back(CpuSeconds() - t);
            t = CpuSeconds();
            p->BuildEquations();
            build.push_back(CpuSeconds() - t);
            // Every row once, kept for the solution below.
            std::vector<TRowItems> rows(p->UnknownCount());
            std::vector<Extended> b(p->UnknownCount());
            t = CpuSeconds();
            for (std::size_t r = 0; r < rows.size(); ++r) b[r] = p->GetRow(r, rows[r]);
            pass.push_back(CpuSeconds() - t);
            TBGaus band(rows.size(), [&](std::size_t i, TRowItems& items, Extended& f) { items = rows[i], f = b[i]; },
                        progress);
            t = CpuSeconds();
            band.Solve();
            solve.push_back(CpuSeconds() - t);
        }
    }
    state.counters["calculate_ms"] = Median(whole) * 1e3;
    state.counters["equations_ms"] = Median(build) * 1e3;
    state.counters["row_pass_ms"] = Median(pass) * 1e3;
    state.counters["solve_from_memory_ms"] = Median(solve) * 1e3;
    state.counters["N"] = static_cast<double>(p->UnknownCount());
}

}  // namespace

BENCHMARK(BM_TankCalculate)->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();
