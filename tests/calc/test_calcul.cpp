// The measures behind the error estimate and the mesh selection on real
// shells: the mean-square error of a surface, fields that vanish to rounding,
// a selection that needs a solved start, the characteristics a run may name,
// and the extremes a series reports for a member; the calculation lines of a
// problem file read with their defaults, keys in any letter case, values
// exact, and written back.
#include "problemtypes/cylinders.h"

#include "calc/Calcul.h"
#include "calc/RunFile.h"
#include "platform/cp1251.h"
#include "platform/errors.h"
#include "problem/FileNames.h"
#include "problem/PbData.h"
#include "problem/PbSeries.h"
#include "solvers/SLCLass.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include "problem/CalcSettings.h"

using namespace zem;
using namespace zem::cyltest;

namespace {

const std::string kBand = "SLAEMethod= " + SLAEMethodNames()[2];

// A short steel tank of radius 1 m: hydrostatics, or the same pressure
// scaled by Scale (every result scales with it).
std::unique_ptr<TProblem> Tank(double gamma = 10000) {
    auto p = MakeProblem("CylTech", {{"PARAMS.R", "1"}, {"PARAMS.H", "1"}, {"MESH.mesh_x", "8"},
                                     {"MESH.mesh_y", "4"}, {"LOADS.Gidr", RealToStrGen(17, 0, gamma)}});
    Solve(*p);
    return p;
}

std::unique_ptr<TProblem> Doubled(const TProblem& p) {
    auto f = p.Clone();
    f->DoubleMesh();
    Solve(*f);
    return f;
}

// The line of the report that begins with Prefix.
std::string LineOf(const std::vector<std::string>& lines, const std::string& prefix) {
    for (const std::string& l : lines)
        if (l.starts_with(prefix)) return l;
    return "";
}

}  // namespace

TEST(MeshErrorOfASurface, MeanSquareIsTheRootMeanSquareOverTheLargestMagnitude) {
    auto p = Tank();
    auto f = Doubled(*p);
    TDmCylTech& d = CylTechOf(*p);
    TDmCylTech& fd = CylTechOf(*f);
    // By hand: every coarse node (each circumferential node once) against
    // the fine node at the same place.
    double sum = 0, largest = 0;
    int nodes = 0;
    for (int i = 0; i <= 8; ++i)
        for (int j = 0; j < 4; ++j) {
            const double diff = ResultAt(fd, 2, 2 * i, 2 * j) - ResultAt(d, 2, i, j);
            sum += diff * diff;
            ++nodes;
        }
    for (int i = 0; i <= 16; ++i)
        for (int j = 0; j < 8; ++j) largest = std::max(largest, std::fabs(ResultAt(fd, 2, i, j)));
    const double expected = 100 * std::sqrt(sum / nodes) / largest;
    ASSERT_GT(expected, 0.01);
    const auto percent = MeshErrorPercent(*p, 0, "w", *f, 0);
    ASSERT_TRUE(percent.has_value());
    EXPECT_NEAR(*percent, expected, 1e-9 * expected);

    // The same shell under a thousandth of the load (the results in other
    // units) has the same relative error.
    auto small = Tank(10);
    auto smallFine = Doubled(*small);
    EXPECT_NEAR(*MeshErrorPercent(*small, 0, "w", *smallFine, 0), *percent, 1e-9 * *percent);
    EXPECT_NEAR(*MeshErrorPercent(*small, 1, "M1", *smallFine, 0), *MeshErrorPercent(*p, 1, "M1", *f, 0),
                1e-9 * *MeshErrorPercent(*p, 1, "M1", *f, 0));
}

