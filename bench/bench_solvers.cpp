// Time and memory of the direct solvers on systems shaped like a shell
// problem: a mesh of L axial by M circumferential nodes, three unknowns per
// node numbered node by node around the circumference, each unknown coupled
// to the nodes up to 3 steps along the axis and 2 around it. The half band
// is then 9·M + 2. Rows are generated on demand, as the problem does, so the
// system itself costs no memory.
//
// Counters: N, m (half band), heap_MB (peak heap of the solution: every
// operator new counted), maxrss_MB (peak resident size of the whole process
// so far), file_MB (temporary file written). "PlainBandLU" is a plain
// contiguous band LU in double on the same system, the yardstick of the band
// methods.
//
// Build with -DZEM_BENCH=ON; run bin/bench_solvers (see bench/README.md).
#include "platform/progress.h"
#include "solvers/SLCLass.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <malloc.h>
#include <new>

#include "heap_counter.h"

namespace {

using namespace zem;

// --- The shell-shaped system ------------------------------------------------------------

std::uint64_t Mix(std::uint64_t x) {  // splitmix64
    x += 0x9E3779B97F4A7C15ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return x ^ (x >> 31);
}

double Coefficient(std::size_t i, std::size_t j) {  // in [−1, 1), the same at every call
    return static_cast<double>(Mix(i * 0x100000001B3ull + j) >> 11) * 0x1.0p-52 - 1.0;
}

struct TShell {
    std::size_t axial, circ;
    static constexpr std::size_t kUnknowns = 3;

    std::size_t N() const { return axial * circ * kUnknowns; }
    std::size_t HalfBand() const { return 9 * circ + 2; }

    // Row i, columns ascending; diagonal 2·Σ|off-diagonal| + 1.
    void Row(std::size_t i, TRowItems& items, Extended& b) const {
        const std::size_t node = i / kUnknowns, a = node / circ, c = node % circ;
        items.clear();
        Extended off = 0;
        std::size_t diag = 0;
        for (long da = -3; da <= 3; ++da)
            for (long dc = -2; dc <= 2; ++dc) {
                if (std::labs(da) + std::labs(dc) > 3) continue;
                const long aa = long(a) + da, cc = long(c) + dc;
                if (aa < 0 || aa >= long(axial) || cc < 0 || cc >= long(circ)) continue;
                for (std::size_t v = 0; v < kUnknowns; ++v) {
                    const std::size_t j = (std::size_t(aa) * circ + std::size_t(cc)) * kUnknowns + v;
                    if (j == i) {
                        diag = items.size();
                        items.push_back(TListItem{j, 0});
                        continue;
                    }
                    const double x = Coefficient(i, j);
                    items.push_back(TListItem{j, x});
                    off += std::fabs(x);
                }
            }
        items[diag].Value = 2 * off + 1;
        b = Coefficient(i, i);
    }
    TGetRow Provider() const {
        return [this](std::size_t i, TRowItems& items, Extended& b) { Row(i, items, b); };
    }
};

// The shell for a system of about N unknowns with M nodes around.
TShell ShellOf(std::size_t n, std::size_t circ) {
    return TShell{std::max<std::size_t>(4, n / (circ * TShell::kUnknowns)), circ};
}

void Report(benchmark::State& state, const TShell& shell, std::size_t m, long long heapBase, double fileMB) {
    state.counters["N"] = static_cast<double>(shell.N());
    state.counters["m"] = static_cast<double>(m);
    state.counters["heap_MB"] = (gHeapPeak.load() - heapBase) / 1048576.0;
    state.counters["maxrss_MB"] = MaxRssMB();
    state.counters["file_MB"] = fileMB;
}

// args: method, N, M
void BM_Solver(benchmark::State& state) {
    const int method = static_cast<int>(state.range(0));
    const TShell shell = ShellOf(static_cast<std::size_t>(state.range(1)), static_cast<std::size_t>(state.range(2)));
    state.SetLabel(SLAEMethodNames()[method]);
    TProgressLog progress;
    double fileMB = 0;
    long long heapBase = 0;
    for (auto _ : state) {
        heapBase = gHeapNow.load();
        gHeapPeak = heapBase;
        auto solver = NewSolver(method, shell.N(), shell.Provider(), progress);
        solver->Prepare();
        solver->Solve();
        fileMB = solver->TempFileBytes() / 1048576.0;
        benchmark::DoNotOptimize(solver->X().GetItem(0));
    }
    Report(state, shell, shell.HalfBand(), heapBase, fileMB);
}

// A plain contiguous band LU in double, no pivoting: the yardstick.
void BM_PlainBandLU(benchmark::State& state) {
    const TShell shell = ShellOf(static_cast<std::size_t>(state.range(1)), static_cast<std::size_t>(state.range(2)));
    const std::size_t n = shell.N(), m = shell.HalfBand(), w = 2 * m + 1;
    long long heapBase = 0;
    for (auto _ : state) {
        heapBase = gHeapNow.load();
        gHeapPeak = heapBase;
        std::vector<double> a(n * w, 0.0), x(n);
        TRowItems items;
        Extended b = 0;
        for (std::size_t i = 0; i < n; ++i) {
            shell.Row(i, items, b);
            for (const TListItem& it : items) a[i * w + it.Col + m - i] = static_cast<double>(it.Value);
            x[i] = -static_cast<double>(b);
        }
        for (std::size_t k = 0; k + 1 < n; ++k) {
            const double* pk = &a[k * w + m];
            const std::size_t lim = std::min(m, n - 1 - k);
            for (std::size_t e = 1; e <= lim; ++e) {
                double* pr = &a[(k + e) * w + m - e];
                const double f = pr[0];
                if (f == 0) continue;
                const double t = f / pk[0];
                x[k + e] -= t * x[k];
                for (std::size_t q = 1; q <= lim; ++q) pr[q] -= t * pk[q];
            }
        }
        for (std::size_t i = n; i-- > 0;) {
            const double* pi = &a[i * w + m];
            double s = x[i];
            for (std::size_t j = 1; j <= std::min(m, n - 1 - i); ++j) s -= pi[j] * x[i + j];
            x[i] = s / pi[0];
        }
        benchmark::DoNotOptimize(x.data());
    }
    Report(state, shell, m, heapBase, 0);
}

// Full-matrix methods: N² storage, so small systems.
void FullArgs(benchmark::internal::Benchmark* b) {
    for (int method : {0, 1, 5, 8})
        for (int n : {1000, 2000, 3000}) b->Args({method, n, 10});
}

// Band methods at growing size and band.
void BandArgs(benchmark::internal::Benchmark* b) {
    for (int method : {2, 3, 4, 6, 7})
        for (auto [n, circ] : {std::pair{20000, 10}, std::pair{50000, 20}, std::pair{100000, 30}})
            b->Args({method, n, circ});
}

// The windowed methods at N = 200 000 with a band of about 400, beside the
// in-memory band method (N·(2m+1) doubles) for contrast.
void LargeArgs(benchmark::internal::Benchmark* b) {
    for (int method : {2, 3, 4, 6, 7}) b->Args({method, 200000, 44});
}

void YardstickArgs(benchmark::internal::Benchmark* b) {
    for (auto [n, circ] : {std::pair{20000, 10}, std::pair{50000, 20}, std::pair{100000, 30}, std::pair{200000, 44}})
        b->Args({-1, n, circ});
}

BENCHMARK(BM_Solver)->Name("Full")->Apply(FullArgs)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Solver)->Name("Band")->Apply(BandArgs)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_PlainBandLU)->Apply(YardstickArgs)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_Solver)->Name("Windowed200k")->Apply(LargeArgs)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
