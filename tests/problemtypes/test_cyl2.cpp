// The higher-accuracy cylinders: the rows each end gets, the meshes they
// refuse, and their convergence on a long steel tank (R = 10 m, t = 0.01 m,
// H = 10 m, beta H = 40) clamped at its foot and filled with liquid, whose
// closed-form solution is the membrane deflection plus the decaying edge
// solution of the clamped foot; and a wind load of one harmonic.
#include "cylinders.h"

#include "platform/errors.h"
#include "testutil.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace zem;
using namespace zem::cyltest;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

constexpr double kR = 10, kT = 0.01, kH = 10, kGamma = 10000;
const double kScale = kGamma * kH * kR * kR / (2.06e11 * kT);  // the membrane deflection at the foot

// w(x) of the full tank (the free top needs no edge solution: a linear w has
// no moment or shear).
double Tank(double x) { return ClampedLongShell(x, kR, kT, 0, kGamma, kH); }

// The largest error of w over the nodes, relative to the foot's membrane deflection.
double TankError(const std::string& type, int mesh) {
    if (type.rfind("CylSym", 0) == 0) {
        auto p = MakeProblem(type, {{"MESH.mesh_x", std::to_string(mesh)}});
        Solve(*p);
        const auto w = Results(*p, TDmCylSym::rkW);
        double e = 0;
        for (int i = 0; i <= mesh; ++i) e = std::max(e, std::fabs(w[static_cast<std::size_t>(i)] - Tank(i * kH / mesh)));
        return e / kScale;
    }
    // The technical-theory shell under the same axisymmetric load: N1 = 0
    // from the free top down, so w obeys the same beam equation.
    auto p = MakeProblem(type, {{"MESH.mesh_x", std::to_string(mesh)}, {"MESH.mesh_y", "4"}});
    Solve(*p);
    TDmCylTech& d = CylTechOf(*p);
    double e = 0;
    for (int i = 0; i <= mesh; ++i)
        for (int j = 0; j < 4; ++j) e = std::max(e, std::fabs(ResultAt(d, 2, i, j) - Tank(i * kH / mesh)));
    return e / kScale;
}

// Error ratios over successive doublings of the mesh, starting at mesh0.
std::vector<double> Ratios(const std::string& type, int mesh0, int doublings) {
    std::vector<double> r;
    double previous = TankError(type, mesh0);
    for (int k = 1; k <= doublings; ++k) {
        const double e = TankError(type, mesh0 << k);
        r.push_back(previous / e);
        previous = e;
    }
    return r;
}

}  // namespace

// --- Rows ---------------------------------------------------------------------------------

TEST(CylSym2Rows, EndsCloseWithOneSidedDifferences) {
    // Clamped foot: "dw", "Fct", "w", "dwR"; free top: "M1L", "Q1", "Fct", "M1".
    auto p = MakeProblem("CylSym2");
    EXPECT_EQ(p->Root().GetCaption(), ProblemTypeCaption(ProblemTypeByName("CylSym2")));
    EXPECT_THAT(RowNames(*p), ElementsAre("dw(0)", "Fct(1)", "w(0)", "dwR(0)", "Eq(2)", "M1L(4)", "Q1(4)",
                                          "Fct(3)", "M1(4)"));
    EXPECT_EQ(p->UnknownCount(), 9u);
    // A hinged foot and a clamped top of three steps: no shell equation.
    Edit(*p, {{"BOUNDS.dw_bot", ""}, {"BOUNDS.M1_bot", "0"}, {"BOUNDS.w_top", "0"}, {"BOUNDS.dw_top", "0"},
              {"MESH.mesh_x", "3"}});
    EXPECT_THAT(RowNames(*p), ElementsAre("M1(0)", "Fct(1)", "w(0)", "M1R(0)", "dwL(3)", "w(3)", "Fct(2)", "dw(3)"));
    EXPECT_EQ(p->UnknownCount(), 8u);
}

