// The harmonic method: rows of cell 0 and every free term, a Fourier
// transform around the circumference (FFTW), one complex band factorisation
// per harmonic (LAPACK), the inverse transform, and refinement against the
// 80-bit coefficients of the cell-0 rows.
#include "solvers/SLHarmonic.h"

#include "solvers/SLEstimate.h"
#include "solvers/SLInternal.h"

#include <fftw3.h>
#include <sys/mman.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <complex>
#include <exception>
#include <limits>
#include <mutex>
#include <new>
#include <numbers>
#include <numeric>
#include <thread>

extern "C" {
void zgbtrf_(const int* m, const int* n, const int* kl, const int* ku, std::complex<double>* ab, const int* ldab,
             int* ipiv, int* info);
void zgbtrs_(const char* trans, const int* n, const int* kl, const int* ku, const int* nrhs,
             const std::complex<double>* ab, const int* ldab, const int* ipiv, std::complex<double>* b,
             const int* ldb, int* info, std::size_t transLength);
}

namespace zem {

namespace {

using Cplx = std::complex<double>;
constexpr std::uint32_t kNoLine = std::numeric_limits<std::uint32_t>::max();

// The FFTW planner is not reentrant: plans are made and destroyed under one lock.
std::mutex& PlannerLock() {
    static std::mutex lock;
    return lock;
}

struct TPlan {
    fftw_plan Plan = nullptr;
    ~TPlan() {
        if (!Plan) return;
        std::lock_guard<std::mutex> hold(PlannerLock());
        fftw_destroy_plan(Plan);
    }
};

template <class T>
struct TFftwBuffer {
    T* Data;
    explicit TFftwBuffer(std::size_t n) : Data(static_cast<T*>(fftw_malloc(sizeof(T) * std::max<std::size_t>(n, 1)))) {
        if (!Data) throw std::bad_alloc();
    }
    ~TFftwBuffer() { fftw_free(Data); }
    TFftwBuffer(const TFftwBuffer&) = delete;
    TFftwBuffer& operator=(const TFftwBuffer&) = delete;
};

// Zeroed memory straight from the system, its pages made present at once
// (cheaper than a fault per page, and than clearing them again): the
// factors of every harmonic are accumulated into it.
struct TZeroedPages {
    void* Data = nullptr;
    std::size_t Bytes;
    explicit TZeroedPages(std::size_t bytes) : Bytes(std::max<std::size_t>(bytes, 1)) {
        void* p = mmap(nullptr, Bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_POPULATE, -1, 0);
        if (p == MAP_FAILED) throw std::bad_alloc();
        Data = p;
    }
    ~TZeroedPages() { munmap(Data, Bytes); }
    TZeroedPages(const TZeroedPages&) = delete;
    TZeroedPages& operator=(const TZeroedPages&) = delete;
};

// One coefficient of a cell-0 row: the column's line, its cell (the shift
// around the circumference) and the value as pulled.
struct TTerm {
    std::uint32_t Line;
    std::uint32_t Shift;
    Extended Value;
};
bool operator<(const TTerm& a, const TTerm& b) { return a.Line != b.Line ? a.Line < b.Line : a.Shift < b.Shift; }
bool operator==(const TTerm& a, const TTerm& b) {
    return a.Line == b.Line && a.Shift == b.Shift && a.Value == b.Value;
}

// Σ |a − b| over the union of two sorted rows, relative to the largest
// coefficient of B.
template <class It>
double Deviation(const std::vector<TTerm>& a, It b, It bEnd) {
    Extended diff = 0, big = 0;
    for (It t = b; t != bEnd; ++t) big = std::max(big, std::fabs(t->Value));
    auto i = a.begin();
    while (i != a.end() || b != bEnd) {
        if (b == bEnd || (i != a.end() && *i < *b)) {
            diff += std::fabs(i++->Value);
        } else if (i == a.end() || *b < *i) {
            diff += std::fabs(b++->Value);
        } else {
            diff += std::fabs(i++->Value - b++->Value);
        }
    }
    return big > 0 ? static_cast<double>(diff / big) : std::numeric_limits<double>::infinity();
}

// Runs Fn(k) for k = 0 .. Count−1 on Threads threads. The calling thread
// takes the first and, with a progress, advances it after each of its
// harmonics: a stop raised there takes effect between harmonics; the other
// threads take no further harmonic once the calculation is stopped. The
// first error is rethrown when all have finished.
template <class Fn>
void ForEachHarmonic(std::size_t count, unsigned threads, TProgress* progress, Fn fn) {
    if (count == 0) return;
    std::atomic<std::size_t> next{1}, done{0};
    std::atomic<bool> abort{false};
    std::exception_ptr error;
    std::mutex errorLock;
    auto fail = [&] {
        std::lock_guard<std::mutex> hold(errorLock);
        if (!error) error = std::current_exception();
        abort = true;
    };
    auto more = [&](std::size_t& k) {
        return !abort && (!progress || progress->Running()) && (k = next++) < count;
    };
    auto work = [&] {
        try {
            for (std::size_t k; more(k);) {
                fn(k);
                ++done;
            }
        } catch (...) {
            fail();
        }
    };
    std::vector<std::thread> pool;
    const unsigned extra = static_cast<unsigned>(std::min<std::size_t>(std::max(threads, 1u), count)) - 1;
    try {
        for (unsigned t = 0; t < extra; ++t) pool.emplace_back(work);
    } catch (...) {
        fail();
    }
    try {
        std::size_t k = 0;
        do {
            fn(k);
            const std::size_t d = ++done;
            if (progress) progress->StepProgress(d);
        } while (more(k));
    } catch (...) {
        fail();
    }
    for (std::thread& t : pool) t.join();
    if (error) std::rethrow_exception(error);
    // Stopped while the others finished the last harmonics.
    if (progress) progress->StepProgress(count);
}

}  // namespace

std::string HarmonicRefusalText(const std::string& reason) {
    return "Гармонический метод неприменим: " + reason + ". Подходит метод «" + SLAEMethodNames()[kSparseMethod] +
           "»";
}

std::uint64_t HarmonicMemory(std::size_t n, std::size_t lines, std::size_t kl, std::size_t ku) {
    const double N = static_cast<double>(n), L = static_cast<double>(std::max<std::size_t>(lines, 1));
    const double harmonicLines = N / 2 + L;  // (G/2 + 1)·L
    const double factors = harmonicLines * (static_cast<double>(2 * kl + ku + 1) * sizeof(Cplx) + sizeof(int));
    // Line and cell of every unknown, free terms and solution in extended,
    // residual and correction in double, the transform's buffers, the
    // cell-0 rows.
    const double vectors = N * (8 + 2 * sizeof(Extended) + 2 * 8) + harmonicLines * sizeof(Cplx) + L * 40 * sizeof(TTerm);
    return static_cast<std::uint64_t>(std::min(factors + vectors, 1.8e19));
}

double HarmonicOperations(std::size_t n, std::size_t lines, std::size_t kl, std::size_t ku) {
    const double N = static_cast<double>(n), L = static_cast<double>(std::max<std::size_t>(lines, 1));
    const double g = std::max(N / L, 2.0);
    // Complex band factorisation of half the harmonics, the transforms, and
    // the rows' residuals for the refinement.
    return N / 2 * 8 * static_cast<double>(kl) * static_cast<double>(kl + ku + 1) + 20 * N * std::log2(g) + 200 * N;
}

void THarmonicSolver::SolveSystem() {
    const std::size_t n = n_;
    lines_ = kl_ = ku_ = factored_ = pulled_ = 0;
    exceptionRow_.clear();
    exceptionItems_.clear();
    exceptionStart_.assign(1, 0);
    refinementSteps_ = 0;
    lastCorrection_ = 0;
    factorBytes_ = 0;
    if (!layout_) throw ZemError(HarmonicRefusalText("задача не описала расположение неизвестных по окружности"));
    const THarmonicLayout& lay = *layout_;
    if (!lay.Refusal.empty()) throw ZemError(HarmonicRefusalText(lay.Refusal));
    const std::size_t g = lay.Period, lineCount = lay.Base.size();
    if (g < 2 || lineCount == 0 || lay.Stride.size() != lineCount || lay.RowOf.size() != lineCount * g ||
        !lay.FreeTerm)
        throw ZemError(HarmonicRefusalText("по окружности меньше двух повторяющихся ячеек"));
    if (lineCount > std::numeric_limits<int>::max() / 64 || g > std::numeric_limits<int>::max())
        throw ZemError(HarmonicRefusalText("слишком много линий узлов"));
    lines_ = lineCount;
    auto rowName = [&](std::size_t row) {
        std::string name = lay.RowName ? lay.RowName(row) : std::string();
        return (name.empty() ? std::string() : "уравнение «" + name + "» (") + "строка " + sl::RowNo(row) + " СЛАУ" +
               (name.empty() ? "" : ")");
    };

    // Every unknown on exactly one line and cell.
    std::vector<std::uint32_t> lineOf(n, kNoLine), cellOf(n, 0);
    for (std::size_t l = 0; l < lineCount; ++l)
        for (std::size_t q = 0; q < g; ++q) {
            const std::size_t u = lay.Base[l] + q * lay.Stride[l];
            if (u >= n || lineOf[u] != kNoLine)
                throw ZemError(HarmonicRefusalText("неизвестные задачи не повторяются по окружности"));
            lineOf[u] = static_cast<std::uint32_t>(l);
            cellOf[u] = static_cast<std::uint32_t>(q);
        }
    if (lineCount * g != n) {
        const std::size_t u = static_cast<std::size_t>(std::find(lineOf.begin(), lineOf.end(), kNoLine) - lineOf.begin());
        throw ZemError(HarmonicRefusalText("неизвестная " + sl::RowNo(u) + " не лежит на замкнутой окружности"));
    }
    auto unknown = [&](std::size_t l, std::size_t q) { return lay.Base[l] + q * lay.Stride[l]; };
    auto rowOf = [&](std::size_t l, std::size_t q) { return lay.RowOf[l * g + q]; };
    constexpr std::size_t kNoRow = THarmonicLayout::kNoRow;
    // The odd rows, each in the hole of a line of its own.
    const std::size_t odd = lay.OddRows.size();
    std::vector<std::size_t> holeOf(lineCount, kNoRow);  // the odd row in line l's hole
    std::vector<std::size_t> firstCell(lineCount, 0);    // the first cell of line l with its row
    {
        std::vector<char> seen(n, 0);
        auto take = [&](std::size_t row) {
            if (row >= n || seen[row])
                throw ZemError(HarmonicRefusalText("уравнения задачи не повторяются по окружности"));
            seen[row] = 1;
        };
        for (std::size_t row : lay.RowOf)
            if (row != kNoRow) take(row);
        for (std::size_t row : lay.OddRows) take(row);
        bool emptyLine = false;
        for (std::size_t l = 0; l < lineCount; ++l) {
            while (firstCell[l] < g && rowOf(l, firstCell[l]) == kNoRow) ++firstCell[l];
            emptyLine = emptyLine || firstCell[l] == g;
        }
        const auto holes = static_cast<std::size_t>(std::count(lay.RowOf.begin(), lay.RowOf.end(), kNoRow));
        if (emptyLine || lay.Holes.size() != odd || holes != odd || odd > kMaxHarmonicOddRows)
            throw ZemError(HarmonicRefusalText("уравнения задачи не повторяются по окружности"));
        for (std::size_t i = 0; i < odd; ++i) {
            const std::size_t l = lay.Holes[i] / g;
            if (l >= lineCount || rowOf(l, lay.Holes[i] % g) != kNoRow || holeOf[l] != kNoRow)
                throw ZemError(HarmonicRefusalText("уравнения задачи не повторяются по окружности"));
            holeOf[l] = i;
        }
    }

    // 1. The rows of cell 0 with their coefficients and the order in which
    // each wrote them; every free term, the coefficients of every other row
    // compared, as they come, with those of its cell-0 row moved round by the
    // difference of their cells.
    progress_.BeginStage("Формирование матрицы");
    std::vector<std::size_t> termStart(lineCount + 1, 0);
    std::vector<TTerm> terms;
    std::vector<TTerm> gauge;  // the odd rows' coefficients by line, Shift holding the odd row's index
    std::vector<Extended> b(n, 0);
    // Of each exception row: its slot l·G + q, or kNoRow for an odd row.
    std::vector<std::size_t> exceptionSlot;
    {
        TRowItems items;
        Extended f = 0;
        auto toTerm = [&](const TListItem& it, std::size_t q) {
            const std::uint32_t l2 = lineOf[it.Col];
            const std::size_t q2 = cellOf[it.Col];
            return TTerm{l2, static_cast<std::uint32_t>(q2 >= q ? q2 - q : q2 + g - q), it.Value};
        };
        auto checkOutside = [&](bool outside, std::size_t row) {
            if (outside)
                throw ZemError("Строка " + sl::RowNo(row) + " СЛАУ: столбец вне системы порядка " + std::to_string(n));
        };
        // The cell-0 rows' coefficients as written, Shift holding the column's cell.
        std::vector<std::size_t> writtenStart(lineCount + 1, 0);
        std::vector<TTerm> written;
        bool outside = false;
        const TCoefSink record = [&](std::size_t col, Extended v) {
            if (col >= n) {
                outside = true;
                return;
            }
            written.push_back(TTerm{lineOf[col], cellOf[col], v});
        };
        for (std::size_t l = 0; l < lineCount; ++l) {
            const std::size_t row = rowOf(l, firstCell[l]);
            PullRow(row, items, f);
            for (const TListItem& it : items)
                if (it.Value != 0) terms.push_back(toTerm(it, firstCell[l]));
            std::sort(terms.begin() + static_cast<std::ptrdiff_t>(termStart[l]), terms.end());
            termStart[l + 1] = terms.size();
            outside = false;
            b[row] = lay.FreeTerm(row, record);
            checkOutside(outside, row);
            writtenStart[l + 1] = written.size();
        }
        pulled_ = lineCount;

        const TTerm *at = nullptr, *atEnd = nullptr;
        std::size_t dq = 0;
        bool same = true;
        const TCoefSink compare = [&](std::size_t col, Extended v) {
            if (col >= n) outside = true;
            if (!same) return;
            if (at == atEnd || v != at->Value) {
                same = false;
                return;
            }
            std::size_t cell = at->Shift + dq;
            if (cell >= g) cell -= g;
            same = col == lay.Base[at->Line] + cell * lay.Stride[at->Line];
            ++at;
        };
        std::vector<TTerm> image;
        // The free term of row (l, q) and its coefficients compared; false
        // when the row is not the exact image of its cell-0 row.
        auto checkRow = [&](std::size_t l, std::size_t q) {
            const std::size_t u = rowOf(l, q);
            at = written.data() + writtenStart[l];
            atEnd = written.data() + writtenStart[l + 1];
            dq = q - firstCell[l];
            same = true;
            outside = false;
            b[u] = lay.FreeTerm(u, compare);
            checkOutside(outside, u);
            if (same && at == atEnd) return true;
            // Written otherwise than the cell-0 row (in another order near
            // the seam, say): the row itself decides.
            PullRow(u, items, f);
            ++pulled_;
            image.clear();
            for (const TListItem& it : items)
                if (it.Value != 0) image.push_back(toTerm(it, q));
            std::sort(image.begin(), image.end());
            const auto first = terms.begin() + static_cast<std::ptrdiff_t>(termStart[l]),
                       last = terms.begin() + static_cast<std::ptrdiff_t>(termStart[l + 1]);
            if (std::equal(image.begin(), image.end(), first, last)) return true;
            // Coordinates summed step by step round the circumference make an
            // interpolation weight differ in its last bits: such a row is kept
            // as it is for the residuals, and the refinement removes the
            // difference. Any larger one is a different equation.
            if (Deviation(image, first, last) > kNearlyRepeating)
                throw ZemError(HarmonicRefusalText(rowName(u) + " не повторяет при повороте вокруг оси " +
                                                   rowName(rowOf(l, firstCell[l]))));
            exceptionRow_.push_back(u);
            exceptionSlot.push_back(l * g + q);
            for (const TListItem& it : items) exceptionItems_.push_back(it);
            exceptionStart_.push_back(exceptionItems_.size());
            return false;
        };
        const std::size_t every = std::max<std::size_t>(lineCount / 100, 1);
        std::vector<char> sampled(g, 0);
        for (std::size_t l = 0; l < lineCount; ++l) {
            if (!lay.FreeTermAlone) {
                for (std::size_t q = firstCell[l] + 1; q < g; ++q)
                    if (rowOf(l, q) != kNoRow) checkRow(l, q);
            } else {
                // Rows of a sample of cells (the next, the opposite, the
                // last) compared; a line where one of them is not the exact
                // image of its cell-0 row is compared whole, the others give
                // their free terms alone.
                const std::size_t q0 = firstCell[l], sample[] = {q0 + 1, q0 + (g - q0) / 2, g - 1};
                bool exact = true;
                for (std::size_t q : sample)
                    if (q > q0 && q < g && !sampled[q] && rowOf(l, q) != kNoRow) {
                        sampled[q] = 1;
                        exact = checkRow(l, q) && exact;
                    }
                for (std::size_t q = q0 + 1; q < g; ++q) {
                    const std::size_t u = rowOf(l, q);
                    if (u == kNoRow || sampled[q]) continue;
                    if (exact)
                        b[u] = lay.FreeTermAlone(u);
                    else
                        checkRow(l, q);
                }
                for (std::size_t q : sample)
                    if (q < g) sampled[q] = 0;
            }
            if (l % every == 0) progress_.StepProgress(l * g);
        }

        // An odd row takes one coefficient for every cell of each line it
        // touches: on the harmonics it acts on harmonic 0 alone.
        for (std::size_t i = 0; i < odd; ++i) {
            const std::size_t u = lay.OddRows[i];
            PullRow(u, items, f);
            ++pulled_;
            b[u] = f;
            std::vector<std::pair<std::uint32_t, Extended>> byLine;
            std::vector<std::size_t> cells;
            for (const TListItem& it : items) byLine.emplace_back(lineOf[it.Col], it.Value);
            std::stable_sort(byLine.begin(), byLine.end(),
                             [](const auto& a, const auto& c) { return a.first < c.first; });
            for (std::size_t a = 0; a < byLine.size();) {
                std::size_t e = a;
                while (e < byLine.size() && byLine[e].first == byLine[a].first && byLine[e].second == byLine[a].second)
                    ++e;
                if (e - a != g || (e < byLine.size() && byLine[e].first == byLine[a].first))
                    throw ZemError(HarmonicRefusalText(rowName(u) + " не одинаково во всех узлах окружности"));
                gauge.push_back(TTerm{byLine[a].first, static_cast<std::uint32_t>(i), byLine[a].second});
                a = e;
            }
            exceptionRow_.push_back(u);
            exceptionSlot.push_back(kNoRow);
            for (const TListItem& it : items) exceptionItems_.push_back(it);
            exceptionStart_.push_back(exceptionItems_.size());
        }
    }

    // Lines of unknowns in their numbering order (the domains number theirs
    // along the axis); row lines by the first and last of those they
    // touch, so that every harmonic's matrix is a band.
    std::vector<std::uint32_t> pc(lineCount), pr(lineCount);
    {
        std::vector<std::uint32_t> order(lineCount);
        std::iota(order.begin(), order.end(), 0u);
        std::stable_sort(order.begin(), order.end(),
                         [&](std::uint32_t a, std::uint32_t c) { return lay.Base[a] < lay.Base[c]; });
        for (std::size_t i = 0; i < lineCount; ++i) pc[order[i]] = static_cast<std::uint32_t>(i);
        std::vector<std::pair<std::uint32_t, std::uint32_t>> reach(lineCount, {kNoLine, 0});
        for (std::size_t l = 0; l < lineCount; ++l)
            for (std::size_t t = termStart[l]; t < termStart[l + 1]; ++t) {
                const std::uint32_t j = pc[terms[t].Line];
                reach[l].first = std::min(reach[l].first, j);
                reach[l].second = std::max(reach[l].second, j);
            }
        std::iota(order.begin(), order.end(), 0u);
        std::stable_sort(order.begin(), order.end(), [&](std::uint32_t a, std::uint32_t c) { return reach[a] < reach[c]; });
        for (std::size_t i = 0; i < lineCount; ++i) pr[order[i]] = static_cast<std::uint32_t>(i);
        auto widen = [&](std::size_t i, std::size_t j) {
            if (i > j) kl_ = std::max(kl_, i - j);
            else ku_ = std::max(ku_, j - i);
        };
        for (std::size_t l = 0; l < lineCount; ++l)
            for (std::size_t t = termStart[l]; t < termStart[l + 1]; ++t) widen(pr[l], pc[terms[t].Line]);
        for (const TTerm& t : gauge) widen(pr[lay.Holes[t.Shift] / g], pc[t.Line]);
    }
    std::vector<double> scale(lineCount, 1);
    for (std::size_t l = 0; l < lineCount; ++l) {
        Extended big = 0;
        for (std::size_t t = termStart[l]; t < termStart[l + 1]; ++t) big = std::max(big, std::fabs(terms[t].Value));
        if (big == 0) sl::ZeroPivot(rowOf(l, 0));
        scale[l] = static_cast<double>(1 / big);
    }
    std::vector<double> gaugeScale(odd, 0);
    for (const TTerm& t : gauge) gaugeScale[t.Shift] = std::max(gaugeScale[t.Shift], static_cast<double>(std::fabs(t.Value)));
    for (double& x : gaugeScale) x = 1 / x;

    const std::size_t harmonics = g / 2 + 1;
    {
        const std::uint64_t need = HarmonicMemory(n, lineCount, kl_, ku_), available = AvailableMemory();
        if (need > available)
            throw ZemError("Недостаточно памяти для решения СЛАУ порядка " + std::to_string(n) + ": метод «" +
                           GetMethodName() + "» требует около " + MemoryText(need) + ", доступно " +
                           MemoryText(available));
    }
    const int L = static_cast<int>(lineCount), kl = static_cast<int>(kl_), ku = static_cast<int>(ku_);
    const int ldab = 2 * kl + ku + 1;
    const std::size_t block = static_cast<std::size_t>(ldab) * lineCount;

    // The transform: real values of cell q at [q·L + position], harmonic k
    // at [k·L + position], each line one transform of length G; free terms
    // and residuals at their row line's position, the solution at its
    // line's.
    TFftwBuffer<double> real(g * lineCount);
    TFftwBuffer<fftw_complex> spectrum(harmonics * lineCount);
    TPlan forward, backward;
    {
        std::lock_guard<std::mutex> hold(PlannerLock());
        const int len = static_cast<int>(g);
        forward.Plan = fftw_plan_many_dft_r2c(1, &len, L, real.Data, nullptr, L, 1, spectrum.Data, nullptr, L, 1,
                                              FFTW_ESTIMATE);
        backward.Plan = fftw_plan_many_dft_c2r(1, &len, L, spectrum.Data, nullptr, L, 1, real.Data, nullptr, L, 1,
                                               FFTW_ESTIMATE);
        if (!forward.Plan || !backward.Plan) throw std::bad_alloc();
    }
    // The residuals of the rows in the same order, row (l, q) at
    // [q·L + pr[l]] and 0 in a hole; the odd rows' apart. At first the free
    // terms: the residuals of x = 0.
    std::vector<double> residual(n, 0), scaleAt(lineCount);
    std::vector<Extended> oddResidual(odd);
    for (std::size_t l = 0; l < lineCount; ++l) {
        scaleAt[pr[l]] = scale[l];
        for (std::size_t q = 0; q < g; ++q)
            if (rowOf(l, q) != kNoRow) residual[q * lineCount + pr[l]] = static_cast<double>(b[rowOf(l, q)]);
    }
    for (std::size_t i = 0; i < odd; ++i) oddResidual[i] = b[lay.OddRows[i]];
    auto loadRhs = [&] {  // −residual, rows scaled
        for (std::size_t q = 0; q < g; ++q)
            for (std::size_t p = 0; p < lineCount; ++p)
                real.Data[q * lineCount + p] = -residual[q * lineCount + p] * scaleAt[p];
        fftw_execute(forward.Plan);
    };
    auto unloadSolution = [&](std::vector<double>& d) {
        fftw_execute(backward.Plan);
        const double inv = 1.0 / static_cast<double>(g);
        for (std::size_t l = 0; l < lineCount; ++l) {
            const std::size_t p = pc[l];
            for (std::size_t q = 0; q < g; ++q) d[unknown(l, q)] = real.Data[q * lineCount + p] * inv;
        }
    };

    progress_.SetMaximum(1);
    progress_.BeginStage("Преобразование нагрузки");
    loadRhs();
    progress_.StepProgress(1);

    // 2. Harmonic k: A_k(i, j) = Σ over the terms of line i in column line j
    // of a·e^{2πi·k·s/G}; factored and solved against the transformed load.
    std::vector<Cplx> twiddle(g);
    for (std::size_t t = 0; t < g; ++t) {
        const long double angle = 2 * std::numbers::pi_v<long double> * static_cast<long double>(t) / g;
        twiddle[t] = Cplx(static_cast<double>(std::cos(angle)), static_cast<double>(std::sin(angle)));
    }
    TZeroedPages factorPages(harmonics * block * sizeof(Cplx));
    Cplx* const factors = static_cast<Cplx*>(factorPages.Data);
    std::vector<int> pivots(harmonics * lineCount);
    factorBytes_ = factorPages.Bytes + pivots.size() * sizeof(int);
    const unsigned threads = Threads ? Threads : std::max(1u, std::thread::hardware_concurrency());
    Cplx* rhs = reinterpret_cast<Cplx*>(spectrum.Data);
    auto solveHarmonic = [&](std::size_t k) {
        const Cplx* ab = factors + k * block;
        const int* ipiv = pivots.data() + k * lineCount;
        int one = 1, info = 0;
        zgbtrs_("N", &L, &kl, &ku, &one, ab, &ldab, ipiv, rhs + k * lineCount, &L, &info, 1);
        if (info != 0) sl::Singular();
    };
    progress_.SetMaximum(harmonics);
    progress_.BeginStage("Разложение по гармоникам");
    // Each term once: its place in the band storage, its scaled value and
    // which of the few shifts round the circumference it has.
    std::vector<std::size_t> place(terms.size()), ownLine(terms.size());
    std::vector<double> scaled(terms.size());
    std::vector<std::uint32_t> shifts, shiftOf(terms.size());
    for (std::size_t l = 0; l < lineCount; ++l)
        for (std::size_t t = termStart[l]; t < termStart[l + 1]; ++t) {
            const std::size_t i = pr[l], j = pc[terms[t].Line];
            place[t] = static_cast<std::size_t>(kl + ku) + i - j + j * static_cast<std::size_t>(ldab);
            ownLine[t] = l;
            scaled[t] = static_cast<double>(terms[t].Value) * scale[l];
            auto at = std::find(shifts.begin(), shifts.end(), terms[t].Shift);
            if (at == shifts.end()) at = shifts.insert(at, terms[t].Shift);
            shiftOf[t] = static_cast<std::uint32_t>(at - shifts.begin());
        }
    ForEachHarmonic(harmonics, threads, &progress_, [&](std::size_t k) {
        Cplx* ab = factors + k * block;
        std::vector<Cplx> w(shifts.size());
        for (std::size_t d = 0; d < shifts.size(); ++d) w[d] = twiddle[(k * shifts[d]) % g];
        if (k > 0 || odd == 0) {
            for (std::size_t t = 0; t < terms.size(); ++t) ab[place[t]] += scaled[t] * w[shiftOf[t]];
        } else {
            // Harmonic 0: a line with a hole takes the odd row's sums in
            // place of its own equation.
            for (std::size_t t = 0; t < terms.size(); ++t)
                if (holeOf[ownLine[t]] == kNoRow) ab[place[t]] += scaled[t] * w[shiftOf[t]];
            for (const TTerm& t : gauge) {
                const std::size_t i = pr[lay.Holes[t.Shift] / g], j = pc[t.Line];
                ab[static_cast<std::size_t>(kl + ku) + i - j + j * static_cast<std::size_t>(ldab)] +=
                    static_cast<double>(t.Value) * gaugeScale[t.Shift];
            }
        }
        int info = 0;
        zgbtrf_(&L, &L, &kl, &ku, ab, &ldab, pivots.data() + k * lineCount, &info);
        if (info != 0) sl::Singular();
        double small = std::numeric_limits<double>::infinity(), large = 0;
        for (int j = 0; j < L; ++j) {
            const double u = std::abs(ab[static_cast<std::size_t>(kl + ku) + static_cast<std::size_t>(j) * ldab]);
            small = std::min(small, u);
            large = std::max(large, u);
        }
        if (!(small >= kSingularPivot * large)) sl::Singular();
        if (odd == 0) solveHarmonic(k);
    });
    factored_ = harmonics;
    // All harmonics against the load in the spectrum. With odd rows:
    // harmonic 0 first, its hole rows answering the odd rows; then each
    // hole's equation, which the odd row displaced, leaves a residual λ in
    // its slot, and λ's transform joins the other harmonics' loads.
    auto solveAll = [&] {
        if (odd == 0) return ForEachHarmonic(harmonics, threads, nullptr, solveHarmonic);
        const std::vector<Cplx> zero(rhs, rhs + lineCount);
        for (std::size_t i = 0; i < odd; ++i)
            rhs[pr[lay.Holes[i] / g]] = -gaugeScale[i] * static_cast<double>(oddResidual[i]);
        solveHarmonic(0);
        for (std::size_t i = 0; i < odd; ++i) {
            const std::size_t l = lay.Holes[i] / g, q = lay.Holes[i] % g;
            Cplx mu = -zero[pr[l]];
            for (std::size_t t = termStart[l]; t < termStart[l + 1]; ++t)
                mu += static_cast<double>(terms[t].Value) * scale[l] * rhs[pc[terms[t].Line]];
            for (std::size_t k = 1; k < harmonics; ++k)
                rhs[k * lineCount + pr[l]] += mu * std::conj(twiddle[(k * q) % g]);
        }
        ForEachHarmonic(harmonics - 1, threads, nullptr, [&](std::size_t k) { solveHarmonic(k + 1); });
    };
    if (odd > 0) solveAll();
    std::vector<double> d(n);
    unloadSolution(d);
    std::vector<Extended> x(d.begin(), d.end());

    // 3. Refinement: the residual r = b + A·x in extended from the cell-0
    // rows, A·d = −r through the factors, x += d; after the first step the
    // residual of x + d is r + A·d, which d, a small correction, gives in
    // double as exactly as the extended sum would.
    const int maxSteps = realType_ == rtExtended ? kMaxRefinementSteps : 1;
    progress_.SetMaximum(static_cast<std::size_t>(maxSteps));
    progress_.BeginStage("Уточнение решения");
    // Of each term: the column as an unknown of the row's cell moved round
    // by the shift, and its place in the transform's order relative to the
    // row's cell, with the value divided by the transform's factor G.
    std::vector<std::size_t> termBase(terms.size()), termStride(terms.size()), termPlace(terms.size());
    std::vector<double> termValue(terms.size());
    for (std::size_t t = 0; t < terms.size(); ++t) {
        termBase[t] = lay.Base[terms[t].Line];
        termStride[t] = lay.Stride[terms[t].Line];
        termPlace[t] = terms[t].Shift * lineCount + pc[terms[t].Line];
        termValue[t] = static_cast<double>(terms[t].Value) / static_cast<double>(g);
    }
    sl::TRefinement refinement;
    for (int step = 1; step <= maxSteps; ++step) {
        if (step == 1)
            ForEachHarmonic(threads, threads, nullptr, [&](std::size_t part) {
                for (std::size_t l = part; l < lineCount; l += threads)
                    for (std::size_t q = 0; q < g; ++q) {
                        const std::size_t u = rowOf(l, q);
                        if (u == kNoRow) continue;
                        Extended s = b[u];
                        for (std::size_t t = termStart[l]; t < termStart[l + 1]; ++t) {
                            std::size_t q2 = q + terms[t].Shift;
                            if (q2 >= g) q2 -= g;
                            s += terms[t].Value * x[termBase[t] + q2 * termStride[t]];
                        }
                        residual[q * lineCount + pr[l]] = static_cast<double>(s);
                    }
            });
        // The rows that are not the images of their cell-0 rows, and the
        // odd rows, as they are.
        for (std::size_t e = 0, i = 0; e < exceptionRow_.size(); ++e) {
            const std::size_t u = exceptionRow_[e];
            Extended s = b[u];
            for (std::size_t k = exceptionStart_[e]; k < exceptionStart_[e + 1]; ++k)
                s += exceptionItems_[k].Value * x[exceptionItems_[k].Col];
            const std::size_t slot = exceptionSlot[e];
            if (slot == kNoRow)
                oddResidual[i++] = s;
            else
                residual[slot % g * lineCount + pr[slot / g]] = static_cast<double>(s);
        }
        loadRhs();
        solveAll();
        unloadSolution(d);
        const bool more = refinement.Take(step, x, d);
        refinementSteps_ = refinement.Steps();
        lastCorrection_ = refinement.LastCorrection();
        progress_.StepProgress();
        if (!more || step == maxSteps) break;
        // r += A·d, d = the transform's output / G, cell by cell.
        ForEachHarmonic(threads, threads, nullptr, [&](std::size_t part) {
            for (std::size_t q = part * g / threads; q < (part + 1) * g / threads; ++q) {
                const std::size_t at = q * lineCount;
                for (std::size_t l = 0; l < lineCount; ++l) {
                    double s = 0;
                    for (std::size_t t = termStart[l]; t < termStart[l + 1]; ++t) {
                        std::size_t i = at + termPlace[t];
                        if (i >= n) i -= n;
                        s += termValue[t] * real.Data[i];
                    }
                    residual[at + pr[l]] += s;
                }
            }
        });
        for (std::size_t hole : lay.Holes) residual[hole % g * lineCount + pr[hole / g]] = 0;
    }
    // A correction that is still a sizeable part of the solution: the
    // factors do not describe the system.
    if (!(lastCorrection_ <= 1e-2)) sl::Singular();
    StoreSolution(x);
}

}  // namespace zem
