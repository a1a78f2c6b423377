// Higher-accuracy stencils: every row exact on the polynomials its nodes can
// reproduce, the nodes the rows reach, and the order at which the derivatives
// converge on uniform, graded and periodic meshes.
#include "domains/probe_domain.h"
#include "platform/errors.h"
#include "stencils/Tamplet2.h"

#include <cmath>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <numbers>

using namespace zem;
using namespace zem::dmtest;

namespace {

enum class TKind { Uni, Uni1, T2, Mix };

const char* KindName(TKind k) {
    switch (k) {
    case TKind::Uni: return "TUniTampl2";
    case TKind::Uni1: return "TUniTampl2_1";
    case TKind::T2: return "TTamplet2";
    default: return "TTampletMix";
    }
}

struct Fixture {
    TRecordingOwner owner;
    TProbeDomain domain;
    std::unique_ptr<TTamplet> stencil;

    Fixture(TKind kind, int dims) : domain(&owner, dims) {
        switch (kind) {
        case TKind::Uni: stencil = std::make_unique<TUniTampl2>(&domain, 0); break;
        case TKind::Uni1: stencil = std::make_unique<TUniTampl2_1>(&domain, 0); break;
        case TKind::T2: stencil = std::make_unique<TTamplet2>(&domain, 0); break;
        default: stencil = std::make_unique<TTampletMix>(&domain, 0); break;
        }
    }
    TTampletMix& Mix() { return dynamic_cast<TTampletMix&>(*stencil); }

    // The emitted row applied to the solution the domain holds.
    Extended Applied(const TOrders& orders, const TSelectors& sel, bool low = false) {
        owner.ClearRow();
        if (low)
            Mix().AddDerivLowSel(orders, sel, 1);
        else
            stencil->AddDerivSel(orders, sel, 1);
        Extended sum = 0;
        for (const auto& [column, x] : owner.Row) sum += x * owner.Unknown(column);
        return sum;
    }
    // Lowest and highest node offsets along direction 0 the row reaches.
    std::pair<int, int> Reach(const TOrders& orders, const TSelectors& sel, bool low = false) {
        Applied(orders, sel, low);
        const int i = domain.GetPos(0);
        return {TProbeDomain::NodeOfColumn(owner.Row.begin()->first)[0] - i,
                TProbeDomain::NodeOfColumn(owner.Row.rbegin()->first)[0] - i};
    }
};

Extended Factorial(int n) { return n <= 1 ? 1 : n * Factorial(n - 1); }

// d^o/dx^o (x - a)^q at x.
Extended PowerDeriv(int q, int o, Extended a, Extended x) {
    if (o > q) return 0;
    return Factorial(q) / Factorial(q - o) * std::pow(x - a, q - o);
}

struct Row {
    TKind kind;
    int order;
    int sel;
    int degree;  // highest degree the row is exact for
};

// Every row exact on (x - a)^q for q up to its degree, emitted and evaluated
// alike, on a mesh of step h around node i.
void ExpectExact(const Row& r, const std::vector<double>& steps, int node, double tol) {
    Fixture f(r.kind, 1);
    f.domain.SetSteps(0, steps);
    f.domain.SetPos(0, node);
    const Extended x0 = f.domain.PosCoord(0);
    const Extended a = x0 - 0.37L;  // off the node, so every monomial takes part
    const TOrders orders{r.order};
    for (int q = 0; q <= r.degree; ++q) {
        f.domain.SetSolution([q, a](Extended x, Extended) { return std::pow(x - a, q); });
        const Extended exact = PowerDeriv(q, r.order, a, x0);
        const Extended scale = 1 + std::fabs(exact);
        EXPECT_NEAR(f.stencil->DerivValueSel(orders, {r.sel}), exact, tol * scale)
            << KindName(r.kind) << " order " << r.order << " selector " << r.sel << " degree " << q;
        EXPECT_NEAR(f.Applied(orders, {r.sel}), exact, tol * scale)
            << KindName(r.kind) << " emitted, order " << r.order << " selector " << r.sel << " degree " << q;
    }
}

}  // namespace

// --- Exactness of every row --------------------------------------------------------