TEST(CylSym2Rows, MeshTooCoarseForTheEndRowsIsRefused) {
    // The shear row of a free end spans nine nodes, the mesh has eight at
    // three steps; two steps would write "Fct" twice at node 1.
    auto p = MakeProblem("CylSym2", {{"MESH.mesh_x", "3"}});
    EXPECT_THAT(test::MessageOf([&] { p->BuildEquations(); }), HasSubstr("mesh_x"));
    Edit(*p, {{"BOUNDS.w_top", "0"}, {"MESH.mesh_x", "2"}});
    EXPECT_THAT(test::MessageOf([&] { p->BuildEquations(); }), HasSubstr("не менее 3 шагов"));
}

TEST(CylTech2Rows, NineRowsPerCircumferentialNodeAtEachEnd) {
    const std::vector<std::string> inner = {"EqI(1,0)", "EqII(1,0)", "EqIII(1,0)", "EqI(2,0)", "EqII(2,0)",
                                            "EqIII(2,0)", "EqI(3,0)", "EqII(3,0)", "EqIII(3,0)"};
    auto rows = [&](std::vector<std::string> bottom, std::vector<std::string> top) {
        bottom.insert(bottom.end(), inner.begin(), inner.end());
        bottom.insert(bottom.end(), top.begin(), top.end());
        return bottom;
    };
    // Clamped bottom, free top, one circumferential step: 3 (N + 5) rows.
    // The uniform variant closes equation III and the shear by one-sided rows.
    for (const char* type : {"CylTech2_1", "CylTech2_2"}) {
        const std::string r = std::string(type) == "CylTech2_1" ? "R" : "", l = r.empty() ? "" : "L";
        auto p = MakeProblem(type, {{"MESH.mesh_y", "1"}});
        EXPECT_EQ(RowNames(*p), rows({"EqI(0,0)", "EqII(0,0)", "dw0(0,0)", "DfBT(u)(1,0)", "DfBT(v)(1,0)",
                                      "EqIII" + r + "(0,0)", "u(0,0)", "v(0,0)", "w(0,0)"},
                                     {"EqI(4,0)", "EqII(4,0)", "Q1g" + r + "(4,0)", "N1R(4,0)", "S1gR(4,0)",
                                      "EqIII" + l + "(4,0)", "N1(4,0)", "S1g(4,0)", "M1(4,0)"}))
            << type;
        EXPECT_EQ(p->UnknownCount(), 27u);
    }
    auto r = MakeProblem("CylTech2_2");
    EXPECT_EQ(RowNames(*r).size(), 108u);  // 3 M (N + 5), M = N = 4
    EXPECT_EQ(r->UnknownCount(), 108u);
}

TEST(CylTech2Rows, UniformVariantRefusesUnequalStepsByDirection) {
    // Its stencils weigh every row with the first step of the direction.
    auto p = MakeProblem("CylTech2_1", {{"MESH.mesh_x", "[0.25, 0.25, 0.5]"}});
    const std::string axial = test::MessageOf([&] { p->BuildEquations(); });
    EXPECT_THAT(axial, HasSubstr("продольном"));
    EXPECT_THAT(axial, HasSubstr("mesh_x"));
    EXPECT_EQ(p->Equations().Count(), 0) << "refused before any row";
    Edit(*p, {{"MESH.mesh_x", "8"}, {"MESH.mesh_y", "[[2, 0.25], [4, 0.75]]"}});
    EXPECT_THAT(test::MessageOf([&] { p->BuildEquations(); }), HasSubstr("окружном направлении (mesh_y)"));
    Edit(*p, {{"MESH.mesh_y", "4"}, {"MESH.mesh_x", "2"}});
    EXPECT_THAT(test::MessageOf([&] { p->BuildEquations(); }), HasSubstr("не менее 3 шагов"));
    // The mixed-stencil variant takes the unequal steps: a mesh graded
    // towards the clamped foot still gives the tank's deflection.
    auto q = MakeProblem("CylTech2_2", {{"MESH.mesh_x", "[[40, 0.2], [40, 0.8]]"}});
    Solve(*q);
    TDmCylTech& d = CylTechOf(*q);
    double e = 0;
    for (int i = 0; i <= 80; ++i) e = std::max(e, std::fabs(ResultAt(d, 2, i, 1) - Tank(double(d.NodeCoord(0, i)))));
    EXPECT_LT(e, 2e-3 * kScale);
}

