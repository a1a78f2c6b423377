// The flat ring "Ring", "Ring2", "RingP": unknowns and rows, loads, and the
// solution against the exact solution of the ring's equations for a load of
// one harmonic, with the observed order of convergence.
#include "cylinders.h"

#include "testutil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <complex>
#include <cstdio>

using namespace zem;
using namespace zem::cyltest;

namespace {

constexpr double kPi = std::numbers::pi;
using TComplex = std::complex<double>;

std::string Num(double x) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.17g", x);
    return buf;
}

struct TSection {
    double R = 10, E = 2.06e11, G = 8e10, F = 0.01, Jx = 0.1, Jr = 10, Jxr = 0, Jk = 0.4;

    TSettings Settings() const {
        auto text = [](double x) { return Num(x); };
        return {{"PARAMS.R", text(R)},   {"PARAMS.E", text(E)},   {"PARAMS.G", text(G)},
                {"PARAMS.F", text(F)},   {"PARAMS.Jx", text(Jx)}, {"PARAMS.Jr", text(Jr)},
                {"PARAMS.Jxr", text(Jxr)}, {"PARAMS.Jk", text(Jk)}};
    }
};

// The exact solution for a load of harmonic n around the ring: every field
// is Re(A exp(i n s / R)), so a derivative along s multiplies the amplitude
// by D = i n / R. The forces follow from the displacements,
//   N2 = E F (v' + w/R),  Mx = -E/R (Jx (fi + R u'') + Jxr (R w'' - v')),
//   Mr = -E/R (Jr (R w'' - v') + Jxr (fi + R u'')),  Hk = G Jk (fi' - u'/R),
//   Qx = Mx' - Hk/R,  Qr = Mr',
// and the element of the ring is in equilibrium:
//   Qx' + s = 0,  N2' + Qr/R + q = 0,  Qr' - N2/R + t = 0,  Hk' + Mx/R + mk = 0.
class TExactRing {
public:
    using TRow = std::array<TComplex, 4>;  // coefficients of U, V, W, Fi

    // Load amplitudes a cos + b sin of harmonic n for t, s, q, mk.
    TExactRing(const TSection& s, int n, const std::array<std::array<double, 2>, 4>& load) : s_(s), n_(n) {
        const TComplex D(0, n / s.R);
        const double R = s.R, E = s.E;
        N2 = {0, E * s.F * D, E * s.F / R, 0};
        Mx = {-E * s.Jx * D * D, E / R * s.Jxr * D, -E * s.Jxr * D * D, -E / R * s.Jx};
        Mr = {-E * s.Jxr * D * D, E / R * s.Jr * D, -E * s.Jr * D * D, -E / R * s.Jxr};
        Hk = {-s.G * s.Jk * D / R, 0, 0, s.G * s.Jk * D};
        for (int c = 0; c < 4; ++c) {
            Qx[c] = D * Mx[c] - Hk[c] / R;
            Qr[c] = D * Mr[c];
        }
        // Rows: Qx' ..., N2' + Qr/R ..., Qr' - N2/R ..., Hk' + Mx/R ...; the
        // loads t, s, q, mk go to rows 2, 0, 1, 3.
        std::array<TRow, 4> a;
        for (int c = 0; c < 4; ++c) {
            a[0][c] = D * Qx[c];
            a[1][c] = D * N2[c] + Qr[c] / R;
            a[2][c] = D * Qr[c] - N2[c] / R;
            a[3][c] = D * Hk[c] + Mx[c] / R;
        }
        const int rowOfLoad[4] = {2, 0, 1, 3};
        std::array<TComplex, 4> rhs{};
        for (int k = 0; k < 4; ++k) rhs[rowOfLoad[k]] = -TComplex(load[k][0], -load[k][1]);
        X = Solve(a, rhs);
    }

