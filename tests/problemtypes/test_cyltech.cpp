// The technical-theory cylinder "CylTech": unknowns and row order, wall
// thickness regions, loads, stresses, and solutions checked against the
// axisymmetric shell and against the Fourier structure of a harmonic load.
#include "cylinders.h"

#include "platform/errors.h"
#include "testutil.h"

#include <gtest/gtest.h>

using namespace zem;
using namespace zem::cyltest;

namespace {

constexpr double kPi = std::numbers::pi;

// The message of the error that setting a path raises.
std::string ErrorOf(const std::string& path, const std::string& text) {
    return test::MessageOf([&] { MakeProblem("CylTech", {{path, text}}); });
}

// The steel shell R = H = 1 m, t = 0.01 m clamped at x = 0 under a full tank.
double TankDeflection(double x) { return ClampedLongShell(x, 1, 0.01, 0, 10000, 1); }

}  // namespace

TEST(CylTech, DefaultProblemRowsFollowTheUnknowns) {
    auto p = MakeProblem("CylTech");
    EXPECT_NEAR(double(CylTechOf(*p).Extent(1)), 2 * kPi * 10, 1e-12) << "the whole circumference";
    p->BuildEquations();
    ASSERT_EQ(p->UnknownCount(), 108u) << "3 M (N + 5) with N = M = 4";
    const TEquationList& eq = p->Equations();
    // Each row has its own unknown on the diagonal, and an identity row's
    // unknown appears in no other row.
    std::vector<bool> used(108, false);
    TRowItems items;
    for (std::size_t r = 0; r < 108; ++r) {
        p->GetRow(r, items);
        bool diagonal = false;
        for (const TListItem& it : items) {
            if (it.Col == r) diagonal = true;
            else used[it.Col] = true;
        }
        EXPECT_TRUE(diagonal) << eq.Name(int(r));
    }
    for (int r = 0; r < 108; ++r) EXPECT_FALSE(!eq.HasEquation(r) && used[std::size_t(r)]) << "row " << r;
}

TEST(CylTech, ThicknessRegions) {
    // Ten axial steps of 1 m, eight around of 2 pi 10/8 m.
    auto thickness = [&](const std::string& t) {
        auto p = MakeProblem("CylTech", {{"MESH.mesh_x", "10"}, {"MESH.mesh_y", "8"}, {"PARAMS.t", t}});
        auto m = p->Root().InputValues(0);
        return std::make_pair(std::move(p), std::unique_ptr<TMatrix>(static_cast<TMatrix*>(m.release())));
    };
    // A rectangle snapped outward to cell edges: nodes 2 ... 5 along, 0 ... 2
    // around (column 8 repeats node 0).
    auto [p1, rect] = thickness("[0.01, [1.8, 0, 5.2, 20, 0.02]]");
    for (int i = 0; i <= 10; ++i)
        for (int j = 0; j <= 8; ++j) {
            const bool inside = i >= 2 && i <= 5 && (j <= 2 || j == 8);
            EXPECT_EQ(rect->GetItem(i, j), inside ? 0.02 : 0.01) << i << "," << j;
        }
    // The stiffness follows the node.
    InputAt(CylTechOf(*p1), 0, 3, 1);
    EXPECT_DOUBLE_EQ(CylTechOf(*p1).D, 0.02 * 0.02 * 0.02 * 2.06e11 / 12 / (1 - 0.09));
    // Bilinear over the whole wall: 0.01 at the bottom to 0.02 at the top.
    auto [p2, ramp] = thickness("[0.05, [0, 0, 10, 62.84, 0.01, 0.02, 0.01, 0.02]]");
    for (int i = 0; i <= 10; ++i) EXPECT_NEAR(ramp->GetItem(i, 5), 0.01 + 0.001 * i, 1e-15);

    // Regions of another length, walls left without thickness, bad loads are refused.
    for (auto [path, text] : {std::pair{"PARAMS.t", "[0.01, [1, 2, 3]]"},
                              {"PARAMS.t", "[[0, 0, 5, 5, 0.02], [5, 0, 1, 0.02]]"}, {"PARAMS.t", ""},
                              {"PARAMS.R", "0"}, {"LOADS.Gidr", "[10000, [1, 2]]"}, {"LOADS.q_Rect", "[1, 2, 3]"},
                              {"LOADS.Wind", "[1, [1, 2, 3]]"}})
        EXPECT_EQ(ErrorOf(path, text), "Ошибка в значении параметра " + std::string(path).substr(std::string(path).find('.') + 1))
            << path << " = " << text;
}

