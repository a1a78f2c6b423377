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

#include <string>

namespace zem {

class TElRing2;
class TDmRing;

// The Love-equation shell; k = t^2/12 below.
//   EqII  += -k/R (w_yyy + w_xxy)             (Q2/R, divided by B)
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

// Registers "CylLave", "CylLaveP", "CylRing", "CylRingP" and "CylPanel".
void RegisterLaveTypes();

}  // namespace zem