    // Result kind (as the ring numbers them) at the arc coordinate x.
    double Value(int kind, double x) const {
        const TComplex e = std::exp(TComplex(0, x / s_.R * n_));
        if (kind < 4) return (X[kind] * e).real();
        const TRow* rows[] = {&N2, &Qx, &Qr, &Mx, &Mr, &Hk};
        TComplex v = 0;
        for (int c = 0; c < 4; ++c) v += (*rows[kind - 4])[c] * X[c];
        return (v * e).real();
    }

    std::array<TComplex, 4> X;  // amplitudes of u, v, w, fi
    TRow N2, Mx, Mr, Hk, Qx, Qr;

private:
    static std::array<TComplex, 4> Solve(std::array<TRow, 4> a, std::array<TComplex, 4> b) {
        for (int k = 0; k < 4; ++k) {
            int p = k;
            for (int r = k + 1; r < 4; ++r)
                if (std::abs(a[r][k]) > std::abs(a[p][k])) p = r;
            std::swap(a[k], a[p]);
            std::swap(b[k], b[p]);
            for (int r = k + 1; r < 4; ++r) {
                const TComplex f = a[r][k] / a[k][k];
                for (int c = k; c < 4; ++c) a[r][c] -= f * a[k][c];
                b[r] -= f * b[k];
            }
        }
        std::array<TComplex, 4> x{};
        for (int k = 3; k >= 0; --k) {
            TComplex v = b[k];
            for (int c = k + 1; c < 4; ++c) v -= a[k][c] * x[c];
            x[k] = v / a[k][k];
        }
        return x;
    }
    TSection s_;
    int n_;
};

// The text of a harmonic load: entry n of the list is [a, b].
std::string HarmonicText(int n, double a, double b) {
    std::string s = "[";
    for (int k = 0; k < n; ++k) s += "0, ";
    return s + "[" + Num(a) + ", " + Num(b) + "]]";
}

const char* const kLoadKeys[] = {"t", "s", "q", "mk"};

// The largest error of every result over the nodes, relative to the largest
// exact magnitude of its group: the displacements (fi times R), and the
// forces with the moments over R.
std::array<double, 10> RelativeErrors(TProblem& p, const TExactRing& exact, double R) {
    TDmRing& d = RingOf(p);
    std::array<double, 10> err{}, mag{};
    for (int i = 0; i < d.StepCount(0); ++i) {
        const double x = static_cast<double>(d.NodeCoord(0, i));
        for (int kind = 0; kind < 10; ++kind) {
            const double unit = kind == 3 ? R : kind >= 7 ? 1 / R : 1;
            const double e = exact.Value(kind, x);
            err[kind] = std::max(err[kind], std::fabs(ResultAt(d, kind, i) - e) * unit);
            mag[kind] = std::max(mag[kind], std::fabs(e) * unit);
        }
    }
    const double disp = std::max({mag[0], mag[1], mag[2], mag[3]});
    const double force = *std::max_element(mag.begin() + 4, mag.end());
    for (int kind = 0; kind < 10; ++kind) err[kind] /= kind < 4 ? disp : force;
    return err;
}

}  // namespace

TEST(Ring, LoadsAreFourierSeriesInTheirSlots) {
    auto p = MakeProblem("Ring", {{"LOADS.t", "[0, 5]"}, {"LOADS.q", "[0, [0, 5]]"}, {"MESH.mesh", "8"}});
    TDmRing& d = RingOf(*p);
    const double L = 20 * kPi;
    for (int i = 0; i < 8; ++i) {
        d.SetPos(0, i);
        const double x = static_cast<double>(d.NodeCoord(0, i));
        EXPECT_NEAR(double(d.InputValue(0)), 5 * std::cos(2 * kPi * x / L), 1e-12) << i;
        EXPECT_NEAR(double(d.InputValue(2)), 5 * std::sin(2 * kPi * x / L), 1e-12) << i;
        EXPECT_EQ(double(d.InputValue(1)), 0);
    }
    auto bad = [](const char* key) {
        return test::MessageOf([&] { MakeProblem("Ring", {{std::string("LOADS.") + key, "[1, [2, 3, 4]]"}}); });
    };
    for (const char* key : kLoadKeys) EXPECT_EQ(bad(key), std::string("Ошибка в значении параметра ") + key);
}

