// "CylRing" against its own equations reduced to one circumferential
// harmonic: the Love shell (five-point differences, the pure third and fourth
// derivatives compact) on a clamped bottom, joined at its top to a flat ring
// with its four equations. Under a wind of harmonic 2 on the shell, and under
// loads of harmonic 2 on the ring in all four of its directions, the surface
// solution must equal, node by node and to rounding, the amplitudes of a
// dense solve of the reduced axial system plus the ring's four amplitudes:
// displacements, the ring's twist and forces, and the shell's edge forces.
//
// The joint is written here from the mechanics of the two bodies, not from
// the program's rows: the ring moves with the shell's top edge; a rigid tilt
// turns the ring's section by u/R and the wall by -u/R, so the ring's twist
// is minus the shell's slope; and the shell's edge forces load the ring with
// the opposite sign, each on the displacement it does work on (-N1 on u,
// -(S1 + M12/R) on v, -(Q1 + dM12/dy) on w, -M1 on dw/dx and so +M1 on the
// twist).
#include "cylinders.h"
#include "harmonic.h"
#include "problemtypes/ElLave.h"

#include <gtest/gtest.h>

using namespace zem;
using namespace zem::cyltest;
using namespace zem::harmonic;

namespace {

enum { cU = 0, cV = 1, cW = 2 };            // the shell's components
enum { eU = 0, eV = 1, eW = 2, eFi = 3 };   // the ring's amplitudes

struct TCase {
    double R = 2, H = 3, t = 0.02, E = 2.06e11, mu = 0.3;
    int N = 12, M = 12, K = 2;
    double Wind = 0;  // radial pressure on the shell (Pa), cos
    // The ring's section and its loads: s (cos), q (sin), t (cos), mk (cos).
    double G = 8.0e10, F = 4e-3, Jx = 2e-6, Jr = 5e-6, Jxr = 1e-6, Jk = 1e-6;
    double S = 0, Q = 0, T = 0, Mk = 0;
};

std::string Wave(int k, double a, bool sine) {
    std::string s = "[";
    for (int i = 0; i < k; ++i) s += "0, ";
    return s + (sine ? "[0, " + RealToStrGen(17, 0, a) + "]]" : RealToStrGen(17, 0, a) + "]");
}

class TRingLine : public TLine {
public:
    explicit TRingLine(const TCase& c)
        : TLine(c.N, c.H / c.N, THarmonic(c.K, c.M, c.R), {kCos, kSin, kCos}, {kCos, kSin, kCos, kCos}), S(c) {
        k = Real(c.t) * c.t / 12;
        B = c.E * c.t / (1 - c.mu * c.mu);
        Dm = k * B;
        Gt = c.E * c.t / 2 / (1 + c.mu);
    }
    const TCase S;
    Real k, B, Dm, Gt;

    // Five-point and compact terms of the shell.
    void F(int c, int qx, int qy, int i, Real x, int sel = 0) { D(kFive, c, qx, qy, i, x, sel); }
    void L(int c, int qx, int qy, int i, Real x) { D(kThree, c, qx, qy, i, x); }

