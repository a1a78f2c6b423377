// Progress bookkeeping and the worker thread.
#include "platform/errors.h"
#include "platform/progress.h"
#include "solvers/SLProgr.h"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace zem
