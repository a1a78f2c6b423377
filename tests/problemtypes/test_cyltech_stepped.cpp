// The stepped technical-theory cylinder "CompCylTech": spans and their
// thickness, joint rows, loads spread over the spans, and solutions against
// the single shell.
#include "cylinders.h"

#include <gtest/gtest.h>

using namespace zem;
using namespace zem::cyltest;

namespace {

constexpr double kPi = std::numbers::pi;

// Two spans of heights h1, h2 and meshes (n1, m1), (n2, m2) on R = 1,
// E = 2.06e11, under the given loads.
std::unique_ptr<TProblem> Stepped(double h1, int n1, int m1, double h2, int n2, int m2, const TSettings& loads) {
    TSettings s = {{"PARAMS.E", "2.06e11"}};
    for (auto [span, h, n, m] : {std::tuple{"ELEMS.Span1.", h1, n1, m1}, {"ELEMS.Span2.", h2, n2, m2}})
        s.insert(s.end(), {{span + std::string("PARAMS.H"), RealToStrGen(15, 1, h)},
                           {span + std::string("MESH.mesh_x"), std::to_string(n)},
                           {span + std::string("MESH.mesh_y"), std::to_string(m)}});
    s.insert(s.end(), loads.begin(), loads.end());
    return MakeProblem("CompCylTech", s);
}

std::unique_ptr<TProblem> Single(int n, int m, const TSettings& loads) {
    TSettings s = {{"PARAMS.R", "1"}, {"PARAMS.H", "1"}, {"MESH.mesh_x", std::to_string(n)},
                   {"MESH.mesh_y", std::to_string(m)}};
    s.insert(s.end(), loads.begin(), loads.end());
    return MakeProblem("CylTech", s);
}

}  // namespace

TEST(CompCylTech, SpansRowsAndThickness) {
    auto p = MakeProblem("CompCylTech");
    EXPECT_EQ(p->Domains().size(), 2u);
    p->BuildEquations();
    ASSERT_EQ(p->UnknownCount(), 2u * 3 * 4 * 9);
    // Span 1's start (36) and inner rows (36), then the joint.
    const TEquationList& eq = p->Equations();
    const std::pair<int, const char*> names[] = {
        {0, "Span1.Nil(u)"},        {72, "Cnt.u(0,1)[0]"},   {86, "Cnt.dw0(0,1)[0]"}, {98, "Span1.EqIII(4,0)"},
        {110, "Cnt.Q1g(1,0)[0]"}, {121, "Cnt.S1g(1,0)[0]"}, {132, "Span2.EqI(0,0)"}, {215, "Span2.Q1(4,3)"}};
    for (const auto& [row, name] : names) EXPECT_EQ(eq.Name(row), name);

    // A span without its own thickness takes the compound's.
    EXPECT_EQ(InputAt(CylTechOf(*p, 0), 0, 2, 1), 0.01);
    auto q = MakeProblem("CompCylTech", {{"PARAMS.t", "0.02"}, {"ELEMS.Span2.PARAMS.t", "0.03"}});
    EXPECT_EQ(InputAt(CylTechOf(*q, 0), 0, 2, 1), 0.02);
    EXPECT_EQ(InputAt(CylTechOf(*q, 1), 0, 2, 1), 0.03);
}

