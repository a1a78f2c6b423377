// Three-point stencils: the nodes their rows reach, rows and values that
// agree, and the order at which their derivatives converge on uniform,
// smoothly graded and abruptly graded meshes.
#include "domains/probe_domain.h"
#include "stencils/Tamplets.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace zem;
using namespace zem::dmtest;

namespace {

struct StencilFixture {
    TRecordingOwner owner;
    TProbeDomain domain;
    TTamplet stencil;

    explicit StencilFixture(int dims) : domain(&owner, dims), stencil(&domain, 0) {}

    // Coefficients emitted along direction 0 by node offset from node i.
    std::map<int, Extended> Row1D(int i) const {
        std::map<int, Extended> row;
        for (const auto& [column, x] : owner.Row) row[TProbeDomain::NodeOfColumn(column)[0] - i] = x;
        return row;
    }
};

constexpr Extended kExact = 1e-15L;

}  // namespace

TEST(TampletRows, SelectorsAtTheEndsReachOneVirtualNode) {
    // The forward outer second difference at node 0 spans nodes -1 ... 3, the
    // backward one at node n nodes n - 3 ... n + 1: never two nodes beyond an end.
    StencilFixture f(1);
    f.domain.SetSteps(0, UniformSteps(6, 6.0));
    for (auto [node, sel, first, last] : {std::tuple{0, 1, -1, 3}, {6, -1, -3, 1}}) {
        f.owner.ClearRow();
        f.domain.SetPos(0, node);
        f.stencil.AddDerivSel({4}, {sel}, 1);
        const auto row = f.Row1D(node);
        EXPECT_EQ(row.begin()->first, first) << "node " << node;
        EXPECT_EQ(row.rbegin()->first, last) << "node " << node;
    }
}

TEST(TampletRows, PeriodicDirectionWrapsColumnsAndSteps) {
    StencilFixture f(2);
    f.domain.Periodic[1] = true;
    f.domain.SetSteps(0, UniformSteps(2, 1.0));
    f.domain.SetSteps(1, {0.5, 1, 1, 1, 2});  // node 0: left step (wrapped) 2, right 0.5
    f.domain.SetPos(0, 1);
    f.domain.SetPos(1, 0);
    f.stencil.AddDeriv({0, 2}, 1);
    // 2 (h2 v[-1] - (h1 + h2) v[0] + h1 v[+1]) / (h1 h2 (h1 + h2)) with h1 = 2, h2 = 0.5.
    const Extended c = 2.0L / (2 * 0.5L * 2.5L);
    EXPECT_NEAR(f.owner.Row[TProbeDomain::Column(0, 1, 4)], 0.5L * c, kExact) << "node -1 is node n - 1";
    EXPECT_NEAR(f.owner.Row[TProbeDomain::Column(0, 1, 0)], -2.5L * c, kExact);
    EXPECT_NEAR(f.owner.Row[TProbeDomain::Column(0, 1, 1)], 2 * c, kExact);
}

TEST(TampletValues, LinearSolutionOnAnyMeshAndSelector) {
    StencilFixture f(1);
    f.domain.SetSteps(0, {0.3, 0.1, 0.7, 0.2, 0.45, 0.05});
    f.domain.SetSolution([](Extended x, Extended) { return 2 - 3 * x; });
    for (int i = 0; i <= 6; ++i) {
        f.domain.SetPos(0, i);
        for (int s : {0, 1, -1}) {
            EXPECT_NEAR(f.stencil.DerivValueSel({1}, {s}), -3, 1e-12) << "node " << i << " selector " << s;
            EXPECT_NEAR(f.stencil.DerivValueSel({2}, {s}), 0, 1e-11) << "node " << i << " selector " << s;
        }
    }
}

