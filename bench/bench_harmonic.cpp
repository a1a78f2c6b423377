// The harmonic method ("Гармонический метод") on the "CylTech" benchmark
// shell under wind (cyltech_shell.h).
//
// BM_Whole: the whole calculation in the process, as the batch runner does
// it after reading the file: equations, the method's pass over the rows
// (cell-0 rows and every free term), the solution in extended with its
// refinement, and the results file written. CPU seconds, wall seconds, and
// the peak resident memory above what the process held before.
//
// BM_Pair: the system exported once (every row with its 80-bit
// coefficients); the method solves it from the export (its free-term pass
// reading the export, so the shell's own writers are not counted) at one
// and at two threads, and UMFPACK with its METIS ordering solves the same
// system directly, interleaved; medians of three (one above a million
// unknowns). At 100 × 64 and 300 × 192
// the forward error against the sparse method in extended, relative to
// max |x|.
//
// Build with -DZEM_BENCH=ON; run bin/bench_harmonic (see bench/README.md).
#include "platform/progress.h"
#include "problem/PbHarmonic.h"
#include "solvers/SLCLass.h"
#include "solvers/SLHarmonic.h"

#include "cyltech_shell.h"

#include <benchmark/benchmark.h>
#include <umfpack.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cmath>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <malloc.h>
#include <numeric>
#include <string>
#include <vector>

namespace {

using namespace zem;
using Index = SuiteSparse_long;

double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec * 1e-9;
}

double WallSeconds() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

double StatusMB(const std::string& key) {
    std::ifstream in("/proc/self/status");
    std::string k, rest;
    double kb = 0;
    while (in >> k) {
        if (k == key) {
            in >> kb;
            return kb / 1024;
        }
        std::getline(in, rest);
    }
    return 0;
}