TEST(CylTech, Loads) {
    const TSettings base = {{"PARAMS.R", "1"}, {"PARAMS.H", "1"}, {"MESH.mesh_x", "10"}, {"MESH.mesh_y", "8"}};
    auto with = [&](const std::string& key, const std::string& value) {
        TSettings s = base;
        s.insert(s.end(), {{"LOADS.Gidr", ""}, {"LOADS." + key, value}});
        return MakeProblem("CylTech", s);
    };
    // Filled to 0.5 m: nothing above the level, and a horizontal surface
    // given with its angle 0 loads exactly as without it.
    auto half = with("Gidr", "[10000, 0.5]");
    auto level = with("Gidr", "[10000, 0.5, 0]");
    TDmCylTech& h = CylTechOf(*half);
    EXPECT_GT(InputAt(h, 1, 0, 0), 5000);
    EXPECT_EQ(InputAt(h, 1, 6, 3), 0);
    for (int i = 0; i <= 10; ++i)
        for (int j = 0; j < 8; ++j) EXPECT_EQ(InputAt(CylTechOf(*level), 1, i, j), InputAt(h, 1, i, j));

    // A tilted surface: at arc y the liquid stands at 0.5 + R sin 20° cos(y/R).
    auto tilted = with("Gidr", "[10000, 0.5, 20]");
    for (int j : {0, 2, 4}) {
        const double at = 0.5 + std::sin(20 * kPi / 180) * std::cos(2 * kPi * j / 8);
        auto straight = with("Gidr", "[10000, " + RealToStrGen(17, 1, at) + "]");
        for (int i = 0; i <= 10; ++i)
            EXPECT_NEAR(InputAt(CylTechOf(*tilted), 1, i, j), InputAt(CylTechOf(*straight), 1, i, j), 1e-8) << i << "," << j;
    }

    // Wind: a constant, then cosine (or [cosine, sine]) coefficients of the harmonics around.
    auto wind = with("Wind", "[100, [0, 50], 30]");
    for (int j = 0; j < 8; ++j) {
        const double a = 2 * kPi * j / 8;
        EXPECT_NEAR(InputAt(CylTechOf(*wind), 1, 3, j), 100 + 50 * std::sin(a) + 30 * std::cos(2 * a), 1e-12);
    }

    // Regions: a circle (centre and squared radius), a rectangle one node
    // wide (its lower side's values, never NaN), several regions as a list.
    auto circle = with("q_Rect", "[0.5, 0, 0.04, 10]");
    for (int i = 0; i <= 10; ++i)
        for (int j = 0; j < 8; ++j) {
            const double x = 0.1 * i - 0.5, y = 2 * kPi * j / 8;
            EXPECT_EQ(InputAt(CylTechOf(*circle), 1, i, j), x * x + y * y <= 0.04 ? 10 : 0) << i << "," << j;
        }
    auto thin = with("q_Rect", "[0.48, 0, 0.52, 2.36, 4, 10, 20, 30]");
    EXPECT_EQ(InputAt(CylTechOf(*thin), 1, 5, 0), 4);
    EXPECT_TRUE(std::isfinite(InputAt(CylTechOf(*thin), 1, 5, 1)));
    EXPECT_EQ(InputAt(CylTechOf(*with("q_Rect", "[[0.5, 0, 0.0001, 1], [0.5, 0, 0.0001, 2]]")), 1, 5, 0), 3);

    // A prescribed deflection: its inner nodes get "w_Constr" instead of
    // equation III, and keep the value.
    auto fixed = with("w_Rect", "[0.32, 0, 0.68, 1, 0.0001]");
    fixed->BuildEquations();
    const TEquationList& eq = fixed->Equations();
    EXPECT_NE(eq.IndexOf("w_Constr(4,0)"), -1);
    EXPECT_EQ(eq.IndexOf("w_Constr(4,2)"), -1);
    EXPECT_EQ(fixed->UnknownCount(), 3u * 8 * 15);
    Solve(*fixed);
    EXPECT_NEAR(ResultAt(CylTechOf(*fixed), 2, 5, 1), 0.0001, 1e-15);
}

