// The domain: the mesh over one structural element, the node at which an
// equation or a result is being evaluated, the columns of its unknowns, its
// load functions and its share of the mesh-error estimate.
//
// A domain never stores a matrix. Its writers emit coefficients through the
// stencils into AddCoef, which maps (component, node) to a local column and
// hands it to the owner element; the element tree adds the offsets of the
// compound levels on the way up to the problem's row buffer. Results are read
// back the same way (SolutionAt).
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

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
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

// What a domain needs from the element that owns it. The domain element
// implements it by passing the calls up the element tree.
class TDomainOwner {
public:
    virtual ~TDomainOwner() = default;
    // Adds x to the coefficient of a local column in the row being built.
    virtual void DomainAddCoef(int column, Extended x) = 0;
    // The solved value of a local column.
    virtual Extended DomainUnknown(int column) = 0;
    // Adds x to the free term of the row being built.
    virtual void DomainAddFree(Extended x) = 0;
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
};

// The functions whose values add up to the load of one slot.
using TLoadSlot = std::vector<std::unique_ptr<TLoadFuncItem>>;

// The writer of an equation row: runs on the domain at the row's node with the
// row's weight.
using TEquatWriter = std::function<void(TDomain&, double)>;

template <class D>
TEquatWriter EquatWriter(void (D::*writer)(double)) {
    return [writer](TDomain& domain, double weight) { (static_cast<D&>(domain).*writer)(weight); };
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
    // Coefficients and free terms go to the owner, which passes them up the
    // element tree, each level adding its offset. The problem that built the
    // equations finds once where the domain's columns start in its system
    // (RowOffset, kNoRowOffset while unknown); while a TDirectRow is open
    // the domain writes into that host's row itself.
    static constexpr std::size_t kNoRowOffset = static_cast<std::size_t>(-1);
    void SetRowOffset(std::size_t offset) { rowOffset_ = offset; }
    std::size_t RowOffset() const { return rowOffset_; }
    class TDirectRow {
    public:
        // Nothing changes when Host is null or the offset is unknown.
        TDirectRow(TDomain& domain, TElementHost* host) : domain_(domain) {
            if (host && domain.rowOffset_ != kNoRowOffset) domain.rowHost_ = host;
        }
        ~TDirectRow() { domain_.rowHost_ = nullptr; }
        TDirectRow(const TDirectRow&) = delete;
        TDirectRow& operator=(const TDirectRow&) = delete;

    private:
        TDomain& domain_;
    };
    void AddCoef(int c, const TNodeIdx& idx, Extended x);
    Extended SolutionAt(int c, const TNodeIdx& idx);
    void AddFree(Extended x);
    // Registers one row under prefix(node indices), with the element prefix
    // inside a compound element.
    void AddEquation(TEquationList& list, const std::string& prefix, double weight, TEquatWriter writer,
                     const TNodeIdx& nodeIdx);
    // The row name AddEquation gives.
    std::string EquationName(const std::string& prefix, const TNodeIdx& nodeIdx) const;

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
    // Moves F to its node along e that lies at this domain's current node,
    // scanning forward from `from`; returns that node.
    int MatchNode(TDomain& f, int e, int from) const;
    // Runs Visit at every node MeshError measures, with F at the same place.
    void ForEachMatchedNode(TDomain& f, const std::function<void()>& visit);
    Extended NodeDifference(int kind, TDomain& f, int comp, Extended acc);
    void ErrorSweep(int kind, TDomain& f, int comp, int skipDir, int dir, Extended& acc);
    // Runs Visit at every node, each once (direction 1 outer, as the tables).
    void ForEachNode(const std::function<void()>& visit);

    // While set, SolutionAt answers from it instead of the owner.
    const std::function<Extended(int column)>* solutionProbe_ = nullptr;
    // See TDirectRow.
    std::size_t rowOffset_ = kNoRowOffset;
    TElementHost* rowHost_ = nullptr;

    std::array<std::vector<double>, kMaxDims> steps_;
    // coords_[d][i] = sum of the first i steps, i = 0 ... n.
    std::array<std::vector<Extended>, kMaxDims> coords_;
};

}  // namespace zem
