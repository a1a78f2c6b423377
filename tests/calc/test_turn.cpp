// The queue of calculations without windows: its list rules, files run from
// disk to disk, a window's problem run on the worker and handed back on the
// owner's thread, and stops. The owner's thread is the test's: what the
// worker posts waits in a list until the test runs it.
#include "calc/Turn.h"

#include "domains/model_elements.h"
#include "platform/cp1251.h"
#include "platform/errors.h"
#include "problem/FileNames.h"
#include "problem/PbTypes.h"
#include "problem/Problems.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <filesystem>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>
#include <unistd.h>

using namespace zem;
namespace fs = std::filesystem;

namespace {

constexpr int kBeamType = 10;  // borrows the slot of "Ring"

class TElRingBeam : public dmtest::TElBeam {
public:
    using TElBeam::TElBeam;
    std::string GetTypeName() const override { return "Ring"; }
};

// A progress whose steps can be slowed down, so that a stop finds the
// worker inside a solution.
class TSlowProgress : public TProgressLog {
public:
    std::atomic<int> Steps{0};
    std::atomic<bool> Slow{false};

protected:
    void Step(std::size_t position) override {
        ++Steps;
        if (Slow) std::this_thread::sleep_for(std::chrono::milliseconds(2));
        TProgressLog::Step(position);
    }
};

// The owner's thread: posted calls wait here until the test runs them.
class TPostBox {
public:
    TTurn::TPost Post() {
        return [this](std::function<void()> f) {
            std::lock_guard lock(mutex_);
            calls_.push_back(std::move(f));
            cv_.notify_all();
        };
    }
    // Runs posted calls until Done holds (false after 20 s).
    template <class Pred>
    bool RunUntil(Pred done) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        while (!done()) {
            std::function<void()> f;
            {
                std::unique_lock lock(mutex_);
                if (!cv_.wait_until(lock, deadline, [&] { return !calls_.empty(); })) return false;
                f = std::move(calls_.front());
                calls_.pop_front();
            }
            f();
        }
        return true;
    }

private:
    std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<std::function<void()>> calls_;
};

// A problem window: lends its problem and lines, records what comes back.
class TFakeWindow : public TTurnWindow {
public:
    std::shared_ptr<TProblem> Problem = std::make_shared<TProblem>(kBeamType, "Beam");
    std::vector<std::string> Calculation = {"CalcType= simple", "SaveResult"};
    std::thread::id BeginThread, EndThread;
    int Begins = 0, Ends = 0;
    bool Ok = false;
    std::string Error;
    std::vector<std::string> Process;

    void BeginRun(TTurnJob& job) override {
        ++Begins;
        BeginThread = std::this_thread::get_id();
        job.Problem = Problem;
        job.Calculation = Calculation;
    }
    void EndRun(TTurnJob& job) override {
        ++Ends;
        EndThread = std::this_thread::get_id();
        Ok = job.Ok;
        Error = job.Error;
        Process = job.Process;
    }
};

class TurnTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterProblemType(kBeamType, [](TObject* owner, const std::string& name) -> std::unique_ptr<TElement> {
            return std::make_unique<TElRingBeam>(owner, name);
        });
        dir = fs::temp_directory_path() /
              ("zem-turn-" + std::to_string(::getpid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir);
        turn = std::make_unique<TTurn>(StoredPath(dir.string()), progress, box.Post());
        turn->OnIdle = [this] { ++idle; };
    }
    void TearDown() override {
        turn.reset();
        RegisterProblemType(kBeamType, nullptr);
        fs::remove_all(dir);
    }
    // The text of a beam with Mesh steps.
    static std::string BeamText(const std::string& mesh) {
        std::string text = TProblem(kBeamType, "Beam").Root().Text();
        const std::size_t at = text.find("mesh_x=4");
        return text.replace(at, 8, "mesh_x=" + mesh);
    }
    // A beam problem file that calculates itself and keeps its results.
    void WriteBeam(const std::string& name, const std::string& mesh = "4") {
        WriteTextFile((dir / name).string(), {"[ZEM CAD 2]", "Ring", "#OBJECT", BeamText(mesh), "#CALCULATION",
                                              "CalcType= simple", "SaveResult"});
    }
    bool Idle() { return !turn->Running() && turn->Waiting().empty(); }
    std::vector<std::string> WaitingTexts() const {
        std::vector<std::string> t;
        for (const auto& e : turn->Waiting()) t.push_back(e.Text);
        return t;
    }

    fs::path dir;
    TSlowProgress progress;
    TPostBox box;
    std::unique_ptr<TTurn> turn;
    int idle = 0;
};

}  // namespace

