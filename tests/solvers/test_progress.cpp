// Progress bookkeeping, the worker thread, and stopping a running solution.
#include "platform/errors.h"
#include "platform/progress.h"
#include "solvers/SLCLass.h"
#include "solvers/SLProgr.h"
#include "testsystems.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <filesystem>
#include <mutex>

namespace zem {
namespace {

TEST(Progress, ElapsedTimeText) {
    // Hours appear only when not 0.
    for (auto [seconds, text] : {std::pair{0, "00:00"}, {187, "03:07"}, {3599, "59:59"}, {3600, "01:00:00"},
                                 {3787, "01:03:07"}})
        EXPECT_EQ(ElapsedText(seconds), text);
}

TEST(Progress, StagesBarAndTotalTime) {
    auto now = std::chrono::steady_clock::time_point{};
    TProgressLog progress([&] { return now; });
    progress.StartCalculation(11);
    EXPECT_TRUE(progress.Running());
    progress.BeginStage("A");
    now += std::chrono::seconds(65);
    progress.BeginStage("B");
    for (int i = 0; i < 3; ++i) progress.StepProgress();
    EXPECT_EQ(progress.Snapshot().percentText, "30 %") << "bar maximum is N−1";
    progress.StepProgress(7);
    EXPECT_EQ(progress.Snapshot().percentText, "70 %");
    for (int i = 0; i < 10; ++i) progress.StepProgress();
    EXPECT_EQ(progress.Snapshot().position, 10u) << "the bar stops at its maximum";
    now += std::chrono::seconds(3600);
    EXPECT_EQ(progress.Snapshot().timeText, "01:01:05");
    progress.FinishCalculation("Расчет закончен");
    EXPECT_EQ(progress.Lines(), (std::vector<std::string>{"Этап расчета: 00:00", "A: 01:05", "B: 01:00:00",
                                                          "Общее время решения СЛАУ: 01:01:05",
                                                          std::string(47, '-')}));
    EXPECT_FALSE(progress.Running());
    EXPECT_THROW(progress.StepProgress(), EBreakCalcule) << "a step outside a calculation stops it";
    now += std::chrono::seconds(30);
    EXPECT_EQ(progress.Snapshot().timeText, "01:01:05") << "the clock stops with the calculation";
    EXPECT_EQ(progress.Hint().rfind("Этап расчета: 00:00\rA: 01:05\rB", 0), 0u) << "the hint joins lines by CR";
    EXPECT_EQ(progress.Snapshot().stageName, "Расчет закончен");
}

TEST(SolverThread, RunsTheProcedureAndHandsBackItsError) {
    TProgressLog progress;
    bool ran = false;
    TSLThread thread(progress, [&] { ran = true; });
    EXPECT_TRUE(progress.Running()) << "the thread counts as a running calculation from its creation";
    thread.Join();
    EXPECT_TRUE(ran && thread.Finished());
    TSLThread failing(progress, [] { throw ZemError("сбой"); });
    EXPECT_THROW(failing.Join(), ZemError);
    EXPECT_NO_THROW(failing.Join()) << "the error is handed back once";
}

// Blocks the worker at its first step of forward elimination until the test
// has cleared the running flag from its own thread.
class GateProgress : public TProgressLog {
public:
    void Step(std::size_t position) override {
        TProgressLog::Step(position);
        if (Snapshot().stageName != "Прямой ход") return;
        std::unique_lock lock(mutex_);
        if (!reached_) {
            reached_ = true;
            changed_.notify_all();
            changed_.wait(lock, [&] { return released_; });
        } else {
            ++stepsAfterStop_;
        }
    }
    void WaitForGate() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return reached_; });
    }
    void Release() {
        std::lock_guard lock(mutex_);
        released_ = true;
        changed_.notify_all();
    }
    int StepsAfterStop() {
        std::lock_guard lock(mutex_);
        return stepsAfterStop_;
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool reached_ = false, released_ = false;
    int stepsAfterStop_ = 0;
};

TEST(SolverThread, StopDuringEliminationUnwindsAtTheNextStep) {
    const test::TTestSystem s = test::Tridiagonal(2000);
    GateProgress progress;
    auto solver = NewSolver(3, s.N(), s.Provider(), progress);
    TSLThread thread(progress, [&] {
        solver->Prepare();
        solver->Solve();
        EstimateError(*solver);
        progress.FinishCalculation("Расчет закончен");
    });
    progress.WaitForGate();
    const std::filesystem::path dir = solver->TempDirectory();
    EXPECT_TRUE(std::filesystem::exists(dir / "matr.tmp")) << "the file lives while the solution runs";
    progress.SetRunning(false);  // the user confirmed the stop
    progress.Release();
    EXPECT_THROW(thread.Join(), EBreakCalcule);

    EXPECT_EQ(progress.StepsAfterStop(), 0) << "the very next step raised";
    EXPECT_FALSE(solver->Solved());
    EXPECT_FALSE(std::filesystem::exists(dir)) << "a stopped solution leaves no temporary file";
    const std::vector<std::string> lines = progress.Lines();
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[3], "Ширина ленты: 3");
    EXPECT_EQ(lines[5].rfind("Формирование матрицы: ", 0), 0u) << lines[5];
    for (const std::string& line : lines) EXPECT_EQ(line.find("Общее время"), std::string::npos);
}

}  // namespace
}  // namespace zem