TEST(MeshErrorOfASurface, FieldsZeroToRoundingAreReportedAsZeroAndRefineNothing) {
    // An axisymmetric load: no circumferential motion and no shear, only
    // rounding noise in v and S1.
    auto p = Tank();
    std::vector<std::string> process;
    TProgressLog log;
    CalculateBySettings("tank.zem", *p, process, {"CalcType= astim", "AstimList= w, v, S1, M1", kBand}, log);
    EXPECT_EQ(LineOf(process, "v: "), "v: 0 (поле равно нулю)");
    EXPECT_EQ(LineOf(process, "S1: "), "S1: 0 (поле равно нулю)");
    for (const std::string name : {"w: ", "M1: "}) {
        const std::string line = LineOf(process, name);
        ASSERT_TRUE(line.ends_with(" %")) << line;
        const double pct = std::stod(line.substr(name.size()));
        EXPECT_GT(pct, 0) << line;
        EXPECT_LT(pct, 50) << line;
    }

    // As the criterion of a selection the noise refines nothing; the real
    // field does.
    EXPECT_EQ(RefineStage(*p, 1, "v", 2, {"mesh_x", "mesh_y"}, 1, 0, log), nullptr);
    EXPECT_EQ(RefineStage(*p, 0, "S1", 2, {"mesh_x", "mesh_y"}, 1, 0, log), nullptr);
    EXPECT_NE(RefineStage(*p, 1, "w", 2, {"mesh_x"}, 0.1, 0, log), nullptr);

    // An unloaded shell: every field is zero, none has a percentage.
    auto empty = MakeProblem("CylTech", {{"LOADS.Gidr", ""}});
    Solve(*empty);
    auto emptyFine = Doubled(*empty);
    EXPECT_FALSE(MeshErrorPercent(*empty, 0, "w", *emptyFine, 0).has_value());
}

TEST(MeshSelection, StartsOnlyFromASolvedProblem) {
    auto p = MakeProblem("CylSym");
    EXPECT_EQ(test::MessageOf([&] { (void)p->Solution(0); }), "Задача не рассчитана");
    TProgressLog log;
    EXPECT_EQ(test::MessageOf([&] { RefineStage(*p, 1, "w", 2, {"mesh_x"}, 1, 0, log); }), "Задача не рассчитана")
        << "an unsolved start is never compared with zeros";
}

TEST(CalculationSettings, CharacteristicsTheProblemDoesNotOfferAreRefusedBeforeSolving) {
    auto p = MakeProblem("CylSym");
    std::vector<std::string> process;
    TProgressLog log;
    auto run = [&](std::vector<std::string> lines) {
        return test::MessageOf([&] { CalculateBySettings("p.zem", *p, process, lines, log); });
    };
    EXPECT_EQ(run({"CalcType= choose", "Prec= 1", "PrecList= mesh_x"}), "Неизвестная характеристика (не задана)");
    EXPECT_EQ(run({"CalcType= astim", "AstimList= w, Ml"}), "Неизвестная характеристика Ml");
    EXPECT_FALSE(p->Calculated()) << "refused before the solution";

    // A name qualified by the type is read by its last part on one domain;
    // on several domains the qualification must match the list type.
    TCalcSettings s;
    s.CalcType = ctChoose;
    s.PrecChar = "CylSym.M1";
    EXPECT_NO_THROW(CheckCharacteristics(*p, s));
    auto steps = MakeProblem("CompCylSym");
    EXPECT_NO_THROW(CheckCharacteristics(*steps, s));
    s.ListType = ltByDomain;
    EXPECT_EQ(test::MessageOf([&] { CheckCharacteristics(*steps, s); }), "Неизвестная характеристика CylSym.M1");
    s.PrecChar = "Span2.M1";
    EXPECT_NO_THROW(CheckCharacteristics(*steps, s));
    s.CalcType = ctSimple;
    s.PrecChar.clear();
    EXPECT_NO_THROW(CheckCharacteristics(*steps, s)) << "a single solution names none";
}

