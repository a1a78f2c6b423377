// The ring is free in space: loads with a net force or moment are refused,
// self-equilibrated ones give the deformation without a rigid-body part; and
// one period of a periodic ring is the whole ring.
#include "cylinders.h"

#include "testutil.h"

#include <gtest/gtest.h>

using namespace zem;
using namespace zem::cyltest;

namespace {

// The message of solving a problem with these settings ("" when it solves).
std::string SolveMessage(const std::string& type, const TSettings& settings) {
    auto p = MakeProblem(type, settings);
    return test::MessageOf([&] { Solve(*p); });
}

const std::string kUnbalanced = "Нагрузка на кольцо не уравновешена: ";

}  // namespace

TEST(RingFree, LoadsWithANetForceOrMomentAreRefused) {
    const std::pair<TSettings, std::string> cases[] = {
        {{{"LOADS.t", "[0, 5]"}}, "сила в плоскости кольца (t, q)"},
        {{{"LOADS.q", "[0, [0, 5]]"}, {"LOADS.t", "[0, 4]"}}, "сила в плоскости кольца (t, q)"},
        {{{"LOADS.q", "[0, 2]"}}, "сила в плоскости кольца (t, q)"},
        {{{"LOADS.s", "[0, 1]"}}, "момент из плоскости кольца (s, mk)"},
        {{{"LOADS.mk", "[0, [0, 1]]"}}, "момент из плоскости кольца (s, mk)"},
        {{{"LOADS.s", "3"}}, "сила вдоль оси кольца (s)"},
        {{{"LOADS.q", "2"}}, "момент вокруг оси кольца (q)"},
        {{{"LOADS.s", "[3, 1]"}, {"LOADS.q", "2"}},
         "сила вдоль оси кольца (s); момент вокруг оси кольца (q); момент из плоскости кольца (s, mk)"},
    };
    for (const auto& [settings, what] : cases) {
        const std::string m = SolveMessage("Ring", settings);
        EXPECT_EQ(m.substr(0, kUnbalanced.size() + what.size()), kUnbalanced + what) << settings[0].second;
    }
    // Harmonic 1 balanced against its partner is a self-equilibrated load:
    // t = 5 cos against q = 5 sin, and s = cos against mk = -R cos.
    EXPECT_EQ(SolveMessage("Ring", {{"LOADS.t", "[0, 5]"}, {"LOADS.q", "[0, [0, 5]]"}}), "");
    EXPECT_EQ(SolveMessage("Ring2", {{"LOADS.s", "[0, 1]"}, {"LOADS.mk", "[0, -10]"}}), "");
    // Amplitudes typed to seven digits balance; a difference in the fifth
    // digit is a net force.
    EXPECT_EQ(SolveMessage("Ring", {{"LOADS.t", "[0, 3.333333]"}, {"LOADS.q", "[0, [0, 3.3333333]]"}}), "");
    EXPECT_NE(SolveMessage("Ring", {{"LOADS.t", "[0, 3.3333]"}, {"LOADS.q", "[0, [0, 3.3334]]"}}), "");
    // One period of two: the harmonic 1 of a period is the ring's harmonic
    // 2, but a uniform s still pushes the ring along its axis.
    EXPECT_EQ(SolveMessage("RingP", {{"LOADS.t", "[0, 5]"}, {"MESH.mesh", "8"}}), "");
    EXPECT_EQ(SolveMessage("RingP", {{"LOADS.s", "3"}}).substr(0, kUnbalanced.size()), kUnbalanced);
    // A whole ring of fewer than three steps cannot hold its rigid-body
    // conditions.
    EXPECT_EQ(SolveMessage("Ring", {{"MESH.mesh", "2"}}), "Сетка кольца слишком редкая: нужно не менее 3 шагов");
}

