// The sparse direct method: compressed rows, nested-dissection ordering
// (METIS), LU factorisation with row scaling and threshold pivoting
// (UMFPACK), and iterative refinement against the coefficients as pulled.
#include "solvers/SLCLass.h"
#include "solvers/SLInternal.h"

#include <metis.h>
#include <umfpack.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>
#include <numeric>

namespace zem {

namespace {

using Index = SuiteSparse_long;

// The factorisation's objects, freed however the solution ends.
struct TUmfpack {
    void* Symbolic = nullptr;
    void* Numeric = nullptr;
    double Control[UMFPACK_CONTROL];
    double Info[UMFPACK_INFO];
    TUmfpack() { umfpack_dl_defaults(Control); }
    ~TUmfpack() {
        if (Numeric) umfpack_dl_free_numeric(&Numeric);
        if (Symbolic) umfpack_dl_free_symbolic(&Symbolic);
    }
    TUmfpack(const TUmfpack&) = delete;
    TUmfpack& operator=(const TUmfpack&) = delete;
};

[[noreturn]] void SparseSingular() { sl::Singular(); }

void CheckStatus(int status, const char* what) {
    if (status == UMFPACK_OK) return;
    if (status == UMFPACK_ERROR_out_of_memory) throw std::bad_alloc();
    if (status == UMFPACK_WARNING_singular_matrix) SparseSingular();
    throw ZemError(std::string("Ошибка разреженного метода (") + what + ", код " + std::to_string(status) + ")");
}

// Nested dissection of the pattern of A + Aᵀ without the diagonal: Perm[k]
// is the unknown eliminated k-th.
std::vector<Index> NestedDissection(std::size_t n, const std::vector<Index>& rowStart, const std::vector<Index>& cols,
                                    const std::vector<Index>& colStart, const std::vector<Index>& rows) {
    std::vector<Index> order(n);
    std::iota(order.begin(), order.end(), Index(0));
    if (n < 2) return order;
    if (n > static_cast<std::size_t>(std::numeric_limits<idx_t>::max() / 2) ||
        cols.size() > static_cast<std::size_t>(std::numeric_limits<idx_t>::max() / 2))
        throw ZemError("СЛАУ порядка " + std::to_string(n) + " слишком велика для разреженного метода");
    // Row i's neighbours: the columns of row i merged with the rows of column i.
    std::vector<idx_t> xadj(n + 1, 0), adjncy;
    adjncy.reserve(2 * cols.size());
    for (std::size_t i = 0; i < n; ++i) {
        Index a = rowStart[i], ae = rowStart[i + 1], b = colStart[i], be = colStart[i + 1];
        Index last = -1;
        while (a < ae || b < be) {
            Index v;
            if (b >= be || (a < ae && cols[a] <= rows[b]))
                v = cols[a++];
            else
                v = rows[b++];
            if (v != static_cast<Index>(i) && v != last) adjncy.push_back(static_cast<idx_t>(v));
            last = v;
        }
        xadj[i + 1] = static_cast<idx_t>(adjncy.size());
    }
    if (adjncy.empty()) return order;
    idx_t nv = static_cast<idx_t>(n);
    idx_t options[METIS_NOPTIONS];
    METIS_SetDefaultOptions(options);
    options[METIS_OPTION_NUMBERING] = 0;
    std::vector<idx_t> perm(n), iperm(n);
    const int status = METIS_NodeND(&nv, xadj.data(), adjncy.data(), nullptr, options, perm.data(), iperm.data());
    if (status == METIS_ERROR_MEMORY) throw std::bad_alloc();
    if (status != METIS_OK) throw ZemError("Ошибка упорядочения неизвестных СЛАУ (код " + std::to_string(status) + ")");
    for (std::size_t k = 0; k < n; ++k) order[k] = perm[k];
    return order;
}

// The singularity test of the eliminations (sl::TPivotTest) on the factors:
// pivot u(k,k) against |u(k,k)| + Σ_i |l(k,i)·u(i,k)|, the magnitude of the
// updates it is the difference of (row scaling multiplies every term of row
// k alike). L comes by rows and U by columns, each sorted with the diagonal
// last, so the sum is a merge of row k of L with column k of U. Returns the
// smallest share; raises when a pivot is lost to rounding.
Extended TestPivots(void* numeric, std::size_t n) {
    Index lnz = 0, unz = 0, rowsN = 0, colsN = 0, udiag = 0;
    CheckStatus(umfpack_dl_get_lunz(&lnz, &unz, &rowsN, &colsN, &udiag, numeric), "множители");
    std::vector<Index> lp(n + 1), lj(static_cast<std::size_t>(lnz)), up(n + 1), ui(static_cast<std::size_t>(unz));
    std::vector<double> lx(static_cast<std::size_t>(lnz)), ux(static_cast<std::size_t>(unz)), diag(n);
    CheckStatus(umfpack_dl_get_numeric(lp.data(), lj.data(), lx.data(), up.data(), ui.data(), ux.data(), nullptr,
                                       nullptr, diag.data(), nullptr, nullptr, numeric),
                "множители");
    std::vector<Extended> behind(n);
    std::size_t most = 0;  // the most updates of one pivot
    for (std::size_t k = 0; k < n; ++k) {
        Extended d = std::fabs(static_cast<Extended>(diag[k]));
        Index a = lp[k], ae = lp[k + 1], b = up[k], be = up[k + 1];
        std::size_t terms = 0;
        while (a < ae && b < be) {
            const Index i = lj[a], j = ui[b];
            if (i >= static_cast<Index>(k) || j >= static_cast<Index>(k)) break;
            if (i < j) {
                ++a;
            } else if (j < i) {
                ++b;
            } else {
                d += std::fabs(static_cast<Extended>(lx[a]) * ux[b]);
                ++terms, ++a, ++b;
            }
        }
        behind[k] = d;
        most = std::max(most, terms);
    }
    sl::TPivotTest test = sl::TPivotTest::For<double>(n, most);
    for (std::size_t k = 0; k < n; ++k) test.Check(k, diag[k], behind[k]);
    return test.Smallest();
}

}  // namespace

void TSparseLU::SolveSystem() {
    const std::size_t n = n_;
    nonZeros_ = 0;
    refinementSteps_ = 0;
    lastCorrection_ = 0;

    // 1. Every row pulled once into compressed rows, the 80-bit coefficients
    // kept for the residuals.
    progress_.BeginStage("Формирование матрицы");
    std::vector<Index> rowStart(n + 1, 0), cols;
    std::vector<Extended> vals;
    std::vector<Extended> b(n);
    {
        TRowItems items;
        Extended f = 0;
        for (std::size_t i = 0; i < n; ++i) {
            PullRow(i, items, f);
            for (const TListItem& it : items) {
                if (it.Value == 0) continue;
                cols.push_back(static_cast<Index>(it.Col));
                vals.push_back(it.Value);
            }
            rowStart[i + 1] = static_cast<Index>(cols.size());
            b[i] = f;
            progress_.StepProgress();
        }
    }
    const std::size_t nnz = cols.size();
    nonZeros_ = nnz;

    // The same matrix by columns, in doubles, for the factorisation; row
    // indices come out ascending within each column.
    std::vector<Index> colStart(n + 1, 0), rows(nnz);
    std::vector<double> ax(nnz);
    for (Index c : cols) ++colStart[static_cast<std::size_t>(c) + 1];
    std::partial_sum(colStart.begin(), colStart.end(), colStart.begin());
    {
        std::vector<Index> next(colStart.begin(), colStart.end() - 1);
        for (std::size_t i = 0; i < n; ++i)
            for (Index k = rowStart[i]; k < rowStart[i + 1]; ++k) {
                const Index p = next[static_cast<std::size_t>(cols[k])]++;
                rows[p] = static_cast<Index>(i);
                ax[p] = static_cast<double>(vals[k]);
            }
    }
    for (std::size_t j = 0; j < n; ++j)
        if (colStart[j] == colStart[j + 1]) SparseSingular();  // an unknown no equation holds

    // 2. Ordering.
    progress_.SetMaximum(1);
    progress_.BeginStage("Упорядочение неизвестных");
    TUmfpack lu;
    {
        const std::vector<Index> order = NestedDissection(n, rowStart, cols, colStart, rows);
        progress_.StepProgress();
        lu.Control[UMFPACK_IRSTEP] = 0;  // the refinement below is against the 80-bit coefficients
        lu.Control[UMFPACK_SCALE] = UMFPACK_SCALE_SUM;
        // The ordering is applied to rows and columns alike, pivots taken on
        // the diagonal while they pass the threshold: the difference
        // equations are structurally symmetric, and a column order alone
        // would let the row choice undo the ordering's economy.
        lu.Control[UMFPACK_STRATEGY] = UMFPACK_STRATEGY_SYMMETRIC;
        const Index nn = static_cast<Index>(n);
        CheckStatus(umfpack_dl_qsymbolic(nn, nn, colStart.data(), rows.data(), ax.data(), order.data(), &lu.Symbolic,
                                         lu.Control, lu.Info),
                    "анализ структуры");
    }

    // 3. Factorisation.
    progress_.SetMaximum(1);
    progress_.BeginStage("Разложение матрицы");
    progress_.StepProgress(1);
    CheckStatus(umfpack_dl_numeric(colStart.data(), rows.data(), ax.data(), lu.Symbolic, &lu.Numeric, lu.Control, lu.Info),
                "разложение");
    umfpack_dl_free_symbolic(&lu.Symbolic);
    smallestPivot_ = TestPivots(lu.Numeric, n);
    progress_.StepProgress(1);

    // Solves A·d = −r in doubles.
    std::vector<double> rhs(n), d(n);
    auto solve = [&](const std::vector<Extended>& r) {
        for (std::size_t i = 0; i < n; ++i) rhs[i] = -static_cast<double>(r[i]);
        CheckStatus(umfpack_dl_solve(UMFPACK_A, colStart.data(), rows.data(), ax.data(), d.data(), rhs.data(),
                                     lu.Numeric, lu.Control, lu.Info),
                    "решение");
    };

    // 4. Solution: A·x = −b.
    progress_.BeginStage("Решение");
    solve(b);
    std::vector<Extended> x(d.begin(), d.end());
    progress_.StepProgress(1);

    // 5. Refinement: r = b + A·x in extended from the coefficients as
    // pulled, A·d = −r, x += d; in the extended real type until the
    // correction stops shrinking, in double once.
    const int maxSteps = realType_ == rtExtended ? kMaxRefinementSteps : 1;
    progress_.SetMaximum(static_cast<std::size_t>(maxSteps));
    progress_.BeginStage("Уточнение решения");
    std::vector<Extended> r(n);
    sl::TRefinement refinement;
    for (int step = 1; step <= maxSteps; ++step) {
        for (std::size_t i = 0; i < n; ++i) {
            Extended s = b[i];
            for (Index k = rowStart[i]; k < rowStart[i + 1]; ++k)
                s += vals[k] * x[static_cast<std::size_t>(cols[k])];
            r[i] = s;
        }
        solve(r);
        const bool more = refinement.Take(step, x, d);
        refinementSteps_ = refinement.Steps();
        lastCorrection_ = refinement.LastCorrection();
        progress_.StepProgress();
        if (!more) break;
    }
    // A correction that is still a sizeable part of the solution means the
    // factors do not describe the matrix: it is singular or nearly so. (The
    // long axisymmetric tanks, the worst conditioned of the program's
    // systems, need a first correction of some 1e-4 of the solution.)
    // So is a reciprocal condition at the rounding of doubles.
    const double rcond = lu.Info[UMFPACK_RCOND];
    if (!(lastCorrection_ <= 1e-2) || !(rcond >= kSingularRcond)) SparseSingular();
    StoreSolution(x);
}

}  // namespace zem
