// Test systems for the solvers and an independent dense reference solve.
// Every system follows the solvers' convention Σ a(i,j)·x(j) + b(i) = 0.
#pragma once

#include "solvers/SLCLass.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace zem::test {

struct TTestSystem {
    std::string name;
    std::vector<TRowItems> rows;  // sorted by column, no zeros
    std::vector<Extended> b;
    mutable std::uint64_t pulls = 0;  // rows handed out

    std::size_t N() const { return rows.size(); }
    TGetRow Provider() const {
        return [this](std::size_t i, TRowItems& items, Extended& freeTerm) {
            ++pulls;
            items = rows[i];
            freeTerm = b[i];
        };
    }
    void Set(std::size_t i, std::size_t j, Extended v) {
        TRowItems& r = rows[i];
        auto it = std::lower_bound(r.begin(), r.end(), j, [](const TListItem& a, std::size_t c) { return a.Col < c; });
        if (it != r.end() && it->Col == j)
            it->Value = v;
        else
            r.insert(it, TListItem{j, v});
    }
};

inline TTestSystem Empty(const std::string& name, std::size_t n) {
    TTestSystem s;
    s.name = name;
    s.rows.resize(n);
    s.b.assign(n, 0);
    return s;
}

// a(i,i) = Diag, b(i) = B.
inline TTestSystem Diagonal(std::size_t n, Extended diag = 2, Extended b = -4) {
    TTestSystem s = Empty("diagonal", n);
    for (std::size_t i = 0; i < n; ++i) s.Set(i, i, diag), s.b[i] = b;
    return s;
}

// 4 on the diagonal, −1 beside it, b(i) = i mod 7 − 3.
inline TTestSystem Tridiagonal(std::size_t n) {
    TTestSystem s = Empty("tridiagonal", n);
    for (std::size_t i = 0; i < n; ++i) {
        if (i > 0) s.Set(i, i - 1, -1);
        s.Set(i, i, 4);
        if (i + 1 < n) s.Set(i, i + 1, -1);
        s.b[i] = Extended(int(i % 7) - 3);
    }
    return s;
}

// Random coefficients within half band M, each row made strictly diagonally
// dominant (diagonal = Dominance × Σ|off-diagonal| with a random sign);
// Fill is the share of band positions that are nonzero.
inline TTestSystem RandomBanded(std::size_t n, std::size_t m, unsigned seed, double fill = 0.6,
                                double dominance = 2.0) {
    TTestSystem s = Empty("banded m=" + std::to_string(m), n);
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> val(-1.0, 1.0), coin(0.0, 1.0);
    for (std::size_t i = 0; i < n; ++i) {
        Extended off = 0;
        const std::size_t lo = i >= m ? i - m : 0, hi = std::min(n - 1, i + m);
        for (std::size_t j = lo; j <= hi; ++j) {
            if (j == i || coin(gen) > fill) continue;
            const double v = val(gen);
            s.Set(i, j, v);
            off += std::fabs(v);
        }
        // The first and last columns of the band are always present, so the
        // band width is exactly m where the matrix allows it.
        const TRowItems& r = s.rows[i];
        if (m > 0 && i >= m && (r.empty() || r.front().Col != i - m)) s.Set(i, i - m, 0.5), off += 0.5;
        if (m > 0 && i + m < n && (r.empty() || r.back().Col != i + m)) s.Set(i, i + m, -0.5), off += 0.5;
        s.Set(i, i, (coin(gen) < 0.5 ? -1 : 1) * (dominance * off + 1));
        s.b[i] = 10 * val(gen);
    }
    return s;
}

// Needs row exchanges: a zero on the diagonal of every even row, the
// diagonal coefficient of the row below larger than the row's own.
inline TTestSystem NeedsRowExchange(std::size_t n, unsigned seed) {
    TTestSystem s = RandomBanded(n, 2, seed, 1.0, 0.2);
    for (std::size_t i = 0; i + 1 < n; i += 2) {
        auto& r = s.rows[i];
        r.erase(std::remove_if(r.begin(), r.end(), [&](const TListItem& it) { return it.Col == i; }), r.end());
        s.Set(i + 1, i, 10);
    }
    return s;
}

