#include "stencils/Tamplets.h"

namespace zem {

namespace {

int Sign(int s) { return (s > 0) - (s < 0); }

}  // namespace

TTamplet::TTamplet(TDomain* domain, int component) : Domain(domain), Component(component) {}

int TTamplet::NextSelector(const TSelectors& selectors, int& k) {
    const int s = k >= 0 && k < static_cast<int>(selectors.size()) ? selectors[static_cast<std::size_t>(k)] : 0;
    ++k;
    return s;
}

// A pass that wants free terms alone skips the composition.
void TTamplet::AddDeriv(const TOrders& orders, Extended x) {
    if (Domain->FreeTermsOnly()) return;
    static const TSelectors central{0};
    EmitTerm(orders, central, 0, 0, Domain->Pos, 0, x);
}

Extended TTamplet::DerivValue(const TOrders& orders) {
    static const TSelectors central{0};
    return EvalTerm(orders, central, 0, 0, Domain->Pos, 0);
}

void TTamplet::AddDerivSel(const TOrders& orders, const TSelectors& selectors, Extended x) {
    if (Domain->FreeTermsOnly()) return;
    EmitTerm(orders, selectors, 0, 0, Domain->Pos, 0, x);
}

Extended TTamplet::DerivValueSel(const TOrders& orders, const TSelectors& selectors) {
    return EvalTerm(orders, selectors, 0, 0, Domain->Pos, 0);
}

int TTamplet::FirstOrderedDir(const TOrders& orders, int d) const {
    while (orders[static_cast<std::size_t>(d)] == 0 && d < Domain->DimCount - 1) ++d;
    return d;
}

// --- Composition ------------------------------------------------------------------

void TTamplet::EmitTerm(TOrders orders, const TSelectors& sel, int d, int k, TNodeIdx node, int shift, Extended x) {
    node[static_cast<std::size_t>(d)] += shift;
    d = FirstOrderedDir(orders, d);
    if (orders[static_cast<std::size_t>(d)] == 0)
        Domain->AddCoef(Component, node, x);
    else
        EmitOrder(orders, sel, d, k, node, x);
}

Extended TTamplet::EvalTerm(TOrders orders, const TSelectors& sel, int d, int k, TNodeIdx node, int shift) {
    node[static_cast<std::size_t>(d)] += shift;
    d = FirstOrderedDir(orders, d);
    if (orders[static_cast<std::size_t>(d)] == 0) return Domain->SolutionAt(Component, node);
    return EvalOrder(orders, sel, d, k, node);
}

void TTamplet::ElementaryRow(TOrders& orders, const TSelectors& sel, int d, int& k, const TNodeIdx& node,
                             Extended x, TStencilRow& row) const {
    int& o = orders[static_cast<std::size_t>(d)];
    const int s = NextSelector(sel, k);
    const int i = node[static_cast<std::size_t>(d)];
    if (o % 2 != 0) {
        o -= 1;
        FirstRow(d, s, i, x, row);
    } else {
        o -= 2;
        SecondRow(d, s, i, x, row);
    }
}

void TTamplet::EmitOrder(TOrders orders, const TSelectors& sel, int d, int k, const TNodeIdx& node, Extended x) {
    TStencilRow row;
    ElementaryRow(orders, sel, d, k, node, x, row);
    EmitRow(row, orders, sel, d, k, node);
}

Extended TTamplet::EvalOrder(TOrders orders, const TSelectors& sel, int d, int k, const TNodeIdx& node) {
    TStencilRow row;
    ElementaryRow(orders, sel, d, k, node, 1, row);
    return EvalRow(row, orders, sel, d, k, node);
}

void TTamplet::EmitRow(const TStencilRow& row, const TOrders& orders, const TSelectors& sel, int d, int k,
                       const TNodeIdx& node) {
    for (int m = 0; m < row.Count; ++m)
        EmitTerm(orders, sel, d, k, node, row.Offsets[static_cast<std::size_t>(m)],
                 row.Weights[static_cast<std::size_t>(m)]);
}

Extended TTamplet::EvalRow(const TStencilRow& row, const TOrders& orders, const TSelectors& sel, int d, int k,
                           const TNodeIdx& node) {
    Extended sum = 0;
    for (int m = 0; m < row.Count; ++m)
        sum += row.Weights[static_cast<std::size_t>(m)] *
               EvalTerm(orders, sel, d, k, node, row.Offsets[static_cast<std::size_t>(m)]);
    return sum;
}

// --- Elementary operators -----------------------------------------------------------

void TTamplet::FirstRow(int d, int selector, int i, Extended x, TStencilRow& row) const {
    ThreePointFirst(d, selector, i, x, row);
}

void TTamplet::SecondRow(int d, int selector, int i, Extended x, TStencilRow& row) const {
    ThreePointSecond(d, selector, i, x, row);
}

void TTamplet::ThreePointFirst(int d, int selector, int i, Extended x, TStencilRow& row) const {
    const int s = Sign(selector);
    if (s == 0) {
        const Extended h1 = Domain->Step(d, i - 1);
        const Extended h2 = Domain->Step(d, i);
        if (h1 == h2) {
            // (v[+1] - v[-1]) / 2h
            const Extended c = x / (2 * h1);
            row.Add(-1, -c);
            row.Add(1, c);
        } else {
            // (-h2^2 v[-1] + (h2^2 - h1^2) v[0] + h1^2 v[+1]) / (h1 h2 (h1 + h2))
            const Extended c = x / (h1 * h2 * (h1 + h2));
            row.Add(-1, -h2 * h2 * c);
            row.Add(0, (h2 * h2 - h1 * h1) * c);
            row.Add(1, h1 * h1 * c);
        }
        return;
    }
    // One-sided towards s: steps h1 (node i to i+s) and h2 (i+s to i+2s).
    const Extended h1 = s > 0 ? Domain->Step(d, i) : Domain->Step(d, i - 1);
    const Extended h2 = s > 0 ? Domain->Step(d, i + 1) : Domain->Step(d, i - 2);
    if (h1 == h2) {
        // s (-3 v[0] + 4 v[s] - v[2s]) / 2h
        const Extended c = x / (2 * h1);
        row.Add(0, -3 * c * s);
        row.Add(s, 4 * c * s);
        row.Add(2 * s, -c * s);
    } else {
        // s (-h2 (2 h1 + h2) v[0] + (h1 + h2)^2 v[s] - h1^2 v[2s]) / (h1 h2 (h1 + h2))
        const Extended c = x / (h1 * h2 * (h1 + h2));
        row.Add(0, -h2 * (2 * h1 + h2) * c * s);
        row.Add(s, (h1 + h2) * (h1 + h2) * c * s);
        row.Add(2 * s, -h1 * h1 * c * s);
    }
}

void TTamplet::ThreePointSecond(int d, int selector, int i, Extended x, TStencilRow& row) const {
    const int s = Sign(selector);
    if (s == 0) {
        const Extended h1 = Domain->Step(d, i - 1);
        const Extended h2 = Domain->Step(d, i);
        if (h1 == h2) {
            // (v[-1] - 2 v[0] + v[+1]) / h^2
            const Extended c = x / (h1 * h1);
            row.Add(-1, c);
            row.Add(0, -2 * c);
            row.Add(1, c);
        } else {
            // 2 (h2 v[-1] - (h1 + h2) v[0] + h1 v[+1]) / (h1 h2 (h1 + h2))
            const Extended c = 2 * x / (h1 * h2 * (h1 + h2));
            row.Add(-1, h2 * c);
            row.Add(0, -(h1 + h2) * c);
            row.Add(1, h1 * c);
        }
        return;
    }
    // The central operator of node i + s, written at node i.
    const Extended h1 = s > 0 ? Domain->Step(d, i) : Domain->Step(d, i - 1);
    const Extended h2 = s > 0 ? Domain->Step(d, i + 1) : Domain->Step(d, i - 2);
    if (h1 == h2) {
        const Extended c = x / (h1 * h1);
        row.Add(0, c);
        row.Add(s, -2 * c);
        row.Add(2 * s, c);
    } else {
        const Extended c = 2 * x / (h1 * h2 * (h1 + h2));
        row.Add(0, h2 * c);
        row.Add(s, -(h1 + h2) * c);
        row.Add(2 * s, h1 * c);
    }
}

}  // namespace zem
