// The harmonic method: a system whose matrix repeats itself around a closed
// circumference, solved one circumferential harmonic at a time.
//
// The unknowns lie on lines l = 0 .. L−1 (a node line along the axis times a
// component, and, where a span has a finer circumferential mesh than the
// coarsest one, the nodes between two of its rotations) and cells
// q = 0 .. G−1 around the circumference: unknown (l, q) is Base[l] +
// q·Stride[l]; the rows lie on as many row lines, in the same cells. When
// the row of (l, q) is the row of (l, 0) with every column (l', q') moved
// to (l', q' + q mod G), a discrete Fourier transform in q
// turns the system into G/2 + 1 independent banded systems of order L. Only
// the rows of cell 0 are pulled with their coefficients; every other row is
// asked for its free term alone, its coefficients passing through a sink
// that checks them against the shifted rows of cell 0 (where the problem
// gives free terms without computing the coefficients, the rows of a few
// cells in every line are checked so). A row that is not
// the image of its cell-0 row is a refusal with the row's name and the
// method that applies, never a different answer; one that differs from it
// by rounding only is kept as pulled, and the refinement against the rows
// as they are solves it exactly. A few rows that repeat in no line (a row
// fixing a mean value round the circumference, as a shell free to slide or
// turn has) take the place of one equation of a line each: harmonic 0 is
// solved with those rows in place of the displaced equations, whose
// residuals then join the other harmonics' loads.
//
// Stages "Формирование матрицы", "Преобразование нагрузки", "Разложение по
// гармоникам" (one progress step per harmonic; a stop takes effect between
// two), "Уточнение решения" (against the 80-bit coefficients: in the
// extended real type until the correction stops shrinking, in double once).
#pragma once

#include "solvers/SLCLass.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zem {

constexpr int kHarmonicMethod = 12;
// At most so many rows may stand outside the repeating lines.
constexpr std::size_t kMaxHarmonicOddRows = 8;

// Receives the coefficients of a row whose free term alone is asked for.
using TCoefSink = std::function<void(std::size_t col, Extended value)>;

// Where the unknowns of a system lie around its circumference, and how the
// problem answers for single rows; made by the problem (HarmonicLayout).
struct THarmonicLayout {
    std::size_t Period = 0;            // G
    std::vector<std::size_t> Base;     // unknown of line l in cell 0
    std::vector<std::size_t> Stride;   // from cell q to cell q + 1 of line l
    // The rows by line and cell: the row of row line l in cell q at
    // [l·G + q]. A problem may number its rows otherwise than its unknowns;
    // there are as many row lines as lines of unknowns.
    std::vector<std::size_t> RowOf;
    // Rows that repeat in no line (a row fixing a mean value round the
    // circumference), each standing in the place of the missing row of a
    // repeating line: OddRows[i] in slot Holes[i] (l·G + q), where RowOf
    // holds kNoRow. An odd row must have one coefficient for every cell of
    // each line it touches, so that it sees harmonic 0 alone.
    static constexpr std::size_t kNoRow = static_cast<std::size_t>(-1);
    std::vector<std::size_t> OddRows, Holes;
    // The free term of row R; the coefficients go to Sink, not into a row.
    std::function<Extended(std::size_t row, const TCoefSink& sink)> FreeTerm;
    // The free term of row R without its coefficients being computed, where
    // the problem can give it: the method then compares the coefficients of
    // a few cells' rows in every line (and of the whole line where one of
    // them is not the exact image of its cell-0 row) and asks the other
    // rows for their free terms alone.
    std::function<Extended(std::size_t row)> FreeTermAlone;
    // The name of the equation of row R, for the refusal.
    std::function<std::string(std::size_t row)> RowName;
    // Why the system cannot be circulant, found before any row is written
    // (no closed circumference, an uneven circumferential mesh); empty when
    // nothing speaks against it.
    std::string Refusal;
};

// "Гармонический метод неприменим: <reason>. Подходит метод «...»".
std::string HarmonicRefusalText(const std::string& reason);

// Memory of the method for N unknowns on L lines with a band of Kl below
// and Ku above the diagonal, and its operation count.
std::uint64_t HarmonicMemory(std::size_t n, std::size_t lines, std::size_t kl, std::size_t ku);
double HarmonicOperations(std::size_t n, std::size_t lines, std::size_t kl, std::size_t ku);
// The band of the line systems of the program's shells, for an estimate
// made before the rows are seen.
constexpr std::size_t kTypicalHarmonicBand = 12;

// 12: the harmonic method.
class THarmonicSolver : public TSLAE {
public:
    static constexpr int kMaxRefinementSteps = 10;
    // A line factorisation whose smallest pivot is below this share of the
    // largest (rows scaled to a largest coefficient of 1) is singular.
    static constexpr double kSingularPivot = 1e-14;
    // A row whose coefficients differ from its cell-0 image by at most this
    // share of its largest (rounding in an interpolation weight) is solved
    // through the refinement; a larger difference is a refusal.
    static constexpr double kNearlyRepeating = 1e-12;

    THarmonicSolver(std::size_t n, TGetRow getRow, TProgress& progress)
        : TSLAE(n, std::move(getRow), progress, false) {}
    std::string GetMethodName() const override { return SLAEMethodNames()[kHarmonicMethod]; }

    // The layout the solution uses; without one the method refuses.
    void SetLayout(THarmonicLayout layout) { layout_ = std::make_unique<THarmonicLayout>(std::move(layout)); }
    const THarmonicLayout* Layout() const { return layout_.get(); }
    // Threads factoring the harmonics (0: one per processor).
    unsigned Threads = 0;

    // Of the last solution: the line count, the half bands, the harmonics
    // factored, the rows pulled with their coefficients, the refinement
    // steps and the last correction relative to max |x|.
    std::size_t Lines() const { return lines_; }
    std::size_t LowerBand() const { return kl_; }
    std::size_t UpperBand() const { return ku_; }
    std::size_t HarmonicsFactored() const { return factored_; }
    std::size_t RowsPulled() const { return pulled_; }
    // Rows that repeat their cell-0 row only up to rounding.
    std::size_t NearlyRepeatingRows() const { return exceptionRow_.size(); }
    int RefinementSteps() const { return refinementSteps_; }
    double LastCorrection() const { return lastCorrection_; }
    // Bytes of the factors of the last solution.
    std::uint64_t FactorBytes() const { return factorBytes_; }

protected:
    void SolveSystem() override;

private:
    std::unique_ptr<THarmonicLayout> layout_;
    std::size_t lines_ = 0, kl_ = 0, ku_ = 0, factored_ = 0, pulled_ = 0;
    int refinementSteps_ = 0;
    double lastCorrection_ = 0;
    std::uint64_t factorBytes_ = 0;
    // The nearly repeating rows as pulled: row ExceptionRow[e] is
    // ExceptionItems[ExceptionStart[e] .. ExceptionStart[e + 1]).
    std::vector<std::size_t> exceptionRow_, exceptionStart_;
    TRowItems exceptionItems_;
};

}  // namespace zem
