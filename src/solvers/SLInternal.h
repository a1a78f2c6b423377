// Pieces shared by the solver sources: error messages and the band
// elimination kernels. Not part of the solvers' interface.
#pragma once

#include "platform/errors.h"
#include "solvers/SLCLass.h"

#include <cmath>
#include <string>

namespace zem::sl {

inline std::string RowNo(std::size_t row) { return std::to_string(row + 1); }

[[noreturn]] inline void ZeroPivot(std::size_t row) {
    throw ZemError("Нулевой диагональный элемент в строке " + RowNo(row) + " СЛАУ");
}

[[noreturn]] inline void Singular(std::size_t col) {
    throw ZemError("Матрица СЛАУ вырождена: в столбце " + RowNo(col) + " нет ненулевого ведущего элемента");
}

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

// Band rows: position q of row g holds column g − m + q (the diagonal at m).
// Eliminates column K from the Lim rows below the pivot row K:
//   t = a(r,k)/a(k,k);  b(r) −= t·b(k);  a(r,k+q) −= t·a(k,k+q), q = 1..Lim.
// Rows whose coefficient in column K is exactly zero are skipped.
template <class T, class RowOf>
inline void EliminateBandColumn(RowOf rowOf, T* b, std::size_t k, std::size_t m, std::size_t lim) {
    const T* pivot = rowOf(k);
    const Extended p = pivot[m];
    if (p == 0) ZeroPivot(k);
    const Extended bk = b[k];
    for (std::size_t e = 1; e <= lim; ++e) {
        T* row = rowOf(k + e);
        const Extended f = row[m - e];
        if (f == 0) continue;
        const Extended t = f / p;
        b[k + e] = static_cast<T>(b[k + e] - bk * t);
        SubtractScaled(row + m - e + 1, pivot + m + 1, static_cast<T>(t), lim);
    }
}

// Back substitution of band row I with Lim coefficients right of the
// diagonal: x(i) = −(b(i) + Σ a(i,i+j)·x(i+j)) / a(i,i); x overwrites b.
template <class T>
inline void BackBandRow(const T* row, T* x, std::size_t i, std::size_t m, std::size_t lim) {
    Extended s = x[i];
    for (std::size_t j = 1; j <= lim; ++j) s += static_cast<Extended>(row[m + j]) * x[i + j];
    if (row[m] == 0) ZeroPivot(i);
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
