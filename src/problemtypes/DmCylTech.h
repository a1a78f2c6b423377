// The domain of a closed circular cylindrical shell by the equations of the
// technical theory of shells, in three displacements: u (axial), v (around
// the circumference), w (radial, positive outward). The axis x runs along
// direction 0 (0 <= x <= H), the arc y along direction 1, which is closed
// (extent 2 pi R, node indices wrap round).
//
// Unknowns: u, v, w at every node (i, j), i = -2 ... N + 2 (two fictitious
// node lines beyond each end), j = 0 ... M - 1; the column of component c is
// ((i + 2) M + j) 3 + c, 3 M (N + 5) unknowns in all. Rows are registered in
// the same order (three passes of M nodes at each end, one line per inner
// node), so that every row's entries lie near its own number and the
// identity rows "Nil(u)", "Nil(v)" fall on the fictitious u and v that no
// equation reaches.
//
// The wall thickness may vary over the surface (ThicknessRegions); the
// stiffnesses follow the thickness of the current node (SetPos).
//
// Load slots: 0 radial pressure qz (positive outward), 1 axial qx,
// 2 circumferential qy, 3 prescribed deflection (regions "w_Rect").
//
// Variants: the higher-accuracy and Love-equation domains derive from this
// one. They replace the stencils (Tamplets), the row orders at the ends
// (WriteStartRows, WriteEndRows), the equations II and III and the force
// writers AddS1g, AddQ1g, AddM1t, and the result quantities Q1 ... M12. Every
// boundary and joint row reaches the force writers through these virtual
// operations, so an override changes them all.
#pragma once

#include "domains/DmDim2.h"
#include "problemtypes/CylFields.h"
#include "stencils/Tamplets.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace zem {

// Stresses at the extreme fibre of a wall from its forces and moments.
struct TWallStresses {
    double Max = 0;  // principal stresses
    double Min = 0;
    double Eq3 = 0;  // greatest shear (Tresca) equivalent
    double Eq4 = 0;  // distortion energy (von Mises) equivalent
};

// N/t with the bending stress |6 M / t^2| added in the sense of N (N >= 0
// counts as tension).
double FibreStress(double force, double moment, double t);
// Principal and equivalent stresses of a plane stress state.
TWallStresses PlaneStresses(double sigX, double sigY, double tau);

class TDmCylTech : public TDmDim2 {
public:
    explicit TDmCylTech(TDomainOwner* owner);
    ~TDmCylTech() override;

    // The stencils of u, v, w (components 0, 1, 2). A variant puts its own
    // stencil classes here in its constructor.
    std::array<std::unique_ptr<TTamplet>, 3> Tamplets;
    TTamplet& U() const { return *Tamplets[0]; }
    TTamplet& V() const { return *Tamplets[1]; }
    TTamplet& W() const { return *Tamplets[2]; }

    // Parameters (m, Pa) and the thickness at the current node.
    double R = 10;
    TDomainShape Shape() const override { return TDomainShape::Cylinder; }
    double Radius() const override { return R; }
    // The three-point stencils on the steps: with a constant thickness the
    // rows repeat along the axis and round a closed circumference.
    int CoefReach(int d) const override;
    double E = 2.06e11;
    double mu = 0.3;
    double t = 0.01;
    // Derived from R and mu by ReadParams.
    double HalfOneMinusMu = 0.35;  // (1 - mu)/2
    double HalfOnePlusMu = 0.65;   // (1 + mu)/2
    double InvR = 0.1;             // 1/R
    double InvR2 = 0.01;           // 1/R^2
    double MuR = 0.03;             // mu/R
    // Derived from t, E and mu by UpdateStiffness.
    double T2_12 = 0;      // t^2/12
    double Compliance = 0; // (1 - mu^2)/(E t)
    double B = 0;          // membrane stiffness E t/(1 - mu^2)
    double Gt = 0;         // shear stiffness G t = E t/2/(1 + mu)
    double D = 0;          // bending stiffness t^2 (t E)/12/(1 - mu^2)

