// The batch runner killed at random moments while it calculates and writes a
// problem file and its results (fixed seed, dozens of trials). Whatever the
// moment, each file is its old or its new complete version. A stop signal
// (SIGTERM, SIGHUP, SIGINT) also leaves no temporary file, neither beside the
// problem nor the solver's; after SIGKILL, which nothing can catch, the next
// write removes what the killed one left.
//
//   test_kill path/to/zemcalc [gtest options]
#include "platform/cp1251.h"
#include "solvers/SLCLass.h"
#include "testutil.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <gtest/gtest.h>
#include <random>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace zem;
using test::Slurp;
namespace fs = std::filesystem;

namespace {

std::string gZemcalc;

// The problem file without its PROCESS section, whose log lines carry times.
std::vector<std::string> WithoutProcess(const std::vector<std::string>& lines) {
    std::vector<std::string> kept;
    bool skip = false;
    for (const std::string& l : lines) {
        if (!l.empty() && l[0] == '#') skip = l == "#PROCESS";
        if (!skip) kept.push_back(l);
    }
    return kept;
}

class KillTest : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dir.path / "work");
        fs::create_directories(dir.path / "tmp");
    }
    std::string Work(const std::string& name) const { return dir / ("work/" + name); }

    // Starts zemcalc on Tank.zem in the work directory, with its solver's
    // temporary directory under tmp.
    pid_t Start() const {
        const pid_t pid = ::fork();
        if (pid == 0) {
            if (::chdir((dir.path / "work").c_str()) != 0) ::_exit(99);
            ::setenv("TMPDIR", (dir.path / "tmp").c_str(), 1);
            if (!std::freopen("/dev/null", "w", stdout) || !std::freopen("/dev/null", "w", stderr)) ::_exit(97);
            ::execl(gZemcalc.c_str(), gZemcalc.c_str(), "-q", "Tank.zem", static_cast<char*>(nullptr));
            ::_exit(98);
        }
        return pid;
    }
    static int Wait(pid_t pid) {
        int status = 0;
        ::waitpid(pid, &status, 0);
        return status;
    }
    // Temporary files beside the problem, and solver directories, but for
    // those of writers killed outright (they go with the next write).
    std::vector<std::string> Leftovers() const {
        std::vector<std::string> found;
        for (const auto& e : fs::directory_iterator(dir.path / "work")) {
            const std::string n = e.path().filename().string();
            const bool killed = std::any_of(killed_.begin(), killed_.end(), [&](pid_t p) {
                return n.find("." + std::to_string(p) + ".") != std::string::npos;
            });
            if (n != "Tank.zem" && n != "Tank.res" && !killed) found.push_back(n);
        }
        for (const auto& e : fs::directory_iterator(dir.path / "tmp")) found.push_back(e.path().string());
        return found;
    }

    std::vector<pid_t> killed_;
    test::TempDir dir;
};

}  // namespace

