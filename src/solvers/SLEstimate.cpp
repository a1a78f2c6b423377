#include "solvers/SLEstimate.h"

#include "platform/errors.h"
#include "solvers/SLHarmonic.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>

namespace zem {

namespace {

std::atomic<std::uint64_t> gMemoryLimit{0};  // 0: no limit

constexpr std::uint64_t kUnlimited = std::numeric_limits<std::uint64_t>::max();

bool KeepsRealType(int method) { return (method >= 0 && method <= 4) || method == 9 || method == 10; }

double Bytes(double v) { return std::min(v, 1.8e19); }

}  // namespace

std::uint64_t SolverMemory(int method, std::size_t n, std::size_t m, TRealType realType) {
    const double N = static_cast<double>(n), M = static_cast<double>(std::min(m, n ? n - 1 : 0));
    const double s = KeepsRealType(method) && realType == rtExtended ? sizeof(Extended) : sizeof(double);
    const double x = N * sizeof(Extended);  // the solution vector
    double need = 0;
    switch (method) {
        case 0:
        case 1: need = N * N * s + N * (s + sizeof(void*)); break;
        case 5:
        case 8: need = N * N * 8 + N * (8 + sizeof(void*)); break;
        case 2: need = N * (2 * M + 1) * s + N * s + N * std::min(2 * M + 1, 40.0) * sizeof(TListItem); break;
        case 3:
        case 4: need = (M + 1) * (2 * M + 1) * s + N * s; break;
        case 6: need = (M + 1) * (M + 2) * 8 + N * 8; break;
        case 7: need = (M + 1) * (M + 2) * 8 + N * 14; break;
        case 9:
        case 10: need = N * s; break;
        case kSparseMethod: {
            // The compressed matrix (pattern, doubles for the factorisation,
            // the coefficients as pulled for the residuals) and the factors:
            // band-like fill for narrow systems, nested-dissection fill
            // (about N log N) for wide ones.
            const double perRow = std::min(2 * M + 1, 40.0);
            const double input = N * perRow * (8 + 8 + 8 + sizeof(Extended));
            const double factors = std::min(N * (2 * M + 1) * 12, 250 * N * std::log2(N + 2));
            need = input + factors + N * 64;
            break;
        }
        case kHarmonicMethod:
            // Lines and band as the program's closed shells have them.
            return HarmonicMemory(n, std::max<std::size_t>(n / 64, 1), kTypicalHarmonicBand, kTypicalHarmonicBand);
        default: throw ZemError("Неизвестный метод решения СЛАУ: " + std::to_string(method));
    }
    return static_cast<std::uint64_t>(Bytes(need + x));
}

double SolverOperations(int method, std::size_t n, std::size_t m, TRealType realType) {
    const double N = static_cast<double>(n), M = static_cast<double>(std::min(m, n ? n - 1 : 0));
    // The x87 unit runs extended arithmetic at about a tenth of the double speed.
    const double slow = KeepsRealType(method) && realType == rtExtended ? 10 : 1;
    double ops = 0;
    switch (method) {
        case 0:
        case 1:
        case 5:
        case 8: ops = N * N * std::max(M, 1.0) + N * N; break;  // rows below a pivot are mostly skipped
        case 2: ops = 2 * N * M * M + 10 * N; break;
        case 3:
        case 4:
        case 6: ops = 2 * N * M * M + 40 * N; break;  // plus the file traffic
        case 7: ops = 1.3 * N * M * M + 40 * N; break;
        case 9:
        case 10: ops = 10 * N * N; break;  // sweeps grow with the mesh
        case kSparseMethod:
            // Ordering and analysis cost some thousand operations per unknown.
            ops = std::min(3 * N * M * M, 60 * N * std::sqrt(N)) + 2000 * N;
            if (realType == rtExtended) ops *= 1.15;  // refinement against the 80-bit coefficients
            break;
        case kHarmonicMethod:
            return HarmonicOperations(n, std::max<std::size_t>(n / 64, 1), kTypicalHarmonicBand, kTypicalHarmonicBand);
        default: throw ZemError("Неизвестный метод решения СЛАУ: " + std::to_string(method));
    }
    return ops * slow;
}

TSolverEstimate EstimateSolver(int method, std::size_t n, std::size_t m, TRealType realType,
                               std::uint64_t available) {
    TSolverEstimate e;
    e.Method = method;
    e.Unknowns = n;
    e.HalfBand = m;
    e.MemoryBytes = SolverMemory(method, n, m, realType);
    e.Operations = SolverOperations(method, n, m, realType);
    e.AvailableBytes = available;
    e.Fits = e.MemoryBytes <= available;
    // The fastest direct method that fits, of those that keep extended
    // precision when that was asked for; the iterations only when none does.
    double best = 0;
    for (bool exact : {true, false}) {
        for (int k = 0; k < kSLAEMethodCount; ++k) {
            // The harmonic method suits only systems that repeat round a
            // circumference, which N and m do not tell.
            if (k == 9 || k == 10 || k == kHarmonicMethod) continue;
            if (exact && realType == rtExtended && !KeepsRealType(k) && k != kSparseMethod) continue;
            if (SolverMemory(k, n, m, realType) > available) continue;
            const double ops = SolverOperations(k, n, m, realType);
            if (e.Suggested < 0 || ops < best) e.Suggested = k, best = ops;
        }
        if (e.Suggested >= 0) break;
    }
    if (e.Fits && e.Suggested >= 0 && SolverOperations(method, n, m, realType) <= best) e.Suggested = method;
    if (e.Suggested < 0 && SolverMemory(9, n, m, realType) <= available) e.Suggested = 9;
    if (e.Suggested >= 0) e.SuggestedBytes = SolverMemory(e.Suggested, n, m, realType);
    return e;
}

TSolverEstimate EstimateSolver(int method, std::size_t n, std::size_t m, TRealType realType) {
    return EstimateSolver(method, n, m, realType, AvailableMemory());
}

std::uint64_t AvailableMemory() {
    std::uint64_t available = kUnlimited;
    std::ifstream in("/proc/meminfo");
    std::string key;
    std::uint64_t value = 0;
    std::string unit;
    while (in >> key >> value) {
        std::getline(in, unit);
        if (key == "MemAvailable:") {
            available = value * 1024;
            break;
        }
    }
    const std::uint64_t limit = gMemoryLimit.load();
    return limit ? std::min(available, limit) : available;
}

void SetMemoryLimit(std::optional<std::uint64_t> bytes) { gMemoryLimit.store(bytes ? std::max<std::uint64_t>(*bytes, 1) : 0); }

std::string MemoryText(std::uint64_t bytes) {
    const double b = static_cast<double>(bytes);
    char text[64];
    if (b >= 1024.0 * 1024 * 1024) {
        std::snprintf(text, sizeof text, "%.1f ГБ", b / (1024.0 * 1024 * 1024));
    } else if (b >= 1024.0 * 1024) {
        std::snprintf(text, sizeof text, "%.0f МБ", b / (1024.0 * 1024));
    } else {
        std::snprintf(text, sizeof text, "%.0f КБ", std::ceil(b / 1024.0));
    }
    std::string s = text;
    std::replace(s.begin(), s.end(), '.', ',');
    return s;
}

std::string NotEnoughMemoryText(const TSolverEstimate& e) {
    const std::vector<std::string>& names = SLAEMethodNames();
    std::string s = "Недостаточно памяти для решения СЛАУ порядка " + std::to_string(e.Unknowns) + ": метод «" +
                    names.at(static_cast<std::size_t>(e.Method)) + "» требует около " + MemoryText(e.MemoryBytes) +
                    ", доступно " + MemoryText(e.AvailableBytes) + ".";
    if (e.Suggested >= 0 && e.Suggested != e.Method)
        s += " Умещается метод «" + names[static_cast<std::size_t>(e.Suggested)] + "» (около " +
             MemoryText(e.SuggestedBytes) + ")";
    else
        s += " Ни один метод решения не умещается в доступной памяти";
    return s;
}

int DefaultSLAEMethod(std::size_t n, std::size_t m, bool twoDimensional, bool circulant) {
    const int method = !twoDimensional || n <= kSparseDefaultUnknowns ? 2 : circulant ? kHarmonicMethod : kSparseMethod;
    const TSolverEstimate e = EstimateSolver(method, n, m, rtExtended);
    return e.Fits || e.Suggested < 0 ? method : e.Suggested;
}

int DefaultRealType(int method, std::size_t n, std::size_t m) {
    if (KeepsRealType(method) && SolverOperations(method, n, m, rtDouble) > 1e9) return rtDouble;
    return rtExtended;
}

std::size_t HalfBandWidth(std::size_t n, const TGetRow& getRow) {
    std::size_t m = 0;
    TRowItems items;
    Extended b = 0;
    for (std::size_t i = 0; i < n; ++i) {
        TSLAE::PullRow(getRow, n, i, items, b);
        const std::size_t first = items.front().Col, last = items.back().Col;
        m = std::max({m, i - std::min(i, first), last - std::min(last, i)});
    }
    return m;
}

}  // namespace zem
