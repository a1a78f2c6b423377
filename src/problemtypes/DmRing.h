// The flat ring: a closed curved bar of radius R lying in a plane, loaded
// along its circumference.
//
// Direction 0 is the arc length s along the ring; it is closed (node indices
// wrap round) and its extent is 2 pi R, or 2 pi R / P for the periodic
// variant, which solves one period of a load that repeats P times around the
// ring. Four unknowns per node: u out of the plane (component 0), v along the
// circumference (1), w radial, positive outwards (2), and the twist fi (3);
// the column of component c at node i is i 4 + c, 4 n unknowns for n steps.
//
// Equations (primes are derivatives along s), in the row order at every node:
//   Qx_Eq  Qx' + s = 0                    out-of-plane shear
//   N2_Eq  N2' + Qr / R + q = 0           circumferential force
//   Qr_Eq  Qr' - N2 / R + t = 0           radial shear
//   Mk_Eq  Hk' + Mx / R + mk = 0          twisting moment
// with N2 = E F (v' + w / R), Mx = -E/R (Jx (fi + R u'') + Jxr (R w'' - v')),
// Mr = -E/R (Jr (R w'' - v') + Jxr (fi + R u'')), Hk = G Jk (fi' - u'/R),
// Qx = Mx' - Hk / R and Qr = Mr', written out in displacements.
//
// Load slots follow the LOADS keys: 0 radial t, 1 out-of-plane s,
// 2 circumferential q, 3 twisting mk, each a Fourier series around the ring.
//
// A ring on its own is free in space. A rigid rotation about its axis and a
// translation along it are exact null vectors of the rows; the translations in
// the plane and the tilts are null vectors up to the truncation error. The
// stand-alone ring therefore
//  - refuses a load with a net force or moment (it has no equilibrium), and
//  - replaces one row per rigid-body motion by the condition that the
//    displacements have no component along that motion (weighted by the
//    node cells), so that the solution is the pure deformation. On a uniform
//    mesh a load of harmonic 2 or more satisfies these conditions by itself
//    and the replaced rows hold exactly.
// The rows themselves (WriteQxEq ... WriteMkEq) and the value writers stay
// as they are for domains that join the ring to something else.
#pragma once

#include "domains/DmDim1.h"
#include "problemtypes/RingFields.h"
#include "stencils/Tamplets.h"

#include <array>
#include <memory>
#include <string>
#include <vector>

namespace zem {

class TDmRing : public TDmDim1 {
public:
    enum TComponent : int { cU = 0, cV = 1, cW = 2, cFi = 3 };
    enum TLoadSlotKind : int { lsT = 0, lsS = 1, lsQ = 2, lsMk = 3 };
    enum TResultKind : int { rkU, rkV, rkW, rkFi, rkN2, rkQx, rkQr, rkMx, rkMr, rkHk };

    // Starts with the default ring (R = 10 m, steel), whole circumference.
    explicit TDmRing(TDomainOwner* owner);

    // The stencils of u, v, w, fi. A variant puts its own stencil class here.
    std::array<std::unique_ptr<TTamplet>, 4> Tamplets;
    double R = 10;       // radius, m
    TDomainShape Shape() const override { return TDomainShape::Ring; }
    double Radius() const override { return R; }
    double E = 2.06e11;  // modulus in bending, Pa
    double G = 8.0e10;   // modulus in torsion, Pa
    double F = 0.01;     // cross-section area, m^2
    double Jx = 0.1;     // moment of inertia out of the ring's plane, m^4
    double Jr = 10.0;    // moment of inertia in the ring's plane, m^4
    double Jxr = 0;      // product of inertia, m^4
    double Jk = 0.4;     // torsion constant, m^4
    // How many times the load repeats around the ring (1: the whole ring).
    int Period = 1;

