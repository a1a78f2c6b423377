#include "problemtypes/DmCyl2.h"

#include "domains/Equations.h"
#include "platform/errors.h"

#include <cmath>
#include <string>

namespace zem {

namespace {

// The mesh item of direction d as the message names it.
std::string MeshName(const TDomain& domain, int d) {
    const std::string key = domain.Owner ? domain.Owner->MeshItemKey(d) : std::string();
    return std::string(d == 0 ? "в продольном направлении" : "в окружном направлении") +
           (key.empty() ? std::string() : " (" + key + ")");
}

[[noreturn]] void TooCoarse(const TDomain& domain, int least) {
    throw ZemError("Сетка " + MeshName(domain, 0) + " слишком редка для шаблонов повышенной точности: нужно не менее " +
                   std::to_string(least) + " шагов");
}

}  // namespace

// --- TDmCylSym2 ------------------------------------------------------------------------

TDmCylSym2::TDmCylSym2(TDomainOwner* owner) : TDmCylSym(owner) { Tamplet = std::make_unique<TTamplet2>(this, 0); }

void TDmCylSym2::CheckMesh() const {
    // "Fct" at node 1 reaches nodes -2 ... 4, and the rows of the two ends
    // must differ; the shear rows (central third derivative of one-sided
    // second differences) span nine nodes, all the mesh has at N = 4.
    const int n = StepCount(0);
    if (n < 3) TooCoarse(*this, 3);
    if (n < 4 && (!Given(0, bkW) || !Given(1, bkW))) TooCoarse(*this, 4);
}

void TDmCylSym2::WriteStartRows(TEquationList& list) {
    CheckEnd(0);
    CheckEnd(1);
    CheckMesh();
    AddBoundEquation(list, Given(0, bkDw) ? bkDw : bkM1, 0);
    AddEquation(list, "Fct", 1, EquatWriter(&TDmCylSym2::WriteFctRow), {1, 0});
    if (Given(0, bkW))
        AddBoundEquation(list, bkW, 0);
    else
        AddEquation(list, "Q1", 1, EquatWriter(&TDmCylSym2::WriteQ1EndRow), {0, 0});
    const int k = Given(0, bkDw) ? bkDw : bkM1;
    AddEquation(list, k == bkDw ? "dwR" : "M1R", 1, [k](TDomain& d, double) {
        static_cast<TDmCylSym2&>(d).WriteShiftedRow(k);
    }, {0, 0});
}

void TDmCylSym2::WriteInnerRows(TEquationList& list) {
    for (int i = 2; i <= StepCount(0) - 2; ++i) AddMainEquation(list, i);
}

void TDmCylSym2::WriteEndRows(TEquationList& list) {
    CheckEnd(1);
    const int n = StepCount(0);
    const int k = Given(1, bkDw) ? bkDw : bkM1;
    AddEquation(list, k == bkDw ? "dwL" : "M1L", 1, [k](TDomain& d, double) {
        static_cast<TDmCylSym2&>(d).WriteShiftedRow(k);
    }, {n, 0});
    if (Given(1, bkW))
        AddBoundEquation(list, bkW, n);
    else
        AddEquation(list, "Q1", 1, EquatWriter(&TDmCylSym2::WriteQ1EndRow), {n, 0});
    AddEquation(list, "Fct", 1, EquatWriter(&TDmCylSym2::WriteFctRow), {n - 1, 0});
    AddBoundEquation(list, k, n);
}

void TDmCylSym2::WriteFctRow(double) {
    // w'(backward) - w'(forward) = 0
    Tamplet->AddDerivSel({1}, {-1}, 1);
    Tamplet->AddDerivSel({1}, {1}, -1);
}

void TDmCylSym2::WriteQ1EndRow(double) {
    // -D w''' - Q1 = 0, the second differences one-sided towards the inside
    Tamplet->AddDerivSel({3}, {0, 2 * Inwards()}, -Rigidity);
    AddFree(-BoundaryNumber(GetPos(0) == 0 ? 0 : 1, bkQ1));
}

void TDmCylSym2::WriteShiftedRow(int k) {
    const int side = GetPos(0) == 0 ? 0 : 1;
    if (k == bkDw)
        Tamplet->AddDerivSel({1}, {Inwards()}, 1);  // w' - dw = 0
    else
        Tamplet->AddDerivSel({2}, {Inwards()}, -Rigidity);  // -D w'' - M1 = 0
    AddFree(-BoundaryNumber(side, k));
}

Extended TDmCylSym2::ValueQ1() {
    const int i = GetPos(0), n = StepCount(0);
    if (n < 4) {
        // Too few nodes for the five-point composition: the three-point one.
        TTamplet low(this, 0);
        return -Rigidity * low.DerivValueSel({3}, {i == 0 ? 1 : i == n ? -1 : 0});
    }
    int inner = 0;  // the inner second differences, one-sided near the ends
    if (i == 0)
        inner = 2;
    else if (i == 1)
        inner = 1;
    else if (i == n - 1)
        inner = -1;
    else if (i == n)
        inner = -2;
    return -Rigidity * Tamplet->DerivValueSel({3}, {0, inner});
}

// --- TDmCylTech2_1 ------------------------------------------------------------------------

TDmCylTech2_1::TDmCylTech2_1(TDomainOwner* owner) : TDmCylTech(owner) {
    for (int c = 0; c < 3; ++c) Tamplets[static_cast<std::size_t>(c)] = std::make_unique<TUniTampl2_1>(this, c);
}

void TDmCylTech2_1::CheckAxialSteps() const {
    // "DfBT" at nodes 1 and N - 1 must be two rows, and the seven-point
    // operators of node 1 reach node -2.
    if (StepCount(0) < 3) TooCoarse(*this, 3);
}

void TDmCylTech2_1::CheckMesh() const {
    CheckAxialSteps();
    for (int d = 0; d < 2; ++d) {
        const std::vector<double>& steps = Steps(d);
        for (double h : steps)
            if (std::fabs(h - steps.front()) > 1e-9 * steps.front())
                throw ZemError("Шаги сетки " + MeshName(*this, d) +
                               " различны, а шаблоны этого типа задачи требуют равномерной сетки");
    }
}

void TDmCylTech2_1::WritePassBounds(TEquationList& list, int side) {
    const int i = side == 0 ? 0 : StepCount(0);
    for (int j = 0; j < LineNodeCount(); ++j) {
        if (Given(side, 4))
            AddBoundRow(list, 4, i, j);
        else
            AddEqRow(list, 1, i, j);
        if (Given(side, 5))
            AddRow(list, "S1g", [](TDomain& d, double) { static_cast<TDmCylTech2_1&>(d).WriteBoundRow(5); }, i, j);
        else
            AddEqRow(list, 2, i, j);
        AddBoundRow(list, Given(side, 3) ? 3 : 7, i, j);  // dw0 / M1
    }
}

void TDmCylTech2_1::WritePassEdge(TEquationList& list, int side) {
    const int n = StepCount(0);
    const int i = side == 0 ? 0 : n;
    const int next = side == 0 ? 1 : n - 1;  // the node next to the end
    for (int j = 0; j < LineNodeCount(); ++j) {
        if (Given(side, 4))
            AddRow(list, "N1R", EquatWriter(&TDmCylTech2_1::WriteN1EdgeRow), i, j);
        else
            AddRow(list, "DfBT(u)", [](TDomain& d, double) { static_cast<TDmCylTech2_1&>(d).WriteDfBTRow(0); },
                   next, j);
        if (Given(side, 5))
            AddRow(list, "S1gR", EquatWriter(&TDmCylTech2_1::WriteS1gEdgeRow), i, j);
        else
            AddRow(list, "DfBT(v)", [](TDomain& d, double) { static_cast<TDmCylTech2_1&>(d).WriteDfBTRow(1); },
                   next, j);
        if (PlainEdgeRows())
            AddEqRow(list, 3, i, j);
        else
            AddRow(list, side == 0 ? "EqIIIR" : "EqIIIL", EquatWriter(&TDmCylTech2_1::WriteEqIIIEdge), i, j);
    }
}

void TDmCylTech2_1::WritePassDisplacements(TEquationList& list, int side) {
    const int i = side == 0 ? 0 : StepCount(0);
    for (int j = 0; j < LineNodeCount(); ++j) {
        if (Given(side, 0))
            AddBoundRow(list, 0, i, j);
        else
            AddEqRow(list, 1, i, j);
        if (Given(side, 1))
            AddBoundRow(list, 1, i, j);
        else
            AddEqRow(list, 2, i, j);
        if (Given(side, 2))
            AddBoundRow(list, 2, i, j);
        else if (PlainEdgeRows())
            AddRow(list, "Q1g", [](TDomain& d, double) { static_cast<TDmCylTech2_1&>(d).WriteBoundRow(6); }, i, j);
        else
            AddRow(list, "Q1gR", EquatWriter(&TDmCylTech2_1::WriteQ1gEdgeRow), i, j);
    }
}

void TDmCylTech2_1::WriteStartRows(TEquationList& list) {
    CheckMesh();
    WritePassBounds(list, 0);
    WritePassEdge(list, 0);
    WritePassDisplacements(list, 0);
}

void TDmCylTech2_1::WriteEndRows(TEquationList& list) {
    WritePassDisplacements(list, 1);
    WritePassEdge(list, 1);
    WritePassBounds(list, 1);
}

void TDmCylTech2_1::WriteEqIIIEdge(double) {
    U().AddDeriv({1, 0}, MuR);                          // mu/R u_x
    V().AddDeriv({0, 1}, InvR);                         // v_y/R
    W().AddDerivSel({4, 0}, {Inwards()}, T2_12);        // t^2/12 (w_xxxx shifted inwards
    W().AddDeriv({2, 2}, 2 * T2_12);                    //   + 2 w_xxyy
    W().AddDeriv({0, 4}, T2_12);                        //   + w_yyyy)
    W().AddDeriv({0, 0}, InvR2);                        // w/R^2
    AddFree(-InputQz() * Compliance);                   // -qz/B
}

void TDmCylTech2_1::AddN1Edge(Extended c) {
    U().AddDerivSel({1, 0}, {Inwards()}, c * B);  // B u_x
    V().AddDeriv({0, 1}, c * B * mu);             // B mu v_y
    W().AddDeriv({0, 0}, c * B * MuR);            // B mu/R w
}

void TDmCylTech2_1::AddS1gEdge(Extended c) {
    const Extended b = c * D * (1 - mu);
    U().AddDeriv({0, 1}, 6 * b / (t * t));                    // G t u_y
    V().AddDerivSel({1, 0}, {Inwards()}, 6 * b / (t * t));   // G t v_x
    W().AddDeriv({1, 1}, -b / R);                             // -(1 - mu) D w_xy/R
}

void TDmCylTech2_1::AddQ1gEdge(Extended c) {
    W().AddDeriv({1, 2}, -c * D * (2 - mu));             // -D (2 - mu) w_xyy
    W().AddDerivSel({3, 0}, {Inwards()}, -c * D);        // -D w_xxx
}

void TDmCylTech2_1::WriteN1EdgeRow(double) {
    AddN1Edge(1);
    WriteBoundFree(4);
}

void TDmCylTech2_1::WriteS1gEdgeRow(double) {
    AddS1gEdge(1);
    WriteBoundFree(5);
}

void TDmCylTech2_1::WriteQ1gEdgeRow(double) {
    AddQ1gEdge(1);
    WriteBoundFree(6);
}

void TDmCylTech2_1::WriteDfBTRow(int c) {
    TTamplet& s = *Tamplets[static_cast<std::size_t>(c)];
    s.AddDerivSel({1, 0}, {-1}, 1);
    s.AddDerivSel({1, 0}, {1}, -1);
}

Extended TDmCylTech2_1::ResultQ1() {
    const int i = GetPos(0);
    if (i != 0 && i != StepCount(0)) return TDmCylTech::ResultQ1();
    return -D * (W().DerivValueSel({3, 0}, {Inwards()}) + W().DerivValue({1, 2}));
}

// --- TDmCylTech2_2 ------------------------------------------------------------------------

TDmCylTech2_2::TDmCylTech2_2(TDomainOwner* owner) : TDmCylTech2_1(owner) {
    for (int c = 0; c < 3; ++c) Tamplets[static_cast<std::size_t>(c)] = std::make_unique<TTampletMix>(this, c);
}

void TDmCylTech2_2::CheckMesh() const { CheckAxialSteps(); }

void TDmCylTech2_2::WriteEqIII(double) {
    U().AddDeriv({1, 0}, MuR);            // mu/R u_x
    V().AddDeriv({0, 1}, InvR);           // v_y/R
    MixW().AddDerivLow({4, 0}, T2_12);    // t^2/12 (w_xxxx, compact
    W().AddDeriv({2, 2}, 2 * T2_12);      //   + 2 w_xxyy
    MixW().AddDerivLow({0, 4}, T2_12);    //   + w_yyyy, compact)
    W().AddDeriv({0, 0}, InvR2);          // w/R^2
    AddFree(-InputQz() * Compliance);     // -qz/B
}

void TDmCylTech2_2::AddQ1g(Extended c) {
    W().AddDeriv({1, 2}, -c * D * (2 - mu));  // -D (2 - mu) w_xyy
    MixW().AddDerivLow({3, 0}, -c * D);       // -D w_xxx, compact
}

Extended TDmCylTech2_2::ResultQ1() { return -D * (MixW().DerivValueLow({3, 0}) + W().DerivValue({1, 2})); }

Extended TDmCylTech2_2::ResultQ2() { return -D * (W().DerivValue({2, 1}) + MixW().DerivValueLow({0, 3})); }

}  // namespace zem