// --- Convergence --------------------------------------------------------------------------

TEST(Cyl2Convergence, AxisymmetricTankAtFourthOrder) {
    // Observed error ratios per doubling from 80 steps (beta h = 0.5):
    // "CylSym" about 3.5, 3.9, 4.0 (second order), "CylSym2" about 7.2, 15,
    // 21 (fourth order and more, 25 per doubling up to 2560 steps).
    for (double r : Ratios("CylSym", 160, 2)) EXPECT_NEAR(r, 4, 0.3);
    const auto r2 = Ratios("CylSym2", 80, 3);
    for (double r : r2) EXPECT_GT(r, 7);
    EXPECT_GT(r2.back(), 14);
    EXPECT_LT(TankError("CylSym2", 640), TankError("CylSym", 640) / 100);
}

TEST(Cyl2Convergence, TechnicalTheoryVariantsFollowTheAxisymmetricShell) {
    // Same tank, four circumferential steps: "CylTech2_1" converges at fourth
    // order (ratios about 17, 15, 16), "CylTech2_2" at second (about 4.5,
    // 4.1, 4.0): its compact fourth derivatives set the order.
    for (double r : Ratios("CylTech2_1", 40, 3)) EXPECT_GT(r, 12);
    for (double r : Ratios("CylTech2_2", 40, 3)) EXPECT_NEAR(r, 4.2, 0.5);
    // Agreement with the axisymmetric variant on the same mesh.
    auto sym = MakeProblem("CylSym2", {{"MESH.mesh_x", "320"}});
    Solve(*sym);
    const auto w = Results(*sym, TDmCylSym::rkW);
    for (const char* type : {"CylTech2_1", "CylTech2_2"}) {
        auto p = MakeProblem(type, {{"MESH.mesh_x", "320"}, {"MESH.mesh_y", "4"}});
        Solve(*p);
        TDmCylTech& d = CylTechOf(*p);
        for (int i = 0; i <= 320; i += 8)
            ASSERT_NEAR(ResultAt(d, 2, i, 3), w[static_cast<std::size_t>(i)], 1e-3 * kScale) << type << " node " << i;
    }
}

TEST(Cyl2Convergence, OneHarmonicWindBendsAsTheCosine) {
    // q = 1000 cos(y/R): w follows cos and v sin around the circumference,
    // at every node of the axis.
    for (const char* type : {"CylTech2_1", "CylTech2_2"}) {
        auto p = MakeProblem(type, {{"LOADS.Gidr", ""}, {"LOADS.Wind", "[0, 1000]"}, {"MESH.mesh_x", "20"},
                                    {"MESH.mesh_y", "8"}});
        Solve(*p);
        TDmCylTech& d = CylTechOf(*p);
        double wMax = 0;
        for (int i = 0; i <= 20; ++i) {
            const double w0 = ResultAt(d, 2, i, 0), v2 = ResultAt(d, 1, i, 2);
            wMax = std::max(wMax, std::fabs(w0));
            for (int j = 0; j < 8; ++j) {
                const double a = 2 * std::numbers::pi * j / 8;
                EXPECT_NEAR(ResultAt(d, 2, i, j), w0 * std::cos(a), 1e-9 * std::fabs(w0) + 1e-18)
                    << type << " w at (" << i << ", " << j << ")";
                EXPECT_NEAR(ResultAt(d, 1, i, j), v2 * std::sin(a), 1e-9 * std::fabs(v2) + 1e-18)
                    << type << " v at (" << i << ", " << j << ")";
            }
        }
        EXPECT_GT(wMax, 0) << type;
    }
}
