// Meshes that cannot resolve the answer: the guard's warnings and the meshes
// it suggests, the new problems of every type, the report of an estimate and
// a mesh selection that must not continue from approximations of another
// text of the problem.
#include "problemtypes/cylinders.h"

#include "calc/Calcul.h"
#include "calc/MeshGuard.h"
#include "platform/errors.h"
#include "problem/FileNames.h"
#include "problem/PbData.h"
#include "problem/PbSeries.h"
#include "problem/PbTypes.h"
#include "solvers/SLCLass.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace zem;
using namespace zem::cyltest;

namespace {

const std::string kBand = "SLAEMethod= " + SLAEMethodNames()[2];

// The bottom moment of a long tank clamped at the bottom and filled to the
// top with a liquid of specific weight Gamma: |M1(0)| = gamma (H - 1/beta) /
// (2 beta^2), beta^4 = 3 (1 - mu^2) / (R t)^2.
double TankMoment(double gamma, double r, double h, double t, double mu = 0.3) {
    const double beta = std::pow(3 * (1 - mu * mu) / (r * t * r * t), 0.25);
    return gamma * (h - 1 / beta) / (2 * beta * beta);
}

// The bottom moment of the first domain, whatever its type.
double BottomMoment(TProblem& p) {
    TDmElement& dm = *p.Domains().at(0);
    const auto& names = dm.TableResults;
    const int m1 = static_cast<int>(std::find(names.begin(), names.end(), "M1") - names.begin());
    TDomain& d = *dm.Domain;
    for (int e = 0; e < d.DimCount; ++e) d.SetPos(e, 0);
    return static_cast<double>(d.ResultValue(m1));
}

// A new problem of type Type, as the program makes it, edited by Settings.
std::unique_ptr<TProblem> NewProblem(const std::string& type, const TSettings& settings = {}) {
    RegisterProblemTypes();
    auto p = std::make_unique<TProblem>(ProblemTypeByName(type), "P");
    Edit(*p, settings);
    return p;
}

// The water tank: R = 6 m, H = 9 m, t = 10 mm, clamped bottom.
std::unique_ptr<TProblem> WaterTank(const std::string& mesh) {
    return MakeProblem("CylSym", {{"PARAMS.R", "6"}, {"PARAMS.H", "9"}, {"PARAMS.t", "0.01"},
                                  {"LOADS.Gidr", "9810"}, {"MESH.mesh_x", mesh}});
}

std::string LineOf(const std::vector<std::string>& lines, const std::string& prefix) {
    for (const std::string& l : lines)
        if (l.starts_with(prefix)) return l;
    return "";
}

}  // namespace

TEST(MeshGuard, CoarseTankWarnsWithItsFiguresAndTheSuggestedMeshResolvesIt) {
    auto coarse = WaterTank("4");
    const std::vector<TMeshAdvice> advice = CheckMeshResolution(*coarse);
    ASSERT_EQ(advice.size(), 1u) << "only the clamped bottom: the free top carries no edge load";
    EXPECT_EQ(advice[0].Axis, "mesh_x");
    // 2.5 sqrt(6 * 0.01) = 0.61237 m, 24 steps of at most 0.025516 m.
    for (const char* figure : {"у края x = 0 м шаг 2.25 м", "2.5·sqrt(R·t) = 0.61237 м", "не менее 24 шагов",
                               "шаг не более 0.025516 м"})
        EXPECT_NE(advice[0].Warning.find(figure), std::string::npos) << figure << " in " << advice[0].Warning;
    const std::vector<std::string> lines = MeshGuardLines(*coarse);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(lines[0].starts_with("Предупреждение: сетка mesh_x слишком редка: "));
    EXPECT_TRUE(lines[0].ends_with("; предлагается mesh_x = " + advice[0].Suggested));

    // The suggestion passes, and answers within 1 % of the classical moment
    // (the coarse mesh is 99 % off).
    const double exact = TankMoment(9810, 6, 9, 0.01);
    Solve(*coarse);
    EXPECT_GT(std::fabs(BottomMoment(*coarse) + exact), 0.5 * exact);
    auto fine = WaterTank(advice[0].Suggested);
    EXPECT_TRUE(CheckMeshResolution(*fine).empty()) << advice[0].Suggested;
    Solve(*fine);
    EXPECT_NEAR(BottomMoment(*fine), -exact, 0.01 * exact);
    EXPECT_LT(CylSymOf(*fine).StepCount(0), 120) << "graded toward the bottom, not 360 equal steps";
}

