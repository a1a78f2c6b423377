// The sparse direct method (12th, "Разреженный прямой метод") against
// UMFPACK with its METIS ordering called directly on the same system, in the
// same process, and its accuracy against an extended-precision reference.
//
// The system is exported once from the "CylTech" benchmark shell
// (cyltech_shell.h): every row pulled into compressed rows with the 80-bit
// coefficients. BM_Pair then solves it, interleaved, by the program's method
// (rows handed out from the export, so the shell's own assembly is not
// counted) and by the direct calls (compressed columns in doubles,
// umfpack_dl_symbolic with UMFPACK_ORDERING_METIS, numeric, solve with the
// default refinement). CPU time of the process (one BLAS thread: run with
// OPENBLAS_NUM_THREADS=1); peak resident memory of each solution (the peak
// is reset before it, /proc/self/clear_refs).
//
// BM_Accuracy: the method in double and in extended against the band method
// in extended (100 × 64 only: the band elimination in extended takes a
// minute), and extended against double time. BM_Tank: the axisymmetric tank
// of 100 000 steps, sparse against band in extended (bench_tank.cpp times
// its whole calculation).
//
// Build with -DZEM_BENCH=ON; run bin/bench_sparse (see bench/README.md).
#include "platform/progress.h"
#include "solvers/SLCLass.h"

#include "cyltech_shell.h"

#include <benchmark/benchmark.h>
#include <umfpack.h>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <fstream>
#include <malloc.h>
#include <numeric>
#include <string>
#include <utility>
#include <vector>

namespace {

using namespace zem;
using Index = SuiteSparse_long;

double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec * 1e-9;
}

double StatusMB(const std::string& key) {
    std::ifstream in("/proc/self/status");
    std::string k;
    double kb = 0;
    std::string rest;
    while (in >> k) {
        if (k == key) {
            in >> kb;
            return kb / 1024;
        }
        std::getline(in, rest);
    }
    return 0;
}

// Returns the resident size now, after resetting the peak to it.
double ResetPeakMB() {
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
    return StatusMB("VmRSS:");
}

struct TSystem {
    std::size_t n = 0;
    std::vector<Index> rowStart, cols;
    std::vector<Extended> vals, b;

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
            if (it.Value == 0) continue;
            s.cols.push_back(static_cast<Index>(it.Col));
            s.vals.push_back(it.Value);
        }
        s.rowStart[i + 1] = static_cast<Index>(s.cols.size());
    }
    return s;
}

const TSystem& ShellSystem(int n, int m) {
    static int cachedN = 0, cachedM = 0;
    static TSystem cached;
    if (n != cachedN || m != cachedM) {
        cached = TSystem();
        cached = Export(*bench::Shell(n, m));
        cachedN = n, cachedM = m;
    }
    return cached;
}

// The progress log that notes the CPU time at which every stage begins.
class TStageClock : public TProgressLog {
public:
    void BeginStage(const std::string& name) override {
        TProgressLog::BeginStage(name);
        marks.emplace_back(name, CpuSeconds());
    }
    // CPU seconds from the start of stage Name to the start of the next one
    // (or to End).
    double StageSeconds(const std::string& name, double end) const {
        for (std::size_t k = 0; k < marks.size(); ++k)
            if (marks[k].first == name) return (k + 1 < marks.size() ? marks[k + 1].second : end) - marks[k].second;
        return 0;
    }
    std::vector<std::pair<std::string, double>> marks;
};

struct TProgramRun {
    int steps = 0;
    double refinement_s = 0;
};

