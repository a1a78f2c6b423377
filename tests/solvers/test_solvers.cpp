// The eleven solvers against an independent dense solve, their stages and
// log, the temporary file records, and the faults they must report.
#include "platform/errors.h"
#include "platform/progress.h"
#include "solvers/SLCLass.h"
#include "testsystems.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>

namespace zem {
namespace {

using test::TTestSystem;
using ::testing::HasSubstr;

// A progress whose clock never moves, so every duration reads 00:00.
class FrozenProgress : public TProgressLog {
public:
    FrozenProgress() : TProgressLog([] { return std::chrono::steady_clock::time_point{}; }) {}
};

std::vector<Extended> Solve(int method, const TTestSystem& s, TProgress& progress) {
    std::unique_ptr<TSLAE> solver = NewSolver(method, s.N(), s.Provider(), progress);
    solver->Prepare();
    solver->Solve();
    EXPECT_TRUE(solver->Solved());
    if (!solver->TempDirectory().empty()) {
        EXPECT_FALSE(std::filesystem::exists(solver->TempDirectory()))
            << "method " << method << " left its temporary directory";
    }
    return solver->X().Values();
}

// Tolerances: direct methods in double lose a few digits to rounding; the
// iterations stop at a root-mean-square residual of 1e-5, which for these
// dominant systems bounds the error by about the same.
double Tolerance(int method) { return method >= 9 ? 1e-4 : 1e-11; }

TEST(Solvers, EveryMethodSolvesTheCommonSystems) {
    const std::vector<TTestSystem> systems{
        test::Diagonal(12),
        test::Tridiagonal(40),
        test::RandomBanded(60, 5, 1),
        test::RandomBanded(30, 1, 2),
        test::RandomBanded(9, 8, 3),  // m = N−1: the window holds everything
        test::RandomBanded(1, 0, 4),  // order 1: back substitution alone
        test::Profile(80, 5),
    };
    for (const TTestSystem& s : systems) {
        const std::vector<Extended> ref = test::DenseSolve(s);
        for (int method = 0; method < kSLAEMethodCount; ++method) {
            FrozenProgress progress;
            EXPECT_LT(test::RelativeError(Solve(method, s, progress), ref), Tolerance(method))
                << s.name << ", method " << method;
        }
    }
}

TEST(Solvers, ExtendedRealTypeKeepsExtendedPrecision) {
    const TTestSystem s = test::RandomBanded(50, 4, 7);
    const std::vector<Extended> ref = test::DenseSolve(s);
    TRealTypeScope scope(rtExtended);
    for (int method : {0, 1, 2, 3, 4}) {
        FrozenProgress progress;
        EXPECT_LT(test::RelativeError(Solve(method, s, progress), ref), 1e-16) << "method " << method;
    }
    FrozenProgress progress;
    EXPECT_GT(test::RelativeError(Solve(5, s, progress), ref), 1e-18) << "array rows stay double";
}

TEST(Solvers, RowExchangesAndProfiles) {
    // [[0, 1], [1, 0]], b = [−2, −3]: the pivoting method exchanges the rows.
    TTestSystem swap = test::Empty("swap", 2);
    swap.Set(0, 1, 1), swap.Set(1, 0, 1), swap.b = {-2, -3};
    FrozenProgress p0;
    EXPECT_EQ(Solve(1, swap, p0), (std::vector<Extended>{3, 2}));
    FrozenProgress p1;
    try {
        Solve(0, swap, p1);
        FAIL() << "a zero pivot must not pass";
    } catch (const ZemError& e) {
        EXPECT_STREQ(e.what(), "Нулевой диагональный элемент в строке 1 СЛАУ");
    }

    const TTestSystem exchange = test::NeedsRowExchange(40, 11);
    FrozenProgress p2;
    EXPECT_LT(test::RelativeError(Solve(1, exchange, p2), test::DenseSolve(exchange)), 1e-11);

    // The profile method against the full one on rows of very different widths.
    const TTestSystem profile = test::Profile(300, 12);
    FrozenProgress p3, p4;
    EXPECT_LT(test::RelativeError(Solve(7, profile, p3), Solve(0, profile, p4)), 1e-12);
}

TEST(Solvers, ZeroPivotsSingularMatricesAndOverflowAreErrors) {
    TTestSystem zero = test::Diagonal(5);
    zero.rows[2] = {TListItem{1, 1.0}};  // row 3 has no diagonal; column 3 stays empty
    for (int method = 0; method < kSLAEMethodCount; ++method) {
        FrozenProgress progress;
        std::unique_ptr<TSLAE> solver = NewSolver(method, zero.N(), zero.Provider(), progress);
        try {
            solver->Solve();
            ADD_FAILURE() << "method " << method << " reported a singular system as solved";
        } catch (const ZemError& e) {
            EXPECT_FALSE(solver->Solved());
            if (method == 1)
                EXPECT_THAT(e.what(), HasSubstr("вырождена")) << e.what();
            else if (method >= 9)
                EXPECT_THAT(e.what(), HasSubstr("не содержит диагонального")) << e.what();
            else
                EXPECT_THAT(e.what(), HasSubstr("Нулевой диагональный элемент в строке")) << e.what();
        }
    }
    // x = −1e200 / 1e−200 overflows a double: never a finished solution.
    TTestSystem huge = test::Diagonal(3, 1e-200, 1e200);
    for (int method : {0, 8}) {
        FrozenProgress progress;
        EXPECT_THROW(Solve(method, huge, progress), ZemError) << "method " << method;
    }
}

TEST(Solvers, RowsThatBreakTheProvidersContractAreRefused) {
    TTestSystem s = test::Tridiagonal(6);
    auto expectError = [&](const TTestSystem& sys, int method, const char* text) {
        FrozenProgress progress;
        std::unique_ptr<TSLAE> solver = NewSolver(method, sys.N(), sys.Provider(), progress);
        try {
            solver->Solve();
            ADD_FAILURE() << text;
        } catch (const ZemError& e) {
            EXPECT_THAT(e.what(), HasSubstr(text));
        }
    };
    TTestSystem unsorted = s;
    std::swap(unsorted.rows[3][0], unsorted.rows[3][1]);
    expectError(unsorted, 0, "не упорядочены");
    TTestSystem outside = s;
    outside.rows[5].push_back(TListItem{6, 1});
    expectError(outside, 8, "вне системы порядка 6");
    TTestSystem empty = s;
    empty.rows[0].clear();
    expectError(empty, 2, "не содержит коэффициентов");

    // A row that grows after the band width was determined.
    FrozenProgress progress;
    auto solver = NewSolver(3, s.N(), s.Provider(), progress);
    solver->Prepare();
    s.Set(4, 0, 1);
    EXPECT_THROW(solver->Solve(), ZemError);
    EXPECT_FALSE(std::filesystem::exists(solver->TempDirectory()));
    EXPECT_THROW(NewSolver(11, 3, s.Provider(), progress), ZemError);
}

TEST(SolverLog, BandMethodWithErrorEstimate) {
    const TTestSystem s = test::Tridiagonal(20);
    FrozenProgress progress;
    auto solver = NewSolver(2, s.N(), s.Provider(), progress);
    solver->Prepare();
    solver->Solve();
    EstimateError(*solver);
    progress.FinishCalculation("Расчет закончен");
    const std::vector<std::string> lines = progress.Lines();
    ASSERT_EQ(lines.size(), 13u);
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 9),
              (std::vector<std::string>{"Метод Гаусса. Ленточная матрица", "Порядок системы: 20",
                                        "Этап расчета: 00:00", "Ширина ленты: 3",
                                        "Определение ширины ленты: 00:00", "Формироваеме матрицы: 00:00",
                                        "Прямой ход: 00:00", "Обратный ход: 00:00", "Освобождение памяти: 00:00"}));
    EXPECT_THAT(lines[9], ::testing::StartsWith("Среднеквадратичная погрешность "));
    EXPECT_LT(std::stold(lines[9].substr(std::strlen("Среднеквадратичная погрешность "))), 1e-14L);
    EXPECT_EQ(lines[10], "Оценка погрешности: 00:00");
    EXPECT_EQ(lines[11], "Общее время решения СЛАУ: 00:00");
    EXPECT_EQ(lines[12], std::string(47, '-'));
    EXPECT_FALSE(progress.Running());