TEST(MeshGuard, LoadHarmonicsNeedNodesPerWave) {
    // An ovalising wind (k = 2) round the whole circumference: 16 steps per
    // wave, 32 in all.
    const TSettings wind = {{"LOADS.Wind", "[0, 0, 1000]"}};
    for (const auto& [meshY, warns] : {std::pair{"8", true}, {"31", true}, {"32", false}, {"64", false}}) {
        auto p = NewProblem("CylTech", wind + TSettings{{"MESH.mesh_y", meshY}});
        const std::vector<TMeshAdvice> advice = CheckMeshResolution(*p);
        ASSERT_EQ(advice.size(), warns ? 1u : 0u) << meshY;
        if (!warns) continue;
        EXPECT_EQ(advice[0].Axis, "mesh_y");
        EXPECT_NE(advice[0].Warning.find("гармоника нагрузки k = 2"), std::string::npos) << advice[0].Warning;
        EXPECT_EQ(advice[0].Suggested, "32");
    }
}

TEST(MeshGuard, APanelsHeldStraightSidesNeedTheEdgeZoneAsAnArc) {
    // R = 10 m, t = 10 mm: the edge zone 2.5 sqrt(R t) = 0.79057 m, 6 steps
    // of at most 0.13176 m with the mixed stencils; 90 degrees = 15.708 m.
    const TSettings panel = {{"PARAMS.R", "10"}, {"PARAMS.t", "0.01"}, {"PARAMS.Width", "90"}};
    auto coarse = NewProblem("CylPanel", panel + TSettings{{"MESH.mesh_y", "16"}});
    std::vector<TMeshAdvice> advice = CheckMeshResolution(*coarse);
    ASSERT_EQ(advice.size(), 1u);
    EXPECT_EQ(advice[0].Axis, "mesh_y");
    for (const char* figure : {"у края y = 0 м шаг 0.98175 м", "у края y = 15.708 м", "не менее 6 шагов",
                               "шаг не более 0.13176 м"})
        EXPECT_NE(advice[0].Warning.find(figure), std::string::npos) << figure << " in " << advice[0].Warning;
    // Equal steps: on a mesh graded around, the answer in the middle is
    // three times too large.
    EXPECT_EQ(advice[0].Suggested, "120");
    auto fine = NewProblem("CylPanel", panel + TSettings{{"MESH.mesh_y", advice[0].Suggested}});
    EXPECT_TRUE(CheckMeshResolution(*fine).empty()) << advice[0].Suggested;

    // Free straight sides bend nothing; one held side is judged alone.
    TSettings free;
    for (const char* k : {"u", "v", "w", "dw"}) free.push_back({std::string("BOUNDS.") + k + "_left", ""});
    EXPECT_TRUE(CheckMeshResolution(*NewProblem("CylPanel", panel + free +
                                                                  TSettings{{"MESH.mesh_y", "[[10, 0.9], [12, 0.1]]"}}))
                    .empty());
    advice = CheckMeshResolution(*NewProblem("CylPanel", panel + free + TSettings{{"MESH.mesh_y", "16"}}));
    ASSERT_EQ(advice.size(), 1u);
    EXPECT_EQ(advice[0].Warning.find("у края y = 0 м"), std::string::npos) << advice[0].Warning;
    EXPECT_NE(advice[0].Warning.find("у края y = 15.708 м"), std::string::npos) << advice[0].Warning;
}

