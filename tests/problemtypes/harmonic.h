// An independent check of a two-dimensional shell type: one circumferential
// harmonic reduces its difference equations to an axial line.
//
// On a uniform mesh of M steps around a closed circumference, a central
// difference acts on cos(k theta_j) and sin(k theta_j) as a fixed multiplier
// that swaps cosine and sine for odd orders. A load that is one harmonic
// therefore gives a solution whose every component is an amplitude along the
// axis times cos or sin, and the amplitudes solve a small system written
// along the axis alone. A test writes that system here from the shell's
// equations (not from the program's writers), solves it densely, and compares
// the amplitudes with the program's surface solution node by node.
//
// Columns: component c at axial node i (i = -2 ... N + 2) is (i + 2) C + c;
// the amplitudes of a body without an axis (a ring on an edge) follow them.
// Differences are on a uniform step, of one of two families: the three-point
// ones, and the five-point ones (central; for a first or second difference
// also shifted by one node, or one-sided, towards a side), both composed
// as the program composes them (order 3 = first of second, order 4 = second
// of second); reaching a node beyond -2 ... N + 2 fails the test.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

namespace zem::harmonic {

using Real = long double;

// cos (0) or sin (1) around the circumference.
enum TParity : int { kCos = 0, kSin = 1 };

// The family of a difference: three-point or five-point.
enum TPoints : int { kThree = 3, kFive = 5 };

// The weights at the offsets Offs (in steps of H) of the derivative of
// order Q at 0 that is exact for every polynomial of degree < Offs.size(),
// from the Taylor conditions solved directly.
inline std::vector<Real> DifferenceWeights(const std::vector<int>& offs, int q, Real h) {
    const std::size_t n = offs.size();
    std::vector<Real> a(n * n), w(n, 0);
    Real fact = 1;
    for (std::size_t p = 0; p < n; ++p) {
        if (p > 0) fact *= Real(p);
        for (std::size_t m = 0; m < n; ++m) a[p * n + m] = std::pow(Real(offs[m]) * h, Real(p)) / fact;
        w[p] = int(p) == q ? 1 : 0;
    }
    for (std::size_t k = 0; k < n; ++k) {
        std::size_t piv = k;
        for (std::size_t r = k + 1; r < n; ++r)
            if (std::fabs(a[r * n + k]) > std::fabs(a[piv * n + k])) piv = r;
        for (std::size_t c = 0; c < n; ++c) std::swap(a[k * n + c], a[piv * n + c]);
        std::swap(w[k], w[piv]);
        for (std::size_t r = 0; r < n; ++r) {
            if (r == k) continue;
            const Real f = a[r * n + k] / a[k * n + k];
            for (std::size_t c = k; c < n; ++c) a[r * n + c] -= f * a[k * n + c];
            w[r] -= f * w[k];
        }
    }
    for (std::size_t k = 0; k < n; ++k) w[k] /= a[k * n + k];
    return w;
}

// The five offsets of a five-point difference: central (selector 0), shifted
// by one node towards the sign of the selector (+-1), or one-sided (+-2).
inline std::vector<int> FivePointOffsets(int selector) {
    const int s = selector > 0 ? 1 : selector < 0 ? -1 : 0;
    const int first = selector == 0 ? -2 : std::abs(selector) == 1 ? -s : 0;
    std::vector<int> offs;
    for (int m = 0; m < 5; ++m) offs.push_back(s < 0 ? first - m : first + m);
    return offs;
}

// The multipliers of central differences on harmonic k of a closed mesh of M
// equal steps over the circumference of radius R.
struct THarmonic {
    int K;
    int M;
    Real H;   // the circumferential step 2 pi R / M
    Real S1;  // first difference: cos -> -S1 sin, sin -> S1 cos
    Real S2;  // second difference: -S2 times the same function
    Real F1, F2;  // the same of the central five-point differences

    THarmonic(int k, int m, double radius)
        : K(k), M(m), H(2 * std::numbers::pi_v<Real> * radius / m) {
        const Real delta = 2 * std::numbers::pi_v<Real> * k / m;
        S1 = std::sin(delta) / H;
        S2 = (2 - 2 * std::cos(delta)) / (H * H);
        // Each offset o of a central difference adds its weight times
        // cos(o delta) (even order) or sin(o delta) (odd order).
        const std::vector<Real> w1 = DifferenceWeights(FivePointOffsets(0), 1, H);
        const std::vector<Real> w2 = DifferenceWeights(FivePointOffsets(0), 2, H);
        F1 = F2 = 0;
        for (int o = -2; o <= 2; ++o) {
            F1 += w1[std::size_t(o + 2)] * std::sin(o * delta);
            F2 -= w2[std::size_t(o + 2)] * std::cos(o * delta);
        }
    }

