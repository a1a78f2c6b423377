// Pieces shared by the solver sources: error messages and the band
// elimination kernels. Not part of the solvers' interface.
#pragma once

#include "platform/errors.h"
#include "solvers/SLCLass.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <vector>

namespace zem::sl {

inline std::string RowNo(std::size_t row) { return std::to_string(row + 1); }

[[noreturn]] inline void ZeroPivot(std::size_t row) {
    throw ZemError("Нулевой диагональный элемент в строке " + RowNo(row) + " СЛАУ");
}

// Every method refuses a singular system with this one message.
[[noreturn]] inline void Singular() {
    throw ZemError(
        "Матрица СЛАУ вырождена: система не имеет единственного решения "
        "(проверьте закрепление конструкции и граничные условия)");
}

// The bookkeeping of a refinement against the 80-bit coefficients:
// correction D of X is taken when it is no larger than the one before (a
// growing correction is rounding noise); the next one would be about
// dmax·(dmax / previous), so the refinement stops when that is below the
// rounding of the extended solution. A correction that is not finite means
// a singular matrix.
class TRefinement {
public:
    // Takes D as correction number Step; false when no further step is
    // worth it.
    bool Take(int step, std::vector<Extended>& x, const std::vector<double>& d) {
        Extended dmax = 0, xmax = 0;
        for (std::size_t i = 0; i < x.size(); ++i) {
            dmax = std::max(dmax, std::fabs(static_cast<Extended>(d[i])));
            xmax = std::max(xmax, std::fabs(x[i]));
        }
        if (!std::isfinite(dmax)) Singular();
        const bool useful = dmax <= previous_;
        if (useful) {
            for (std::size_t i = 0; i < x.size(); ++i) x[i] += d[i];
            steps_ = step;
            lastCorrection_ = xmax > 0 ? static_cast<double>(dmax / xmax) : static_cast<double>(dmax);
        }
        const Extended eps = std::numeric_limits<Extended>::epsilon();
        if (!useful || dmax == 0 || dmax > previous_ / 2 || dmax <= xmax * eps ||
            (std::isfinite(previous_) && dmax * (dmax / previous_) <= xmax * eps))
            return false;
        previous_ = dmax;
        return true;
    }
    // The corrections taken, and the last one's largest value relative to
    // max |x|.
    int Steps() const { return steps_; }
    double LastCorrection() const { return lastCorrection_; }

private:
    Extended previous_ = std::numeric_limits<Extended>::infinity();
    int steps_ = 0;
    double lastCorrection_ = 0;
};

[[noreturn]] inline void OutOfBand(std::size_t row) {
    throw ZemError("Строка " + RowNo(row) + " СЛАУ выходит за ширину ленты, найденную ранее");
}

// Dst[j] -= t·Src[j] for j < Len: the row operation of every elimination;
// the two rows never overlap.
template <class T>
inline void SubtractScaled(T* __restrict dst, const T* __restrict src, T t, std::size_t len) {
    for (std::size_t j = 0; j < len; ++j) dst[j] -= t * src[j];
}

// The same for doubles in explicit vectors of four (and AVX2 where the
// processor has it): almost all the time of the direct methods goes here.
void SubtractScaledDouble(double* dst, const double* src, double t, std::size_t len);

template <>
inline void SubtractScaled<double>(double* __restrict dst, const double* __restrict src, double t, std::size_t len) {
    SubtractScaledDouble(dst, src, t, len);
}

// The singularity test of the eliminations. A pivot is the difference of
// a(k,k) as pulled and the updates the elimination subtracted from it; D is
// the sum of their magnitudes. When the matrix has a null vector (a
// structure free to move as a whole) the difference cancels to the rounding
// of D. That rounding gathers along the elimination: on the shells free to
// move it comes to about sqrt(N·m) roundings (N unknowns, m the half band)
// and never beyond N/4, from 20 at a few hundred unknowns to a few thousand
// at 15 000; in a narrow band it stays local (the m updates of a pivot, and
// theirs). A regular matrix keeps its pivots far above it: the worst
// conditioned of the program's systems, the long axisymmetric tanks and the
// finely meshed rings, keep some 1e-5 of D at 2 000 steps and 1e-10 at a
// 5 000-step ring, a beam whose mesh is graded 4 000 to 1 about 1e-12. So
// a pivot within the smallest of 64·sqrt(N·m), 4·N and 64·m² roundings of
// D, in the arithmetic of the elimination, is taken as zero:
// the system is refused as singular, never solved with an arbitrary part.
// An exact zero with nothing subtracted (D = 0) is a missing diagonal
// instead: a method without row exchanges cannot pass it, whether or not
// the matrix is singular.
class TPivotTest {
public:
    static constexpr double kRoundings = 64;
    static constexpr double kRoundingsPerRow = 4;

