// "CylTech" against its own equations reduced to one circumferential
// harmonic: the surface solution of a cos 2 theta load must equal, node by
// node and to rounding, the amplitudes that a dense solve of the reduced
// axial system gives, for the displacements and the edge forces, with
// clamped, hinged and free ends carrying edge loads of their own.
//
// The reduced rows are written below from the shell's equations, so a wrong
// coefficient in an equation or in a force writer of the program (or in the
// row order at the ends) shows up as a difference far above rounding.
#include "cylinders.h"
#include "harmonic.h"

#include <gtest/gtest.h>

#include <array>
#include <limits>

using namespace zem;
using namespace zem::cyltest;
using namespace zem::harmonic;

namespace {

// Components and their waves under a cos k theta radial load.
enum { cU = 0, cV = 1, cW = 2 };

struct TShell {
    double R = 2, H = 3, t = 0.02, E = 2.06e11, mu = 0.3;
    int N = 12, M = 10, K = 2;
    double Q = 1000;  // radial pressure amplitude (Pa)
};

// Given conditions at one end, in the order of BOUNDS (u, v, w, dw, N1, S1,
// Q1, M1): the amplitude of its wave (cos, sin for v and S1), or kNo.
using TEnd = std::array<double, 8>;
constexpr double kNo = std::numeric_limits<double>::quiet_NaN();
bool Given(const TEnd& end, int k) { return !std::isnan(end[std::size_t(k)]); }

const char* const kBottomKeys[8] = {"u_bot", "v_bot", "w_bot", "dw_bot", "N1_bot", "S1_bot", "Q1_bot", "M1_bot"};
const char* const kTopKeys[8] = {"u_top", "v_top", "w_top", "dw_top", "N1_top", "S1_top", "Q1_top", "M1_top"};

// The boundary text of amplitude a on harmonic k: [0, 0, a] or [0, 0, [0, a]].
std::string WaveText(int k, double a, bool sine) {
    std::string s = "[";
    for (int i = 0; i < k; ++i) s += "0, ";
    s += sine ? "[0, " + RealToStrGen(17, 0, a) + "]]" : RealToStrGen(17, 0, a) + "]";
    return s;
}

bool SineCondition(int k) { return k == 1 || k == 5; }  // v, S1

// The reduced rows of "CylTech", written from the shell equations.
class TCylTechLine : public TLine {
public:
    TCylTechLine(const TShell& s)
        : TLine(s.N, s.H / s.N, THarmonic(s.K, s.M, s.R), {kCos, kSin, kCos}), S(s) {
        T2 = s.t * s.t / 12;
        B = s.E * s.t / (1 - s.mu * s.mu);
        Dm = s.t * s.t * s.t * s.E / 12 / (1 - s.mu * s.mu);
        Gt = s.E * s.t / 2 / (1 + s.mu);
        Compl = (1 - s.mu * s.mu) / (s.E * s.t);
    }
    const TShell S;
    Real T2, B, Dm, Gt, Compl;

    void EqI(int i) {
        Row("EqI", kCos);
        D(cU, 2, 0, i, 1);
        D(cU, 0, 2, i, (1 - S.mu) / 2);
        D(cV, 1, 1, i, (1 + S.mu) / 2);
        D(cW, 1, 0, i, S.mu / S.R);
    }
    void EqII(int i) {
        Row("EqII", kSin);
        D(cU, 1, 1, i, (1 + S.mu) / 2);
        D(cV, 0, 2, i, 1);
        D(cV, 2, 0, i, (1 - S.mu) / 2);
        D(cW, 0, 1, i, 1 / S.R);
    }
    void EqIII(int i) {
        Row("EqIII", kCos);
        D(cU, 1, 0, i, S.mu / S.R);
        D(cV, 0, 1, i, 1 / S.R);
        D(cW, 4, 0, i, T2);
        D(cW, 2, 2, i, 2 * T2);
        D(cW, 0, 4, i, T2);
        D(cW, 0, 0, i, 1 / (S.R * S.R));
        Free(-S.Q * Compl);
    }
    void Eq(int e, int i) { e == 1 ? EqI(i) : e == 2 ? EqII(i) : EqIII(i); }
    // Quantity k of BOUNDS equals the given amplitude.
    void Bound(int k, int i, double value) {
        Row("bound", SineCondition(k) ? kSin : kCos);
        const Real b = Dm * (1 - S.mu);
        switch (k) {
        case 0: D(cU, 0, 0, i, 1); break;
        case 1: D(cV, 0, 0, i, 1); break;
        case 2: D(cW, 0, 0, i, 1); break;
        case 3: D(cW, 1, 0, i, 1); break;
        case 4:  // N1
            D(cU, 1, 0, i, B);
            D(cV, 0, 1, i, B * S.mu);
            D(cW, 0, 0, i, B * S.mu / S.R);
            break;
        case 5:  // S1 + M12/R
            D(cU, 0, 1, i, 6 * b / (S.t * S.t));
            D(cV, 1, 0, i, 6 * b / (S.t * S.t));
            D(cW, 1, 1, i, -b / S.R);
            break;
        case 6:  // Q1 + dM12/dy
            D(cW, 1, 2, i, -Dm * (2 - S.mu));
            D(cW, 3, 0, i, -Dm);
            break;
        default:  // M1
            D(cW, 2, 0, i, Dm);
            D(cW, 0, 2, i, Dm * S.mu);
            break;
        }
        Free(-value);
    }
    void BoundOrEq(const TEnd& end, int k, int e, int i) {
        if (Given(end, k))
            Bound(k, i, end[std::size_t(k)]);
        else
            Eq(e, i);
    }
    // The rows of an end at node i (the program's three passes, for one j).
    void EndRows(const TEnd& end, int i) {
        const int outer = i == 0 ? -2 : N + 2;
        Nil(cU, outer);
        Nil(cV, outer);
        BoundOrEq(end, 6, 3, i);
        BoundOrEq(end, 4, 1, i);
        BoundOrEq(end, 5, 2, i);
        Bound(Given(end, 3) ? 3 : 7, i, Given(end, 3) ? end[3] : Given(end, 7) ? end[7] : 0);
        BoundOrEq(end, 0, 1, i);
        BoundOrEq(end, 1, 2, i);
        BoundOrEq(end, 2, 3, i);
    }
    void Build(const TEnd& bottom, const TEnd& top) {
        EndRows(bottom, 0);
        for (int i = 1; i < N; ++i) {
            EqI(i);
            EqII(i);
            EqIII(i);
        }
        EndRows(top, N);
    }

