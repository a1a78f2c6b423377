// The Love-equation types in files and in the calculation types: problem
// files that read back and write again to the same bytes (the ring block and
// the panel's side items included), and the error estimate, which refines
// the shell and carries the ring's mesh along.
#include "cylinders.h"
#include "problemfile.h"

#include "problemtypes/DmRing.h"
#include "problemtypes/ElLave.h"
#include "problemtypes/ElRing.h"
#include "testutil.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace zem;
using namespace zem::cyltest;
using ::testing::Contains;
using ::testing::ContainsRegex;
using ::testing::HasSubstr;

namespace {

class LaveFile : public TProblemFileTest {};

// Items changed from their defaults in every section, the ring's included.
const std::pair<const char*, TSettings> kEdited[] = {
    {"CylLave", {{"LOADS.Wind", "[0, [100, 20]]"}, {"MESH.mesh_x", "10"}}},
    {"CylLaveP", {{"PARAMS.Period", "3"}, {"LOADS.Wind", "[0, 500]"}}},
    {"CylPanel", {{"PARAMS.Width", "120"}, {"BOUNDS.w_left", ""}, {"BOUNDS.Q2_left", "5"}, {"BOUNDS.M2_right", "1"}}},
    {"CylRing", {{"ELEMS.Ring.PARAMS.E", "1e11"}, {"ELEMS.Ring.LOADS.t", "[0, 0, 300]"}, {"MESH.mesh_y", "8"}}},
    {"CylRingP", {{"PARAMS.Period", "4"}, {"ELEMS.Ring.PARAMS.Jx", "0.2"}, {"ELEMS.Ring.LOADS.mk", "[0, 10]"}}},
};

}  // namespace

TEST_F(LaveFile, ByteIdenticalRoundTrips) {
    for (const auto& [type, settings] : kEdited) {
        auto p = MakeProblem(type, settings);
        auto q = WriteAndRead(*p, {"CalcType= single"}, "a.zem");
        EXPECT_EQ(q->Root().GetTypeName(), type);
        EXPECT_EQ(PrintObject(*q), PrintObject(*p)) << type;
        const std::string first = test::Slurp(path_);
        WriteAndRead(*q, {"CalcType= single"}, "b.zem");
        EXPECT_EQ(test::Slurp(path_), first) << type;
    }
    auto ring = MakeProblem("CylRing", kEdited[3].second);
    auto q = WriteAndRead(*ring, {"CalcType= single"});
    EXPECT_THAT(test::Slurp(path_), HasSubstr("ELEMS={Ring={"));
    EXPECT_EQ(dynamic_cast<TElCylRing&>(q->Root()).Ring().E, 1e11);
    EXPECT_EQ(dynamic_cast<TElCylRing&>(q->Root()).Ring().StepCount(0), 8);
}

TEST_F(LaveFile, ErrorEstimateRefinesTheShellAndTheRingAlong) {
    for (const char* type : {"CylLave", "CylLaveP", "CylPanel", "CylRing", "CylRingP"}) {
        process_.clear();
        auto p = MakeProblem(type, {{"MESH.mesh_x", "8"}, {"LOADS.Wind", "[0, 0, 500]"}});
        // With the ring's domain beside the shell's, the characteristics
        // name the shell's type.
        const bool ringed = std::string(type).rfind("CylRing", 0) == 0;
        const std::string prefix = ringed ? std::string(type) + "." : "";
        auto q = WriteAndRead(*p, {"CalcType= astim", "AutoMode", "AstimList= " + prefix + "w, " + prefix + "M1",
                                   "SaveResult"});
        Calculate(*q);
        EXPECT_THAT(process_, Contains(ContainsRegex("^" + prefix + "w: .* %"))) << type;
        ASSERT_EQ(q->Approximations().size(), 1u) << type;
        TProblem& fine = *q->Approximations().front().Problem;
        EXPECT_EQ(fine.Root().GetTypeName(), type);
        if (auto* ring = dynamic_cast<TElCylRing*>(&fine.Root()))
            EXPECT_EQ(ring->Ring().StepCount(0), ring->Cyl().StepCount(1)) << type;
    }
}

TEST_F(LaveFile, MeshSelectionRefinesTheRingWithTheShell) {
    auto p = MakeProblem("CylRing", {{"MESH.mesh_x", "6"}, {"MESH.mesh_y", "8"}});
    // With the ring's domain beside the shell's, the criterion names the
    // shell's type.
    auto q = WriteAndRead(*p, {"CalcType= choose", "AutoMode", "Prec= 1", "PrecChar= CylRing.w",
                                "PrecList= mesh_x, mesh_y"});
    Calculate(*q);
    EXPECT_EQ(process_.end()[-2], "Требуемая густота сетки достигнута");
    ASSERT_GE(q->Approximations().size(), 2u);
    for (const auto& a : q->Approximations()) {
        auto& ring = dynamic_cast<TElCylRing&>(a.Problem->Root());
        EXPECT_EQ(ring.Ring().Steps(0), ring.Cyl().Steps(1));
    }
}