TEST(CylTech, StressesOfTheWall) {
    const TWallStresses uniaxial = PlaneStresses(100, 0, 0);
    EXPECT_EQ(std::vector<double>({uniaxial.Max, uniaxial.Min, uniaxial.Eq3, uniaxial.Eq4}),
              std::vector<double>({100, 0, 100, 100}));
    // Two equal compressions: the greatest shear lies out of the wall, so the
    // equivalent stress is the compression itself, not their difference 0.
    EXPECT_EQ(PlaneStresses(-100, -100, 0).Eq3, 100);
    const TWallStresses shear = PlaneStresses(0, 0, 50);
    EXPECT_EQ(std::vector<double>({shear.Max, shear.Min, shear.Eq3}), std::vector<double>({50, -50, 100}));
    EXPECT_NEAR(shear.Eq4, 50 * std::sqrt(3.0), 1e-12);
    EXPECT_DOUBLE_EQ(FibreStress(-10, 1, 0.1), -700) << "bending taken in the sense of the force";
}

TEST(CylTech, AxisymmetricHydrostaticsApproachesTheAxisymmetricShell) {
    // R = 1, t = 0.01: the edge disturbance decays over 1/beta = 0.08 m, so a
    // shell of 1 m is long and the free top does not reach the clamped bottom.
    const double scale = TankDeflection(0.5);
    double previous = 0;
    for (int n : {40, 80, 160}) {
        const int m = n / 10;
        auto p = MakeProblem("CylTech", {{"PARAMS.R", "1"}, {"PARAMS.H", "1"},
                                         {"MESH.mesh_x", std::to_string(n)}, {"MESH.mesh_y", std::to_string(m)}});
        Solve(*p);
        TDmCylTech& d = CylTechOf(*p);
        double worst = 0;
        for (int i = 0; i <= n; ++i) {
            const double w = ResultAt(d, 2, i, m - 1);  // the same all around
            worst = std::max(worst, std::fabs(w - TankDeflection(double(d.NodeCoord(0, i)))));
            ASSERT_NEAR(ResultAt(d, 1, i, 1), 0, 1e-9 * scale) << "no circumferential motion";
        }
        EXPECT_LT(worst / scale, 0.05 * (40.0 / n) * (40.0 / n)) << n;
        // The axisymmetric type on the same shell and axial mesh solves the
        // same equation: the two deflections agree closer as the mesh grows.
        auto sym = MakeProblem("CylSym", {{"PARAMS.R", "1"}, {"PARAMS.H", "1"}, {"MESH.mesh_x", std::to_string(n)}});
        Solve(*sym);
        const auto symW = Results(*sym, TDmCylSym::rkW);
        double apart = 0;
        for (int i = 0; i <= n; ++i) apart = std::max(apart, std::fabs(ResultAt(d, 2, i, 0) - symW[i]));
        EXPECT_LT(apart / scale, 0.05 * (40.0 / n) * (40.0 / n)) << "CylTech against CylSym, mesh " << n;
        EXPECT_GT(previous > 0 ? previous / worst : 4, 3.5) << "second order as both meshes are refined";
        previous = worst;
        // Hoop force of the free shell: N2 = E t w/R; no axial force.
        const double w = ResultAt(d, 2, n / 2, 0);
        EXPECT_NEAR(ResultAt(d, 6, n / 2, 0), 2.06e9 * w, 1e-4 * 2.06e9 * w);
        EXPECT_LT(std::fabs(ResultAt(d, 5, n / 2, 0)), 1e-4 * 2.06e9 * w);
    }
}

TEST(CylTech, AMeshWhoseRowsCannotFitIsRefusedBeforeAnyRowIsMade) {
    // A million steps along and a thousand around: three billion unknowns.
    auto p = MakeProblem("CylTech", {{"MESH.mesh_x", "1000000"}, {"MESH.mesh_y", "1000"}});
    const std::string message = test::MessageOf([&] { Solve(*p); });
    EXPECT_EQ(message.rfind("Недостаточно памяти для построения уравнений задачи: 3", 0), 0u) << message;
    EXPECT_NE(message.find("доступно"), std::string::npos) << message;
    EXPECT_EQ(p->UnknownCount(), 0u) << "no row was made";
}