    // The multiplier of the y-derivative of order Q on a function of
    // parity P; P becomes the parity of the result.
    Real Factor(int q, TParity& p, TPoints points = kThree) const {
        const Real s1 = points == kThree ? S1 : F1, s2 = points == kThree ? S2 : F2;
        Real f = 1;
        for (; q >= 2; q -= 2) f *= -s2;
        if (q == 1) {
            f *= p == kCos ? -s1 : s1;
            p = p == kCos ? kSin : kCos;
        }
        return f;
    }

    Real Angle(int j) const { return 2 * std::numbers::pi_v<Real> * K * j / M; }
    Real Wave(TParity p, int j) const { return p == kCos ? std::cos(Angle(j)) : std::sin(Angle(j)); }
};

// The reduced system of one harmonic along the axis: N steps of Hx, two
// fictitious nodes beyond each end, Components unknowns per node of the
// given parities, and Extra amplitudes of the given parities that do not
// vary along the axis.
class TLine {
public:
    TLine(int n, double hx, const THarmonic& h, std::vector<TParity> parities, std::vector<TParity> extra = {})
        : N(n), Hx(hx), Harm(h), Parities(std::move(parities)), Extra(std::move(extra)),
          C(static_cast<int>(Parities.size())), size_(static_cast<std::size_t>(C * (n + 5)) + Extra.size()),
          a_(size_ * size_, 0), f_(size_, 0), x_(size_, 0) {}

    const int N;
    const Real Hx;
    const THarmonic Harm;
    const std::vector<TParity> Parities;
    const std::vector<TParity> Extra;
    const int C;

    std::size_t Size() const { return size_; }
    std::size_t Col(int c, int i) const {
        EXPECT_TRUE(i >= -2 && i <= N + 2) << "node " << i << " lies beyond the fictitious lines";
        const int k = (std::max(-2, std::min(N + 2, i)) + 2) * C + c;
        return static_cast<std::size_t>(k);
    }

    // Starts row `name` of parity P (the wave its terms must share).
    void Row(const std::string& name, TParity p) {
        EXPECT_LT(rows_.size(), size_) << "more rows than unknowns at " << name;
        rows_.push_back(name);
        rowParity_ = p;
    }
    // Adds x times the derivative of component c of x-order qx, y-order qy at
    // axial node i to the current row, three-point differences in both
    // directions.
    void D(int c, int qx, int qy, int i, Real x) { D(kThree, c, qx, qy, i, x); }
    // The same with differences of the given family; `selector` shifts an
    // axial five-point first or second difference.
    void D(TPoints points, int c, int qx, int qy, int i, Real x, int selector = 0) {
        TParity p = Parities[static_cast<std::size_t>(c)];
        x *= Harm.Factor(qy, p, points);
        EXPECT_EQ(p, rowParity_) << "a term of " << rows_.back() << " has the other wave";
        Axial(points, selector, c, qx, i, x, [&](std::size_t col, Real w) { At(rows_.size() - 1, col) += w; });
    }
    // Adds x times the derivative of order q around of extra amplitude e.
    void E(TPoints points, int e, int q, Real x) {
        TParity p = Extra[static_cast<std::size_t>(e)];
        x *= Harm.Factor(q, p, points);
        EXPECT_EQ(p, rowParity_) << "a term of " << rows_.back() << " has the other wave";
        At(rows_.size() - 1, ExtraCol(e)) += x;
    }
    std::size_t ExtraCol(int e) const { return static_cast<std::size_t>(C * (N + 5) + e); }
    // Adds to the free term of the current row (Σ a x + f = 0).
    void Free(Real f) { f_[rows_.size() - 1] += f; }
    // The identity row of an unknown that no equation reaches.
    void Nil(int c, int i) {
        Row("Nil", Parities[static_cast<std::size_t>(c)]);
        At(rows_.size() - 1, Col(c, i)) = 1;
    }

    // Solves by Gauss elimination with partial pivoting.
    void Solve() {
        ASSERT_EQ(rows_.size(), size_) << "rows and unknowns differ";
        std::vector<Real> a = a_, b(size_);
        for (std::size_t r = 0; r < size_; ++r) b[r] = -f_[r];
        const std::size_t n = size_;
        for (std::size_t k = 0; k < n; ++k) {
            std::size_t piv = k;
            for (std::size_t r = k + 1; r < n; ++r)
                if (std::fabs(a[r * n + k]) > std::fabs(a[piv * n + k])) piv = r;
            ASSERT_NE(a[piv * n + k], 0) << "the reduced system is singular";
            if (piv != k) {
                for (std::size_t c = 0; c < n; ++c) std::swap(a[k * n + c], a[piv * n + c]);
                std::swap(b[k], b[piv]);
            }
            for (std::size_t r = k + 1; r < n; ++r) {
                const Real m = a[r * n + k] / a[k * n + k];
                if (m == 0) continue;
                for (std::size_t c = k; c < n; ++c) a[r * n + c] -= m * a[k * n + c];
                b[r] -= m * b[k];
            }
        }
        for (std::size_t k = n; k-- > 0;) {
            Real s = b[k];
            for (std::size_t c = k + 1; c < n; ++c) s -= a[k * n + c] * x_[c];
            x_[k] = s / a[k * n + k];
        }
    }