TEST_F(KillTest, EveryKillLeavesTheOldOrTheNewCompleteFiles) {
    // A cylinder that takes a while, solved by a method that keeps its
    // matrix in a temporary file, its results saved. Its mesh is sized so a
    // run lasts about half a second in this build on this machine.
    const auto problem = [](int steps) {
        return std::vector<std::string>{
            "[ZEM CAD 2]", "CylSym", "#OBJECT",
            "{BOUNDS={w_bot=0, dw_bot=0, Q1_top=0, M1_top=0}, LOADS={Gidr=10000}, MESH={mesh_x=" +
                std::to_string(steps) + "}}",
            "#CALCULATION", "CalcType= simple", "SaveResult", "SLAEMethod= " + SLAEMethodNames()[3],
            "#DESCRIPTION", "Резервуар"};
    };
    const auto timedRun = [&] {
        const auto t0 = std::chrono::steady_clock::now();
        const int status = Wait(Start());
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    };
    const int probe = 4000;
    WriteTextFile(Work("Tank.zem"), problem(probe));
    const double probeTime = timedRun();
    const int steps = std::clamp(static_cast<int>(probe * 0.5 / probeTime), probe, 100000);
    const std::vector<std::string> original = problem(steps);
    WriteTextFile(Work("Tank.zem"), original);
    const std::string firstZem = Slurp(Work("Tank.zem"));

    // The reference: one run to the end, timed.
    const double runTime = timedRun();
    ASSERT_FALSE(HasFailure());
    const std::string newRes = Slurp(Work("Tank.res"));
    const auto newZem = WithoutProcess(ReadTextFile(Work("Tank.zem")));
    EXPECT_TRUE(Leftovers().empty());

    std::mt19937 gen(7);
    std::uniform_real_distribution<double> early(0, runTime), late(0.7 * runTime, 1.2 * runTime);
    const int signals[] = {SIGTERM, SIGHUP, SIGINT, SIGKILL};
    int stoppedByCatch = 0, finished = 0;
    const int trials = 40;
    for (int trial = 0; trial < trials; ++trial) {
        // Every other trial starts from the original file without results,
        // so an interrupted run can only leave the old files.
        const bool fresh = trial % 2 == 0;
        if (fresh) {
            fs::remove(Work("Tank.res"));
            WriteTextFile(Work("Tank.zem"), original);
        }
        const std::string oldZem = Slurp(Work("Tank.zem"));
        const std::string oldRes = fs::exists(Work("Tank.res")) ? Slurp(Work("Tank.res")) : "";
        const int sig = signals[trial % 4];
        const double delay = trial % 3 == 0 ? early(gen) : late(gen);

        const pid_t pid = Start();
        std::this_thread::sleep_for(std::chrono::duration<double>(delay));
        ::kill(pid, sig);
        const int st = Wait(pid);
        if (WIFEXITED(st) && WEXITSTATUS(st) == 0) ++finished;
        if (sig != SIGKILL && WIFEXITED(st) && WEXITSTATUS(st) == 1) ++stoppedByCatch;

        SCOPED_TRACE("trial " + std::to_string(trial) + ", signal " + std::to_string(sig) + ", after " +
                     std::to_string(delay) + " s");
        const std::string zem = Slurp(Work("Tank.zem"));
        EXPECT_TRUE(zem == oldZem || WithoutProcess(ReadTextFile(Work("Tank.zem"))) == newZem)
            << "the problem file is neither old nor new";
        const std::string res = fs::exists(Work("Tank.res")) ? Slurp(Work("Tank.res")) : "";
        EXPECT_TRUE(res == oldRes || res == newRes) << "the results file is neither old nor new";
        if (sig != SIGKILL) {
            if (fresh) {
                EXPECT_EQ(res == newRes, zem != firstZem) << "results and problem file belong together";
            }
            EXPECT_TRUE(Leftovers().empty()) << "temporary files remain: " << Leftovers().front();
        } else {
            killed_.push_back(pid);
            fs::remove_all(dir.path / "tmp");  // the killed solver's directory cannot go by itself
            fs::create_directories(dir.path / "tmp");
        }
    }
    // Both outcomes happened: some runs were stopped, some finished.
    EXPECT_GT(stoppedByCatch, 0);
    EXPECT_GT(finished, 0);

    // A complete run afterwards leaves no temporary file of any killed writer.
    ASSERT_EQ(Wait(Start()), 0);
    killed_.clear();
    EXPECT_TRUE(Leftovers().empty());
    std::cout << "trials " << trials << ", stopped " << stoppedByCatch << ", finished " << finished
              << ", mesh " << steps << ", reference run " << runTime << " s\n";
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (argc < 2) {
        std::cerr << "usage: test_kill path/to/zemcalc\n";
        return 2;
    }
    gZemcalc = fs::absolute(argv[1]).string();
    return RUN_ALL_TESTS();
}
