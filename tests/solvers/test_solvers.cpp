// The eleven solvers against an independent dense solve, their stages and
// log, the temporary file records, and the faults they must report; progress
// bookkeeping and the worker thread.
#include "platform/errors.h"
#include "platform/progress.h"
#include "solvers/SLCLass.h"
#include "solvers/SLHarmonic.h"
#include "testsystems.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include "solvers/SLProgr.h"

namespace zem {
namespace {

using test::TTestSystem;
using ::testing::HasSubstr;
namespace fs = std::filesystem;

// A progress whose clock never moves, so every duration reads 00:00.
class FrozenProgress : public TProgressLog {
public:
    FrozenProgress() : TProgressLog([] { return std::chrono::steady_clock::time_point{}; }) {}
};

std::vector<Extended> Solve(int method, const TTestSystem& s) {
    FrozenProgress progress;
    std::unique_ptr<TSLAE> solver = NewSolver(method, s.N(), s.Provider(), progress);
    solver->Prepare();
    solver->Solve();
    EXPECT_TRUE(solver->Solved());
    EXPECT_TRUE(solver->TempDirectory().empty() || !fs::exists(solver->TempDirectory()))
        << "method " << method << " left its temporary directory";
    return solver->X().Values();
}

// The message of the ZemError that method Method raises on S ("" if none).
std::string SolveError(int method, const TTestSystem& s) {
    FrozenProgress progress;
    std::unique_ptr<TSLAE> solver = NewSolver(method, s.N(), s.Provider(), progress);
    try {
        solver->Solve();
    } catch (const ZemError& e) {
        EXPECT_FALSE(solver->Solved()) << "method " << method;
        return e.what();
    }
    return "";
}

TEST(Solvers, EveryMethodAgreesWithTheDenseSolve) {
    // Direct methods in double lose a few digits to rounding; the iterations
    // stop at a root-mean-square residual of 1e-5, which for these dominant
    // systems bounds the error by about the same.
    for (const TTestSystem& s : {test::Diagonal(12), test::Tridiagonal(40), test::RandomBanded(60, 5, 1),
                                 test::RandomBanded(30, 1, 2),
                                 test::RandomBanded(9, 8, 3),  // m = N−1: the window holds everything
                                 test::RandomBanded(1, 0, 4),  // order 1: back substitution alone
                                 test::Profile(80, 5)}) {
        const std::vector<Extended> ref = test::DenseSolve(s);
        for (int method = 0; method < kSLAEMethodCount; ++method)
            if (method == kHarmonicMethod)  // a system without a circumference
                EXPECT_THAT(SolveError(method, s), HasSubstr("Гармонический метод неприменим")) << s.name;
            else
                EXPECT_LT(test::RelativeError(Solve(method, s), ref), method == 9 || method == 10 ? 1e-4 : 1e-11)
                    << s.name << ", method " << method;
    }
    // Row exchanges by the pivoting method; the profile method against the full one.
    const TTestSystem exchange = test::NeedsRowExchange(40, 11), profile = test::Profile(300, 12);
    EXPECT_LT(test::RelativeError(Solve(1, exchange), test::DenseSolve(exchange)), 1e-11);
    EXPECT_LT(test::RelativeError(Solve(7, profile), Solve(0, profile)), 1e-12);
}

TEST(Solvers, ExtendedRealTypeKeepsExtendedPrecision) {
    const TTestSystem s = test::RandomBanded(50, 4, 7);
    const std::vector<Extended> ref = test::DenseSolve(s);
    TRealTypeScope scope(rtExtended);
    for (int method : {0, 1, 2, 3, 4, kSparseMethod})
        EXPECT_LT(test::RelativeError(Solve(method, s), ref), 1e-16) << method;
    EXPECT_GT(test::RelativeError(Solve(5, s), ref), 1e-18) << "array rows stay double";
}

TEST(Solvers, ZeroPivotsSingularMatricesAndOverflowAreErrors) {
    // [[0, 1], [1, 0]] x = [2, 3]: only the pivoting method exchanges the rows.
    TTestSystem swap("swap", 2);
    swap.Set(0, 1, 1), swap.Set(1, 0, 1), swap.b = {-2, -3};
    EXPECT_EQ(Solve(1, swap), (std::vector<Extended>{3, 2}));
    EXPECT_EQ(SolveError(0, swap), "Нулевой диагональный элемент в строке 1 СЛАУ");

    TTestSystem zero = test::Diagonal(5);
    zero.rows[2] = {TListItem{1, 1.0}};  // row 3 has no diagonal; column 3 stays empty
    for (int method = 0; method < kHarmonicMethod; ++method)
        EXPECT_THAT(SolveError(method, zero),
                    HasSubstr(method == 1 || method == kSparseMethod ? "вырождена"
                              : method >= 9                          ? "не содержит диагонального"
                                                                     : "Нулевой диагональный элемент в строке"))
            << "method " << method;
    // x = −1e200 / 1e−200 overflows a double: never a finished solution.
    for (int method : {0, 8}) EXPECT_NE(SolveError(method, test::Diagonal(3, 1e-200, 1e200)), "") << method;
}

TEST(Solvers, RowsThatBreakTheProvidersContractAreRefused) {
    const TTestSystem s = test::Tridiagonal(6);
    TTestSystem unsorted = s, outside = s, empty = s;
    std::swap(unsorted.rows[3][0], unsorted.rows[3][1]);
    outside.rows[5].push_back(TListItem{6, 1});
    empty.rows[0].clear();
    EXPECT_THAT(SolveError(0, unsorted), HasSubstr("не упорядочены"));
    EXPECT_THAT(SolveError(8, outside), HasSubstr("вне системы порядка 6"));
    EXPECT_THAT(SolveError(2, empty), HasSubstr("не содержит коэффициентов"));

    // A row that grows after the band width was determined.
    TTestSystem growing = s;
    FrozenProgress progress;
    auto solver = NewSolver(3, growing.N(), growing.Provider(), progress);
    solver->Prepare();
    growing.Set(4, 0, 1);
    EXPECT_THROW(solver->Solve(), ZemError);
    EXPECT_FALSE(fs::exists(solver->TempDirectory()));
    EXPECT_THROW(NewSolver(kSLAEMethodCount, 3, s.Provider(), progress), ZemError);
}

TEST(SolverLog, BandMethodWithErrorEstimate) {
    const TTestSystem s = test::Tridiagonal(20);
    FrozenProgress progress;
    auto solver = NewSolver(2, s.N(), s.Provider(), progress);
    solver->Prepare();
    solver->Solve();
    EstimateError(*solver);
    progress.FinishCalculation("Расчет закончен");
    std::vector<std::string> lines = progress.Lines();
    ASSERT_EQ(lines.size(), 13u);
    const std::string estimate = "Среднеквадратичная погрешность ";
    ASSERT_EQ(lines[9].rfind(estimate, 0), 0u) << lines[9];
    EXPECT_LT(std::stold(lines[9].substr(estimate.size())), 1e-14L);
    lines.erase(lines.begin() + 9);
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "Метод Гаусса. Ленточная матрица", "Порядок системы: 20", "Этап расчета: 00:00",
                         "Ширина ленты: 3", "Определение ширины ленты: 00:00", "Формирование матрицы: 00:00",
                         "Прямой ход: 00:00", "Обратный ход: 00:00", "Освобождение памяти: 00:00",
                         "Оценка погрешности: 00:00", "Общее время решения СЛАУ: 00:00", std::string(47, '-')}));
    EXPECT_FALSE(progress.Running());

    // The next calculation logs the closing message as the label it found.
    NewSolver(0, s.N(), s.Provider(), progress)->Solve();
    EXPECT_EQ(progress.Lines()[2], "Расчет закончен: 00:00");
}

