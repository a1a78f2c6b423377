#include "problem/PbData.h"

#include "elements/Elements.h"
#include "elements/MyStr.h"
#include "platform/cp1251.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/progress.h"
#include "problem/FileNames.h"
#include "problem/PbTypes.h"
#include "solvers/Matrises.h"
#include "solvers/SLCLass.h"

#include <algorithm>

namespace zem {
namespace {

const char* const kMagic = "[ZEM CAD 2]";
const char* const kSections[] = {"OBJECT",      "CALCULATION", "PROCESS",    "APPROX",
                                 "RESULT DATA", "RESULTS",     "DESCRIPTION"};

// An approximation file ends with the digest of the object text it was made
// from: the one section readers that do not know it take for the end of the
// description.
const char* const kSourceSection = "SOURCE";

bool IsDigest(const std::string& s) {
    return s.size() == 16 && s.find_first_not_of("0123456789abcdef") == std::string::npos;
}

// Approximation files name further files only by mistake or malice: a
// chain deeper than this, or more files than this in one read, is refused.
constexpr std::size_t kMaxApproxDepth = 8;
constexpr std::size_t kMaxApproxFiles = 1000;

std::string Stored(const std::string& path) { return StoredPath(path); }

// A line quoted in a message: at most 40 characters, whole UTF-8 characters.
std::string Shortened(const std::string& line) {
    constexpr std::size_t kShown = 40;
    std::size_t end = 0, chars = 0;
    while (end < line.size() && chars < kShown) {
        ++end;
        while (end < line.size() && (static_cast<unsigned char>(line[end]) & 0xC0) == 0x80) ++end;
        ++chars;
    }
    return end < line.size() ? line.substr(0, end) + "..." : line;
}

// The progress of a solver that only holds loaded results: it never runs,
// so it reports nothing, and it outlives every solver given it.
class TSilentProgress final : public TProgress {
public:
    void StartCalculation(std::size_t) override {}
    void AddLine(const std::string&) override {}
    void BeginStage(const std::string&) override {}
    void SetStageLabel(const std::string&) override {}
    void SetMaximum(std::size_t) override {}
    void FinishCalculation(const std::string&) override {}
    void SetCaption(const std::string&) override {}
    std::string Caption() const override { return {}; }
    std::vector<std::string> Lines() const override { return {}; }

protected:
    void Step(std::size_t) override {}
};

}  // namespace

void CheckMagicLine(const std::vector<std::string>& fileLines, const std::string& magic) {
    if (!fileLines.empty() && fileLines[0] == magic) return;
    if (fileLines.empty()) throw ZemError("Неизвестный формат файла: файл пуст");
    throw ZemError("Неизвестный формат файла: первая строка \"" + Shortened(fileLines[0]) + "\" вместо \"" + magic +
                   "\"");
}

std::vector<std::string> ReadSection(const std::vector<std::string>& fileLines, const std::string& name) {
    std::vector<std::string> lines;
    const std::string header = "#" + name;
    auto it = std::find(fileLines.begin(), fileLines.end(), header);
    if (it == fileLines.end()) return lines;
    for (++it; it != fileLines.end(); ++it) {
        if (!it->empty() && (*it)[0] == '#') break;
        lines.push_back(*it);
    }
    return lines;
}

void WriteSection(std::vector<std::string>& out, const std::string& name, const std::vector<std::string>* lines) {
    out.push_back("#" + name);
    if (lines) out.insert(out.end(), lines->begin(), lines->end());
}

std::vector<std::string> PrintObject(const TProblem& problem) {
    return TextToLines(problem.Root().Text());
}

TPbData::TPbData(std::string startDir) : startDir_(Stored(startDir)) {}

std::string TPbData::ApproxFileName(const std::string& fileName, std::size_t i) {
    const std::string number = i + 1 < 10 ? "_0" + std::to_string(i + 1) : "_" + std::to_string(i + 1);
    TFileNameParts p = SplitFileName(Stored(fileName));
    return ChangeFileBase(Stored(fileName), p.Base + number);
}

std::unique_ptr<TProblem> TPbData::ReadProblemFile(const std::string& fileName, TProblemTexts& texts) const {
    TReadChain chain;
    return Read(Stored(fileName), texts, chain);
}

std::unique_ptr<TProblem> TPbData::Read(const std::string& stored, TProblemTexts& texts,
                                        TReadChain& chain) const {
    if (std::find(chain.Files.begin(), chain.Files.end(), stored) != chain.Files.end())
        throw ZemError("Файл приближения ссылается сам на себя: " + stored);
    if (chain.Files.size() > kMaxApproxDepth)
        throw ZemError("Слишком длинная цепочка файлов приближений (более " + std::to_string(kMaxApproxDepth) +
                       "): " + stored);
    if (++chain.Read > kMaxApproxFiles)
        throw ZemError("Слишком много файлов приближений (более " + std::to_string(kMaxApproxFiles) +
                       "): " + stored);
    chain.Files.push_back(stored);

    const std::vector<std::string> file = ReadTextFile(NativePath(stored));
    CheckMagicLine(file, kMagic);
    if (file.size() < 2) throw ZemError("Ошибка данных: нет строки с типом задачи (строка 2)");
    const int type = ProblemTypeByName(file[1]);
    if (type < 0) throw ZemError("Ошибка данных: неизвестный тип задачи \"" + Shortened(file[1]) + "\" (строка 2)");

    const TFileNameParts parts = SplitFileName(stored);
    auto problem = std::make_unique<TProblem>(type, parts.Base);

    // Approximations first; each is a complete problem file. A name that does
    // not resolve against the start directory is tried beside this file, as
    // it stands and as a bare file name, so a moved set of files still loads.
    // A line that names no file at all is the caption of an approximation that
    // was not saved: it is kept as a caption, without a problem.
    for (const std::string& line : ReadSection(file, "APPROX")) {
        TApproximation a;
        a.Text = line;
        const TFileNameParts own = SplitFileName(line);
        const std::string bare = own.Ext.empty() ? own.Base : own.Base + "." + own.Ext;
        for (const std::string& candidate :
             {ToAbsolutePath(startDir_, line), ToAbsolutePath(parts.Dir, line), ToAbsolutePath(parts.Dir, bare)})
            if (!line.empty() && FileCanOpen(candidate)) {
                // A fault in an approximation file names that file.
                try {
                    a.Problem = Read(candidate, texts, chain);
                } catch (const EBreakCalcule&) {
                    throw;
                } catch (const std::exception& e) {
                    RethrowFileFailure(kReadFailure, NativePath(candidate), e);
                }
                // Its solution, when it was saved, so that a mesh selection
                // continues from it.
                LoadResultsBeside(*a.Problem, candidate, texts.Calculation);
                break;
            }
        problem->Approximations().push_back(std::move(a));
    }

    texts.Object = ReadSection(file, "OBJECT");
    problem->Root().SetText(LinesToText(texts.Object));
    problem->CollectDomains();

    texts.Calculation = ReadSection(file, "CALCULATION");
    texts.Process = ReadSection(file, "PROCESS");
    texts.ResultData = ReadSection(file, "RESULT DATA");
    texts.Results = ReadSection(file, "RESULTS");
    texts.Description = ReadSection(file, "DESCRIPTION");
    const std::vector<std::string> source = ReadSection(file, kSourceSection);
    if (!source.empty() && IsDigest(source.front())) problem->MadeFrom = source.front();
    chain.Files.pop_back();
    return problem;
}

void TPbData::WriteProblemFile(const std::string& fileName, TProblem& problem, bool saveApprox,
                               const TProblemTexts& texts) const {
    TFileBatch batch;
    std::vector<std::string> approxTexts;
    StageProblemFile(batch, fileName, problem, saveApprox, texts, approxTexts);
    batch.Commit();
    Adopt(problem, approxTexts);
}

void TPbData::Adopt(TProblem& problem, const std::vector<std::string>& approxTexts) {
    auto& approx = problem.Approximations();
    for (std::size_t i = 0; i < approx.size() && i < approxTexts.size(); ++i) approx[i].Text = approxTexts[i];
}

void TPbData::StageProblemFile(TFileBatch& batch, const std::string& fileName, TProblem& problem, bool saveApprox,
                               const TProblemTexts& texts, std::vector<std::string>& approxLines) const {
    // Everything is encoded and written to temporary files before any file
    // on disk changes; the entry texts change only once the batch commits.
    const std::string stored = Stored(fileName);
    approxLines.clear();
    for (const auto& a : problem.Approximations()) approxLines.push_back(a.Text);
    if (saveApprox) {
        auto& approx = problem.Approximations();
        for (std::size_t i = 0; i < approx.size(); ++i) {
            if (!approx[i].Problem) continue;
            const std::string name = ApproxFileName(stored, i);
            approxLines[i] = ToRelativePath(startDir_, name);
            TProblemTexts sub;
            sub.Description = texts.Description;
            sub.ResultData = texts.ResultData;
            sub.Calculation = texts.Calculation;
            sub.Object = PrintObject(*approx[i].Problem);
            std::vector<std::string> none;
            StageProblemFile(batch, name, *approx[i].Problem, false, sub, none);
            TProblem& ap = *approx[i].Problem;
            if (ap.Calculated() && ap.Solver())
                batch.Stage(NativePath(ChangeFileExtension(name, "res")), ap.ResultsBytes());
        }
    }

    std::vector<std::string> out = {kMagic, problem.Root().GetTypeName()};
    const std::vector<std::string>* lists[] = {&texts.Object,     &texts.Calculation, &texts.Process, &approxLines,
                                               &texts.ResultData, &texts.Results,     &texts.Description};
    for (int i = 0; i < 7; ++i) {
        for (const std::string& line : *lists[i])
            if (!line.empty() && line[0] == '#')
                throw ZemError("Строка раздела " + std::string(kSections[i]) + " не может начинаться с \"#\"");
        WriteSection(out, kSections[i], lists[i]);
    }
    if (!problem.MadeFrom.empty()) {
        const std::vector<std::string> source = {problem.MadeFrom};
        WriteSection(out, kSourceSection, &source);
    }
    std::string data;
    for (const std::string& line : out) data += Utf8ToCp1251(line) + "\r\n";
    batch.Stage(NativePath(stored), data);
}

void TPbData::CheckStorable(const std::string& fileName) const {
    const std::string name = ToRelativePath(startDir_, ApproxFileName(Stored(fileName), 0));
    if (name[0] == '#') throw ZemError("Имя файла приближения не может начинаться с \"#\": " + name);
    try {
        Utf8ToCp1251(name);
    } catch (const ZemError&) {
        throw ZemError("Имя файла приближения содержит символ вне кодировки 1251: " + name);
    }
}

void TPbData::WriteCalculated(const std::string& fileName, TProblem& problem, bool saveResults,
                              const TProblemTexts& texts) const {
    const std::string full = Stored(fileName);
    TFileBatch batch;
    std::vector<std::string> approxTexts;
    if (saveResults && problem.Calculated() && problem.Solver())
        batch.Stage(NativePath(ChangeFileExtension(full, "res")), problem.ResultsBytes());
    StageProblemFile(batch, full, problem, true, texts, approxTexts);
    batch.Commit();
    Adopt(problem, approxTexts);
}

bool LoadResultsBeside(TProblem& problem, const std::string& fileName, const std::vector<std::string>& calcLines) {
    const std::string res = ChangeFileExtension(StoredPath(fileName), "res");
    if (!FileCanOpen(res)) return false;
    try {
        TCalcSettings s;
        try {
            s = ReadCalcSettings(calcLines);
        } catch (const ZemError&) {
            // A bad "Prec" does not matter for holding a solution.
        }
        TRealTypeScope realType(s.RealType);
        static TSilentProgress quiet;
        problem.BuildEquations();
        problem.CreateSolver(s.SLAEMethod, quiet);
        problem.LoadResults(NativePath(res));
        problem.SetCalculated(true);
        return true;
    } catch (const std::exception&) {
        problem.SetCalculated(false);
        return false;
    }
}

}  // namespace zem
