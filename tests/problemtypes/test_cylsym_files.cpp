// A cylinder problem from its file to its results: written by the problem
// file writer, read back and its mesh chosen until it is dense enough (the
// calculation types are checked in full on the test beam).
#include "cylinders.h"

#include "calc/Calcul.h"
#include "problem/FileNames.h"
#include "problem/PbData.h"
#include "testutil.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace zem;
using namespace zem::cyltest;
using ::testing::Contains;
using ::testing::ContainsRegex;

namespace {

class CylSymFile : public ::testing::Test {
protected:
    // Writes a default cylinder of 8 steps with these calculation lines,
    // reads the file back and calculates it; Process gets the report.
    std::unique_ptr<TProblem> Run(const std::vector<std::string>& calc) {
        auto p = MakeProblem("CylSym", {{"MESH.mesh_x", "8"}});
        TProblemTexts texts, read;
        texts.Object = PrintObject(*p);
        texts.Calculation = calc;
        data_.WriteProblemFile(file_, *p, false, texts);
        auto q = data_.ReadProblemFile(file_, read);
        TProgressLog log;
        CalculateBySettings(file_, *q, process_, read.Calculation, log);
        return q;
    }

    test::TempDir dir_;
    std::string file_ = StoredPath(dir_ / "tank.zem");
    TPbData data_{StoredPath(dir_.path.string())};
    std::vector<std::string> process_;
};

}  // namespace

TEST_F(CylSymFile, MeshSelectionRunsUntilTheMeshIsDenseEnough) {
    auto p = Run({"CalcType= choose", "AutoMode", "Prec= 0.05", "PrecChar= w", "PrecList= mesh_x"});
    ASSERT_GE(p->Approximations().size(), 2u);
    EXPECT_EQ(process_.end()[-2], "Требуемая густота сетки достигнута");
    EXPECT_THAT(process_, Contains(ContainsRegex("^mesh_x: [0-9]+: ")));
    int steps = CylSymOf(*p).StepCount(0);  // every stage refines the mesh before it
    for (const auto& a : p->Approximations()) {
        EXPECT_GT(CylSymOf(*a.Problem).StepCount(0), steps) << a.Text;
        steps = CylSymOf(*a.Problem).StepCount(0);
    }
    // Saved with its approximations and read back, it keeps them.
    TProblemTexts texts, read;
    texts.Object = PrintObject(*p);
    data_.WriteProblemFile(file_, *p, true, texts);
    auto q = data_.ReadProblemFile(file_, read);
    ASSERT_EQ(q->Approximations().size(), p->Approximations().size());
    EXPECT_EQ(q->Approximations().back().Problem->Root().Text(), p->Approximations().back().Problem->Root().Text());
}
