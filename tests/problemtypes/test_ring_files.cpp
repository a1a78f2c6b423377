// Ring problems in files: written, read back and written again byte for byte,
// and calculated from their calculation lines with an error estimate.
#include "cylinders.h"

#include "calc/Calcul.h"
#include "problem/FileNames.h"
#include "problem/PbData.h"
#include "problemtypes/DmRing.h"
#include "problemtypes/ElRing.h"
#include "testutil.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace zem;
using namespace zem::cyltest;
using ::testing::Contains;
using ::testing::ContainsRegex;

namespace {

class RingFile : public ::testing::Test {
protected:
    test::TempDir dir_;
    TPbData data_{StoredPath(dir_.path.string())};
};

const TSettings kEdited = {{"PARAMS.R", "2.5"},        {"PARAMS.Jxr", "0.05"},     {"LOADS.t", "[100, 0, [30, -2]]"},
                           {"LOADS.mk", "[0, 0, 0, 4]"}, {"MESH.mesh", "[[6, 0.5], 0.25, 0.25]"}};

}  // namespace

TEST_F(RingFile, EveryTypeRoundTripsByteForByte) {
    for (const char* type : {"Ring", "Ring2", "RingP"}) {
        auto p = MakeProblem(type, kEdited);
        if (std::string(type) == "RingP") Edit(*p, {{"PARAMS.Period", "3"}});
        const std::string first = StoredPath(dir_ / (std::string(type) + "1.zem"));
        const std::string second = StoredPath(dir_ / (std::string(type) + "2.zem"));
        TProblemTexts texts, read;
        texts.Object = PrintObject(*p);
        texts.Calculation = {"CalcType= simple"};
        texts.Description = {"Кольцо"};
        data_.WriteProblemFile(first, *p, false, texts);
        auto q = data_.ReadProblemFile(first, read);
        EXPECT_EQ(q->Root().GetTypeName(), type);
        EXPECT_EQ(q->Root().Text(), p->Root().Text()) << type;
        data_.WriteProblemFile(second, *q, false, read);
        EXPECT_EQ(test::Slurp(NativePath(second)), test::Slurp(NativePath(first))) << type;
        // The items the file leaves out keep their defaults.
        TDmRing& d = dynamic_cast<TDmRing&>(*q->Domains().at(0)->Domain);
        EXPECT_EQ(d.R, 2.5);
        EXPECT_EQ(d.Jk, 0.4);
        EXPECT_EQ(d.StepCount(0), 8);
        EXPECT_EQ(d.Period, std::string(type) == "RingP" ? 3 : 1);
    }
}

TEST_F(RingFile, ErrorEstimateDoublesTheMeshAroundTheRing) {
    for (const char* type : {"Ring", "Ring2", "RingP"}) {
        auto p = MakeProblem(type, {{"LOADS.t", "[0, 0, 1000]"}, {"LOADS.s", "[0, 0, 0, 100]"}, {"MESH.mesh", "16"}});
        std::vector<std::string> process;
        TProgressLog log;
        const std::string file = StoredPath(dir_ / (std::string(type) + ".zem"));
        CalculateBySettings(file, *p, process,
                            {"CalcType= astim", "AstimList= w, Mx", "AutoMode", "SaveResult"}, log);
        EXPECT_THAT(process, Contains(ContainsRegex("^w: .* %"))) << type;
        EXPECT_THAT(process, Contains(ContainsRegex("^Mx: .* %"))) << type;
        ASSERT_EQ(p->Approximations().size(), 1u);
        EXPECT_EQ(dynamic_cast<TDmRing&>(*p->Approximations()[0].Problem->Domains().at(0)->Domain).StepCount(0), 32);
        // Sixteen nodes of four unknowns, ten bytes each.
        EXPECT_EQ(std::filesystem::file_size(dir_ / (std::string(type) + ".res")), 16u * 4 * 10) << type;
    }
}
