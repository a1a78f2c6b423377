// Problem files: the reader and writer every part of the program uses, and a
// problem run from its file to its file without a window.
//
// A problem file is cp1251 text: "[ZEM CAD 2]", the type name, then the
// sections "#OBJECT", "#CALCULATION", "#PROCESS", "#APPROX", "#RESULT DATA",
// "#RESULTS", "#DESCRIPTION". Each section runs to the next line that begins
// with "#". Beside it live the results file (.res, 10 bytes per unknown) and
// the approximation files Name_01 ... Name_09, Name_10, ...
#pragma once

#include "calc/CalcSettings.h"
#include "problem/Problems.h"

#include <memory>
#include <string>
#include <vector>

namespace zem {

class TProgress;

// The six line lists a problem window shows in its pages.
struct TProblemTexts {
    std::vector<std::string> Object;
    std::vector<std::string> Calculation;
    std::vector<std::string> Process;
    std::vector<std::string> ResultData;
    std::vector<std::string> Results;
    std::vector<std::string> Description;
};

// The lines of section Name (header "#" + Name, exact), taken from its first
// header; empty when the file has none.
std::vector<std::string> ReadSection(const std::vector<std::string>& fileLines, const std::string& name);
void WriteSection(std::vector<std::string>& out, const std::string& name, const std::vector<std::string>* lines);

// The root element's text over several lines, and back.
std::vector<std::string> PrintObject(const TProblem& problem);

class TPbData {
public:
    // StartDir is the directory relative names are resolved against, in the
    // stored form ("\" separators).
    explicit TPbData(std::string startDir);

    // Reads a problem file (a full path, stored or native form). Returns the
    // problem; Texts gets its six sections. Raises ZemError:
    // "Неизвестный формат файла", "Ошибка данных", the element parser's
    // messages, or "Ошибка чтения файла " + name.
    std::unique_ptr<TProblem> ReadProblemFile(const std::string& fileName, TProblemTexts& texts) const;

    // Writes the problem file; with SaveApprox, first the approximation files
    // and their results, and the APPROX lines become their relative names.
    // The file is replaced only once it is completely written.
    void WriteProblemFile(const std::string& fileName, TProblem& problem, bool saveApprox,
                          const TProblemTexts& texts) const;

    // The name of approximation I (0-based) of the problem file FileName.
    static std::string ApproxFileName(const std::string& fileName, std::size_t i);

    // Runs one file: read, calculate under its own settings, reprint the
    // object, write back with approximations. With Keep, the calculated
    // problem is handed over instead of being freed.
    void RunFile(const std::string& relativeName, TProgress& progress,
                 std::unique_ptr<TProblem>* keep = nullptr) const;

    const std::string& StartDir() const { return startDir_; }

private:
    std::unique_ptr<TProblem> Read(const std::string& stored, TProblemTexts& texts,
                                   std::vector<std::string>& chain) const;

    std::string startDir_;
};

}  // namespace zem