TEST(TurnText, SameFileIgnoresTheCaseOfLatinAndCyrillicLetters) {
    EXPECT_TRUE(SameEntryText("Sub\\Beam.ZEM", "sub\\beam.zem"));
    EXPECT_TRUE(SameEntryText("Задача-Ё.zem", "зАДАЧА-ё.ZEM"));
    EXPECT_FALSE(SameEntryText("a.zem", "b.zem"));
    EXPECT_FALSE(SameEntryText("Задача.zem", "Задачи.zem"));
}

TEST_F(TurnTest, ListRulesKeepTheRunningEntryInPlace) {
    // Nothing is run until the posted hand-back is run: the head stays the
    // running entry for as long as the test wants.
    turn->AddToQueue("missing.zem", nullptr);
    ASSERT_TRUE(turn->Running());
    EXPECT_THROW(turn->AddToQueue("MISSING.zem", nullptr), ZemError) << "duplicates are found whatever the case";
    try {
        turn->AddToQueue("missing.zem", nullptr);
    } catch (const ZemError& e) {
        EXPECT_STREQ(e.what(), "Файл с таким именем в очереди уже есть!");
    }

    EXPECT_EQ(turn->InsertInQueue(0, "b.zem"), 1) << "never before the running entry";
    EXPECT_EQ(turn->InsertInQueue(-1, "c.zem"), 2) << "no selection appends";
    EXPECT_EQ(turn->InsertInQueue(17, "d.zem"), 3) << "a drop below the last entry appends";
    EXPECT_EQ(turn->InsertInQueue(1, "e.zem"), 1);
    EXPECT_EQ(WaitingTexts(), (std::vector<std::string>{"missing.zem", "e.zem", "b.zem", "c.zem", "d.zem"}));

    EXPECT_FALSE(turn->DeleteWaiting(0)) << "the running entry cannot be deleted";
    EXPECT_FALSE(turn->MoveWaiting(0, 2)) << "nor moved";
    EXPECT_FALSE(turn->MoveWaiting(3, 0)) << "nor displaced";
    EXPECT_TRUE(turn->MoveWaiting(4, 1));
    EXPECT_TRUE(turn->DeleteWaiting(2));
    EXPECT_EQ(WaitingTexts(), (std::vector<std::string>{"missing.zem", "d.zem", "b.zem", "c.zem"}));

    // The missing files fail one by one; none is finished.
    ASSERT_TRUE(box.RunUntil([&] { return Idle(); }));
    EXPECT_TRUE(turn->Ready().empty());
    EXPECT_EQ(idle, 1);

    // An idle queue takes an insertion at the head.
    turn->Shutdown();
    EXPECT_EQ(turn->InsertInQueue(0, "x.zem"), 0);
    EXPECT_FALSE(turn->Running()) << "a queue that was shut down starts nothing";
}

TEST_F(TurnTest, FilesRunFromDiskToDiskAndFinishOnce) {
    WriteBeam("a.zem");
    WriteBeam("b.zem");
    turn->AddToQueue("a.zem", nullptr);
    turn->AddToQueue("b.zem", nullptr);
    ASSERT_TRUE(box.RunUntil([&] { return Idle(); }));
    EXPECT_EQ(turn->Ready(), (std::vector<std::string>{"a.zem", "b.zem"}));
    EXPECT_TRUE(fs::exists(dir / "a.res"));
    EXPECT_TRUE(fs::exists(dir / "b.res"));
    const auto lines = ReadTextFile((dir / "a.zem").string());
    EXPECT_NE(std::find(lines.begin(), lines.end(), std::string(47, '-')), lines.end())
        << "the report went into the file's PROCESS section";
    EXPECT_EQ(progress.Caption(), "Решение СЛАУ: b.zem");

    // Once finished, a file may wait again; it is finished only once.
    turn->AddToQueue("a.zem", nullptr);
    ASSERT_TRUE(box.RunUntil([&] { return Idle(); }));
    EXPECT_EQ(turn->Ready(), (std::vector<std::string>{"a.zem", "b.zem"}));
    EXPECT_EQ(turn->TakeReady(0), "a.zem");
    EXPECT_EQ(turn->Ready(), (std::vector<std::string>{"b.zem"}));
}