    // The result fields as the program defines them, as amplitudes.
    Real Field(int kind, int i, TParity& p) const {
        TParity q;
        switch (kind) {
        case 0: return Value(cU, 0, 0, i, p);
        case 1: return Value(cV, 0, 0, i, p);
        case 2: return Value(cW, 0, 0, i, p);
        case 5:  // N1
            return B * (Value(cU, 1, 0, i, p) + S.mu * Value(cV, 0, 1, i, q) + S.mu / S.R * Value(cW, 0, 0, i, q));
        case 7:  // S1
            return Gt * (Value(cU, 0, 1, i, p) + Value(cV, 1, 0, i, q));
        case 9:  // Q1
            return -Dm * (Value(cW, 3, 0, i, p) + Value(cW, 1, 2, i, q));
        default:  // 11, M1
            return Dm * (Value(cW, 2, 0, i, p) + S.mu * Value(cW, 0, 2, i, q));
        }
    }
};

// Solves the shell as the program does and as the reduced line does, and
// compares u, v, w, N1, S1, Q1, M1 at every node. Returns the largest |w|.
double CheckAgainstReducedLine(const std::string& what, const TShell& s, const TEnd& bottom, const TEnd& top) {
    SCOPED_TRACE(what);
    TSettings settings = {{"PARAMS.R", RealToStrGen(17, 0, s.R)},
                          {"PARAMS.H", RealToStrGen(17, 0, s.H)},
                          {"PARAMS.t", RealToStrGen(17, 0, s.t)},
                          {"PARAMS.E", RealToStrGen(17, 0, s.E)},
                          {"PARAMS.mu", RealToStrGen(17, 0, s.mu)},
                          {"MESH.mesh_x", std::to_string(s.N)},
                          {"MESH.mesh_y", std::to_string(s.M)},
                          {"LOADS.Gidr", ""},
                          {"LOADS.Wind", WaveText(s.K, s.Q, false)}};
    for (int k = 0; k < 8; ++k) {
        const auto text = [&](const TEnd& end) {
            return Given(end, k) ? WaveText(s.K, end[std::size_t(k)], SineCondition(k)) : std::string();
        };
        settings.push_back({std::string("BOUNDS.") + kBottomKeys[k], text(bottom)});
        settings.push_back({std::string("BOUNDS.") + kTopKeys[k], text(top)});
    }
    auto p = MakeProblem("CylTech", settings);
    {
        TRealTypeScope extended(rtExtended);
        Solve(*p, 6);
    }
    TDmCylTech& d = CylTechOf(*p);

    TCylTechLine line(s);
    line.Build(bottom, top);
    line.Solve();

    const std::pair<int, const char*> fields[] = {{0, "u"},  {1, "v"},  {2, "w"}, {5, "N1"},
                                                  {7, "S1"}, {9, "Q1"}, {11, "M1"}};
    double wMax = 0;
    for (const auto& [kind, name] : fields) {
        const double scale = CompareField(
            name, line.Harm, s.N, [&](int i, int j) { return ResultAt(d, kind, i, j); },
            [&](int i, TParity& par) { return line.Field(kind, i, par); }, 1e-11);
        EXPECT_GT(scale, 0) << name << " vanishes: the case does not exercise it";
        if (kind == 2) wMax = scale;
    }
    return wMax;
}

TEST(CylTechHarmonic, SurfaceSolutionEqualsTheReducedAxialLine) {
    const TShell s;
    // Clamped bottom; free top loaded by all four edge forces.
    const TEnd clamped{0, 0, 0, 0, kNo, kNo, kNo, kNo};
    const TEnd freeLoaded{kNo, kNo, kNo, kNo, 2000, 500, 300, 40};
    CheckAgainstReducedLine("clamped bottom, loaded free top", s, clamped, freeLoaded);

    // Hinged at both ends (u, v, w held, M1 given; the bottom moment nonzero).
    const TEnd hingedBottom{0, 0, 0, kNo, kNo, kNo, kNo, -25};
    const TEnd hingedTop{0, 0, 0, kNo, kNo, kNo, kNo, 0};
    CheckAgainstReducedLine("hinged ends", s, hingedBottom, hingedTop);

    // Free bottom with edge loads, clamped top; a prescribed edge
    // displacement at the top as well.
    const TEnd freeBottom{kNo, kNo, kNo, kNo, -1500, 200, -100, 30};
    const TEnd clampedTop{0, 1e-5, 0, 0, kNo, kNo, kNo, kNo};
    CheckAgainstReducedLine("free bottom, clamped top", s, freeBottom, clampedTop);
}

}  // namespace