TEST(SeriesResult, ExtremesOfTheSelectedApproximation) {
    RegisterProblemTypes();
    test::TempDir dir;
    const TPbData data(StoredPath(dir.path.string()));
    const std::vector<std::string> head = {"[ZEM CAD 2]", "CylSym", "#OBJECT",
                                           "{BOUNDS={w_bot=0, dw_bot=0, Q1_top=0, M1_top=0}, LOADS={Gidr=10000}}",
                                           "#CALCULATION"};
    auto write = [&](const std::string& name, std::vector<std::string> calc) {
        std::vector<std::string> lines = head;
        lines.insert(lines.end(), calc.begin(), calc.end());
        WriteTextFile(dir / name, lines);
    };
    write("sel.zem", {"AutoMode", "CalcType= choose", "Prec= 1", "PrecChar= M1", "PrecList= mesh_x", kBand});
    write("one.zem", {"CalcType= astim", "AstimList= M1", kBand});
    TSeriesFile s;
    s.Files = {"sel.zem", "one.zem"};
    TProgressLog log;
    ASSERT_EQ(RunSeries(data, s, log), 0) << testing::PrintToString(s.Result);

    // The selection's member names its last approximation and shows its M1.
    TProblemTexts texts;
    auto sel = data.ReadProblemFile(dir / "sel.zem", texts);
    const std::size_t n = sel->Approximations().size();
    ASSERT_GT(n, 1u);
    const std::string header = "sel.zem (приближение " + std::to_string(n) + ")";
    auto at = std::find(s.Result.begin(), s.Result.end(), header);
    ASSERT_NE(at, s.Result.end()) << "no line " << header;
    const auto finest = ResultSummary(*sel->Approximations().back().Problem);
    const std::string m1 = *std::find_if(finest.begin(), finest.end(), [](auto& l) { return l.starts_with("M1:"); });
    EXPECT_NE(std::find(at, s.Result.end(), "  " + m1), s.Result.end()) << m1;
    Solve(*sel);
    const auto coarse = ResultSummary(*sel);
    EXPECT_EQ(std::find(coarse.begin(), coarse.end(), m1), coarse.end()) << "the coarse mesh gives other extremes";

    // An estimate reports its own mesh: the member line is the path alone.
    EXPECT_NE(std::find(s.Result.begin(), s.Result.end(), "one.zem"), s.Result.end());
}

TEST(CalcSettings, KeysIgnoreCaseValuesAreExact) {
    // No lines: a simple calculation by method 0, the mean-square norm.
    TCalcSettings s = ReadCalcSettings({});
    EXPECT_EQ(s.CalcType, ctSimple);
    EXPECT_EQ(s.SLAEMethod + s.RealType, 0);
    EXPECT_EQ(s.ErrorNorma, enSemiSqr);
    EXPECT_FALSE(s.AutoMode || s.IsSLAEError || s.SaveResult);

    s = ReadCalcSettings({"calctype= Astim", "AUTOMODE", "errornorma= uniform",
                                        "SLAEMethod= " + SLAEMethodNames()[7], "RealType= EXTENDED"});
    EXPECT_EQ(s.CalcType, ctSimple) << "values compare exactly";
    EXPECT_TRUE(s.AutoMode);
    EXPECT_EQ(s.ErrorNorma, enUniform);
    EXPECT_EQ(s.SLAEMethod, 7);
    EXPECT_EQ(s.RealType, 2);
    // The Cyrillic-only spelling of method 7 is another name: position 0.
    s = ReadCalcSettings({"SLAEMethod= Метод Гаусса. Переменная ширина ленты"});
    EXPECT_EQ(s.SLAEMethod, 0);
}

TEST(CalcSettings, ListsAndPrecision) {
    TCalcSettings s = ReadCalcSettings(
        {"AstimList= w, M1", "PrecList= \"Span1.mesh x\",mesh_x", "Prec= 0,5", "PrecChar=  w  "});
    EXPECT_EQ(s.AstimList, (std::vector<std::string>{"w", "M1"}));
    EXPECT_EQ(s.PrecList, (std::vector<std::string>{"Span1.mesh x", "mesh_x"}));
    EXPECT_DOUBLE_EQ(s.Prec, 0.5);
    EXPECT_EQ(s.PrecChar, "w");
    EXPECT_TRUE(ReadCalcSettings({"AstimList= "}).AstimList.empty());
    EXPECT_EQ(test::MessageOf([] { ReadCalcSettings({"Prec= half"}); }), "Prec: Ошибка численного значения");
}

TEST(CalcSettings, WrittenLinesReadBack) {
    TCalcSettings s;
    s.CalcType = ctChoose;
    s.ErrorNorma = enUniform;
    s.ListType = ltByDomain;
    s.PrecChar = "CylSym.w";
    s.PrecList = {"Span1.mesh_x", "Span2.mesh_x"};
    s.Prec = 0.5;
    s.SLAEMethod = 3;
    s.SaveResult = true;
    auto lines = WriteCalcSettings(s, true, "0.5");
    EXPECT_EQ(lines, (std::vector<std::string>{"CalcType= choose", "ListType= by domain", "Prec= 0.5",
                                               "PrecChar= CylSym.w", "PrecList= Span1.mesh_x, Span2.mesh_x",
                                               "ErrorNorma= uniform", "RealType= REAL",
                                               "SLAEMethod= " + SLAEMethodNames()[3], "SaveResult"}));
    EXPECT_EQ(WriteCalcSettings(ReadCalcSettings(lines), true, "0.5"), lines);
}
