// The axisymmetric cylinder against the analytic beam-on-elastic-foundation
// solutions: a long steel shell (R = 10 m, t = 0.01 m, H = 10 m, so that
// beta H = 40 and the clamped bottom does not reach the free top), clamped at
// the bottom, under a uniform pressure and under a liquid filling it.
#include "test_cylsym.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace zem;
using namespace zem::cyltest;

namespace {

constexpr double kR = 10, kT = 0.01, kE = 2.06e11, kMu = 0.3, kH = 10;
const double kD = kE * kT * kT * kT / 12 / (1 - kMu * kMu);
const double kK = kE * kT / (kR * kR);              // foundation modulus E t / R^2
const double kBeta = std::pow(kK / (4 * kD), 0.25);  // beta^4 = E t / (4 R^2 D)

std::unique_ptr<TProblem> LongShell(int mesh, const char* uniform, const char* gidr) {
    auto p = MakeProblem("CylSym");
    Edit(*p, {{"MESH", "mesh_x", std::to_string(mesh).c_str()}, {"LOADS", "Uniform", uniform}, {"LOADS", "Gidr", gidr}});
    Solve(*p);
    return p;
}

// The largest difference from Exact over the nodes at x = 0, 0.25, ..., 2.5
// (nodes of every mesh used), near the clamped edge where w varies. The
// meshes start at beta h = 0.5, where the error has reached its order.
template <class F>
double EdgeError(TProblem& p, int mesh, F exact) {
    const auto w = Results(p, TDmCylSym::rkW);
    const int every = mesh / 40;
    double e = 0;
    for (int i = 0; i <= 10 * every; i += every) e = std::max(e, std::fabs(w[i] - exact(i * kH / mesh)));
    return e;
}

}  // namespace

TEST(CylSymPhysics, UniformPressureFollowsTheClampedEdgeSolutionAtOrderTwo) {
    // A positive (outward) pressure q gives a positive deflection
    // w_inf = q R^2 / (E t) far from the edge, and near the clamped edge
    // w = w_inf (1 - e^(-beta x) (cos beta x + sin beta x)).
    const double q = 1000, wInf = q / kK;
    auto exact = [&](double x) {
        return wInf * (1 - std::exp(-kBeta * x) * (std::cos(kBeta * x) + std::sin(kBeta * x)));
    };
    std::vector<double> errors;
    for (int mesh : {80, 160, 320, 640}) {
        auto p = LongShell(mesh, "1000", "");
        const auto w = Results(*p, TDmCylSym::rkW);
        for (int i = mesh / 2; i <= mesh; ++i) ASSERT_NEAR(w[i], wInf, 1e-7 * wInf) << "far from the edge, node " << i;
        errors.push_back(EdgeError(*p, mesh, exact));
        if (mesh == 640) {
            // M1 = -D w'' = -2 D beta^2 w_inf at the clamped edge.
            EXPECT_NEAR(Results(*p, TDmCylSym::rkM1).front(), -2 * kD * kBeta * kBeta * wInf,
                        0.01 * 2 * kD * kBeta * kBeta * wInf);
        }
    }
    EXPECT_LT(errors.back(), 1e-3 * wInf);
    for (std::size_t k = 1; k < errors.size(); ++k) {
        const double order = std::log2(errors[k - 1] / errors[k]);
        EXPECT_NEAR(order, 2.0, 0.15) << "mesh refinement " << k << ": errors " << errors[k - 1] << " -> "
                                      << errors[k];
    }
}

TEST(CylSymPhysics, LiquidFillingAClampedTank) {
    // q = gamma (H - x). Away from the bottom the shell carries it as a
    // membrane, w = q R^2 / (E t) (a linear load bends nothing, and the free
    // top needs no correction); the clamped bottom adds the decaying edge
    // solution with w(0) = w'(0) = 0.
    const double gamma = 10000;
    const double c1 = gamma * kH / kK, c2 = c1 - gamma / (kK * kBeta);
    auto exact = [&](double x) {
        return gamma * (kH - x) / kK -
               std::exp(-kBeta * x) * (c1 * std::cos(kBeta * x) + c2 * std::sin(kBeta * x));
    };
    const int mesh = 640;
    auto p = LongShell(mesh, "", "10000");
    const auto w = Results(*p, TDmCylSym::rkW);
    const double scale = gamma * kH / kK;
    for (int i = mesh / 2; i <= mesh; ++i) {
        const double x = i * kH / mesh;
        ASSERT_NEAR(w[i], gamma * (kH - x) / kK, 1e-7 * scale) << "membrane solution, node " << i;
    }
    EXPECT_LT(EdgeError(*p, mesh, exact), 1e-3 * scale);
    // The hoop stress follows the membrane value gamma (H - x) R / t too.
    EXPECT_NEAR(Results(*p, TDmCylSym::rkSig2)[mesh / 2], gamma * kH / 2 * kR / kT, 1e-6 * gamma * kH * kR / kT);
}