TEST(TampletValues, EvaluationMatchesEmissionWeights) {
    // The value of a derivative equals the emitted row applied to the solution.
    StencilFixture f(2);
    f.domain.Periodic[1] = true;
    f.domain.SetSteps(0, {0.2, 0.3, 0.25, 0.4, 0.1, 0.3});
    f.domain.SetSteps(1, {0.5, 0.7, 0.6, 0.9, 0.4});
    auto u = [](Extended x, Extended y) { return std::exp(x) * std::cos(y) + x * x * y; };
    f.domain.SetSolution(u);
    f.domain.SetPos(0, 2);
    f.domain.SetPos(1, 1);
    for (TOrders orders : {TOrders{3, 0}, TOrders{4, 0}, TOrders{2, 2}, TOrders{1, 3}}) {
        for (const TSelectors& sel : {TSelectors{0}, TSelectors{1, -1}, TSelectors{-1, 0, 1}}) {
            f.owner.ClearRow();
            f.stencil.AddDerivSel(orders, sel, 1);
            Extended applied = 0;
            for (const auto& [column, x] : f.owner.Row) applied += x * f.owner.Unknown(column);
            const Extended value = f.stencil.DerivValueSel(orders, sel);
            EXPECT_NEAR(value, applied, 1e-9L * (1 + std::fabs(value)))
                << "orders " << orders[0] << "," << orders[1];
        }
    }
}

// --- Convergence ----------------------------------------------------------------------

namespace {

// A smooth test function and its derivatives d^(a+b) u / dx^a dy^b.
Extended U(Extended x, Extended y) { return std::sin(2 * x + 0.3L) * std::exp(0.5L * y) + std::exp(0.7L * x); }

Extended DU(int a, int b, Extended x, Extended y) {
    // d^a/dx^a sin(2x + 0.3) cycles with factor 2^a; d^b/dy^b exp(y/2) = exp(y/2)/2^b.
    static const int sinShift[4][2] = {{0, 1}, {1, 1}, {0, -1}, {1, -1}};  // sin, cos, -sin, -cos
    const Extended arg = 2 * x + 0.3L;
    const Extended sx = (sinShift[a % 4][0] == 0 ? std::sin(arg) : std::cos(arg)) * sinShift[a % 4][1] *
                        std::pow(2.0L, a);
    Extended value = sx * std::exp(0.5L * y) / std::pow(2.0L, b);
    if (b == 0) value += std::pow(0.7L, a) * std::exp(0.7L * x);
    return value;
}

// Steps of n cells over [0, 1] mapped by x = (e^(g xi) - 1)/(e^g - 1), uniform for g = 0.
std::vector<double> GradedSteps(int n, double g) {
    std::vector<double> steps;
    auto map = [g](double xi) { return g == 0 ? xi : std::expm1(g * xi) / std::expm1(g); };
    for (int k = 0; k < n; ++k) steps.push_back(map(double(k + 1) / n) - map(double(k) / n));
    return steps;
}

struct Case {
    TOrders orders;
    TSelectors sel;
    double order;  // expected convergence order
    const char* what;
};

// Error of the derivative at node (i, j) on the given steps.
Extended DerivError(const Case& c, const std::vector<double>& sx, const std::vector<double>& sy, int i, int j) {
    StencilFixture f(2);
    f.domain.SetSteps(0, sx);
    f.domain.SetSteps(1, sy);
    f.domain.SetSolution(U);
    f.domain.SetPos(0, i);
    f.domain.SetPos(1, j);
    const Extended exact = DU(c.orders[0], c.orders[1], f.domain.PosCoord(0), f.domain.PosCoord(1));
    return std::fabs(f.stencil.DerivValueSel(c.orders, c.sel) - exact);
}

double ObservedOrder(Extended coarse, Extended fine) { return static_cast<double>(std::log2(coarse / fine)); }

// Forward and backward: the central second difference of the next node
// (order 1), the first difference of central second differences for the
// third, the outer second difference for the fourth (order 1).
const Case kUniformCases[] = {
    {{1, 0}, {0}, 2, "first"},     {{2, 0}, {0}, 2, "second"},         {{3, 0}, {0}, 2, "third"},
    {{4, 0}, {0}, 2, "fourth"},    {{1, 0}, {1}, 2, "first, forward"}, {{1, 0}, {-1}, 2, "first, backward"},
    {{2, 0}, {1}, 1, "second, forward"},  {{2, 0}, {-1}, 1, "second, backward"},
    {{3, 0}, {1}, 2, "third, forward"},   {{4, 0}, {1}, 1, "fourth, forward"},
    {{4, 0}, {-1}, 1, "fourth, backward"}, {{0, 2}, {0}, 2, "second along y"},
    {{1, 1}, {0}, 2, "d2/dxdy"},   {{2, 2}, {0}, 2, "d4/dx2dy2"},      {{1, 2}, {0}, 2, "d3/dxdy2"},
    {{3, 1}, {0}, 2, "d4/dx3dy"},  {{1, 1}, {1, -1}, 2, "mixed, forward in x, backward in y"},
};

}  // namespace

