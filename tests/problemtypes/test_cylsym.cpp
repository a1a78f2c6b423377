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

TEST(CylSym, DefaultShellHasNineRowsAndTheSteelStiffnesses) {
    auto p = MakeProblem("CylSym");
    EXPECT_EQ(p->Root().GetCaption(), ProblemTypeCaption(ProblemTypeByName("CylSym")));
    ASSERT_EQ(p->Domains().size(), 1u);
    // Clamped bottom ("Eq", "dw", "w"), free top ("Eq", "M1", "Q1").
    EXPECT_THAT(RowNames(*p), ElementsAre("Eq(0)", "dw(0)", "w(0)", "Eq(1)", "Eq(2)", "Eq(3)", "Eq(4)", "M1(4)",
                                          "Q1(4)"));
    EXPECT_EQ(p->UnknownCount(), 9u);
    TDmCylSym& cyl = CylOf(*p);
    EXPECT_NEAR(cyl.Rigidity, 18864.47, 0.01);  // 0.01 (0.01^2 2.06e11) / 12 / 0.91
    EXPECT_DOUBLE_EQ(cyl.HoopStiffness, 2.06e8);
    // The default liquid fills the shell: gamma H at the bottom, 0 at the top.
    cyl.SetPos(0, 0);
    EXPECT_NEAR(static_cast<double>(cyl.InputValue(0)), 1e5, 1e-6);
    cyl.SetPos(0, 4);
    EXPECT_NEAR(static_cast<double>(cyl.InputValue(0)), 0, 1e-6);
    // The caption names the entries in the order the load reads them.
    const TElemList& loads = p->Root().Loads();
    EXPECT_EQ(loads.Item(loads.IndexOfKey("Gidr")).Caption(),
              "Гидростататика [плотность жидкости (Н/м^3), высота залива (м)]");
}

TEST(CylSym, EachEndGetsTheRowsOfWhatIsGiven) {
    auto p = MakeProblem("CylSym");
    // Hinged bottom (w and M1), clamped top (w and dw).
    for (auto [key, text] : {std::pair{"dw_bot", ""}, {"M1_bot", "0"}, {"w_top", "0"}, {"dw_top", "0"},
                             {"Q1_top", ""}, {"M1_top", ""}})
        SetItem(p->Root(), "BOUNDS", key, text);
    Reparse(*p);
    EXPECT_THAT(RowNames(*p), ElementsAre("Eq(0)", "M1(0)", "w(0)", "Eq(1)", "Eq(2)", "Eq(3)", "w(4)", "dw(4)",
                                          "Eq(4)"));
    // An end with neither w nor Q1 (or neither dw nor M1) cannot be closed.
    SetItem(p->Root(), "BOUNDS", "w_bot", "");
    Reparse(*p);
    EXPECT_THROW(
        try { p->BuildEquations(); } catch (const ZemError& e) {
            EXPECT_STREQ(e.what(), "Не задано ни w_bot, ни Q1_bot");
            throw;
        },
        ZemError);
}

TEST(CylSym, BoundaryRowsFixTheQuantityToTheGivenValue) {
    // Regression: a boundary row once fixed its quantity to the negative of
    // the given value, so w_bot = 0.01 gave w = -0.01 at the bottom.
    auto p = MakeProblem("CylSym");
    for (auto [key, text] : {std::pair{"w_bot", "0.01"}, {"dw_bot", "0.002"}, {"Q1_top", "50"}, {"M1_top", "20"}})
        SetItem(p->Root(), "BOUNDS", key, text);
    SetItem(p->Root(), "LOADS", "Gidr", "");
    SetItem(p->Root(), "MESH", "mesh_x", "40");
    Reparse(*p);
    Solve(*p);
    EXPECT_NEAR(Results(*p, TDmCylSym::rkW).front(), 0.01, 1e-12);
    EXPECT_NEAR(Results(*p, TDmCylSym::rkDwx).front(), 0.002, 1e-12);
    EXPECT_NEAR(Results(*p, TDmCylSym::rkQ1).back(), 50, 1e-6);
    EXPECT_NEAR(Results(*p, TDmCylSym::rkM1).back(), 20, 1e-6);
}

TEST(CylSym, LoadsParametersAndStresses) {
    auto p = MakeProblem("CylSym");
    SetItem(p->Root(), "LOADS", "Gidr", "");
    SetItem(p->Root(), "LOADS", "Uniform", "[100, 50]");
    Reparse(*p);
    TDmCylSym& cyl = CylOf(*p);
    for (int i = 0; i <= 4; ++i) {
        cyl.SetPos(0, i);
        EXPECT_EQ(cyl.InputValue(0), 150) << "node " << i;
        EXPECT_EQ(cyl.InputValue(1), 0);
    }

    // Bad values name the parameter.
    auto message = [&](const std::string& section, const std::string& key, const std::string& text) {
        auto q = MakeProblem("CylSym");
        try {
            SetItem(q->Root(), section, key, text);
            Reparse(*q);
        } catch (const ZemError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(message("LOADS", "Gidr", "[10000, [5, 6]]"), "Ошибка в значении параметра Gidr");
    EXPECT_EQ(message("LOADS", "Uniform", "[1, [2, 3]]"), "Ошибка в значении параметра Uniform");
    EXPECT_EQ(message("PARAMS", "t", "0"), "Ошибка в значении параметра t");
    EXPECT_EQ(message("PARAMS", "mu", "1"), "Ошибка в значении параметра mu");

    // The equivalent stress is the larger von Mises stress of the two faces.
    EXPECT_DOUBLE_EQ(static_cast<double>(TDmCylSym::EquivalentStress(3, -4)), std::sqrt(37.0));
    EXPECT_DOUBLE_EQ(static_cast<double>(TDmCylSym::EquivalentStress(-3, -4)), std::sqrt(37.0));
    Solve(*p);
    const auto m1 = Results(*p, TDmCylSym::rkM1), n2 = Results(*p, TDmCylSym::rkN2), w = Results(*p, 0);
    const auto s1 = Results(*p, TDmCylSym::rkSig1), s2 = Results(*p, TDmCylSym::rkSig2);
    const auto eq = Results(*p, TDmCylSym::rkSigEq);
    for (int i : {0, 2}) {
        EXPECT_NEAR(n2[i], w[i] * 2.06e8, 1e-9 * std::fabs(n2[i]) + 1e-12);
        EXPECT_NEAR(s1[i], m1[i] * 6 / 1e-4, 1e-9 * std::fabs(s1[i]));
        EXPECT_NEAR(s2[i], n2[i] / 0.01, 1e-9 * std::fabs(s2[i]) + 1e-12);
        EXPECT_NEAR(eq[i], std::sqrt(s1[i] * s1[i] + s2[i] * s2[i] + std::fabs(s1[i] * s2[i])), 1e-9 * eq[i]);
    }
    EXPECT_GT(std::fabs(s1[0]), 0);  // the clamped edge bends
    EXPECT_EQ(Results(*p, 8), std::vector<double>(5, 0.0));
}
