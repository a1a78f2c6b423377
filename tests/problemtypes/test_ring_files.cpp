// Ring problems in files: written, read back and written again byte for byte,
// (the batch runner calculates them with an error estimate: cli_ring.sh).
#include "rings.h"

#include "problem/FileNames.h"
#include "problem/PbData.h"
#include "problemtypes/ElRing.h"
#include "testutil.h"

#include <gtest/gtest.h>

using namespace zem;
using namespace zem::cyltest;

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
        TDmRing& d = RingOf(*q);
        EXPECT_EQ(d.R, 2.5);
        EXPECT_EQ(d.Jk, 0.4);
        EXPECT_EQ(d.StepCount(0), 8);
        EXPECT_EQ(d.Period, std::string(type) == "RingP" ? 3 : 1);
    }
}
