// What the solver benchmarks share: CPU time and resident memory of the
// process, a progress log that notes when each stage begins, a system
// exported from a problem (every row with its 80-bit coefficients, handed
// out again as rows), UMFPACK with its METIS ordering called directly on
// it, and the largest difference of two solutions relative to the second.
#pragma once

#include "platform/progress.h"
#include "problem/Problems.h"
#include "solvers/SLCLass.h"

#include <umfpack.h>

#include <algorithm>
#include <cmath>
#include <ctime>
#include <fstream>
#include <malloc.h>
#include <numeric>
#include <string>
#include <utility>
#include <vector>

namespace zem::bench {

using Index = SuiteSparse_long;

inline double CpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

inline double StatusMB(const std::string& key) {
    std::ifstream in("/proc/self/status");
    std::string k, rest;
    double kb = 0;
    while (in >> k) {
        if (k == key) {
            in >> kb;
            return kb / 1024;
        }
        std::getline(in, rest);
    }
    return 0;
}

// Returns the resident size now, after resetting the peak to it.
inline double ResetPeakMB() {
    malloc_trim(0);
    std::ofstream("/proc/self/clear_refs") << "5";
    return StatusMB("VmRSS:");
}

inline double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

template <class V1, class V2>
double RelError(const V1& x, const V2& ref) {
    long double d = 0, scale = 0;
    for (std::size_t i = 0; i < ref.size(); ++i) {
        d = std::max(d, std::fabs(static_cast<long double>(x[i]) - static_cast<long double>(ref[i])));
        scale = std::max(scale, std::fabs(static_cast<long double>(ref[i])));
    }
    return static_cast<double>(d / scale);
}

// The progress log that notes the CPU time at which every stage begins
// (the end of a calculation, "Расчет закончен", is one more).
class TStageClock : public TProgressLog {
public:
    void BeginStage(const std::string& name) override {
        TProgressLog::BeginStage(name);
        marks.emplace_back(name, CpuSeconds());
    }
    // CPU seconds from the start of stage Name to the start of the next one
    // (or to End).
    double StageSeconds(const std::string& name, double end) const {
        for (std::size_t k = 0; k < marks.size(); ++k)
            if (marks[k].first == name) return (k + 1 < marks.size() ? marks[k + 1].second : end) - marks[k].second;
        return 0;
    }
    std::vector<std::pair<std::string, double>> marks;
};

struct TSystem {
    std::size_t n = 0;
    std::vector<Index> rowStart, cols;
    std::vector<Extended> vals, b;

    TGetRow Provider() const {
        return [this](std::size_t i, TRowItems& items, Extended& f) {
            items.clear();
            for (Index k = rowStart[i]; k < rowStart[i + 1]; ++k)
                items.push_back(TListItem{static_cast<std::size_t>(cols[k]), vals[k]});
            f = b[i];
        };
    }
};

inline void Export(TProblem& p, TSystem& s) {
    p.BuildEquations();
    s.n = p.UnknownCount();
    s.rowStart.assign(s.n + 1, 0);
    s.b.resize(s.n);
    TRowItems items;
    for (std::size_t i = 0; i < s.n; ++i) {
        s.b[i] = p.GetRow(i, items);
        for (const TListItem& it : items) {
            if (it.Value == 0) continue;
            s.cols.push_back(static_cast<Index>(it.Col));
            s.vals.push_back(it.Value);
        }
        s.rowStart[i + 1] = static_cast<Index>(s.cols.size());
    }
}

inline TSystem Export(TProblem& p) {
    TSystem s;
    Export(p, s);
    return s;
}

// The solution of A·x + b = 0 by UMFPACK (compressed columns in doubles,
// METIS ordering, the default refinement); NaN where it fails.
inline std::vector<double> SolveDirect(const TSystem& s) {
    const std::size_t n = s.n, nnz = s.cols.size();
    std::vector<Index> ap(n + 1, 0), ai(nnz);
    std::vector<double> ax(nnz), rhs(n), x(n);
    for (Index c : s.cols) ++ap[static_cast<std::size_t>(c) + 1];
    std::partial_sum(ap.begin(), ap.end(), ap.begin());
    std::vector<Index> next(ap.begin(), ap.end() - 1);
    for (std::size_t i = 0; i < n; ++i)
        for (Index k = s.rowStart[i]; k < s.rowStart[i + 1]; ++k) {
            const Index p = next[static_cast<std::size_t>(s.cols[k])]++;
            ai[p] = static_cast<Index>(i);
            ax[p] = static_cast<double>(s.vals[k]);
        }
    for (std::size_t i = 0; i < n; ++i) rhs[i] = -static_cast<double>(s.b[i]);
    double control[UMFPACK_CONTROL], info[UMFPACK_INFO];
    umfpack_dl_defaults(control);
    control[UMFPACK_ORDERING] = UMFPACK_ORDERING_METIS;
    void *symbolic = nullptr, *numeric = nullptr;
    const Index nn = static_cast<Index>(n);
    if (umfpack_dl_symbolic(nn, nn, ap.data(), ai.data(), ax.data(), &symbolic, control, info) != UMFPACK_OK ||
        umfpack_dl_numeric(ap.data(), ai.data(), ax.data(), symbolic, &numeric, control, info) != UMFPACK_OK ||
        umfpack_dl_solve(UMFPACK_A, ap.data(), ai.data(), ax.data(), x.data(), rhs.data(), numeric, control,
                         info) != UMFPACK_OK)
        x.assign(n, NAN);
    umfpack_dl_free_numeric(&numeric);
    umfpack_dl_free_symbolic(&symbolic);
    return x;
}

}  // namespace zem::bench
