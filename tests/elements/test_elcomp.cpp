// Compound elements: a stepped beam solved through its spans, the joint rows
// and the unknowns' offsets, span rectangles, the hydrostatic load over
// spans, the shared table and scale. (The interpolating joints of surface
// spans are checked on the stepped technical-theory cylinder.)
#include "domains/ElSeries.h"
#include "domains/model_elements.h"
#include "elements/ElComp.h"
#include "elements/MyStr.h"
#include "testutil.h"

#include <gtest/gtest.h>

using namespace zem;
using namespace zem::dmtest;

namespace {

// A cantilever of length 1, EI = 1, under q = 1: w = x^2 (6 - 4x + x^2)/24.
Extended Cantilever(Extended x) { return x * x * (6 - 4 * x + x * x) / 24; }

// A series read from its text; a text that begins with "{ELEMS" or "{LOADS"
// gets the cantilever's boundary conditions in front.
std::unique_ptr<TElBeamSeries> Series(TTestHost& host, std::string text, int spans = 2) {
    if (!text.empty()) text.insert(1, "BOUNDS={w_bot=0, dw_bot=0, Q1_top=0, M1_top=0}, ");
    return MakeRoot<TElBeamSeries>(host, text, spans);
}

// The largest difference from the cantilever over every node of every span.
Extended CantileverError(TTestHost& host, TElBeamSeries& s) {
    host.Solve(s);
    Extended worst = 0, z = 0;
    for (int k = 0; k < s.ChildCount(); ++k) {
        TDmBeam& b = s.Beam(k);
        for (int i = 0; i <= b.StepCount(0); ++i) {
            b.SetPos(0, i);
            worst = std::max(worst, std::fabs(b.ResultValue(0) - Cantilever(z + b.PosCoord(0))));
        }
        z += b.Lengths[0];
    }
    return worst;
}

}  // namespace

TEST(ElCompSeries, SteppedBeamMatchesTheCantilever) {
    // Two spans 0.25 + 0.75 with their own meshes; the load is the compound's.
    auto text = [](int n) {
        return "{LOADS={Uniform=1}, ELEMS={Span1={PARAMS={H=0.25}, MESH={mesh_x=" + std::to_string(n) +
               "}}, Span2={PARAMS={H=0.75}, MESH={mesh_x=" + std::to_string(3 * n) + "}}}}";
    };
    TTestHost h1, h2;
    auto coarse = Series(h1, text(4));
    auto fine = Series(h2, text(8));
    ASSERT_EQ(coarse->ChildCount(), 2);
    const Extended e1 = CantileverError(h1, *coarse), e2 = CantileverError(h2, *fine);
    EXPECT_LT(e1, 2e-3);
    EXPECT_NEAR(double(std::log2(e1 / e2)), 2, 0.2) << "second order through the joint";

    // The joint rows hold w and the slope equal on both sides.
    TDmBeam& lower = fine->Beam(0);
    TDmBeam& upper = fine->Beam(1);
    lower.SetPos(0, lower.StepCount(0));
    upper.SetPos(0, 0);
    EXPECT_NEAR(double(lower.ResultValue(0)), double(upper.ResultValue(0)), 1e-15);
    EXPECT_NEAR(double(lower.ResultValue(1)), double(upper.ResultValue(1)), 1e-14);
}

TEST(ElCompSeries, RowNamesUnknownOffsetsAndCounts) {
    TTestHost host;
    auto s = Series(host, "{LOADS={Uniform=1}, ELEMS={Span1={PARAMS={H=1}, MESH={mesh_x=2}}, Span2={PARAMS={H=1}, MESH={mesh_x=3}}}}");
    host.Equations.Clear();
    s->BuildEquations(host.Equations);
    ASSERT_EQ(host.Equations.Count(), (2 + 5) + (3 + 5)) << "one row per unknown, virtual nodes included";
    // Span 1: Eq(0), dw(0), w(0), Eq(1); then the joint.
    EXPECT_EQ(host.Equations.Name(4), "Cnt(w[0,1])");
    EXPECT_EQ(host.Equations.Name(14), "Span2.Q1(3)");

    // A joint row: +w at span 1's top node (column 2 + 2), -w at span 2's
    // bottom node (local column 2, offset by span 1's 2 + 5 unknowns).
    host.BuildRow(4);
    EXPECT_EQ(host.Row, (std::map<std::size_t, Extended>{{4, 1}, {9, -1}}));
    EXPECT_EQ(host.Free, 0);

    // Solution values come back through the same offsets.
    host.Solution.assign(15, 0);
    host.Solution[9] = 42;
    s->Beam(1).SetPos(0, 0);
    EXPECT_EQ(s->Beam(1).ResultValue(0), 42);
}

