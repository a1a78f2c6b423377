// Solvers of the linear algebraic system ("СЛАУ") of a problem.
//
// Row i of the system is the equation  Σ_j a(i,j)·x(j) + b(i) = 0,  so the
// solution is x = −A⁻¹·b. A solver never sees the mesh: it pulls row i from
// the row provider as a list of (column, coefficient) items sorted by column
// with no two items of one column, plus the free term b(i); the provider must
// give the same row each time it is asked.
//
// Thirteen methods, created by their index in SLAEMethodNames() (the
// "SLAEMethod" setting) through NewSolver:
//   0 TDGaus      full matrix                    5 TDAGaus   full matrix of double rows
//   1 TDMainGaus  full matrix, partial pivoting  6 TDAOGaus  normalised band window, doubles, file
//   2 TBGaus      band of 2m+1                   7 TVBGaus   profile window, file
//   3 TLGaus      band window of m+1 rows, file  8 TAGaus    one N×N block of doubles
//   4 TOGaus      normalised band window, file   9 TZejdel   Gauss–Seidel iteration
//                                               10 TSecRelax successive relaxation
//                                               11 TSparseLU sparse LU, nested dissection
// Methods 0–4 and 9–12 keep the solution X in the real type of the
// calculation (the real type current on the creating thread: double for
// "REAL"/"DOUBLE", 80-bit extended for "EXTENDED"), methods 0–4, 9 and 10
// their matrix and free terms too; the others work in doubles. X and every
// matrix are contiguous, so reading the solution costs the same whatever
// the method.
//
// Before a method allocates its matrix, Solve compares the memory it needs
// (SolverEstimate) with what the machine has available and refuses with
// "Недостаточно памяти для решения СЛАУ порядка N", the figures and the
// fastest method that fits.
//
// The file-backed methods (3, 4, 6, 7) write the finished rows to "matr.tmp"
// or "SLFile.tmp" in a private temporary directory of the solution, removed
// when Solve ends, whether normally, by an error or by a stop.
//
// Failures: every progress step raises EBreakCalcule when the calculation is
// stopped; a zero pivot or diagonal, a singular matrix, a row that breaks the
// provider's contract, an iteration that diverges or does not converge, and
// a solution with a non-finite value raise ZemError with a Russian message.
// Row numbers in messages count from 1, as the linear-system table shows them.
#pragma once

#include "platform/extended.h"
#include "platform/object.h"
#include "platform/progress.h"
#include "solvers/Matrises.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zem {

class TRecordFile;
class TSLTempDir;

// One coefficient of a row: its column (0-based) and value.
struct TListItem {
    std::size_t Col = 0;
    Extended Value = 0;
};
using TRowItems = std::vector<TListItem>;

// Fills Items with row Row (sorted by column, one item per column) and sets
// FreeTerm to b(Row).
using TGetRow = std::function<void(std::size_t row, TRowItems& items, Extended& freeTerm)>;

constexpr int kSLAEMethodCount = 13;
constexpr int kSparseMethod = 11;
// The thirteen method names in index order, byte for byte as the settings and
// the log show them.
const std::vector<std::string>& SLAEMethodNames();

// The abstract solver. Use: NewSolver, Prepare, Solve, then X.
class TSLAE : public TObject {
public:
    ~TSLAE() override;

    virtual std::string GetMethodName() const = 0;
    // Starts the progress (StartCalculation with N), logs the method name and
    // "Порядок системы: N". Band methods also determine the band width.
    virtual void Prepare();
    // Assembles and solves the system; X then holds the solution. Prepare is
    // run first when it was not.
    void Solve();

    bool Solved() const { return solved_; }
    std::size_t N() const { return n_; }
    // The N free terms before Solve, the solution after it; also the vector a
    // results file is loaded into.
    TLineItem& X() { return *x_; }
    const TLineItem& X() const { return *x_; }
    const TGetRow& GetRow() const { return getRow_; }
    TProgress& Progress() const { return progress_; }
    TRealType RealType() const { return realType_; }