    // The Love shell's equations, divided by B.
    void EqI(int i) {
        Row("EqI", kCos);
        F(cU, 2, 0, i, 1);
        F(cU, 0, 2, i, (1 - S.mu) / 2);
        F(cV, 1, 1, i, (1 + S.mu) / 2);
        F(cW, 1, 0, i, S.mu / S.R);
    }
    void EqII(int i) {
        // dN2/dy + dS/dx + Q2/R = 0
        Row("EqII", kSin);
        F(cU, 1, 1, i, (1 + S.mu) / 2);
        F(cV, 0, 2, i, 1 + k / (S.R * S.R));
        F(cV, 2, 0, i, (1 - S.mu) / 2 + k / (S.R * S.R) * (1 - S.mu));
        F(cW, 0, 1, i, 1 / S.R);
        L(cW, 0, 3, i, -k / S.R);
        F(cW, 2, 1, i, -k / S.R);
    }
    void EqIII(int i) {
        Row("EqIII", kCos);
        F(cU, 1, 0, i, S.mu / S.R);
        F(cV, 0, 1, i, 1 / S.R);
        L(cV, 0, 3, i, -k / S.R);
        F(cV, 2, 1, i, -k / S.R * (2 - S.mu));
        L(cW, 4, 0, i, k);
        F(cW, 2, 2, i, 2 * k);
        L(cW, 0, 4, i, k);
        F(cW, 0, 0, i, 1 / (S.R * S.R));
        Free(-S.Wind * (1 - S.mu * S.mu) / (S.E * S.t));
    }
    void Value(int c, int i) {
        Row("value", c == cV ? kSin : kCos);
        F(c, 0, 0, i, 1);
    }
    void SlopesAgree(int c, int i) {
        Row("slopes", c == cV ? kSin : kCos);
        F(c, 1, 0, i, 1, -1);
        F(c, 1, 0, i, -1, 1);
    }

    // The shell's edge forces at node i, times x.
    void N1(int i, Real x) {
        F(cU, 1, 0, i, x * B);
        F(cV, 0, 1, i, x * B * S.mu);
        F(cW, 0, 0, i, x * B * S.mu / S.R);
    }
    void S1g(int i, Real x) {
        F(cU, 0, 1, i, x * Gt);
        F(cV, 1, 0, i, x * (Gt + Dm * (1 - S.mu) / (S.R * S.R)));
        F(cW, 1, 1, i, -x * Dm * (1 - S.mu) / S.R);
    }
    void Q1g(int i, Real x) {
        F(cW, 1, 2, i, -x * Dm * (2 - S.mu));
        L(cW, 3, 0, i, -x * Dm);
        F(cV, 1, 1, i, x * Dm * (2 - S.mu) / S.R);
    }
    void M1(int i, Real x) {
        F(cW, 2, 0, i, x * Dm);
        F(cW, 0, 2, i, x * Dm * S.mu);
        F(cV, 0, 1, i, -x * Dm * S.mu / S.R);
    }

    // The ring's equilibrium rows, times x, with their loads.
    void RingF(int e, int q, Real x) { E(kFive, e, q, x); }
    void RingL(int e, int q, Real x) { E(kThree, e, q, x); }
    void QxEq(Real x) {
        const Real R = S.R, E_ = S.E;
        RingL(eU, 4, -E_ * S.Jx * x);
        RingF(eU, 2, S.G * S.Jk / (R * R) * x);
        RingF(eFi, 2, -(E_ * S.Jx + S.G * S.Jk) / R * x);
        RingL(eW, 4, -E_ * S.Jxr * x);
        RingL(eV, 3, E_ * S.Jxr / R * x);
        Free(S.S * x);
    }
    void N2Eq(Real x) {
        const Real R = S.R, E_ = S.E;
        RingF(eV, 2, E_ * (S.Jr / (R * R) + S.F) * x);
        RingF(eW, 1, E_ * S.F / R * x);
        RingL(eW, 3, -E_ * S.Jr / R * x);
        RingL(eU, 3, -E_ * S.Jxr / R * x);
        RingF(eFi, 1, -E_ * S.Jxr / (R * R) * x);
        Free(S.Q * x);
    }
    void QrEq(Real x) {
        const Real R = S.R, E_ = S.E;
        RingL(eW, 4, -E_ * S.Jr * x);
        RingF(eW, 0, -E_ * S.F / (R * R) * x);
        RingL(eV, 3, E_ * S.Jr / R * x);
        RingF(eV, 1, -E_ * S.F / R * x);
        RingL(eU, 4, -E_ * S.Jxr * x);
        RingF(eFi, 2, -E_ * S.Jxr / R * x);
        Free(S.T * x);
    }
    void MkEq(Real x) {
        const Real R = S.R, E_ = S.E;
        RingF(eFi, 2, S.G * S.Jk * x);
        RingF(eFi, 0, -E_ * S.Jx / (R * R) * x);
        RingF(eU, 2, -(S.G * S.Jk + E_ * S.Jx) / R * x);
        RingF(eW, 2, -E_ * S.Jxr / R * x);
        RingF(eV, 1, E_ * S.Jxr / (R * R) * x);
        Free(S.Mk * x);
    }

