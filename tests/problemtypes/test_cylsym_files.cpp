// A cylinder problem from its file to its results: written by the problem
// file writer, read back and calculated under each calculation type.
#include "test_cylsym.h"

#include "calc/Calcul.h"
#include "problem/FileNames.h"
#include "problem/PbData.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include <unistd.h>

using namespace zem;
using namespace zem::cyltest;
using ::testing::Contains;
using ::testing::ContainsRegex;

namespace {

class CylSymFile : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directories(dir_); }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    // Writes a default cylinder of 8 steps with these calculation lines,
    // reads the file back and calculates it; Process gets the report.
    std::unique_ptr<TProblem> Run(const std::vector<std::string>& calc, std::vector<std::string>& process) {
        auto p = MakeProblem("CylSym");
        Edit(*p, {{"MESH", "mesh_x", "8"}});
        TProblemTexts texts, read;
        texts.Object = PrintObject(*p);
        texts.Calculation = calc;
        data_.WriteProblemFile(file_, *p, false, texts);
        auto q = data_.ReadProblemFile(file_, read);
        TProgressLog log;
        CalculateBySettings(file_, *q, process, read.Calculation, log);
        return q;
    }

    std::filesystem::path dir_ =
        std::filesystem::temp_directory_path() / ("zem_cylsym_files_" + std::to_string(::getpid()));
    std::string file_ = StoredPath((dir_ / "tank.zem").string());
    TPbData data_{StoredPath(dir_.string())};
};

}  // namespace

TEST_F(CylSymFile, SimpleCalculationSavesTenBytesPerUnknown) {
    std::vector<std::string> process;
    auto p = Run({"CalcType= simple", "SLAEMethod= Метод Гаусса. Ленточная матрица", "SaveResult"}, process);
    ASSERT_TRUE(p->Calculated());
    EXPECT_THAT(process, Contains("Ширина ленты: 9"));
    EXPECT_EQ(std::filesystem::file_size(dir_ / "tank.res"), 10u * 13);
    const auto w = Results(*p, TDmCylSym::rkW);
    p->LoadResults((dir_ / "tank.res").string());
    EXPECT_EQ(Results(*p, TDmCylSym::rkW), w);
    EXPECT_GT(w[4], 0);  // the liquid pushes the wall outwards
}

TEST_F(CylSymFile, ErrorEstimateOnADoubledMesh) {
    std::vector<std::string> process;
    auto p = Run({"CalcType= astim", "AstimList= w, M1", "ErrorNorma= uniform"}, process);
    ASSERT_EQ(p->Approximations().size(), 1u);
    EXPECT_EQ(p->Approximations()[0].Text, "Сетка удвоенной густоты");
    EXPECT_EQ(CylOf(*p->Approximations()[0].Problem).StepCount(0), 16);
    EXPECT_THAT(process, Contains("Погрешность сетки. Равномерная норма"));
    EXPECT_THAT(process, Contains(ContainsRegex("^w: [0-9.E+-]+ %$")));
    EXPECT_THAT(process, Contains(ContainsRegex("^M1: [0-9.E+-]+ %$")));
}

TEST_F(CylSymFile, MeshSelectionRunsUntilTheMeshIsDenseEnough) {
    std::vector<std::string> process;
    auto p = Run({"CalcType= choose", "AutoMode", "Prec= 0.05", "PrecChar= w", "PrecList= mesh_x"}, process);
    ASSERT_GE(p->Approximations().size(), 2u);
    EXPECT_EQ(process.end()[-2], "Требуемая густота сетки достигнута");
    EXPECT_THAT(process, Contains(ContainsRegex("^mesh_x: [0-9]+: ")));
    int steps = CylOf(*p).StepCount(0);  // every stage refines the mesh before it
    for (const auto& a : p->Approximations()) {
        EXPECT_GT(CylOf(*a.Problem).StepCount(0), steps) << a.Text;
        steps = CylOf(*a.Problem).StepCount(0);
    }
    // Saved with its approximations and read back, it keeps them.
    TProblemTexts texts, read;
    texts.Object = PrintObject(*p);
    data_.WriteProblemFile(file_, *p, true, texts);
    auto q = data_.ReadProblemFile(file_, read);
    ASSERT_EQ(q->Approximations().size(), p->Approximations().size());
    EXPECT_EQ(q->Approximations().back().Problem->Root().Text(), p->Approximations().back().Problem->Root().Text());
}
