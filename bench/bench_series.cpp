// A series of four shells under wind (CylTech, 120 x 32 steps, band Gauss)
// with one result request, run with one worker and with two: wall-clock time
// of the whole run, files read and written included.
//
// Build with -DZEM_BENCH=ON; run bin/bench_series (see bench/README.md).
#include "calc/RunFile.h"
#include "platform/cp1251.h"
#include "platform/progress.h"
#include "problem/FileNames.h"
#include "problem/PbData.h"
#include "problem/PbSeries.h"
#include "problemtypes/Register.h"

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

using namespace zem;

struct TSeriesDir {
    std::filesystem::path Dir;
    TSeriesFile Series;

    TSeriesDir() {
        RegisterProblemTypes();
        Dir = std::filesystem::temp_directory_path() / ("zem-bench-series-" + std::to_string(::getpid()));
        std::filesystem::create_directories(Dir);
        for (const char* t : {"0.008", "0.010", "0.012", "0.014"}) {
            const std::string name = std::string("shell_") + t + ".zem";
            WriteTextFile((Dir / name).string(),
                          {"[ZEM CAD 2]", "CylTech", "#OBJECT",
                           std::string("{PARAMS={R=5, H=8, t=") + t + ", E=2.06e11, mu=0.3},",
                           " BOUNDS={u_bot=0, v_bot=0, w_bot=0, dw_bot=0, N1_top=0, S1_top=0, Q1_top=0, M1_top=0},",
                           " LOADS={Gidr=9810, Wind=[0, 1000]}, MESH={mesh_x=120, mesh_y=32}}",
                           "#CALCULATION", "CalcType= simple", "SLAEMethod= Метод Гаусса. Ленточная матрица"});
            Series.Files.push_back(name);
        }
        Series.ResultData = {"max |w|"};
    }
    ~TSeriesDir() {
        std::error_code ec;
        std::filesystem::remove_all(Dir, ec);
    }
};

void BM_Series(benchmark::State& state) {
    static TSeriesDir dir;
    const TPbData data(StoredPath(dir.Dir.string()));
    TProgressLog progress;
    for (auto _ : state) {
        TSeriesFile series = dir.Series;
        if (RunSeries(data, series, progress, static_cast<unsigned>(state.range(0))) != 0)
            state.SkipWithError("a member failed");
    }
}
BENCHMARK(BM_Series)->Arg(1)->Arg(2)->ArgName("workers")->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

}  // namespace

BENCHMARK_MAIN();