TEST(Tamplet2Rows, UniformRowsExactUpToTheirDegree) {
    // Five-point rows are exact to degree 4, seven-point rows to degree 6.
    // The node sits mid-mesh so that every row, backward or forward, stays
    // on real nodes.
    std::vector<Row> rows;
    for (int sel : {0, 1, -1, 2, -2, 3}) {
        rows.push_back({TKind::Uni, 1, sel, 4});
        rows.push_back({TKind::Uni, 2, sel, 4});
        rows.push_back({TKind::Uni1, 1, sel, 4});
        rows.push_back({TKind::Uni1, 2, sel, 4});
        rows.push_back({TKind::Uni1, 3, sel, 6});
        rows.push_back({TKind::T2, 1, sel, 4});
        rows.push_back({TKind::T2, 2, sel, 4});
    }
    for (int sel : {0, 1, -1}) rows.push_back({TKind::Uni1, 4, sel, 6});
    for (const Row& r : rows) ExpectExact(r, UniformSteps(20, 10.0), 10, 1e-12);
}

TEST(Tamplet2Rows, InterpolationRowsExactOnAnyMesh) {
    // Unequal steps: the weights of the polynomial through the five actual
    // nodes, for every node set; the same with one step changed only beyond
    // the operator's reach (the uniform row) and inside it.
    const std::vector<double> ragged = {0.3, 0.9, 1.3, 0.7, 1.1, 0.45, 0.8, 1.6, 0.5, 0.35, 1.2, 0.6};
    std::vector<double> nearlyUniform(12, 0.5);
    nearlyUniform[2] = 0.55;
    for (const auto& steps : {ragged, nearlyUniform})
        for (int sel : {0, 1, -1, 2, -2})
            for (int order : {1, 2})
                for (int node : {5, 6, 7}) ExpectExact({TKind::T2, order, sel, 4}, steps, node, 1e-11);
}

TEST(Tamplet2Rows, NodesTheOperatorsReach) {
    struct Reach {
        TKind kind;
        TOrders orders;
        int sel;
        int node;
        int first, last;
        bool low;
    };
    const Reach cases[] = {
        // Whole orders at once: seven points; the shifted fourth derivative
        // from the second node of a direction reaches one virtual node.
        {TKind::Uni1, {4}, 0, 6, -3, 3, false},
        {TKind::Uni1, {4}, 1, 1, -2, 4, false},
        {TKind::Uni1, {3}, 2, 0, -1, 5, false},
        // Composition of five-point operators: nine points.
        {TKind::Uni, {4}, 0, 6, -4, 4, false},
        {TKind::T2, {2}, -1, 6, -3, 1, false},
        // The low path of the mixed stencil stays three-point.
        {TKind::Mix, {4}, 0, 6, -2, 2, true},
        {TKind::Mix, {4}, 0, 6, -4, 4, false},
    };
    for (const Reach& c : cases) {
        Fixture f(c.kind, 1);
        f.domain.SetSteps(0, UniformSteps(12, 3.0));
        f.domain.SetPos(0, c.node);
        EXPECT_EQ(f.Reach(c.orders, {c.sel}, c.low), std::make_pair(c.first, c.last))
            << KindName(c.kind) << " order " << c.orders[0] << " selector " << c.sel;
    }
}

TEST(Tamplet2Rows, FourthDerivativeHasNoOneSidedRow) {
    Fixture f(TKind::Uni1, 1);
    f.domain.SetSteps(0, UniformSteps(10, 1.0));
    EXPECT_THROW(f.stencil->AddDerivSel({4}, {2}, 1), ZemError);
    // An order above 4 in one direction has no operator: nothing emitted.
    f.owner.ClearRow();
    f.stencil->AddDeriv({5}, 1);
    EXPECT_TRUE(f.owner.Row.empty());
}

// --- Observed order --------------------------------------------------------------------

namespace {

// A smooth function with its derivatives: sin(2x + 0.3) + exp(0.7x).
Extended F(Extended x) { return std::sin(2 * x + 0.3L) + std::exp(0.7L * x); }
Extended DF(int a, Extended x) {
    const Extended arg = 2 * x + 0.3L;
    const Extended s = (a % 2 == 0 ? std::sin(arg) : std::cos(arg)) * ((a % 4) < 2 ? 1 : -1) * std::pow(2.0L, a);
    return s + std::pow(0.7L, a) * std::exp(0.7L * x);
}

// Error of the derivative at x = 1/2 on n steps over [0, 1] (mapped by map).
Extended Error1D(TKind kind, int order, int sel, bool low, int n, const std::function<double(double)>& map) {
    Fixture f(kind, 1);
    std::vector<double> steps;
    for (int k = 0; k < n; ++k) steps.push_back(map(double(k + 1) / n) - map(double(k) / n));
    f.domain.SetSteps(0, steps);
    f.domain.SetSolution([](Extended x, Extended) { return F(x); });
    f.domain.SetPos(0, n / 2);
    const Extended v = low ? f.Mix().DerivValueLowSel({order}, {sel}) : f.stencil->DerivValueSel({order}, {sel});
    return std::fabs(v - DF(order, f.domain.PosCoord(0)));
}

double Order(Extended coarse, Extended fine) { return static_cast<double>(std::log2(coarse / fine)); }

const auto kUniform = [](double xi) { return xi; };
const auto kGraded = [](double xi) { return std::expm1(1.5 * xi) / std::expm1(1.5); };

struct OrderCase {
    TKind kind;
    int order;
    int sel;
    double expected;
};

void ExpectOrder(const OrderCase& c, const std::function<double(double)>& map, bool low = false, int n0 = 64) {
    const Extended e1 = Error1D(c.kind, c.order, c.sel, low, n0, map);
    const Extended e2 = Error1D(c.kind, c.order, c.sel, low, 2 * n0, map);
    EXPECT_NEAR(Order(e1, e2), c.expected, 0.25)
        << KindName(c.kind) << " order " << c.order << " selector " << c.sel << ": errors " << double(e1) << ", "
        << double(e2);
}

}  // namespace

