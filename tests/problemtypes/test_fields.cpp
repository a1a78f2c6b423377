// The field table of every cylinder domain names exactly the fields its
// element offers, in kind order, so that a field found by name reads the
// values the tables and graphs show; every field has a unit.
#include "cylinders.h"

#include "domains/ElDomain.h"
#include "domains/FieldKinds.h"

#include <gtest/gtest.h>

namespace zem::cyltest {
namespace {

TEST(Fields, EveryOfferedFieldIsInItsDomainsTableInKindOrder) {
    for (const char* type : {"CylSym", "CompCylSym", "CylTech", "CompCylTech"}) {
        SCOPED_TRACE(type);
        auto p = MakeProblem(type);
        for (TDmElement* dm : p->Domains()) {
            const TFieldTable& table = dm->Domain->Fields();
            ASSERT_EQ(FieldNames(table.Inputs), dm->GraphInputs);
            ASSERT_EQ(FieldNames(table.Results), dm->GraphResults);
            for (TFieldGroup g : {TFieldGroup::Input, TFieldGroup::Result, TFieldGroup::Bound})
                for (const TFieldKind& k : table.Group(g)) EXPECT_NE(k.Unit, TUnit::None) << k.Name;
            // Every boundary item of the problem names a condition of the table.
            const TElemList& bounds = p->Root().Bounds();
            for (int i = 0; i < bounds.Count(); ++i) {
                const std::string key = bounds.ItemKey(i);
                EXPECT_GE(FieldIndex(table.Bounds, key.substr(0, key.rfind('_'))), 0) << key;
            }
        }
    }
}

// The rows the elements register, the columns the domains write and the
// offsets of the spans all follow from each domain's own count.
TEST(Fields, RowsAndColumnsFollowTheDomainsOwnCount) {
    for (const char* type : {"CylSym", "CompCylSym", "CylTech", "CompCylTech"}) {
        SCOPED_TRACE(type);
        auto p = MakeProblem(type, {});
        std::size_t unknowns = 0;
        for (TDmElement* dm : p->Domains()) {
            const TDomain& d = *dm->Domain;
            unknowns += d.UnknownCount();
            // The last node's last component has the last column.
            TNodeIdx last{d.StepCount(0) + d.VirtualLayers(0), d.DimCount > 1 ? d.StepCount(1) - 1 : 0};
            EXPECT_EQ(d.ColumnOf(d.ComponentCount() - 1, last) + 1, static_cast<int>(d.UnknownCount()));
        }
        p->BuildEquations();
        EXPECT_EQ(p->UnknownCount(), unknowns);
    }
}

TEST(Fields, UnitsAndCaptionsByName) {
    auto sym = MakeProblem("CylSym");
    auto tech = MakeProblem("CompCylTech");
    const TDomain& s = *sym->Domains()[0]->Domain;
    const TDomain& t = *tech->Domains()[1]->Domain;
    EXPECT_EQ(FieldUnit(s, TFieldGroup::Result, "w"), "m");
    EXPECT_EQ(FieldUnit(s, TFieldGroup::Result, "dwx"), "rad");
    EXPECT_EQ(FieldUnit(s, TFieldGroup::Result, "M1"), "N·m/m");
    EXPECT_EQ(FieldUnit(s, TFieldGroup::Input, "Радиальная нагрузка"), "Pa");
    EXPECT_EQ(FieldUnit(t, TFieldGroup::Result, "N1"), "N/m");
    EXPECT_EQ(FieldUnit(t, TFieldGroup::Result, "SigEq4"), "Pa");
    EXPECT_EQ(FieldUnit(t, TFieldGroup::Bound, "dw"), "rad");
    EXPECT_EQ(FieldCaption(t, TFieldGroup::Result, "u"), "Продольное перемещение");
    // Names are exact: another spelling or group knows nothing.
    EXPECT_EQ(FieldUnit(t, TFieldGroup::Result, "n1"), "");
    EXPECT_EQ(FindField(t, TFieldGroup::Input, "N1"), nullptr);
}

}  // namespace
}  // namespace zem::cyltest
