#include "solvers/SLEstimate.h"

#include "platform/errors.h"
#include "solvers/SLHarmonic.h"
#include "platform/progress.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <limits>

#include <sys/resource.h>
#include <unistd.h>

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

namespace {

// The first number in file Path, or none (also for "max").
std::optional<std::uint64_t> NumberInFile(const std::string& path) {
    std::ifstream in(path);
    std::uint64_t value = 0;
    if (in >> value) return value;
    return std::nullopt;
}

// The path of this process's cgroup in the hierarchy whose controllers
// include Controller (v1), or of the unified hierarchy ("0::", v2).
std::optional<std::string> CgroupPath(const std::string& controller) {
    std::ifstream in("/proc/self/cgroup");
    std::string line;
    while (std::getline(in, line)) {
        const std::size_t a = line.find(':'), b = a == std::string::npos ? a : line.find(':', a + 1);
        if (b == std::string::npos) continue;
        const std::string list = line.substr(a + 1, b - a - 1), path = line.substr(b + 1);
        if (controller.empty() ? line.compare(0, 3, "0::") == 0 : ("," + list + ",").find("," + controller + ",") != std::string::npos)
            return path;
    }
    return std::nullopt;
}

// What the cgroup memory limit leaves: the limit less the usage, for the
// process's group and every group above it (v2), or the v1 memory group.
std::uint64_t CgroupRoom() {
    std::uint64_t room = kUnlimited;
    auto take = [&room](const std::optional<std::uint64_t>& limit, const std::optional<std::uint64_t>& usage) {
        // v1 writes a page-rounded huge number for "no limit".
        if (!limit || *limit >= (std::uint64_t{1} << 62)) return;
        const std::uint64_t used = usage.value_or(0);
        room = std::min(room, *limit > used ? *limit - used : 0);
    };
    if (const auto v2 = CgroupPath("")) {
        for (std::filesystem::path dir = "/sys/fs/cgroup" + *v2;; dir = dir.parent_path()) {
            take(NumberInFile((dir / "memory.max").string()), NumberInFile((dir / "memory.current").string()));
            if (dir.string().size() <= std::string("/sys/fs/cgroup").size() || !dir.has_parent_path()) break;
        }
    }
    if (const auto v1 = CgroupPath("memory")) {
        const std::string dir = "/sys/fs/cgroup/memory" + *v1;
        take(NumberInFile(dir + "/memory.limit_in_bytes"), NumberInFile(dir + "/memory.usage_in_bytes"));
    }
    return room;
}

// What the address-space limit (ulimit -v) leaves beside what the process
// has mapped already.
std::uint64_t AddressSpaceRoom() {
    rlimit limit{};
    if (getrlimit(RLIMIT_AS, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) return kUnlimited;
    const std::uint64_t pages = NumberInFile("/proc/self/statm").value_or(0);
    const std::uint64_t mapped = pages * static_cast<std::uint64_t>(sysconf(_SC_PAGESIZE));
    const std::uint64_t cap = static_cast<std::uint64_t>(limit.rlim_cur);
    return cap > mapped ? cap - mapped : 0;
}

}  // namespace

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
    available = std::min({available, AddressSpaceRoom(), CgroupRoom()});
    const std::uint64_t limit = gMemoryLimit.load();
    return limit ? std::min(available, limit) : available;
}

std::optional<std::uint64_t> ParseMemorySize(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) ++i;
    if (i == 0 || i > 15) return std::nullopt;
    std::uint64_t value = std::stoull(text.substr(0, i));
    std::string unit = text.substr(i);
    for (char& c : unit) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (unit.size() == 3 && unit.compare(1, 2, "IB") == 0)
        unit.resize(1);
    else if (unit.size() == 2 && unit[1] == 'B')
        unit.resize(1);
    int shift = 0;
    if (unit == "K") shift = 10;
    else if (unit == "M") shift = 20;
    else if (unit == "G") shift = 30;
    else if (unit == "T") shift = 40;
    else if (!unit.empty() && unit != "B") return std::nullopt;
    if (value == 0 || value > (kUnlimited >> (shift + 1))) return std::nullopt;
    return value << shift;
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
    if (!e.Fits) return e.Suggested < 0 ? method : e.Suggested;
    // A closed ring couples its last nodes with its first and every node
    // with its rigid-body conditions: its band is the whole matrix, and the
    // band method would take hours and gigabytes where the sparse one takes
    // seconds.
    if (!twoDimensional && e.Suggested >= 0 && e.Suggested != method &&
        10 * SolverOperations(e.Suggested, n, m, rtExtended) < e.Operations)
        return e.Suggested;
    return method;
}

int DefaultRealType(int method, std::size_t n, std::size_t m) {
    if (KeepsRealType(method) && SolverOperations(method, n, m, rtDouble) > 1e9) return rtDouble;
    return rtExtended;
}

std::size_t HalfBandWidth(std::size_t n, const TGetRow& getRow, const TProgress* progress) {
    std::size_t m = 0;
    TRowItems items;
    Extended b = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (progress && i % 1024 == 0 && !progress->Running()) throw EBreakCalcule();
        TSLAE::PullRow(getRow, n, i, items, b);
        const std::size_t first = items.front().Col, last = items.back().Col;
        m = std::max({m, i - std::min(i, first), last - std::min(last, i)});
    }
    return m;
}

}  // namespace zem