    // R, E, G, F, Jx, Jr, Jxr, Jk (an empty item keeps its value), then the
    // extent. A value that is not a number, a non-positive R, E, G, F, Jx,
    // Jr, Jk or Jxr^2 >= Jx Jr (no stiffness left in some direction) raises
    // "Ошибка в значении параметра " + the key.
    void ReadParams(TElemList& params) override;
    const TObject* BoundaryValue(int, int) const override { return nullptr; }
    // "t", "s", "q", "mk" (exact keys): a Fourier series into slots 0 ... 3;
    // other keys are ignored. A bad value raises
    // "Ошибка в значении параметра " + the key.
    void AddLoad(const std::string& name, const TObject* value) override;
    // At every node Qx_Eq, N2_Eq, Qr_Eq, Mk_Eq, with the rows of the
    // rigid-body conditions in place of some of them (see above). Raises
    // when the load is not self-equilibrated or the mesh is too coarse.
    void WriteEquations(TEquationList& list) override;
    // u, v, w, fi at every node of the closed arc.
    int ComponentCount() const override { return 4; }
    // The load of slot `kind` at the current node.
    Extended InputValue(int kind) override { return LoadValue(kind); }
    // The TResultKind quantity at the current node; 0 for other kinds.
    Extended ResultValue(int kind) override;
    const TFieldTable& Fields() const override { return ring::Table(); }

    // --- Rows at the current node, every term times C, the free term + C
    // times the load of the row's slot.
    virtual void WriteQxEq(double c);
    virtual void WriteN2Eq(double c);
    virtual void WriteQrEq(double c);
    virtual void WriteMkEq(double c);

    // --- Results at the current node.
    virtual Extended ValueW();
    virtual Extended ValueU();
    virtual Extended ValueV();
    virtual Extended ValueFi();
    virtual Extended ValueN2();
    virtual Extended ValueQx();
    virtual Extended ValueQr();
    virtual Extended ValueMx();
    virtual Extended ValueMr();
    virtual Extended ValueHk();

    // --- X times a displacement at the current node (rows that join the
    // ring to another domain).
    void AddU(double x) { Tamplets[cU]->AddDeriv({0}, x); }
    void AddV(double x) { Tamplets[cV]->AddDeriv({0}, x); }
    void AddW(double x) { Tamplets[cW]->AddDeriv({0}, x); }
    void AddFi(double x) { Tamplets[cFi]->AddDeriv({0}, x); }

    // The rigid-body motions the ring admits: the translation along the axis,
    // the rotation about it, then (whole ring only) the two translations in
    // the plane and the two tilts, as (u, v, w, fi) at the angle theta.
    int RigidMotionCount() const { return Period == 1 ? 6 : 2; }
    std::array<double, 4> RigidMotion(int m, double theta) const;
    // The work of the load on rigid motion m, per radian, from the load's
    // Fourier amplitudes; and the magnitude it is compared with.
    void RigidLoadWork(int m, double& work, double& scale) const;
    // Raises "Нагрузка на кольцо не уравновешена: ..." when the load does
    // work on some rigid-body motion (beyond a millionth of the work of its
    // parts, which lets amplitudes typed to seven digits balance).
    void CheckBalance() const;

protected:
    // X times the pure third or fourth derivative of component c: the
    // higher-accuracy variant takes these from the compact operators.
    virtual void AddHigh(int c, int order, Extended x);
    virtual Extended HighValue(int c, int order);
    Extended Deriv(int c, int order) { return Tamplets[static_cast<std::size_t>(c)]->DerivValue({order}); }
    void AddDeriv(int c, int order, Extended x) { Tamplets[static_cast<std::size_t>(c)]->AddDeriv({order}, x); }

    // The row of rigid-body condition m: sum over the nodes of the cell
    // length times the motion's components times the displacements = 0.
    void WriteRigidRow(int m);
    // The node, besides node 0, that carries the conditions of the second
    // in-plane translation and the second tilt: the one farthest from the
    // diameter through node 0.
    int QuarterNode() const;

    // The cosine and sine amplitudes of harmonic k (over the extent) of slot.
    void Harmonic(int slot, int k, double& a, double& b) const;
};

// The higher-accuracy ring: five-point operators for every derivative but
// the pure third and fourth ones, which stay compact (three-point
// compositions).
class TDmRing2 : public TDmRing {
public:
    explicit TDmRing2(TDomainOwner* owner);

protected:
    void AddHigh(int c, int order, Extended x) override;
    Extended HighValue(int c, int order) override;
};

// The "Period" parameter: how many times a load repeats around the circle,
// rounded; 1 when absent or empty; below 1 or not a number raises "Ошибка в
// значении параметра Period".
int ReadPeriod(TElemList& params);

// One period of a ring whose load repeats `Period` times around it.
class TDmRingP : public TDmRing2 {
public:
    using TDmRing2::TDmRing2;
    // The ring's parameters, then Period (rounded; 1 when absent or empty;
    // below 1 raises "Ошибка в значении параметра Period"); extent
    // 2 pi R / Period.
    void ReadParams(TElemList& params) override;
};

}  // namespace zem
