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
// Columns: component c at axial node i (i = -2 ... N + 2) is (i + 2) C + c.
// Axial differences are the central three-point ones of a uniform step,
// composed as the program composes them (order 3 = first of second, order
// 4 = second of second); reaching a node beyond -2 ... N + 2 fails the test.
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

// The multipliers of central differences on harmonic k of a closed mesh of M
// equal steps over the circumference of radius R.
struct THarmonic {
    int K;
    int M;
    Real H;   // the circumferential step 2 pi R / M
    Real S1;  // first difference: cos -> -S1 sin, sin -> S1 cos
    Real S2;  // second difference: -S2 times the same function

    THarmonic(int k, int m, double radius)
        : K(k), M(m), H(2 * std::numbers::pi_v<Real> * radius / m) {
        const Real delta = 2 * std::numbers::pi_v<Real> * k / m;
        S1 = std::sin(delta) / H;
        S2 = (2 - 2 * std::cos(delta)) / (H * H);
    }

    // The multiplier of the y-derivative of order Q on a function of
    // parity P; P becomes the parity of the result.
    Real Factor(int q, TParity& p) const {
        Real f = 1;
        for (; q >= 2; q -= 2) f *= -S2;
        if (q == 1) {
            f *= p == kCos ? -S1 : S1;
            p = p == kCos ? kSin : kCos;
        }
        return f;
    }

    Real Angle(int j) const { return 2 * std::numbers::pi_v<Real> * K * j / M; }
    Real Wave(TParity p, int j) const { return p == kCos ? std::cos(Angle(j)) : std::sin(Angle(j)); }
};

// The reduced system of one harmonic along the axis: N steps of Hx, two
// fictitious nodes beyond each end, Components unknowns per node of the
// given parities.
class TLine {
public:
    TLine(int n, double hx, const THarmonic& h, std::vector<TParity> parities)
        : N(n), Hx(hx), Harm(h), Parities(std::move(parities)),
          C(static_cast<int>(Parities.size())), size_(static_cast<std::size_t>(C * (n + 5))),
          a_(size_ * size_, 0), f_(size_, 0), x_(size_, 0) {}

    const int N;
    const Real Hx;
    const THarmonic Harm;
    const std::vector<TParity> Parities;
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
    // axial node i to the current row.
    void D(int c, int qx, int qy, int i, Real x) {
        TParity p = Parities[static_cast<std::size_t>(c)];
        x *= Harm.Factor(qy, p);
        EXPECT_EQ(p, rowParity_) << "a term of " << rows_.back() << " has the other wave";
        Axial(c, qx, i, x, [&](std::size_t col, Real w) { At(rows_.size() - 1, col) += w; });
    }
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
    Real Value(int c, int qx, int qy, int i, TParity& p) const {
        p = Parities[static_cast<std::size_t>(c)];
        Real sum = 0;
        Axial(c, qx, i, Harm.Factor(qy, p), [&](std::size_t col, Real w) { sum += w * x_[col]; });
        return sum;
    }

private:
    Real& At(std::size_t r, std::size_t c) { return a_[r * size_ + c]; }

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
