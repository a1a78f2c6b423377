// Compound elements: a stepped beam solved through its spans, the joint rows
// and their names, span rectangles, the hydrostatic load over spans, the
// shared table and scale, and the interpolating joints of surface spans.
#include "domains/model_elements.h"
#include "elements/ElComp.h"
#include "elements/MyStr.h"
#include "platform/cp1251.h"

#include <cstdio>
#include <filesystem>
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
    EXPECT_EQ(host.Equations.Name(0), "Span1.Eq(0)");
    EXPECT_EQ(host.Equations.Name(1), "Span1.dw(0)");
    EXPECT_EQ(host.Equations.Name(4), "Cnt(w[0,1])");
    EXPECT_EQ(host.Equations.Name(5), "Cnt(dw[0,1])");
    EXPECT_EQ(host.Equations.Name(6), "Span1.Eq(2)");
    EXPECT_EQ(host.Equations.Name(7), "Span2.Eq(0)");
    EXPECT_EQ(host.Equations.Name(8), "Cnt(Q1[0,1])");
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
    one->SpanRect(0, {0, 0, 100, 400}, sub);
    EXPECT_EQ(sub, (TRect{0, 0, 100, 400}));
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

    EXPECT_EQ([&] {
        try {
            s->Loads().Item(1).SetText("[10000, [1, 2]]");
            s->Parse();
        } catch (const ZemError& e) {
            return std::string(e.what());
        }
        return std::string("accepted");
    }(), "Ошибка значения");
}

TEST(ElCompSeries, RefiningASpanKeepsTheCompoundsLoads) {
    TTestHost host;
    auto s = Series(host, "{LOADS={Gidr=10000}, ELEMS={Span1={PARAMS={H=1}}, Span2={PARAMS={H=1}}}}");
    s->Span(0).RefineMesh(0, nullptr);
    EXPECT_EQ(s->Span(0).Mesh().ItemText(0), "8");
    EXPECT_NE(s->Text().find("mesh_x=8"), std::string::npos) << "the new mesh reaches the compound's text";
    s->Beam(0).SetPos(0, 0);
    EXPECT_DOUBLE_EQ(double(s->Beam(0).LoadValue(0)), 20000);
    EXPECT_EQ(s->Beam(0).Boundary, &s->Bounds()) << "the compound's boundary conditions stay";
}

TEST(ElCompSeries, SharedTableScaleAndExport) {
    TTestHost host;
    auto s = Series(host, "{LOADS={Uniform=1}, ELEMS={Span1={PARAMS={H=1}, MESH={mesh_x=2}}, "
                          "Span2={PARAMS={H=1}, MESH={mesh_x=1}}}}");
    auto values = std::make_unique<TValueList>();
    values->Add(std::make_unique<TALineItem>(std::initializer_list<Extended>{1, -3, 2}));
    values->Add(std::make_unique<TALineItem>(std::initializer_list<Extended>{5, 4}));
    TTableModel table;
    s->FillTable(table, values.get());
    ASSERT_EQ(table.RowCount(), 6);
    EXPECT_EQ(table.Text(0, 1), "1: Span2") << "the last span's last node on top";
    EXPECT_EQ(table.Text(0, 3), "1: Span1");
    EXPECT_EQ(table.Text(0, 5), "0: Span1");
    EXPECT_EQ(table.MaxPos, (TCellPos{1, 2}));
    EXPECT_EQ(table.MinPos, (TCellPos{1, 4}));

    // All spans share one colour step: the largest magnitude over the levels.
    struct TStepProbe : TColorScale {
        mutable std::vector<Extended> Steps;
        int LevelCount() const override { return 10; }
        TColor ColorFor(Extended, Extended step) const override {
            Steps.push_back(step);
            return 0;
        }
        bool MeshVisible() const override { return false; }
    } scale;
    struct : TCanvas {
        void FillRect(const TRect&, TColor) override {}
        void SetPenColor(TColor) override {}
        void SetPenWidth(int) override {}
        void Line(int, int, int, int) override {}
        void Polyline(const std::vector<TPoint>&) override {}
        void TextOut(int, int, const std::string&) override {}
    } canvas;
    s->DrawGraph(canvas, {0, 0, 100, 400}, 0, values.get(), scale);
    ASSERT_EQ(scale.Steps.size(), 5u);
    for (Extended step : scale.Steps) EXPECT_EQ(step, 0.5L);

    const std::string file = (std::filesystem::temp_directory_path() / "zem_series.txt").string();
    s->SaveValues(values.get(), file);
    const auto lines = ReadTextFile(file);
    ASSERT_EQ(lines.size(), 5u) << "every span's values, in span order";
    EXPECT_DOUBLE_EQ(double(StrToReal(lines[3])), 5);
    std::remove(file.c_str());
}

