// The sparse direct method: the shells of every problem type against the
// band method in extended, refinement to the extended solution on a badly
// scaled system, singular systems, and a stop during the factorisation.
#include "platform/errors.h"
#include "platform/progress.h"
#include "problemtypes/cylinders.h"
#include "solvers/SLHarmonic.h"
#include "solvers/SLCLass.h"
#include "testsystems.h"
#include "testutil.h"

#include <gmock/gmock.h>
#include <algorithm>
#include <gtest/gtest.h>

namespace zem {
namespace {

using namespace zem::cyltest;
using test::TTestSystem;
using ::testing::HasSubstr;

std::vector<Extended> SolutionOf(TProblem& p) {
    std::vector<Extended> x(p.UnknownCount());
    for (std::size_t i = 0; i < x.size(); ++i) x[i] = p.Solution(i);
    return x;
}

// Solves P in the extended real type with Method, returning its solution.
std::vector<Extended> SolveExtended(TProblem& p, int method) {
    TRealTypeScope scope(rtExtended);
    Solve(p, method);
    return SolutionOf(p);
}

const TSettings kSimplySupported = SimplySupportedEnds();

TEST(SparseMethod, AgreesWithTheBandMethodInExtendedOnEveryProblemType) {
    const TSettings tank = {{"LOADS.Gidr", "10000"}, {"LOADS.Wind", "[0, 0, 1000]"}};
    const TSettings mesh = {{"MESH.mesh_x", "16"}, {"MESH.mesh_y", "12"}};
    const TSettings ringLoads = {{"LOADS.t", "[1000, 0, [300, 100]]"}, {"LOADS.mk", "[0, 0, 0, 30]"},
                                 {"PARAMS.Jxr", "0.3"}};
    struct TCase {
        std::string type;
        TSettings settings;
        double tolerance;  // relative to max |x|
    };
    const TCase cases[] = {
        // Long axisymmetric tanks: badly scaled rows (1 beside 1e17), the
        // band method's own accuracy in extended is about 1e-11 here.
        {"CylSym", {{"MESH.mesh_x", "2000"}, {"LOADS.Gidr", "10000"}}, 1e-9},
        {"CylSym2", {{"MESH.mesh_x", "1000"}, {"LOADS.Gidr", "10000"}}, 1e-9},
        {"CompCylSym", {{"ELEMS.Span1.MESH.mesh_x", "300"}, {"ELEMS.Span2.MESH.mesh_x", "200"}}, 1e-9},
        {"CylTech", TSettings{{"MESH.mesh_x", "30"}, {"MESH.mesh_y", "16"}} + tank, 1e-13},
        {"CylTech2_1", mesh + tank, 1e-13},
        {"CylTech2_2", TSettings{{"MESH.mesh_x", "[[8, 0.3], [8, 0.7]]"}, {"MESH.mesh_y", "12"}} + tank, 1e-13},
        {"CompCylTech",
         TSettings{{"ELEMS.Span1.MESH.mesh_x", "12"}, {"ELEMS.Span1.MESH.mesh_y", "8"}, {"ELEMS.Span2.MESH.mesh_x", "10"},
          {"ELEMS.Span2.MESH.mesh_y", "12"}} + tank,
         1e-13},
        {"CylLave", mesh + tank, 1e-13},
        // Simply supported: the shell is free to slide along its axis.
        {"CylLave", mesh + kSimplySupported + TSettings{{"LOADS.Gidr", ""}, {"LOADS.Wind", "[0, 0, 1000]"}}, 1e-13},
        {"CylLaveP", mesh + TSettings{{"PARAMS.Period", "3"}, {"LOADS.Wind", "[0, 1000]"}}, 1e-13},
        {"CylPanel", mesh + TSettings{{"PARAMS.Width", "90"}}, 1e-13},
        {"Ring", ringLoads + TSettings{{"MESH.mesh", "24"}}, 1e-13},
        {"Ring2", ringLoads + TSettings{{"MESH.mesh", "[[10, 0.4], [14, 0.6]]"}}, 1e-13},
        {"RingP", ringLoads + TSettings{{"PARAMS.Period", "2"}, {"MESH.mesh", "12"}}, 1e-13},
        {"CylRing", mesh + tank, 1e-13},
        {"CylRingP", mesh + TSettings{{"PARAMS.Period", "2"}}, 1e-13},
    };
    for (const TCase& c : cases) {
        auto p = MakeProblem(c.type, c.settings);
        const std::vector<Extended> band = SolveExtended(*p, 2), sparse = SolveExtended(*p, kSparseMethod);
        ASSERT_EQ(sparse.size(), band.size());
        EXPECT_LT(test::RelativeError(sparse, band), c.tolerance) << c.type;
        const auto* x = dynamic_cast<const TXLineItem*>(&p->Solver()->X());
        ASSERT_NE(x, nullptr) << "the solution is one contiguous row";
        EXPECT_EQ(x->RealType(), rtExtended);
        // In double the badly scaled tanks need a large first correction:
        // still a solution, not a singular matrix.
        Solve(*p, kSparseMethod);
        EXPECT_LT(test::RelativeError(SolutionOf(*p), band), 1e-6) << c.type << " in double";
    }
}

// Rows scaled by wildly different factors, as boundary rows of coefficient 1
// stand beside equation rows of 1e17 in the shells: only a scaled
// factorisation picks sound pivots, and only refinement against the
// coefficients as given reaches the extended solution.
TTestSystem BadlyScaled(std::size_t n) {
    TTestSystem s = test::RandomBanded(n, 6, 21, 0.7, 1.1);
    for (std::size_t i = 0; i < n; i += 3)
        for (TListItem& it : s.rows[i]) it.Value *= 1e17L;
    for (std::size_t i = 0; i < n; i += 3) s.b[i] *= 1e17L;
    return s;
}

TEST(SparseMethod, RefinementReachesTheExtendedSolution) {
    const TTestSystem s = BadlyScaled(400);
    const std::vector<Extended> ref = test::DenseSolve(s);
    for (int realType : {rtDouble, rtExtended}) {
        TRealTypeScope scope(realType);
        TProgressLog progress;
        TSparseLU solver(s.N(), s.Provider(), progress);
        solver.Solve();
        const double error = test::RelativeError(solver.X().Values(), ref);
        if (realType == rtExtended) {
            // The factorisation alone is off by about 2e-8 here.
            EXPECT_LT(error, 1e-16) << "extended";
            EXPECT_GE(solver.RefinementSteps(), 1);
        } else {
            EXPECT_LT(error, 1e-15) << "double";
            EXPECT_EQ(solver.RefinementSteps(), 1) << "one step in double";
        }
        EXPECT_EQ(s.pulls, s.N() * (realType == rtDouble ? 1 : 2)) << "every row pulled once per solution";
    }
}

TEST(SparseMethod, LogsItsStagesAndPullsEveryRowOnce) {
    const TTestSystem s = test::Profile(200, 3);
    TProgressLog progress;
    auto solver = NewSolver(kSparseMethod, s.N(), s.Provider(), progress);
    solver->Solve();
    EXPECT_EQ(s.pulls, s.N());
    std::vector<std::string> stages;
    for (const std::string& line : progress.Lines())
        if (auto colon = line.rfind(": "); colon != std::string::npos && line.size() == colon + 7)
            stages.push_back(line.substr(0, colon));
    EXPECT_EQ(stages, (std::vector<std::string>{"Этап расчета", "Формирование матрицы", "Упорядочение неизвестных",
                                                "Разложение матрицы", "Решение"}));
    EXPECT_EQ(progress.Lines().front(), "Разреженный прямой метод");
}

// A structure free to move as a whole under a balanced load has a singular
// system: every method refuses it with one message, in both real types,
// and leaves no result. (The Gauss–Seidel rows of the ring-stiffened shell
// have a zero diagonal, which the iterations refuse before anything else.)
TEST(SingularSystems, EveryMethodRefusesThemWithOneMessage) {
    const std::string singular =
        "Матрица СЛАУ вырождена: система не имеет единственного решения "
        "(проверьте закрепление конструкции и граничные условия)";
    // A chain of springs with both ends free: every row sums to zero; and
    // the same chain scaled by 1e17/3, where rounding hides the zero pivot.
    TTestSystem chain("free chain", 50);
    for (std::size_t i = 0; i < 50; ++i) {
        if (i > 0) chain.Set(i, i - 1, -1);
        chain.Set(i, i, Extended(i > 0) + Extended(i + 1 < 50));
        if (i + 1 < 50) chain.Set(i, i + 1, -1);
        chain.b[i] = i == 10 ? 1 : -1.0L / 49;
    }
    TTestSystem scaled = chain;
    for (auto& row : scaled.rows)
        for (TListItem& it : row) it.Value *= 1e17L / 3;

    auto freeEnd = [](const char* end) {
        TSettings s;
        for (const char* k : {"u", "v", "w", "dw"}) s.push_back({std::string("BOUNDS.") + k + end, ""});
        for (const char* k : {"N1", "S1", "Q1", "M1"}) s.push_back({std::string("BOUNDS.") + k + end, "0"});
        return s;
    };
    const TSettings wind = {{"LOADS.Gidr", ""}, {"LOADS.Wind", "[0, 0, 1000]"}},
                    mesh = {{"MESH.mesh_x", "8"}, {"MESH.mesh_y", "8"}};
    struct TShell {
        const char* type;
        TSettings settings;
        bool iterable;  // the rows have their diagonals
        bool large;     // for the band, profile and sparse methods only
    };
    const TShell shells[] = {{"CylTech", freeEnd("_bot") + freeEnd("_top") + wind + mesh, true, false},
                             {"CylTech", freeEnd("_bot") + freeEnd("_top") + wind +
                                             TSettings{{"MESH.mesh_x", "40"}, {"MESH.mesh_y", "24"}}, true, true},
                             {"CylRing", freeEnd("_bot") + wind + mesh, false, false},
                             {"CylRingP", freeEnd("_bot") + mesh, false, false}};

    for (int realType : {rtDouble, rtExtended}) {
        TRealTypeScope scope(realType);
        for (int method = 0; method < kSLAEMethodCount; ++method) {
            const bool banded = (method >= 2 && method <= 4) || method == 6 || method == 7 || method == kSparseMethod;
            for (const TTestSystem* s : {&chain, &scaled}) {
                // The harmonic method takes closed shells only, and says so.
                if (method == kHarmonicMethod) continue;
                TProgressLog progress;
                auto solver = NewSolver(method, s->N(), s->Provider(), progress);
                EXPECT_EQ(test::MessageOf([&] { solver->Solve(); }), singular)
                    << s->name << ", method " << method << ", real type " << realType;
                EXPECT_FALSE(solver->Solved());
            }
            for (const TShell& c : shells) {
                if (c.large && !banded) continue;
                auto p = MakeProblem(c.type, c.settings);
                const std::string message = test::MessageOf([&] { Solve(*p, method); });
                if ((method == 9 || method == 10) && !c.iterable)
                    EXPECT_THAT(message, HasSubstr("Нулевой диагональный элемент")) << c.type << ", method " << method;
                else
                    EXPECT_EQ(message, singular) << c.type << ", method " << method << ", real type " << realType;
                EXPECT_FALSE(p->Calculated());
            }
        }
    }
    // The flat ring is free by nature: its rigid-body conditions keep it in
    // place, and a load that would move it as a whole is refused.
    auto flat = MakeProblem("Ring", {{"LOADS.t", "[0, 5]"}});
    EXPECT_THAT(test::MessageOf([&] { Solve(*flat, kSparseMethod); }),
                HasSubstr("Нагрузка на кольцо не уравновешена: сила в плоскости кольца"));
    EXPECT_FALSE(flat->Calculated());
}

// The rows named Name (a span's rows put its key in front).
std::ptrdiff_t Count(const std::vector<std::string>& rows, const std::string& name) {
    return std::count_if(rows.begin(), rows.end(), [&](const std::string& r) {
        return r.size() >= name.size() && r.compare(r.size() - name.size(), name.size(), name) == 0 &&
               (r.size() == name.size() || r[r.size() - name.size() - 1] == '.');
    });
}

// A closed shell whose ends hold u (v) nowhere slides along (turns about)
// its axis as a whole: the motion is taken out by keeping the mean u (v) of
// the bottom edge at zero, so every method gives the one deformation; a load
// that would drive the motion is refused.
TEST(SparseMethod, ShellsFreeToSlideOrTurnGetOneSolutionFromEveryMethod) {
    const TSettings turnFree = {{"BOUNDS.v_bot", ""}, {"BOUNDS.S1_bot", "[3, 2]"}, {"BOUNDS.v_top", ""},
                                {"BOUNDS.S1_top", "[3, 0, 1]"}};
    const TSettings mesh = {{"MESH.mesh_x", "12"}, {"MESH.mesh_y", "8"}};
    struct TCase {
        std::string type;
        TSettings settings;
        int freeComponent;  // 0 u, 1 v
    };
    const TCase cases[] = {
        {"CylTech", mesh + kSimplySupported, 0},
        {"CylTech2_1", mesh + kSimplySupported, 0},
        {"CylTech2_2", mesh + kSimplySupported + turnFree, 1},
        {"CylLaveP", mesh + kSimplySupported + TSettings{{"PARAMS.Period", "2"}}, 0},
        // The stepped shell's ends are on different spans.
        {"CompCylTech", kSimplySupported + TSettings{{"ELEMS.Span2.MESH.mesh_y", "6"}}, 0},
    };
    for (const TCase& c : cases) {
        auto p = MakeProblem(c.type, c.settings);  // the default hydrostatic load
        const std::vector<std::string> rows = RowNames(*p);
        EXPECT_EQ(Count(rows, c.freeComponent == 0 ? "Rigid_u(0,0)" : "Rigid_v(0,0)"), 1) << c.type;
        for (int method : {2, 7, kSparseMethod})
            for (int realType : {rtDouble, rtExtended}) {
                TRealTypeScope scope(realType);
                Solve(*p, method);
                TDmCylTech& d = CylTechOf(*p);
                double mean = 0, largest = 0;
                for (int j = 0; j < d.StepCount(1); ++j) mean += ResultAt(d, c.freeComponent, 0, j) / d.StepCount(1);
                for (int i = 0; i <= d.StepCount(0); ++i)
                    for (int j = 0; j < d.StepCount(1); ++j)
                        largest = std::max(largest, std::fabs(ResultAt(d, c.freeComponent, i, j)));
                EXPECT_GT(largest, 0) << c.type;
                EXPECT_LT(std::fabs(mean), 1e-9 * largest) << c.type << " method " << method << " " << realType;
                // The sliding shell's top moves by the Poisson shortening
                // under the hydrostatic load; held at the top, it could not.
                if (c.freeComponent == 0 && c.type != "CompCylTech") {
                    EXPECT_GT(std::fabs(ResultAt(d, 0, d.StepCount(0), 0)), 0.1 * largest) << c.type;
                }
            }
    }
    // Held at one end: nothing is taken out (the stepped shell's top is on
    // its last span).
    for (const char* type : {"CylTech", "CompCylTech"}) {
        auto held = MakeProblem(type, kSimplySupported + TSettings{{"BOUNDS.u_top", "0"}, {"BOUNDS.N1_top", ""}});
        const std::vector<std::string> rows = RowNames(*held);
        EXPECT_EQ(Count(rows, "Rigid_u(0,0)"), 0) << type;
    }
    // End forces that would drive the motion.
    const std::string unbalanced = "Нагрузка на оболочку не уравновешена: ";
    const std::pair<TSettings, std::string> refused[] = {
        {kSimplySupported + TSettings{{"BOUNDS.N1_top", "[0, 1000]"}, {"BOUNDS.N1_bot", "[1, 1000]"}},
         "осевая сила (N1)"},
        {kSimplySupported + turnFree + TSettings{{"BOUNDS.S1_top", "[2]"}}, "крутящий момент (S1)"},
    };
    for (const auto& [settings, what] : refused)
        for (int method : {2, kSparseMethod}) {
            auto p = MakeProblem("CylTech2_2", mesh + settings);
            EXPECT_THAT(test::MessageOf([&] { Solve(*p, method); }), HasSubstr(unbalanced + what));
            EXPECT_FALSE(p->Calculated());
        }
}

// Stops the calculation while the factors are being computed, as the user
// closing the progress window then would: the stop takes effect at the step
// that follows the factorisation, whose factors must then be freed.
class StopAtFactorisation : public TProgressLog {
public:
    void BeginStage(const std::string& name) override {
        TProgressLog::BeginStage(name);
        factoring_ = name == "Разложение матрицы";
    }

protected:
    void Step(std::size_t position) override {
        TProgressLog::Step(position);
        if (factoring_) SetRunning(false);
    }

private:
    bool factoring_ = false;
};

TEST(SparseMethod, StopDuringFactorisationLeavesNothingBehind) {
    const TTestSystem s = test::RandomBanded(300, 8, 5);
    StopAtFactorisation progress;
    TSparseLU solver(s.N(), s.Provider(), progress);
    EXPECT_THROW(solver.Solve(), EBreakCalcule);
    EXPECT_FALSE(solver.Solved());
    EXPECT_EQ(solver.X().Values(), std::vector<Extended>(s.N(), 0));
    EXPECT_EQ(solver.TempFileBytes(), 0u);
    EXPECT_TRUE(solver.TempDirectory().empty()) << "no temporary file at all";
    // The factors were freed: the sanitizer build reports a leak otherwise.
}

}  // namespace
}  // namespace zem
