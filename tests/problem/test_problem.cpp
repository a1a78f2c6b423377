// The problem object, its files, the calculation types and series, on the
// test beam (EI w'''' = q, clamped at x = 0, free at x = H) registered as a
// catalogue type for the duration of each test; the type catalogue; file
// names as the problem files store them (back slashes), relative to the
// program's start directory.
#include "calc/Calcul.h"
#include "calc/RunFile.h"
#include "elements/Elements.h"
#include "problem/beam_problem.h"
#include "platform/cp1251.h"
#include "platform/errors.h"
#include "platform/progress.h"
#include "problem/FileNames.h"
#include "problem/PbData.h"
#include "problem/PbSeries.h"
#include "problem/PbTypes.h"
#include "problem/Problems.h"
#include "testutil.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>
#include <fstream>
#include <gtest/gtest.h>

using namespace zem;
using dmtest::kBeamType;
using test::MessageOf;
using test::Slurp;
namespace fs = std::filesystem;

namespace {

class ProblemTest : public dmtest::TBeamDirTest {
protected:
    void WriteBeam(const std::string& name, const std::string& object) {
        WriteTextFile(Path(name), {"[ZEM CAD 2]", "Ring", "#OBJECT", object, "#CALCULATION", "CalcType= simple"});
    }
};

}  // namespace

TEST_F(ProblemTest, RowsAreSortedSummedAndKeepNoAddedZeros) {
    TProblem p(kBeamType, "Beam");
    p.BuildEquations();
    ASSERT_GT(p.UnknownCount(), 7u) << "the columns below are the beam's own";
    TRowItems row;
    Extended f = p.BuildRow(row, [&] {
        p.AddToRow(5, 2);
        p.AddToRow(1, 3);
        p.AddToRow(5, -2);
        p.AddToRow(7, 0);
        p.AddFreeTerm(4);
    });
    ASSERT_EQ(row.size(), 2u);
    EXPECT_EQ(row[0].Col * 10 + row[1].Col, 15u);
    EXPECT_EQ(row[0].Value, 3);
    EXPECT_EQ(row[1].Value, 0) << "a sum that reaches zero stays in the row";
    EXPECT_EQ(f, 4);
    EXPECT_THROW(p.AddToRow(1, 1), std::logic_error) << "no row is being built";
    // A column's additions are summed in the order they came, however the
    // row's columns came: (1e20 + 1) − 1e20 is 0 in 80 bits, not 1.
    p.BuildRow(row, [&] {
        for (std::size_t c : {6, 2, 6, 4, 6}) p.AddToRow(c, c == 6 ? 1e20L : 1);
        p.AddToRow(6, 1);
        p.AddToRow(3, 1);
        p.AddToRow(6, -3e20L);
    });
    ASSERT_EQ(row.size(), 4u);
    EXPECT_EQ(row[0].Col * 100 + row[1].Col * 10 + row[2].Col, 234u);
    EXPECT_EQ(row[3].Col, 6u);
    EXPECT_EQ(row[3].Value, 0);

    // An unknown without an equation gets the identity row.
    p.BuildEquations();
    f = p.GetRow(p.UnknownCount() + 3, row);
    ASSERT_EQ(row.size(), 1u);
    EXPECT_EQ(row[0].Col, p.UnknownCount() + 3);
    EXPECT_EQ(row[0].Value - f, 1);
    // Real rows come sorted.
    for (std::size_t r = 0; r < p.UnknownCount(); ++r) {
        p.GetRow(r, row);
        for (std::size_t i = 1; i < row.size(); ++i) EXPECT_LT(row[i - 1].Col, row[i].Col);
    }
}

