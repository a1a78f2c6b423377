// Every field any problem type offers is named in its domain's table with a
// caption and a unit, the element lists follow the table in kind order (so a
// field found by name reads the values the tables and graphs show), and the
// exports label their columns from the same table.
#include "cylinders.h"

#include "calc/Export.h"
#include "domains/ElDomain.h"
#include "domains/FieldKinds.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <sstream>

namespace zem::cyltest {
namespace {

// The base name of a boundary item: "dw_bot" -> "dw", "M2_left" -> "M2".
std::string BoundBase(const std::string& key) { return key.substr(0, key.rfind('_')); }

void ExpectNamedIn(const TDomain& domain, TFieldGroup group, const std::vector<std::string>& names) {
    for (const std::string& n : names) EXPECT_NE(FindField(domain, group, n), nullptr) << n;
}

TEST(Fields, EveryFieldOfEveryTypeHasACaptionAndAUnitInKindOrder) {
    for (int type = 0; type < kProblemTypeCount; ++type) {
        SCOPED_TRACE(ProblemTypeName(type));
        auto p = MakeProblem(ProblemTypeName(type));
        ASSERT_FALSE(p->Domains().empty());
        for (TDmElement* dm : p->Domains()) {
            SCOPED_TRACE(dm->Key());
            const TFieldTable& table = dm->Domain->Fields();
            EXPECT_EQ(FieldNames(table.Inputs), dm->GraphInputs);
            EXPECT_EQ(FieldNames(table.Results), dm->GraphResults);
            if (!dm->TableInputs.empty()) {
                EXPECT_EQ(dm->TableInputs, dm->GraphInputs);
            }
            if (!dm->TableResults.empty()) {
                EXPECT_EQ(dm->TableResults, dm->GraphResults);
            }
            for (TFieldGroup g : {TFieldGroup::Input, TFieldGroup::Result, TFieldGroup::Bound})
                for (const TFieldKind& k : table.Group(g)) {
                    EXPECT_STRNE(k.Caption, "") << k.Name;
                    EXPECT_NE(k.Unit, TUnit::Unset) << k.Name;
                }
            const TElemList& bounds = dm->Bounds();
            for (int i = 0; i < bounds.Count(); ++i)
                EXPECT_GE(FieldIndex(table.Bounds, BoundBase(bounds.ItemKey(i))), 0) << bounds.ItemKey(i);
        }
        // The root names its fields as its own domain does, or (a stepped
        // shell) as its first span's.
        TElement& root = p->Root();
        auto* own = dynamic_cast<TDmElement*>(&root);
        const TDomain& naming = own ? *own->Domain : *p->Domains().front()->Domain;
        ExpectNamedIn(naming, TFieldGroup::Input, root.GraphInputs);
        ExpectNamedIn(naming, TFieldGroup::Input, root.TableInputs);
        ExpectNamedIn(naming, TFieldGroup::Result, root.GraphResults);
        ExpectNamedIn(naming, TFieldGroup::Result, root.TableResults);
        const TElemList& bounds = root.Bounds();
        for (int i = 0; i < bounds.Count(); ++i)
            EXPECT_NE(FindField(naming, TFieldGroup::Bound, BoundBase(bounds.ItemKey(i))), nullptr)
                << bounds.ItemKey(i);
    }
}

// The columns the domains write follow from each domain's own count (the
// rows: the direct-row tests).
TEST(Fields, RowsAndColumnsFollowTheDomainsOwnCount) {
    for (const char* type : {"CylSym", "CompCylSym", "CylTech", "CompCylTech"}) {
        SCOPED_TRACE(type);
        auto p = MakeProblem(type, {});
        for (TDmElement* dm : p->Domains()) {
            const TDomain& d = *dm->Domain;
            // The last node's last component has the last column.
            TNodeIdx last{d.StepCount(0) + d.VirtualLayers(0), d.DimCount > 1 ? d.StepCount(1) - 1 : 0};
            EXPECT_EQ(d.ColumnOf(d.ComponentCount() - 1, last) + 1, static_cast<int>(d.UnknownCount()));
        }
    }
}

TEST(Fields, UnitsAndCaptionsByName) {
    // (The result units of shells and rings are held byte for byte by the
    // CSV headers below and in the export tests.)
    auto sym = MakeProblem("CylSym");
    auto tech = MakeProblem("CompCylTech");
    auto ring = MakeProblem("Ring");
    auto panel = MakeProblem("CylPanel");
    const TDomain& t = *tech->Domains()[1]->Domain;
    EXPECT_EQ(FieldUnit(*sym->Domains()[0]->Domain, TFieldGroup::Input, "Радиальная нагрузка"), "Pa");
    EXPECT_EQ(FieldUnit(t, TFieldGroup::Bound, "dw"), "rad");
    EXPECT_EQ(FieldCaption(t, TFieldGroup::Result, "u"), "Продольное перемещение");
    EXPECT_EQ(FieldUnit(*ring->Domains()[0]->Domain, "mk"), "N·m/m") << "an input field when no result has the name";
    EXPECT_EQ(FieldUnit(*panel->Domains()[0]->Domain, TFieldGroup::Bound, "M2"), "N·m/m");
    // Names are exact: another spelling or group knows nothing.
    EXPECT_EQ(FieldUnit(t, "n1"), "");
    EXPECT_EQ(FindField(t, TFieldGroup::Input, "N1"), nullptr);
}

// A Love shell with its ring in one table: the shell's forces per unit
// length, the ring's whole, and the N2 of each in a column of its own unit.
TEST(Fields, CsvHeaderOfAShellWithItsRingCarriesEachFieldsUnit) {
    test::TempDir dir;
    auto p = MakeProblem("CylRing", {{"MESH.mesh_x", "6"}, {"MESH.mesh_y", "6"}});
    Solve(*p);
    ExportCsv(*p, dir / "cr.csv");
    std::istringstream in(test::Slurp(dir / "cr.csv"));
    std::string header, row, last;
    std::getline(in, header);
    EXPECT_EQ(header,
              "domain,i,j,x [m],y [m],u [m],v [m],w [m],dwx [rad],dwtet [rad],N1 [N/m],N2 [N/m],S1 [N/m],"
              "S2 [N/m],Q1 [N/m],Q2 [N/m],M1 [N·m/m],M2 [N·m/m],M12 [N·m/m],M21 [N·m/m],SigX [Pa],SigY [Pa],"
              "Tau [Pa],SigMax [Pa],SigMin [Pa],SigEq3 [Pa],SigEq4 [Pa],"
              "fi [rad],N2 [N],Qx [N],Qr [N],Mx [N·m],Mr [N·m],Hk [N·m]");
    while (std::getline(in, row)) last = row;
    // The ring's last row: the nineteen shell columns between w and fi
    // are empty.
    EXPECT_EQ(last.rfind("Ring,", 0), 0u) << last;
    EXPECT_NE(last.find(std::string(20, ',')), std::string::npos) << last;
}

}  // namespace
}  // namespace zem::cyltest