TEST(CompCylTech, SpansJoinAsTheSingleShell) {
    // Hydrostatic and a second harmonic of wind: every joint condition, the
    // circumferential ones included, is at work.
    const TSettings loads = {{"LOADS.Gidr", "10000"}, {"LOADS.Wind", "[0, 0, 1000]"}};
    auto stepped = Stepped(0.5, 20, 8, 0.5, 20, 8, loads);
    auto single = Single(40, 8, loads);
    auto unequal = Stepped(0.5, 20, 16, 0.5, 20, 8, loads);
    for (auto* p : {&stepped, &single, &unequal}) Solve(**p);
    TDmCylTech& s = CylTechOf(*single);
    const double scale = MaxAbsW(s);
    for (int span = 0; span < 2; ++span)
        for (int i = 0; i <= 20; ++i)
            for (int j = 0; j < 8; ++j)
                for (int kind : {0, 1, 2})
                    ASSERT_NEAR(ResultAt(CylTechOf(*stepped, span), kind, i, j), ResultAt(s, kind, i + 20 * span, j),
                                1e-8 * scale)
                        << "span " << span << " node " << i << "," << j << " kind " << kind;
    // Different meshes around: nodes in common carry one deflection; the
    // lower span's nodes between them follow the upper span's line.
    TDmCylTech& lower = CylTechOf(*unequal, 0);
    TDmCylTech& upper = CylTechOf(*unequal, 1);
    for (int j = 0; j < 8; ++j) {
        EXPECT_NEAR(ResultAt(lower, 2, 20, 2 * j), ResultAt(upper, 2, 0, j), 1e-10 * scale);
        const double mid = (ResultAt(upper, 2, 0, j) + ResultAt(upper, 2, 0, (j + 1) % 8)) / 2;
        EXPECT_NEAR(ResultAt(lower, 2, 20, 2 * j + 1), mid, 1e-10 * scale);
    }
    // Under a load the same all around, that joint is exact: the single
    // shell with the finer mesh.
    auto hydro = Stepped(0.5, 20, 16, 0.5, 20, 8, {{"LOADS.Gidr", "10000"}});
    auto fine = Single(40, 16, {{"LOADS.Gidr", "10000"}});
    Solve(*hydro);
    Solve(*fine);
    for (int i = 0; i <= 20; ++i)
        for (int j = 0; j < 16; j += 5) {
            EXPECT_NEAR(ResultAt(CylTechOf(*hydro, 0), 2, i, j), ResultAt(CylTechOf(*fine), 2, i, j), 1e-8 * scale);
            EXPECT_NEAR(ResultAt(CylTechOf(*hydro, 1), 2, i, j / 2), ResultAt(CylTechOf(*fine), 2, i + 20, j),
                        1e-8 * scale);
        }
}

TEST(CompCylTech, LoadsSpreadOverTheSpans) {
    // Spans 0.25 and 0.75 m high.
    auto load = [](const TSettings& loads) {
        TSettings s = {{"LOADS.Gidr", ""}};
        s.insert(s.end(), loads.begin(), loads.end());
        return Stepped(0.25, 4, 8, 0.75, 12, 8, s);
    };
    auto full = load({{"LOADS.Gidr", "10000"}});
    for (auto [span, i, q] : {std::tuple{0, 0, 10000}, {0, 4, 7500}, {1, 0, 7500}, {1, 12, 0}})
        EXPECT_NEAR(InputAt(CylTechOf(*full, span), 1, i, 0), q, 1e-9) << "continuous over the joint";
    // A level surface given with its angle matches the plain load.
    auto level = load({{"LOADS.Gidr", "[10000, 0.6, 0]"}});
    auto plain = load({{"LOADS.Gidr", "[10000, 0.6]"}});
    for (int span = 0; span < 2; ++span)
        for (int i = 0; i <= (span ? 12 : 4); ++i)
            EXPECT_NEAR(InputAt(CylTechOf(*level, span), 1, i, 3), InputAt(CylTechOf(*plain, span), 1, i, 3), 1e-8);

    // Wind reaches every span; a rectangle in the compound's coordinate is
    // cut to the spans it covers.
    auto wind = load({{"LOADS.Wind", "[0, 100]"}, {"LOADS.q_Rect", "[0.1, 0, 0.45, 1, 500]"}});
    for (auto [span, i, j, q] : {std::tuple{1, 6, 0, 100.0}, {0, 2, 0, 600.0} /* x = 0.125 */, {0, 0, 0, 100.0},
                                 {1, 3, 0, 600.0} /* x = 0.4375 */, {1, 3, 1, 500 + 100 * std::cos(kPi / 4)},
                                 {1, 3, 2, 0.0} /* beyond the arc */})
        EXPECT_NEAR(InputAt(CylTechOf(*wind, span), 1, i, j), q, 1e-12) << span << ": " << i << "," << j;
}

TEST(CompCylTech, SpanRefinedAloneKeepsTheCompoundsLoadsAndEnds) {
    auto p = Stepped(0.5, 10, 8, 0.5, 10, 8, {{"LOADS.Gidr", "10000"}, {"BOUNDS.w_bot", "[0, [1e-6, 2e-6]]"}});
    auto& span = dynamic_cast<TDmElement&>(dynamic_cast<TElComp&>(p->Root()).Elems().Item(0));
    span.RefineMesh(1, nullptr);
    p->CollectDomains();
    TDmCylTech& lower = CylTechOf(*p, 0);
    ASSERT_EQ(lower.StepCount(1), 16);
    EXPECT_GT(InputAt(lower, 1, 0, 5), 9000) << "the compound's liquid";
    Solve(*p);
    for (int j = 0; j < 16; ++j)
        EXPECT_NEAR(ResultAt(lower, 2, 0, j), 1e-6 * std::cos(2 * kPi * j / 16) + 2e-6 * std::sin(2 * kPi * j / 16),
                    1e-18)
            << "the compound's bottom";
}
