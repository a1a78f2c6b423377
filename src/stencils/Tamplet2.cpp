#include "stencils/Tamplet2.h"

#include "platform/errors.h"

#include <algorithm>
#include <cstdlib>

namespace zem {

namespace {

int Sign(int s) { return (s > 0) - (s < 0); }

// Adds c0 * coefs[m] at offsets[m] * unit, for the rows written in units of
// the selector's sign.
template <std::size_t N>
void AddScaled(TStencilRow& row, const int (&offsets)[N], const int (&coefs)[N], int unit, Extended c0) {
    for (std::size_t m = 0; m < N; ++m) row.Add(offsets[m] * unit, coefs[m] * c0);
}

}  // namespace

// --- TUniTampl2 ---------------------------------------------------------------------

void TUniTampl2::UniformFirst(int selector, Extended h, Extended x, TStencilRow& row) {
    const int s = Sign(selector);
    const Extended c0 = x / (12 * h);
    if (s == 0) {
        // (v[-2] - 8 v[-1] + 8 v[1] - v[2]) / 12h
        AddScaled(row, {-2, -1, 1, 2}, {1, -8, 8, -1}, 1, c0);
    } else if (std::abs(selector) == 1) {
        // s (-3 v[-s] - 10 v[0] + 18 v[s] - 6 v[2s] + v[3s]) / 12h
        AddScaled(row, {-1, 0, 1, 2, 3}, {-3, -10, 18, -6, 1}, s, c0 * s);
    } else {
        // s (-25 v[0] + 48 v[s] - 36 v[2s] + 16 v[3s] - 3 v[4s]) / 12h
        AddScaled(row, {0, 1, 2, 3, 4}, {-25, 48, -36, 16, -3}, s, c0 * s);
    }
}

void TUniTampl2::UniformSecond(int selector, Extended h, Extended x, TStencilRow& row) {
    const int s = Sign(selector);
    const Extended c0 = x / (12 * h * h);
    if (s == 0)
        // (-v[-2] + 16 v[-1] - 30 v[0] + 16 v[1] - v[2]) / 12h^2
        AddScaled(row, {-2, -1, 0, 1, 2}, {-1, 16, -30, 16, -1}, 1, c0);
    else if (std::abs(selector) == 1)
        // (11 v[-s] - 20 v[0] + 6 v[s] + 4 v[2s] - v[3s]) / 12h^2
        AddScaled(row, {-1, 0, 1, 2, 3}, {11, -20, 6, 4, -1}, s, c0);
    else
        // (35 v[0] - 104 v[s] + 114 v[2s] - 56 v[3s] + 11 v[4s]) / 12h^2
        AddScaled(row, {0, 1, 2, 3, 4}, {35, -104, 114, -56, 11}, s, c0);
}

void TUniTampl2::FirstRow(int d, int selector, int i, Extended x, TStencilRow& row) const {
    UniformFirst(selector, Domain->FirstStep(d), x, row);
}

void TUniTampl2::SecondRow(int d, int selector, int i, Extended x, TStencilRow& row) const {
    UniformSecond(selector, Domain->FirstStep(d), x, row);
}

// --- TUniTampl2_1 ---------------------------------------------------------------------

void TUniTampl2_1::UniformThird(int selector, Extended h, Extended x, TStencilRow& row) {
    const int s = Sign(selector);
    const Extended c0 = x / (8 * h * h * h);
    if (s == 0)
        // (v[-3] - 8 v[-2] + 13 v[-1] - 13 v[1] + 8 v[2] - v[3]) / 8h^3
        AddScaled(row, {-3, -2, -1, 1, 2, 3}, {1, -8, 13, -13, 8, -1}, 1, c0);
    else if (std::abs(selector) == 1)
        // s (-v[-2s] - 8 v[-s] + 35 v[0] - 48 v[s] + 29 v[2s] - 8 v[3s] + v[4s]) / 8h^3
        AddScaled(row, {-2, -1, 0, 1, 2, 3, 4}, {-1, -8, 35, -48, 29, -8, 1}, s, c0 * s);
    else
        // s (-15 v[-s] + 56 v[0] - 83 v[s] + 64 v[2s] - 29 v[3s] + 8 v[4s] - v[5s]) / 8h^3
        AddScaled(row, {-1, 0, 1, 2, 3, 4, 5}, {-15, 56, -83, 64, -29, 8, -1}, s, c0 * s);
}

void TUniTampl2_1::UniformFourth(int selector, Extended h, Extended x, TStencilRow& row) {
    const int s = Sign(selector);
    const Extended c0 = x / (6 * h * h * h * h);
    if (s == 0)
        // (-v[-3] + 12 v[-2] - 39 v[-1] + 56 v[0] - 39 v[1] + 12 v[2] - v[3]) / 6h^4
        AddScaled(row, {-3, -2, -1, 0, 1, 2, 3}, {-1, 12, -39, 56, -39, 12, -1}, 1, c0);
    else if (std::abs(selector) == 1)
        // (5 v[-2s] - 18 v[-s] + 21 v[0] - 4 v[s] - 9 v[2s] + 6 v[3s] - v[4s]) / 6h^4
        AddScaled(row, {-2, -1, 0, 1, 2, 3, 4}, {5, -18, 21, -4, -9, 6, -1}, s, c0);
    else
        throw ZemError("Нет одностороннего шаблона четвертой производной (выбор " + std::to_string(selector) + ")");
}

bool TUniTampl2_1::OrderRow(int o, int d, int selector, Extended x, TStencilRow& row) const {
    const Extended h = Domain->FirstStep(d);
    switch (o) {
    case 1: UniformFirst(selector, h, x, row); return true;
    case 2: UniformSecond(selector, h, x, row); return true;
    case 3: UniformThird(selector, h, x, row); return true;
    case 4: UniformFourth(selector, h, x, row); return true;
    default: return false;
    }
}

void TUniTampl2_1::EmitOrder(TOrders orders, const TSelectors& sel, int d, int k, const TNodeIdx& node, Extended x) {
    const int o = orders[static_cast<std::size_t>(d)];
    orders[static_cast<std::size_t>(d)] = 0;
    const int s = NextSelector(sel, k);
    TStencilRow row;
    if (OrderRow(o, d, s, x, row)) EmitRow(row, orders, sel, d, k, node);
}

Extended TUniTampl2_1::EvalOrder(TOrders orders, const TSelectors& sel, int d, int k, const TNodeIdx& node) {
    const int o = orders[static_cast<std::size_t>(d)];
    orders[static_cast<std::size_t>(d)] = 0;
    const int s = NextSelector(sel, k);
    TStencilRow row;
    return OrderRow(o, d, s, 1, row) ? EvalRow(row, orders, sel, d, k, node) : Extended(0);
}

// --- TTamplet2 ------------------------------------------------------------------------

std::array<int, 5> TTamplet2::NodeSet(int selector) {
    const int s = Sign(selector);
    if (s == 0) return {-2, -1, 0, 1, 2};
    const int first = std::abs(selector) == 1 ? -1 : 0;  // in units of s
    std::array<int, 5> set{};
    for (int m = 0; m < 5; ++m) set[static_cast<std::size_t>(m)] = (first + m) * s;
    if (s < 0) std::swap(set[0], set[4]), std::swap(set[1], set[3]);
    return set;
}

// Fornberg's recursion for the weights of the derivatives 0 ... order at 0
// from the values at the given positions.
std::array<Extended, 5> TTamplet2::InterpolationWeights(const std::array<Extended, 5>& pos, int order) {
    constexpr int n = 5;
    Extended c[n][3] = {};
    c[0][0] = 1;
    Extended c1 = 1;
    Extended c4 = pos[0];
    for (int i = 1; i < n; ++i) {
        const int mn = std::min(i, order);
        Extended c2 = 1;
        const Extended c5 = c4;
        c4 = pos[static_cast<std::size_t>(i)];
        for (int j = 0; j < i; ++j) {
            const Extended c3 = pos[static_cast<std::size_t>(i)] - pos[static_cast<std::size_t>(j)];
            c2 *= c3;
            if (j == i - 1) {
                for (int k = mn; k >= 1; --k) c[i][k] = c1 * (k * c[i - 1][k - 1] - c5 * c[i - 1][k]) / c2;
                c[i][0] = -c1 * c5 * c[i - 1][0] / c2;
            }
            for (int k = mn; k >= 1; --k) c[j][k] = (c4 * c[j][k] - k * c[j][k - 1]) / c3;
            c[j][0] = c4 * c[j][0] / c3;
        }
        c1 = c2;
    }
    std::array<Extended, 5> w{};
    for (int m = 0; m < n; ++m) w[static_cast<std::size_t>(m)] = c[m][order];
    return w;
}

void TTamplet2::FivePointRow(int order, int d, int selector, int i, Extended x, TStencilRow& row) const {
    const std::array<int, 5> set = NodeSet(selector);
    // The four steps between consecutive nodes of the set (wrapped, or the
    // end step repeated beyond an end).
    std::array<Extended, 4> steps{};
    for (int m = 0; m < 4; ++m) steps[static_cast<std::size_t>(m)] = Domain->Step(d, i + set[0] + m);
    if (steps[0] == steps[1] && steps[1] == steps[2] && steps[2] == steps[3]) {
        if (order == 1)
            TUniTampl2::UniformFirst(selector, steps[0], x, row);
        else
            TUniTampl2::UniformSecond(selector, steps[0], x, row);
        return;
    }
    // Positions relative to node i, from the steps.
    std::array<Extended, 5> pos{};
    for (int m = 1; m < 5; ++m)
        pos[static_cast<std::size_t>(m)] = pos[static_cast<std::size_t>(m - 1)] + steps[static_cast<std::size_t>(m - 1)];
    const Extended origin = pos[static_cast<std::size_t>(-set[0])];
    for (Extended& p : pos) p -= origin;
    const std::array<Extended, 5> w = InterpolationWeights(pos, order);
    for (int m = 0; m < 5; ++m) row.Add(set[static_cast<std::size_t>(m)], x * w[static_cast<std::size_t>(m)]);
}

void TTamplet2::FirstRow(int d, int selector, int i, Extended x, TStencilRow& row) const {
    FivePointRow(1, d, selector, i, x, row);
}

void TTamplet2::SecondRow(int d, int selector, int i, Extended x, TStencilRow& row) const {
    FivePointRow(2, d, selector, i, x, row);
}

// --- TTampletMix ------------------------------------------------------------------------

void TTampletMix::AddDerivLow(const TOrders& orders, Extended x) {
    static const TSelectors central{0};
    EmitTermLow(orders, central, 0, 0, Domain->Pos, 0, x);
}

Extended TTampletMix::DerivValueLow(const TOrders& orders) {
    static const TSelectors central{0};
    return EvalTermLow(orders, central, 0, 0, Domain->Pos, 0);
}

void TTampletMix::AddDerivLowSel(const TOrders& orders, const TSelectors& selectors, Extended x) {
    EmitTermLow(orders, selectors, 0, 0, Domain->Pos, 0, x);
}

Extended TTampletMix::DerivValueLowSel(const TOrders& orders, const TSelectors& selectors) {
    return EvalTermLow(orders, selectors, 0, 0, Domain->Pos, 0);
}

void TTampletMix::LowRow(TOrders& orders, const TSelectors& sel, int d, int& k, const TNodeIdx& node, Extended x,
                         TStencilRow& row) const {
    int& o = orders[static_cast<std::size_t>(d)];
    const int s = NextSelector(sel, k);
    const int i = node[static_cast<std::size_t>(d)];
    if (o % 2 != 0) {
        o -= 1;
        ThreePointFirst(d, s, i, x, row);
    } else {
        o -= 2;
        ThreePointSecond(d, s, i, x, row);
    }
}

void TTampletMix::EmitTermLow(TOrders orders, const TSelectors& sel, int d, int k, TNodeIdx node, int shift,
                              Extended x) {
    node[static_cast<std::size_t>(d)] += shift;
    d = FirstOrderedDir(orders, d);
    if (orders[static_cast<std::size_t>(d)] == 0) {
        Domain->AddCoef(Component, node, x);
        return;
    }
    TStencilRow row;
    LowRow(orders, sel, d, k, node, x, row);
    for (int m = 0; m < row.Count; ++m)
        EmitTermLow(orders, sel, d, k, node, row.Offsets[static_cast<std::size_t>(m)],
                    row.Weights[static_cast<std::size_t>(m)]);
}

Extended TTampletMix::EvalTermLow(TOrders orders, const TSelectors& sel, int d, int k, TNodeIdx node, int shift) {
    node[static_cast<std::size_t>(d)] += shift;
    d = FirstOrderedDir(orders, d);
    if (orders[static_cast<std::size_t>(d)] == 0) return Domain->SolutionAt(Component, node);
    TStencilRow row;
    LowRow(orders, sel, d, k, node, 1, row);
    Extended sum = 0;
    for (int m = 0; m < row.Count; ++m)
        sum += row.Weights[static_cast<std::size_t>(m)] *
               EvalTermLow(orders, sel, d, k, node, row.Offsets[static_cast<std::size_t>(m)]);
    return sum;
}

}  // namespace zem
