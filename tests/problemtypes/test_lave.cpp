// The Love-equation cylinder against the technical-theory shell it refines.
//
// The Love terms act through the circumferential displacement v. Under an
// axisymmetric load v vanishes and "CylLave" must give the solution of
// "CylTech2_2" itself. Under a one-harmonic load on a shell with simply
// supported ends (w = v = N1 = M1 = 0) both theories have a closed-form
// double-series solution; the Love terms shift it by an amount that grows
// with the wall's relative thickness. On one mesh the two programs' solutions
// differ by that shift up to a small fraction of it (the mesh error cancels
// in the difference), so a term missing or doubled in an equation or in a
// result shows up as a shift of the wrong size: each of the four equation
// terms moves the shift of w and v by a tenth or more, each result term
// the shift of its result by more. (The axial displacement is left out:
// its Love shift is far below the mesh error of its end rows.)
#include "cylinders.h"
#include "lave.h"
#include "problemtypes/ElLave.h"
#include "testutil.h"

#include <gtest/gtest.h>

#include <array>
#include <numbers>

using namespace zem;
using namespace zem::cyltest;

namespace {

using lavetest::Real;

// The result kinds compared below.
enum : int { kU = 0, kV = 1, kW = 2, kQ1 = 9, kQ2 = 10, kM1 = 11, kM2 = 12, kM12 = 13 };

struct TShell {
    double R, H, t;
    int N, M, K;  // axial steps, circumferential steps, harmonic
    double E = 2.06e11, mu = 0.3, Q = 1000;
};

// The closed-form solution of a shell simply supported at both ends under
// the radial pressure Q cos(K y/R), uniform along the axis: the pressure is
// the series of 4 Q/(m pi) sin(m pi x/H) over odd m, and every term gives
//   u = U cos(l x) cos(b y), v = V sin(l x) sin(b y), w = W sin(l x) cos(b y)
// with l = m pi/H, b = K/R, from the shell's three equations (divided by B,
// k = t^2/12; `love` adds the Love terms).
class TNavier {
public:
    TNavier(const TShell& s, bool love) : S(s), Love(love ? 1 : 0) {}

    // Result kind `kind` at (x, y).
    Real Result(int kind, Real x, Real y) const {
        const Real mu = S.mu, R = S.R, b = S.K / R;
        const Real D = Real(S.t) * S.t * S.t * S.E / 12 / (1 - mu * mu);
        const Real cb = std::cos(b * y), sb = std::sin(b * y);
        Real sum = 0;
        for (int m = 1; m < 4000; m += 2) {
            const Real l = m * std::numbers::pi_v<Real> / S.H;
            std::array<Real, 3> a = Amplitudes(l, 4 * S.Q / (m * std::numbers::pi_v<Real>));
            const Real U = a[0], V = a[1], W = a[2];
            const Real cl = std::cos(l * x), sl = std::sin(l * x);
            switch (kind) {
            case kU: sum += U * cl * cb; break;
            case kV: sum += V * sl * sb; break;
            case kW: sum += W * sl * cb; break;
            case kM1: sum += (D * (-l * l - mu * b * b) * W - Love * D * mu / R * b * V) * sl * cb; break;
            case kM2: sum += (D * (-b * b - mu * l * l) * W - Love * D / R * b * V) * sl * cb; break;
            case kM12: sum += ((1 - mu) * D * l * b * W + Love * (1 - mu) * D / R * l * V) * cl * sb; break;
            case kQ1: sum += (D * l * (l * l + b * b) * W + Love * D / R * l * b * V) * cl * cb; break;
            case kQ2:
                sum += (-D * b * (l * l + b * b) * W - Love * D / R * ((1 - mu) * l * l + b * b) * V) * sl * sb;
                break;
            default: break;
            }
        }
        return sum;
    }

private:
    std::array<Real, 3> Amplitudes(Real l, Real q) const {
        return lavetest::Amplitudes(S.R, S.t, S.E, S.mu, l, S.K / Real(S.R), q, Love != 0);
    }

