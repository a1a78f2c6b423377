// The axisymmetric cylinder: the rows each end gets from what is given there,
// prescribed edge values, loads and stresses, and the analytic
// beam-on-elastic-foundation solution of a long steel shell (R = 10 m,
// t = 0.01 m, H = 10 m: beta H = 40, so the clamped bottom does not reach the
// free top) under a uniform pressure.
#include "cylinders.h"

#include "platform/errors.h"
#include "testutil.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace zem;
using namespace zem::cyltest;
using ::testing::ElementsAre;

namespace {

constexpr double kR = 10, kT = 0.01, kE = 2.06e11, kMu = 0.3, kH = 10;
const double kD = kE * kT * kT * kT / 12 / (1 - kMu * kMu);
const double kK = kE * kT / (kR * kR);              // foundation modulus E t / R^2
const double kBeta = std::pow(kK / (4 * kD), 0.25);  // beta^4 = E t / (4 R^2 D)

}  // namespace

TEST(CylSym, EachEndGetsTheRowsOfWhatIsGiven) {
    // The default: clamped bottom ("Eq", "dw", "w"), free top ("Eq", "M1", "Q1").
    auto p = MakeProblem("CylSym");
    EXPECT_THAT(RowNames(*p), ElementsAre("Eq(0)", "dw(0)", "w(0)", "Eq(1)", "Eq(2)", "Eq(3)", "Eq(4)", "M1(4)",
                                          "Q1(4)"));
    // Hinged bottom (w and M1), clamped top (w and dw).
    Edit(*p, {{"BOUNDS.dw_bot", ""}, {"BOUNDS.M1_bot", "0"}, {"BOUNDS.w_top", "0"}, {"BOUNDS.dw_top", "0"},
              {"BOUNDS.Q1_top", ""}, {"BOUNDS.M1_top", ""}});
    EXPECT_THAT(RowNames(*p), ElementsAre("Eq(0)", "M1(0)", "w(0)", "Eq(1)", "Eq(2)", "Eq(3)", "w(4)", "dw(4)",
                                          "Eq(4)"));
    // Without w and Q1 the shell equation would be written twice at node 0.
    Edit(*p, {{"BOUNDS.w_bot", ""}});
    EXPECT_EQ(test::MessageOf([&] { p->BuildEquations(); }), "Не задано ни w_bot, ни Q1_bot");
}

TEST(CylSym, BoundaryRowsFixTheQuantityToTheGivenValue) {
    // Regression: a boundary row fixed its quantity to the negative of the
    // given value, so w_bot = 0.01 gave w = -0.01 at the bottom.
    // The higher-accuracy variant writes its end rows by one-sided
    // differences of its own.
    for (const char* type : {"CylSym", "CylSym2"}) {
        auto p = MakeProblem(type, {{"BOUNDS.w_bot", "0.01"}, {"BOUNDS.dw_bot", "0.002"}, {"BOUNDS.Q1_top", "50"},
                                    {"BOUNDS.M1_top", "20"}, {"LOADS.Gidr", ""}, {"MESH.mesh_x", "80"}});
        Solve(*p);
        EXPECT_NEAR(Results(*p, TDmCylSym::rkW).front(), 0.01, 1e-12) << type;
        EXPECT_NEAR(Results(*p, TDmCylSym::rkDwx).front(), 0.002, 1e-12) << type;
        EXPECT_NEAR(Results(*p, TDmCylSym::rkQ1).back(), 50, 1e-6) << type;
        EXPECT_NEAR(Results(*p, TDmCylSym::rkM1).back(), 20, 1e-6) << type;
    }
}