TEST(SolverLog, MethodNamesAreKeptByteForByte) {
    // "Гауcса" of method 0 has a Latin c as its fifth letter; method 1's name is all Cyrillic.
    const std::vector<std::string>& names = SLAEMethodNames();
    ASSERT_EQ(names.size(), 13u);
    EXPECT_EQ(names[0], "Метод Гау\x63са");
    EXPECT_EQ(names[1].find('c'), std::string::npos);
    EXPECT_EQ(names[3], "Метод Гаус\x63а. Подгружаемая матрица");
    EXPECT_EQ(names[10], "Метод последовательной релаксации");
    EXPECT_EQ(names[11].find('c'), std::string::npos) << "the twelfth name is all Cyrillic";
    EXPECT_EQ(names[12], "Гармонический метод");
}

TEST(SolverFiles, TridiagonalOrderThousandRecords) {
    // Method 3 keeps each row's band after elimination: two ten-byte records
    // a row; the others keep the normalised off-diagonal alone. The file is
    // gone when the solution ends.
    const TTestSystem s = test::Tridiagonal(1000);
    for (auto [method, bytes] : {std::pair{3, 19960u}, {4, 9980u}, {6, 9980u}, {7, 9980u}}) {
        FrozenProgress progress;
        auto solver = NewSolver(method, s.N(), s.Provider(), progress);
        solver->Solve();
        EXPECT_EQ(solver->TempFileBytes(), bytes) << "method " << method;
        EXPECT_FALSE(fs::exists(solver->TempDirectory())) << "method " << method;
    }
    // When the window holds the whole system, or every row ends at its
    // diagonal, nothing is written, and the directory is still removed.
    TTestSystem lower("lower", 50);
    for (std::size_t i = 0; i < 50; ++i) {
        if (i > 0) lower.Set(i, i - 1, 1);
        lower.Set(i, i, 3), lower.b[i] = 1;
    }
    for (int method : {3, 4, 6, 7}) {
        FrozenProgress progress;
        const TTestSystem& sys = method == 7 ? lower : test::RandomBanded(8, 7, 9);
        auto solver = NewSolver(method, sys.N(), sys.Provider(), progress);
        solver->Solve();
        EXPECT_EQ(solver->TempFileBytes(), 0u) << "method " << method;
        EXPECT_FALSE(solver->TempDirectory().empty());
        EXPECT_FALSE(fs::exists(solver->TempDirectory()));
    }
}