    TShell S;
    Real Love;
};

std::string WindText(int k, double q) {
    std::string s = "[";
    for (int i = 0; i < k; ++i) s += "0, ";
    return s + RealToStrGen(17, 0, q) + "]";
}

// Both ends simply supported, the wind of harmonic K.
TSettings Navier(const TShell& s) {
    return TSettings{{"PARAMS.R", RealToStrGen(17, 0, s.R)}, {"PARAMS.H", RealToStrGen(17, 0, s.H)},
                     {"PARAMS.t", RealToStrGen(17, 0, s.t)}, {"LOADS.Gidr", ""},
                     {"LOADS.Wind", WindText(s.K, s.Q)},     {"MESH.mesh_x", std::to_string(s.N)},
                     {"MESH.mesh_y", std::to_string(s.M)}} +
           SimplySupportedEnds();
}

double NodeX(TDmCylTech& d, int i) { return static_cast<double>(d.NodeCoord(0, i)); }
double NodeY(TDmCylTech& d, int j) { return static_cast<double>(d.NodeCoord(1, j)); }

TEST(CylLave, AxisymmetricLoadGivesTheTechnicalTheorySolution) {
    // The default tank: hydrostatic load, clamped bottom, free top.
    const TSettings set = {{"MESH.mesh_x", "12"}, {"MESH.mesh_y", "8"}};
    auto love = MakeProblem("CylLave", set);
    auto tech = MakeProblem("CylTech2_2", set);
    EXPECT_EQ(RowNames(*love), RowNames(*tech));
    Solve(*love);
    Solve(*tech);
    TDmCylTech &a = CylTechOf(*love), &b = CylTechOf(*tech);
    const double wMax = MaxAbsW(b);
    ASSERT_GT(wMax, 0);
    for (int kind : {kU, kV, kW, kQ1, kM1, kM2, kM12})
        for (int i = 0; i <= 12; ++i)
            for (int j = 0; j < 8; j += 3) {
                const double x = ResultAt(a, kind, i, j), y = ResultAt(b, kind, i, j);
                EXPECT_NEAR(x, y, 1e-9 * (std::fabs(y) + (kind <= kW ? wMax : 1e-3)))
                    << "kind " << kind << " at (" << i << "," << j << ")";
            }
    EXPECT_LT(std::fabs(ResultAt(a, kV, 6, 1)), 1e-12 * wMax);
}

// The Love shift of each quantity at nodes where it is large: the program's
// (CylLave minus CylTech2_2, one mesh) against the closed form's.
void ExpectLoveShift(const TShell& s, double tol) {
    auto love = MakeProblem("CylLave", Navier(s));
    auto tech = MakeProblem("CylTech2_2", Navier(s));
    Solve(*love);
    Solve(*tech);
    TDmCylTech &a = CylTechOf(*love), &b = CylTechOf(*tech);
    const TNavier exactLove(s, true), exactTech(s, false);
    const int mid = s.N / 2, quarter = s.N / 4;
    const int jCos = 0, jSin = s.M / (4 * s.K);  // cos(K y/R) = 1, sin(K y/R) = 1
    struct TAt {
        int kind, i, j;
    };
    for (TAt p : {TAt{kW, mid, jCos}, TAt{kV, mid, jSin}, TAt{kM1, mid, jCos},
                  TAt{kM2, mid, jCos}, TAt{kM12, quarter, jSin}, TAt{kQ1, quarter, jCos}, TAt{kQ2, mid, jSin}}) {
        const double x = NodeX(a, p.i), y = NodeY(a, p.j);
        const double shift = ResultAt(a, p.kind, p.i, p.j) - ResultAt(b, p.kind, p.i, p.j);
        const double exact = static_cast<double>(exactLove.Result(p.kind, x, y) - exactTech.Result(p.kind, x, y));
        const double value = static_cast<double>(exactLove.Result(p.kind, x, y));
        ASSERT_NE(exact, 0);
        EXPECT_NEAR(shift / exact, 1, tol) << "kind " << p.kind << ": shift " << shift << ", exact " << exact
                                           << " of " << value << " (t/R = " << s.t / s.R << ")";
    }
    // Well within a few t/R of the deflection.
    EXPECT_LT(std::fabs(ResultAt(a, kW, mid, jCos) - ResultAt(b, kW, mid, jCos)),
              s.t / s.R * std::fabs(ResultAt(b, kW, mid, jCos)));
    // The program's Love solution is the closed form's, up to the mesh error.
    const double w = ResultAt(a, kW, mid, jCos);
    EXPECT_NEAR(w, static_cast<double>(exactLove.Result(kW, NodeX(a, mid), 0)), 1e-2 * std::fabs(w));
}

TEST(CylLave, LoveTermsShiftTheSolutionAsTheClosedFormSays) {
    // The shift of w grows as (t/R)^2: 2 % of w here ...
    ExpectLoveShift({1, 2, 0.05, 20, 48, 2}, 0.03);
    // ... and a few millionths on a thin shell (t/R = 1/1000).
    ExpectLoveShift({10, 10, 0.01, 64, 16, 1}, 0.03);
}

TEST(CylLave, FreeTopCarriesNoMomentAndNoShear) {
    // The moment and the shears of a free edge include the Love terms: their
    // rows set M1 = 0, S1 + M12/R = 0 and Q1 + dM12/dy = 0 as the results
    // compute them (the last up to the error of differencing M12 around).
    const int n = 12, m = 32;
    auto p = MakeProblem("CylLave", {{"PARAMS.R", "1"}, {"PARAMS.H", "1"}, {"PARAMS.t", "0.02"}, {"LOADS.Gidr", ""},
                                     {"LOADS.Wind", "[0, 0, 1000]"}, {"MESH.mesh_x", std::to_string(n)},
                                     {"MESH.mesh_y", std::to_string(m)}});
    Solve(*p);
    TDmCylTech& d = CylTechOf(*p);
    const double h = 2 * std::numbers::pi * d.R / m;
    const double m12 = std::fabs(ResultAt(d, kM12, n, m / 8)), m1 = std::fabs(ResultAt(d, kM1, 0, 0));
    const double q1 = std::fabs(ResultAt(d, kQ1, n, 0));
    ASSERT_GT(m12, 0);
    ASSERT_GT(q1, 0);
    auto twist = [&](int j) { return ResultAt(d, kM12, n, (j + m) % m); };
    for (int j = 0; j < m; ++j) {
        EXPECT_NEAR(ResultAt(d, kM1, n, j), 0, 1e-9 * m1) << j;
        EXPECT_NEAR(ResultAt(d, 7, n, j) + ResultAt(d, kM12, n, j) / d.R, 0, 1e-9 * m12 / d.R) << j;
        const double dTwist = (twist(j - 2) - 8 * twist(j - 1) + 8 * twist(j + 1) - twist(j + 2)) / (12 * h);
        EXPECT_NEAR(ResultAt(d, kQ1, n, j) + dTwist, 0, 2e-3 * q1) << j;
    }
}

TEST(CylLave, SolutionBalancesItsOwnForcesAround) {
    // The circumferential equilibrium dN2/dy + dS1/dx + Q2/R = 0 (no qy) of
    // the forces the program reports, differentiated from their node values
    // by fourth-order differences: its residual must be a truncation error,
    // falling some sixteen times when the mesh is halved. A term of Q2
    // missing from the equation (or from the result) leaves a residual that
    // does not fall. A thick shell (t/R = 1/10) under a wind of harmonic 2.
    auto residual = [](int n, int m) {
        auto p = MakeProblem("CylLave", {{"PARAMS.R", "1"}, {"PARAMS.H", "1"}, {"PARAMS.t", "0.1"},
                                         {"LOADS.Gidr", ""}, {"LOADS.Wind", "[0, 0, 1000]"},
                                         {"MESH.mesh_x", std::to_string(n)}, {"MESH.mesh_y", std::to_string(m)}});
        Solve(*p);
        TDmCylTech& d = CylTechOf(*p);
        const double hx = d.Lengths[0] / n, hy = 2 * std::numbers::pi * d.R / m;
        auto f = [&](int kind, int i, int j) { return ResultAt(d, kind, i, (j + m) % m); };
        auto diff = [](double a, double b, double c, double e, double h) { return (a - 8 * b + 8 * c - e) / (12 * h); };
        double largest = 0, scale = 0;
        for (int i = 2; i <= n - 2; ++i)
            for (int j = 0; j < m; ++j) {
                const double n2 = diff(f(6, i, j - 2), f(6, i, j - 1), f(6, i, j + 1), f(6, i, j + 2), hy);
                const double s1 = diff(f(7, i - 2, j), f(7, i - 1, j), f(7, i + 1, j), f(7, i + 2, j), hx);
                const double q2 = f(kQ2, i, j) / d.R;
                largest = std::max(largest, std::fabs(n2 + s1 + q2));
                scale = std::max({scale, std::fabs(n2), std::fabs(s1)});
            }
        return largest / scale;
    };
    const double coarse = residual(16, 32), fine = residual(32, 64);
    EXPECT_LT(coarse, 2e-2);
    EXPECT_LT(fine, coarse / 8) << coarse;
}

// --- The periodic shell ------------------------------------------------------------------------

TEST(CylLaveP, OnePeriodEqualsTheWholeShellAtMatchingNodes) {
    // A wind of period 2 (harmonics 2 and 4 around): harmonics 1 and 2 of
    // the half circumference. Hydrostatic load and clamped bottom as default.
    auto whole = MakeProblem("CylLave", {{"LOADS.Wind", "[0, 0, [300, 100], 0, 50]"},
                                         {"MESH.mesh_x", "8"},
                                         {"MESH.mesh_y", "16"}});
    auto half = MakeProblem("CylLaveP", {{"PARAMS.Period", "2"},
                                         {"LOADS.Wind", "[0, [300, 100], 50]"},
                                         {"MESH.mesh_x", "8"},
                                         {"MESH.mesh_y", "8"}});
    Solve(*whole);
    Solve(*half);
    TDmCylTech &a = CylTechOf(*whole), &b = CylTechOf(*half);
    EXPECT_NEAR(b.Lengths[1], 10 * std::numbers::pi, 1e-12);
    const double wMax = MaxAbsW(a);
    for (int kind : {kU, kV, kW, kQ2, kM2, kM12})
        for (int i = 0; i <= 8; ++i)
            for (int j = 0; j < 8; ++j) {
                const double x = ResultAt(a, kind, i, j);
                EXPECT_NEAR(ResultAt(b, kind, i, j), x, 1e-9 * (std::fabs(x) + (kind <= kW ? wMax : 1)))
                    << "kind " << kind << " at (" << i << "," << j << ")";
                EXPECT_NEAR(ResultAt(a, kind, i, j + 8), x, 1e-9 * (std::fabs(x) + (kind <= kW ? wMax : 1)));
            }
    EXPECT_EQ(test::MessageOf([&] { Edit(*half, {{"PARAMS.Period", "0"}}); }), "Ошибка в значении параметра Period");
}

}  // namespace