    template <class T>
    static TPivotTest For(std::size_t n, std::size_t m) {
        const double rows = static_cast<double>(std::max<std::size_t>(n, 1));
        const double band = static_cast<double>(std::max<std::size_t>(m, 1));
        const double spread = std::min({kRoundings * std::sqrt(rows * band), kRoundingsPerRow * rows,
                                        kRoundings * band * band});
        return TPivotTest(static_cast<Extended>(std::numeric_limits<T>::epsilon()) * spread);
    }
    explicit TPivotTest(Extended share) : share_(share) {}

    // Pivot P of row Row, computed from numbers of total magnitude D.
    void Check(std::size_t row, Extended p, Extended d) {
        const Extended a = std::fabs(p);
        if (a == 0 && d == 0) ZeroPivot(row);
        if (d > 0 && a / d < smallest_) smallest_ = a / d;
        if (!(a > share_ * d)) Singular();
    }
    // The smallest |pivot| / D met (1 when nothing cancelled).
    Extended Smallest() const { return smallest_; }
    Extended Share() const { return share_; }

private:
    Extended share_;
    Extended smallest_ = 1;
};

// Band rows: position q of row g holds column g − m + q (the diagonal at m).
// Eliminates column K from the Lim rows below the pivot row K:
//   t = a(r,k)/a(k,k);  b(r) −= t·b(k);  a(r,k+q) −= t·a(k,k+q), q = 1..Lim.
// Rows whose coefficient in column K is exactly zero are skipped. D(g) is
// the magnitude behind a(g,g) (TPivotTest): the pivot is tested against
// D(k), and every update of a later diagonal adds to its D.
template <class T, class RowOf, class DOf>
inline void EliminateBandColumn(RowOf rowOf, T* b, DOf&& dOf, TPivotTest& test, std::size_t k, std::size_t m,
                                std::size_t lim) {
    const T* pivot = rowOf(k);
    const Extended p = pivot[m];
    test.Check(k, p, dOf(k));
    const Extended bk = b[k];
    for (std::size_t e = 1; e <= lim; ++e) {
        T* row = rowOf(k + e);
        const Extended f = row[m - e];
        if (f == 0) continue;
        const Extended t = f / p;
        b[k + e] = static_cast<T>(b[k + e] - bk * t);
        dOf(k + e) += static_cast<double>(std::fabs(t * pivot[m + e]));
        SubtractScaled(row + m - e + 1, pivot + m + 1, static_cast<T>(t), lim);
    }
}

// Back substitution of band row I with Lim coefficients right of the
// diagonal: x(i) = −(b(i) + Σ a(i,i+j)·x(i+j)) / a(i,i); x overwrites b.
// The diagonal has been tested as a pivot.
template <class T>
inline void BackBandRow(const T* row, T* x, std::size_t i, std::size_t m, std::size_t lim) {
    Extended s = x[i];
    for (std::size_t j = 1; j <= lim; ++j) s += static_cast<Extended>(row[m + j]) * x[i + j];
    x[i] = static_cast<T>(-s / row[m]);
}

}  // namespace zem::sl

namespace zem {

template <class T>
void TSLAE::StoreSolution(const std::vector<T>& x) {
    for (std::size_t i = 0; i < x.size(); ++i)
        if (!std::isfinite(x[i]))
            throw ZemError("Решение СЛАУ не является числом: неизвестная " + sl::RowNo(i) +
                           " (система вырождена или плохо обусловлена)");
    if (auto* arr = dynamic_cast<TALineItem*>(x_.get())) {
        for (std::size_t i = 0; i < x.size(); ++i) arr->Data()[i] = static_cast<double>(x[i]);
    } else {
        for (std::size_t i = 0; i < x.size(); ++i) x_->SetItem(i, x[i]);
    }
}

}  // namespace zem
