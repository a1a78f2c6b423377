// Problem files: the reader and writer every part of the program uses, and
// the writing back of a calculated problem.
//
// A problem file is cp1251 text: "[ZEM CAD 2]", the type name, then the
// sections "#OBJECT", "#CALCULATION", "#PROCESS", "#APPROX", "#RESULT DATA",
// "#RESULTS", "#DESCRIPTION", and in an approximation file "#SOURCE" (the
// ObjectDigest of the problem it was made from). Each section runs to the next
// line that begins with "#". Beside it live the results file (.res: 10 bytes
// per unknown, then the digest of the object text solved,
// TProblem::ResultsBytes) and the approximation files Name_01 ... Name_09,
// Name_10, ...
#pragma once

#include "problem/CalcSettings.h"
#include "problem/Problems.h"

#include <memory>
#include <string>
#include <vector>

namespace zem {

class TFileBatch;
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

// Raises "Неизвестный формат файла" with the cause (an empty file, or what
// the first line holds instead) unless the file begins with the line Magic.
void CheckMagicLine(const std::vector<std::string>& fileLines, const std::string& magic);

// The root element's text over several lines, and back.
std::vector<std::string> PrintObject(const TProblem& problem);

// Loads the results file beside the problem file FileName into Problem (a
// solver of the method of CalcLines holds them) and marks it calculated.
// False, leaving it not calculated, when there is no such file or it does not
// fit the problem.
bool LoadResultsBeside(TProblem& problem, const std::string& fileName, const std::vector<std::string>& calcLines);

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
    // Every file is encoded and written in full before any of them replaces
    // its old version; a failure leaves all of them, and the entry texts of
    // the approximations, as they were.
    void WriteProblemFile(const std::string& fileName, TProblem& problem, bool saveApprox,
                          const TProblemTexts& texts) const;

    // The name of approximation I (0-based) of the problem file FileName.
    static std::string ApproxFileName(const std::string& fileName, std::size_t i);

    // Writes a calculated problem back to FileName: with SaveResults its
    // results file (when it holds a solution), its approximation files and the
    // problem file, all of them together or none.
    void WriteCalculated(const std::string& fileName, TProblem& problem, bool saveResults,
                         const TProblemTexts& texts) const;

    const std::string& StartDir() const { return startDir_; }

    // Raises the message of a problem file whose approximation names the
    // APPROX section cannot hold (a leading "#", a character outside code
    // page 1251).
    void CheckStorable(const std::string& fileName) const;

private:
    // The files being read, outermost first, and how many were read in all.
    struct TReadChain {
        std::vector<std::string> Files;
        std::size_t Read = 0;
    };
    std::unique_ptr<TProblem> Read(const std::string& stored, TProblemTexts& texts, TReadChain& chain) const;
    // Writes the problem file and, with SaveApprox, its approximation files
    // into Batch; ApproxLines gets the APPROX lines as written.
    void StageProblemFile(TFileBatch& batch, const std::string& fileName, TProblem& problem, bool saveApprox,
                          const TProblemTexts& texts, std::vector<std::string>& approxLines) const;
    static void Adopt(TProblem& problem, const std::vector<std::string>& approxTexts);

    std::string startDir_;
};

}  // namespace zem
