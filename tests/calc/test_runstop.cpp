// A run from files to files as the batch runner makes it: a stop requested at
// any moment of a series (reading, equation building, the two solutions of an
// estimate, the stages of a selection, between members, before the writing)
// ends the run and nothing is written after it; solutions that overflow are
// refused with the parameter that most likely caused them.
#include "problemtypes/cylinders.h"

#include "calc/RunFile.h"
#include "calc/Turn.h"
#include "platform/cp1251.h"
#include "platform/errors.h"
#include "platform/progress.h"
#include "problem/FileNames.h"
#include "problem/PbData.h"
#include "problem/PbSeries.h"
#include "solvers/SLCLass.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <limits>
#include <map>

using namespace zem;
namespace fs = std::filesystem;

namespace {

// Every file of a directory with its bytes.
std::map<std::string, std::string> Contents(const fs::path& dir) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::directory_iterator(dir)) files[e.path().filename().string()] = test::Slurp(e.path());
    return files;
}

// A progress log that asks for a stop at its event number StopAt (every call
// of the calculation counts), and then takes a picture of the directory.
class TStopAt : public TProgressLog {
public:
    TStopAt(std::size_t stopAt, fs::path dir) : stopAt_(stopAt), dir_(std::move(dir)) {}
    std::size_t Events() const { return events_; }
    std::vector<char> Kinds;  // one letter per event
    std::map<std::string, std::string> AtStop;

    void StartCalculation(std::size_t n) override { Event('S'), TProgressLog::StartCalculation(n); }
    void AddLine(const std::string& text) override { Event('L'), TProgressLog::AddLine(text); }
    void BeginStage(const std::string& name) override { Event('B'), TProgressLog::BeginStage(name); }
    void FinishCalculation(const std::string& message) override {
        Event('F'), TProgressLog::FinishCalculation(message);
    }
    void SetCaption(const std::string& caption) override { Event('C'), TProgressLog::SetCaption(caption); }

protected:
    void Step(std::size_t position) override { Event('s'), TProgressLog::Step(position); }

private:
    void Event(char kind) {
        Kinds.push_back(kind);
        if (++events_ == stopAt_) {
            AtStop = Contents(dir_);
            RequestStop();
        }
    }
    std::size_t stopAt_;
    fs::path dir_;
    std::size_t events_ = 0;
};

const std::string kBand = "SLAEMethod= " + SLAEMethodNames()[2];

// A scratch directory in memory when the system has one: the run is repeated
// a few hundred times, and every write is flushed to the disk.
struct TMemoryDir {
    fs::path path = (fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path()) /
                    ("zem-test-" + std::to_string(::getpid()) + "-stop");
    TMemoryDir() { fs::create_directories(path); }
    ~TMemoryDir() { fs::remove_all(path); }
    std::string operator/(const std::string& name) const { return (path / name).string(); }
};

void WriteTank(const std::string& file, const std::vector<std::string>& calculation) {
    std::vector<std::string> lines = {"[ZEM CAD 2]", "CylSym", "#OBJECT",
                                      "{BOUNDS={w_bot=0, dw_bot=0, Q1_top=0, M1_top=0}, LOADS={Gidr=10000}, "
                                      "MESH={mesh_x=12}}",
                                      "#CALCULATION", "SaveResult", kBand};
    lines.insert(lines.end(), calculation.begin(), calculation.end());
    WriteTextFile(file, lines);
}

}  // namespace

TEST(BatchStop, AStopAtAnyMomentOfASeriesWritesNothingFurther) {
    RegisterProblemTypes();
    TMemoryDir dir;
    const TPbData data(StoredPath(dir.path.string()));
    const auto fresh = [&] {
        for (const auto& e : fs::directory_iterator(dir.path)) fs::remove(e.path());
        WriteTank(dir / "est.zem", {"CalcType= astim", "AstimList= w"});
        WriteTank(dir / "sel.zem", {"AutoMode", "CalcType= choose", "Prec= 0.5", "PrecChar= M1", "PrecList= mesh_x"});
        WriteTank(dir / "one.zem", {"CalcType= simple"});
    };
    TSeriesFile series;
    series.Files = {"est.zem", "sel.zem", "one.zem"};

    // The whole run once, to learn its events; the selection takes stages.
    fresh();
    TStopAt whole(0, dir.path);
    ASSERT_EQ(RunSeries(data, series, whole), 0) << testing::PrintToString(series.Result);
    ASSERT_TRUE(fs::exists(dir / "sel_02.zem")) << "the selection should take more than one stage";
    const std::size_t events = whole.Events();

    // Every change of the kind of event (a new calculation, stage, log
    // burst, caption or run of row steps), and the last event.
    std::vector<std::size_t> moments;
    for (std::size_t k = 1; k <= events; ++k)
        if (k == 1 || k == events || whole.Kinds[k - 1] != whole.Kinds[k - 2]) moments.push_back(k);
    for (std::size_t k : moments) {
        fresh();
        TStopAt progress(k, dir.path);
        SCOPED_TRACE("stop at event " + std::to_string(k) + " of " + std::to_string(events) + " ('" +
                     std::string(1, whole.Kinds[k - 1]) + "')");
        EXPECT_THROW(RunSeries(data, series, progress), EBreakCalcule);
        // Later events may be the reports of the unwinding; no file changes.
        EXPECT_TRUE(Contents(dir.path) == progress.AtStop) << "a file was written after the stop";
        // A new calculation, a solver or a log does not take the stop back.
        progress.SetRunning(true);
        EXPECT_THROW(RunFile(data, "one.zem", progress), EBreakCalcule);
    }
}

