#include "problem/PbData.h"

#include "calc/Calcul.h"
#include "elements/Elements.h"
#include "elements/MyStr.h"
#include "platform/cp1251.h"
#include "platform/errors.h"
#include "problem/FileNames.h"
#include "problem/PbTypes.h"

#include <algorithm>

namespace zem {
namespace {

const char* const kMagic = "[ZEM CAD 2]";
const char* const kSections[] = {"OBJECT",      "CALCULATION", "PROCESS",    "APPROX",
                                 "RESULT DATA", "RESULTS",     "DESCRIPTION"};

std::string Stored(const std::string& path) { return StoredPath(path); }

}  // namespace

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
    std::vector<std::string> chain;
    return Read(Stored(fileName), texts, chain);
}

std::unique_ptr<TProblem> TPbData::Read(const std::string& stored, TProblemTexts& texts,
                                        std::vector<std::string>& chain) const {
    if (std::find(chain.begin(), chain.end(), stored) != chain.end())
        throw ZemError("Файл приближения ссылается сам на себя: " + stored);
    chain.push_back(stored);

    const std::vector<std::string> file = ReadTextFile(NativePath(stored));
    if (file.empty() || file[0] != kMagic) throw ZemError("Неизвестный формат файла");
    const int type = file.size() > 1 ? ProblemTypeByName(file[1]) : -1;
    if (type < 0) throw ZemError("Ошибка данных");

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
                a.Problem = Read(candidate, texts, chain);
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
    chain.pop_back();
    return problem;
}

void TPbData::WriteProblemFile(const std::string& fileName, TProblem& problem, bool saveApprox,
                               const TProblemTexts& texts) const {
    const std::string stored = Stored(fileName);
    if (saveApprox) {
        auto& approx = problem.Approximations();
        for (std::size_t i = 0; i < approx.size(); ++i) {
            if (!approx[i].Problem) continue;
            const std::string name = ApproxFileName(stored, i);
            approx[i].Text = ToRelativePath(startDir_, name);
            TProblemTexts sub;
            sub.Description = texts.Description;
            sub.ResultData = texts.ResultData;
            sub.Calculation = texts.Calculation;
            sub.Object = PrintObject(*approx[i].Problem);
            WriteProblemFile(name, *approx[i].Problem, false, sub);
            TProblem& ap = *approx[i].Problem;
            if (ap.Calculated() && ap.Solver())
                ap.SaveResults(NativePath(ChangeFileExtension(name, "res")));
        }
    }
    std::vector<std::string> approxLines;
    for (const auto& a : problem.Approximations()) approxLines.push_back(a.Text);

    std::vector<std::string> out = {kMagic, problem.Root().GetTypeName()};
    const std::vector<std::string>* lists[] = {&texts.Object,     &texts.Calculation, &texts.Process, &approxLines,
                                               &texts.ResultData, &texts.Results,     &texts.Description};
    for (int i = 0; i < 7; ++i) {
        for (const std::string& line : *lists[i])
            if (!line.empty() && line[0] == '#')
                throw ZemError("Строка раздела " + std::string(kSections[i]) + " не может начинаться с \"#\"");
        WriteSection(out, kSections[i], lists[i]);
    }
    WriteTextFile(NativePath(stored), out);
}

void TPbData::RunFile(const std::string& relativeName, TProgress& progress, std::unique_ptr<TProblem>* keep) const {
    const std::string full = ToAbsolutePath(startDir_, Stored(relativeName));
    TProblemTexts texts;
    std::unique_ptr<TProblem> problem = ReadProblemFile(full, texts);
    CalculateBySettings(full, *problem, texts.Process, texts.Calculation, progress);
    texts.Object = PrintObject(*problem);
    WriteProblemFile(full, *problem, true, texts);
    if (keep) *keep = std::move(problem);
}

}  // namespace zem