    void Build() {
        // Clamped bottom: the equations at the edge, the slopes of u and v
        // agreeing at node 1, no slope and no displacement at the edge.
        EqI(0);
        EqII(0);
        Row("dw", kCos);
        F(cW, 1, 0, 0, 1);
        SlopesAgree(cU, 1);
        SlopesAgree(cV, 1);
        EqIII(0);
        for (int c : {cU, cV, cW}) Value(c, 0);
        for (int i = 1; i < N; ++i) {
            EqI(i);
            EqII(i);
            EqIII(i);
        }
        // The top edge on the ring.
        for (int c : {cU, cV, cW}) {
            Row("joint", c == cV ? kSin : kCos);
            RingF(c, 0, 1);
            F(c, 0, 0, N, -1);
        }
        SlopesAgree(cU, N - 1);
        SlopesAgree(cV, N - 1);
        Row("twist", kCos);
        RingF(eFi, 0, 1);
        F(cW, 1, 0, N, 1);
        EqI(N);
        EqII(N);
        EqIII(N);
        Row("N1", kCos);
        N1(N, 1);
        QxEq(-1);
        Row("S1", kSin);
        S1g(N, 1);
        N2Eq(-1);
        Row("Q1", kCos);
        Q1g(N, 1);
        QrEq(-1);
        Row("M1", kCos);
        M1(N, 1);
        MkEq(1);
    }

