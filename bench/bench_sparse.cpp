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
#include "exported_system.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

using namespace zem;
using namespace zem::bench;

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