TEST_F(ProblemTest, CalculatesSavesAndLoadsResults) {
    TProblem p(kBeamType, "Beam");
    p.Calculate(0, true, progress);
    ASSERT_TRUE(p.Calculated());
    const std::size_t n = p.UnknownCount();
    EXPECT_EQ(n, 9u);  // 4 steps: nodes -2 ... 6
    // Cantilever under q = 1: w(H) = q H^4 / (8 EI) = 0.125; the row
    // convention gives the deflection with the load's sign reversed.
    EXPECT_NEAR(std::fabs(static_cast<double>(p.Solution(4 + 2))), 0.125, 0.02);
    EXPECT_EQ(progress.Lines().back(), std::string(47, '-'));

    const std::string res = Path("beam.res");
    p.SaveResults(res);
    const std::string saved = Slurp(res);
    const std::string values = saved.substr(0, 10 * n);
    ASSERT_EQ(saved.size(), 10 * n + 24);
    EXPECT_EQ(saved.substr(10 * n), "ZEMDIGST" + p.ObjectDigest()) << "the values, then the digest of the text";
    EXPECT_EQ(p.ObjectDigest().find_first_not_of("0123456789abcdef"), std::string::npos);

    // The same number of unknowns with another text is another problem.
    TProblem other(kBeamType, "Beam");
    other.Root().SetText(std::string(p.Root().Text()).replace(p.Root().Text().find("EI="), 3, "EI=7"));
    ASSERT_NE(other.ObjectDigest(), p.ObjectDigest());
    const std::string tail = saved.substr(10 * n);
    struct TCase {
        const char* what;
        std::string bytes;
        std::string error;  // empty: the file loads as the problem's results
    };
    const std::vector<TCase> cases = {
        {"with its digest", saved, ""},
        {"written before digests were kept", values, ""},
        {"of another object text", values + "ZEMDIGST" + other.ObjectDigest(),
         "результаты получены для другого текста задачи"},
        {"of another number of unknowns", saved.substr(0, 10 * (n - 1)) + tail,
         "в файле " + std::to_string(n - 1) + " значений, в задаче " + std::to_string(n) + " неизвестных"},
        {"of bare values, too many", values + values.substr(0, 10), "файл длиннее ожидаемого"},
        {"with a broken tag", values + "ZEMDIGSX" + p.ObjectDigest(), "файл длиннее ожидаемого"},
    };
    for (const TCase& c : cases) {
        std::ofstream(res, std::ios::binary | std::ios::trunc) << c.bytes;
        TProblem q(kBeamType, "Beam");
        q.BuildEquations();
        q.CreateSolver(0, progress);
        const std::string error = MessageOf([&] { q.LoadResults(res); });
        if (c.error.empty()) {
            EXPECT_EQ(error, "") << c.what;
            for (std::size_t i = 0; i < n; ++i) EXPECT_EQ(q.Solution(i), p.Solution(i)) << c.what;
        } else {
            EXPECT_NE(error.find(c.error), std::string::npos) << c.what << ": " << error;
            EXPECT_EQ(q.Solution(0), 0) << c.what << ": nothing of a foreign file is taken";
        }
    }
}

TEST_F(ProblemTest, FileRoundTripKeepsEverySection) {
    TProblem p(kBeamType, "Shell");
    p.Root().SetText("{PARAMS={EI=2, H=3}, MESH={mesh_x=6}}");
    TProblemTexts t;
    t.Object = PrintObject(p);
    t.Calculation = {"CalcType= simple"};
    t.Process = {"Порядок системы: 11"};
    t.ResultData = {"w;"};
    t.Results = {"w = 1"};
    t.Description = {"Резервуар", "", "  с пустой строкой", ""};
    TPbData data = Data();
    data.WriteProblemFile(Path("Shell.zem"), p, true, t);

    const std::string raw = Slurp(Path("Shell.zem"));
    EXPECT_EQ(raw.rfind("[ZEM CAD 2]\r\nRing\r\n#OBJECT\r\n", 0), 0u);
    EXPECT_NE(raw.find("#APPROX\r\n#RESULT DATA\r\n"), std::string::npos);

    TProblemTexts r;
    auto read = data.ReadProblemFile(Path("Shell.zem"), r);
    EXPECT_EQ(read->Root().Text(), p.Root().Text());
    EXPECT_EQ(read->Root().Key(), "Shell");
    for (auto section : {&TProblemTexts::Calculation, &TProblemTexts::Process, &TProblemTexts::ResultData,
                         &TProblemTexts::Results, &TProblemTexts::Description})
        EXPECT_EQ(r.*section, t.*section);
}