    // File-backed methods: bytes written to the temporary file by the last
    // solution, and the private directory it was in (gone once Solve ends).
    std::uint64_t TempFileBytes() const { return tempBytes_; }
    const std::filesystem::path& TempDirectory() const { return lastTempDir_; }

    // Calls the provider for row I and checks the row's contract: not empty,
    // columns ascending, inside the system. Raises ZemError otherwise.
    static void PullRow(const TGetRow& getRow, std::size_t n, std::size_t i, TRowItems& items,
                        Extended& freeTerm);

    // Direct methods: the smallest pivot of the last solution relative to
    // the magnitude of the numbers it was computed from (1 when nothing
    // cancelled). A singular system is refused when this falls to the
    // rounding of the elimination.
    Extended SmallestPivotShare() const { return smallestPivot_; }

    // The half band width when the method has determined it (band methods
    // after Prepare), otherwise none.
    virtual std::optional<std::size_t> KnownHalfBand() const { return std::nullopt; }

protected:
    // ArrayX: X is an array row of doubles; otherwise a row of the real type.
    TSLAE(std::size_t n, TGetRow getRow, TProgress& progress, bool arrayX);

    virtual void SolveSystem() = 0;
    // Refuses with ZemError, before anything large is allocated, when the
    // method's matrix cannot fit in the available memory.
    void CheckMemory();
    void PullRow(std::size_t i, TRowItems& items, Extended& freeTerm) const {
        PullRow(getRow_, n_, i, items, freeTerm);
    }
    // Checks that every value is finite and copies them into X.
    template <class T>
    void StoreSolution(const std::vector<T>& x);

    // The temporary file of a file-backed method, created empty in a new
    // private directory; removed by CloseTempFile.
    TRecordFile& OpenTempFile(const std::string& name);
    TRecordFile& TempFile() { return *tempFile_; }
    void CloseTempFile() noexcept;

    std::size_t n_;
    TGetRow getRow_;
    TProgress& progress_;
    TRealType realType_;
    std::unique_ptr<TLineItem> x_;
    bool prepared_ = false;
    bool solved_ = false;
    Extended smallestPivot_ = 1;

private:
    std::unique_ptr<TSLTempDir> tempDir_;
    std::unique_ptr<TRecordFile> tempFile_;
    std::uint64_t tempBytes_ = 0;
    std::filesystem::path lastTempDir_;
};

// Creates the solver of method Index (0..12) for N unknowns; another index
// raises ZemError.
std::unique_ptr<TSLAE> NewSolver(int index, std::size_t n, TGetRow getRow, TProgress& progress);

// Rows kept as they were pulled, so that a method needs one pass only:
// row i is Items[Start[i] .. Start[i+1]) with free term B[i].
struct TRowStore {
    std::vector<std::size_t> Start;
    TRowItems Items;
    std::vector<Extended> B;
    bool Empty() const { return B.empty(); }
    void Clear() { *this = TRowStore(); }
};

// Stage "Определение ширины ленты": the half band width m, the largest
// distance of a row's first or last column from its diagonal; logs
// "Ширина ленты: 2m+1". With Keep, the rows pulled are kept there.
std::size_t DetermineBandWidth(std::size_t n, const TGetRow& getRow, TProgress& progress, TRowStore* keep = nullptr);

// Stage "Оценка погрешности": logs "Среднеквадратичная погрешность E" with E
// the root-mean-square residual of the solution in X.
void EstimateError(TSLAE& solver);

// Base of the Gauss variants.
class TGaus : public TSLAE {
protected:
    using TSLAE::TSLAE;
    // Freeing a matrix of rows is a stage of its own, one step per row.
    void ReportFreeing(std::size_t rows);
    // The full-matrix elimination (methods 0, 1, 5, 8) in element type T.
    template <class T>
    void RunFull(bool pivoting, bool reportFreeing);
    // Reduction and normalisation on arrival with a window of m+1 rows
    // (methods 4 and 6) in element type T.
    template <class T>
    void RunNormalisedBand(std::size_t m, bool arrayRows);
};