TEST(MeshGuard, EveryNewProblemPassesAndTheTanksMatchTheClassicalMoment) {
    RegisterProblemTypes();
    // The default shells are tanks of R = 10 m, t = 10 mm, filled to the top
    // (specific weight 10 000 N/m^3), clamped at the bottom; the stepped ones
    // have R = 1 m.
    const double tank = TankMoment(10000, 10, 10, 0.01);
    for (int type = 0; type < kProblemTypeCount; ++type) {
        const std::string name = ProblemTypeName(type);
        SCOPED_TRACE(name);
        auto p = NewProblem(name);
        EXPECT_TRUE(MeshGuardLines(*p).empty()) << MeshGuardLines(*p).front();
        const bool isTank = name.starts_with("Cyl") && name != "CylPanel";
        if (!isTank) continue;
        Solve(*p);
        EXPECT_NEAR(std::fabs(BottomMoment(*p)), tank, 0.02 * tank);
    }
}

TEST(MeshGuard, AnEmptiedMeshItemIsRefusedAndAnAbsentOneKeepsItsMeaning) {
    for (const auto& [text, refused] : std::vector<std::pair<std::string, std::string>>{
             {"{MESH={mesh_x=}}", "mesh_x"},
             {"{MESH={mesh_x=4,\n mesh_y= }}", "mesh_y"},
             {"{ELEMS={Span1={MESH={mesh_x=}}}}", "mesh_x"},
             {"{MESH={mesh=}}", "mesh"},
             {"{MESH={mesh_x=4, mesh_y=[0.5, [2, 0.5]]}}", ""},
             {"{PARAMS={R=6}}", ""},
             {"{LOADS={Wind=}, MESH={mesh_x=8}}", ""}}) {
        const std::string message = test::MessageOf([&] { CheckMeshItemsGiven(text); });
        if (refused.empty())
            EXPECT_EQ(message, "") << text;
        else
            EXPECT_TRUE(message.starts_with("Сетка " + refused + " не задана: ")) << text << ": " << message;
    }
    auto p = FromText("CylSym", "{PARAMS={R=6}}");
    EXPECT_EQ(CylSymOf(*p).StepCount(0), 4) << "a stored file without a mesh keeps its 4 steps";
}

TEST(MeshErrorReport, EstimateGivesTheLargestDifferenceWithItsPlaceAndBothValues) {
    auto p = WaterTank("40");
    std::vector<std::string> process;
    TProgressLog log;
    CalculateBySettings("", *p, process, {"CalcType= astim", "AstimList= M1, w", "ErrorNorma= uniform", kBand},
                        log);
    ASSERT_EQ(p->Approximations().size(), 1u);
    TProblem& fine = *p->Approximations()[0].Problem;
    // By hand: the node of the largest |difference| of M1 and its values.
    const std::vector<double> c = Results(*p, 4), f = Results(fine, 4);
    int worst = 0;
    double largest = 0, magnitude = 0;
    for (double v : f) magnitude = std::max(magnitude, std::fabs(v));
    for (int i = 0; i < static_cast<int>(c.size()); ++i)
        if (std::fabs(f[2 * i] - c[i]) > largest) {
            largest = std::fabs(f[2 * i] - c[i]);
            worst = i;
        }
    ASSERT_EQ(worst, 0) << "the clamped bottom";
    EXPECT_EQ(LineOf(process, "M1: наибольшая разность"),
              "M1: наибольшая разность при x = 0 м: " + RealToStrGen(5, 2, c[0]) + " -> " + RealToStrGen(5, 2, f[0]) +
                  " (" + RealToStrGen(3, 2, 100 * largest / magnitude) + " %)");
    EXPECT_NE(LineOf(process, "w: наибольшая разность при x = "), "");
    // The warning about the coarse mesh comes first.
    EXPECT_TRUE(process.front().starts_with("Предупреждение: сетка mesh_x слишком редка"));

    // No characteristic ticked is no estimate.
    auto q = WaterTank("40");
    EXPECT_EQ(test::MessageOf([&] { CalculateBySettings("", *q, process, {"CalcType= astim", "AstimList= "}, log); }),
              "Не отмечено ни одной характеристики для оценки погрешности");
    EXPECT_FALSE(q->Calculated());
}

