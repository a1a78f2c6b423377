// The queue of calculations without windows: its list rules, files run from
// disk to disk, and stops of a window's run and of the worker. The owner's thread is the test's: what the
// worker posts waits in a list until the test runs it.
#include "calc/Turn.h"

#include "platform/cp1251.h"
#include "platform/errors.h"
#include "problem/FileNames.h"
#include "problem/Problems.h"
#include "problem/beam_problem.h"
#include "testutil.h"

#include <chrono>
#include <deque>
#include <filesystem>
#include <gtest/gtest.h>
#include <mutex>
#include <thread>

using namespace zem;
using dmtest::kBeamType;
namespace fs = std::filesystem;

namespace {

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
struct TPostBox {
    std::mutex mutex;
    std::deque<std::function<void()>> calls;
    TTurn::TPost Post() {
        return [this](std::function<void()> f) {
            std::lock_guard lock(mutex);
            calls.push_back(std::move(f));
        };
    }
    // Runs the posted calls until Done holds; false after 20 s.
    bool RunUntil(const std::function<bool()>& done) {
        for (auto end = std::chrono::steady_clock::now() + std::chrono::seconds(20); !done();) {
            if (std::chrono::steady_clock::now() > end) return false;
            std::function<void()> f;
            {
                std::lock_guard lock(mutex);
                if (!calls.empty()) f = std::move(calls.front()), calls.pop_front();
            }
            if (f)
                f();
            else
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }
};

// A problem window: lends its problem, keeps the job it gets back.
struct TFakeWindow : TTurnWindow {
    std::shared_ptr<TProblem> Problem = std::make_shared<TProblem>(kBeamType, "Beam");
    int Begins = 0, Ends = 0;
    std::thread::id EndThread;
    TTurnJob Last;
    void BeginRun(TTurnJob& job) override {
        ++Begins;
        job.Problem = Problem;
        job.Calculation = {"CalcType= simple", "SaveResult"};
    }
    void EndRun(TTurnJob& job) override {
        ++Ends;
        EndThread = std::this_thread::get_id();
        Last = job;
    }
};

class TurnTest : public ::testing::Test {
protected:
    void SetUp() override {
        turn = std::make_unique<TTurn>(StoredPath(dir.path.string()), progress, box.Post());
        turn->OnIdle = [this] { ++idle; };
    }
    // The text of a beam with Mesh steps.
    static std::string BeamText(const std::string& mesh) {
        std::string text = TProblem(kBeamType, "Beam").Root().Text();
        const std::size_t at = text.find("mesh_x=4");
        return text.replace(at, 8, "mesh_x=" + mesh);
    }
    // A beam problem file that calculates itself and keeps its results.
    void WriteBeam(const std::string& name, const std::string& mesh = "4") {
        WriteTextFile(dir / name, {"[ZEM CAD 2]", "Ring", "#OBJECT", BeamText(mesh), "#CALCULATION",
                                              "CalcType= simple", "SaveResult"});
    }
    bool Idle() { return !turn->Running() && turn->Waiting().empty(); }
    std::vector<std::string> WaitingTexts() const {
        std::vector<std::string> t;
        for (const auto& e : turn->Waiting()) t.push_back(e.Text);
        return t;
    }

    dmtest::TBeamType beamType;
    test::TempDir dir;
    TSlowProgress progress;
    TPostBox box;
    std::unique_ptr<TTurn> turn;  // the last member: it goes first
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
    // Nothing is handed back until the posted calls run: the head stays the
    // running entry for as long as the test wants.
    WriteBeam("a.zem");
    turn->AddToQueue("a.zem", nullptr);
    ASSERT_TRUE(turn->Running());
    EXPECT_EQ(progress.Caption(), "Решение СЛАУ: a.zem");
    try {
        turn->AddToQueue("A.ZEM", nullptr);
        ADD_FAILURE() << "a waiting file is found whatever the case";
    } catch (const ZemError& e) {
        EXPECT_STREQ(e.what(), "Файл с таким именем в очереди уже есть!");
    }

    EXPECT_EQ(turn->InsertInQueue(0, "b.zem"), 1) << "never before the running entry";
    EXPECT_EQ(turn->InsertInQueue(-1, "c.zem"), 2) << "no selection appends";
    EXPECT_EQ(turn->InsertInQueue(17, "d.zem"), 3) << "a drop below the last entry appends";
    EXPECT_EQ(turn->InsertInQueue(1, "e.zem"), 1);
    EXPECT_FALSE(turn->DeleteWaiting(0)) << "the running entry cannot be deleted";
    EXPECT_FALSE(turn->MoveWaiting(0, 2)) << "nor moved";
    EXPECT_FALSE(turn->MoveWaiting(3, 0)) << "nor displaced";
    EXPECT_TRUE(turn->MoveWaiting(4, 1));
    EXPECT_TRUE(turn->DeleteWaiting(2));
    EXPECT_EQ(WaitingTexts(), (std::vector<std::string>{"a.zem", "d.zem", "b.zem", "c.zem"}));

    // The file runs from disk to disk; the missing ones are dropped.
    ASSERT_TRUE(box.RunUntil([&] { return Idle(); }));
    EXPECT_EQ(turn->Ready(), std::vector<std::string>{"a.zem"});
    EXPECT_EQ(idle, 1);
    EXPECT_TRUE(fs::exists(dir / "a.res"));
    const auto lines = ReadTextFile(dir / "a.zem");
    EXPECT_NE(std::find(lines.begin(), lines.end(), std::string(47, '-')), lines.end())
        << "the report went into the file's PROCESS section";

    // Once finished, a file may wait again; it is finished only once.
    turn->AddToQueue("a.zem", nullptr);
    ASSERT_TRUE(box.RunUntil([&] { return Idle(); }));
    EXPECT_EQ(turn->Ready(), std::vector<std::string>{"a.zem"});

    // An idle queue takes an insertion at the head; once shut, it runs nothing.
    turn->Shutdown();
    EXPECT_EQ(turn->InsertInQueue(0, "x.zem"), 0);
    EXPECT_FALSE(turn->Running());
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
    EXPECT_EQ(w.Begins, 1);
    while (progress.Steps < 5) std::this_thread::sleep_for(std::chrono::milliseconds(1));

    // The user's stop: the progress window's running flag is cleared. The
    // window hears it on the owner's thread.
    progress.SetRunning(false);
    ASSERT_TRUE(box.RunUntil([&] { return w.Ends == 1; }));
    EXPECT_EQ(w.EndThread, std::this_thread::get_id());
    EXPECT_FALSE(w.Last.Ok);
    EXPECT_EQ(w.Last.Error, "Расчет прерван");
    EXPECT_EQ(w.Last.Process.back(), "Расчет прерван") << "the report says why the run stopped";
    EXPECT_FALSE(w.Problem->Calculated());
    progress.Slow = false;
    ASSERT_TRUE(box.RunUntil([&] { return Idle(); }));
    EXPECT_EQ(turn->Ready(), (std::vector<std::string>{"next.zem"}));

    // A window that goes while one run of it runs and another waits.
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

    // Shutdown waits for the worker; its hand-back is never run.
    progress.Slow = true;
    turn->AddToQueue("slow.zem", nullptr);
    turn.reset();
    EXPECT_FALSE(fs::exists(dir / "slow.res"));
}