// 0: full matrix, no pivoting.
class TDGaus : public TGaus {
public:
    TDGaus(std::size_t n, TGetRow getRow, TProgress& progress) : TGaus(n, std::move(getRow), progress, false) {}
    std::string GetMethodName() const override { return SLAEMethodNames()[0]; }

protected:
    TDGaus(std::size_t n, TGetRow getRow, TProgress& progress, bool arrayX)
        : TGaus(n, std::move(getRow), progress, arrayX) {}
    void SolveSystem() override;
    // Elimination with row exchanges (TDMainGaus).
    virtual bool Pivoting() const { return false; }
};

// 1: full matrix with partial pivoting by rows.
class TDMainGaus : public TDGaus {
public:
    using TDGaus::TDGaus;
    std::string GetMethodName() const override { return SLAEMethodNames()[1]; }

protected:
    bool Pivoting() const override { return true; }
};

// A method that measures the half band m of the rows in Prepare.
template <class Method>
class TBanded : public Method {
public:
    using Method::Method;
    std::size_t HalfBand() const { return halfBand_; }
    std::optional<std::size_t> KnownHalfBand() const override {
        return this->prepared_ ? std::optional<std::size_t>(halfBand_) : std::nullopt;
    }

protected:
    std::size_t halfBand_ = 0;
};

// 2: band of 2m+1 per row, the whole system in memory.
class TBGaus : public TBanded<TDGaus> {
public:
    using TBanded::TBanded;
    std::string GetMethodName() const override { return SLAEMethodNames()[2]; }
    void Prepare() override;

protected:
    void SolveSystem() override;
    // Whether Prepare keeps the rows it pulls for the band width, so that
    // the elimination takes them from there instead of pulling them again.
    virtual bool KeepsRows() const { return true; }
    TRowStore rows_;

private:
    template <class T>
    void Run();
};

// 3: window of m+1 band rows; finished rows go to "matr.tmp", m+1 records
// each (the eliminated row from its diagonal on).
class TLGaus : public TBGaus {
public:
    using TBGaus::TBGaus;
    std::string GetMethodName() const override { return SLAEMethodNames()[3]; }
    void Prepare() override;

protected:
    void SolveSystem() override;
    // The window pulls each row when it needs it: keeping every row would
    // cost what the window saves.
    bool KeepsRows() const override { return false; }

private:
    template <class T>
    void Run();
};

// 4: rows reduced and normalised on arrival; "matr.tmp" gets m records per
// row (the upper coefficients of the unit-diagonal row).
class TOGaus : public TLGaus {
public:
    using TLGaus::TLGaus;
    std::string GetMethodName() const override { return SLAEMethodNames()[4]; }

protected:
    void SolveSystem() override;
};

// 5: full matrix of double rows.
class TDAGaus : public TDGaus {
public:
    TDAGaus(std::size_t n, TGetRow getRow, TProgress& progress) : TDGaus(n, std::move(getRow), progress, true) {}
    std::string GetMethodName() const override { return SLAEMethodNames()[5]; }

protected:
    void SolveSystem() override;
};

// 6: the algorithm of TOGaus on double rows.
class TDAOGaus : public TBanded<TDAGaus> {
public:
    using TBanded::TBanded;
    std::string GetMethodName() const override { return SLAEMethodNames()[6]; }
    void Prepare() override;

protected:
    void SolveSystem() override;
};

// 7: profile (variable band) window of double rows, pulled only when the
// pivot column needs them; finished rows with a nonempty upper part go to
// "SLFile.tmp".
class TVBGaus : public TSLAE {
public:
    TVBGaus(std::size_t n, TGetRow getRow, TProgress& progress) : TSLAE(n, std::move(getRow), progress, true) {}
    std::string GetMethodName() const override { return SLAEMethodNames()[7]; }

protected:
    void SolveSystem() override;
};

