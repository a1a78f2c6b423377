// The cylinder by Love's shell equations, and the problem types built on it:
// "CylLave" (the closed shell), "CylLaveP" (one circumferential period of a
// shell whose load repeats Period times around), "CylRing" and "CylRingP"
// (the shell with a flat stiffening ring joined to its top edge).
//
// Love's equations keep the terms the technical theory drops: the
// curvature changes take the circumferential displacement along
// (kappa2 = w_yy - v_y/R, kappa12 = w_xy - v_x/R), so the moments, the
// transverse forces and the bending part of the equations gain terms in v,
// and the transverse force Q2 enters the circumferential equilibrium. Under
// an axisymmetric load v vanishes and the solution is that of "CylTech2_2",
// whose stencils, unknowns and end rows the Love shell keeps.
#pragma once

#include "problemtypes/DmCyl2.h"
#include "problemtypes/ElCyls2.h"

#include <memory>
#include <string>

namespace zem {

class TElRing;
class TDmRing;

// The Love-equation shell; k = t^2/12 below.
//   EqII  += -k/R (w_yyy + w_xxy)
//            + k/R^2 ((1 - mu) v_xx + v_yy)   (Q2/R, divided by B)
//   EqIII += -k/R (v_yyy + (2 - mu) v_xxy)
//   M1 -= D mu/R v_y, M2 -= D/R v_y, M12 += (1 - mu) D/R v_x,
//   Q1 += D/R v_xy, Q2 += D ((1 - mu)/R v_xx + v_yy/R),
//   S1 + M12/R += (1 - mu) D/R^2 v_x, Q1 + dM12/dy += (2 - mu) D/R v_xy.
// The pure third derivatives take the compact operators, as the fourth
// ones of the parent do.
class TDmCylLave : public TDmCylTech2_2 {
public:
    using TDmCylTech2_2::TDmCylTech2_2;

    void WriteEqII(double weight) override;
    void WriteEqIII(double weight) override;
    void AddS1g(Extended c) override;
    void AddS1gEdge(Extended c) override;
    void AddQ1g(Extended c) override;
    void AddM1t(Extended c) override;
    Extended ResultQ1() override;
    Extended ResultQ2() override;
    Extended ResultM1() override;
    Extended ResultM2() override;
    Extended ResultM12() override;
};

// One period of the circumference: extent 2 pi R / Period.
class TDmCylLaveP : public TDmCylLave {
public:
    using TDmCylLave::TDmCylLave;
    // The shell's parameters, then Period (rounded; 1 when absent or empty;
    // below 1 raises "Ошибка в значении параметра Period").
    void ReadParams(TElemList& params) override;

    int Period = 1;
};

class TElCylLave : public TElCylTech2_2 {
public:
    TElCylLave(TObject* owner, std::string key);
    std::string GetCaption() const override;
    std::string GetTypeName() const override;

    TDmCylLave& Lave() const { return static_cast<TDmCylLave&>(*Domain); }
};

class TElCylLaveP : public TElCylLave {
public:
    TElCylLaveP(TObject* owner, std::string key);
    std::string GetCaption() const override;
    std::string GetTypeName() const override;
    // The shell's items and Period.
    void DeclareItems() override;

    // Declares "Period" in PARAMS.
    static void DeclarePeriod(TElemList& params);
};

// The shell with a flat stiffening ring on its top edge. The ring is the
// first sub-element, under the key "Ring"; it takes R, its circumferential
// mesh and (when its own E is empty) E from the shell, and its unknowns
// (u, v, w, fi per node) follow the shell's. The shell's top conditions are
// replaced by rows that join it to the ring, per circumferential node j:
//   1. Cnt(u[j]), Cnt(v[j]), Cnt(w[j]): the ring's displacement equals the
//      shell's at (N, j);
//   2. "DfBT(u)", "DfBT(v)" at (N - 1, j); Cnt(dw0[j]): the ring's twist
//      plus the shell's slope dw/dx at (N, j) vanishes;
//   3. "EqI", "EqII", "EqIII" at (N, j);
//   4. Cnt(N1[j]), Cnt(S1[j]), Cnt(Q1[j]): the shell's edge force (N1,
//      S1 + M12/R, Q1 + dM12/dy) equals the ring's equilibrium row (out of
//      plane, around, radial) with its load; Cnt(M1[j]): the shell's M1
//      plus the ring's twisting row vanishes.
// The twist: a tilt of the whole structure turns the ring's section by
// fi = u/R (u along the axis, R the radius) while the shell's wall turns by
// dw/dx = -u/R, so the ring's twist is minus the shell's slope. The shell
// puts on the ring minus its edge forces, each on the displacement it does
// work on: -N1 on u, -(S1 + M12/R) on v, -(Q1 + dM12/dy) on w and -M1 on
// dw/dx, that is +M1 on fi.
// That is 3 M (N + 5) + 4 M rows for as many unknowns.
class TElCylRing : public TElCylLave {
public:
    TElCylRing(TObject* owner, std::string key);
    std::string GetCaption() const override;
    std::string GetTypeName() const override;
    // The shell's items without the top conditions, then the ring.
    void DeclareItems() override;
    // The shell, then the ring from the shell's parameters and mesh.
    void Parse() override;
    void BuildEquations(TEquationList& equations) override;
    // The ring's unknowns follow the shell's 3 M (N + 5).
    std::size_t UnknownOffset(const TElement* child, std::size_t index) const override;

    TElRing& RingElement() const;
    TDmRing& Ring() const;

protected:
    // The ring element of this type (created once, by DeclareItems).
    virtual std::unique_ptr<TElRing> NewRing();
    // Adds a two-term row "Cnt(Name[j])": the shell's writer at (N, j) with
    // weight +1, the ring's at node j with weight -1.
    void AddCouplingRow(TEquationList& equations, const std::string& name, int j, TEquatWriter shell,
                        TEquatWriter ring);
};

// The ring-stiffened shell over one circumferential period; the shell's
// Period applies to the ring too.
class TElCylRingP : public TElCylRing {
public:
    TElCylRingP(TObject* owner, std::string key);
    std::string GetCaption() const override;
    std::string GetTypeName() const override;
    void DeclareItems() override;

protected:
    std::unique_ptr<TElRing> NewRing() override;
};

// Registers "CylLave", "CylLaveP", "CylRing", "CylRingP" and "CylPanel".
void RegisterLaveTypes();

}  // namespace zem
