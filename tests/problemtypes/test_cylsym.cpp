// The axisymmetric cylinder: its default problem, the rows each end gets from
// what is given there, prescribed edge values, loads and stresses.
#include "test_cylsym.h"

#include "platform/errors.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>

using namespace zem;
using namespace zem::cyltest;
using ::testing::ElementsAre;

TEST(CylSym, DefaultShell) {
    auto p = MakeProblem("CylSym");
    EXPECT_EQ(p->Root().GetCaption(), ProblemTypeCaption(ProblemTypeByName("CylSym")));
    // Clamped bottom ("Eq", "dw", "w"), free top ("Eq", "M1", "Q1").
    EXPECT_THAT(RowNames(*p), ElementsAre("Eq(0)", "dw(0)", "w(0)", "Eq(1)", "Eq(2)", "Eq(3)", "Eq(4)", "M1(4)",
                                          "Q1(4)"));
    EXPECT_EQ(p->UnknownCount(), 9u);
    TDmCylSym& cyl = CylOf(*p);
    EXPECT_NEAR(cyl.Rigidity, 18864.47, 0.01);  // 0.01 (0.01^2 2.06e11) / 12 / 0.91
    EXPECT_DOUBLE_EQ(cyl.HoopStiffness, 2.06e8);
    cyl.SetPos(0, 0);  // the default liquid fills the shell: gamma H at the bottom
    EXPECT_NEAR(static_cast<double>(cyl.InputValue(0)), 1e5, 1e-6);
    // The caption names the entries in the order the load reads them.
    const TElemList& loads = p->Root().Loads();
    EXPECT_EQ(loads.Item(loads.IndexOfKey("Gidr")).Caption(),
              "Гидростататика [плотность жидкости (Н/м^3), высота залива (м)]");
}

TEST(CylSym, EachEndGetsTheRowsOfWhatIsGiven) {
    auto p = MakeProblem("CylSym");
    // Hinged bottom (w and M1), clamped top (w and dw).
    Edit(*p, {{"BOUNDS", "dw_bot", ""}, {"BOUNDS", "M1_bot", "0"}, {"BOUNDS", "w_top", "0"},
              {"BOUNDS", "dw_top", "0"}, {"BOUNDS", "Q1_top", ""}, {"BOUNDS", "M1_top", ""}});
    EXPECT_THAT(RowNames(*p), ElementsAre("Eq(0)", "M1(0)", "w(0)", "Eq(1)", "Eq(2)", "Eq(3)", "w(4)", "dw(4)",
                                          "Eq(4)"));
    // Without w and Q1 the shell equation would be written twice at node 0.
    Edit(*p, {{"BOUNDS", "w_bot", ""}});
    try {
        p->BuildEquations();
        ADD_FAILURE() << "an open end was accepted";
    } catch (const ZemError& e) {
        EXPECT_STREQ(e.what(), "Не задано ни w_bot, ни Q1_bot");
    }
}

TEST(CylSym, BoundaryRowsFixTheQuantityToTheGivenValue) {
    // Regression: a boundary row fixed its quantity to the negative of the
    // given value, so w_bot = 0.01 gave w = -0.01 at the bottom.
    auto p = MakeProblem("CylSym");
    Edit(*p, {{"BOUNDS", "w_bot", "0.01"}, {"BOUNDS", "dw_bot", "0.002"}, {"BOUNDS", "Q1_top", "50"},
              {"BOUNDS", "M1_top", "20"}, {"LOADS", "Gidr", ""}, {"MESH", "mesh_x", "40"}});
    Solve(*p);
    EXPECT_NEAR(Results(*p, TDmCylSym::rkW).front(), 0.01, 1e-12);
    EXPECT_NEAR(Results(*p, TDmCylSym::rkDwx).front(), 0.002, 1e-12);
    EXPECT_NEAR(Results(*p, TDmCylSym::rkQ1).back(), 50, 1e-6);
    EXPECT_NEAR(Results(*p, TDmCylSym::rkM1).back(), 20, 1e-6);
}

TEST(CylSym, LoadsParametersAndStresses) {
    auto p = MakeProblem("CylSym");
    Edit(*p, {{"LOADS", "Gidr", ""}, {"LOADS", "Uniform", "[100, 50]"}});
    for (int i = 0; i <= 4; ++i) {
        CylOf(*p).SetPos(0, i);
        EXPECT_EQ(CylOf(*p).InputValue(0), 150) << "node " << i;
    }
    // Bad values name their parameter.
    for (auto [section, key, text] : {std::array<const char*, 3>{"LOADS", "Gidr", "[10000, [5, 6]]"},
                                      {"LOADS", "Uniform", "[1, [2, 3]]"}, {"PARAMS", "t", "0"},
                                      {"PARAMS", "mu", "1"}}) {
        auto q = MakeProblem("CylSym");
        try {
            Edit(*q, {{section, key, text}});
            ADD_FAILURE() << key << " = " << text << " was accepted";
        } catch (const ZemError& e) {
            EXPECT_EQ(e.what(), "Ошибка в значении параметра " + std::string(key));
        }
    }
    // The equivalent stress is the larger von Mises stress of the two faces.
    EXPECT_DOUBLE_EQ(static_cast<double>(TDmCylSym::EquivalentStress(3, -4)), std::sqrt(37.0));
    EXPECT_DOUBLE_EQ(static_cast<double>(TDmCylSym::EquivalentStress(-3, -4)), std::sqrt(37.0));
    Solve(*p);
    const double w = Results(*p, 0)[1], n2 = Results(*p, 2)[1], m1 = Results(*p, 4)[1];
    const double s1 = Results(*p, 5)[1], s2 = Results(*p, 6)[1], eq = Results(*p, 7)[1];
    EXPECT_NEAR(n2, w * 2.06e8, 1e-9 * n2);
    EXPECT_NEAR(s1, m1 * 6 / 1e-4, 1e-9 * std::fabs(s1));
    EXPECT_NEAR(s2, n2 / 0.01, 1e-9 * s2);
    EXPECT_NEAR(eq, std::sqrt(s1 * s1 + s2 * s2 + std::fabs(s1 * s2)), 1e-9 * eq);
}
