// The harmonic method: every closed shell type against the sparse method in
// extended, a stepped shell with different circumferential meshes, the
// refusals, a stop between harmonics, threads, and what it costs.
#include "calc/Calcul.h"
#include "platform/errors.h"
#include "platform/progress.h"
#include "problem/PbHarmonic.h"
#include "problemtypes/cylinders.h"
#include "solvers/SLEstimate.h"
#include "solvers/SLHarmonic.h"
#include "testsystems.h"
#include "testutil.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace zem {
namespace {

using namespace zem::cyltest;
using ::testing::HasSubstr;
namespace fs = std::filesystem;

std::vector<Extended> SolveExtended(TProblem& p, int method) {
    TRealTypeScope scope(rtExtended);
    Solve(p, method);
    std::vector<Extended> x(p.UnknownCount());
    for (std::size_t i = 0; i < x.size(); ++i) x[i] = p.Solution(i);
    return x;
}

Extended MaxDifference(const std::vector<Extended>& a, const std::vector<Extended>& b) {
    Extended d = 0, big = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        d = std::max(d, std::fabs(a[i] - b[i]));
        big = std::max(big, std::fabs(b[i]));
    }
    return d / big;
}

const TSettings kWind = {{"LOADS.Gidr", "10000"}, {"LOADS.Wind", "[300, 200, 1000, 0, 150]"}};
const TSettings kMesh = {{"MESH.mesh_x", "14"}, {"MESH.mesh_y", "16"}};

TEST(HarmonicMethod, AgreesWithTheSparseMethodOnEveryClosedShell) {
    struct TCase {
        std::string type;
        TSettings settings;
    };
    const TCase cases[] = {
        {"CylTech", kMesh + kWind},
        {"CylTech2_1", kMesh + kWind},
        {"CylTech2_2", TSettings{{"MESH.mesh_x", "[[8, 0.3], [8, 0.7]]"}, {"MESH.mesh_y", "12"}} + kWind},
        {"CylLave", kMesh + kWind},
        {"CylLaveP", kMesh + TSettings{{"PARAMS.Period", "3"}, {"LOADS.Wind", "[0, 1000, 0, 200]"}}},
        {"CylRing", kMesh + kWind},
        {"CylRingP", kMesh + TSettings{{"PARAMS.Period", "2"}}},
        // Spans with 8 and 24 steps round: the cell is one step of the first.
        {"CompCylTech", TSettings{{"ELEMS.Span1.MESH.mesh_x", "12"}, {"ELEMS.Span1.MESH.mesh_y", "8"},
                                  {"ELEMS.Span2.MESH.mesh_x", "10"}, {"ELEMS.Span2.MESH.mesh_y", "24"}} +
                            kWind},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.type);
        auto p = MakeProblem(c.type, c.settings);
        const std::vector<Extended> sparse = SolveExtended(*p, kSparseMethod);
        EXPECT_TRUE(HarmonicApplies(*p)) << c.type;
        const std::vector<Extended> harmonic = SolveExtended(*p, kHarmonicMethod);
        ASSERT_EQ(harmonic.size(), sparse.size()) << c.type;
        EXPECT_LT(MaxDifference(harmonic, sparse), 1e-15) << c.type;
        const auto& solver = dynamic_cast<const THarmonicSolver&>(*p->Solver());
        // Only the rows of one cell round the circumference were written
        // out (the joint of the stepped shell interpolates with weights
        // that vary in their last bits round it), and each harmonic's band
        // is that of a line along the axis.
        if (c.type == "CompCylTech")
            EXPECT_LT(solver.RowsPulled(), p->UnknownCount() / 4);
        else
            EXPECT_EQ(solver.RowsPulled(), solver.Lines()) << c.type;
        EXPECT_LT(solver.LowerBand() + solver.UpperBand(), solver.Lines()) << c.type;
        EXPECT_GE(solver.RefinementSteps(), 1) << c.type;
        const std::size_t nearly = solver.NearlyRepeatingRows();
        if (c.type == "CompCylTech") {
            EXPECT_GT(nearly, 0u);
        }

        // Free terms given alone, as a pass that skips the coefficients
        // gives them: a few cells' rows are compared in each line (the whole
        // line where one differs from its cell-0 row, as at the stepped
        // shell's joint), and the solution is the same.
        TRealTypeScope scope(rtExtended);
        TProgressLog log;
        p->CreateSolver(kHarmonicMethod, log);
        auto& sampling = dynamic_cast<THarmonicSolver&>(*p->Solver());
        THarmonicLayout layout = *sampling.Layout();
        std::size_t alone = 0;
        layout.FreeTermAlone = [&](std::size_t r) {
            ++alone;
            return p->FreeTermOf(r, [](std::size_t, Extended) {});
        };
        sampling.SetLayout(std::move(layout));
        sampling.Solve();
        EXPECT_LT(MaxDifference(sampling.X().Values(), sparse), 1e-15) << c.type;
        EXPECT_GT(alone, p->UnknownCount() / 3) << c.type;
        EXPECT_EQ(sampling.NearlyRepeatingRows(), nearly) << c.type;
    }
}

