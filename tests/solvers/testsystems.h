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
    std::vector<TRowItems> rows;  // sorted by column
    std::vector<Extended> b;
    mutable std::uint64_t pulls = 0;  // rows handed out

    TTestSystem(std::string n, std::size_t order) : name(std::move(n)), rows(order), b(order, 0) {}
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

// a(i,i) = Diag, b(i) = B.
inline TTestSystem Diagonal(std::size_t n, Extended diag = 2, Extended b = -4) {
    TTestSystem s("diagonal", n);
    for (std::size_t i = 0; i < n; ++i) s.Set(i, i, diag), s.b[i] = b;
    return s;
}

// 4 on the diagonal, −1 beside it, b(i) = i mod 7 − 3.
inline TTestSystem Tridiagonal(std::size_t n) {
    TTestSystem s("tridiagonal", n);
    for (std::size_t i = 0; i < n; ++i) {
        if (i > 0) s.Set(i, i - 1, -1);
        s.Set(i, i, 4);
        if (i + 1 < n) s.Set(i, i + 1, -1);
        s.b[i] = Extended(int(i % 7) - 3);
    }
    return s;
}

// Random coefficients within half band M, each row strictly diagonally
// dominant (diagonal = Dominance × Σ|off-diagonal| + 1, random sign); Fill is
// the share of band positions that are nonzero, the band's outer columns
// always are, so the band width is exactly M where the matrix allows it.
inline TTestSystem RandomBanded(std::size_t n, std::size_t m, unsigned seed, double fill = 0.6,
                                double dominance = 2.0) {
    TTestSystem s("banded m=" + std::to_string(m), n);
    std::mt19937 gen(seed);
    std::uniform_real_distribution<double> val(-1.0, 1.0), coin(0.0, 1.0);
    for (std::size_t i = 0; i < n; ++i) {
        Extended off = 0;
        for (std::size_t j = i >= m ? i - m : 0; j <= std::min(n - 1, i + m); ++j) {
            const bool edge = m > 0 && (j + m == i || j == i + m);
            if (j == i || (!edge && coin(gen) > fill)) continue;
            const double v = edge ? (j < i ? 0.5 : -0.5) : val(gen);
            s.Set(i, j, v);
            off += std::fabs(v);
        }
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
        std::erase_if(s.rows[i], [&](const TListItem& it) { return it.Col == i; });
        s.Set(i + 1, i, 10);
    }
    return s;
}

// Rows of very different widths: every tenth row reaches far to the right
// (and its column partners reach back), the others are tridiagonal; the
// system is structurally symmetric and diagonally dominant.
inline TTestSystem Profile(std::size_t n, unsigned seed) {
    TTestSystem s("profile", n);
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

// Dense Gauss elimination with partial pivoting in extended precision: the
// independent path every solver is compared with.
inline std::vector<Extended> DenseSolve(const TTestSystem& s) {
    const std::size_t n = s.N();
    std::vector<std::vector<Extended>> a(n, std::vector<Extended>(n + 1, 0));
    for (std::size_t i = 0; i < n; ++i) {
        for (const TListItem& it : s.rows[i]) a[i].at(it.Col) += it.Value;
        a[i][n] = -s.b[i];  // A x = −b
    }
    for (std::size_t k = 0; k < n; ++k) {
        std::size_t p = k;
        for (std::size_t r = k + 1; r < n; ++r)
            if (std::fabs(a[r][k]) > std::fabs(a[p][k])) p = r;
        std::swap(a[k], a[p]);
        if (a[k][k] == 0) throw std::runtime_error("singular reference system");
        for (std::size_t r = k + 1; r < n; ++r)
            for (std::size_t j = n + 1; j-- > k;) a[r][j] -= a[r][k] / a[k][k] * a[k][j];
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