TEST(ElCompSeries, OneSpanAndStackedRectangles) {
    TTestHost host;
    auto one = Series(host, "", 1);
    TRect sub;
    host.Equations.Clear();
    one->BuildEquations(host.Equations);
    for (int r = 0; r < host.Equations.Count(); ++r)
        EXPECT_EQ(host.Equations.Name(r).find("Cnt"), std::string::npos) << "no joint in a single span";

    auto two = Series(host, "{ELEMS={Span1={PARAMS={H=1}}, Span2={PARAMS={H=3}}}}");
    EXPECT_EQ(two->HeightUpTo(1), 4);
    two->SpanRect(0, {0, 0, 100, 400}, sub);
    EXPECT_EQ(sub, (TRect{0, 300, 100, 400})) << "span 1 at the bottom";
    two->SpanRect(1, {0, 0, 100, 400}, sub);
    EXPECT_EQ(sub, (TRect{0, 0, 100, 300}));
    // The hint of a point goes to the span under it.
    SetHintNumberFormat([](Extended x) { return RealToStrGen(4, 2, x); });
    EXPECT_EQ(two->HitText({0, 0, 100, 400}, {50, 350}), "0.5");
    EXPECT_EQ(two->HitText({0, 0, 100, 400}, {50, 0}), "3");
    EXPECT_EQ(two->HitText({0, 0, 100, 400}, {150, 0}), "");
    SetHintNumberFormat([](Extended x) { return RealToStrExp(11, 4, x); });
}

TEST(ElCompSeries, HydrostaticsOverSpans) {
    TTestHost host;
    auto s = Series(host, "{LOADS={Gidr=10000}, ELEMS={Span1={PARAMS={H=1}}, Span2={PARAMS={H=1}}}}");
    auto load = [&](int span, int i) {
        s->Beam(span).SetPos(0, i);
        return double(s->Beam(span).LoadValue(0));
    };
    EXPECT_DOUBLE_EQ(load(0, 0), 20000) << "the bottom carries gamma times the full height";
    EXPECT_DOUBLE_EQ(load(0, 4), 10000);
    EXPECT_DOUBLE_EQ(load(1, 0), 10000) << "continuous across the joint";
    EXPECT_DOUBLE_EQ(load(1, 4), 0);

    // A level inside span 2 (1.5 of 2): linear in span 1, the rest of the
    // liquid snapped to span 2's cells with its resultant kept.
    s->Loads().Item(1).SetText("[10000, 1.5]");
    s->Parse();
    EXPECT_DOUBLE_EQ(load(0, 0), 15000);
    EXPECT_DOUBLE_EQ(load(0, 4), 5000);
    EXPECT_EQ(load(1, 3), 0) << "above the level";
    // Span 2's liquid, 0.5 deep, snaps to the cell edge 0.375 (node 1): the
    // trapezoid over [0, 0.375] carries the resultant of the 0.5 m.
    const auto& p = s->Beam(1).LoadFuncs[0][0]->Params;
    EXPECT_EQ(p[2], 1);
    const Extended trapezoid = (p[3] + p[4]) * 0.375L / 2;
    EXPECT_NEAR(double(trapezoid), 10000 * 0.5 * 0.5 / 2, 1e-9);

    EXPECT_EQ(test::MessageOf([&] {
                  s->Loads().Item(1).SetText("[10000, [1, 2]]");
                  s->Parse();
              }),
              "Ошибка значения");
}

TEST(ElCompSeries, SharedTableAndScale) {
    TTestHost host;
    auto s = Series(host, "{LOADS={Uniform=1}, ELEMS={Span1={PARAMS={H=1}, MESH={mesh_x=2}}, "
                          "Span2={PARAMS={H=1}, MESH={mesh_x=1}}}}");
    auto values = std::make_unique<TValueList>();
    values->Add(std::make_unique<TALineItem>(std::initializer_list<Extended>{1, -3, 2}));
    values->Add(std::make_unique<TALineItem>(std::initializer_list<Extended>{5, 4}));
    TTableModel table;
    s->FillTable(table, values.get());
    ASSERT_EQ(table.RowCount(), 6);
    EXPECT_EQ(table.Text(0, 1) + "|" + table.Text(0, 5), "1: Span2|0: Span1") << "the last span's last node on top";
    EXPECT_EQ(table.MaxPos, (TCellPos{1, 2}));
    EXPECT_EQ(table.MinPos, (TCellPos{1, 4}));

    // All spans share one colour step: the largest magnitude over the levels.
    TRecordingCanvas canvas;
    TLevelScale scale;
    s->DrawGraph(canvas, {0, 0, 100, 400}, 0, values.get(), scale);
    EXPECT_EQ(scale.Steps, std::vector<Extended>(5, 1.0L));
}
