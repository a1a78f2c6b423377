// The cylindrical panel: an open arc of Width degrees whose straight sides
// carry conditions of their own. A simply supported panel against its
// double-series solution, and every side item acting on its side.
#include "cylinders.h"
#include "lave.h"
#include "problemtypes/ElCylPnl.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <numbers>

using namespace zem;
using namespace zem::cyltest;
using lavetest::Real;

namespace {

enum : int { kU = 0, kV = 1, kW = 2, kDwY = 4, kN2 = 6, kS2 = 8, kQ2 = 10, kM2 = 12, kM21 = 14 };

const char* const kSideKeys[8] = {"u_", "v_", "w_", "dw_", "N2_", "S2_", "Q2_", "M2_"};

std::string SideKey(int k, int side) { return std::string("BOUNDS.") + kSideKeys[k] + (side == 0 ? "left" : "right"); }

TDmCylPanel& PanelOf(TProblem& p) { return dynamic_cast<TDmCylPanel&>(*p.Domains().at(0)->Domain); }

// All four edges simply supported: w = 0, no bending moment, the in-plane
// displacement along the edge held and no normal force across it.
TSettings SimplySupported() {
    TSettings set = SimplySupportedEnds();
    for (int side = 0; side < 2; ++side) {
        for (int k : {1, 3, 5, 6}) set.push_back({SideKey(k, side), ""});
        for (int k : {0, 2, 4, 7}) set.push_back({SideKey(k, side), "0"});
    }
    return set;
}

TEST(CylPanel, WidthSetsTheExtentAndIsChecked) {
    auto p = MakeProblem("CylPanel", {{"PARAMS.R", "10"}, {"PARAMS.Width", "90"}});
    EXPECT_NEAR(PanelOf(*p).Lengths[1], 5 * std::numbers::pi, 1e-12);
    for (const char* bad : {"0", "360", "400"})
        EXPECT_EQ(test::MessageOf([&] { Edit(*p, {{"PARAMS.Width", bad}}); }), "Ошибка в значении параметра Width")
            << bad;
    Edit(*p, {{"PARAMS.Width", "90"}, {"MESH.mesh_y", "3"}});
    EXPECT_NE(test::MessageOf([&] { RowNames(*p); }), "");
}

TEST(CylPanel, SimplySupportedPanelConvergesToTheDoubleSeriesAtSecondOrder) {
    // A shallow panel, R = 10, 2 m high and 12 degrees (2.09 m) wide, under
    // a uniform pressure: w = sum of W_mn sin(m pi x/H) sin(n pi y/b) over
    // odd m, n with the pressure's amplitudes 16 q/(m n pi^2).
    const double R = 10, H = 2, t = 0.01, E = 2.06e11, mu = 0.3, q = 1000;
    const double b = 12 * std::numbers::pi / 180 * R;
    Real exact = 0;
    for (int m = 1; m < 400; m += 2)
        for (int n = 1; n < 400; n += 2) {
            const Real l = m * std::numbers::pi_v<Real> / H, k = n * std::numbers::pi_v<Real> / b;
            const Real amp = 16 * q / (m * n * std::numbers::pi_v<Real> * std::numbers::pi_v<Real>);
            // At the centre sin(l H/2) sin(k b/2) = +-1.
            const Real sign = ((m + n) / 2 - 1) % 2 == 0 ? 1 : -1;
            exact += sign * lavetest::Amplitudes(R, t, E, mu, l, k, amp, true)[2];
        }
    double error[2];
    for (int level = 0; level < 2; ++level) {
        const int steps = 8 << level;
        auto p = MakeProblem("CylPanel", SimplySupported() + TSettings{{"PARAMS.R", "10"},
                                                                       {"PARAMS.H", "2"},
                                                                       {"PARAMS.Width", "12"},
                                                                       {"LOADS.Gidr", ""},
                                                                       {"LOADS.Wind", "[1000]"},
                                                                       {"MESH.mesh_x", std::to_string(steps)},
                                                                       {"MESH.mesh_y", std::to_string(steps)}});
        Solve(*p);
        error[level] = std::fabs(ResultAt(PanelOf(*p), kW, steps / 2, steps / 2) / double(exact) - 1);
    }
    EXPECT_LT(error[1], 0.01);
    EXPECT_GT(error[0] / error[1], 3.5) << error[0] << " then " << error[1];
}

// A panel under pressure with the sides clamped but for what a test changes.
TSettings Base() {
    return {{"PARAMS.R", "10"}, {"PARAMS.H", "4"},       {"PARAMS.Width", "60"},
            {"LOADS.Gidr", ""}, {"LOADS.Wind", "[1000]"}, {"MESH.mesh_x", "8"}, {"MESH.mesh_y", "8"}};
}

TEST(CylPanel, EachSideDisplacementIsHeldAtItsValue) {
    for (int side = 0; side < 2; ++side) {
        const int j = side == 0 ? 0 : 8;
        const int kinds[4] = {kU, kV, kW, kDwY};
        for (int k = 0; k < 4; ++k) {
            auto p = MakeProblem("CylPanel", Base() + TSettings{{SideKey(k, side), "0.001"}});
            Solve(*p);
            for (int i = 1; i < 8; ++i)
                EXPECT_NEAR(ResultAt(PanelOf(*p), kinds[k], i, j), 0.001, 1e-12)
                    << kSideKeys[k] << " side " << side << " at " << i;
            // The other side stays clamped.
            EXPECT_NEAR(ResultAt(PanelOf(*p), kinds[k], 4, 8 - j), 0, 1e-12);
        }
    }
}

TEST(CylPanel, EachSideForceActsWhereItsDisplacementIsFree) {
    // Force k + 4 replaces displacement k: N2 for v, S2 for u, Q2 (with the
    // twisting moment's change along the side) for w, M2 for the slope.
    const int freed[4] = {1, 0, 2, 3};
    const double given[4] = {200, 100, 30, 5};
    for (int side = 0; side < 2; ++side) {
        const int j = side == 0 ? 0 : 8;
        for (int f = 0; f < 4; ++f) {
            const int k = f + 4;
            auto p = MakeProblem("CylPanel", Base() + TSettings{{SideKey(freed[f], side), ""},
                                                                {SideKey(k, side), RealToStrGen(17, 0, given[f])}});
            const std::vector<std::string> rows = RowNames(*p);
            const std::string row = std::string(kSideKeys[k]).substr(0, 2) + (k == 6 ? "g" : "") + "(4," +
                                    std::to_string(j) + ")";
            EXPECT_NE(std::find(rows.begin(), rows.end(), row), rows.end()) << row;
            Solve(*p);
            TDmCylPanel& d = PanelOf(*p);
            const double h = 0.5;  // the axial step
            // Q2 with the change of M21 along the side differenced from the
            // results: close to the given value away from the ends.
            for (int i = k == 6 ? 3 : 2; i <= (k == 6 ? 4 : 6); ++i) {
                double value = 0;
                switch (k) {
                case 4: value = ResultAt(d, kN2, i, j); break;
                case 5: value = ResultAt(d, kS2, i, j); break;
                case 7: value = ResultAt(d, kM2, i, j); break;
                default: {
                    auto twist = [&](int ii) { return ResultAt(d, kM21, ii, j); };
                    value = ResultAt(d, kQ2, i, j) +
                            (twist(i - 2) - 8 * twist(i - 1) + 8 * twist(i + 1) - twist(i + 2)) / (12 * h);
                }
                }
                EXPECT_NEAR(value, given[f], k == 6 ? 0.05 * given[f] : 1e-6 * given[f])
                    << kSideKeys[k] << " side " << side << " at " << i;
            }
        }
    }
}

}  // namespace
