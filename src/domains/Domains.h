// The domain: the mesh over one structural element, the node at which an
// equation or a result is being evaluated, the columns of its unknowns, its
// load functions and its share of the mesh-error estimate.
//
// A domain never stores a matrix. Its writers emit coefficients through the
// stencils into AddCoef, which maps (component, node) to a local column and
// adds the domain's column base: the first column of its unknowns in the
// whole system, placed once per shape of the element tree by the problem
// (TElementHost::PlaceColumns). The coefficients go into the row sink the
// equation being written hands the domain (TRowScope); results are read back
// as the solution at the base plus the local column (SolutionAt).
//
// Directions: 1 or 2 (TDmDim1, TDmDim2). Direction d has StepCount(d) steps
// and nodes 0 ... StepCount(d); step k joins node k and node k + 1. Virtual
// nodes beyond the ends have columns of their own in the concrete domains.
// Steps are kept contiguous with their running sums, so every coordinate and
// step query costs O(1) (sums past the ends walk the extra steps).
#pragma once

#include "domains/FieldKinds.h"
#include "platform/canvas.h"
#include "platform/extended.h"
#include "platform/object.h"
#include "platform/tablemodel.h"
#include "solvers/SLCLass.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

namespace zem {

class TElemList;
class TElementHost;
class TEquationList;
class TDomain;

constexpr int kMaxDims = 2;
// The most steps one direction may have.
constexpr int kMaxSteps = 1000000;

// A node: one index per direction (unused directions stay 0).
using TNodeIdx = std::array<int, kMaxDims>;
// Coordinates of a point, one per direction.
using TCoords = std::array<double, kMaxDims>;
// Marks of the steps of one direction that are to be split (nonzero = split).
using TStepMarks = std::vector<unsigned char>;

// The row of the linear system being built: coefficients by column of the
// whole system, and the free term.
class TRowSink {
public:
    virtual ~TRowSink() = default;
    // Adds x to the coefficient of a column; x = 0 adds nothing.
    virtual void AddCoef(std::size_t column, Extended x) = 0;
    virtual void AddFree(Extended x) = 0;
    // Whether the sink takes a whole finished row now (AddFinishedRow): it
    // holds no coefficient yet and keeps coefficients as the row it builds.
    virtual bool TakesFinishedRows() const { return false; }
    // Takes Count items sorted by column, one per column, each column plus
    // Shift (modulo 2^64, so a shift may be negative), as the row's
    // coefficients: what adding them one by one and then sorting and summing
    // each column's additions in their order would have given, items that
    // summed to zero included. Only called when TakesFinishedRows.
    virtual void AddFinishedRow(const TListItem* items, std::size_t count, std::size_t shift);
};

// What a domain needs from the element that owns it.
class TDomainOwner {
public:
    virtual ~TDomainOwner() = default;
    // The problem whose system holds the domain's unknowns; null when the
    // element hangs in no problem.
    virtual TElementHost* ColumnHost() const { return nullptr; }
    // The key of mesh item d ("mesh_x", "mesh_y"), for the mesh-data message.
    virtual std::string MeshItemKey(int d) const = 0;
    // Empty for the problem's root element; the element key and "." for an
    // element inside a compound element.
    virtual std::string EquationPrefix() const = 0;
    // Told when the domain's mesh has been rebuilt (its unknowns renumbered).
    virtual void DomainReshaped() {}
};

// A load function: evaluates the load at the domain's current node from its
// parameters. Descendants' member functions are cast with LoadFunc().
using TLoadFunc = Extended (TDomain::*)(const std::vector<double>& params);

template <class D>
TLoadFunc LoadFunc(Extended (D::*func)(const std::vector<double>&)) {
    return static_cast<TLoadFunc>(func);
}

// One load function with its own parameters.
class TLoadFuncItem : public TObject {
public:
    TLoadFuncItem(TLoadFunc func, std::vector<double> params) : Params(std::move(params)), Func(func) {}
    std::vector<double> Params;
    TLoadFunc Func;
    // A function of the coordinate of one direction alone (a harmonic) keeps
    // its values by node of that direction, computed on first use and
    // dropped when the direction's steps change; -1: evaluated every time.
    int TableDir = -1;
    std::vector<Extended> Table;
};

// The functions whose values add up to the load of one slot.
using TLoadSlot = std::vector<std::unique_ptr<TLoadFuncItem>>;

// The writer of an equation row: runs on the domain at the row's node with the
// row's weight. A writer EquatWriter makes of a member function carries that
// function as its identity: the rows a domain registers with one identity,
// prefix and weight are one kind of row to the equation list, which keeps
// one writer for all of them. Any other writer is a kind of its own.
class TEquatWriter {
public:
    TEquatWriter() = default;
    template <class F>
        requires(!std::is_same_v<std::decay_t<F>, TEquatWriter> && std::is_invocable_v<F&, TDomain&, double>)
    TEquatWriter(F f) : fn_(std::move(f)) {}

