// Glossary of the names used throughout the core, for a newcomer:
//   Pb problem; El element of the parameter tree; ElComp compound element
//   (a shell of several spans, a shell with its ring); Dm domain (the mesh
//   over one structural element); Tamplet stencil (finite-difference
//   operator); SLAE system of linear algebraic equations, the linear system;
//   SLAEEquat a deferred equation row; Gaus Gauss elimination; Zejdel
//   Gauss-Seidel iteration; SecRelax successive relaxation; Matrises
//   matrices and number rows; Progr progress window; Turn the queue of
//   calculations; Approx approximation (a refined copy of a problem);
//   Calcul calculation settings and modes; Cyl cylinder; Sym axisymmetric;
//   Tech technical theory of shells; Lave Love's equations; Pnl panel;
//   Gidr hydrostatic load; Cnt continuity row joining two domains; Bound
//   boundary condition.
//
// One problem in memory: the element tree of its parameters, the domains found
// in it, the equations of its linear system, the solver that solves them and
// the approximations (refined copies) made by the error estimate and the mesh
// selection.
//
// The problem is the element tree's host: the root element's owner. It places
// every domain's columns in the system (PlaceColumns, summing the compounds'
// offsets top-down). While the solver assembles the system it pulls row r
// through GetRow; the equation of row r writes its coefficients at its
// domain's column base into the problem, its row sink, and they land in
// AddToRow. After the solution the domains read values back through
// Solution.
#pragma once

#include "domains/Equations.h"
#include "elements/ElementHost.h"
#include "solvers/SLCLass.h"
#include "solvers/SLHarmonic.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace zem {

class TDmElement;
class TElement;
class TProgress;

// Where tables and graphs of the problem's elements are shown; the problem
// window implements it. A problem without one ignores the requests.
class TProblemViews {
public:
    virtual ~TProblemViews() = default;
    virtual void ShowTable(TElement& element, int selector, const std::string& caption,
                           const std::string& extension, std::unique_ptr<TObject> data) = 0;
    virtual void ShowGraph(TElement& element, int selector, const std::string& caption,
                           std::unique_ptr<TObject> data) = 0;
};

class TProblem;

// An approximation: its caption or the relative path of its file, and the
// refined problem itself (owned).
struct TApproximation {
    std::string Text;
    std::unique_ptr<TProblem> Problem;
};

class TProblem : public TElementHost, public TRowSink {
public:
    // A problem of catalogue type TypeIndex named Name, with the defaults of
    // its type applied; not calculated, no solver.
    TProblem(int typeIndex, const std::string& name);
    ~TProblem() override;
    TProblem(const TProblem&) = delete;
    TProblem& operator=(const TProblem&) = delete;

    TElement& Root() const;
    int TypeIndex() const { return typeIndex_; }
    // The domain elements of the tree, depth first from the root. The list is
    // made again whenever the tree has changed shape since it was made, so
    // it never names a freed element; a pointer taken from it is good until
    // the next change of the tree.
    const std::vector<TDmElement*>& Domains() const;

    // A problem of the same type and name whose root copies this one's
    // parameters; no solver, no approximations, not calculated.
    std::unique_ptr<TProblem> Clone() const;

    // Rebuilds the list of domain elements now and places their columns
    // (Domains does it when needed).
    void CollectDomains();
    // Places the columns and clears the equation list and lets the root
    // element fill it.
    void BuildEquations();
    // Refuses, with the figures, a problem whose equation rows would not fit
    // in the available memory.
    void CheckEquationMemory();
    const TEquationList& Equations() const { return equations_; }
    std::size_t UnknownCount() const { return static_cast<std::size_t>(equations_.Count()); }

    // Replaces the solver by method Method for as many unknowns as there are
    // equations.
    void CreateSolver(int method, TProgress& progress);
    TSLAE* Solver() const { return solver_.get(); }

    // BuildEquations, CreateSolver, assembly and solution; with EstimateError
    // the residual of the solution is logged too. Reports "Расчет закончен".
    void Calculate(int method, bool estimateError, TProgress& progress);