    // The shell's results as amplitudes (the kinds of the program).
    Real Shell(int kind, int i, TParity& p) const {
        TParity q;
        auto v = [&](TPoints pts, int c, int qx, int qy, TParity& par) { return TLine::Value(pts, c, qx, qy, i, par); };
        switch (kind) {
        case 0: return v(kFive, cU, 0, 0, p);
        case 1: return v(kFive, cV, 0, 0, p);
        case 2: return v(kFive, cW, 0, 0, p);
        case 5:
            return B * (v(kFive, cU, 1, 0, p) + S.mu * v(kFive, cV, 0, 1, q) + S.mu / S.R * v(kFive, cW, 0, 0, q));
        case 7: return Gt * (v(kFive, cU, 0, 1, p) + v(kFive, cV, 1, 0, q));
        case 9:
            return -Dm * (v(kThree, cW, 3, 0, p) + v(kFive, cW, 1, 2, q)) + Dm / S.R * v(kFive, cV, 1, 1, q);
        default:  // 11, M1
            return Dm * (v(kFive, cW, 2, 0, p) + S.mu * v(kFive, cW, 0, 2, q)) - Dm * S.mu / S.R * v(kFive, cV, 0, 1, q);
        }
    }
    // The ring's results: u, v, w, fi, N2 and Mx.
    Real Ring(int kind, TParity& p) const {
        TParity q;
        const Real R = S.R;
        switch (kind) {
        case TDmRing::rkN2: return S.E * S.F * (ExtraValue(kFive, eV, 1, p) + ExtraValue(kFive, eW, 0, q) / R);
        case TDmRing::rkMx:
            return -S.E / R *
                   (S.Jx * (ExtraValue(kFive, eFi, 0, p) + R * ExtraValue(kFive, eU, 2, q)) +
                    S.Jxr * (R * ExtraValue(kFive, eW, 2, q) - ExtraValue(kFive, eV, 1, q)));
        default: return ExtraValue(kFive, kind, 0, p);
        }
    }
};

void CheckAgainstReducedLine(const std::string& what, const TCase& c) {
    SCOPED_TRACE(what);
    TSettings settings = {{"PARAMS.R", RealToStrGen(17, 0, c.R)},   {"PARAMS.H", RealToStrGen(17, 0, c.H)},
                          {"PARAMS.t", RealToStrGen(17, 0, c.t)},   {"PARAMS.E", RealToStrGen(17, 0, c.E)},
                          {"PARAMS.mu", RealToStrGen(17, 0, c.mu)}, {"MESH.mesh_x", std::to_string(c.N)},
                          {"MESH.mesh_y", std::to_string(c.M)},     {"LOADS.Gidr", ""},
                          {"LOADS.Wind", c.Wind != 0 ? Wave(c.K, c.Wind, false) : ""}};
    for (const char* k : {"u_bot", "v_bot", "w_bot", "dw_bot"}) settings.push_back({std::string("BOUNDS.") + k, "0"});
    for (const char* k : {"N1_bot", "S1_bot", "Q1_bot", "M1_bot"}) settings.push_back({std::string("BOUNDS.") + k, ""});
    const std::pair<const char*, double> section[] = {{"G", c.G}, {"F", c.F},     {"Jx", c.Jx},
                                                      {"Jr", c.Jr}, {"Jxr", c.Jxr}, {"Jk", c.Jk}};
    for (const auto& [key, value] : section)
        settings.push_back({std::string("ELEMS.Ring.PARAMS.") + key, RealToStrGen(17, 0, value)});
    const std::tuple<const char*, double, bool> loads[] = {{"s", c.S, false}, {"q", c.Q, true}, {"t", c.T, false},
                                                           {"mk", c.Mk, false}};
    for (const auto& [key, value, sine] : loads)
        settings.push_back({std::string("ELEMS.Ring.LOADS.") + key, value != 0 ? Wave(c.K, value, sine) : ""});
    auto p = MakeProblem("CylRing", settings);
    {
        TRealTypeScope extended(rtExtended);
        Solve(*p, 6);
    }
    TDmCylTech& shell = CylTechOf(*p);
    TDmRing& ring = dynamic_cast<TElCylRing&>(p->Root()).Ring();

    TRingLine line(c);
    line.Build();
    line.Solve();

    const std::pair<int, const char*> shellFields[] = {{0, "u"},  {1, "v"},  {2, "w"}, {5, "N1"},
                                                       {7, "S1"}, {9, "Q1"}, {11, "M1"}};
    for (const auto& [kind, name] : shellFields) {
        const double scale = CompareField(
            name, line.Harm, c.N, [&](int i, int j) { return ResultAt(shell, kind, i, j); },
            [&](int i, TParity& par) { return line.Shell(kind, i, par); }, 1e-10);
        EXPECT_GT(scale, 0) << name << " vanishes: the case does not exercise it";
    }
    const std::pair<int, const char*> ringFields[] = {{TDmRing::rkU, "ring u"},   {TDmRing::rkV, "ring v"},
                                                      {TDmRing::rkW, "ring w"},   {TDmRing::rkFi, "ring fi"},
                                                      {TDmRing::rkN2, "ring N2"}, {TDmRing::rkMx, "ring Mx"}};
    for (const auto& [kind, name] : ringFields) {
        const double scale = CompareField(
            name, line.Harm, 0, [&](int, int j) { return ResultAt(ring, kind, j); },
            [&](int, TParity& par) { return line.Ring(kind, par); }, 1e-10);
        EXPECT_GT(scale, 0) << name << " vanishes: the case does not exercise it";
    }
}

TEST(CylRingHarmonic, SurfaceSolutionEqualsTheReducedAxialLineAndRing) {
    TCase wind;
    wind.Wind = 1000;
    CheckAgainstReducedLine("wind of harmonic 2 on the shell", wind);
    TCase ring;
    ring.S = 300, ring.Q = 200, ring.T = 1000, ring.Mk = 50;
    CheckAgainstReducedLine("loads of harmonic 2 on the ring", ring);
}

}  // namespace