TEST(Tamplet2Convergence, UniformOperatorsOnUniformMeshes) {
    // Central and first-derivative rows are fourth order. A row of p points
    // for the derivative of order o that is not centred has the error
    // h^(p - o): the shifted and one-sided five-point second derivatives
    // and the shifted seven-point fourth derivative are third order.
    const OrderCase cases[] = {
        {TKind::Uni, 1, 0, 4},  {TKind::Uni, 1, 1, 4},  {TKind::Uni, 1, -2, 4},
        {TKind::Uni, 2, 0, 4},  {TKind::Uni, 2, -1, 3}, {TKind::Uni, 2, 2, 3},
        {TKind::Uni, 3, 0, 4},  {TKind::Uni, 3, 1, 4},  {TKind::Uni, 4, 0, 4},
        {TKind::Uni, 4, -1, 3},
        {TKind::Uni1, 3, 0, 4}, {TKind::Uni1, 3, 1, 4}, {TKind::Uni1, 3, -2, 4},
        {TKind::Uni1, 4, 0, 4}, {TKind::Uni1, 4, -1, 3},
    };
    for (const OrderCase& c : cases) ExpectOrder(c, kUniform);
}

TEST(Tamplet2Convergence, InterpolationOnAGradedMesh) {
    // Steps from a smooth mapping: the five-point weights keep fourth order
    // for the central first and second derivatives.
    for (const OrderCase& c : {OrderCase{TKind::T2, 1, 0, 4}, OrderCase{TKind::T2, 2, 0, 4},
                               OrderCase{TKind::T2, 1, 1, 4}, OrderCase{TKind::T2, 1, -2, 4}})
        ExpectOrder(c, kGraded);
}

TEST(Tamplet2Convergence, InterpolationAcrossAPeriodicSeam) {
    // A closed direction of length 2 pi graded by y = xi + 0.3 sin(xi): the
    // node on the seam uses nodes from both ends of the step list.
    auto error = [](int order, int n) {
        Fixture f(TKind::T2, 2);
        f.domain.Periodic[1] = true;
        std::vector<double> steps;
        const double twoPi = 2 * std::numbers::pi;
        auto map = [twoPi](double xi) { return twoPi * xi + 0.3 * std::sin(twoPi * xi); };
        for (int k = 0; k < n; ++k) steps.push_back(map(double(k + 1) / n) - map(double(k) / n));
        f.domain.SetSteps(0, UniformSteps(2, 1.0));
        f.domain.SetSteps(1, steps);
        f.domain.SetSolution([](Extended, Extended y) { return std::exp(std::sin(y)); });
        f.domain.SetPos(0, 1);
        f.domain.SetPos(1, 0);  // y = 0, the seam
        // d/dy e^sin y = cos y e^sin y; d2/dy2 = (cos^2 y - sin y) e^sin y: 1 and 1 at y = 0.
        return std::fabs(f.stencil->DerivValue({0, static_cast<int>(order)}) - 1);
    };
    for (int order : {1, 2}) {
        const Extended e1 = error(order, 64), e2 = error(order, 128);
        EXPECT_NEAR(Order(e1, e2), 4, 0.3) << "order " << order << ": errors " << double(e1) << ", " << double(e2);
    }
}

TEST(Tamplet2Convergence, LowPathOfTheMixedStencilIsSecondOrder) {
    for (int order : {1, 2, 3, 4}) ExpectOrder({TKind::Mix, order, 0, 2}, kUniform, true);
    ExpectOrder({TKind::Mix, 4, 0, 2}, kGraded, true);
    // The five-point path of the same stencil keeps fourth order.
    ExpectOrder({TKind::Mix, 4, 0, 4}, kUniform);
}