std::vector<Extended> SolveProgram(const TSystem& s, TRealType realType, TProgramRun* run = nullptr) {
    TRealTypeScope scope(realType);
    TStageClock progress;
    TSparseLU solver(s.n, s.Provider(), progress);
    solver.Solve();
    if (run) {
        run->steps = solver.RefinementSteps();
        run->refinement_s = progress.StageSeconds("Уточнение решения", CpuSeconds());
    }
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

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// args: N, M. Three interleaved pairs; medians.
void BM_Pair(benchmark::State& state) {
    const TSystem& s = ShellSystem(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    std::vector<double> program, direct;
    double programPeak = 0, directPeak = 0, error = 0;
    for (auto _ : state) {
        for (int rep = 0; rep < 3; ++rep) {
            double base = ResetPeakMB(), t = CpuSeconds();
            const std::vector<Extended> x = SolveProgram(s, rtDouble);
            program.push_back(CpuSeconds() - t);
            programPeak = std::max(programPeak, StatusMB("VmHWM:") - base);
            base = ResetPeakMB(), t = CpuSeconds();
            const std::vector<double> y = SolveDirect(s);
            direct.push_back(CpuSeconds() - t);
            directPeak = std::max(directPeak, StatusMB("VmHWM:") - base);
            error = RelError(x, y);
        }
    }
    state.counters["N"] = static_cast<double>(s.n);
    state.counters["nnz"] = static_cast<double>(s.cols.size());
    state.counters["program_s"] = Median(program);
    state.counters["direct_s"] = Median(direct);
    state.counters["ratio"] = Median(program) / Median(direct);
    state.counters["program_MB"] = programPeak;
    state.counters["direct_MB"] = directPeak;
    state.counters["differ"] = error;
}

// args: N, M, with the band reference (1) or not (0). Three pairs of a
// double and an extended solution, interleaved (the first of a pair
// alternates); medians.
void BM_Accuracy(benchmark::State& state) {
    const TSystem& s = ShellSystem(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    for (auto _ : state) {
        std::vector<double> td, te, rd, re;
        std::vector<Extended> xd, xe;
        TProgramRun runDouble, runExtended;
        for (int rep = 0; rep < 3; ++rep) {
            for (int k = 0; k < 2; ++k) {
                const bool extended = (rep + k) % 2 == 1;
                const double t = CpuSeconds();
                if (extended) {
                    xe = SolveProgram(s, rtExtended, &runExtended);
                    te.push_back(CpuSeconds() - t);
                    re.push_back(runExtended.refinement_s);
                } else {
                    xd = SolveProgram(s, rtDouble, &runDouble);
                    td.push_back(CpuSeconds() - t);
                    rd.push_back(runDouble.refinement_s);
                }
            }
        }
        state.counters["double_s"] = Median(td);
        state.counters["extended_s"] = Median(te);
        state.counters["ext_over_double"] = Median(te) / Median(td);
        state.counters["steps_double"] = runDouble.steps;
        state.counters["steps_extended"] = runExtended.steps;
        state.counters["refine_double_s"] = Median(rd);
        state.counters["refine_extended_s"] = Median(re);
        state.counters["err_double_vs_ext"] = RelError(xd, xe);
        if (state.range(2)) {
            TRealTypeScope scope(rtExtended);
            TProgressLog progress;
            TBGaus band(s.n, s.Provider(), progress);
            band.Solve();
            const std::vector<Extended> ref = band.X().Values();
            state.counters["err_ext"] = RelError(xe, ref);
            state.counters["err_double"] = RelError(xd, ref);
        }
    }
}

// The axisymmetric tank of 100 000 steps: the sparse method in double and
// extended against the band method in extended.
void BM_Tank(benchmark::State& state) {
    auto p = bench::Tank(100000);
    const TSystem s = Export(*p);
    for (auto _ : state) {
        TRealTypeScope scope(rtExtended);
        TProgressLog progress;
        double t = CpuSeconds();
        TBGaus band(s.n, s.Provider(), progress);
        band.Solve();
        state.counters["band_ext_s"] = CpuSeconds() - t;
        const std::vector<Extended> ref = band.X().Values();
        t = CpuSeconds();
        TProgramRun run;
        const std::vector<Extended> xe = SolveProgram(s, rtExtended, &run);
        state.counters["sparse_ext_s"] = CpuSeconds() - t;
        state.counters["steps_extended"] = run.steps;
        const std::vector<Extended> xd = SolveProgram(s, rtDouble);
        state.counters["err_ext"] = RelError(xe, ref);
        state.counters["err_double"] = RelError(xd, ref);
    }
    state.counters["N"] = static_cast<double>(s.n);
}

}  // namespace

BENCHMARK(BM_Pair)->Args({100, 64})->Args({200, 128})->Args({300, 192})->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Accuracy)->Args({100, 64, 1})->Args({100, 64, 0})->Args({200, 128, 0})->Args({300, 192, 0})->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_Tank)->Unit(benchmark::kMillisecond)->Iterations(1);

BENCHMARK_MAIN();