TEST(BatchOverflow, InputsTooLargeAndNonFiniteSolutionsAreRefusedByName) {
    RegisterProblemTypes();
    // A load beyond the scheme's range is refused before anything is built.
    auto tank = cyltest::FromText("CylSym", "{PARAMS={R=2}, BOUNDS={w_bot=0, dw_bot=0, Q1_top=0, M1_top=0}, "
                                            "LOADS={Gidr=-1e308}, MESH={mesh_x=8}}");
    EXPECT_EQ(test::MessageOf([&] { CheckInputMagnitudes(*tank); }),
              "Слишком большое значение параметра LOADS.Gidr: -1E+308 (допустимо по модулю не более 1E+100)");
    EXPECT_EQ(LargestParameter(*tank), "LOADS.Gidr = -1E+308");

    // A solved problem whose solution or result fields overflowed: the
    // message names the largest parameter (here the modulus of elasticity).
    tank = cyltest::FromText("CylSym", "{PARAMS={R=2, E=3e11}, BOUNDS={w_bot=0, dw_bot=0, Q1_top=0, M1_top=0}, "
                                       "LOADS={Gidr=1e4}, MESH={mesh_x=8}}");
    cyltest::Solve(*tank);
    EXPECT_NO_THROW(CheckFiniteSolution(*tank));
    const std::string cause = "(переполнение); вероятная причина - параметр наибольшей величины PARAMS.E = 3E+11";
    for (Extended bad : {std::numeric_limits<Extended>::infinity(), std::numeric_limits<Extended>::quiet_NaN(),
                         Extended(1e300) * Extended(1e300)}) {
        tank->Solver()->X().SetItem(3, bad);
        EXPECT_EQ(test::MessageOf([&] { CheckFiniteSolution(*tank); }),
                  "Решение содержит бесконечные или неопределенные значения " + cause);
    }
}

TEST(BatchOverflow, ARunFromAWindowIsCheckedAsAFileRunIs) {
    // The queue runs a window's problem in memory: it too is refused by name,
    // and an overflowed solution is an error, never a result to keep.
    RegisterProblemTypes();
    test::TempDir dir;
    const std::string file = StoredPath((dir.path / "tank.zem").string());
    const std::string tank = "{PARAMS={R=2, E=3e11}, BOUNDS={w_bot=0, dw_bot=0, Q1_top=0, M1_top=0}, MESH={mesh_x=8}, ";
    // An estimate continuing on a solved problem whose solution overflowed.
    auto overflowed = [&] {
        auto p = cyltest::FromText("CylSym", tank + "LOADS={Gidr=1e4}}");
        cyltest::Solve(*p);
        p->Solver()->X().SetItem(3, std::numeric_limits<Extended>::infinity());
        return p;
    };
    const struct {
        std::shared_ptr<TProblem> problem;
        std::vector<std::string> calculation;
        std::string error;
    } cases[] = {
        {cyltest::FromText("CylSym", tank + "LOADS={Gidr=1e308}}"),
         {"CalcType= simple", "SaveResult"},
         "Слишком большое значение параметра LOADS.Gidr: 1E+308 (допустимо по модулю не более 1E+100)"},
        {overflowed(), {"CalcType= astim", "AstimList= w", "SaveResult"},
         "Решение содержит бесконечные или неопределенные значения (переполнение); вероятная причина - "
         "параметр наибольшей величины PARAMS.E = 3E+11"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.calculation[0]);
        TTurnJob job;
        job.FileName = file;
        job.Problem = c.problem;
        job.Calculation = c.calculation;
        TProgressLog progress;
        RunTurnJob(job, StoredPath(dir.path.string()), progress);
        EXPECT_FALSE(job.Ok);
        EXPECT_EQ(job.Error, c.error);
        EXPECT_EQ(job.Process.back(), job.Error);
        EXPECT_FALSE(fs::exists(dir.path / "tank.res")) << "no results file from a failed run";
    }
}
