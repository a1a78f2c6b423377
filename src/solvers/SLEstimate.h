// What a solution method costs before it runs: the memory its matrix and
// vectors need and the order of its arithmetic, from the number of unknowns
// N and the half band width m (DetermineBandWidth), measured against the
// memory the machine has available; and the default method and real type
// for a problem of a given size.
//
// The figures are estimates of order, good to a factor of about two: they
// decide whether a method can run at all and which method is the fastest
// that fits, not how long a solution takes to the second.
#pragma once

#include "solvers/Matrises.h"
#include "solvers/SLCLass.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace zem {

struct TSolverEstimate {
    int Method = 0;
    std::size_t Unknowns = 0;
    std::size_t HalfBand = 0;
    std::uint64_t MemoryBytes = 0;     // the method's matrix, vectors and work space
    double Operations = 0;             // arithmetic operations, order of magnitude
    std::uint64_t AvailableBytes = 0;  // what the machine has available now
    bool Fits = true;                  // MemoryBytes <= AvailableBytes
    // The fastest method that fits (Method itself when nothing fitting is
    // faster), or −1 when no method fits; and the memory it needs.
    int Suggested = -1;
    std::uint64_t SuggestedBytes = 0;
};

// Memory (bytes) and operation count of Method for N unknowns and half band
// M in real type RealType. Methods 0–4, 9 and 10 keep their numbers in the
// real type (16 bytes for extended), the others in doubles.
std::uint64_t SolverMemory(int method, std::size_t n, std::size_t m, TRealType realType);
double SolverOperations(int method, std::size_t n, std::size_t m, TRealType realType);

// The estimate of Method against Available bytes, or against the machine's
// available memory.
TSolverEstimate EstimateSolver(int method, std::size_t n, std::size_t m, TRealType realType,
                               std::uint64_t available);
TSolverEstimate EstimateSolver(int method, std::size_t n, std::size_t m, TRealType realType);

// The memory the machine can give a calculation now: the smallest of the
// operating system's available memory, what the address-space limit of the
// process (ulimit -v) leaves beside what it has mapped, what the memory
// limit of its control group (v2 memory.max, v1 memory.limit_in_bytes, less
// the usage) leaves, and the cap set by SetMemoryLimit. Unknown (no figure
// and no limit) counts as unlimited.
std::uint64_t AvailableMemory();
// Caps AvailableMemory for the calculations that follow (none: no cap).
void SetMemoryLimit(std::optional<std::uint64_t> bytes);
// A size as the user types it: a whole number of bytes, or with K, M, G or
// T (KB, KiB... alike, letter case ignored) for powers of 1024; none for
// anything else, zero or a size beyond 2^63.
std::optional<std::uint64_t> ParseMemorySize(const std::string& text);

// "512 КБ", "120 МБ", "8,6 ГБ".
std::string MemoryText(std::uint64_t bytes);

// The refusal "Недостаточно памяти для решения СЛАУ порядка N: ..." with the
// method's need, the available memory and the suggested method, for an
// estimate that does not fit.
std::string NotEnoughMemoryText(const TSolverEstimate& e);

// The default method for a new problem: the band method for one-dimensional
// (axisymmetric) problems and small systems, the sparse direct method for
// two-dimensional problems above kSparseDefaultUnknowns unknowns, and the
// harmonic method instead for those whose system repeats round a closed
// circumference (Circulant); a method that does not fit the available
// memory is replaced by the fastest that does, and so is the band method of
// a one-dimensional problem whose band is wide (a closed ring) when another
// is ten times faster.
constexpr std::size_t kSparseDefaultUnknowns = 3000;
int DefaultSLAEMethod(std::size_t n, std::size_t m, bool twoDimensional, bool circulant = false);
// The default real type for Method: "EXTENDED" unless extended arithmetic
// would make the method markedly slow (a band elimination of more than
// about 10^9 operations), then "DOUBLE".
int DefaultRealType(int method, std::size_t n, std::size_t m);

// The half band width of the system, as DetermineBandWidth finds it, without
// stages or log lines. With Progress, a stopped calculation raises
// EBreakCalcule within a thousand rows.
std::size_t HalfBandWidth(std::size_t n, const TGetRow& getRow, const TProgress* progress = nullptr);

}  // namespace zem
