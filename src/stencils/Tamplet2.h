// Higher-accuracy stencils: fourth-order elementary operators in place of the
// three-point ones of TTamplet.
//
// Selectors are read by value here, not only by sign (s is the sign):
//   0        central operator;
//   +-1      shifted operator: one node fewer on the far side than the
//            central one, the rest towards s (for the node next to an end);
//   +-2 ...  one-sided operator towards s (for the end node itself).
//
// TUniTampl2      five-point first and second differences on a uniform mesh
//                 (the step is the direction's first step), composed as in
//                 TTamplet: order 3 = first of second, order 4 = second of
//                 second (nine points).
// TUniTampl2_1    takes a direction's whole order at once, with seven-point
//                 third and fourth derivatives. Meant for uniform directions
//                 only: unequal steps get the weights of the first step, so a
//                 caller must see to equal steps itself.
// TTamplet2       five-point first and second differences on any mesh: the
//                 uniform rows with the local step where the four steps an
//                 operator spans are equal, else the weights of the
//                 interpolating polynomial through the five actual nodes.
// TTampletMix     a TTamplet2 with a second set of entry points (AddDerivLow,
//                 DerivValueLow) that compose the three-point operators of
//                 TTamplet, for the terms an equation wants compact (the
//                 highest derivatives).
#pragma once

#include "stencils/Tamplets.h"

namespace zem {

class TUniTampl2 : public TTamplet {
public:
    using TTamplet::TTamplet;

    // The five-point rows for a mesh of step h, weights scaled by x.
    static void UniformFirst(int selector, Extended h, Extended x, TStencilRow& row);
    static void UniformSecond(int selector, Extended h, Extended x, TStencilRow& row);

protected:
    void FirstRow(int d, int selector, int i, Extended x, TStencilRow& row) const override;
    void SecondRow(int d, int selector, int i, Extended x, TStencilRow& row) const override;
};

class TUniTampl2_1 : public TUniTampl2 {
public:
    using TUniTampl2::TUniTampl2;

    // The seven-point rows for a mesh of step h. The fourth derivative has
    // no one-sided row: a selector beyond +-1 raises ZemError.
    static void UniformThird(int selector, Extended h, Extended x, TStencilRow& row);
    static void UniformFourth(int selector, Extended h, Extended x, TStencilRow& row);

protected:
    // The whole order of direction d with one operator; an order above 4
    // emits nothing (evaluates to 0).
    void EmitOrder(TOrders orders, const TSelectors& sel, int d, int k, const TNodeIdx& node, Extended x) override;
    Extended EvalOrder(TOrders orders, const TSelectors& sel, int d, int k, const TNodeIdx& node) override;

private:
    // The row of order o (1 ... 4) at step FirstStep(d); false for o > 4.
    bool OrderRow(int o, int d, int selector, Extended x, TStencilRow& row) const;
};

class TTamplet2 : public TTamplet {
public:
    using TTamplet::TTamplet;

    // The offsets (in nodes) of the five nodes an operator with this
    // selector uses, ascending.
    static std::array<int, 5> NodeSet(int selector);
    // Weights w such that sum w[m] p(pos[m]) = p^(order)(0) for every
    // polynomial p of degree <= 4 (order 1 or 2; five distinct positions).
    static std::array<Extended, 5> InterpolationWeights(const std::array<Extended, 5>& pos, int order);

protected:
    void FirstRow(int d, int selector, int i, Extended x, TStencilRow& row) const override;
    void SecondRow(int d, int selector, int i, Extended x, TStencilRow& row) const override;

private:
    void FivePointRow(int order, int d, int selector, int i, Extended x, TStencilRow& row) const;
};

class TTampletMix : public TTamplet2 {
public:
    using TTamplet2::TTamplet2;

    // As AddDeriv and DerivValue (and their selector forms), composed of the
    // three-point operators only.
    void AddDerivLow(const TOrders& orders, Extended x);
    Extended DerivValueLow(const TOrders& orders);
    void AddDerivLowSel(const TOrders& orders, const TSelectors& selectors, Extended x);
    Extended DerivValueLowSel(const TOrders& orders, const TSelectors& selectors);

protected:
    // The three-point operators while a compact derivative is being composed,
    // else the five-point ones.
    void FirstRow(int d, int selector, int i, Extended x, TStencilRow& row) const override;
    void SecondRow(int d, int selector, int i, Extended x, TStencilRow& row) const override;

private:
    // Composes with the three-point operators for its lifetime.
    class TThreePoint;
    bool threePoint_ = false;
};

}  // namespace zem