    void operator()(TDomain& domain, double weight) const { fn_(domain, weight); }
    explicit operator bool() const { return static_cast<bool>(fn_); }
    // Whether both carry an identity and it is the same.
    bool SameAs(const TEquatWriter& other) const { return hasId_ && other.hasId_ && id_ == other.id_; }
    bool HasId() const { return hasId_; }

    template <class D>
    static TEquatWriter Of(void (D::*writer)(double)) {
        TEquatWriter w([writer](TDomain& domain, double weight) { (static_cast<D&>(domain).*writer)(weight); });
        static_assert(sizeof writer <= sizeof(std::array<unsigned char, 16>), "a member function pointer fits");
        std::memcpy(w.id_.data(), &writer, sizeof writer);
        w.hasId_ = true;
        return w;
    }

private:
    std::function<void(TDomain&, double)> fn_;
    std::array<unsigned char, 16> id_{};
    bool hasId_ = false;
};

// How a domain lies in space, for pictures and exports: flat; a cylinder,
// direction 0 along its axis and direction 1 (if any) round it; or a ring,
// direction 0 round it.
enum class TDomainShape { Flat, Cylinder, Ring };

template <class D>
TEquatWriter EquatWriter(void (D::*writer)(double)) {
    return TEquatWriter::Of(writer);
}

class TDomain : public TObject {
public:
    TDomain(TDomainOwner* owner, int dimCount);
    ~TDomain() override;
    TDomain(const TDomain&) = delete;
    TDomain& operator=(const TDomain&) = delete;

    TDomainOwner* Owner;  // not owned
    const int DimCount;
    // The node at which the current equation or result is evaluated.
    TNodeIdx Pos{};
    // Extent of the domain in each direction, set by ReadParams.
    std::array<double, kMaxDims> Lengths{};
    // Closed directions: node indices wrap round.
    std::array<bool, kMaxDims> Periodic{};
    // One slot per load of the element; see LoadValue.
    std::vector<TLoadSlot> LoadFuncs;
    // The element's boundary-condition list (not owned).
    TElemList* Boundary = nullptr;
    // Set by a regional load function whose region holds the current node.
    bool RegionHit = false;

