// The cylinders with higher-accuracy stencils: the axisymmetric shell
// ("CylSym2") and two variants of the technical-theory shell ("CylTech2_1",
// "CylTech2_2"). They solve the problems of their parents with fourth-order
// stencils and close the system at the ends with one-sided differences
// instead of writing the shell equation at the end nodes: where the parent
// writes one condition per fictitious node, these write a condition twice,
// once central and once shifted towards the inside, and make the backward
// and forward slopes agree at the node next to the end ("Fct", "DfBT").
// Unknowns, columns and their number are those of the parents.
//
// The operators are at least as wide as five nodes, so a mesh needs a few
// steps along the axis before every row stays within the two fictitious
// nodes beyond each end: the row writers refuse coarser meshes by name.
#pragma once

#include "problemtypes/DmCylSym.h"
#include "problemtypes/DmCylTech.h"
#include "stencils/Tamplet2.h"

namespace zem {

// The axisymmetric shell with five-point operators on any mesh (TTamplet2).
// Rows at the bottom: "dw" | "M1" (central) at node 0, "Fct" at node 1,
// "w" | "Q1" at node 0 (third derivative central of one-sided second
// differences), "dwR" | "M1R" at node 0 (shifted); the shell equation at
// nodes 2 ... N - 2; the mirror at the top ("dwL" | "M1L", "w" | "Q1",
// "Fct" at N - 1, "dw" | "M1").
class TDmCylSym2 : public TDmCylSym {
public:
    explicit TDmCylSym2(TDomainOwner* owner);

    void WriteStartRows(TEquationList& list) override;
    void WriteInnerRows(TEquationList& list) override;
    void WriteEndRows(TEquationList& list) override;
    // -D w''' with the selectors that keep the operator on the mesh near
    // the ends.
    Extended ValueQ1() override;

    // Backward minus forward slope at the current node: zero.
    void WriteFctRow(double weight);
    // The end rows of condition k at the current end node: the shear with
    // one-sided inner differences, and the slope or moment shifted inwards.
    void WriteQ1EndRow(double weight);
    void WriteShiftedRow(int k);
    // The five-point operators choose their nodes by the distance to the
    // ends: the rows are written at every node.
    int CoefReach(int) const override { return -1; }

private:
    // The fewest axial steps the rows of both ends can live with.
    void CheckMesh() const;
    // +1 at node 0, -1 at node N.
    int Inwards() const { return GetPos(0) == 0 ? 1 : -1; }
};

// The technical-theory shell with seven-point operators of whole orders on a
// uniform mesh (TUniTampl2_1). Per circumferential node, at the bottom:
//   1. "N1" | "EqI", "S1g" | "EqII", "dw0" | "M1" at i = 0;
//   2. "N1R" at i = 0 | "DfBT(u)" at i = 1, "S1gR" at i = 0 | "DfBT(v)" at
//      i = 1, "EqIIIR" at i = 0;
//   3. "u" | "EqI", "v" | "EqII", "w" | "Q1gR" at i = 0;
// the rows of the parent at the inner nodes, and the mirror at the top
// ("EqIIIL", passes in reverse order). The "R"/"L" rows take the axial
// derivative named below shifted towards the inside.
class TDmCylTech2_1 : public TDmCylTech {
public:
    explicit TDmCylTech2_1(TDomainOwner* owner);

    void WriteStartRows(TEquationList& list) override;
    void WriteEndRows(TEquationList& list) override;
    // With the one-sided third axial derivative at the end nodes.
    Extended ResultQ1() override;

    // The shell equation III with w_xxxx shifted inwards.
    virtual void WriteEqIIIEdge(double weight);
    // N1 with u_x shifted inwards.
    virtual void AddN1Edge(Extended c);
    // S1 + M12/R with v_x shifted inwards.
    virtual void AddS1gEdge(Extended c);
    virtual void WriteS1gEdgeRow(double weight);
    // Q1 + dM12/dy with w_xxx shifted inwards.
    virtual void AddQ1gEdge(Extended c);
    virtual void WriteQ1gEdgeRow(double weight);
    // The five-point operators repeat round a closed circumference (their
    // nodes reach five steps either way); along the axis the rows choose
    // their operators by the distance to the ends and are written at every
    // node.
    int CoefReach(int d) const override { return d == 1 ? TDmCylTech::CoefReach(1) < 0 ? -1 : 5 : -1; }
    void WriteN1EdgeRow(double weight);
    // Backward minus forward axial slope of component c: zero.
    void WriteDfBTRow(int c);

protected:
    // The stencils' weights are those of the first step: refuses a mesh
    // whose steps differ in either direction, and one too coarse along the
    // axis.
    virtual void CheckMesh() const;
    // The plain "EqIII" and "Q1g" rows in place of the edge ones.
    virtual bool PlainEdgeRows() const { return false; }
    void CheckAxialSteps() const;
    // +1 at the bottom, -1 at the top.
    int Inwards() const { return GetPos(0) == 0 ? 1 : -1; }

protected:
    // The three passes of one end (side 0 bottom at i = 0, 1 top at i = N).
    void WritePassBounds(TEquationList& list, int side);
    void WritePassEdge(TEquationList& list, int side);
    void WritePassDisplacements(TEquationList& list, int side);
};

// The technical-theory shell with mixed stencils (TTampletMix): five-point
// operators on any mesh, and the pure third and fourth derivatives
// (w_xxx, w_yyy, w_xxxx, w_yyyy) with the compact three-point composition.
// The end rows are those of "CylTech2_1" with the plain "EqIII" in the edge
// pass and "Q1g" for a given Q1.
class TDmCylTech2_2 : public TDmCylTech2_1 {
public:
    explicit TDmCylTech2_2(TDomainOwner* owner);

    void WriteEqIII(double weight) override;
    void AddQ1g(Extended c) override;
    Extended ResultQ1() override;
    Extended ResultQ2() override;

    TTampletMix& MixU() const { return static_cast<TTampletMix&>(U()); }
    TTampletMix& MixV() const { return static_cast<TTampletMix&>(V()); }
    TTampletMix& MixW() const { return static_cast<TTampletMix&>(W()); }

protected:
    // Any steps; only too coarse an axial mesh is refused.
    void CheckMesh() const override;
    bool PlainEdgeRows() const override { return true; }
};

}  // namespace zem
