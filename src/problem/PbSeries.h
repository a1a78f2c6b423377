// Series of problems: a file (extension zes) that lists member problem files
// with a result-request text and a result text of its own, and the summaries
// the series run writes of its members.
#pragma once

#include <string>
#include <vector>

namespace zem {

class TProblem;

struct TSeriesFile {
    std::vector<std::string> Files;       // member paths relative to the start directory
    std::vector<std::string> ResultData;  // the series' result requests
    std::vector<std::string> Result;      // the series' result text
};

// Reads a series file; raises "Неизвестный формат файла" unless its first
// line is "[ZEM SERIES]", or the read error of the file.
TSeriesFile ReadSeriesFile(const std::string& fileName);
// Writes "[ZEM SERIES]" and the sections FILES, RESULT DATA, RESULT; the old
// file is replaced only when the new one is complete.
void WriteSeriesFile(const std::string& fileName, const TSeriesFile& series);

// The extremes of every result field of every domain of a calculated problem,
// one line each: "<field>: наибольшее <max>, наименьшее <min>" (field names
// qualified by the domain element's name inside a compound).
std::vector<std::string> ResultSummary(TProblem& problem);

// The solution a member's calculation ends with: for a mesh selection
// ("CalcType= choose" in CalcLines) its last approximation made from the
// problem as it stands when that is solved, otherwise the problem itself. Which gets the approximation's number
// (from 1), or 0 for the problem.
TProblem& FinalSolution(TProblem& problem, const std::vector<std::string>& calcLines, std::size_t& which);

// A member's part of the series result: its path (with "(приближение N)"
// when the extremes are those of approximation N), then the result summary of
// its final solution indented by two blanks.
std::vector<std::string> MemberSummary(const std::string& member, TProblem& problem,
                                       const std::vector<std::string>& calcLines);

}  // namespace zem