TEST(MeshSelection, ApproximationsOfAnotherTextAreReportedAndTheSelectionStartsFromTheProblem) {
    // The reproduction: an estimate on the coarse tank, then mesh_x = 20 and
    // an automatic selection.
    auto p = WaterTank("4");
    std::vector<std::string> process;
    TProgressLog log;
    CalculateBySettings("", *p, process, {"CalcType= astim", "AstimList= M1", kBand}, log);
    ASSERT_EQ(p->Approximations().size(), 1u);
    EXPECT_EQ(p->Approximations()[0].Problem->MadeFrom, p->ObjectDigest());
    ItemAt(p->Root(), "MESH.mesh_x").SetText("20");
    p->Root().SetText(std::string(p->Root().Text()));
    p->CollectDomains();
    p->SetCalculated(false);
    EXPECT_NE(p->Approximations()[0].Problem->MadeFrom, p->ObjectDigest());

    const std::vector<std::string> choose = {"AutoMode", "CalcType= choose", "Prec= 1", "PrecChar= M1",
                                             "PrecList= mesh_x", "ErrorNorma= uniform", kBand};
    CalculateBySettings("", *p, process, choose, log);
    EXPECT_EQ(LineOf(process, "Приближения сделаны для другого текста задачи"),
              "Приближения сделаны для другого текста задачи и не использованы: Сетка удвоенной густоты");
    ASSERT_GE(p->Approximations().size(), 3u) << "the selection refined, stage after stage";
    // The first stage refined the 20-step mesh, not the stale 8-step one.
    TProblem& first = *p->Approximations()[1].Problem;
    EXPECT_TRUE(MadeFromProblem(*p, first));
    EXPECT_GT(CylSymOf(first).StepCount(0), 20);
    EXPECT_NEAR(double(CylSymOf(first).NodeCoord(0, 1)), 9.0 / 40, 1e-12) << "halved the first of the 20 steps";
    // The stage lines name the largest difference too.
    EXPECT_NE(LineOf(process, "M1: наибольшая разность при x = "), "");
    // The selected answer is the classical one; the views show it.
    std::size_t which = 0;
    TProblem& shown = FinalSolution(*p, choose, which);
    EXPECT_EQ(which, p->Approximations().size());
    const double exact = TankMoment(9810, 6, 9, 0.01);
    EXPECT_NEAR(BottomMoment(shown), -exact, 0.03 * exact);
    EXPECT_EQ(ShownMeshText(*p, choose),
              "Результаты на сетке приближения " + std::to_string(which) + " (" + p->Approximations().back().Text + ")");
    EXPECT_EQ(ShownMeshText(*p, {"CalcType= simple"}), "Результаты на сетке задачи");
}

TEST(MeshSelection, ApproximationFilesKeepTheirSourceAndOldOnesAreJudgedByTheirMeshes) {
    test::TempDir dir;
    const TPbData data(StoredPath(dir.path.string()));
    auto p = WaterTank("20");
    std::vector<std::string> process;
    TProgressLog log;
    CalculateBySettings("", *p, process, {"CalcType= astim", "AstimList= M1", kBand}, log);
    TProblemTexts texts;
    texts.Object = PrintObject(*p);
    texts.Calculation = {"CalcType= astim", "AstimList= M1", kBand};
    const std::string file = (dir.path / "tank.zem").string();
    data.WriteProblemFile(file, *p, true, texts);
    TProblemTexts read;
    auto back = data.ReadProblemFile(file, read);
    ASSERT_EQ(back->Approximations().size(), 1u);
    EXPECT_EQ(back->Approximations()[0].Problem->MadeFrom, p->ObjectDigest());
    EXPECT_TRUE(MadeFromProblem(*back, *back->Approximations()[0].Problem));

    // Without a recorded source: the same text apart from a mesh that holds
    // every node of the problem's.
    const auto judged = [&](const TSettings& approxEdit) {
        auto a = p->Clone();
        Edit(*a, approxEdit);
        return MadeFromProblem(*p, *a);
    };
    EXPECT_TRUE(judged({{"MESH.mesh_x", "40"}}));
    EXPECT_TRUE(judged({{"MESH.mesh_x", "[[4, 0.1], [18, 0.9]]"}})) << "the first step halved";
    EXPECT_FALSE(judged({{"MESH.mesh_x", "8"}})) << "the nodes of 20 steps are not among those of 8";
    EXPECT_FALSE(judged({{"MESH.mesh_x", "40"}, {"PARAMS.t", "0.012"}})) << "another wall";
}
