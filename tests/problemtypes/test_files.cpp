// Problems of every type in files: written, read back and written again to
// the same bytes, with items changed from their defaults in every section (a
// span's and the ring's included); the error estimate and the mesh selection
// run from a file and keep their approximations.
#include "cylinders.h"
#include "problemfile.h"

#include "problemtypes/ElLave.h"
#include "testutil.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace zem;
using namespace zem::cyltest;
using ::testing::Contains;
using ::testing::ContainsRegex;
using ::testing::HasSubstr;

namespace {

class ProblemFile : public TProblemFileTest {};

const TSettings kRing = {{"PARAMS.R", "2.5"},          {"PARAMS.Jxr", "0.05"},
                         {"LOADS.t", "[100, 0, [30, -2]]"}, {"LOADS.mk", "[0, 0, 0, 4]"},
                         {"MESH.mesh", "[[6, 0.5], 0.25, 0.25]"}};

const std::pair<const char*, TSettings> kEdited[] = {
    {"CylSym", {{"PARAMS.t", "0.012"}, {"BOUNDS.M1_top", "5"}, {"LOADS.Uniform", "300"}, {"MESH.mesh_x", "[0.5, [2, 0.5]]"}}},
    {"CompCylSym",
     {{"ELEMS.Span1.PARAMS.t", "0.02"}, {"ELEMS.Span2.MESH.mesh_x", "[0.5, [2, 0.5]]"}, {"LOADS.Gidr", "[10000, 5]"}}},
    {"CylTech", {{"PARAMS.t", "[0.01, [1, 0, 5, 20, 0.02]]"}, {"LOADS.Wind", "[0, 500]"}, {"MESH.mesh_y", "8"}}},
    {"CompCylTech", {{"ELEMS.Span2.PARAMS.t", "0.03"}, {"ELEMS.Span1.MESH.mesh_y", "8"}}},
    {"Ring", kRing},
    {"Ring2", kRing},
    {"RingP", kRing + TSettings{{"PARAMS.Period", "3"}}},
    {"CylLave", {{"LOADS.Wind", "[0, [100, 20]]"}, {"MESH.mesh_x", "10"}}},
    {"CylLaveP", {{"PARAMS.Period", "3"}, {"LOADS.Wind", "[0, 500]"}}},
    {"CylPanel", {{"PARAMS.Width", "120"}, {"BOUNDS.w_left", ""}, {"BOUNDS.Q2_left", "5"}, {"BOUNDS.M2_right", "1"}}},
    {"CylRing", {{"ELEMS.Ring.PARAMS.E", "1e11"}, {"ELEMS.Ring.LOADS.t", "[0, 0, 300]"}, {"MESH.mesh_y", "8"}}},
    {"CylRingP", {{"PARAMS.Period", "4"}, {"ELEMS.Ring.PARAMS.Jx", "0.2"}, {"ELEMS.Ring.LOADS.mk", "[0, 10]"}}},
    // The higher-accuracy cylinders print the element text of their parents.
    {"CylSym2", {{"MESH.mesh_x", "12"}, {"LOADS.Gidr", "[10000, 8]"}}},
    {"CylTech2_1", {{"MESH.mesh_x", "12"}, {"LOADS.Gidr", "[10000, 8]"}}},
    {"CylTech2_2", {{"MESH.mesh_x", "12"}, {"LOADS.Gidr", "[10000, 8]"}}},
};

}  // namespace

TEST_F(ProblemFile, EveryTypeRoundTripsByteForByte) {
    for (const auto& [type, settings] : kEdited) {
        auto p = MakeProblem(type, settings);
        auto q = WriteAndRead(*p, {"CalcType= single"}, "a.zem");
        EXPECT_EQ(q->Root().GetTypeName(), type);
        EXPECT_EQ(PrintObject(*q), PrintObject(*p)) << type;
        if (const std::string t = type; t == "CylSym2" || t.starts_with("CylTech2")) {
            EXPECT_EQ(PrintObject(*p), PrintObject(*MakeProblem(t == "CylSym2" ? "CylSym" : "CylTech", settings)));
        }
        const std::string first = test::Slurp(path_);
        WriteAndRead(*q, {"CalcType= single"}, "b.zem");
        EXPECT_EQ(test::Slurp(path_), first) << type;
        // Read back, it is the same problem: the same rows and the same solution.
        Solve(*p);
        Solve(*q);
        ASSERT_EQ(q->UnknownCount(), p->UnknownCount()) << type;
        for (std::size_t i = 0; i < p->UnknownCount(); i += 7) EXPECT_EQ(q->Solution(i), p->Solution(i)) << type;
    }
    auto ring = WriteAndRead(*MakeProblem("CylRing", kEdited[10].second), {});
    EXPECT_THAT(test::Slurp(path_), HasSubstr("ELEMS={Ring={"));
    EXPECT_EQ(dynamic_cast<TElCylRing&>(ring->Root()).Ring().E, 1e11);
}