TEST(TampletConvergence, UniformMeshesHalveAtTheExpectedOrder) {
    // Node 32 of 64 steps and node 64 of 128 lie at the same point.
    for (const Case& c : kUniformCases) {
        const Extended e1 = DerivError(c, UniformSteps(64, 1), UniformSteps(64, 1), 32, 32);
        const Extended e2 = DerivError(c, UniformSteps(128, 1), UniformSteps(128, 1), 64, 64);
        EXPECT_NEAR(ObservedOrder(e1, e2), c.order, 0.15) << c.what << ": errors " << double(e1) << ", "
                                                          << double(e2);
    }
}

TEST(TampletConvergence, SmoothlyGradedMeshesKeepSecondOrder) {
    // Steps from a smooth mapping: neighbouring steps differ by O(h^2), so the
    // first-order terms of the unequal-step formulas cancel to second order,
    // and the composed third and fourth derivatives stay second order too.
    // The node at xi = 1/2 is the same point on every mesh.
    for (const Case& c : {Case{{1, 0}, {0}, 2, "first"}, Case{{2, 0}, {0}, 2, "second"},
                          Case{{3, 0}, {0}, 2, "third"}, Case{{4, 0}, {0}, 2, "fourth"},
                          Case{{1, 1}, {0}, 2, "mixed"}, Case{{1, 0}, {1}, 2, "first, forward"}}) {
        Extended e[3];
        for (int r = 0; r < 3; ++r) {
            const int n = 16 << r;
            e[r] = DerivError(c, GradedSteps(n, 2.0), GradedSteps(n, 1.5), n / 2, n / 2);
        }
        EXPECT_NEAR(ObservedOrder(e[1], e[2]), c.order, 0.2)
            << c.what << ": errors " << double(e[0]) << ", " << double(e[1]) << ", " << double(e[2]);
    }
}

TEST(TampletConvergence, AbruptStepChangeCostsTheComposedDerivatives) {
    // Steps h left of the node and 2h right of it, halved together: the step
    // ratio never tends to 1. The unequal-step second difference then carries
    // an error (h2 - h1) u'''/3 = O(h) at the node and none at its uniform
    // neighbours; differencing that jump once more loses one order per
    // difference: the first derivative keeps order 2, the second falls to 1,
    // the composed third does not converge (order 0) and the composed fourth
    // diverges (order -1).
    const Case cases[] = {{{1, 0}, {0}, 2, "first"},
                          {{2, 0}, {0}, 1, "second"},
                          {{3, 0}, {0}, 0, "third"},
                          {{4, 0}, {0}, -1, "fourth"}};
    auto steps = [](int n) {
        std::vector<double> s(static_cast<std::size_t>(n), 0.5 / n);
        s.insert(s.end(), static_cast<std::size_t>(n), 1.0 / n);
        return s;
    };
    for (const Case& c : cases) {
        const Extended e1 = DerivError(c, steps(32), UniformSteps(4, 1), 32, 2);
        const Extended e2 = DerivError(c, steps(64), UniformSteps(4, 1), 64, 2);
        EXPECT_NEAR(ObservedOrder(e1, e2), c.order, 0.15)
            << c.what << ": errors " << double(e1) << ", " << double(e2);
    }
}