double ResetPeakMB() {
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
    return StatusMB("VmRSS:");
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// The CPU seconds of the calculation's stages: everything before the
// method's first stage (equations, layout), the method's stages in order
// (the last ends at "Расчет закончен"), and the results file.
class TStageClock : public TProgressLog {
public:
    void BeginStage(const std::string& name) override {
        Mark();
        TProgressLog::BeginStage(name);
    }
    void Mark() {
        const double now = CpuSeconds();
        seconds.push_back(now - last);
        last = now;
    }
    std::vector<double> seconds;
    double last = CpuSeconds();
};

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
            progress.Mark();
            // Before the rows, rows with free terms, load transform,
            // harmonics, refinement, results file.
            static const char* const kStage[] = {"s_eq", "s_rows", "s_load", "s_harm", "s_refine", "s_file"};
            for (std::size_t i = 0; i < progress.seconds.size() && i < std::size(kStage); ++i)
                state.counters[kStage[i]] = progress.seconds[i];
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

struct TSystem {
    std::size_t n = 0;
    std::vector<Index> rowStart, cols;
    std::vector<Extended> vals, b;
    THarmonicLayout layout;

    TGetRow Provider() const {
        return [this](std::size_t i, TRowItems& items, Extended& f) {
            items.clear();
            for (Index k = rowStart[i]; k < rowStart[i + 1]; ++k)
                items.push_back(TListItem{static_cast<std::size_t>(cols[k]), vals[k]});
            f = b[i];
        };
    }
};

TSystem Export(TProblem& p) {
    p.BuildEquations();
    TSystem s;
    s.n = p.UnknownCount();
    s.rowStart.assign(s.n + 1, 0);
    s.b.resize(s.n);
    TRowItems items;
    for (std::size_t i = 0; i < s.n; ++i) {
        s.b[i] = p.GetRow(i, items);
        for (const TListItem& it : items) {
            s.cols.push_back(static_cast<Index>(it.Col));
            s.vals.push_back(it.Value);
        }
        s.rowStart[i + 1] = static_cast<Index>(s.cols.size());
    }
    s.layout = HarmonicLayout(p);
    s.layout.RowName = nullptr;
    return s;
}

const TSystem& ShellSystem(int n, int m) {
    static int cachedN = 0, cachedM = 0;
    static TSystem cached;
    if (n != cachedN || m != cachedM) {
        cached = TSystem();
        cached = Export(*bench::Shell(n, m));
        cached.layout.FreeTerm = [](std::size_t r, const TCoefSink& sink) {
            for (Index k = cached.rowStart[r]; k < cached.rowStart[r + 1]; ++k)
                sink(static_cast<std::size_t>(cached.cols[k]), cached.vals[k]);
            return cached.b[r];
        };
        cachedN = n, cachedM = m;
    }
    return cached;
}

std::vector<Extended> SolveHarmonic(const TSystem& s, TRealType realType, unsigned threads) {
    TRealTypeScope scope(realType);
    TProgressLog progress;
    THarmonicSolver solver(s.n, s.Provider(), progress);
    solver.SetLayout(s.layout);
    solver.Threads = threads;
    solver.Solve();
    return solver.X().Values();
}

std::vector<double> SolveDirect(const TSystem& s) {
    const std::size_t n = s.n, nnz = s.cols.size();
    std::vector<Index> ap(n + 1, 0), ai(nnz);
    std::vector<double> ax(nnz), rhs(n), x(n);
    for (Index c : s.cols) ++ap[static_cast<std::size_t>(c) + 1];
    std::partial_sum(ap.begin(), ap.end(), ap.begin());
    std::vector<Index> next(ap.begin(), ap.end() - 1);
    for (std::size_t i = 0; i < n; ++i)
        for (Index k = s.rowStart[i]; k < s.rowStart[i + 1]; ++k) {
            const Index p = next[static_cast<std::size_t>(s.cols[k])]++;
            ai[p] = static_cast<Index>(i);
            ax[p] = static_cast<double>(s.vals[k]);
        }
    for (std::size_t i = 0; i < n; ++i) rhs[i] = -static_cast<double>(s.b[i]);
    double control[UMFPACK_CONTROL], info[UMFPACK_INFO];
    umfpack_dl_defaults(control);
    control[UMFPACK_ORDERING] = UMFPACK_ORDERING_METIS;
    void *symbolic = nullptr, *numeric = nullptr;
    const Index nn = static_cast<Index>(n);
    if (umfpack_dl_symbolic(nn, nn, ap.data(), ai.data(), ax.data(), &symbolic, control, info) != UMFPACK_OK ||
        umfpack_dl_numeric(ap.data(), ai.data(), ax.data(), symbolic, &numeric, control, info) != UMFPACK_OK ||
        umfpack_dl_solve(UMFPACK_A, ap.data(), ai.data(), ax.data(), x.data(), rhs.data(), numeric, control,
                         info) != UMFPACK_OK)
        x.assign(n, NAN);
    umfpack_dl_free_numeric(&numeric);
    umfpack_dl_free_symbolic(&symbolic);
    return x;
}

template <class V1, class V2>
double RelError(const V1& x, const V2& ref) {
    long double d = 0, scale = 0;
    for (std::size_t i = 0; i < ref.size(); ++i) {
        d = std::max(d, std::fabs(static_cast<long double>(x[i]) - static_cast<long double>(ref[i])));
        scale = std::max(scale, std::fabs(static_cast<long double>(ref[i])));
    }
    return static_cast<double>(d / scale);
}

// args: N, M; 1: with the sparse method's extended solution as reference,
// 0: without, 2: without UMFPACK either (the method alone).
void BM_Pair(benchmark::State& state) {
    const TSystem& s = ShellSystem(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    std::vector<double> one, two, direct;
    double harmonicPeak = 0, directPeak = 0;
    std::vector<Extended> x;
    std::vector<double> y;
    for (auto _ : state) {
        for (int rep = 0; rep < (s.n > 1'000'000 ? 1 : 3); ++rep) {
            double base = ResetPeakMB(), t = CpuSeconds();
            x = SolveHarmonic(s, rtDouble, 1);
            one.push_back(CpuSeconds() - t);
            harmonicPeak = std::max(harmonicPeak, StatusMB("VmHWM:") - base);
            t = WallSeconds();
            SolveHarmonic(s, rtDouble, 2);
            two.push_back(WallSeconds() - t);
            if (state.range(2) == 2) continue;
            base = ResetPeakMB(), t = CpuSeconds();
            y = SolveDirect(s);
            direct.push_back(CpuSeconds() - t);
            directPeak = std::max(directPeak, StatusMB("VmHWM:") - base);
        }
    }
    state.counters["N"] = static_cast<double>(s.n);
    state.counters["harmonic_s"] = Median(one);
    state.counters["harmonic_2thr_wall_s"] = Median(two);
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
