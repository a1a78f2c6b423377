// Where every domain's unknowns start in the system: placed top-down through
// the compounds once per shape of the tree, and placed again when the tree
// changes shape, whether the next to ask is the solver pulling rows or a view
// reading results.
#include "cylinders.h"

#include "domains/ElDomain.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace zem::cyltest {
namespace {

// The domains' bases follow one another in tree order and cover the system.
void ExpectContiguous(TProblem& p, const std::string& what) {
    std::size_t base = 0;
    for (TDmElement* dm : p.Domains()) {
        EXPECT_EQ(dm->Domain->ColumnBase(), base) << what << " " << dm->Key();
        base += dm->Domain->UnknownCount();
    }
    EXPECT_EQ(base, p.UnknownCount()) << what << ": the domains count every row";
}

TEST(ColumnLayout, EveryTypePlacesItsDomainsOneAfterAnother) {
    RegisterProblemTypes();
    for (int i = 0; i < kProblemTypeCount; ++i) {
        const std::string& type = ProblemTypeName(i);
        auto p = MakeProblem(type);
        p->BuildEquations();
        ExpectContiguous(*p, type);
        // Every column a row names is one of the system's.
        TRowItems items;
        for (std::size_t r = 0; r < p->UnknownCount(); ++r) {
            p->GetRow(r, items);
            for (const TListItem& item : items) ASSERT_LT(item.Col, p->UnknownCount()) << type << " row " << r;
        }
    }
}

TEST(ColumnLayout, RowNamesWrittenOnDemandAreThoseOfTheirNodes) {
    // The rows of a span carry the span's key before the equation's prefix
    // and node; a name reads back to its row.
    auto p = MakeProblem("CompCylSym", {{"ELEMS.Span1.MESH.mesh_x", "3"}, {"ELEMS.Span2.MESH.mesh_x", "2"}});
    const std::vector<std::string> names = RowNames(*p);
    const int inner = p->Equations().IndexOf("Span2.Eq(1)");
    ASSERT_GE(inner, 0) << "the inner row of the second span";
    EXPECT_EQ(p->Equations().Name(inner), "Span2.Eq(1)");
    EXPECT_LT(p->Equations().IndexOf("Span1.Eq(1)"), inner);
    EXPECT_EQ(p->Equations().IndexOf(names.back()), static_cast<int>(names.size()) - 1);
    EXPECT_EQ(p->Equations().IndexOf("Span3.Eq(1)"), -1);
    auto surface = MakeProblem("CylTech", {{"MESH.mesh_x", "4"}, {"MESH.mesh_y", "6"}});
    const std::vector<std::string> rows = RowNames(*surface);
    EXPECT_NE(std::find(rows.begin(), rows.end(), "EqIII(2,5)"), rows.end()) << "both indices of a surface node";
}

TEST(ColumnLayout, FollowsTheTreeWhenItChangesShape) {
    // The first span's mesh refined moves the columns of every span after
    // it. The rows pulled next are those of the new tree, with no explicit
    // rebuild of the equations.
    auto p = MakeProblem("CompCylSym", {{"ELEMS.Span1.MESH.mesh_x", "6"}});
    TRowItems items;
    p->GetRow(0, items);
    const std::size_t before = p->UnknownCount();
    ASSERT_GE(p->Domains().size(), 2u);
    const std::size_t lastBefore = p->Domains().back()->Domain->ColumnBase();

    p->Domains()[0]->RefineMesh(0, nullptr);
    p->GetRow(p->UnknownCount() - 1, items);
    EXPECT_GT(p->UnknownCount(), before);
    EXPECT_GT(p->Domains().back()->Domain->ColumnBase(), lastBefore);
    EXPECT_FALSE(items.empty());
    ExpectContiguous(*p, "refined");
}

TEST(ColumnLayout, DomainsMadeAnewReadTheSolutionAtTheirColumns) {
    // The whole text read again makes every span's domain anew, never placed:
    // the first result read places them, and the values are those read
    // before, the upper span's at its own columns, not at the lower one's.
    auto p = MakeProblem("CompCylSym", {{"ELEMS.Span1.MESH.mesh_x", "6"}, {"ELEMS.Span2.MESH.mesh_x", "8"}});
    Solve(*p);
    const std::vector<double> lower = Results(*p, 0, 0), upper = Results(*p, 0, 1);
    ASSERT_NE(lower.front(), upper.front());
    const TDomain* old = p->Domains()[1]->Domain.get();
    p->Root().SetText(std::string(p->Root().Text()));
    EXPECT_NE(p->Domains()[1]->Domain.get(), old) << "the domain was made anew";
    EXPECT_EQ(Results(*p, 0, 1), upper);
    EXPECT_EQ(Results(*p, 0, 0), lower);
}

}  // namespace
}  // namespace zem::cyltest
