// The sparse direct method: the shells of every problem type against the
// band method in extended, refinement to the extended solution on a badly
// scaled system, singular systems, and a stop during the factorisation.
#include "platform/errors.h"
#include "platform/progress.h"
#include "problemtypes/cylinders.h"
#include "solvers/SLCLass.h"
#include "testsystems.h"
#include "testutil.h"

#include <gmock/gmock.h>
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

TEST(SparseMethod, AgreesWithTheBandMethodInExtendedOnEveryProblemType) {
    const TSettings tank = {{"LOADS.Gidr", "10000"}, {"LOADS.Wind", "[0, 0, 1000]"}};
    struct TCase {
        std::string type;
        TSettings settings;
        double tolerance;  // relative to max |x|
    };
    const TCase cases[] = {
        // A long axisymmetric tank: badly scaled rows (1 beside 1e17), the
        // band method's own accuracy in extended is about 1e-11 here.
        {"CylSym", {{"MESH.mesh_x", "2000"}, {"LOADS.Gidr", "10000"}}, 1e-9},
        {"CompCylSym", {{"ELEMS.Span1.MESH.mesh_x", "300"}, {"ELEMS.Span2.MESH.mesh_x", "200"}}, 1e-9},
        {"CylTech", {{"MESH.mesh_x", "30"}, {"MESH.mesh_y", "16"}, tank[0], tank[1]}, 1e-13},
        {"CompCylTech",
         {{"ELEMS.Span1.MESH.mesh_x", "12"}, {"ELEMS.Span1.MESH.mesh_y", "8"}, {"ELEMS.Span2.MESH.mesh_x", "10"},
          {"ELEMS.Span2.MESH.mesh_y", "12"}, tank[0], tank[1]},
         1e-13},
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

TEST(SparseMethod, SingularSystemsAreReportedNeverSolved) {
    auto errorOf = [](const TGetRow& rows, std::size_t n) {
        TProgressLog progress;
        TSparseLU solver(n, rows, progress);
        try {
            solver.Solve();
        } catch (const ZemError& e) {
            EXPECT_FALSE(solver.Solved());
            EXPECT_EQ(solver.X().Values(), std::vector<Extended>(n, 0)) << "no partial result";
            return std::string(e.what());
        }
        return std::string();
    };
    // A chain of springs with both ends free: every row sums to zero.
    TTestSystem free("free chain", 50);
    for (std::size_t i = 0; i < 50; ++i) {
        const Extended left = i > 0 ? 1 : 0, right = i + 1 < 50 ? 1 : 0;
        if (i > 0) free.Set(i, i - 1, -1);
        free.Set(i, i, left + right);
        if (i + 1 < 50) free.Set(i, i + 1, -1);
        free.b[i] = i == 10 ? 1 : 0;
    }
    EXPECT_THAT(errorOf(free.Provider(), free.N()), HasSubstr("вырождена"));
    // The same chain scaled by 1e17, where rounding hides the zero pivot.
    TTestSystem scaled = free;
    for (auto& row : scaled.rows)
        for (TListItem& it : row) it.Value *= 1e17L / 3;
    EXPECT_THAT(errorOf(scaled.Provider(), scaled.N()), HasSubstr("вырождена"));

    // A technical-theory shell with both ends free: nothing holds it.
    auto shell = MakeProblem("CylTech", {{"BOUNDS.u_bot", ""}, {"BOUNDS.v_bot", ""}, {"BOUNDS.w_bot", ""},
                                         {"BOUNDS.dw_bot", ""}, {"BOUNDS.N1_bot", "0"}, {"BOUNDS.S1_bot", "0"},
                                         {"BOUNDS.Q1_bot", "0"}, {"BOUNDS.M1_bot", "0"}, {"MESH.mesh_x", "8"},
                                         {"MESH.mesh_y", "8"}});
    TRealTypeScope scope(rtExtended);
    EXPECT_THAT(test::MessageOf([&] { Solve(*shell, kSparseMethod); }), HasSubstr("вырождена"));
    EXPECT_FALSE(shell->Calculated());
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
