// Reading a solved problem's results: every result field of the "CylTech"
// benchmark shell (cyltech_shell.h) of 100 × 64 and of 300 × 192 steps,
// each a table of all nodes, as the tables and graphs read them, after a
// solution by the band method (whose solution vector was once a linked list
// walked from its head) or, for the larger shell, the harmonic method.
//
// Build with -DZEM_BENCH=ON; run bin/bench_results (see bench/README.md).
#include "domains/ElDomain.h"
#include "platform/progress.h"
#include "problemtypes/ElCyls.h"

#include "cyltech_shell.h"

#include <benchmark/benchmark.h>

namespace {

using namespace zem;

void BM_ReadAllFields(benchmark::State& state) {
    auto p = bench::Shell(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    TProgressLog progress;
    p->Calculate(static_cast<int>(state.range(2)), false, progress);
    TDomain& d = *p->Domains().at(0)->Domain;
    const std::size_t kinds = TElCylTech::ResultNames().size();
    for (auto _ : state)
        for (std::size_t k = 0; k < kinds; ++k) benchmark::DoNotOptimize(d.ResultTable(static_cast<int>(k)));
    state.counters["N"] = static_cast<double>(p->UnknownCount());
    state.counters["fields"] = static_cast<double>(kinds);
}

}  // namespace

// args: N, M, method.
BENCHMARK(BM_ReadAllFields)->Args({100, 64, 2})->Args({300, 192, 12})->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();
