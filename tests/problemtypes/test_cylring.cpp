// The shell with a stiffening ring on its top edge: the ring taking the
// shell's radius, mesh and E, and the physics of the joint: a ring of
// vanishing stiffness leaves the top free, a very stiff one holds the top's
// radial and circumferential displacements and its slope, and the shell
// resists every load of the ring.
#include "cylinders.h"
#include "problemtypes/DmRing.h"
#include "problemtypes/ElLave.h"
#include "problemtypes/ElRing.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numbers>

using namespace zem;
using namespace zem::cyltest;

namespace {

enum : int { kU = 0, kV = 1, kW = 2, kDw = 3, kN1 = 5, kM1 = 11 };

TElCylRing& RingShell(TProblem& p) { return dynamic_cast<TElCylRing&>(p.Root()); }

// Every ring stiffness scaled by `factor`.
TSettings RingScaled(double factor) {
    return {{"ELEMS.Ring.PARAMS.E", RealToStrGen(17, 0, 2.06e11 * factor)},
            {"ELEMS.Ring.PARAMS.G", RealToStrGen(17, 0, 8.0e10 * factor)}};
}

// The largest difference of result `kind` between two shells over every
// node, and the largest magnitude of the second.
void Compare(TDmCylTech& a, TDmCylTech& b, int kind, double& diff, double& scale) {
    diff = scale = 0;
    for (int i = 0; i <= a.StepCount(0); ++i)
        for (int j = 0; j < a.StepCount(1); ++j) {
            const double x = ResultAt(a, kind, i, j), y = ResultAt(b, kind, i, j);
            diff = std::max(diff, std::fabs(x - y));
            scale = std::max(scale, std::fabs(y));
        }
}

const TSettings kMesh = {{"MESH.mesh_x", "16"}, {"MESH.mesh_y", "16"}, {"PARAMS.H", "5"}};
const TSettings kWind = {{"LOADS.Gidr", ""}, {"LOADS.Wind", "[0, 0, 2000]"}};

TEST(CylRing, RingTakesTheShellsRadiusMeshAndEUnlessItsOwnIsGiven) {
    auto p = MakeProblem("CylRing", {{"PARAMS.R", "4"}, {"PARAMS.E", "1e11"}, {"MESH.mesh_y", "12"}});
    TDmRing& ring = RingShell(*p).Ring();
    EXPECT_EQ(ring.R, 4);
    EXPECT_EQ(ring.E, 1e11);
    EXPECT_EQ(ring.StepCount(0), 12);
    EXPECT_NEAR(ring.Lengths[0], 8 * std::numbers::pi, 1e-12);
    Edit(*p, {{"ELEMS.Ring.PARAMS.E", "3e11"}});
    EXPECT_EQ(ring.E, 3e11);
    Edit(*p, {{"ELEMS.Ring.PARAMS.E", ""}});
    EXPECT_EQ(ring.E, 1e11);
    EXPECT_EQ(test::MessageOf([&] { Edit(*p, {{"ELEMS.Ring.PARAMS.F", "-1"}}); }),
              "Ошибка в значении параметра F");
    // One period: the ring's extent is the shell's.
    auto q = MakeProblem("CylRingP", {{"PARAMS.R", "10"}, {"PARAMS.Period", "2"}});
    EXPECT_NEAR(RingShell(*q).Ring().Lengths[0], 10 * std::numbers::pi, 1e-12);
}

TEST(CylRing, WeakRingLeavesTheTopFree) {
    for (const TSettings& load : {TSettings{}, kWind}) {
        auto ring = MakeProblem("CylRing", kMesh + load + RingScaled(1e-9));
        auto free = MakeProblem("CylLave", kMesh + load);
        Solve(*ring);
        Solve(*free);
        for (int kind : {kU, kV, kW, kM1}) {
            double diff = 0, scale = 0;
            Compare(CylTechOf(*ring), CylTechOf(*free), kind, diff, scale);
            EXPECT_LE(diff, 1e-3 * scale + 1e-12) << "kind " << kind;
        }
        // The ring follows the edge.
        TDmRing& r = RingShell(*ring).Ring();
        r.SetPos(0, 3);
        EXPECT_NEAR(double(r.ValueW()), ResultAt(CylTechOf(*ring), kW, 16, 3), 1e-12);
    }
}

TEST(CylRing, StiffRingHoldsTheTopsRadialAndCircumferentialDisplacementAndSlope) {
    // The ring's stiffness in its plane and in torsion holds v, w and the
    // slope; out of its plane it moves as a rigid body under the
    // axisymmetric load, but bends (and so holds u as well) under a wind of
    // the second harmonic.
    const TSettings held = {{"BOUNDS.v_top", "0"}, {"BOUNDS.w_top", "0"}, {"BOUNDS.dw_top", "0"},
                            {"BOUNDS.S1_top", ""}, {"BOUNDS.Q1_top", ""},   {"BOUNDS.M1_top", ""}};
    const TSettings clamped = held + TSettings{{"BOUNDS.u_top", "0"}, {"BOUNDS.N1_top", ""}};
    for (bool wind : {false, true}) {
        const TSettings load = wind ? kWind : TSettings{};
        auto ring = MakeProblem("CylRing", kMesh + load + RingScaled(1e6));
        auto fixed = MakeProblem("CylLave", kMesh + load + (wind ? clamped : held));
        Solve(*ring);
        Solve(*fixed);
        TDmCylTech& a = CylTechOf(*ring);
        const double wMax = MaxAbsW(a);
        ASSERT_GT(wMax, 0);
        for (int j = 0; j < 16; ++j) {
            EXPECT_LT(std::fabs(ResultAt(a, kW, 16, j)), 1e-5 * wMax) << j;
            EXPECT_LT(std::fabs(ResultAt(a, kV, 16, j)), 1e-5 * wMax) << j;
            EXPECT_LT(std::fabs(ResultAt(a, kDw, 16, j)) * 5, 1e-4 * wMax) << j;
            EXPECT_LT(wind ? std::fabs(ResultAt(a, kU, 16, j)) : 0, 1e-5 * wMax) << j;
        }
        for (int kind : {kU, kV, kW, kM1}) {
            double diff = 0, scale = 0;
            Compare(a, CylTechOf(*fixed), kind, diff, scale);
            EXPECT_LE(diff, 1e-2 * scale + 1e-9 * wMax) << "kind " << kind << (wind ? " wind" : " hydrostatic");
        }
    }
}

TEST(CylRing, ShellResistsEachLoadOfTheRing) {
    // A load on the ring alone moves the ring less with the shell attached
    // than on its own, and the same way: each joint passes the shell's edge
    // force to the ring with the sign of a reaction.
    struct TCase {
        const char* key;
        const char* value;
        int component;
    };
    for (TCase c : {TCase{"t", "[1000]", TDmRing::cW}, TCase{"mk", "[100]", TDmRing::cFi},
                    TCase{"s", "[0, 0, 1000]", TDmRing::cU}, TCase{"q", "[0, 0, [0, 1000]]", TDmRing::cV}}) {
        auto joined = MakeProblem("CylRing", kMesh + TSettings{{"LOADS.Gidr", ""},
                                                               {std::string("ELEMS.Ring.LOADS.") + c.key, c.value}});
        auto alone = MakeProblem("Ring2", {{"MESH.mesh", "16"}, {std::string("LOADS.") + c.key, c.value}});
        Solve(*joined);
        Solve(*alone);
        TDmRing& a = RingShell(*joined).Ring();
        TDmRing& b = dynamic_cast<TDmRing&>(*alone->Domains().at(0)->Domain);
        auto value = [&](TDmRing& r, int j) {
            r.SetPos(0, j);
            const Extended x[4] = {r.ValueU(), r.ValueV(), r.ValueW(), r.ValueFi()};
            return static_cast<double>(x[c.component]);
        };
        double dot = 0, maxA = 0, maxB = 0;
        for (int j = 0; j < 16; ++j) {
            dot += value(a, j) * value(b, j);
            maxA = std::max(maxA, std::fabs(value(a, j)));
            maxB = std::max(maxB, std::fabs(value(b, j)));
        }
        ASSERT_GT(maxB, 0) << c.key;
        EXPECT_GT(dot, 0) << c.key;
        EXPECT_LT(maxA, maxB) << c.key;
        EXPECT_GT(maxA, 1e-6 * maxB) << c.key;
    }
}

}  // namespace