// Free to slide along its axis (or to turn about it): the row keeping the
// mean u (v) of the bottom edge at zero stands in the place of one equation
// and acts on harmonic 0 alone, the harmonic the motion makes singular.
TEST(HarmonicMethod, ShellsFreeToSlideOrTurnAreSolvedThroughTheirMeanValueRow) {
    const TSettings turnFree = {{"BOUNDS.v_bot", ""}, {"BOUNDS.S1_bot", "[3, 2]"}, {"BOUNDS.v_top", ""},
                                {"BOUNDS.S1_top", "[3, 0, 1]"}};
    const std::pair<std::string, TSettings> cases[] = {
        {"CylTech", kMesh + SimplySupportedEnds() + kWind},
        {"CylTech2_2", kMesh + SimplySupportedEnds() + turnFree + kWind},
    };
    for (const auto& [type, settings] : cases) {
        SCOPED_TRACE(type);
        auto p = MakeProblem(type, settings);
        EXPECT_FALSE(HarmonicApplies(*p)) << "not chosen by default";
        const std::vector<Extended> sparse = SolveExtended(*p, kSparseMethod);
        for (int realType : {rtDouble, rtExtended}) {
            TRealTypeScope scope(realType);
            Solve(*p, kHarmonicMethod);
            std::vector<Extended> x(p->UnknownCount());
            for (std::size_t i = 0; i < x.size(); ++i) x[i] = p->Solution(i);
            EXPECT_LT(MaxDifference(x, sparse), realType == rtExtended ? 1e-14 : 1e-12) << realType;
        }
    }
}

TEST(HarmonicMethod, RefusesWhatDoesNotRepeatRoundTheCircumference) {
    const std::string sparse = "Подходит метод «" + SLAEMethodNames()[kSparseMethod] + "»";
    struct TCase {
        std::string type;
        TSettings settings;
        std::string reason;
    };
    const TCase cases[] = {
        {"CylTech", TSettings{{"MESH.mesh_x", "10"}, {"MESH.mesh_y", "[[4, 0.25], [8, 0.75]]"}}, "неравномерна"},
        {"CylTech",
         TSettings{{"PARAMS.R", "1"}, {"PARAMS.H", "1"}, {"MESH.mesh_x", "10"}, {"MESH.mesh_y", "8"},
                   {"LOADS.w_Rect", "[0.32, 0, 0.68, 1, 0.0001]"}},
         "w_Constr"},
        {"CylPanel", kMesh + TSettings{{"PARAMS.Width", "90"}}, "не замкнута по окружности"},
    };
    for (const TCase& c : cases) {
        auto p = MakeProblem(c.type, c.settings);
        EXPECT_FALSE(HarmonicApplies(*p)) << c.type << " " << c.reason;
        EXPECT_EQ(MethodForCopy(*p, kHarmonicMethod), kSparseMethod);
        const std::string message = test::MessageOf([&] { Solve(*p, kHarmonicMethod); });
        EXPECT_THAT(message, HasSubstr("Гармонический метод неприменим")) << c.type;
        EXPECT_THAT(message, HasSubstr(c.reason)) << c.type;
        EXPECT_THAT(message, HasSubstr(sparse)) << c.type;
        EXPECT_FALSE(p->Calculated()) << c.type;
    }
}

// Clears the running flag at the first step of the harmonics, as closing
// the progress window would.
class StopAtHarmonics : public TProgressLog {
public:
    void BeginStage(const std::string& name) override {
        TProgressLog::BeginStage(name);
        harmonics_ = name == "Разложение по гармоникам";
    }
    bool Reached() const { return reached_; }

protected:
    void Step(std::size_t position) override {
        TProgressLog::Step(position);
        if (harmonics_) SetRunning(false), reached_ = true;
    }

private:
    bool harmonics_ = false, reached_ = false;
};

TEST(HarmonicMethod, StopBetweenHarmonicsLeavesNoResultAndNoFile) {
    const fs::path dir = fs::temp_directory_path() / "zem_harmonic_stop";
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string file = (dir / "shell.zem").string();
    auto p = MakeProblem("CylTech", kMesh + kWind);
    StopAtHarmonics progress;
    std::vector<std::string> process;
    EXPECT_THROW(CalculateBySettings(file, *p, process,
                                     {"CalcType= simple", "SLAEMethod= " + SLAEMethodNames()[kHarmonicMethod], "SaveResult"},
                                     progress),
                 EBreakCalcule);
    EXPECT_TRUE(progress.Reached());
    EXPECT_FALSE(p->Calculated());
    const auto& solver = dynamic_cast<const THarmonicSolver&>(*p->Solver());
    EXPECT_FALSE(solver.Solved());
    EXPECT_EQ(solver.HarmonicsFactored(), 0u);
    EXPECT_TRUE(fs::is_empty(dir)) << "no results file";
    fs::remove_all(dir);
}

