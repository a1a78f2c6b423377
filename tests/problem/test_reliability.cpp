// A run of a problem file changes its files only when it succeeds as a
// whole; damaged, hostile or special files named by a problem are refused
// with the program's own messages.
#include "calc/RunFile.h"
#include "problem/beam_problem.h"
#include "platform/cp1251.h"
#include "platform/errors.h"
#include "platform/progress.h"
#include "problem/FileNames.h"
#include "problem/PbData.h"
#include "testutil.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace zem;
using test::MessageOf;
using test::Slurp;
namespace fs = std::filesystem;

namespace {

const std::string kEnds = "BOUNDS={w_bot=0, dw_bot=0, Q1_top=0, M1_top=0}, LOADS={Uniform=1}";

class RunFileTest : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories(dir.path / "work"); }
    std::string Path(const std::string& name) const { return dir / ("work/" + name); }
    TPbData Data() const { return TPbData(StoredPath(dir / "work")); }
    void WriteBeam(const std::string& name, const std::string& params, std::vector<std::string> calc,
                   const std::vector<std::string>& approx = {}) {
        std::vector<std::string> lines = {"[ZEM CAD 2]", "Ring", "#OBJECT", "{" + params + ", " + kEnds + "}",
                                          "#CALCULATION"};
        lines.insert(lines.end(), calc.begin(), calc.end());
        lines.push_back("#APPROX");
        lines.insert(lines.end(), approx.begin(), approx.end());
        WriteTextFile(Path(name), lines);
    }
    // Every name in the work directory.
    std::vector<std::string> Files() const {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir.path / "work")) names.push_back(e.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

    dmtest::TBeamType beamType;
    test::TempDir dir;
    TProgressLog progress;
};

}  // namespace

TEST_F(RunFileTest, AFailedRunLeavesEveryFileAsItWas) {
    TPbData data = Data();
    WriteBeam("Beam.zem", "PARAMS={EI=1, H=1}", {"CalcType= simple", "SaveResult"});
    RunFile(data, "Beam.zem", progress);
    ASSERT_EQ(Files(), (std::vector<std::string>{"Beam.res", "Beam.zem"}));
    const std::string oldRes = Slurp(Path("Beam.res"));

    // The estimate fails after the first solution: neither the results nor
    // the problem file may change, and no approximation file appears.
    WriteBeam("Beam.zem", "PARAMS={EI=5, H=1}", {"CalcType= astim", "AstimList= nosuch", "SaveResult"});
    const std::string oldZem = Slurp(Path("Beam.zem"));
    EXPECT_EQ(MessageOf([&] { RunFile(data, "Beam.zem", progress); }), "Неизвестная характеристика nosuch");
    EXPECT_EQ(Slurp(Path("Beam.res")), oldRes);
    EXPECT_EQ(Slurp(Path("Beam.zem")), oldZem);
    EXPECT_EQ(Files(), (std::vector<std::string>{"Beam.res", "Beam.zem"}));

    // A read-only problem file is refused before its results are touched.
    WriteBeam("Beam.zem", "PARAMS={EI=5, H=1}", {"CalcType= simple", "SaveResult"});
    ::chmod(Path("Beam.zem").c_str(), 0444);
    EXPECT_EQ(MessageOf([&] { RunFile(data, "Beam.zem", progress); }),
              "Файл доступен только для чтения: " + NativePath(StoredPath(Path("Beam.zem"))));
    EXPECT_EQ(Slurp(Path("Beam.res")), oldRes);
    ::chmod(Path("Beam.zem").c_str(), 0644);

    // The same run succeeds as a whole: results, approximation and its
    // results, and the problem file listing it.
    WriteBeam("Beam.zem", "PARAMS={EI=5, H=1}", {"CalcType= astim", "AstimList= w", "SaveResult"});
    RunFile(data, "Beam.zem", progress);
    EXPECT_EQ(Files(), (std::vector<std::string>{"Beam.res", "Beam.zem", "Beam_01.res", "Beam_01.zem"}));
    EXPECT_NE(Slurp(Path("Beam.res")), oldRes);
    const auto lines = ReadTextFile(Path("Beam.zem"));
    EXPECT_NE(std::find(lines.begin(), lines.end(), "Beam_01.zem"), lines.end());
}