    // Row R of the system into Items; returns its free term. When the tree
    // has changed shape since the equations were built, they are built again
    // first (their terms point into the domains).
    Extended GetRow(std::size_t r, TRowItems& items);
    // The free term of row R alone: the coefficients the row writes go to
    // Sink instead of into a row (the harmonic method's pass over the rows).
    Extended FreeTermOf(std::size_t r, const TCoefSink& sink);
    // The free term of row R, its coefficients neither computed nor written
    // (0 for an unknown no equation defines).
    Extended FreeTerm(std::size_t r);
    // Makes Items the row being built, runs Write (which adds through
    // AddToRow and AddFreeTerm) and returns the free term.
    Extended BuildRow(TRowItems& items, const std::function<void()>& write);
    // Adds X to column C of the row being built (ignores X = 0). The row
    // BuildRow gives back is sorted by column with one item per column, each
    // column's additions summed in the order they came. While a calculation
    // runs, a long row checks the stop request every kStopCheckItems
    // coefficients and raises EBreakCalcule when the calculation is stopped.
    void AddToRow(std::size_t c, Extended x);
    static constexpr std::size_t kStopCheckItems = std::size_t{1} << 16;
    void AddFreeTerm(Extended x) { freeTerm_ += x; }
    // Component I of the solution; ZemError "Задача не рассчитана" before
    // any solution or results load.
    Extended Solution(std::size_t i) const;

    bool Calculated() const { return calculated_; }
    void SetCalculated(bool on) { calculated_ = on; }

    // 16 lowercase hex digits: the 64-bit FNV-1a hash of the object text as
    // the problem file holds it (every line followed by CR LF, UTF-8).
    std::string ObjectDigest() const;

    // The results file: 10 bytes per unknown, then the tag "ZEMDIGST" and the
    // object digest of the problem solved (files without the tail, written
    // before it existed, hold the values alone).
    std::string ResultsBytes() const;
    // The solution vector as a results file, and back into the current
    // solver. Loading raises ZemError when the file is missing, holds another
    // number of values than there are unknowns, or was written for another
    // object text; the solution is then left as it was.
    void SaveResults(const std::string& nativeFileName) const;
    void LoadResults(const std::string& nativeFileName);

    // Halves every interval of every mesh of every domain.
    void DoubleMesh();

    // The name of axis J of domain element D, qualified by the element's name
    // (by domain) or type name (by type) when it lies inside a compound.
    std::string AxisNameByDomain(int d, int j) const;
    std::string AxisNameByType(int d, int j) const;

    // For an approximation: the ObjectDigest of the problem it was made from;
    // empty when that is not known (a problem of its own, an approximation
    // file written before the digest was kept).
    std::string MadeFrom;

    std::vector<TApproximation>& Approximations() { return approx_; }
    const std::vector<TApproximation>& Approximations() const { return approx_; }

    void SetViews(TProblemViews* views) { views_ = views; }

    // The element host.
    void PlaceColumns() override { CollectDomains(); }
    Extended GetUnknown(std::size_t globalIndex) override { return Solution(globalIndex); }
    void ShowTable(TElement& element, int selector, const std::string& caption, const std::string& extension,
                   std::unique_ptr<TObject> data) override;
    void ShowGraph(TElement& element, int selector, const std::string& caption,
                   std::unique_ptr<TObject> data) override;

    // The row sink of the equations.
    void AddCoef(std::size_t column, Extended x) override { AddToRow(column, x); }
    void AddFree(Extended x) override { AddFreeTerm(x); }
    bool TakesFinishedRows() const override { return !coefSink_ && row_ && row_->empty(); }
    void AddFinishedRow(const TListItem* items, std::size_t count, std::size_t shift) override;

private:
    int typeIndex_;
    std::unique_ptr<TElement> root_;
    mutable std::vector<TDmElement*> domains_;
    mutable std::uint64_t domainsVersion_ = ~std::uint64_t{0};
    // The tree version the equation list was built at.
    std::uint64_t equationsVersion_ = ~std::uint64_t{0};
    std::unique_ptr<TSLAE> solver_;
    TEquationList equations_;
    TRowItems* row_ = nullptr;
    const TCoefSink* coefSink_ = nullptr;
    bool rowSorted_ = true;  // the row being built is in column order so far
    Extended freeTerm_ = 0;
    TProgress* progress_ = nullptr;  // of the calculation running
    std::size_t lastRowSize_ = 0;
    bool calculated_ = false;
    std::vector<TApproximation> approx_;
    TProblemViews* views_ = nullptr;
};

// Whether approximation Approx was made from Problem as it stands: by the
// digest it records, or, without one, when its text apart from the meshes is
// Problem's and its meshes hold every node of Problem's.
bool MadeFromProblem(TProblem& problem, TProblem& approx);

}  // namespace zem