TEST(HarmonicMethod, ErrorEstimateAndMeshSelectionUseItWhileTheCopiesRepeat) {
    const std::string harmonic = SLAEMethodNames()[kHarmonicMethod], sparse = SLAEMethodNames()[kSparseMethod];
    auto count = [](const std::vector<std::string>& lines, const std::string& text) {
        return std::count(lines.begin(), lines.end(), text);
    };
    // The doubled mesh stays uniform round the circumference.
    auto p = MakeProblem("CylTech", TSettings{{"MESH.mesh_x", "8"}, {"MESH.mesh_y", "8"}} + kWind);
    TProgressLog log;
    std::vector<std::string> process;
    CalculateBySettings("p.zem", *p, process, {"CalcType= astim", "AstimList= w", "SLAEMethod= " + harmonic}, log);
    EXPECT_EQ(count(process, harmonic), 1) << "the problem itself";
    EXPECT_EQ(log.Lines().front(), harmonic) << "the doubled copy";
    // A stage refining the circumference where the error is large makes
    // the mesh uneven there: that copy is solved by the sparse method.
    p = MakeProblem("CylTech", TSettings{{"MESH.mesh_x", "8"}, {"MESH.mesh_y", "16"}, {"LOADS.Gidr", ""},
                                         {"LOADS.q_Rect", "[0, 0, 10, 3, 1000]"}});
    process.clear();
    CalculateBySettings("p.zem", *p, process,
                        {"CalcType= choose", "Prec= 5", "PrecChar= w", "PrecList= mesh_y", "SLAEMethod= " + harmonic},
                        log);
    ASSERT_FALSE(p->Approximations().empty());
    TProblem& refined = *p->Approximations().back().Problem;
    EXPECT_EQ(count(process, sparse), count(process, "Заключительный расчет:")) << "uneven round the circumference";
    EXPECT_FALSE(HarmonicApplies(refined));
}

TEST(HarmonicMethod, ThreadsGiveTheSameSolution) {
    auto p = MakeProblem("CylLave", kMesh + kWind);
    std::vector<std::vector<Extended>> x;
    for (unsigned threads : {1u, 2u, 3u}) {
        TRealTypeScope scope(rtDouble);
        TProgressLog log;
        p->BuildEquations();
        p->CreateSolver(kHarmonicMethod, log);
        auto& solver = dynamic_cast<THarmonicSolver&>(*p->Solver());
        solver.Threads = threads;
        solver.Solve();
        x.push_back(solver.X().Values());
        EXPECT_EQ(solver.RefinementSteps(), 1) << "one step in double";
    }
    EXPECT_EQ(x[0], x[1]);
    EXPECT_EQ(x[0], x[2]);
}

TEST(HarmonicMethod, EstimateAndDefault) {
    // A 1000 × 512 technical-theory shell: 3 components on 1005 node lines.
    const std::size_t n = 3 * 1005 * 512, lines = 3 * 1005;
    const std::uint64_t harmonic = SolverMemory(kHarmonicMethod, n, n / 2, rtExtended);
    EXPECT_LT(harmonic, std::uint64_t{1} << 30) << "under a gigabyte";
    EXPECT_LT(harmonic, SolverMemory(kSparseMethod, n, n / 2, rtExtended) / 4);
    EXPECT_NEAR(static_cast<double>(harmonic), static_cast<double>(HarmonicMemory(n, lines, 12, 12)), 0.5 * harmonic);
    EXPECT_LT(SolverOperations(kHarmonicMethod, n, 0, rtExtended), SolverOperations(kSparseMethod, n, 3000, rtExtended) / 20);

    // The estimate of a solution against what it allocated.
    auto p = MakeProblem("CylTech", TSettings{{"MESH.mesh_x", "60"}, {"MESH.mesh_y", "64"}} + kWind);
    Solve(*p, kHarmonicMethod);
    const auto& solver = dynamic_cast<const THarmonicSolver&>(*p->Solver());
    const std::uint64_t estimate = HarmonicMemory(p->UnknownCount(), solver.Lines(), solver.LowerBand(), solver.UpperBand());
    EXPECT_GT(estimate, solver.FactorBytes());
    EXPECT_LT(estimate, 3 * solver.FactorBytes());
    // Too little memory: refused before the factors are allocated.
    SetMemoryLimit(solver.FactorBytes() / 2);
    EXPECT_THAT(test::MessageOf([&] { Solve(*p, kHarmonicMethod); }), HasSubstr("Недостаточно памяти"));
    SetMemoryLimit(std::nullopt);

    // New closed shells start with the method; a shell it cannot solve, or
    // a small or axisymmetric one, does not.
    EXPECT_EQ(DefaultSLAEMethod(20160, 200, true, true), kHarmonicMethod);
    EXPECT_EQ(DefaultSLAEMethod(20160, 200, true, false), kSparseMethod);
    EXPECT_EQ(DefaultSLAEMethod(1200, 80, true, true), 2);
    EXPECT_EQ(EstimateSolver(2, 20160, 200, rtExtended).Suggested == kHarmonicMethod, false)
        << "never suggested for a system it was not shown";
}

}  // namespace
}  // namespace zem
