// The harmonic method ("Гармонический метод") on the "CylTech" benchmark
// shell under wind (cyltech_shell.h).
//
// BM_Whole: the whole calculation in the process, as the batch runner does
// it after reading the file: equations, the method's pass over the rows
// (cell-0 rows and every free term), the solution in extended with its
// refinement, and the results file written. CPU seconds of the whole and
// of its stages (s_eq: equations and layout, up to the method's first
// stage), wall seconds, and the peak resident memory above what the
// process held before.
//
// BM_Pair: the system exported once (every row with its 80-bit
// coefficients); the method solves it from the export (its free-term pass
// reading the export, so the shell's own writers are not counted) at one
// and at two threads (CPU and wall seconds of each), and UMFPACK with its
// METIS ordering solves the same system directly, interleaved; medians of
// three (one above a million unknowns). At 100 × 64 and 300 × 192 the
// forward error against the sparse method in extended, relative to
// max |x|.
//
// Build with -DZEM_BENCH=ON; run bin/bench_harmonic (see bench/README.md).
#include "platform/progress.h"
#include "problem/PbHarmonic.h"
#include "solvers/SLCLass.h"
#include "solvers/SLHarmonic.h"

#include "cyltech_shell.h"
#include "exported_system.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using namespace zem;
using namespace zem::bench;

double WallSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// args: N, M.
void BM_Whole(benchmark::State& state) {
    const int n = static_cast<int>(state.range(0)), m = static_cast<int>(state.range(1));
    if (n >= 2000 && !std::getenv("ZEM_BENCH_HUGE")) {
        state.SkipWithError("12 M unknowns: run alone with ZEM_BENCH_HUGE=1");
        for (auto _ : state) {
        }
        return;
    }
    const std::string results = (std::filesystem::temp_directory_path() / "bench_harmonic.res").string();
    for (auto _ : state) {
        const double base = ResetPeakMB(), cpu = CpuSeconds(), wall = WallSeconds();
        {
            TRealTypeScope scope(rtExtended);
            auto p = bench::Shell(n, m);
            TStageClock progress;
            p->Calculate(kHarmonicMethod, false, progress);
            p->SaveResults(results);
            const double end = CpuSeconds();
            // Before the rows (equations, layout), the method's stages, the
            // results file.
            if (!progress.marks.empty()) state.counters["s_eq"] = progress.marks.front().second - cpu;
            state.counters["s_rows"] = progress.StageSeconds("Формирование матрицы", end);
            state.counters["s_load"] = progress.StageSeconds("Преобразование нагрузки", end);
            state.counters["s_harm"] = progress.StageSeconds("Разложение по гармоникам", end);
            state.counters["s_refine"] = progress.StageSeconds("Уточнение решения", end);
            state.counters["s_file"] = progress.StageSeconds("Расчет закончен", end);
            state.counters["N"] = static_cast<double>(p->UnknownCount());
            const auto& solver = dynamic_cast<const THarmonicSolver&>(*p->Solver());
            state.counters["steps"] = solver.RefinementSteps();
            state.counters["kl"] = static_cast<double>(solver.LowerBand());
            state.counters["ku"] = static_cast<double>(solver.UpperBand());
        }
        state.counters["cpu_s"] = CpuSeconds() - cpu;
        state.counters["wall_s"] = WallSeconds() - wall;
        state.counters["peak_MB"] = StatusMB("VmHWM:") - base;
    }
    std::filesystem::remove(results);
}

struct THarmonicSystem : TSystem {
    THarmonicLayout layout;
};

const THarmonicSystem& ShellSystem(int n, int m) {
    static int cachedN = 0, cachedM = 0;
    static THarmonicSystem cached;
    if (n != cachedN || m != cachedM) {
        cached = THarmonicSystem();
        auto p = bench::Shell(n, m);
        Export(*p, cached);
        cached.layout = HarmonicLayout(*p);
        cached.layout.RowName = nullptr;
        cached.layout.FreeTerm = [](std::size_t r, const TCoefSink& sink) {
            for (Index k = cached.rowStart[r]; k < cached.rowStart[r + 1]; ++k)
                sink(static_cast<std::size_t>(cached.cols[k]), cached.vals[k]);
            return cached.b[r];
        };
        cachedN = n, cachedM = m;
    }
    return cached;
}

std::vector<Extended> SolveHarmonic(const THarmonicSystem& s, TRealType realType, unsigned threads) {
    TRealTypeScope scope(realType);
    TProgressLog progress;
    THarmonicSolver solver(s.n, s.Provider(), progress);
    solver.SetLayout(s.layout);
    solver.Threads = threads;
    solver.Solve();
    return solver.X().Values();
}

// args: N, M; 1: with the sparse method's extended solution as reference,
// 0: without, 2: without UMFPACK either (the method alone).
void BM_Pair(benchmark::State& state) {
    const THarmonicSystem& s = ShellSystem(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    std::vector<double> one, oneWall, two, twoWall, direct;
    double harmonicPeak = 0, directPeak = 0;
    std::vector<Extended> x;
    std::vector<double> y;
    for (auto _ : state) {
        for (int rep = 0; rep < (s.n > 1'000'000 ? 1 : 3); ++rep) {
            double base = ResetPeakMB(), t = CpuSeconds(), w = WallSeconds();
            x = SolveHarmonic(s, rtDouble, 1);
            one.push_back(CpuSeconds() - t);
            oneWall.push_back(WallSeconds() - w);
            harmonicPeak = std::max(harmonicPeak, StatusMB("VmHWM:") - base);
            t = CpuSeconds(), w = WallSeconds();
            SolveHarmonic(s, rtDouble, 2);
            two.push_back(CpuSeconds() - t);
            twoWall.push_back(WallSeconds() - w);
            if (state.range(2) == 2) continue;
            base = ResetPeakMB(), t = CpuSeconds();
            y = SolveDirect(s);
            direct.push_back(CpuSeconds() - t);
            directPeak = std::max(directPeak, StatusMB("VmHWM:") - base);
        }
    }
    state.counters["N"] = static_cast<double>(s.n);
    state.counters["harmonic_s"] = Median(one);
    state.counters["harmonic_wall_s"] = Median(oneWall);
    state.counters["harmonic_2thr_s"] = Median(two);
    state.counters["harmonic_2thr_wall_s"] = Median(twoWall);
    state.counters["harmonic_MB"] = harmonicPeak;
    if (!direct.empty()) {
        state.counters["direct_s"] = Median(direct);
        state.counters["speedup"] = Median(direct) / Median(one);
        state.counters["direct_MB"] = directPeak;
        state.counters["differ_direct"] = RelError(x, y);
    }
    if (state.range(2) == 1) {
        const std::vector<Extended> xe = SolveHarmonic(s, rtExtended, 2);
        TRealTypeScope scope(rtExtended);
        TProgressLog progress;
        TSparseLU sparse(s.n, s.Provider(), progress);
        sparse.Solve();
        state.counters["err_ext_vs_sparse"] = RelError(xe, sparse.X().Values());
    }
}

}  // namespace

BENCHMARK(BM_Whole)->Args({100, 64})->Args({300, 192})->Args({1000, 512})->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Pair)
    ->Args({100, 64, 1})
    ->Args({300, 192, 1})
    ->Args({1000, 512, 0})
    ->Args({1000, 512, 2})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);
// The largest shell, 12 M unknowns: only with ZEM_BENCH_HUGE set, alone
// (--benchmark_filter=BM_Whole/2000).
BENCHMARK(BM_Whole)->Args({2000, 2048})->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();