// Rows of very different widths: every tenth row reaches far to the right
// (and its column partners reach back), the others are tridiagonal; the
// system is structurally symmetric and diagonally dominant.
inline TTestSystem Profile(std::size_t n, unsigned seed) {
    TTestSystem s = Empty("profile", n);
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> val(0.1, 1.0);
    auto couple = [&](std::size_t i, std::size_t j) {
        const double v = val(gen);
        s.Set(i, j, -v);
        s.Set(j, i, -v * 0.5);
    };
    for (std::size_t i = 0; i + 1 < n; ++i) couple(i, i + 1);
    for (std::size_t i = 0; i < n; i += 10)
        for (std::size_t j : {i + 7 + (i / 10) % 13, i + 3})
            if (j < n) couple(i, j);
    for (std::size_t i = 0; i < n; ++i) {
        Extended off = 0;
        for (const TListItem& it : s.rows[i]) off += std::fabs(it.Value);
        s.Set(i, i, 2 * off + 1);
        s.b[i] = Extended(int(i % 5) - 2);
    }
    return s;
}

// The shape of a shell problem: a mesh of L axial by M circumferential nodes,
// U unknowns per node, numbered node by node along the circumference; each
// unknown couples with the unknowns of nodes up to 3 steps along the axis
// and 2 around it, so the half band is about 3·U·M (9·M for three unknowns).
inline TTestSystem ShellBanded(std::size_t axial, std::size_t circ, std::size_t unknowns, unsigned seed) {
    const std::size_t n = axial * circ * unknowns;
    TTestSystem s = Empty("shell", n);
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> val(-1.0, 1.0);
    for (std::size_t a = 0; a < axial; ++a)
        for (std::size_t c = 0; c < circ; ++c)
            for (std::size_t u = 0; u < unknowns; ++u) {
                const std::size_t i = (a * circ + c) * unknowns + u;
                TRowItems& row = s.rows[i];
                Extended off = 0;
                for (long da = -3; da <= 3; ++da)
                    for (long dc = -2; dc <= 2; ++dc) {
                        if (std::labs(da) + std::labs(dc) > 3) continue;  // a cross-like stencil
                        const long aa = long(a) + da, cc = long(c) + dc;
                        if (aa < 0 || aa >= long(axial) || cc < 0 || cc >= long(circ)) continue;
                        for (std::size_t v = 0; v < unknowns; ++v) {
                            const std::size_t j = (std::size_t(aa) * circ + std::size_t(cc)) * unknowns + v;
                            if (j == i) continue;
                            const double x = val(gen);
                            row.push_back(TListItem{j, x});
                            off += std::fabs(x);
                        }
                    }
                row.push_back(TListItem{i, 2 * off + 1});
                std::sort(row.begin(), row.end(), [](const TListItem& p, const TListItem& q) { return p.Col < q.Col; });
                s.b[i] = val(gen);
            }
    return s;
}

// Dense Gauss elimination with partial pivoting in extended precision: the
// independent path every solver is compared with.
inline std::vector<Extended> DenseSolve(const TTestSystem& s) {
    const std::size_t n = s.N();
    std::vector<std::vector<Extended>> a(n, std::vector<Extended>(n + 1, 0));
    for (std::size_t i = 0; i < n; ++i) {
        for (const TListItem& it : s.rows[i]) a[i][it.Col] = it.Value;
        a[i][n] = -s.b[i];  // A x = −b
    }
    for (std::size_t k = 0; k < n; ++k) {
        std::size_t p = k;
        for (std::size_t r = k + 1; r < n; ++r)
            if (std::fabs(a[r][k]) > std::fabs(a[p][k])) p = r;
        std::swap(a[k], a[p]);
        if (a[k][k] == 0) throw std::runtime_error("singular reference system");
        for (std::size_t r = k + 1; r < n; ++r) {
            const Extended t = a[r][k] / a[k][k];
            if (t != 0)
                for (std::size_t j = k; j <= n; ++j) a[r][j] -= t * a[k][j];
        }
    }
    std::vector<Extended> x(n);
    for (std::size_t i = n; i-- > 0;) {
        Extended v = a[i][n];
        for (std::size_t j = i + 1; j < n; ++j) v -= a[i][j] * x[j];
        x[i] = v / a[i][i];
    }
    return x;
}

// Largest |x − y| over largest |y|.
inline double RelativeError(const std::vector<Extended>& x, const std::vector<Extended>& y) {
    Extended d = 0, scale = 0;
    for (std::size_t i = 0; i < y.size(); ++i) {
        d = std::max(d, std::fabs(x[i] - y[i]));
        scale = std::max(scale, std::fabs(y[i]));
    }
    return static_cast<double>(scale > 0 ? d / scale : d);
}

}  // namespace zem::test
