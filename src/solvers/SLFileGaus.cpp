// The Gauss variants that keep a window of rows in memory and spill finished
// rows to a temporary file: TLGaus, TOGaus, TDAOGaus and TVBGaus.
#include "solvers/SLCLass.h"
#include "solvers/SLFiles.h"
#include "solvers/SLInternal.h"

#include <algorithm>
#include <deque>

namespace zem {

// --- TLGaus: band window of m+1 rows, rows written from their diagonal on -----------

void TLGaus::Prepare() {
    TBGaus::Prepare();
    OpenTempFile("matr.tmp");
}

void TLGaus::SolveSystem() {
    if (realType_ == rtExtended)
        Run<Extended>();
    else
        Run<double>();
}

template <class T>
void TLGaus::Run() {
    const std::size_t n = n_, m = halfBand_, w = 2 * m + 1, slots = m + 1;
    // Window of m+1 band rows; global row g lives in slot g mod (m+1), its
    // position q holds column g − m + q.
    std::vector<T> window(slots * w, T(0));
    auto rowOf = [&](std::size_t g) { return window.data() + (g % slots) * w; };
    std::vector<double> d(slots, 0.0);  // the magnitude behind each window row's pivot
    auto dOf = [&](std::size_t g) -> double& { return d[g % slots]; };
    sl::TPivotTest test = sl::TPivotTest::For<T>(n, m);
    std::vector<T> b(n);  // free terms, then the solution
    TRowItems items;
    Extended f = 0;
    auto place = [&](std::size_t g) {
        PullRow(g, items, f);
        T* row = rowOf(g);
        dOf(g) = 0;
        for (const TListItem& it : items) {
            if (it.Col + m < g || it.Col > g + m) sl::OutOfBand(g);
            row[it.Col + m - g] = static_cast<T>(it.Value);
            if (it.Col == g) dOf(g) = static_cast<double>(std::fabs(it.Value));
        }
        b[g] = static_cast<T>(f);
    };

    // 1. Rows 0..m fill the window.
    progress_.SetMaximum(m);
    progress_.BeginStage("Формирование матрицы");
    for (std::size_t i = 0; i <= m; ++i) {
        place(i);
        progress_.StepProgress();
    }

    // 2. While the window has not reached the last row: eliminate column k
    // with the head row, write the head row from its diagonal (m+1 records),
    // and reuse its slot for the next row pulled.
    progress_.SetMaximum(n);
    progress_.BeginStage("Прямой ход");
    std::size_t k = 0;
    TRecordFile& file = TempFile();
    if (m + 1 < n) {
        file.Rewrite();
        for (; k + m + 1 < n; ++k) {
            sl::EliminateBandColumn(rowOf, b.data(), dOf, test, k, m, m);
            progress_.StepProgress();
            T* head = rowOf(k);
            file.Append(head + m, m + 1);
            std::fill(head, head + w, T(0));
            place(k + m + 1);
        }
        file.Flush();
    }
    // The last m+1 rows are eliminated in memory.
    for (std::size_t i = k; i + 1 < n; ++i) {
        sl::EliminateBandColumn(rowOf, b.data(), dOf, test, i, m, std::min(m, n - 1 - i));
        progress_.StepProgress();
    }
    test.Check(n - 1, rowOf(n - 1)[m], dOf(n - 1));
    smallestPivot_ = test.Smallest();

    // 3. Back substitution: the window rows, then the written rows read back
    // in reverse order.
    progress_.BeginStage("Обратный ход");
    for (std::size_t g = n; g-- > k;) {
        sl::BackBandRow(rowOf(g), b.data(), g, m, std::min(m, n - 1 - g));
        progress_.StepProgress();
    }
    std::vector<Extended> rec(m + 1);
    for (std::size_t g = k; g-- > 0;) {
        file.Read(static_cast<std::uint64_t>(g) * (m + 1), m + 1, rec.data());
        Extended s = b[g];  // x(g) = −(b(g) + Σ a′(g,g+t)·x(g+t)) / a′(g,g)
        for (std::size_t t = 1; t <= m; ++t) s += rec[t] * b[g + t];
        if (rec[0] == 0) sl::ZeroPivot(g);  // a damaged record: the pivots were tested
        b[g] = static_cast<T>(-s / rec[0]);
        progress_.StepProgress();
    }

    ReportFreeing(slots);
    std::vector<T>().swap(window);
    StoreSolution(b);
}

// --- TOGaus / TDAOGaus: rows reduced and normalised on arrival -----------------------

template <class T>
void TGaus::RunNormalisedBand(std::size_t m, bool arrayRows) {
    const std::size_t n = n_, slots = m + 1;
    // Window of m+1 finished rows, each u(g, g+1..g+m) of the unit-diagonal
    // row g, in slot g mod (m+1).
    std::vector<T> window(slots * m, T(0));
    auto uOf = [&](std::size_t g) { return window.data() + (g % slots) * m; };
    std::vector<T> work(2 * m + 1);  // the incoming row
    std::vector<T> b(n);
    sl::TPivotTest test = sl::TPivotTest::For<T>(n, m);
    TRowItems items;
    Extended f = 0;

    // Pulls row P into the work row (position 0 = column Base), reduces it
    // against the window rows Base..P-1 and stores its normalised upper part.
    // The diagonal's updates add to the magnitude its pivot is tested against.
    auto arrive = [&](std::size_t p, std::size_t base) {
        std::fill(work.begin(), work.end(), T(0));
        PullRow(p, items, f);
        for (const TListItem& it : items) {
            if (it.Col < base || it.Col > p + m) sl::OutOfBand(p);
            work[it.Col - base] = static_cast<T>(it.Value);
        }
        b[p] = static_cast<T>(f);
        const std::size_t o = p - base;  // position of the diagonal
        Extended behind = std::fabs(static_cast<Extended>(work[o]));
        for (std::size_t i = 0; i < o; ++i) {
            const Extended c = work[i];
            if (c == 0) continue;
            behind += std::fabs(c * uOf(base + i)[o - i - 1]);
            sl::SubtractScaled(work.data() + i + 1, uOf(base + i), static_cast<T>(c), m);  // w −= c·u(row i)
            b[p] = static_cast<T>(b[p] - b[base + i] * c);
        }
        const Extended d = work[o];
        test.Check(p, d, behind);
        T* u = uOf(p);
        for (std::size_t t = 0; t < m; ++t) u[t] = static_cast<T>(work[o + 1 + t] / d);
        b[p] = static_cast<T>(b[p] / d);
        progress_.StepProgress();
    };

    // 1. Rows 0..m, placed at their absolute columns.
    progress_.SetMaximum(m);
    progress_.BeginStage("Формирование матрицы");
    for (std::size_t p = 0; p <= m; ++p) arrive(p, 0);

    // 2. Each further row: write the head row's m values, reuse its slot.
    progress_.SetMaximum(n);
    progress_.BeginStage("Прямой ход");
    const std::size_t k = m + 1 < n ? n - 1 - m : 0;  // first row left in the window
    TRecordFile& file = TempFile();
    if (m + 1 < n) {
        file.Rewrite();
        for (std::size_t p = m + 1; p < n; ++p) {
            file.Append(uOf(p - m - 1), m);
            arrive(p, p - m);
        }
        file.Flush();
    }
    smallestPivot_ = test.Smallest();

    // 3. Back substitution needs no division: x(g) = −(b(g) + Σ u(g,g+t)·x(g+t)).
    progress_.BeginStage("Обратный ход");
    for (std::size_t g = n; g-- > k;) {
        const T* u = uOf(g);
        Extended s = b[g];
        for (std::size_t t = 1; t <= n - 1 - g; ++t) s += static_cast<Extended>(u[t - 1]) * b[g + t];
        b[g] = static_cast<T>(-s);
        progress_.StepProgress();
    }
    std::vector<Extended> rec(m);
    for (std::size_t g = k; g-- > 0;) {
        file.Read(static_cast<std::uint64_t>(g) * m, m, rec.data());
        Extended s = b[g];
        for (std::size_t t = 1; t <= m; ++t) s += rec[t - 1] * b[g + t];
        b[g] = static_cast<T>(-s);
        progress_.StepProgress();
    }

    // The array-row variant deletes its file with the back substitution,
    // the linked-list one after freeing its window.
    if (arrayRows) CloseTempFile();
    ReportFreeing(slots);
    std::vector<T>().swap(window);
    StoreSolution(b);
}

void TOGaus::SolveSystem() {
    if (realType_ == rtExtended)
        RunNormalisedBand<Extended>(halfBand_, false);
    else
        RunNormalisedBand<double>(halfBand_, false);
}

void TDAOGaus::Prepare() {
    TDAGaus::Prepare();
    halfBand_ = DetermineBandWidth(n_, getRow_, progress_);
    OpenTempFile("matr.tmp");
}

void TDAOGaus::SolveSystem() { RunNormalisedBand<double>(halfBand_, true); }

// --- TVBGaus: profile window ---------------------------------------------------------------

void TVBGaus::SolveSystem() {
    const std::size_t n = n_;
    std::vector<double> b(n);
    TRowItems items;
    Extended f = 0;

    // 1. Profile: Marks(c) = the last row whose leftmost coefficient lies in
    // column c; Widths(j) = max(Widths(j−1) − 1, cL(j) − j), so that
    // j + Widths(j) never decreases (the envelope is monotone).
    progress_.SetMaximum(n);
    progress_.BeginStage("Чтение данных");
    std::vector<std::int64_t> widths(n), marks(n, 0);
    std::int64_t prev = 0;
    std::size_t band = 0;  // the widest reach of a row left or right of its diagonal
    for (std::size_t j = 0; j < n; ++j) {
        PullRow(j, items, f);
        std::int64_t& mark = marks[items.front().Col];
        mark = std::max<std::int64_t>(mark, static_cast<std::int64_t>(j));
        prev = std::max<std::int64_t>({prev - 1, static_cast<std::int64_t>(items.back().Col) - std::int64_t(j), 0});
        widths[j] = prev;
        band = std::max({band, j - std::min(j, items.front().Col), static_cast<std::size_t>(prev)});
        progress_.StepProgress();
    }
    sl::TPivotTest test = sl::TPivotTest::For<double>(n, band);

    // 2. Forward: the window holds rows k..i-1, each u(g, g+1..g+L(g)) of its
    // unit-diagonal row. A row is pulled only when column k still needs it.
    TRecordFile& file = OpenTempFile("SLFile.tmp");
    progress_.BeginStage("Прямой ход");
    std::deque<std::vector<double>> window;
    std::vector<std::vector<double>> spare;  // freed rows, reused
    auto newRow = [&](std::size_t len) {
        std::vector<double> row;
        if (!spare.empty()) row = std::move(spare.back()), spare.pop_back();
        row.assign(len, 0.0);
        return row;
    };
    std::vector<double> work;
    std::size_t k = 0, i = 0;
    while (i < n) {
        if (window.empty()) {
            // No earlier row reaches column k: row k arrives reduced already.
            PullRow(k, items, f);
            if (items.front().Col < k) sl::OutOfBand(k);
            const Extended d = items.front().Col > k ? 0 : items.front().Value;
            test.Check(k, d, std::fabs(d));
            std::vector<double> row = newRow(items.back().Col - k);
            for (std::size_t e = 1; e < items.size(); ++e)
                row[items[e].Col - k - 1] = static_cast<double>(items[e].Value / d);
            b[k] = static_cast<double>(f / d);
            window.push_back(std::move(row));
            progress_.StepProgress();
            i = k + 1;
        }
        while (i < n && static_cast<std::int64_t>(i) <= marks[k]) {
            PullRow(i, items, f);
            const std::size_t o = i - k;  // position of the diagonal in the work row
            const std::size_t len = static_cast<std::size_t>(widths[i]) + o + 1;
            work.assign(len, 0.0);
            for (const TListItem& it : items) {
                if (it.Col < k || it.Col - k >= len) sl::OutOfBand(i);
                work[it.Col - k] = static_cast<double>(it.Value);
            }
            b[i] = static_cast<double>(f);
            Extended behind = std::fabs(work[o]);
            for (std::size_t r = 0; r < o; ++r) {
                const double c = work[r];
                if (c == 0) continue;
                const std::vector<double>& row = window[r];
                if (r + row.size() >= len) sl::OutOfBand(i);
                if (o - r - 1 < row.size()) behind += std::fabs(static_cast<Extended>(c) * row[o - r - 1]);
                sl::SubtractScaled(work.data() + r + 1, row.data(), c, row.size());  // w −= c·u(row k+r)
                b[i] = static_cast<double>(b[i] - static_cast<Extended>(b[k + r]) * c);
            }
            const double d = work[o];
            test.Check(i, d, behind);
            std::vector<double> row = newRow(static_cast<std::size_t>(widths[i]));
            for (std::size_t t = 0; t < row.size(); ++t) row[t] = work[o + 1 + t] / d;
            b[i] = b[i] / d;
            window.push_back(std::move(row));
            progress_.StepProgress();
            ++i;
        }
        if (i < n) {
            // Row k is final: its upper part goes to the file (if any), and
            // Widths(k) becomes the number of values written for it.
            std::vector<double>& head = window.front();
            if (!head.empty()) {
                marks[k] = static_cast<std::int64_t>(file.Records());
                file.Append(head.data(), head.size());
            }
            widths[k] = static_cast<std::int64_t>(head.size());
            spare.push_back(std::move(head));
            window.pop_front();
            ++k;
        }
    }
    file.Flush();
    smallestPivot_ = test.Smallest();

    // 3. Back substitution: the window rows, then the written rows.
    progress_.BeginStage("Обратный ход");
    for (std::size_t g = n; g-- > k;) {
        const std::vector<double>& row = window[g - k];
        Extended s = b[g];
        for (std::size_t t = 1; t <= row.size(); ++t) s += static_cast<Extended>(row[t - 1]) * b[g + t];
        b[g] = static_cast<double>(-s);
        window.pop_back();
        progress_.StepProgress();
    }
    std::vector<Extended> rec;
    for (std::size_t g = k; g-- > 0;) {
        Extended s = b[g];
        const std::size_t len = static_cast<std::size_t>(widths[g]);
        if (len > 0) {
            rec.resize(len);
            file.Read(static_cast<std::uint64_t>(marks[g]), len, rec.data());
            for (std::size_t t = 1; t <= len; ++t) s += rec[t - 1] * b[g + t];
        }
        b[g] = static_cast<double>(-s);
        progress_.StepProgress();
    }
    CloseTempFile();
    StoreSolution(b);
}

}  // namespace zem
