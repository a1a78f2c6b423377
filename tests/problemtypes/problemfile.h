// A test fixture that writes a problem to a file of a scratch directory with
// calculation lines, reads it back as the program does, and runs the
// calculation those lines ask for.
#pragma once

#include "calc/Calcul.h"
#include "platform/progress.h"
#include "problem/FileNames.h"
#include "problem/PbData.h"
#include "problem/Problems.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace zem::cyltest {

class TProblemFileTest : public ::testing::Test {
protected:
    // Writes the problem with these calculation lines and reads it back.
    std::unique_ptr<TProblem> WriteAndRead(TProblem& p, const std::vector<std::string>& calc,
                                           const std::string& name = "shell.zem") {
        path_ = dir_ / name;
        file_ = StoredPath(path_);
        TProblemTexts texts, read;
        texts.Object = PrintObject(p);
        texts.Calculation = calc;
        data_.WriteProblemFile(file_, p, false, texts);
        auto q = data_.ReadProblemFile(file_, read);
        calc_ = read.Calculation;
        return q;
    }
    void Calculate(TProblem& p) {
        TProgressLog log;
        CalculateBySettings(file_, p, process_, calc_, log);
    }

    test::TempDir dir_;
    std::string path_, file_;
    TPbData data_{StoredPath(dir_.path.string())};
    std::vector<std::string> calc_, process_;
};

}  // namespace zem::cyltest
