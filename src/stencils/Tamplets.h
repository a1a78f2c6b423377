// Finite-difference stencils: a coefficient times a (mixed) partial derivative
// of one unknown component at the domain's current node, turned into
// coefficients of the row being built, and the same derivative evaluated from
// the solution.
//
// Every derivative is composed of elementary operators along one direction:
// an odd order starts with a first difference, the rest are second
// differences (order 3 = first difference of a second difference, order 4 =
// second difference of second differences); the orders of one direction are
// used up before the next direction. TTamplet's elementary operators are the
// three-point ones on the actual (possibly unequal) steps; the higher-accuracy
// stencils replace FirstRow/SecondRow and, when they treat a whole order at
// once, EmitOrder/EvalOrder.
//
// Selectors choose, per elementary operator from the outermost inwards,
// central (0), forward (> 0) or backward (< 0) operators; here only the sign
// counts, the descendants read the value.
#pragma once

#include "domains/Domains.h"
#include "platform/extended.h"
#include "platform/object.h"

#include <array>
#include <vector>

namespace zem {

// Derivative orders, one per direction: {4} is d4/dx4, {1, 1} d2/dxdy.
using TOrders = std::array<int, kMaxDims>;
using TSelectors = std::vector<int>;

// The nodes and weights of one elementary operator along a direction: weight
// Weights[m] at offset Offsets[m] from the node.
struct TStencilRow {
    static constexpr int kMaxNodes = 8;
    int Count = 0;
    std::array<int, kMaxNodes> Offsets{};
    std::array<Extended, kMaxNodes> Weights{};
    void Add(int offset, Extended weight) {
        Offsets[static_cast<std::size_t>(Count)] = offset;
        Weights[static_cast<std::size_t>(Count)] = weight;
        ++Count;
    }
};

class TTamplet : public TObject {
public:
    // The stencil works on the domain's mesh, current node, columns and
    // solution (not owned) for one unknown component.
    TTamplet(TDomain* domain, int component);

    TDomain* Domain;
    int Component;

    // Emits x times the derivative at the domain's current node, all
    // operators central.
    void AddDeriv(const TOrders& orders, Extended x);
    // The derivative of the solved component at the current node.
    Extended DerivValue(const TOrders& orders);
    void AddDerivSel(const TOrders& orders, const TSelectors& selectors, Extended x);
    Extended DerivValueSel(const TOrders& orders, const TSelectors& selectors);

    // selectors[k] (0 past the end), then k advances.
    static int NextSelector(const TSelectors& selectors, int& k);

protected:
    // Shifts the node along d, then applies the next operator (or emits x at
    // the node when no order is left).
    virtual void EmitTerm(TOrders orders, const TSelectors& sel, int d, int k, TNodeIdx node, int shift, Extended x);
    virtual Extended EvalTerm(TOrders orders, const TSelectors& sel, int d, int k, TNodeIdx node, int shift);

    // Takes the operator for the remaining order of direction d (nonzero):
    // by default one first difference for an odd order, else one second
    // difference, each reducing orders[d].
    virtual void EmitOrder(TOrders orders, const TSelectors& sel, int d, int k, const TNodeIdx& node, Extended x);
    virtual Extended EvalOrder(TOrders orders, const TSelectors& sel, int d, int k, const TNodeIdx& node);

    // The elementary operators at node i along d with the given selector,
    // weights scaled by x (x = 1 for evaluation).
    virtual void FirstRow(int d, int selector, int i, Extended x, TStencilRow& row) const;
    virtual void SecondRow(int d, int selector, int i, Extended x, TStencilRow& row) const;

    // The three-point operators on the actual steps (second order central and
    // one-sided first difference; the one-sided second difference is the
    // central one of node i + s, first order at node i).
    void ThreePointFirst(int d, int selector, int i, Extended x, TStencilRow& row) const;
    void ThreePointSecond(int d, int selector, int i, Extended x, TStencilRow& row) const;

    // The elementary operator for the order left in direction d, reducing
    // it: a first difference for an odd order, else a second difference, with
    // the next selector (k advances).
    void ElementaryRow(TOrders& orders, const TSelectors& sel, int d, int& k, const TNodeIdx& node, Extended x,
                       TStencilRow& row) const;
    // Continues the composition at every node of the row with the next
    // selector (k + 1).
    void EmitRow(const TStencilRow& row, const TOrders& orders, const TSelectors& sel, int d, int k,
                 const TNodeIdx& node);
    Extended EvalRow(const TStencilRow& row, const TOrders& orders, const TSelectors& sel, int d, int k,
                     const TNodeIdx& node);

    // Moves d forward to the first direction with an order left (or to the
    // last direction).
    int FirstOrderedDir(const TOrders& orders, int d) const;
};

}  // namespace zem