    // --- Operations the descendants supply or refine. ----------------------
    virtual void SetPos(int d, int i);
    // The value of boundary condition k at end `side` (0 start, 1 end of
    // direction 0), or null when the condition is not given.
    virtual const TObject* BoundaryValue(int side, int k) const = 0;
    virtual void ReadParams(TElemList& params) = 0;
    virtual void SetBoundary(TElemList* list);
    virtual void AddLoad(const std::string& name, const TObject* value) = 0;
    virtual void WriteEquations(TEquationList& list) = 0;
    // --- Unknowns. A domain numbers its unknowns from 0: component c of node
    // idx at ((i0 + L0) S1 + (i1 + L1)) C + c, with C the components per node,
    // Ld the virtual layers and Sd the node span of direction d. The count of
    // rows a domain registers is its unknown count, one row per unknown.
    // Unknown components at every node (1 for w alone, 3 for u, v, w).
    virtual int ComponentCount() const { return 1; }
    // Layers of virtual nodes beyond each end of direction d; a closed
    // direction has none.
    virtual int VirtualLayers(int d) const { return 0; }
    // The node lines of direction d that carry unknowns: StepCount in a
    // closed direction, StepCount + 1 and the virtual layers otherwise.
    int NodeSpan(int d) const;
    std::size_t UnknownCount() const;
    std::size_t RowCount() const { return UnknownCount(); }
    // The local column of unknown component c at node idx (the numbering
    // above; a closed direction wraps the index).
    virtual int ColumnOf(int c, const TNodeIdx& idx) const;
    // Tables of a quantity at every node: a line (1-D) or a matrix (2-D).
    virtual std::unique_ptr<TObject> InputTable(int kind) = 0;
    virtual std::unique_ptr<TObject> ResultTable(int kind) = 0;
    // Colour map of a table; `scale` is the value step of one colour level.
    virtual void PaintField(TCanvas& canvas, const TRect& rect, Extended scale, const TColorScale& colors,
                            const TObject& table) = 0;
    virtual void PaintMesh(TCanvas& canvas, const TRect& rect) = 0;
    virtual Extended TableValue(const TNodeIdx& idx, const TObject& table) const = 0;
    virtual void PointToCoords(const TRect& rect, const TPoint& point, TCoords& coords) const = 0;
    virtual Extended InputValue(int kind) = 0;
    virtual Extended ResultValue(int kind) = 0;
    // A concentrated load [i, j, q] at one node of a surface.
    virtual Extended PointLoad(const std::vector<double>& params);
    // The named input fields, results and boundary conditions, in kind
    // order; none here.
    virtual const TFieldTable& Fields() const;
    // The domain's shape and the radius of a cylinder or a ring (0 when
    // flat); flat here.
    virtual TDomainShape Shape() const { return TDomainShape::Flat; }
    virtual double Radius() const { return 0; }
    // How far along direction d the coefficients of a row depend on the mesh:
    // r >= 0 when every row a writer kind writes at a node has, along d, the
    // coefficients of the same row at any other node shifted by the columns
    // between them, wherever the two nodes see the same steps
    // Step(d, i - r) ... Step(d, i + r - 1) and lie equally near the ends
    // (counted up to r + 1 nodes); -1 when they depend on the node itself.
    // Free terms may vary freely. The equation list copies such rows instead
    // of writing them again; -1 here.
    virtual int CoefReach(int d) const { return -1; }

    // --- Mesh. --------------------------------------------------------------
    int GetPos(int d) const { return Pos[static_cast<std::size_t>(d)]; }
    int StepCount(int d) const { return static_cast<int>(steps_[static_cast<std::size_t>(d)].size()); }
    const std::vector<double>& Steps(int d) const { return steps_[static_cast<std::size_t>(d)]; }
    // Replaces the steps of direction d.
    void SetSteps(int d, std::vector<double> steps);
    // Step k after wrapping, clamped to the first and last step.
    double Step(int d, int k) const;
    double FirstStep(int d) const { return Step(d, 0); }
    // Coordinate of node i (periodic: node n is the full extent, n + 1 is node 1).
    Extended NodeCoord(int d, int i) const;
    Extended Extent(int d) const;
    Extended PosCoord(int d) const { return NodeCoord(d, GetPos(d)); }
    // Sum of Step(d, k) for k = 0 ... m - 1.
    Extended StepSum(int d, int m) const;
    // Periodic: the index brought into 0 ... n - 1; otherwise unchanged.
    int WrapIndex(int d, int i) const;
    // Fills the steps of direction d from a mesh value (TWord, TValueList): an
    // integer number (1 ... kMaxSteps) of equal steps, or a list of positive
    // fractions of the length and [count, fraction] pairs summing to 1 within
    // 1e-4. Any other value raises "Ошибка данных сетки " + the mesh item key;
    // the steps built so far stay.
    void BuildSteps(const TObject* meshValue, int d);