    // The next calculation logs the closing message as the label it found.
    auto again = NewSolver(0, s.N(), s.Provider(), progress);
    again->Solve();
    EXPECT_EQ(progress.Lines()[2], "Расчет закончен: 00:00");
}

// The stage lines of one solution, without the method name and order.
std::vector<std::string> Stages(int method, const TTestSystem& s) {
    FrozenProgress progress;
    auto solver = NewSolver(method, s.N(), s.Provider(), progress);
    solver->Solve();
    progress.FinishCalculation("Расчет закончен");
    std::vector<std::string> out;
    for (const std::string& line : progress.Lines())
        if (line.size() > 7 && line.compare(line.size() - 7, 7, ": 00:00") == 0 &&
            line.rfind("Общее время", 0) != 0)
            out.push_back(line.substr(0, line.size() - 7));
    return out;
}

TEST(SolverLog, StagesOfEveryMethod) {
    const TTestSystem s = test::Tridiagonal(30);
    using V = std::vector<std::string>;
    const V full{"Этап расчета", "Формирование матрицы", "Прямой ход", "Обратный ход"};
    V freed = full;
    freed.push_back("Освобождение памяти");
    const V band{"Этап расчета", "Определение ширины ленты", "Формироваеме матрицы",
                 "Прямой ход",   "Обратный ход",             "Освобождение памяти"};
    const V window{"Этап расчета", "Определение ширины ленты", "Формирование матрицы",
                   "Прямой ход",   "Обратный ход",             "Освобождение памяти"};
    EXPECT_EQ(Stages(0, s), freed);
    EXPECT_EQ(Stages(1, s), freed);
    EXPECT_EQ(Stages(2, s), band);
    EXPECT_EQ(Stages(3, s), window);
    EXPECT_EQ(Stages(4, s), window);
    EXPECT_EQ(Stages(5, s), freed);
    EXPECT_EQ(Stages(6, s), window);
    EXPECT_EQ(Stages(7, s), (V{"Этап расчета", "Чтение данных", "Прямой ход", "Обратный ход"}));
    EXPECT_EQ(Stages(8, s), full) << "the single array is freed without a stage";
}

