#include "calc/RunFile.h"

#include "calc/Calcul.h"
#include "platform/errors.h"
#include "platform/cp1251.h"
#include "platform/files.h"
#include "problem/CalcSettings.h"
#include "problem/FileNames.h"
#include "problem/PbData.h"
#include "problem/PbSeries.h"

namespace zem {
namespace {

// The calculation lines without the results switch: the results file is
// written together with the problem file, after the calculation.
std::vector<std::string> WithoutSaveResult(const std::vector<std::string>& lines) {
    std::vector<std::string> kept;
    for (const std::string& line : lines)
        if (!ReadCalcSettings({line}).SaveResult) kept.push_back(line);
    return kept;
}

}  // namespace

void RunFile(const TPbData& data, const std::string& relativeName, TProgress& progress,
             std::unique_ptr<TProblem>* keep) {
    const std::string full = ToAbsolutePath(data.StartDir(), StoredPath(relativeName));
    TProblemTexts texts;
    std::unique_ptr<TProblem> problem = data.ReadProblemFile(full, texts);

    // What would make the writing fail is found before the calculation.
    const TCalcSettings settings = ReadCalcSettings(texts.Calculation);
    CheckWritable(NativePath(full));
    if (settings.SaveResult) CheckWritable(NativePath(ChangeFileExtension(full, "res")));
    if (settings.CalcType != ctSimple || !problem->Approximations().empty()) data.CheckStorable(full);

    std::vector<std::string> calculation = WithoutSaveResult(texts.Calculation);
    CalculateBySettings(full, *problem, texts.Process, calculation, progress);
    texts.Object = PrintObject(*problem);
    data.WriteCalculated(full, *problem, settings.SaveResult, texts);
    if (keep) *keep = std::move(problem);
}

int RunSeries(const TPbData& data, TSeriesFile& series, TProgress& progress) {
    series.Result.clear();
    int failed = 0;
    for (const std::string& member : series.Files) {
        if (member.empty()) continue;
        try {
            std::unique_ptr<TProblem> problem;
            RunFile(data, member, progress, &problem);
            const std::string full = ToAbsolutePath(data.StartDir(), StoredPath(member));
            const auto calcLines = ReadSection(ReadTextFile(NativePath(full)), "CALCULATION");
            for (std::string& line : MemberSummary(member, *problem, calcLines)) series.Result.push_back(std::move(line));
        } catch (const EBreakCalcule&) {
            throw;
        } catch (const std::exception& e) {
            ++failed;
            series.Result.push_back(member + ": " + ErrorMessage(e));
        }
    }
    return failed;
}

}  // namespace zem