TEST_F(TurnTest, WindowLendsItsProblemAndTakesItBackOnTheOwnersThread) {
    WriteBeam("w.zem");
    TFakeWindow w;
    turn->AddToQueue("w.zem", &w);
    EXPECT_EQ(w.Begins, 1);
    ASSERT_TRUE(box.RunUntil([&] { return Idle(); }));
    EXPECT_EQ(w.Ends, 1);
    EXPECT_EQ(w.BeginThread, std::this_thread::get_id());
    EXPECT_EQ(w.EndThread, std::this_thread::get_id()) << "the window is called back on the owner's thread";
    EXPECT_TRUE(w.Ok) << w.Error;
    EXPECT_TRUE(w.Problem->Calculated());
    ASSERT_FALSE(w.Process.empty());
    EXPECT_EQ(w.Process.back(), std::string(47, '-'));
    EXPECT_TRUE(fs::exists(dir / "w.res"));
    EXPECT_EQ(turn->Ready(), (std::vector<std::string>{"w.zem"}));

    // A failing calculation: dropped, and the window hears why.
    w.Calculation = {"CalcType= choose", "Prec= 1", "PrecChar= nothing", "PrecList= mesh_x"};
    turn->AddToQueue("w.zem", &w);
    ASSERT_TRUE(box.RunUntil([&] { return Idle(); }));
    EXPECT_FALSE(w.Ok);
    EXPECT_EQ(w.Error, "Неизвестная характеристика nothing");
    EXPECT_EQ(w.Process.back(), w.Error);
    EXPECT_EQ(turn->Ready().size(), 1u);
}

TEST_F(TurnTest, StopsDropTheEntryAndTheQueueGoesOn) {
    WriteBeam("slow.zem", "400");
    WriteBeam("next.zem");
    WriteBeam("w.zem");
    progress.Slow = true;
    TFakeWindow w;
    w.Problem->Root().SetText(BeamText("400"));
    turn->AddToQueue("slow.zem", &w);
    turn->AddToQueue("next.zem", nullptr);
    while (progress.Steps < 5) std::this_thread::sleep_for(std::chrono::milliseconds(1));

    // The user's stop: the window's running flag is cleared.
    progress.SetRunning(false);
    ASSERT_TRUE(box.RunUntil([&] { return w.Ends == 1; }));
    EXPECT_FALSE(w.Ok);
    EXPECT_EQ(w.Error, "Расчет прерван");
    EXPECT_FALSE(w.Problem->Calculated());
    progress.Slow = false;
    ASSERT_TRUE(box.RunUntil([&] { return Idle(); }));
    EXPECT_EQ(turn->Ready(), (std::vector<std::string>{"next.zem"}));

    // The queue's own stop, and a window that goes while its run waits or runs.
    progress.Slow = true;
    progress.Steps = 0;
    TFakeWindow gone;
    gone.Problem->Root().SetText(BeamText("400"));
    turn->AddToQueue("slow.zem", &gone);
    turn->AddToQueue("w.zem", &gone);
    while (progress.Steps < 5) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    turn->ForgetWindow(&gone);
    EXPECT_EQ(gone.Ends, 0) << "a window that goes is not called back";
    ASSERT_EQ(turn->Waiting().size(), 1u);
    EXPECT_EQ(turn->Waiting()[0].Window, nullptr) << "its waiting run stays as a plain file";
    progress.Slow = false;
    ASSERT_TRUE(box.RunUntil([&] { return Idle(); }));
    EXPECT_EQ(turn->Ready(), (std::vector<std::string>{"next.zem", "w.zem"}));
    EXPECT_EQ(gone.Begins, 1);
}

TEST_F(TurnTest, ShutdownWaitsForTheWorker) {
    WriteBeam("slow.zem", "400");
    progress.Slow = true;
    turn->AddToQueue("slow.zem", nullptr);
    while (progress.Steps < 5) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    turn.reset();  // joins; the posted hand-back is never run
    EXPECT_FALSE(fs::exists(dir / "slow.res"));
}