TEST(Ring, ParametersThatLeaveTheRingWithoutStiffnessAreRejected) {
    auto error = [](const std::string& key, const std::string& text) {
        return test::MessageOf([&] { MakeProblem("Ring", {{"PARAMS." + key, text}}); });
    };
    for (const char* key : {"R", "E", "G", "F", "Jx", "Jr", "Jk"})
        EXPECT_EQ(error(key, "0"), std::string("Ошибка в значении параметра ") + key);
    EXPECT_EQ(error("Jxr", "1.0"), "Ошибка в значении параметра Jxr") << "Jxr^2 = Jx Jr";
    EXPECT_EQ(error("Jxr", "-0.9"), "");
    EXPECT_EQ(test::MessageOf([] { MakeProblem("RingP", {{"PARAMS.Period", "0"}}); }),
              "Ошибка в значении параметра Period");
    // An empty parameter keeps the default.
    auto p = MakeProblem("Ring", {{"PARAMS.R", ""}});
    EXPECT_EQ(RingOf(*p).R, 10);
}

// --- Harmonic loads against the exact solution ---------------------------------------

namespace {

struct TCase {
    int load;      // slot: t, s, q, mk
    int harmonic;  // 2 or 3
};

// The errors of every result on meshes of 1, 2, 4 ... times `steps` (equal
// steps, or the mesh text that `mesh` makes of the count).
std::vector<std::array<double, 10>> Errors(const std::string& type, const TSection& s, const TCase& c, int steps,
                                           int meshes, std::string (*mesh)(int) = nullptr) {
    std::array<std::array<double, 2>, 4> load{};
    load[c.load] = {1000, 400};
    const TExactRing exact(s, c.harmonic, load);
    std::vector<std::array<double, 10>> errors;
    for (int m = 0, n = steps; m < meshes; ++m, n *= 2) {
        TSettings set = s.Settings();
        set.push_back({std::string("LOADS.") + kLoadKeys[c.load], HarmonicText(c.harmonic, 1000, 400)});
        set.push_back({"MESH.mesh", mesh ? mesh(n) : std::to_string(n)});
        auto p = MakeProblem(type, set);
        Solve(*p);
        errors.push_back(RelativeErrors(*p, exact, s.R));
    }
    return errors;
}

// A "balanced" section: the membrane stiffness E F / R^2 and the bending
// stiffness E Jr (n / R)^4 of harmonic 2 are alike, so that the in-plane
// error is in its asymptotic range from 32 steps on. (On slender sections
// the nearly inextensional in-plane solution reaches the second order only
// from several hundred steps on.)
TSection Balanced() {
    TSection s;
    s.Jr = 0.05, s.Jx = 0.02, s.Jk = 4 * 0.02 * 0.05 / 0.07;
    return s;
}

const char* const kResultNames[] = {"u", "v", "w", "fi", "N2", "Qx", "Qr", "Mx", "Mr", "Hk"};

// Every result of every harmonic load converges at second order on meshes of
// 1, 2 and 4 times `first` steps (the order between the two finer meshes; a field already
// below 1e-4 of its group may show the fourth-order part of the error).
void ExpectSecondOrder(const std::string& type, const TSection& s, const std::vector<int>& loads, int first = 32) {
    for (int load : loads)
        for (int harmonic : {2, 3}) {
            const auto e = Errors(type, s, {load, harmonic}, first, 3);
            for (int kind = 0; kind < 10; ++kind) {
                const std::string what =
                    type + " " + kLoadKeys[load] + std::to_string(harmonic) + " " + kResultNames[kind];
                if (e[2][kind] < 1e-9) continue;  // zero to rounding: a field the load does not reach
                const double order = std::log2(e[1][kind] / e[2][kind]);
                EXPECT_TRUE(order > 1.85 || e[2][kind] < 1e-4)
                    << what << ": errors " << e[0][kind] << ", " << e[1][kind] << ", " << e[2][kind];
                EXPECT_LT(e[2][kind], 2e-2) << what;
            }
        }
}

}  // namespace

