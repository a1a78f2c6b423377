#include "problem/PbSeries.h"

#include "problem/CalcSettings.h"
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
    CheckMagicLine(lines, "[ZEM SERIES]");
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

TProblem& FinalSolution(TProblem& problem, const std::vector<std::string>& calcLines, std::size_t& which) {
    which = 0;
    TCalcSettings s;
    try {
        s = ReadCalcSettings(calcLines);
    } catch (const ZemError&) {
        return problem;
    }
    // The last approximation of the problem as it stands: one made from
    // another text of it answers another question.
    auto& approx = problem.Approximations();
    if (s.CalcType != ctChoose) return problem;
    for (std::size_t i = approx.size(); i-- > 0;) {
        TProblem* a = approx[i].Problem.get();
        if (!a || !MadeFromProblem(problem, *a)) continue;
        if (!a->Calculated()) return problem;
        which = i + 1;
        return *a;
    }
    return problem;
}

std::vector<std::string> MemberSummary(const std::string& member, TProblem& problem,
                                       const std::vector<std::string>& calcLines) {
    std::size_t which = 0;
    TProblem& final = FinalSolution(problem, calcLines, which);
    std::vector<std::string> lines = {which ? member + " (приближение " + std::to_string(which) + ")" : member};
    for (const std::string& line : ResultSummary(final)) lines.push_back("  " + line);
    return lines;
}

}  // namespace zem
