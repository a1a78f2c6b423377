#include "solvers/SLCLass.h"

#include "platform/numtext.h"
#include "solvers/SLEstimate.h"
#include "solvers/SLFiles.h"
#include "solvers/SLHarmonic.h"
#include "solvers/SLInternal.h"

#include <algorithm>
#include <cmath>

namespace zem {

const std::vector<std::string>& SLAEMethodNames() {
    // Several names hold a Latin "c" among the Cyrillic letters; they are
    // stored in problem files and compared as they stand.
    static const std::vector<std::string> names{
        "Метод Гауcса",
        "Метод Гаусса с выбором гл. элемента",
        "Метод Гаусса. Ленточная матрица",
        "Метод Гаусcа. Подгружаемая матрица",
        "Метод Гаусcа, оптимальный",
        "Метод Гаусcа, список-массив",
        "Метод Гаусcа, ОСМ",
        "Метод Гауcса. Переменная ширина ленты",
        "Метод Гаусcа, массив",
        "Метод Гаусcа-Зейделя",
        "Метод последовательной релаксации",
        "Разреженный прямой метод",
        "Гармонический метод",
    };
    return names;
}

// --- TSLAE ----------------------------------------------------------------------

TSLAE::TSLAE(std::size_t n, TGetRow getRow, TProgress& progress, bool arrayX)
    : n_(n), getRow_(std::move(getRow)), progress_(progress), realType_(CurrentRealType()) {
    if (arrayX)
        x_ = std::make_unique<TALineItem>(n, nullptr, 0);
    else
        x_ = std::make_unique<TXLineItem>(realType_, n, 0);
}

TSLAE::~TSLAE() { CloseTempFile(); }

void TSLAE::Prepare() {
    progress_.StartCalculation(n_);
    progress_.AddLine(GetMethodName());
    progress_.AddLine("Порядок системы: " + std::to_string(n_));
    prepared_ = true;
}

void TSLAE::Solve() {
    if (!prepared_) Prepare();
    solved_ = false;
    // The temporary file goes with the solution, however it ends; a further
    // Solve prepares anew.
    struct Guard {
        TSLAE* solver;
        ~Guard() {
            solver->CloseTempFile();
            solver->prepared_ = false;
        }
    } guard{this};
    if (n_ > 0) {
        CheckMemory();
        SolveSystem();
    }
    solved_ = true;
}

void TSLAE::PullRow(const TGetRow& getRow, std::size_t n, std::size_t i, TRowItems& items, Extended& freeTerm) {
    items.clear();
    freeTerm = 0;
    getRow(i, items, freeTerm);
    if (items.empty()) throw ZemError("Строка " + sl::RowNo(i) + " СЛАУ не содержит коэффициентов");
    for (std::size_t e = 0; e < items.size(); ++e) {
        if (items[e].Col >= n)
            throw ZemError("Строка " + sl::RowNo(i) + " СЛАУ: столбец " + sl::RowNo(items[e].Col) +
                           " вне системы порядка " + std::to_string(n));
        if (e > 0 && items[e].Col <= items[e - 1].Col)
            throw ZemError("Строка " + sl::RowNo(i) + " СЛАУ: столбцы не упорядочены по возрастанию");
    }
}

void TSLAE::CheckMemory() {
    const std::vector<std::string>& names = SLAEMethodNames();
    const int method = static_cast<int>(std::find(names.begin(), names.end(), GetMethodName()) - names.begin());
    if (method >= kSLAEMethodCount) return;
    const std::uint64_t available = AvailableMemory();
    // Without the band width, take the widest band: the bound of a dense or
    // sparse method hardly depends on it.
    const std::optional<std::size_t> band = KnownHalfBand();
    TSolverEstimate e = EstimateSolver(method, n_, band.value_or(n_ - 1), realType_, available);
    if (e.Fits) return;
    // Which method fits does depend on the band: find it (a quiet pass over
    // the rows, nothing large allocated).
    if (!band) e = EstimateSolver(method, n_, HalfBandWidth(n_, getRow_, &progress_), realType_, available);
    if (!e.Fits) throw ZemError(NotEnoughMemoryText(e));
}

TRecordFile& TSLAE::OpenTempFile(const std::string& name) {
    CloseTempFile();
    tempDir_ = std::make_unique<TSLTempDir>();
    lastTempDir_ = tempDir_->Path();
    tempFile_ = std::make_unique<TRecordFile>(tempDir_->Path() / name);
    tempBytes_ = 0;
    return *tempFile_;
}

void TSLAE::CloseTempFile() noexcept {
    if (tempFile_) tempBytes_ = tempFile_->Bytes();
    tempFile_.reset();
    tempDir_.reset();
}

// --- Shared operations -----------------------------------------------------------

std::unique_ptr<TSLAE> NewSolver(int index, std::size_t n, TGetRow getRow, TProgress& progress) {
    switch (index) {
        case 0: return std::make_unique<TDGaus>(n, std::move(getRow), progress);
        case 1: return std::make_unique<TDMainGaus>(n, std::move(getRow), progress);
        case 2: return std::make_unique<TBGaus>(n, std::move(getRow), progress);
        case 3: return std::make_unique<TLGaus>(n, std::move(getRow), progress);
        case 4: return std::make_unique<TOGaus>(n, std::move(getRow), progress);
        case 5: return std::make_unique<TDAGaus>(n, std::move(getRow), progress);
        case 6: return std::make_unique<TDAOGaus>(n, std::move(getRow), progress);
        case 7: return std::make_unique<TVBGaus>(n, std::move(getRow), progress);
        case 8: return std::make_unique<TAGaus>(n, std::move(getRow), progress);
        case 9: return std::make_unique<TZejdel>(n, std::move(getRow), progress);
        case 10: return std::make_unique<TSecRelax>(n, std::move(getRow), progress);
        case 11: return std::make_unique<TSparseLU>(n, std::move(getRow), progress);
        case 12: return std::make_unique<THarmonicSolver>(n, std::move(getRow), progress);
        default: break;
    }
    throw ZemError("Неизвестный метод решения СЛАУ: " + std::to_string(index));
}

std::size_t DetermineBandWidth(std::size_t n, const TGetRow& getRow, TProgress& progress, TRowStore* keep) {
    progress.BeginStage("Определение ширины ленты");
    std::size_t m = 0;
    TRowItems items;
    Extended b = 0;
    if (keep) {
        keep->Clear();
        keep->Start.reserve(n + 1);
        keep->Start.push_back(0);
        keep->B.reserve(n);
    }
    for (std::size_t i = 0; i < n; ++i) {
        TSLAE::PullRow(getRow, n, i, items, b);
        if (keep) {
            keep->Items.insert(keep->Items.end(), items.begin(), items.end());
            keep->Start.push_back(keep->Items.size());
            keep->B.push_back(b);
        }
        // Items are sorted: the first and the last lie farthest from the diagonal.
        const std::size_t first = items.front().Col, last = items.back().Col;
        m = std::max({m, first > i ? first - i : i - first, last > i ? last - i : i - last});
        progress.StepProgress();
    }
    progress.AddLine("Ширина ленты: " + std::to_string(2 * m + 1));
    return m;
}

void EstimateError(TSLAE& solver) {
    TProgress& progress = solver.Progress();
    progress.BeginStage("Оценка погрешности");
    const std::vector<Extended> x = solver.X().Values();
    TRowItems items;
    Extended b = 0, s = 0;
    for (std::size_t i = 0; i < solver.N(); ++i) {
        TSLAE::PullRow(solver.GetRow(), solver.N(), i, items, b);
        Extended r = b;  // residual of row i: b(i) + Σ a(i,j)·x(j)
        for (const TListItem& it : items) r += it.Value * x[it.Col];
        s += r * r;
        progress.StepProgress();
    }
    const Extended e = solver.N() > 0 ? std::sqrt(s / solver.N()) : 0;
    progress.AddLine("Среднеквадратичная погрешность " + RealToStrGen(15, 0, e));
}

// --- Gauss variants in memory -------------------------------------------------------

namespace {

// Rows×Cols elements in one block with a table of row starts, so that rows
// are exchanged without copying.
template <class T>
class TDenseRows {
public:
    TDenseRows(std::size_t rows, std::size_t cols) : data_(rows * cols, T(0)), row_(rows) {
        for (std::size_t i = 0; i < rows; ++i) row_[i] = data_.data() + i * cols;
    }
    T* operator[](std::size_t i) { return row_[i]; }
    void Swap(std::size_t i, std::size_t j) { std::swap(row_[i], row_[j]); }
    void Free() {
        std::vector<T>().swap(data_);
        std::vector<T*>().swap(row_);
    }

private:
    std::vector<T> data_;
    std::vector<T*> row_;
};

}  // namespace

void TGaus::ReportFreeing(std::size_t rows) {
    progress_.BeginStage("Освобождение памяти");
    for (std::size_t i = 0; i < rows; ++i) progress_.StepProgress();
}

namespace {

// The magnitude behind pivot a(k,k) of a full elimination: |a(k,k)| and the
// updates t·a(i,k) subtracted from it, t = a(k,i)/a(i,i), i < k. Each row
// keeps a(k,i), the numerator of its multiplier, left of the diagonal, so
// the sum needs no bookkeeping during the elimination (and the original
// a(k,k) is at most the pivot plus the updates).
template <class T>
Extended Behind(TDenseRows<T>& a, std::size_t k) {
    const T* row = a[k];
    Extended d = std::fabs(static_cast<Extended>(row[k]));
    for (std::size_t i = 0; i < k; ++i)
        if (row[i] != 0) d += std::fabs(static_cast<Extended>(row[i]) / a[i][i] * a[i][k]);
    return d;
}

}  // namespace

template <class T>
void TGaus::RunFull(bool pivoting, bool reportFreeing) {
    const std::size_t n = n_;
    TDenseRows<T> a(n, n);
    std::vector<T> b(n);  // free terms, then the solution
    // The magnitude behind each row's pivot (sl::TPivotTest). With row
    // exchanges it is found when the pivot is chosen (Behind).
    std::vector<double> d(pivoting ? 0 : n, 0.0);
    std::size_t band = 0;  // the half band width of the rows as pulled
    TRowItems items;
    Extended f = 0;

    // 1. Assembly: every row holds the columns 0..N-1.
    progress_.BeginStage("Формирование матрицы");
    for (std::size_t i = 0; i < n; ++i) {
        PullRow(i, items, f);
        T* row = a[i];
        for (const TListItem& it : items) {
            row[it.Col] = static_cast<T>(it.Value);
            if (!pivoting && it.Col == i) d[i] = static_cast<double>(std::fabs(it.Value));
        }
        band = std::max({band, i - std::min(i, items.front().Col), items.back().Col - std::min(i, items.back().Col)});
        b[i] = static_cast<T>(f);
        progress_.StepProgress();
    }
    sl::TPivotTest test = sl::TPivotTest::For<T>(n, band);

    // 2. Forward elimination, column by column.
    progress_.BeginStage("Прямой ход");
    for (std::size_t k = 0; k + 1 < n; ++k) {
        if (pivoting) {
            // The row with the strictly largest |a(r,k)| comes up; among equal
            // magnitudes the uppermost wins. Unknowns are never permuted.
            Extended best = std::fabs(static_cast<Extended>(a[k][k]));
            std::size_t pick = k;
            for (std::size_t r = k + 1; r < n; ++r) {
                const Extended h = std::fabs(static_cast<Extended>(a[r][k]));
                if (h > best) best = h, pick = r;
            }
            if (pick != k) {
                a.Swap(k, pick);
                std::swap(b[k], b[pick]);
            }
        }
        const T* pivot = a[k];
        const Extended p = pivot[k];
        if (pivoting && p == 0) sl::Singular();
        test.Check(k, p, pivoting ? Behind(a, k) : d[k]);
        const Extended bk = b[k];
        for (std::size_t r = k + 1; r < n; ++r) {
            T* row = a[r];
            const Extended fr = row[k];
            if (fr == 0) continue;  // most rows of a difference system are skipped here
            const Extended t = fr / p;
            b[r] = static_cast<T>(b[r] - bk * t);                                        // b(r) −= b(k)·t
            if (!pivoting) d[r] += static_cast<double>(std::fabs(t * pivot[r]));
            sl::SubtractScaled(row + k + 1, pivot + k + 1, static_cast<T>(t), n - k - 1);  // a(r,j) −= t·a(k,j)
        }
        if (!pivoting || k > 0) progress_.StepProgress();
    }
    if (pivoting && a[n - 1][n - 1] == 0) sl::Singular();
    test.Check(n - 1, a[n - 1][n - 1], pivoting ? Behind(a, n - 1) : d[n - 1]);
    smallestPivot_ = test.Smallest();

    // 3. Back substitution: x(i) = −(b(i) + Σ_{j>i} a(i,j)·x(j)) / a(i,i).
    progress_.BeginStage("Обратный ход");
    for (std::size_t i = n; i-- > 0;) {
        const T* row = a[i];
        Extended s = b[i];
        for (std::size_t j = i + 1; j < n; ++j) s += static_cast<Extended>(row[j]) * b[j];
        b[i] = static_cast<T>(-s / row[i]);
        progress_.StepProgress();
    }

    if (reportFreeing) ReportFreeing(n);
    a.Free();
    StoreSolution(b);
}

void TDGaus::SolveSystem() {
    if (realType_ == rtExtended)
        RunFull<Extended>(Pivoting(), true);
    else
        RunFull<double>(Pivoting(), true);
}

void TDAGaus::SolveSystem() { RunFull<double>(false, true); }

void TAGaus::SolveSystem() { RunFull<double>(false, false); }

// --- TBGaus ----------------------------------------------------------------------------

void TBGaus::Prepare() {
    TDGaus::Prepare();
    halfBand_ = DetermineBandWidth(n_, getRow_, progress_, KeepsRows() ? &rows_ : nullptr);
}

void TBGaus::SolveSystem() {
    if (realType_ == rtExtended)
        Run<Extended>();
    else
        Run<double>();
}

template <class T>
void TBGaus::Run() {
    const std::size_t n = n_, m = halfBand_, w = 2 * m + 1;
    std::vector<T> a(n * w, T(0));  // row i, position q: column i − m + q
    std::vector<T> b(n);
    std::vector<double> d(n, 0.0);  // the magnitude behind each pivot
    auto rowOf = [&](std::size_t g) { return a.data() + g * w; };
    auto dOf = [&](std::size_t g) -> double& { return d[g]; };
    sl::TPivotTest test = sl::TPivotTest::For<T>(n, m);
    TRowItems items;
    Extended f = 0;

    progress_.BeginStage("Формирование матрицы");
    const bool kept = rows_.B.size() == n;
    for (std::size_t i = 0; i < n; ++i) {
        const TListItem *first, *last;
        if (kept) {
            first = rows_.Items.data() + rows_.Start[i];
            last = rows_.Items.data() + rows_.Start[i + 1];
            f = rows_.B[i];
        } else {
            PullRow(i, items, f);
            first = items.data();
            last = first + items.size();
        }
        T* row = rowOf(i);
        for (const TListItem* it = first; it != last; ++it) {
            if (it->Col + m < i || it->Col > i + m) sl::OutOfBand(i);
            row[it->Col + m - i] = static_cast<T>(it->Value);
            if (it->Col == i) d[i] = static_cast<double>(std::fabs(it->Value));
        }
        b[i] = static_cast<T>(f);
        progress_.StepProgress();
    }
    rows_.Clear();

    progress_.BeginStage("Прямой ход");
    for (std::size_t k = 0; k + 1 < n; ++k) {
        sl::EliminateBandColumn(rowOf, b.data(), dOf, test, k, m, std::min(m, n - 1 - k));
        progress_.StepProgress();
    }
    test.Check(n - 1, rowOf(n - 1)[m], d[n - 1]);
    smallestPivot_ = test.Smallest();

    progress_.BeginStage("Обратный ход");
    for (std::size_t i = n; i-- > 0;) {
        sl::BackBandRow(rowOf(i), b.data(), i, m, std::min(m, n - 1 - i));
        progress_.StepProgress();
    }

    ReportFreeing(n);
    std::vector<T>().swap(a);
    StoreSolution(b);
}

}  // namespace zem