TEST_F(ProblemTest, ReaderFindsSectionsAnywhere) {
    const std::string file = Path("a.zem");
    WriteTextFile(file, {"[ZEM CAD 2]", "Ring", "#DESCRIPTION", "d", "#OBJECT", "{MESH={mesh_x=3}}", "#DESCRIPTION",
                         "second", "#CALCULATION", "CalcType= astim"});
    TProblemTexts t;
    auto p = Data().ReadProblemFile(file, t);
    EXPECT_EQ(t.Description, std::vector<std::string>{"d"});
    EXPECT_EQ(t.Calculation, std::vector<std::string>{"CalcType= astim"});
    EXPECT_TRUE(t.Results.empty());
    EXPECT_EQ(p->Domains().at(0)->Domain->StepCount(0), 3);
}

TEST_F(ProblemTest, ApproximationsAreNumberedAndFoundAfterAMove) {
    EXPECT_EQ(TPbData::ApproxFileName("\\w\\Shell.zem", 0), "\\w\\Shell_01.zem");
    EXPECT_EQ(TPbData::ApproxFileName("\\w\\Shell.zem", 8), "\\w\\Shell_09.zem");
    EXPECT_EQ(TPbData::ApproxFileName("\\w\\Shell.zem", 9), "\\w\\Shell_10.zem");

    TProblem p(kBeamType, "Shell");
    p.Calculate(0, false, progress);
    for (int i = 0; i < 3; ++i) {
        auto copy = p.Clone();
        copy->DoubleMesh();
        copy->Calculate(0, false, progress);
        p.Approximations().push_back(TApproximation{"Приближение " + std::to_string(i + 1), std::move(copy)});
    }
    TProblemTexts t;
    t.Object = PrintObject(p);
    TPbData data = Data();
    EXPECT_THROW(data.WriteProblemFile(Path("sub/Shell.zem"), p, false, t), ZemError);  // no such directory
    // Saved without approximations the section holds their captions, and the
    // file still reads back: the captions stay, without problems.
    data.WriteProblemFile(Path("captions.zem"), p, false, t);
    {
        TProblemTexts c;
        auto back = data.ReadProblemFile(Path("captions.zem"), c);
        ASSERT_EQ(back->Approximations().size(), 3u);
        EXPECT_EQ(back->Approximations()[2].Text, "Приближение 3");
        EXPECT_EQ(back->Approximations()[2].Problem, nullptr);
    }
    EXPECT_FALSE(fs::exists(Path("sub/Shell.zem")));
    fs::create_directories(dir.path / "work" / "sub");
    data.WriteProblemFile(Path("sub/Shell.zem"), p, true, t);
    for (const char* n : {"Shell_01", "Shell_02", "Shell_03"}) {
        EXPECT_TRUE(fs::exists(Path(std::string("sub/") + n + ".zem"))) << n;
        EXPECT_TRUE(fs::exists(Path(std::string("sub/") + n + ".res"))) << n;
    }
    EXPECT_EQ(p.Approximations()[1].Text, "sub\\Shell_02.zem");

    TProblemTexts r;
    auto read = data.ReadProblemFile(Path("sub/Shell.zem"), r);
    ASSERT_EQ(read->Approximations().size(), 3u);
    EXPECT_EQ(read->Approximations()[2].Problem->Root().Text(), p.Approximations()[2].Problem->Root().Text());

    // Moved elsewhere, the set still loads: names are tried beside the file.
    fs::rename(dir.path / "work" / "sub", dir.path / "moved");
    auto moved = data.ReadProblemFile(dir / "moved/Shell.zem", r);
    EXPECT_EQ(moved->Approximations().size(), 3u);
}