    // --- Row emission and results. -----------------------------------------
    // Where the domain's columns start in the system of Host, placed at the
    // host's present tree version (see SolutionAt).
    void PlaceColumns(TElementHost& host, std::size_t base);
    std::size_t ColumnBase() const { return columnBase_; }
    // Makes Sink the row the domain writes into while the scope lasts; with
    // FreeOnly the writers' coefficients are dropped unwritten (AddCoef and
    // the stencils return at once) and only the free term goes to Sink.
    class TRowScope {
    public:
        TRowScope(TDomain& domain, TRowSink& sink, bool freeOnly = false)
            : domain_(domain), outer_(domain.row_), outerFreeOnly_(domain.freeOnly_) {
            domain.row_ = &sink;
            domain.freeOnly_ = freeOnly;
        }
        ~TRowScope() {
            domain_.row_ = outer_;
            domain_.freeOnly_ = outerFreeOnly_;
        }
        TRowScope(const TRowScope&) = delete;
        TRowScope& operator=(const TRowScope&) = delete;

    private:
        TDomain& domain_;
        TRowSink* outer_;
        bool outerFreeOnly_;
    };
    // Whether the row being written wants its free term alone.
    bool FreeTermsOnly() const { return freeOnly_; }
    // Adds x to the coefficient of unknown c at node idx in the row being
    // written; without one, std::logic_error.
    void AddCoef(int c, const TNodeIdx& idx, Extended x);
    // The solved value of unknown c at node idx. When the tree has changed
    // shape since the columns were placed, the owner's problem places them
    // again first; a domain in no problem raises std::logic_error.
    Extended SolutionAt(int c, const TNodeIdx& idx);
    void AddFree(Extended x);
    // Registers one row under prefix(node indices), with the element prefix
    // inside a compound element (see TEquatWriter for the kinds of rows).
    void AddEquation(TEquationList& list, const std::string& prefix, double weight, TEquatWriter writer,
                     const TNodeIdx& nodeIdx);

    // --- Loads. --------------------------------------------------------------
    // Sum of the functions of a slot at the current node (0 for an empty or
    // missing slot); clears RegionHit first.
    Extended LoadValue(int slot);
    // Appends a function to a slot, creating missing slots.
    void AddLoadFunc(int slot, TLoadFunc func, std::vector<double> params);
    // Load builders from a parsed value; a value of the wrong shape raises
    // ZemError ("Ошибка значения"), which the concrete AddLoad reports with
    // the load's name.
    // A number q, or a list whose numbers add up to q: a constant q.
    void AddUniformLoad(int slot, const TObject* value);
    // A number gamma (filled to Lengths[d]) or a list [gamma, h].
    void AddHydrostaticLoad(int slot, int d, const TObject* value);
    // A number a: constant a. A list: entry k a number a gives a*cos(2 pi k x/L),
    // a pair [a, b] adds b*sin(2 pi k x/L).
    void AddHarmonicLoad(int slot, int d, const TObject* value);
    // Hydrostatic pressure gamma*(h - x) over [0, h] along d, snapped to cell
    // edges, with the resultant of the covered liquid kept.
    void AddHydrostatics(int slot, int d, double gamma, double h);

    Extended ConstLoad(const std::vector<double>& p);    // [q]
    Extended SegmentLoad(const std::vector<double>& p);  // [d, iLo, iHi, qLo, qHi]
    Extended LinearLoad(const std::vector<double>& p);   // [d, qStart, qEnd]
    Extended CosLoad(const std::vector<double>& p);      // [d, a, k]
    Extended SinLoad(const std::vector<double>& p);      // [d, a, k]

    // --- Cell edges and nearest nodes. -----------------------------------------
    // Node i owns the cell between the midpoints of its two steps; the ends are
    // edges too. The lower edge nearest x and the first node inside it.
    Extended LowerCellEdge(int d, Extended x, int& i) const;
    // The upper edge nearest x and the last node inside it.
    Extended UpperCellEdge(int d, Extended x, int& i) const;
    // Snaps [xLo, xHi] to cell edges; returns the intensity that keeps the
    // resultant `total` over the snapped length.
    Extended SnapInterval(int d, Extended& len, int& iHi, int& iLo, Extended total, Extended xHi,
                          Extended xLo) const;
    // Node indices (ascending) nearest x: the node lying exactly at x alone,
    // otherwise `count` indices j whose StepSum is nearest x.
    std::vector<int> NearestNodes(int d, int count, Extended x) const;