    // The amplitude of the derivative of component c at axial node i, and
    // the parity of its wave.
    Real Value(int c, int qx, int qy, int i, TParity& p) const { return Value(kThree, c, qx, qy, i, p); }
    Real Value(TPoints points, int c, int qx, int qy, int i, TParity& p) const {
        p = Parities[static_cast<std::size_t>(c)];
        Real sum = 0;
        Axial(points, 0, c, qx, i, Harm.Factor(qy, p, points), [&](std::size_t col, Real w) { sum += w * x_[col]; });
        return sum;
    }
    // The amplitude of the derivative of order q around of extra amplitude e.
    Real ExtraValue(TPoints points, int e, int q, TParity& p) const {
        p = Extra[static_cast<std::size_t>(e)];
        return Harm.Factor(q, p, points) * x_[ExtraCol(e)];
    }

private:
    Real& At(std::size_t r, std::size_t c) { return a_[r * size_ + c]; }

    template <class Sink>
    void Axial(TPoints points, int selector, int c, int q, int i, Real x, Sink&& sink) const {
        if (points == kThree || q == 0) {
            EXPECT_EQ(selector, 0) << "a shifted three-point difference";
            Axial(c, q, i, x, sink);
        } else if (q <= 2) {
            const std::vector<int> offs = FivePointOffsets(selector);
            const std::vector<Real> w = DifferenceWeights(offs, q, Hx);
            for (std::size_t m = 0; m < offs.size(); ++m) sink(Col(c, i + offs[m]), x * w[m]);
        } else {
            // First or second of the second, all central.
            EXPECT_EQ(selector, 0) << "a shifted composed difference";
            const std::vector<int> offs = FivePointOffsets(0);
            const std::vector<Real> w = DifferenceWeights(offs, q - 2, Hx);
            for (std::size_t m = 0; m < offs.size(); ++m) Axial(points, 0, c, 2, i + offs[m], x * w[m], sink);
        }
    }

    template <class Sink>
    void Axial(int c, int q, int i, Real x, Sink&& sink) const {
        if (q == 0) {
            sink(Col(c, i), x);
        } else if (q % 2 != 0) {
            Axial(c, q - 1, i - 1, -x / (2 * Hx), sink);
            Axial(c, q - 1, i + 1, x / (2 * Hx), sink);
        } else {
            const Real w = x / (Hx * Hx);
            Axial(c, q - 2, i - 1, w, sink);
            Axial(c, q - 2, i, -2 * w, sink);
            Axial(c, q - 2, i + 1, w, sink);
        }
    }

    std::size_t size_;
    std::vector<Real> a_;
    std::vector<Real> f_;
    std::vector<Real> x_;
    std::vector<std::string> rows_;
    TParity rowParity_ = kCos;
};

// A field of the surface solution against its reduced amplitude: at every
// node (i, j), i = 0 ... N, j = 0 ... M - 1, Surface(i, j) must equal
// Amplitude(i, parity) times the wave within Tol of the largest amplitude.
// Returns that largest amplitude (the test decides whether it may be 0).
inline double CompareField(const std::string& name, const THarmonic& h, int n,
                           const std::function<double(int i, int j)>& surface,
                           const std::function<Real(int i, TParity& p)>& amplitude, double tol) {
    std::vector<Real> amp;
    std::vector<TParity> par;
    Real scale = 0;
    for (int i = 0; i <= n; ++i) {
        TParity p = kCos;
        amp.push_back(amplitude(i, p));
        par.push_back(p);
        scale = std::max(scale, std::fabs(amp.back()));
    }
    int failures = 0;
    for (int i = 0; i <= n; ++i)
        for (int j = 0; j < h.M; ++j) {
            const Real expected = amp[static_cast<std::size_t>(i)] * h.Wave(par[static_cast<std::size_t>(i)], j);
            const Real got = surface(i, j);
            if (std::fabs(got - expected) > tol * scale && ++failures <= 3)
                ADD_FAILURE() << name << " at (" << i << "," << j << "): " << double(got) << " against "
                              << double(expected) << " (largest " << double(scale) << ")";
        }
    return static_cast<double>(scale);
}

}  // namespace zem::harmonic