TEST(SolverLog, MethodNamesAreKeptByteForByte) {
    const std::vector<std::string>& names = SLAEMethodNames();
    ASSERT_EQ(names.size(), 11u);
    // "Гауcса" of method 0 has a Latin c as its fifth letter; method 1's
    // name is all Cyrillic.
    EXPECT_EQ(names[0], "Метод Гау\x63са");
    EXPECT_EQ(names[1].find('c'), std::string::npos);
    EXPECT_EQ(names[3], "Метод Гаус\x63а. Подгружаемая матрица");
    EXPECT_EQ(names[10], "Метод последовательной релаксации");
    FrozenProgress progress;
    for (int i = 0; i < kSLAEMethodCount; ++i)
        EXPECT_EQ(NewSolver(i, 1, test::Diagonal(1).Provider(), progress)->GetMethodName(), names[i]);
}

// Keeps a copy of the temporary file as back substitution begins (the
// solver deletes it when the solution ends).
class FileCatcher : public FrozenProgress {
public:
    const TSLAE* solver = nullptr;
    std::string file;
    std::string bytes;
    void BeginStage(const std::string& name) override {
        if (name == "Обратный ход" && solver) {
            std::ifstream in(solver->TempDirectory() / file, std::ios::binary);
            bytes.assign(std::istreambuf_iterator<char>(in), {});
        }
        FrozenProgress::BeginStage(name);
    }
};

Extended Record(const std::string& bytes, std::size_t i) {
    return UnpackExtended(reinterpret_cast<const unsigned char*>(bytes.data()) + 10 * i);
}