    // Thickness regions, walked in order by ThicknessAt (empty: the wall has
    // the constant thickness t). A region is [a] (everywhere), a circle
    // [x0, y0, c, a] (c compared with the squared distance), a rectangle of
    // node indices [i1, j1, i4, j4, a] or a bilinear one
    // [i1, j1, i4, j4, t1, t2, t3, t4].
    std::vector<std::vector<double>> ThicknessRegions;

    // The rigid motions (u slide, v turn) TakeOutRigidMotions took out.
    std::array<bool, 2> RigidFree{};

    // --- Domain operations. ------------------------------------------------
    // Moves the node; with thickness regions, takes the node's thickness.
    void SetPos(int d, int i) override;
    // The distribution of condition k (0 ... 7) at end `side`, or null.
    const TObject* BoundaryValue(int side, int k) const override;
    // R, H, E, mu (not t); checks them and derives the constants.
    void ReadParams(TElemList& params) override;
    // "Uniform", "Gidr", "Wind", "q_Rect", "w_Rect"; other keys are ignored.
    // Any failure raises "Ошибка в значении параметра " + key.
    void AddLoad(const std::string& name, const TObject* value) override;
    void WriteEquations(TEquationList& list) override;
    // u, v, w at every node; two fictitious node lines beyond each end of the
    // axis, none around the closed circumference.
    int ComponentCount() const override { return 3; }
    int VirtualLayers(int d) const override { return d == 0 ? 2 : 0; }
    const TFieldTable& Fields() const override { return cyltech::Table(); }
    // 0 t, 1 qz, 2 qx, 3 qy, 4 prescribed deflection; else 0.
    Extended InputValue(int kind) override;
    // The twenty-two results: u, v, w, dwx, dwtet, N1, N2, S1, S2, Q1, Q2, M1,
    // M2, M12, M21, SigX, SigY, Tau, SigMax, SigMin, SigEq3, SigEq4.
    Extended ResultValue(int kind) override;

    // --- Thickness. -----------------------------------------------------------
    // A number: the constant thickness. A list: one region per entry (a
    // number a is [a]; 4 numbers a circle; 5 or 8 numbers a rectangle whose
    // corners are snapped to cell edges). Raises "Ошибка в значении
    // параметра t" for a missing value, a region of another length, or a
    // thickness that is not positive at some node.
    void SetThickness(const TObject* value);
    // The thickness the regions give at the current node (0 outside all).
    double ThicknessAt() const;
    void UpdateStiffness();

    // --- Rows. ----------------------------------------------------------------
    // Registers row `name` at node (i, j) with a writer of this domain.
    void AddRow(TEquationList& list, const std::string& name, TEquatWriter writer, int i, int j);
    // An identity row: an unknown no equation reaches.
    void AddNil(TEquationList& list, const std::string& name);
    // The boundary row of condition k (0 ... 7) at node (i, j).
    void AddBoundRow(TEquationList& list, int k, int i, int j);
    // The equation row 1 ("EqI"), 2 ("EqII") or 3 ("EqIII") at (i, j).
    void AddEqRow(TEquationList& list, int eq, int i, int j);
    // The nodes of a node line around that carry unknowns of their own: M on
    // the closed circumference (node M is node 0); an open one has M + 1.
    virtual int LineNodeCount() const { return StepCount(1); }
    // "EqI", "EqII" and "EqIII" (or "w_Constr" inside a prescribed-deflection
    // region) at inner node (i, j).
    void AddInnerNodeRows(TEquationList& list, int i, int j);
    // Condition k of end `side` is given.
    bool Given(int side, int k) const { return BoundaryValue(side, k) != nullptr; }