TEST_F(ProblemTest, AFailedSaveLeavesTheFile) {
    TProblem p(kBeamType, "Shell");
    TProblemTexts t;
    t.Object = PrintObject(p);
    TPbData data = Data();
    data.WriteProblemFile(Path("Shell.zem"), p, false, t);
    const std::string before = Slurp(Path("Shell.zem"));
    t.Description = {"ok", "#not a section"};
    EXPECT_THROW(data.WriteProblemFile(Path("Shell.zem"), p, false, t), ZemError);
    t.Description = {"日本"};  // no such characters in the file's code page
    EXPECT_THROW(data.WriteProblemFile(Path("Shell.zem"), p, false, t), ZemError);
    EXPECT_EQ(Slurp(Path("Shell.zem")), before);
}

TEST_F(ProblemTest, CalculationTypesReportAndKeepApproximations) {
    TProblem p(kBeamType, "Beam");
    std::vector<std::string> process;
    const std::string file = Path("Beam.zem");
    CalculateBySettings(file, p, process, {"CalcType= simple", "SaveResult"}, progress);
    EXPECT_TRUE(p.Calculated());
    EXPECT_TRUE(fs::exists(Path("Beam.res")));
    EXPECT_EQ(process.back(), std::string(47, '-'));

    CalculateBySettings(file, p, process, {"CalcType= astim", "AstimList= w, dw", "ErrorNorma= uniform"}, progress);
    ASSERT_EQ(process.size(), 6u) << "a solved problem is not solved again";
    EXPECT_EQ(process[0], "Погрешность сетки. Равномерная норма");
    EXPECT_EQ(process[1].rfind("w: ", 0), 0u);
    EXPECT_EQ(process[1].substr(process[1].size() - 2), " %");
    EXPECT_EQ(process[3].rfind("w: наибольшая разность при ", 0), 0u);
    EXPECT_EQ(process[4].rfind("dw: наибольшая разность при ", 0), 0u);
    EXPECT_EQ(process[5], std::string(25, '-'));
    ASSERT_EQ(p.Approximations().size(), 1u);
    EXPECT_EQ(p.Approximations()[0].Text, "Сетка удвоенной густоты");
    EXPECT_EQ(p.Approximations()[0].Problem->Domains()[0]->Domain->StepCount(0), 8);

    TProblem c(kBeamType, "Beam");
    CalculateBySettings(file, c, process,
                        {"AutoMode", "CalcType= choose", "Prec= 0.5", "PrecChar= w", "PrecList= mesh_x",
                         "SLAEMethod= " + SLAEMethodNames()[2]},
                        progress);
    // The unsolved problem is solved first; its log comes before the report.
    auto header = std::find(process.begin(), process.end(), "Подбор сетки. Среднеквадратичная норма");
    ASSERT_NE(header, process.end());
    EXPECT_GT(header - process.begin(), 3);
    EXPECT_EQ(*(header + 1), "Погрешность 0.5 %");
    ASSERT_EQ(c.Approximations().size(), 12u);
    EXPECT_EQ(c.Approximations()[0].Text, "Приближение 1");
    // On this beam the refinement concentrates at the free end, where the
    // abrupt step changes keep the error up: the automatic run stops at its
    // stage limit instead of refining for ever.
    EXPECT_EQ(process.back(), "Подбор остановлен: выполнено этапов 12");
    // Every stage refined the mesh where the error was too large.
    int steps = 4;
    for (const auto& a : c.Approximations()) {
        const int n = a.Problem->Domains()[0]->Domain->StepCount(0);
        EXPECT_GT(n, steps);
        steps = n;
    }
}

