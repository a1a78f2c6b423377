// The stepped cylinder: rows of the spans and their joints, the liquid over
// the spans, equal spans against one cylinder, a span refined alone, spans of
// their own thickness, and the order of convergence through a joint.
#include "cylinders.h"

#include "platform/errors.h"
#include "testutil.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace zem;
using namespace zem::cyltest;
using ::testing::ElementsAre;

namespace {

// Steel, clamped at the bottom, free at the top.
const std::string kShell = "PARAMS={R=10, t=0.01, E=2.06e11, mu=0.3, H=";
const std::string kEnds = "}, BOUNDS={w_bot=0, dw_bot=0, Q1_top=0, M1_top=0}, LOADS={";

std::unique_ptr<TProblem> Stepped(const std::string& h, const std::string& spans, const std::string& loads) {
    return FromText("CompCylSym", "{" + kShell + h + kEnds + loads + "}, ELEMS={" + spans + "}}");
}

// The deflection of every span, nodes in order, each joint node once.
std::vector<double> Deflection(TProblem& p) {
    std::vector<double> w;
    for (std::size_t d = 0; d < p.Domains().size(); ++d) {
        auto span = Results(p, TDmCylSym::rkW, d);
        w.insert(w.end(), span.begin() + (d ? 1 : 0), span.end());
    }
    return w;
}

}  // namespace

TEST(CompCylSym, DefaultSeriesAndItsJointRows) {
    auto p = MakeProblem("CompCylSym");
    ASSERT_EQ(p->Domains().size(), 2u);
    EXPECT_THAT(RowNames(*p),
                ElementsAre("Span1.Eq(0)", "Span1.dw(0)", "Span1.w(0)", "Span1.Eq(1)", "Span1.Eq(2)", "Span1.Eq(3)",
                            "Cnt(w[0,1])", "Cnt(dw[0,1])", "Span1.Eq(4)", "Span2.Eq(0)", "Cnt(Q1[0,1])",
                            "Cnt(M1[0,1])", "Span2.Eq(1)", "Span2.Eq(2)", "Span2.Eq(3)", "Span2.Eq(4)",
                            "Span2.M1(4)", "Span2.Q1(4)"));
    auto load = [&](std::size_t d, int i) {
        CylSymOf(*p, d).SetPos(0, i);
        return static_cast<double>(CylSymOf(*p, d).InputValue(0));
    };
    EXPECT_DOUBLE_EQ(load(0, 0), 20000) << "the liquid fills both spans of 1 m";
    EXPECT_DOUBLE_EQ(load(1, 0), 10000) << "continuous across the joint";

    // A level inside span 2 (1.5 of 2 m): linear in span 1, the rest of the
    // liquid snapped to span 2's cells with its resultant kept: 0.5 m snaps
    // to the cell edge 0.375 (node 1), the trapezoid over [0, 0.375]
    // carries the resultant of the 0.5 m.
    Edit(*p, {{"LOADS.Gidr", "[10000, 1.5]"}});
    EXPECT_DOUBLE_EQ(load(0, 0), 15000);
    EXPECT_DOUBLE_EQ(load(0, 4), 5000);
    EXPECT_EQ(load(1, 3), 0) << "above the level";
    const auto& f = CylSymOf(*p, 1).LoadFuncs[0][0]->Params;
    EXPECT_EQ(f[2], 1);
    EXPECT_NEAR(double((f[3] + f[4]) * 0.375L / 2), 10000 * 0.5 * 0.5 / 2, 1e-9);
}

TEST(CompCylSym, UnequalSpansAndMeshesConvergeAtSecondOrderThroughTheJoint) {
    // A clamped long shell under a uniform pressure; the joint at 2.5 m lies
    // where the edge solution still varies.
    const double wInf = 1000 * 100 / (2.06e11 * 0.01);
    auto error = [&](int n) {
        auto p = Stepped("10", "Span1={PARAMS={H=2.5}, MESH={mesh_x=" + std::to_string(n) +
                                   "}}, Span2={PARAMS={H=7.5}, MESH={mesh_x=" + std::to_string(3 * n) + "}}",
                         "Uniform=1000");
        Solve(*p);
        double worst = 0;
        for (std::size_t d = 0; d < 2; ++d) {
            const auto w = Results(*p, TDmCylSym::rkW, d);
            for (int i = 0; i <= CylSymOf(*p, d).StepCount(0); ++i) {
                const double x = 2.5 * double(d) + double(CylSymOf(*p, d).NodeCoord(0, i));
                worst = std::max(worst, std::fabs(w[std::size_t(i)] - ClampedLongShell(x, 10, 0.01, 1000)));
            }
        }
        return worst;
    };
    const double e1 = error(40), e2 = error(80);
    EXPECT_LT(e2, 5e-3 * wInf);
    EXPECT_NEAR(std::log2(e1 / e2), 2, 0.2) << e1 << " then " << e2;
}

TEST(CompCylSym, EqualSpansBehaveAsOneCylinder) {
    const std::string loads = "Uniform=300, Gidr=10000";
    auto series = Stepped("5", "Span1={MESH={mesh_x=20}}, Span2={MESH={mesh_x=20}}", loads);
    auto single = FromText("CylSym", "{" + kShell + "10" + kEnds + loads + "}, MESH={mesh_x=40}}");
    Solve(*series);
    Solve(*single);
    EXPECT_EQ(series->UnknownCount(), 50u);  // (20 + 5) twice
    const auto a = Deflection(*series), b = Results(*single, TDmCylSym::rkW);
    ASSERT_EQ(a.size(), b.size());
    for (std::size_t i = 0; i < a.size(); ++i) EXPECT_NEAR(a[i], b[i], 1e-9 * b[1]) << "node " << i;

    // Each span refined alone keeps the compound's loads and ends.
    auto coarse = Stepped("5", "Span1={MESH={mesh_x=10}}, Span2={MESH={mesh_x=10}}", loads);
    coarse->DoubleMesh();
    EXPECT_NE(coarse->Root().Text().find("Span2={MESH={mesh_x=20}}"), std::string::npos);
    Solve(*coarse);
    EXPECT_EQ(Deflection(*coarse), a);
}

TEST(CompCylSym, SpansOfTheirOwnThickness) {
    // Under a uniform pressure each long span carries it as a membrane of its
    // own thickness, w = q R^2 / (E t_i); the joints keep w, w', Q1, M1.
    auto p = Stepped("10", "Span1={PARAMS={t=0.012}, MESH={mesh_x=160}}, Span2={MESH={mesh_x=200}}, "
                     "Span3={PARAMS={H=6, t=0.008}, MESH={mesh_x=96}}",
                     "Uniform=1000");
    Solve(*p);
    EXPECT_EQ(p->UnknownCount(), 160u + 200 + 96 + 15);
    const double thickness[] = {0.012, 0.01, 0.008};
    for (std::size_t d = 0; d < 3; ++d) {
        const double membrane = 1000 * 100 / (2.06e11 * thickness[d]);
        const auto w = Results(*p, TDmCylSym::rkW, d);
        EXPECT_NEAR(w[w.size() / 2], membrane, 1e-6 * membrane) << "span " << d + 1;
        if (d == 2) break;
        for (int kind : {TDmCylSym::rkW, TDmCylSym::rkDwx, TDmCylSym::rkQ1, TDmCylSym::rkM1}) {
            const double top = Results(*p, kind, d).back(), bottom = Results(*p, kind, d + 1).front();
            EXPECT_NEAR(top, bottom, 1e-6 * std::fabs(top)) << "joint " << d << ", result " << kind;
        }
    }
}
