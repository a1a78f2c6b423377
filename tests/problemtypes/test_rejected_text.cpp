// A text the element tree rejects leaves the element and its problem as they
// were: the same text, the same domains with the same meshes, parameters and
// loads, the same solution read through them. Every read below goes through
// the problem's domain list, so a pointer kept across the rejected text would
// show up under the address sanitizer.
#include "cylinders.h"

#include "domains/ElDomain.h"
#include "platform/errors.h"

#include <gtest/gtest.h>

namespace zem::cyltest {
namespace {

// What a user can see of a problem: its text, its domains' meshes, loads
// and parameters, its rows and the solution at every node of every domain.
struct TState {
    std::string Text;
    std::vector<std::vector<double>> Steps;
    std::vector<double> Values;
    std::vector<std::string> Rows;
    bool Calculated = false;

    bool operator==(const TState&) const = default;
};

TState StateOf(TProblem& p) {
    TState s;
    s.Text = p.Root().Text();
    s.Calculated = p.Calculated();
    for (TDmElement* dm : p.Domains()) {
        TDomain& d = *dm->Domain;
        for (int k = 0; k < d.DimCount; ++k) s.Steps.push_back(d.Steps(k));
        const int n1 = d.DimCount > 1 ? d.StepCount(1) : 1;
        for (int i = 0; i <= d.StepCount(0); ++i)
            for (int j = 0; j < n1; ++j) {
                d.SetPos(0, i);
                if (d.DimCount > 1) d.SetPos(1, j);
                s.Values.push_back(static_cast<double>(d.ResultValue(0)));
                s.Values.push_back(static_cast<double>(d.InputValue(d.DimCount > 1 ? 1 : 0)));
            }
    }
    // The rows the solver would pull, also through the kept equation list.
    TRowItems items;
    for (std::size_t r = 0; r < p.UnknownCount(); r += 7) s.Values.push_back(double(p.GetRow(r, items)));
    s.Rows = RowNames(p);
    return s;
}

// Replaces the first Old in Text by New.
std::string With(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from << " in " << text;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

struct TCase {
    const char* Type;
    TSettings Settings;
    // Pieces of the good text and what turns it bad.
    std::vector<std::pair<std::string, std::string>> Breaks;
};

class RejectedText : public ::testing::TestWithParam<TCase> {};

TEST_P(RejectedText, LeavesElementAndProblemAsTheyWere) {
    const TCase& c = GetParam();
    auto p = MakeProblem(c.Type, c.Settings);
    Solve(*p);
    const TState before = StateOf(*p);
    ASSERT_TRUE(before.Calculated);
    for (const auto& [from, to] : c.Breaks) {
        SCOPED_TRACE(to);
        EXPECT_THROW(p->Root().SetText(With(before.Text, from, to)), ZemError);
        EXPECT_EQ(StateOf(*p), before);
    }
    // The problem still takes a good text after the rejected ones.
    p->Root().SetText(before.Text);
    EXPECT_EQ(StateOf(*p).Steps, before.Steps);
}

INSTANTIATE_TEST_SUITE_P(
    EveryKind, RejectedText,
    ::testing::Values(
        TCase{"CylSym",
              {{"MESH.mesh_x", "8"}},
              {{"mesh_x=8", "mesh_x=abc"}, {"R=10.0", "R=-1"}, {"Gidr=10000", "Gidr=abc"}, {"R=10.0", "R={"}}},
        TCase{"CompCylSym",
              {{"ELEMS.Span1.MESH.mesh_x", "6"}, {"ELEMS.Span2.PARAMS.t", "0.02"}},
              {{"mesh_x=6", "mesh_x=abc"},
               {"t=0.02", "t=0"},
               {"Gidr=10000", "Gidr=abc"},
               {"Span2=", "Span3="},
               {"R=1.0", "R=1.0}"}}},
        TCase{"CylTech",
              {{"MESH.mesh_x", "4"}, {"MESH.mesh_y", "8"}},
              {{"mesh_y=8", "mesh_y=0"}, {"t=0.01", "t=-0.01"}, {"E=2.06e11", "E=x"}, {"Gidr=10000", "Gidr=[1,2,3,4]"}}},
        TCase{"CompCylTech",
              {{"ELEMS.Span1.MESH.mesh_y", "8"}, {"ELEMS.Span2.MESH.mesh_y", "4"}},
              {{"mesh_y=8", "mesh_y=abc"},
               {"mesh_x=4", "mesh_x=abc"},  // a span's mesh: every domain's mesh is read again after it
               {"mesh_y=4", "mesh_y=[0.5]"},
               {"R=1.0", "R=0"},
               {"Span2=", "Span7="},
               {"Gidr=10000", "Gidr=[1,2,3,4]"}}}),
    [](const auto& info) { return std::string(info.param.Type); });

}  // namespace
}  // namespace zem::cyltest
