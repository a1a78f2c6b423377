// The circular cylindrical shell under a radial load that is the same all
// around the circumference ("CylSym"), and the stepped cylinder made of such
// shells stacked along the axis ("CompCylSym").
//
// The only unknown is the radial deflection w(x) along the axis, x from the
// bottom (0) to the top (H). The shell is a beam on an elastic foundation:
//
//     D w'''' + (E t / R^2) w = q,   D = E t^3 / (12 (1 - mu^2)),
//
// q the radial pressure, positive outwards (a liquid inside the shell), so a
// positive w is an outward deflection. Force results: hoop force
// N2 = E t w / R, shear Q1 = -D w''', bending moment M1 = -D w''.
//
// Mesh: nodes 0 ... N along the axis plus two fictitious nodes beyond each end
// (-2, -1 and N + 1, N + 2); node i has the column i + 2, so one domain has
// N + 5 unknowns. Rows: three at node 0 (boundary rows or the shell equation),
// the shell equation at the inner nodes 1 ... N - 1, three at node N. A
// boundary row fixes its quantity to the given value.
#pragma once

#include "domains/DmDim1.h"
#include "domains/ElDomain.h"
#include "elements/ElComp.h"
#include "problemtypes/CylFields.h"
#include "problemtypes/ElStepped.h"
#include "stencils/Tamplets.h"

#include <memory>
#include <string>

namespace zem {

class TDmCylSym : public TDmDim1 {
public:
    // Boundary conditions of one end, in the order of the BOUNDS items: the
    // bottom's are items 0 ... 3, the top's 4 ... 7 (numbered by the field
    // table).
    enum TBoundKind : int { bkW = cylsym::bkW, bkDw = cylsym::bkDw, bkQ1 = cylsym::bkQ1, bkM1 = cylsym::bkM1 };
    // Result kinds, in the order of the element's result names.
    enum TResultKind : int {
        rkW = cylsym::rkW, rkDwx = cylsym::rkDwx, rkN2 = cylsym::rkN2, rkQ1 = cylsym::rkQ1,
        rkM1 = cylsym::rkM1, rkSig1 = cylsym::rkSig1, rkSig2 = cylsym::rkSig2, rkSigEq = cylsym::rkSigEq
    };

    // Starts with the parameters of the default shell (R = H = 10 m,
    // t = 0.01 m, steel), so that a span of a stepped cylinder has a usable
    // length before it receives its compound's parameters.
    explicit TDmCylSym(TDomainOwner* owner);

    // Derivatives of w (component 0). Owned; the higher-accuracy variants
    // replace it by their own stencil.
    std::unique_ptr<TTamplet> Tamplet;
    double R = 10;             // radius, m
    TDomainShape Shape() const override { return TDomainShape::Cylinder; }
    double Radius() const override { return R; }
    // The three-point stencils on the steps, constant stiffness: every row
    // repeats along the axis (TDomain::CoefReach).
    int CoefReach(int) const override { return 2; }
    double E = 2.06e11;        // Young's modulus, Pa
    double mu = 0.3;           // Poisson's ratio
    double t = 0.01;           // wall thickness, m
    double Rigidity = 0;       // D = t (t t E) / 12 / (1 - mu mu), N m
    double HoopStiffness = 0;  // E t / R, N/m^2

    // R, H, t, E, mu from the list (an absent or empty item keeps the value
    // it had); the stiffnesses follow. A value that is not a number, or a
    // non-positive R, H, t, E, or |mu| >= 1, raises
    // "Ошибка в значении параметра " + the key.
    void ReadParams(TElemList& params) override;
    // Item k + 4 side of the boundary list; null when it is not given.
    const TObject* BoundaryValue(int side, int k) const override;
    // "Uniform": a constant pressure (a list is summed); "Gidr": a liquid of
    // specific weight gamma filling the shell, or [gamma, fill height]. Other
    // keys are ignored. A bad value raises "Ошибка в значении параметра " +
    // the key.
    void AddLoad(const std::string& name, const TObject* value) override;
    // WriteStartRows, WriteInnerRows, WriteEndRows.
    void WriteEquations(TEquationList& list) override;
    // w alone, two fictitious nodes beyond each end: node i has column i + 2.
    int VirtualLayers(int d) const override { return 2; }
    const TFieldTable& Fields() const override { return cylsym::Table(); }
    // Kind 0: the radial load at the current node; 0 otherwise.
    Extended InputValue(int kind) override;
    // The TResultKind quantity at the current node; 0 for other kinds.
    Extended ResultValue(int kind) override;

