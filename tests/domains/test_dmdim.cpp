// Line and surface domains and their elements: tables, boundary
// distributions, regional loads, drawing, hints, mesh texts and exports.
#include "domains/model_elements.h"
#include "elements/MyStr.h"
#include "platform/cp1251.h"
#include "testutil.h"

#include <gtest/gtest.h>
#include <numbers>

using namespace zem;
using namespace zem::dmtest;

namespace {

struct MembraneFixture {
    TTestHost host;
    std::unique_ptr<TElMembrane> m;
    MembraneFixture(const std::string& mx = "4", const std::string& my = "8") {
        m = MakeRoot<TElMembrane>(host);
        m->Mesh().Item(0).SetText(mx);
        m->Mesh().Item(1).SetText(my);
        m->Parse();
    }
    TDmMembrane& D() { return m->Membrane(); }
    Extended LoadAt(int i, int j) {
        D().SetPos(0, i);
        D().SetPos(1, j);
        return D().LoadValue(0);
    }
};

std::string ParseFailure(TElement& e, int section, int item, const std::string& text) {
    dynamic_cast<TElemList&>(e.Item(section)).Item(item).SetText(text);
    return test::MessageOf([&] { e.Parse(); });
}

}  // namespace

TEST(DmDim2Boundary, FourierListFollowsTheNodeIndex) {
    MembraneFixture f("4", "8");
    f.m->Bounds().Item(0).SetText("[0, 2]");
    f.m->Bounds().Item(1).SetText("");
    f.m->Parse();
    const TALineItem* line = f.D().BoundaryLine(0);
    ASSERT_NE(line, nullptr);
    ASSERT_EQ(line->Count(), 8u);
    const double expected[] = {2, std::sqrt(2.0), 0, -std::sqrt(2.0), -2};
    for (int j = 0; j < 5; ++j) EXPECT_NEAR(double(line->GetItem(j)), expected[j], 1e-15) << j;
    EXPECT_EQ(f.D().BoundaryLine(1), nullptr) << "a condition that is not given";

    f.m->Bounds().Item(1).SetText("[1, [0, 3]]");
    f.m->Parse();
    for (int j = 0; j < 8; ++j)
        EXPECT_NEAR(double(f.D().BoundaryLine(1)->GetItem(j)), 1 + 3 * std::sin(2 * std::numbers::pi * j / 8),
                    1e-15);
}

TEST(DmDim2Regions, CirclesAndRectangles) {
    MembraneFixture f("10", "8");  // H = 1: x steps 0.1; y steps 2 pi / 8
    auto& d = f.D();
    auto region = [&](const char* text) {
        d.LoadFuncs.clear();
        d.LoadFuncs.resize(1);
        d.AddRegionLoad(0, ParseValue(text).get());
    };
    // Circle: the third number is the squared radius.
    region("[0.5, 0, 0.04, 10]");
    for (int i = 0; i <= 10; ++i)
        for (int j = 0; j < 8; ++j) {
            const Extended x = d.NodeCoord(0, i) - 0.5L, y = d.NodeCoord(1, j);
            const bool inside = x * x + y * y <= 0.04L;
            EXPECT_EQ(f.LoadAt(i, j), inside ? 10 : 0) << i << "," << j;
            EXPECT_EQ(d.RegionHit, inside);
        }

    // A rectangle of constant value covers its snapped index rectangle, borders included.
    region("[0.18, 0.5, 0.62, 2.5, 7]");
    const auto& p = d.LoadFuncs[0][0]->Params;
    ASSERT_EQ(p.size(), 8u);
    const int i0 = int(p[0]), j0 = int(p[1]), i1 = int(p[2]), j1 = int(p[3]);
    EXPECT_EQ(i0 * 10 + i1, 26);
    for (int i = 0; i <= 10; ++i)
        for (int j = 0; j < 8; ++j)
            EXPECT_EQ(f.LoadAt(i, j), (i >= i0 && i <= i1 && j >= j0 && j <= j1) ? 7 : 0) << i << "," << j;

    // Corner values: bilinear; one node wide along x: the lower side's values, never NaN.
    region("[0, 0, 1, 2.36, 0, 10, 20, 30]");
    EXPECT_NEAR(double(f.LoadAt(5, 0)), 5, 1e-12);
    region("[0.48, 0, 0.52, 2.36, 4, 10, 20, 30]");
    EXPECT_EQ(f.LoadAt(5, 0), 4);
    EXPECT_TRUE(std::isfinite(double(f.LoadAt(5, 1))));

    // Two regions given as a list of lists; a short region is an error.
    region("[[0.5, 0, 0.0001, 1], [0.5, 0, 0.0001, 2]]");
    EXPECT_EQ(f.LoadAt(5, 0), 3);
    EXPECT_EQ(ParseFailure(*f.m, 2, 1, "[0, 0, 1]"), "Ошибка в значении параметра q_Rect");
}