// Observed orders between 64 and 128 steps, harmonics 2 and 3: Ring 1.97 ...
// 2.03 for every result; Ring2 1.6 ... 3.0 (below 1.85 only where the error
// is under 1e-4), its error mixing the fourth-order part of the five-point
// terms with the second-order part of the compact third and fourth
// derivatives, which keep its order at two.
TEST(Ring, HarmonicLoadsConvergeAtSecondOrder) {
    for (const char* type : {"Ring", "Ring2"}) ExpectSecondOrder(type, Balanced(), {0, 1, 2, 3});
}

TEST(Ring, ProductOfInertiaCouplesBothPlanes) {
    TSection s = Balanced();
    s.Jxr = 0.01;
    // An in-plane load now moves the ring out of its plane, and an
    // out-of-plane load in it.
    EXPECT_GT(std::abs(TExactRing(s, 2, {{{1000, 0}, {0, 0}, {0, 0}, {0, 0}}}).X[0]), 1e-12);
    EXPECT_GT(std::abs(TExactRing(s, 2, {{{0, 0}, {1000, 0}, {0, 0}, {0, 0}}}).X[2]), 1e-12);
    ExpectSecondOrder("Ring", s, {0, 1});
    // Here the error of Ring2's twisting load changes from its fourth-order
    // part to its second-order part around 100 steps.
    ExpectSecondOrder("Ring2", s, {2, 3}, 64);
}

TEST(Ring, AnUnevenMeshGivesTheDeformationWithoutRigidMotion) {
    // On unequal steps the rigid-body motions are null vectors of the rows
    // only up to the truncation error; the solution still has no component
    // along them, and converges to the pure deformation.
    const TSection s = Balanced();
    auto uneven = [](int n) { return "[[" + std::to_string(n / 4) + ", 0.3], [" + std::to_string(n - n / 4) + ", 0.7]]"; };
    const auto e = Errors("Ring", s, {0, 2}, 32, 2, uneven);
    EXPECT_LT(e[1][2], e[0][2] / 3) << "w: " << e[0][2] << ", " << e[1][2];
    EXPECT_LT(e[1][4], e[0][4] / 3) << "N2: " << e[0][4] << ", " << e[1][4];

    auto p = MakeProblem("Ring", {{"LOADS.t", "[0, 0, 1000]"}, {"LOADS.s", "[0, 0, 0, [0, 100]]"},
                                  {"MESH.mesh", uneven(40)}});
    Solve(*p);
    TDmRing& d = RingOf(*p);
    // The projections of (u, v, w, R fi) on the six rigid motions, weighted
    // by the node cells, against the size of the deformation.
    double proj[6] = {}, size = 0;
    for (int j = 0; j < d.StepCount(0); ++j) {
        const double cell = (d.Step(0, j - 1) + d.Step(0, j)) / 2;
        const double th = static_cast<double>(d.NodeCoord(0, j)) / s.R;
        const double u = ResultAt(d, 0, j), v = ResultAt(d, 1, j), w = ResultAt(d, 2, j), rfi = s.R * ResultAt(d, 3, j);
        const double terms[6] = {u, v, w * std::cos(th) - v * std::sin(th), (u + rfi) * std::cos(th),
                                 w * std::sin(th) + v * std::cos(th), (u + rfi) * std::sin(th)};
        for (int m = 0; m < 6; ++m) proj[m] += cell * terms[m];
        size += cell * (std::fabs(u) + std::fabs(v) + std::fabs(w) + std::fabs(rfi));
    }
    for (double x : proj) EXPECT_LT(std::fabs(x), 1e-12 * size);
}