namespace {

// Two membrane spans on top of each other, with their own circumferential meshes.
class TMembraneSeries : public TElCompSeriesD2 {
public:
    TMembraneSeries(TObject* owner, std::string key) : TElCompSeriesD2(owner, std::move(key)) {}
    std::string GetCaption() const override { return "Мембраны"; }
    std::string GetTypeName() const override { return "CompMembrane"; }
    void DeclareItems() override {
        for (const char* key : {"Span1", "Span2"}) {
            auto& span = static_cast<TElMembrane&>(AddChild(std::make_unique<TElMembrane>(&Elems(), key)));
            span.DeclareItems();
        }
    }
    std::size_t UnknownOffset(const TElement* child, std::size_t index) const override {
        for (int i = 0; i < ChildCount() && &Child(i) != child; ++i)
            index += static_cast<std::size_t>((SpanDomain(i).StepCount(0) + 3) * SpanDomain(i).StepCount(1));
        return index;
    }
};

}  // namespace

TEST(ElCompSeriesD2, JointInterpolatesAroundTheCircumference) {
    TTestHost host;
    auto s = MakeRoot<TMembraneSeries>(
        host, "{ELEMS={Span1={MESH={mesh_x=2, mesh_y=8}}, Span2={MESH={mesh_x=2, mesh_y=4}}}}");
    TDomain& lower = s->SpanDomain(0);
    TDomain& upper = s->SpanDomain(1);
    auto value = [](TDomain& d, double w) { d.AddCoef(0, d.Pos, w); };
    TEquationList eq;
    upper.SetPos(0, 0);
    lower.SetPos(0, 2);
    for (int j : {1, 2, 7}) {
        lower.SetPos(1, j);
        s->AddJointEquation(eq, 0, "w", value, value, 1);
    }
    ASSERT_EQ(eq.Count(), 3);
    EXPECT_EQ(eq.Name(0), "Cnt.w(0,1)[1]");
    EXPECT_EQ(eq.Name(2), "Cnt.w(0,1)[7]");

    // Node 1 of 8 lies halfway between nodes 0 and 1 of 4.
    const auto& t0 = eq.Entry(0).Terms;
    ASSERT_EQ(t0.size(), 3u);
    EXPECT_EQ(t0[0]->Weight, 1);
    EXPECT_EQ(t0[0]->NodeIdx, (TNodeIdx{2, 1}));
    EXPECT_EQ(t0[1]->NodeIdx, (TNodeIdx{0, 0}));
    EXPECT_NEAR(t0[1]->Weight, -0.5, 1e-15);
    EXPECT_EQ(t0[2]->NodeIdx, (TNodeIdx{0, 1}));
    EXPECT_NEAR(t0[2]->Weight, -0.5, 1e-15);
    // Node 2 of 8 is node 1 of 4.
    ASSERT_EQ(eq.Entry(1).Terms.size(), 2u);
    EXPECT_EQ(eq.Entry(1).Terms[1]->NodeIdx, (TNodeIdx{0, 1}));
    EXPECT_EQ(eq.Entry(1).Terms[1]->Weight, -1);
    // Node 7 of 8 lies between node 3 and node 4, which closes onto node 0.
    const auto& t2 = eq.Entry(2).Terms;
    ASSERT_EQ(t2.size(), 3u);
    EXPECT_EQ(t2[2]->NodeIdx[1], 4);
    EXPECT_NEAR(t2[2]->Weight, -0.5, 1e-12);

    // The row of the last joint: +1 at lower (2, 7), -1/2 at upper (0, 3) and (0, 0).
    host.Equations.Clear();
    host.Equations.AddTerms("joint", [&] {
        std::vector<std::unique_ptr<TSLAEEquat>> terms;
        for (const auto& t : t2) terms.push_back(std::make_unique<TSLAEEquat>(*t));
        return terms;
    }());
    host.BuildRow(0);
    const std::size_t lowerCount = (2 + 3) * 8;  // the first span's unknowns
    EXPECT_EQ(host.Row.size(), 3u);
    EXPECT_EQ(host.Row.at((2 + 1) * 8 + 7), 1);
    EXPECT_NEAR(double(host.Row.at(lowerCount + 4 + 0)), -0.5, 1e-12) << "node 4 is node 0's column";
    EXPECT_NEAR(double(host.Row.at(lowerCount + 4 + 3)), -0.5, 1e-12);
}