TEST(DmDimDrawing, FieldAndMesh) {
    TTestHost host;
    auto s = MakeRoot<TElBeam>(host);  // mesh 4 over H = 1
    TRecordingCanvas canvas;
    TLevelScale scale;
    const TRect rect{10, 0, 110, 399};
    auto q = s->InputValues(0);  // load 1 at every node
    s->DrawGraph(canvas, rect, 0, q.get(), scale);
    EXPECT_EQ(scale.Steps.back(), 1.0L / 5) << "automatic step: the largest magnitude over the levels";
    ASSERT_EQ(canvas.Fills.size(), 5u);
    EXPECT_EQ(canvas.Fills[0].first, (TRect{10, 349, 110, 399})) << "node 0's half cell at the bottom";
    EXPECT_EQ(canvas.Fills[4].first, (TRect{10, -1, 110, 49}));
    EXPECT_TRUE(canvas.Polylines.empty()) << "no mesh unless the options ask for it";

    scale.Mesh = true;
    canvas = TRecordingCanvas();
    s->DrawGraph(canvas, rect, 0.5, q.get(), scale);
    EXPECT_EQ(canvas.Fills[0].second, 102u) << "value 1 at the given step 0.5 is level 2";
    EXPECT_EQ(canvas.Polylines.size(), 1u) << "the outline";
    ASSERT_EQ(canvas.Lines.size(), 3u) << "a line at each inner node";
    EXPECT_EQ(canvas.Lines[0], (std::array<int, 4>{10, 299, 110, 299}));

    MembraneFixture f("2", "4");
    canvas = TRecordingCanvas();
    f.m->DrawMesh(canvas, rect);
    EXPECT_EQ(canvas.Lines.size(), 1u + 3u) << "one inner node line across, three along";
}

TEST(DmDimDrawing, HintsInsideAndOutside) {
    TTestHost host;
    auto s = MakeRoot<TElBeam>(host);
    SetHintNumberFormat([](Extended x) { return RealToStrGen(4, 2, x); });
    const TRect rect{0, 0, 100, 400};
    EXPECT_EQ(s->HitText(rect, {50, 401}), "") << "below the rectangle";
    EXPECT_EQ(s->HitText(rect, {50, 400}), "0") << "the bottom border belongs to it";
    EXPECT_EQ(s->HitText(rect, {50, 120}), "0.75") << "nearest node to 0.7";
    auto q = s->InputValues(0);
    EXPECT_EQ(s->HitValue(rect, {50, 120}, q.get()), "1");
    MembraneFixture f("2", "4");
    EXPECT_EQ(f.m->HitText(rect, {99, 0}), "1; 6.283") << "coordinates joined by a semicolon";
    SetHintNumberFormat([](Extended x) { return RealToStrExp(11, 4, x); });
}

TEST(DmElementMesh, EmptyMeshItemReadsAsFour) {
    TTestHost host;
    auto s = MakeRoot<TElBeam>(host);
    EXPECT_EQ(ParseFailure(*s, 3, 0, ""), "");
    EXPECT_NE(s->Text().find("MESH={mesh_x=4}"), std::string::npos) << s->Text();
    EXPECT_EQ(s->Domain->StepCount(0), 4);
    EXPECT_EQ(ParseFailure(*s, 3, 0, "2.5"), "Ошибка данных сетки mesh_x");
    EXPECT_EQ(ParseFailure(*s, 3, 0, "4"), "");
    EXPECT_EQ(ParseFailure(*s, 2, 0, "[1]"), "") << "[1] is the scalar 1";
    EXPECT_EQ(ParseFailure(*s, 2, 0, "[1, [2, 3]]"), "Ошибка в значении параметра Uniform");
}

TEST(DmElementMesh, RefineMeshWritesTheMeshText) {
    TTestHost host;
    auto s = MakeRoot<TElBeam>(host);
    s->RefineMesh(0, nullptr);
    EXPECT_EQ(s->Mesh().ItemText(0), "8");

    ParseFailure(*s, 3, 0, "[0.5, [2, 0.5]]");
    s->RefineMesh(0, nullptr);
    EXPECT_EQ(s->Mesh().ItemText(0), "[[2, 0.5], [4, 0.5]]");
    EXPECT_EQ(s->Domain->Steps(0), (std::vector<double>{0.25, 0.25, 0.125, 0.125, 0.125, 0.125}));

    ParseFailure(*s, 3, 0, "[0.5, [2, 0.5]]");
    TStepMarks marks{1, 0, 0};
    s->RefineMesh(0, &marks);
    EXPECT_EQ(s->Mesh().ItemText(0), "4") << "all steps equal: the count alone";

    s->Domain->SetSteps(0, {0.25, 0.25, 0.5});
    EXPECT_EQ(s->MeshText(0), "[[2, 0.5], 0.5]");
    s->Domain->SetSteps(0, {0.5, 0.5 / 3, 0.5 / 3, 0.5 / 3});
    EXPECT_EQ(s->MeshText(0), "[0.5, [3, 0.5]]");
    // The text reads back into the same steps.
    ParseFailure(*s, 3, 0, s->MeshText(0));
    EXPECT_EQ(s->Domain->StepCount(0), 4);
    EXPECT_NEAR(s->Domain->Step(0, 3), 0.5 / 3, 1e-15);
}