    // --- Mesh error against a solved copy F with halved steps. ---------------------
    // kind 0 mean-square, 1 uniform norm; comp the result quantity.
    Extended ErrorSum(int kind, TDomain& f, int comp, int skipDir, Extended acc);
    // The largest |result comp| over every node.
    double MaxAbsResult(int comp);
    // The difference between this solution and F's in percent of F's largest
    // magnitude: uniform, the largest difference; mean-square, the root of the
    // mean square over every node (on a surface each node once, the closing
    // node of a closed direction not repeated). When that magnitude is 0 the
    // result is 0 if the solutions agree; otherwise the error is undefined and
    // ZemError is raised.
    Extended MeshError(int kind, int comp, TDomain& f);
    // The node of this mesh where result comp differs most from F's, with
    // both values.
    struct TLargestDifference {
        TNodeIdx Node{};
        Extended Coarse = 0, Fine = 0;
    };
    TLargestDifference LargestDifference(int comp, TDomain& f);
    // Whether result comp of this solved domain is zero to rounding: its
    // largest magnitude is below what rounding errors of the solution alone
    // give that quantity. The measure feeds the result formula a solution of
    // random signs whose size is the largest unknown that the field and the
    // first results of the `kinds` (the displacements) read. Such a field has
    // no relative error to speak of.
    bool ResultIsRoundingZero(int comp, int kinds);
    double ErrorTolerance(int comp, double pct);
    // Marks the steps of direction e next to nodes whose error exceeds pct
    // percent of F's largest magnitude; none when no step is marked.
    std::optional<TStepMarks> MarkSteps(int kind, int comp, double pct, int e, TDomain& f);
    // Halves every step of direction e (no marks) or the marked ones.
    void SplitSteps(int e, const TStepMarks* marks);

    // --- Graph hints. -----------------------------------------------------------
    void NearestNodeIdx(const TCoords& coords, TNodeIdx& idx) const;
    std::string CoordText(const TNodeIdx& idx, const TTableModel::TNumberFormat& format) const;
    std::string HintCoords(const TRect& rect, const TPoint& point, const TTableModel::TNumberFormat& format) const;
    std::string HintValue(const TRect& rect, const TPoint& point, const TObject& table,
                          const TTableModel::TNumberFormat& format) const;

protected:
    [[noreturn]] void MeshDataError(int d) const;

private:
    void RebuildCoords(int d);
    // The value of a tabulated load function at the current node.
    Extended TabulatedLoad(TLoadFuncItem& item);
    // Moves F to its node along e that lies at this domain's current node,
    // scanning forward from `from`; returns that node.
    int MatchNode(TDomain& f, int e, int from) const;
    // Runs Visit at every node MeshError measures, with F at the same place.
    void ForEachMatchedNode(TDomain& f, const std::function<void()>& visit);
    Extended NodeDifference(int kind, TDomain& f, int comp, Extended acc);
    void ErrorSweep(int kind, TDomain& f, int comp, int skipDir, int dir, Extended& acc);
    // Runs Visit at every node, each once (direction 1 outer, as the tables).
    void ForEachNode(const std::function<void()>& visit);

    // The solved value of a local column.
    Extended Unknown(int column);
    [[noreturn]] void NoRow() const;

    // While set, SolutionAt answers from it instead of the system.
    const std::function<Extended(int column)>* solutionProbe_ = nullptr;
    // See PlaceColumns and TRowScope.
    TElementHost* columnHost_ = nullptr;
    std::size_t columnBase_ = 0;
    std::uint64_t placedAt_ = 0;
    TRowSink* row_ = nullptr;
    bool freeOnly_ = false;

    std::array<std::vector<double>, kMaxDims> steps_;
    // coords_[d][i] = sum of the first i steps, i = 0 ... n.
    std::array<std::vector<Extended>, kMaxDims> coords_;
};

}  // namespace zem