// 8: one N×N block of doubles.
class TAGaus : public TDAGaus {
public:
    using TDAGaus::TDAGaus;
    std::string GetMethodName() const override { return SLAEMethodNames()[8]; }

protected:
    void SolveSystem() override;
};

// 9: Gauss–Seidel iteration from X (zeros), until the root-mean-square
// residual of a sweep is at most Eps. Each sweep pulls every row again. The
// iteration stops with an error when the residual is not finite, when it has
// grown in kDivergingSweeps sweeps in a row beyond that of the first sweep,
// or after MaxSweeps sweeps. Along with X the same sweeps run on A·z = 0
// from a start of unit size; a matrix with a null vector keeps z from
// falling to half its start (within the sweeps X took, and again as many,
// at least kNullSweeps), and the system is refused as singular.
class TZejdel : public TSLAE {
public:
    static constexpr int kDivergingSweeps = 100;
    static constexpr int kNullSweeps = 200;

    TZejdel(std::size_t n, TGetRow getRow, TProgress& progress) : TSLAE(n, std::move(getRow), progress, false) {}
    std::string GetMethodName() const override { return SLAEMethodNames()[9]; }

    Extended Eps = 1.0E-5L;
    // A convergent iteration of the program's systems needs far fewer; the
    // limit only ends an iteration that stalls above Eps.
    std::int64_t MaxSweeps = 1'000'000;
    // Sweeps of the last solution.
    std::int64_t Sweeps() const { return sweeps_; }

protected:
    void SolveSystem() override;
    // The new value of an unknown whose old value is Item.
    virtual Extended UpdateUnknown(Extended item, Extended newValue) const { return newValue; }

private:
    template <class T>
    void Run();
    std::int64_t sweeps_ = 0;
};

// 10: Gauss–Seidel with each update relaxed by Omega.
class TSecRelax : public TZejdel {
public:
    using TZejdel::TZejdel;
    std::string GetMethodName() const override { return SLAEMethodNames()[10]; }
    double Omega = 1.0;

protected:
    Extended UpdateUnknown(Extended item, Extended newValue) const override {
        return item + Omega * (newValue - item);  // x := x + ω·(x_new − x)
    }
};

// 11: sparse LU. The rows are pulled once into compressed form (80-bit
// copies kept for the residuals), the unknowns ordered by nested dissection
// of the symmetrised pattern (METIS), the matrix factored in doubles with
// row scaling and threshold pivoting (UMFPACK), and the solution refined
// against the 80-bit coefficients: in the extended real type until the
// correction stops shrinking, in double by one step. Stages "Формирование
// матрицы", "Упорядочение неизвестных", "Разложение матрицы", "Решение",
// "Уточнение решения". No temporary file; a singular matrix is an error,
// never a result; whatever the factorisation holds is freed however Solve
// ends.
class TSparseLU : public TSLAE {
public:
    // A refinement that still shrinks the correction stops after this many
    // steps in the extended real type.
    static constexpr int kMaxRefinementSteps = 10;

    TSparseLU(std::size_t n, TGetRow getRow, TProgress& progress) : TSLAE(n, std::move(getRow), progress, false) {}
    std::string GetMethodName() const override { return SLAEMethodNames()[kSparseMethod]; }

    // Of the last solution: stored coefficients, refinement steps made, and
    // the largest correction of the last step relative to max |x|.
    std::size_t NonZeros() const { return nonZeros_; }
    int RefinementSteps() const { return refinementSteps_; }
    double LastCorrection() const { return lastCorrection_; }

    // A factorisation whose smallest pivot is below this share of the
    // largest (after row scaling) is taken as singular.
    static constexpr double kSingularRcond = 1e-14;

protected:
    void SolveSystem() override;

private:
    std::size_t nonZeros_ = 0;
    int refinementSteps_ = 0;
    double lastCorrection_ = 0;
};

}  // namespace zem