TEST(DmElementTables, LineAndSurfaceLayouts) {
    TTestHost host;
    auto s = MakeRoot<TElBeam>(host);
    TALineItem values{9, 1, 2, 3, 4};  // the largest at node 0
    TTableModel table;
    s->FillTable(table, &values);
    EXPECT_EQ(table.RowCount() * 10 + table.ColCount(), 62);
    EXPECT_EQ(table.Text(0, 0) + table.Text(1, 0), "Коорд.Значение");
    EXPECT_EQ(table.MaxPos, (TCellPos{1, 5})) << "node 0 in the bottom row";
    EXPECT_EQ(table.MinPos, (TCellPos{1, 4}));
    EXPECT_EQ(table.Text(1, 1), RealToStrExp(11, 4, 4)) << "the last node on top";

    MembraneFixture f("2", "4");
    auto w = f.m->InputValues(0);
    auto& m = dynamic_cast<TMatrix&>(*w);
    m.SetItem(0, 1, 7);
    m.SetItem(2, 3, -7);
    f.m->FillTable(table, w.get());
    EXPECT_EQ(table.RowCount() * 10 + table.ColCount(), 46);
    EXPECT_EQ(table.Text(0, 0), "Коорд./Знач.");
    EXPECT_EQ(table.MaxPos, (TCellPos{2, 3}));
    EXPECT_EQ(table.MinPos, (TCellPos{4, 1}));
}

TEST(DmElementTables, ExportsOneLinePerNode) {
    const test::TempDir dir;
    TTestHost host;
    auto s = MakeRoot<TElBeam>(host);
    TALineItem values{1, -2.5, 3};
    s->SaveValues(&values, dir / "line.txt");
    auto lines = ReadTextFile(dir / "line.txt");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_GE(lines[1].size(), 13u);
    EXPECT_DOUBLE_EQ(double(StrToReal(lines[1])), -2.5);

    MembraneFixture f("2", "4");
    f.m->SaveValues(f.m->InputValues(0).get(), dir / "grid.txt");
    lines = ReadTextFile(dir / "grid.txt");
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0].back(), '\t') << "every line ends with a tab";
    EXPECT_EQ(std::count(lines[0].begin(), lines[0].end(), '\t'), 5);
}

TEST(DmDim2Solve, ClosedMembraneWithHarmonicEdgeAndUniformLoad) {
    // -(w_xx + w_yy) = 3 on 0 <= x <= 1 around a circle of radius 1, with
    // w(0, y) = cos y and w(1, y) = 0: w = 3 x (1 - x)/2 + sinh(1 - x)/sinh(1) cos y.
    auto error = [](int n0, int n1) {
        MembraneFixture f(std::to_string(n0), std::to_string(n1));
        f.m->Bounds().Item(0).SetText("[0, 1]");  // one cosine wave around the circumference
        f.m->Loads().Item(0).SetText("3");
        f.m->Parse();
        f.host.Solve(*f.m);
        EXPECT_EQ(f.host.Equations.Count(), (n0 + 3) * n1);
        EXPECT_EQ(f.host.Equations.Name(2 * n1 + 1), "Eq(1,1)");
        auto values = f.m->ResultValues(0);
        const auto& w = dynamic_cast<const TMatrix&>(*values);
        Extended worst = 0;
        for (int i = 0; i <= n0; ++i) {
            EXPECT_EQ(w.GetItem(i, n1), w.GetItem(i, 0)) << "the last column repeats node 0";
            for (int j = 0; j <= n1; ++j) {
                const Extended x = f.D().NodeCoord(0, i), y = f.D().NodeCoord(1, j);
                const Extended exact = 3 * x * (1 - x) / 2 + std::sinh(1 - x) / std::sinh(1.0L) * std::cos(y);
                worst = std::max(worst, std::fabs(w.GetItem(i, j) - exact));
            }
        }
        // A row is written afresh, and alike, on every request.
        f.host.BuildRow(n1 + 3);
        const auto row = f.host.Row;
        f.host.BuildRow(0);
        f.host.BuildRow(n1 + 3);
        EXPECT_EQ(f.host.Row, row);
        return worst;
    };
    const Extended e1 = error(8, 12), e2 = error(16, 24);
    EXPECT_LT(e1, 1e-2);
    EXPECT_NEAR(double(std::log2(e1 / e2)), 2, 0.15);
}