    // --- Rigid motions of a closed shell. ---------------------------------------
    // A closed shell whose ends hold u nowhere slides along its axis as a
    // whole, one whose ends hold v nowhere turns about it (N1, or S1, given
    // at both ends instead): the system is singular. Top is the domain whose
    // top end is the shell's (this one for a shell of one span, the last span
    // of a stepped shell). Each such motion is taken out: the end forces that
    // would drive it are checked to balance (raises "Нагрузка на оболочку не
    // уравновешена: ..." otherwise), and a row keeping the mean of u (v) over
    // the bottom edge at zero takes the place of "EqI" ("EqII") at node
    // (0, 0). Call before the start rows; WriteEquations does it for a shell
    // of one span. Open shells (the panel), and shells whose ends hold w
    // nowhere, are left as they are.
    void TakeOutRigidMotions(const TDmCylTech& top);
    // The sum over the edge of end `side` of condition k times the node's
    // share of the circumference, and the sum of its magnitudes.
    void EdgeSum(int side, int k, double& sum, double& magnitude) const;
    // The mean of component c (0 u, 1 v) over the bottom edge, scaled like
    // the equation it replaces, equals zero.
    void WriteRigidRow(int c);

    virtual void WriteStartRows(TEquationList& list);
    virtual void WriteInnerRows(TEquationList& list);
    virtual void WriteEndRows(TEquationList& list);

    // The equations divided by the membrane stiffness B; the weight is not
    // used.
    void WriteEqI(double weight);
    virtual void WriteEqII(double weight);
    virtual void WriteEqIII(double weight);
    // w equals the prescribed deflection of the node.
    void WriteConstraint(double weight);
    // Quantity k (u, v, w, dw0, N1, S1, Q1, M1) equals condition k of the
    // current end at the current circumferential node.
    virtual void WriteBoundRow(int k);
    // Adds minus the value of condition k of the current end (0 when the
    // condition is not given).
    virtual void WriteBoundFree(int k);

    // --- Quantity writers: c times the quantity at the current node. ----------
    void AddU(Extended c);
    void AddV(Extended c);
    void AddW(Extended c);
    void AddDw(Extended c);  // dw/dx
    // Axial force N1 = B (u_x + mu v_y + mu w/R).
    void AddN1(Extended c);
    // Generalised shear S1 + M12/R.
    virtual void AddS1g(Extended c);
    // Generalised transverse force Q1 + dM12/dy.
    virtual void AddQ1g(Extended c);
    // Bending moment M1 = D (w_xx + mu w_yy).
    virtual void AddM1t(Extended c);
    // Writer k of the boundary conditions (the order of BOUNDS).
    void AddBoundQuantity(int k, Extended c);

    // --- Result quantities at the current node. -----------------------------
    virtual Extended ResultQ1();
    virtual Extended ResultQ2();
    virtual Extended ResultM1();
    virtual Extended ResultM2();
    virtual Extended ResultM12();
    Extended ResultN1();
    Extended ResultN2();
    Extended ResultS1();
    virtual Extended InputQz() { return LoadValue(0); }
    virtual Extended InputQx() { return LoadValue(1); }
    virtual Extended InputQy() { return LoadValue(2); }

    // --- Loads. ----------------------------------------------------------------
    // A "Gidr" value [gamma, level, angle] (true), or false for a number or a
    // shorter list (the level surface is then level); a longer list raises.
    static bool TiltedLevel(const TObject* value, double& gamma, double& level, double& angle);
    // Liquid of specific weight gamma whose surface, tilted by `angle`
    // degrees, stands at `level` on the axis, measured from a point `bottom`
    // below this domain's start: at arc y the level is
    // level + R sin(angle) cos(y/R); the pressure along the axis is built as
    // the axial hydrostatic load of that depth. Added to `slot`.
    void AddTiltedHydrostatics(int slot, double gamma, double level, double angle, double bottom);
    // [M, then per circumferential node j: iLo, iHi, qLo, qHi].
    Extended TiltedLoad(const std::vector<double>& params);

protected:
    void DeriveConstants();
    [[noreturn]] static void ParamError(const std::string& key);
};

}  // namespace zem