TEST(RingFree, UniformPressureAndTwistAreSelfEquilibrated) {
    // Uniform pressure t: w = t R^2 / (E F), N2 = t R, nothing else.
    // Uniform twisting mk: the section turns by fi = mk R^2 / (E Jx),
    // Mx = -mk R, and the ring does not move.
    for (const char* type : {"Ring", "Ring2", "RingP"}) {
        auto p = MakeProblem(type, {{"LOADS.t", "1000"}, {"LOADS.mk", "500"}, {"MESH.mesh", "12"}});
        Solve(*p);
        TDmRing& d = RingOf(*p);
        const double R = 10, E = 2.06e11, F = 0.01, Jx = 0.1;
        for (int i = 0; i < 12; ++i) {
            const double w = 1000 * R * R / (E * F), fi = 500 * R * R / (E * Jx);
            EXPECT_NEAR(ResultAt(d, TDmRing::rkW, i), w, 1e-12 * w) << type << i;
            EXPECT_NEAR(ResultAt(d, TDmRing::rkN2, i), 1000 * R, 1e-9 * 1000 * R);
            EXPECT_NEAR(ResultAt(d, TDmRing::rkFi, i), fi, 1e-12 * fi);
            EXPECT_NEAR(ResultAt(d, TDmRing::rkMx, i), -500 * R, 1e-9 * 500 * R);
            for (int kind : {TDmRing::rkU, TDmRing::rkV})
                EXPECT_NEAR(ResultAt(d, kind, i), 0, 1e-12 * w) << type << " " << kind << " at " << i;
            for (int kind : {TDmRing::rkQx, TDmRing::rkQr, TDmRing::rkMr, TDmRing::rkHk})
                EXPECT_NEAR(ResultAt(d, kind, i), 0, 1e-9 * 500 * R) << type << " " << kind << " at " << i;
        }
    }
}

TEST(RingFree, OnePeriodEqualsTheWholeRing) {
    // The period's harmonic k is the ring's harmonic k P: a period of 12
    // steps matches the ring of 24 node for node, under every load.
    const TSettings part = {{"PARAMS.Period", "2"}, {"PARAMS.Jxr", "0.5"}, {"MESH.mesh", "12"},
                            {"LOADS.t", "[200, [300, 100]]"},       {"LOADS.s", "[0, 0, 50]"},
                            {"LOADS.q", "[0, [0, 70]]"},             {"LOADS.mk", "[80, 20]"}};
    const TSettings whole = {{"PARAMS.Jxr", "0.5"},          {"MESH.mesh", "24"},
                             {"LOADS.t", "[200, 0, [300, 100]]"}, {"LOADS.s", "[0, 0, 0, 0, 50]"},
                             {"LOADS.q", "[0, 0, [0, 70]]"},       {"LOADS.mk", "[80, 0, 20]"}};
    auto p = MakeProblem("RingP", part);
    auto w = MakeProblem("Ring2", whole);
    Solve(*p);
    Solve(*w);
    TDmRing &dp = RingOf(*p), &dw = RingOf(*w);
    for (int kind = 0; kind < 10; ++kind) {
        double scale = 0;
        for (int i = 0; i < 24; ++i) scale = std::max(scale, std::fabs(ResultAt(dw, kind, i)));
        for (int i = 0; i < 24; ++i)
            EXPECT_NEAR(ResultAt(dp, kind, i % 12), ResultAt(dw, kind, i), 1e-9 * scale) << kind << " node " << i;
    }
}

TEST(RingFree, EveryDirectMethodSolvesTheFreeRing) {
    // The rows of the rigid-body conditions keep a nonzero diagonal, so the
    // methods that do not look for a pivot solve the ring as well.
    auto solve = [](const char* type, int method) {
        auto p = MakeProblem(type, {{"LOADS.t", "[0, 0, 1000]"}, {"LOADS.mk", "[0, 0, 0, 30]"},
                                    {"PARAMS.Jxr", "0.3"}, {"MESH.mesh", "[[5, 0.4], [7, 0.6]]"}});
        Solve(*p, method);
        std::vector<double> r;  // each result over the largest of its kind
        for (int kind : {TDmRing::rkW, TDmRing::rkU, TDmRing::rkQr, TDmRing::rkHk}) {
            std::vector<double> line;
            for (int i = 0; i < 12; ++i) line.push_back(ResultAt(RingOf(*p), kind, i));
            const double m = std::fabs(*std::max_element(line.begin(), line.end(), [](double a, double b) {
                return std::fabs(a) < std::fabs(b);
            }));
            for (double x : line) r.push_back(x / m);
        }
        return r;
    };
    for (const char* type : {"Ring", "Ring2"}) {
        const auto pivoted = solve(type, 1);
        for (int method : {0, 2, 3, 4, 5, 6, 7, 8}) {
            const auto r = solve(type, method);
            for (std::size_t k = 0; k < r.size(); ++k)
                ASSERT_NEAR(r[k], pivoted[k], 1e-8) << type << " method " << method << " value " << k;
        }
    }
}
