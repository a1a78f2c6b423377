#include "problem/PbSeries.h"

#include "domains/ElDomain.h"
#include "platform/cp1251.h"
#include "platform/errors.h"
#include "platform/files.h"
#include "platform/numtext.h"
#include "platform/progress.h"
#include "problem/FileNames.h"
#include "problem/PbData.h"
#include "solvers/Matrises.h"

namespace zem {

TSeriesFile ReadSeriesFile(const std::string& fileName) {
    const std::vector<std::string> lines = ReadTextFile(NativePath(StoredPath(fileName)));
    if (lines.empty() || lines[0] != "[ZEM SERIES]") throw ZemError("Неизвестный формат файла");
    TSeriesFile s;
    s.Files = ReadSection(lines, "FILES");
    s.ResultData = ReadSection(lines, "RESULT DATA");
    s.Result = ReadSection(lines, "RESULT");
    return s;
}

void WriteSeriesFile(const std::string& fileName, const TSeriesFile& series) {
    for (const auto* list : {&series.Files, &series.ResultData, &series.Result})
        for (const std::string& line : *list)
            if (!line.empty() && line[0] == '#')
                throw ZemError("Строка серии не может начинаться с \"#\": " + line);
    std::vector<std::string> out = {"[ZEM SERIES]"};
    WriteSection(out, "FILES", &series.Files);
    WriteSection(out, "RESULT DATA", &series.ResultData);
    WriteSection(out, "RESULT", &series.Result);
    WriteTextFile(NativePath(StoredPath(fileName)), out);
}

std::vector<std::string> ResultSummary(TProblem& problem) {
    std::vector<std::string> lines;
    const bool qualify = problem.Domains().size() > 1;
    for (TDmElement* dm : problem.Domains()) {
        for (std::size_t i = 0; i < dm->TableResults.size(); ++i) {
            std::unique_ptr<TObject> values = dm->ResultValues(static_cast<int>(i));
            Extended hi = 0, lo = 0;
            if (const auto* line = dynamic_cast<const TLineItem*>(values.get())) {
                if (line->Count() == 0) continue;
                std::size_t at = 0;
                hi = line->MaxItem(at);
                lo = line->MinItem(at);
            } else if (const auto* m = dynamic_cast<const TMatrix*>(values.get())) {
                std::size_t r = 0, c = 0;
                hi = m->MaxItem(r, c);
                lo = m->MinItem(r, c);
            } else {
                continue;
            }
            const std::string name = qualify ? dm->Key() + "." + dm->TableResults[i] : dm->TableResults[i];
            lines.push_back(name + ": наибольшее " + RealToStrExp(5, 0, hi) + ", наименьшее " + RealToStrExp(5, 0, lo));
        }
    }
    return lines;
}

int RunSeries(const TPbData& data, TSeriesFile& series, TProgress& progress) {
    series.Result.clear();
    int failed = 0;
    for (const std::string& member : series.Files) {
        if (member.empty()) continue;
        try {
            std::unique_ptr<TProblem> problem;
            data.RunFile(member, progress, &problem);
            series.Result.push_back(member);
            for (const std::string& line : ResultSummary(*problem)) series.Result.push_back("  " + line);
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
