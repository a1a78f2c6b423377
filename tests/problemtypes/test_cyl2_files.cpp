// The higher-accuracy cylinders in files and in the calculation types: the
// element texts of their parents under their own type names, files that
// read back and write again to the same bytes, and the error estimate and
// mesh selection with their approximations.
#include "cylinders.h"
#include "problemfile.h"

#include "testutil.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace zem;
using namespace zem::cyltest;
using ::testing::Contains;
using ::testing::ContainsRegex;
using ::testing::HasSubstr;

namespace {

class Cyl2File : public TProblemFileTest {};

const char* const kParents[][2] = {{"CylSym2", "CylSym"}, {"CylTech2_1", "CylTech"}, {"CylTech2_2", "CylTech"}};

}  // namespace

TEST_F(Cyl2File, ParentTextsAndByteIdenticalRoundTrips) {
    for (auto [type, parent] : kParents) {
        auto p = MakeProblem(type, {{"MESH.mesh_x", "12"}, {"LOADS.Gidr", "[10000, 8]"}});
        auto base = MakeProblem(parent, {{"MESH.mesh_x", "12"}, {"LOADS.Gidr", "[10000, 8]"}});
        EXPECT_EQ(PrintObject(*p), PrintObject(*base)) << type << ": the element text is the parent's";
        auto q = WriteAndRead(*p, {"CalcType= single"}, "a.zem");
        EXPECT_EQ(q->Root().GetTypeName(), type);
        const std::string first = test::Slurp(path_);
        WriteAndRead(*q, {"CalcType= single"}, "b.zem");
        EXPECT_EQ(test::Slurp(path_), first) << type;
        EXPECT_THAT(first, HasSubstr(std::string(type) + "\r\n")) << "the type line";
    }
}

TEST_F(Cyl2File, ErrorEstimateOfEachType) {
    for (auto [type, parent] : kParents) {
        process_.clear();
        auto p = MakeProblem(type, {{"MESH.mesh_x", "20"}});
        auto q = WriteAndRead(*p, {"CalcType= astim", "AutoMode", "AstimList= w, Q1", "SaveResult"});
        Calculate(*q);
        EXPECT_THAT(process_, Contains(ContainsRegex("^w: .* %"))) << type;
        EXPECT_THAT(process_, Contains(ContainsRegex("^Q1: .* %"))) << type;
        ASSERT_EQ(q->Approximations().size(), 1u) << type;
        // The doubled mesh is an approximation of the same type.
        EXPECT_EQ(q->Approximations().front().Problem->Root().GetTypeName(), type);
    }
}

TEST_F(Cyl2File, MeshSelectionRefinesOrRefusesUnequalSteps) {
    // "CylSym2" and "CylTech2_2" refine where the error is; "CylTech2_1",
    // whose stencils need equal steps, refuses the first locally refined mesh.
    for (const char* type : {"CylSym2", "CylTech2_2"}) {
        process_.clear();
        auto p = MakeProblem(type, {{"MESH.mesh_x", "8"}});
        auto q = WriteAndRead(*p, {"CalcType= choose", "AutoMode", "Prec= 1", "PrecChar= w", "PrecList= mesh_x"});
        Calculate(*q);
        EXPECT_EQ(process_.end()[-2], "Требуемая густота сетки достигнута") << type;
        EXPECT_GE(q->Approximations().size(), 2u) << type;
    }
    auto p = MakeProblem("CylTech2_1", {{"MESH.mesh_x", "8"}});
    auto q = WriteAndRead(*p, {"CalcType= choose", "AutoMode", "Prec= 1", "PrecChar= w", "PrecList= mesh_x"});
    EXPECT_THAT(test::MessageOf([&] { Calculate(*q); }), HasSubstr("mesh_x"));
}