TEST_F(ProblemFile, ErrorEstimateRefinesEveryDomainAndKeepsTheApproximation) {
    const TSettings shell = {{"MESH.mesh_x", "8"}, {"LOADS.Wind", "[0, 0, 500]"}};
    const TSettings ring = {{"MESH.mesh", "12"}, {"LOADS.t", "[0, 0, 1000]"}};
    for (const char* type : {"Ring", "Ring2", "RingP", "CylLave", "CylLaveP", "CylPanel", "CylRing", "CylRingP",
                             "CylSym2", "CylTech2_1", "CylTech2_2"}) {
        process_.clear();
        const std::string name = type;
        // With the ring's domain beside the shell's, the characteristics
        // name the shell's type.
        const std::string prefix = name.starts_with("CylRing") ? name + "." : "";
        const bool flat = name.starts_with("Ring");
        auto p = MakeProblem(type, flat ? ring : name == "CylSym2" ? TSettings{{"MESH.mesh_x", "20"}} : shell);
        auto q = WriteAndRead(*p, {"CalcType= astim", "AutoMode",
                                   "AstimList= " + prefix + "w, " + prefix + (flat ? "Mr" : "M1"), "SaveResult"});
        Calculate(*q);
        EXPECT_THAT(process_, Contains(ContainsRegex("^" + prefix + "w: .* %"))) << type;
        ASSERT_EQ(q->Approximations().size(), 1u) << type;
        TProblem& fine = *q->Approximations().front().Problem;
        EXPECT_EQ(fine.Root().GetTypeName(), type);
        if (auto* stiffened = dynamic_cast<TElCylRing*>(&fine.Root())) {
            EXPECT_EQ(stiffened->Ring().StepCount(0), stiffened->Cyl().StepCount(1)) << type;
        }
    }
}

TEST_F(ProblemFile, MeshSelectionRefinesEveryStageAndTheRingWithTheShell) {
    auto p = WriteAndRead(*MakeProblem("CylSym", {{"MESH.mesh_x", "8"}}),
                          {"CalcType= choose", "AutoMode", "Prec= 0.05", "PrecChar= w", "PrecList= mesh_x"});
    Calculate(*p);
    ASSERT_GE(p->Approximations().size(), 2u);
    EXPECT_EQ(process_.end()[-2], "Требуемая густота сетки достигнута");
    EXPECT_THAT(process_, Contains(ContainsRegex("^mesh_x: [0-9]+: ")));
    int steps = CylSymOf(*p).StepCount(0);
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

    process_.clear();
    auto r = WriteAndRead(*MakeProblem("CylRing", {{"MESH.mesh_x", "6"}, {"MESH.mesh_y", "8"}}),
                          {"CalcType= choose", "AutoMode", "Prec= 1", "PrecChar= CylRing.w", "PrecList= mesh_x, mesh_y"});
    Calculate(*r);
    EXPECT_EQ(process_.end()[-2], "Требуемая густота сетки достигнута");
    ASSERT_GE(r->Approximations().size(), 2u);
    for (const auto& a : r->Approximations()) {
        auto& stiffened = dynamic_cast<TElCylRing&>(a.Problem->Root());
        EXPECT_EQ(stiffened.Ring().Steps(0), stiffened.Cyl().Steps(1));
    }
    // The higher-accuracy cylinders refine where the error is, but
    // "CylTech2_1", whose stencils need equal steps, refuses the first locally
    // refined mesh.
    for (const char* type : {"CylSym2", "CylTech2_2", "CylTech2_1"}) {
        process_.clear();
        auto c = WriteAndRead(*MakeProblem(type, {{"MESH.mesh_x", "8"}}),
                              {"CalcType= choose", "AutoMode", "Prec= 1", "PrecChar= w", "PrecList= mesh_x"});
        if (std::string(type) == "CylTech2_1") {
            EXPECT_THAT(test::MessageOf([&] { Calculate(*c); }), HasSubstr("mesh_x"));
            break;
        }
        Calculate(*c);
        EXPECT_EQ(process_.end()[-2], "Требуемая густота сетки достигнута") << type;
        EXPECT_GE(c->Approximations().size(), 2u) << type;
    }
}
