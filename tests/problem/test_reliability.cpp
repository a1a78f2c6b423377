// A run of a problem file changes its files only when it succeeds as a
// whole; damaged, hostile or special files named by a problem are refused
// with the program's own messages; every reader and writer of the program's
// files says which file failed and why.
#include "calc/Export.h"
#include "calc/RunFile.h"
#include "problem/beam_problem.h"
#include "platform/cp1251.h"
#include "platform/errors.h"
#include "platform/progress.h"
#include "problem/FileNames.h"
#include "problem/PbData.h"
#include "problem/PbSeries.h"
#include "solvers/Matrises.h"
#include "solvers/SLCLass.h"
#include "testutil.h"

#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <map>
#include <sys/stat.h>

using namespace zem;
using test::MessageOf;
using test::Slurp;
namespace fs = std::filesystem;

namespace {

const std::string kEnds = "BOUNDS={w_bot=0, dw_bot=0, Q1_top=0, M1_top=0}, LOADS={Uniform=1}";

class RunFileTest : public dmtest::TBeamDirTest {
protected:
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
    // A chain of files each naming the next ends with a message, not a crash
    // (a file that names itself is such a chain).
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

namespace {

// Every file of the work directory with its bytes: what a failed read or
// write must leave as it was.
std::map<std::string, std::string> Snapshot(const fs::path& dir) {
    std::map<std::string, std::string> files;
    for (const auto& e : fs::directory_iterator(dir))
        files[e.path().filename().string()] = e.is_regular_file() ? Slurp(e.path().string()) : "<dir>";
    return files;
}

}  // namespace

// Each reader on a missing file, a directory in its place, a cut file and a
// malformed one: the message gives the program's words and the cause, and
// nothing on disk changes.
TEST_F(RunFileTest, EveryReaderSaysWhatIsWrongAndChangesNothing) {
    TPbData data = Data();
    WriteBeam("Beam.zem", "PARAMS={EI=1, H=1}", {"CalcType= simple", "SaveResult"});
    RunFile(data, "Beam.zem", progress);
    const std::string res = Slurp(Path("Beam.res"));
    ASSERT_FALSE(res.empty());
    // The bytes of the values, without the digest that follows them.
    const std::string n = std::to_string(res.size() - 24);

    TProblemTexts t;
    using TRead = std::function<void(const std::string&)>;
    const TRead problem = [&](const std::string& f) { data.ReadProblemFile(f, t); };
    const TRead series = [&](const std::string& f) { ReadSeriesFile(f); };
    const TRead results = [&](const std::string& f) {
        auto p = data.ReadProblemFile(Path("Beam.zem"), t);
        LoadSavedResults(*p, t.Calculation, f, progress);
    };
    const TRead queue = [&](const std::string& f) { RunFile(data, fs::path(f).filename().string(), progress); };
    const std::string kDir = "<dir>", kNone = "<none>";
    const std::string noFile = ": нет такого файла или каталога", isDir = ": это каталог, а не файл";
    struct TCase {
        const char* reader;
        TRead read;
        std::string contents;  // kNone: no file, kDir: a directory
        std::string message;   // "@" stands for the path
    };
    const std::string beamLines = "[ZEM CAD 2]\r\nRing\r\n#OBJECT\r\n";
    const std::vector<TCase> cases = {
        {"problem", problem, kNone, "Ошибка чтения файла @" + noFile},
        {"problem", problem, kDir, "Ошибка чтения файла @" + isDir},
        {"problem", problem, "", "Неизвестный формат файла: файл пуст"},
        {"problem", problem, "[ZEM CA", "Неизвестный формат файла: первая строка \"[ZEM CA\" вместо \"[ZEM CAD 2]\""},
        {"problem", problem, "[ZEM CAD 2] \r\nRing\r\n",
         "Неизвестный формат файла: первая строка \"[ZEM CAD 2] \" вместо \"[ZEM CAD 2]\""},
        {"problem", problem, "[ZEM CAD 2]\r\n", "Ошибка данных: нет строки с типом задачи (строка 2)"},
        {"problem", problem, "[ZEM CAD 2]\r\nCylSim\r\n", "Ошибка данных: неизвестный тип задачи \"CylSim\" (строка 2)"},
        {"problem", problem, beamLines + "{PARAMS={EI=1, H=1\r\n", "Ошибка формата в Case"},
        {"problem", problem, beamLines + "{PARAMS={EI=abc, H=1}}\r\n", "EI: Ошибка численного значения"},
        {"problem", problem, beamLines + "{}\r\n#DESCRIPTION\r\nx\x98y\r\n",
         "Ошибка чтения файла @: строка 6: Недопустимый символ в тексте (позиция 2)"},
        {"series", series, kNone, "Ошибка чтения файла @" + noFile},
        {"series", series, kDir, "Ошибка чтения файла @" + isDir},
        {"series", series, "", "Неизвестный формат файла: файл пуст"},
        {"series", series, "[ZEM CAD 2]\r\n#FILES\r\n",
         "Неизвестный формат файла: первая строка \"[ZEM CAD 2]\" вместо \"[ZEM SERIES]\""},
        {"series", series, "[ZEM SERIES]\r\n#FILES\r\n\x98\r\n",
         "Ошибка чтения файла @: строка 3: Недопустимый символ в тексте (позиция 1)"},
        {"results", results, kNone, "Ошибка загрузки файла @" + noFile},
        {"results", results, kDir, "Ошибка загрузки файла @" + isDir},
        {"results", results, res.substr(0, 25), "Ошибка загрузки файла @: файл короче ожидаемого (25 байт вместо " + n + ")"},
        {"results", results, res + "0123456789",
         "Ошибка загрузки файла @: файл длиннее ожидаемого (решение другой задачи: нужно " + n + " байт)"},
        {"queue", queue, kNone, "Ошибка чтения файла @" + noFile},
        {"queue", queue, kDir, "Ошибка чтения файла @" + isDir},
        {"queue", queue, "[ZEM CAD 2]", "Ошибка данных: нет строки с типом задачи (строка 2)"},
        {"settings", queue, beamLines + "{PARAMS={EI=1, H=1}, " + kEnds + "}\r\n#CALCULATION\r\nCalcType= choose\r\nPrec= half\r\n",
         "Prec: Ошибка численного значения"},
    };
    for (const TCase& c : cases) {
        const std::string file = Path(c.reader == std::string("results") ? "Case.res" : "Case.zem");
        if (c.contents == kDir)
            fs::create_directory(file);
        else if (c.contents != kNone)
            std::ofstream(file, std::ios::binary) << c.contents;
        const auto before = Snapshot(dir.path / "work");
        std::string expected = c.message;
        if (const auto at = expected.find('@'); at != std::string::npos) expected.replace(at, 1, file);
        EXPECT_EQ(MessageOf([&] { c.read(file); }), expected) << c.reader << ": " << c.contents.substr(0, 30);
        EXPECT_EQ(Snapshot(dir.path / "work"), before) << c.reader << ": " << c.contents.substr(0, 30);
        fs::remove_all(file);
    }
    EXPECT_EQ(Slurp(Path("Beam.res")), res);
}

// Each writer refused by its directory: the message gives the file and the
// system's reason, and the old file stays byte for byte.
TEST_F(RunFileTest, EveryWriterRefusedByItsDirectoryKeepsTheOldFile) {
    TPbData data = Data();
    WriteBeam("Beam.zem", "PARAMS={EI=1, H=1}", {"CalcType= simple", "SaveResult"});
    RunFile(data, "Beam.zem", progress);
    TSeriesFile series;
    series.Files = {"Beam.zem"};
    WriteSeriesFile(Path("Beam.zes"), series);
    TProblemTexts t;
    auto p = data.ReadProblemFile(Path("Beam.zem"), t);
    LoadSavedResults(*p, t.Calculation, Path("Beam.res"), progress);
    const auto before = Snapshot(dir.path / "work");

    const fs::path work = dir.path / "work";
    fs::permissions(work, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    const std::vector<std::pair<std::string, std::function<void()>>> writers = {
        {"Beam.zem", [&] { data.WriteProblemFile(Path("Beam.zem"), *p, true, t); }},
        {"Beam.zes", [&] { WriteSeriesFile(Path("Beam.zes"), series); }},
        {"Beam.res", [&] { p->SaveResults(Path("Beam.res")); }},
        {"Beam.zem", [&] { RunFile(data, "Beam.zem", progress); }},
        {"Beam.txt", [&] { p->Solver()->X().SaveToTextFile(Path("Beam.txt")); }},
    };
    for (const auto& [name, write] : writers)
        EXPECT_EQ(MessageOf(write), "Ошибка записи в файл " + Path(name) + ": нет доступа") << name;
    fs::permissions(work, fs::perms::owner_all, fs::perm_options::add);
    EXPECT_EQ(Snapshot(work), before);
}