TEST(Iterations, GaussSeidelOnTheDiagonalExampleAndRelaxationWithOmegaOne) {
    // 2·x(i) − 4 = 0: the first sweep sets x = 2 with the residual of the
    // zeros (4), the second finds residual 0.
    const TTestSystem s = test::Diagonal(6);
    for (int method : {9, 10}) {
        FrozenProgress progress;
        auto solver = NewSolver(method, s.N(), s.Provider(), progress);
        solver->Solve();
        EXPECT_EQ(solver->X().Values(), std::vector<Extended>(6, 2));
        EXPECT_EQ(static_cast<TZejdel&>(*solver).Sweeps(), 2);
        EXPECT_EQ(progress.Snapshot().stageName, "Итерационный процесс: 2: 0");
        EXPECT_EQ(s.pulls, 12u * (method - 8)) << "one pull per row and sweep";
    }

    const TTestSystem banded = test::RandomBanded(80, 6, 21);
    FrozenProgress p1, p2;
    TZejdel seidel(banded.N(), banded.Provider(), p1);
    TSecRelax relax(banded.N(), banded.Provider(), p2), under(banded.N(), banded.Provider(), p2);
    seidel.Solve();
    relax.Solve();
    EXPECT_EQ(seidel.Sweeps(), relax.Sweeps());
    EXPECT_EQ(seidel.X().Values(), relax.X().Values());
    EXPECT_EQ(p1.Snapshot().stageName, p2.Snapshot().stageName);
    under.Omega = 0.5;
    under.Solve();
    EXPECT_GT(under.Sweeps(), seidel.Sweeps()) << "under-relaxation converges more slowly";
}

TEST(Iterations, DivergenceAndStallEndWithAnError) {
    TTestSystem diverging("diverging", 2);
    diverging.Set(0, 0, 1), diverging.Set(0, 1, 3), diverging.Set(1, 0, 3), diverging.Set(1, 1, 1);
    diverging.b = {1, 1};
    FrozenProgress progress;
    TZejdel seidel(2, diverging.Provider(), progress);
    try {
        seidel.Solve();
        FAIL() << "a diverging iteration must end";
    } catch (const ZemError& e) {
        EXPECT_THAT(e.what(), HasSubstr("расходится"));
        EXPECT_LE(seidel.Sweeps(), TZejdel::kDivergingSweeps + 2);
    }
    EXPECT_FALSE(seidel.Solved());

    const TTestSystem slow = test::RandomBanded(40, 3, 5, 1.0, 0.55);
    TZejdel limited(slow.N(), slow.Provider(), progress);
    limited.MaxSweeps = 3;
    try {
        limited.Solve();
        FAIL() << "the sweep limit must end the iteration";
    } catch (const ZemError& e) {
        EXPECT_THAT(e.what(), HasSubstr("не сошелся за 3 итераций"));
    }
}

}  // namespace
}  // namespace zem

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