TEST_F(ProblemTest, SeriesFileKeepsItsMembersInOrder) {
    TSeriesFile s;
    s.Files = {"b.zem", "a.zem", "sub\\c.zem"};
    s.ResultData = {"w;"};
    s.Result = {"", "текст"};
    WriteSeriesFile(Path("s.zes"), s);
    EXPECT_EQ(ReadTextFile(Path("s.zes")), (std::vector<std::string>{"[ZEM SERIES]", "#FILES", "b.zem", "a.zem",
                                                                     "sub\\c.zem", "#RESULT DATA", "w;", "#RESULT",
                                                                     "", "текст"}));
    TSeriesFile r = ReadSeriesFile(Path("s.zes"));
    EXPECT_EQ(r.Files, s.Files);
    EXPECT_EQ(r.ResultData, s.ResultData);
    EXPECT_EQ(r.Result, s.Result);

    s.Result = {"#1"};
    EXPECT_THROW(WriteSeriesFile(Path("s.zes"), s), ZemError);
    EXPECT_EQ(ReadSeriesFile(Path("s.zes")).Files.size(), 3u) << "a failed save keeps the file";
}

TEST_F(ProblemTest, SeriesRunCalculatesEveryMemberAndReportsFailuresByName) {
    const std::string ends = "BOUNDS={w_bot=0, dw_bot=0, Q1_top=0, M1_top=0}, LOADS={Uniform=1}}";
    WriteBeam("stiff.zem", "{PARAMS={EI=10, H=1}, " + ends);
    WriteBeam("soft.zem", "{PARAMS={EI=1, H=1}, " + ends);
    WriteTextFile(Path("broken.zem"), {"[ZEM CAD 2]", "Ring", "#OBJECT", "{PARAMS={EI=[1}}"});
    TSeriesFile s;
    s.Files = {"stiff.zem", "missing.zem", "soft.zem", "broken.zem"};
    TPbData data = Data();
    EXPECT_EQ(RunSeries(data, s, progress), 2);

    // Each member's name, then its extremes; failures by name with their message.
    auto after = [&](const std::string& prefix) {
        for (std::size_t i = 0; i < s.Result.size(); ++i)
            if (s.Result[i].starts_with(prefix)) return s.Result[i] + "|" + s.Result.at(i + 1);
        return std::string();
    };
    EXPECT_TRUE(after("missing.zem: ").starts_with("missing.zem: Ошибка чтения файла"));
    EXPECT_EQ(s.Result.back(), "broken.zem: Нарушен баланс скобок");
    // The softer beam deflects ten times as much: compare the largest magnitudes.
    auto extreme = [&](const std::string& member) {
        const std::string l = after(member);
        EXPECT_TRUE(l.starts_with(member + "|  w: наибольшее ")) << l;
        const std::size_t a = l.find("наибольшее ") + std::strlen("наибольшее "), b = l.find(", наименьшее ");
        return std::max(std::fabs(std::stod(l.substr(a, b - a))),
                        std::fabs(std::stod(l.substr(b + std::strlen(", наименьшее ")))));
    };
    EXPECT_NEAR(extreme("soft.zem") / extreme("stiff.zem"), 10.0, 1e-3);
    TProblemTexts t;
    data.ReadProblemFile(Path("soft.zem"), t);
    EXPECT_FALSE(t.Process.empty()) << "members are written back with their reports";
}

// Catalogue captions are Cyrillic but for the Latin C that begins the two
// stepped types; names are found exactly, or ignoring case; a slot without
// a built type is refused by name.
TEST(ProblemTypes, CaptionsMixLettersAsStored) {
    for (int i = 0; i < kProblemTypeCount; ++i) {
        const std::string& c = ProblemTypeCaption(i);
        EXPECT_EQ(std::isalpha(static_cast<unsigned char>(c[0])) != 0, i == 2 || i == 6) << c;
        for (std::size_t k = 1; k < c.size(); ++k)
            EXPECT_FALSE(std::isalpha(static_cast<unsigned char>(c[k]))) << i << ": " << c;
    }
}