TEST(CylSym, LoadsParametersAndStresses) {
    // Bad values name their parameter.
    for (auto [path, text] : {std::pair{"LOADS.Gidr", "[10000, [5, 6]]"}, {"LOADS.Uniform", "[1, [2, 3]]"},
                              {"PARAMS.t", "0"}, {"PARAMS.mu", "1"}})
        EXPECT_EQ(test::MessageOf([&] { MakeProblem("CylSym", {{path, text}}); }),
                  "Ошибка в значении параметра " + std::string(path).substr(std::string(path).find('.') + 1));

    auto p = MakeProblem("CylSym", {{"LOADS.Gidr", ""}, {"LOADS.Uniform", "[100, 50]"}});
    for (int i = 0; i <= 4; ++i) {
        CylSymOf(*p).SetPos(0, i);
        EXPECT_EQ(CylSymOf(*p).InputValue(0), 150) << "node " << i;
    }
    // The equivalent stress is the larger von Mises stress of the two faces.
    EXPECT_DOUBLE_EQ(static_cast<double>(TDmCylSym::EquivalentStress(3, -4)), std::sqrt(37.0));
    EXPECT_DOUBLE_EQ(static_cast<double>(TDmCylSym::EquivalentStress(-3, -4)), std::sqrt(37.0));
    // Each result kind in its place: N2 = E t w / R, Sig1 = 6 M1 / t^2, Sig2 = N2 / t.
    Solve(*p);
    const double w = Results(*p, 0)[1], n2 = Results(*p, 2)[1], m1 = Results(*p, 4)[1];
    EXPECT_NEAR(n2, w * 2.06e8, 1e-9 * n2);
    EXPECT_NEAR(Results(*p, 5)[1], m1 * 6 / 1e-4, 1e-9 * std::fabs(m1 * 6 / 1e-4));
    EXPECT_NEAR(Results(*p, 6)[1], n2 / 0.01, 1e-9 * n2 / 0.01);
}

namespace {

std::unique_ptr<TProblem> LongShell(int mesh, const char* uniform, const char* gidr) {
    auto p = MakeProblem("CylSym", {{"MESH.mesh_x", std::to_string(mesh)}, {"LOADS.Uniform", uniform},
                                    {"LOADS.Gidr", gidr}});
    Solve(*p);
    return p;
}

// The largest difference from Exact over the nodes at x = 0, 0.25, ..., 2.5
// (nodes of every mesh used), near the clamped edge where w varies. The
// meshes start at beta h = 0.5, where the error has reached its order.
template <class F>
double EdgeError(TProblem& p, int mesh, F exact) {
    const auto w = Results(p, TDmCylSym::rkW);
    double e = 0;
    for (int i = 0, every = mesh / 40; i <= 10 * every; i += every)
        e = std::max(e, std::fabs(w[i] - exact(i * kH / mesh)));
    return e;
}

}  // namespace

TEST(CylSymPhysics, UniformPressureFollowsTheClampedEdgeSolutionAtOrderTwo) {
    // A positive (outward) pressure q gives a positive deflection
    // w_inf = q R^2 / (E t) far from the edge, and near the clamped edge
    // w = w_inf (1 - e^(-beta x) (cos beta x + sin beta x)).
    const double wInf = 1000 / kK;
    auto exact = [](double x) { return ClampedLongShell(x, kR, kT, 1000); };
    double previous = 0;
    for (int mesh : {80, 160, 320, 640}) {
        auto p = LongShell(mesh, "1000", "");
        const auto w = Results(*p, TDmCylSym::rkW);
        for (int i = mesh / 2; i <= mesh; ++i) ASSERT_NEAR(w[i], wInf, 1e-7 * wInf) << "far from the edge, node " << i;
        const double error = EdgeError(*p, mesh, exact);
        EXPECT_NEAR(previous > 0 ? std::log2(previous / error) : 2.0, 2.0, 0.15) << "mesh " << mesh;
        previous = error;
        if (mesh == 640) {
            EXPECT_LT(error, 1e-3 * wInf);
            // M1 = -D w'' = -2 D beta^2 w_inf at the clamped edge.
            const double m1 = -2 * kD * kBeta * kBeta * wInf;
            EXPECT_NEAR(Results(*p, TDmCylSym::rkM1).front(), m1, 0.01 * std::fabs(m1));
        }
    }
}