TEST_F(RunFileTest, NamesAndMeshesThatCannotBeStoredAreRefusedBeforeTheCalculation) {
    TPbData data = Data();
    const std::vector<std::string> astim = {"CalcType= astim", "AstimList= w", "SaveResult"};
    WriteBeam("#Beam.zem", "PARAMS={EI=1, H=1}", astim);
    EXPECT_EQ(MessageOf([&] { RunFile(data, "#Beam.zem", progress); }),
              "Имя файла приближения не может начинаться с \"#\": #Beam_01.zem");
    WriteBeam("Балка日.zem", "PARAMS={EI=1, H=1}", astim);
    EXPECT_EQ(MessageOf([&] { RunFile(data, "Балка日.zem", progress); }),
              "Имя файла приближения содержит символ вне кодировки 1251: Балка日_01.zem");
    EXPECT_TRUE(progress.Lines().empty()) << "nothing was solved";
    // A simple run has no approximation to name: such a file still runs.
    WriteBeam("#Simple.zem", "PARAMS={EI=1, H=1}", {"CalcType= simple"});
    EXPECT_NO_THROW(RunFile(data, "#Simple.zem", progress));

    // The doubled mesh of an estimate would pass the step limit: said so
    // plainly, before the large mesh is solved.
    WriteBeam("Big.zem", "PARAMS={EI=1, H=1}, MESH={mesh_x=600000}", astim);
    EXPECT_EQ(MessageOf([&] { RunFile(data, "Big.zem", progress); }),
              "Уточненная сетка mesh_x (1200000 шагов) превышает предел в 1000000 шагов");
    EXPECT_EQ(Files(), (std::vector<std::string>{"#Beam.zem", "#Simple.zem", "Big.zem", "Балка日.zem"}));
}

TEST_F(RunFileTest, ApproximationChainsAndSpecialFilesAreBounded) {
    TPbData data = Data();
    // A chain of files each naming the next ends with a message, not a crash.
    const int chain = 12;
    for (int i = 0; i < chain; ++i) {
        std::vector<std::string> next;
        if (i + 1 < chain) next.push_back("C" + std::to_string(i + 1) + ".zem");
        WriteBeam("C" + std::to_string(i) + ".zem", "PARAMS={EI=1, H=1}", {}, next);
    }
    TProblemTexts t;
    const std::string chainMessage = MessageOf([&] { data.ReadProblemFile(Path("C0.zem"), t); });
    EXPECT_TRUE(chainMessage.starts_with("Ошибка чтения файла " + Path("C9.zem") +
                                         ": Слишком длинная цепочка файлов приближений (более 8): "))
        << chainMessage;
    EXPECT_NO_THROW(data.ReadProblemFile(Path("C5.zem"), t)) << "short chains read";

    // Pipes, devices and names too long for the system are captions, never
    // opened, never blocking.
    ASSERT_EQ(::mkfifo(Path("pipe.zem").c_str(), 0600), 0);
    const std::string longLine(5000, 'x');
    WriteBeam("Special.zem", "PARAMS={EI=1, H=1}", {}, {"pipe.zem", "\\dev\\zero", longLine + ".zem"});
    auto p = data.ReadProblemFile(Path("Special.zem"), t);
    ASSERT_EQ(p->Approximations().size(), 3u);
    for (const auto& a : p->Approximations()) EXPECT_EQ(a.Problem, nullptr) << a.Text.substr(0, 20);
    EXPECT_EQ(p->Approximations()[2].Text, longLine + ".zem");

    // A directory or a pipe given as the problem file.
    fs::create_directories(Path("Dir.zem"));
    EXPECT_EQ(MessageOf([&] { data.ReadProblemFile(Path("Dir.zem"), t); }),
              "Ошибка чтения файла " + Path("Dir.zem") + ": это каталог, а не файл");
    EXPECT_EQ(MessageOf([&] { data.ReadProblemFile(Path("pipe.zem"), t); }),
              "Ошибка чтения файла " + Path("pipe.zem") + ": это не обычный файл");
}
