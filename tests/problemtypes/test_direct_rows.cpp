// The rows the solver pulls go straight from each domain into the problem's
// row at the domain's first column, found once per build of the equations.
// They must be exactly the rows the coefficients give on their way up the
// element tree, for every type, and follow the tree when it changes shape.
#include "cylinders.h"

#include "domains/ElDomain.h"

#include <gtest/gtest.h>

namespace zem::cyltest {
namespace {

struct TRow {
    TRowItems Items;
    Extended Free = 0;
};

// Row R as GetRow hands it to the solver.
TRow Pulled(TProblem& p, std::size_t r) {
    TRow row;
    row.Free = p.GetRow(r, row.Items);
    return row;
}

// Row R with every coefficient climbing the element tree.
TRow Climbed(TProblem& p, std::size_t r) {
    TRow row;
    row.Free = p.BuildRow(row.Items, [&] {
        if (!p.Equations().WriteRow(static_cast<int>(r))) row.Items.push_back(TListItem{r, 1});
    });
    return row;
}

void ExpectSameRows(TProblem& p, const std::string& what) {
    Pulled(p, 0);  // the equations of the tree as it is now
    for (std::size_t r = 0; r < p.UnknownCount(); ++r) {
        const TRow a = Pulled(p, r), b = Climbed(p, r);
        ASSERT_EQ(a.Items.size(), b.Items.size()) << what << " row " << r;
        for (std::size_t k = 0; k < a.Items.size(); ++k) {
            EXPECT_EQ(a.Items[k].Col, b.Items[k].Col) << what << " row " << r;
            EXPECT_EQ(a.Items[k].Value, b.Items[k].Value) << what << " row " << r;
        }
        EXPECT_EQ(a.Free, b.Free) << what << " row " << r;
    }
}

TEST(DirectRows, EveryTypeWritesTheRowsOfTheTree) {
    RegisterProblemTypes();
    for (int i = 0; i < kProblemTypeCount; ++i) {
        ASSERT_TRUE(ProblemTypeAvailable(i)) << "every type of the catalogue calculates";
        const std::string& type = ProblemTypeName(i);
        auto p = MakeProblem(type);
        p->BuildEquations();
        // Every domain takes the direct way, or the comparison proves nothing.
        std::size_t offset = 0;
        for (TDmElement* dm : p->Domains()) {
            EXPECT_EQ(dm->Domain->RowOffset(), offset) << type << " " << dm->Key();
            offset += dm->Domain->UnknownCount();
        }
        EXPECT_EQ(offset, p->UnknownCount()) << type << ": the domains count every row";
        ExpectSameRows(*p, type);
    }
}

TEST(DirectRows, FollowTheTreeWhenItChangesShape) {
    // The first span's mesh refined moves the columns of every span after
    // it. The rows pulled next are those of the new tree, with no explicit
    // rebuild of the equations.
    auto p = MakeProblem("CompCylSym", {{"ELEMS.Span1.MESH.mesh_x", "6"}});
    TRowItems items;
    p->GetRow(0, items);
    const std::size_t before = p->UnknownCount();
    ASSERT_GE(p->Domains().size(), 2u);
    const std::size_t lastBefore = p->Domains().back()->Domain->RowOffset();

    p->Domains()[0]->RefineMesh(0, nullptr);
    const TRow last = Pulled(*p, p->UnknownCount() - 1);
    EXPECT_GT(p->UnknownCount(), before);
    EXPECT_GT(p->Domains().back()->Domain->RowOffset(), lastBefore);
    EXPECT_FALSE(last.Items.empty());
    ExpectSameRows(*p, "refined");

    // The whole text read again: every domain made anew.
    p->Root().SetText(std::string(p->Root().Text()));
    ExpectSameRows(*p, "read again");
}

}  // namespace
}  // namespace zem::cyltest