TEST(SolverFiles, TridiagonalOrderThousandRecords) {
    const TTestSystem s = test::Tridiagonal(1000);
    struct Case {
        int method;
        const char* file;
        std::uint64_t bytes;
    };
    for (const Case& c : {Case{3, "matr.tmp", 19960}, Case{4, "matr.tmp", 9980}, Case{6, "matr.tmp", 9980},
                          Case{7, "SLFile.tmp", 9980}}) {
        FileCatcher progress;
        progress.file = c.file;
        auto solver = NewSolver(c.method, s.N(), s.Provider(), progress);
        progress.solver = solver.get();
        solver->Solve();
        EXPECT_EQ(solver->TempFileBytes(), c.bytes) << "method " << c.method;
        ASSERT_EQ(progress.bytes.size(), c.bytes) << "method " << c.method;
        EXPECT_FALSE(std::filesystem::exists(solver->TempDirectory())) << "method " << c.method;
        // Row 0 of 4x − y: eliminated (4, −1), or normalised −1/4.
        if (c.method == 3) {
            EXPECT_EQ(Record(progress.bytes, 0), 4);
            EXPECT_EQ(Record(progress.bytes, 1), -1);
            EXPECT_EQ(Record(progress.bytes, 2), 4 - 0.25L) << "row 1 after eliminating column 0";
        } else {
            EXPECT_EQ(Record(progress.bytes, 0), -0.25);
        }
    }
    // When the window holds the whole system nothing is written, and the
    // file is still removed; a row with nothing right of its diagonal writes
    // no record.
    TTestSystem lower = test::Empty("lower", 50);
    for (std::size_t i = 0; i < 50; ++i) {
        if (i > 0) lower.Set(i, i - 1, 1);
        lower.Set(i, i, 3);
        lower.b[i] = 1;
    }
    for (int method : {3, 4, 6, 7}) {
        FrozenProgress progress;
        const TTestSystem& sys = method == 7 ? lower : test::RandomBanded(8, 7, 9);
        auto solver = NewSolver(method, sys.N(), sys.Provider(), progress);
        solver->Solve();
        EXPECT_EQ(solver->TempFileBytes(), 0u) << "method " << method;
        EXPECT_FALSE(solver->TempDirectory().empty());
        EXPECT_FALSE(std::filesystem::exists(solver->TempDirectory()));
    }
}

TEST(Iterations, GaussSeidelOnTheDiagonalExample) {
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
}

TEST(Iterations, RelaxationWithOmegaOneRepeatsGaussSeidel) {
    const TTestSystem s = test::RandomBanded(80, 6, 21);
    FrozenProgress p1, p2;
    TZejdel seidel(s.N(), s.Provider(), p1);
    TSecRelax relax(s.N(), s.Provider(), p2);
    seidel.Solve();
    relax.Solve();
    EXPECT_EQ(seidel.Sweeps(), relax.Sweeps());
    EXPECT_EQ(seidel.X().Values(), relax.X().Values());
    EXPECT_EQ(p1.Snapshot().stageName, p2.Snapshot().stageName);

    TSecRelax under(s.N(), s.Provider(), p2);
    under.Omega = 0.5;
    under.Solve();
    EXPECT_GT(under.Sweeps(), seidel.Sweeps()) << "under-relaxation converges more slowly";
}

TEST(Iterations, DivergenceAndStallEndWithAnError) {
    TTestSystem diverging = test::Empty("diverging", 2);
    diverging.Set(0, 0, 1), diverging.Set(0, 1, 3), diverging.Set(1, 0, 3), diverging.Set(1, 1, 1);
    diverging.b = {1, 1};
    FrozenProgress p1;
    TZejdel seidel(2, diverging.Provider(), p1);
    try {
        seidel.Solve();
        FAIL() << "a diverging iteration must end";
    } catch (const ZemError& e) {
        EXPECT_THAT(e.what(), HasSubstr("расходится"));
        EXPECT_LE(seidel.Sweeps(), TZejdel::kDivergingSweeps + 2);
    }
    EXPECT_FALSE(seidel.Solved());

    FrozenProgress p2;
    const TTestSystem slow = test::RandomBanded(40, 3, 5, 1.0, 0.55);
    TZejdel limited(slow.N(), slow.Provider(), p2);
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