    // --- Rows. The three rows of each end are chosen by what is given there:
    // bottom "Q1" | "Eq", "dw" | "M1", "w" | "Eq"; top "w" | "Eq",
    // "dw" | "M1", "Q1" | "Eq" (a clamped end gets "Eq", "dw", "w", a free
    // one "Eq", "M1", "Q1", a hinged one "Eq", "M1", "w"). An end without w
    // and Q1, or without dw and M1, cannot be closed and raises ZemError; so
    // does a given value that is not a number.
    virtual void WriteStartRows(TEquationList& list);
    virtual void WriteInnerRows(TEquationList& list);
    virtual void WriteEndRows(TEquationList& list);
    // The shell equation at the current node, all terms times Weight.
    virtual void WriteMainRow(double weight);
    // X times a quantity at the current node: the writers of the boundary
    // rows and of the joint rows of a stepped cylinder.
    virtual void AddW(double x);
    virtual void AddDw(double x);
    virtual void AddQ1(double x);
    virtual void AddM1(double x);
    // Results at the current node.
    virtual Extended ValueW();
    virtual Extended ValueDwx();
    virtual Extended ValueN2();
    virtual Extended ValueQ1();
    virtual Extended ValueM1();

    // Registers the shell equation ("Eq") at node I.
    void AddMainEquation(TEquationList& list, int i);
    // Registers the boundary row of condition K at node I (0 or N).
    void AddBoundEquation(TEquationList& list, int k, int i);
    // The boundary row of condition K at end Side's node when K is given
    // there, else the shell equation.
    void AddBoundOrMain(TEquationList& list, int side, int k);
    // The row of condition K at the current node: quantity - given value = 0.
    void WriteBoundRow(int k);
    // The given value of condition K at end Side; 0 when it is not given.
    double BoundaryNumber(int side, int k) const;
    bool Given(int side, int k) const { return BoundaryValue(side, k) != nullptr; }

    // The larger von Mises stress of the two faces of the wall: the bending
    // stress S1 changes sign across the wall, the membrane stress S2 does
    // not, so one face carries sqrt(S1^2 + S2^2 + |S1 S2|).
    static Extended EquivalentStress(Extended s1, Extended s2);

protected:
    void UpdateStiffness();
    // Raises unless both ends can be closed and their values are numbers.
    void CheckEnd(int side) const;
};

// A single cylinder: its domain, parameters, boundary conditions, loads and
// mesh.
class TElCylSym : public TDmElementD1 {
public:
    TElCylSym(TObject* owner, std::string key);

    std::string GetCaption() const override;
    std::string GetTypeName() const override;
    void DeclareItems() override;
    // One fresh load slot, then the element's loads.
    void ApplyLoads() override;

    TDmCylSym& Cyl() const { return static_cast<TDmCylSym&>(*Domain); }
    // The four name lists of both cylinder types.
    void SetFieldNames();
};

// A stepped cylinder: spans Span1 (bottom), Span2, ... of cylinders with
// their own height, thickness, uniform load and mesh; radius, material,
// boundary conditions and the loads over the whole height belong to the
// compound. A span without its own H or t takes the compound's. Neighbouring
// spans are joined by continuity of w, w', Q1 and M1 and by the shell
// equation at both joint nodes.
class TElCompCylSym : public TElStepped<TElCompSeries, TDmCylSym> {
public:
    using TElStepped::TElStepped;

    std::string GetCaption() const override;
    std::string GetTypeName() const override;
    // The compound's items and two spans.
    void DeclareItems() override;
    // "Uniform" to every span, "Gidr" over the spans as one column of
    // liquid; other keys ignored.
    void ApplyLoad(const std::string& key, const TObject* value) override;

    // Appends span Span<count + 1> with its own items and the compound's
    // parameters.
    TElCylSym& AddSpan();

protected:
    void NewSpan() override { AddSpan(); }
    // The compound's parameters, then the span's own; its mesh and loads.
    void PrepareSpan(int i) override;
    // Continuity of w and w', the shell equation at both joint nodes,
    // continuity of Q1 and M1: sum of (N_i + 5) rows over the spans.
    void WriteJointRows(TEquationList& equations, int i) override;
};

}  // namespace zem