TEST(ProblemTypes, LookUpByNameExactOrIgnoringCase) {
    EXPECT_EQ(ProblemTypeByName("CompCylTech"), 6);
    EXPECT_EQ(ProblemTypeByName("cylsym"), -1);
    EXPECT_EQ(ProblemTypeByNameNoCase("cylsym"), 0);
    EXPECT_EQ(ProblemTypeByName(""), -1);
}

TEST(ProblemTypes, UnbuiltTypeIsRefusedClearly) {
    ASSERT_FALSE(ProblemTypeAvailable(14));
    EXPECT_NE(test::MessageOf([] { CreateProblemElement(14, nullptr, "x"); }).find("CylRingP"), std::string::npos);
    EXPECT_THROW(CreateProblemElement(15, nullptr, "x"), ZemError);
}

TEST(FileNames, SplitAndChange) {
    const TFileNameParts p = SplitFileName("C:\\work\\v1.2\\Shell.zem");
    EXPECT_EQ(p.Dir + "|" + p.Base + "|" + p.Ext, "C:\\work\\v1.2|Shell|zem");
    const TFileNameParts bare = SplitFileName("Noname1");
    EXPECT_EQ(bare.Dir + "|" + bare.Base + "|" + bare.Ext, "|Noname1|");
    EXPECT_EQ(ChangeFileExtension("C:\\w\\Shell.zem", "res"), "C:\\w\\Shell.res");
    EXPECT_EQ(ChangeFileBase("C:\\w\\Shell.zem", "Shell_01"), "C:\\w\\Shell_01.zem");
}

TEST(FileNames, AbsoluteAndRelativeToTheStartDirectory) {
    for (auto [start, name, full] : {std::tuple{"C:\\work", "sub\\Shell.zem", "C:\\work\\sub\\Shell.zem"},
                                     {"C:\\work\\a", "..\\..\\Shell", "C:\\Shell"},
                                     {"\\home\\u", "..\\..\\tmp\\x.zem", "\\tmp\\x.zem"},
                                     {"C:\\work", "D:\\x.zem", "D:\\x.zem"},
                                     {"C:\\work", "\\tmp\\x.zem", "\\tmp\\x.zem"}})
        EXPECT_EQ(ToAbsolutePath(start, name), full) << name;

    const std::string start = "\\home\\eng\\work";
    for (auto [full, rel] : {std::pair{"\\home\\eng\\work\\Shell.zem", "Shell.zem"},
                             {"\\home\\eng\\work\\sub\\Shell.zem", "sub\\Shell.zem"},
                             {"\\home\\eng\\other\\Shell.zem", "..\\other\\Shell.zem"},
                             {"\\tmp\\Shell.zem", "..\\..\\..\\tmp\\Shell.zem"},
                             // A start directory whose last component repeats the one above it.
                             {"\\home\\eng\\work\\work\\x", "work\\x"}}) {
        EXPECT_EQ(ToRelativePath(start, full), rel) << full;
        EXPECT_EQ(ToAbsolutePath(start, ToRelativePath(start, full)), full) << full;
    }
    // The parent of a directory named like its own parent must still climb.
    EXPECT_EQ(ToRelativePath("C:\\a\\a", "C:\\a\\f.zem"), "..\\f.zem");
    EXPECT_EQ(ToRelativePath("C:\\work", "D:\\x.zem"), "D:\\x.zem");
}

TEST(FileNames, FileCanOpenOnlyReadableFiles) {
    const test::TempDir dir;
    std::ofstream(dir / "a.zem") << "x";
    EXPECT_TRUE(FileCanOpen(dir / "a.zem"));
    EXPECT_TRUE(FileCanOpen(StoredPath(dir / "a.zem")));
    EXPECT_FALSE(FileCanOpen(dir / "b.zem"));
    EXPECT_FALSE(FileCanOpen(""));
    EXPECT_FALSE(FileCanOpen(dir.path.string()));
}
