// The cylindrical panel ("CylPanel"): the Love-equation shell over an arc of
// Width degrees (extent Width pi/180 R around), open at its two straight
// sides. BOUNDS holds the sixteen items of the closed shell (bottom and top)
// followed by eight items per side: u, v, w, dw (the slope across the side,
// dw/dy) given, or the forces N2, S2, Q2 and M2.
//
// Unknowns: u, v, w at every node (i, j), i = -2 ... N + 2, j = -2 ... M + 2
// (two fictitious node columns beyond each side as beyond each end); the
// column of component c is ((i + 2)(M + 5) + j + 2) 3 + c.
//
// Rows, node line by node line (every line a block of 3 (M + 5) rows):
//  - the end lines (-2, -1, 0 and N, N + 1, N + 2) carry the end rows of the
//    closed shell for j = 0 ... M, and corner rows "Crn" for the fictitious
//    side nodes of the line: the fifth difference along the line vanishes,
//    so that the two nodes beyond a side continue the line's last five;
//  - an inner line i carries at each side node three passes, as an end does
//    (the first reaches two nodes beyond the side, the second one):
//      1. EqI | "S2", EqII | "N2", "dw1" | "M2" at the side node;
//      2. "DfLR(u)", "DfLR(v)" (backward minus forward slope across the side
//         at the node next to it), EqIII at the side node;
//      3. "u" | EqI, "v" | EqII, "w" | "Q2g" at the side node;
//    where a given displacement (u, v, w, dw) chooses its row and a force
//    row (empty value 0) stands otherwise; the right side mirrors the left;
//    the shell's equations at the nodes in between.
// The side forces: N2 = B (v_y + w/R + mu u_x), S2 = G t (u_y + v_x),
// Q2 + dM21/dx and M2 as the results give them (Love terms included).
#pragma once

#include "problemtypes/CylFields.h"
#include "problemtypes/ElLave.h"

#include <array>
#include <string>
#include <vector>

namespace zem {

class TDmCylPanel : public TDmCylLaveP {
public:
    explicit TDmCylPanel(TDomainOwner* owner);

    // The shell's parameters, then Width (degrees, 0 < Width < 360, else
    // "Ошибка в значении параметра Width"): the extent around.
    void ReadParams(TElemList& params) override;
    // The end conditions, then the side conditions along the axis.
    void SetBoundary(TElemList* list) override;
    const TFieldTable& Fields() const override { return cylpanel::Table(); }
    // Two columns of points lie beyond each side, as two rows lie beyond
    // each end.
    int VirtualLayers(int d) const override { return 2; }
    int LineNodeCount() const override { return StepCount(1) + 1; }
    // Node M of an end line takes the value of the condition's Fourier
    // series at its own angle, as node 0 does.
    void WriteBoundFree(int k) override;

    void WriteStartRows(TEquationList& list) override;
    void WriteInnerRows(TEquationList& list) override;
    void WriteEndRows(TEquationList& list) override;

    // Side item k (0 ... 7: u, v, w, dw, N2, S2, Q2, M2) of side 0 (left,
    // j = 0) or 1 (right, j = M) is given.
    bool SideGiven(int side, int k) const { return !SideValues[std::size_t(side)][std::size_t(k)].empty(); }
    // Its value at axial node i (0 when not given).
    double SideValue(int side, int k, int i) const;

    // --- Side quantity writers: c times the quantity at the current node.
    void AddN2(Extended c);
    void AddS2(Extended c);
    void AddQ2g(Extended c);
    void AddM2t(Extended c);
    void AddDwY(Extended c);  // dw/dy

    double Width = 180;  // degrees

protected:
    void CheckMesh() const override;

private:
    // Per side and item, the values at the axial nodes; empty when not given.
    std::array<std::array<std::vector<double>, 8>, 2> SideValues;

    int SideNode(int side) const { return side == 0 ? 0 : StepCount(1); }
    // The rows of side `side` at inner line i, in pivot order.
    void WriteSideRows(TEquationList& list, int side, int i);
    // The corner rows of side `side` on end line i.
    void WriteCornerRows(TEquationList& list, int side, int i);
    void WriteSideRow(int k);
    void WriteCornerRow(int c);
    void WriteDfLRRow(int c);
};

class TElCylPanel : public TElCylLave {
public:
    TElCylPanel(TObject* owner, std::string key);
    std::string GetCaption() const override;
    std::string GetTypeName() const override;
    // The shell's items, Width and the side conditions.
    void DeclareItems() override;
    // Equal steps of 0.131 m round the default panel (180 degrees of R =
    // 10 m, t = 10 mm), six within the edge zone of each clamped side: the
    // stencils lose their accuracy on a mesh graded around.
    std::string DefaultMeshY() const override { return "240"; }

    // The sixteen side items, left side first.
    static void DeclareSides(TElemList& bounds);
};

}  // namespace zem
