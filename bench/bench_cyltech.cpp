// Time and memory of the technical-theory cylinder "CylTech" at production
// size: assembly of the rows (the equations listed, every row written once)
// and the whole calculation (assembly, band width, elimination, back
// substitution) by the band and windowed methods 2, 3, 4,
// 6 and 7.
//
// The shell: R = 10 m, H = 10 m, t = 0.01 m, clamped bottom, free top, full
// tank (Gidr 10000) and a wind harmonic (Wind [0, 0, 500]); meshes of
// N axial by M circumferential steps, 3 M (N + 5) unknowns.
//
// Counters: N (unknowns), m (half band of the rows), heap_MB (peak
// heap of the measured part: every operator new counted, the problem's own
// equation list included), maxrss_MB (peak resident size of the process so
// far), file_MB (temporary file of the windowed methods).
//
// Build with -DZEM_BENCH=ON; run bin/bench_cyltech (see bench/README.md).
#include "domains/Equations.h"
#include "elements/ElLists.h"
#include "elements/Elements.h"
#include "platform/progress.h"
#include "problem/PbTypes.h"
#include "problem/Problems.h"
#include "problemtypes/ElCyls.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <ctime>
#include <malloc.h>
#include <new>
#include <string>
#include <vector>

#include "cyltech_shell.h"
#include "heap_counter.h"

namespace {

using namespace zem;

using bench::Shell;

void StartHeap(long long& base) {
    base = gHeapNow.load();
    gHeapPeak = base;
}

// args: N, M. The equations listed and every row written once.
void Assemble(benchmark::State& state, const char* type) {
    auto p = Shell(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)), type);
    long long base = 0;
    std::size_t entries = 0, band = 0;
    for (auto _ : state) {
        StartHeap(base);
        p->BuildEquations();
        TRowItems items;
        entries = 0;
        band = 0;
        for (std::size_t r = 0; r < p->UnknownCount(); ++r) {
            benchmark::DoNotOptimize(p->GetRow(r, items));
            entries += items.size();
            for (const TListItem& it : items) band = std::max(band, it.Col > r ? it.Col - r : r - it.Col);
        }
    }
    state.counters["N"] = static_cast<double>(p->UnknownCount());
    state.counters["m"] = static_cast<double>(band);
    state.counters["entries_per_row"] = static_cast<double>(entries) / static_cast<double>(p->UnknownCount());
    state.counters["heap_MB"] = (gHeapPeak.load() - base) / 1048576.0;
    state.counters["maxrss_MB"] = MaxRssMB();
}

void BM_Assembly(benchmark::State& state) { Assemble(state, "CylTech"); }

double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// args: N, M. One pass of the row provider over every row of "CylTech", the
// equations listed before it: CPU time of the process, median of five
// passes, and per coefficient.
void BM_RowPass(benchmark::State& state) {
    auto p = Shell(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    p->BuildEquations();
    std::vector<double> times;
    std::size_t entries = 0;
    TRowItems items;
    for (auto _ : state) {
        for (int rep = 0; rep < 5; ++rep) {
            entries = 0;
            const double t = CpuSeconds();
            for (std::size_t r = 0; r < p->UnknownCount(); ++r) {
                benchmark::DoNotOptimize(p->GetRow(r, items));
                entries += items.size();
            }
            times.push_back(CpuSeconds() - t);
        }
    }
    std::sort(times.begin(), times.end());
    const double median = times[times.size() / 2];
    state.counters["pass_ms"] = median * 1e3;
    state.counters["ns_per_coef"] = median * 1e9 / static_cast<double>(entries);
    state.counters["N"] = static_cast<double>(p->UnknownCount());
    // Of the last pass: the rows handed out as copies of a row written once.
    state.counters["copied_rows"] = static_cast<double>(p->Equations().CopiedRows()) / static_cast<double>(times.size());
}
// The five-point stencils with the compact three-point highest derivatives.
void BM_AssemblyHiAcc(benchmark::State& state) { Assemble(state, "CylTech2_2"); }

// args: method, N, M. The whole calculation of the problem.
void BM_Calculate(benchmark::State& state) {
    const int method = static_cast<int>(state.range(0));
    auto p = Shell(static_cast<int>(state.range(1)), static_cast<int>(state.range(2)));
    state.SetLabel(SLAEMethodNames()[static_cast<std::size_t>(method)]);
    TProgressLog progress;
    long long base = 0;
    double fileMB = 0;
    for (auto _ : state) {
        StartHeap(base);
        p->Calculate(method, false, progress);
        fileMB = static_cast<double>(p->Solver()->TempFileBytes()) / 1048576.0;
        benchmark::DoNotOptimize(p->Solution(0));
    }
    state.counters["N"] = static_cast<double>(p->UnknownCount());
    state.counters["heap_MB"] = (gHeapPeak.load() - base) / 1048576.0;
    state.counters["maxrss_MB"] = MaxRssMB();
    state.counters["file_MB"] = fileMB;
}

void Meshes(benchmark::internal::Benchmark* b) {
    b->Args({100, 64})->Args({200, 128});
}

void MethodsAndMeshes(benchmark::internal::Benchmark* b) {
    for (auto [n, m] : {std::pair{100, 64}, std::pair{200, 128}})
        for (int method : {2, 3, 4, 6, 7}) b->Args({method, n, m});
}

}  // namespace

BENCHMARK(BM_Assembly)->Apply(Meshes)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_RowPass)->Args({300, 192})->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_AssemblyHiAcc)->Apply(Meshes)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Calculate)->Apply(MethodsAndMeshes)->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();
